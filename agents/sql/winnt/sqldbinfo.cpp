// CSqlApi::GetSqlDatabaseInfo: one database's options, status, data-file groups, files and
// sizes, appended to the caller's lists with the links between the records.
//
// Each database contributes, in list order, its data-file groups by ordinal (groups without
// files left out), then the pseudo-group "TRANSACTION LOG"; and its data files group by group,
// then its log files. Group numbers count only groups with files; file numbers run over the
// data files and go on with the log files.
#include <cstdio>
#include <cstring>

#include "errormsg.h"
#include "msgout.h"
#include "sqlapiint.h"
#include "sqldbvalues.h"

namespace {

constexpr const char* kOp = "CSqlApi::GetSqlDatabaseInfo";
constexpr const char* kStatusOp = "CSqlApi::GetSqlDatabaseStatus";

#define DBINFO_FAILED(hr, ...) \
  CallFailed(RC_SQL_API_FAILURE, sqlRcName(RC_SQL_API_FAILURE), hr, kOp, __VA_ARGS__)

void trimTrailingBlanks(char* textP) {
  size_t length = strlen(textP);
  while (length > 0 && textP[length - 1] == ' ') textP[--length] = 0;
}

struct OptionRead {
  HRESULT (ISQLDMODBOption::*getP)(BOOL*);
  int32_t SqlDatabaseElement::*fieldP;
  const char* callP;
};
const OptionRead kOptionReads[] = {
    {&ISQLDMODBOption::GetReadOnly, &SqlDatabaseElement::bDbIsReadOnly, "DBOptions.GetReadeOnly()"},
    {&ISQLDMODBOption::GetDBOUseOnly, &SqlDatabaseElement::bDbIsDboUseOnly,
     "DBOptions.GetDBOUseOnly()"},
    {&ISQLDMODBOption::GetSelectIntoBulkCopy, &SqlDatabaseElement::bDbIsSelectIntoBulkCopy,
     "DBOptions.GetSelectIntoBulkCopy()"},
    {&ISQLDMODBOption::GetSingleUser, &SqlDatabaseElement::bDbIsSingleUser,
     "DBOptions.GetSingleUser()"},
    {&ISQLDMODBOption::GetTruncateLogOnCheckpoint,
     &SqlDatabaseElement::bDbIsTruncateLogOnCheckpoint, "DBOptions.GetTruncateLogOnCheckpoint()"},
    {&ISQLDMODBOption::GetAutoClose, &SqlDatabaseElement::bDbIsAutoClose,
     "DBOptions.GetAutoClose()"},
    {&ISQLDMODBOption::GetAutoShrink, &SqlDatabaseElement::bDbIsAutoShrink,
     "DBOptions.GetAutoShrink()"},
    {&ISQLDMODBOption::GetTornPageDetection, &SqlDatabaseElement::bDbIsTornPageDetection,
     "DBOptions.GetTornPageDetection()"},
};

}  // namespace

int CSqlApi::GetSqlDatabaseInfo(SqlDatabaseElement** databasePP, uint32_t** cancelPP) {
  BeginOperation();
  TRACE_ENTRY_FRAME(TRC_SQLAPI, kOp, gSqlApiTraceFrame, mszRcName);
  mhrLast = S_OK;
  SqlDatabaseElement* dbP = databasePP != nullptr ? *databasePP : nullptr;
  if (dbP == nullptr) TRACE_RETURN(RC_INTERNAL_ERROR);
  uint32_t* cancelP = cancelPP != nullptr ? *cancelPP : nullptr;
  dbP->lSqlReturnCode = 0;
  dbP->bDbInfoIsLoaded = 0;
  dbP->u64DbDataFileSize = pkInt64FromNative(0);
  dbP->u64DbDataSpaceUsed = pkInt64FromNative(0);
  int rc = ReadDatabaseInfo(dbP, cancelP);
  ReleaseTimed(mpDmoDatabase);
  rc = EndOperation(kOp, rc, cancelP);
  if (rc != RC_OK) {
    KeepDatabaseFailure(dbP, rc);
    TRACE_RETURN(rc);
  }
  dbP->bDbInfoIsLoaded = 1;
  TRACE_RETURN(RC_OK);
}

