// The striped path end to end: the emulated engine's BACKUP and RESTORE through virtual
// devices, the agent's transfers (one per stripe, each with its ring) and the storage-manager
// stand-in (one session and one object per stripe), against a durable copy of the same
// database files (`cp`, then a flush of every copy) in the same run, for 1, 2, 4 and 8
// stripes. Before every timed run the machine's dirty data is written out, so no run pays for
// the one before. A restore is checked once per stripe count against the source's checksums.
//   stripes_bench [--mb N] [--repeats N] [--header]
// Also the peak resident memory of a 4-stripe backup, in a process of its own.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "benchstore.h"
#include "benchsys.h"
#include "pairbench.h"
#include "root.h"
#include "vdi_stripes.h"

namespace {

using namespace sqlengine;
namespace fs = std::filesystem;

constexpr const char* kWith = "BUFFERCOUNT=3, MAXTRANSFERSIZE=1048576, BLOCKSIZE=65536";
constexpr stripes::RingShape kRing{3, 1024};
constexpr std::size_t kMaxStripes = 8;

void fail(const std::string& what) {
  std::fprintf(stderr, "stripes_bench: %s\n", what.c_str());
  std::exit(1);
}

class StripesBench {
 public:
  explicit StripesBench(std::int64_t mb) : m_mb(mb) {
    if (!Instance::create(kDefaultInstance, 9).ok()) fail("cannot create the instance");
    SqlError e;
    m_instance = Instance::open(kDefaultInstance, e);
    if (!m_instance) fail(e.text);
    if (SqlError made = stripes::makeDatabase(*m_instance, "big", mb); !made.ok()) fail(made.text);
    m_source = stripes::checksums(*m_instance, "big");
    Database db;
    if (!m_instance->database("big", db).ok()) fail("the database is gone");
    for (const FileGroup& g : db.groups)
      for (const DbFile& f : g.files) m_files.push_back(m_instance->filePath(f));
    for (const DbFile& f : db.logFiles) m_files.push_back(m_instance->filePath(f));
    fs::create_directories(m_root.path() / "store");
    m_store = std::make_unique<BenchStore>(m_root.path() / "store");
    for (std::size_t i = 0; i < kMaxStripes; ++i) m_sessions.push_back(m_store->openSession());
    m_ids.assign(kMaxStripes + 1, {});
  }
  ~StripesBench() {
    for (uint32_t s : m_sessions) m_store->closeSession(s);
  }

  // A backup into `count` objects; the objects of the run before are removed first.
  double backup(std::size_t count) {
    removeVersions(count);
    ::sync();
    std::vector<std::unique_ptr<BenchSend>> sends(count);
    std::vector<uint64_t>& ids = m_ids[count];
    ids.assign(count, 0);
    double start = benchNow();
    stripes::Outcome o = stripes::backupToSinks(
        *m_instance, "big", count,
        [&](std::size_t i) -> CVdevTestTransfer::Sink {
          sends[i] = std::make_unique<BenchSend>(m_sessions[i], "\\stripe" + std::to_string(i));
          return [s = sends[i].get()](const uint8_t* dataP, uint32_t size) {
            s->data(reinterpret_cast<const char*>(dataP), size);
            return 0;
          };
        },
        kWith, kRing, [&](std::size_t i) { ids[i] = sends[i]->commit(); });
    double seconds = benchNow() - start;
    return o.statement.ok() && allZero(o.transferRcs) ? seconds : -1;
  }

  // A restore of the last backup into `count` objects as database [copy], checked the first
  // time; the copy is dropped afterwards.
  double restore(std::size_t count) {
    ::sync();
    const std::vector<uint64_t>& ids = m_ids[count];
    if (ids.size() != count) return -1;
    double start = benchNow();
    stripes::Outcome o = stripes::restoreFromSources(
        *m_instance, "DATABASE [copy]", count,
        [&](std::size_t i, std::size_t k) -> CVdevTestTransfer::Source {
          if (k > 0) return nullptr;
          auto fetch = std::make_shared<BenchFetch>(m_sessions[i], ids[i]);
          return [fetch](uint8_t* dataP, uint32_t size) {
            return fetch->read(reinterpret_cast<char*>(dataP), size);
          };
        },
        "REPLACE, " + stripes::movesTo("big", m_root.path() / "copy") + ", " + kWith, kRing);
    double seconds = benchNow() - start;
    bool ok = o.statement.ok() && allZero(o.transferRcs);
    if (ok && !m_checked[count]) {
      ok = stripes::checksums(*m_instance, "copy") == m_source;
      if (!ok) std::fprintf(stderr, "stripes_bench: the restored copy differs\n");
      m_checked[count] = true;
    }
    m_instance->removeDatabase("copy");
    return ok ? seconds : -1;
  }

