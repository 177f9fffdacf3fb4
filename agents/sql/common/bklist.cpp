#include "bklist.h"

#include <algorithm>
#include <cstdarg>
#include <cstring>
#include <memory>
#include <vector>

#include "agtlog.h"
#include "agtrc.h"
#include "agttrc.h"
#include "baseeri.h"
#include "bkdb.h"
#include "errormsg.h"
#include "moxtarutil.h"
#include "msgout.h"
#include "objname.h"
#include "pelkapi.h"
#include "stripecap.h"

namespace {

constexpr int MSG_SERVER_BACKUP_STARTED = 3000;
constexpr int MSG_SERVER_BACKUP_ENDED = 3001;
constexpr int MSG_SERVER_BACKUP_FAILED = 3002;
constexpr int MSG_SERVER_BACKUP_CANCELLED = 3009;
constexpr int MSG_BACKUP_FAILED = 5106;
constexpr int MSG_TYPE_SKIPPED = 5121;
constexpr int MSG_STRIPES_OVER_MAXIMUM = 5450;
constexpr int MSG_STRIPES_OVER_SESSIONS = 5453;
constexpr int MSG_STRIPES_OVER_TXN = 5454;
constexpr int MSG_NO_DELETE = 5458;
// The registration is repeated while a pass registers a filespace anew, at most this often.
constexpr int kRegistrationPasses = 2;

// Command numbers of the backup types in begin and end reports, indexed by the type.
constexpr uint32_t kTypeCommands[] = {3, 1, 5, 4, 2, 6};

class CBackupListRun {
 public:
  explicit CBackupListRun(const BackupListJob& job)
      : m_StatusMilliSeconds(job.statusMilliSeconds),
        m_StatusFunctionP(job.statusFunctionP),
        m_SessionsP(job.sessionsP),
        m_ServerP(job.serverP),
        m_CancelP(job.cancelP),
        m_MsgBufferP(job.msgBufferP) {}

  bool cancelled() const { return eriIsCancelled(m_CancelP) != 0; }
  uint32_t capStripes(uint32_t numStripes);
  void warnNoDelete();
  int registerFilespaces(uint32_t numStripes);
  void stampCompletion();
  void runList(CBackupDb& backup, CLinkedList<uint32_t>* typesP, CLinkedList<SqlDbInfo>* infosP,
               uint32_t dbBupSizeEstPct, uint32_t mountWait, uint32_t numStripes);

  double m_TotalSeconds = 0;
  uint64_t m_TotalBytes = 0;
  uint32_t m_Done = 0;

 private:
  struct Item {
    uint32_t number;
    uint32_t type;
    const char* dbNameP;
    uint64_t bytes;
    double seconds;
    const char* textP;
    bool started;
  };
  void tell(int msgNum, ...);
  HublorSessionInfo* sessionOfIndex(uint32_t index);
  int registerPass(const pelkFSAttr& attr, bool* anewP);
  void runItem(CBackupDb& backup, SqlDbInfo* infoP, Item* itemP, uint32_t dbBupSizeEstPct,
               uint32_t mountWait);
  void endItem(SqlDbInfo* infoP, const Item& item);

