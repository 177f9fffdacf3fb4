// Construction, logon and logoff of CSqlApi against the emulated SQL Server.
#include "sqlapi.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>

#include "registry.h"
#include "runtime.h"
#include "sqlapi_testenv.h"

namespace {

using sqlapitest::SqlApiFixture;

class SqlApiTest : public SqlApiFixture {
 protected:
  void addLogin(const char* name, const char* password, bool sysadmin) {
    ASSERT_TRUE(instance().setLogin({name, false, password, sysadmin, false}).ok());
  }
  void createClusterKey(const char* serverName) {
    char path[512];
    snprintf(path, sizeof path,
             "SOFTWARE\\Microsoft\\MSSQLServer$%s\\MSSQLServer$%s\\CurrentVersion\\", serverName,
             serverName);
    HKEY key = nullptr;
    ASSERT_EQ(createOrOpenReg(HKEY_LOCAL_MACHINE, path, &key), 0);
    RegCloseKey(key);
  }
  // A host name that differs from the net name only in letter case.
  void splitHostAndNetName(bool clustered) {
    static bool s_clustered;
    s_clustered = clustered;
    setFacts([](sqlengine::ServerFacts& f) {
      f.hostName = "TESTHOST";
      f.netName = "testhost";
      f.clustered = s_clustered;
    });
  }
};

TEST_F(SqlApiTest, ConstructionSetsUpComOnceAndCopiesTheLogon) {
  {
    auto api = makeApi();
    ASSERT_EQ(m_Rc, 0) << m_Msg;
    EXPECT_EQ(api->DmoVersion(), 8);
    EXPECT_STREQ(api->LogonInfo().szSqlServer, "TESTHOST");
    EXPECT_STREQ(api->LogonInfo().szSqlUser, "sa");
    EXPECT_EQ(api->LogonInfo().enumSqlAuth, SqlUserid);
    // The object's CoInitializeEx is in force on this thread.
    EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_FALSE);
    CoUninitialize();
  }
  // ...and its one CoUninitialize ended it.
  IUnknown* objectP = nullptr;
  EXPECT_EQ(CoCreateInstance(CLSID_SQLDMOApplication, nullptr, CLSCTX_INPROC_SERVER,
                             IID_ISQLDMOApplication, reinterpret_cast<void**>(&objectP)),
            CO_E_NOTINITIALIZED);
}

TEST_F(SqlApiTest, ObjectModelOlderThanSevenFailsWith1914AndItsMessage) {
  setDmoVersion(6);
  auto api = makeApi();
  EXPECT_EQ(m_Rc, RC_SQL_API_FAILURE);
  EXPECT_NE(strstr(api->ErrorText(), "CSqlApi::CSqlApi:"), nullptr);
  EXPECT_NE(strstr(api->ErrorText(), ":1914 Application:DmoVersion:6 < 7"), nullptr)
      << api->ErrorText();
  EXPECT_NE(strstr(m_Msg, "ZUD5422E"), nullptr) << m_Msg;
  EXPECT_NE(strstr(m_Msg, "Application:DmoVersion:6 < 7"), nullptr) << m_Msg;
  // The record is not taken on a failure.
  EXPECT_STREQ(api->LogonInfo().szSqlServer, "");
}

TEST_F(SqlApiTest, VersionSevenObjectModelPasses) {
  setDmoVersion(7);
  auto api = makeApi();
  EXPECT_EQ(m_Rc, 0) << m_Msg;
  EXPECT_EQ(logon(*api), 0) << api->ErrorText();
}

TEST_F(SqlApiTest, ComSetUpFailureGives1913AndStillEndsComOnce) {
  ASSERT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_OK);
  {
    auto api = makeApi();
    EXPECT_EQ(m_Rc, RC_SQL_COM_SETUP_FAILED);
    EXPECT_NE(strstr(api->FailedCall(), "CoInitializeEx()"), nullptr) << api->FailedCall();
    EXPECT_NE(strstr(m_Msg, "ZUD5421E"), nullptr) << m_Msg;
  }
  // The destructor's CoUninitialize ended this thread's own initialisation.
  EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
  CoUninitialize();
}

TEST_F(SqlApiTest, SqlAuthenticationLogsOnAndASecondLogonMakesNoCall) {
  auto api = makeApi();
  ASSERT_EQ(logon(*api), 0) << api->ErrorText();
  EXPECT_TRUE(api->IsLoggedOn());
  EXPECT_TRUE(api->IsConnected());
  // Any call of the logon would now fail.
  for (const char* method : {"Server.SetName", "Server.SetLoginSecure", "Server.GetStatus",
                             "Server.GetIssysadmin", "Server.GetVersionMajor", "Server.GetTrueName",
                             "Server.GetHostName", "Server.GetNetName", "Server.GetIsClustered"}) {
    failCall(method);
  }
  sqlengine::Fault refuse;
  refuse.kind = "connect";
  ASSERT_TRUE(instance().addFault(refuse).ok());
  EXPECT_EQ(logon(*api), 0) << api->ErrorText();
  EXPECT_TRUE(api->IsLoggedOn());
}

