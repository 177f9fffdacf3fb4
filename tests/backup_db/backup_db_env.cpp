#include "backup_db_env.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <ctime>

#include "filetext_testutil.h"
#include "machine.h"
#include "model.h"
#include "objname.h"
#include "pelkapi.h"
#include "pstime.h"
#include "sqlapi_testenv.h"
#include "vdi_stripes.h"

namespace {

// The agent's wall clock for these tests: every reading is a second of its own, the machine's
// time or the second after the last one read, whichever is later. A backup that ends within the
// second it started in waits for the next second, so that each backup's time stamp is its own;
// under this clock it never waits, and backups made one after another still sort by their times.
time_t distinctSeconds() {
  static std::atomic<time_t> last{0};
  time_t now = time(nullptr);
  time_t previous = last.load();
  time_t next;
  do {
    next = std::max(now, previous + 1);
  } while (!last.compare_exchange_weak(previous, next));
  return next;
}

}  // namespace

void BackupDbFixture::SetUp() {
  MoxtarFixture::SetUp();
  psDateSetClock(distinctSeconds);
  sqlengine::MachineSettings machine;
  machine.machineName = "TESTHOST";
  machine.dmoVersionMajor = 8;
  ASSERT_TRUE(sqlengine::saveMachineSettings(machine).ok());
  ASSERT_TRUE(sqlengine::Instance::create(sqlengine::kDefaultInstance, 8).ok());
  sqlengine::SqlError e;
  m_Instance = sqlengine::Instance::open(sqlengine::kDefaultInstance, e);
  ASSERT_TRUE(m_Instance) << e.text;
  e = stripes::makeDatabase(*m_Instance, "sales", 4);
  ASSERT_TRUE(e.ok()) << e.text;

  CLinkedList<SqlInstanceElement>* instancesP = nullptr;
  ASSERT_NO_FATAL_FAILURE(sqlapitest::connectSa(&m_Sql, &m_Server, &instancesP));
  char msg[NLS_MSG_MAX] = "";
  uint32_t* cancelP = nullptr;
  char* msgP = msg;
  CLinkedList<SqlDatabaseElement>* listP = &m_Databases;
  ASSERT_EQ(m_Sql->GetSqlDatabaseNames(listP, nullptr, cancelP, msgP), 0) << msg;
  SqlDatabaseElement* dbP = m_Databases.getFirst();
  while (dbP != nullptr && strcmp(dbP->szSqlDatabaseName, "sales") != 0) {
    dbP = m_Databases.getNext(dbP);
  }
  ASSERT_NE(dbP, nullptr);
  dbP->pDbMessageList = &m_Messages;
  dbP->pDbGroupList = &m_Groups;
  dbP->pDbFileList = &m_Files;
  ASSERT_EQ(m_Sql->GetSqlDatabaseInfo(&dbP, &cancelP), 0);
  m_DbInfo.sqlDatabaseElementP = dbP;

  m_Log = std::make_unique<CLog>();
  ASSERT_EQ(m_Log->SetLogName((m_Root.path() / "agent.log").c_str()), 0);
  gLogP = m_Log.get();
  for (uint32_t i = 0; i <= 8; i++) addFilespace(fsName(i), getFsTypeForRegistration());
  for (int i = 0; i < 8; i++) {
    HublorSessionInfo session{};
    ASSERT_EQ(m_Api->Logon(&m_Status, &session.apiSessInfo, &session.pelkHandle), 0);
    session.connected = 1;
    m_Sessions.addTail(&session);
  }
}

void BackupDbFixture::TearDown() {
  m_Backup.reset();
  for (HublorSessionInfo* p = m_Sessions.getFirst(); p != nullptr; p = m_Sessions.getNext(p)) {
    m_Api->Logoff(&m_Status, p->pelkHandle);
  }
  gLogP = nullptr;
  m_Log.reset();
  gSqlApiP = nullptr;
  m_Databases.freeAll();
  m_Sql.reset();
  m_Instance.reset();
  psDateSetClock(nullptr);
  MoxtarFixture::TearDown();
}

std::string BackupDbFixture::fsName(uint32_t index) {
  char name[OBJ_NAME_MAX_FS_LENGTH + 1];
  EXPECT_EQ(buildFsName(name, "TESTHOST", index), 0);
  return name;
}

int BackupDbFixture::backup(uint32_t type, uint32_t stripes, uint32_t* cancelP) {
  static uint32_t notCancelled = 0;
  m_Backup = std::make_unique<CBackupDb>(&m_Parms, &m_Server, m_OlderThan, 3, 64);
  EXPECT_EQ(m_Backup->constructionRc(), 0);
  return m_Backup->run(1000, nullptr, &m_Sessions, m_EstimatePct, type, &m_DbInfo,
                       cancelP != nullptr ? cancelP : &notCancelled, m_MountWait, stripes);
}

