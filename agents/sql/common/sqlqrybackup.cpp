// The query of stored backups.
#include "sqlqrybackup.h"

#include <cstdio>
#include <cstring>

#include "agtrc.h"
#include "agttrc.h"
#include "errormsg.h"
#include "metaxfer.h"
#include "msgout.h"
#include "nlstable.h"

namespace {

constexpr uint8_t kStateActive = PELK_ACTIVE;
constexpr uint8_t kStateAny = PELK_ANYMATCH;
constexpr int RC_NOTHING_FOUND = 114;
constexpr int MSG_MOUNT_WAIT = 5119;

// Each backup type with the query type that asks for it and the inactivation command of that
// one type.
struct QueryType {
  uint32_t qryCommand;
  uint32_t backupType;
  uint32_t inactivateCommand;
};
constexpr QueryType kQueryTypes[] = {
    {ERI_QRY_DIFFFULL, BACKUP_TYPE_DIFFFULL, ERI_CMD_INACTIVATE_DIFF},
    {ERI_QRY_FILE, BACKUP_TYPE_FILE, ERI_CMD_INACTIVATE_FILE},
    {ERI_QRY_FULL, BACKUP_TYPE_FULL, ERI_CMD_INACTIVATE_FULL},
    {ERI_QRY_GROUP, BACKUP_TYPE_GROUP, ERI_CMD_INACTIVATE_GROUP},
    {ERI_QRY_LOG, BACKUP_TYPE_LOG, ERI_CMD_INACTIVATE_LOG},
    {ERI_QRY_SET, BACKUP_TYPE_SET, ERI_CMD_INACTIVATE_SET},
};

uint32_t backupTypeOf(uint32_t qryCommand) {
  for (const QueryType& type : kQueryTypes) {
    if (type.qryCommand == qryCommand) return type.backupType;
  }
  return BACKUP_TYPE_QUERY_ANY;
}

// The database name of an entry's high-level name, into a buffer as long as the name.
struct HlDbName {
  char dbName[OBJ_NAME_MAX_HL_LENGTH + 1];
  char otherName[OBJ_NAME_MAX_HL_LENGTH + 1];
  explicit HlDbName(const MoxtarMetaInfo& entry) {
    extractHlNames(entry.objName.hl, dbName, otherName);
  }
};

int sameDbNameIgnoringCase(const MoxtarMetaInfo& a, const MoxtarMetaInfo& b) {
  return nlsActiveFuncTable()->m_StrICmp(HlDbName(a).dbName, HlDbName(b).dbName) == 0;
}

bool isMetaObject(const MoxtarMetaInfo& entry) {
  return entry.objInfolen == OBJINFO_META_SIZE;
}

}  // namespace

uint32_t eriInactivationQueryType(uint32_t command) {
  for (const QueryType& type : kQueryTypes) {
    if (type.inactivateCommand == command) return type.qryCommand;
  }
  return 0;
}

zarnakObjId eriAnswerObjId(const qryRespBackupData& resp) {
  zarnakObjId id{};
  if (resp.objInfolen >= OBJINFO_ID_OFFSET + ZARNAK_OBJ_ID_SIZE) {
    zarnakObjIdFromBytes(reinterpret_cast<const uint8_t*>(resp.objInfo) + OBJINFO_ID_OFFSET, &id);
  }
  return id;
}

char* eriTimeProcessName(const qryRespBackupData& resp, char* textP) {
  zarnakObjId id = eriAnswerObjId(resp);
  const agentDateTime& t = id.backupTime;
  char full[64];
  std::snprintf(full, sizeof full, "%04u%02u%02u%02u%02u%02u\\%*.*X",
                static_cast<unsigned>(dateYear(&t)), t.month, t.day, t.hour, t.minute, t.second, 8,
                8, id.processId);
  std::snprintf(textP, ERI_OBJECT_NAME_SIZE, "%.*s", ERI_OBJECT_NAME_SIZE - 1, full);
  return textP;
}

