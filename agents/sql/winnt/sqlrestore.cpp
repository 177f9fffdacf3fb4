// CSqlApi::RestoreSqlDatabase: the RESTORE statement of one stored backup, built in a buffer of
// its own and run through Server.ExecuteImmediate, which returns when SQL Server has read the
// whole backup from the virtual devices.
#include <cstdio>

#include "errormsg.h"
#include "msgout.h"
#include "sqlapiint.h"

namespace {

const char* const kOp = "CSqlApi::RestoreSqlDatabase";
// The HRESULT of SQL Server's message 4306: a log restore to a point in time or mark is refused
// because the previous restore already went past it.
constexpr HRESULT kHrMessage4306 = HRESULT(0x800410D2u);
constexpr int RC_SQL_RESTORE_4306 = 1917;
constexpr size_t kInternalMessageSize = 3072;

void traceParameters(const SqlRestoreParameters& p) {
  SQLAPI_TRACE(
      "SQLAPI-%s bRestrictedUserOnly:%u bRecoverySpecified:%u bPreviousRestoreWasLog:%u "
      "ulNumSqlBuffers:%u ulSqlBufferSize:%u bStopBeforeMark:%u bStopAtMark:%u "
      "szDateTime:%.40s szMarkName:%.130s bRecovery:%u bRelocate:%u bPartial:%u bReplace:%u "
      "bStandby:%u bStopAt:%u szAfter:%.43s bAfter:%u bInto:%u\n",
      kOp, p.bRestrictedUserOnly, p.bRecoverySpecified, p.bPreviousRestoreWasLog, p.ulNumSqlBuffers,
      p.ulSqlBufferSize, p.bStopBeforeMark, p.bStopAtMark, p.szDateTime, p.szMarkName, p.bRecovery,
      p.bRelocate, p.bPartial, p.bReplace, p.bStandby, p.bStopAt, p.szAfter, p.bAfter, p.bInto);
}

// SQL Server refuses to stop a log restore at a point that an earlier log restore already
// passed; the restore of the list counts that as done.
bool isRefusedStop(HRESULT hr, const CSqlRestorePlan& plan, const SqlRestoreParameters& p) {
  bool stops = p.bStopAt || p.bStopAtMark || p.bStopBeforeMark;
  return hr == kHrMessage4306 && plan.isLog() && p.bPreviousRestoreWasLog && stops;
}

}  // namespace

int CSqlApi::RestoreFromPlan(CSqlRestorePlan& plan, const SqlRestoreParameters& parms,
                             DPelkApiStatus* apiStatusP, uint32_t* cancelP, char* msgBufP,
                             uint16_t msgBufLen) {
  BeginOperation();
  TRACE_ENTRY_FRAME(TRC_SQLAPI, kOp, gSqlApiTraceFrame, mszRcName);
  traceParameters(parms);
  char internalMessage[kInternalMessageSize];
  if (msgBufP == nullptr || msgBufLen == 0) {
    msgBufP = internalMessage;
    msgBufLen = uint16_t(sizeof internalMessage);
  }
  CSqlCommand command;
  int rc = PrepareRestore(command, plan, cancelP, msgBufP, msgBufLen);
  // A cancel during the logon or the build is no failure: it ends as a cancelled transfer below.
  if (rc != RC_OK && rc != RC_CANCELED_BY_USER) TRACE_RETURN(rc);
  if (sqlIsCanceled(cancelP)) TRACE_RETURN(RC_RING_CANCELLED);
  rc = ExecuteRestore(command, plan, parms, apiStatusP, msgBufP, msgBufLen);
  if (rc == RC_OK && sqlIsCanceled(cancelP)) rc = RC_RING_CANCELLED;
  TRACE_RETURN(rc);
}

// Logs on and builds the statement. A failed logon puts its message into the caller's buffer.
int CSqlApi::PrepareRestore(CSqlCommand& command, CSqlRestorePlan& plan, uint32_t*& cancelP,
                            char* msgBufP, uint16_t msgBufLen) {
  int rc = LogonServer(cancelP);
  if (rc == RC_CANCELED_BY_USER) return rc;
  if (rc != RC_OK) {
    FetchComErrorText();
    nlsprintf(msgBufP, msgBufLen, agentRcMessage(rc), mszErrorText);
    return rc;
  }
  return sqlBuildRestoreStatement(command, plan.m_Statement, cancelP, mszErrorText,
                                  sizeof mszErrorText);
}

// Runs the statement; SQL Server's refusal to stop where an earlier log restore already passed
// counts as done (RC_SQL_RESTORE_4306), any other failure's text goes to the caller's buffer.
int CSqlApi::ExecuteRestore(CSqlCommand& command, CSqlRestorePlan& plan,
                            const SqlRestoreParameters& parms, DPelkApiStatus* apiStatusP,
                            char* msgBufP, uint16_t msgBufLen) {
  char head[256];
  sqlWideToText(command.text(), head, sizeof head);
  SQLAPI_TRACE("SQLAPI-%s %s\n", kOp, head);
  DBaseApi::StartApiCall(apiStatusP);
  HRESULT hr = SQLAPI_CALL(mpDmoServer->ExecuteImmediate(command.text(), SQLDMOExec_Default, 0));
  DBaseApi::EndApiCall(apiStatusP, "SQL-DMO");
  if (SUCCEEDED(hr)) return RC_OK;
  if (isRefusedStop(hr, plan, parms)) {
    SQLAPI_TRACE("SQLAPI-%s SQL Server message 4306 after a log restore: counted as done\n", kOp);
    DropComErrorInfo();
    return RC_SQL_RESTORE_4306;
  }
  int rc = CallFailed(RC_SQL_API_FAILURE, "( 1900 + 14 )", hr, kOp,
                      "Server.ExecuteImmediate(%.50s...)", head);
  mhrLast = S_OK;  // the error object goes to the caller's buffer instead
  getLastOleErrorMsg(msgBufP, msgBufLen);
  return rc;
}
