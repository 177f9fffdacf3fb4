// CSqlApi::GetSqlDatabaseNames: the database list without tempdb, with every state named.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "agtlog.h"
#include "filetext_testutil.h"
#include "sqlapi_testenv.h"

namespace {

class SqlDbNamesTest : public sqlapitest::SqlApiObjectFixture {
 protected:
  int names(uint32_t* cancelP = nullptr) {
    CLinkedList<SqlDatabaseElement>* listP = &m_List;
    char* msgP = m_Msg;
    m_Msg[0] = 0;
    return m_Api->GetSqlDatabaseNames(listP, nullptr, cancelP, msgP);
  }
  std::vector<std::string> listed() {
    std::vector<std::string> all;
    for (auto* e = m_List.getFirst(); e != nullptr; e = m_List.getNext(e)) {
      all.push_back(std::string(e->szSqlDatabaseName) + "|" + e->szSqlDatabaseStatus);
    }
    return all;
  }
  SqlDatabaseElement* find(const char* nameP) {
    for (auto* e = m_List.getFirst(); e != nullptr; e = m_List.getNext(e)) {
      if (strcmp(e->szSqlDatabaseName, nameP) == 0) return e;
    }
    return nullptr;
  }
  CLinkedList<SqlDatabaseElement> m_List;
};

TEST_F(SqlDbNamesTest, SystemDatabasesWithoutTempdb) {
  ASSERT_EQ(names(), 0) << m_Msg;
  EXPECT_EQ(listed(), (std::vector<std::string>{"master|", "model|", "msdb|"}));
}

TEST_F(SqlDbNamesTest, EachStateIsNamedAndAnUnknownStatusShowsItsNumber) {
  const std::pair<int, const char*> states[] = {
      {32, "Loading"},       {192, "Recovering"}, {256, "Suspect"},         {512, "Offline"},
      {992, "Inaccessible"}, {1024, "Standby"},   {32768, "EmergencyMode"}, {33, "StatusError33"}};
  for (const auto& [status, text] : states) {
    std::string name = std::string("db") + std::to_string(status);
    createDatabase(name, "PRIMARY:" + name + "_data:64");
    ASSERT_TRUE(instance().setStatus(name, status).ok());
  }
  ASSERT_EQ(names(), 0) << m_Msg;
  for (const auto& [status, text] : states) {
    SqlDatabaseElement* e = find(("db" + std::to_string(status)).c_str());
    ASSERT_NE(e, nullptr) << status;
    EXPECT_STREQ(e->szSqlDatabaseStatus, text) << status;
    EXPECT_EQ(e->bDbIsUnreadable, 0) << status;
  }
}

TEST_F(SqlDbNamesTest, TruncateLogOptionIsRead) {
  createDatabase("sales", "PRIMARY:sales_data:64");
  sqlengine::DbOptions options;
  options.truncateLogOnCheckpoint = true;
  ASSERT_TRUE(instance().setOptions("sales", options).ok());
  ASSERT_EQ(names(), 0);
  EXPECT_EQ(find("sales")->bDbIsTruncateLogOnCheckpoint, 1);
  EXPECT_EQ(find("master")->bDbIsTruncateLogOnCheckpoint, 0);
}

TEST_F(SqlDbNamesTest, UnreadableDatabasesAreListedWithAnErrorState) {
  failCall("Database.GetName", 1, 2);    // the third database (model)
  failCall("Database.GetStatus", 1, 2);  // the fourth (msdb); model never asks
  ASSERT_EQ(names(), 0) << m_Msg;
  EXPECT_EQ(listed(), (std::vector<std::string>{"master|", "? 3 ?|NameError80004005",
                                                "msdb|GetStatusError80004005"}));
  EXPECT_EQ(find("? 3 ?")->bDbIsUnreadable, 1);
  EXPECT_EQ(find("msdb")->bDbIsUnreadable, 0);
  EXPECT_STREQ(m_Api->RcName(), "RC_OK");
}

// Names count characters, the agent's field bytes: 128 letters or 42 three-byte characters fit
// its 128 bytes; 43 of them (129 bytes) or 50 do not. Such a name is refused, never shortened,
// and the activity log names it with its length in characters.
TEST_F(SqlDbNamesTest, ANameTheAgentCannotHoldIsRefusedAndLoggedNeverShortened) {
  auto wide = [](int count) {
    std::string name;
    for (int i = 0; i < count; i++) name += "\u6f22";
    return name;
  };
  const std::string letters(128, 'a');
  createDatabase(letters, "PRIMARY:f1:64");
  createDatabase(wide(42), "PRIMARY:f2:64");
  createDatabase(wide(43), "PRIMARY:f3:64");
  createDatabase(wide(50), "PRIMARY:f4:64");
  CLog log;
  ASSERT_EQ(log.SetLogName((dir() + "zarnaksql.log").c_str()), 0);
  gLogP = &log;
  int rc = names();
  gLogP = nullptr;
  ASSERT_EQ(rc, 0) << m_Msg;
  EXPECT_NE(find(letters.c_str()), nullptr);
  EXPECT_NE(find(wide(42).c_str()), nullptr);
  std::vector<std::string> refused;
  for (auto* e = m_List.getFirst(); e != nullptr; e = m_List.getNext(e)) {
    if (e->bDbIsUnreadable != 0) refused.push_back(e->szSqlDatabaseStatus);
  }
  EXPECT_EQ(refused, (std::vector<std::string>{"NameMoveError1908", "NameMoveError1908"}));
  std::string logged = fileText(dir() + "zarnaksql.log");
  EXPECT_NE(logged.find(wide(24) + "... has 43 characters in 129 bytes, and the agent's field "
                                   "takes 128 bytes."),
            std::string::npos)
      << logged;
  EXPECT_NE(logged.find(" has 50 characters in 150 bytes"), std::string::npos) << logged;
}

TEST_F(SqlDbNamesTest, OptionFailuresAreStatesToo) {
  failCall("Database.GetDBOption", 1, 0);
  failCall("DBOptions.GetTruncateLogOnCheckpoint", 1, 1);
  ASSERT_EQ(names(), 0) << m_Msg;
  EXPECT_EQ(listed(), (std::vector<std::string>{"master|GetDBOptionError80004005",
                                                "model|DBOptionError80004005", "msdb|"}));
}

TEST_F(SqlDbNamesTest, CountFailureFailsTheListWithItsMessage) {
  failCall("Server.GetDatabaseCount");
  EXPECT_EQ(names(), RC_SQL_API_FAILURE);
  EXPECT_EQ(m_List.getCount(), 0u);
  EXPECT_NE(strstr(m_Api->FailedCall(), "Server.GetDatabaseCount()"), nullptr);
  EXPECT_EQ(std::string(m_Msg).rfind("ZUD5422E", 0), 0u) << m_Msg;
}

TEST_F(SqlDbNamesTest, LogonFailureAndCancelLeaveTheListAlone) {
  snprintf(m_Logon.szSqlPassword, sizeof m_Logon.szSqlPassword, "wrong");
  m_Api = makeApi();
  EXPECT_EQ(names(), RC_SQL_CONNECT_FAILED);
  EXPECT_EQ(std::string(m_Msg).rfind("ZUD5424E", 0), 0u) << m_Msg;
  uint32_t cancel = 1;
  EXPECT_EQ(names(&cancel), 415);
  EXPECT_EQ(std::string(m_Msg).rfind("ZUD0150W", 0), 0u) << m_Msg;
  EXPECT_EQ(m_List.getCount(), 0u);
}

}  // namespace