int comparePelkRespDbname(MoxtarMetaInfo* aP, MoxtarMetaInfo* bP) {
  return nlsActiveFuncTable()->m_StrICmp(HlDbName(*aP).dbName, HlDbName(*bP).dbName);
}

int compareQryRespBackupDateAscend(MoxtarMetaInfo* aP, MoxtarMetaInfo* bP) {
  zarnakObjId a = eriAnswerObjId(*aP);
  zarnakObjId b = eriAnswerObjId(*bP);
  return dateCompare(&a.backupTime, &b.backupTime);
}

int comparePelkRespDbnameBackupDate(MoxtarMetaInfo* aP, MoxtarMetaInfo* bP) {
  int byName = comparePelkRespDbname(aP, bP);
  return byName != 0 ? byName : compareQryRespBackupDateAscend(aP, bP);
}

DSqlQueryBackupEri::DSqlQueryBackupEri(DSqlQueryBackupParms* parmsP)
    : DSqlQueryBackupEri(parmsP, parmsP != nullptr ? parmsP->qryCommand : 0) {}

DSqlQueryBackupEri::DSqlQueryBackupEri(DSqlQueryBackupParms* parmsP, uint32_t qryCommand)
    : DPelkQueryBackupEri(m_FsSpec, getFsType(), &m_ObjNames,
                          parmsP != nullptr && parmsP->bAll == 1 ? kStateAny : kStateActive,
                          &m_Answers, nullptr),
      m_QueryParmsP(parmsP),
      m_ServerName(),
      m_FsSpec(),
      m_BackupType(BACKUP_TYPE_QUERY_ANY),
      m_SecondNamesP(&m_OwnSecondNames),
      m_PatternsP(&m_NoPatterns),
      m_LastBeforeP(nullptr),
      m_CountBefore(0) {
  TRACE_ENTRY(TRC_ERI, "DSqlQueryBackupEri::DSqlQueryBackupEri()");
  if (parmsP == nullptr) {
    m_fsnameSpecP = nullptr;
    return;
  }
  if (parmsP->qryBuListP != nullptr) {
    m_LastBeforeP = parmsP->qryBuListP->getLast();
    m_CountBefore = parmsP->qryBuListP->getCount();
  }
  m_BackupType = backupTypeOf(qryCommand);
  if (parmsP->objectPatternListP != nullptr) m_PatternsP = parmsP->objectPatternListP;
  if (m_BackupType == BACKUP_TYPE_GROUP || m_BackupType == BACKUP_TYPE_FILE) {
    if (parmsP->groupFileListP != nullptr) m_SecondNamesP = parmsP->groupFileListP;
  } else if ((m_BackupType == BACKUP_TYPE_LOG || m_BackupType == BACKUP_TYPE_SET) &&
             parmsP->objectNameListP != nullptr) {
    for (EriObjectNameEntry* nameP = parmsP->objectNameListP->getFirst(); nameP != nullptr;
         nameP = parmsP->objectNameListP->getNext(nameP)) {
      EriNameEntry copy{};
      std::snprintf(copy.szName, sizeof copy.szName, "%.*s", static_cast<int>(sizeof nameP->szName),
                    nameP->szName);
      m_OwnSecondNames.addTail(&copy);
    }
  }
  std::snprintf(m_ServerName, sizeof m_ServerName, "%s",
                parmsP->sqlServerNameP != nullptr ? parmsP->sqlServerNameP : "");
  int rc = RC_OK;
  if (parmsP->bAllFilespaces == 1) {
    int length = std::snprintf(m_FsSpec, sizeof m_FsSpec, "%s%s*", m_ServerName, FS_NAME_DELIMITER);
    if (length < 0 || static_cast<size_t>(length) >= sizeof m_FsSpec) rc = RC_FS_NAME_TOO_LONG;
  } else {
    rc = buildFsName(m_FsSpec, m_ServerName, 0);
  }
  if (rc != RC_OK) {
    putRcMessage(rc);
    m_fsnameSpecP = nullptr;
  }
}

DSqlQueryBackupEri::~DSqlQueryBackupEri() {
  TRACE_ENTRY(TRC_ERI, "DSqlQueryBackupEri::~DSqlQueryBackupEri()");
}

