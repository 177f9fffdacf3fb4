#include "bkeri.h"

#include <unistd.h>

#include <cstring>

#include "agtlog.h"
#include "agtrc.h"
#include "agttrc.h"
#include "bklist.h"
#include "errormsg.h"
#include "inactivateeri.h"
#include "metaxfer.h"
#include "moxtarutil.h"
#include "msgout.h"
#include "nlsnumber.h"
#include "objname.h"
#include "pelkapi.h"
#include "sqlapi.h"
#include "sqlqueryeri.h"
#include "stripecap.h"

namespace {

constexpr int MSG_SERVER_RUN_STARTED = 3006;
constexpr int MSG_SERVER_RUN_ENDED = 3007;
constexpr int MSG_SERVER_FULL_RUN_ENDED = 3008;
constexpr int MSG_DB_NOT_READ = 5089;
constexpr int MSG_DB_STATUS = 5090;
constexpr int MSG_RUN_ENDED = 5101;
constexpr int MSG_FULL_RUN_ENDED = 5102;
constexpr int MSG_BACKUP_STARTED = 5228;
constexpr int MSG_NAME_NOT_STORABLE = 5459;
constexpr size_t kNumberTextSize = 64;

// The backup type of each backup command (1 to 6).
constexpr uint32_t kCommandTypes[] = {BACKUP_TYPE_FULL, BACKUP_TYPE_DIFFFULL, BACKUP_TYPE_FILE,
                                      BACKUP_TYPE_FULL, BACKUP_TYPE_GROUP,    BACKUP_TYPE_LOG,
                                      BACKUP_TYPE_SET};

// A database name the stored names can keep: neither the high-level delimiter nor a wildcard
// of the stored-backup queries, which would read it back as another database.
bool storableName(const char* nameP) {
  return strpbrk(nameP, "\\*?") == nullptr;
}

}  // namespace

struct DSqlBackupDatabaseEri::Run {
  DPelkApiStatus status;
  psTimer timer;
  SqlServerElement server{};
  uint32_t backupType = BACKUP_TYPE_FULL;
  CLinkedList<SqlDbMessage> messages;
  CLinkedList<SqlDbInfo> infos;
  CLinkedList<uint32_t> types;
  CLinkedList<HublorSessionInfo> sessions;
  char fsName[OBJ_NAME_MAX_FS_LENGTH + 1] = "";
  uint32_t selected = 0;
  uint32_t expected = 0;
  uint32_t done = 0;
  uint32_t skipped = 0;
  uint32_t inactivated = 0;
  int inactivationRc = 0;
  bool serverLogDue = false;
  double seconds = 0;
  uint64_t bytes = 0;
};

DSqlBackupDatabaseEri::DSqlBackupDatabaseEri(DSqlBackupDatabaseParms* parmsP,
                                             CLinkedList<SqlDatabaseElement>* dbListP,
                                             CLinkedList<SqlGroupElement>* groupElemListP,
                                             EriNameList* groupPatternsP,
                                             CLinkedList<SqlFileElement>* fileElemListP,
                                             EriNameList* filePatternsP)
    : querySqlServerDbInfoP(dbListP),
      sqlGroupListP(groupElemListP),
      sqlFileListP(fileElemListP),
      groupListP(groupPatternsP),
      fileListP(filePatternsP),
      m_ParmsP(parmsP) {
  TRACE_ENTRY(TRC_ERI, "DSqlBackupDatabaseEri::DSqlBackupDatabaseEri()");
  m_ErrorTextP = parmsP->msgBufferP;
  TRACE_LINE(TRC_ERI,
             "  nStatusMilliSeconds: %u\n  bIncludeLogBackup: %u\n  nBufferSize: %u\n"
             "  bMountWait: %u\n  nCleanupOlderThan: %d\n  nEstimate: %d\n  nBuffers: %d\n"
             "  nStripes: %d\n  command: %u\n",
             parmsP->nStatusMilliSeconds, parmsP->bIncludeLogBackup, parmsP->nBufferSize,
             parmsP->bMountWait, parmsP->nCleanupOlderThan, parmsP->nEstimate, parmsP->nBuffers,
             parmsP->nStripes, parmsP->command);
}

