// The rows of the SQL Server information dialog, from the emulated SQL Server.
#include "dsqlinforows.h"

#include <gtest/gtest.h>

#include <cstring>

#include "sqlapi.h"
#include "sqlapi_testenv.h"

namespace {

class SqlInfoRows : public sqlapitest::SqlApiObjectFixture {
 protected:
  void SetUp() override {
    SqlApiObjectFixture::SetUp();
    gSqlApiP = m_Api.get();
  }
  void TearDown() override {
    gSqlApiP = nullptr;
    SqlApiObjectFixture::TearDown();
  }
  static std::vector<std::string> texts(const DSqlInfoRows& rows) {
    std::vector<std::string> out;
    for (const DSqlInfoRow& row : rows) out.push_back(row.text);
    return out;
  }
  static std::vector<bool> enabled(const DSqlInfoRows& rows) {
    std::vector<bool> out;
    for (const DSqlInfoRow& row : rows) out.push_back(row.enabled);
    return out;
  }
};

TEST_F(SqlInfoRows, Version8GreysTheLastFourRowsShowingNA) {
  setFacts([](sqlengine::ServerFacts& f) { f.clustered = true; });
  SqlServerElement server = querySqlInfo();
  ASSERT_EQ(server.lSqlVersionMajor, 8);
  DSqlInfoRows rows = sqlInfoRows(server, "(unknown)");
  std::vector<std::string> t = texts(rows);
  EXPECT_EQ(t[0], sqlapitest::kMachine);  // a default instance: the bare name
  EXPECT_EQ(t[1].rfind("8.0.", 0), 0u) << t[1];
  EXPECT_EQ(t[2], "Yes");
  for (int i = 3; i < 7; i++) EXPECT_EQ(t[i], "N/A");
  EXPECT_EQ(enabled(rows), (std::vector<bool>{true, true, true, false, false, false, false}));
  EXPECT_EQ(rows[0].valueId, 1230);
  EXPECT_EQ(rows[6].labelId, 1241);
}

TEST_F(SqlInfoRows, Version7ShowsItsSortOrderCodePageAndUnicodeSettings) {
  createServer(7);
  setFacts([](sqlengine::ServerFacts& f) {
    f.sortOrderId = 51;
    f.codePage = 850;
  });
  m_Api = makeApi();
  gSqlApiP = m_Api.get();
  DSqlInfoRows rows = sqlInfoRows(querySqlInfo(), "(unknown)");
  std::vector<std::string> t = texts(rows);
  EXPECT_EQ(t[2], "No");
  EXPECT_EQ(t[3], "51");
  EXPECT_EQ(t[4], "850");
  EXPECT_EQ(t[5], "1033");
  EXPECT_EQ(t[6], "196609");
  EXPECT_EQ(enabled(rows), std::vector<bool>(7, true));
}

TEST_F(SqlInfoRows, AnUnreachableServerGivesTheClearedElement) {
  failCall("Server.Connect");
  SqlServerElement server = querySqlInfo();
  SqlServerElement cleared{};
  EXPECT_EQ(std::memcmp(&server, &cleared, sizeof server), 0);
  std::vector<std::string> t = texts(sqlInfoRows(server, "(unknown)"));
  EXPECT_EQ(t, (std::vector<std::string>{"(unknown)", "0.0.", "No", "0", "0", "0", "0"}));
}

TEST(SqlInfoRowsOf, AnInstanceFollowsTheServerName) {
  SqlServerElement server{};
  strcpy(server.szSqlServerName, "HOST");
  strcpy(server.szSqlInstanceName, "SALES");
  server.lSqlVersionMajor = 8;
  server.lSqlVersionMinor = 0;
  strcpy(server.szSqlServerBuild, "194");
  DSqlInfoRows rows = sqlInfoRows(server, "x");
  EXPECT_EQ(rows[0].text, "HOST\\SALES");
  EXPECT_EQ(rows[1].text, "8.0.194");
  DSqlInfoRows initial = sqlInfoInitialRows();
  EXPECT_EQ(initial[0].text, "");
  EXPECT_EQ(initial[3].text, "N/A");
}

}  // namespace
