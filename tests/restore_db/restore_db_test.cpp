// Backup then restore: the agent's backups of "sales" on the storage stand-in, found by the
// restore request's own query and restored through the emulated SQL Server's virtual devices.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "backup_db_env.h"
#include "restoreeri.h"
#include "sqltime.h"
#include "vdi_stripes.h"

namespace {

constexpr int64_t kLogBase = 1800000000000;  // after the log the database was made with

class RestoreDbEndToEnd : public BackupDbFixture {
 protected:
  // The restore request over every active backup of "sales", in the order the query sorts
  // them; each backup's outcome in m_ActionCodes.
  // The request's record for the backups of "sales" of this server.
  void prepare(CRestoreBackupsParms& parms) {
    m_DbNames.freeAll();
    add(m_DbNames, "sales");
    parms.sqlServerNameP = m_Server.szSqlServerName;
    parms.dbNameListP = &m_DbNames;
    parms.msgBufferP = m_Msg;
    parms.nBuffers = 3;
    parms.nBufferSize = 64;
  }
  static void add(EriNameList& list, const char* nameP) {
    EriNameEntry entry{};
    snprintf(entry.szName, sizeof entry.szName, "%s", nameP);
    list.addTail(&entry);
  }
  uint32_t restoreAll(uint32_t stripes, const SqlRestoreParameters& sqlParms) {
    CRestoreBackupsParms parms;
    prepare(parms);
    parms.bStripes = 1;
    parms.nStripes = static_cast<int32_t>(stripes);
    parms.sqlRestoreParms = sqlParms;
    CRestoreBackupsEri request(&parms);
    uint32_t rc = request.ProcessRequest();
    m_Text = request.GetMessageBuffer();
    m_ActionCodes.clear();
    for (MoxtarMetaInfo* p = parms.qryBuListP->getFirst(); p != nullptr;
         p = parms.qryBuListP->getNext(p)) {
      m_ActionCodes.push_back(p->nActionRc);
    }
    parms.qryBuListP->freeAll();
    return rc;
  }
  std::vector<uint64_t> dataSums(const char* dbP = "sales") {
    std::vector<sqlengine::Instance::FileChecksum> files;
    EXPECT_TRUE(m_Instance->checksums(dbP, files).ok());
    std::vector<uint64_t> sums;
    for (const auto& f : files) {
      if (f.file.logicalName != "sales_log") sums.push_back(f.checksum);
    }
    return sums;
  }
  void change(uint64_t seed) {
    ASSERT_TRUE(m_Instance->writeTestPages("sales", "sales_data", 0, 16, {true, seed, ""}).ok());
  }
  void work(int64_t t) {
    std::vector<sqlengine::LogRecord> records = {{0, kLogBase + t, ""},
                                                 {0, kLogBase + t + 1000, ""}};
    ASSERT_TRUE(m_Instance->appendLog("sales", records).ok());
  }
  std::string m_Text;
  std::vector<uint32_t> m_ActionCodes;
  EriNameList m_DbNames;
  char m_Msg[ERI_MSG_BUFFER_LEN + 1] = "";
};

TEST_F(RestoreDbEndToEnd, AFourStripeBackupComesBackIdenticalOverFourTwoAndOneSessions) {
  ASSERT_EQ(backup(BACKUP_TYPE_FULL, 4), 0) << m_Backup->consumerText();
  std::vector<uint64_t> before = dataSums();
  SqlRestoreParameters parms{};
  parms.bRecovery = 1;
  parms.bReplace = 1;
  uint64_t seed = 40;
  for (uint32_t stripes : {4u, 2u, 1u}) {
    SCOPED_TRACE(stripes);
    change(seed++);
    ASSERT_NE(dataSums(), before);
    ASSERT_EQ(restoreAll(stripes, parms), 0u) << m_Text;
    EXPECT_EQ(dataSums(), before);
    EXPECT_EQ(m_ActionCodes, (std::vector<uint32_t>{0}));
  }
}

// Full, differential and three logs: restored whole they bring the database to its last log;
// with a point in time inside the second log, the third is refused by SQL Server (1917) and
// counts as restored.
TEST_F(RestoreDbEndToEnd, AChainRestoresWholeAndToAPointInTime) {
  SqlRestoreParameters parms{};
  parms.bRecovery = 1;
  parms.bReplace = 1;
  m_Parms.bTruncate = 1;
  ASSERT_EQ(backup(BACKUP_TYPE_FULL, 2), 0) << m_Backup->consumerText();
  change(7);
  ASSERT_EQ(backup(BACKUP_TYPE_DIFFFULL, 2), 0) << m_Backup->consumerText();
  for (int64_t t : {1000, 3000, 5000}) {
    work(t);
    ASSERT_EQ(backup(BACKUP_TYPE_LOG, 1), 0) << m_Backup->consumerText();
  }
  std::vector<uint64_t> before = dataSums();
  change(8);
  ASSERT_EQ(restoreAll(2, parms), 0u) << m_Text;
  EXPECT_EQ(m_ActionCodes, (std::vector<uint32_t>{0, 0, 0, 0, 0}));
  EXPECT_EQ(dataSums(), before);

  parms.bStopAt = 1;
  snprintf(parms.szDateTime, sizeof parms.szDateTime, "%s",
           sqlengine::formatSqlTime(kLogBase + 3500).c_str());
  ASSERT_EQ(restoreAll(2, parms), 0u) << m_Text;
  EXPECT_EQ(m_ActionCodes, (std::vector<uint32_t>{0, 0, 0, 0, 1917}));
  std::vector<sqlengine::LogRecord> log;
  ASSERT_TRUE(m_Instance->readLog("sales", log).ok());
  std::vector<int64_t> times;
  for (const auto& r : log) {
    if (r.timeMs >= kLogBase) times.push_back(r.timeMs - kLogBase);
  }
  EXPECT_EQ(times, (std::vector<int64_t>{1000, 2000, 3000}));
}

// The request reads each backup's file information itself and restores a full and a log
// backup into another database with every file moved; each backup moves its own files once.
TEST_F(RestoreDbEndToEnd, IntoAnotherDatabaseWithEveryFileMovedFromTheStoredFileInformation) {
  m_Parms.bTruncate = 1;
  ASSERT_EQ(backup(BACKUP_TYPE_FULL, 2), 0) << m_Backup->consumerText();
  work(1000);
  ASSERT_EQ(backup(BACKUP_TYPE_LOG, 1), 0) << m_Backup->consumerText();
  std::vector<uint64_t> source = dataSums("sales");

  CRestoreBackupsParms parms;
  EriNameList from, into, destinations;
  EriPhysicalNameList to;
  EriRelocationList relocations;
  CLinkedList<SqlHublorDbElement> elements;
  CLinkedList<SqlMetaGroupInfo> groups;
  CLinkedList<SqlMetaFileInfo> files;
  prepare(parms);
  add(into, "copy");
  for (const char* logical : {"sales_data", "sales_data2", "sales_g2", "sales_log"}) {
    add(from, logical);
    EriPhysicalNameEntry path{};
    snprintf(path.szName, sizeof path.szName, "%s/copy/%s.dat", m_Root.path().c_str(), logical);
    to.addTail(&path);
  }
  parms.bFileInfo = 1;
  parms.bFillDbElems = 1;
  parms.dbElemListP = &elements;
  parms.dbElemGroupListP = &groups;
  parms.dbElemFileListP = &files;
  parms.relocateFromListP = &from;
  parms.relocateToListP = &to;
  parms.relocationListP = &relocations;
  parms.intoNameListP = &into;
  parms.destinationListP = &destinations;
  parms.sqlRestoreParms.bRecovery = 1;
  parms.sqlRestoreParms.bRelocate = 1;
  parms.sqlRestoreParms.bInto = 1;
  CRestoreBackupsEri request(&parms);
  EXPECT_EQ(request.ProcessRequest(), 0u) << request.GetMessageBuffer();
  EXPECT_EQ(dataSums("copy"), source);
  ASSERT_EQ(relocations.size(), 2u);
  EXPECT_EQ(relocations.front().pairs.getCount(), 4u);
  EXPECT_EQ(elements.getFirst()->pGroupList, &groups);  // the shared lists are given back
  parms.qryBuListP->freeAll();
}

}  // namespace