DSqlBackupDatabaseEri::~DSqlBackupDatabaseEri() {
  TRACE_ENTRY(TRC_ERI, "DSqlBackupDatabaseEri::~DSqlBackupDatabaseEri()");
}

int DSqlBackupDatabaseEri::SetupEnvironment() {
  TRACE_ENTRY(TRC_ERI, "DSqlBackupDatabaseEri::SetupEnvironment()");
  TRACE_RETURN(RC_OK);
}

int DSqlBackupDatabaseEri::CleanupEnvironment() {
  TRACE_ENTRY(TRC_ERI, "DSqlBackupDatabaseEri::CleanupEnvironment()");
  TRACE_RETURN(RC_OK);
}

void DSqlBackupDatabaseEri::sendMsgoutStatus(const char* textP) {
  if (m_ParmsP->statusFunctionP == nullptr) return;
  StatusInfo status{};
  status.kind = msgoutStatus;
  status.msgout.textP = textP;
  m_ParmsP->statusFunctionP(status);
}

int DSqlBackupDatabaseEri::readServer(Run& run) {
  uint32_t command = m_ParmsP->command;
  if (command >= 1 && command <= 6) {
    run.backupType = kCommandTypes[command];
  } else {
    TRACE_LINE(TRC_ERI, "An unknown command was detected.\n");
  }
  if (gSqlApiP == nullptr) return RC_INTERNAL_ERROR;
  uint32_t* cancelP = GetCancelPtr();
  char* msgP = m_ParmsP->msgBufferP;
  CLinkedList<SqlInstanceElement>* instancesP = nullptr;
  return gSqlApiP->GetSqlServerInfo(&run.server, &cancelP, &msgP, &instancesP);
}

void DSqlBackupDatabaseEri::capStripes(Run& run) {
  m_ParmsP->nStripes =
      capRequestStripes(m_ParmsP->nStripes, run.server, m_ParmsP->sqlParms.ulNumSqlBuffers);
}

// The groups and files of the selected databases. The query shares this request's cancel flag
// and leaves this request the current one, so that a cancel always reaches the backup.
int DSqlBackupDatabaseEri::readDatabases(Run& run) {
  if (gLogP != nullptr) gLogP->LogActivityLog(MSG_BACKUP_STARTED, run.server.szSqlServerName);
  DSqlQuerySqlDbInfoEri query(querySqlServerDbInfoP, &run.messages, sqlGroupListP, groupListP,
                              sqlFileListP, fileListP, nullptr, GetCancelPtr());
  return query.ProcessRequest();
}

void DSqlBackupDatabaseEri::reportSqlFailure(SqlDatabaseElement* dbP) {
  char text[NLS_MSG_MAX];
  nlsprintf(text, sizeof text, MSG_DB_NOT_READ, dbP->szSqlDatabaseName);
  sendMsgoutStatus(text);
  if (gLogP != nullptr) gLogP->LogActivityLog(text);
  if (dbP->szSqlDatabaseStatus[0] != '\0') {
    nlsprintf(text, sizeof text, MSG_DB_STATUS, dbP->szSqlDatabaseStatus);
    sendMsgoutStatus(text);
    if (gLogP != nullptr) gLogP->LogActivityLog(text);
  }
  if (dbP->peDbMessage != nullptr && dbP->peDbMessage->szMessage[0] != '\0') {
    sendMsgoutStatus(dbP->peDbMessage->szMessage);
    if (gLogP != nullptr) gLogP->LogActivityLog(dbP->peDbMessage->szMessage);
  }
}

