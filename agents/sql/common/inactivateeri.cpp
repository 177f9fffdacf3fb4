// The inactivation request.
#include "inactivateeri.h"

#include <cstring>

#include "agtlog.h"
#include "agtrc.h"
#include "agttrc.h"
#include "errormsg.h"
#include "msgout.h"
#include "objinfo.h"
#include "pstime.h"
#include "qrydataobj.h"
#include "statusinfo.h"

namespace {

constexpr int MSG_QUERYING_BACKUPS = 158;
constexpr int MSG_NOT_OLDER_THAN = 350;
constexpr int MSG_SERVER_INACTIVATE_STARTED = 3013;
constexpr int MSG_SERVER_INACTIVATE_ENDED = 3014;
constexpr int MSG_SERVER_INACTIVATE_BACKUP = 3015;
constexpr int MSG_INACTIVATE_FAILED = 5115;
constexpr int MSG_INACTIVATE_ENDED = 5116;
constexpr int RC_SOME_FAILED = 402;
constexpr int RC_NOTHING_FOUND = 114;

// The inactivation command of each backup type, indexed by the type.
constexpr uint32_t kTypeCommands[] = {
    ERI_CMD_INACTIVATE_FULL,  ERI_CMD_INACTIVATE_DIFF, ERI_CMD_INACTIVATE_LOG,
    ERI_CMD_INACTIVATE_GROUP, ERI_CMD_INACTIVATE_FILE, ERI_CMD_INACTIVATE_SET,
};

// An inactivation of one type inactivates backups of that type only, whatever the record's
// query type says; the others (every type, the backup request's) ask for the record's.
uint32_t queryTypeOf(const CInactivateBackupsParms* parmsP) {
  if (parmsP == nullptr) return 0;
  uint32_t qryCommand = eriInactivationQueryType(parmsP->command);
  return qryCommand != 0 ? qryCommand : parmsP->qryCommand;
}

void sendStatus(StatusFunction statusP, const StatusInfo& status) {
  if (statusP != nullptr) statusP(status);
}

}  // namespace

// What one run counts and keeps.
struct CInactivateBackupsEri::Run {
  StatusFunction statusP;
  pelkUint32_t handle;
  uint32_t listed;
  uint32_t item;
  uint32_t skipped;
  agentDateTime now;
  char dbNamesText[ERI_NAME_TEXT_SIZE];
  char serverText[MOXTAR_ERROR_TEXT_SIZE];
};

CInactivateBackupsEri::CInactivateBackupsEri(CInactivateBackupsParms* parmsP)
    : DSqlQueryBackupEri(parmsP, queryTypeOf(parmsP)), m_NowRtn(dateGetNow), m_ParmsP(parmsP) {
  TRACE_ENTRY(TRC_ERI, "CInactivateBackupsEri::CInactivateBackupsEri()");
}

CInactivateBackupsEri::~CInactivateBackupsEri() {
  TRACE_ENTRY(TRC_ERI, "CInactivateBackupsEri::~CInactivateBackupsEri()");
}

bool CInactivateBackupsEri::isQuiet() const {
  return m_ParmsP->command == ERI_CMD_BACKUP_FULL;
}

// The caller's list as it stands, or, when it is empty, what the query finds.
int CInactivateBackupsEri::queryIfEmpty() {
  if (m_ParmsP->qryBuListP->getCount() != 0) return RC_OK;
  if (!isQuiet() && m_ParmsP->statusFunctionP != nullptr) {
    StatusInfo status{};
    status.kind = msgoutStatus;
    char text[NLS_MSG_MAX];
    nlsprintf(text, sizeof text, MSG_QUERYING_BACKUPS);
    status.msgout.textP = text;
    m_ParmsP->statusFunctionP(status);
  }
  return queryStoredBackups();
}

