// CSqlApi::GetSqlServerInfo: the facts of the connected server and, on request, the instances
// installed on the machine.
#include <algorithm>
#include <cstring>
#include <iterator>

#include "sqlapiint.h"

namespace {

constexpr const char* kOp = "CSqlApi::GetSqlServerInfo";

// The three collation values of SQL Server 7, read while advanced options are shown.
struct ConfigRead {
  const WCHAR* nameP;
  const char* getNameTextP;   // the failure text of GetConfigValueByName
  const char* getValueTextP;  // the failure text of GetCurrentValue
  int32_t SqlServerElement::*fieldP;
};
const ConfigRead kConfigReads[] = {
    {u"default sortorder id", "Configuration.GetConfigValueByName(default sortorder id)",
     "ConfigValue.GetCurrentValue(default sortorder id)",
     &SqlServerElement::lSqlDefaultSortOrderId},
    {u"Unicode locale id", "Configuration.GetConfigValueByName(Unicode locale id)",
     "ConfigValue.GetCurrentValue(Unicode locale id)",
     &SqlServerElement::lSqlDefaultUnicodeLocaleId},
    {u"Unicode comparison style", "Configuration.GetConfigValueByName(Unicode comparison style)",
     "ConfigValue.GetCurrentValue(Unicode comparison styled)",
     &SqlServerElement::lSqlDefaultUnicodeComparisonStyle},
};

void copyServer(SqlServerElement* destP, const SqlServerElement& src) {
  if (destP == nullptr || destP == &src) return;
  *destP = src;
}

// The build in a version string "product - major.minor.build platform": the text between the
// second dot after the hyphen and the next blank; false when any of the four is missing.
bool findBuild(BSTR version, size_t* startP, size_t* lengthP) {
  const WCHAR* beginP = version;
  const WCHAR* endP = beginP + SysStringLen(version);
  const WCHAR* hyphenP = std::find(beginP, endP, u'-');
  const WCHAR* dot1P = std::find(hyphenP, endP, u'.');
  const WCHAR* dot2P = dot1P == endP ? endP : std::find(dot1P + 1, endP, u'.');
  const WCHAR* blankP = dot2P == endP ? endP : std::find(dot2P + 1, endP, u' ');
  if (blankP == endP) return false;
  *startP = static_cast<size_t>(dot2P + 1 - beginP);
  *lengthP = static_cast<size_t>(blankP - dot2P - 1);
  return true;
}

}  // namespace

int CSqlApi::GetSqlServerInfo(SqlServerElement* serverP, uint32_t** cancelPP, char** msgBufPP,
                              CLinkedList<SqlInstanceElement>** instancesPP) {
  BeginOperation();
  TRACE_ENTRY_FRAME(TRC_SQLAPI, kOp, gSqlApiTraceFrame, mszRcName);
  mhrLast = S_OK;
  uint32_t* cancelP = cancelPP != nullptr ? *cancelPP : nullptr;
  char* msgBufP = msgBufPP != nullptr ? *msgBufPP : nullptr;
  CLinkedList<SqlInstanceElement>* instancesP = instancesPP != nullptr ? *instancesPP : nullptr;
  ResetServerInfo();
  copyServer(serverP, meServer);
  if (instancesP != nullptr) instancesP->freeAll();
  int rc = ReadServerInfo(cancelP, instancesP);
  rc = EndWithMessage(kOp, rc, cancelP, msgBufP);
  if (rc != RC_OK) TRACE_RETURN(rc);
  copyServer(serverP, meServer);
  TRACE_RETURN(RC_OK);
}

int CSqlApi::ReadServerInfo(uint32_t*& cancelP, CLinkedList<SqlInstanceElement>* instancesP) {
  if (sqlIsCanceled(cancelP)) return RC_OK;
  int rc = LogonServer(cancelP);
  if (rc != RC_OK) return rc;
  rc = ReadServerFacts(cancelP);
  if (rc != RC_OK) return rc;
  rc = ReadCollation(cancelP);
  if (rc != RC_OK) return rc;
  return ReadInstanceFacts(cancelP, instancesP);
}