int CSqlApi::GetSqlDatabaseStatus(const char* nameP, char* textP, size_t textSize,
                                  uint32_t* cancelP) {
  BeginOperation();
  TRACE_ENTRY_FRAME(TRC_SQLAPI, kStatusOp, gSqlApiTraceFrame, mszRcName);
  mhrLast = S_OK;
  textP[0] = 0;
  int rc = ReadDatabaseStatus(nameP, textP, textSize, cancelP);
  ReleaseTimed(mpDmoDatabase);
  TRACE_RETURN(EndOperation(kStatusOp, rc, cancelP));
}

int CSqlApi::ReadDatabaseStatus(const char* nameP, char* textP, size_t textSize,
                                uint32_t* cancelP) {
  int rc = LogonServer(cancelP);
  if (rc != RC_OK) return rc;
  WCHAR name[SQL_DATABASE_NAME_SIZE];
  rc = CopyNToU(nameP, name, sizeof name);
  if (rc != RC_OK) return rc;
  HRESULT hr = SQLAPI_CALL(mpDmoServer->GetDatabaseByName(name, &mpDmoDatabase));
  if (FAILED(hr)) return DBINFO_FAILED(hr, "Server.GetDatabaseByName(%s)", nameP);
  LONG status = 0;
  hr = SQLAPI_CALL(mpDmoDatabase->GetStatus(&status));
  if (FAILED(hr)) return DBINFO_FAILED(hr, "Database.GetStatus()");
  sqlDatabaseStatusText(status, textP, textSize);
  return RC_OK;
}

// The failure's message goes into the database's message list, where the front ends show it.
void CSqlApi::KeepDatabaseFailure(SqlDatabaseElement* dbP, int rc) {
  SqlDbMessage message;
  memset(&message, 0, sizeof message);
  message.peDatabase = dbP;
  nlsprintf(message.szMessage, sizeof message.szMessage, agentRcMessage(rc), mszErrorText);
  SQLAPI_TRACE("SQLAPI-%s %s\n", kOp, message.szMessage);
  dbP->lSqlReturnCode = rc;
  if (dbP->pDbMessageList == nullptr || dbP->pDbMessageList->addTail(&message) != 0) return;
  dbP->peDbMessage = dbP->pDbMessageList->getLast();
}

int CSqlApi::ReadDatabaseInfo(SqlDatabaseElement* dbP, uint32_t* cancelP) {
  if (dbP->szSqlDatabaseName[0] == 0) {
    return CheckFailed(RC_SQL_API_FAILURE, sqlRcName(RC_SQL_API_FAILURE), kOp, __LINE__,
                       "StringLenN(peDatabase->szSqlDatabaseName:%i", 0);
  }
  if (sqlIsCanceled(cancelP)) return RC_OK;
  int rc = LogonServer(cancelP);
  if (rc != RC_OK) return rc;
  WCHAR name[SQL_DATABASE_NAME_SIZE];
  rc = CopyNToU(dbP->szSqlDatabaseName, name, sizeof name);
  if (rc != RC_OK) return rc;
  if (sqlIsCanceled(cancelP)) return RC_OK;
  HRESULT hr = SQLAPI_CALL(mpDmoServer->GetDatabaseByName(name, &mpDmoDatabase));
  if (FAILED(hr)) return DBINFO_FAILED(hr, "Server.GetDatabaseByName(%s)", dbP->szSqlDatabaseName);
  if (sqlIsCanceled(cancelP)) return RC_OK;
  LONG status = 0;
  hr = SQLAPI_CALL(mpDmoDatabase->GetStatus(&status));
  if (FAILED(hr)) return DBINFO_FAILED(hr, "Database.GetStatus()");
  sqlDatabaseStatusText(status, dbP->szSqlDatabaseStatus, sizeof dbP->szSqlDatabaseStatus);
  if (sqlIsCanceled(cancelP)) return RC_OK;
  hr = SQLAPI_CALL(mpDmoDatabase->GetCompatibilityLevel(&dbP->lDbCompatibilityLevel));
  if (FAILED(hr)) return DBINFO_FAILED(hr, "Database.GetCompatibilityLevel()");
  if (sqlIsCanceled(cancelP)) return RC_OK;
  hr = SQLAPI_CALL(mpDmoDatabase->GetVersion(&dbP->lDbVersion));
  if (FAILED(hr)) return DBINFO_FAILED(hr, "Database.GetVersion()");
  if (sqlIsCanceled(cancelP)) return RC_OK;
  BOOL system = FALSE;
  hr = SQLAPI_CALL(mpDmoDatabase->GetSystemObject(&system));
  if (FAILED(hr)) return DBINFO_FAILED(hr, "Database.GetSystemObject()");
  dbP->bDbIsSystemDatabase = system != FALSE;
  rc = ReadDatabaseOptions(dbP, cancelP);
  if (rc != RC_OK) return rc;
  rc = ReadDataGroups(dbP, cancelP);
  if (rc != RC_OK) return rc;
  SqlGroupElement logGroup;
  rc = ReadLogGroup(dbP, &logGroup, cancelP);
  if (rc != RC_OK || sqlIsCanceled(cancelP)) return rc;
  ReleaseTimed(mpDmoDatabase);
  return LinkDatabase(dbP, &logGroup);
}

