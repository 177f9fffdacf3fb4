// The SQL-side queries against the emulated SQL Server: the server's facts, databases selected
// by name patterns, their groups and files selected by group and file patterns, and the entry
// functions with their activity-log lines.
#include "sqlqueryeri.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "agtlog.h"
#include "filetext_testutil.h"
#include "msgout.h"
#include "sqlapi.h"
#include "sqlapi_testenv.h"
#include "trcfile_testutil.h"

namespace {

class SqlQueries : public sqlapitest::SqlApiObjectFixture {
 protected:
  void SetUp() override {
    SqlApiObjectFixture::SetUp();
    gSqlApiP = m_Api.get();
  }
  void TearDown() override {
    gSqlApiP = nullptr;
    gLogP = nullptr;
    SetIgnoreCase(1);
    SqlApiObjectFixture::TearDown();
  }
  static void add(EriNameList& list, const char* nameP) {
    EriNameEntry entry{};
    std::snprintf(entry.szName, sizeof entry.szName, "%s", nameP);
    ASSERT_EQ(list.addTail(&entry), 0);
  }
  static EriNameList* patterns(EriNameList& list, std::vector<const char*> names) {
    list.freeAll();
    for (const char* nameP : names) add(list, nameP);
    return &list;
  }
  std::vector<std::string> selectedDatabases() {
    std::vector<std::string> names;
    for (auto* dbP = m_Dbs.getFirst(); dbP != nullptr; dbP = m_Dbs.getNext(dbP)) {
      if (dbP->bSqlDbIsSelected != 0) names.push_back(dbP->szSqlDatabaseName);
    }
    return names;
  }
  SqlDatabaseElement* db(const char* nameP) {
    for (auto* dbP = m_Dbs.getFirst(); dbP != nullptr; dbP = m_Dbs.getNext(dbP)) {
      if (std::strcmp(dbP->szSqlDatabaseName, nameP) == 0) return dbP;
    }
    return nullptr;
  }
  // Lists the databases and selects those named (exact names).
  void listAndSelect(std::vector<const char*> names) {
    EriNameList list;
    DSqlQuerySqlDbEri query(&m_Dbs, m_Msg, patterns(list, names), nullptr);
    ASSERT_EQ(query.ProcessRequest(), 0u) << m_Msg;
  }
  uint32_t details(EriNameList* groupPatternsP, EriNameList* filePatternsP,
                   uint32_t* cancelP = nullptr) {
    DSqlQuerySqlDbInfoEri query(&m_Dbs, &m_Messages, &m_Groups, groupPatternsP, &m_Files,
                                filePatternsP, nullptr, cancelP);
    return query.ProcessRequest();
  }
  // "group" for a selected group, "group+" when only files of it are, "group/file" for each
  // selected file.
  std::vector<std::string> selectedParts() {
    std::vector<std::string> parts;
    for (auto* g = m_Groups.getFirst(); g != nullptr; g = m_Groups.getNext(g)) {
      if (g->bGroupIsSelected != 0) parts.push_back(g->szGroupName);
      if (g->bGroupIsSelected == 0 && g->bGroupFileIsSelected != 0) {
        parts.push_back(std::string(g->szGroupName) + "+");
      }
    }
    for (auto* f = m_Files.getFirst(); f != nullptr; f = m_Files.getNext(f)) {
      if (f->bFileIsSelected != 0) {
        parts.push_back(std::string(f->peFileGroup->szGroupName) + "/" + f->szFileLogicalName);
      }
    }
    return parts;
  }
  void openLog() {
    m_LogPath = dir() + "zarnaksql.log";
    ASSERT_EQ(m_Log.SetLogName(m_LogPath.c_str()), 0);
    gLogP = &m_Log;
  }

