// zarnaksqlc's restores as a user runs them, end to end: backups taken by the agent through the
// emulated SQL Server into the storage stand-in and restored from it, every result compared byte
// for byte by the checksums sqlsim gives of the data files, and the database's state read back.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "outputcheck.h"
#include "sqlmachine.h"

namespace fs = std::filesystem;

namespace {

class ZarnaksqlcRestore : public SqlMachine {
 protected:
  // A database of two groups: PRIMARY with shop_data, FG2 with shop_fg2.
  void makeShop() {
    sqlsim({"database", "MSSQLSERVER", "shop", "--group", "FG2", "--file", "PRIMARY:shop_data:1024",
            "--file", "FG2:shop_fg2:1024", "--log", "shop_log:512"});
    pages("shop_data", 1);
    pages("shop_fg2", 2);
  }
  void pages(const std::string& file, int seed) {
    std::string db = file.substr(0, file.find('_'));
    sqlsim({"pages", "MSSQLSERVER", db, file, "0", "64", "--seed", std::to_string(seed)});
  }
  // Each backup a second after the one before, so that each gets a name of its own.
  zkrun::ProgramRun backup(const std::vector<std::string>& args,
                           const std::vector<std::string>& environment = {}) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1100));
    std::vector<std::string> all = {"backup"};
    all.insert(all.end(), args.begin(), args.end());
    return run(all, environment);
  }
  std::string show(const std::string& db) {
    return zkrun::runProgram(SQLSIM_PATH, {"show", "MSSQLSERVER", db}).out;
  }
  // Log backups of sales after a full one: two records at 10:00, a mark "payday", two records
  // at 11:00, each group in a log backup of its own.
  void salesChain() {
    ASSERT_EQ(backup({"sales", "full"}).exitCode, 0);
    const std::vector<std::vector<std::string>> logs = {
        {"--count", "2", "--time", "2026-12-01 10:00:00"},
        {"--mark", "payday", "--time", "2026-12-01 10:30:00"},
        {"--count", "2", "--time", "2026-12-01 11:00:00"},
    };
    for (const auto& words : logs) {
      std::vector<std::string> args = {"log", "MSSQLSERVER", "sales"};
      args.insert(args.end(), words.begin(), words.end());
      sqlsim(args);
      zkrun::ProgramRun log = backup({"sales", "log"});
      ASSERT_EQ(log.exitCode, 0) << log.out;
    }
  }
  // The data file of a stored object, found by its size among the store's files.
  std::vector<fs::path> storedFilesOfSize(uintmax_t size) {
    std::vector<fs::path> found;
    for (const auto& entry : fs::recursive_directory_iterator(m_Root.path() / "hublor" / "data")) {
      if (entry.is_regular_file() && entry.file_size() == size) found.push_back(entry.path());
    }
    return found;
  }
};

// A set of the group FG2 and the single file shop_data of PRIMARY, restored with /groups=FG2:
// only FG2 comes back; shop_data keeps its later change. The log then recovers the database.
TEST_F(ZarnaksqlcRestore, ASetRestoreOfOneGroupRestoresThatGroupOnly) {
  makeShop();
  ASSERT_EQ(backup({"shop", "full"}).exitCode, 0);
  zkrun::ProgramRun set = backup({"shop", "set", "/groups=FG2", "/files=shop_data"});
  ASSERT_EQ(set.exitCode, 0) << set.out;
  std::vector<std::string> backedUp = sums("shop");
  pages("shop_data", 5);
  pages("shop_fg2", 6);
  std::vector<std::string> changed = sums("shop");
  ASSERT_EQ(backup({"shop", "log"}).exitCode, 0);

  zkrun::ProgramRun restore = run({"restore", "shop", "set=*", "/groups=FG2"});
  ASSERT_EQ(restore.exitCode, 0) << restore.out;
  EXPECT_EQ(sums("shop"), (std::vector<std::string>{changed[0], backedUp[1]}));
  EXPECT_TRUE(has(show("shop"), "status=restoring")) << show("shop");

  zkrun::ProgramRun log = run({"restore", "shop", "log=*"});
  ASSERT_EQ(log.exitCode, 0) << log.out;
  EXPECT_TRUE(has(show("shop"), "status=online")) << show("shop");
  EXPECT_EQ(sums("shop"), (std::vector<std::string>{changed[0], backedUp[1]}));
}

// Stop points in a chain of three logs: reached, they recover the database there; never
// reached, every log is applied, the database stays restoring, and the user is told so with a
// return code that is not 0.
TEST_F(ZarnaksqlcRestore, StopPointsRecoverWhereTheyAreOrSayTheyWereNotReached) {
  salesChain();
  std::vector<std::string> backedUp = sums("sales");
  struct Case {
    std::string stop;
    bool reached;
    std::string records;  // log records applied
  } cases[] = {
      {"/stopat=2026-12-01 10:45:00", true, "log-records=3\t"},
      {"/stopat=2026-12-02 09:00:00", false, "log-records=5\t"},
      {"/stopatmark=payday", true, "log-records=3\t"},
      {"/stopatmark=no_such_mark", false, "log-records=5\t"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.stop);
    change("sales", 9);
    ASSERT_EQ(run({"restore", "sales", "full", "/replace", "/recovery=no"}).exitCode, 0);
    zkrun::ProgramRun logs = run({"restore", "sales", "log=*", c.stop});
    std::string state = show("sales");
    EXPECT_TRUE(has(state, c.records)) << state;
    EXPECT_EQ(sums("sales"), backedUp);
    if (c.reached) {
      EXPECT_EQ(logs.exitCode, 0) << logs.out;
      EXPECT_TRUE(has(state, "status=online")) << state;
      continue;
    }
    EXPECT_NE(logs.exitCode, 0) << logs.out;
    EXPECT_TRUE(has(logs.out, "Database sales is left restoring")) << logs.out;
    EXPECT_FALSE(has(logs.out, "completed successfully")) << logs.out;
    EXPECT_TRUE(has(state, "status=restoring")) << state;
    EXPECT_TRUE(has(activityLog(), "Database sales is left restoring")) << activityLog();
  }
}

