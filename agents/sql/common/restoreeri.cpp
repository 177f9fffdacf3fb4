#include "restoreeri.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <cstring>

#include "agtlog.h"
#include "agtrc.h"
#include "agttrc.h"
#include "errormsg.h"
#include "msgout.h"
#include "restorelist.h"
#include "sqlapi.h"
#include "stripecap.h"

namespace {

constexpr int kMsgQuerying = 158;
constexpr int kMsgRestoreStarted = 5228;
constexpr int kMsgServerLogStarted = 3010;
constexpr int kMsgServerLogEnded = 3011;
constexpr int kMsgRestoreEnded = 5118;
constexpr int16_t kLogonCancelled = 101;

void sendStatus(StatusFunction statusFunctionP, StatusInfo status) {
  if (statusFunctionP != nullptr) statusFunctionP(status);
}

// The texts of the summary: throughput in KB per second, bytes, seconds.
struct CSummaryTexts {
  CSummaryTexts(double seconds, uint64_t bytes) {
    double rate = seconds > 0.0 ? static_cast<double>(bytes) / 1024.0 / seconds : 0.0;
    snprintf(throughput, sizeof throughput, "%.2f", rate);
    snprintf(totalBytes, sizeof totalBytes, "%" PRIu64, bytes);
    snprintf(totalSeconds, sizeof totalSeconds, "%.2f", seconds);
  }
  char throughput[32];
  char totalBytes[32];
  char totalSeconds[32];
};

uint32_t stripesOf(const MoxtarMetaInfo& entry) {
  objInfo info;
  return objInfoFromResp(entry, OBJINFO_META_SIZE, &info) == RC_OK ? info.numStripes : 0;
}

}  // namespace

CRestoreBackupsEri::CRestoreBackupsEri(CRestoreBackupsParms* parmsP)
    : DSqlQueryBackupEri(parmsP), m_ParmsP(parmsP) {
  TRACE_ENTRY(TRC_ERI, "CRestoreBackupsEri::CRestoreBackupsEri()");
}

CRestoreBackupsEri::~CRestoreBackupsEri() {
  TRACE_ENTRY(TRC_ERI, "CRestoreBackupsEri::~CRestoreBackupsEri()");
}

bool CRestoreBackupsEri::running(int rc) {
  return rc == RC_OK && !eriIsCancelled(m_CancelP);
}

uint32_t CRestoreBackupsEri::capStripes() {
  CRestoreBackupsParms* p = m_ParmsP;
  p->nStripes = capRequestStripes(p->nStripes, m_Server, p->sqlRestoreParms.ulNumSqlBuffers);
  return RC_OK;
}

int CRestoreBackupsEri::queryBackups() {
  if (m_ParmsP->qryBuListP->getCount() != 0) return RC_OK;
  if (m_ParmsP->statusFunctionP != nullptr) {
    char text[ERI_MESSAGE_SIZE];
    nlsprintf(text, sizeof text, kMsgQuerying);
    StatusInfo status{};
    status.kind = msgoutStatus;
    status.msgout.textP = text;
    m_ParmsP->statusFunctionP(status);
  }
  return queryStoredBackups();
}

void CRestoreBackupsEri::removeEntry(MoxtarMetaInfo* entryP) {
  m_ParmsP->qryBuListP->remove(entryP);
}