int CSqlApi::ReadDatabaseOptions(SqlDatabaseElement* dbP, uint32_t* cancelP) {
  if (sqlIsCanceled(cancelP)) return RC_OK;
  ISQLDMODBOption* optionsP = nullptr;
  HRESULT hr = SQLAPI_CALL(mpDmoDatabase->GetDBOption(&optionsP));
  if (FAILED(hr)) return DBINFO_FAILED(hr, "Database.GetDBOption()");
  int rc = 0;
  for (const OptionRead& read : kOptionReads) {
    if (sqlIsCanceled(cancelP)) break;
    BOOL on = FALSE;
    hr = SQLAPI_CALL((optionsP->*read.getP)(&on));
    if (FAILED(hr)) {
      rc = DBINFO_FAILED(hr, "%s", read.callP);
      break;
    }
    dbP->*read.fieldP = on != FALSE;
  }
  ReleaseTimed(optionsP);
  return rc;
}

int CSqlApi::ReadDataGroups(SqlDatabaseElement* dbP, uint32_t* cancelP) {
  if (sqlIsCanceled(cancelP)) return RC_OK;
  LONG count = 0;
  HRESULT hr = SQLAPI_CALL(mpDmoDatabase->GetFileGroupCount(&count));
  if (FAILED(hr)) return DBINFO_FAILED(hr, "Database.GetFileGroupCount()");
  if (count <= 0) {
    return CheckFailed(RC_SQL_API_FAILURE, sqlRcName(RC_SQL_API_FAILURE), kOp, __LINE__,
                       "Database.GetFileGroupCount:%i", count);
  }
  dbP->lDbNumDataGroups = count;
  dbP->lDbNumDataFiles = 0;
  int32_t groupCounter = 0;
  for (LONG ordinal = 0; ordinal < count; ++ordinal) {
    if (sqlIsCanceled(cancelP)) return RC_OK;
    SqlGroupElement group;
    memset(&group, 0, sizeof group);
    group.lGroupNum = groupCounter++;
    ISQLDMOFileGroup* groupP = nullptr;
    hr = SQLAPI_CALL(mpDmoDatabase->GetFileGroupByOrd(ordinal, &groupP));
    if (FAILED(hr)) return DBINFO_FAILED(hr, "Database.GetFileGroupByOrd(%i)(%i)", ordinal, count);
    int rc = ReadDataGroup(dbP, groupP, &group, cancelP);
    ReleaseTimed(groupP);
    if (rc != RC_OK || sqlIsCanceled(cancelP)) return rc;
    if (group.lGroupNumFiles == 0) {
      --groupCounter;
      continue;
    }
    dbP->u64DbDataFileSize = pkInt64Add(dbP->u64DbDataFileSize, group.u64GroupFileSize);
    dbP->u64DbDataSpaceUsed = pkInt64Add(dbP->u64DbDataSpaceUsed, group.u64GroupSpaceUsed);
    rc = AppendGroup(dbP, &group);
    if (rc != RC_OK) return rc;
  }
  dbP->lDbNumDataGroups = groupCounter;
  return RC_OK;
}

