#include "sqlrestoreplan.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "sqlstmt_testutil.h"
#include "tsql.h"

namespace {

// The restore selection of database sales: groups g1 (files f1a, f1b) and g2 (f2a, f2b).
class Selection {
 public:
  Selection() {
    db.usVersion = 1;
    db.pGroupList = &groups;
    db.pFileList = &files;
    db.pRelocateList = &moves;
    for (const char* name : {"g1", "g2"}) {
      SqlMetaGroupInfo g{};
      strcpy(g.szGroupName, name);
      g.lGroupNumFiles = 2;
      groups.addTail(&g);
    }
    SqlMetaGroupInfo* g1 = groups.getFirst();
    SqlMetaGroupInfo* g2 = groups.getNext(g1);
    for (auto [group, name] : {std::pair{g1, "f1a"}, {g1, "f1b"}, {g2, "f2a"}, {g2, "f2b"}}) {
      SqlMetaFileInfo f{};
      f.peFileGroup = group;
      strcpy(f.szFileLogicalName, name);
      files.addTail(&f);
    }
  }
  SqlMetaGroupInfo* group(int i) {
    SqlMetaGroupInfo* g = groups.getFirst();
    while (i-- > 0) g = groups.getNext(g);
    return g;
  }
  SqlMetaFileInfo* file(int i) {
    SqlMetaFileInfo* f = files.getFirst();
    while (i-- > 0) f = files.getNext(f);
    return f;
  }
  void selectGroup(int i) {
    group(i)->bGroupIsSelected = 1;
    db.bDbGroupIsSelected = 1;
  }
  void selectFile(int i) {
    file(i)->bFileIsSelected = 1;
    file(i)->peFileGroup->bGroupFileIsSelected = 1;
    db.bDbFileIsSelected = 1;
  }
  void move(const char* logical, const char* physical) {
    SqlRelocatePair p{};
    strcpy(p.szLogicalName, logical);
    strcpy(p.szPhysicalName, physical);
    moves.addTail(&p);
  }

