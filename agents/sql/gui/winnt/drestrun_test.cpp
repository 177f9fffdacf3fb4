// The restore controller's Restore button and per-database settings without windows: the
// record that reaches the command worker for each state of the trees, what is cleared after it,
// and the settings the pop-up menu's dialogs give.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "drestctl_testutil.h"
#include "objname.h"

namespace {

// What the command worker would have been given, read while the record lives.
struct Sent {
  uint32_t command = 0;
  uint32_t bFileInfo = 0;
  uint32_t bPartial = 0;
  uint32_t bReplace = 0;
  uint32_t bDboOnly = 0;
  uint32_t bRecovery = 0;
  uint32_t bStopAt = 0;
  std::string stopAt;
  uint32_t bRelocate = 0;
  uint32_t bInto = 0;
  uint32_t bStandby = 0;
  int32_t nStripes = 0;
  // Per backup: "db type [into=..] [standby=..] [move=logical>physical ...] [group=..]
  // [file=..]".
  std::vector<std::string> backups;
};

std::string describe(const MoxtarMetaInfo& entry) {
  const SqlHublorDbElement* dbP = entry.hublorDbElemP;
  uint32_t type = BACKUP_TYPE_INVALID;
  extractBackupType(entry.objName.ll, &type);
  std::string text = std::string(dbP->szSqlDatabaseName) + " " + backupTypeLlNames[type];
  if (dbP->szIntoDbName[0] != '\0') text += std::string(" into=") + dbP->szIntoDbName;
  if (dbP->szStandbyFile[0] != '\0') text += std::string(" standby=") + dbP->szStandbyFile;
  if (dbP->pRelocateList != nullptr) {
    for (SqlRelocatePair* pP = dbP->pRelocateList->getFirst(); pP != nullptr;
         pP = dbP->pRelocateList->getNext(pP)) {
      text += std::string(" move=") + pP->szLogicalName + ">" + pP->szPhysicalName;
    }
  }
  if (dbP->pGroupList == nullptr) return text;
  for (SqlMetaGroupInfo* gP = dbP->pGroupList->getFirst(); gP != nullptr;
       gP = dbP->pGroupList->getNext(gP)) {
    if (gP->bGroupIsSelected) text += std::string(" group=") + gP->szGroupName;
  }
  for (SqlMetaFileInfo* fP = dbP->pFileList->getFirst(); fP != nullptr;
       fP = dbP->pFileList->getNext(fP)) {
    if (fP->bFileIsSelected) text += std::string(" file=") + fP->szFileLogicalName;
  }
  return text;
}

// Stands above the restore controller where the application controller would, and keeps a
// description of every restore sent to it.
class CommandCatcher : public DController {
 public:
  DInformReply cgListenToInforms(DInformMsg msg) override {
    auto* infoP = static_cast<commandInfo*>(msg.getData());
    if (msg.getMessage() != INFORM_DO_COMMAND || infoP == nullptr) return DInformReply(0);
    auto* p = static_cast<CRestoreBackupsParms*>(infoP->parmsP);
    Sent s;
    s.command = infoP->command;
    s.bFileInfo = p->bFileInfo;
    const SqlRestoreParameters& sql = p->sqlRestoreParms;
    s.bPartial = sql.bPartial;
    s.bReplace = sql.bReplace;
    s.bDboOnly = sql.bRestrictedUserOnly;
    s.bRecovery = sql.bRecovery;
    s.bStopAt = sql.bStopAt;
    s.stopAt = sql.szDateTime;
    s.bRelocate = sql.bRelocate;
    s.bInto = sql.bInto;
    s.bStandby = sql.bStandby;
    s.nStripes = p->nStripes;
    for (MoxtarMetaInfo* eP = p->qryBuListP->getFirst(); eP != nullptr;
         eP = p->qryBuListP->getNext(eP)) {
      s.backups.push_back(describe(*eP));
    }
    sent.push_back(s);
    return DInformReply(0);
  }
  std::vector<Sent> sent;
};

// The settings dialogs, answered by the test.
class ScriptedDialogs : public DRestoreSettingsDialogs {
 public:
  bool askIntoName(std::string* nameP) override {
    shownInto.push_back(*nameP);
    *nameP = into;
    return confirm;
  }
  bool askUndoFile(std::string* fileP) override {
    *fileP = undo;
    return confirm;
  }
  void editRelocations(CLinkedList<DRelocateEntry>* listP, DRelocateEntry* firstP) override {
    shown.clear();
    for (DRelocateEntry* eP = firstP; eP != nullptr && eP->dbInfoP == firstP->dbInfoP;
         eP = listP->getNext(eP)) {
      shown.push_back(std::string(eP->szLogicalName) + ">" + eP->szPhysicalName);
      if (std::string(eP->szLogicalName) == renameLogical) {
        std::snprintf(eP->szPhysicalName, sizeof eP->szPhysicalName, "%s", renameTo.c_str());
        eP->changed = 1;
      }
    }
  }
  bool confirm = true;
  std::string into;
  std::string undo;
  std::string renameLogical;
  std::string renameTo;
  std::vector<std::string> shownInto;
  std::vector<std::string> shown;
};

class RestoreRun : public RestoreBrowse {
 protected:
  void SetUp() override {
    RestoreBrowse::SetUp();
    m_controller.setParent(&m_catcher);
    DRestoreController::setSettingsDialogs(&m_dialogs);
  }
  void TearDown() override {
    DRestoreController::setSettingsDialogs(nullptr);
    RestoreBrowse::TearDown();
  }
  // Books on SRV1: full, differential and two logs, each with PRIMARY, the log's group and G2;
  // and the fixture's backups.
  void books() {
    const uint32_t kTypes[] = {BACKUP_TYPE_FULL, BACKUP_TYPE_DIFFFULL, BACKUP_TYPE_LOG,
                               BACKUP_TYPE_LOG};
    int minute = 0;
    for (uint32_t type : kTypes) {
      StoredBackup b;
      b.db = "Books";
      b.type = type;
      b.time.minute = minute++;
      b.groups = {group("PRIMARY", 1, true), group("LOG", 1, false, true), group("G2", 2)};
      b.files = {file("books_data"), file("books_log", true), file("books_g2a"), file("books_g2b")};
      storeBackup(b);
    }
    stock();
  }
  template <class View>
  HTREEITEM open(Window<View>& w, const std::string& db) {
    expand(w, {kServers});
    expand(w, {kServers, "SRV1"});
    return find(w, {kServers, "SRV1", db});
  }
  template <class View>
  HTREEITEM child(Window<View>& w, HTREEITEM parent, size_t index) {
    HTREEITEM c = w.ctrlP->getChild(parent);
    for (size_t i = 0; c != nullptr && i < index; ++i) c = w.ctrlP->getNextSibling(c);
    return c;
  }
  template <class View>
  void click(Window<View>& w, HTREEITEM item) {
    w.ctrlP->userLeftClick(item, DTreeHit::Picture);
  }

