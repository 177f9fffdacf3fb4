#include "restore_testutil.h"

#include <atomic>
#include <cstdio>
#include <cstring>
#include <thread>

#include "machine.h"
#include "msgformat.h"
#include "sqlapi_testenv.h"
#include "sqlvdi.h"
#include "sqlwide.h"

namespace {

struct DeviceStripe {
  char vdevName[26];
  char16_t vdevNameW[26];
};

// Serves one device of a backup: keeps what SQL Server writes, completes every other command.
void serveBackupDevice(IClientVirtualDevice* vdevP, std::string* imageP) {
  DPelkApiStatus status;
  for (;;) {
    VDC_Command* commandP = nullptr;
    HRESULT hr = vdev_GetCommand(&status, vdevP, 1000, &commandP);
    if (hr == VD_E_TIMEOUT) continue;
    if (hr != S_OK) return;
    DWORD bytes = 0;
    if (commandP->commandCode == VDC_Write) {
      imageP->append(reinterpret_cast<const char*>(commandP->buffer), commandP->size);
      bytes = commandP->size;
    }
    vdev_CompleteCommand(&status, vdevP, commandP, ERROR_SUCCESS, bytes, 0);
  }
}

}  // namespace

void RestoreFixture::SetUp() {
  StoredBackupFixture::SetUp();
  sqlengine::MachineSettings machine;
  machine.machineName = sqlapitest::kMachine;
  machine.dmoVersionMajor = 8;
  ASSERT_TRUE(sqlengine::saveMachineSettings(machine).ok());
  createServer(8);
  HublorSessionInfo first{{}, 1, m_Handle};
  m_Sessions.addTail(&first);
}

void RestoreFixture::TearDown() {
  HublorSessionInfo* firstP = m_Sessions.getFirst();
  if (firstP != nullptr) m_Handle = firstP->connected == 1 ? firstP->pelkHandle : 0;
  for (HublorSessionInfo* sessionP = m_Sessions.getNext(m_Sessions.getFirst()); sessionP != nullptr;
       sessionP = m_Sessions.getNext(sessionP)) {
    if (sessionP->connected == 1) m_Api->Logoff(&m_Status, sessionP->pelkHandle);
  }
  m_Sessions.freeAll();
  gSqlApiP = nullptr;
  m_SqlApi.reset();
  m_Instance.reset();
  StoredBackupFixture::TearDown();
}

void RestoreRequestFixture::SetUp() {
  RestoreFixture::SetUp();
  m_Parms.sqlServerNameP = m_Server.szSqlServerName;
  m_Parms.dbNameListP = names(m_DbNames, {"sales"});
  m_Parms.msgBufferP = m_Msg;
  m_Parms.nBuffers = 2;
  m_Parms.nBufferSize = 64;
  m_Parms.sqlRestoreParms.bRecovery = 1;
  m_Parms.sqlRestoreParms.bReplace = 1;
}

void RestoreRequestFixture::TearDown() {
  m_Parms.qryBuListP->freeAll();
  RestoreFixture::TearDown();
}

void RestoreFixture::createServer(int versionMajor) {
  gSqlApiP = nullptr;
  m_SqlApi.reset();
  m_Instance.reset();
  m_Instance = sqlapitest::recreateDefaultInstance(versionMajor);
  ASSERT_TRUE(m_Instance);
  sqlengine::Database db;
  db.name = "sales";
  db.groups = {{"PRIMARY", {{0, "sales_data", "", 512}}}, {"G2", {{0, "g2_a", "", 256}}}};
  db.logFiles = {{0, "sales_log", "", 256}};
  ASSERT_TRUE(m_Instance->createDatabase(db).ok());
  changeData("sales", "sales_data", 1);
  changeData("sales", "g2_a", 2);

  ASSERT_NO_FATAL_FAILURE(sqlapitest::connectSa(&m_SqlApi, &m_Server));
}

void RestoreFixture::changeData(const std::string& db, const std::string& file, uint64_t seed) {
  sqlengine::PageFill fill;
  fill.seed = seed;
  ASSERT_TRUE(m_Instance->writeTestPages(db, file, 0, 24, fill).ok());
}

std::vector<uint64_t> RestoreFixture::checksums(const std::string& db) {
  std::vector<sqlengine::Instance::FileChecksum> sums;
  EXPECT_TRUE(m_Instance->checksums(db, sums).ok()) << db;
  std::vector<uint64_t> out;
  for (const auto& sum : sums) out.push_back(sum.checksum);
  return out;
}

int RestoreFixture::status(const std::string& db) {
  sqlengine::Database d;
  EXPECT_TRUE(m_Instance->database(db, d).ok()) << db;
  return d.status;
}

