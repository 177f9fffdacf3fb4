// The BACKUP and RESTORE statements executed by the emulated server through real virtual
// devices: the test serves the devices as a backup application does, keeps the backup in
// memory and restores it over a changed database; its files come back byte-identical.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "filetext_testutil.h"
#include "root.h"
#include "sqlapi_testenv.h"
#include "sqlqbentry.h"
#include "sqlstmt.h"
#include "sqltime.h"
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

  // infoP names the group, file or selection of a group, file or set backup.
  int backup(uint32_t type, std::vector<uint8_t>& image, SqlDbInfo* selectionP = nullptr) {
    SqlDbInfo whole = {&m_Db, nullptr, nullptr, 0};
    SqlDbInfo& info = selectionP != nullptr ? *selectionP : whole;
    if (selectionP == nullptr) m_Db = SqlDatabaseElement{};
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

  int restore(const char* ll, const SqlRestoreParameters& parms, const std::vector<uint8_t>& image,
              SqlHublorDbElement* dbP = nullptr) {
    Entry entry{};
    strcpy(entry.objName.hl, "\\sales");
    strcpy(entry.objName.ll, ll);
    entry.hublorDbElemP = dbP;
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

// The debug path: each stripe goes to a disk file of the device's name instead of its virtual
// device; the file holds the same backup, which restores through a virtual device.
TEST_F(SqlStmtVdiTest, TheDebugPathWritesAFilePerStripeThatRestores) {
  sqlengine::PageFill fill;
  fill.seed = 5;
  ASSERT_TRUE(instance().writeTestPages("sales", "sales_data", 0, 30, fill).ok());
  auto before = checksums();
  std::filesystem::path dir = zkroot::stateDir("debug");
  snprintf(m_BackupParms.szDebugBackupPath, sizeof m_BackupParms.szDebugBackupPath, "%s",
           dir.c_str());
  strcpy(m_Db.szSqlDatabaseName, "sales");
  SqlDbInfo whole = {&m_Db, nullptr, nullptr, 0};
  uint32_t stripes = 1;
  uint32_t type = BACKUP_TYPE_FULL;
  uint32_t* cancelP = nullptr;
  char* msgP = m_Msg;
  ASSERT_EQ(m_Api->BackupSqlDatabase(m_BackupParms, &whole, m_Stripes, stripes, type, m_Status,
                                     cancelP, msgP),
            0)
      << m_Msg;
  std::string bytes = fileText((dir / (std::string(kDevice) + ".DebugBackup")).string());
  ASSERT_GT(bytes.size(), size_t(30) * 8192);

  fill.seed = 6;
  ASSERT_TRUE(instance().writeTestPages("sales", "sales_data", 0, 30, fill).ok());
  SqlRestoreParameters parms{};
  parms.bRecovery = 1;
  parms.bReplace = 1;
  ASSERT_EQ(restore("\\full", parms, std::vector<uint8_t>(bytes.begin(), bytes.end())), 0) << m_Msg;
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

namespace {

// The statement builders, the virtual devices and the engine together, for every backup type
// and restore option the agent's statements name.
class SqlStmtEndToEndTest : public SqlStmtVdiTest {
 protected:
  int status(const char* db) {
    sqlengine::Database d;
    EXPECT_TRUE(instance().database(db, d).ok()) << db;
    return d.status;
  }
  uint64_t sumOf(const char* db, const std::string& logical) {
    std::vector<sqlengine::Instance::FileChecksum> sums;
    EXPECT_TRUE(instance().checksums(db, sums).ok());
    for (const auto& s : sums)
      if (s.file.logicalName == logical) return s.checksum;
    ADD_FAILURE() << logical;
    return 0;
  }
  void fill(const char* logical, uint64_t seed) {
    sqlengine::PageFill f;
    f.seed = seed;
    ASSERT_TRUE(instance().writeTestPages("sales", logical, 0, 10, f).ok());
  }
  void work(std::vector<int64_t> times) {
    std::vector<sqlengine::LogRecord> records;
    for (int64_t t : times) records.push_back({0, kBase + t, ""});
    ASSERT_TRUE(instance().appendLog("sales", records).ok());
  }
  std::vector<int64_t> logTimes(const char* db) {
    std::vector<sqlengine::LogRecord> log;
    EXPECT_TRUE(instance().readLog(db, log).ok());
    std::vector<int64_t> out;
    for (const auto& r : log)
      if (r.timeMs >= kBase) out.push_back(r.timeMs - kBase);
    return out;
  }
  std::vector<uint8_t> logBackup() {
    std::vector<uint8_t> image;
    m_BackupParms.bTruncate = 1;
    EXPECT_EQ(backup(BACKUP_TYPE_LOG, image), 0) << m_Msg;
    return image;
  }
  // Every file of sales moved to its own place under the root, into database `into`.
  void moveAll(SqlHublorDbElement& db, const char* into) {
    sqlengine::Database sales;
    ASSERT_TRUE(instance().database("sales", sales).ok());
    std::vector<sqlengine::DbFile> files = sales.logFiles;
    for (const auto& g : sales.groups) files.insert(files.end(), g.files.begin(), g.files.end());
    for (const auto& f : files) {
      SqlRelocatePair pair{};
      snprintf(pair.szLogicalName, sizeof pair.szLogicalName, "%s", f.logicalName.c_str());
      snprintf(pair.szPhysicalName, sizeof pair.szPhysicalName, "%s/%s/%s.dat",
               m_Root->path().c_str(), into, f.logicalName.c_str());
      m_Relocate.addTail(&pair);
    }
    db.pRelocateList = &m_Relocate;
    snprintf(db.szIntoDbName, sizeof db.szIntoDbName, "%s", into);
  }
  static constexpr int64_t kBase = 1700000000000;
  CLinkedList<SqlRelocatePair> m_Relocate;
  CLinkedList<SqlMetaGroupInfo> m_Groups;
  CLinkedList<SqlMetaFileInfo> m_Files;
};

std::string ll(uint32_t type) {
  return std::string("\\") + sqlBackupTypeName(type);
}

TEST_F(SqlStmtEndToEndTest, FullDifferentialAndLogRestoreOverAChangedDatabase) {
  fill("sales_data", 1);
  std::vector<uint8_t> full, diff;
  ASSERT_EQ(backup(BACKUP_TYPE_FULL, full), 0) << m_Msg;
  fill("g2_a", 2);
  ASSERT_EQ(backup(BACKUP_TYPE_DIFFFULL, diff), 0) << m_Msg;
  work({1000, 2000});
  std::vector<uint8_t> log = logBackup();
  uint64_t data = sumOf("sales", "sales_data"), g2 = sumOf("sales", "g2_a");

  fill("sales_data", 7);
  fill("g2_a", 8);
  SqlRestoreParameters parms{};
  parms.bReplace = 1;
  ASSERT_EQ(restore(ll(BACKUP_TYPE_FULL).c_str(), parms, full), 0) << m_Msg;
  parms = SqlRestoreParameters{};
  ASSERT_EQ(restore(ll(BACKUP_TYPE_DIFFFULL).c_str(), parms, diff), 0) << m_Msg;
  EXPECT_EQ(status("sales"), sqlengine::kStatusLoading);
  parms.bRecovery = 1;
  ASSERT_EQ(restore(ll(BACKUP_TYPE_LOG).c_str(), parms, log), 0) << m_Msg;
  EXPECT_EQ(status("sales"), sqlengine::kStatusNormal);
  EXPECT_EQ(sumOf("sales", "sales_data"), data);
  EXPECT_EQ(sumOf("sales", "g2_a"), g2);
  EXPECT_EQ(logTimes("sales"), (std::vector<int64_t>{1000, 2000}));
}

// A group, file or set restore waits for the log backups taken after it, which bring the
// database online with the restored files as they were backed up.
TEST_F(SqlStmtEndToEndTest, GroupFileAndSetBackupsRestoreWithTheLogsAfterThem) {
  std::vector<uint8_t> full;
  ASSERT_EQ(backup(BACKUP_TYPE_FULL, full), 0) << m_Msg;
  for (uint32_t type : {BACKUP_TYPE_GROUP, BACKUP_TYPE_FILE, BACKUP_TYPE_SET}) {
    SCOPED_TRACE(sqlBackupTypeName(type));
    fill("g2_a", 10 + type);
    // What the backup names: the group, the file, or a selection holding the group.
    SqlGroupElement group{};
    strcpy(group.szGroupName, "G2");
    group.peGroupDatabase = &m_Db;
    group.bGroupIsSelected = 1;
    SqlFileElement file{};
    strcpy(file.szFileLogicalName, "g2_a");
    m_Db = SqlDatabaseElement{};
    m_Db.peDbFirstGroup = &group;
    m_Db.bDbGroupIsSelected = 1;
    SqlDbInfo selection = {&m_Db, type == BACKUP_TYPE_GROUP ? &group : nullptr,
                           type == BACKUP_TYPE_FILE ? &file : nullptr, 0};
    std::vector<uint8_t> piece;
    ASSERT_EQ(backup(type, piece, &selection), 0) << m_Msg;
    uint64_t g2 = sumOf("sales", "g2_a");
    work({3000});
    std::vector<uint8_t> log = logBackup();

    // The restore names the group whole, or the file of the group.
    fill("g2_a", 99);
    m_Groups.freeAll();
    m_Files.freeAll();
    SqlMetaGroupInfo storedGroup;
    strcpy(storedGroup.szGroupName, "G2");
    storedGroup.bGroupIsSelected = type != BACKUP_TYPE_FILE;
    storedGroup.bGroupFileIsSelected = type == BACKUP_TYPE_FILE;
    m_Groups.addTail(&storedGroup);
    SqlMetaFileInfo storedFile;
    strcpy(storedFile.szFileLogicalName, "g2_a");
    storedFile.bFileIsSelected = 1;
    storedFile.peFileGroup = m_Groups.getFirst();
    m_Files.addTail(&storedFile);
    SqlHublorDbElement db{};
    db.pGroupList = &m_Groups;
    db.pFileList = &m_Files;
    db.bDbGroupIsSelected = type != BACKUP_TYPE_FILE;
    db.bDbFileIsSelected = type == BACKUP_TYPE_FILE;
    SqlRestoreParameters parms{};
    parms.bRecovery = 1;  // the plan restores a selection without recovery all the same
    ASSERT_EQ(restore(ll(type).c_str(), parms, piece, &db), 0) << m_Msg;
    EXPECT_EQ(status("sales"), sqlengine::kStatusLoading);
    ASSERT_EQ(restore(ll(BACKUP_TYPE_LOG).c_str(), parms, log), 0) << m_Msg;
    EXPECT_EQ(status("sales"), sqlengine::kStatusNormal);
    EXPECT_EQ(sumOf("sales", "g2_a"), g2);
  }
}

TEST_F(SqlStmtEndToEndTest, IntoMoveStandbyAndPartialRestores) {
  fill("sales_data", 4);
  fill("g2_a", 5);
  std::vector<uint8_t> full;
  ASSERT_EQ(backup(BACKUP_TYPE_FULL, full), 0) << m_Msg;
  work({1000});
  std::vector<uint8_t> log = logBackup();

  // Into another database with every file moved; then a log in standby.
  SqlHublorDbElement copy{};
  moveAll(copy, "copy");
  std::string undo = m_Root->path().string() + "/copy.undo";
  snprintf(copy.szStandbyFile, sizeof copy.szStandbyFile, "%s", undo.c_str());
  SqlRestoreParameters parms{};
  parms.bRelocate = 1;
  ASSERT_EQ(restore(ll(BACKUP_TYPE_FULL).c_str(), parms, full, &copy), 0) << m_Msg;
  EXPECT_EQ(status("copy"), sqlengine::kStatusLoading);
  parms.bStandby = 1;
  ASSERT_EQ(restore(ll(BACKUP_TYPE_LOG).c_str(), parms, log, &copy), 0) << m_Msg;
  EXPECT_EQ(status("copy"), sqlengine::kStatusStandby);
  EXPECT_TRUE(std::filesystem::exists(undo));
  EXPECT_EQ(sumOf("copy", "sales_data"), sumOf("sales", "sales_data"));
  EXPECT_EQ(sumOf("copy", "g2_a"), sumOf("sales", "g2_a"));

  // A partial restore of the primary group only, into a third database.
  SqlHublorDbElement part{};
  m_Relocate.freeAll();
  moveAll(part, "part");
  SqlMetaGroupInfo primary;
  strcpy(primary.szGroupName, "PRIMARY");
  primary.bGroupIsSelected = 1;
  m_Groups.addTail(&primary);
  part.pGroupList = &m_Groups;
  part.bDbGroupIsSelected = 1;
  parms = SqlRestoreParameters{};
  parms.bRelocate = 1;
  parms.bPartial = 1;
  parms.bRecovery = 1;
  ASSERT_EQ(restore(ll(BACKUP_TYPE_FULL).c_str(), parms, full, &part), 0) << m_Msg;
  EXPECT_EQ(status("part"), sqlengine::kStatusNormal);
  EXPECT_EQ(sumOf("part", "sales_data"), sumOf("sales", "sales_data"));
  EXPECT_NE(sumOf("part", "g2_a"), sumOf("sales", "g2_a"));
}

// A point in time in the second of two log backups: the first leaves the database restoring,
// the second stops at the point and recovers it.
TEST_F(SqlStmtEndToEndTest, AStopPointAcrossTwoLogBackupsIsReached) {
  std::vector<uint8_t> full;
  ASSERT_EQ(backup(BACKUP_TYPE_FULL, full), 0) << m_Msg;
  work({1000, 2000});
  std::vector<uint8_t> log1 = logBackup();
  work({3000, 4000});
  std::vector<uint8_t> log2 = logBackup();

  SqlHublorDbElement copy{};
  moveAll(copy, "pit");
  SqlRestoreParameters parms{};
  parms.bRelocate = 1;
  ASSERT_EQ(restore(ll(BACKUP_TYPE_FULL).c_str(), parms, full, &copy), 0) << m_Msg;
  parms.bStopAt = 1;
  parms.bRecovery = 1;
  snprintf(parms.szDateTime, sizeof parms.szDateTime, "%s",
           sqlengine::formatSqlTime(kBase + 3500).c_str());
  ASSERT_EQ(restore(ll(BACKUP_TYPE_LOG).c_str(), parms, log1, &copy), 0) << m_Msg;
  EXPECT_EQ(status("pit"), sqlengine::kStatusLoading);
  parms.bPreviousRestoreWasLog = 1;
  ASSERT_EQ(restore(ll(BACKUP_TYPE_LOG).c_str(), parms, log2, &copy), 0) << m_Msg;
  EXPECT_EQ(status("pit"), sqlengine::kStatusNormal);
  EXPECT_EQ(logTimes("pit"), (std::vector<int64_t>{1000, 2000, 3000}));
}

}  // namespace
