// The restore of a backup list against the two stand-ins: chains of backups restored in order
// with RECOVERY only on the last into each database, skips after a failure, a stop point and
// backups with a missing stripe.
#include "restorelist.h"

#include <gtest/gtest.h>

#include <mutex>
#include <regex>
#include <string>
#include <vector>

#include "metaxfer.h"
#include "restore_testutil.h"
#include "sqlapi_testenv.h"
#include "sqltime.h"

namespace {

// What the status callback received: kind, rc of end reports, texts.
struct Report {
  uint32_t kind;
  int rc;
  std::string text;
};
std::mutex gReportsMutex;
std::vector<Report> gReports;

int keepReport(StatusInfo status) {
  Report report{status.kind, 0, ""};
  if (status.kind == endStatus) report.rc = status.end.rc;
  if (status.kind == msgoutStatus) report.text = status.msgout.textP;
  if (status.kind == beginStatus) report.text = status.begin.secondNameP;
  std::lock_guard<std::mutex> lock(gReportsMutex);
  gReports.push_back(report);
  return RC_OK;
}

class RestoreListTest : public RestoreFixture {
 protected:
  void SetUp() override {
    RestoreFixture::SetUp();
    gReports.clear();
    m_Parms.bRecovery = 1;
  }
  void TearDown() override {
    m_List.freeAll();
    RestoreFixture::TearDown();
  }

  int restoreList(uint32_t stripes = 4) {
    sqlapitest::TraceCapture trace;
    RestoreListJob job;
    job.statusFunctionP = keepReport;
    job.parameters = m_Parms;
    job.serverP = &m_Server;
    job.sessionsP = &m_Sessions;
    job.backupsP = &m_List;
    job.bufferSize = 64;
    job.numBuffers = 2;
    job.numStripes = stripes;
    job.cancelP = &m_Cancel;
    job.msgBufferP = m_Msg;
    int rc = restoreDbList(&job);
    m_Restored = job.restored;
    m_Skipped = job.skipped;
    m_Seconds = job.totalSeconds;
    m_Bytes = job.totalBytes;
    m_Statements.clear();
    for (const std::string& text : trace.texts) {
      std::smatch m;
      static const std::regex parms("bPreviousRestoreWasLog:(\\d).*bRecovery:(\\d)");
      if (std::regex_search(text, m, parms)) m_Statements.push_back(m[2].str() + m[1].str());
      size_t at = text.find("RESTORE ");
      if (at != std::string::npos) m_Heads.push_back(text.substr(at));
    }
    return rc;
  }
  std::vector<uint32_t> actionCodes() {
    std::vector<uint32_t> codes;
    for (MoxtarMetaInfo* p = m_List.getFirst(); p != nullptr; p = m_List.getNext(p)) {
      codes.push_back(p->nActionRc);
    }
    return codes;
  }
  std::vector<uint32_t> endCodes() {
    std::vector<uint32_t> codes;
    for (const Report& r : gReports) {
      if (r.kind == endStatus) codes.push_back(r.rc);
    }
    return codes;
  }

