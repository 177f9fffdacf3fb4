// CSqlApi::GetSqlDatabaseInfo: numbering, sizes and the links between the records.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "sqlapi_testenv.h"

namespace {

constexpr uint64_t kKb = 1024;

class SqlDbInfoTest : public sqlapitest::SqlApiObjectFixture {
 protected:
  void SetUp() override {
    SqlApiObjectFixture::SetUp();
    // PRIMARY and G2 hold files; EMPTY holds none and is left out.
    createDatabase("sales", "PRIMARY:sales_data:2048;EMPTY;G2:g2_a:1024,g2_b:64");
    createDatabase("hr", "PRIMARY:hr_data:512", 2048);
  }
  SqlDatabaseElement element(const char* nameP, bool keepLists = true) {
    SqlDatabaseElement db;
    memset(&db, 0, sizeof db);
    snprintf(db.szSqlDatabaseName, sizeof db.szSqlDatabaseName, "%s", nameP);
    db.pDbMessageList = &m_Messages;
    db.pDbGroupList = keepLists ? &m_Groups : nullptr;
    db.pDbFileList = keepLists ? &m_Files : nullptr;
    return db;
  }
  int info(SqlDatabaseElement* dbP, uint32_t* cancelP = nullptr) {
    return m_Api->GetSqlDatabaseInfo(&dbP, &cancelP);
  }
  std::vector<SqlGroupElement*> groups() {
    std::vector<SqlGroupElement*> all;
    for (auto* g = m_Groups.getFirst(); g != nullptr; g = m_Groups.getNext(g)) all.push_back(g);
    return all;
  }
  std::vector<SqlFileElement*> files() {
    std::vector<SqlFileElement*> all;
    for (auto* f = m_Files.getFirst(); f != nullptr; f = m_Files.getNext(f)) all.push_back(f);
    return all;
  }