int CSqlApi::ReadServerFacts(uint32_t* cancelP) {
  if (sqlIsCanceled(cancelP)) return RC_OK;
  HRESULT hr = SQLAPI_CALL(mpDmoServer->GetVersionMajor(&mlSqlVersionMajor));
  if (FAILED(hr))
    return CallFailed(RC_SQL_API_FAILURE, sqlRcName(RC_SQL_API_FAILURE), hr, kOp,
                      "Server.GetVersionMajor()");
  meServer.lSqlVersionMajor = mlSqlVersionMajor;
  if (sqlIsCanceled(cancelP)) return RC_OK;
  hr = SQLAPI_CALL(mpDmoServer->GetVersionMinor(&meServer.lSqlVersionMinor));
  if (FAILED(hr))
    return CallFailed(RC_SQL_API_FAILURE, sqlRcName(RC_SQL_API_FAILURE), hr, kOp,
                      "Server.GetVersionMinor()");
  int rc = ReadVersionBuild(cancelP);
  if (rc != RC_OK || sqlIsCanceled(cancelP)) return rc;
  BSTR text = nullptr;
  hr = SQLAPI_CALL(mpDmoServer->GetTrueName(&text));
  if (FAILED(hr))
    return CallFailed(RC_SQL_API_FAILURE, sqlRcName(RC_SQL_API_FAILURE), hr, kOp,
                      "Server.GetTrueName()");
  rc = CopyBToNAndFree(text, meServer.szSqlServerName, sizeof meServer.szSqlServerName);
  if (rc != RC_OK || sqlIsCanceled(cancelP)) return rc;
  hr = SQLAPI_CALL(mpDmoServer->GetHostName(&text));
  if (FAILED(hr))
    return CallFailed(RC_SQL_API_FAILURE, sqlRcName(RC_SQL_API_FAILURE), hr, kOp,
                      "Server.GetHostName()");
  rc = CopyBToNAndFree(text, meServer.szSqlHostName, sizeof meServer.szSqlHostName);
  if (rc != RC_OK || sqlIsCanceled(cancelP)) return rc;
  hr = SQLAPI_CALL(mpDmoServer->GetCodePage(&meServer.lSqlDefaultCodePage));
  if (FAILED(hr))
    return CallFailed(RC_SQL_API_FAILURE, sqlRcName(RC_SQL_API_FAILURE), hr, kOp,
                      "Server.GetCodePage()");
  return RC_OK;
}

int CSqlApi::ReadVersionBuild(uint32_t* cancelP) {
  if (sqlIsCanceled(cancelP)) return RC_OK;
  BSTR version = nullptr;
  HRESULT hr = SQLAPI_CALL(mpDmoServer->GetVersionString(&version));
  if (FAILED(hr))
    return CallFailed(RC_SQL_API_FAILURE, sqlRcName(RC_SQL_API_FAILURE), hr, kOp,
                      "Server.GetVersionString()");
  size_t start = 0;
  size_t length = 0;
  int rc = 0;
  if (findBuild(version, &start, &length)) {
    WCHAR build[64];
    length = std::min(length, std::size(build) - 1);
    memcpy(build, version + start, length * sizeof(WCHAR));
    build[length] = 0;
    rc = CopyUToN(build, meServer.szSqlServerBuild, sizeof meServer.szSqlServerBuild);
  }
  FreeTimed(version);
  return rc;
}