std::vector<std::string> RestoreFixture::takeBackup(const std::string& db, uint32_t type,
                                                    uint32_t stripes) {
  bool v7 = m_Server.lSqlVersionMajor == 7;
  CVdi vdi(m_Server.lSqlVersionMajor);
  EXPECT_EQ(vdi.constructionRc(), 0);
  CLinkedList<DeviceStripe> devices;
  for (uint32_t k = 0; k < stripes; k++) {
    DeviceStripe device{};
    snprintf(device.vdevName, sizeof device.vdevName, "TESTBACKUP-%04X", k);
    sqlNarrowToWide(device.vdevName, device.vdevNameW, 26);
    devices.addTail(&device);
  }
  DPelkApiStatus status;
  VDConfig config{};
  config.deviceCount = stripes;
  config.features = VDF_Discard;
  const char16_t* firstP = devices.getFirst()->vdevNameW;
  HRESULT hr = v7 ? vds_Create(&status, vdi.m_VdsP, firstP, &config)
                  : vds2_Create(&status, vdi.m_Vds2P, firstP, &config);
  EXPECT_EQ(hr, S_OK);
  SqlDatabaseElement dbElement{};
  snprintf(dbElement.szSqlDatabaseName, sizeof dbElement.szSqlDatabaseName, "%s", db.c_str());
  SqlDbInfo info = {&dbElement, nullptr, nullptr, 0};
  SqlBackupParameters parms{};
  parms.bTruncate = type == BACKUP_TYPE_LOG ? 1 : 0;
  std::atomic<bool> done{false};
  int rc = -1;
  char msg[NLS_MSG_MAX] = "";
  std::thread runner([&] {
    uint32_t count = stripes;
    uint32_t backupType = type;
    DPelkApiStatus apiStatus;
    uint32_t* cancelP = nullptr;
    char* msgP = msg;
    rc = m_SqlApi->BackupSqlDatabase(parms, &info, devices, count, backupType, apiStatus, cancelP,
                                     msgP);
    done = true;
  });
  hr = VD_E_TIMEOUT;
  while (hr == VD_E_TIMEOUT && !done) {
    hr = v7 ? vds_GetConfiguration(&status, vdi.m_VdsP, 100, &config)
            : vds2_GetConfiguration(&status, vdi.m_Vds2P, 100, &config);
  }
  std::vector<std::string> images(stripes);
  std::vector<IClientVirtualDevice*> vdevs(stripes, nullptr);
  std::vector<std::thread> servers;
  DeviceStripe* deviceP = devices.getFirst();
  for (uint32_t k = 0; hr == S_OK && k < stripes; k++, deviceP = devices.getNext(deviceP)) {
    hr = v7 ? vds_OpenDevice(&status, vdi.m_VdsP, deviceP->vdevNameW, &vdevs[k])
            : vds2_OpenDevice(&status, vdi.m_Vds2P, deviceP->vdevNameW, &vdevs[k]);
    if (hr == S_OK) servers.emplace_back(serveBackupDevice, vdevs[k], &images[k]);
  }
  for (std::thread& server : servers) server.join();
  runner.join();
  for (IClientVirtualDevice* vdevP : vdevs) {
    if (vdevP != nullptr) vdev_Release(&status, vdevP);
  }
  v7 ? vds_Close(&status, vdi.m_VdsP) : vds2_Close(&status, vdi.m_Vds2P);
  EXPECT_EQ(rc, 0) << msg;
  return images;
}

StoredBackup RestoreFixture::storeTaken(const std::string& db, uint32_t type, uint32_t stripes,
                                        uint32_t pid, uint32_t missingStripe) {
  StoredBackup backup;
  backup.server = m_Server.szSqlServerName;
  backup.db = db;
  backup.type = type;
  backup.stripes = stripes;
  backup.pid = pid != 0 ? pid : m_Pid++;
  backup.time.second = static_cast<uint8_t>(backup.pid % 60);
  backup.time.minute = static_cast<uint8_t>(backup.pid / 60 % 60);
  backup.sqlVersionMajor = static_cast<uint32_t>(m_Server.lSqlVersionMajor);
  backup.missingStripe = missingStripe;
  backup.data = takeBackup(db, type, stripes);
  for (const std::string& data : backup.data) backup.backupSize += data.size();
  storeBackup(backup);
  return backup;
}

MoxtarMetaInfo RestoreFixture::metaEntry(const StoredBackup& backup) {
  char fs[OBJ_NAME_MAX_FS_LENGTH + 1];
  EXPECT_EQ(buildFsName(fs, backup.server.c_str(), 0), 0);
  char ll[PELK_MAX_LL_LENGTH + 1];
  buildLl(ll, backup.type);
  std::string hl = hlOf(backup);
  MoxtarMetaInfo entry;
  for (const qryRespBackupData& resp : objects(fs, PELK_ACTIVE)) {
    if (hl == resp.objName.hl && std::strcmp(ll, resp.objName.ll) == 0) {
      static_cast<qryRespBackupData&>(entry) = resp;
      return entry;
    }
  }
  ADD_FAILURE() << "no meta-data object " << hl << ll;
  return entry;
}

void RestoreFixture::openSessions(uint32_t count) {
  while (m_Sessions.getCount() < count) {
    HublorSessionInfo session{};
    ASSERT_EQ(m_Api->Logon(&m_Status, &session.apiSessInfo, &session.pelkHandle), 0);
    session.connected = 1;
    m_Sessions.addTail(&session);
  }
}

void RestoreFixture::appendEntries(CLinkedList<MoxtarMetaInfo>& list,
                                   const std::vector<StoredBackup>& backups) {
  for (const StoredBackup& backup : backups) {
    MoxtarMetaInfo entry = metaEntry(backup);
    list.addTail(&entry);
  }
}

void RestoreFixture::work(const std::string& db, const std::vector<int64_t>& times) {
  std::vector<sqlengine::LogRecord> records;
  for (int64_t t : times) records.push_back({0, kLogBase + t, ""});
  ASSERT_TRUE(m_Instance->appendLog(db, records).ok());
}

std::vector<int64_t> RestoreFixture::logTimes(const std::string& db) {
  std::vector<sqlengine::LogRecord> log;
  EXPECT_TRUE(m_Instance->readLog(db, log).ok());
  std::vector<int64_t> out;
  for (const auto& record : log) {
    if (record.timeMs >= kLogBase) out.push_back(record.timeMs - kLogBase);
  }
  return out;
}
