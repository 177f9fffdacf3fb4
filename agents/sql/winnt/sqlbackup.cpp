// CSqlApi::BackupSqlDatabase: the BACKUP statement of one database, filegroup, file or set,
// built in the object's statement buffer and run through Server.ExecuteImmediate, which returns
// when SQL Server has written the whole backup to the virtual devices.
#include <cstdio>

#include "psutil.h"
#include "sqlapiint.h"
#include "sqlwalk.h"

namespace {

const char* const kOp = "CSqlApi::BackupSqlDatabase";
const char* const kRcApiFailure = "( 1900 + 14 )";
const char* const kRcTooLong = "( 1900 + 8 )";

int addItem(CLinkedList<SqlStmtItem>& items, uint32_t kind, const char* nameP) {
  SqlStmtItem item = {kind, nameP};
  return items.addTail(&item);
}

int addSelectedFiles(CLinkedList<SqlStmtItem>& items, SqlDatabaseElement* dbP,
                     SqlGroupElement* groupP) {
  return sqlForEachGroupFile(dbP, groupP, [&](SqlFileElement* fileP) {
    return fileP->bFileIsSelected ? addItem(items, SQL_ITEM_FILE, fileP->szFileLogicalName) : RC_OK;
  });
}

// The FILEGROUP and FILE items of a set backup: whole groups first, then the selected files of
// the groups not selected whole (their files are never listed twice).
int addSetItems(CLinkedList<SqlStmtItem>& items, SqlDatabaseElement* dbP) {
  int rc = RC_OK;
  if (dbP->bDbGroupIsSelected) {
    rc = sqlForEachGroup(dbP, [&](SqlGroupElement* groupP) {
      return groupP->bGroupIsSelected ? addItem(items, SQL_ITEM_FILEGROUP, groupP->szGroupName)
                                      : RC_OK;
    });
  }
  if (rc != RC_OK || !dbP->bDbFileIsSelected) return rc;
  return sqlForEachGroup(dbP, [&](SqlGroupElement* groupP) {
    bool partly = groupP->bGroupFileIsSelected && !groupP->bGroupIsSelected;
    return partly ? addSelectedFiles(items, dbP, groupP) : RC_OK;
  });
}

int collectItems(CLinkedList<SqlStmtItem>& items, SqlDbInfo* dbInfoP, uint32_t backupType) {
  switch (backupType) {
    case BACKUP_TYPE_GROUP:
      if (dbInfoP->sqlGroupElementP == nullptr) return RC_INTERNAL_ERROR;
      return addItem(items, SQL_ITEM_FILEGROUP, dbInfoP->sqlGroupElementP->szGroupName);
    case BACKUP_TYPE_FILE:
      if (dbInfoP->sqlFileElementP == nullptr) return RC_INTERNAL_ERROR;
      return addItem(items, SQL_ITEM_FILE, dbInfoP->sqlFileElementP->szFileLogicalName);
    case BACKUP_TYPE_SET:
      return addSetItems(items, dbInfoP->sqlDatabaseElementP);
    default:
      return RC_OK;
  }
}

}  // namespace

int CSqlApi::AdjustCommandSize(uint32_t required) {
  mszErrorText[0] = '\n';
  mszErrorText[1] = '\0';
  snprintf(mszRcName, sizeof mszRcName, "%s", SQLAPI_RC_OK);
  return mCommand.AdjustCommandSize(required);
}

int CSqlApi::ReadMaxCommandSize(DPelkApiStatus& apiStatus) {
  LONG packetSize = 0;
  DBaseApi::StartApiCall(&apiStatus);
  HRESULT hr = SQLAPI_CALL(mpDmoServer->GetNetPacketSize(&packetSize));
  apiStatus.inApiCall = 0;
  if (FAILED(hr))
    return CallFailed(RC_SQL_API_FAILURE, kRcApiFailure, hr, kOp, "Server.GetNetPacketSize()");
  muiMaxCommandSize = 128 * uint32_t(packetSize != 0 ? packetSize : mlNetPacketSize);
  SQLAPI_TRACE("SQLAPI-%s muiMaxCommandSize:%u\n", kOp, muiMaxCommandSize);
  return RC_OK;
}