namespace {

bool matchesAny(DBaseQueryEri& request, EriNameList* patternsP, const char* nameP) {
  for (EriNameEntry* patternP = patternsP->getFirst(); patternP != nullptr;
       patternP = patternsP->getNext(patternP)) {
    if (request.isMatch(nameP, patternP->szName) != 0) return true;
  }
  return false;
}

void selectFile(SqlHublorDbElement* dbP, SqlMetaFileInfo* fileP) {
  fileP->bFileIsSelected = 1;
  if (fileP->peFileGroup != nullptr) fileP->peFileGroup->bGroupFileIsSelected = 1;
  dbP->bDbFileIsSelected = 1;
}

// The groups of which a set backup holds some files only (read back from its meta-data object),
// and the selection marks cleared: a restore that names groups or files restores those, not
// what the backup selected.
std::vector<SqlMetaGroupInfo*> clearStoredMarks(SqlHublorDbElement* dbP) {
  std::vector<SqlMetaGroupInfo*> partlyStored;
  for (SqlMetaGroupInfo* groupP = dbP->pGroupList->getFirst(); groupP != nullptr;
       groupP = dbP->pGroupList->getNext(groupP)) {
    if (groupP->bGroupIsSelected == 0 && groupP->bGroupFileIsSelected != 0) {
      partlyStored.push_back(groupP);
    }
    groupP->bGroupIsSelected = 0;
    groupP->bGroupFileIsSelected = 0;
  }
  for (SqlMetaFileInfo* fileP = dbP->pFileList != nullptr ? dbP->pFileList->getFirst() : nullptr;
       fileP != nullptr; fileP = dbP->pFileList->getNext(fileP)) {
    fileP->bFileIsSelected = 0;
  }
  dbP->bDbGroupIsSelected = 0;
  dbP->bDbFileIsSelected = 0;
  return partlyStored;
}

}  // namespace

// Marks the groups and files of one database that the patterns name; true when the backup
// stays. Without a pattern the backup is restored as it was stored. A group that the backup
// holds only some files of is restored by those files.
bool CRestoreBackupsEri::selectInDatabase(SqlHublorDbElement* dbP) {
  EriNameList* groupsP = m_ParmsP->groupNameListP;
  EriNameList* filesP = m_ParmsP->fileNameListP;
  bool anyGroups = groupsP->getCount() != 0;
  bool anyFiles = filesP != nullptr && filesP->getCount() != 0;
  if (!anyGroups && !anyFiles) return true;
  if (dbP->pGroupList == nullptr) return false;
  std::vector<SqlMetaGroupInfo*> partlyStored = clearStoredMarks(dbP);
  bool matched = false;
  for (SqlMetaGroupInfo* groupP = dbP->pGroupList->getFirst(); anyGroups && groupP != nullptr;
       groupP = dbP->pGroupList->getNext(groupP)) {
    if (!matchesAny(*this, groupsP, groupP->szGroupName)) continue;
    matched = true;
    bool partly = std::find(partlyStored.begin(), partlyStored.end(), groupP) != partlyStored.end();
    if (!partly) {
      groupP->bGroupIsSelected = 1;
      dbP->bDbGroupIsSelected = 1;
      continue;
    }
    for (SqlMetaFileInfo* fileP = dbP->pFileList != nullptr ? dbP->pFileList->getFirst() : nullptr;
         fileP != nullptr; fileP = dbP->pFileList->getNext(fileP)) {
      if (fileP->peFileGroup == groupP) selectFile(dbP, fileP);
    }
  }
  for (SqlMetaFileInfo* fileP = anyFiles && dbP->pFileList != nullptr ? dbP->pFileList->getFirst()
                                                                      : nullptr;
       fileP != nullptr; fileP = dbP->pFileList->getNext(fileP)) {
    if (!matchesAny(*this, filesP, fileP->szFileLogicalName)) continue;
    selectFile(dbP, fileP);
    matched = true;
  }
  return matched;
}