// Appends the group and points its files (from its first file to the end of the file list)
// at the appended copy.
int CSqlApi::AppendGroup(SqlDatabaseElement* dbP, SqlGroupElement* groupElP) {
  if (dbP->pDbGroupList == nullptr) return RC_OK;
  int rc = dbP->pDbGroupList->addTail(groupElP);
  if (rc != RC_OK) return rc;
  SqlGroupElement* appendedP = dbP->pDbGroupList->getLast();
  if (dbP->peDbFirstGroup == nullptr) dbP->peDbFirstGroup = appendedP;
  if (appendedP->peGroupFirstFile == nullptr || dbP->pDbFileList == nullptr) return RC_OK;
  for (SqlFileElement* fileP = appendedP->peGroupFirstFile; fileP != nullptr;
       fileP = dbP->pDbFileList->getNext(fileP)) {
    fileP->peFileGroup = appendedP;
  }
  return RC_OK;
}

int CSqlApi::ReadDataGroup(SqlDatabaseElement* dbP, ISQLDMOFileGroup* groupP,
                           SqlGroupElement* groupElP, uint32_t* cancelP) {
  if (sqlIsCanceled(cancelP)) return RC_OK;
  BSTR name = nullptr;
  HRESULT hr = SQLAPI_CALL(groupP->GetName(&name));
  if (FAILED(hr)) return DBINFO_FAILED(hr, "Group.GetName()");
  int rc = CopyBToNAndFree(name, groupElP->szGroupName, sizeof groupElP->szGroupName);
  if (rc != RC_OK) return rc;
  if (sqlIsCanceled(cancelP)) return RC_OK;
  hr = SQLAPI_CALL(groupP->GetDBFileCount(&groupElP->lGroupNumFiles));
  if (FAILED(hr)) return DBINFO_FAILED(hr, "Group.GetDBFileCount()");
  if (groupElP->lGroupNumFiles < 0) {
    return CheckFailed(RC_SQL_API_FAILURE, sqlRcName(RC_SQL_API_FAILURE), kOp, __LINE__,
                       "Group.GetDBFileCount:%i", groupElP->lGroupNumFiles);
  }
  for (LONG ordinal = 0; ordinal < groupElP->lGroupNumFiles; ++ordinal) {
    if (sqlIsCanceled(cancelP)) return RC_OK;
    SqlFileElement file;
    memset(&file, 0, sizeof file);
    file.lFileNum = dbP->lDbNumDataFiles++;
    ISQLDMODBFile* fileP = nullptr;
    hr = SQLAPI_CALL(groupP->GetDBFileByOrd(ordinal, &fileP));
    if (FAILED(hr)) return DBINFO_FAILED(hr, "Group.GetDBFileByOrd(%i)", ordinal);
    rc = ReadDataFile(fileP, groupElP, &file, cancelP);
    ReleaseTimed(fileP);
    if (rc != RC_OK || sqlIsCanceled(cancelP)) return rc;
    groupElP->u64GroupFileSize = pkInt64Add(groupElP->u64GroupFileSize, file.u64FileSize);
    groupElP->u64GroupSpaceUsed = pkInt64Add(groupElP->u64GroupSpaceUsed, file.u64FileSpaceUsed);
    rc = AppendFile(dbP, groupElP, &file);
    if (rc != RC_OK) return rc;
  }
  return RC_OK;
}

// Appends the file when files are kept; the group's first file is the first one appended.
int CSqlApi::AppendFile(SqlDatabaseElement* dbP, SqlGroupElement* groupElP,
                        SqlFileElement* fileElP) {
  if (dbP->pDbFileList == nullptr) return RC_OK;
  int rc = dbP->pDbFileList->addTail(fileElP);
  if (rc != RC_OK) return rc;
  if (groupElP->peGroupFirstFile == nullptr)
    groupElP->peGroupFirstFile = dbP->pDbFileList->getLast();
  return RC_OK;
}

