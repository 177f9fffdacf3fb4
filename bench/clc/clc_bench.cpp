// zarnaksqlc as a user runs it: every run a process of its own, timed from its start to its
// end (start-up, logon to the storage server and to SQL Server, the listing of databases, the
// backup or restore, the process's end), on a simulated machine set up as scripts/demo.sh sets
// one up, with a database "big" of the chosen size.
//   - backup and restore at 1, 2, 4 and 8 stripes, each run paired in turn with two references
//     of the same bytes: the durable copy (`cp` of the files, then a flush of every copy) and
//     the machine's ceiling for n parallel streams (n threads, each writing 1/n of the bytes
//     durably into a file of its own);
//   - the CPU seconds of one single-database command on an instance of 200 databases beyond
//     the same command on an instance of 5;
//   - the cancel latency, SIGINT to the process's end, of 4-stripe backups cancelled at random
//     instants;
//   - the peak resident memory of the whole process in the 4-stripe backup and restore.
// Before every timed run the machine's dirty data is written out. The data of versions a
// backup made inactive is dropped from the store, so repeated runs keep it at its size.
//   clc_bench [--mb N] [--stripes 1,2,4,8] [--cancels N] [--repeats N] [--header]
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "benchsys.h"
#include "pairbench.h"
#include "root.h"
#include "runprogram.h"

namespace {

namespace fs = std::filesystem;

constexpr int kBuffers = 3;
constexpr int kBufferKb = 1024;
constexpr int kManyDatabases = 200;  // with the 4 system databases
constexpr int kFewDatabases = 5;

void fail(const std::string& what) {
  std::fprintf(stderr, "clc_bench: %s\n", what.c_str());
  std::exit(1);
}

void tool(const char* program, const std::vector<std::string>& args) {
  zkrun::ProgramRun run = zkrun::runProgram(program, args);
  if (run.exitCode != 0) fail(std::string(program) + ": " + run.err);
}

std::string sqlsimOut(const std::vector<std::string>& args) {
  zkrun::ProgramRun run = zkrun::runProgram(SQLSIM_PATH, args);
  if (run.exitCode != 0) fail("sqlsim: " + run.err);
  return run.out;
}

// The name the agent finds for the computer: the emulated SQL Server is the machine's own.
std::string computerName() {
  char host[256] = {};
  gethostname(host, sizeof host - 1);
  std::string name(host, std::strcspn(host, "."));
  name = name.substr(0, 15);
  for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return name;
}

std::string stripesText(int n) {
  return std::to_string(n) + " stripe" + (n > 1 ? "s" : "");
}

class Machine {
 public:
  explicit Machine(std::int64_t mb) {
    fs::path agent = m_root.path() / "agent";
    fs::create_directories(agent);
    fs::copy_file(ZK_MESSAGE_REPOSITORY, agent / "sqlAMENG.txt");
    const std::string key = "HKLM\\SOFTWARE\\Orbenix\\Moxtar\\CurrentVersion\\";
    tool(REGTOOL_PATH, {"set", key + "ZARNAKSQL", "Path", "REG_SZ", agent.string() + "/"});
    tool(REGTOOL_PATH, {"set", key + "Api", "Path", "REG_SZ", HUBLORAPI_DIR});
    tool(HUBLORSIM_PATH, {"node", "add", "ZARNAKNODE", "secret"});
    std::ofstream(agent / "pelk.opt") << "NODENAME ZARNAKNODE\n";
    m_host = computerName();
    tool(SQLSIM_PATH, {"machine", "name=" + m_host});
    tool(SQLSIM_PATH, {"create", "MSSQLSERVER"});
    std::string kb = std::to_string(mb * 1024);
    tool(SQLSIM_PATH, {"database", "MSSQLSERVER", "big", "--file", "PRIMARY:big_data:" + kb,
                       "--log", "big_log:1024"});
    tool(SQLSIM_PATH,
         {"pages", "MSSQLSERVER", "big", "big_data", "0", std::to_string(mb * 128), "--seed", "1"});
    m_source = dataSums("big");
    m_files = filesOf("big");
    if (::chdir(m_root.path().c_str()) != 0) fail("cannot enter the machine's folder");
  }