// The objects of one selected database for the request's backup type.
int DSqlBackupDatabaseEri::addObjects(Run& run, SqlDatabaseElement* dbP) {
  auto add = [&](SqlGroupElement* groupP, SqlFileElement* fileP) -> uint32_t {
    SqlDbInfo info = {dbP, groupP, fileP, 0};
    if (run.infos.addTail(&info) != 0) return RC_NO_MEMORY;
    run.selected++;
    return RC_OK;
  };
  switch (run.backupType) {
    case BACKUP_TYPE_FULL:
    case BACKUP_TYPE_DIFFFULL:
    case BACKUP_TYPE_LOG:
      return add(nullptr, nullptr);
    case BACKUP_TYPE_SET:
      return dbP->bDbGroupIsSelected || dbP->bDbFileIsSelected ? add(nullptr, nullptr) : 0;
    default:
      break;
  }
  for (SqlGroupElement* g = dbP->peDbFirstGroup; g != nullptr && g->peGroupDatabase == dbP;
       g = sqlGroupListP->getNext(g)) {
    if (run.backupType == BACKUP_TYPE_GROUP) {
      int rc = g->bGroupIsSelected ? add(g, nullptr) : 0;
      if (rc != RC_OK) return rc;
      continue;
    }
    for (SqlFileElement* f = g->peGroupFirstFile; f != nullptr && f->peFileGroup == g;
         f = sqlFileListP->getNext(f)) {
      int rc = f->bFileIsSelected ? add(g, f) : 0;
      if (rc != RC_OK) return rc;
    }
  }
  return RC_OK;
}

int DSqlBackupDatabaseEri::buildObjectList(Run& run) {
  if (run.backupType > BACKUP_TYPE_SET) {
    TRACE_LINE(TRC_ERI, "An invalid backup type (%u) was detected.\n", run.backupType);
    return RC_INVALID_BACKUP_TYPE;
  }
  for (SqlDatabaseElement* dbP = querySqlServerDbInfoP->getFirst(); dbP != nullptr;
       dbP = querySqlServerDbInfoP->getNext(dbP)) {
    if (dbP->bSqlDbIsSelected != 1) continue;
    if (dbP->lSqlReturnCode != 0) {
      run.selected++;
      reportSqlFailure(dbP);
      continue;
    }
    if (!storableName(dbP->szSqlDatabaseName)) {
      run.selected++;
      char text[NLS_MSG_MAX];
      nlsprintf(text, sizeof text, MSG_NAME_NOT_STORABLE, dbP->szSqlDatabaseName);
      sendMsgoutStatus(text);
      if (gLogP != nullptr) gLogP->LogActivityLog(text);
      continue;
    }
    int rc = addObjects(run, dbP);
    if (rc != RC_OK) return rc;
  }
  TRACE_LINE(TRC_ERI, "Number of objects selected for backup = %u\n", run.selected);
  for (SqlDbInfo* p = run.infos.getFirst(); p != nullptr; p = run.infos.getNext(p)) {
    TRACE_LINE(TRC_ERI, "  %s %s %s\n", p->sqlDatabaseElementP->szSqlDatabaseName,
               p->sqlGroupElementP != nullptr ? p->sqlGroupElementP->szGroupName : "",
               p->sqlFileElementP != nullptr ? p->sqlFileElementP->szFileLogicalName : "");
  }
  return RC_OK;
}

// Logs on sessions until the request has one per stripe.
int DSqlBackupDatabaseEri::logon(Run& run) {
  uint32_t wanted = run.sessions.getCount() == 0 ? 1 : uint32_t(m_ParmsP->nStripes);
  while (run.sessions.getCount() < wanted && GetCancelStatus() == 0) {
    HublorSessionInfo session;
    memset(&session, 0, sizeof session);
    int16_t code = gPelkApiObjP->Logon(&run.status, &session.apiSessInfo, &session.pelkHandle);
    if (code == PELK_PW_CANCELLED) return RC_CANCELED_BY_USER;
    if (code != 0) {
      size_t length = 0;
      gPelkApiObjP->GetApiError(&run.status, 0, code, m_ParmsP->msgBufferP, m_ParmsP->msgBufferLen,
                                &length, "Logon");
      return RC_API_CALL_FAILED;
    }
    session.connected = 1;
    if (run.sessions.addTail(&session) != 0) {
      gPelkApiObjP->Logoff(&run.status, session.pelkHandle);
      return RC_NO_MEMORY;
    }
  }
  return RC_OK;
}

