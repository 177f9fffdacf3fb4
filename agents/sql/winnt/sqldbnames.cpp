// CSqlApi::GetSqlDatabaseNames: the server's databases with their state texts, for the database
// pickers. A database that cannot be read completely is still listed, with an error state
// text (and a placeholder name when its name is missing); only the logon and the database
// count can fail the list.
#include <cstdio>
#include <cstring>

#include "sqlapiint.h"
#include "sqldbvalues.h"

namespace {

constexpr const char* kOp = "CSqlApi::GetSqlDatabaseNames";
constexpr const char* kTempDb = "tempdb";

void markUnreadable(SqlDatabaseElement* dbP, LONG ordinal, const char* formatP, long value) {
  snprintf(dbP->szSqlDatabaseName, sizeof dbP->szSqlDatabaseName, "? %i ?",
           static_cast<int>(ordinal + 1));
  snprintf(dbP->szSqlDatabaseStatus, sizeof dbP->szSqlDatabaseStatus, formatP, value);
  dbP->bDbIsUnreadable = 1;
}

void setErrorState(SqlDatabaseElement* dbP, const char* formatP, HRESULT hr) {
  snprintf(dbP->szSqlDatabaseStatus, sizeof dbP->szSqlDatabaseStatus, formatP,
           static_cast<unsigned>(hr));
}

// A database outside the normal state keeps its state text: its options are commonly
// unreadable in that state, and the state is what the user needs to see.
void setOptionErrorState(SqlDatabaseElement* dbP, const char* formatP, HRESULT hr) {
  if (dbP->szSqlDatabaseStatus[0] != 0) return;
  setErrorState(dbP, formatP, hr);
}

}  // namespace

int CSqlApi::GetSqlDatabaseNames(CLinkedList<SqlDatabaseElement>*& listP, void*, uint32_t*& cancelP,
                                 char*& msgBufP) {
  BeginOperation();
  TRACE_ENTRY_FRAME(TRC_SQLAPI, kOp, gSqlApiTraceFrame, mszRcName);
  mhrLast = S_OK;
  int rc = ListDatabaseNames(listP, cancelP);
  TRACE_RETURN(EndWithMessage(kOp, rc, cancelP, msgBufP));
}

// Every database but tempdb, in the server's order, appended to the list.
int CSqlApi::ListDatabaseNames(CLinkedList<SqlDatabaseElement>* listP, uint32_t*& cancelP) {
  if (listP == nullptr) return RC_INTERNAL_ERROR;
  if (sqlIsCanceled(cancelP)) return RC_OK;
  int rc = LogonServer(cancelP);
  if (rc != RC_OK || sqlIsCanceled(cancelP)) return rc;
  LONG count = 0;
  HRESULT hr = SQLAPI_CALL(mpDmoServer->GetDatabaseCount(&count));
  if (FAILED(hr)) {
    return CallFailed(RC_SQL_API_FAILURE, SQLAPI_RC_API_FAILURE, hr, kOp,
                      "Server.GetDatabaseCount()");
  }
  for (LONG ordinal = 0; ordinal < count && !sqlIsCanceled(cancelP); ++ordinal) {
    SqlDatabaseElement element;
    memset(&element, 0, sizeof element);
    ReadDatabaseEntry(ordinal, &element, cancelP);
    if (sqlIsCanceled(cancelP)) break;
    if (strcmp(element.szSqlDatabaseName, kTempDb) == 0) continue;
    rc = listP->addTail(&element);
    if (rc != RC_OK) return rc;
  }
  return RC_OK;
}

// One database's name, state and log option. Failures only set the element's state text: the
// thread's error object is dropped and the detail texts reset, so one unreadable database
// never fails the list.
void CSqlApi::ReadDatabaseEntry(LONG ordinal, SqlDatabaseElement* dbP, uint32_t* cancelP) {
  HRESULT hr = SQLAPI_CALL(mpDmoServer->GetDatabaseByOrd(ordinal, &mpDmoDatabase));
  BSTR name = nullptr;
  if (FAILED(hr)) {
    markUnreadable(dbP, ordinal, "DatabaseError%lx", static_cast<unsigned>(hr));
  } else if (!sqlIsCanceled(cancelP)) {
    hr = SQLAPI_CALL(mpDmoDatabase->GetName(&name));
    if (FAILED(hr)) {
      markUnreadable(dbP, ordinal, "NameError%lx", static_cast<unsigned>(hr));
    } else {
      int copyRc = CopyBToNAndFree(name, dbP->szSqlDatabaseName, sizeof dbP->szSqlDatabaseName);
      if (copyRc != RC_OK) {
        markUnreadable(dbP, ordinal, "NameMoveError%li", copyRc);
      } else {
        ReadDatabaseState(dbP, cancelP);
      }
    }
  }
  FreeTimed(name);
  ReleaseTimed(mpDmoDatabase);
  DropComErrorInfo();
  mhrLast = S_OK;
  snprintf(mszErrorText, sizeof mszErrorText, "\n");
  snprintf(mszRcName, sizeof mszRcName, "%s", SQLAPI_RC_OK);
}

void CSqlApi::ReadDatabaseState(SqlDatabaseElement* dbP, uint32_t* cancelP) {
  if (sqlIsCanceled(cancelP)) return;
  LONG status = 0;
  HRESULT hr = SQLAPI_CALL(mpDmoDatabase->GetStatus(&status));
  if (FAILED(hr)) return setErrorState(dbP, "GetStatusError%x", hr);
  sqlDatabaseStatusText(status, dbP->szSqlDatabaseStatus, sizeof dbP->szSqlDatabaseStatus);
  if (sqlIsCanceled(cancelP)) return;
  ISQLDMODBOption* optionsP = nullptr;
  hr = SQLAPI_CALL(mpDmoDatabase->GetDBOption(&optionsP));
  if (FAILED(hr)) return setOptionErrorState(dbP, "GetDBOptionError%x", hr);
  BOOL truncate = FALSE;
  hr = sqlIsCanceled(cancelP) ? S_OK : SQLAPI_CALL(optionsP->GetTruncateLogOnCheckpoint(&truncate));
  ReleaseTimed(optionsP);
  if (FAILED(hr)) return setOptionErrorState(dbP, "DBOptionError%x", hr);
  dbP->bDbIsTruncateLogOnCheckpoint = truncate != FALSE;
}