  const std::vector<fs::path>& files() const { return m_files; }
  const fs::path& dir() const { return m_root.path(); }
  const std::string& host() const { return m_host; }

  // The instances of the listing rows: one of kManyDatabases databases, one of kFewDatabases.
  void makeInstances() {
    for (const auto& [name, count] : {std::pair{"MANY", kManyDatabases}, {"FEW", kFewDatabases}}) {
      tool(SQLSIM_PATH, {"create", name});
      for (int i = 1; i <= count - 4; ++i) {
        std::string db = "t" + std::to_string(i);
        tool(SQLSIM_PATH, {"database", name, db, "--file", "PRIMARY:" + db + "_data:64", "--log",
                           db + "_log:64"});
      }
      tool(SQLSIM_PATH, {"pages", name, "t1", "t1_data", "0", "8", "--seed", "1"});
    }
  }

  // zarnaksqlc with the storage server's password and the ring's shape.
  static std::vector<std::string> command(std::vector<std::string> args) {
    args.push_back("/buffers=" + std::to_string(kBuffers));
    args.push_back("/buffersize=" + std::to_string(kBufferKb));
    args.push_back("/hublorpassword=secret");
    return args;
  }

  BenchProcess backup(int stripes) {
    dropInactive();
    ::sync();
    return benchRunProcess(
        ZARNAKSQLC_PATH, command({"backup", "big", "full", "/stripes=" + std::to_string(stripes)}));
  }

  // A restore of the active backup over "big", checked against the source the first time.
  BenchProcess restore(int stripes) {
    ::sync();
    BenchProcess run = benchRunProcess(
        ZARNAKSQLC_PATH,
        command({"restore", "big", "full", "/replace", "/stripes=" + std::to_string(stripes)}));
    if (run.exitCode == 0 && !m_checked[stripes]) {
      m_checked[stripes] = true;
      if (dataSums("big") != m_source) {
        std::fprintf(stderr, "clc_bench: the restored database differs\n");
        run.exitCode = -1;
      }
    }
    return run;
  }

 private:
  // The checksum lines of the database's data files.
  std::string dataSums(const std::string& db) {
    std::istringstream in(sqlsimOut({"checksum", "MSSQLSERVER", db}));
    std::string line, sums;
    while (std::getline(in, line))
      if (line.find("_log") == std::string::npos) sums += line + "\n";
    return sums;
  }
  std::vector<fs::path> filesOf(const std::string& db) {
    std::istringstream in(sqlsimOut({"checksum", "MSSQLSERVER", db}));
    std::string sum, size, logical, path;
    std::vector<fs::path> files;
    while (in >> sum >> size >> logical >> path) files.emplace_back(path);
    if (files.empty()) fail("no files of " + db);
    return files;
  }
  // The store keeps every version a backup made inactive; their data goes, so that the store
  // keeps its size however many runs there are.
  void dropInactive() {
    zkrun::ProgramRun list = zkrun::runProgram(HUBLORSIM_PATH, {"objects", "--state", "inactive"});
    std::istringstream in(list.out);
    std::string line;
    std::getline(in, line);  // the header
    while (std::getline(in, line)) {
      std::string id = line.substr(0, line.find(' '));
      if (!id.empty()) zkrun::runProgram(HUBLORSIM_PATH, {"lose", id});
    }
  }