int DSqlBackupDatabaseEri::registerMetaFilespace(Run& run) {
  pelkFSAttr attr;
  memset(&attr, 0, sizeof attr);
  buildFsAttr(attr.fsInfo);
  int rc = buildFsName(run.fsName, run.server.szSqlServerName, 0);
  if (rc != RC_OK) return rc;
  return registerFs(&run.status, m_ParmsP->msgBufferP, run.sessions.getFirst()->pelkHandle,
                    run.fsName, getFsTypeForRegistration(), attr);
}

// Proves for every object that its management class can be bound; an object the server's
// policy excludes (185) is skipped.
void DSqlBackupDatabaseEri::bindObjects(Run& run) {
  HublorSessionInfo* firstP = run.sessions.getFirst();
  char delimiter = firstP->apiSessInfo.hldelim;
  zarnakObjId id = {static_cast<uint32_t>(getpid()), {}};
  dateGetNow(&id.backupTime);
  for (SqlDbInfo* p = run.infos.getFirst(); p != nullptr;) {
    pelkObjName name;
    memset(&name, 0, sizeof name);
    name.objType = PELK_OBJ_FILE;
    memcpy(name.fs, run.fsName, sizeof name.fs);
    p->nActionRc =
        buildHl(name.hl, p->sqlDatabaseElementP->szSqlDatabaseName,
                p->sqlGroupElementP != nullptr ? p->sqlGroupElementP->szGroupName : nullptr,
                p->sqlFileElementP != nullptr ? p->sqlFileElementP->szFileLogicalName : nullptr,
                delimiter, run.backupType, &id);
    if (p->nActionRc == RC_OK) {
      snprintf(name.ll, sizeof name.ll, "%c%s", delimiter, backupTypeLlNames[run.backupType]);
      mcBindKey key;
      memset(&key, 0, sizeof key);
      key.stVersion = PELK_MCBINDKEY_VERSION;
      int16_t code = DPelkApi::dpelkBindMC(gPelkApiObjP, &run.status, firstP->pelkHandle, &name,
                                           PELK_SEND_BACKUP, &key);
      if (code != PELK_RC_OK) {
        char text[MOXTAR_ERROR_TEXT_SIZE];
        size_t length = 0;
        gPelkApiObjP->AgtPelkRCMsg(&run.status, firstP->pelkHandle, code, text, sizeof text,
                                   &length);
        TRACE_LINE(TRC_ERI, "dpelkBindMC() failed, rc = %d, msg = %s\n", code, text);
        if (code == PELK_RC_EXCLUDED) p->nActionRc = RC_OBJECT_EXCLUDED;
      }
    }
    if (p->nActionRc != RC_OBJECT_EXCLUDED) {
      p = run.infos.getNext(p);
      continue;
    }
    run.skipped++;
    p = run.infos.remove(p);
  }
}

namespace {

// Takes the database's one active full backup out of the list into *fullP: 0, or 419 when
// there is none or more than one.
int takeActiveFull(MoxtarMetaList& list, MoxtarMetaInfo* fullP) {
  bool found = false;
  for (MoxtarMetaInfo* p = list.getFirst(); p != nullptr;) {
    if (strcmp(p->objName.ll + 1, backupTypeLlNames[BACKUP_TYPE_FULL]) != 0) {
      p = list.getNext(p);
      continue;
    }
    if (found) {
      TRACE_LINE(TRC_ERI, "Two active full backups were detected for the same database.\n");
      return RC_INTERNAL_ERROR;
    }
    *fullP = *p;
    found = true;
    p = list.remove(p);
  }
  if (found) return RC_OK;
  TRACE_LINE(TRC_ERI, "Unable to locate an active full backup for the database.\n");
  return RC_INTERNAL_ERROR;
}

// Leaves in the list only the backups made before the full backup.
void keepOlderThan(MoxtarMetaList& list, const MoxtarMetaInfo& full) {
  agentDateTime fullTime = eriAnswerObjId(full).backupTime;
  for (MoxtarMetaInfo* p = list.getFirst(); p != nullptr;) {
    agentDateTime time = eriAnswerObjId(*p).backupTime;
    if (dateCompare(&time, &fullTime) < 0) {
      TRACE_LINE(TRC_ERI, "Backup will be inactivated.\n");
      p = list.getNext(p);
    } else {
      TRACE_LINE(TRC_ERI, "Backup will NOT be inactivated.\n");
      p = list.remove(p);
    }
  }
}

// The database's active backups made before its active full backup, inactivated by the
// request, which queries them first: 0, the query's code, 419 without one active full backup,
// or the inactivation's code. *countP: how many were inactivated.
int inactivateBeforeFull(CInactivateBackupsEri& request, const CInactivateBackupsParms& parms,
                         uint32_t* countP) {
  MoxtarMetaList& list = *parms.qryBuListP;
  int rc = request.queryStoredBackups();
  if (rc != RC_OK) return rc;
  MoxtarMetaInfo full;
  rc = takeActiveFull(list, &full);
  if (rc != RC_OK) return rc;
  keepOlderThan(list, full);
  if (list.getCount() == 0) return RC_OK;
  rc = request.ProcessRequestDetails();
  *countP = parms.nInactivated;
  return rc;
}

}  // namespace