  // The reference: `cp` of the database files, then a flush of every copy.
  double durableCopy() { return benchDurableCopy(m_files, m_root.path() / "reference"); }

 private:
  static bool allZero(const std::vector<int>& rcs) {
    for (int rc : rcs)
      if (rc != 0) return false;
    return !rcs.empty();
  }
  void removeVersions(std::size_t count) {
    for (std::size_t i = 0; i < m_ids[count].size(); ++i)
      if (m_ids[count][i] != 0) benchRemoveVersion(m_sessions[i], m_ids[count][i]);
    m_ids[count].clear();
  }

  std::int64_t m_mb;
  zkroot::ScopedRoot m_root;
  std::unique_ptr<Instance> m_instance;
  std::vector<std::uint64_t> m_source;
  std::vector<fs::path> m_files;
  std::unique_ptr<BenchStore> m_store;
  std::vector<uint32_t> m_sessions;
  std::vector<std::vector<uint64_t>> m_ids;  // per stripe count: the objects of its last backup
  bool m_checked[kMaxStripes + 1] = {};
};

// The derived row: the pairs' measured times of `slow` over those of `fast`, pair by pair.
BenchRow speedup(const std::string& name, const std::string& goal, const BenchRow& slow,
                 const BenchRow& fast) {
  BenchRow row{name, goal, fast.measuredSeconds, slow.measuredSeconds, {}, {}};
  std::size_t n = std::min(slow.measuredSeconds.size(), fast.measuredSeconds.size());
  for (std::size_t k = 0; k < n; ++k)
    row.ratios.push_back(slow.measuredSeconds[k] / fast.measuredSeconds[k]);
  if (n == 0) row.failure = "a run failed";
  return row;
}

// The 4-stripe backup alone in a process of its own: its peak resident memory (counted from
// its own start, where a resource count of a spawned child would count from its parent's peak).
void peakMemoryRow(std::int64_t mb) {
  std::vector<long> kb = benchChildNumbers({"--peak-memory-child", "--mb", std::to_string(mb)});
  double limitMb = 4.0 * kRing.buffers * kRing.bufferKb / 1024 + 64;
  if (kb.size() != 1 || kb[0] <= 0) {
    std::printf("%-64s FAILED: the backup failed\n", "in-process peak memory, 4-stripe backup");
    return;
  }
  double peakMb = static_cast<double>(kb[0]) / 1024;
  std::printf("%-64s %10.1f %10.1f %7s %7.2f %7s  %s\n",
              "in-process peak MiB, 4-stripe backup (engine and store inside)", peakMb, limitMb, "",
              limitMb / peakMb, "", ">= 1.0 (limit / peak)");
}

}  // namespace

int main(int argc, char** argv) {
  BenchOptions options = benchParseOptions(
      argc, argv,
      "usage: stripes_bench [--mb N]\n  The striped backup and restore path against a durable "
      "copy, for 1, 2, 4 and 8 stripes.\n  --mb N        database size in MiB (default 1024)",
      1024, 16);
  std::int64_t mb = options.mb;
  bool peakChild = options.rest.size() == 1 && options.rest[0] == "--peak-memory-child";
  if (peakChild) options.rest.clear();
  benchRefuseRest(options, argv[0]);
  if (peakChild) {  // the process that measures its peak memory
    StripesBench bench(mb);
    if (bench.backup(4) <= 0) return 1;
    std::printf("%ld\n", benchPeakResidentKb());
    return 0;
  }
  if (options.header) benchPrintHeader();
  StripesBench bench(mb);
  std::string size = std::to_string(mb) + " MiB";
  BenchRow backups[kMaxStripes + 1];
  BenchRow restores[kMaxStripes + 1];
  for (std::size_t n : {1, 2, 4, 8}) {
    std::string what = size + ", " + std::to_string(n) + " stripe" + (n > 1 ? "s" : "");
    backups[n] = benchPairRun(
        "backup " + what + " vs cp+flush", n == 4 ? ">= 1.0" : "", options.repeats,
        [&] { return bench.backup(n); }, [&] { return bench.durableCopy(); });
    benchPrintRow(backups[n]);
    restores[n] = benchPairRun(
        "restore " + what + " vs cp+flush", n == 4 ? ">= 1.0" : "", options.repeats,
        [&] { return bench.restore(n); }, [&] { return bench.durableCopy(); });
    benchPrintRow(restores[n]);
  }
  benchPrintRow(
      speedup("backup 4 stripes vs 1 stripe (speed-up)", ">= 2.0", backups[1], backups[4]));
  benchPrintRow(
      speedup("restore 4 stripes vs 1 stripe (speed-up)", ">= 2.0", restores[1], restores[4]));
  peakMemoryRow(mb);
  return 0;
}