// The data objects of the backup and then its meta-data object, in transactions of at most the
// session's objects per transaction. A backup with data objects missing is inactivated with
// what there is.
int CInactivateBackupsEri::inactivateObjects(Run& run, MoxtarMetaInfo* entryP, char* textP) {
  MoxtarBackupList objects;
  int rc = qryDataObjects(m_pelkApiStatusObjP, entryP, GetCancelPtr(), run.handle, &objects, textP);
  if (rc == RC_CORRUPT_BACKUP) {
    TRACE_LINE(TRC_ERI,
               "The inactivate processing of a corrupt backup is being allowed to continue.\n");
    textP[0] = '\0';
    rc = RC_OK;
  }
  if (rc != RC_OK) return rc;
  rc = objects.addTail(entryP);
  if (rc != RC_OK) return rc;
  char dbName[OBJ_NAME_MAX_HL_LENGTH + 1];
  char otherName[OBJ_NAME_MAX_HL_LENGTH + 1];
  extractHlNames(entryP->objName.hl, dbName, otherName);
  uint32_t backupType = BACKUP_TYPE_INVALID;
  extractBackupType(entryP->objName.ll, &backupType);
  if (!isQuiet()) {
    writeMoxtarServerLog(m_pelkApiStatusObjP, run.serverText, run.handle, nullptr,
                         MSG_SERVER_INACTIVATE_BACKUP, backupTypeDisplayNames[backupType], dbName);
  }
  StatusInfo begin{};
  begin.kind = beginStatus;
  if ((m_ParmsP->command == ERI_CMD_BACKUP_FULL || m_ParmsP->command == ERI_CMD_INACTIVATE_ALL) &&
      backupType < BACKUP_TYPE_INVALID) {
    begin.command = kTypeCommands[backupType];
  }
  // Several backups of one database can be inactivated in a run: the time each was made tells
  // them apart.
  zarnakObjId id = eriAnswerObjId(*entryP);
  char made[DATE_TIME_TEXT_SIZE];
  dateFormat(&id.backupTime, made);
  begin.begin.nameP = dbName;
  begin.begin.secondNameP = made;
  begin.begin.item = run.item;
  begin.begin.items = run.listed;
  sendStatus(run.statusP, begin);
  uint32_t count = 0;
  return inactivateBackupObjects(m_pelkApiStatusObjP, run.handle, GetCancelPtr(), &objects, &count,
                                 textP, 0);
}

void CInactivateBackupsEri::inactivateOne(Run& run, MoxtarMetaInfo* entryP) {
  psTimer timer;
  timer.start();
  run.item++;
  entryP->nActionRc = RC_OK;
  char text[NLS_MSG_MAX] = "";
  zarnakObjId id = eriAnswerObjId(*entryP);
  bool tooYoung =
      m_ParmsP->nOlderthan > 0 && (dateCompare(&id.backupTime, &run.now) > 0 ||
                                   dateDiffDays(&run.now, &id.backupTime) < m_ParmsP->nOlderthan);
  if (tooYoung) {
    TRACE_LINE(TRC_ERI, "Skipping backup inactivation, not 'older than'...\n");
    char made[DATE_TIME_TEXT_SIZE];
    dateFormat(&id.backupTime, made);
    nlsprintf(text, sizeof text, MSG_NOT_OLDER_THAN, made, m_ParmsP->nOlderthan);
    entryP->nActionRc = RC_SKIPPED;
    run.skipped++;
  } else {
    entryP->nActionRc = inactivateObjects(run, entryP, text);
    if (entryP->nActionRc == RC_OK) m_ParmsP->nInactivated++;
  }
  timer.stop();
  char dbName[OBJ_NAME_MAX_HL_LENGTH + 1];
  char otherName[OBJ_NAME_MAX_HL_LENGTH + 1];
  extractHlNames(entryP->objName.hl, dbName, otherName);
  StatusInfo end{};
  end.kind = endStatus;
  if (isQuiet()) end.command = ERI_CMD_INACTIVATE_ALL;
  end.end.elapsedSeconds = timer.elapsedSeconds();
  end.end.nameP = dbName;
  end.end.textP = text[0] != '\0' ? text : nullptr;
  end.end.rc = entryP->nActionRc;
  sendStatus(run.statusP, end);
  if (entryP->nActionRc == RC_OK || entryP->nActionRc == RC_SKIPPED || gLogP == nullptr) return;
  gLogP->LogActivityLog(MSG_INACTIVATE_FAILED, entryP->nActionRc, dbName);
  logTextOrRcMessage(text, entryP->nActionRc);
}

