#include <gtest/gtest.h>
#include <sys/wait.h>

#include <array>
#include <cstdio>

#include "instance.h"
#include "root.h"
#include "runprogram.h"

namespace {

using namespace sqlengine;

struct ToolRun {
  int code = -1;
  std::string out;  // standard output and error together
};

ToolRun sqlsim(const std::string& args) {
  ToolRun run;
  std::string command = std::string(SQLSIM_PATH) + " " + args + " 2>&1";
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return run;
  std::array<char, 4096> buffer;
  std::size_t n;
  while ((n = fread(buffer.data(), 1, buffer.size(), pipe)) > 0) run.out.append(buffer.data(), n);
  int status = pclose(pipe);
  run.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

class SqlsimTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(sqlsim("machine name=TESTHOST").code, 0);
    ASSERT_EQ(sqlsim("create inst1 --version 8").code, 0);
  }
  std::unique_ptr<Instance> open() {
    SqlError e;
    return Instance::open("INST1", e);
  }
  zkroot::ScopedRoot m_root;
};

TEST_F(SqlsimTest, BuildsADatabaseThatTheEngineSees) {
  ToolRun r = sqlsim(
      "database inst1 sales --group EMPTY --file PRIMARY:sales_data:512 "
      "--file G2:g2_file:64 --log sales_log:256 --compatibility 70");
  ASSERT_EQ(r.code, 0) << r.out;
  ASSERT_EQ(sqlsim("pages inst1 sales sales_data 0 10 --seed 5").code, 0);
  ASSERT_EQ(sqlsim("pages inst1 sales g2_file 2 2 --pattern AB").code, 0);
  r = sqlsim("log inst1 sales --count 3 --time '2026-12-10 12:00:00' --mark m1");
  ASSERT_EQ(r.code, 0) << r.out;
  // Sequence numbers 1 and 2 went to the two page writes.
  EXPECT_NE(r.out.find("5\t2026-12-10 12:00:00.000\tm1"), std::string::npos) << r.out;
  ASSERT_EQ(sqlsim("option inst1 sales torn-page-detection on").code, 0);
  ASSERT_EQ(sqlsim("status inst1 sales standby").code, 0);

  auto instance = open();
  Database db;
  ASSERT_TRUE(instance->database("sales", db).ok());
  ASSERT_EQ(db.groups.size(), 3u);
  EXPECT_EQ(db.groups[1].name, "EMPTY");
  EXPECT_EQ(db.groups[2].files[0].usedPages, 2);
  EXPECT_EQ(db.compatibilityLevel, 70);
  EXPECT_TRUE(db.options.tornPageDetection);
  EXPECT_EQ(db.status, kStatusStandby);
  std::vector<LogRecord> log;
  ASSERT_TRUE(instance->readLog("sales", log).ok());
  ASSERT_EQ(log.size(), 3u);
  EXPECT_EQ(log[2].mark, "m1");

  // The checksums printed are the engine's, one line per file, data files first.
  std::vector<Instance::FileChecksum> sums;
  ASSERT_TRUE(instance->checksums("sales", sums).ok());
  r = sqlsim("checksum inst1 sales");
  ASSERT_EQ(r.code, 0);
  char first[17];
  std::snprintf(first, sizeof first, "%016llx", static_cast<unsigned long long>(sums[0].checksum));
  EXPECT_EQ(r.out.substr(0, 16), first);
  EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 3);
  EXPECT_EQ(sqlsim("checksum inst1 sales").out, r.out);  // stable

  r = sqlsim("show inst1 sales");
  EXPECT_NE(r.out.find("status=standby"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("EMPTY    (no files)"), std::string::npos) << r.out;
}

