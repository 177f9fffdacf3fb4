#include "restorelist.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "agtlog.h"
#include "agtrc.h"
#include "agttrc.h"
#include "baseeri.h"
#include "errormsg.h"
#include "metaxfer.h"
#include "moxtarutil.h"
#include "msgout.h"
#include "nlstable.h"
#include "objname.h"
#include "pelkapi.h"
#include "qrydataobj.h"
#include "restoredb.h"
#include "sqlapi.h"
#include "sqlqbentry.h"

namespace {

constexpr int kMsgRestoreStarted = 3003;
constexpr int kMsgRestoreEnded = 3004;
constexpr int kMsgRestoreFailed = 3005;
constexpr int kMsgRestoreCancelled = 3012;
constexpr int kMsgBackupFailed = 5110;
constexpr int kMsgSkipped = 5121;
constexpr int kMsgIncompleteBackup = 5456;
constexpr char kStatusRestoring[] = "Loading";

// The text behind a name's leading delimiter.
const char* afterDelimiter(const char* nameP) {
  return nameP[0] != '\0' ? nameP + 1 : nameP;
}

// Where an entry is restored: its restore-into name, else its database.
struct CDestination {
  int split(const MoxtarMetaInfo* entryP) {
    char other[OBJ_NAME_MAX_HL_LENGTH + 1];
    int rc = extractHlNames(entryP->objName.hl, name, other);
    const SqlHublorDbElement* dbP = entryP->hublorDbElemP;
    if (rc == RC_OK && dbP != nullptr && dbP->szIntoDbName[0] != '\0') {
      snprintf(name, sizeof name, "%s", dbP->szIntoDbName);
    }
    return rc;
  }
  bool same(const CDestination& other) const {
    return nlsActiveFuncTable()->m_StrICmp(name, other.name) == 0;
  }
  char name[OBJ_NAME_MAX_HL_LENGTH + 1] = "";
};

bool isLogBackup(const MoxtarMetaInfo* entryP) {
  uint32_t type = 0;
  return extractBackupType(entryP->objName.ll, &type) == RC_OK && type == BACKUP_TYPE_LOG;
}

// The restore of one list: the counters and the state that passes from entry to entry.
class CRestoreListRun {
 public:
  explicit CRestoreListRun(const RestoreListJob& job)
      : m_StatusMilliSeconds(job.statusMilliSeconds),
        m_StatusFunctionP(job.statusFunctionP),
        m_Parms(job.parameters),
        m_CallerRecovery(job.parameters.bRecovery),
        m_ServerP(job.serverP),
        m_SessionsP(job.sessionsP),
        m_ListP(job.backupsP),
        m_MountWait(job.mountWait),
        m_NumStripes(job.numStripes),
        m_CancelledP(job.cancelP),
        m_Db(&m_Parms, job.serverP, job.numBuffers, job.bufferSize) {}

  void restore(MoxtarMetaInfo* entryP);

  uint32_t m_Restored = 0;
  uint32_t m_Skipped = 0;
  char m_StopWarning[RESTORE_ITEM_TEXT_SIZE] = "";  // the last database a stop point missed
  double m_Seconds = 0;
  uint64_t m_Bytes = 0;

 private:
  int checkPrevious(MoxtarMetaInfo* entryP, const CDestination& destination);
  void decideRecovery(MoxtarMetaInfo* entryP, const CDestination& destination);
  int logonFirstSession();
  int findDataObjects(MoxtarMetaInfo* entryP, MoxtarBackupList* objectsP);
  void reportBegin(MoxtarMetaInfo* entryP, const CDestination& destination);
  int runRestore(MoxtarMetaInfo* entryP, MoxtarBackupList* objectsP);
  bool lastInto(MoxtarMetaInfo* entryP, const CDestination& destination);
  void checkStopReached(MoxtarMetaInfo* entryP, const CDestination& destination);
  void reportEnd(MoxtarMetaInfo* entryP);
  void logOutcome(MoxtarMetaInfo* entryP);
  void writeServerLog(MoxtarMetaInfo* entryP, const CDestination& destination);
  void sendText(const char* textP);

