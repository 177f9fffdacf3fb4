// The engine through its entry functions: eriBackupSqlDatabase and eriRestoreBackups over the
// emulated SQL Server and the storage stand-in, against a durable copy of the same database
// files (`cp`, then a flush of every copy) in the same run, alternated and repeated:
//   - backup and restore for 1, 2, 4, 8 and 16 stripes (3 buffers of 1 MiB);
//   - 3 and 8 buffers, and buffers of 64 KiB, 1 MiB and 4 MiB, at 4 stripes;
//   - a 4-stripe backup restored through 4, 2 and 1 sessions;
//   - CPU seconds per GiB and the peak resident memory of a 4-stripe backup;
//   - cancel latency, from the cancel to the entry's return with every thread joined.
// Before every timed run the machine's dirty data is written out. Versions a run made inactive
// are removed, so repeated runs keep the store at its size.
//   entry_bench [--mb N] [--repeats N] [--header]
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "backup_db_env.h"
#include "erifunc.h"
#include "pairbench.h"
#include "runprogram.h"
#include "vdi_stripes.h"

namespace {

namespace fs = std::filesystem;

void fail(const std::string& what) {
  std::fprintf(stderr, "entry_bench: %s\n", what.c_str());
  std::exit(1);
}

bool flushFile(const fs::path& file) {
  FILE* f = std::fopen(file.c_str(), "r+");
  if (f == nullptr) return false;
  bool ok = fdatasync(fileno(f)) == 0;
  std::fclose(f);
  return ok;
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
    sqlengine::Database db;
    if (!m_Instance->database("big", db).ok()) fail("the database is gone");
    for (const auto& g : db.groups)
      for (const auto& f : g.files) m_DbFiles.push_back(m_Instance->filePath(f));
    for (const auto& f : db.logFiles) m_DbFiles.push_back(m_Instance->filePath(f));
    for (const fs::path& f : m_DbFiles) m_Bytes += fs::file_size(f);
    EriNameEntry big{"big"};
    m_DbNames.addTail(&big);
  }
  ~EntryBench() override {
    m_Selection.freeAll();
    m_DbNames.freeAll();
    TearDown();
  }
  void TestBody() override {}

  uint64_t bytes() const { return m_Bytes; }

  // A full backup of "big" through the entry function; seconds, or -1.
  double backup(int32_t stripes, int32_t buffers, uint32_t bufferKb) {
    removeInactive();
    ::sync();
    DSqlBackupDatabaseParms parms{};
    parms.nStatusMilliSeconds = 1000;
    parms.msgBufferLen = ERI_MSG_BUFFER_LEN;
    parms.nBufferSize = bufferKb;
    parms.msgBufferP = m_Message;
    parms.nCleanupOlderThan = -1;
    parms.nBuffers = buffers;
    parms.nStripes = stripes;
    parms.command = ERI_CMD_BACKUP_FULL;
    select();
    double start = benchNow();
    uint32_t rc = eriBackupSqlDatabase(&parms, &m_Selection, &m_DbNames, &m_Groups, nullptr,
                                       &m_Files, nullptr);
    double seconds = benchNow() - start;
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

  // The reference: `cp` of the database files, then a flush of every copy.
  double durableCopy() {
    fs::path dir = m_Root.path() / "reference";
    fs::create_directories(dir);
    ::sync();
    double start = benchNow();
    std::vector<std::string> args;
    for (const fs::path& f : m_DbFiles) args.push_back(f.string());
    args.push_back(dir.string());
    bool ok = zkrun::runProgram("/bin/cp", args).exitCode == 0;
    for (const fs::path& f : m_DbFiles) ok = ok && flushFile(dir / f.filename());
    double seconds = benchNow() - start;
    fs::remove_all(dir);
    return ok ? seconds : -1;
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
  void select() {
    m_Selection.freeAll();
    m_Groups.freeAll();
    m_Files.freeAll();
    CLinkedList<SqlDatabaseElement>* listP = &m_Selection;
    uint32_t* cancelP = nullptr;
    char* msgP = m_Message;
    if (m_Sql->GetSqlDatabaseNames(listP, nullptr, cancelP, msgP) != 0) fail(m_Message);
    for (SqlDatabaseElement* p = m_Selection.getFirst(); p != nullptr; p = m_Selection.getNext(p))
      p->bSqlDbIsSelected = std::strcmp(p->szSqlDatabaseName, "big") == 0 ? 1 : 0;
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
  EriNameList m_DbNames;
  CLinkedList<SqlDatabaseElement> m_Selection;
  CLinkedList<SqlGroupElement> m_Groups;
  CLinkedList<SqlFileElement> m_Files;
  uint32_t m_LastRc = 0;
};

std::string stripesText(int n) {
  return std::to_string(n) + " stripe" + (n > 1 ? "s" : "");
}

// The peak resident memory since the last reset (VmHWM), in KiB.
long peakResidentKb() {
  FILE* status = std::fopen("/proc/self/status", "r");
  if (status == nullptr) return -1;
  char line[256];
  long kb = -1;
  while (std::fgets(line, sizeof line, status) != nullptr) {
    if (std::sscanf(line, "VmHWM: %ld kB", &kb) == 1) break;
  }
  std::fclose(status);
  return kb;
}

// Resets the peak resident memory to the present one.
void resetPeak() {
  FILE* f = std::fopen("/proc/self/clear_refs", "w");
  if (f == nullptr) return;
  std::fputs("5", f);
  std::fclose(f);
}

double cpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

void resourceRows(EntryBench& bench, int repeats) {
  double gib = static_cast<double>(bench.bytes()) / (1024.0 * 1024 * 1024);
  std::vector<double> cpu;
  std::vector<double> peaks;
  for (int k = 0; k < repeats; k++) {
    resetPeak();
    double start = cpuSeconds();
    if (bench.backup(4, 3, 1024) < 0) fail("the backup failed");
    cpu.push_back((cpuSeconds() - start) / gib);
    peaks.push_back(static_cast<double>(peakResidentKb()) / 1024);
  }
  double limitMb = 4.0 * 3 * 1 + 64;
  std::printf("%-64s %10.2f %10.2f %7.2f %7s %7.2f\n", "backup 4 stripes: CPU seconds per GiB",
              benchMedian(cpu), 0.0, benchMin(cpu), "", benchMax(cpu));
  std::printf("%-64s %10.1f %10.1f %7.2f %7.2f %7.2f  %s\n",
              "backup 4 stripes: peak resident MiB (whole process) vs limit", benchMedian(peaks),
              limitMb, limitMb / benchMax(peaks), limitMb / benchMedian(peaks),
              limitMb / benchMin(peaks), ">= 1.0 (limit / peak)");
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
              "cancel latency s, p50 / p99, 4-stripe backup", p50, p99, "", "", "",
              latencies.size());
}

}  // namespace

int main(int argc, char** argv) {
  BenchOptions options = benchParseOptions(
      argc, argv,
      "usage: entry_bench [--mb N]\n  Backup and restore through the entry functions against a "
      "durable copy.\n  --mb N        database size in MiB (default 1024)",
      1024, 16);
  benchRefuseRest(options, argv[0]);
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
  resourceRows(bench, options.repeats);
  cancelRows(bench, 20 * options.repeats);
  return 0;
}