  uint32_t m_StatusMilliSeconds;
  StatusFunction m_StatusFunctionP;
  CLinkedList<HublorSessionInfo>* m_SessionsP;
  SqlServerElement* m_ServerP;
  uint32_t* m_CancelP;
  char* m_MsgBufferP;
  DPelkApiStatus m_Status;
  uint32_t m_NumStripes = 0;
  uint32_t m_Items = 0;
  std::vector<uint32_t> m_Stamped;  // 1: the filespace of the index has a start date only
  char m_ItemText[NLS_MSG_MAX] = "";
  char m_ErrorText[MOXTAR_ERROR_TEXT_SIZE] = "";
};

// A message to the activity log and, with a callback, to the front end as a text.
void CBackupListRun::tell(int msgNum, ...) {
  char text[NLS_MSG_MAX] = "";
  va_list args;
  va_start(args, msgNum);
  nlsvprintf(text, sizeof text, msgNum, args);
  va_end(args);
  if (gLogP != nullptr) gLogP->LogActivityLog(text);
  if (m_StatusFunctionP == nullptr) return;
  StatusInfo status{};
  status.kind = msgoutStatus;
  status.msgout.textP = text;
  m_StatusFunctionP(status);
}

uint32_t CBackupListRun::capStripes(uint32_t numStripes) {
  uint32_t maximum = maxServerStripes(*m_ServerP);
  if (numStripes > maximum) {
    tell(MSG_STRIPES_OVER_MAXIMUM, numStripes, maximum);
    numStripes = maximum;
  }
  uint32_t sessions = m_SessionsP->getCount();
  if (numStripes > 0 && numStripes > sessions) {
    tell(MSG_STRIPES_OVER_SESSIONS, sessions, numStripes, sessions);
    numStripes = sessions;
  }
  if (numStripes == 0) return 0;
  uint32_t minObj = UINT32_MAX;
  uint32_t k = 0;
  for (HublorSessionInfo* p = m_SessionsP->getFirst(); p != nullptr && k <= numStripes;
       p = m_SessionsP->getNext(p), k++) {
    minObj = std::min<uint32_t>(minObj, p->apiSessInfo.maxObjPerTxn);
  }
  if (numStripes + 1 > minObj) {
    uint32_t allowed = minObj > 0 ? minObj - 1 : 0;
    tell(MSG_STRIPES_OVER_TXN, minObj, numStripes, allowed);
    numStripes = allowed;
  }
  m_NumStripes = numStripes;
  return numStripes;
}

void CBackupListRun::warnNoDelete() {
  HublorSessionInfo* firstP = m_SessionsP->getFirst();
  if (firstP == nullptr) return;
  bool noDelete = firstP->apiSessInfo.backDel == PELK_DELETE_NOT_ALLOWED;
  TRACE_LINE(TRC_ENGINE, "Warning! BACKDEL setting for node (%s) is <%s>.\n",
             firstP->apiSessInfo.id, noDelete ? "No" : "Yes");
  if (noDelete) tell(MSG_NO_DELETE, firstP->apiSessInfo.id);
}

// Index 0 (meta-data) and 1 go through the first session, index n through the n-th.
HublorSessionInfo* CBackupListRun::sessionOfIndex(uint32_t index) {
  HublorSessionInfo* p = m_SessionsP->getFirst();
  for (uint32_t k = 1; k < index && p != nullptr; k++) p = m_SessionsP->getNext(p);
  return p;
}

int CBackupListRun::registerPass(const pelkFSAttr& attr, bool* anewP) {
  for (uint32_t i = 0; i <= m_NumStripes && !cancelled(); i++) {
    HublorSessionInfo* sessionP = sessionOfIndex(i);
    if (sessionP == nullptr) return RC_OK;
    char fsName[OBJ_NAME_MAX_FS_LENGTH + 1];
    int rc = buildFsName(fsName, m_ServerP->szSqlServerName, i);
    if (rc != RC_OK) return rc;
    char fsType[PELK_MAX_FSTYPE_LENGTH + 1];
    snprintf(fsType, sizeof fsType, "%s", getFsTypeForRegistration());
    regFSData reg;
    memset(&reg, 0, sizeof reg);
    reg.stVersion = PELK_REGFSDATA_VERSION;
    reg.fsName = fsName;
    reg.fsType = fsType;
    reg.fsAttr = attr;
    int16_t code = DPelkApi::dpelkRegisterFS(gPelkApiObjP, &m_Status, sessionP->pelkHandle, &reg);
    if (code != PELK_RC_OK && code != PELK_RC_FS_ALREADY_REGISTERED) {
      size_t length = 0;
      gPelkApiObjP->AgtPelkRCMsg(&m_Status, sessionP->pelkHandle, code, m_MsgBufferP, NLS_MSG_MAX,
                                 &length);
      return RC_API_CALL_FAILED;
    }
    if (code == PELK_RC_OK) *anewP = true;
    if (m_Stamped[i] == 1) continue;
    updateFsBackupDate(&m_Status, m_ErrorText, sessionP->pelkHandle, fsName, attr,
                       FS_UPDATE_BACKUP_START);
    m_Stamped[i] = 1;
  }
  return RC_OK;
}

int CBackupListRun::registerFilespaces(uint32_t numStripes) {
  m_NumStripes = numStripes;
  m_Stamped.assign(numStripes + 1, 0);
  pelkFSAttr attr;
  memset(&attr, 0, sizeof attr);
  int rc = buildFsAttr(attr.fsInfo);
  bool anew = true;
  for (int pass = 0; pass < kRegistrationPasses && anew && rc == RC_OK && !cancelled(); pass++) {
    anew = false;
    rc = registerPass(attr, &anew);
  }
  return rc;
}

void CBackupListRun::stampCompletion() {
  pelkFSAttr attr;
  memset(&attr, 0, sizeof attr);
  buildFsAttr(attr.fsInfo);
  for (uint32_t i = 0; i < m_Stamped.size(); i++) {
    HublorSessionInfo* sessionP = sessionOfIndex(i);
    if (sessionP == nullptr) break;
    if (m_Stamped[i] != 1) continue;
    char fsName[OBJ_NAME_MAX_FS_LENGTH + 1];
    if (buildFsName(fsName, m_ServerP->szSqlServerName, i) == RC_OK) {
      updateFsBackupDate(&m_Status, m_ErrorText, sessionP->pelkHandle, fsName, attr,
                         FS_UPDATE_BACKUP_COMPLETE);
    }
    m_Stamped[i] = 0;
  }
}

void CBackupListRun::runItem(CBackupDb& backup, SqlDbInfo* infoP, Item* itemP,
                             uint32_t dbBupSizeEstPct, uint32_t mountWait) {
  const char* typeNameP = backupTypeLlNames[itemP->type];
  HublorSessionInfo* firstP = m_SessionsP->getFirst();
  writeMoxtarServerLog(&m_Status, m_ErrorText, firstP->pelkHandle, nullptr,
                       MSG_SERVER_BACKUP_STARTED, typeNameP, itemP->dbNameP,
                       m_ServerP->szSqlServerName);
  itemP->started = true;
  if (m_StatusFunctionP != nullptr) {
    StatusInfo status{};
    status.kind = beginStatus;
    status.command = backupTypeCommand(itemP->type);
    status.begin.nameP = itemP->dbNameP;
    status.begin.item = itemP->number;
    status.begin.items = m_Items;
    m_StatusFunctionP(status);
  }
  int rc = backup.run(m_StatusMilliSeconds, m_StatusFunctionP, m_SessionsP, dbBupSizeEstPct,
                      itemP->type, infoP, m_CancelP, mountWait, m_NumStripes);
  infoP->nActionRc = rc;
  itemP->bytes = backup.bytesConsumed();
  itemP->seconds = backup.elapsedSeconds();
  m_TotalBytes += itemP->bytes;
  m_TotalSeconds += itemP->seconds;
  if (rc == RC_OK) {
    m_Done++;
    return;
  }
  const char* textP = backup.resultMessage();
  snprintf(m_ItemText, sizeof m_ItemText, "%s", textP != nullptr ? textP : "");
}

void CBackupListRun::endItem(SqlDbInfo* infoP, const Item& item) {
  int rc = infoP->nActionRc;
  if (m_StatusFunctionP != nullptr) {
    StatusInfo status{};
    status.kind = endStatus;
    status.command = backupTypeCommand(item.type);
    status.end.bytes = item.bytes;
    status.end.elapsedSeconds = item.seconds;
    status.end.nameP = item.dbNameP;
    status.end.textP = item.textP;
    status.end.rc = rc;
    m_StatusFunctionP(status);
  }
  if (rc != RC_OK && gLogP != nullptr) {
    gLogP->LogActivityLog(MSG_BACKUP_FAILED, item.dbNameP);
    logTextOrRcMessage(item.textP, rc);
  }
  if (!item.started) return;
  const char* typeNameP = backupTypeLlNames[item.type];
  for (HublorSessionInfo* p = m_SessionsP->getFirst(); p != nullptr; p = m_SessionsP->getNext(p)) {
    int logRc = RC_OK;
    if (rc == RC_OK) {
      logRc = writeMoxtarServerLog(&m_Status, m_ErrorText, p->pelkHandle, nullptr,
                                   MSG_SERVER_BACKUP_ENDED, typeNameP, item.dbNameP,
                                   m_ServerP->szSqlServerName);
    } else if (rc == RC_CANCELED_BY_USER) {
      logRc = writeMoxtarServerLog(&m_Status, m_ErrorText, p->pelkHandle, nullptr,
                                   MSG_SERVER_BACKUP_CANCELLED, typeNameP, item.dbNameP,
                                   m_ServerP->szSqlServerName);
    } else {
      logRc = writeMoxtarServerLog(&m_Status, m_ErrorText, p->pelkHandle, nullptr,
                                   MSG_SERVER_BACKUP_FAILED, typeNameP, item.dbNameP,
                                   m_ServerP->szSqlServerName, rc);
    }
    if (logRc == RC_OK) break;
  }
}

void CBackupListRun::runList(CBackupDb& backup, CLinkedList<uint32_t>* typesP,
                             CLinkedList<SqlDbInfo>* infosP, uint32_t dbBupSizeEstPct,
                             uint32_t mountWait, uint32_t numStripes) {
  m_NumStripes = numStripes;
  m_Items = infosP->getCount() * typesP->getCount();
  uint32_t number = 0;
  for (SqlDbInfo* infoP = infosP->getFirst(); infoP != nullptr && !cancelled();
       infoP = infosP->getNext(infoP)) {
    infoP->nActionRc = RC_OK;
    for (uint32_t* typeP = typesP->getFirst(); typeP != nullptr && !cancelled();
         typeP = typesP->getNext(typeP)) {
      m_ItemText[0] = '\0';
      SqlDatabaseElement* dbP = infoP->sqlDatabaseElementP;
      Item item = {++number,   *typeP, dbP != nullptr ? dbP->szSqlDatabaseName : "", 0, 0,
                   m_ItemText, false};
      const char* typeNameP = backupTypeLlNames[item.type];
      if (infoP->nActionRc != RC_OK) {
        infoP->nActionRc = RC_SKIPPED;
        nlsprintf(m_ItemText, sizeof m_ItemText, MSG_TYPE_SKIPPED);
        TRACE_LINE(TRC_ENGINE,
                   "Skipping %s backup of database %s because of the preceeding backup error.\n",
                   typeNameP, item.dbNameP);
      } else if (dbP == nullptr) {
        infoP->nActionRc = RC_INTERNAL_ERROR;
        TRACE_LINE(TRC_ENGINE,
                   "A null database element pointer was detected in a sql information block.\n"
                   "Processing will continue with the next sql information block, if any.\n");
      } else if (dbP->lSqlReturnCode != 0) {
        infoP->nActionRc = dbP->lSqlReturnCode;
        if (dbP->peDbMessage != nullptr) {
          snprintf(m_ItemText, sizeof m_ItemText, "%s", dbP->peDbMessage->szMessage);
        }
        TRACE_LINE(TRC_ENGINE,
                   "Failing %s backup of database %s because of a sql api error.\n"
                   "  sqlDbInfoP->sqlDatabaseElementP->lSqlReturnCode: %d\n",
                   typeNameP, item.dbNameP, dbP->lSqlReturnCode);
      } else {
        runItem(backup, infoP, &item, dbBupSizeEstPct, mountWait);
      }
      endItem(infoP, item);
    }
  }
}

}  // namespace

