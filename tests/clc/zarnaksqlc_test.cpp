// zarnaksqlc as a user meets it: help, preferences, parse errors, log pruning, tracing and the
// exit status, each run on a fresh simulated machine.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "filetext_testutil.h"
#include "outputcheck.h"
#include "registry.h"
#include "root.h"
#include "runprogram.h"
#include "terminal.h"

namespace fs = std::filesystem;

namespace {

const char kAgentKey[] = "SOFTWARE\\Orbenix\\Moxtar\\CurrentVersion\\ZARNAKSQL\\";

// A machine with the agent installed: its directory in the registry and the message
// repository in it. The program runs in the root as its working directory.
class Zarnaksqlc : public ::testing::Test {
 protected:
  void SetUp() override {
    m_AgentDir = m_Root.path() / "agent";
    fs::create_directories(m_AgentDir);
    HKEY key = nullptr;
    ASSERT_EQ(createOrOpenReg(HKEY_LOCAL_MACHINE, kAgentKey, &key), 0);
    ASSERT_EQ(
        putSzValue(HKEY_LOCAL_MACHINE, kAgentKey, "Path", (m_AgentDir.string() + "/").c_str()), 0);
    fs::copy_file(ZK_MESSAGE_REPOSITORY, m_AgentDir / "sqlAMENG.txt");
    m_Cwd = fs::current_path();
    fs::current_path(m_Root.path());
  }
  void TearDown() override { fs::current_path(m_Cwd); }

  zkrun::ProgramRun run(const std::vector<std::string>& args) {
    return zkrun::runProgram(ZARNAKSQLC_PATH, args);
  }
  fs::path config() const { return m_AgentDir / "zarnaksql.cfg"; }
  fs::path log() const { return m_AgentDir / "zarnaksql.log"; }