std::vector<qryRespBackupData> BackupDbFixture::stored(uint32_t index, uint8_t state) {
  return objects(fsName(index), state);
}

std::vector<uint64_t> BackupDbFixture::activeObjectIds() {
  std::vector<uint64_t> ids;
  for (uint32_t i = 0; i <= 8; i++) {
    for (const qryRespBackupData& o : stored(i, PELK_ACTIVE)) {
      ids.push_back(uint64_t(o.objId.hi) << 32 | o.objId.lo);
    }
  }
  return ids;
}

int BackupDbFixture::temporaryObjects() {
  int count = 0;
  for (uint32_t i = 1; i <= 8; i++) {
    for (const qryRespBackupData& o : stored(i)) count += strchr(o.objName.ll, '.') != nullptr;
  }
  return count;
}

std::vector<uint8_t> BackupDbFixture::fetch(const qryRespBackupData& object) {
  std::vector<uint8_t> bytes;
  pelkUint64_t id = object.objId;
  pelkGetList list{PELK_GETLIST_VERSION, 1, &id, nullptr};
  DPelkApi* apiP = m_Api.get();
  EXPECT_EQ(DPelkApi::dpelkBeginGetData(apiP, &m_Status, m_Handle, 0, PELK_GET_BACKUP, &list), 0);
  std::vector<char> buffer(256 * 1024);
  DataBlk block{PELK_DATABLK_VERSION, static_cast<pelkUint32_t>(buffer.size()), 0, buffer.data()};
  int16_t rc = DPelkApi::dpelkGetObj(apiP, &m_Status, m_Handle, &id, &block);
  while (rc == PELK_RC_MORE_DATA || rc == PELK_RC_FINISHED) {
    bytes.insert(bytes.end(), buffer.begin(), buffer.begin() + block.numBytes);
    if (rc == PELK_RC_FINISHED) break;
    block.numBytes = 0;
    rc = DPelkApi::dpelkGetData(apiP, &m_Status, m_Handle, &block);
  }
  EXPECT_EQ(rc, PELK_RC_FINISHED);
  DPelkApi::dpelkEndGetObj(apiP, &m_Status, m_Handle);
  DPelkApi::dpelkEndGetData(apiP, &m_Status, m_Handle);
  return bytes;
}

void BackupDbFixture::expectRestoresIdentical(const std::string& into) {
  std::vector<std::vector<uint8_t>> images;
  for (uint32_t i = 1; i <= 8; i++) {
    for (const qryRespBackupData& o : stored(i, PELK_ACTIVE)) {
      if (strcmp(o.objName.ll, "\\full") == 0) images.push_back(fetch(o));
    }
  }
  ASSERT_FALSE(images.empty());
  std::vector<size_t> positions(images.size(), 0);
  stripes::Outcome outcome = stripes::restoreFromSources(
      *m_Instance, "DATABASE [" + into + "]", images.size(),
      [&](size_t i, size_t k) -> CVdevTestTransfer::Source {
        if (k > 0) return nullptr;
        return [&, i](uint8_t* dataP, uint32_t size) {
          size_t n = std::min<size_t>(size, images[i].size() - positions[i]);
          memcpy(dataP, images[i].data() + positions[i], n);
          positions[i] += n;
          return static_cast<uint32_t>(n);
        };
      },
      stripes::movesTo("sales", m_Root.path() / into));
  ASSERT_TRUE(outcome.statement.ok()) << outcome.statement.text;
  EXPECT_EQ(stripes::checksums(*m_Instance, into), stripes::checksums(*m_Instance, "sales"));
}

void BackupDbFixture::requestParms(DSqlBackupDatabaseParms* parmsP, char* msgP, int32_t stripes,
                                   uint32_t statusMilliSeconds) {
  parmsP->nStatusMilliSeconds = statusMilliSeconds;
  parmsP->msgBufferLen = ERI_MSG_BUFFER_LEN;
  parmsP->nBufferSize = 64;
  parmsP->msgBufferP = msgP;
  parmsP->nCleanupOlderThan = -1;
  parmsP->nEstimate = 50;
  parmsP->nBuffers = 3;
  parmsP->nStripes = stripes;
  parmsP->command = ERI_CMD_BACKUP_FULL;
}

int BackupDbFixture::selectDatabases(CLinkedList<SqlDatabaseElement>* listP,
                                     const std::vector<std::string>& names, char* msgP) {
  listP->freeAll();
  uint32_t* cancelP = nullptr;
  int rc = m_Sql->GetSqlDatabaseNames(listP, nullptr, cancelP, msgP);
  for (SqlDatabaseElement* p = listP->getFirst(); p != nullptr; p = listP->getNext(p)) {
    p->bSqlDbIsSelected = 0;
    for (const std::string& n : names) p->bSqlDbIsSelected |= n == p->szSqlDatabaseName;
  }
  return rc;
}

std::string BackupDbFixture::logText() {
  return fileText((m_Root.path() / "agent.log").string());
}
