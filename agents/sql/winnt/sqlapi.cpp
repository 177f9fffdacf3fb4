// CSqlApi: construction and destruction, the logon record, and the conventions every
// operation shares (entry and exit lines, failure texts, the message of a code).
#include "sqlapi.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "agtlog.h"
#include "agtrc.h"
#include "errormsg.h"
#include "msgout.h"
#include "sqlapiint.h"
#include "sqlsink.h"
#include "winreg.h"

namespace {

constexpr const char* kEnvVirtualServer = "_VIRTUAL_SERVER_NAME_";

const char* authName(int32_t auth) {
  switch (auth) {
    case SqlIntegrated:
      return "SqlIntegrated";
    case SqlUserid:
      return "SqlUserid";
    default:
      return "";
  }
}

const char* envText(const char* nameP) {
  const char* valueP = getenv(nameP);
  return valueP != nullptr ? valueP : "(null)";
}

void copyText(char* destP, size_t destSize, const char* srcP) {
  snprintf(destP, destSize, "%s", srcP);
}

// A clustered SQL Server is reached through its virtual server name, which SQL-DMO takes from
// the environment.
void setVirtualServerName(const char* serverNameP) {
  static const char* const kOp = "CSqlApi::CSqlApi";
  if (!sqlClusterKeyOpens(serverNameP)) return;
  SQLAPI_TRACE("SQLAPI-%s _VIRTUAL_SERVER_NAME_:%s\n", kOp, envText(kEnvVirtualServer));
  int envRc = setenv(kEnvVirtualServer, serverNameP, 1);
  SQLAPI_TRACE("SQLAPI-%s szSetVirtualServerName:%s=%s(%i)\n", kOp, kEnvVirtualServer, serverNameP,
               envRc);
  SQLAPI_TRACE("SQLAPI-%s _VIRTUAL_SERVER_NAME_:%s\n", kOp, envText(kEnvVirtualServer));
}

}  // namespace

CSqlApi* gSqlApiP = nullptr;

// ---- shared conventions ----

const char* sqlRcName(int rc) {
  static const char* const kNames[] = {
      "( 1900 + 0 )",  "( 1900 + 1 )",  "( 1900 + 2 )",  "( 1900 + 3 )",  "( 1900 + 4 )",
      "( 1900 + 5 )",  "( 1900 + 6 )",  "( 1900 + 7 )",  "( 1900 + 8 )",  "( 1900 + 9 )",
      "( 1900 + 10 )", "( 1900 + 11 )", "( 1900 + 12 )", "( 1900 + 13 )", "( 1900 + 14 )"};
  if (rc == RC_OK) return SQLAPI_RC_OK;
  if (rc == RC_CANCELED_BY_USER) return SQLAPI_RC_CANCELED;
  if (rc >= 1900 && rc <= 1914) return kNames[rc - 1900];
  return "( unknown )";
}

const char* sqlTimeOfDay(char (&textP)[20]) {
  psGetTimeStamp(3, textP, sizeof textP);
  return textP;
}

namespace {

void sqlTraceEnter(const char* nameP, const void*) {
  char timeText[20];
  gTrace.printf("SQLAPI-%s >>>>> enter %s\n", nameP, sqlTimeOfDay(timeText));
}

void sqlTraceExit(const char* nameP, int rc, const void* rcNameP) {
  char timeText[20];
  gTrace.printf("SQLAPI-%s <<<<< exit rc(%i):%s %s\n", nameP, rc, static_cast<const char*>(rcNameP),
                sqlTimeOfDay(timeText));
}

}  // namespace

const TraceFrame gSqlApiTraceFrame = {sqlTraceEnter, sqlTraceExit};

void CSqlApi::BeginOperation() {
  copyText(mszErrorText, sizeof mszErrorText, "\n");
  copyText(mszRcName, sizeof mszRcName, SQLAPI_RC_OK);
}

CSqlErrorKeep::CSqlErrorKeep(CSqlApi& api) : m_Api(api), m_Hr(api.mhrLast) {
  copyText(m_ErrorText, sizeof m_ErrorText, api.mszErrorText);
  copyText(m_RcName, sizeof m_RcName, api.mszRcName);
}

CSqlErrorKeep::~CSqlErrorKeep() {
  copyText(m_Api.mszErrorText, sizeof m_Api.mszErrorText, m_ErrorText);
  copyText(m_Api.mszRcName, sizeof m_Api.mszRcName, m_RcName);
  m_Api.mhrLast = m_Hr;
}