template <class File>
int CSqlApi::ReadFileNames(File* fileP, const char* kindP, SqlFileElement* fileElP,
                           uint32_t* cancelP) {
  if (sqlIsCanceled(cancelP)) return RC_OK;
  BSTR name = nullptr;
  HRESULT hr = SQLAPI_CALL(fileP->GetName(&name));
  if (FAILED(hr)) return DBINFO_FAILED(hr, "%s.GetName()", kindP);
  int rc = CopyBToNAndFree(name, fileElP->szFileLogicalName, sizeof fileElP->szFileLogicalName);
  if (rc != RC_OK) return rc;
  if (sqlIsCanceled(cancelP)) return RC_OK;
  hr = SQLAPI_CALL(fileP->GetPhysicalName(&name));
  if (FAILED(hr)) return DBINFO_FAILED(hr, "%s.GetPhysicalName()", kindP);
  rc = CopyBToNAndFree(name, fileElP->szFilePhysicalName, sizeof fileElP->szFilePhysicalName);
  if (rc != RC_OK) return rc;
  trimTrailingBlanks(fileElP->szFilePhysicalName);
  return RC_OK;
}

template <class File>
int CSqlApi::ReadFileSize(File* fileP, const char* kindP, SqlFileElement* fileElP,
                          uint32_t* cancelP) {
  if (sqlIsCanceled(cancelP)) return 0;
  float kilobytes = 0;
  HRESULT hr = SQLAPI_CALL(fileP->GetSizeInKB(&kilobytes));
  if (FAILED(hr)) return DBINFO_FAILED(hr, "%s.GetSizeInKB()", kindP);
  SQLAPI_TRACE("SQLAPI-%s fDbFileSizeKB:%f\n", kOp, static_cast<double>(kilobytes));
  fileElP->u64FileSize = sqlFileSizeBytes(kilobytes);
  return 0;
}

int CSqlApi::ReadDataFile(ISQLDMODBFile* fileP, SqlGroupElement* groupElP, SqlFileElement* fileElP,
                          uint32_t* cancelP) {
  int rc = ReadFileNames(fileP, "DbFile", fileElP, cancelP);
  if (rc != RC_OK) return rc;
  if (sqlIsCanceled(cancelP)) return RC_OK;
  BOOL primary = FALSE;
  HRESULT hr = SQLAPI_CALL(fileP->GetPrimaryFile(&primary));
  if (FAILED(hr)) return DBINFO_FAILED(hr, "DbFile.GetPrimaryFile()");
  if (primary == TRUE) {
    fileElP->bFileIsPrimary = 1;
    groupElP->bGroupIsPrimary = 1;
  }
  rc = ReadFileSize(fileP, "DbFile", fileElP, cancelP);
  if (rc != RC_OK) return rc;
  if (sqlIsCanceled(cancelP)) return RC_OK;
  LONG availableMb = 0;
  hr = SQLAPI_CALL(fileP->GetSpaceAvailableInMB(&availableMb));
  if (FAILED(hr)) return DBINFO_FAILED(hr, "DbFile.GetSpaceAvailableInMB()");
  SQLAPI_TRACE("SQLAPI-%s lDbFileAvailMB:%i\n", kOp, availableMb);
  uint64_t freeBytes = availableMb > 0 ? static_cast<uint64_t>(availableMb) * 1048576u : 0;
  fileElP->u64FileSpaceUsed = sqlSpaceUsed(fileElP->u64FileSize, freeBytes);
  return RC_OK;
}

int CSqlApi::ReadLogGroup(SqlDatabaseElement* dbP, SqlGroupElement* logGroupP, uint32_t* cancelP) {
  memset(logGroupP, 0, sizeof *logGroupP);
  snprintf(logGroupP->szGroupName, sizeof logGroupP->szGroupName, "%s", SQL_LOG_GROUP_NAME);
  logGroupP->bGroupIsLog = 1;
  if (sqlIsCanceled(cancelP)) return RC_OK;
  ISQLDMOTransactionLog* logP = nullptr;
  HRESULT hr = SQLAPI_CALL(mpDmoDatabase->GetTransactionLog(&logP));
  if (FAILED(hr)) return DBINFO_FAILED(hr, "Database.GetTransactionLog(%i)", hr);
  int rc = ReadLogFiles(dbP, logP, logGroupP, cancelP);
  ReleaseTimed(logP);
  return rc;
}