  SqlHublorDbElement db{};
  CLinkedList<SqlMetaGroupInfo> groups;
  CLinkedList<SqlMetaFileInfo> files;
  CLinkedList<SqlRelocatePair> moves;
};

struct RestoreCase {
  const char* what;
  const char* ll;
  long version;
  int stripes;
  void (*setup)(SqlRestoreParameters&, Selection&);
  const char* expected;
};

const RestoreCase kRestoreCases[] = {
    {"full, recovery", "\\full", 8, 1, [](SqlRestoreParameters& p, Selection&) { p.bRecovery = 1; },
     "USE master RESTORE DATABASE [sales] from VIRTUAL_DEVICE=N'd1' WITH BLOCKSIZE=512, "
     "RECOVERY"},
    {"three stripes, two commas", "\\full", 8, 3, [](SqlRestoreParameters&, Selection&) {},
     "USE master RESTORE DATABASE [sales] from VIRTUAL_DEVICE=N'd1',VIRTUAL_DEVICE=N'd2',"
     "VIRTUAL_DEVICE=N'd3' WITH BLOCKSIZE=512, NORECOVERY"},
    {"a stripe count beyond the list leaves no trailing comma", "\\full", 8, 5,
     [](SqlRestoreParameters&, Selection&) {},
     "USE master RESTORE DATABASE [sales] from VIRTUAL_DEVICE=N'd1',VIRTUAL_DEVICE=N'd2',"
     "VIRTUAL_DEVICE=N'd3' WITH BLOCKSIZE=512, NORECOVERY"},
    {"buffers", "\\difffull", 8, 1,
     [](SqlRestoreParameters& p, Selection&) {
       p.ulNumSqlBuffers = 4;
       p.ulSqlBufferSize = 65;
       p.bReplace = 1;
       p.bRecovery = 1;
     },
     "USE master RESTORE DATABASE [sales] from VIRTUAL_DEVICE=N'd1' WITH BLOCKSIZE=512, "
     "BUFFERCOUNT=4, MAXTRANSFERSIZE=131072, RECOVERY, REPLACE"},
    {"restricted user", "\\full", 8, 1,
     [](SqlRestoreParameters& p, Selection&) { p.bRestrictedUserOnly = 1; },
     "USE master RESTORE DATABASE [sales] from VIRTUAL_DEVICE=N'd1' WITH BLOCKSIZE=512, "
     "RESTRICTED_USER, NORECOVERY"},
    {"version 7: dbo only, no partial", "\\full", 7, 1,
     [](SqlRestoreParameters& p, Selection&) {
       p.bRestrictedUserOnly = 1;
       p.bPartial = 1;
       p.bRecovery = 1;
     },
     "USE master RESTORE DATABASE [sales] from VIRTUAL_DEVICE=N'd1' WITH BLOCKSIZE=512, "
     "DBO_ONLY, RECOVERY"},
    {"partial full with a group keeps recovery", "\\full", 8, 1,
     [](SqlRestoreParameters& p, Selection& s) {
       p.bPartial = 1;
       p.bRecovery = 1;
       s.selectGroup(0);
     },
     "USE master RESTORE DATABASE [sales] FILEGROUP=N'g1' from VIRTUAL_DEVICE=N'd1' WITH "
     "BLOCKSIZE=512, PARTIAL, RECOVERY"},
    {"partial only for a full backup", "\\difffull", 8, 1,
     [](SqlRestoreParameters& p, Selection&) {
       p.bPartial = 1;
       p.bRecovery = 1;
     },
     "USE master RESTORE DATABASE [sales] from VIRTUAL_DEVICE=N'd1' WITH BLOCKSIZE=512, "
     "RECOVERY"},
    {"group selection forces norecovery", "\\group", 8, 1,
     [](SqlRestoreParameters& p, Selection& s) {
       p.bRecovery = 1;
       s.selectGroup(1);
     },
     "USE master RESTORE DATABASE [sales] FILEGROUP=N'g2' from VIRTUAL_DEVICE=N'd1' WITH "
     "BLOCKSIZE=512, NORECOVERY"},
    {"whole group then files of another", "\\set", 8, 1,
     [](SqlRestoreParameters&, Selection& s) {
       s.selectGroup(0);
       s.selectFile(0);  // of the whole group: not listed again
       s.selectFile(2);
       s.selectFile(3);
     },
     "USE master RESTORE DATABASE [sales] FILEGROUP=N'g1', FILE=N'f2a', FILE=N'f2b' from "
     "VIRTUAL_DEVICE=N'd1' WITH BLOCKSIZE=512, NORECOVERY"},
    {"files only", "\\file", 8, 1, [](SqlRestoreParameters&, Selection& s) { s.selectFile(1); },
     "USE master RESTORE DATABASE [sales] FILE=N'f1b' from VIRTUAL_DEVICE=N'd1' WITH "
     "BLOCKSIZE=512, NORECOVERY"},
    {"move pairs", "\\full", 8, 1,
     [](SqlRestoreParameters& p, Selection& s) {
       p.bRelocate = 1;
       p.bRecovery = 1;
       s.move("sales_data", "/data/sales.mdf");
       s.move("sales_log", "/data/sales.ldf");
     },
     "USE master RESTORE DATABASE [sales] from VIRTUAL_DEVICE=N'd1' WITH BLOCKSIZE=512, "
     "MOVE N'sales_data' TO N'/data/sales.mdf', MOVE N'sales_log' TO N'/data/sales.ldf', "
     "RECOVERY"},
    {"moves only when asked", "\\full", 8, 1,
     [](SqlRestoreParameters& p, Selection& s) {
       p.bRecovery = 1;
       s.move("sales_data", "/data/sales.mdf");
     },
     "USE master RESTORE DATABASE [sales] from VIRTUAL_DEVICE=N'd1' WITH BLOCKSIZE=512, "
     "RECOVERY"},
    {"standby", "\\full", 8, 1,
     [](SqlRestoreParameters& p, Selection& s) {
       p.bStandby = 1;
       p.bRecovery = 1;
       strcpy(s.db.szStandbyFile, "/data/undo.dat");
     },
     "USE master RESTORE DATABASE [sales] from VIRTUAL_DEVICE=N'd1' WITH BLOCKSIZE=512, "
     "STANDBY=N'/data/undo.dat'"},
    {"standby without a file falls back", "\\full", 8, 1,
     [](SqlRestoreParameters& p, Selection&) {
       p.bStandby = 1;
       p.bRecovery = 1;
     },
     "USE master RESTORE DATABASE [sales] from VIRTUAL_DEVICE=N'd1' WITH BLOCKSIZE=512, "
     "RECOVERY"},
    {"into another database", "\\full", 8, 1,
     [](SqlRestoreParameters& p, Selection& s) {
       p.bRecovery = 1;
       strcpy(s.db.szIntoDbName, "sales_copy");
     },
     "USE master RESTORE DATABASE [sales_copy] from VIRTUAL_DEVICE=N'd1' WITH BLOCKSIZE=512, "
     "RECOVERY"},
    {"log, norecovery", "\\log", 8, 1, [](SqlRestoreParameters&, Selection&) {},
     "USE master RESTORE LOG [sales] from VIRTUAL_DEVICE=N'd1' WITH BLOCKSIZE=512, NORECOVERY"},
    {"log ignores the selection", "\\log", 8, 1,
     [](SqlRestoreParameters& p, Selection& s) {
       s.selectGroup(0);
       p.bPartial = 1;
       p.bRecovery = 1;
     },
     "USE master RESTORE LOG [sales] from VIRTUAL_DEVICE=N'd1' WITH BLOCKSIZE=512, RECOVERY"},
    {"stopat forces recovery", "\\log", 8, 1,
     [](SqlRestoreParameters& p, Selection&) {
       p.bStopAt = 1;
       strcpy(p.szDateTime, "2026-12-10 12:00:00");
     },
     "USE master RESTORE LOG [sales] from VIRTUAL_DEVICE=N'd1' WITH BLOCKSIZE=512, RECOVERY, "
     "STOPAT=N'2026-12-10 12:00:00'"},
    {"stopat also on version 7", "\\log", 7, 1,
     [](SqlRestoreParameters& p, Selection&) {
       p.bStopAt = 1;
       strcpy(p.szDateTime, "2026-12-10 12:00:00");
     },
     "USE master RESTORE LOG [sales] from VIRTUAL_DEVICE=N'd1' WITH BLOCKSIZE=512, RECOVERY, "
     "STOPAT=N'2026-12-10 12:00:00'"},
    {"stopatmark with after", "\\log", 8, 2,
     [](SqlRestoreParameters& p, Selection&) {
       p.bStopAtMark = 1;
       strcpy(p.szMarkName, "m1");
       p.bAfter = 1;
       strcpy(p.szAfter, "t1");
     },
     "USE master RESTORE LOG [sales] from VIRTUAL_DEVICE=N'd1',VIRTUAL_DEVICE=N'd2' WITH "
     "BLOCKSIZE=512, RECOVERY, STOPATMARK=N'm1' AFTER N't1'"},
    {"stopbeforemark, after without a time", "\\log", 8, 1,
     [](SqlRestoreParameters& p, Selection&) {
       p.bStopBeforeMark = 1;
       strcpy(p.szMarkName, "m1");
       p.bAfter = 1;
     },
     "USE master RESTORE LOG [sales] from VIRTUAL_DEVICE=N'd1' WITH BLOCKSIZE=512, RECOVERY, "
     "STOPBEFOREMARK=N'm1'"},
    {"stopat without a time gives the mark", "\\log", 8, 1,
     [](SqlRestoreParameters& p, Selection&) {
       p.bStopAt = 1;
       p.bStopAtMark = 1;
       strcpy(p.szMarkName, "m1");
     },
     "USE master RESTORE LOG [sales] from VIRTUAL_DEVICE=N'd1' WITH BLOCKSIZE=512, RECOVERY, "
     "STOPATMARK=N'm1'"},
    {"no marks on version 7", "\\log", 7, 1,
     [](SqlRestoreParameters& p, Selection&) {
       p.bStopAtMark = 1;
       strcpy(p.szMarkName, "m1");
     },
     "USE master RESTORE LOG [sales] from VIRTUAL_DEVICE=N'd1' WITH BLOCKSIZE=512, RECOVERY"},
    {"no stop clauses outside a log restore", "\\full", 8, 1,
     [](SqlRestoreParameters& p, Selection&) {
       p.bStopAt = 1;
       strcpy(p.szDateTime, "2026-12-10 12:00:00");
     },
     "USE master RESTORE DATABASE [sales] from VIRTUAL_DEVICE=N'd1' WITH BLOCKSIZE=512, "
     "NORECOVERY"},
    {"quoting of every name and text", "\\log", 8, 1,
     [](SqlRestoreParameters& p, Selection& s) {
       strcpy(s.db.szIntoDbName, "a]b");
       p.bStandby = 1;
       strcpy(s.db.szStandbyFile, "/u'ndo");
       p.bStopAtMark = 1;
       strcpy(p.szMarkName, "it's");
       p.bAfter = 1;
       strcpy(p.szAfter, "t'1");
     },
     "USE master RESTORE LOG [a]]b] from VIRTUAL_DEVICE=N'd1' WITH BLOCKSIZE=512, "
     "STANDBY=N'/u''ndo', STOPATMARK=N'it''s' AFTER N't''1'"},
    {"quoting of moves and items", "\\set", 8, 1,
     [](SqlRestoreParameters& p, Selection& s) {
       strcpy(s.group(0)->szGroupName, "g'1");
       s.selectGroup(0);
       p.bRelocate = 1;
       s.move("l'1", "/p'1");
     },
     "USE master RESTORE DATABASE [sales] FILEGROUP=N'g''1' from VIRTUAL_DEVICE=N'd1' WITH "
     "BLOCKSIZE=512, MOVE N'l''1' TO N'/p''1', NORECOVERY"},
};

struct Stripe {
  const char* vdevName;
};

class RestoreStatementTest : public ::testing::Test {
 protected:
  // Builds the statement of one case: the stripe list always holds three devices.
  int build(const RestoreCase& c, std::string& text, uint32_t* cancelledP = nullptr) {
    for (const char* name : {"d1", "d2", "d3"}) {
      Stripe s = {name};
      stripes.addTail(&s);
    }
    SqlRestoreParameters parms{};
    Selection selection;
    c.setup(parms, selection);
    CSqlRestorePlan plan;
    EXPECT_EQ(sqlCollectDevices(stripes, c.stripes, plan.m_Devices), 0);
    EXPECT_EQ(plan.build(parms, c.version, "\\sales", c.ll, &selection.db), 0);
    CSqlCommand command;
    char errorText[200];
    int rc = sqlBuildRestoreStatement(command, plan.m_Statement, cancelledP, errorText,
                                      sizeof errorText);
    text = statementText(command);
    stripes.freeAll();
    return rc;
  }
  CLinkedList<Stripe> stripes;
};

TEST_F(RestoreStatementTest, GoldenStatementsForEveryShape) {
  for (const RestoreCase& c : kRestoreCases) {
    std::string text;
    ASSERT_EQ(build(c, text), 0) << c.what;
    EXPECT_EQ(text, c.expected) << c.what;
    // The emulated server of the case's version accepts it.
    sqlengine::ParseResult parsed =
        sqlengine::parseStatement(std::u16string(text.begin(), text.end()), int(c.version));
    EXPECT_EQ(parsed.error.number, 0) << c.what << ": " << parsed.error.text;
  }
}

TEST_F(RestoreStatementTest, TheServerReadsQuotedNamesBack) {
  std::string text;
  ASSERT_EQ(build(kRestoreCases[std::size(kRestoreCases) - 2], text), 0);
  sqlengine::ParseResult parsed =
      sqlengine::parseStatement(std::u16string(text.begin(), text.end()), 8);
  ASSERT_EQ(parsed.error.number, 0) << parsed.error.text;
  const auto& r = std::get<sqlengine::RestoreStatement>(parsed.statement);
  EXPECT_EQ(r.database, "a]b");
  EXPECT_EQ(r.standbyFile, "/u'ndo");
  EXPECT_EQ(r.markName, "it's");
  EXPECT_EQ(r.after.value_or(""), "t'1");
}

TEST_F(RestoreStatementTest, CancelBeforeTheBuildGives415) {
  uint32_t cancelled = 1;
  std::string text;
  EXPECT_EQ(build(kRestoreCases[0], text, &cancelled), 415);
  EXPECT_EQ(text, "");
}

TEST(RestorePlan, LowLevelNamesAreMatchedExactly) {
  EXPECT_TRUE(sqlIsBackupTypeLl("\\log", "log"));
  EXPECT_TRUE(sqlIsBackupTypeLl("log", "log"));
  EXPECT_FALSE(sqlIsBackupTypeLl("\\logX", "log"));
  EXPECT_FALSE(sqlIsBackupTypeLl("\\Log", "log"));
  EXPECT_FALSE(sqlIsBackupTypeLl("\\full.20261210", "full"));
}

TEST(RestorePlan, NoSelectionRecordMeansTheWholeDatabase) {
  SqlRestoreParameters parms{};
  parms.bRecovery = 1;
  parms.bRelocate = 1;
  parms.bStandby = 1;
  CSqlRestorePlan plan;
  ASSERT_EQ(plan.build(parms, 8, "\\sales\\PRIMARY", "\\group", nullptr), 0);
  EXPECT_STREQ(plan.m_Statement.databaseNameP, "sales");
  EXPECT_EQ(plan.m_Statement.recovery, SQL_RECOVERY);
  EXPECT_EQ(plan.m_Items.getCount(), 0u);
  EXPECT_EQ(plan.m_Moves.getCount(), 0u);
}

TEST(RestorePlan, UnterminatedTextsAreCutAtTheirFields) {
  SqlRestoreParameters parms{};
  parms.bStopAtMark = 1;
  memset(parms.szMarkName, 'm', sizeof parms.szMarkName);
  CSqlRestorePlan plan;
  ASSERT_EQ(plan.build(parms, 8, "\\sales", "\\log", nullptr), 0);
  EXPECT_EQ(strlen(plan.m_Statement.stopTextP), sizeof parms.szMarkName - 1);
}

}  // namespace