TEST_F(SqlsimTest, SetsFactsLoginsAndFaults) {
  ASSERT_EQ(sqlsim("server inst1 version-major=7 host-name=NODE1 clustered=yes").code, 0);
  ASSERT_EQ(sqlsim("login inst1 backup --password pw --sysadmin no").code, 0);
  ASSERT_EQ(sqlsim("fault inst1 statement restore --message 4306 --times 1").code, 0);
  ASSERT_EQ(sqlsim("fault inst1 call Server.Connect --hresult 0x80004005").code, 0);
  auto instance = open();
  ServerFacts facts;
  ASSERT_TRUE(instance->facts(facts).ok());
  EXPECT_EQ(facts.versionMajor, 7);
  EXPECT_EQ(facts.hostName, "NODE1");
  EXPECT_TRUE(facts.clustered);
  std::optional<Login> login;
  ASSERT_TRUE(instance->findLogin("backup", login).ok());
  ASSERT_TRUE(login);
  EXPECT_EQ(login->password, "pw");
  EXPECT_FALSE(login->sysadmin);
  std::vector<Fault> faults;
  ASSERT_TRUE(instance->faults(faults).ok());
  ASSERT_EQ(faults.size(), 2u);
  EXPECT_EQ(faults[0].message, 4306);
  EXPECT_EQ(static_cast<std::uint32_t>(faults[1].hresult), 0x80004005u);
  ASSERT_EQ(sqlsim("faults inst1 clear").code, 0);
  ASSERT_TRUE(instance->faults(faults).ok());
  EXPECT_TRUE(faults.empty());
}

TEST_F(SqlsimTest, RefusesBadCommandsWithTheirReason) {
  struct Case {
    const char* args;
    int code;
    const char* says;  // for a wrong command line: the argument at fault
  } cases[] = {
      {"pages inst1 nosuch f 0 1", 1, "Msg 911"},
      {"show nosuch", 1, "Msg 17"},
      {"create inst1", 1, "exists"},
      {"database inst1 master", 1, "Msg 1801"},
      {"database inst1 x --file PRIMARY:f", 2, "'PRIMARY:f'"},
      {"database inst1 x --compatibility high", 2, "'high'"},
      {"database inst1 x --fiel PRIMARY:f:1", 2, "'--fiel'"},
      {"pages inst1 master master 0", 2, "usage"},
      {"pages inst1 master master 0 many", 2, "'many'"},
      {"pages inst1 master master -1 1", 2, "'-1'"},
      {"option inst1 master fast on", 2, "'fast'"},
      {"option inst1 master trunc maybe", 2, "'maybe'"},
      {"status inst1 master sleepy", 2, "'sleepy'"},
      {"log inst1 master --time tomorrow", 2, "'tomorrow'"},
      {"log inst1 master --count none", 2, "'none'"},
      {"fault inst1 statement", 2, "--message"},
      {"fault inst1 crash", 2, "'crash'"},
      {"server inst1 colour=blue", 2, "'colour=blue'"},
      {"create inst2 --version 12", 2, "'12'"},
      {"checksum inst1 master extra", 2, "'extra'"},
      {"drop inst1 master x=y", 2, "'x=y'"},
      {"frobnicate", 2, "'frobnicate'"},
  };
  for (const Case& c : cases) {
    ToolRun r = sqlsim(c.args);
    EXPECT_EQ(r.code, c.code) << c.args << "\n" << r.out;
    EXPECT_NE(r.out.find(c.says), std::string::npos) << c.args << "\n" << r.out;
  }
  EXPECT_EQ(sqlsim("").code, 2);
}

TEST_F(SqlsimTest, HelpGoesToStandardOutput) {
  zkrun::ProgramRun help = zkrun::runProgram(SQLSIM_PATH, {"--help"});
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_EQ(help.out.rfind("usage: sqlsim", 0), 0u) << help.out;
  EXPECT_EQ(help.err, "");
}

TEST_F(SqlsimTest, RemovesAnInstanceWithItsFiles) {
  ASSERT_EQ(sqlsim("database inst1 sales").code, 0);
  EXPECT_NE(sqlsim("list").out.find("INST1\tTESTHOST\\INST1"), std::string::npos);
  ASSERT_EQ(sqlsim("remove inst1").code, 0);
  EXPECT_EQ(sqlsim("list").out, "");
  EXPECT_FALSE(std::filesystem::exists(m_root.path() / "sqlserver/INST1"));
}

}  // namespace
