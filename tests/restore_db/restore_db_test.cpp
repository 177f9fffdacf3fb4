// Backup then restore: the agent's backups of "sales" on the storage stand-in, found by the
// restore request's own query and restored through the emulated SQL Server's virtual devices.
#include <gtest/gtest.h>

#include <string>
#include <thread>
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
  uint32_t restoreAll(uint32_t stripes, const SqlRestoreParameters& sqlParms) {
    CRestoreBackupsParms parms;
    EriNameList dbNames;
    EriNameEntry name{};
    snprintf(name.szName, sizeof name.szName, "sales");
    dbNames.addTail(&name);
    char msg[ERI_MSG_BUFFER_LEN + 1] = "";
    parms.sqlServerNameP = m_Server.szSqlServerName;
    parms.dbNameListP = &dbNames;
    parms.msgBufferP = msg;
    parms.nBuffers = 3;
    parms.nBufferSize = 64;
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
  std::vector<uint64_t> dataSums() {
    std::vector<sqlengine::Instance::FileChecksum> files;
    EXPECT_TRUE(m_Instance->checksums("sales", files).ok());
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
  // Backups of one second sort by their time: the next one waits for the next second.
  int backupInItsOwnSecond(uint32_t type, uint32_t stripes) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1100));
    return backup(type, stripes);
  }
  std::string m_Text;
  std::vector<uint32_t> m_ActionCodes;
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
  ASSERT_EQ(backupInItsOwnSecond(BACKUP_TYPE_DIFFFULL, 2), 0) << m_Backup->consumerText();
  for (int64_t t : {1000, 3000, 5000}) {
    work(t);
    ASSERT_EQ(backupInItsOwnSecond(BACKUP_TYPE_LOG, 1), 0) << m_Backup->consumerText();
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

}  // namespace
