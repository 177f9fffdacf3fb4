// CSqlApi: obtaining the SQL-DMO server object, logging on with its checks, logging off and
// releasing it. States climb from no server object to obtained, connected and logged on; a
// failure or cancel inside LogonServer falls back to obtained, inside ObtainServer to none.
#include <cstring>

#include "sqlapiint.h"
#include "sqlsink.h"

namespace {

constexpr size_t kWideNameBytes = 263 * sizeof(WCHAR);
constexpr const char* kMaskedPassword = "********";

const char* boolText(bool value) {
  return value ? "true" : "false";
}

}  // namespace

// ---- ObtainServer ----

int CSqlApi::ObtainServer(uint32_t*& cancelP) {
  static const char* const kOp = "CSqlApi::ObtainServer";
  BeginOperation();
  TRACE_ENTRY_FRAME(TRC_SQLAPI, kOp, gSqlApiTraceFrame, mszRcName);
  mhrLast = S_OK;
  int rc = 0;
  if (!mbServerObtained && !sqlIsCanceled(cancelP)) rc = CreateAndAdvise(cancelP);
  if (sqlIsCanceled(cancelP)) {
    ReleaseServer();
    TRACE_RETURN(Canceled(kOp));
  }
  if (rc != RC_OK) {
    {
      CSqlErrorKeep keep(*this);
      ReleaseServer();
    }
    FetchComErrorText();
    SQLAPI_TRACE("SQLAPI-%s %s\n", kOp, mszErrorText);
  }
  TRACE_RETURN(rc);
}

// Creates the server object; with the SQLAPI trace on, advises the event sink on it.
int CSqlApi::CreateAndAdvise(uint32_t* cancelP) {
  int rc = CreateServer(cancelP);
  if (rc != RC_OK || sqlIsCanceled(cancelP)) return rc;
  mbServerObtained = true;
  if (!gTrace.isOn(TRC_SQLAPI)) return RC_OK;
  return AdviseSink(cancelP);
}

int CSqlApi::CreateServer(uint32_t* cancelP) {
  static const char* const kOp = "CSqlApi::ObtainServer";
  bool server2 = mlDmoVersion != 7;
  ISQLDMOServer2* server2P = nullptr;
  HRESULT hr;
  if (server2) {
    hr = SQLAPI_CALL(CoCreateInstance(CLSID_SQLDMOServer2, nullptr, CLSCTX_INPROC_SERVER,
                                      IID_ISQLDMOServer2, reinterpret_cast<void**>(&server2P)));
    mpDmoServer = server2P;
  } else {
    hr = SQLAPI_CALL(CoCreateInstance(CLSID_SQLDMOServer, nullptr, CLSCTX_INPROC_SERVER,
                                      IID_ISQLDMOServer, reinterpret_cast<void**>(&mpDmoServer)));
  }
  if (FAILED(hr)) {
    return CallFailed(RC_SQL_API_FAILURE, sqlRcName(RC_SQL_API_FAILURE), hr, kOp,
                      server2 ? "CoCreateInstance(Server2)" : "CoCreateInstance(Server)");
  }
  if (sqlIsCanceled(cancelP)) return 0;
  hr = SQLAPI_CALL(mpDmoServer->SetApplicationName(u"ZARNAKSQL"));
  if (FAILED(hr)) {
    return CallFailed(RC_SQL_API_FAILURE, sqlRcName(RC_SQL_API_FAILURE), hr, kOp,
                      "Server.SetApplicationName(%s)", "ZARNAKSQL");
  }
  if (sqlIsCanceled(cancelP)) return 0;
  hr = SQLAPI_CALL(mpDmoServer->SetBlockingTimeout(mlBlockingTimeout));
  if (FAILED(hr)) {
    return CallFailed(RC_SQL_API_FAILURE, sqlRcName(RC_SQL_API_FAILURE), hr, kOp,
                      "Server.SetBlockingTimeout(%i)n", mlBlockingTimeout);
  }
  if (sqlIsCanceled(cancelP)) return 0;
  hr = SQLAPI_CALL(mpDmoServer->SetNetPacketSize(mlNetPacketSize));
  if (FAILED(hr)) {
    return CallFailed(RC_SQL_API_FAILURE, sqlRcName(RC_SQL_API_FAILURE), hr, kOp,
                      "Server.SetNetPacketSize(%i)", mlNetPacketSize);
  }
  return 0;
}