int CSqlApi::ReadLogFiles(SqlDatabaseElement* dbP, ISQLDMOTransactionLog* logP,
                          SqlGroupElement* groupElP, uint32_t* cancelP) {
  if (sqlIsCanceled(cancelP)) return RC_OK;
  HRESULT hr = SQLAPI_CALL(logP->GetLogFileCount(&groupElP->lGroupNumFiles));
  if (FAILED(hr)) return DBINFO_FAILED(hr, "Log.GetLogFileCount()");
  if (groupElP->lGroupNumFiles <= 0) {
    return CheckFailed(RC_SQL_API_FAILURE, sqlRcName(RC_SQL_API_FAILURE), kOp, __LINE__,
                       "Log.GetLogFileCount:%i", groupElP->lGroupNumFiles);
  }
  dbP->lDbNumLogFiles = 0;
  pkInt64 logSize = pkInt64FromNative(0);
  for (LONG ordinal = 0; ordinal < groupElP->lGroupNumFiles; ++ordinal) {
    if (sqlIsCanceled(cancelP)) return RC_OK;
    SqlFileElement file;
    memset(&file, 0, sizeof file);
    file.bFileIsLog = 1;
    file.lFileNum = dbP->lDbNumDataFiles + dbP->lDbNumLogFiles++;
    ISQLDMOLogFile* fileP = nullptr;
    hr = SQLAPI_CALL(logP->GetLogFileByOrd(ordinal, &fileP));
    if (FAILED(hr)) return DBINFO_FAILED(hr, "Log.GetLogFileByOrd(%i)", ordinal);
    int rc = ReadLogFile(fileP, &file, cancelP);
    ReleaseTimed(fileP);
    if (rc != RC_OK || sqlIsCanceled(cancelP)) return rc;
    logSize = pkInt64Add(logSize, file.u64FileSize);
    rc = AppendFile(dbP, groupElP, &file);
    if (rc != RC_OK) return rc;
  }
  SQLAPI_TRACE("SQLAPI-%s u64LogSize:%llu\n", kOp,
               static_cast<unsigned long long>(pkInt64ToNative(logSize)));
  if (sqlIsCanceled(cancelP)) return RC_OK;
  LONG availableKb = 0;
  hr = SQLAPI_CALL(logP->GetSpaceAvailable(&availableKb));
  if (FAILED(hr)) return DBINFO_FAILED(hr, "Log.GetSpaceAvailable()");
  SQLAPI_TRACE("SQLAPI-%s lLogAvailKB:%i\n", kOp, availableKb);
  uint64_t freeBytes = availableKb > 0 ? static_cast<uint64_t>(availableKb) * 1024u : 0;
  groupElP->u64GroupFileSize = logSize;
  groupElP->u64GroupSpaceUsed = sqlSpaceUsed(logSize, freeBytes);
  dbP->u64DbLogFileSize = groupElP->u64GroupFileSize;
  dbP->u64DbLogSpaceUsed = groupElP->u64GroupSpaceUsed;
  return RC_OK;
}

int CSqlApi::ReadLogFile(ISQLDMOLogFile* fileP, SqlFileElement* fileElP, uint32_t* cancelP) {
  int rc = ReadFileNames(fileP, "LogFile", fileElP, cancelP);
  if (rc != RC_OK) return rc;
  return ReadFileSize(fileP, "LogFile", fileElP, cancelP);
}

// Appends the log pseudo-group and points every group of this database back at it.
int CSqlApi::LinkDatabase(SqlDatabaseElement* dbP, SqlGroupElement* logGroupP) {
  if (dbP->pDbGroupList == nullptr) return RC_OK;
  int rc = AppendGroup(dbP, logGroupP);
  if (rc != RC_OK) return rc;
  for (SqlGroupElement* groupP = dbP->peDbFirstGroup; groupP != nullptr;
       groupP = dbP->pDbGroupList->getNext(groupP)) {
    groupP->peGroupDatabase = dbP;
  }
  return RC_OK;
}