int CInactivateBackupsEri::ProcessRequestDetails() {
  TRACE_ENTRY(TRC_ERI, "CInactivateBackupsEri::ProcessRequestDetails()");
  psTimer timer;
  timer.start();
  if (m_ParmsP == nullptr || m_ParmsP->qryBuListP == nullptr) {
    TRACE_LINE(TRC_ERI, "A required %s parameter was not passed.\n",
               m_ParmsP == nullptr ? "m_ParmsP" : "qryBuListP");
    TRACE_RETURN(RC_INTERNAL_ERROR);
  }
  m_ParmsP->nInactivated = 0;
  Run run{};
  run.statusP = m_ParmsP->statusFunctionP;
  if (!isQuiet()) {
    StatusInfo start{};
    start.kind = startStatus;
    sendStatus(run.statusP, start);
  }
  int rc = queryIfEmpty();
  if (rc != RC_OK && rc != RC_NOTHING_FOUND) TRACE_RETURN(rc);
  MoxtarMetaList* listP = m_ParmsP->qryBuListP;
  run.listed = listP->getCount();
  run.handle = sessionHandle();
  if (run.listed != 0 && run.handle == 0) {
    TRACE_LINE(TRC_ERI, "An invalid hublor session handle has been detected.\n");
    TRACE_RETURN(RC_INTERNAL_ERROR);
  }
  eriNameListText(m_ParmsP->dbNameListP, run.dbNamesText);
  if (!isQuiet() && run.listed != 0) {
    writeMoxtarServerLog(m_pelkApiStatusObjP, run.serverText, run.handle, nullptr,
                         MSG_SERVER_INACTIVATE_STARTED, run.dbNamesText);
  }
  if (m_ParmsP->nOlderthan > 0) m_NowRtn(&run.now);
  for (MoxtarMetaInfo* entryP = listP->getFirst(); entryP != nullptr && GetCancelStatus() == 0;
       entryP = listP->getNext(entryP)) {
    inactivateOne(run, entryP);
  }
  rc = RC_OK;
  if (GetCancelStatus() != 0) {
    rc = RC_CANCELED_BY_USER;
  } else if (m_ParmsP->nInactivated + run.skipped != run.listed) {
    rc = RC_SOME_FAILED;
  }
  timer.stop();
  if (isQuiet()) TRACE_RETURN(rc);
  if (run.listed == 0) {
    if (m_ParmsP->msgBufferP != nullptr) {
      nlsprintf(m_ParmsP->msgBufferP, m_ParmsP->msgBufferLen, agentRcMessage(RC_NOTHING_FOUND),
                m_ServerName);
    }
    TRACE_RETURN(RC_NOTHING_FOUND);
  }
  double seconds = timer.elapsedSeconds();
  StatusInfo finish{};
  finish.kind = finishStatus;
  finish.finish.selected = run.listed;
  finish.finish.expected = run.listed - run.skipped;
  finish.finish.done = m_ParmsP->nInactivated;
  finish.finish.skipped = run.skipped;
  finish.finish.elapsedSeconds = seconds;
  finish.finish.rc = rc;
  sendStatus(run.statusP, finish);
  if (gLogP != nullptr) {
    gLogP->LogActivityLog(MSG_INACTIVATE_ENDED, run.listed, run.listed - run.skipped,
                          m_ParmsP->nInactivated, run.skipped, seconds);
  }
  writeMoxtarServerLog(m_pelkApiStatusObjP, run.serverText, run.handle, nullptr,
                       MSG_SERVER_INACTIVATE_ENDED, run.listed, m_ParmsP->nInactivated, run.skipped,
                       seconds);
  TRACE_RETURN(rc);
}
