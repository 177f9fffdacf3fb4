// The engine through its entry functions: eriBackupSqlDatabase and eriRestoreBackups over the
// emulated SQL Server and the storage stand-in, against a durable copy of the same database
// files (`cp`, then a flush of every copy) in the same run, alternated and repeated:
//   - backup and restore for 1, 2, 4, 8 and 16 stripes (3 buffers of 1 MiB);
//   - 3 and 8 buffers, and buffers of 64 KiB, 1 MiB and 4 MiB, at 4 stripes;
//   - a 4-stripe backup restored through 4, 2 and 1 sessions;
//   - the fixed cost of one backup in a list of tiny databases, against a durable copy of each
//     database's files: with the unique time-stamp wait (each backup's completion waits for a
//     second of its own: what a user sees, the row that counts), and the engine's cost without
//     that wait (a wall clock whose second moves on at every reading);
//   - CPU seconds per GiB, and the agent's share of the peak resident memory of a 4-stripe
//     backup and restore (in-process: the emulated server's device buffers left out), each
//     measured in a process of its own;
//   - in-process cancel latency, from the cancel to the entry's return with every thread
//     joined (no signal delivery, no process end: clc_bench measures those through zarnaksqlc).
// Before every timed run the machine's dirty data is written out. Versions a run made inactive
// are removed, so repeated runs keep the store at its size.
//   entry_bench [--mb N] [--tiny N] [--repeats N] [--header]
#include <sys/resource.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "backup_db_env.h"
#include "benchsys.h"
#include "erifunc.h"
#include "pairbench.h"
#include "pstime.h"
#include "vdevices.h"
#include "vdi_stripes.h"

namespace {

namespace fs = std::filesystem;

constexpr int kWaitedDatabases = 10;  // the list backed up with the time-stamp wait

void fail(const std::string& what) {
  std::fprintf(stderr, "entry_bench: %s\n", what.c_str());
  std::exit(1);
}

// The test environment of the backup, opened outside a test: storage stand-in, emulated SQL
// Server, the SQL access object, an activity log; plus the database "big" of the chosen size.
class EntryBench : public BackupDbFixture {
 public:
  explicit EntryBench(std::int64_t mb) {
    SetUp();
    if (testing::Test::HasFailure()) fail("the environment could not be set up");
    sqlengine::SqlError e = stripes::makeDatabase(*m_Instance, "big", mb);
    if (!e.ok()) fail(e.text);
    m_DbFiles = filesOf("big");
    for (const fs::path& f : m_DbFiles) m_Bytes += fs::file_size(f);
  }
  ~EntryBench() override {
    m_Selection.freeAll();
    TearDown();
  }
  void TestBody() override {}

  uint64_t bytes() const { return m_Bytes; }

  // Makes the databases tiny1 .. tinyN of a megabyte each; their names.
  std::vector<std::string> makeTiny(int count) {
    std::vector<std::string> names;
    for (int i = 1; i <= count; i++) {
      names.push_back("tiny" + std::to_string(i));
      sqlengine::SqlError e = stripes::makeDatabase(*m_Instance, names.back(), 1);
      if (!e.ok()) fail(e.text);
    }
    return names;
  }

  // A full backup of "big" through the entry function; seconds, or -1.
  double backup(int32_t stripes, int32_t buffers, uint32_t bufferKb) {
    return backupOf({"big"}, stripes, buffers, bufferKb);
  }

  // A full backup of the databases named, one after the other, in one call of the entry
  // function; seconds, or -1.
  double backupOf(const std::vector<std::string>& names, int32_t stripes, int32_t buffers,
                  uint32_t bufferKb) {
    removeInactive();
    ::sync();
    DSqlBackupDatabaseParms parms{};
    requestParms(&parms, m_Message, stripes, 1000);
    parms.nBufferSize = bufferKb;
    parms.nBuffers = buffers;
    select(names);
    EriNameList list;
    for (const std::string& name : names) {
      EriNameEntry entry{};
      std::snprintf(entry.szName, sizeof entry.szName, "%s", name.c_str());
      list.addTail(&entry);
    }
    double start = benchNow();
    uint32_t rc =
        eriBackupSqlDatabase(&parms, &m_Selection, &list, &m_Groups, nullptr, &m_Files, nullptr);
    double seconds = benchNow() - start;
    list.freeAll();
    m_LastRc = rc;
    if (rc != 0 && rc != 415) std::fprintf(stderr, "entry_bench: backup %u: %s\n", rc, m_Message);
    return rc == 0 ? seconds : -1;
  }