TEST_F(SqlApiTest, IntegratedAuthenticationUsesTheProcessUser) {
  m_Logon.enumSqlAuth = SqlIntegrated;
  snprintf(m_Logon.szSqlUser, sizeof m_Logon.szSqlUser, "nobody");
  auto api = makeApi();
  EXPECT_EQ(logon(*api), 0) << api->ErrorText();
}

TEST_F(SqlApiTest, RefusedConnectionGives1900WithTheServersText) {
  sqlengine::Fault refuse;
  refuse.kind = "connect";
  refuse.message = 18456;
  ASSERT_TRUE(instance().addFault(refuse).ok());
  auto api = makeApi();
  EXPECT_EQ(logon(*api), RC_SQL_CONNECT_FAILED);
  EXPECT_STREQ(api->RcName(), "( 1900 + 0 )");
  EXPECT_NE(strstr(api->FailedCall(), "Server.Connect()"), nullptr) << api->FailedCall();
  EXPECT_NE(strstr(api->ErrorText(), "HRESULT:0x"), nullptr) << api->ErrorText();
  EXPECT_EQ(strstr(api->ErrorText(), "Message text not available"), nullptr) << api->ErrorText();
  EXPECT_TRUE(api->IsServerObtained());
  EXPECT_FALSE(api->IsConnected());
}

TEST_F(SqlApiTest, WrongPasswordIsARefusedConnection) {
  snprintf(m_Logon.szSqlPassword, sizeof m_Logon.szSqlPassword, "wrong");
  auto api = makeApi();
  EXPECT_EQ(logon(*api), RC_SQL_CONNECT_FAILED);
  EXPECT_EQ(strstr(api->FailedCall(), "wrong"), nullptr);
}

TEST_F(SqlApiTest, LoginOutsideSysadminGives1904AndIsDisconnected) {
  addLogin("reader", "pw", false);
  snprintf(m_Logon.szSqlUser, sizeof m_Logon.szSqlUser, "reader");
  snprintf(m_Logon.szSqlPassword, sizeof m_Logon.szSqlPassword, "pw");
  auto api = makeApi();
  EXPECT_EQ(logon(*api), RC_SQL_NOT_SYSADMIN);
  EXPECT_NE(strstr(api->ErrorText(), "Server:IsSysadmin:false"), nullptr) << api->ErrorText();
  EXPECT_TRUE(api->IsServerObtained());
  EXPECT_FALSE(api->IsConnected());
  EXPECT_FALSE(api->IsLoggedOn());
}

TEST_F(SqlApiTest, ServerOlderThanSevenGives1903) {
  createServer(6);
  auto api = makeApi();
  EXPECT_EQ(logon(*api), RC_SQL_VERSION_TOO_OLD);
  EXPECT_NE(strstr(api->ErrorText(), "Server:SqlVersion:6 < 7"), nullptr) << api->ErrorText();
}

TEST_F(SqlApiTest, HostNameOtherThanNetNameGives1907) {
  splitHostAndNetName(false);
  auto api = makeApi();
  EXPECT_EQ(logon(*api), RC_SQL_HOST_NOT_NET_NAME);
  EXPECT_NE(strstr(api->ErrorText(), "Server:SqlHostName:TESTHOST SqlNetName:testhost"), nullptr)
      << api->ErrorText();
}

// Which source says "clustered" depends on both versions; a clustered server skips the
// host-name rule, which makes the decision visible.
struct ClusterCase {
  int dmoVersion;
  int sqlVersion;
  bool serverSaysClustered;
  bool registryKey;
  int expectedRc;
};

class SqlApiClusterTest : public SqlApiTest, public testing::WithParamInterface<ClusterCase> {};

TEST_P(SqlApiClusterTest, ClusterDecisionFollowsTheVersions) {
  const ClusterCase& c = GetParam();
  setDmoVersion(c.dmoVersion);
  createServer(c.sqlVersion);
  splitHostAndNetName(c.serverSaysClustered);
  if (c.registryKey) createClusterKey("TESTHOST");
  unsetenv("_VIRTUAL_SERVER_NAME_");
  auto api = makeApi();
  // A clustered server's key also names the virtual server for the process.
  const char* virtualP = getenv("_VIRTUAL_SERVER_NAME_");
  EXPECT_STREQ(virtualP != nullptr ? virtualP : "", c.registryKey ? "TESTHOST" : "");
  unsetenv("_VIRTUAL_SERVER_NAME_");
  EXPECT_EQ(logon(*api), c.expectedRc) << api->ErrorText();
}

INSTANTIATE_TEST_SUITE_P(
    Versions, SqlApiClusterTest,
    testing::Values(ClusterCase{8, 8, true, false, 0},                         // server says
                    ClusterCase{8, 8, false, true, RC_SQL_HOST_NOT_NET_NAME},  // key ignored
                    ClusterCase{8, 7, true, false, RC_SQL_HOST_NOT_NET_NAME},  // not asked
                    ClusterCase{8, 7, false, true, 0},                         // key decides
                    ClusterCase{7, 8, true, false, RC_SQL_HOST_NOT_NET_NAME},  // SQL-DMO 7
                    ClusterCase{7, 8, false, true, 0}));

