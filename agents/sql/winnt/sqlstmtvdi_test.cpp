// The BACKUP and RESTORE statements executed by the emulated server through real virtual
// devices: the test serves the devices as a backup application does, keeps the backup in
// memory and restores it over a changed database; its files come back byte-identical.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "sqlapi_testenv.h"
#include "sqlvdi.h"

namespace {

struct Stripe {
  char vdevName[26];
};

struct Entry {
  struct {
    char hl[1025];
    char ll[257];
  } objName;
  void* hublorDbElemP;
};

constexpr char kDevice[] = "ZARNAKSQL-000004D2-0001";
constexpr char16_t kDeviceW[] = u"ZARNAKSQL-000004D2-0001";

class SqlStmtVdiTest : public sqlapitest::SqlApiObjectFixture {
 protected:
  void SetUp() override {
    SqlApiObjectFixture::SetUp();
    createDatabase("sales", "PRIMARY:sales_data:512;G2:g2_a:256", 256);
    Stripe s{};
    strcpy(s.vdevName, kDevice);
    m_Stripes.addTail(&s);
  }

  // Runs `statement` on a thread of its own while this thread serves the one virtual device
  // with `serve` for each command. Returns the statement's code.
  int runWithDevice(std::function<int()> statement,
                    std::function<DWORD(VDC_Command*, DWORD&)> serve) {
    CVdi vdi(8);
    EXPECT_EQ(vdi.constructionRc(), 0);
    DPelkApiStatus status;
    VDConfig config{};
    config.deviceCount = 1;
    EXPECT_EQ(vds2_Create(&status, vdi.m_Vds2P, kDeviceW, &config), S_OK);
    std::atomic<bool> done{false};
    int rc = -1;
    std::thread runner([&] {
      rc = statement();
      done = true;
    });
    HRESULT hr = VD_E_TIMEOUT;
    while (hr == VD_E_TIMEOUT && !done)
      hr = vds2_GetConfiguration(&status, vdi.m_Vds2P, 100, &config);
    IClientVirtualDevice* vdevP = nullptr;
    if (hr == S_OK) hr = vds2_OpenDevice(&status, vdi.m_Vds2P, kDeviceW, &vdevP);
    while (hr == S_OK || hr == VD_E_TIMEOUT) {
      VDC_Command* commandP = nullptr;
      hr = vdev_GetCommand(&status, vdevP, 1000, &commandP);
      if (hr != S_OK) continue;
      DWORD bytes = 0;
      DWORD completion = serve(commandP, bytes);
      vdev_CompleteCommand(&status, vdevP, commandP, completion, bytes, 0);
    }
    runner.join();
    if (vdevP != nullptr) vdev_Release(&status, vdevP);
    vds2_Close(&status, vdi.m_Vds2P);
    return rc;
  }

  int backup(uint32_t type, std::vector<uint8_t>& image) {
    SqlDbInfo info = {&m_Db, nullptr, nullptr, 0};
    m_Db = SqlDatabaseElement{};
    strcpy(m_Db.szSqlDatabaseName, "sales");
    uint32_t stripes = 1;
    uint32_t* cancelP = nullptr;
    char* msgP = m_Msg;
    return runWithDevice(
        [&] {
          return m_Api->BackupSqlDatabase(m_BackupParms, &info, m_Stripes, stripes, type, m_Status,
                                          cancelP, msgP);
        },
        [&](VDC_Command* c, DWORD& bytes) -> DWORD {
          if (c->commandCode == VDC_Write) {
            image.insert(image.end(), c->buffer, c->buffer + c->size);
            bytes = c->size;
          }
          return 0;
        });
  }