void sqlClusterKeyPath(const char* serverNameP, char* pathP, size_t pathSize) {
  snprintf(pathP, pathSize, "SOFTWARE\\Microsoft\\MSSQLServer$%s\\MSSQLServer$%s\\CurrentVersion\\",
           serverNameP, serverNameP);
}

bool sqlClusterKeyOpens(const char* serverNameP) {
  char path[512];
  sqlClusterKeyPath(serverNameP, path, sizeof path);
  SQLAPI_TRACE("SQLAPI-%s tKey:%s\n", "sqlClusterKeyOpens", path);
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
    return false;
  RegCloseKey(key);
  return true;
}

// "op:line:rc " and the formatted text.
static void formatFailure(char* destP, size_t destSize, const char* opP, int line, int rc,
                          const char* formatP, va_list args) {
  int used = snprintf(destP, destSize, "%s:%i:%i ", opP, line, rc);
  if (used < 0 || static_cast<size_t>(used) >= destSize) return;
  vsnprintf(destP + used, destSize - used, formatP, args);
}

int CSqlApi::CallFailed(int rc, const char* rcNameP, HRESULT hr, const char* opP,
                        const char* formatP, ...) {
  mhrLast = hr;
  copyText(mszRcName, sizeof mszRcName, rcNameP);
  va_list args;
  va_start(args, formatP);
  formatFailure(mszFailedCall, sizeof mszFailedCall, opP, mlApiLine, rc, formatP, args);
  va_end(args);
  SQLAPI_TRACE("SQLAPI-%s %s (HRESULT:0x%x)\n", opP, mszFailedCall, static_cast<unsigned>(hr));
  return rc;
}

int CSqlApi::CheckFailed(int rc, const char* rcNameP, const char* opP, int line,
                         const char* formatP, ...) {
  copyText(mszRcName, sizeof mszRcName, rcNameP);
  va_list args;
  va_start(args, formatP);
  formatFailure(mszErrorText, sizeof mszErrorText, opP, line, rc, formatP, args);
  va_end(args);
  return rc;
}

int CSqlApi::Canceled(const char* opP) {
  copyText(mszRcName, sizeof mszRcName, SQLAPI_RC_CANCELED);
  SQLAPI_TRACE("SQLAPI-%s Canceled by user\n", opP);
  return RC_CANCELED_BY_USER;
}

void CSqlApi::FetchComErrorText() {
  if (SUCCEEDED(mhrLast)) return;
  SetComErrorText(mhrLast);
  mhrLast = S_OK;
}

int CSqlApi::EndOperation(const char* opP, int rc, uint32_t* cancelP) {
  if (sqlIsCanceled(cancelP)) {
    rc = Canceled(opP);
    mszErrorText[0] = 0;
    return rc;
  }
  if (rc != RC_OK) FetchComErrorText();
  return rc;
}

int CSqlApi::EndWithMessage(const char* opP, int rc, uint32_t* cancelP, char* msgBufP) {
  rc = EndOperation(opP, rc, cancelP);
  if (rc == RC_OK) return rc;
  FormatRcMessage(msgBufP, rc);
  SQLAPI_TRACE("SQLAPI-%s %s\n", opP, msgBufP != nullptr ? msgBufP : mszErrorText);
  return rc;
}

void CSqlApi::DropComErrorInfo() {
  IErrorInfo* infoP = nullptr;
  if (GetErrorInfo(0, &infoP) == S_OK && infoP != nullptr) infoP->Release();
}

void CSqlApi::FormatRcMessage(char* msgBufP, int rc) {
  if (msgBufP == nullptr) return;
  nlsprintf(msgBufP, NLS_MSG_MAX, agentRcMessage(rc), mszErrorText);
}

void CSqlApi::ReleaseTimed(IUnknown* objectP) {
  if (objectP == nullptr) return;
  SQLAPI_CALL((objectP->Release(), S_OK));
}

void CSqlApi::FreeTimed(BSTR& textP) {
  if (textP == nullptr) return;
  SQLAPI_CALL((SysFreeString(textP), S_OK));
  textP = nullptr;
}

// ---- construction and destruction ----