  CommandCatcher m_catcher;
  ScriptedDialogs m_dialogs;
};

// The record follows the tree's checks and the page's options; afterwards the checks, the
// point in time and the remembered standby database are gone.
TEST_F(RestoreRun, TheCheckedChainGoesInTreeOrderWithThePagesOptions) {
  books();
  HTREEITEM booksItem = open(db(), "Books");
  click(db(), child(db(), booksItem, 3));  // the last log: its whole chain
  OptionsInfo& o = guiOptions();
  o.bReplace = 1;
  o.bDboOnly = 1;
  o.bRecovery = 1;
  o.nStripes = 2;
  o.bStopAt = 1;
  std::snprintf(o.szStopAt, sizeof o.szStopAt, "%s", "20010405 11:42:30");
  m_controller.setName("Books");
  EXPECT_EQ(m_controller.cgProcessRestore(&db().view), 0);
  ASSERT_EQ(m_catcher.sent.size(), 1u);
  const Sent& s = m_catcher.sent[0];
  EXPECT_EQ(s.command, 71u);
  EXPECT_EQ(s.backups,
            (std::vector<std::string>{"Books full", "Books difffull", "Books log", "Books log"}));
  EXPECT_EQ(s.bFileInfo, 0u);
  EXPECT_EQ(s.bPartial, 0u);
  EXPECT_EQ(s.bReplace, 1u);
  EXPECT_EQ(s.bDboOnly, 1u);
  EXPECT_EQ(s.bRecovery, 1u);
  EXPECT_EQ(s.nStripes, 2);
  EXPECT_EQ(s.bStopAt, 1u);
  EXPECT_EQ(s.stopAt, "20010405 11:42:30");
  EXPECT_EQ(s.bRelocate + s.bInto + s.bStandby, 0u);
  for (size_t i = 0; i < 4; ++i)
    EXPECT_EQ(db().ctrlP->getImage(child(db(), booksItem, i)), S_CLEAR);
  EXPECT_EQ(o.bStopAt, 0u);
  EXPECT_STREQ(o.szStopAt, "");
  EXPECT_EQ(db().page.pointInTimeResets, 1);
  EXPECT_STREQ(m_controller.getName(), "");
  EXPECT_TRUE(m_boxes.empty());
}

// 5721 and nothing sent whenever no backup is checked, also when checked servers were loaded
// by the button itself (their backups arrive unchecked).
TEST_F(RestoreRun, NothingCheckedSendsNothing) {
  books();
  expand(db(), {kServers});
  click(db(), find(db(), {kServers, "SRV1"}));
  EXPECT_EQ(db().view.m_backupList.getCount(), 0u);
  EXPECT_EQ(m_controller.cgProcessRestore(&db().view), 1500);
  EXPECT_NE(db().view.m_backupList.getCount(), 0u);  // SRV1 was loaded
  EXPECT_EQ(m_controller.cgProcessRestore(&db().view), 1500);
  ASSERT_EQ(m_boxes.size(), 2u);
  EXPECT_EQ(m_boxes[0], restoreText(5721, "64"));
  EXPECT_EQ(m_boxes[1], restoreText(5721, "64"));
  EXPECT_TRUE(m_catcher.sent.empty());
}

// The groups/files tree sends its group and file checks, never a partial restore; the database
// tree sends them only with partial restore, loading the groups of a full it never expanded.
TEST_F(RestoreRun, GroupAndFileChecksTravelOnTheirBackups) {
  books();
  HTREEITEM booksItem = open(gf(), "Books");
  HTREEITEM full = child(gf(), booksItem, 0);
  gf().ctrlP->userExpand(full);
  HTREEITEM g2 = child(gf(), full, 2);
  click(gf(), child(gf(), g2, 1));    // books_g2b only: G2 partly checked
  click(gf(), child(gf(), full, 0));  // PRIMARY whole
  gf().page.rightClicked = full;      // fetching the files for a relocation keeps the groups
  EXPECT_EQ(m_controller.cgProcessRelocate(&gf().view), 0);
  guiOptions().bPartial = 1;
  EXPECT_EQ(m_controller.cgProcessRestore(&gf().view), 0);
  ASSERT_EQ(m_catcher.sent.size(), 1u);
  EXPECT_EQ(m_catcher.sent[0].bFileInfo, 1u);
  EXPECT_EQ(m_catcher.sent[0].bPartial, 0u);
  ASSERT_FALSE(m_catcher.sent[0].backups.empty());
  EXPECT_EQ(m_catcher.sent[0].backups[0], "Books full group=PRIMARY file=books_g2b");

  // Unchecked after the restore: the same full checked whole again restores every group.
  click(gf(), full);
  EXPECT_EQ(m_controller.cgProcessRestore(&gf().view), 0);
  ASSERT_EQ(m_catcher.sent.size(), 2u);
  ASSERT_FALSE(m_catcher.sent[1].backups.empty());
  EXPECT_EQ(m_catcher.sent[1].backups[0], "Books full group=PRIMARY group=G2");

  // The database tree: a whole database without partial restore, its groups with it.
  HTREEITEM dbBooks = open(db(), "Books");
  db().page.partialOn = 0;
  guiOptions().bPartial = 0;
  click(db(), child(db(), dbBooks, 0));
  EXPECT_EQ(m_controller.cgProcessRestore(&db().view), 0);
  ASSERT_EQ(m_catcher.sent.size(), 3u);
  EXPECT_EQ(m_catcher.sent[2].backups, (std::vector<std::string>{"Books full"}));
  guiOptions().bPartial = 1;
  click(db(), child(db(), dbBooks, 0));
  EXPECT_EQ(m_controller.cgProcessRestore(&db().view), 0);
  ASSERT_EQ(m_catcher.sent.size(), 4u);
  EXPECT_EQ(m_catcher.sent[3].bPartial, 1u);
  EXPECT_EQ(m_catcher.sent[3].backups,
            (std::vector<std::string>{"Books full group=PRIMARY group=G2"}));
}

// The pop-up menu's settings go on their backup's database copy; the restore forgets the
// restored backups' settings only.
TEST_F(RestoreRun, PerDatabaseSettingsReachTheirBackupAndGoAfterItsRestore) {
  books();
  HTREEITEM booksItem = open(db(), "Books");
  HTREEITEM full = child(db(), booksItem, 0);
  expand(db(), {kServers, "SRV2"});
  HTREEITEM staffFull = child(db(), find(db(), {kServers, "SRV2", "Staff"}), 0);
  ASSERT_NE(staffFull, nullptr);

  db().page.rightClicked = full;
  m_dialogs.into = "BooksCopy";
  EXPECT_EQ(m_controller.cgProcessRestoreInto(&db().view), 0);
  m_dialogs.into = "";  // an empty name keeps the one given
  EXPECT_EQ(m_controller.cgProcessRestoreInto(&db().view), 0);
  EXPECT_EQ(m_dialogs.shownInto, (std::vector<std::string>{"", "BooksCopy"}));
  m_dialogs.undo = "/undo/books.und";
  EXPECT_EQ(m_controller.cgProcessStandby(&db().view), 0);
  EXPECT_STREQ(m_controller.getName(), "Books");
  m_dialogs.renameLogical = "books_g2a";
  m_dialogs.renameTo = "/new/books_g2a.ndf";
  EXPECT_EQ(m_controller.cgProcessRelocate(&db().view), 0);
  EXPECT_EQ(m_dialogs.shown.size(), 4u);  // every file, in group order
  // The second time asks the storage server nothing and shows the first time's edit.
  armFault("pelkBeginQuery code=PELK_RC_STORE_ERROR");
  m_dialogs.renameLogical.clear();
  EXPECT_EQ(m_controller.cgProcessRelocate(&db().view), 0);
  ASSERT_EQ(m_dialogs.shown.size(), 4u);
  EXPECT_EQ(m_dialogs.shown[2], "books_g2a>/new/books_g2a.ndf");
  clearFaults();

  db().page.rightClicked = staffFull;
  m_dialogs.into = "StaffCopy";
  EXPECT_EQ(m_controller.cgProcessRestoreInto(&db().view), 0);

  click(db(), full);
  EXPECT_EQ(m_controller.cgProcessRestore(&db().view), 0);
  ASSERT_EQ(m_catcher.sent.size(), 1u);
  const Sent& s = m_catcher.sent[0];
  EXPECT_EQ(s.backups,
            (std::vector<std::string>{"Books full into=BooksCopy standby=/undo/books.und "
                                      "move=books_g2a>/new/books_g2a.ndf"}));
  EXPECT_EQ(s.bInto, 1u);
  EXPECT_EQ(s.bStandby, 1u);
  EXPECT_EQ(s.bRelocate, 1u);
  // Staff's name stays; Books' settings are gone.
  EXPECT_EQ(db().view.m_intoList.getCount(), 1u);
  EXPECT_STREQ(db().view.m_intoList.getFirst()->szIntoName, "StaffCopy");
  EXPECT_EQ(db().view.m_relocateList.getCount() + db().view.m_standbyList.getCount(), 0u);
  EXPECT_STREQ(m_controller.getName(), "");
  // A refresh throws the settings away with the records they belong to.
  m_controller.cgRefreshView(&db().view, FRAME_RESTORE);
  EXPECT_EQ(db().view.m_intoList.getCount(), 0u);
}

// An empty undo file takes the standby away, so that any database may have it; a row that
// shows no backup has no settings.
TEST_F(RestoreRun, AnEmptyUndoFileForgetsTheStandbyDatabase) {
  books();
  HTREEITEM booksItem = open(db(), "Books");
  db().page.rightClicked = child(db(), booksItem, 0);
  m_dialogs.undo = "/undo/books.und";
  m_controller.cgProcessStandby(&db().view);
  EXPECT_STREQ(m_controller.getName(), "Books");
  m_dialogs.undo = "";
  m_controller.cgProcessStandby(&db().view);
  EXPECT_STREQ(m_controller.getName(), "");
  EXPECT_EQ(db().view.m_standbyList.getCount(), 0u);
  db().page.rightClicked = booksItem;
  m_dialogs.into = "Other";
  EXPECT_EQ(m_controller.cgProcessRestoreInto(&db().view), 0);
  EXPECT_TRUE(m_dialogs.shownInto.empty());
}

}  // namespace
