// The query of stored backups against the storage stand-in holding several servers, databases
// and backup types.
#include "sqlqrybackup.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "storedbackup_testutil.h"

namespace {

class BackupQuery : public StoredBackupFixture {
 protected:
  void SetUp() override {
    StoredBackupFixture::SetUp();
    m_Parms.sqlServerNameP = "SRV1";
    m_Parms.dbNameListP = names(m_DbNames, {"Sales"});
  }
  uint32_t run() {
    DSqlQueryBackupEri request(&m_Parms);
    int rc = request.ProcessRequest();
    m_Text = request.GetMessageBuffer();
    return rc;
  }
  std::vector<std::string> found() { return entryNames(*m_Parms.qryBuListP); }

  DSqlQueryBackupParms m_Parms;
  EriNameList m_DbNames;
  EriNameList m_Seconds;
  EriObjectNameList m_Objects;
  EriObjectNameList m_Patterns;
  std::string m_Text;
};

// Sales: full, diff, group G2, file f1, log, set (one hour apart); Payroll full; SRV2 Sales full.
class StockedQuery : public BackupQuery {
 protected:
  void SetUp() override {
    BackupQuery::SetUp();
    const struct {
      uint32_t type;
      const char* second;
    } kinds[] = {{BACKUP_TYPE_FULL, ""},   {BACKUP_TYPE_DIFFFULL, ""}, {BACKUP_TYPE_GROUP, "G2"},
                 {BACKUP_TYPE_FILE, "f1"}, {BACKUP_TYPE_LOG, ""},      {BACKUP_TYPE_SET, ""}};
    uint8_t hour = 1;
    for (const auto& kind : kinds) {
      StoredBackup b;
      b.type = kind.type;
      b.second = kind.second;
      b.time.hour = hour++;
      storeBackup(b);
    }
    StoredBackup payroll;
    payroll.db = "Payroll";
    storeBackup(payroll);
    StoredBackup other;
    other.server = "SRV2";
    storeBackup(other);
  }
};

TEST_F(StockedQuery, TypesAndSecondNamesSelectTheBackups) {
  const struct {
    uint32_t qryCommand;
    std::vector<std::string> seconds;  // group or file names
    std::vector<std::string> objects;  // log or set names
    std::vector<std::string> found;
  } cases[] = {
      {0,
       {},
       {},
       {"\\Sales\\full", "\\Sales\\difffull", "\\Sales\\G2\\group", "\\Sales\\f1\\file",
        "\\Sales\\20010405054102\\000004D2\\log", "\\Sales\\20010405064102\\000004D2\\set"}},
      {ERI_QRY_FULL, {}, {}, {"\\Sales\\full"}},
      {ERI_QRY_DIFFFULL, {}, {}, {"\\Sales\\difffull"}},
      {ERI_QRY_GROUP, {"G2", "G3"}, {}, {"\\Sales\\G2\\group"}},
      {ERI_QRY_GROUP, {}, {}, {"\\Sales\\G2\\group"}},
      {ERI_QRY_FILE, {"f*"}, {}, {"\\Sales\\f1\\file"}},
      {ERI_QRY_LOG, {}, {"20010405054102\\000004D2"}, {"\\Sales\\20010405054102\\000004D2\\log"}},
      {ERI_QRY_SET, {}, {"2001*"}, {"\\Sales\\20010405064102\\000004D2\\set"}},
  };
  for (const auto& c : cases) {
    m_Parms.qryBuListP->freeAll();
    m_Parms.qryCommand = c.qryCommand;
    m_Parms.groupFileListP = names(m_Seconds, c.seconds);
    m_Parms.objectNameListP = objectNames(m_Objects, c.objects);
    ASSERT_EQ(run(), 0u) << c.qryCommand << " " << m_Text;
    EXPECT_EQ(found(), c.found) << c.qryCommand;
  }
}

TEST_F(StockedQuery, TimeAndProcessPatternsMatchInExactCase) {
  const struct {
    std::vector<std::string> patterns;
    size_t found;
  } cases[] = {
      {{"2001*"}, 6},
      {{"*\\000004D2"}, 6},
      {{"*\\000004d2"}, 0},
      {{"20010405034102\\*", "*05054102*"}, 2},
  };
  SetIgnoreCase(1);
  for (const auto& c : cases) {
    m_Parms.qryBuListP->freeAll();
    m_Parms.objectPatternListP = objectNames(m_Patterns, c.patterns);
    int rc = run();
    EXPECT_EQ(rc, c.found == 0 ? 114u : 0u) << c.patterns[0];
    EXPECT_EQ(m_Parms.qryBuListP->getCount(), c.found) << c.patterns[0];
    EXPECT_EQ(GetIgnoreCase(), 1u);
  }
}

TEST_F(StockedQuery, NothingFoundGives114WithTheServerAndLeavesTheListAsItWas) {
  m_Parms.dbNameListP = names(m_DbNames, {"Sales"});
  ASSERT_EQ(run(), 0u);
  uint32_t before = m_Parms.qryBuListP->getCount();
  const char* const servers[] = {"SRV1", "SRV3"};  // no such database; no such server
  for (const char* serverP : servers) {
    m_Parms.sqlServerNameP = serverP;
    m_Parms.dbNameListP = names(m_DbNames, {"Nothing"});
    EXPECT_EQ(run(), 114u) << serverP;
    EXPECT_NE(m_Text.find(serverP), std::string::npos) << m_Text;
    EXPECT_EQ(m_Parms.qryBuListP->getCount(), before);
  }
}

TEST_F(BackupQuery, ActiveOnlyOrEveryVersion) {
  StoredBackup first;
  storeBackup(first);
  StoredBackup second;
  second.time.day = 6;
  storeBackup(second);  // the same names: the first version becomes inactive
  ASSERT_EQ(run(), 0u) << m_Text;
  ASSERT_EQ(m_Parms.qryBuListP->getCount(), 1u);
  EXPECT_EQ(eriAnswerObjId(*m_Parms.qryBuListP->getFirst()).backupTime.day, 6);
  m_Parms.qryBuListP->freeAll();
  m_Parms.bAll = 1;
  ASSERT_EQ(run(), 0u) << m_Text;
  ASSERT_EQ(m_Parms.qryBuListP->getCount(), 2u);
  EXPECT_EQ(eriAnswerObjId(*m_Parms.qryBuListP->getFirst()).backupTime.day, 5);  // oldest first
}

TEST_F(BackupQuery, WithEveryFilespaceABackupIsListedOnceAsItsMetaObject) {
  StoredBackup striped;
  striped.stripes = 3;
  storeBackup(striped);
  m_Parms.bAllFilespaces = 1;
  ASSERT_EQ(run(), 0u) << m_Text;
  ASSERT_EQ(m_Parms.qryBuListP->getCount(), 1u);
  MoxtarMetaInfo* entryP = m_Parms.qryBuListP->getFirst();
  EXPECT_STREQ(entryP->objName.fs, "SRV1\\meta\\0000");
  EXPECT_EQ(entryP->objInfolen, OBJINFO_META_SIZE);
}

TEST_F(BackupQuery, DatabasesDifferingInCaseSortTogetherAndSummariseApart) {
  const struct {
    const char* db;
    uint8_t day;
  } stored[] = {{"Sales", 3}, {"SALES", 1}, {"Sales", 2}, {"Alpha", 9}};
  for (const auto& s : stored) {
    StoredBackup b;
    b.db = s.db;
    b.type = BACKUP_TYPE_LOG;  // stored under names of their own
    b.time.day = s.day;
    storeBackup(b);
  }
  CLinkedList<DbSummaryElement> summary;
  m_Parms.dbSummaryListP = &summary;
  m_Parms.dbNameListP = names(m_DbNames, {"*"});
  ASSERT_EQ(run(), 0u) << m_Text;
  std::vector<std::string> order;
  for (MoxtarMetaInfo* e = m_Parms.qryBuListP->getFirst(); e != nullptr;
       e = m_Parms.qryBuListP->getNext(e)) {
    char db[OBJ_NAME_MAX_HL_LENGTH + 1], other[OBJ_NAME_MAX_HL_LENGTH + 1];
    extractHlNames(e->objName.hl, db, other);
    order.push_back(std::string(db) + ":" + std::to_string(eriAnswerObjId(*e).backupTime.day));
  }
  EXPECT_EQ(order, (std::vector<std::string>{"Alpha:9", "SALES:1", "Sales:2", "Sales:3"}));
  std::vector<std::string> groups;
  for (DbSummaryElement* s = summary.getFirst(); s != nullptr; s = summary.getNext(s)) {
    groups.push_back(std::string(s->szDbName) + ":" + std::to_string(s->count));
  }
  EXPECT_EQ(groups, (std::vector<std::string>{"Alpha:1", "SALES:1", "Sales:2"}));
  EXPECT_EQ(
      summary.getLast()->firstP,
      m_Parms.qryBuListP->getNext(m_Parms.qryBuListP->getNext(m_Parms.qryBuListP->getFirst())));
}

TEST_F(BackupQuery, DatabaseElementsAreBuiltAndLinked) {
  StoredBackup b;
  storeBackup(b);
  CLinkedList<SqlHublorDbElement> elements;
  CLinkedList<SqlMetaGroupInfo> groups;
  m_Parms.bFillDbElems = 1;
  m_Parms.dbElemListP = &elements;
  m_Parms.dbElemGroupListP = &groups;
  ASSERT_EQ(run(), 0u) << m_Text;
  ASSERT_EQ(elements.getCount(), 1u);
  MoxtarMetaInfo* entryP = m_Parms.qryBuListP->getFirst();
  EXPECT_EQ(entryP->hublorDbElemP, elements.getFirst());
  EXPECT_STREQ(elements.getFirst()->szSqlDatabaseName, "Sales");
  EXPECT_EQ(elements.getFirst()->pGroupList, &groups);
  EXPECT_EQ(elements.getFirst()->lSqlVersionMajor, 8u);
}

// Two backups of Sales a day apart, the later one's meta-data object carrying two groups and
// three files: the query reads them into the shared lists and keeps its own order; the reading
// alone fills the lists of the backups handed in.
TEST_F(BackupQuery, FileInformationIsReadIntoTheDatabaseElements) {
  StoredBackup older;
  older.groups.resize(1);
  older.groups[0].lGroupNumFiles = 1;
  older.files.resize(1);
  storeBackup(older);
  StoredBackup later = older;
  later.time.day = 6;
  later.groups.resize(2);
  later.groups[1].lGroupNumFiles = 2;
  later.files.resize(3);
  storeBackup(later);
  CLinkedList<SqlHublorDbElement> elements;
  CLinkedList<SqlMetaGroupInfo> groups;
  CLinkedList<SqlMetaFileInfo> files;
  m_Parms.bAll = 1;
  m_Parms.bFillDbElems = 1;
  m_Parms.bFileInfo = 1;
  m_Parms.nBuffers = 2;
  m_Parms.nBufferSize = 64;
  m_Parms.dbElemListP = &elements;
  m_Parms.dbElemGroupListP = &groups;
  m_Parms.dbElemFileListP = &files;
  ASSERT_EQ(run(), 0u) << m_Text;
  EXPECT_EQ(groups.getCount(), 3u);
  EXPECT_EQ(files.getCount(), 4u);
  MoxtarMetaInfo* firstP = m_Parms.qryBuListP->getFirst();
  EXPECT_EQ(eriAnswerObjId(*firstP).backupTime.day, 5);  // oldest first, as without the reading

  groups.freeAll();
  files.freeAll();
  CLinkedList<SqlMetaGroupInfo> ownGroups;
  CLinkedList<SqlMetaFileInfo> ownFiles;
  MoxtarMetaInfo* laterP = m_Parms.qryBuListP->getNext(firstP);
  laterP->hublorDbElemP->pGroupList = &ownGroups;
  laterP->hublorDbElemP->pFileList = &ownFiles;
  m_Parms.qryBuListP->remove(firstP);
  m_Parms.bFillDbElems = 0;
  ASSERT_EQ(run(), 0u) << m_Text;
  EXPECT_EQ(m_Parms.qryBuListP->getCount(), 1u);
  EXPECT_EQ(ownGroups.getCount(), 2u);
  EXPECT_EQ(ownFiles.getCount(), 3u);
  EXPECT_EQ(ownGroups.getLast()->peGroupFirstFile, ownFiles.getNext(ownFiles.getFirst()));
}

TEST_F(BackupQuery, MissingParametersGive419) {
  m_Parms.dbNameListP = nullptr;
  EXPECT_EQ(run(), 419u);
  m_Parms.dbNameListP = &m_DbNames;
  m_Parms.qryBuListP = nullptr;
  EXPECT_EQ(run(), 419u);
}

}  // namespace
