// What the progress dialog shows for each status report: bar positions, the two lines, the
// caption and the rows of completed items, over the agent's message repository.
#include "dstatusboard.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "agtrc.h"
#include "msgfile.h"
#include "msgrepo.h"
#include "nlsglob.h"
#include "nlstestenv.h"
#include "root.h"

namespace {

std::string gAgentDir;

int testAgentDir(char* bufP, size_t size) {
  std::snprintf(bufP, size, "%s/", gAgentDir.c_str());
  return 0;
}

StatusInfo begin(uint32_t item, uint32_t items, const char* nameP = "sales") {
  StatusInfo s{};
  s.kind = beginStatus;
  s.begin.nameP = nameP;
  s.begin.item = item;
  s.begin.items = items;
  return s;
}

StatusInfo progress(uint64_t written, uint64_t size) {
  StatusInfo s{};
  s.kind = progressStatus;
  s.progress.bytesConsumed = written;
  s.progress.bytesProduced = written;
  s.progress.objectSize = size;
  return s;
}

StatusInfo wait(const char* apiP) {
  StatusInfo s{};
  s.kind = waitStatus;
  s.wait.apiNameP = apiP;
  return s;
}

StatusInfo msgout(const char* textP) {
  StatusInfo s{};
  s.kind = msgoutStatus;
  s.msgout.textP = textP;
  return s;
}

StatusInfo end(int rc, const char* textP = nullptr, uint64_t bytes = 0, double seconds = 0) {
  StatusInfo s{};
  s.kind = endStatus;
  s.end.nameP = "sales";
  s.end.rc = rc;
  s.end.textP = textP;
  s.end.bytes = bytes;
  s.end.elapsedSeconds = seconds;
  return s;
}

StatusInfo finish(int rc, uint64_t bytes, double seconds, uint32_t skipped = 0) {
  StatusInfo s{};
  s.kind = finishStatus;
  s.finish.rc = rc;
  s.finish.totalBytes = bytes;
  s.finish.elapsedSeconds = seconds;
  s.finish.skipped = skipped;
  return s;
}

StatusInfo kind(uint32_t k) {
  StatusInfo s{};
  s.kind = k;
  return s;
}

class StatusBoard : public testing::Test {
 protected:
  void SetUp() override {
    gAgentDir = m_Root.path().string();
    std::filesystem::copy_file(ZK_MESSAGE_REPOSITORY, m_Root.path() / "sqlAMENG.txt");
    optSetAgentDirRtn(testAgentDir);
    nlsSetup(nullptr);
    nlsTestTable();
    ASSERT_EQ(NLInit("AMENG", 10, 1, 1, 1, 1), 0);
    m_Board.setCommand(3);
  }
  void TearDown() override {
    NLTerm();
    nlsCleanup();
    optSetAgentDirRtn(nullptr);
  }
  int report(const StatusInfo& s) { return m_Board.report(s, &m_Change); }

  zkroot::ScopedRoot m_Root;
  DStatusBoard m_Board;
  DStatusChange m_Change;
};

TEST_F(StatusBoard, BarsFollowTheItemsAndTheObjectAndOnlyTheEndShowsItWhole) {
  struct Case {
    StatusInfo report;
    int overall;
    int object;
  };
  const Case cases[] = {
      {begin(1, 4), 0, 0},
      {begin(4, 4), 75, 0},
      {begin(3, 0), 66, 0},  // no count of items: the item is the total
      {progress(500, 1000), DSTATUS_UNCHANGED, 50},
      {progress(1000, 1000), DSTATUS_UNCHANGED, 99},
      {progress(5000000000ull, 5000000000ull), DSTATUS_UNCHANGED, 99},
      {progress(700, 0), DSTATUS_UNCHANGED, DSTATUS_UNCHANGED},  // size unknown
      {end(0, nullptr, 1000, 1.0), DSTATUS_UNCHANGED, 100},
      {end(418, "refused"), DSTATUS_UNCHANGED, DSTATUS_UNCHANGED},
      {finish(0, 1000, 1.0), 100, DSTATUS_UNCHANGED},
      {finish(418, 1000, 1.0), DSTATUS_UNCHANGED, DSTATUS_UNCHANGED},
  };
  int row = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(row++);
    EXPECT_EQ(report(c.report), 0);
    EXPECT_EQ(m_Change.overallPos, c.overall);
    EXPECT_EQ(m_Change.objectPos, c.object);
  }
}