// The inactivation's record: the database's name, the request's reports and command, and every
// backup whatever its age; its messages go into workP.
void DSqlBackupDatabaseEri::fillInactivation(Run& run, EriNameList* dbNamesP, char* workP,
                                             CInactivateBackupsParms* parmsP) {
  parmsP->sqlServerNameP = run.server.szSqlServerName;
  parmsP->dbNameListP = dbNamesP;
  parmsP->statusFunctionP = m_ParmsP->statusFunctionP;
  parmsP->nStatusMilliSeconds = m_ParmsP->nStatusMilliSeconds;
  parmsP->msgBufferP = workP;
  parmsP->nOlderthan = -1;
  parmsP->command = m_ParmsP->command;
}

// After a new full backup of a database: every active backup of it older than its active full
// backup is inactivated, through the given session.
int DSqlBackupDatabaseEri::inactivateOldBackups(Run& run, uint32_t* countP,
                                                HublorSessionInfo* sessionP, SqlDbInfo* infoP) {
  TRACE_ENTRY(TRC_ERI, "DSqlBackupDatabaseEri::inactivateOldBackups()");
  *countP = 0;
  char work[ERI_MSG_BUFFER_LEN + 1] = "";
  EriNameList dbNames;
  EriNameEntry entry;
  snprintf(entry.szName, sizeof entry.szName, "%.128s",
           infoP->sqlDatabaseElementP->szSqlDatabaseName);
  dbNames.addTail(&entry);
  CInactivateBackupsParms parms;
  fillInactivation(run, &dbNames, work, &parms);
  CInactivateBackupsEri request(&parms);
  // The query's failures leave the storage server's text where the activity log takes it from.
  request.SetErrorTextBuffer(work);
  request.SetCancelPtr(GetCancelPtr());
  request.SetHublorApiInstance(&run.status, &sessionP->apiSessInfo, sessionP->pelkHandle);
  int rc = inactivateBeforeFull(request, parms, countP);
  if (rc != RC_OK) logTextOrRcMessage(work, rc);
  TRACE_RETURN(rc);
}

// The inactivation after a full backup, for every object backed up; the run's result is the
// first failure.
void DSqlBackupDatabaseEri::inactivateOld(Run& run) {
  for (SqlDbInfo* p = run.infos.getFirst(); p != nullptr; p = run.infos.getNext(p)) {
    if (p->nActionRc == RC_OBJECT_EXCLUDED) run.skipped++;
    if (run.backupType != BACKUP_TYPE_FULL || p->nActionRc != RC_OK || GetCancelStatus() != 0)
      continue;
    int rc = RC_INTERNAL_ERROR;
    for (HublorSessionInfo* s = run.sessions.getFirst(); s != nullptr && rc != RC_OK;
         s = run.sessions.getNext(s)) {
      if (s->connected != 1) continue;
      uint32_t count = 0;
      rc = inactivateOldBackups(run, &count, s, p);
      run.inactivated += count;
    }
    if (run.inactivationRc == RC_OK) run.inactivationRc = rc;
  }
}

// The run's throughput (KB per second), bytes and seconds as the summaries show them.
struct DSqlBackupDatabaseEri::Totals {
  char rate[kNumberTextSize] = "";
  char seconds[kNumberTextSize] = "";
  char bytes[kNumberTextSize] = "";
};

