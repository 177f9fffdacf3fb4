// The restore request against the two stand-ins: backups queried or given, narrowed, picked,
// relocated and restored into their database or another, with the summary and the request's
// own codes.
#include "restoreeri.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "restore_testutil.h"

namespace {

int pickNothing(MoxtarMetaList*, uint32_t, uint32_t) {
  return 0;
}

std::vector<StatusFinish> gFinishes;
int keepFinish(StatusInfo status) {
  if (status.kind == finishStatus) gFinishes.push_back(status.finish);
  return 0;
}

class RestoreEriTest : public RestoreRequestFixture {
 protected:
  void SetUp() override {
    RestoreRequestFixture::SetUp();
    gFinishes.clear();
    m_Parms.statusFunctionP = keepFinish;
  }

  // The checksums of the two data files; the log holds what a restore replayed.
  std::vector<uint64_t> dataChecksums(const std::string& db) {
    std::vector<uint64_t> sums = checksums(db);
    sums.resize(2);
    return sums;
  }
  int runRequest() {
    CRestoreBackupsEri request(&m_Parms);
    int rc = request.ProcessRequest();
    m_Text = request.GetMessageBuffer();
    return rc;
  }

  // A database element for a backup of "sales", with its groups and files as stored.
  SqlHublorDbElement* element() {
    m_Elements.emplace_back();
    Element& e = m_Elements.back();
    SqlMetaGroupInfo primary;
    snprintf(primary.szGroupName, sizeof primary.szGroupName, "PRIMARY");
    SqlMetaGroupInfo g2;
    snprintf(g2.szGroupName, sizeof g2.szGroupName, "G2");
    SqlMetaGroupInfo log;
    snprintf(log.szGroupName, sizeof log.szGroupName, "LOG");
    log.bGroupIsLog = 1;
    e.groups.addTail(&primary);
    e.groups.addTail(&g2);
    e.groups.addTail(&log);
    SqlMetaGroupInfo* groupP = e.groups.getFirst();
    for (const char* name : {"sales_data", "g2_a", "sales_log"}) {
      SqlMetaFileInfo file;
      snprintf(file.szFileLogicalName, sizeof file.szFileLogicalName, "%s", name);
      file.peFileGroup = groupP;
      e.files.addTail(&file);
      groupP = e.groups.getNext(groupP);
    }
    e.db.pGroupList = &e.groups;
    e.db.pFileList = &e.files;
    return &e.db;
  }
  // The backups as the front end hands them, each with its database element.
  void giveBackups(const std::vector<StoredBackup>& backups) {
    appendEntries(*m_Parms.qryBuListP, backups);
    for (MoxtarMetaInfo* p = m_Parms.qryBuListP->getFirst(); p != nullptr;
         p = m_Parms.qryBuListP->getNext(p)) {
      p->hublorDbElemP = element();
    }
    m_Parms.bFileInfo = 1;
  }
  // Relocates every file of sales to its own place in the root, under folder `into`.
  void moveAll(const char* into) {
    m_Parms.sqlRestoreParms.bRelocate = 1;
    m_Parms.relocateFromListP = names(m_From, {"*_data", "g2*", "*log"});
    m_To.freeAll();
    for (const char* name : {"data", "g2", "log"}) {
      EriPhysicalNameEntry to{};
      snprintf(to.szName, sizeof to.szName, "%s/%s/%s.dat", m_Root.path().c_str(), into, name);
      m_To.addTail(&to);
    }
    m_Parms.relocateToListP = &m_To;
    m_Parms.relocationListP = &m_Relocations;
  }