// The sink's life is held by the server's advice alone; a sink that was never advised has no
// owner, so it is freed here.
int CSqlApi::AdviseSink(uint32_t* cancelP) {
  static const char* const kOp = "CSqlApi::ObtainServer";
  mpServerSink = new (std::nothrow) CSqlServerSink();
  if (mpServerSink == nullptr) {
    return CheckFailed(RC_SQL_NO_MEMORY, sqlRcName(RC_SQL_NO_MEMORY), kOp, __LINE__,
                       "CSqlServerSink");
  }
  int rc = 0;
  IConnectionPointContainer* containerP = nullptr;
  if (!sqlIsCanceled(cancelP)) {
    HRESULT hr = SQLAPI_CALL(mpDmoServer->QueryInterface(IID_IConnectionPointContainer,
                                                         reinterpret_cast<void**>(&containerP)));
    if (FAILED(hr)) {
      rc = CallFailed(RC_SQL_COM_SETUP_FAILED, sqlRcName(RC_SQL_COM_SETUP_FAILED), hr, kOp,
                      "Server.QueryInterface(IID_IConnectionPointContainer)");
    }
  }
  if (containerP != nullptr) {
    HRESULT hr = SQLAPI_CALL(containerP->FindConnectionPoint(IID_ISQLDMOServerSink, &mpServerCP));
    if (FAILED(hr)) {
      rc = CallFailed(RC_SQL_COM_SETUP_FAILED, sqlRcName(RC_SQL_COM_SETUP_FAILED), hr, kOp,
                      "ConnectionPointContainer.FindConnectPoint(IID_ISQLServerSink)");
    }
  }
  if (mpServerCP != nullptr) {
    HRESULT hr = SQLAPI_CALL(
        mpServerCP->Advise(static_cast<ISQLDMOServerSink*>(mpServerSink), &mdwSinkCookie));
    if (FAILED(hr)) {
      rc = CallFailed(RC_SQL_COM_SETUP_FAILED, sqlRcName(RC_SQL_COM_SETUP_FAILED), hr, kOp,
                      "ConnectionPoint.Advise(mpServerSink)");
    } else {
      mbSinkAdvised = true;
    }
  }
  ReleaseTimed(containerP);
  if (!mbSinkAdvised) FreeUnadvisedSink();
  return rc;
}

void CSqlApi::FreeUnadvisedSink() {
  if (mpServerSink == nullptr) return;
  mpServerSink->AddRef();
  mpServerSink->Release();
  mpServerSink = nullptr;
}

// ---- LogoffServer and ReleaseServer ----

int CSqlApi::LogoffServer() {
  static const char* const kOp = "CSqlApi::LogoffServer";
  BeginOperation();
  TRACE_ENTRY_FRAME(TRC_SQLAPI, kOp, gSqlApiTraceFrame, mszRcName);
  mbLoggedOn = false;
  mbSinkAdvised = false;
  int unadviseRc = UnadviseSink();
  ReleaseTimed(mpServerCP);
  int disconnectRc = Disconnect();
  TRACE_RETURN(disconnectRc != RC_OK ? disconnectRc : unadviseRc);
}

// Steps of LogoffServer: each clears its state whether or not the call succeeds.
int CSqlApi::UnadviseSink() {
  static const char* const kOp = "CSqlApi::LogoffServer";
  if (mdwSinkCookie == 0 || mpServerCP == nullptr) return RC_OK;
  HRESULT hr = SQLAPI_CALL(mpServerCP->Unadvise(mdwSinkCookie));
  mdwSinkCookie = 0;
  mpServerSink = nullptr;  // the advice held its only reference
  if (SUCCEEDED(hr)) return RC_OK;
  int rc = CallFailed(RC_SQL_COM_SETUP_FAILED, sqlRcName(RC_SQL_COM_SETUP_FAILED), hr, kOp,
                      "pServeCP->Unadvise()");
  FetchComErrorText();
  SQLAPI_TRACE("SQLAPI-%s %s\n", kOp, mszErrorText);
  return rc;
}