  CLinkedList<SqlDbMessage> m_Messages;
  CLinkedList<SqlGroupElement> m_Groups;
  CLinkedList<SqlFileElement> m_Files;
};

TEST_F(SqlDbInfoTest, TwoDatabasesShareTheListsWithTheirOwnNumbersAndLinks) {
  SqlDatabaseElement sales = element("sales");
  SqlDatabaseElement hr = element("hr");
  ASSERT_EQ(info(&sales), 0) << m_Api->ErrorText();
  ASSERT_EQ(info(&hr), 0) << m_Api->ErrorText();

  auto g = groups();
  auto f = files();
  ASSERT_EQ(g.size(), 5u);  // sales: PRIMARY, G2, log; hr: PRIMARY, log
  ASSERT_EQ(f.size(), 6u);  // sales: 3 data, 1 log; hr: 1 data, 1 log
  struct GroupRow {
    const char* name;
    int num;
    int files;
    bool primary;
    bool log;
    SqlDatabaseElement* db;
    SqlFileElement* first;
  };
  const GroupRow groupRows[] = {
      {"PRIMARY", 0, 1, true, false, &sales, f[0]},
      {"G2", 1, 2, false, false, &sales, f[1]},
      {"TRANSACTION LOG", 0, 1, false, true, &sales, f[3]},
      {"PRIMARY", 0, 1, true, false, &hr, f[4]},
      {"TRANSACTION LOG", 0, 1, false, true, &hr, f[5]},
  };
  for (size_t i = 0; i < g.size(); ++i) {
    const GroupRow& row = groupRows[i];
    EXPECT_STREQ(g[i]->szGroupName, row.name) << i;
    EXPECT_EQ(g[i]->lGroupNum, row.num) << i;
    EXPECT_EQ(g[i]->lGroupNumFiles, row.files) << i;
    EXPECT_EQ(g[i]->bGroupIsPrimary, row.primary) << i;
    EXPECT_EQ(g[i]->bGroupIsLog, row.log) << i;
    EXPECT_EQ(g[i]->peGroupDatabase, row.db) << i;
    EXPECT_EQ(g[i]->peGroupFirstFile, row.first) << i;
  }
  struct FileRow {
    const char* name;
    int num;
    bool log;
    SqlGroupElement* group;
    uint64_t size;
  };
  const FileRow fileRows[] = {
      {"sales_data", 0, false, g[0], 2048 * kKb}, {"g2_a", 1, false, g[1], 1024 * kKb},
      {"g2_b", 2, false, g[1], 64 * kKb},         {"sales_log", 3, true, g[2], 1024 * kKb},
      {"hr_data", 0, false, g[3], 512 * kKb},     {"hr_log", 1, true, g[4], 2048 * kKb},
  };
  for (size_t i = 0; i < f.size(); ++i) {
    const FileRow& row = fileRows[i];
    EXPECT_STREQ(f[i]->szFileLogicalName, row.name) << i;
    EXPECT_EQ(f[i]->lFileNum, row.num) << i;
    EXPECT_EQ(f[i]->bFileIsLog, row.log) << i;
    EXPECT_EQ(f[i]->peFileGroup, row.group) << i;
    EXPECT_EQ(pkInt64ToNative(f[i]->u64FileSize), row.size) << i;
    EXPECT_NE(f[i]->szFilePhysicalName[0], 0) << i;
  }
  EXPECT_EQ(sales.peDbFirstGroup, g[0]);
  EXPECT_EQ(hr.peDbFirstGroup, g[3]);
  EXPECT_EQ(sales.lDbNumDataGroups, 2);
  EXPECT_EQ(sales.lDbNumDataFiles, 3);
  EXPECT_EQ(sales.lDbNumLogFiles, 1);
  EXPECT_EQ(sales.bDbInfoIsLoaded, 1);
  EXPECT_EQ(sales.lSqlReturnCode, 0);
  EXPECT_EQ(f[0]->bFileIsPrimary, 1);
  EXPECT_EQ(f[1]->bFileIsPrimary, 0);
  EXPECT_EQ(pkInt64ToNative(sales.u64DbDataFileSize), (2048 + 1024 + 64) * kKb);
  // Free space comes in whole megabytes: only the 64 KB file shows space in use.
  EXPECT_EQ(pkInt64ToNative(sales.u64DbDataSpaceUsed), 64 * kKb);
  EXPECT_EQ(pkInt64ToNative(sales.u64DbLogFileSize), 1024 * kKb);
  EXPECT_EQ(pkInt64ToNative(f[3]->u64FileSpaceUsed), 0u);  // no figure for a log file
  EXPECT_EQ(m_Messages.getCount(), 0u);
}

TEST_F(SqlDbInfoTest, LogPseudoGroupUsesTheLogsFreeSpace) {
  std::vector<sqlengine::LogRecord> records(4);  // 4 slots of 512 bytes: 2 KB in use
  ASSERT_TRUE(instance().appendLog("sales", records).ok());
  SqlDatabaseElement sales = element("sales");
  ASSERT_EQ(info(&sales), 0) << m_Api->ErrorText();
  SqlGroupElement* logGroup = groups().back();
  EXPECT_EQ(pkInt64ToNative(logGroup->u64GroupFileSize), 1024 * kKb);
  EXPECT_EQ(pkInt64ToNative(logGroup->u64GroupSpaceUsed), 2 * kKb);
  EXPECT_EQ(pkInt64ToNative(sales.u64DbLogSpaceUsed), 2 * kKb);
}

TEST_F(SqlDbInfoTest, WithoutListsOnlyTheDatabaseIsFilled) {
  SqlDatabaseElement sales = element("sales", false);
  ASSERT_EQ(info(&sales), 0) << m_Api->ErrorText();
  EXPECT_EQ(sales.lDbNumDataGroups, 2);
  EXPECT_EQ(sales.lDbNumDataFiles, 3);
  EXPECT_EQ(pkInt64ToNative(sales.u64DbDataFileSize), (2048 + 1024 + 64) * kKb);
  EXPECT_EQ(sales.peDbFirstGroup, nullptr);
}

TEST_F(SqlDbInfoTest, OptionsAndLevelsAreRead) {
  sqlengine::DbOptions options;
  options.readOnly = true;
  options.truncateLogOnCheckpoint = true;
  options.tornPageDetection = true;
  ASSERT_TRUE(instance().setOptions("hr", options).ok());
  ASSERT_TRUE(instance().setLevels("hr", 70, 515, true).ok());
  SqlDatabaseElement hr = element("hr");
  ASSERT_EQ(info(&hr), 0) << m_Api->ErrorText();
  EXPECT_EQ(hr.bDbIsReadOnly, 1);
  EXPECT_EQ(hr.bDbIsTruncateLogOnCheckpoint, 1);
  EXPECT_EQ(hr.bDbIsTornPageDetection, 1);
  EXPECT_EQ(hr.bDbIsSingleUser, 0);
  EXPECT_EQ(hr.lDbCompatibilityLevel, 70);
  EXPECT_EQ(hr.lDbVersion, 515);
  EXPECT_EQ(hr.bDbIsSystemDatabase, 1);
  EXPECT_STREQ(hr.szSqlDatabaseStatus, "");
}

TEST_F(SqlDbInfoTest, OfflineDatabaseFailsWithItsMessageRecord) {
  ASSERT_TRUE(instance().setStatus("hr", sqlengine::kStatusOffline).ok());
  SqlDatabaseElement hr = element("hr");
  EXPECT_EQ(info(&hr), RC_SQL_API_FAILURE);
  EXPECT_STREQ(hr.szSqlDatabaseStatus, "Offline");
  EXPECT_EQ(hr.lSqlReturnCode, RC_SQL_API_FAILURE);
  EXPECT_EQ(hr.bDbInfoIsLoaded, 0);
  ASSERT_EQ(m_Messages.getCount(), 1u);
  SqlDbMessage* messageP = m_Messages.getFirst();
  EXPECT_EQ(hr.peDbMessage, messageP);
  EXPECT_EQ(messageP->peDatabase, &hr);
  EXPECT_EQ(std::string(messageP->szMessage).rfind("ZUD5422E", 0), 0u) << messageP->szMessage;
  EXPECT_NE(strstr(messageP->szMessage, "(HRESULT:0x"), nullptr) << messageP->szMessage;
  EXPECT_NE(strstr(m_Api->FailedCall(), "Database.GetCompatibilityLevel()"), nullptr)
      << m_Api->FailedCall();
}

TEST_F(SqlDbInfoTest, FailuresLeaveWhatWasAppended) {
  failCall("DbFile.GetSizeInKB", 0, 1);  // the second data file fails
  SqlDatabaseElement sales = element("sales");
  EXPECT_EQ(info(&sales), RC_SQL_API_FAILURE);
  EXPECT_EQ(m_Groups.getCount(), 1u);  // PRIMARY
  EXPECT_EQ(m_Files.getCount(), 1u);
  EXPECT_NE(strstr(m_Api->FailedCall(), "DbFile.GetSizeInKB()"), nullptr) << m_Api->FailedCall();
}

TEST_F(SqlDbInfoTest, EmptyNameAndCancelGoIntoTheMessageList) {
  SqlDatabaseElement unnamed = element("");
  EXPECT_EQ(info(&unnamed), RC_SQL_API_FAILURE);
  uint32_t cancel = 1;
  SqlDatabaseElement sales = element("sales");
  EXPECT_EQ(info(&sales, &cancel), 415);
  ASSERT_EQ(m_Messages.getCount(), 2u);
  EXPECT_EQ(std::string(m_Messages.getLast()->szMessage).rfind("ZUD0150W", 0), 0u)
      << m_Messages.getLast()->szMessage;
  EXPECT_EQ(sales.lSqlReturnCode, 415);
}

TEST_F(SqlDbInfoTest, PhysicalNamesLoseTrailingBlanks) {
  sqlengine::Database db;
  db.name = "padded";
  db.groups = {{"PRIMARY", {{0, "padded_data", "padded.mdf   ", 64}}}};
  db.logFiles = {{0, "padded_log", "padded.ldf ", 64}};
  ASSERT_TRUE(instance().createDatabase(db).ok());
  SqlDatabaseElement padded = element("padded");
  ASSERT_EQ(info(&padded), 0) << m_Api->ErrorText();
  EXPECT_STREQ(files()[0]->szFilePhysicalName, "padded.mdf");
  EXPECT_STREQ(files()[1]->szFilePhysicalName, "padded.ldf");
}

}  // namespace

namespace {

// A version 7 server pads physical names with blanks; they come back without them.
TEST_F(SqlDbInfoTest, Version7PaddedPhysicalNamesAreCut) {
  createServer(7);
  createDatabase("old", "PRIMARY:old_data:64");
  SqlDatabaseElement old = element("old");
  ASSERT_EQ(info(&old), 0) << m_Api->ErrorText();
  for (SqlFileElement* fileP : files()) {
    std::string name = fileP->szFilePhysicalName;
    ASSERT_FALSE(name.empty());
    EXPECT_NE(name.back(), ' ') << name;
  }
}

}  // namespace