// The query reads every backup's groups and files into the two lists that all its database
// elements share, one backup after another in restore order. The selection, the relocations and
// the RESTORE statement each work on one backup's records: every element gets its own copies
// for the request's run (restoreLists gives the elements their shared lists back).
void CRestoreBackupsEri::separateLists() {
  std::vector<MoxtarMetaInfo*> order;
  MoxtarMetaList* listP = m_ParmsP->qryBuListP;
  for (MoxtarMetaInfo* entryP = listP->getFirst(); entryP != nullptr;
       entryP = listP->getNext(entryP)) {
    SqlHublorDbElement* dbP = entryP->hublorDbElemP;
    if (dbP == nullptr || dbP->pGroupList == nullptr || dbP->pFileList == nullptr) return;
    if (!order.empty() && dbP->pGroupList != order[0]->hublorDbElemP->pGroupList) return;
    order.push_back(entryP);
  }
  if (order.size() < 2) return;
  std::stable_sort(order.begin(), order.end(), [](MoxtarMetaInfo* aP, MoxtarMetaInfo* bP) {
    return compareRestoreOrder(aP, bP) < 0;
  });
  CLinkedList<SqlMetaGroupInfo>* groupsP = order[0]->hublorDbElemP->pGroupList;
  CLinkedList<SqlMetaFileInfo>* filesP = order[0]->hublorDbElemP->pFileList;
  SqlMetaGroupInfo* groupP = groupsP->getFirst();
  SqlMetaFileInfo* fileP = filesP->getFirst();
  for (MoxtarMetaInfo* entryP : order) {
    SqlHublorDbElement* dbP = entryP->hublorDbElemP;
    m_OwnLists.emplace_back();
    COwnLists& own = m_OwnLists.back();
    own.dbP = dbP;
    own.sharedGroupsP = groupsP;
    own.sharedFilesP = filesP;
    uint32_t groups = dbP->lDbNumDataGroups + (dbP->lDbNumLogFiles > 0 ? 1 : 0);
    std::vector<std::pair<SqlMetaGroupInfo*, SqlMetaGroupInfo*>> copies;
    for (uint32_t k = 0; k < groups && groupP != nullptr; k++, groupP = groupsP->getNext(groupP)) {
      SqlMetaGroupInfo copy = *groupP;
      copy.peGroupFirstFile = nullptr;
      own.groups.addTail(&copy);
      copies.push_back({groupP, own.groups.getLast()});
    }
    uint32_t files = dbP->lDbNumDataFiles + dbP->lDbNumLogFiles;
    for (uint32_t k = 0; k < files && fileP != nullptr; k++, fileP = filesP->getNext(fileP)) {
      SqlMetaFileInfo copy = *fileP;
      copy.peFileGroup = nullptr;
      for (const auto& [sharedP, ownP] : copies) {
        if (sharedP == fileP->peFileGroup) copy.peFileGroup = ownP;
      }
      own.files.addTail(&copy);
      SqlMetaGroupInfo* ownGroupP = copy.peFileGroup;
      if (ownGroupP != nullptr && ownGroupP->peGroupFirstFile == nullptr) {
        ownGroupP->peGroupFirstFile = own.files.getLast();
      }
    }
    dbP->pGroupList = &own.groups;
    dbP->pFileList = &own.files;
  }
}

void CRestoreBackupsEri::restoreLists() {
  for (COwnLists& own : m_OwnLists) {
    own.dbP->pGroupList = own.sharedGroupsP;
    own.dbP->pFileList = own.sharedFilesP;
  }
  m_OwnLists.clear();
}

void CRestoreBackupsEri::selectGroupsAndFiles() {
  MoxtarMetaList* listP = m_ParmsP->qryBuListP;
  if (m_ParmsP->bFileInfo == 0 || m_ParmsP->groupNameListP == nullptr) return;
  MoxtarMetaInfo* entryP = listP->getFirst();
  while (entryP != nullptr) {
    SqlHublorDbElement* dbP = entryP->hublorDbElemP;
    if (dbP != nullptr && selectInDatabase(dbP)) {
      entryP = listP->getNext(entryP);
      continue;
    }
    TRACE_LINE(TRC_ERI, "Dropping backup %s%s: no group or file selected.\n", entryP->objName.hl,
               entryP->objName.ll);
    entryP = listP->remove(entryP);
  }
}