  // A restore of the active full backup of "big" over itself through `sessions` sessions.
  double restore(int32_t sessions, int32_t buffers, uint32_t bufferKb) {
    ::sync();
    CRestoreBackupsParms parms;
    EriNameList names;
    EriNameEntry big{"big"};
    names.addTail(&big);
    parms.sqlServerNameP = m_Server.szSqlServerName;
    parms.dbNameListP = &names;
    parms.msgBufferP = m_Message;
    parms.nBuffers = static_cast<uint32_t>(buffers);
    parms.nBufferSize = bufferKb;
    parms.nStatusMilliSeconds = 1000;
    parms.command = ERI_CMD_RESTORE_FULL;
    parms.bStripes = 1;
    parms.nStripes = sessions;
    parms.sqlRestoreParms.bRecovery = 1;
    parms.sqlRestoreParms.bReplace = 1;
    double start = benchNow();
    uint32_t rc = eriRestoreBackups(&parms);
    double seconds = benchNow() - start;
    parms.qryBuListP->freeAll();
    names.freeAll();
    if (rc != 0) std::fprintf(stderr, "entry_bench: restore %u: %s\n", rc, m_Message);
    return rc == 0 ? seconds : -1;
  }

  // The reference of "big": a durable copy of its files.
  double durableCopy() { return benchDurableCopy(m_DbFiles, m_Root.path() / "reference"); }

  // The reference of a list: a durable copy of each database's files, one after the other.
  double durableCopies(const std::vector<std::string>& names) {
    double seconds = 0;
    for (const std::string& name : names) {
      double one = benchDurableCopy(filesOf(name), m_Root.path() / "reference");
      if (one < 0) return -1;
      seconds += one;
    }
    return seconds;
  }

  // Seconds from the cancel to the return of a backup cancelled after `delay`; -1 when the
  // backup ended before the cancel came.
  double cancelLatency(std::chrono::microseconds delay) {
    double cancelledAt = 0;
    std::thread canceller([&] {
      std::this_thread::sleep_for(delay);
      cancelledAt = benchNow();
      eriCancelRequest(nullptr);
    });
    backup(4, 3, 1024);
    double returned = benchNow();
    canceller.join();
    return m_LastRc == 415 ? returned - cancelledAt : -1;
  }

 private:
  std::vector<fs::path> filesOf(const std::string& name) {
    sqlengine::Database db;
    if (!m_Instance->database(name, db).ok()) fail("the database " + name + " is gone");
    std::vector<fs::path> files;
    for (const auto& g : db.groups)
      for (const auto& f : g.files) files.push_back(m_Instance->filePath(f));
    for (const auto& f : db.logFiles) files.push_back(m_Instance->filePath(f));
    return files;
  }
  void select(const std::vector<std::string>& names) {
    m_Groups.freeAll();
    m_Files.freeAll();
    if (selectDatabases(&m_Selection, names, m_Message) != 0) fail(m_Message);
  }
  // Deletes every inactive version of the node's filespaces.
  void removeInactive() {
    for (uint32_t i = 0; i <= 8; i++) {
      for (const qryRespBackupData& o : stored(i, PELK_INACTIVE)) {
        pelkDelInfo info{};
        info.backIDInfo = delBackID{PELK_DELBACKID_VERSION, o.objId};
        uint16_t reason = 0;
        DPelkApi* apiP = m_Api.get();
        DPelkApi::dpelkBeginTxn(apiP, &m_Status, m_Handle);
        DPelkApi::dpelkDeleteObj(apiP, &m_Status, m_Handle, PELK_BACKUP_ID_DELETE, info);
        DPelkApi::dpelkEndTxn(apiP, &m_Status, m_Handle, PELK_VOTE_COMMIT, &reason);
      }
    }
  }

