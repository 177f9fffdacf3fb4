// Throughput of the engine's page storage API: whole pages in blocks of the given size through
// Instance::readPages and writePages, each call taking the instance lock and finding the file
// in the catalogue (and a write reading the pages it replaces), against pread and pwrite of
// the same blocks on the same file, paired in one run. The storage must never be the
// bottleneck: the per-call cost should vanish beside the copy at blocks of 1 MiB and more.
//   sqlengine_bench [--repeats N] [--header]
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "instance.h"
#include "pairbench.h"
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

double throughInstance(bool write, std::uint64_t blockBytes) {
  Instance& instance = *fixture().instance;
  const std::uint64_t blockPages = blockBytes / kPageSize;
  const std::uint64_t filePages = kFileKb / 8;
  std::vector<std::byte> block(blockPages * kPageSize);
  if (!instance.readPages("big", "big_data", 0, blockPages, block.data()).ok()) return -1;
  double start = benchNow();
  for (std::uint64_t at = 0; at + blockPages <= filePages; at += blockPages) {
    SqlError e = write ? instance.writePages("big", "big_data", at, blockPages, block.data())
                       : instance.readPages("big", "big_data", at, blockPages, block.data());
    if (!e.ok()) return -1;
  }
  return benchNow() - start;
}

// The same blocks with plain positioned reads or writes on the file itself.
double plainFile(bool write, std::uint64_t blockBytes) {
  Instance& instance = *fixture().instance;
  Database db;
  if (!instance.database("big", db).ok()) return -1;
  std::filesystem::path path = instance.filePath(db.groups[0].files[0]);
  std::vector<std::byte> block(blockBytes);
  const std::uint64_t fileBytes = static_cast<std::uint64_t>(kFileKb) * 1024;
  int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
  if (fd < 0 || ::pread(fd, block.data(), blockBytes, 0) < 0) return -1;
  double start = benchNow();
  bool ok = true;
  for (std::uint64_t at = 0; ok && at + blockBytes <= fileBytes; at += blockBytes) {
    ssize_t n = write ? ::pwrite(fd, block.data(), blockBytes, static_cast<off_t>(at))
                      : ::pread(fd, block.data(), blockBytes, static_cast<off_t>(at));
    ok = n == static_cast<ssize_t>(blockBytes);
  }
  double seconds = benchNow() - start;
  ::close(fd);
  return ok ? seconds : -1;
}

}  // namespace

int main(int argc, char** argv) {
  BenchOptions options = benchParseOptions(
      argc, argv, "usage: sqlengine_bench\n  The engine's page storage against plain file I/O.");
  benchRefuseRest(options, argv[0]);
  if (options.header) benchPrintHeader();
  for (bool write : {false, true}) {
    for (std::uint64_t kb : {64, 1024, 4096}) {
      std::string name = std::string(write ? "engine writePages" : "engine readPages") +
                         ", 64 MiB in " + std::to_string(kb) + " KiB vs " +
                         (write ? "pwrite" : "pread");
      benchPrintRow(benchPairRun(
          name, "", options.repeats, [&] { return throughInstance(write, kb << 10); },
          [&] { return plainFile(write, kb << 10); }));
    }
  }
  return 0;
}