int CSqlApi::Disconnect() {
  static const char* const kOp = "CSqlApi::LogoffServer";
  if (!mbConnected) return RC_OK;
  HRESULT hr = SQLAPI_CALL(mpDmoServer->DisConnect());
  mbConnected = false;
  if (SUCCEEDED(hr)) return RC_OK;
  int rc = CallFailed(RC_SQL_API_FAILURE, sqlRcName(RC_SQL_API_FAILURE), hr, kOp,
                      "mpDmoServer->DisConnect()");
  FetchComErrorText();
  SQLAPI_TRACE("SQLAPI-%s %s\n", kOp, mszErrorText);
  return rc;
}

void CSqlApi::ReleaseServer() {
  BeginOperation();
  TRACE_ENTRY_FRAME(TRC_SQLAPI, "CSqlApi::ReleaseServer", gSqlApiTraceFrame, mszRcName);
  LogoffServer();
  mbServerObtained = false;
  ResetServerInfo();
  ReleaseTimed(mpDmoDatabase);
  ReleaseTimed(mpDmoServer);
}

// ---- LogonServer ----

int CSqlApi::LogonServer(uint32_t*& cancelP) {
  static const char* const kOp = "CSqlApi::LogonServer";
  BeginOperation();
  TRACE_ENTRY_FRAME(TRC_SQLAPI, kOp, gSqlApiTraceFrame, mszRcName);
  mhrLast = S_OK;
  int rc = 0;
  if (!mbLoggedOn) rc = LogonSteps(cancelP);
  if (sqlIsCanceled(cancelP) ||
      (rc == RC_CANCELED_BY_USER && meLogon.pfnLogonCallback != nullptr)) {
    LogoffServer();
    TRACE_RETURN(Canceled(kOp));
  }
  if (rc != RC_OK) {
    {
      CSqlErrorKeep keep(*this);
      LogoffServer();
    }
    FetchComErrorText();
    SQLAPI_TRACE("SQLAPI-%s %s\n", kOp, mszErrorText);
  }
  TRACE_RETURN(rc);
}

int CSqlApi::LogonSteps(uint32_t*& cancelP) {
  int rc = ObtainServer(cancelP);
  if (rc != RC_OK) return rc;
  rc = SetConnectProperties(cancelP);
  if (rc != RC_OK) return rc;
  rc = AttemptLogon(cancelP);
  if (rc != RC_OK) return rc;
  return CheckServer(cancelP);
}

int CSqlApi::SetConnectProperties(uint32_t* cancelP) {
  static const char* const kOp = "CSqlApi::LogonServer";
  WCHAR name[kWideNameBytes / sizeof(WCHAR)];
  int rc = CopyNToU(meLogon.szSqlServer, name, sizeof name);
  if (rc != RC_OK) return rc;
  if (sqlIsCanceled(cancelP)) return RC_OK;
  HRESULT hr = SQLAPI_CALL(mpDmoServer->SetName(name));
  if (FAILED(hr)) {
    return CallFailed(RC_SQL_API_FAILURE, sqlRcName(RC_SQL_API_FAILURE), hr, kOp,
                      "Server.SetName(%s)", meLogon.szSqlServer);
  }
  if (sqlIsCanceled(cancelP)) return RC_OK;
  hr = SQLAPI_CALL(mpDmoServer->SetLoginTimeout(mlBlockingTimeout));
  if (FAILED(hr)) {
    return CallFailed(RC_SQL_API_FAILURE, sqlRcName(RC_SQL_API_FAILURE), hr, kOp,
                      "Server.SetLoginTimeout(%i)", mlBlockingTimeout);
  }
  if (sqlIsCanceled(cancelP)) return RC_OK;
  hr = SQLAPI_CALL(mpDmoServer->SetAutoReConnect(TRUE));
  if (FAILED(hr)) {
    return CallFailed(RC_SQL_API_FAILURE, sqlRcName(RC_SQL_API_FAILURE), hr, kOp,
                      "Server.SetAutoReConnect(TRUE)");
  }
  if (sqlIsCanceled(cancelP)) return RC_OK;
  hr = SQLAPI_CALL(mpDmoServer->SetQueryTimeout(0));
  if (FAILED(hr)) {
    return CallFailed(RC_SQL_API_FAILURE, sqlRcName(RC_SQL_API_FAILURE), hr, kOp,
                      "Server.SetQueryTimeout(0)");
  }
  return RC_OK;
}