  std::vector<fs::path> m_DbFiles;
  uint64_t m_Bytes = 0;
  char m_Message[ERI_MSG_BUFFER_LEN + 1] = "";
  CLinkedList<SqlDatabaseElement> m_Selection;
  CLinkedList<SqlGroupElement> m_Groups;
  CLinkedList<SqlFileElement> m_Files;
  uint32_t m_LastRc = 0;
};

std::string stripesText(int n) {
  return std::to_string(n) + " stripe" + (n > 1 ? "s" : "");
}

// A wall clock whose second moves on at every reading: no backup ends in the second it began,
// so the unique time-stamp wait never waits. It starts at the machine's time and runs ahead.
time_t steppingClock() {
  static std::atomic<time_t> next{time(nullptr)};
  return next++;
}

// The fixed cost of one backup in a list of tiny databases, per backup: with the wait on the
// first few of the list (each backup then waits for the next second), without it on all.
void tinyRows(EntryBench& bench, int count, int repeats) {
  std::vector<std::string> all = bench.makeTiny(count);
  std::vector<std::string> waited(all.begin(), all.begin() + std::min(count, kWaitedDatabases));
  auto perBackup = [](const std::vector<std::string>& names, double seconds) {
    return seconds < 0 ? seconds : seconds / static_cast<double>(names.size());
  };
  auto row = [&](const std::vector<std::string>& names, const std::string& what,
                 const std::string& goal) {
    benchPrintRow(benchPairRun(
        what, goal, repeats, [&] { return perBackup(names, bench.backupOf(names, 1, 3, 1024)); },
        [&] { return perBackup(names, bench.durableCopies(names)); }));
  };
  row(waited,
      "entry backup s per database, list of " + std::to_string(waited.size()) +
          " tiny, with the time-stamp wait vs cp+flush",
      "counts: what a user sees");
  psDateSetClock(steppingClock);
  row(all,
      "engine's cost without the time-stamp wait, per db of " + std::to_string(all.size()) +
          " tiny vs cp+flush",
      "not what a user sees");
  psDateSetClock(nullptr);
}

double cpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

void cpuRow(EntryBench& bench, int repeats) {
  double gib = static_cast<double>(bench.bytes()) / (1024.0 * 1024 * 1024);
  std::vector<double> cpu;
  for (int k = 0; k < repeats; k++) {
    double start = cpuSeconds();
    if (bench.backup(4, 3, 1024) < 0) fail("the backup failed");
    cpu.push_back((cpuSeconds() - start) / gib);
  }
  std::printf("%-64s %10.2f %10.2f %7.2f %7s %7.2f\n", "backup 4 stripes: CPU seconds per GiB",
              benchMedian(cpu), 0.0, benchMin(cpu), "", benchMax(cpu));
}

// The child of memoryRows, in a process that has run nothing else: the resident memory once the
// environment is set up, then for a 4-stripe backup and for its restore the peak during it and
// the peak of the emulated server's device buffers, in KiB.
int memoryChild(std::int64_t mb) {
  EntryBench bench(mb);
  std::vector<long> kb{benchResidentKb()};
  for (int pass = 0; pass < 2; pass++) {
    benchResetPeak();
    sqlengine::resetDeviceBufferPeak();
    double seconds = pass == 0 ? bench.backup(4, 3, 1024) : bench.restore(4, 3, 1024);
    if (seconds < 0) return 1;
    kb.push_back(benchPeakResidentKb());
    kb.push_back(static_cast<long>(sqlengine::deviceBufferPeakBytes() / 1024));
  }
  for (long n : kb) std::printf("%ld\n", n);
  return 0;
}

// The agent's peak memory: what the process grew by over its set-up state, less the emulated
// server's device buffers (in a real installation they are the server's). The rest of the
// stand-ins' share (their catalogues and sessions) stays in the figure, and so does, for the
// restore, heap the backup before it left free.
void memoryRows(std::int64_t mb) {
  std::vector<long> kb = benchChildNumbers({"--memory-child", "--mb", std::to_string(mb)});
  if (kb.size() != 5) {
    std::printf("%-64s FAILED: the child process failed\n", "peak resident memory");
    return;
  }
  double limitMb = 4.0 * 3 * 1 + 64;
  for (int pass = 0; pass < 2; pass++) {
    double before = static_cast<double>(kb[0]) / 1024;
    double peak = static_cast<double>(kb[1 + 2 * pass]) / 1024;
    double server = static_cast<double>(kb[2 + 2 * pass]) / 1024;
    double agent = peak - before - server;
    std::string what = std::string("in-process ") + (pass == 0 ? "backup" : "restore") +
                       " 4 stripes: agent's peak MiB (grown - server buffers) vs limit";
    std::printf("%-64s %10.1f %10.1f %7s %7.2f %7s  %s\n", what.c_str(), agent, limitMb, "",
                limitMb / agent, "", ">= 1.0 (limit / agent)");
    std::printf("  process peak %.1f MiB = set-up %.1f + server's device buffers %.1f + agent\n",
                peak, before, server);
  }
}

void cancelRows(EntryBench& bench, int runs) {
  double full = bench.backup(4, 3, 1024);
  if (full < 0) fail("the backup failed");
  std::mt19937 random(20261210);
  std::uniform_int_distribution<int64_t> instant(0, static_cast<int64_t>(full * 0.9e6));
  std::vector<double> latencies;
  for (int k = 0; k < runs; k++) {
    double seconds = bench.cancelLatency(std::chrono::microseconds(instant(random)));
    if (seconds >= 0) latencies.push_back(seconds);
  }
  if (latencies.empty()) fail("no backup was cancelled");
  std::sort(latencies.begin(), latencies.end());
  double p50 = latencies[latencies.size() / 2];
  double p99 = latencies[std::min(latencies.size() - 1, latencies.size() * 99 / 100)];
  std::printf("%-64s %10.3f %10.3f %7s %7s %7s  p99 <= 1.5 s (%zu cancels)\n",
              "in-process cancel s, cancel to entry's return, p50 / p99", p50, p99, "", "", "",
              latencies.size());
}

}  // namespace