void DSqlBackupDatabaseEri::formatTotals(Run& run, Totals* totalsP) {
  double rate = run.seconds > 0.0 ? double(run.bytes) / 1024 / run.seconds : 0.0;
  formatNumberGrouped(rate, totalsP->rate, 2, sizeof totalsP->rate);
  formatNumberGrouped(run.seconds, totalsP->seconds, 2, sizeof totalsP->seconds);
  nlsFormatInt64(pkInt64FromNative(static_cast<int64_t>(run.bytes)), totalsP->bytes,
                 sizeof totalsP->bytes);
}

void DSqlBackupDatabaseEri::writeServerSummary(Run& run) {
  if (!run.serverLogDue) return;
  Totals totals;
  formatTotals(run, &totals);
  const char* rateText = totals.rate;
  const char* bytesText = totals.bytes;
  const char* secondsText = totals.seconds;
  bool full = m_ParmsP->command == ERI_CMD_BACKUP_FULL;
  {
    HublorSessionInfo* lastP = run.sessions.getLast();
    char text[MOXTAR_ERROR_TEXT_SIZE];
    if (full) {
      writeMoxtarServerLog(&run.status, text, lastP->pelkHandle, nullptr, MSG_SERVER_FULL_RUN_ENDED,
                           run.server.szSqlServerName, run.selected, run.expected, run.done,
                           run.skipped, run.inactivated, rateText, bytesText, secondsText);
    } else {
      writeMoxtarServerLog(&run.status, text, lastP->pelkHandle, nullptr, MSG_SERVER_RUN_ENDED,
                           run.server.szSqlServerName, run.selected, run.expected, run.done,
                           run.skipped, rateText, bytesText, secondsText);
    }
  }
}

void DSqlBackupDatabaseEri::writeSummary(Run& run, int rc) {
  if (rc == RC_NOTHING_SELECTED) return;
  Totals totals;
  formatTotals(run, &totals);
  bool full = m_ParmsP->command == ERI_CMD_BACKUP_FULL;
  if (m_ParmsP->statusFunctionP != nullptr) {
    StatusInfo status{};
    status.kind = finishStatus;
    status.finish = {run.selected,    run.expected, run.done,    run.skipped,
                     run.inactivated, run.bytes,    run.seconds, rc};
    m_ParmsP->statusFunctionP(status);
  }
  if (gLogP == nullptr) return;
  double rate = run.seconds > 0.0 ? double(run.bytes) / 1024 / run.seconds : 0.0;
  if (full) {
    gLogP->LogActivityLog(MSG_FULL_RUN_ENDED, run.selected, run.expected, run.done, run.skipped,
                          run.inactivated, rate, totals.bytes, run.seconds);
  } else {
    gLogP->LogActivityLog(MSG_RUN_ENDED, run.selected, run.expected, run.done, run.skipped, rate,
                          totals.bytes, run.seconds);
  }
}

int DSqlBackupDatabaseEri::logoff(Run& run, int rc) {
  for (HublorSessionInfo* p = run.sessions.getFirst(); p != nullptr; p = run.sessions.getNext(p)) {
    if (p->connected != 1) continue;
    int16_t code = gPelkApiObjP->Logoff(&run.status, p->pelkHandle);
    p->connected = 0;
    if (code == 0) continue;
    char text[NLS_MSG_MAX];
    size_t length = 0;
    gPelkApiObjP->GetApiError(&run.status, p->pelkHandle, code, text, sizeof text, &length,
                              "Logoff");
    if (rc == RC_OK) {
      snprintf(m_ParmsP->msgBufferP, m_ParmsP->msgBufferLen, "%s", text);
      rc = RC_API_CALL_FAILED;
    } else if (gLogP != nullptr) {
      gLogP->LogActivityLog(agentRcMessage(RC_API_CALL_FAILED), "");
      gLogP->LogActivityLog(text);
    }
  }
  return rc;
}