  uint32_t m_StatusMilliSeconds;
  StatusFunction m_StatusFunctionP;
  SqlRestoreParameters m_Parms;  // the copy each run reads
  uint32_t m_CallerRecovery;
  SqlServerElement* m_ServerP;
  CLinkedList<HublorSessionInfo>* m_SessionsP;
  CLinkedList<MoxtarMetaInfo>* m_ListP;
  uint32_t m_MountWait;
  uint32_t m_NumStripes;
  uint32_t* m_CancelledP;
  CRestoreDb m_Db;
  DPelkApiStatus m_ApiStatus;
  // The item in hand.
  uint32_t m_Item = 0;
  int m_ActionRc = RC_OK;
  uint64_t m_ItemBytes = 0;
  double m_ItemSeconds = 0;
  bool m_Started = false;
  char m_ItemText[RESTORE_ITEM_TEXT_SIZE] = "";
};

void CRestoreListRun::sendText(const char* textP) {
  if (m_StatusFunctionP == nullptr) return;
  StatusInfo status{};
  status.kind = msgoutStatus;
  status.msgout.textP = textP;
  m_StatusFunctionP(status);
}

// A skip when the previous entry into the same destination did not end restored.
int CRestoreListRun::checkPrevious(MoxtarMetaInfo* entryP, const CDestination& destination) {
  MoxtarMetaInfo* previousP = m_ListP->getPrevious(entryP);
  if (previousP == nullptr) return RC_OK;
  CDestination previous;
  bool failed = previous.split(previousP) != RC_OK;
  if (!failed && !previous.same(destination)) return RC_OK;
  if (!failed && previousP->nActionRc == RC_OK) {
    m_Parms.bPreviousRestoreWasLog = isLogBackup(previousP) ? 1 : 0;
    return RC_OK;
  }
  nlsprintf(m_ItemText, sizeof m_ItemText, kMsgSkipped);
  m_Skipped++;
  return RC_SKIPPED;
}

// RECOVERY only on the last of consecutive entries into one destination.
void CRestoreListRun::decideRecovery(MoxtarMetaInfo* entryP, const CDestination& destination) {
  m_Parms.bRecovery = m_CallerRecovery == 1 && lastInto(entryP, destination) ? 1 : 0;
}

int CRestoreListRun::logonFirstSession() {
  HublorSessionInfo* sessionP = m_SessionsP->getFirst();
  if (sessionP->connected == 1) return RC_OK;
  int16_t code = gPelkApiObjP->Logon(&m_ApiStatus, &sessionP->apiSessInfo, &sessionP->pelkHandle);
  if (code == PELK_RC_OK) {
    sessionP->connected = 1;
    return RC_OK;
  }
  size_t length = 0;
  gPelkApiObjP->AgtPelkRCMsg(&m_ApiStatus, sessionP->pelkHandle, code, m_ItemText,
                             sizeof m_ItemText, &length);
  return RC_API_CALL_FAILED;
}

// A backup with data objects missing is restored with those found, except on SQL Server 7.
int CRestoreListRun::findDataObjects(MoxtarMetaInfo* entryP, MoxtarBackupList* objectsP) {
  int rc = qryDataObjects(&m_ApiStatus, entryP, m_CancelledP, m_SessionsP->getFirst()->pelkHandle,
                          objectsP, m_ItemText);
  if (rc != RC_CORRUPT_BACKUP || m_ServerP->lSqlVersionMajor == 7) return rc;
  char text[RESTORE_ITEM_TEXT_SIZE];
  nlsprintf(text, sizeof text, kMsgIncompleteBackup);
  if (gLogP != nullptr) gLogP->LogActivityLog(text);
  sendText(text);
  m_ItemText[0] = '\0';
  return RC_OK;
}

void CRestoreListRun::reportBegin(MoxtarMetaInfo* entryP, const CDestination& destination) {
  char errorText[PELK_RCMSG_SIZE] = "";
  writeMoxtarServerLog(&m_ApiStatus, errorText, m_SessionsP->getFirst()->pelkHandle, nullptr,
                       kMsgRestoreStarted, afterDelimiter(entryP->objName.ll),
                       afterDelimiter(entryP->objName.hl), destination.name,
                       m_ServerP->szSqlServerName);
  m_Started = true;
  if (m_StatusFunctionP == nullptr) return;
  StatusInfo status{};
  status.kind = beginStatus;
  status.begin.secondNameP = destination.name;
  status.begin.nameP = afterDelimiter(entryP->objName.hl);
  status.begin.item = m_Item;
  status.begin.items = m_ListP->getCount();
  m_StatusFunctionP(status);
}

// Returns the run's own code; the item's code takes 1917 as success.
int CRestoreListRun::runRestore(MoxtarMetaInfo* entryP, MoxtarBackupList* objectsP) {
  objInfo info;
  objInfoFromResp(*entryP, OBJINFO_META_SIZE, &info);
  uint32_t stripes = std::min({m_SessionsP->getCount(), info.numStripes, m_NumStripes});
  int rc = m_Db.run(m_StatusMilliSeconds, m_StatusFunctionP, m_SessionsP, objectsP, entryP,
                    pkInt64ToNative(info.backupSize64), stripes, m_CancelledP, m_MountWait);
  m_ActionRc = rc == RC_SQL_RESTORE_4306 ? RC_OK : rc;
  m_ItemBytes = m_Db.bytesConsumed();
  m_ItemSeconds = m_Db.elapsedSeconds();
  m_Bytes += m_ItemBytes;
  m_Seconds += m_ItemSeconds;
  if (m_ActionRc == RC_OK) {
    m_Restored++;
  } else {
    snprintf(m_ItemText, sizeof m_ItemText, "%s",
             m_Db.resultMessage() != nullptr ? m_Db.resultMessage() : "");
  }
  return rc;
}

// True when the entry is the last of consecutive entries into its destination: the next one
// goes elsewhere, or there is none. A next entry whose name cannot be split counts as the same.
bool CRestoreListRun::lastInto(MoxtarMetaInfo* entryP, const CDestination& destination) {
  MoxtarMetaInfo* nextP = m_ListP->getNext(entryP);
  if (nextP == nullptr) return true;
  CDestination next;
  return next.split(nextP) == RC_OK && !next.same(destination);
}

// A log restored to a stop point is restored with recovery; when none of its records reached
// the point, SQL Server leaves the database restoring for a later log and tells so only in an
// informational message. After the last log into a database its state is read back, so that
// a database left restoring is not reported as recovered.
void CRestoreListRun::checkStopReached(MoxtarMetaInfo* entryP, const CDestination& destination) {
  bool stops = m_Parms.bStopAt == 1 || m_Parms.bStopAtMark == 1 || m_Parms.bStopBeforeMark == 1;
  if (!stops || m_Parms.bStandby == 1 || gSqlApiP == nullptr || !isLogBackup(entryP) ||
      !lastInto(entryP, destination))
    return;
  char state[64] = "";
  int rc = gSqlApiP->GetSqlDatabaseStatus(destination.name, state, sizeof state, m_CancelledP);
  if (rc != RC_OK || strcmp(state, kStatusRestoring) != 0) return;
  TRACE_LINE(TRC_ENGINE, "The stop point was not reached: %s is left restoring.\n",
             destination.name);
  nlsprintf(m_StopWarning, sizeof m_StopWarning, agentRcMessage(RC_STOP_NOT_REACHED),
            destination.name);
}

void CRestoreListRun::reportEnd(MoxtarMetaInfo* entryP) {
  if (m_StatusFunctionP == nullptr) return;
  StatusInfo status{};
  status.kind = endStatus;
  status.end.bytes = m_ItemBytes;
  status.end.elapsedSeconds = m_ItemSeconds;
  status.end.nameP = afterDelimiter(entryP->objName.hl);
  status.end.textP = m_ItemText;
  status.end.rc = m_ActionRc;
  m_StatusFunctionP(status);
}

void CRestoreListRun::logOutcome(MoxtarMetaInfo* entryP) {
  if (m_ActionRc == RC_OK || gLogP == nullptr) return;
  gLogP->LogActivityLog(kMsgBackupFailed, afterDelimiter(entryP->objName.hl));
  logTextOrRcMessage(m_ItemText, m_ActionRc);
}

void CRestoreListRun::writeServerLog(MoxtarMetaInfo* entryP, const CDestination& destination) {
  if (!m_Started || m_SessionsP->getFirst()->connected != 1) return;
  const char* llP = afterDelimiter(entryP->objName.ll);
  const char* hlP = afterDelimiter(entryP->objName.hl);
  for (HublorSessionInfo* sessionP = m_SessionsP->getFirst(); sessionP != nullptr;
       sessionP = m_SessionsP->getNext(sessionP)) {
    if (sessionP->connected != 1) continue;
    char errorText[PELK_RCMSG_SIZE] = "";
    int rc = RC_OK;
    if (m_ActionRc == RC_OK) {
      rc = writeMoxtarServerLog(&m_ApiStatus, errorText, sessionP->pelkHandle, nullptr,
                                kMsgRestoreEnded, llP, hlP, destination.name,
                                m_ServerP->szSqlServerName);
    } else if (m_ActionRc == RC_CANCELED_BY_USER) {
      rc = writeMoxtarServerLog(&m_ApiStatus, errorText, sessionP->pelkHandle, nullptr,
                                kMsgRestoreCancelled, llP, hlP, destination.name,
                                m_ServerP->szSqlServerName);
    } else {
      rc = writeMoxtarServerLog(&m_ApiStatus, errorText, sessionP->pelkHandle, nullptr,
                                kMsgRestoreFailed, llP, hlP, destination.name,
                                m_ServerP->szSqlServerName, m_ActionRc);
    }
    if (rc == RC_OK) return;
  }
}

void CRestoreListRun::restore(MoxtarMetaInfo* entryP) {
  m_Item++;
  m_ItemBytes = 0;
  m_ItemSeconds = 0;
  m_ItemText[0] = '\0';
  m_Started = false;
  m_Parms.bPreviousRestoreWasLog = 0;
  entryP->nActionRc = RC_OK;
  CDestination destination;
  MoxtarBackupList objects;
  int runRc = -1;  // none yet
  m_ActionRc = destination.split(entryP);
  if (m_ActionRc == RC_OK) m_ActionRc = checkPrevious(entryP, destination);
  if (m_ActionRc == RC_OK) decideRecovery(entryP, destination);
  if (m_ActionRc == RC_OK) m_ActionRc = logonFirstSession();
  if (m_ActionRc == RC_OK) m_ActionRc = findDataObjects(entryP, &objects);
  if (m_ActionRc == RC_OK) reportBegin(entryP, destination);
  if (m_ActionRc == RC_OK) runRc = runRestore(entryP, &objects);
  if (runRc == RC_OK) checkStopReached(entryP, destination);
  reportEnd(entryP);
  logOutcome(entryP);
  writeServerLog(entryP, destination);
  objects.freeAll();
  // The entry keeps its own outcome; a run that SQL Server ended with 1917 keeps that code, so
  // that later entries into its destination are skipped.
  entryP->nActionRc = runRc >= 0 ? runRc : m_ActionRc;
}

}  // namespace