// One attempt sets the mode, login and password and connects; with a logon callback the
// attempt repeats for as long as the callback asks.
int CSqlApi::AttemptLogon(uint32_t* cancelP) {
  static const char* const kOp = "CSqlApi::LogonServer";
  for (;;) {
    mbConnected = false;
    mhrLast = S_OK;
    int rc = 0;
    SQLAPI_TRACE("SQLAPI-%s meLogon.enumSqlAuth(%i):%s\n", kOp, meLogon.enumSqlAuth,
                 meLogon.enumSqlAuth == SqlIntegrated ? "SqlIntegrated" : "SqlUserid");
    if (sqlIsCanceled(cancelP)) return RC_OK;
    bool secure = meLogon.enumSqlAuth == SqlIntegrated;
    HRESULT hr = SQLAPI_CALL(mpDmoServer->SetLoginSecure(secure ? TRUE : FALSE));
    if (FAILED(hr)) {
      return CallFailed(RC_SQL_API_FAILURE, sqlRcName(RC_SQL_API_FAILURE), hr, kOp,
                        "Server.SetLoginSecure(%s)", boolText(secure));
    }
    WCHAR text[kWideNameBytes / sizeof(WCHAR)];
    rc = CopyNToU(meLogon.szSqlUser, text, sizeof text);
    if (rc != RC_OK) return rc;
    if (sqlIsCanceled(cancelP)) return RC_OK;
    hr = SQLAPI_CALL(mpDmoServer->SetLogin(text));
    if (FAILED(hr)) {
      return CallFailed(RC_SQL_API_FAILURE, sqlRcName(RC_SQL_API_FAILURE), hr, kOp,
                        "Server.SetLogin(%s)", meLogon.szSqlUser);
    }
    rc = CopyNToU(meLogon.szSqlPassword, text, sizeof text);
    if (rc != RC_OK) return rc;
    if (sqlIsCanceled(cancelP)) return RC_OK;
    hr = SQLAPI_CALL(mpDmoServer->SetPassword(text));
    memset(text, 0, sizeof text);
    if (FAILED(hr)) {
      // The password itself never reaches a failure text or the trace.
      return CallFailed(RC_SQL_API_FAILURE, sqlRcName(RC_SQL_API_FAILURE), hr, kOp,
                        "Server.SetPassword(%s)", kMaskedPassword);
    }
    if (sqlIsCanceled(cancelP)) return RC_OK;
    hr = SQLAPI_CALL(mpDmoServer->Connect(nullptr, nullptr, nullptr));
    if (FAILED(hr)) {
      rc = CallFailed(RC_SQL_CONNECT_FAILED, sqlRcName(RC_SQL_CONNECT_FAILED), hr, kOp,
                      "Server.Connect()");
    } else {
      mbConnected = true;
      rc = CheckSysadmin(cancelP);
    }
    if (meLogon.pfnLogonCallback == nullptr) return rc;
    if (rc != RC_OK && rc != RC_SQL_CONNECT_FAILED && rc != RC_SQL_NOT_SYSADMIN) return rc;
    rc = CallLogonCallback(rc);
    if (rc == RC_OK || rc == RC_CANCELED_BY_USER || sqlIsCanceled(cancelP)) return rc;
  }
}

int CSqlApi::CheckSysadmin(uint32_t* cancelP) {
  static const char* const kOp = "CSqlApi::LogonServer";
  if (sqlIsCanceled(cancelP)) return 0;
  LONG status = 0;
  HRESULT hr = SQLAPI_CALL(mpDmoServer->GetStatus(&status));
  if (FAILED(hr)) {
    return CallFailed(RC_SQL_API_FAILURE, sqlRcName(RC_SQL_API_FAILURE), hr, kOp,
                      "Server.GetStatus()");
  }
  if (status != SQLDMOSvc_Running) SQLAPI_TRACE("SQLAPI-%s iStatus:%i\n", kOp, status);
  if (sqlIsCanceled(cancelP)) return 0;
  BOOL sysadmin = FALSE;
  hr = SQLAPI_CALL(mpDmoServer->GetIssysadmin(&sysadmin));
  if (FAILED(hr)) {
    return CallFailed(RC_SQL_API_FAILURE, sqlRcName(RC_SQL_API_FAILURE), hr, kOp,
                      "Server.GetIssysadmin()");
  }
  if (sysadmin) return 0;
  return CheckFailed(RC_SQL_NOT_SYSADMIN, sqlRcName(RC_SQL_NOT_SYSADMIN), kOp, __LINE__,
                     "Server:IsSysadmin:%s", boolText(false));
}