TEST_F(StatusBoard, LinesOfBeginProgressFinishAndTheRateOverNoTime) {
  ASSERT_EQ(report(kind(startStatus)), 0);
  EXPECT_TRUE(m_Change.setCaption);
  EXPECT_EQ(m_Change.caption, "Backing up SQL Server databases");
  ASSERT_EQ(report(msgout("a note")), 0);
  ASSERT_EQ(report(begin(1, 2)), 0);
  EXPECT_EQ(m_Board.operationLine(), "Backing up database sales");
  EXPECT_EQ(m_Board.messageLine(), "");

  ASSERT_EQ(report(end(0, nullptr, 2097152, 2.0)), 0);
  EXPECT_TRUE(m_Change.addRow);
  EXPECT_EQ(m_Change.rowName, "sales");
  EXPECT_EQ(m_Change.rowText, "Backed up 2,097,152 bytes in 2.00 s (1024.00 KB/s).");

  ASSERT_EQ(report(finish(0, 2048, 0.0)), 0);
  EXPECT_EQ(m_Board.operationLine(), "Backed up 2,048 bytes in 0.00 s (0.00 KB/s).");
  ASSERT_EQ(report(finish(0, 2048, 1.0, 2)), 0);
  EXPECT_EQ(m_Board.operationLine(),
            "Backed up with 2 databases skipped: 2,048 bytes in 1.00 s (2.00 KB/s).");

  // A single log restore's summary goes into the message line.
  m_Board.setCommand(76);
  ASSERT_EQ(report(finish(0, 1024, 1.0)), 0);
  EXPECT_EQ(m_Board.messageLine(), "Restored 1,024 bytes in 1.00 s (1.00 KB/s).");
  EXPECT_EQ(m_Board.operationLine(), "");
}

TEST_F(StatusBoard, WaitsForOneInterfaceShowTheirMessageOnceAndProgressClearsIt) {
  const std::string hublor = "Waiting for the HUBLOR interface ";
  ASSERT_EQ(report(wait("HUBLOR")), 0);
  EXPECT_EQ(m_Board.messageLine(), hublor);
  ASSERT_EQ(report(msgout("between")), 0);
  ASSERT_EQ(report(wait("HUBLOR")), 0);  // after another report: shown again
  EXPECT_EQ(m_Board.messageLine(), hublor);
  ASSERT_EQ(report(wait("HUBLOR")), 0);
  ASSERT_EQ(report(wait("HUBLOR")), 0);
  EXPECT_EQ(m_Board.messageLine(), hublor);
  ASSERT_EQ(report(wait("SQL-DMO")), 0);
  EXPECT_EQ(m_Board.messageLine(), "Waiting for the SQL-DMO interface ");
  ASSERT_EQ(report(progress(1, 2)), 0);
  EXPECT_EQ(m_Board.messageLine(), "");
}

TEST_F(StatusBoard, FailedAndSkippedItemsAreListedWithTheirReason) {
  ASSERT_EQ(report(msgout("the backup of orders failed")), 0);
  // A skip keeps the message line and lists the item with the reason of code 1318.
  ASSERT_EQ(report(end(1318)), 0);
  EXPECT_EQ(m_Board.messageLine(), "the backup of orders failed");
  EXPECT_EQ(m_Change.rowText,
            "Database sales was skipped: ZUD5121W Skipped because an earlier backup or restore of "
            "the same database failed.");
  // A failure with its own text shows it, line feeds as blanks; without one, its code's message.
  ASSERT_EQ(report(end(418, "refused\nby the server")), 0);
  EXPECT_EQ(m_Board.messageLine(), "");
  EXPECT_EQ(m_Change.rowText, "The backup failed: refused by the server ");
  ASSERT_EQ(report(end(415)), 0);
  EXPECT_EQ(m_Change.rowText.rfind("The backup failed: ", 0), 0u) << m_Change.rowText;
  EXPECT_GT(m_Change.rowText.size(), std::string("The backup failed: ").size());
}

TEST_F(StatusBoard, EachCommandClassHasItsTextsAndNoCommandAnswers419) {
  for (uint32_t command = 71; command <= 77; command++) {
    m_Board.setCommand(command);
    ASSERT_EQ(report(begin(1, 1, "orders")), 0);
    EXPECT_EQ(m_Board.operationLine(), "Restoring database orders") << command;
  }
  m_Board.setCommand(50);
  ASSERT_EQ(report(begin(1, 1, "orders")), 0);
  EXPECT_EQ(m_Board.operationLine(), "Inactivating the backups of database orders");
  ASSERT_EQ(report(kind(startStatus)), 0);
  EXPECT_EQ(m_Change.caption, "Inactivating stored backups");

  // A report's own command wins over the dialog's.
  StatusInfo restoreBegin = begin(1, 1, "orders");
  restoreBegin.command = 74;
  ASSERT_EQ(report(restoreBegin), 0);
  EXPECT_EQ(m_Board.operationLine(), "Restoring database orders");

  m_Board.setCommand(DSTATUS_NO_COMMAND);
  EXPECT_EQ(report(kind(startStatus)), RC_INTERNAL_ERROR);
  EXPECT_TRUE(m_Change.setCaption);
  EXPECT_EQ(m_Change.caption, "");
  EXPECT_EQ(report(begin(1, 1)), RC_INTERNAL_ERROR);
  EXPECT_EQ(m_Board.operationLine(), "");
  EXPECT_EQ(report(finish(0, 1, 1.0)), RC_INTERNAL_ERROR);
  EXPECT_EQ(report(end(0)), RC_INTERNAL_ERROR);
  EXPECT_FALSE(m_Change.addRow);
  EXPECT_EQ(report(progress(1, 2)), 0);
  EXPECT_EQ(report(msgout("x")), 0);
  EXPECT_EQ(report(wait("Sql")), 0);
  EXPECT_EQ(report(kind(9)), RC_INTERNAL_ERROR);
  // The unknown kind was the last one: the next wait shows its message again.
  EXPECT_EQ(report(wait("Sql")), 0);
  EXPECT_EQ(m_Board.messageLine(), "Waiting for the Sql interface ");
}

}  // namespace