  int restore(const char* ll, const SqlRestoreParameters& parms,
              const std::vector<uint8_t>& image) {
    Entry entry{};
    strcpy(entry.objName.hl, "\\sales");
    strcpy(entry.objName.ll, ll);
    size_t readPos = 0;
    return runWithDevice(
        [&] {
          return m_Api->RestoreSqlDatabase(parms, m_Stripes, &m_Server, &entry, 1, &m_Status,
                                           nullptr, m_Msg, uint16_t(sizeof m_Msg));
        },
        [&](VDC_Command* c, DWORD& bytes) -> DWORD {
          if (c->commandCode != VDC_Read) return 0;
          bytes = DWORD(std::min<size_t>(c->size, image.size() - readPos));
          memcpy(c->buffer, image.data() + readPos, bytes);
          readPos += bytes;
          return bytes == 0 ? 38 /* end of file */ : 0;
        });
  }

  std::vector<sqlengine::Instance::FileChecksum> checksums() {
    std::vector<sqlengine::Instance::FileChecksum> sums;
    EXPECT_TRUE(instance().checksums("sales", sums).ok());
    return sums;
  }

  SqlDatabaseElement m_Db{};
  CLinkedList<Stripe> m_Stripes;
  SqlBackupParameters m_BackupParms{};
  SqlServerElement m_Server{8, 0, 0, 0, 8, 0, {}, {}, {}, {}, 0, 0};
  DPelkApiStatus m_Status;
};

TEST_F(SqlStmtVdiTest, BackupTakenThroughAVirtualDeviceRestoresByteIdentical) {
  sqlengine::PageFill fill;
  fill.seed = 7;
  ASSERT_TRUE(instance().writeTestPages("sales", "sales_data", 0, 40, fill).ok());
  ASSERT_TRUE(instance().writeTestPages("sales", "g2_a", 3, 10, fill).ok());
  auto before = checksums();
  std::vector<uint8_t> image;
  ASSERT_EQ(backup(BACKUP_TYPE_FULL, image), 0) << m_Msg;
  ASSERT_GT(image.size(), size_t(50) * 8192);

  // The database changes after the backup; the restore brings back what was backed up.
  fill.seed = 99;
  ASSERT_TRUE(instance().writeTestPages("sales", "sales_data", 0, 40, fill).ok());
  ASSERT_NE(checksums()[0].checksum, before[0].checksum);
  SqlRestoreParameters parms{};
  parms.bRecovery = 1;
  parms.bReplace = 1;
  ASSERT_EQ(restore("\\full", parms, image), 0) << m_Msg;
  auto after = checksums();
  ASSERT_EQ(after.size(), before.size());
  for (size_t i = 0; i < before.size(); i++) EXPECT_EQ(after[i].checksum, before[i].checksum) << i;
}

}  // namespace

// A full and a log backup restored in a chain: the full one with NORECOVERY, the log with
// RECOVERY, as the restore of a list does.
TEST_F(SqlStmtVdiTest, FullAndLogBackupsRestoreInAChain) {
  sqlengine::PageFill fill;
  fill.seed = 3;
  ASSERT_TRUE(instance().writeTestPages("sales", "sales_data", 0, 20, fill).ok());
  std::vector<uint8_t> full, log;
  ASSERT_EQ(backup(BACKUP_TYPE_FULL, full), 0) << m_Msg;
  std::vector<sqlengine::LogRecord> records(3);  // work done after the full backup
  ASSERT_TRUE(instance().appendLog("sales", records).ok());
  m_BackupParms.bTruncate = 1;
  ASSERT_EQ(backup(BACKUP_TYPE_LOG, log), 0) << m_Msg;
  auto before = checksums();

  fill.seed = 4;
  ASSERT_TRUE(instance().writeTestPages("sales", "sales_data", 0, 20, fill).ok());
  SqlRestoreParameters parms{};
  parms.bReplace = 1;
  ASSERT_EQ(restore("\\full", parms, full), 0) << m_Msg;
  parms = SqlRestoreParameters{};
  parms.bRecovery = 1;
  ASSERT_EQ(restore("\\log", parms, log), 0) << m_Msg;
  auto after = checksums();
  ASSERT_EQ(after.size(), before.size());
  EXPECT_EQ(after[0].checksum, before[0].checksum);  // the data file as backed up
}