int DSqlQueryBackupEri::PreConditionCheck() {
  TRACE_ENTRY(TRC_ERI, "DSqlQueryBackupEri::PreConditionCheck()");
  DSqlQueryBackupParms* p = m_QueryParmsP;
  const char* faultP = nullptr;
  if (p == nullptr || m_pelkLogonSessInfoP == nullptr) {
    faultP = "NULL sessInfo pointer on a query backup";
  } else if (p->dbNameListP == nullptr) {
    faultP = "Empty database list on a query backup";
  } else if (p->qryBuListP == nullptr) {
    faultP = "NULL return BU list on a query backup";
  } else if (p->bFillDbElems == 0 && p->bFileInfo != 0) {
    if (p->qryBuListP->getCount() == 0) {
      faultP = "qryRespBackupData list is empty on query with fileinfo only";
    }
    for (MoxtarMetaInfo* entryP = p->qryBuListP->getFirst(); faultP == nullptr && entryP != nullptr;
         entryP = p->qryBuListP->getNext(entryP)) {
      if (entryP->hublorDbElemP == nullptr)
        faultP = "hublorDbElemP is null on query with fileinfo only";
    }
  }
  if (faultP == nullptr) TRACE_RETURN(RC_OK);
  TRACE_LINE(TRC_ERI, "%s\n", faultP);
  TRACE_RETURN(putRcMessage(RC_INTERNAL_ERROR));
}

uint32_t DSqlQueryBackupEri::ProcessQueryData(qryRespBackupData* respP) {
  if (m_PatternsP->getCount() == 0) return ERI_KEEP_ENTRY;
  char name[ERI_OBJECT_NAME_SIZE];
  eriTimeProcessName(*respP, name);
  for (EriObjectNameEntry* patternP = m_PatternsP->getFirst(); patternP != nullptr;
       patternP = m_PatternsP->getNext(patternP)) {
    char pattern[ERI_OBJECT_NAME_SIZE + 1];
    std::snprintf(pattern, sizeof pattern, "%.*s", static_cast<int>(sizeof patternP->szName),
                  patternP->szName);
    if (isMatch(name, pattern, 0) != 0) return ERI_KEEP_ENTRY;
  }
  TRACE_LINE(TRC_ERI, "Dropping backup %s%s (%s): no pattern matches.\n", respP->objName.hl,
             respP->objName.ll, name);
  return 0;
}

int DSqlQueryBackupEri::addObjectName(const char* dbNameP, const char* secondNameP) {
  pelkObjName name;
  std::memset(&name, 0, sizeof name);
  int rc = buildHl(name.hl, dbNameP, secondNameP);
  if (rc != RC_OK) return rc;
  buildQueryLl(name.ll, m_BackupType);
  TRACE_LINE(TRC_ERI, "Query name %s%s\n", name.hl, name.ll);
  return m_ObjNames.addTail(&name);
}

// One name per database and second name. Without second names a backup of any type but full
// and differential has a second part in its high-level name, so the database's names with one
// ("\db\*") are asked for as well, unless the database pattern ends in "*" and covers them.
int DSqlQueryBackupEri::buildObjectNames() {
  TRACE_ENTRY(TRC_ERI, "DSqlQueryBackupEri::buildObjectNames()");
  EriNameList* dbNamesP = m_QueryParmsP->dbNameListP;
  bool withSecondParts = m_BackupType != BACKUP_TYPE_FULL && m_BackupType != BACKUP_TYPE_DIFFFULL;
  for (EriNameEntry* dbP = dbNamesP->getFirst(); dbP != nullptr; dbP = dbNamesP->getNext(dbP)) {
    for (EriNameEntry* secondP = m_SecondNamesP->getFirst(); secondP != nullptr;
         secondP = m_SecondNamesP->getNext(secondP)) {
      int rc = addObjectName(dbP->szName, secondP->szName);
      if (rc != RC_OK) TRACE_RETURN(rc);
    }
    if (m_SecondNamesP->getCount() != 0) continue;
    int rc = addObjectName(dbP->szName, nullptr);
    if (rc != RC_OK) TRACE_RETURN(rc);
    size_t length = std::strlen(dbP->szName);
    bool endsInStar = length > 0 && dbP->szName[length - 1] == '*';
    if (!withSecondParts || endsInStar) continue;
    rc = addObjectName(dbP->szName, "*");
    if (rc != RC_OK) TRACE_RETURN(rc);
  }
  TRACE_RETURN(RC_OK);
}