// SQL Server 7 keeps its collation in three advanced configuration values. The server-wide
// "show advanced options" setting is switched on to read them and always switched back, also
// when a read fails or the request is cancelled.
int CSqlApi::ReadCollation(uint32_t* cancelP) {
  if (mlSqlVersionMajor != 7 || sqlIsCanceled(cancelP)) return RC_OK;
  ISQLDMOConfiguration* configP = nullptr;
  HRESULT hr = SQLAPI_CALL(mpDmoServer->GetConfiguration(&configP));
  if (FAILED(hr))
    return CallFailed(RC_SQL_API_FAILURE, sqlRcName(RC_SQL_API_FAILURE), hr, kOp,
                      "Server.GetConfiguration()");
  int rc = ReadAdvancedConfig(configP, cancelP);
  ReleaseTimed(configP);
  return rc;
}

// Reads the values with "show advanced options" on: switched on first when it is off, and
// back off afterwards whatever the outcome of the reads.
int CSqlApi::ReadAdvancedConfig(ISQLDMOConfiguration* configP, uint32_t* cancelP) {
  if (sqlIsCanceled(cancelP)) return RC_OK;
  BOOL remembered = FALSE;
  HRESULT hr = SQLAPI_CALL(configP->GetShowAdvancedOptions(&remembered));
  if (FAILED(hr)) {
    return CallFailed(RC_SQL_API_FAILURE, sqlRcName(RC_SQL_API_FAILURE), hr, kOp,
                      "Configuration.GetShowAdvancedOptions(%s)", remembered ? "true" : "false");
  }
  if (remembered == TRUE) return ReadConfigValues(configP, cancelP);
  if (sqlIsCanceled(cancelP)) return RC_OK;
  hr = SQLAPI_CALL(configP->SetShowAdvancedOptions(TRUE));
  if (FAILED(hr)) {
    return CallFailed(RC_SQL_API_FAILURE, sqlRcName(RC_SQL_API_FAILURE), hr, kOp,
                      "Configuration.SetShowAdvancedOptions()");
  }
  int rc = ReadConfigValues(configP, cancelP);
  return RestoreAdvancedOptions(configP, remembered, rc);
}

// Sets the remembered value back. A failure here is the operation's failure only when nothing
// failed before; otherwise the first failure's error text is taken first so it is not lost.
int CSqlApi::RestoreAdvancedOptions(ISQLDMOConfiguration* configP, BOOL remembered, int rc) {
  if (rc != RC_OK) FetchComErrorText();
  HRESULT hr = SQLAPI_CALL(configP->SetShowAdvancedOptions(remembered));
  if (SUCCEEDED(hr)) return rc;
  if (rc != RC_OK) {
    DropComErrorInfo();
    SQLAPI_TRACE("SQLAPI-%s Configuration.SetShowAdvancedOptions(%i) failed: 0x%x\n", kOp,
                 remembered, static_cast<unsigned>(hr));
    return rc;
  }
  return CallFailed(RC_SQL_API_FAILURE, sqlRcName(RC_SQL_API_FAILURE), hr, kOp,
                    "Configuration.SetShowAdvancedOptions()");
}

int CSqlApi::ReadConfigValues(ISQLDMOConfiguration* configP, uint32_t* cancelP) {
  for (const ConfigRead& read : kConfigReads) {
    if (sqlIsCanceled(cancelP)) return 0;
    ISQLDMOConfigValue* valueP = nullptr;
    HRESULT hr = SQLAPI_CALL(configP->GetConfigValueByName(read.nameP, &valueP));
    if (FAILED(hr))
      return CallFailed(RC_SQL_API_FAILURE, sqlRcName(RC_SQL_API_FAILURE), hr, kOp, "%s",
                        read.getNameTextP);
    LONG value = 0;
    hr = sqlIsCanceled(cancelP) ? S_OK : SQLAPI_CALL(valueP->GetCurrentValue(&value));
    ReleaseTimed(valueP);
    if (FAILED(hr))
      return CallFailed(RC_SQL_API_FAILURE, sqlRcName(RC_SQL_API_FAILURE), hr, kOp, "%s",
                        read.getValueTextP);
    meServer.*read.fieldP = value;
    SQLAPI_TRACE("SQLAPI-%s %s:%i\n", kOp, read.getValueTextP, value);
  }
  return 0;
}

