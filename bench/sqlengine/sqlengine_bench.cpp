// Throughput of the engine's page storage as a backup reads it and a restore writes it: whole
// pages in blocks of the given size through Instance::readPages and writePages, each call
// taking the instance lock and finding the file in the catalogue. The storage must never be the
// bottleneck: the per-call cost should vanish beside the copy at blocks of 1 MiB and more.
#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "instance.h"
#include "root.h"

namespace {

using namespace sqlengine;

constexpr std::int64_t kFileKb = 64 * 1024;  // 64 MiB

struct Fixture {
  Fixture() {
    Instance::create("BENCH", 8);
    SqlError e;
    instance = Instance::open("BENCH", e);
    Database db;
    db.name = "big";
    db.groups = {{kPrimaryGroup, {{0, "big_data", "", kFileKb}}}};
    db.logFiles = {{0, "big_log", "", 1024}};
    instance->createDatabase(db);
    instance->writeTestPages("big", "big_data", 0, kFileKb / 8, {true, 1, ""});
  }
  zkroot::ScopedRoot root;
  std::unique_ptr<Instance> instance;
};

Fixture& fixture() {
  static Fixture f;
  return f;
}

void transfer(benchmark::State& state, bool write) {
  Instance& instance = *fixture().instance;
  const std::uint64_t blockPages = static_cast<std::uint64_t>(state.range(0)) / kPageSize;
  const std::uint64_t filePages = kFileKb / 8;
  std::vector<std::byte> block(blockPages * kPageSize);
  instance.readPages("big", "big_data", 0, blockPages, block.data());
  for (auto _ : state) {
    for (std::uint64_t at = 0; at + blockPages <= filePages; at += blockPages) {
      SqlError e = write ? instance.writePages("big", "big_data", at, blockPages, block.data())
                         : instance.readPages("big", "big_data", at, blockPages, block.data());
      if (!e.ok()) state.SkipWithError(e.text.c_str());
    }
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * kFileKb * 1024);
}

void BM_ReadPages(benchmark::State& state) {
  transfer(state, false);
}
void BM_WritePages(benchmark::State& state) {
  transfer(state, true);
}

BENCHMARK(BM_ReadPages)->Arg(64 << 10)->Arg(1 << 20)->Arg(4 << 20)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WritePages)->Arg(64 << 10)->Arg(1 << 20)->Arg(4 << 20)->Unit(benchmark::kMillisecond);

}  // namespace
