// The SQL-side queries and their entry functions.
#include "sqlqueryeri.h"

#include "agtlog.h"
#include "agtrc.h"
#include "agttrc.h"
#include "sqlapi.h"

namespace {

constexpr int MSG_QUERY_SERVER = 5221;
constexpr int MSG_QUERY_DATABASES_NAMED = 5222;
constexpr int MSG_QUERY_DATABASES = 5229;

// The database names are matched exactly in case.
constexpr uint32_t kDatabaseIgnoreCase = 0;

void logActivity(int msgNum, const char* insertP = nullptr) {
  if (gLogP == nullptr) return;
  if (insertP == nullptr) {
    gLogP->LogActivityLog(msgNum);
  } else {
    gLogP->LogActivityLog(msgNum, insertP);
  }
}

void clearText(char* textP) {
  if (textP != nullptr) textP[0] = '\0';
}

}  // namespace

DSqlQuerySqlEri::DSqlQuerySqlEri(SqlServerElement* serverP,
                                 CLinkedList<SqlInstanceElement>* instanceListP, char* msgBufferP)
    : m_ServerP(serverP), m_InstanceListP(instanceListP), m_MsgBufferP(msgBufferP) {
  TRACE_ENTRY(TRC_ERI, "DSqlQuerySqlEri::DSqlQuerySqlEri()");
  clearText(m_MsgBufferP);
}

int DSqlQuerySqlEri::ProcessRequestDetails() {
  TRACE_ENTRY(TRC_ERI, "DSqlQuerySqlEri::ProcessRequestDetails()");
  if (gSqlApiP == nullptr || m_ServerP == nullptr) {
    TRACE_LINE(TRC_ERI, "No SQL Server access object or no server element was given.\n");
    TRACE_RETURN(RC_INTERNAL_ERROR);
  }
  uint32_t* cancelP = GetCancelPtr();
  char* msgBufferP = m_MsgBufferP;
  CLinkedList<SqlInstanceElement>* instanceListP = m_InstanceListP;
  int rc = gSqlApiP->GetSqlServerInfo(m_ServerP, &cancelP, &msgBufferP, &instanceListP);
  if (eriIsCancelled(cancelP)) TRACE_RETURN(RC_CANCELED_BY_USER);
  TRACE_RETURN(rc);
}

DSqlQuerySqlDbEri::DSqlQuerySqlDbEri(CLinkedList<SqlDatabaseElement>* dbListP, char* msgBufferP,
                                     EriNameList* namePatternListP, uint32_t* cancelP)
    : DBaseQueryEri(cancelP),
      m_DbListP(dbListP),
      m_MsgBufferP(msgBufferP),
      m_NamePatternListP(namePatternListP) {
  TRACE_ENTRY(TRC_ERI, "DSqlQuerySqlDbEri::DSqlQuerySqlDbEri()");
  clearText(m_MsgBufferP);
}

int DSqlQuerySqlDbEri::ProcessRequestDetails() {
  TRACE_ENTRY(TRC_ERI, "DSqlQuerySqlDbEri::ProcessRequestDetails()");
  if (gSqlApiP == nullptr || m_DbListP == nullptr) {
    TRACE_LINE(TRC_ERI, "No SQL Server access object or no database list was given.\n");
    TRACE_RETURN(RC_INTERNAL_ERROR);
  }
  if (GetCancelStatus() != 0) TRACE_RETURN(RC_CANCELED_BY_USER);
  uint32_t status = 0;
  uint32_t* cancelP = GetCancelPtr();
  char* msgBufferP = m_MsgBufferP;
  int rc = gSqlApiP->GetSqlDatabaseNames(m_DbListP, &status, cancelP, msgBufferP);
  if (rc != RC_OK || m_NamePatternListP == nullptr) TRACE_RETURN(rc);
  for (SqlDatabaseElement* dbP = m_DbListP->getFirst(); dbP != nullptr;
       dbP = m_DbListP->getNext(dbP)) {
    if (GetCancelStatus() != 0) TRACE_RETURN(RC_CANCELED_BY_USER);
    dbP->bSqlDbIsSelected = 0;
    if (dbP->bDbIsUnreadable != 0) continue;
    for (EriNameEntry* patternP = m_NamePatternListP->getFirst(); patternP != nullptr;
         patternP = m_NamePatternListP->getNext(patternP)) {
      if (isMatch(dbP->szSqlDatabaseName, patternP->szName, kDatabaseIgnoreCase) == 0) continue;
      dbP->bSqlDbIsSelected = 1;
      break;
    }
  }
  TRACE_RETURN(RC_OK);
}

