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
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "activitylog_testutil.h"
#include "erifunc.h"
#include "psutil.h"
#include "restore_testutil.h"

namespace {

// The console events reach the cancel entry as in the command-line program, but with no exit
// callback: a stray event with no request running must not end the test.
int cancelOnEvent(uint32_t) {
  eriCancelRequest(nullptr);
  return 1;
}

// Installed before any test starts a thread, so that every thread of the process blocks the
// console signals and only the signal thread takes them.
class ConsoleSignals : public testing::Environment {
 public:
  void SetUp() override { ASSERT_EQ(psSetConsoleCtrlHandler(cancelOnEvent), 0); }
};
testing::Environment* const kConsoleSignals = testing::AddGlobalTestEnvironment(new ConsoleSignals);

// The threads of this process.
int threadCount() {
  int n = 0;
  for ([[maybe_unused]] const auto& task : std::filesystem::directory_iterator("/proc/self/task")) {
    n++;
  }
  return n;
}

// Raises SIGINT at the first progress report of a transfer, once per arming.
std::atomic<bool> g_InterruptArmed{false};
int interruptAtProgress(StatusInfo status) {
  if (status.kind == progressStatus && g_InterruptArmed.exchange(false)) kill(getpid(), SIGINT);
  return 0;
}

class RestoreEntry : public RestoreFixture {
 protected:
  void SetUp() override {
    RestoreFixture::SetUp();
    m_Parms.sqlServerNameP = m_Server.szSqlServerName;
    m_Parms.dbNameListP = names(m_DbNames, {"sales"});
    m_Parms.msgBufferP = m_Msg;
    m_Parms.nBuffers = 2;
    m_Parms.nBufferSize = 64;
    m_Parms.command = ERI_CMD_RESTORE_FULL;
    m_Parms.sqlRestoreParms.bRecovery = 1;
    m_Parms.sqlRestoreParms.bReplace = 1;
  }
  void TearDown() override {
    m_Parms.qryBuListP->freeAll();
    RestoreFixture::TearDown();
  }
  uint32_t restore() {
    m_Parms.qryBuListP->freeAll();
    return eriRestoreBackups(&m_Parms);
  }

  CRestoreBackupsParms m_Parms;
  EriNameList m_DbNames;
  EriNameList m_Groups;
  char m_Msg[ERI_MSG_BUFFER_LEN + 1] = "stale";
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

// Ctrl-C while the stripes run: the cancel is logged, the restore ends as cancelled and every
// session it opened is logged off.
TEST_F(RestoreEntry, AnInterruptDuringTheRestoreCancelsIt) {
  ActivityLogForTest log(m_Root.path());
  storeTaken("sales", BACKUP_TYPE_FULL, 2);
  uint32_t sessionsBefore = loggedOnSessions();
  int threadsBefore = threadCount();
  armFault("pelkGetData delay=20");
  m_Parms.nStripes = 2;
  m_Parms.nStatusMilliSeconds = 10;
  m_Parms.statusFunctionP = interruptAtProgress;
  g_InterruptArmed = true;
  EXPECT_EQ(restore(), 415u) << m_Msg;
  EXPECT_FALSE(g_InterruptArmed);
  EXPECT_EQ(log.count(5300), 1) << log.text();
  EXPECT_EQ(getCurrentRequest(), nullptr);
  EXPECT_EQ(loggedOnSessions(), sessionsBefore);
  EXPECT_EQ(threadCount(), threadsBefore);
}

uint32_t envNumber(const char* nameP, uint32_t fallback) {
  const char* valueP = std::getenv(nameP);
  return valueP != nullptr && valueP[0] != '\0' ? std::strtoul(valueP, nullptr, 10) : fallback;
}

// Restores cancelled at random instants from another thread: each ends with 0 or 415 and
// leaves no current request, no session and no thread of its own; the database can be
// restored afterwards.
TEST_F(RestoreEntry, RestoresCancelledAtRandomInstantsLeaveNothingBehind) {
  storeTaken("sales", BACKUP_TYPE_FULL, 2);
  std::vector<uint64_t> before = checksums("sales");
  m_Parms.nStripes = 2;
  uint32_t runs = envNumber("ZARNAK_CANCEL_RUNS", 24);
  uint32_t seed = envNumber("ZARNAK_CANCEL_SEED", 20261210);
  SCOPED_TRACE("seed " + std::to_string(seed));
  std::mt19937 random(seed);
  uint32_t sessionsBefore = loggedOnSessions();
  int threadsBefore = threadCount();

  auto start = std::chrono::steady_clock::now();
  ASSERT_EQ(restore(), 0u) << m_Msg;
  auto span = std::chrono::duration_cast<std::chrono::microseconds>(
      std::chrono::steady_clock::now() - start);
  std::uniform_int_distribution<int64_t> instant(0, span.count() + span.count() / 4);
  uint32_t cancelled = 0;
  for (uint32_t run = 0; run < runs; run++) {
    std::chrono::microseconds delay(instant(random));
    std::thread canceller([delay] {
      std::this_thread::sleep_for(delay);
      eriCancelRequest(nullptr);
    });
    uint32_t rc = restore();
    canceller.join();
    ASSERT_TRUE(rc == 0 || rc == 415) << "run " << run << ": " << rc << " " << m_Msg;
    cancelled += rc == 415 ? 1 : 0;
    ASSERT_EQ(getCurrentRequest(), nullptr) << "run " << run;
    ASSERT_EQ(loggedOnSessions(), sessionsBefore) << "run " << run;
    ASSERT_EQ(threadCount(), threadsBefore) << "run " << run;
  }
  std::printf("%u of %u restores cancelled (seed %u)\n", cancelled, runs, seed);
  changeData("sales", "sales_data", 5);
  ASSERT_EQ(restore(), 0u) << m_Msg;
  EXPECT_EQ(checksums("sales")[0], before[0]);
}

}  // namespace
