// The agent's virtual device stripes against the emulated engine with a 200 MB database:
// a backup through 4 devices into 4 files, and restores of those files through 2 devices and
// through 1 with MOVE; each restore is checked file by file against the source.
#include <benchmark/benchmark.h>

#include "root.h"
#include "vdi_stripes.h"

namespace {

using namespace sqlengine;

constexpr std::int64_t kDatabaseMb = 200;

struct Setup {
  zkroot::ScopedRoot root;
  std::unique_ptr<Instance> instance;
  std::vector<std::filesystem::path> files;
  std::vector<std::uint64_t> source;
  bool ok = false;

  Setup() {
    SqlError e = Instance::create(kDefaultInstance, 8);
    if (e.ok()) instance = Instance::open(kDefaultInstance, e);
    if (instance) e = stripes::makeDatabase(*instance, "big", kDatabaseMb);
    for (int i = 0; i < 4; ++i) files.push_back(zkroot::rootDir() / ("stripe" + std::to_string(i)));
    ok = instance && e.ok();
    if (ok) source = stripes::checksums(*instance, "big");
  }
};

Setup& setup() {
  static Setup s;
  return s;
}

void BM_BackupThroughFourStripes(benchmark::State& state) {
  Setup& s = setup();
  if (!s.ok) return state.SkipWithError("database not made");
  for (auto _ : state) {
    stripes::Outcome o = stripes::backupToFiles(*s.instance, "big", s.files,
                                                "MAXTRANSFERSIZE=1048576, BLOCKSIZE=65536");
    if (!o.statement.ok()) return state.SkipWithError(o.statement.text.c_str());
  }
  state.SetBytesProcessed(state.iterations() * kDatabaseMb * 1024 * 1024);
}

void BM_RestoreThroughDevices(benchmark::State& state) {
  Setup& s = setup();
  if (!s.ok) return state.SkipWithError("database not made");
  std::vector<std::vector<std::filesystem::path>> perDevice(state.range(0));
  for (std::size_t i = 0; i < s.files.size(); ++i)
    perDevice[i % perDevice.size()].push_back(s.files[i]);
  std::string name = "copy" + std::to_string(state.range(0));
  for (auto _ : state) {
    stripes::Outcome o =
        stripes::restoreFromFiles(*s.instance, "DATABASE [" + name + "]", perDevice,
                                  "REPLACE, " + stripes::movesTo("big", zkroot::rootDir() / name));
    if (!o.statement.ok()) return state.SkipWithError(o.statement.text.c_str());
  }
  if (stripes::checksums(*s.instance, name) != s.source)
    return state.SkipWithError("restored files differ from the source");
  state.SetBytesProcessed(state.iterations() * kDatabaseMb * 1024 * 1024);
}

BENCHMARK(BM_BackupThroughFourStripes)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
BENCHMARK(BM_RestoreThroughDevices)
    ->Arg(2)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1);

}  // namespace