  struct Element {
    SqlHublorDbElement db{};
    CLinkedList<SqlMetaGroupInfo> groups;
    CLinkedList<SqlMetaFileInfo> files;
  };
  EriNameList m_From;
  EriPhysicalNameList m_To;
  EriRelocationList m_Relocations;
  EriNameList m_Into;
  EriNameList m_Destinations;
  std::list<Element> m_Elements;
  std::string m_Text;
};

// The request queries the stored backups itself: a 4-stripe full backup and a log backup come
// back over two sessions; the finish report counts them.
TEST_F(RestoreEriTest, TheRequestQueriesAndRestoresAChainOverFewerSessions) {
  storeTaken("sales", BACKUP_TYPE_FULL, 4);
  work("sales", {1000});
  storeTaken("sales", BACKUP_TYPE_LOG, 1);
  std::vector<uint64_t> before = dataChecksums("sales");
  changeData("sales", "sales_data", 8);
  m_Parms.bStripes = 1;
  m_Parms.nStripes = 2;
  ASSERT_EQ(runRequest(), 0u) << m_Text;
  EXPECT_EQ(dataChecksums("sales"), before);
  EXPECT_EQ(status("sales"), sqlengine::kStatusNormal);
  ASSERT_EQ(gFinishes.size(), 1u);
  EXPECT_EQ(gFinishes[0].selected, 2u);
  EXPECT_EQ(gFinishes[0].expected, 2u);
  EXPECT_EQ(gFinishes[0].done, 2u);
  EXPECT_EQ(gFinishes[0].rc, 0u);
}

// Into another database with every file moved: both backups go into one destination, the log
// recovering it; the source stays as it is.
TEST_F(RestoreEriTest, IntoAnotherDatabaseWithEveryFileMoved) {
  std::vector<StoredBackup> backups;
  backups.push_back(storeTaken("sales", BACKUP_TYPE_FULL, 2));
  work("sales", {1000});
  backups.push_back(storeTaken("sales", BACKUP_TYPE_LOG, 1));
  std::vector<uint64_t> source = dataChecksums("sales");
  giveBackups(backups);
  moveAll("copy");
  m_Parms.sqlRestoreParms.bInto = 1;
  m_Parms.intoNameListP = names(m_Into, {"Copy"});
  m_Parms.destinationListP = &m_Destinations;
  ASSERT_EQ(runRequest(), 0u) << m_Text;
  EXPECT_EQ(status("Copy"), sqlengine::kStatusNormal);
  EXPECT_EQ(dataChecksums("Copy"), source);
  EXPECT_EQ(dataChecksums("sales"), source);
  EXPECT_EQ(m_Destinations.getCount(), 2u);
  EXPECT_EQ(m_Relocations.size(), 2u);
  EXPECT_EQ(m_Relocations.front().pairs.getCount(), 3u);
}

// A group selection restores only the named group of a partial restore into a new database.
TEST_F(RestoreEriTest, APartialRestoreOfOneGroup) {
  StoredBackup full = storeTaken("sales", BACKUP_TYPE_FULL, 1);
  giveBackups({full});
  moveAll("part");
  m_Parms.groupNameListP = names(m_DbNames, {"PRIM*"});
  m_Parms.sqlRestoreParms.bPartial = 1;
  m_Parms.sqlRestoreParms.bInto = 1;
  m_Parms.intoNameListP = names(m_Into, {"part"});
  m_Parms.destinationListP = &m_Destinations;
  ASSERT_EQ(runRequest(), 0u) << m_Text;
  EXPECT_EQ(status("part"), sqlengine::kStatusNormal);
  EXPECT_EQ(checksums("part")[0], checksums("sales")[0]);
  EXPECT_NE(checksums("part")[1], checksums("sales")[1]);
}

// A group selection that names no group of a backup drops it: nothing is left (114).
TEST_F(RestoreEriTest, NothingLeftToRestoreEndsWithNothingFound) {
  StoredBackup full = storeTaken("sales", BACKUP_TYPE_FULL, 1);
  for (int way = 0; way < 2; way++) {
    SCOPED_TRACE(way);
    m_Parms.qryBuListP->freeAll();
    giveBackups({full});
    m_Parms.groupNameListP = way == 0 ? names(m_From, {"NOSUCH"}) : nullptr;
    m_Parms.bPick = way == 1 ? 1 : 0;
    m_Parms.pickCallbackP = pickNothing;
    EXPECT_EQ(runRequest(), 114u);
    EXPECT_NE(m_Text.find(m_Server.szSqlServerName), std::string::npos) << m_Text;
    EXPECT_TRUE(gFinishes.empty());
  }
}

// A cancel before the restore begins ends the request as cancelled, not as nothing found; the
// into option without its name is an internal error.
TEST_F(RestoreEriTest, ACancelBeforeTheRestoreAndAMissingIntoName) {
  StoredBackup full = storeTaken("sales", BACKUP_TYPE_FULL, 1);
  giveBackups({full});
  {
    CRestoreBackupsEri request(&m_Parms);
    request.SetCancel();
    EXPECT_EQ(request.ProcessRequest(), uint32_t{RC_CANCELED_BY_USER});
  }
  m_Parms.sqlRestoreParms.bInto = 1;
  m_Parms.destinationListP = &m_Destinations;
  EXPECT_EQ(runRequest(), uint32_t{RC_INTERNAL_ERROR});
}

}  // namespace
