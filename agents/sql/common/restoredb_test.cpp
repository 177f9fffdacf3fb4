// The database restore and its stripes against the two stand-ins: backups taken by the
// emulated SQL Server through virtual devices and stored as the agent stores them, restored
// through CRestoreDb into the same server.
#include "restoredb.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "restore_testutil.h"
#include "restorestripe.h"

namespace {

class RestoreDbTest : public RestoreFixture {
 protected:
  void SetUp() override {
    RestoreFixture::SetUp();
    m_Parms.bReplace = 1;
    m_Parms.bRecovery = 1;
  }

  // Restores the stored backup through `stripes` devices over the first sessions.
  int restore(CRestoreDb& db, const StoredBackup& backup, uint32_t stripes) {
    openSessions(stripes);
    if (m_Sessions.getFirst()->connected == 0) {
      EXPECT_EQ(m_Api->Logon(&m_Status, nullptr, &m_Sessions.getFirst()->pelkHandle), 0);
      m_Sessions.getFirst()->connected = 1;
    }
    m_Handle = m_Sessions.getFirst()->pelkHandle;
    MoxtarMetaInfo entry = metaEntry(backup);
    MoxtarBackupList objects;
    uint32_t notCancelled = 0;
    EXPECT_EQ(qryDataObjects(&m_Status, &entry, &notCancelled, m_Handle, &objects, m_ErrorText), 0);
    int rc =
        db.run(0, nullptr, &m_Sessions, &objects, &entry, backup.backupSize, stripes, &m_Cancel, 0);
    m_Handle = m_Sessions.getFirst()->pelkHandle;  // a terminated session logs on anew
    m_Text = db.resultMessage() != nullptr ? db.resultMessage() : "";
    return rc;
  }

  SqlRestoreParameters m_Parms{};
  uint32_t m_Cancel = 0;
  std::string m_Text;
};

// A backup of 4 stripes comes back byte-identical over 2, 4 and 1 devices, the data objects
// shared among the devices; one object serves every run and keeps the stripes it grew.
TEST_F(RestoreDbTest, AFourStripeBackupRestoresOverAnyNumberOfDevices) {
  StoredBackup backup = storeTaken("sales", BACKUP_TYPE_FULL, 4);
  std::vector<uint64_t> before = checksums("sales");
  CRestoreDb db(&m_Parms, &m_Server, 2, 64);
  uint64_t seed = 10;
  uint32_t records = 0;
  for (uint32_t stripes : {2u, 4u, 1u}) {
    SCOPED_TRACE(stripes);
    changeData("sales", "sales_data", seed++);
    changeData("sales", "g2_a", seed++);
    ASSERT_NE(checksums("sales"), before);
    ASSERT_EQ(restore(db, backup, stripes), 0) << m_Text;
    EXPECT_EQ(checksums("sales"), before);
    EXPECT_EQ(db.bytesConsumed(), backup.backupSize);
    records = std::max(records, stripes);
    EXPECT_EQ(db.stripeRecords(), records);
  }
}

// SQL Server 7 has the version-1 device set without removable media: one device per stripe.
TEST_F(RestoreDbTest, OnSqlServer7EveryStripeHasItsDevice) {
  createServer(7);
  StoredBackup backup = storeTaken("sales", BACKUP_TYPE_FULL, 2);
  std::vector<uint64_t> before = checksums("sales");
  changeData("sales", "sales_data", 5);
  CRestoreDb db(&m_Parms, &m_Server, 2, 64);
  ASSERT_EQ(restore(db, backup, 2), 0) << m_Text;
  EXPECT_EQ(checksums("sales"), before);
}

// More devices than data objects: the device that finds no object answers SQL Server's first
// read with the end of its media.
TEST_F(RestoreDbTest, ADeviceWithoutADataObjectEndsItsMedia) {
  StoredBackup backup = storeTaken("sales", BACKUP_TYPE_FULL, 2);
  std::vector<uint64_t> before = checksums("sales");
  changeData("sales", "sales_data", 5);
  CRestoreDb db(&m_Parms, &m_Server, 2, 64);
  ASSERT_EQ(restore(db, backup, 3), 0) << m_Text;
  EXPECT_EQ(checksums("sales"), before);
}

// A cancel while a device takes its second data object ends the restore with 415.
TEST_F(RestoreDbTest, ACancelDuringTheSecondObjectOfAStripeEndsTheRestore) {
  StoredBackup backup = storeTaken("sales", BACKUP_TYPE_FULL, 3);
  CRestoreDb db(&m_Parms, &m_Server, 2, 64);
  armFault("pelkGetData delay=300");  // each object takes a few seconds
  {
    CancelAfterCall canceller(&m_Cancel, "dpelkBeginGetData", 2);
    EXPECT_EQ(restore(db, backup, 1), RC_CANCELED_BY_USER) << m_Text;
  }
  EXPECT_NE(status("sales"), sqlengine::kStatusNormal);
}

// A get that fails inside an object ends that stripe's retrieval with its session and fails
// the restore with the interface's text; the next restore logs the session on again.
TEST_F(RestoreDbTest, AFailedGetEndsTheSessionAndTheNextObjectLogsOnAgain) {
  StoredBackup backup = storeTaken("sales", BACKUP_TYPE_FULL, 2);
  std::vector<uint64_t> before = checksums("sales");
  changeData("sales", "sales_data", 5);
  CRestoreDb db(&m_Parms, &m_Server, 2, 64);
  armFault("pelkGetData nth=2 code=PELK_RC_OBJ_UNAVAILABLE");
  EXPECT_EQ(restore(db, backup, 1), RC_API_CALL_FAILED);
  EXPECT_FALSE(m_Text.empty());
  EXPECT_EQ(m_Sessions.getFirst()->connected, 0u);
  clearFaults();
  ASSERT_EQ(restore(db, backup, 1), 0) << m_Text;
  EXPECT_EQ(m_Sessions.getFirst()->connected, 1u);
  EXPECT_EQ(checksums("sales"), before);
}

// SQL Server refusing the statement after it has read from the devices (a later version
// keeps a database whose log tail is not backed up) ends the restore with its text; the same
// object then restores with REPLACE.
TEST_F(RestoreDbTest, SqlServerRefusingTheRestoreMidwayEndsItWithItsText) {
  createServer(9);
  StoredBackup backup = storeTaken("sales", BACKUP_TYPE_FULL, 2);
  std::vector<uint64_t> before = checksums("sales");
  changeData("sales", "sales_data", 5);
  m_Parms.bReplace = 0;
  CRestoreDb db(&m_Parms, &m_Server, 2, 64);
  EXPECT_EQ(restore(db, backup, 2), RC_SQL_API_FAILURE);
  EXPECT_FALSE(m_Text.empty());
  m_Parms.bReplace = 1;
  ASSERT_EQ(restore(db, backup, 2), 0) << m_Text;
  EXPECT_EQ(checksums("sales"), before);
}

}  // namespace