int main(int argc, char** argv) {
  BenchOptions options = benchParseOptions(
      argc, argv,
      "usage: entry_bench [--mb N] [--tiny N]\n  Backup and restore through the entry functions "
      "against a durable copy.\n  --mb N        database size in MiB (default 1024)\n  --tiny N "
      "     tiny databases in the list of the fixed-cost row (default 200)",
      1024, 16);
  int tiny = 200;
  bool memoryChildRun = false;
  std::vector<std::string> rest;
  for (std::size_t i = 0; i < options.rest.size(); i++) {
    if (options.rest[i] == "--memory-child") {
      memoryChildRun = true;
    } else if (options.rest[i] == "--tiny" && i + 1 < options.rest.size()) {
      tiny = std::atoi(options.rest[++i].c_str());
      if (tiny < 1 || tiny > 1000) fail("--tiny needs a number from 1 to 1000");
    } else {
      rest.push_back(options.rest[i]);
    }
  }
  options.rest = rest;
  benchRefuseRest(options, argv[0]);
  if (memoryChildRun) return memoryChild(options.mb);
  if (options.header) benchPrintHeader();
  EntryBench bench(options.mb);
  std::string size = std::to_string(options.mb) + " MiB";
  auto copy = [&] { return bench.durableCopy(); };
  for (int n : {1, 2, 4, 8, 16}) {
    std::string goal = n == 4 ? ">= 1.0" : "";
    benchPrintRow(benchPairRun(
        "entry backup " + size + ", " + stripesText(n) + " vs cp+flush", goal, options.repeats,
        [&] { return bench.backup(n, 3, 1024); }, copy));
    benchPrintRow(benchPairRun(
        "entry restore " + size + ", " + stripesText(n) + " vs cp+flush", goal, options.repeats,
        [&] { return bench.restore(n, 3, 1024); }, copy));
  }
  for (int buffers : {3, 8}) {
    for (uint32_t kb : {64u, 1024u, 4096u}) {
      if (buffers == 8 && kb != 1024) continue;
      std::string what = std::to_string(buffers) + " x " + std::to_string(kb) + " KiB";
      benchPrintRow(benchPairRun(
          "entry backup " + size + ", 4 stripes, " + what + " vs cp+flush", "", options.repeats,
          [&] { return bench.backup(4, buffers, kb); }, copy));
      benchPrintRow(benchPairRun(
          "entry restore " + size + ", 4 stripes, " + what + " vs cp+flush", "", options.repeats,
          [&] { return bench.restore(4, buffers, kb); }, copy));
    }
  }
  if (bench.backup(4, 3, 1024) < 0) fail("the backup failed");
  for (int sessions : {2, 1}) {
    benchPrintRow(benchPairRun(
        "entry restore " + size + ", 4 stripes through " + std::to_string(sessions) +
            " session(s) vs cp+flush",
        "", options.repeats, [&] { return bench.restore(sessions, 3, 1024); }, copy));
  }
  cpuRow(bench, options.repeats);
  memoryRows(options.mb);
  cancelRows(bench, 20 * options.repeats);
  tinyRows(bench, tiny, options.repeats);
  return 0;
}