DSqlQuerySqlDbInfoEri::DSqlQuerySqlDbInfoEri(CLinkedList<SqlDatabaseElement>* dbListP,
                                             CLinkedList<SqlDbMessage>* messageListP,
                                             CLinkedList<SqlGroupElement>* groupListP,
                                             EriNameList* groupPatternListP,
                                             CLinkedList<SqlFileElement>* fileListP,
                                             EriNameList* filePatternListP, void* requesterListP,
                                             uint32_t* cancelP)
    : DBaseQueryEri(cancelP),
      m_DbListP(dbListP),
      m_MessageListP(messageListP),
      m_GroupListP(groupListP),
      m_GroupPatternListP(groupPatternListP),
      m_FileListP(fileListP),
      m_FilePatternListP(filePatternListP),
      m_RequesterListP(requesterListP) {
  TRACE_ENTRY(TRC_ERI, "DSqlQuerySqlDbInfoEri::DSqlQuerySqlDbInfoEri()");
  if (m_MessageListP != nullptr) m_MessageListP->freeAll();
}

uint32_t DSqlQuerySqlDbInfoEri::anyMatch(EriNameList* patternsP, const char* nameP,
                                         uint32_t ignoreCase) {
  for (EriNameEntry* patternP = patternsP->getFirst(); patternP != nullptr;
       patternP = patternsP->getNext(patternP)) {
    if (isMatch(nameP, patternP->szName, ignoreCase) != 0) return 1;
  }
  return 0;
}

// The files of one group follow each other in the database's file list.
void DSqlQuerySqlDbInfoEri::selectFiles(SqlDatabaseElement* dbP, SqlGroupElement* groupP,
                                        uint32_t ignoreCase) {
  CLinkedList<SqlFileElement>* filesP = dbP->pDbFileList;
  if (filesP == nullptr) return;
  for (SqlFileElement* fileP = groupP->peGroupFirstFile;
       fileP != nullptr && fileP->peFileGroup == groupP; fileP = filesP->getNext(fileP)) {
    if (fileP->bFileIsExcluded != 0) continue;
    if (anyMatch(m_FilePatternListP, fileP->szFileLogicalName, ignoreCase) == 0) continue;
    fileP->bFileIsSelected = 1;
    groupP->bGroupFileIsSelected = 1;
    dbP->bDbFileIsSelected = 1;
  }
}

// The groups of one database follow each other in the group list, its first group first.
void DSqlQuerySqlDbInfoEri::selectGroups(SqlDatabaseElement* dbP, uint32_t ignoreCase) {
  CLinkedList<SqlGroupElement>* groupsP = dbP->pDbGroupList;
  if (groupsP == nullptr) return;
  for (SqlGroupElement* groupP = dbP->peDbFirstGroup;
       groupP != nullptr && groupP->peGroupDatabase == dbP; groupP = groupsP->getNext(groupP)) {
    if (groupP->bGroupIsExcluded != 0) continue;
    if (anyMatch(m_GroupPatternListP, groupP->szGroupName, ignoreCase) != 0) {
      groupP->bGroupIsSelected = 1;
      dbP->bDbGroupIsSelected = 1;
    }
    if (m_FilePatternListP != nullptr) selectFiles(dbP, groupP, ignoreCase);
  }
}

