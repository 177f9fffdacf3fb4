// The backup entry function end to end: its start line by command, a console interrupt during
// a backup, and backups cancelled at random instants, which must leave no session, thread,
// temporary object or current request behind.
//
// The series takes its length and seed from ZARNAK_CANCEL_RUNS and ZARNAK_CANCEL_SEED (a short
// series by default; scripts/cancel-soak.sh runs the long one under the sanitizers).
#include <gtest/gtest.h>
#include <signal.h>

#include <atomic>
#include <chrono>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "backup_db_env.h"
#include "erifunc.h"
#include "erifunc_testutil.h"

namespace {

testing::Environment* const kConsoleSignals =
    testing::AddGlobalTestEnvironment(new ConsoleSignalsForTest);

class BackupEntry : public BackupDbFixture {
 protected:
  void SetUp() override {
    BackupDbFixture::SetUp();
    requestParms(&m_Parms, m_Message, 2, 10);
    EriNameEntry sales{"sales"};
    m_DbNames.addTail(&sales);
  }
  void TearDown() override {
    m_Selection.freeAll();
    m_DbNames.freeAll();
    BackupDbFixture::TearDown();
  }

  // The backup of "sales" through the entry function.
  uint32_t run() {
    m_SelGroups.freeAll();
    m_SelFiles.freeAll();
    EXPECT_EQ(selectDatabases(&m_Selection, {"sales"}, m_Message), 0) << m_Message;
    return eriBackupSqlDatabase(&m_Parms, &m_Selection, &m_DbNames, &m_SelGroups, nullptr,
                                &m_SelFiles, nullptr);
  }

  DSqlBackupDatabaseParms m_Parms{};
  char m_Message[ERI_MSG_BUFFER_LEN + 1] = "";
  EriNameList m_DbNames;
  CLinkedList<SqlDatabaseElement> m_Selection;
  CLinkedList<SqlGroupElement> m_SelGroups;
  CLinkedList<SqlFileElement> m_SelFiles;
};

TEST_F(BackupEntry, EachCommandLogsItsStartLineAndAnUnknownOneNone) {
  m_Parms.command = 7;
  EXPECT_EQ(run(), 419u);
  EXPECT_EQ(logText(), "");

  struct Case {
    uint32_t command;
    uint32_t bTruncate;
    int32_t adjustKb;
    int32_t adjustPct;
    int msgNum;
    const char* type;
    const char* estimate;
    const char* truncate;
  };
  const Case cases[] = {
      {ERI_CMD_BACKUP_FULL, 1, 0, 0, 5223, "FULL", "-", "-"},
      {ERI_CMD_BACKUP_LOG, 0, 0, 0, 5223, "LOG", "50", "No"},
      {ERI_CMD_BACKUP_LOG, 1, 0, 0, 5223, "LOG", "50", "Yes"},
      {ERI_CMD_BACKUP_DIFF, 0, 16, 5, 5230, "DIFF", "50", "-"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.type);
    m_Parms.command = c.command;
    m_Parms.sqlParms.bTruncate = c.bTruncate;
    m_Parms.sqlParms.lEstimateAdjustKb = c.adjustKb;
    m_Parms.sqlParms.lEstimateAdjustPct = c.adjustPct;
    EXPECT_EQ(run(), 0u) << m_Message;
    std::string log = logText();
    if (c.msgNum == 5223) {
      EXPECT_EQ(countLines(log, 5223, c.type, "sales", "-", "-", 3, 64u, 0u, 0u, 2, c.estimate,
                           c.truncate, "No", apiOptFileText(), "NODE1"),
                1)
          << log;
      continue;
    }
    EXPECT_EQ(countLines(log, 5230, c.type, "sales", "-", "-", 3, 64u, 0u, 0u, 2, c.estimate,
                         c.truncate, "No", apiOptFileText(), "NODE1", 16, 5),
              1)
        << log;
  }
  EXPECT_EQ(getCurrentRequest(), nullptr);
}

// Ctrl-C while the stripes stream: the cancel reaches them before the end of the data, is
// logged, and the backup ends as cancelled; every session it opened is logged off (so no
// transaction stays open), no temporary object stays, and the previous backup is still the
// active one and restores.
TEST_F(BackupEntry, AnInterruptWhileTheStripesStreamCancelsThem) {
  m_Parms.statusFunctionP = interruptAtProgress;
  ASSERT_EQ(run(), 0u) << m_Message;
  uint64_t wholeBytes = progressBytes();
  std::vector<uint64_t> previous = activeObjectIds();
  ASSERT_EQ(previous.size(), 3u);
  uint32_t sessionsBefore = loggedOnSessions();
  int threadsBefore = threadCount();
  armFault("pelkSendData delay=40");
  armInterrupt();
  EXPECT_EQ(run(), 415u) << m_Message;
  EXPECT_FALSE(interruptArmed());
  EXPECT_LT(progressBytes(), wholeBytes);
  EXPECT_EQ(countLines(logText(), 5300), 1) << logText();
  EXPECT_EQ(getCurrentRequest(), nullptr);
  EXPECT_EQ(loggedOnSessions(), sessionsBefore);
  EXPECT_EQ(threadCountSettledAt(threadsBefore), threadsBefore);
  EXPECT_EQ(temporaryObjects(), 0);
  EXPECT_EQ(activeObjectIds(), previous);
  clearFaults();
  expectRestoresIdentical("copy");
}

// Backups cancelled at random instants from another thread: each ends with 0 or 415 and leaves
// no current request, session, thread or temporary object of its own.
TEST_F(BackupEntry, BackupsCancelledAtRandomInstantsLeaveNothingBehind) {
  uint32_t sessionsBefore = loggedOnSessions();
  int threadsBefore = threadCount();
  int cancelled = runCancelSeries([this] { return run(); },
                                  [&](uint32_t run, uint32_t) {
                                    EXPECT_EQ(loggedOnSessions(), sessionsBefore) << "run " << run;
                                    EXPECT_EQ(threadCountSettledAt(threadsBefore), threadsBefore)
                                        << "run " << run;
                                    EXPECT_EQ(temporaryObjects(), 0) << "run " << run;
                                  });
  EXPECT_GT(cancelled, 0);
}

}  // namespace