  zkroot::ScopedRoot m_root;
  std::string m_host;
  std::string m_source;
  std::vector<fs::path> m_files;
  bool m_checked[65] = {};
};

double wallOf(const BenchProcess& run) {
  return run.exitCode == 0 ? run.wallSeconds : -1;
}

// The measured path paired with two references in the same run, in turn (the order rotates
// from pair to pair); one row against each reference.
struct TwoRows {
  BenchRow first, second;
};
TwoRows benchTripleRun(const std::string& name, const std::string& firstName,
                       const std::string& firstGoal, const std::string& secondName,
                       const std::string& secondGoal, int repeats, const BenchPathFn& measured,
                       const BenchPathFn& first, const BenchPathFn& second) {
  TwoRows rows{{name + " vs " + firstName, firstGoal, {}, {}, {}, {}},
               {name + " vs " + secondName, secondGoal, {}, {}, {}, {}}};
  const BenchPathFn* paths[3] = {&measured, &first, &second};
  for (int k = 0; k < repeats; ++k) {
    double seconds[3] = {};
    for (int i = 0; i < 3; ++i) {
      int which = (i + k) % 3;
      seconds[which] = (*paths[which])();
      if (seconds[which] <= 0) {
        std::string failure = which == 0 ? "the measured path failed" : "a reference failed";
        rows.first.failure = rows.second.failure = failure;
        return rows;
      }
    }
    rows.first.measuredSeconds.push_back(seconds[0]);
    rows.second.measuredSeconds.push_back(seconds[0]);
    rows.first.referenceSeconds.push_back(seconds[1]);
    rows.second.referenceSeconds.push_back(seconds[2]);
    rows.first.ratios.push_back(seconds[1] / seconds[0]);
    rows.second.ratios.push_back(seconds[2] / seconds[0]);
  }
  return rows;
}

// Every row of one stripe count; the peak memory of its runs goes to peakKb.
void stripeRows(Machine& m, int n, const std::string& size, int repeats, long peakKb[2]) {
  auto copy = [&] { return benchDurableCopy(m.files(), m.dir() / "reference"); };
  auto writers = [&] { return benchParallelDurableWriters(m.files(), n, m.dir() / "reference"); };
  std::string writersName = std::to_string(n) + " durable writer" + (n > 1 ? "s" : "");
  const char* kinds[] = {"backup", "restore"};
  for (int kind = 0; kind < 2; ++kind) {
    auto measured = [&] {
      BenchProcess run = kind == 0 ? m.backup(n) : m.restore(n);
      peakKb[kind] = std::max(peakKb[kind], run.peakKb);
      return wallOf(run);
    };
    TwoRows rows = benchTripleRun(
        std::string("zarnaksqlc ") + kinds[kind] + " " + size + ", " + stripesText(n), "cp+flush",
        n == 4 ? ">= 1.0" : "", writersName, ">= 0.9", repeats, measured, copy, writers);
    benchPrintRow(rows.first);
    benchPrintRow(rows.second);
  }
}

void printMemoryRows(const long peakKb[2]) {
  double limitMb = 4.0 * kBuffers * kBufferKb / 1024 + 32;
  const char* kinds[] = {"backup", "restore"};
  for (int kind = 0; kind < 2; ++kind) {
    if (peakKb[kind] <= 0) continue;
    double peakMb = static_cast<double>(peakKb[kind]) / 1024;
    std::string what = std::string("zarnaksqlc peak MiB, whole process, ") + kinds[kind] +
                       " 4 stripes vs 4 x 3 x 1 MiB + 32";
    std::printf("%-64s %10.1f %10.1f %7s %7.2f %7s  %s\n", what.c_str(), peakMb, limitMb, "",
                limitMb / peakMb, "", ">= 1.0 (limit / peak)");
  }
}

// One single-database command (the backup of a tiny database) on the instance of many
// databases and on the one of few, in turn: the CPU seconds of the first beyond the second.
void listingRow(Machine& m, int repeats) {
  auto cpuOf = [&](const char* instance) {
    BenchProcess run = benchRunProcess(
        ZARNAKSQLC_PATH,
        Machine::command({"backup", "t1", "full", "/sqlserver=" + m.host() + "\\" + instance}));
    return run.exitCode == 0 ? run.cpuSeconds : -1;
  };
  std::vector<double> many, few, beyond;
  for (int k = 0; k < repeats; ++k) {
    double a = k % 2 == 0 ? cpuOf("MANY") : -2;
    double b = cpuOf("FEW");
    if (a == -2) a = cpuOf("MANY");
    if (a < 0 || b < 0) {
      std::printf("%-64s FAILED: a backup failed\n", "zarnaksqlc CPU s, 1 database");
      return;
    }
    many.push_back(a);
    few.push_back(b);
    beyond.push_back(a - b);
  }
  std::string what = "zarnaksqlc CPU s of a 1-db backup, " + std::to_string(kManyDatabases) +
                     " dbs beyond " + std::to_string(kFewDatabases);
  std::printf("%-64s %10.3f %10.3f %7.3f %7.3f %7.3f  %s\n", what.c_str(), benchMedian(many),
              benchMedian(few), benchMin(beyond), benchMedian(beyond), benchMax(beyond),
              "<= 0.1 s (beyond: measured - reference)");
}

// 4-stripe backups cancelled with SIGINT at random instants of their run: the seconds from
// the signal to the process's end.
void cancelRow(Machine& m, int runs) {
  BenchProcess whole = m.backup(4);
  if (whole.exitCode != 0) fail("the backup failed");
  std::mt19937 random(20261211);
  std::uniform_real_distribution<double> instant(0.0, whole.wallSeconds * 0.9);
  std::vector<double> latencies;
  for (int k = 0; k < runs; ++k) {
    ::sync();
    double start = 0;
    pid_t pid = benchStartProcess(
        ZARNAKSQLC_PATH, Machine::command({"backup", "big", "full", "/stripes=4"}), &start);
    if (pid < 0) fail("cannot start zarnaksqlc");
    std::this_thread::sleep_for(std::chrono::duration<double>(instant(random)));
    double signalled = benchNow();
    ::kill(pid, SIGINT);
    BenchProcess run = benchWaitProcess(pid, start);
    if (run.exitCode != 0) latencies.push_back(start + run.wallSeconds - signalled);
  }
  if (latencies.empty()) fail("no backup was cancelled");
  std::sort(latencies.begin(), latencies.end());
  double p50 = latencies[latencies.size() / 2];
  double p99 = latencies[std::min(latencies.size() - 1, latencies.size() * 99 / 100)];
  std::printf("%-64s %10.3f %10.3f %7.3f %7s %7.3f  p50 <= 0.15, p99 <= 1.0 (%zu cancels)\n",
              "zarnaksqlc cancel s, SIGINT to exit, p50 / p99 (min, max)", p50, p99,
              latencies.front(), "", latencies.back(), latencies.size());
}

std::vector<int> stripeCounts(const std::string& list) {
  std::vector<int> counts;
  std::istringstream in(list);
  std::string item;
  while (std::getline(in, item, ',')) {
    int n = std::atoi(item.c_str());
    if (n < 1 || n > 64) fail("--stripes needs counts from 1 to 64, as 1,2,4,8");
    counts.push_back(n);
  }
  return counts;
}

}  // namespace