int DSqlQuerySqlDbInfoEri::ProcessRequestDetails() {
  TRACE_ENTRY(TRC_ERI, "DSqlQuerySqlDbInfoEri::ProcessRequestDetails()");
  if (m_DbListP == nullptr) {
    TRACE_LINE(TRC_ERI, "No database list was given.\n");
    TRACE_RETURN(RC_INTERNAL_ERROR);
  }
  uint32_t ignoreCase = GetIgnoreCase();
  for (SqlDatabaseElement* dbP = m_DbListP->getFirst(); dbP != nullptr;
       dbP = m_DbListP->getNext(dbP)) {
    if (dbP->bSqlDbIsSelected == 0 || dbP->bDbInfoIsLoaded != 0) continue;
    if (GetCancelStatus() != 0) TRACE_RETURN(RC_CANCELED_BY_USER);
    if (gSqlApiP == nullptr) {
      TRACE_LINE(TRC_ERI, "No SQL Server access object was given.\n");
      TRACE_RETURN(RC_INTERNAL_ERROR);
    }
    dbP->pDbMessageList = m_MessageListP;
    dbP->pDbGroupList = m_GroupListP;
    dbP->pDbFileList = m_FileListP;
    dbP->pDbRequesterList = m_RequesterListP;
    uint32_t* cancelP = GetCancelPtr();
    int rc = gSqlApiP->GetSqlDatabaseInfo(&dbP, &cancelP);
    if (rc != RC_OK) {
      // The code and its message stay with the database for the one who backs it up.
      TRACE_LINE(TRC_ERI, "Database %s could not be read, rc = %d\n", dbP->szSqlDatabaseName, rc);
      continue;
    }
    if (m_GroupPatternListP != nullptr) selectGroups(dbP, ignoreCase);
  }
  // A cancel during the last database's reading ends the query as cancelled too.
  TRACE_RETURN(GetCancelStatus() != 0 ? RC_CANCELED_BY_USER : 0);
}

int eriQuerySqlServer(SqlServerElement* serverP, CLinkedList<SqlInstanceElement>* instanceListP,
                      char* msgBufferP, uint32_t logFlag) {
  TRACE_ENTRY(TRC_ERI, "eriQuerySqlServer()");
  if (logFlag != 0) logActivity(MSG_QUERY_SERVER);
  DSqlQuerySqlEri request(serverP, instanceListP, msgBufferP);
  TRACE_RETURN(eriRunRequest(&request, "dSqlQuerySqlEriObj.ProcessRequest()", 1));
}

int eriQuerySqlServerDb(CLinkedList<SqlDatabaseElement>* dbListP, char* msgBufferP,
                        EriNameList* namePatternListP, uint32_t logFlag) {
  TRACE_ENTRY(TRC_ERI, "eriQuerySqlServerDb()");
  if (logFlag != 0) {
    char names[ERI_NAME_TEXT_SIZE];
    logActivity(MSG_QUERY_DATABASES_NAMED, eriNameListText(namePatternListP, names));
  } else {
    logActivity(MSG_QUERY_DATABASES);
  }
  DSqlQuerySqlDbEri request(dbListP, msgBufferP, namePatternListP, nullptr);
  TRACE_RETURN(eriRunRequest(&request, "dSqlQuerySqlDbEriObj.ProcessRequest()", 1));
}

int eriQuerySqlServerDbInfo(CLinkedList<SqlDatabaseElement>* dbListP,
                            CLinkedList<SqlDbMessage>* messageListP,
                            CLinkedList<SqlGroupElement>* groupListP,
                            EriNameList* groupPatternListP, CLinkedList<SqlFileElement>* fileListP,
                            EriNameList* filePatternListP, void* requesterListP) {
  TRACE_ENTRY(TRC_ERI, "eriQuerySqlServerDbInfo()");
  DSqlQuerySqlDbInfoEri request(dbListP, messageListP, groupListP, groupPatternListP, fileListP,
                                filePatternListP, requesterListP, nullptr);
  TRACE_RETURN(eriRunRequest(&request, "dSqlQuerySqlDbInfoEriObj.ProcessRequest()", 1));
}