int restoreDbList(RestoreListJob* jobP) {
  TRACE_ENTRY(TRC_ENGINE, "restoreDbList()");
  RestoreListJob& job = *jobP;
  job.restored = 0;
  job.skipped = 0;
  job.totalSeconds = 0;
  job.totalBytes = 0;
  job.msgBufferP[0] = '\0';
  uint32_t sessions = job.sessionsP != nullptr ? job.sessionsP->getCount() : 0;
  if (sessions == 0) {
    TRACE_LINE(TRC_ENGINE, "There are no hublor sessions (%u).\n", sessions);
    TRACE_RETURN(RC_INTERNAL_ERROR);
  }
  CRestoreListRun run(job);
  for (MoxtarMetaInfo* entryP = job.backupsP->getFirst();
       entryP != nullptr && eriIsCancelled(job.cancelP) == 0;
       entryP = job.backupsP->getNext(entryP)) {
    run.restore(entryP);
  }
  job.restored = run.m_Restored;
  job.skipped = run.m_Skipped;
  job.totalSeconds = run.m_Seconds;
  job.totalBytes = run.m_Bytes;
  if (eriIsCancelled(job.cancelP) != 0) TRACE_RETURN(RC_CANCELED_BY_USER);
  if (run.m_Restored + run.m_Skipped != job.backupsP->getCount()) {
    TRACE_RETURN(RC_NOT_ALL_DONE);
  }
  if (run.m_StopWarning[0] != '\0') {
    snprintf(job.msgBufferP, RESTORE_ITEM_TEXT_SIZE, "%s", run.m_StopWarning);
    TRACE_RETURN(RC_STOP_NOT_REACHED);
  }
  TRACE_RETURN(RC_OK);
}
