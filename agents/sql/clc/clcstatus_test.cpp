// The console status display: the lines each report prints, the wait lines with their dots, and
// reports from several threads at once.
#include "clcstatus.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "msgfile.h"
#include "msgrepo.h"
#include "nlsglob.h"
#include "nlstestenv.h"
#include "root.h"

namespace fs = std::filesystem;

namespace {

std::string gAgentDir;

int testAgentDir(char* bufP, size_t size) {
  std::snprintf(bufP, size, "%s/", gAgentDir.c_str());
  return 0;
}

// The agent's message repository in a fresh root; the display's output caught from standard
// output.
class ConsoleStatus : public testing::Test {
 protected:
  void SetUp() override {
    gAgentDir = m_Root.path().string();
    fs::copy_file(ZK_MESSAGE_REPOSITORY, m_Root.path() / "sqlAMENG.txt");
    optSetAgentDirRtn(testAgentDir);
    nlsSetup(nullptr);
    nlsTestTable();
    ASSERT_EQ(NLInit("AMENG", 10, 1, 1, 1, 1), 0);
  }
  void TearDown() override {
    NLTerm();
    nlsCleanup();
    optSetAgentDirRtn(nullptr);
  }
  // What the reports print, and the code of each.
  std::string show(const std::vector<StatusInfo>& reports, std::vector<int>* codesP = nullptr) {
    testing::internal::CaptureStdout();
    for (const StatusInfo& report : reports) {
      int rc = m_Status.dbCommandStatus(report);
      if (codesP != nullptr) codesP->push_back(rc);
    }
    fflush(stdout);
    return testing::internal::GetCapturedStdout();
  }

  zkroot::ScopedRoot m_Root;
  CStatus m_Status;
};

StatusInfo wait(const char* apiP) {
  StatusInfo s{};
  s.kind = waitStatus;
  s.wait.apiNameP = apiP;
  return s;
}

StatusInfo progress(uint64_t read, uint64_t written) {
  StatusInfo s{};
  s.kind = progressStatus;
  s.progress.bytesProduced = read;
  s.progress.bytesConsumed = written;
  s.progress.fullBuffers = 2;
  s.progress.elapsedSeconds = 1.0;
  return s;
}

StatusInfo begin(uint32_t command, const char* nameP, const char* secondNameP = nullptr) {
  StatusInfo s{};
  s.kind = beginStatus;
  s.command = command;
  s.begin.nameP = nameP;
  s.begin.secondNameP = secondNameP;
  s.begin.item = 1;
  s.begin.items = 3;
  return s;
}

StatusInfo end(uint32_t command, int rc, const char* textP) {
  StatusInfo s{};
  s.kind = endStatus;
  s.command = command;
  s.end.nameP = "Sales";
  s.end.rc = rc;
  s.end.textP = textP;
  return s;
}

TEST_F(ConsoleStatus, WaitLinesGrowDotsAndProgressStartsANewLine) {
  std::string out =
      show({wait("HUBLOR"), wait("HUBLOR"), wait("HUBLOR"), progress(2048, 1024), wait("Sql")});
  EXPECT_EQ(out,
            "\nWaiting for the HUBLOR interface ..\n"
            "Full buffers 2, written 1024 bytes, read 2048 bytes, 2.00 KB/s\n"
            "\nWaiting for the Sql interface ");
}

TEST_F(ConsoleStatus, EachKindAndCommandItsLines) {
  m_Status.dbSetStatusCommand(47);
  const struct {
    StatusInfo report;
    int rc;
    std::string out;
  } cases[] = {
      {begin(50, "Sales", "2026-12-10 07:00:01"), 0,
       "Inactivating the full backup of Sales made 2026-12-10 07:00:01.\n"},
      {begin(3, "Sales"), 0, "Backing up the full backup of Sales (1 of 3).\n"},
      {begin(1, "Sales"), 0, "Backing up the differential backup of Sales (1 of 3).\n"},
      {begin(48, "Sales", "2026-12-10 07:00:01"), 0,
       "Inactivating the differential backup of Sales made 2026-12-10 07:00:01.\n"},
      {begin(54, "Sales"), 419, ""},
      {end(50, 0, nullptr), 0, ""},
      {end(3, 0, nullptr), 0, "Backup of Sales done.\n"},
      {end(50, 1318, "The backup is not older than 4 days and stays active."), 0,
       "Sales skipped:\nThe backup is not older than 4 days and stays active.\n"},
      {end(3, 1318, "too young"), 0, "The full backup of Sales was skipped:\ntoo young\n"},
      {end(74, 415, nullptr), 0,
       "ZUD5110E The restore of backup Sales failed.\nZUD0150W The operation was cancelled by the "
       "user.\n"},
      {end(60, 0, nullptr), 419, ""},
  };
  for (const auto& c : cases) {
    std::vector<int> codes;
    EXPECT_EQ(show({c.report}, &codes), c.out) << c.report.kind << " " << c.report.command;
    EXPECT_EQ(codes, std::vector<int>{c.rc});
  }
  StatusInfo finish{};
  finish.kind = finishStatus;
  finish.finish = StatusFinish{3, 2, 2, 1, 0, 0, 1.5, 0};
  EXPECT_EQ(show({finish}),
            "ZUD5116I Inactivation ended: 3 backups listed, 2 old enough, 2 inactivated, 1 "
            "skipped, in 1.50 seconds.\n");
  StatusInfo odd{};
  odd.kind = 7;
  std::vector<int> codes;
  EXPECT_EQ(show({odd}, &codes), "");
  EXPECT_EQ(codes, std::vector<int>{419});
}

// Reports from several monitor threads: every line comes out whole.
TEST_F(ConsoleStatus, ReportsFromSeveralThreadsNeverInterleave) {
  testing::internal::CaptureStdout();
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; t++) {
    threads.emplace_back([this, t] {
      for (int i = 0; i < 200; i++) {
        m_Status.dbCommandStatus(progress(uint64_t(t) * 1000 + i, i));
        m_Status.dbCommandStatus(wait(t % 2 == 0 ? "HUBLOR" : "Sql"));
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  fflush(stdout);
  std::istringstream out(testing::internal::GetCapturedStdout());
  const std::regex line(
      "|Full buffers 2, written \\d+ bytes, read \\d+ bytes, [0-9.]+ KB/s|"
      "Waiting for the (HUBLOR|Sql) interface \\.*");
  int lines = 0;
  for (std::string text; std::getline(out, text); lines++) {
    EXPECT_TRUE(std::regex_match(text, line)) << text;
  }
  EXPECT_GE(lines, 800);
}

}  // namespace
