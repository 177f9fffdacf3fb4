#include "sqlstmt.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sqlstmt_testutil.h"
#include "tsql.h"

namespace {

struct BackupCase {
  const char* what;
  uint32_t type;
  const char* database;
  std::vector<SqlStmtItem> items;
  std::vector<const char*> devices;
  uint32_t buffers, bufferKb, truncate;
  const char* debugPath;
  const char* expected;
};

const BackupCase kBackupCases[] = {
    {"full onto two devices",
     BACKUP_TYPE_FULL,
     "sales",
     {},
     {"d1", "d2"},
     3,
     1000,
     0,
     "",
     "USE master BACKUP DATABASE [sales] TO VIRTUAL_DEVICE=N'd1', VIRTUAL_DEVICE=N'd2' WITH "
     "BLOCKSIZE=512, BUFFERCOUNT=3, MAXTRANSFERSIZE=1048576, NAME=N'full', "
     "DESCRIPTION=N'd1 (Zarnak MS SQL V2)'"},
    {"full ignores truncate",
     BACKUP_TYPE_FULL,
     "sales",
     {},
     {"d1"},
     0,
     0,
     0,
     "",
     "USE master BACKUP DATABASE [sales] TO VIRTUAL_DEVICE=N'd1' WITH BLOCKSIZE=512, "
     "NAME=N'full', DESCRIPTION=N'd1 (Zarnak MS SQL V2)'"},
    {"differential",
     BACKUP_TYPE_DIFFFULL,
     "sales",
     {},
     {"d1"},
     0,
     64,
     0,
     "",
     "USE master BACKUP DATABASE [sales] TO VIRTUAL_DEVICE=N'd1' WITH BLOCKSIZE=512, "
     "MAXTRANSFERSIZE=65536, DIFFERENTIAL, NAME=N'difffull', "
     "DESCRIPTION=N'd1 (Zarnak MS SQL V2)'"},
    {"log without truncate",
     BACKUP_TYPE_LOG,
     "sales",
     {},
     {"d1"},
     0,
     65,
     0,
     "",
     "USE master BACKUP LOG [sales] TO VIRTUAL_DEVICE=N'd1' WITH BLOCKSIZE=512, "
     "MAXTRANSFERSIZE=131072, NO_TRUNCATE, NAME=N'log', DESCRIPTION=N'd1 (Zarnak MS SQL V2)'"},
    {"log with truncate",
     BACKUP_TYPE_LOG,
     "sales",
     {},
     {"d1"},
     2,
     0,
     1,
     "",
     "USE master BACKUP LOG [sales] TO VIRTUAL_DEVICE=N'd1' WITH BLOCKSIZE=512, "
     "BUFFERCOUNT=2, NAME=N'log', DESCRIPTION=N'd1 (Zarnak MS SQL V2)'"},
    {"group",
     BACKUP_TYPE_GROUP,
     "sales",
     {{SQL_ITEM_FILEGROUP, "PRIMARY"}},
     {"d1"},
     0,
     1024,
     0,
     "",
     "USE master BACKUP DATABASE [sales] FILEGROUP=N'PRIMARY' TO VIRTUAL_DEVICE=N'd1' WITH "
     "BLOCKSIZE=512, MAXTRANSFERSIZE=1048576, NAME=N'group', "
     "DESCRIPTION=N'd1 (Zarnak MS SQL V2)'"},
    {"file",
     BACKUP_TYPE_FILE,
     "sales",
     {{SQL_ITEM_FILE, "sales_data2"}},
     {"d1"},
     0,
     1025,
     0,
     "",
     "USE master BACKUP DATABASE [sales] FILE=N'sales_data2' TO VIRTUAL_DEVICE=N'd1' WITH "
     "BLOCKSIZE=512, MAXTRANSFERSIZE=1114112, NAME=N'file', "
     "DESCRIPTION=N'd1 (Zarnak MS SQL V2)'"},
    {"set of a group and a file",
     BACKUP_TYPE_SET,
     "sales",
     {{SQL_ITEM_FILEGROUP, "g1"}, {SQL_ITEM_FILE, "f2"}},
     {"d1"},
     0,
     0,
     0,
     "",
     "USE master BACKUP DATABASE [sales] FILEGROUP=N'g1', FILE=N'f2' TO VIRTUAL_DEVICE=N'd1' "
     "WITH BLOCKSIZE=512, NAME=N'set', DESCRIPTION=N'd1 (Zarnak MS SQL V2)'"},
    {"set of files only",
     BACKUP_TYPE_SET,
     "sales",
     {{SQL_ITEM_FILE, "f1"}, {SQL_ITEM_FILE, "f2"}},
     {"d1"},
     0,
     0,
     0,
     "",
     "USE master BACKUP DATABASE [sales] FILE=N'f1', FILE=N'f2' TO VIRTUAL_DEVICE=N'd1' "
     "WITH BLOCKSIZE=512, NAME=N'set', DESCRIPTION=N'd1 (Zarnak MS SQL V2)'"},
    {"debug path",
     BACKUP_TYPE_FULL,
     "sales",
     {},
     {"d1", "d2"},
     0,
     0,
     0,
     "/tmp/dbg",
     "USE master BACKUP DATABASE [sales] TO DISK='/tmp/dbg\\d1.DebugBackup', "
     "DISK='/tmp/dbg\\d2.DebugBackup' WITH BLOCKSIZE=512, NAME=N'full', "
     "DESCRIPTION=N'd1 (Zarnak MS SQL V2)'"},
    {"quotes and brackets doubled",
     BACKUP_TYPE_SET,
     "a]b'c",
     {{SQL_ITEM_FILEGROUP, "g'1"}, {SQL_ITEM_FILE, "f]'2"}},
     {"d'1"},
     0,
     0,
     0,
     "",
     "USE master BACKUP DATABASE [a]]b'c] FILEGROUP=N'g''1', FILE=N'f]''2' TO "
     "VIRTUAL_DEVICE=N'd''1' WITH BLOCKSIZE=512, NAME=N'set', "
     "DESCRIPTION=N'd''1 (Zarnak MS SQL V2)'"},
    {"injection stays a name",
     BACKUP_TYPE_FULL,
     "x] TO DISK='evil' --",
     {},
     {"d1"},
     0,
     0,
     0,
     "",
     "USE master BACKUP DATABASE [x]] TO DISK='evil' --] TO VIRTUAL_DEVICE=N'd1' WITH "
     "BLOCKSIZE=512, NAME=N'full', DESCRIPTION=N'd1 (Zarnak MS SQL V2)'"},
};

class BackupStatementTest : public ::testing::Test {
 protected:
  int build(const BackupCase& c, uint32_t* cancelledP = nullptr) {
    items.freeAll();
    devices.freeAll();
    for (const SqlStmtItem& item : c.items) items.addTail(&item);
    for (const char* name : c.devices) fillDevices(devices, {name});
    SqlBackupStatement s = {c.type,    c.database, &items,     &devices,
                            c.buffers, c.bufferKb, c.truncate, c.debugPath};
    command.clear();
    return sqlBuildBackupStatement(command, s, cancelledP, errorText, sizeof errorText);
  }