CSqlApi::CSqlApi(const SqlLogonInfo* logonP, int* rcP, char* msgBufP)
    : mlBlockingTimeout(5),
      mlNetPacketSize(4096),
      mbServerObtained(false),
      mbConnected(false),
      mbLoggedOn(false),
      mpDmoApplication(nullptr),
      mpDmoServer(nullptr),
      mpDmoDatabase(nullptr),
      mlDmoVersion(0),
      mlSqlVersionMajor(0),
      mpServerSink(nullptr),
      mpServerCP(nullptr),
      mbSinkAdvised(false),
      mdwSinkCookie(0),
      mdTotalApiTime(0.0),
      mlApiLine(0),
      mhrLast(S_OK),
      muiMaxCommandSize(0) {
  memset(&meLogon, 0, sizeof meLogon);
  memset(&meServer, 0, sizeof meServer);
  mszFailedCall[0] = 0;
  int rc = Start(logonP, msgBufP);
  if (rcP != nullptr) *rcP = rc;
}

int CSqlApi::Start(const SqlLogonInfo* logonP, char* msgBufP) {
  static const char* const kOp = "CSqlApi::CSqlApi";
  BeginOperation();
  TRACE_ENTRY_FRAME(TRC_SQLAPI, kOp, gSqlApiTraceFrame, mszRcName);
  TraceLogonInfo(kOp, logonP);
  ResetLogonInfo();
  ResetServerInfo();
  if (logonP != nullptr) setVirtualServerName(logonP->szSqlServer);
  int rc = StartApplication();
  if (rc != RC_OK) {
    ReportStartFailure(rc, msgBufP);
    TRACE_RETURN(rc);
  }
  SQLAPI_TRACE("SQLAPI-%s mlDmoVersion:%i\n", kOp, mlDmoVersion);
  CopyLogonInfo(logonP);
  TRACE_RETURN(RC_OK);
}

int CSqlApi::StartApplication() {
  static const char* const kOp = "CSqlApi::CSqlApi";
  HRESULT hr = SQLAPI_CALL(CoInitializeEx(nullptr, COINIT_MULTITHREADED));
  if (FAILED(hr)) {
    return CallFailed(RC_SQL_COM_SETUP_FAILED, sqlRcName(RC_SQL_COM_SETUP_FAILED), hr, kOp,
                      "CoInitializeEx()");
  }
  hr = SQLAPI_CALL(CoCreateInstance(CLSID_SQLDMOApplication, nullptr, CLSCTX_INPROC_SERVER,
                                    IID_ISQLDMOApplication,
                                    reinterpret_cast<void**>(&mpDmoApplication)));
  if (FAILED(hr)) {
    return CallFailed(RC_SQL_COM_SETUP_FAILED, sqlRcName(RC_SQL_COM_SETUP_FAILED), hr, kOp,
                      "CoCreateInstance(Application)");
  }
  hr = SQLAPI_CALL(mpDmoApplication->SetBlockingTimeout(mlBlockingTimeout));
  if (FAILED(hr)) {
    return CallFailed(RC_SQL_API_FAILURE, sqlRcName(RC_SQL_API_FAILURE), hr, kOp,
                      "Application.SetBlockingTimeout(%i)", mlBlockingTimeout);
  }
  hr = SQLAPI_CALL(mpDmoApplication->GetVersionMajor(&mlDmoVersion));
  if (FAILED(hr)) {
    return CallFailed(RC_SQL_API_FAILURE, sqlRcName(RC_SQL_API_FAILURE), hr, kOp,
                      "Application.GetVersionMajor()");
  }
  if (mlDmoVersion < 7) {
    return CheckFailed(RC_SQL_API_FAILURE, sqlRcName(RC_SQL_API_FAILURE), kOp, __LINE__,
                       "Application:DmoVersion:%i < 7", mlDmoVersion);
  }
  return 0;
}

void CSqlApi::ReportStartFailure(int rc, char* msgBufP) {
  static const char* const kOp = "CSqlApi::CSqlApi";
  FetchComErrorText();
  FormatRcMessage(msgBufP, rc);
  if (gTrace.isOn(TRC_SQLAPI) || gTrace.isOn(TRC_ALL)) {
    gTrace.header(__FILE__, __LINE__);
    gTrace.printf("SQLAPI-%s %s\n", kOp, msgBufP != nullptr ? msgBufP : mszErrorText);
  }
}

CSqlApi::~CSqlApi() {
  static const char* const kOp = "CSqlApi::~CSqlApi";
  BeginOperation();
  TRACE_ENTRY_FRAME(TRC_SQLAPI, kOp, gSqlApiTraceFrame, mszRcName);
  SQLAPI_TRACE("SQLAPI-%s _VIRTUAL_SERVER_NAME_:%s\n", kOp, envText(kEnvVirtualServer));
  ReleaseServer();
  ResetLogonInfo();
  if (mpDmoApplication == nullptr) {
    SQLAPI_TRACE("SQLAPI-%s mpDmoApplication==NULL\n", kOp);
  } else {
    ReleaseTimed(mpDmoApplication);
  }
  SQLAPI_CALL((CoUninitialize(), S_OK));
  SQLAPI_TRACE("SQLAPI-%s mdTotalApiTime:%g\n", kOp, mdTotalApiTime);
  if (gTrace.isOn(TRC_PERFORMANCE) && gLogP != nullptr) {
    gLogP->LogActivityLog(152, mdTotalApiTime, "SQL-DMO");
  }
}

