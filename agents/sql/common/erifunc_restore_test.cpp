// The restore entry function against the two stand-ins: its two start lines, its run and the
// copy of its error text; a console interrupt (SIGINT) during a restore; and a series of
// restores each cancelled at a random instant, which must leave no session, thread or current
// request behind.
//
// The series takes its length and seed from ZARNAK_CANCEL_RUNS and ZARNAK_CANCEL_SEED (a short
// series by default; scripts/cancel-soak.sh runs the long one under the sanitizers).
#include <gtest/gtest.h>
#include <signal.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "erifunc.h"
#include "erifunc_testutil.h"
#include "psutil.h"
#include "restore_testutil.h"

namespace {

testing::Environment* const kConsoleSignals =
    testing::AddGlobalTestEnvironment(new ConsoleSignalsForTest);

class RestoreEntry : public RestoreRequestFixture {
 protected:
  void SetUp() override {
    RestoreRequestFixture::SetUp();
    m_Parms.command = ERI_CMD_RESTORE_FULL;
    std::snprintf(m_Msg, sizeof m_Msg, "stale");  // the entry empties the caller's buffer
  }
  uint32_t restore() {
    m_Parms.qryBuListP->freeAll();
    return eriRestoreBackups(&m_Parms);
  }

  EriNameList m_Groups;
};

TEST_F(RestoreEntry, LogsBothStartLinesRunsAndLeavesNoCurrentRequest) {
  ActivityLogForTest log(m_Root.path());
  storeTaken("sales", BACKUP_TYPE_FULL, 2);
  std::vector<uint64_t> before = checksums("sales");
  changeData("sales", "sales_data", 9);
  m_Parms.nStripes = 2;
  ASSERT_EQ(restore(), 0u) << m_Msg;
  EXPECT_STREQ(m_Msg, "");
  EXPECT_EQ(checksums("sales")[0], before[0]);
  EXPECT_EQ(getCurrentRequest(), nullptr);
  EXPECT_EQ(log.count(5226, "FULL", "sales", "-", "-", "-", "-", "-", "-", "-", "-", "No", 2u, 64u,
                      0u, 0u, "2", "No", "-", "-", "-", "Yes", "Yes"),
            1)
      << log.text();
  EXPECT_EQ(log.count(5227, "No", "No", apiOptFileText(), "NODE1", m_Server.szSqlServerName), 1)
      << log.text();

  // The windowed program's command: an empty type text, and no partial text.
  m_Parms.command = ERI_CMD_RESTORE_ANY;
  ASSERT_EQ(restore(), 0u) << m_Msg;
  EXPECT_EQ(log.count(5226, "", "sales", "-", "-", "-", "-", "-", "-", "-", "-", "No", 2u, 64u, 0u,
                      0u, "2", "No", "-", "-", "-", "Yes", "Yes"),
            1)
      << log.text();
  EXPECT_EQ(log.count(5227, "No", "-", apiOptFileText(), "NODE1", m_Server.szSqlServerName), 1)
      << log.text();
}

// Name lists too long for one line lose the names that no longer fit; the line is still
// written, and a failure's text reaches the caller's buffer.
TEST_F(RestoreEntry, LongNameListsAreCutAndAFailureLeavesItsText) {
  ActivityLogForTest log(m_Root.path());
  std::vector<std::string> groups;
  for (int k = 0; k < 40; k++) groups.push_back("G" + std::to_string(k) + std::string(60, 'x'));
  m_Parms.groupNameListP = names(m_Groups, groups);
  EXPECT_EQ(restore(), 114u);
  EXPECT_NE(std::string(m_Msg).find(m_Server.szSqlServerName), std::string::npos) << m_Msg;
  std::string text = log.text();
  EXPECT_NE(text.find("G27" + std::string(60, 'x')), std::string::npos) << text;
  EXPECT_EQ(text.find("G28" + std::string(60, 'x')), std::string::npos) << text;
  EXPECT_NE(text.find("ZUD5226I"), std::string::npos) << text;
  EXPECT_NE(text.find("ZUD5227I"), std::string::npos) << text;
}

// Ctrl-C while the stripes stream: the cancel reaches them before the end of the data, is
// logged, the restore ends as cancelled and every session it opened is logged off; the backup
// restores afterwards.
TEST_F(RestoreEntry, AnInterruptWhileTheStripesStreamCancelsThem) {
  ActivityLogForTest log(m_Root.path());
  storeTaken("sales", BACKUP_TYPE_FULL, 2);
  std::vector<uint64_t> before = checksums("sales");
  m_Parms.nStripes = 2;
  m_Parms.nStatusMilliSeconds = 10;
  m_Parms.statusFunctionP = interruptAtProgress;
  ASSERT_EQ(restore(), 0u) << m_Msg;
  uint64_t wholeBytes = progressBytes();
  uint32_t sessionsBefore = loggedOnSessions();
  int threadsBefore = threadCount();
  armFault("pelkGetData delay=40");
  armInterrupt();
  EXPECT_EQ(restore(), 415u) << m_Msg;
  EXPECT_FALSE(interruptArmed());
  EXPECT_LT(progressBytes(), wholeBytes);
  EXPECT_EQ(log.count(5300), 1) << log.text();
  EXPECT_EQ(getCurrentRequest(), nullptr);
  EXPECT_EQ(loggedOnSessions(), sessionsBefore);
  EXPECT_EQ(threadCountSettledAt(threadsBefore), threadsBefore);
  clearFaults();
  changeData("sales", "sales_data", 7);
  ASSERT_EQ(restore(), 0u) << m_Msg;
  EXPECT_EQ(checksums("sales")[0], before[0]);
}

// Restores cancelled at random instants from another thread: each ends with 0 or 415 and
// leaves no current request, no session and no thread of its own; the database can be
// restored afterwards.
TEST_F(RestoreEntry, RestoresCancelledAtRandomInstantsLeaveNothingBehind) {
  storeTaken("sales", BACKUP_TYPE_FULL, 2);
  std::vector<uint64_t> before = checksums("sales");
  m_Parms.nStripes = 2;
  uint32_t sessionsBefore = loggedOnSessions();
  int threadsBefore = threadCount();
  int cancelled = runCancelSeries([this] { return restore(); },
                                  [&](uint32_t run, uint32_t) {
                                    EXPECT_EQ(loggedOnSessions(), sessionsBefore) << "run " << run;
                                    EXPECT_EQ(threadCountSettledAt(threadsBefore), threadsBefore)
                                        << "run " << run;
                                  });
  EXPECT_GT(cancelled, 0);
  changeData("sales", "sales_data", 5);
  ASSERT_EQ(restore(), 0u) << m_Msg;
  EXPECT_EQ(checksums("sales")[0], before[0]);
}

}  // namespace