int DSqlBackupDatabaseEri::settle(Run& run, int rc) {
  if (rc != RC_OK) return rc;
  if (GetCancelStatus() != 0) return RC_CANCELED_BY_USER;
  if (run.selected == 0) return RC_NOTHING_SELECTED;
  if (m_ParmsP->bIncludeLogBackup != 0) run.selected *= 2;
  if (run.selected != run.done + run.skipped || run.inactivationRc != RC_OK) return RC_NOT_ALL_DONE;
  return RC_OK;
}

// The record backupDbList reads: the request's settings and the run's sessions, server, types
// and objects.
void DSqlBackupDatabaseEri::fillJob(Run& run, BackupListJob* jobP) {
  jobP->statusMilliSeconds = m_ParmsP->nStatusMilliSeconds;
  jobP->statusFunctionP = m_ParmsP->statusFunctionP;
  jobP->parameters = m_ParmsP->sqlParms;
  jobP->sessionsP = &run.sessions;
  jobP->serverP = &run.server;
  jobP->estimatePct = static_cast<uint32_t>(m_ParmsP->nEstimate);
  jobP->typesP = &run.types;
  jobP->databasesP = &run.infos;
  jobP->mountWait = m_ParmsP->bMountWait;
  jobP->bufferSize = m_ParmsP->nBufferSize;
  jobP->numBuffers = static_cast<uint32_t>(m_ParmsP->nBuffers);
  jobP->numStripes = static_cast<uint32_t>(m_ParmsP->nStripes);
  jobP->cancelP = GetCancelPtr();
  jobP->olderThan = m_ParmsP->nCleanupOlderThan;
  jobP->msgBufferP = m_ParmsP->msgBufferP;
}

// The backup of the object list through the run's sessions, then the inactivation after a full
// backup.
int DSqlBackupDatabaseEri::backUpObjects(Run& run) {
  uint32_t type = run.backupType;
  run.types.addTail(&type);
  type = BACKUP_TYPE_LOG;
  if (m_ParmsP->bIncludeLogBackup == 1) run.types.addTail(&type);
  char text[MOXTAR_ERROR_TEXT_SIZE];
  writeMoxtarServerLog(&run.status, text, run.sessions.getLast()->pelkHandle, nullptr,
                       MSG_SERVER_RUN_STARTED, run.server.szSqlServerName);
  run.serverLogDue = true;
  run.expected = run.types.getCount() * run.infos.getCount();
  BackupListJob job;
  fillJob(run, &job);
  int rc = backupDbList(&job);
  run.seconds = job.totalSeconds;
  run.bytes = job.totalBytes;
  run.done = job.backupsDone;
  inactivateOld(run);
  return rc;
}

// The steps up to the end of the backup, each returning at the first failure or cancel; the
// caller writes the summaries and logs the sessions off whatever happened here.
int DSqlBackupDatabaseEri::runSteps(Run& run) {
  int rc = readServer(run);
  if (!going(rc)) return rc;
  capStripes(run);
  if (!going(rc)) return rc;
  rc = readDatabases(run);
  if (!going(rc)) return rc;
  rc = buildObjectList(run);
  if (!going(rc)) return rc;
  if (run.infos.getCount() == 0 || m_ParmsP->nStripes <= 0) return rc;
  rc = logon(run);
  if (!going(rc)) return rc;
  rc = registerMetaFilespace(run);
  if (!going(rc)) return rc;
  bindObjects(run);
  if (!going(rc)) return rc;
  rc = logon(run);
  if (!going(rc)) return rc;
  return backUpObjects(run);
}

int DSqlBackupDatabaseEri::ProcessRequestDetails() {
  TRACE_ENTRY(TRC_ERI, "DSqlBackupDatabaseEri::ProcessRequestDetails()");
  Run run;
  run.timer.start();
  if (m_ParmsP->statusFunctionP != nullptr) {
    StatusInfo status{};
    status.kind = startStatus;
    m_ParmsP->statusFunctionP(status);
  }
  int rc = runSteps(run);
  writeServerSummary(run);
  rc = logoff(run, rc);
  run.timer.stop();
  rc = settle(run, rc);
  writeSummary(run, rc);
  if (rc != RC_OK) logTextOrRcMessage(m_ParmsP->msgBufferP, rc);
  TRACE_RETURN(rc);
}