// From SQL-DMO and SQL Server 8 on: the instance name, clustering and the installed instances;
// before, clustering from the cluster's registry key.
int CSqlApi::ReadInstanceFacts(uint32_t* cancelP, CLinkedList<SqlInstanceElement>* instancesP) {
  if (sqlIsCanceled(cancelP)) return RC_OK;
  if (mlDmoVersion < 8 || mlSqlVersionMajor < 8) {
    meServer.bSqlIsClustered = sqlClusterKeyOpens(meServer.szSqlServerName);
    return RC_OK;
  }
  BSTR name = nullptr;
  HRESULT hr = SQLAPI_CALL(Server2()->GetInstanceName(&name));
  if (FAILED(hr))
    return CallFailed(RC_SQL_API_FAILURE, sqlRcName(RC_SQL_API_FAILURE), hr, kOp,
                      "Server.GetInstanceName()");
  if (name != nullptr) {
    int rc = CopyBToNAndFree(name, meServer.szSqlInstanceName, sizeof meServer.szSqlInstanceName);
    if (rc != RC_OK) return rc;
  }
  if (sqlIsCanceled(cancelP)) return RC_OK;
  BOOL clustered = FALSE;
  hr = SQLAPI_CALL(Server2()->GetIsClustered(&clustered));
  if (FAILED(hr))
    return CallFailed(RC_SQL_API_FAILURE, sqlRcName(RC_SQL_API_FAILURE), hr, kOp,
                      "Server.GetIsClustered()");
  meServer.bSqlIsClustered = clustered != FALSE;
  return instancesP != nullptr ? ListInstances(cancelP, instancesP) : 0;
}

int CSqlApi::ListInstances(uint32_t* cancelP, CLinkedList<SqlInstanceElement>* instancesP) {
  if (sqlIsCanceled(cancelP)) return RC_OK;
  ISQLDMONameList* namesP = nullptr;
  HRESULT hr = SQLAPI_CALL(Server2()->ListInstalledInstances(&namesP, nullptr));
  if (FAILED(hr))
    return CallFailed(RC_SQL_API_FAILURE, sqlRcName(RC_SQL_API_FAILURE), hr, kOp,
                      "Server.ListInstalledInstances()");
  int rc = AppendInstances(namesP, cancelP, instancesP);
  ReleaseTimed(namesP);
  return rc;
}

int CSqlApi::AppendInstances(ISQLDMONameList* namesP, uint32_t* cancelP,
                             CLinkedList<SqlInstanceElement>* instancesP) {
  int rc = 0;
  LONG count = 0;
  if (!sqlIsCanceled(cancelP)) {
    HRESULT hr = SQLAPI_CALL(namesP->GetCount(&count));
    if (FAILED(hr)) {
      rc = CallFailed(RC_SQL_API_FAILURE, sqlRcName(RC_SQL_API_FAILURE), hr, kOp,
                      "ServerNames.GetCount()");
    }
  }
  SQLAPI_TRACE("SQLAPI-%s lNumServers:%i\n", kOp, count);
  if (rc != RC_OK) return rc;
  for (LONG i = 0; i < count && !sqlIsCanceled(cancelP); ++i) {
    BSTR name = nullptr;
    HRESULT hr = SQLAPI_CALL(namesP->GetItemByOrd(i, &name));
    if (FAILED(hr)) {
      return CallFailed(RC_SQL_API_FAILURE, sqlRcName(RC_SQL_API_FAILURE), hr, kOp,
                        "ServerNames.GetItemByOrd(%i)", i);
    }
    SqlInstanceElement element = {};
    rc = CopyBToNAndFree(name, element.szServerName, sizeof element.szServerName);
    if (rc != RC_OK) return rc;
    rc = instancesP->addTail(&element);
    if (rc != RC_OK) return rc;
  }
  return RC_OK;
}