int main(int argc, char** argv) {
  BenchOptions options = benchParseOptions(
      argc, argv,
      "usage: clc_bench [--mb N] [--stripes LIST] [--cancels N]\n  zarnaksqlc, process start to "
      "end, against a durable copy and n durable writers.\n  --mb N        database size in MiB "
      "(default 1024)\n  --stripes L   stripe counts (default 1,2,4,8)\n  --cancels N   "
      "cancelled backups of the cancel row (default 4 per repeat)",
      1024, 16);
  std::vector<int> stripes = {1, 2, 4, 8};
  int cancels = 4 * options.repeats;
  std::vector<std::string> rest;
  for (std::size_t i = 0; i < options.rest.size(); ++i) {
    if (options.rest[i] == "--stripes" && i + 1 < options.rest.size()) {
      stripes = stripeCounts(options.rest[++i]);
    } else if (options.rest[i] == "--cancels" && i + 1 < options.rest.size()) {
      cancels = std::atoi(options.rest[++i].c_str());
      if (cancels < 1 || cancels > 1000) fail("--cancels needs a number from 1 to 1000");
    } else {
      rest.push_back(options.rest[i]);
    }
  }
  options.rest = rest;
  benchRefuseRest(options, argv[0]);
  if (options.header) benchPrintHeader();
  Machine machine(options.mb);
  std::string size = std::to_string(options.mb) + " MiB";
  long peakKb[2] = {0, 0};
  for (int n : stripes) {
    long peaks[2] = {0, 0};
    stripeRows(machine, n, size, options.repeats, peaks);
    if (n == 4) std::copy(peaks, peaks + 2, peakKb);
  }
  printMemoryRows(peakKb);
  cancelRow(machine, cancels);
  machine.makeInstances();
  listingRow(machine, options.repeats);
  return 0;
}