  SqlRestoreParameters m_Parms{};
  CLinkedList<MoxtarMetaInfo> m_List;
  uint32_t m_Restored = 0;
  uint32_t m_Skipped = 0;
  uint32_t m_Cancel = 0;
  double m_Seconds = 0;
  uint64_t m_Bytes = 0;
  char m_Msg[RESTORE_ITEM_TEXT_SIZE] = "";
  // Per RESTORE statement: its recovery and previous-was-log flags, as "RP".
  std::vector<std::string> m_Statements;
  std::vector<std::string> m_Heads;  // the statements' heads as traced
};

// Full, differential and three logs in one list: RECOVERY only on the last, the flag of a log
// after a log on logs 2 and 3; the database comes back as it was at the last log backup.
TEST_F(RestoreListTest, AChainRecoversOnlyOnItsLastBackup) {
  std::vector<StoredBackup> chain;
  chain.push_back(storeTaken("sales", BACKUP_TYPE_FULL, 2));
  changeData("sales", "g2_a", 7);
  chain.push_back(storeTaken("sales", BACKUP_TYPE_DIFFFULL, 2));
  for (int64_t t : {1000, 3000, 5000}) {
    work("sales", {t, t + 1000});
    chain.push_back(storeTaken("sales", BACKUP_TYPE_LOG, 1));
  }
  std::vector<uint64_t> before = checksums("sales");
  before.resize(2);  // the data files; the log holds what the restore replayed
  changeData("sales", "sales_data", 9);
  appendEntries(m_List, chain);
  m_Parms.bReplace = 1;
  ASSERT_EQ(restoreList(), 0) << m_Msg;
  EXPECT_EQ(m_Statements, (std::vector<std::string>{"00", "00", "00", "01", "11"}));
  EXPECT_EQ(m_Restored, 5u);
  EXPECT_EQ(m_Skipped, 0u);
  EXPECT_EQ(actionCodes(), (std::vector<uint32_t>{0, 0, 0, 0, 0}));
  EXPECT_EQ(endCodes(), (std::vector<uint32_t>{0, 0, 0, 0, 0}));
  EXPECT_EQ(status("sales"), sqlengine::kStatusNormal);
  std::vector<uint64_t> after = checksums("sales");
  after.resize(2);
  EXPECT_EQ(after, before);
  EXPECT_EQ(logTimes("sales"), (std::vector<int64_t>{1000, 2000, 3000, 4000, 5000, 6000}));
  EXPECT_GT(m_Bytes, 0u);
}

// A point in time inside the second log: the third log is refused with SQL Server's 4306 and
// counts as restored (reported as 0, kept as 1917); a later backup into that database is
// skipped.
TEST_F(RestoreListTest, AStopPointInsideTheSecondLogEndsTheChainThere) {
  std::vector<StoredBackup> chain;
  chain.push_back(storeTaken("sales", BACKUP_TYPE_FULL, 1));
  for (int64_t t : {1000, 3000, 5000, 7000}) {
    work("sales", {t, t + 1000});
    chain.push_back(storeTaken("sales", BACKUP_TYPE_LOG, 1));
  }
  appendEntries(m_List, chain);
  m_Parms.bReplace = 1;
  m_Parms.bStopAt = 1;
  snprintf(m_Parms.szDateTime, sizeof m_Parms.szDateTime, "%s",
           sqlengine::formatSqlTime(kLogBase + 3500).c_str());
  ASSERT_EQ(restoreList(), 0) << m_Msg;
  EXPECT_EQ(actionCodes(), (std::vector<uint32_t>{0, 0, 0, 1917, 1318}));
  EXPECT_EQ(endCodes(), (std::vector<uint32_t>{0, 0, 0, 0, 1318}));
  EXPECT_EQ(m_Restored, 4u);
  EXPECT_EQ(m_Skipped, 1u);
  EXPECT_EQ(status("sales"), sqlengine::kStatusNormal);
  EXPECT_EQ(logTimes("sales"), (std::vector<int64_t>{1000, 2000, 3000}));
}

// The first backup of a chain failing skips the rest of that chain, counted; a backup of
// another database goes on; the list ends with 402.
TEST_F(RestoreListTest, AFailedFirstBackupSkipsTheRestOfItsChain) {
  createServer(9);  // refuses a restore over a database whose log tail is not backed up
  sqlengine::Database books;
  books.name = "books";
  books.groups = {{"PRIMARY", {{0, "books_data", "", 256}}}};
  books.logFiles = {{0, "books_log", "", 256}};
  ASSERT_TRUE(m_Instance->createDatabase(books).ok());
  std::vector<StoredBackup> backups;
  backups.push_back(storeTaken("sales", BACKUP_TYPE_FULL, 1));
  work("sales", {1000});
  backups.push_back(storeTaken("sales", BACKUP_TYPE_LOG, 1));
  work("sales", {2000});
  backups.push_back(storeTaken("sales", BACKUP_TYPE_LOG, 1));
  backups.push_back(storeTaken("books", BACKUP_TYPE_FULL, 1));
  appendEntries(m_List, backups);
  ASSERT_TRUE(m_Instance->removeDatabase("books").ok());
  EXPECT_EQ(restoreList(), RC_NOT_ALL_DONE);
  EXPECT_EQ(actionCodes(), (std::vector<uint32_t>{1914, 1318, 1318, 0}));
  EXPECT_EQ(endCodes(), (std::vector<uint32_t>{1914, 1318, 1318, 0}));
  EXPECT_EQ(m_Restored, 1u);
  EXPECT_EQ(m_Skipped, 2u);
  EXPECT_EQ(status("books"), sqlengine::kStatusNormal);
}

// A backup whose second stripe is missing: after version 7 the restore goes on with what was
// found (message 5456; SQL Server then misses the family); on version 7 it ends as corrupt.
TEST_F(RestoreListTest, AMissingStripeIsToleratedAfterVersion7Only) {
  for (int version : {8, 7}) {
    SCOPED_TRACE(version);
    createServer(version);
    gReports.clear();
    m_List.freeAll();
    StoredBackup backup = storeTaken("sales", BACKUP_TYPE_FULL, 2, 0, 2);
    appendEntries(m_List, {backup});
    m_Parms.bReplace = 1;
    EXPECT_EQ(restoreList(), RC_NOT_ALL_DONE);
    bool told = false;
    for (const Report& r : gReports) told = told || r.kind == msgoutStatus;
    EXPECT_EQ(told, version != 7);
    EXPECT_EQ(actionCodes()[0], version == 7 ? uint32_t{RC_CORRUPT_BACKUP} : 1914u);
  }
}

// More sessions and stripes than the backup has: the restore names one device per stripe of
// the backup.
TEST_F(RestoreListTest, ARestoreUsesNoMoreDevicesThanTheBackupHasStripes) {
  StoredBackup backup = storeTaken("sales", BACKUP_TYPE_FULL, 2);
  std::vector<uint64_t> before = checksums("sales");
  changeData("sales", "sales_data", 3);
  openSessions(4);
  appendEntries(m_List, {backup});
  m_Parms.bReplace = 1;
  ASSERT_EQ(restoreList(4), 0) << m_Msg;
  ASSERT_EQ(m_Heads.size(), 1u);
  EXPECT_EQ(std::regex_search(m_Heads[0], std::regex("-0001")), true);
  EXPECT_EQ(std::regex_search(m_Heads[0], std::regex("-0002")), false);
  EXPECT_EQ(checksums("sales"), before);
}

// Destinations compare without regard to case: a full backup into "Copy" and a log into
// "COPY" are one chain, recovered on the log only.
TEST_F(RestoreListTest, DestinationsCompareWithoutRegardToCase) {
  std::vector<StoredBackup> backups;
  backups.push_back(storeTaken("sales", BACKUP_TYPE_FULL, 1));
  work("sales", {1000});
  backups.push_back(storeTaken("sales", BACKUP_TYPE_LOG, 1));
  appendEntries(m_List, backups);
  CLinkedList<SqlRelocatePair> moves;
  for (const char* name : {"sales_data", "g2_a", "sales_log"}) {
    SqlRelocatePair pair{};
    snprintf(pair.szLogicalName, sizeof pair.szLogicalName, "%s", name);
    snprintf(pair.szPhysicalName, sizeof pair.szPhysicalName, "%s/copy/%s.dat",
             m_Root.path().c_str(), name);
    moves.addTail(&pair);
  }
  SqlHublorDbElement into[2] = {};
  const char* intoNames[2] = {"Copy", "COPY"};
  MoxtarMetaInfo* entryP = m_List.getFirst();
  for (int k = 0; k < 2; k++, entryP = m_List.getNext(entryP)) {
    snprintf(into[k].szIntoDbName, sizeof into[k].szIntoDbName, "%s", intoNames[k]);
    into[k].pRelocateList = &moves;
    entryP->hublorDbElemP = &into[k];
  }
  m_Parms.bRelocate = 1;
  ASSERT_EQ(restoreList(), 0) << m_Msg;
  EXPECT_EQ(m_Statements, (std::vector<std::string>{"00", "10"}));
  EXPECT_EQ(status("Copy"), sqlengine::kStatusNormal);
}

TEST_F(RestoreListTest, WithoutASessionNothingIsRestored) {
  m_Sessions.freeAll();
  EXPECT_EQ(restoreList(), RC_INTERNAL_ERROR);
  HublorSessionInfo first{{}, 1, m_Handle};
  m_Sessions.addTail(&first);
  EXPECT_EQ(restoreList(), 0);  // an empty list
  EXPECT_TRUE(gReports.empty());
}

}  // namespace