int CSqlApi::CallLogonCallback(int rc) {
  static const char* const kOp = "CSqlApi::LogonServer";
  if (rc == RC_SQL_NOT_SYSADMIN) {
    HRESULT hr = SQLAPI_CALL(mpDmoServer->DisConnect());
    mbConnected = false;
    if (FAILED(hr)) {
      return CallFailed(RC_SQL_API_FAILURE, sqlRcName(RC_SQL_API_FAILURE), hr, kOp,
                        "mpDmoServer->DisConnect()");
    }
  }
  char errorText[1024] = "";
  if (FAILED(mhrLast)) FormatComErrorText(mhrLast, errorText);
  mhrLast = S_OK;
  int callbackRc = rc;
  return meLogon.pfnLogonCallback(&callbackRc, &meLogon.enumSqlAuth, errorText, meLogon.szSqlUser,
                                  meLogon.szSqlPassword);
}

// Version, names, clustering and the same-machine rule, once connected as sysadmin.
int CSqlApi::CheckServer(uint32_t* cancelP) {
  static const char* const kOp = "CSqlApi::LogonServer";
  if (sqlIsCanceled(cancelP)) return RC_OK;
  HRESULT hr = SQLAPI_CALL(mpDmoServer->GetVersionMajor(&mlSqlVersionMajor));
  if (FAILED(hr)) {
    return CallFailed(RC_SQL_API_FAILURE, sqlRcName(RC_SQL_API_FAILURE), hr, kOp,
                      "Server.GetVersionMajor()");
  }
  if (mlSqlVersionMajor < 7) {
    return CheckFailed(RC_SQL_VERSION_TOO_OLD, sqlRcName(RC_SQL_VERSION_TOO_OLD), kOp, __LINE__,
                       "Server:SqlVersion:%i < 7", mlSqlVersionMajor);
  }
  int rc = gTrace.isOn(TRC_SQLAPI) ? TraceServerFacts(cancelP) : 0;
  if (rc != RC_OK) return rc;
  if (sqlIsCanceled(cancelP)) return RC_OK;
  BSTR name = nullptr;
  hr = SQLAPI_CALL(mpDmoServer->GetTrueName(&name));
  if (FAILED(hr)) {
    return CallFailed(RC_SQL_API_FAILURE, sqlRcName(RC_SQL_API_FAILURE), hr, kOp,
                      "Server.GetTrueName()");
  }
  rc = CopyBToNAndFree(name, meServer.szSqlServerName, sizeof meServer.szSqlServerName);
  if (rc != RC_OK) return rc;
  SQLAPI_TRACE("SQLAPI-%s szSqlServerName:%s\n", kOp, meServer.szSqlServerName);
  BSTR hostName = nullptr;
  BSTR netName = nullptr;
  rc = CheckMachine(cancelP, hostName, netName);
  FreeTimed(hostName);
  FreeTimed(netName);
  if (rc != RC_OK || sqlIsCanceled(cancelP)) return rc;
  mbLoggedOn = true;
  return RC_OK;
}

// The machine's names, whether the server is clustered and whether it runs on this machine.
// The names are the caller's to free, whatever the outcome.
int CSqlApi::CheckMachine(uint32_t* cancelP, BSTR& hostName, BSTR& netName) {
  int rc = ReadMachineNames(cancelP, hostName, netName);
  if (rc != RC_OK) return rc;
  rc = DecideClustered(cancelP);
  if (rc != RC_OK || sqlIsCanceled(cancelP)) return rc;
  return CheckSameMachine(hostName, netName);
}

int CSqlApi::ReadMachineNames(uint32_t* cancelP, BSTR& hostName, BSTR& netName) {
  static const char* const kOp = "CSqlApi::LogonServer";
  if (sqlIsCanceled(cancelP)) return 0;
  HRESULT hr = SQLAPI_CALL(mpDmoServer->GetHostName(&hostName));
  if (FAILED(hr)) {
    return CallFailed(RC_SQL_API_FAILURE, sqlRcName(RC_SQL_API_FAILURE), hr, kOp,
                      "Server.GetHostName()");
  }
  if (sqlIsCanceled(cancelP)) return 0;
  hr = SQLAPI_CALL(mpDmoServer->GetNetName(&netName));
  if (FAILED(hr)) {
    return CallFailed(RC_SQL_API_FAILURE, sqlRcName(RC_SQL_API_FAILURE), hr, kOp,
                      "Server.GetNetName()");
  }
  return 0;
}