// Each file of a backup takes the first relocation pair whose pattern matches its logical name;
// the pairs go into the database element's own list of the caller's relocation lists.
int CRestoreBackupsEri::addRelocations() {
  CRestoreBackupsParms* p = m_ParmsP;
  if (p->sqlRestoreParms.bRelocate == 0 || p->relocateFromListP == nullptr ||
      p->relocateToListP == nullptr || p->relocationListP == nullptr) {
    return RC_OK;
  }
  for (MoxtarMetaInfo* entryP = p->qryBuListP->getFirst(); entryP != nullptr;
       entryP = p->qryBuListP->getNext(entryP)) {
    SqlHublorDbElement* dbP = entryP->hublorDbElemP;
    if (dbP == nullptr || dbP->pFileList == nullptr) continue;
    CLinkedList<SqlRelocatePair>* pairsP = nullptr;
    for (SqlMetaFileInfo* fileP = dbP->pFileList->getFirst(); fileP != nullptr;
         fileP = dbP->pFileList->getNext(fileP)) {
      EriNameEntry* fromP = p->relocateFromListP->getFirst();
      EriPhysicalNameEntry* toP = p->relocateToListP->getFirst();
      for (; fromP != nullptr && toP != nullptr;
           fromP = p->relocateFromListP->getNext(fromP), toP = p->relocateToListP->getNext(toP)) {
        if (isMatch(fileP->szFileLogicalName, fromP->szName) != 0) break;
      }
      if (fromP == nullptr || toP == nullptr) continue;
      if (pairsP == nullptr) {
        p->relocationListP->emplace_back();
        p->relocationListP->back().dbElemP = dbP;
        pairsP = &p->relocationListP->back().pairs;
      }
      SqlRelocatePair pair{};
      snprintf(pair.szLogicalName, sizeof pair.szLogicalName, "%s", fileP->szFileLogicalName);
      snprintf(pair.szPhysicalName, sizeof pair.szPhysicalName, "%s", toP->szName);
      if (pairsP->addTail(&pair) != RC_OK) return putRcMessage(RC_NO_MEMORY);
    }
    if (pairsP != nullptr && dbP->pRelocateList == nullptr) dbP->pRelocateList = pairsP;
  }
  return RC_OK;
}

// Every backup of the list goes into the one destination named.
// The standby undo file that the command line carries in the last bytes of the SQL Server
// settings goes to every backup's database element, where the RESTORE statement reads it.
void CRestoreBackupsEri::addStandbyFile() {
  const SqlRestoreParameters& sql = m_ParmsP->sqlRestoreParms;
  const char* fileP = reinterpret_cast<const char*>(sql.reserved);
  if (sql.bStandby == 0 || strnlen(fileP, sizeof sql.reserved) == 0) return;
  for (MoxtarMetaInfo* entryP = m_ParmsP->qryBuListP->getFirst(); entryP != nullptr;
       entryP = m_ParmsP->qryBuListP->getNext(entryP)) {
    SqlHublorDbElement* dbP = entryP->hublorDbElemP;
    if (dbP == nullptr || dbP->szStandbyFile[0] != '\0') continue;
    snprintf(dbP->szStandbyFile, sizeof dbP->szStandbyFile, "%.*s",
             static_cast<int>(sizeof dbP->szStandbyFile - 1), fileP);
  }
}

int CRestoreBackupsEri::addDestinations() {
  addStandbyFile();
  CRestoreBackupsParms* p = m_ParmsP;
  if (p->sqlRestoreParms.bInto == 0 || p->destinationListP == nullptr) return RC_OK;
  if (p->intoNameListP == nullptr || p->intoNameListP->getFirst() == nullptr) {
    TRACE_LINE(TRC_ERI, "The into option was specified but intoNameListP is NULL.\n");
    return putRcMessage(RC_INTERNAL_ERROR);
  }
  const char* intoP = p->intoNameListP->getFirst()->szName;
  if (strnlen(intoP, SQL_NAME_SIZE) >= SQL_NAME_SIZE) {
    nlsprintf(m_ErrorTextP, ERI_MESSAGE_SIZE, agentRcMessage(RC_SQL_STRING_TOO_LONG), intoP);
    return RC_SQL_STRING_TOO_LONG;
  }
  for (MoxtarMetaInfo* entryP = p->qryBuListP->getFirst(); entryP != nullptr;
       entryP = p->qryBuListP->getNext(entryP)) {
    if (entryP->hublorDbElemP == nullptr) continue;
    snprintf(entryP->hublorDbElemP->szIntoDbName, sizeof entryP->hublorDbElemP->szIntoDbName,
             "%.*s", static_cast<int>(SQL_NAME_SIZE - 1), intoP);
    EriNameEntry destination{};
    snprintf(destination.szName, sizeof destination.szName, "%s", intoP);
    if (p->destinationListP->addTail(&destination) != RC_OK) return putRcMessage(RC_NO_MEMORY);
  }
  return RC_OK;
}

