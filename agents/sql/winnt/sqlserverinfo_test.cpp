// CSqlApi::GetSqlServerInfo against SQL Server 7 and 2000 style servers.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "sqlapi_testenv.h"

namespace {

class SqlServerInfoTest : public sqlapitest::SqlApiFixture {
 protected:
  // GetSqlServerInfo on a fresh object; the record starts filled with garbage.
  int serverInfo(SqlServerElement* serverP, uint32_t* cancelP = nullptr,
                 CLinkedList<SqlInstanceElement>* instancesP = nullptr) {
    if (!m_Api) m_Api = makeApi();
    memset(serverP, 0x5A, sizeof *serverP);
    m_Msg[0] = 0;
    char* msgP = m_Msg;
    return m_Api->GetSqlServerInfo(serverP, &cancelP, &msgP, &instancesP);
  }
  bool showAdvancedOptions() {
    sqlengine::ServerFacts facts;
    EXPECT_TRUE(instance().facts(facts).ok());
    return facts.showAdvancedOptions;
  }
  void setVersionString(const char* textP) {
    static std::string s_text;
    s_text = textP;
    setFacts([](sqlengine::ServerFacts& f) { f.versionString = s_text; });
  }
  std::unique_ptr<CSqlApi> m_Api;
};

TEST_F(SqlServerInfoTest, DefaultInstanceOfSql2000) {
  SqlServerElement server;
  ASSERT_EQ(serverInfo(&server), 0) << m_Msg;
  EXPECT_EQ(server.lSqlVersionMajor, 8);
  EXPECT_EQ(server.lSqlVersionMinor, 0);
  EXPECT_STREQ(server.szSqlServerBuild, "2039");
  EXPECT_STREQ(server.szSqlServerName, "TESTHOST");
  EXPECT_STREQ(server.szSqlHostName, "TESTHOST");
  EXPECT_STREQ(server.szSqlInstanceName, "");
  EXPECT_EQ(server.lSqlDefaultCodePage, 1252);
  EXPECT_EQ(server.lSqlDefaultSortOrderId, 0);
  EXPECT_EQ(server.lSqlDefaultUnicodeLocaleId, 0);
  EXPECT_EQ(server.lSqlDefaultUnicodeComparisonStyle, 0);
  EXPECT_EQ(server.bSqlIsClustered, 0);
  EXPECT_EQ(server.lReserved, 0);
}

TEST_F(SqlServerInfoTest, NamedInstanceAndTheInstalledInstances) {
  ASSERT_TRUE(sqlengine::Instance::create("INST1", 8).ok());
  snprintf(m_Logon.szSqlServer, sizeof m_Logon.szSqlServer, "TESTHOST\\INST1");
  CLinkedList<SqlInstanceElement> instances;
  SqlInstanceElement stale = {"STALE"};
  ASSERT_EQ(instances.addTail(&stale), 0);
  SqlServerElement server;
  ASSERT_EQ(serverInfo(&server, nullptr, &instances), 0) << m_Msg;
  EXPECT_STREQ(server.szSqlServerName, "TESTHOST\\INST1");
  EXPECT_STREQ(server.szSqlInstanceName, "INST1");
  std::vector<std::string> names;
  for (SqlInstanceElement* e = instances.getFirst(); e != nullptr; e = instances.getNext(e)) {
    names.push_back(e->szServerName);
  }
  EXPECT_EQ(names, (std::vector<std::string>{"TESTHOST\\INST1", "TESTHOST"}));
}

TEST_F(SqlServerInfoTest, BuildIsCutFromTheVersionString) {
  struct Case {
    const char* versionP;
    int rc;
    const char* build;
  };
  const Case cases[] = {
      {"Microsoft SQL Server  2000 - 8.00.760 (Intel X86)", 0, "760"},
      {"Microsoft SQL Server  2000 8.00.760 (Intel X86)", 0, ""},  // no hyphen
      {"Microsoft SQL Server  2000 - 8.00 (Intel X86)", 0, ""},    // one dot
      {"Microsoft SQL Server  2000 - 8.00.760", 0, ""},            // no blank
      {"Microsoft SQL Server  2000 - 8.00.76012 (Intel X86)", RC_SQL_STRING_TOO_LONG, ""},
  };
  for (const Case& c : cases) {
    setVersionString(c.versionP);
    m_Api.reset();
    SqlServerElement server;
    EXPECT_EQ(serverInfo(&server), c.rc) << c.versionP;
    if (c.rc == RC_OK) {
      EXPECT_STREQ(server.szSqlServerBuild, c.build) << c.versionP;
    }
  }
  EXPECT_NE(strstr(m_Msg, "ZUD5423E"), nullptr) << m_Msg;
}

TEST_F(SqlServerInfoTest, Sql7ReadsCollationAndSwitchesAdvancedOptionsBack) {
  createServer(7);
  SqlServerElement server;
  ASSERT_EQ(serverInfo(&server), 0) << m_Msg;
  EXPECT_EQ(server.lSqlVersionMajor, 7);
  EXPECT_STREQ(server.szSqlServerBuild, "1063");
  EXPECT_EQ(server.lSqlDefaultSortOrderId, 52);
  EXPECT_EQ(server.lSqlDefaultUnicodeLocaleId, 1033);
  EXPECT_EQ(server.lSqlDefaultUnicodeComparisonStyle, 196609);
  EXPECT_STREQ(server.szSqlInstanceName, "");
  EXPECT_FALSE(showAdvancedOptions());
}

TEST_F(SqlServerInfoTest, Sql7LeavesAdvancedOptionsOnWhenTheyWereOn) {
  createServer(7);
  setFacts([](sqlengine::ServerFacts& f) { f.showAdvancedOptions = true; });
  failCall("Configuration.SetShowAdvancedOptions");  // any change would fail
  SqlServerElement server;
  ASSERT_EQ(serverInfo(&server), 0) << m_Msg;
  EXPECT_EQ(server.lSqlDefaultUnicodeLocaleId, 1033);
  EXPECT_TRUE(showAdvancedOptions());
}

TEST_F(SqlServerInfoTest, Sql7SwitchesAdvancedOptionsBackAfterAFailedRead) {
  createServer(7);
  failCall("ConfigValue.GetCurrentValue", 0, 1);  // the second value fails
  SqlServerElement server;
  EXPECT_EQ(serverInfo(&server), RC_SQL_API_FAILURE);
  EXPECT_FALSE(showAdvancedOptions());
  EXPECT_NE(strstr(m_Api->FailedCall(), "ConfigValue.GetCurrentValue(Unicode locale id)"), nullptr)
      << m_Api->FailedCall();
  EXPECT_NE(strstr(m_Msg, "ZUD5422E"), nullptr) << m_Msg;
  EXPECT_EQ(strstr(m_Msg, "Message text not available"), nullptr) << m_Msg;
  EXPECT_EQ(server.lSqlVersionMajor, 0);  // the caller's record stays cleared
}

TEST_F(SqlServerInfoTest, Sql7SwitchesAdvancedOptionsBackWhenCancelled) {
  createServer(7);
  sqlapitest::TraceCapture trace;
  uint32_t cancel = 0;
  trace.cancelP = &cancel;
  trace.cancelAt = "GetCurrentValue(default sortorder id):";
  SqlServerElement server;
  EXPECT_EQ(serverInfo(&server, &cancel), 415);
  EXPECT_FALSE(showAdvancedOptions());
  EXPECT_NE(strstr(m_Msg, "ZUD0150W"), nullptr) << m_Msg;
}

TEST_F(SqlServerInfoTest, CancelBeforehandMakesNoCallAndClearsTheRecord) {
  uint32_t cancel = 1;
  SqlServerElement server;
  EXPECT_EQ(serverInfo(&server, &cancel), 415);
  EXPECT_FALSE(m_Api->IsServerObtained());
  EXPECT_STREQ(server.szSqlServerName, "");
  EXPECT_EQ(server.lSqlVersionMajor, 0);
  EXPECT_STREQ(m_Api->RcName(), "RC_CANCELED_BY_USER");
}

TEST_F(SqlServerInfoTest, FailedCallGives1914WithTheServersText) {
  failCall("Server.GetCodePage");
  SqlServerElement server;
  EXPECT_EQ(serverInfo(&server), RC_SQL_API_FAILURE);
  EXPECT_NE(strstr(m_Api->FailedCall(), "CSqlApi::GetSqlServerInfo:"), nullptr);
  EXPECT_NE(strstr(m_Api->FailedCall(), ":1914 Server.GetCodePage()"), nullptr)
      << m_Api->FailedCall();
  EXPECT_NE(strstr(m_Msg, "(HRESULT:0x"), nullptr) << m_Msg;
}

TEST_F(SqlServerInfoTest, RepeatedCallsGiveTheSameRecord) {
  SqlServerElement server;
  ASSERT_EQ(serverInfo(&server), 0);
  SqlServerElement again;
  ASSERT_EQ(serverInfo(&again), 0);
  EXPECT_EQ(memcmp(&server, &again, sizeof server), 0);
}

}  // namespace