// ---- the logon record ----

void CSqlApi::TraceLogonInfo(const char* opP, const SqlLogonInfo* logonP) {
  if (logonP == nullptr) return;
  SQLAPI_TRACE("SQLAPI-%s 1:eLogon.szSqlServer:'%s'\n", opP, logonP->szSqlServer);
  SQLAPI_TRACE("SQLAPI-%s 1:eLogon.enumSqlAuth(%i):%s\n", opP, logonP->enumSqlAuth,
               authName(logonP->enumSqlAuth));
  SQLAPI_TRACE("SQLAPI-%s 1:eLogon.szSqlUser:'%s'\n", opP, logonP->szSqlUser);
  SQLAPI_TRACE("SQLAPI-%s 1:eLogon.szSqlPassword:len:%i\n", opP,
               static_cast<int>(strnlen(logonP->szSqlPassword, sizeof logonP->szSqlPassword)));
}

// Copies field by field, each text cut to its field, so a record without terminators cannot
// carry the copy past its end.
void CSqlApi::CopyLogonInfo(const SqlLogonInfo* logonP) {
  if (logonP == nullptr || logonP == &meLogon) return;
  snprintf(meLogon.szSqlPassword, sizeof meLogon.szSqlPassword, "%.*s",
           static_cast<int>(sizeof logonP->szSqlPassword), logonP->szSqlPassword);
  snprintf(meLogon.szSqlServer, sizeof meLogon.szSqlServer, "%.*s",
           static_cast<int>(sizeof logonP->szSqlServer), logonP->szSqlServer);
  snprintf(meLogon.szSqlUser, sizeof meLogon.szSqlUser, "%.*s",
           static_cast<int>(sizeof logonP->szSqlUser), logonP->szSqlUser);
  meLogon.pfnLogonCallback = logonP->pfnLogonCallback;
  meLogon.enumSqlAuth = logonP->enumSqlAuth;
}

void CSqlApi::ResetLogonInfo() {
  BeginOperation();
  TRACE_ENTRY_FRAME(TRC_SQLAPI, "CSqlApi::ResetLogonInfo", gSqlApiTraceFrame, mszRcName);
  meLogon.szSqlPassword[0] = 0;
  meLogon.szSqlServer[0] = 0;
  meLogon.szSqlUser[0] = 0;
  meLogon.enumSqlAuth = SqlIntegrated;
}

void CSqlApi::ResetServerInfo() {
  BeginOperation();
  TRACE_ENTRY_FRAME(TRC_SQLAPI, "CSqlApi::ResetServerInfo", gSqlApiTraceFrame, mszRcName);
  int32_t reserved = meServer.lReserved;
  memset(&meServer, 0, sizeof meServer);
  meServer.lReserved = reserved;
  mlSqlVersionMajor = 0;
}

int CSqlApi::ChangeSqlServer(const SqlLogonInfo* logonP) {
  static const char* const kOp = "CSqlApi::ChangeSqlServer";
  BeginOperation();
  TRACE_ENTRY_FRAME(TRC_SQLAPI, kOp, gSqlApiTraceFrame, mszRcName);
  TraceLogonInfo(kOp, logonP);
  ReleaseServer();
  CopyLogonInfo(logonP);
  TRACE_RETURN(RC_OK);
}

int CSqlApi::LogonSqlServer(void*, uint32_t*& cancelP, char*& msgBufP) {
  static const char* const kOp = "CSqlApi::LogonSqlServer";
  BeginOperation();
  TRACE_ENTRY_FRAME(TRC_SQLAPI, kOp, gSqlApiTraceFrame, mszRcName);
  if (!sqlIsCanceled(cancelP)) {
    int rc = LogonServer(cancelP);
    if (!sqlIsCanceled(cancelP)) TRACE_RETURN(rc);
  }
  int rc = Canceled(kOp);
  copyText(mszErrorText, sizeof mszErrorText, "");
  FormatRcMessage(msgBufP, rc);
  TRACE_RETURN(rc);
}