int DSqlQueryBackupEri::takeAnswers() {
  MoxtarMetaList* listP = m_QueryParmsP->qryBuListP;
  int rc = RC_OK;
  for (qryRespBackupData* answerP = m_Answers.getFirst(); answerP != nullptr;
       answerP = m_Answers.remove(answerP)) {
    if (rc != RC_OK) continue;
    MoxtarMetaInfo entry;
    static_cast<qryRespBackupData&>(entry) = *answerP;
    rc = listP->addTail(&entry);
  }
  return rc;
}

MoxtarMetaInfo* DSqlQueryBackupEri::firstAdded() {
  MoxtarMetaList* listP = m_QueryParmsP->qryBuListP;
  return m_LastBeforeP == nullptr ? listP->getFirst() : listP->getNext(m_LastBeforeP);
}

uint32_t DSqlQueryBackupEri::addedCount() {
  return m_QueryParmsP->qryBuListP->getCount() - m_CountBefore;
}

void DSqlQueryBackupEri::sortAdded() {
  MoxtarMetaList* listP = m_QueryParmsP->qryBuListP;
  uint32_t count = addedCount();
  if (count < 2) return;
  listP->sublistSortbmrg(firstAdded(), listP->getLast(), static_cast<int>(count),
                         comparePelkRespDbnameBackupDate, nullptr);
}

// One entry per backup: later entries of the same database with the same identity (the data
// objects of the backup, when every filespace is asked) are dropped. Where the meta-data object
// is among them, it is the one kept.
void DSqlQueryBackupEri::removeDuplicates() {
  MoxtarMetaList* listP = m_QueryParmsP->qryBuListP;
  for (MoxtarMetaInfo* entryP = firstAdded(); entryP != nullptr; entryP = listP->getNext(entryP)) {
    zarnakObjId id = eriAnswerObjId(*entryP);
    MoxtarMetaInfo* laterP = listP->getNext(entryP);
    while (laterP != nullptr && sameDbNameIgnoringCase(*entryP, *laterP)) {
      if (compareZarnakObjIds(id, eriAnswerObjId(*laterP)) != 0) {
        laterP = listP->getNext(laterP);
        continue;
      }
      if (!isMetaObject(*entryP) && isMetaObject(*laterP)) *entryP = *laterP;
      laterP = listP->remove(laterP);
    }
  }
}

int DSqlQueryBackupEri::addDatabaseElements() {
  TRACE_ENTRY(TRC_ERI, "DSqlQueryBackupEri::addDatabaseElements()");
  DSqlQueryBackupParms* p = m_QueryParmsP;
  if (p->dbElemListP == nullptr) {
    TRACE_LINE(TRC_ERI, "A required %s parameter was not passed.\n", "dbElemListP");
    TRACE_RETURN(putRcMessage(RC_INTERNAL_ERROR));
  }
  for (MoxtarMetaInfo* entryP = firstAdded(); entryP != nullptr;
       entryP = p->qryBuListP->getNext(entryP)) {
    SqlHublorDbElement element;
    std::memset(&element, 0, sizeof element);
    int rc = p->dbElemListP->addTail(&element);
    if (rc != RC_OK) TRACE_RETURN(putRcMessage(rc));
    SqlHublorDbElement* elementP = p->dbElemListP->getLast();
    fillQueryBackupEntry(entryP, elementP);
    elementP->pGroupList = p->dbElemGroupListP;
    elementP->pFileList = p->dbElemFileListP;
  }
  TRACE_RETURN(RC_OK);
}