int CSqlApi::TraceServerFacts(uint32_t* cancelP) {
  static const char* const kOp = "CSqlApi::LogonServer";
  if (sqlIsCanceled(cancelP)) return 0;
  BSTR version = nullptr;
  HRESULT hr = SQLAPI_CALL(mpDmoServer->GetVersionString(&version));
  if (FAILED(hr)) {
    return CallFailed(RC_SQL_API_FAILURE, sqlRcName(RC_SQL_API_FAILURE), hr, kOp,
                      "Server.GetVersionString()");
  }
  char text[512];
  SQLAPI_TRACE("SQLAPI-%s VersionString:%s\n", kOp, sqlWideToText(version, text, sizeof text));
  FreeTimed(version);
  if (sqlIsCanceled(cancelP)) return 0;
  BOOL isNt = FALSE;
  hr = SQLAPI_CALL(mpDmoServer->IsOS(SQLDMO_WINNT, &isNt));
  if (FAILED(hr)) {
    return CallFailed(RC_SQL_API_FAILURE, sqlRcName(RC_SQL_API_FAILURE), hr, kOp,
                      "Server.IsOS(SQLDMO_WINNT)");
  }
  SQLAPI_TRACE("SQLAPI-%s bOsType:%s\n", kOp, boolText(isNt != FALSE));
  if (sqlIsCanceled(cancelP)) return 0;
  LONG package = 0;
  hr = SQLAPI_CALL(mpDmoServer->IsPackage(&package));
  if (FAILED(hr)) {
    return CallFailed(RC_SQL_API_FAILURE, sqlRcName(RC_SQL_API_FAILURE), hr, kOp,
                      "Server.IsPackage()");
  }
  SQLAPI_TRACE("SQLAPI-%s iPackageType:%i\n", kOp, package);
  return 0;
}

// From SQL-DMO and SQL Server 8 on the server knows; before, the cluster's registry key tells.
int CSqlApi::DecideClustered(uint32_t* cancelP) {
  static const char* const kOp = "CSqlApi::LogonServer";
  meServer.bSqlIsClustered = 0;
  if (mlDmoVersion >= 8 && mlSqlVersionMajor >= 8) {
    if (sqlIsCanceled(cancelP)) return 0;
    BOOL clustered = FALSE;
    HRESULT hr = SQLAPI_CALL(Server2()->GetIsClustered(&clustered));
    if (FAILED(hr)) {
      return CallFailed(RC_SQL_API_FAILURE, sqlRcName(RC_SQL_API_FAILURE), hr, kOp,
                        "Server.GetIsClustered()");
    }
    meServer.bSqlIsClustered = clustered != FALSE;
  } else {
    meServer.bSqlIsClustered = sqlClusterKeyOpens(meServer.szSqlServerName);
  }
  SQLAPI_TRACE("SQLAPI-%s bSqlIsClustered:%s\n", kOp, boolText(meServer.bSqlIsClustered != 0));
  return 0;
}

// A server that is not clustered must run on this machine under its own name.
int CSqlApi::CheckSameMachine(BSTR hostName, BSTR netName) {
  static const char* const kOp = "CSqlApi::LogonServer";
  if (meServer.bSqlIsClustered || SysStringLen(netName) == 0) return 0;
  UINT length = SysStringLen(hostName);
  if (length == SysStringLen(netName) && memcmp(hostName, netName, length * sizeof(WCHAR)) == 0) {
    return 0;
  }
  char host[256];
  char net[256];
  return CheckFailed(RC_SQL_HOST_NOT_NET_NAME, sqlRcName(RC_SQL_HOST_NOT_NET_NAME), kOp, __LINE__,
                     "Server:SqlHostName:%s SqlNetName:%s",
                     sqlWideToText(hostName, host, sizeof host),
                     sqlWideToText(netName, net, sizeof net));
}
