// zarnaksqlc's backups and restores as a user runs them: a simulated machine with the storage
// stand-in and an emulated SQL Server made with sqlsim, the databases checked byte for byte
// with sqlsim after each restore.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "outputcheck.h"
#include "registry.h"
#include "sqlmachine.h"
#include "sqlreg.h"

namespace fs = std::filesystem;

namespace {

class ZarnaksqlcSql : public SqlMachine {
 protected:
  // A restore of the full backup of sales with its files moved into the folder, d.mdf and l.ldf.
  zkrun::ProgramRun restoreMoved(const std::string& option, const fs::path& folder) {
    fs::create_directories(folder);
    return run({"restore", "sales", "full", option, "/relocate=sales_data,sales_log",
                "/to=" + (folder / "d.mdf").string() + "," + (folder / "l.ldf").string()});
  }
  // The SQL Server login stored for the machine's server, as the agent stores it.
  void storeLogin(const std::string& user, const std::string& password) {
    char key[512];
    ASSERT_EQ(sqlRegKeyPath(computerName().c_str(), key, sizeof key), 1);
    HKEY handle = nullptr;
    ASSERT_EQ(createOrOpenReg(HKEY_LOCAL_MACHINE, key, &handle), 0);
    ASSERT_EQ(putSzValue(HKEY_LOCAL_MACHINE, key, SQL_REG_USERID, user.c_str()), 0);
    ASSERT_EQ(putDwordValue(HKEY_LOCAL_MACHINE, key, SQL_REG_ENCRYPTION, 1), 0);
    BYTE block[REG_SCRAMBLE_BLOCK_SIZE];
    DWORD length = 0;
    ASSERT_EQ(regScramble(REG_ENCRYPTION_SCRAMBLE, user.c_str(), password.c_str(), block, &length),
              1);
    ASSERT_EQ(putBinaryValue(HKEY_LOCAL_MACHINE, key, SQL_REG_PASSWORD, block, length), 0);
  }
};

TEST_F(ZarnaksqlcSql, FourStripesBackedUpListedAndRestoredOverTheDatabaseAndIntoACopy) {
  std::vector<std::string> backedUp = sums("sales");
  zkrun::ProgramRun backup = run({"backup", "sales", "full", "/stripes=4"});
  ASSERT_EQ(backup.exitCode, 0) << backup.out;
  expectInOrder(backup.out, {"Backup statistics:", "completed successfully"});

  zkrun::ProgramRun query = run({"q", "hublor", "sales"});
  EXPECT_EQ(query.exitCode, 0) << query.out;
  expectInOrder(query.out, {"Database            sales", "Backup type         Full", "4 stripes"});

  change("sales", 2);
  ASSERT_NE(sums("sales"), backedUp);
  zkrun::ProgramRun over = run({"restore", "sales", "full", "/replace"});
  ASSERT_EQ(over.exitCode, 0) << over.out;
  EXPECT_EQ(sums("sales"), backedUp);

  zkrun::ProgramRun into = restoreMoved("/into=sales2", m_Root.path() / "copy");
  ASSERT_EQ(into.exitCode, 0) << into.out;
  EXPECT_EQ(sums("sales2"), backedUp);
}

// A reader that goes away ("| head") never kills a backup or a restore: each runs to its end,
// records its outcome and ends with its own status.
TEST_F(ZarnaksqlcSql, AClosedOutputNeitherKillsABackupNorARestore) {
  std::vector<std::string> backedUp = sums("sales");
  auto piped = [&](const std::string& words) {
    std::string line = "'" + std::string(ZARNAKSQLC_PATH) + "' " + words +
                       " /hublorpassword=secret | head -c 1 >/dev/null; echo ${PIPESTATUS[0]}";
    return zkrun::runProgram("/bin/bash", {"-c", line});
  };
  zkrun::ProgramRun backup = piped("backup sales full");
  EXPECT_EQ(backup.out, "0\n") << activityLog();
  expectInOrder(activityLog(), {"Backup started: type FULL, databases sales", "Backups done  "});
  change("sales", 2);
  zkrun::ProgramRun restore = piped("restore sales full /replace");
  EXPECT_EQ(restore.out, "0\n") << activityLog();
  EXPECT_EQ(sums("sales"), backedUp);
}

TEST_F(ZarnaksqlcSql, ABackupOfNoDatabaseSaysSoAndStoresNothing) {
  zkrun::ProgramRun backup = run({"backup", "nosuchdb"});
  EXPECT_EQ(backup.exitCode, 0) << backup.out;
  expectInOrder(backup.out, {"No database of the SQL Server matches", "completed successfully"});
  zkrun::ProgramRun query = run({"q", "hublor", "*", "/all"});
  EXPECT_FALSE(has(query.out, "Database ")) << query.out;
}

// Every backup type from the command line, each a backup of its own (a backup ends in a later
// second than it started in, so the next one's time stamp is another); a log backup with
// /truncate=no leaves the log as it was.
TEST_F(ZarnaksqlcSql, EveryBackupTypeIsStoredAndCounted) {
  const std::vector<std::vector<std::string>> backups = {
      {"backup", "sales", "full", "/stripes=2"},  {"backup", "sales", "diff"},
      {"backup", "sales", "log", "/truncate=no"}, {"backup", "sales", "file=sales_data"},
      {"backup", "sales", "group=PRIMARY"},
  };
  sqlsim({"log", "MSSQLSERVER", "sales", "--count", "3"});
  for (const auto& args : backups) {
    SCOPED_TRACE(args[2]);
    zkrun::ProgramRun result = run(args);
    EXPECT_EQ(result.exitCode, 0) << result.out;
    EXPECT_TRUE(has(result.out, "Backups done                1")) << result.out;
  }
  zkrun::ProgramRun show = zkrun::runProgram(SQLSIM_PATH, {"show", "MSSQLSERVER", "sales"});
  EXPECT_TRUE(has(show.out, "log-records=3")) << show.out;
  zkrun::ProgramRun types = run({"q", "hublor", "sales", "types"});
  EXPECT_EQ(types.exitCode, 0) << types.out;
  expectInOrder(types.out, {"Database            sales", "Full", "1", "DiffFull", "1", "Log", "1",
                            "Group", "1", "File", "1"});
}

// A full backup and two log backups restored as a chain: the full one without recovery, then
// the logs up to a point in time inside the second one.
TEST_F(ZarnaksqlcSql, ALogChainRestoresToAPointInTime) {
  ASSERT_EQ(run({"backup", "sales", "full"}).exitCode, 0);
  for (const char* time : {"2026-12-01 10:00:00", "2026-12-01 11:00:00"}) {
    sqlsim({"log", "MSSQLSERVER", "sales", "--count", "2", "--time", time});
    zkrun::ProgramRun log = run({"backup", "sales", "log"});
    ASSERT_EQ(log.exitCode, 0) << log.out;
  }
  zkrun::ProgramRun full = run({"restore", "sales", "full", "/replace", "/recovery=no"});
  ASSERT_EQ(full.exitCode, 0) << full.out;
  zkrun::ProgramRun logs = run({"restore", "sales", "log=*", "/stopat=2026-12-01 10:30:00"});
  ASSERT_EQ(logs.exitCode, 0) << logs.out;
  EXPECT_TRUE(has(logs.out, "2 restored")) << logs.out;
  zkrun::ProgramRun show = zkrun::runProgram(SQLSIM_PATH, {"show", "MSSQLSERVER", "sales"});
  EXPECT_TRUE(has(show.out, "status=online")) << show.out;
  EXPECT_TRUE(has(show.out, "log-records=2\t")) << show.out;
  EXPECT_FALSE(has(show.out, "11:00:00")) << show.out;
}

// A log chain with a mark: the full backup without recovery, then the logs up to and with the
// marked transaction, which ends in the first log backup of two.
TEST_F(ZarnaksqlcSql, ALogChainRestoresToAMark) {
  std::vector<std::string> backedUp = sums("sales");
  ASSERT_EQ(run({"backup", "sales", "full"}).exitCode, 0);
  const std::vector<std::vector<std::string>> logs = {
      {"log", "MSSQLSERVER", "sales", "--count", "2"},
      {"log", "MSSQLSERVER", "sales", "--mark", "payday"},
      {"log", "MSSQLSERVER", "sales", "--count", "2"},
  };
  for (size_t i = 0; i < logs.size(); ++i) {
    sqlsim(logs[i]);
    if (i == 0) continue;
    zkrun::ProgramRun log = run({"backup", "sales", "log"});
    ASSERT_EQ(log.exitCode, 0) << log.out;
  }
  change("sales", 2);
  ASSERT_EQ(run({"restore", "sales", "full", "/replace", "/recovery=no"}).exitCode, 0);
  zkrun::ProgramRun marked = run({"restore", "sales", "log=*", "/stopatmark=payday"});
  ASSERT_EQ(marked.exitCode, 0) << marked.out;
  zkrun::ProgramRun show = zkrun::runProgram(SQLSIM_PATH, {"show", "MSSQLSERVER", "sales"});
  EXPECT_TRUE(has(show.out, "status=online")) << show.out;
  EXPECT_TRUE(has(show.out, "log-records=3\t")) << show.out;
  EXPECT_TRUE(has(show.out, "mark=payday")) << show.out;
  EXPECT_EQ(sums("sales"), backedUp);
}

// A set backup of one file of a database with two: stored with that file only, and restored
// alone over it.
TEST_F(ZarnaksqlcSql, ASetOfFilesIsBackedUpAndRestoredAlone) {
  sqlsim({"database", "MSSQLSERVER", "hr", "--group", "G2", "--file", "PRIMARY:hr_data:1024",
          "--file", "G2:hr_g2:1024", "--log", "hr_log:512"});
  sqlsim({"pages", "MSSQLSERVER", "hr", "hr_g2", "0", "64", "--seed", "3"});
  std::vector<std::string> backedUp = sums("hr");
  zkrun::ProgramRun backup = run({"backup", "hr", "set", "/files=hr_g2"});
  ASSERT_EQ(backup.exitCode, 0) << backup.out;
  EXPECT_TRUE(has(backup.out, "Backups done                1")) << backup.out;

  zkrun::ProgramRun query = run({"q", "hublor", "hr", "set=*", "/fileinfo"});
  EXPECT_EQ(query.exitCode, 0) << query.out;
  expectInOrder(query.out, {"Backup type         Set", "Group               G2", "File hr_g2"});
  EXPECT_FALSE(has(query.out, "hr_data")) << query.out;

  sqlsim({"pages", "MSSQLSERVER", "hr", "hr_g2", "0", "64", "--seed", "4"});
  zkrun::ProgramRun restore = run({"restore", "hr", "set=*", "/files=hr_g2"});
  ASSERT_EQ(restore.exitCode, 0) << restore.out;
  EXPECT_EQ(sums("hr"), backedUp);
}

// The most stripes, restored over the database with its files moved to new places.
TEST_F(ZarnaksqlcSql, EightStripesRestoreOverTheDatabaseWithItsFilesMoved) {
  std::vector<std::string> backedUp = sums("sales");
  zkrun::ProgramRun backup = run({"backup", "sales", "full", "/stripes=8"});
  ASSERT_EQ(backup.exitCode, 0) << backup.out;
  EXPECT_TRUE(has(run({"q", "hublor", "sales"}).out, "8 stripes"));

  change("sales", 2);
  fs::path moved = m_Root.path() / "moved";
  zkrun::ProgramRun restore = restoreMoved("/replace", moved);
  ASSERT_EQ(restore.exitCode, 0) << restore.out;
  EXPECT_EQ(sums("sales"), backedUp);
  zkrun::ProgramRun files = zkrun::runProgram(SQLSIM_PATH, {"checksum", "MSSQLSERVER", "sales"});
  EXPECT_TRUE(has(files.out, (moved / "d.mdf").string())) << files.out;
  EXPECT_TRUE(has(files.out, (moved / "l.ldf").string())) << files.out;
}

// A database SQL Server cannot open: the backup says why, stores nothing and ends with 402.
TEST_F(ZarnaksqlcSql, ABackupOfADatabaseWhoseInformationCannotBeReadFails) {
  sqlsim({"status", "MSSQLSERVER", "sales", "suspect"});
  zkrun::ProgramRun backup = run({"backup", "sales", "full"});
  EXPECT_EQ(backup.exitCode, 402 & 0xFF) << backup.out;
  expectInOrder(backup.out, {"Database sales is not backed up: its information cannot be read",
                             "The state of the database is: Suspect",
                             "Backups done                0", "return code 402"});
  zkrun::ProgramRun query = run({"q", "hublor", "*", "/all"});
  EXPECT_FALSE(has(query.out, "Database ")) << query.out;
}

// A restore on standby: the database stays readable and takes further logs, with its undo file
// where the command line names it.
TEST_F(ZarnaksqlcSql, ARestoreOnStandbyKeepsItsUndoFile) {
  ASSERT_EQ(run({"backup", "sales", "full"}).exitCode, 0);
  fs::path undo = m_Root.path() / "sales.undo";
  zkrun::ProgramRun standby =
      run({"restore", "sales", "full", "/replace", "/standby=" + undo.string()});
  ASSERT_EQ(standby.exitCode, 0) << standby.out;
  zkrun::ProgramRun show = zkrun::runProgram(SQLSIM_PATH, {"show", "MSSQLSERVER", "sales"});
  EXPECT_TRUE(has(show.out, "status=standby")) << show.out;
  EXPECT_TRUE(fs::exists(undo));
}

TEST_F(ZarnaksqlcSql, QuerySqlShowsTheServerAndEachDatabaseOrWhyItCannotBeRead) {
  makeDatabase("hr");
  sqlsim({"option", "MSSQLSERVER", "hr", "read-only", "on"});
  sqlsim({"option", "MSSQLSERVER", "hr", "auto-close", "on"});
  sqlsim({"status", "MSSQLSERVER", "sales", "suspect"});
  zkrun::ProgramRun server = run({"q", "sql"});
  EXPECT_EQ(server.exitCode, 0) << server.out;
  expectInOrder(server.out, {"SQL Server          " + computerName(), "SQL Server version  8.0"});
  EXPECT_FALSE(has(server.out, "Clustered")) << server.out;

  zkrun::ProgramRun all = run({"q", "sql", "*", "/compat"});
  EXPECT_EQ(all.exitCode, 0) << all.out;
  expectInOrder(all.out,
                {"SQL Server version  8.0", "Clustered           No",
                 "Databases:", "Database            master", "Options             System database",
                 "Database            sales", "Status              Suspect", "cannot be opened",
                 "Database            hr", "Data size 2,097,152", "Compatibility level 80",
                 "Options             Read only\n", "                    Auto close\n"});
  EXPECT_FALSE(has(all.out, "Database            tempdb")) << all.out;
}

// The login of a SQL Server login run: given whole, completed from the stored one, refused
// when the user given is not the stored one, or "sa" when none is stored.
TEST_F(ZarnaksqlcSql, TheSqlLoginIsCompletedFromTheStoredOne) {
  sqlsim({"login", "MSSQLSERVER", "alice", "--password", "pw", "--sysadmin", "yes"});
  zkrun::ProgramRun none = run({"q", "sql", "/sqlauth=sqluserid", "/sqluser=bob"});
  EXPECT_EQ(none.exitCode, 0) << none.out;
  EXPECT_TRUE(has(activityLog(), "No SQL Server login is stored")) << activityLog();

  storeLogin("alice", "pw");
  struct Case {
    std::vector<std::string> login;
    int exitCode;
  };
  const Case cases[] = {
      {{}, 0},
      {{"/sqluser=alice"}, 0},
      {{"/sqlpassword=pw"}, 0},
      {{"/sqlpassword=wrong"}, 1900 & 0xFF},
      {{"/sqluser=bob"}, 1213 & 0xFF},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.login.empty() ? "stored" : c.login[0]);
    std::vector<std::string> args = {"q", "sql", "/sqlauth=sqluserid"};
    args.insert(args.end(), c.login.begin(), c.login.end());
    zkrun::ProgramRun result = run(args);
    EXPECT_EQ(result.exitCode, c.exitCode) << result.out;
  }
  EXPECT_TRUE(has(run({"q", "sql", "/sqlauth=sqluserid", "/sqluser=bob"}).out,
                  "does not match the stored login"));
}

}  // namespace