void CRestoreBackupsEri::pick() {
  CRestoreBackupsParms* p = m_ParmsP;
  if (p->bPick != 1 || p->pickCallbackP == nullptr) return;
  TRACE_LINE(TRC_ERI, "Calling the PICK processor...\n");
  int pickRc = p->pickCallbackP(p->qryBuListP, 0, 0);
  if (pickRc != RC_OK) TRACE_LINE(TRC_ERI, "PICK processing failed, rc = %u\n", pickRc);
  MoxtarMetaInfo* entryP = p->qryBuListP->getFirst();
  while (entryP != nullptr) {
    entryP =
        entryP->bIsPicked == 1 ? p->qryBuListP->getNext(entryP) : p->qryBuListP->remove(entryP);
  }
  traceList("Restore-AFTER Pick");
}

void CRestoreBackupsEri::traceList(const char* descriptionP) {
  if (!gTrace.isOn(TRC_ERI)) return;
  MoxtarMetaList* listP = m_ParmsP->qryBuListP;
  TRACE_LINE(TRC_ERI, "CRestoreBackupsEri: %s, %u entries\n", descriptionP, listP->getCount());
  for (MoxtarMetaInfo* entryP = listP->getFirst(); entryP != nullptr;
       entryP = listP->getNext(entryP)) {
    char name[ERI_OBJECT_NAME_SIZE];
    TRACE_LINE(TRC_ERI, "  %s%s %s\n", entryP->objName.hl, entryP->objName.ll,
               eriTimeProcessName(*entryP, name));
  }
}

int CRestoreBackupsEri::logonSession() {
  HublorSessionInfo session{};
  int16_t code =
      gPelkApiObjP->Logon(m_pelkApiStatusObjP, &session.apiSessInfo, &session.pelkHandle);
  if (code == kLogonCancelled) return RC_CANCELED_BY_USER;
  if (code != PELK_RC_OK) return putApiFailure(code, "Logon");
  session.connected = 1;
  if (m_Sessions.addTail(&session) == RC_OK) return RC_OK;
  gPelkApiObjP->Logoff(m_pelkApiStatusObjP, session.pelkHandle);
  return putRcMessage(RC_NO_MEMORY);
}

// The request's own session is the first; one more per stripe used.
int CRestoreBackupsEri::openSessions(uint32_t* stripesUsedP) {
  HublorSessionInfo first{};
  first.apiSessInfo.stVersion = PELK_SESSINFO_VERSION;
  int16_t code = DPelkApi::dpelkQuerySessInfo(gPelkApiObjP, m_pelkApiStatusObjP, m_pelkHandle,
                                              &first.apiSessInfo);
  if (code != PELK_RC_OK) return putApiFailure(code, "dpelkQuerySessInfo");
  TRACE_LINE(TRC_ERI, "maxObjPerTxn = %u\n", first.apiSessInfo.maxObjPerTxn);
  uint32_t needed = 0;
  for (MoxtarMetaInfo* entryP = m_ParmsP->qryBuListP->getFirst(); entryP != nullptr;
       entryP = m_ParmsP->qryBuListP->getNext(entryP)) {
    needed = std::max(needed, stripesOf(*entryP));
  }
  uint32_t used = needed;
  if (m_Server.lSqlVersionMajor != 7 && m_ParmsP->bStripes != 0 && m_ParmsP->nStripes > 0) {
    used = std::min(needed, static_cast<uint32_t>(m_ParmsP->nStripes));
  }
  used = std::max(used, 1u);
  TRACE_LINE(TRC_ERI, "Stripes needed = %u, stripes used = %u\n", needed, used);
  *stripesUsedP = used;
  first.connected = 1;
  first.pelkHandle = m_pelkHandle;
  if (m_Sessions.addTail(&first) != RC_OK) return putRcMessage(RC_NO_MEMORY);
  m_pelkHandle = 0;  // the session list ends it now
  int rc = RC_OK;
  while (running(rc) && m_Sessions.getCount() < used) rc = logonSession();
  return rc;
}

