// zarnaksqlc's storage-side commands against the storage stand-in: Query HUBLOR, INACTIVate,
// CHANGEHUBLORPassword, the password prompts of the logon, the loading of the client library and
// the console control events. The stored backups are written as the agent stores them.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "filetext_testutil.h"
#include "outputcheck.h"
#include "runprogram.h"
#include "storedbackup_testutil.h"
#include "terminal.h"

namespace fs = std::filesystem;
extern char** environ;

namespace {

// The program started in the background with a pipe for its standard input and a file for its
// standard output.
class Background {
 public:
  Background(const std::vector<std::string>& args, const fs::path& outFile) : m_Out(outFile) {
    std::vector<std::string> words = {ZARNAKSQLC_PATH};
    words.insert(words.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    int in[2];
    EXPECT_EQ(pipe(in), 0);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in[0], STDIN_FILENO);
    posix_spawn_file_actions_addclose(&actions, in[1]);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, outFile.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    EXPECT_EQ(posix_spawn(&m_Pid, argv[0], &actions, nullptr, argv.data(), environ), 0);
    posix_spawn_file_actions_destroy(&actions);
    close(in[0]);
    m_Input = in[1];
  }
  ~Background() {
    if (m_Input >= 0) close(m_Input);
    if (m_Pid > 0) {
      kill(m_Pid, SIGKILL);
      waitpid(m_Pid, nullptr, 0);
    }
  }
  // Waits until the file holds the text; false after 20 seconds.
  static bool waitFor(const fs::path& file, const std::string& text) {
    for (int i = 0; i < 400; i++) {
      if (fs::exists(file) && has(fileText(file.string()), text)) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
  }
  void signal(int signo) { kill(m_Pid, signo); }
  // The exit status; -1 when the program did not end within 20 seconds (it is then killed).
  int exitCode() {
    int status = 0;
    pid_t ended = 0;
    for (int i = 0; i < 400 && ended == 0; i++) {
      ended = waitpid(m_Pid, &status, WNOHANG);
      if (ended == 0) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    if (ended == 0) return -1;  // the destructor kills it
    m_Pid = 0;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  std::string out() const { return fileText(m_Out.string()); }

 private:
  fs::path m_Out;
  pid_t m_Pid = 0;
  int m_Input = -1;
};

// The machine of the storage fixture (node NODE1 with password "secret", its option file in
// the agent directory) with the program's message repository beside it.
class ZarnaksqlcHublor : public StoredBackupFixture {
 protected:
  void SetUp() override {
    StoredBackupFixture::SetUp();
    fs::copy_file(ZK_MESSAGE_REPOSITORY, agentDir() + "sqlAMENG.txt",
                  fs::copy_options::overwrite_existing);
  }
  void TearDown() override {
    unsetenv("HUBLOR_API_VERSION");
    StoredBackupFixture::TearDown();
  }
  zkrun::ProgramRun run(std::vector<std::string> args, const std::string& input = "") {
    args.push_back("/hublorpassword=secret");
    return runAsIs(args, input);
  }
  zkrun::ProgramRun runAsIs(const std::vector<std::string>& args, const std::string& input = "") {
    std::string inputFile;
    if (!input.empty()) {
      inputFile = (m_Root.path() / "input.txt").string();
      std::ofstream(inputFile) << input;
    }
    return zkrun::runProgram(ZARNAKSQLC_PATH, args, inputFile);
  }
  std::string activityLog() { return fileText(agentDir() + "zarnaksql.log"); }
  // A full and a log backup of Sales and a differential one of Payroll, made on the given day
  // of April 2001; backups made later make the full and differential ones inactive.
  void storeSampleBackups(uint8_t day = 5) {
    StoredBackup full;
    full.time.day = day;
    storeBackup(full);
    StoredBackup log = full;
    log.type = BACKUP_TYPE_LOG;
    log.time.hour = 12;
    storeBackup(log);
    StoredBackup other = full;
    other.db = "Payroll";
    other.type = BACKUP_TYPE_DIFFFULL;
    other.stripes = 2;
    storeBackup(other);
  }
  // The exit status of a return code.
  static int status(int rc) { return rc & 0xFF; }
};

TEST_F(ZarnaksqlcHublor, QueryHublorShowsTheStorageServer) {
  zkrun::ProgramRun result = run({"q", "hublor"});
  EXPECT_EQ(result.exitCode, 0) << result.out;
  expectInOrder(result.out, {"Storage server:", "Node                NODE1",
                             "Server name         HUBLOR1", "completed successfully"});
}

TEST_F(ZarnaksqlcHublor, QueryHublorListsTheStoredBackups) {
  storeSampleBackups();
  zkrun::ProgramRun all = run({"q", "hublor", "*", "/fromsqlserver=SRV1"});
  EXPECT_EQ(all.exitCode, 0) << all.out;
  expectInOrder(
      all.out,
      {"Stored backups:", "Database            Payroll", "Backup type         DiffFull",
       "Active, made", "object 20010405114102\\000004D2, 2 stripes", "Database            Sales",
       "Backup type         Full", "Database            Sales", "Backup type         Log"});
  EXPECT_FALSE(has(all.out, "SQL Server version"));

  zkrun::ProgramRun compat =
      run({"q", "hublor", "Sales", "full", "/fromsqlserver=SRV1", "/compat"});
  EXPECT_EQ(compat.exitCode, 0) << compat.out;
  expectInOrder(compat.out,
                {"Database            Sales", "Backup type         Full", "SQL Server version  8.0",
                 "Clustered           No", "Made by agent       2.2.0 (form 2, sublevel 1)",
                 "Options             \n"});
  EXPECT_FALSE(has(compat.out, "Log      "));
}

// A full backup of Sales whose meta-data object carries two groups (PRIMARY with two files, the
// log's pseudo-group with one) and of Payroll with one.
TEST_F(ZarnaksqlcHublor, FileInformationWithAndWithoutCompatibility) {
  auto group = [](const char* nameP, uint32_t files, uint32_t log) {
    SqlMetaGroupInfo g;
    std::snprintf(g.szGroupName, sizeof g.szGroupName, "%s", nameP);
    g.lGroupNumFiles = files;
    g.bGroupIsLog = log;
    g.u64GroupFileSize = pkInt64FromNative(3072);
    g.u64GroupSpaceUsed = pkInt64FromNative(1536);
    return g;
  };
  auto file = [](const char* nameP, const char* pathP, int64_t size, uint32_t log) {
    SqlMetaFileInfo f;
    std::snprintf(f.szFileLogicalName, sizeof f.szFileLogicalName, "%s", nameP);
    std::snprintf(f.szFilePhysicalName, sizeof f.szFilePhysicalName, "%s", pathP);
    f.u64FileSize = pkInt64FromNative(size);
    f.u64FileSpaceUsed = pkInt64FromNative(size / 2);
    f.bFileIsLog = log;
    return f;
  };
  StoredBackup sales;
  sales.groups = {group("PRIMARY", 2, 0), group("", 1, 1)};
  sales.files = {file("sales_data", "C:\\data\\sales.mdf", 2048, 0),
                 file("sales_more", "C:\\data\\more.ndf", 1024, 0),
                 file("sales_log", "C:\\data\\sales.ldf", 4096, 1)};
  storeBackup(sales);
  StoredBackup payroll = sales;
  payroll.db = "Payroll";
  payroll.groups = {group("PAY", 1, 0)};
  payroll.files = {file("pay_data", "D:\\pay.mdf", 8192, 0)};
  storeBackup(payroll);

  zkrun::ProgramRun fileInfo =
      run({"q", "hublor", "Sales", "full", "/filei", "/fromsqlserver=SRV1"});
  EXPECT_EQ(fileInfo.exitCode, 0) << fileInfo.out;
  expectInOrder(
      fileInfo.out,
      {"Database            Sales", "Group               PRIMARY", "  Group size 3,072, used 1,536",
       "  File sales_data, C:\\data\\sales.mdf, size 2,048", "    used 1,024",
       "  File sales_more, C:\\data\\more.ndf, size 1,024", "    used 512",
       "  File sales_log, C:\\data\\sales.ldf, size 4,096\n\n"});
  EXPECT_FALSE(has(fileInfo.out, "SQL Server version")) << fileInfo.out;
  EXPECT_FALSE(has(fileInfo.out, "pay_data")) << fileInfo.out;

  zkrun::ProgramRun both =
      run({"q", "hublor", "Payroll", "full", "/filei", "/compat", "/fromsqlserver=SRV1"});
  EXPECT_EQ(both.exitCode, 0) << both.out;
  expectInOrder(both.out, {"Database            Payroll", "SQL Server version  8.0",
                           "Group               PAY", "  File pay_data, D:\\pay.mdf, size 8,192"});
  EXPECT_FALSE(has(both.out, "sales_data")) << both.out;
}

TEST_F(ZarnaksqlcHublor, TypesPerDatabaseWithAndWithoutAll) {
  storeSampleBackups(5);
  storeSampleBackups(6);  // the full and differential backups of the 5th become inactive
  zkrun::ProgramRun active = run({"q", "hublor", "*", "types", "/fromsqlserver=SRV1"});
  EXPECT_EQ(active.exitCode, 0) << active.out;
  expectInOrder(active.out,
                {"Database            Payroll", "SQL Server          SRV1", "DiffFull  1 active",
                 "Database            Sales", "Full      1 active", "Log       2 active"});
  EXPECT_FALSE(has(active.out, "inactive"));
  zkrun::ProgramRun any = run({"q", "hublor", "*", "types", "/all", "/fromsqlserver=SRV1"});
  EXPECT_EQ(any.exitCode, 0) << any.out;
  expectInOrder(any.out, {"Payroll", "DiffFull  1 active", "DiffFull  1 inactive", "Sales",
                          "Full      1 active", "Full      1 inactive", "Log       2 active"});
}

TEST_F(ZarnaksqlcHublor, NothingFoundEndsWith114) {
  storeSampleBackups();
  zkrun::ProgramRun result = run({"q", "hublor", "nosuch", "/fromsqlserver=SRV1"});
  EXPECT_EQ(result.exitCode, status(114));
  EXPECT_TRUE(has(result.out, "No stored backup of SQL Server SRV1 matches the query."))
      << result.out;
}

TEST_F(ZarnaksqlcHublor, InactivateShowsProgressUnlessQuiet) {
  storeSampleBackups();
  zkrun::ProgramRun result =
      run({"inactiv", "Sales", "full", "/olderthan=30", "/fromsqlserver=SRV1"});
  EXPECT_EQ(result.exitCode, 0) << result.out;
  expectInOrder(result.out,
                {"Inactivation started.", "Querying the storage server for the stored backups.",
                 "Inactivating the full backup of Sales made 04/05/2001 11:41:02.",
                 "Inactivation ended: 1 backups listed, 1 old enough, 1 inactivated, 0 skipped",
                 "completed successfully"});
  EXPECT_EQ(objects("SRV1\\meta\\0000", PELK_ACTIVE).size(), 2u);
  EXPECT_TRUE(has(activityLog(), "Inactivation of FULL backups started: databases Sales"));

  zkrun::ProgramRun quiet = run({"inactiv", "*", "*", "/quiet", "/fromsqlserver=SRV1"});
  EXPECT_EQ(quiet.exitCode, 0) << quiet.out;
  EXPECT_FALSE(has(quiet.out, "Inactivation started.")) << quiet.out;
  EXPECT_FALSE(has(quiet.out, "Inactivating")) << quiet.out;
  EXPECT_EQ(objects("SRV1\\meta\\0000", PELK_ACTIVE).size(), 0u);
}

TEST_F(ZarnaksqlcHublor, InactivationNamesEachBackupByTheTimeItWasMade) {
  StoredBackup log;
  log.type = BACKUP_TYPE_LOG;
  for (uint8_t hour : {12, 13}) {
    log.time.hour = hour;
    storeBackup(log);
  }
  log.time.year = 2099;  // made after today: never old enough
  storeBackup(log);
  zkrun::ProgramRun result =
      run({"inactiv", "Sales", "log=*", "/olderthan=1", "/fromsqlserver=SRV1"});
  EXPECT_EQ(result.exitCode, 0) << result.out;
  expectInOrder(
      result.out,
      {"Inactivating the log backup of Sales made 04/05/2001 12:41:02.",
       "Inactivating the log backup of Sales made 04/05/2001 13:41:02.",
       "The backup made 04/05/2099 13:41:02 is less than 1 day(s) old and stays active."});
}

TEST_F(ZarnaksqlcHublor, ChangePasswordVerifiesTheNewPassword) {
  const struct {
    std::string answer;
    int exitCode;
    std::string shown;
  } cases[] = {
      {"\n", 423, "No password was entered."},
      {"other\n", 422, "do not match"},
      {"fresh\n", 0, "The storage-server password has been changed."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.answer);
    zkrun::ProgramRun result = runAsIs({"changehublorpassword", "secret", "fresh"}, c.answer);
    EXPECT_EQ(result.exitCode, status(c.exitCode)) << result.out;
    expectInOrder(result.out, {"Enter the new password again to verify it:", c.shown});
  }
  EXPECT_EQ(runAsIs({"q", "hublor", "/hublorpassword=fresh"}).exitCode, 0);

  // Without passwords on the command line the current one and the new one twice are asked for.
  zkrun::ProgramRun asked = runAsIs({"changehublorpassword"}, "fresh\nnewer\nnewer\n");
  EXPECT_EQ(asked.exitCode, 0) << asked.out;
  expectInOrder(asked.out, {"Enter the current password:", "Enter the new password:",
                            "Enter the new password again to verify it:",
                            "The storage-server password has been changed."});
  EXPECT_EQ(runAsIs({"q", "hublor", "/hublorpassword=newer"}).exitCode, 0);
}

// Answered at the prompts as the words would be: the same failures, nothing changed.
TEST_F(ZarnaksqlcHublor, ChangePasswordPromptsFailAsTheWordsDo) {
  const struct {
    std::string answers;
    int exitCode;
    std::string shown;
  } cases[] = {
      {"\n", 423, "No password was entered."},
      {"secret\n\n", 423, "No password was entered."},
      {"secret\nn1\n\n", 423, "No password was entered."},
      {"secret\nn1\nn2\n", 422, "The two passwords do not match."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.answers);
    zkrun::ProgramRun result = runAsIs({"changehublorpassword"}, c.answers);
    EXPECT_EQ(result.exitCode, status(c.exitCode)) << result.out;
    EXPECT_TRUE(has(result.out, c.shown)) << result.out;
    EXPECT_FALSE(has(result.out, "completed successfully")) << result.out;
  }
  EXPECT_EQ(runAsIs({"q", "hublor", "/hublorpassword=secret"}).exitCode, 0);
}

TEST_F(ZarnaksqlcHublor, TheLogonAsksForWhatTheServerWants) {
  zkrun::ProgramRun asked = runAsIs({"q", "hublor"}, "secret\n");
  EXPECT_EQ(asked.exitCode, 0) << asked.out;
  // No node is given: the prompt names the option file's.
  expectInOrder(asked.out, {"Enter the password for node NODE1: ", "Storage server:"});

  sim({"node", "set", "NODE1", "--expired", "yes"});
  zkrun::ProgramRun mismatch = run({"q", "hublor"}, "n1\nn2\n");
  EXPECT_NE(mismatch.exitCode, 0);
  expectInOrder(mismatch.out, {"The password has expired.", "Enter a new password for node NODE1: ",
                               "Enter the new password again", "do not match"});
  zkrun::ProgramRun renewed = run({"q", "hublor"}, "n1\nn1\n");
  EXPECT_EQ(renewed.exitCode, 0) << renewed.out;
  EXPECT_EQ(runAsIs({"q", "hublor", "/hublorpassword=n1"}).exitCode, 0);

  writeOptionFile("PASSWORDACCESS GENERATE\n");
  zkrun::ProgramRun generated = runAsIs({"q", "hublor"});
  EXPECT_NE(generated.exitCode, 0);
  EXPECT_TRUE(has(generated.out, "generated by the storage server")) << generated.out;
}

TEST_F(ZarnaksqlcHublor, TheClientLibraryMissingTooOldOrFailing) {
  setenv("HUBLOR_API_VERSION", "3.6.9", 1);
  zkrun::ProgramRun older = run({"q", "hublor"});
  EXPECT_EQ(older.exitCode, status(107));
  EXPECT_TRUE(has(older.out, "Install version 3.7.2 or later")) << older.out;
  setenv("HUBLOR_API_VERSION", "2.1.0", 1);
  EXPECT_EQ(run({"q", "hublor"}).exitCode, status(108));
  unsetenv("HUBLOR_API_VERSION");

  // The library cannot read the option file it is given: its own text is shown.
  std::string missingOptions = (m_Root.path() / "missing.opt").string();
  zkrun::ProgramRun failing = run({"q", "hublor", "/hubloroptfile=" + missingOptions});
  EXPECT_EQ(failing.exitCode, status(418)) << failing.out;
  EXPECT_TRUE(has(failing.out, "HUB")) << failing.out;
  EXPECT_FALSE(has(failing.out, "A call to the storage-manager interface failed")) << failing.out;

  fs::create_directories(m_Root.path() / "nolib");
  setInterfaceDir((m_Root.path() / "nolib").string());
  zkrun::ProgramRun missing = run({"q", "hublor"});
  EXPECT_EQ(missing.exitCode, status(104));
  EXPECT_TRUE(has(missing.out, "cannot be found")) << missing.out;
  // Commands that never talk to the storage server do not need the library.
  EXPECT_EQ(run({"q", "zarnak"}).exitCode, 0);
}

TEST_F(ZarnaksqlcHublor, ConsoleEventsCancelARunningInactivation) {
  for (int signo : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) {
    SCOPED_TRACE(signo);
    storeSampleBackups();
    sim({"fault", "add", "pelkDeleteObj", "delay=1500"});
    fs::path out = m_Root.path() / "out.txt";
    Background program({"inactiv", "*", "*", "/fromsqlserver=SRV1", "/hublorpassword=secret"}, out);
    ASSERT_TRUE(Background::waitFor(out, "Inactivating the")) << program.out();
    program.signal(signo);
    EXPECT_EQ(program.exitCode(), status(415)) << program.out();
    EXPECT_TRUE(has(program.out(), "return code 415")) << program.out();
    EXPECT_TRUE(has(activityLog(), "A cancel of the running command was received."));
    sim({"fault", "clear"});
  }
}

// Ctrl-C at the logon's prompt ends the wait and cancels the command.
TEST_F(ZarnaksqlcHublor, AConsoleEventAtTheLogonPromptCancelsTheCommand) {
  fs::path out = m_Root.path() / "out.txt";
  Background program({"q", "hublor"}, out);
  ASSERT_TRUE(Background::waitFor(out, "Enter the password for node")) << program.out();
  program.signal(SIGINT);
  EXPECT_EQ(program.exitCode(), status(415)) << program.out();
  EXPECT_FALSE(has(program.out(), "completed successfully")) << program.out();
  EXPECT_TRUE(has(activityLog(), "A cancel of the running command was received."));
}

// Ctrl-C at a hidden entry on a terminal leaves the terminal echoing as it found it.
TEST_F(ZarnaksqlcHublor, CtrlCAtAPromptRestoresTheTerminal) {
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"changehublorpassword", "secret", "fresh"},
        std::vector<std::string>{"q", "hublor"}}) {
    SCOPED_TRACE(args[0]);
    TerminalRun result = runOnTerminal(ZARNAKSQLC_PATH, args, 25, ": ", "\x03");
    EXPECT_EQ(result.exitCode, status(415)) << result.screen;
    EXPECT_TRUE(result.echoAfter) << result.screen;
  }
}

TEST_F(ZarnaksqlcHublor, AConsoleEventWithNoRequestRunningEndsTheProgram) {
  fs::path out = m_Root.path() / "out.txt";
  Background program({"changehublorpassword", "secret", "fresh"}, out);
  ASSERT_TRUE(Background::waitFor(out, "verify it:")) << program.out();
  program.signal(SIGINT);
  EXPECT_EQ(program.exitCode(), status(415)) << program.out();
  EXPECT_TRUE(has(activityLog(), "A cancel of the running command was received."));
}

}  // namespace