TEST_F(SqlApiTest, CancelBeforeLogonGives415WithoutConnecting) {
  auto api = makeApi();
  uint32_t cancel = 1;
  uint32_t* cancelP = &cancel;
  EXPECT_EQ(api->LogonServer(cancelP), 415);
  EXPECT_STREQ(api->RcName(), "RC_CANCELED_BY_USER");
  EXPECT_FALSE(api->IsServerObtained());
  char msg[NLS_MSG_MAX] = "";
  char* msgP = msg;
  EXPECT_EQ(api->LogonSqlServer(nullptr, cancelP, msgP), 415);
  EXPECT_NE(strstr(msg, "ZUD0150W"), nullptr) << msg;
}

TEST_F(SqlApiTest, CancelDuringLogonLogsOff) {
  sqlapitest::TraceCapture trace;
  uint32_t cancel = 0;
  trace.cancelP = &cancel;
  trace.cancelAt = "szSqlServerName:";
  auto api = makeApi();
  uint32_t* cancelP = &cancel;
  EXPECT_EQ(api->LogonServer(cancelP), 415);
  EXPECT_FALSE(api->IsConnected());
  EXPECT_FALSE(api->IsLoggedOn());
  EXPECT_TRUE(trace.contains("Canceled by user"));
}

TEST_F(SqlApiTest, CancelAfterLogonLogsOff) {
  auto api = makeApi();
  ASSERT_EQ(logon(*api), 0);
  uint32_t cancel = 1;
  uint32_t* cancelP = &cancel;
  EXPECT_EQ(api->LogonServer(cancelP), 415);
  EXPECT_FALSE(api->IsLoggedOn());
  EXPECT_FALSE(api->IsConnected());
}

// The callback first sees the refused password, puts the right one and asks again.
int g_CallbackCalls = 0;
int g_CallbackRcs[4] = {};
int fixPassword(int* rcP, int32_t*, const char* errorTextP, char*, char* passwordP) {
  g_CallbackRcs[g_CallbackCalls++ % 4] = *rcP;
  if (*rcP == RC_SQL_CONNECT_FAILED) {
    EXPECT_NE(strstr(errorTextP, "HRESULT:0x"), nullptr) << errorTextP;
    passwordP[0] = 0;
    return 1;
  }
  return 0;
}

TEST_F(SqlApiTest, LogonCallbackMayTryAgain) {
  g_CallbackCalls = 0;
  snprintf(m_Logon.szSqlPassword, sizeof m_Logon.szSqlPassword, "wrong");
  m_Logon.pfnLogonCallback = fixPassword;
  auto api = makeApi();
  EXPECT_EQ(logon(*api), 0) << api->ErrorText();
  EXPECT_EQ(g_CallbackCalls, 2);
  EXPECT_EQ(g_CallbackRcs[0], RC_SQL_CONNECT_FAILED);
  EXPECT_EQ(g_CallbackRcs[1], 0);
}

int giveUp(int*, int32_t*, const char*, char*, char*) {
  return 415;
}

TEST_F(SqlApiTest, LogonCallbackMayCancel) {
  snprintf(m_Logon.szSqlPassword, sizeof m_Logon.szSqlPassword, "wrong");
  m_Logon.pfnLogonCallback = giveUp;
  auto api = makeApi();
  EXPECT_EQ(logon(*api), 415);
  EXPECT_STREQ(api->RcName(), "RC_CANCELED_BY_USER");
}

TEST_F(SqlApiTest, ChangeSqlServerLogsOffAndTakesTheNewRecord) {
  auto api = makeApi();
  ASSERT_EQ(logon(*api), 0);
  SqlLogonInfo other = m_Logon;
  snprintf(other.szSqlServer, sizeof other.szSqlServer, "NOSUCHHOST");
  EXPECT_EQ(api->ChangeSqlServer(&other), 0);
  EXPECT_FALSE(api->IsServerObtained());
  EXPECT_STREQ(api->LogonInfo().szSqlServer, "NOSUCHHOST");
  EXPECT_EQ(logon(*api), RC_SQL_CONNECT_FAILED);
}

TEST_F(SqlApiTest, TracedLogonAdvisesTheSinkAndLogoffFreesIt) {
  sqlapitest::TraceCapture trace;
  auto api = makeApi();
  ASSERT_EQ(logon(*api), 0) << api->ErrorText();
  EXPECT_TRUE(trace.contains("VersionString:"));
  EXPECT_TRUE(trace.contains("SQLAPI-CSqlApi::LogonServer >>>>> enter "));
  EXPECT_TRUE(trace.contains("SQLAPI-CSqlApi::LogonServer <<<<< exit rc(0):RC_OK "));
  EXPECT_TRUE(trace.contains("1:eLogon.szSqlPassword:len:0"));
  api->LogoffServer();  // the sink, held only by the advice, is freed here (ASan checks)
  EXPECT_FALSE(api->IsConnected());
}

}  // namespace