  zkroot::ScopedRoot m_Root;
  fs::path m_AgentDir;
  fs::path m_Cwd;
};

TEST_F(Zarnaksqlc, WithoutWordsShowsTheBannerAndTheWholeHelp) {
  zkrun::ProgramRun result = run({});
  EXPECT_EQ(result.exitCode, 0);
  expectInOrder(result.out,
                {"zarnaksqlc: backup agent", "Usage: zarnaksqlc", "Backup DBNAMES [Full]",
                 "Backup DBNAMES Diff", "CHANGEHUBLORPassword", "INACTIVate DBNAMES Diff",
                 "INACTIVate DBNAMES *", "Query SQL", "Query HUBLOR DBNAMES Diff",
                 "Query HUBLOR DBNAMES *", "Restore DBNAMES [Full]", "Restore DBNAMES Diff",
                 "Set KEYWORD=VALUE", "completed successfully"});
  EXPECT_FALSE(has(result.out, "Press Enter"));  // no pause into a pipe
}

TEST_F(Zarnaksqlc, HelpTopicsInTheirOrder) {
  struct Case {
    std::vector<std::string> args;
    std::vector<std::string> shown;
    std::vector<std::string> notShown;
  };
  const Case cases[] = {
      {{"h", "b", "d"},
       {"Backup DBNAMES Diff", "changes since the last full"},
       {"Backup DBNAMES FIle"}},
      {{"h", "b"},
       {"Backup DBNAMES [Full]", "Backup DBNAMES Diff", "Backup DBNAMES FIle",
        "Backup DBNAMES Set"},
       {"Restore"}},
      {{"?"}, {"Usage: zarnaksqlc", "Set KEYWORD=VALUE"}, {}},
      {{"??"}, {"Help [COMMAND [TYPE]]"}, {"Usage: zarnaksqlc"}},
      {{"help", "query", "hublor", "types"}, {"Query HUBLOR DBNAMES Types"}, {"Query SQL"}},
      {{"h", "inactiv"},
       {"INACTIVate DBNAMES Diff", "INACTIVate DBNAMES Set", "INACTIVate DBNAMES *"},
       {"Query"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args[0] + (c.args.size() > 1 ? " " + c.args[1] : ""));
    zkrun::ProgramRun result = run(c.args);
    EXPECT_EQ(result.exitCode, 0);
    expectInOrder(result.out, c.shown);
    for (const std::string& text : c.notShown) EXPECT_FALSE(has(result.out, text)) << text;
  }
}

// On a terminal of 25 rows the first page ends after 9 help lines, later pages after 24; Enter
// goes on, and the prompt is blanked before the next line.
TEST_F(Zarnaksqlc, HelpPagesOnATerminal) {
  TerminalRun result = runOnTerminal(ZARNAKSQLC_PATH, {}, 25, "Press Enter to continue ...");
  EXPECT_EQ(result.exitCode, 0);
  const std::string& screen = result.screen;
  size_t usage = screen.find("Usage: zarnaksqlc");
  size_t prompt = screen.find("Press Enter to continue ...");
  ASSERT_NE(usage, std::string::npos);
  ASSERT_NE(prompt, std::string::npos);
  size_t firstPage = 0;
  for (size_t i = usage; i < prompt; i++) firstPage += screen[i] == '\n';
  EXPECT_EQ(firstPage, 9u);
  size_t next = screen.find("Press Enter to continue ...", prompt + 1);
  ASSERT_NE(next, std::string::npos);
  size_t secondPage = 0;
  for (size_t i = prompt; i < next; i++) secondPage += screen[i] == '\n';
  EXPECT_EQ(secondPage, 24u);
  EXPECT_TRUE(has(screen, "\r" + std::string(27, ' ') + "\r"));  // the prompt blanked
  EXPECT_TRUE(has(screen, "completed successfully"));
}

// Ctrl-C at the pause ends the program as a cancel (415) and leaves the terminal as it was.
TEST_F(Zarnaksqlc, CtrlCAtThePauseEndsTheProgramAndRestoresTheTerminal) {
  TerminalRun result =
      runOnTerminal(ZARNAKSQLC_PATH, {}, 25, "Press Enter to continue ...", "\x03");
  EXPECT_EQ(result.exitCode, 415 & 0xFF) << result.screen;
  EXPECT_TRUE(result.echoAfter);
}

TEST_F(Zarnaksqlc, WithoutItsMessageRepositoryItSaysWhichFileItCouldNotRead) {
  fs::remove(m_AgentDir / "sqlAMENG.txt");
  zkrun::ProgramRun result = run({"q", "zarnak"});
  EXPECT_EQ(result.exitCode, 400 & 0xFF);
  EXPECT_EQ(result.out, "");
  EXPECT_TRUE(has(result.err, (m_AgentDir / "sqlAMENG.txt").string())) << result.err;
  EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << result.err;
}

// A query leaves no file behind: not the configuration file it names, not a lock file.
TEST_F(Zarnaksqlc, AQueryCreatesNoFile) {
  writeFileText(log().string(), "01/02/2000 10:00:00 an entry of an earlier run\n");
  fs::path named = m_Root.path() / "none.cfg";
  zkrun::ProgramRun result = run({"q", "zarnak", "/configfile=" + named.string()});
  EXPECT_EQ(result.exitCode, 0) << result.out;
  EXPECT_FALSE(fs::exists(named));
  EXPECT_FALSE(fs::exists(named.string() + ".lock"));
  EXPECT_EQ(run({"q", "zarnak"}).exitCode, 0);
  EXPECT_FALSE(fs::exists(config()));
  EXPECT_FALSE(fs::exists(config().string() + ".lock"));
  // Set writes the file, and leaves no lock file beside it.
  EXPECT_EQ(run({"set", "buffers=4"}).exitCode, 0);
  EXPECT_TRUE(fs::exists(config()));
  EXPECT_FALSE(fs::exists(config().string() + ".lock"));
}

// A parse error's message says what is wrong with the word or option shown after it.
TEST_F(Zarnaksqlc, ParseErrorsNameWhatIsWrong) {
  const struct {
    std::vector<std::string> args;
    int rc;
    std::vector<std::string> shown;
  } cases[] = {
      {{"backup", "sales", "diff", "full"}, 1202, {"a second object type", "full"}},
      {{"backup", ""}, 1202, {"a name that is empty"}},
      {{"q", "hublor", "sales", "full=x"}, 1204, {"takes no value", "full=x"}},
      {{"q", "sql", "/compat", "sales"}, 1207, {"go before the options", "sales"}},
      {{"restore", "sales", "/into=a,b"}, 1210, {"exactly one database name", "INTO a,b"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args[0] + " " + c.args[1]);
    zkrun::ProgramRun result = run(c.args);
    EXPECT_EQ(result.exitCode, c.rc & 0xFF) << result.out;
    expectInOrder(result.out, c.shown);
  }
}

TEST_F(Zarnaksqlc, QueryZarnakShowsThePreferences) {
  zkrun::ProgramRun result = run({"q", "zarnak"});
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_TRUE(has(result.out, "ZUD5051I"));  // no configuration file: the defaults
  EXPECT_TRUE(has(result.out, "BUFFers            3\n"));
  EXPECT_TRUE(has(result.out, "LOGFile            " + log().string() + "\n"));

  writeFileText(config().string(), "BUFFers 5\nLOGPrune No\n");
  result = run({"q", "zarnak"});
  EXPECT_FALSE(has(result.out, "ZUD5051I"));
  EXPECT_TRUE(has(result.out, "BUFFers            5\n"));
  EXPECT_TRUE(has(result.out, "LOGPrune           No\n"));

  writeFileText((m_AgentDir / "other.cfg").string(), "BUFFers 6\n");
  result = run({"q", "zarnak", "-CONFIGfile=other.cfg"});  // relative: in the agent directory
  EXPECT_TRUE(has(result.out, "BUFFers            6\n"));
  writeFileText((m_Root.path() / "abs.cfg").string(), "BUFFers 7\n");
  result = run({"q", "zarnak", "-CONFIGfile=" + (m_Root.path() / "abs.cfg").string()});
  EXPECT_TRUE(has(result.out, "BUFFers            7\n"));
}

TEST_F(Zarnaksqlc, SetStoresAPreference) {
  zkrun::ProgramRun result = run({"set", "buffers=4"});
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_TRUE(has(result.out, "ZUD5054I"));
  EXPECT_TRUE(has(result.out, "ZUD5050I"));  // the file was created
  result = run({"q", "zarnak"});
  EXPECT_TRUE(has(result.out, "BUFFers            4\n"));

  result = run({"set", "buffers=1"});  // the parser takes it, the preferences do not
  EXPECT_EQ(result.exitCode, 420 & 0xFF);
  EXPECT_TRUE(has(result.out, "buffers"));
  EXPECT_TRUE(has(result.out, "return code 420"));

  writeFileText(config().string(), "LastPruneDate 01/02/2020 10:00:00\n");
  result = run({"set", "logfile=x.log"});
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_TRUE(has(fileText(config().string()), "00/00/0000 00:00:00"));

  result = run({"set", "language=german"});
  EXPECT_EQ(result.exitCode, 1202 & 0xFF);
  EXPECT_TRUE(has(result.out, "set language=german\n"));
}

// Every kind of parse error: its message, the command line up to the word in error, the
// option names of a combination, and the exit status.
TEST_F(Zarnaksqlc, ParseErrors) {
  struct Case {
    std::vector<std::string> args;
    int rc;
    std::string message;
    std::string echo;
  };
  const Case cases[] = {
      {{"b", "db", "/vol=c"}, 1200, "ZUD0103E", "b db /vol=c\n"},
      {{"b"}, 1201, "ZUD0100E", "b\n"},
      {{"b", "db", "/buff=9", "/quiet"}, 1202, "ZUD0101E", "b db /buff=9\n"},
      {{"r", "db", "log=*", "/stopat"}, 1203, "ZUD0105E", "r db log=* /stopat\n"},
      {{"inact", "db", "*"}, 1204, "ZUD0102E", "inact\n"},
      {{"b", "db", "stray"}, 1204, "ZUD0102E", "b db stray\n"},
      {{"b", "db", "/f"}, 1207, "ZUD0104E", "b db /f\n"},
      {{"r", "db", "log=*", "/stopat=t", "/recov=no"},
       1208,
       "ZUD0106E",
       "        STOPAT RECOVery=No\n"},
      {{"b", "db", "set"}, 1209, "ZUD0107E", "         FIles GRoups\n"},
      {{"r", "db1,db2", "/standby=u"}, 1210, "ZUD0108E", ""},
      {{"r", "db", "/reloc=a,b", "/to=x"}, 1211, "ZUD0109E", ""},
      {{"r", "db", "/into=x*"}, 1212, "ZUD0110E", "         dbname INTO\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.rc);
    zkrun::ProgramRun result = run(c.args);
    EXPECT_EQ(result.exitCode, c.rc & 0xFF);
    EXPECT_TRUE(has(result.out, c.message)) << result.out;
    EXPECT_TRUE(has(result.out, c.echo)) << result.out;
    EXPECT_TRUE(has(result.out, "return code " + std::to_string(c.rc))) << result.out;
  }
}

// No SQL Server is installed on this machine.
TEST_F(Zarnaksqlc, QuerySqlWithoutASqlServerSaysItCannotConnect) {
  zkrun::ProgramRun result = run({"q", "sql"});
  EXPECT_NE(result.exitCode, 0);
  EXPECT_TRUE(has(result.out, "cannot connect to SQL Server")) << result.out;
}

TEST_F(Zarnaksqlc, PrunesTheActivityLog) {
  writeFileText(log().string(), "01/02/2000 10:00:00 an old line\n");
  writeFileText(config().string(), "LastPruneDate 01/02/2000 10:00:00\n");
  zkrun::ProgramRun result = run({"q", "zarnak"});
  EXPECT_TRUE(has(result.out, "ZUD5057I"));
  EXPECT_FALSE(has(fileText(log().string()), "an old line"));
  EXPECT_FALSE(has(fileText(config().string()), "01/02/2000"));  // the new date is stored

  // Pruned today: not due again, unless the command line names the retention.
  writeFileText(log().string(), "01/02/2000 10:00:00 an old line\n");
  result = run({"q", "zarnak"});
  EXPECT_FALSE(has(result.out, "ZUD5057I"));
  result = run({"q", "zarnak", "/logprune=30"});
  EXPECT_TRUE(has(result.out, "ZUD5057I"));

  writeFileText(log().string(), "01/02/2000 10:00:00 an old line\n");
  writeFileText(config().string(), "LOGPrune No\nLastPruneDate 01/02/2000 10:00:00\n");
  result = run({"q", "zarnak"});
  EXPECT_FALSE(has(result.out, "ZUD5057I"));
  EXPECT_TRUE(has(fileText(log().string()), "an old line"));
}

TEST_F(Zarnaksqlc, Tracing) {
  zkrun::ProgramRun result = run({"TRACEPARSER", "q", "zarnak"});
  EXPECT_EQ(result.exitCode, 0);
  ASSERT_TRUE(fs::exists(m_Root.path() / "zarnaksql.trc"));
  EXPECT_TRUE(has(fileText((m_Root.path() / "zarnaksql.trc").string()), "parseClcCmdLine"));

  // Without a trace file the trace goes to standard output.
  result = run({"q", "zarnak", "-TRACEFLags=ALL,-NLS"});
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_TRUE(has(result.out, "Enter CLog::SetLogName()"));
}

TEST_F(Zarnaksqlc, WithoutTheMessageRepositoryNothingIsPrinted) {
  fs::remove(m_AgentDir / "sqlAMENG.txt");
  zkrun::ProgramRun result = run({"q", "zarnak"});
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(result.exitCode, 400 & 0xFF);
}

}  // namespace
