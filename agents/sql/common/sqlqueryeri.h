// The SQL-side queries: what the local SQL Server is (DSqlQuerySqlEri), which databases it has
// and which of them name patterns select (DSqlQuerySqlDbEri), and the groups and files of the
// selected databases with their selection by group and file patterns (DSqlQuerySqlDbInfoEri).
// Every call goes through the program's one SQL Server access object, gSqlApiP; the results are
// the caller's records and lists, filled in place. Set-up and clean-up do nothing, so
// ProcessRequest gives the code of the details.
//
// Threads: a query runs on its caller's thread; only its cancel flag is written by another,
// and it is looked at before each database and by the access layer while it waits. The case
// mode of the database match is the request's own; the process-wide mode is never changed.
#pragma once

#include <cstdint>

#include "agtrc.h"
#include "baseeri.h"
#include "eriparms.h"
#include "sqltypes.h"

class DSqlQuerySqlEri : public DBaseQueryEri {
 public:
  // The server element to fill, the list for the installed instances (or null) and the
  // message buffer (NLS_MSG_MAX bytes, or null), emptied here.
  DSqlQuerySqlEri(SqlServerElement* serverP, CLinkedList<SqlInstanceElement>* instanceListP,
                  char* msgBufferP);
  int SetupEnvironment() override { return RC_OK; }
  int CleanupEnvironment() override { return RC_OK; }
  // The access layer's code; 415 when the cancel flag is set afterwards; 419 without the
  // server element or the access object.
  int ProcessRequestDetails() override;

 protected:
  SqlServerElement* m_ServerP;
  CLinkedList<SqlInstanceElement>* m_InstanceListP;
  char* m_MsgBufferP;
};

class DSqlQuerySqlDbEri : public DBaseQueryEri {
 public:
  // The list that receives one element per database, the message buffer (emptied here), the
  // name patterns (null: the selection flags stay as the access layer set them) and an outside
  // cancel flag (null: the request's own).
  DSqlQuerySqlDbEri(CLinkedList<SqlDatabaseElement>* dbListP, char* msgBufferP,
                    EriNameList* namePatternListP, uint32_t* cancelP);
  int SetupEnvironment() override { return RC_OK; }
  int CleanupEnvironment() override { return RC_OK; }
  // Lists the databases, then selects by pattern: each database's selection flag is cleared
  // and set again when a pattern matches its name exactly in case; a database whose reading
  // failed is never selected. The access layer's code, 415 or 419.
  int ProcessRequestDetails() override;

 protected:
  CLinkedList<SqlDatabaseElement>* m_DbListP;
  char* m_MsgBufferP;
  EriNameList* m_NamePatternListP;
};

class DSqlQuerySqlDbInfoEri : public DBaseQueryEri {
 public:
  // The databases; the list of their failure messages (emptied here), the group list, the
  // group patterns, the file list, the file patterns and the requester's list, handed to each
  // database read in that order (message, group, file and requester list); an outside cancel
  // flag or null.
  DSqlQuerySqlDbInfoEri(CLinkedList<SqlDatabaseElement>* dbListP,
                        CLinkedList<SqlDbMessage>* messageListP,
                        CLinkedList<SqlGroupElement>* groupListP, EriNameList* groupPatternListP,
                        CLinkedList<SqlFileElement>* fileListP, EriNameList* filePatternListP,
                        void* requesterListP, uint32_t* cancelP);
  int SetupEnvironment() override { return RC_OK; }
  int CleanupEnvironment() override { return RC_OK; }
  // Reads every selected database whose information is not loaded yet and, with group
  // patterns, selects its groups and (with file patterns too) their files, matched under the
  // process-wide case mode. A database that cannot be read keeps its code and message and the
  // others go on. 0, 415 or 419.
  int ProcessRequestDetails() override;

 protected:
  void selectGroups(SqlDatabaseElement* dbP, uint32_t ignoreCase);
  void selectFiles(SqlDatabaseElement* dbP, SqlGroupElement* groupP, uint32_t ignoreCase);
  // 1 when a pattern of the list matches the name.
  uint32_t anyMatch(EriNameList* patternsP, const char* nameP, uint32_t ignoreCase);

  CLinkedList<SqlDatabaseElement>* m_DbListP;
  CLinkedList<SqlDbMessage>* m_MessageListP;
  CLinkedList<SqlGroupElement>* m_GroupListP;
  EriNameList* m_GroupPatternListP;
  CLinkedList<SqlFileElement>* m_FileListP;
  EriNameList* m_FilePatternListP;
  void* m_RequesterListP;
};

// The entry functions of the three queries. Each writes its activity-log line, runs its
// request as the current request and, with the PERFormance trace on, logs the elapsed time.
// logFlag 1 logs the server query (message 5221) and the database query with its patterns
// (5222); the database query otherwise logs 5229.
int eriQuerySqlServer(SqlServerElement* serverP, CLinkedList<SqlInstanceElement>* instanceListP,
                      char* msgBufferP, uint32_t logFlag);
int eriQuerySqlServerDb(CLinkedList<SqlDatabaseElement>* dbListP, char* msgBufferP,
                        EriNameList* namePatternListP, uint32_t logFlag);
int eriQuerySqlServerDbInfo(CLinkedList<SqlDatabaseElement>* dbListP,
                            CLinkedList<SqlDbMessage>* messageListP,
                            CLinkedList<SqlGroupElement>* groupListP,
                            EriNameList* groupPatternListP, CLinkedList<SqlFileElement>* fileListP,
                            EriNameList* filePatternListP, void* requesterListP);