  CLinkedList<SqlDatabaseElement> m_Dbs;
  CLinkedList<SqlDbMessage> m_Messages;
  CLinkedList<SqlGroupElement> m_Groups;
  CLinkedList<SqlFileElement> m_Files;
  CLog m_Log;
  std::string m_LogPath;
};

TEST_F(SqlQueries, TheServerQueryFillsTheServerElementAndObeysTheCancel) {
  SqlServerElement server{};
  DSqlQuerySqlEri query(&server, nullptr, m_Msg);
  ASSERT_EQ(query.ProcessRequest(), 0u) << m_Msg;
  EXPECT_STREQ(server.szSqlServerName, sqlapitest::kMachine);
  EXPECT_GE(server.lSqlVersionMajor, 7);

  DSqlQuerySqlEri cancelled(&server, nullptr, m_Msg);
  cancelled.SetCancel();
  EXPECT_EQ(cancelled.ProcessRequest(), 415u);

  gSqlApiP = nullptr;
  DSqlQuerySqlEri noAccess(&server, nullptr, m_Msg);
  EXPECT_EQ(noAccess.ProcessRequest(), 419u);
}

TEST_F(SqlQueries, DatabasePatternsMatchExactCaseWhateverTheProcessWideMode) {
  // The emulated server, like SQL Server, takes names that differ only in case as one.
  for (const char* nameP : {"Sales2", "sales3", "payroll", "Payments"}) {
    createDatabase(nameP, std::string("PRIMARY:") + nameP + "_data:64");
  }
  const struct {
    std::vector<const char*> patterns;
    std::vector<std::string> selected;
  } cases[] = {
      {{"Sales*", "pay*"}, {"Sales2", "payroll"}},
      {{"*s3"}, {"sales3"}},
      {{"*S3", "SALES*"}, {}},
      {{"master", "MSDB"}, {"master"}},
      {{"*"}, {"master", "model", "msdb", "Sales2", "sales3", "payroll", "Payments"}},
      {{}, {}},  // a given but empty list selects nothing
  };
  for (uint32_t processMode : {1u, 0u}) {
    SetIgnoreCase(processMode);
    for (const auto& c : cases) {
      m_Dbs.freeAll();
      EriNameList list;
      DSqlQuerySqlDbEri query(&m_Dbs, m_Msg, patterns(list, c.patterns), nullptr);
      ASSERT_EQ(query.ProcessRequest(), 0u) << m_Msg;
      std::vector<std::string> got = selectedDatabases();
      std::sort(got.begin(), got.end());
      std::vector<std::string> want = c.selected;
      std::sort(want.begin(), want.end());
      EXPECT_EQ(got, want) << (c.patterns.empty() ? "(none)" : c.patterns[0]);
      EXPECT_EQ(GetIgnoreCase(), processMode);
    }
  }
}

TEST_F(SqlQueries, AnUnreadableDatabaseIsListedButNeverSelected) {
  failCall("Database.GetName", 1, 2);  // the third database becomes "? 3 ?"
  listAndSelect({"*"});
  ASSERT_NE(db("? 3 ?"), nullptr);
  EXPECT_EQ(db("? 3 ?")->bDbIsUnreadable, 1);
  EXPECT_EQ(selectedDatabases(), (std::vector<std::string>{"master", "msdb"}));
}

TEST_F(SqlQueries, DatabaseQueryFailuresAndCancel) {
  uint32_t cancel = 1;
  EriNameList list;
  DSqlQuerySqlDbEri cancelled(&m_Dbs, m_Msg, patterns(list, {"*"}), &cancel);
  EXPECT_EQ(cancelled.ProcessRequest(), 415u);
  EXPECT_EQ(m_Dbs.getCount(), 0u);

  DSqlQuerySqlDbEri noList(nullptr, m_Msg, nullptr, nullptr);
  EXPECT_EQ(noList.ProcessRequest(), 419u);

  failCall("Server.GetDatabaseCount", 1);
  DSqlQuerySqlDbEri failing(&m_Dbs, m_Msg, nullptr, nullptr);
  EXPECT_EQ(failing.ProcessRequest(), RC_SQL_API_FAILURE);
  EXPECT_NE(m_Msg[0], '\0');
}

class SqlDetailQuery : public SqlQueries {
 protected:
  void SetUp() override {
    SqlQueries::SetUp();
    createDatabase("sales", "PRIMARY:sales_data:256;G2:g2_a:64,g2_b:64;Archive:arch_1:64");
    createDatabase("hr", "PRIMARY:hr_data:128;G2:hr_g2:64");
  }
};

TEST_F(SqlDetailQuery, GroupsAndFilesAreSelectedByPattern) {
  const struct {
    std::vector<const char*> groups;
    std::vector<const char*> files;
    std::vector<std::string> selected;
  } cases[] = {
      {{"G2"}, {}, {"G2"}},
      {{"g*"}, {}, {"G2"}},  // group names match without case under the initial mode
      {{"PRIMARY", "Arch*"}, {}, {"PRIMARY", "Archive"}},
      {{"nothing"}, {"g2_b", "*data"}, {"PRIMARY+", "G2+", "PRIMARY/sales_data", "G2/g2_b"}},
      {{"G2"}, {"arch_?"}, {"G2"}},  // "?" is no wildcard
      // The log pseudo-group and its files are matched like any other.
      {{"*"},
       {"*_log"},
       {"PRIMARY", "G2", "Archive", "TRANSACTION LOG", "TRANSACTION LOG/sales_log"}},
  };
  for (const auto& c : cases) {
    m_Dbs.freeAll();
    m_Groups.freeAll();
    m_Files.freeAll();
    listAndSelect({"sales"});
    EriNameList groups, files;
    ASSERT_EQ(
        details(patterns(groups, c.groups), c.files.empty() ? nullptr : patterns(files, c.files)),
        0u);
    EXPECT_EQ(selectedParts(), c.selected) << c.groups[0];
    SqlDatabaseElement* salesP = db("sales");
    bool anyFile = false;
    for (const std::string& part : c.selected)
      anyFile = anyFile || part.find('/') != std::string::npos;
    EXPECT_EQ(salesP->bDbFileIsSelected, anyFile ? 1 : 0) << c.groups[0];
    EXPECT_EQ(salesP->bDbGroupIsSelected, c.selected[0].back() != '+' ? 1 : 0) << c.groups[0];
  }
}

TEST_F(SqlDetailQuery, FilePatternsWithoutGroupPatternsSelectNothing) {
  listAndSelect({"sales"});
  EriNameList files;
  ASSERT_EQ(details(nullptr, patterns(files, {"*"})), 0u);
  EXPECT_TRUE(selectedParts().empty());
  EXPECT_EQ(db("sales")->bDbInfoIsLoaded, 1);  // the database was read all the same
  EXPECT_EQ(m_Groups.getCount(), 4u);
}

// The selection step on lists that the access layer has filled.
class PeekDetailQuery : public DSqlQuerySqlDbInfoEri {
 public:
  using DSqlQuerySqlDbInfoEri::DSqlQuerySqlDbInfoEri;
  using DSqlQuerySqlDbInfoEri::selectGroups;
};

TEST_F(SqlDetailQuery, ExcludedGroupsAndFilesArePassedOver) {
  listAndSelect({"sales"});
  ASSERT_EQ(details(nullptr, nullptr), 0u);
  for (auto* g = m_Groups.getFirst(); g != nullptr; g = m_Groups.getNext(g)) {
    g->bGroupIsExcluded = std::strcmp(g->szGroupName, "G2") == 0;
  }
  for (auto* f = m_Files.getFirst(); f != nullptr; f = m_Files.getNext(f)) {
    f->bFileIsExcluded = std::strcmp(f->szFileLogicalName, "arch_1") == 0;
  }
  EriNameList groups, files;
  PeekDetailQuery query(&m_Dbs, &m_Messages, &m_Groups, patterns(groups, {"*"}), &m_Files,
                        patterns(files, {"*"}), nullptr, nullptr);
  query.selectGroups(db("sales"), 1);
  EXPECT_EQ(selectedParts(),
            (std::vector<std::string>{"PRIMARY", "Archive", "TRANSACTION LOG", "PRIMARY/sales_data",
                                      "TRANSACTION LOG/sales_log"}));
}

TEST_F(SqlDetailQuery, ALoadedDatabaseIsNotReadAgain) {
  listAndSelect({"sales"});
  ASSERT_EQ(details(nullptr, nullptr), 0u);
  EriNameList groups;
  ASSERT_EQ(details(patterns(groups, {"*"}), nullptr), 0u);
  EXPECT_EQ(m_Groups.getCount(), 4u);  // nothing appended twice
  EXPECT_TRUE(selectedParts().empty());
}

TEST_F(SqlDetailQuery, ADatabaseThatCannotBeReadKeepsItsErrorAndTheOthersGoOn) {
  ASSERT_TRUE(instance().setStatus("sales", sqlengine::kStatusOffline).ok());
  listAndSelect({"sales", "hr"});
  EriNameList groups;
  ASSERT_EQ(details(patterns(groups, {"G2"}), nullptr), 0u);
  SqlDatabaseElement* salesP = db("sales");
  EXPECT_EQ(salesP->lSqlReturnCode, RC_SQL_API_FAILURE);
  ASSERT_NE(salesP->peDbMessage, nullptr);
  EXPECT_EQ(std::string(salesP->peDbMessage->szMessage).rfind("ZUD5422E", 0), 0u);
  EXPECT_EQ(salesP->bDbGroupIsSelected, 0);
  EXPECT_EQ(db("hr")->bDbInfoIsLoaded, 1);
  EXPECT_EQ(selectedParts(), (std::vector<std::string>{"G2"}));
}

TEST_F(SqlDetailQuery, NothingSelectedCallsNoServerAndACancelStopsBeforeTheNextDatabase) {
  listAndSelect({"nothing"});
  gSqlApiP = nullptr;  // any call would now fail with 419
  EXPECT_EQ(details(nullptr, nullptr), 0u);
  gSqlApiP = m_Api.get();

  listAndSelect({"sales", "hr"});
  uint32_t cancel = 1;
  EXPECT_EQ(details(nullptr, nullptr, &cancel), 415u);
  EXPECT_EQ(m_Groups.getCount(), 0u);

  DSqlQuerySqlDbInfoEri noList(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                               nullptr);
  EXPECT_EQ(noList.ProcessRequest(), 419u);
}

TEST_F(SqlQueries, EntryFunctionsLogTheirStartAndRunAsTheCurrentRequest) {
  openLog();
  createDatabase("sales", "PRIMARY:sales_data:64");
  EriNameList names;
  EXPECT_EQ(eriQuerySqlServerDb(&m_Dbs, m_Msg, patterns(names, {"sales", "m*"}), 1), 0u);
  EXPECT_EQ(selectedDatabases(), (std::vector<std::string>{"master", "model", "msdb", "sales"}));
  EXPECT_EQ(eriQuerySqlServerDb(&m_Dbs, m_Msg, &names, 0), 0u);
  EXPECT_EQ(getCurrentRequest(), nullptr);

  SqlServerElement server{};
  EXPECT_EQ(eriQuerySqlServer(&server, nullptr, m_Msg, 0), 0u);
  {
    TraceFileForTest trace({TRC_PERFORMANCE});
    EXPECT_EQ(eriQuerySqlServer(&server, nullptr, m_Msg, 1), 0u);
  }
  EXPECT_EQ(
      eriQuerySqlServerDbInfo(&m_Dbs, &m_Messages, &m_Groups, nullptr, &m_Files, nullptr, nullptr),
      0u);
  EXPECT_EQ(db("sales")->bDbInfoIsLoaded, 1);

  std::string log = fileText(m_LogPath);
  char names5222[NLS_MSG_MAX], plain5229[NLS_MSG_MAX], server5221[NLS_MSG_MAX];
  nlsprintf(names5222, sizeof names5222, 5222, "sales,m*");
  nlsprintf(plain5229, sizeof plain5229, 5229);
  nlsprintf(server5221, sizeof server5221, 5221);
  EXPECT_NE(log.find(names5222), std::string::npos) << log;
  EXPECT_NE(log.find(plain5229), std::string::npos) << log;
  EXPECT_EQ(log.find(server5221), log.rfind(server5221)) << log;  // only with the log flag
  EXPECT_NE(log.find(server5221), std::string::npos) << log;
  EXPECT_NE(log.find("dSqlQuerySqlEriObj.ProcessRequest()"), std::string::npos) << log;
}

}  // namespace

namespace {

TEST(NameListText, NamesThatNoLongerFitAreLeftOutAndAnEmptyListIsADash) {
  char text[ERI_NAME_TEXT_SIZE];
  EXPECT_STREQ(eriNameListText(static_cast<EriNameList*>(nullptr), text), "-");
  EriNameList list;
  EXPECT_STREQ(eriNameListText(&list, text), "-");
  EriNameEntry entry{};
  std::memset(entry.szName, 'n', ERI_NAME_SIZE - 1);
  for (int i = 0; i < 20; i++) ASSERT_EQ(list.addTail(&entry), 0);
  EriNameEntry shortName{"tail"};
  ASSERT_EQ(list.addTail(&shortName), 0);
  std::string joined = eriNameListText(&list, text);
  EXPECT_LT(joined.size(), static_cast<size_t>(ERI_NAME_TEXT_SIZE - 1));
  EXPECT_EQ(joined.size(), 13u * 132 - 1 + 5);  // 13 long names fit, then the short one
  EXPECT_EQ(joined.substr(joined.size() - 5), ",tail");
}

}  // namespace