// On standby the database stays readable; the next log, restored with recovery, brings it
// online.
TEST_F(ZarnaksqlcRestore, StandbyThenTheNextLogWithRecovery) {
  ASSERT_EQ(backup({"sales", "full"}).exitCode, 0);
  sqlsim({"log", "MSSQLSERVER", "sales", "--count", "2"});
  ASSERT_EQ(backup({"sales", "log"}).exitCode, 0);
  std::vector<std::string> backedUp = sums("sales");
  change("sales", 7);
  fs::path undo = m_Root.path() / "sales.undo";
  zkrun::ProgramRun standby =
      run({"restore", "sales", "full", "/replace", "/standby=" + undo.string()});
  ASSERT_EQ(standby.exitCode, 0) << standby.out;
  EXPECT_TRUE(has(show("sales"), "status=standby")) << show("sales");
  zkrun::ProgramRun log = run({"restore", "sales", "log=*", "/recovery=yes"});
  ASSERT_EQ(log.exitCode, 0) << log.out;
  EXPECT_TRUE(has(show("sales"), "status=online")) << show("sales");
  EXPECT_TRUE(has(show("sales"), "log-records=2\t")) << show("sales");
  EXPECT_EQ(sums("sales"), backedUp);
}

// Eight stripes restored over three sessions.
TEST_F(ZarnaksqlcRestore, EightStripesComeBackOverThreeSessions) {
  std::vector<std::string> backedUp = sums("sales");
  zkrun::ProgramRun eight = backup({"sales", "full", "/stripes=8"});
  ASSERT_EQ(eight.exitCode, 0) << eight.out;
  change("sales", 3);
  zkrun::ProgramRun restore = run({"restore", "sales", "full", "/replace", "/stripes=3"});
  ASSERT_EQ(restore.exitCode, 0) << restore.out;
  EXPECT_EQ(sums("sales"), backedUp);
}

// A backup whose rename or send the storage server refuses with 157 fails and leaves the
// previous backup as it was: listed, and restorable byte for byte.
TEST_F(ZarnaksqlcRestore, ARefusedBackupLeavesThePreviousOneRestorable) {
  std::vector<std::string> backedUp = sums("sales");
  ASSERT_EQ(backup({"sales", "full", "/stripes=2"}).exitCode, 0);
  const char* faults[] = {"pelkRenameObj code=PELK_RC_WILL_ABORT",
                          "pelkSendData nth=2 code=PELK_RC_WILL_ABORT"};
  for (const char* fault : faults) {
    SCOPED_TRACE(fault);
    change("sales", 4);
    zkrun::ProgramRun refused =
        backup({"sales", "full", "/stripes=2"}, {std::string("HUBLOR_FAULTS=") + fault});
    EXPECT_NE(refused.exitCode, 0) << refused.out;
    zkrun::ProgramRun query = run({"q", "hublor", "sales"});
    EXPECT_EQ(countOf(query.out, "Backup type         Full"), 1) << query.out;
    zkrun::ProgramRun restore = run({"restore", "sales", "full", "/replace"});
    ASSERT_EQ(restore.exitCode, 0) << restore.out;
    EXPECT_EQ(sums("sales"), backedUp);
  }
}

// Bytes of a stored data object changed on the storage server's volume, its size kept: the
// restore fails and says why, instead of restoring different pages.
TEST_F(ZarnaksqlcRestore, DataChangedOnTheStorageServerFailsTheRestore) {
  zkrun::ProgramRun full = backup({"sales", "full"});
  ASSERT_EQ(full.exitCode, 0) << full.out;
  std::vector<fs::path> largest;
  uintmax_t size = 0;
  for (const auto& entry : fs::recursive_directory_iterator(m_Root.path() / "hublor" / "data")) {
    if (entry.is_regular_file() && entry.file_size() > size) size = entry.file_size();
  }
  largest = storedFilesOfSize(size);
  ASSERT_EQ(largest.size(), 1u);
  {
    std::fstream file(largest[0], std::ios::in | std::ios::out | std::ios::binary);
    char bytes[16];
    file.seekg(static_cast<std::streamoff>(size / 2));
    file.read(bytes, sizeof bytes);
    for (char& b : bytes) b = static_cast<char>(~b);
    file.seekp(static_cast<std::streamoff>(size / 2));
    file.write(bytes, sizeof bytes);
  }
  change("sales", 8);
  zkrun::ProgramRun restore = run({"restore", "sales", "full", "/replace"});
  EXPECT_NE(restore.exitCode, 0) << restore.out;
  EXPECT_FALSE(has(restore.out, "completed successfully")) << restore.out;
  EXPECT_TRUE(has(activityLog(), "not available on the server")) << activityLog();
}

}  // namespace