  CLinkedList<SqlStmtItem> items, devices;
  CSqlCommand command;
  char errorText[1025] = {};
};

TEST_F(BackupStatementTest, GoldenStatementsForEveryTypeAndOption) {
  for (const BackupCase& c : kBackupCases) {
    ASSERT_EQ(build(c), 0) << c.what;
    EXPECT_EQ(statementText(command), c.expected) << c.what;
  }
}

// The emulated server's strict parser reads every golden statement back into the same names:
// the quoting survives the round trip.
TEST_F(BackupStatementTest, TheServersParserReadsTheNamesBack) {
  for (const BackupCase& c : kBackupCases) {
    ASSERT_EQ(build(c), 0) << c.what;
    sqlengine::ParseResult parsed =
        sqlengine::parseStatement(std::u16string_view(command.text(), command.length()), 8);
    ASSERT_EQ(parsed.error.number, 0) << c.what << ": " << parsed.error.text;
    const auto& b = std::get<sqlengine::BackupStatement>(parsed.statement);
    EXPECT_EQ(b.database, c.database) << c.what;
    EXPECT_EQ(b.log, c.type == BACKUP_TYPE_LOG);
    EXPECT_EQ(b.noTruncate, c.type == BACKUP_TYPE_LOG && !c.truncate);
    EXPECT_EQ(b.differential, c.type == BACKUP_TYPE_DIFFFULL);
    ASSERT_EQ(b.items.size(), c.items.size());
    for (size_t i = 0; i < c.items.size(); i++) EXPECT_EQ(b.items[i].name, c.items[i].nameP);
    ASSERT_EQ(b.devices.size(), c.devices.size());
    EXPECT_EQ(b.devices[0].name.find(c.devices[0]) != std::string::npos, true);
  }
}

TEST_F(BackupStatementTest, StripeCountLimitsTheDevicesNamed) {
  struct Stripe {
    const char* vdevName;
  };
  CLinkedList<Stripe> stripes;
  for (const char* name : {"d1", "d2", "d3"}) {
    Stripe s = {name};
    stripes.addTail(&s);
  }
  for (uint32_t n : {0u, 2u, 3u, 5u}) {
    CLinkedList<SqlStmtItem> names;
    ASSERT_EQ(sqlCollectDevices(stripes, n, names), 0);
    EXPECT_EQ(names.getCount(), std::min(n, 3u));
  }
}

TEST_F(BackupStatementTest, NameOverItsLimitGives1908AndSendsNothing) {
  std::string db(SQL_MAX_NAME_LENGTH, 'x');
  BackupCase c = kBackupCases[1];
  c.database = db.c_str();
  EXPECT_EQ(build(c), 0);
  db += 'x';
  c.database = db.c_str();
  EXPECT_EQ(build(c), 1908);
  EXPECT_NE(std::string(errorText).find(":263 > 262"), std::string::npos) << errorText;
  std::string path(SQL_MAX_PATH_LENGTH + 1, 'p');
  c = kBackupCases[9];
  c.debugPath = path.c_str();
  EXPECT_EQ(build(c), 1908);
}

TEST_F(BackupStatementTest, CancelEndsTheBuild) {
  uint32_t cancelled = 1;
  EXPECT_EQ(build(kBackupCases[0], &cancelled), 415);
  EXPECT_EQ(command.length(), 0u);
  cancelled = 0;
  EXPECT_EQ(build(kBackupCases[0], &cancelled), 0);
}

TEST(SqlCommand, GrowsInWholeStepsAndKeepsItsText) {
  CSqlCommand command;
  EXPECT_EQ(command.AdjustCommandSize(4097), 0);
  EXPECT_EQ(command.muiCommandSize, 8192u);
  EXPECT_EQ(command.AdjustCommandSize(100), 0);
  EXPECT_EQ(command.muiCommandSize, 8192u);
  ASSERT_EQ(command.append("abc"), 0);
  EXPECT_EQ(command.AdjustCommandSize(8193), 0);
  EXPECT_EQ(command.muiCommandSize, 12288u);
  EXPECT_EQ(statementText(command), "abc");
}

TEST(SqlCommand, ALongStatementGrowsAndIsWhole) {
  // A set backup of 200 files, far beyond the first 4096 characters.
  CLinkedList<SqlStmtItem> items, devices;
  std::vector<std::string> names;
  for (int i = 0; i < 200; i++)
    names.push_back("file_with_a_long_logical_name_" + std::to_string(i));
  for (const std::string& name : names) fillItems(items, {{SQL_ITEM_FILE, name.c_str()}});
  fillDevices(devices, {"d1"});
  SqlBackupStatement s = {BACKUP_TYPE_SET, "sales", &items, &devices, 0, 0, 0, ""};
  CSqlCommand command;
  char errorText[100];
  ASSERT_EQ(sqlBuildBackupStatement(command, s, nullptr, errorText, sizeof errorText), 0);
  EXPECT_GT(command.length(), 8192u);
  EXPECT_EQ(command.muiCommandSize % 4096, 0u);
  std::string text = statementText(command);
  EXPECT_NE(text.find("FILE=N'file_with_a_long_logical_name_199' TO"), std::string::npos);
  sqlengine::ParseResult parsed =
      sqlengine::parseStatement(std::u16string_view(command.text(), command.length()), 8);
  ASSERT_EQ(parsed.error.number, 0) << parsed.error.text;
  EXPECT_EQ(std::get<sqlengine::BackupStatement>(parsed.statement).items.size(), 200u);
}

TEST(SqlCommand, NonAsciiNamesBecomeUtf16) {
  CSqlCommand command;
  ASSERT_EQ(command.appendEscaped("Verkäufe]", ']'), 0);
  EXPECT_EQ(std::u16string(command.text(), command.length()), u"Verkäufe]]");
  EXPECT_EQ(command.append("\xff"), 2000);
  EXPECT_EQ(command.length(), 10u);
}

TEST(SqlBackupType, NamesOfTheTypes) {
  const char* const names[] = {"full", "difffull", "log", "group", "file", "set", "invalid"};
  for (uint32_t t = 0; t <= 6; t++) EXPECT_STREQ(sqlBackupTypeName(t), names[t]);
}

}  // namespace