uint32_t backupTypeCommand(uint32_t backupType) {
  return backupType < sizeof kTypeCommands / sizeof kTypeCommands[0] ? kTypeCommands[backupType]
                                                                     : 0;
}

int backupDbList(BackupListJob* jobP) {
  TRACE_ENTRY(TRC_ENGINE, "backupDbList()");
  BackupListJob& job = *jobP;
  job.totalSeconds = 0;
  job.totalBytes = 0;
  job.backupsDone = 0;
  job.msgBufferP[0] = '\0';
  CBackupListRun run(job);
  CBackupDb backup(&job.parameters, job.serverP, job.olderThan, job.numBuffers, job.bufferSize);
  uint32_t numStripes = job.numStripes;
  int listRc = RC_OK;
  if (!run.cancelled()) numStripes = run.capStripes(numStripes);
  if (!run.cancelled()) run.warnNoDelete();
  for (uint32_t* typeP = job.typesP->getFirst(); typeP != nullptr && numStripes > 0;
       typeP = job.typesP->getNext(typeP)) {
    if (*typeP < BACKUP_TYPE_INVALID) continue;
    TRACE_LINE(TRC_ENGINE, "An invalid backup type (%u) was detected.\n", *typeP);
    listRc = RC_INVALID_BACKUP_TYPE;
    break;
  }
  bool registered = false;
  if (listRc == RC_OK && numStripes > 0 && job.databasesP->getCount() > 0 && !run.cancelled()) {
    listRc = run.registerFilespaces(numStripes);
    registered = true;
  }
  if (listRc == RC_OK && numStripes > 0 && !run.cancelled()) {
    run.runList(backup, job.typesP, job.databasesP, job.estimatePct, job.mountWait, numStripes);
  }
  if (registered) run.stampCompletion();
  job.totalSeconds = run.m_TotalSeconds;
  job.totalBytes = run.m_TotalBytes;
  job.backupsDone = run.m_Done;
  int rc = listRc;
  if (rc == RC_OK && run.cancelled()) rc = RC_CANCELED_BY_USER;
  if (rc == RC_OK && run.m_Done != job.databasesP->getCount() * job.typesP->getCount()) {
    rc = RC_NOT_ALL_DONE;
  }
  TRACE_RETURN(rc);
}