int CSqlApi::ExecuteBackup(DPelkApiStatus& apiStatus) {
  // The transfer's monitor measures a running call from its start stamp: start it first, so
  // that a long backup is not reported against a stale stamp. The record's total stays as it is.
  DBaseApi::StartApiCall(&apiStatus);
  HRESULT hr = SQLAPI_CALL(
      mpDmoServer->ExecuteImmediate(mCommand.text(), SQLDMOExec_Default, LONG(mCommand.length())));
  apiStatus.inApiCall = 0;
  if (SUCCEEDED(hr)) return RC_OK;
  char head[51 * 4];
  sqlWideToText(mCommand.text(), head, sizeof head);
  return CallFailed(RC_SQL_API_FAILURE, kRcApiFailure, hr, kOp, "Server.ExecuteImmediate(%.50s...)",
                    head);
}

int CSqlApi::BuildAndRunBackup(const SqlBackupParameters& parms, SqlDbInfo* dbInfoP,
                               CLinkedList<SqlStmtItem>& devices, uint32_t backupType,
                               DPelkApiStatus& apiStatus, uint32_t*& cancelP) {
  int rc = LogonServer(cancelP);
  if (rc != RC_OK) return rc;
  rc = ReadMaxCommandSize(apiStatus);
  if (rc != RC_OK) return rc;
  CLinkedList<SqlStmtItem> items;
  rc = collectItems(items, dbInfoP, backupType);
  if (rc != RC_OK) return rc;
  SqlBackupStatement statement = {backupType,
                                  dbInfoP->sqlDatabaseElementP->szSqlDatabaseName,
                                  &items,
                                  &devices,
                                  parms.ulNumSqlBuffers,
                                  parms.ulSqlBufferSize,
                                  parms.bTruncate,
                                  parms.szDebugBackupPath};
  rc = sqlBuildBackupStatement(mCommand, statement, cancelP, mszErrorText, sizeof mszErrorText);
  if (rc == RC_SQL_STRING_TOO_LONG) snprintf(mszRcName, sizeof mszRcName, "%s", kRcTooLong);
  // A name that is not text of the process's code page cannot reach SQL Server.
  if (rc == RC_CONVERSION_FAILED) {
    return CheckFailed(RC_SQL_API_FAILURE, kRcApiFailure, kOp, __LINE__,
                       "MultiByteToWideChar() of a name of database %.24s",
                       statement.databaseNameP);
  }
  // A statement is sent only when it is whole and nobody cancelled meanwhile.
  if (rc != RC_OK || sqlIsCanceled(cancelP)) return rc;
  return ExecuteBackup(apiStatus);
}

int CSqlApi::BackupToDevices(const SqlBackupParameters& parms, SqlDbInfo* dbInfoP,
                             CLinkedList<SqlStmtItem>& devices, uint32_t backupType,
                             DPelkApiStatus& apiStatus, uint32_t*& cancelP, char*& msgBufP) {
  BeginOperation();
  TRACE_ENTRY_FRAME(TRC_SQLAPI, kOp, gSqlApiTraceFrame, mszRcName);
  SQLAPI_TRACE("SQLAPI-%s backup type:%s database:%s stripes:%u\n", kOp,
               sqlBackupTypeName(backupType), dbInfoP->sqlDatabaseElementP->szSqlDatabaseName,
               devices.getCount());
  apiStatus.apiNameP = "SQL-DMO";
  mCommand.clear();
  int rc = BuildAndRunBackup(parms, dbInfoP, devices, backupType, apiStatus, cancelP);
  mCommand.clear();
  TRACE_RETURN(EndWithMessage(kOp, rc, cancelP, msgBufP));
}