void CRestoreBackupsEri::writeSummary(uint32_t found, uint32_t toRestore, uint32_t restored,
                                      uint32_t skipped, double seconds, uint64_t bytes) {
  CSummaryTexts texts(seconds, bytes);
  const char* requestServerP = m_ParmsP->sqlServerNameP != nullptr ? m_ParmsP->sqlServerNameP : "";
  int rc = RC_INTERNAL_ERROR;
  for (HublorSessionInfo* sessionP = m_Sessions.getFirst(); sessionP != nullptr && rc != RC_OK;
       sessionP = m_Sessions.getNext(sessionP)) {
    if (sessionP->connected != 1) continue;
    char errorText[PELK_RCMSG_SIZE] = "";
    rc = writeMoxtarServerLog(m_pelkApiStatusObjP, errorText, sessionP->pelkHandle, nullptr,
                              kMsgServerLogEnded, requestServerP, m_Server.szSqlServerName, found,
                              toRestore, restored, skipped, texts.throughput, texts.totalBytes,
                              texts.totalSeconds);
  }
}

int CRestoreBackupsEri::logoffSessions(int rc) {
  for (HublorSessionInfo* sessionP = m_Sessions.getFirst(); sessionP != nullptr;
       sessionP = m_Sessions.getNext(sessionP)) {
    if (sessionP->connected != 1) continue;
    int16_t code = gPelkApiObjP->Logoff(m_pelkApiStatusObjP, sessionP->pelkHandle);
    sessionP->connected = 0;
    if (code == PELK_RC_OK) continue;
    if (rc == RC_OK) {
      rc = putApiFailure(code, "Logoff");
      continue;
    }
    char text[ERI_MESSAGE_SIZE] = "";
    size_t length = 0;
    gPelkApiObjP->AgtPelkRCMsg(m_pelkApiStatusObjP, sessionP->pelkHandle, code, text, sizeof text,
                               &length);
    if (gLogP == nullptr) continue;
    gLogP->LogActivityLog(agentRcMessage(RC_API_CALL_FAILED), text);
  }
  return rc;
}

// The steps before the sessions open: the server, the stripes, the backups to restore and
// where each goes. *foundP: how many backups the query found.
int CRestoreBackupsEri::prepareRestore(uint32_t* foundP) {
  int rc = RC_OK;
  if (!running(rc)) return rc;
  uint32_t* cancelP = m_CancelP;
  char* msgP = m_ErrorTextP;
  rc = gSqlApiP->GetSqlServerInfo(&m_Server, &cancelP, &msgP, nullptr);
  if (!running(rc)) return rc;
  rc = capStripes();
  if (!running(rc)) return rc;
  if (gLogP != nullptr) gLogP->LogActivityLog(kMsgRestoreStarted, m_Server.szSqlServerName);
  rc = queryBackups();
  *foundP = m_ParmsP->qryBuListP->getCount();
  traceList("Restore-AFTER Query");
  if (!running(rc)) return rc;
  separateLists();
  if (!running(rc)) return rc;
  selectGroupsAndFiles();
  if (!running(rc)) return rc;
  rc = addRelocations();
  if (!running(rc)) return rc;
  rc = addDestinations();
  if (!running(rc)) return rc;
  pick();
  return rc;
}

// What one run found and what its restore counted.
struct CRestoreBackupsEri::CRestoreRun {
  uint32_t found = 0;      // backups the query found
  uint32_t toRestore = 0;  // backups left after the selection and the pick
  bool restoring = false;  // the sessions opened and restoreDbList ran
  RestoreListJob job;
};

// The restore of the list through the open sessions; *jobP keeps its counts and totals.
int CRestoreBackupsEri::restoreBackups(uint32_t stripesUsed, RestoreListJob* jobP) {
  CRestoreBackupsParms* p = m_ParmsP;
  char errorText[PELK_RCMSG_SIZE] = "";
  writeMoxtarServerLog(m_pelkApiStatusObjP, errorText, m_Sessions.getLast()->pelkHandle, nullptr,
                       kMsgServerLogStarted, m_Server.szSqlServerName);
  jobP->statusMilliSeconds = p->nStatusMilliSeconds;
  jobP->statusFunctionP = p->statusFunctionP;
  jobP->parameters = p->sqlRestoreParms;
  jobP->serverP = &m_Server;
  jobP->sessionsP = &m_Sessions;
  jobP->backupsP = p->qryBuListP;
  jobP->mountWait = p->bMountWait;
  jobP->bufferSize = p->nBufferSize;
  jobP->numBuffers = p->nBuffers;
  jobP->numStripes = stripesUsed;
  jobP->cancelP = m_CancelP;
  jobP->msgBufferP = m_ErrorTextP;
  return restoreDbList(jobP);
}

