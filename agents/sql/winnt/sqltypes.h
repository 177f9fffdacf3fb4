// The records of SQL Server access: the logon record, the server's facts, and a database with
// its data-file groups, files and failure messages, as the front ends and requests exchange
// them with CSqlApi. All plain records: texts are zero-terminated narrow text sized with their
// terminator, booleans are 32-bit words (0 or 1), sizes are byte counts.
//
// Ownership: the caller owns the lists that CSqlApi::GetSqlDatabaseInfo appends to; the
// pointers between records (database to first group, group to first file and back) point at
// the copies inside those lists and stay valid until the lists are freed.
#pragma once

#include <cstdint>

#include "linklist.h"
#include "pkint64.h"

// Return codes of SQL Server access.
constexpr int RC_SQL_CONNECT_FAILED = 1900;     // Server.Connect failed
constexpr int RC_SQL_NO_MEMORY = 1901;          // the event sink could not be allocated
constexpr int RC_SQL_VERSION_TOO_OLD = 1903;    // SQL Server older than 7
constexpr int RC_SQL_NOT_SYSADMIN = 1904;       // the login is not in the sysadmin role
constexpr int RC_SQL_HOST_NOT_NET_NAME = 1907;  // host name other than net name, not clustered
constexpr int RC_SQL_STRING_TOO_LONG = 1908;    // a text does not fit its destination
constexpr int RC_SQL_NO_ERROR_INFO = 1910;      // the thread holds no COM error information
constexpr int RC_SQL_COM_SETUP_FAILED = 1913;   // CoInitializeEx, the Application, the sink
constexpr int RC_SQL_API_FAILURE = 1914;        // a SQL-DMO call or a conversion failed

enum SqlAuth : int32_t {
  SqlIntegrated = 0,  // Windows authentication
  SqlUserid = 1,      // SQL Server login and password
};

// Called by LogonServer after each attempt when set: may change the mode, user and password
// and returns 0 to go on, 415 to give up, anything else to try again.
typedef int (*SqlLogonCallback)(int* rcP, int32_t* authP, const char* errorTextP, char* userP,
                                char* passwordP);

constexpr int SQL_PASSWORD_SIZE = 129;
constexpr int SQL_SERVER_NAME_SIZE = 33;
constexpr int SQL_USER_SIZE = 129;

struct SqlLogonInfo {
  char szSqlPassword[SQL_PASSWORD_SIZE];
  char szSqlServer[SQL_SERVER_NAME_SIZE];  // machine, or machine\instance; passed on unchanged
  char szSqlUser[SQL_USER_SIZE];
  SqlLogonCallback pfnLogonCallback;  // both front ends pass none
  int32_t enumSqlAuth;                // SqlAuth
};

struct SqlServerElement {
  int32_t lSqlDefaultCodePage;
  int32_t lSqlDefaultSortOrderId;             // SQL Server 7 only
  int32_t lSqlDefaultUnicodeLocaleId;         // SQL Server 7 only
  int32_t lSqlDefaultUnicodeComparisonStyle;  // SQL Server 7 only
  int32_t lSqlVersionMajor;
  int32_t lSqlVersionMinor;
  char szSqlServerBuild[5];
  char szSqlHostName[16];
  char szSqlInstanceName[17];  // empty for a default instance and below SQL Server 2000
  char szSqlServerName[SQL_SERVER_NAME_SIZE];
  int32_t bSqlIsClustered;
  int32_t lReserved;  // zeroed at construction of CSqlApi, copied, never set
};

// One installed instance's server name, an element of GetSqlServerInfo's instance list.
struct SqlInstanceElement {
  char szServerName[SQL_SERVER_NAME_SIZE];
};

struct SqlDatabaseElement;
struct SqlGroupElement;

struct SqlFileElement {
  SqlGroupElement* peFileGroup;
  pkInt64 u64FileSize;
  pkInt64 u64FileSpaceUsed;  // 0 for a log file
  int32_t lFileNum;          // within the database from 0: data files, then log files
  int32_t bFileIsPrimary;
  int32_t bFileIsLog;
  int32_t bFileIsSelected;
  char szFileLogicalName[129];
  char szFilePhysicalName[261];  // trailing blanks removed
  int32_t bFileIsExcluded;       // keeps the file out of selection by pattern; none is set here
};

constexpr const char* SQL_LOG_GROUP_NAME = "TRANSACTION LOG";

struct SqlGroupElement {
  SqlFileElement* peGroupFirstFile;
  SqlDatabaseElement* peGroupDatabase;
  pkInt64 u64GroupFileSize;
  pkInt64 u64GroupSpaceUsed;
  int32_t lGroupNum;  // from 0 counting only groups with files; 0 for the log pseudo-group
  int32_t lGroupNumFiles;
  int32_t bGroupIsSelected;
  int32_t bGroupFileIsSelected;
  int32_t bGroupIsPrimary;
  int32_t bGroupIsLog;  // the pseudo-group SQL_LOG_GROUP_NAME
  char szGroupName[129];
  int32_t bGroupIsExcluded;  // keeps the group and its files out of selection by pattern; none
                             // is set here
};

struct SqlDbMessage {
  SqlDatabaseElement* peDatabase;
  char szMessage[1028];
};

constexpr int SQL_DATABASE_NAME_SIZE = 129;
constexpr int SQL_DATABASE_STATUS_SIZE = 51;

struct SqlDatabaseElement {
  SqlGroupElement* peDbFirstGroup;
  int32_t lReserved;
  SqlDbMessage* peDbMessage;
  CLinkedList<SqlDbMessage>* pDbMessageList;   // must be set when information is requested
  CLinkedList<SqlGroupElement>* pDbGroupList;  // null: groups are not kept
  CLinkedList<SqlFileElement>* pDbFileList;    // null: files are not kept
  void* pDbRequesterList;                      // the requester's, not used here
  int32_t lSqlReturnCode;
  pkInt64 u64DbDataFileSize;
  pkInt64 u64DbDataSpaceUsed;
  pkInt64 u64DbLogFileSize;
  pkInt64 u64DbLogSpaceUsed;
  int32_t lDbNumDataGroups;
  int32_t lDbNumDataFiles;
  int32_t lDbNumLogFiles;
  int32_t lDbCompatibilityLevel;
  int32_t lDbVersion;
  int32_t bDbInfoIsLoaded;  // its groups and files are in the lists already: read no more
  int32_t bDbIsUnreadable;
  int32_t bSqlDbIsSelected;
  int32_t bDbGroupIsSelected;
  int32_t bDbFileIsSelected;
  int32_t bDbIsSystemDatabase;
  int32_t bDbIsTruncateLogOnCheckpoint;
  int32_t bDbIsSelectIntoBulkCopy;
  int32_t bDbIsDboUseOnly;
  int32_t bDbIsReadOnly;
  int32_t bDbIsSingleUser;
  int32_t bDbIsAutoClose;
  int32_t bDbIsAutoShrink;
  int32_t bDbIsTornPageDetection;
  char szSqlDatabaseName[SQL_DATABASE_NAME_SIZE];
  char szSqlDatabaseStatus[SQL_DATABASE_STATUS_SIZE];  // empty for a database in normal state
};

// One object of a backup: a whole database (group and file null), a group or a file.
struct SqlDbInfo {
  SqlDatabaseElement* sqlDatabaseElementP;
  SqlGroupElement* sqlGroupElementP;
  SqlFileElement* sqlFileElementP;
  int32_t nActionRc;
};