// A new summary element at the first entry and wherever the database name changes, compared
// in exact case.
int DSqlQueryBackupEri::summarise() {
  CLinkedList<DbSummaryElement>* summaryP = m_QueryParmsP->dbSummaryListP;
  if (summaryP == nullptr) return RC_OK;
  DbSummaryElement* lastP = nullptr;
  for (MoxtarMetaInfo* entryP = firstAdded(); entryP != nullptr;
       entryP = m_QueryParmsP->qryBuListP->getNext(entryP)) {
    HlDbName name(*entryP);
    if (lastP != nullptr && std::strcmp(lastP->szDbName, name.dbName) == 0) {
      lastP->count++;
      continue;
    }
    DbSummaryElement element{};
    std::snprintf(element.szDbName, sizeof element.szDbName, "%.*s",
                  static_cast<int>(sizeof element.szDbName - 1), name.dbName);
    element.firstP = entryP;
    element.count = 1;
    int rc = summaryP->addTail(&element);
    if (rc != RC_OK) return putRcMessage(rc);
    lastP = summaryP->getLast();
  }
  return RC_OK;
}

int DSqlQueryBackupEri::nothingFound() {
  nlsprintf(m_ErrorTextP, ERI_MESSAGE_SIZE, agentRcMessage(RC_NOTHING_FOUND), m_ServerName);
  return RC_NOTHING_FOUND;
}

// The file information of every backup of the list: its meta-data object read into the group
// and file lists of its database element (restoreMetaList, which first puts the list into
// restore order).
int DSqlQueryBackupEri::readFileInfo() {
  TRACE_ENTRY(TRC_ERI, "DSqlQueryBackupEri::readFileInfo()");
  DSqlQueryBackupParms* p = m_QueryParmsP;
  if (p->bMetaMountWait != 0) {
    nlsprintf(m_ErrorTextP, ERI_MESSAGE_SIZE, MSG_MOUNT_WAIT);
    StatusInfo status{};
    status.kind = msgoutStatus;
    status.msgout.textP = m_ErrorTextP;
    if (p->statusFunctionP != nullptr) p->statusFunctionP(status);
  }
  uint32_t read = 0;
  double seconds = 0;
  uint64_t bytes = 0;
  TRACE_RETURN(restoreMetaList(p->nStatusMilliSeconds, p->statusFunctionP, p->qryBuListP, &read,
                               p->bMetaMountWait, p->nBufferSize, p->nBuffers, GetCancelPtr(),
                               sessionHandle(), &seconds, &bytes, m_ErrorTextP));
}

int DSqlQueryBackupEri::ProcessRequestDetails() {
  return queryStoredBackups();
}

int DSqlQueryBackupEri::queryStoredBackups() {
  TRACE_ENTRY(TRC_ERI, "DSqlQueryBackupEri::queryStoredBackups()");
  int rc = PreConditionCheck();
  if (rc != RC_OK) TRACE_RETURN(rc);
  if (m_QueryParmsP->bFillDbElems == 0 && m_QueryParmsP->bFileInfo != 0) {
    TRACE_RETURN(readFileInfo());
  }
  rc = buildObjectNames();
  if (rc != RC_OK) TRACE_RETURN(putRcMessage(rc));
  rc = DPelkQueryBackupEri::ProcessRequestDetails();
  int takeRc = takeAnswers();
  if (rc == RC_OK) rc = takeRc;
  if (rc == RC_NO_FILESPACE_MATCH) TRACE_RETURN(nothingFound());
  if (rc != RC_OK) TRACE_RETURN(rc);
  if (addedCount() == 0) TRACE_RETURN(nothingFound());
  sortAdded();
  removeDuplicates();
  if (m_QueryParmsP->bFillDbElems != 0) rc = addDatabaseElements();
  if (rc != RC_OK) TRACE_RETURN(rc);
  if (m_QueryParmsP->bFileInfo == 0) TRACE_RETURN(summarise());
  // The reading puts the list into restore order: sorted again after it.
  rc = readFileInfo();
  if (rc != RC_OK) TRACE_RETURN(rc);
  sortAdded();
  TRACE_RETURN(summarise());
}