// Prepares, opens the sessions and restores what is left to restore; the caller logs the
// sessions off whatever happened here.
int CRestoreBackupsEri::prepareAndRestore(CRestoreRun* runP) {
  int rc = prepareRestore(&runP->found);
  if (!running(rc) || m_ParmsP->qryBuListP->getCount() == 0) return rc;
  uint32_t stripesUsed = 0;
  rc = openSessions(&stripesUsed);
  if (!running(rc)) return rc;
  runP->restoring = true;
  runP->toRestore = m_ParmsP->qryBuListP->getCount();
  RestoreListJob& job = runP->job;
  rc = restoreBackups(stripesUsed, &job);
  writeSummary(runP->found, runP->toRestore, job.restored, job.skipped, job.totalSeconds,
               job.totalBytes);
  return rc;
}

// The request's code when no restore began: a request cancelled before its restore began was
// cancelled, not empty-handed.
int CRestoreBackupsEri::settle(const CRestoreRun& run, int rc) {
  if (run.restoring) return rc;
  if (eriIsCancelled(m_CancelP)) return RC_CANCELED_BY_USER;
  if (rc == RC_OK && m_ErrorTextP[0] == '\0') return nothingFound();
  return rc;
}

// The front end's finish report and the activity log's summary of a restore that ran.
void CRestoreBackupsEri::reportFinish(const CRestoreRun& run, int rc) {
  uint32_t found = run.found;
  uint32_t toRestore = run.toRestore;
  const RestoreListJob& job = run.job;
  StatusInfo finish{};
  finish.kind = finishStatus;
  finish.finish = {found, toRestore,      job.restored,     job.skipped,
                   0,     job.totalBytes, job.totalSeconds, rc};
  sendStatus(m_ParmsP->statusFunctionP, finish);
  CSummaryTexts texts(job.totalSeconds, job.totalBytes);
  if (gLogP != nullptr) {
    gLogP->LogActivityLog(kMsgRestoreEnded, found, toRestore, job.restored, job.skipped,
                          texts.throughput, texts.totalBytes, texts.totalSeconds);
  }
}

void CRestoreBackupsEri::traceParameters() {
  CRestoreBackupsParms* p = m_ParmsP;
  TRACE_LINE(TRC_ERI,
             "nStatusMilliSeconds: %u\nnBufferSize: %u\nbMountWait: %u\nnBuffers: %u\n"
             "bStripes: %u\nnStripes: %d\ncommand: %u\nbPick: %u\n",
             p->nStatusMilliSeconds, p->nBufferSize, p->bMountWait, p->nBuffers, p->bStripes,
             p->nStripes, p->command, p->bPick);
}

int CRestoreBackupsEri::ProcessRequestDetails() {
  TRACE_ENTRY(TRC_ERI, "CRestoreBackupsEri::ProcessRequestDetails()");
  traceParameters();
  StatusInfo start{};
  start.kind = startStatus;
  sendStatus(m_ParmsP->statusFunctionP, start);
  if (m_ParmsP->qryBuListP == nullptr) {
    TRACE_LINE(TRC_ERI, "A required %s parameter was not passed.\n", "qryBuListP");
    TRACE_RETURN(putRcMessage(RC_INTERNAL_ERROR));
  }
  CRestoreRun run;
  int rc = prepareAndRestore(&run);
  rc = logoffSessions(rc);
  m_Sessions.freeAll();
  restoreLists();
  rc = settle(run, rc);
  if (run.restoring) reportFinish(run, rc);
  if (rc != RC_OK) logTextOrRcMessage(m_ErrorTextP, rc);
  TRACE_RETURN(rc);
}
