// The restore pages' options, Restore button, pop-up menu and point-in-time button on a display,
// over backups stored on the storage stand-in: Sales (full, differential, two logs) and Legacy
// (full and log of SQL Server 7) on SRV1.
#include "drestpage.h"

#include <wx/dialog.h>
#include <wx/menu.h>

#include <functional>

#include "dmsgbox.h"
#include "drestwin_testutil.h"
#include "dsqlpit.h"
#include "menus.h"
#include "msgout.h"
#include "storedbackup_testutil.h"

namespace {

using zkui::drive::click;
using zkui::drive::find;
using zkui::drive::pump;

const std::string kServers = "SQL Servers";

// The controls of the two pages that the tests use.
struct PageIds {
  int kind, list, showInactive, replace, dboOnly, partial, mountWait, queryMountWait, recovery,
      stripes, restore;
};
const PageIds kDatabasePage{FRAME_RESTORE,
                            IDC_RESTORE_LIST,
                            IDC_RESTORE_SHOW_INACTIVE,
                            IDC_RESTORE_REPLACE,
                            IDC_RESTORE_DBO_ONLY,
                            IDC_RESTORE_PARTIAL,
                            IDC_RESTORE_MOUNT_WAIT,
                            IDC_RESTORE_QUERY_MOUNT_WAIT,
                            IDC_RESTORE_RECOVERY,
                            IDC_RESTORE_STRIPES,
                            IDC_RESTORE_RESTORE};
const PageIds kGroupsFilesPage{FRAME_RESTORE_GF,
                               IDC_RESTOREGF_LIST,
                               IDC_RESTOREGF_SHOW_INACTIVE,
                               IDC_RESTOREGF_REPLACE,
                               IDC_RESTOREGF_DBO_ONLY,
                               0,
                               IDC_RESTOREGF_MOUNT_WAIT,
                               IDC_RESTOREGF_QUERY_MOUNT_WAIT,
                               IDC_RESTOREGF_RECOVERY,
                               IDC_RESTOREGF_STRIPES,
                               IDC_RESTOREGF_RESTORE};

class RestorePage : public RestoreWindowsFixture<StoredBackupFixture> {
 protected:
  void SetUp() override {
    RestoreWindowsFixture::SetUp();
    if (IsSkipped()) return;
    const uint32_t kTypes[] = {BACKUP_TYPE_FULL, BACKUP_TYPE_DIFFFULL, BACKUP_TYPE_LOG,
                               BACKUP_TYPE_LOG};
    int minute = 0;
    for (uint32_t type : kTypes) {
      StoredBackup b;
      b.type = type;
      b.time.minute = minute++;
      storeBackup(b);
    }
    for (uint32_t type : {BACKUP_TYPE_FULL, BACKUP_TYPE_LOG}) {
      StoredBackup b;
      b.db = "Legacy";
      b.type = type;
      b.sqlVersionMajor = 7;
      b.time.minute = minute++;
      storeBackup(b);
    }
  }
  void TearDown() override {
    zkui::setPopupMenuHook(nullptr);
    RestoreWindowsFixture::TearDown();
  }

  // Opens the window of the page, expands SRV1 and selects the database: its backups listed.
  DRestoreFrame* showDatabase(int kind, const std::string& db) {
    DRestoreFrame* frameP = open(kind);
    if (frameP == nullptr) return nullptr;
    wxTreeCtrl* treeP = frameP->treeWindow();
    EXPECT_TRUE(zkui::drive::expand(treeP, item(frameP, {kServers})));
    EXPECT_TRUE(zkui::drive::expand(treeP, item(frameP, {kServers, "SRV1"})));
    EXPECT_TRUE(zkui::drive::clickItem(treeP, item(frameP, {kServers, "SRV1", db})));
    pump(50);
    return frameP;
  }
  static DRestorePageBase* page(DRestoreFrame* frameP) { return frameP->restoreTabView()->page(); }
  // Clicks the check picture of a backup in the tree (its smart selection applies).
  static void checkInTree(DRestoreFrame* frameP, const std::string& db, int index) {
    wxTreeCtrl* treeP = frameP->treeWindow();
    wxTreeItemId dbItem = item(frameP, {kServers, "SRV1", db});
    wxTreeItemIdValue cookie;
    wxTreeItemId child = treeP->GetFirstChild(dbItem, cookie);
    for (int i = 0; i < index; i++) child = treeP->GetNextChild(dbItem, cookie);
    EXPECT_TRUE(zkui::drive::clickItem(treeP, child, zkui::HitPart::Picture));
    pump(50);
    // The list follows the tree when its rows are shown again.
    EXPECT_TRUE(zkui::drive::clickItem(treeP, dbItem));
    pump(50);
  }
  // Right-clicks the row; the enabled states of the pop-up's three entries ("" when no menu).
  std::string rightClick(DRestoreFrame* frameP, int listId, long row) {
    std::string states;
    zkui::setPopupMenuHook([&states](const wxMenu& menu) {
      for (int id : {ID_RESTORE_INTO, ID_RESTORE_RELOCATE, ID_RESTORE_STANDBY})
        states += menu.IsEnabled(zkui::menuItemId(id)) ? '1' : '0';
      return 0;
    });
    EXPECT_TRUE(zkui::drive::clickRow(list(frameP, listId), row, zkui::HitPart::Label,
                                      zkui::drive::Mouse::Right));
    pump(50);
    zkui::setPopupMenuHook(nullptr);
    return states;
  }
};

TEST_F(RestorePage, RestoreCopiesTheOptionsIntoTheOptionsRecord) {
  for (const PageIds& ids : {kDatabasePage, kGroupsFilesPage}) {
    SCOPED_TRACE(ids.kind);
    OptionsInfo& o = guiOptions();
    o.nStripes = 3;  // the preference the page starts from
    DRestoreFrame* frameP = open(ids.kind);
    ASSERT_NE(frameP, nullptr);
    // The defaults: mount wait and recovery on, the others off.
    o.bPartial = 1;  // left from the other page
    ASSERT_TRUE(click(ids.restore, frameP));
    pump(50);
    EXPECT_EQ(std::vector<uint32_t>({o.bAll, o.bReplace, o.bDboOnly, o.bPartial, o.bMountWait,
                                     o.bQueryMountWait, o.bRecovery}),
              std::vector<uint32_t>({0, 0, 0, 0, 1, 0, 1}));
    EXPECT_EQ(o.nStripes, 3);
    EXPECT_EQ(o.bStripes, 1u);

    for (int id : {ids.replace, ids.dboOnly, ids.mountWait, ids.queryMountWait, ids.recovery}) {
      ASSERT_TRUE(click(id, frameP));
    }
    if (ids.partial != 0) {
      ASSERT_TRUE(click(ids.partial, frameP));
    }
    ASSERT_TRUE(zkui::drive::type(ids.stripes, "12", frameP));
    o.bReplace = 0;
    ASSERT_TRUE(click(ids.restore, frameP));
    pump(50);
    EXPECT_EQ(std::vector<uint32_t>({o.bAll, o.bReplace, o.bDboOnly, o.bPartial, o.bMountWait,
                                     o.bQueryMountWait, o.bRecovery}),
              std::vector<uint32_t>({0, 1, 1, ids.partial != 0 ? 1u : 0u, 0, 1, 0}));
    EXPECT_EQ(o.nStripes, 12);
    // The mount-wait boxes write through at once; show inactive takes effect on Restore.
    ASSERT_TRUE(click(ids.mountWait, frameP));
    EXPECT_EQ(o.bMountWait, 1u);
    ASSERT_TRUE(click(ids.showInactive, frameP));
    pump(50);
    EXPECT_EQ(o.bAll, 0u);
    ASSERT_TRUE(click(ids.restore, frameP));
    pump(50);
    EXPECT_EQ(o.bAll, 1u);
  }
  // Nothing is checked: each Restore reached the controller, which says so (message 5721).
  EXPECT_EQ(m_boxes.size(), 6u);
  for (const std::string& box : m_boxes) EXPECT_EQ(box.rfind("ZUD5721", 0), 0u) << box;
}

TEST_F(RestorePage, StripesOutsideOneToSixtyFourAreRefused) {
  DRestoreFrame* frameP = open(FRAME_RESTORE);
  ASSERT_NE(frameP, nullptr);
  OptionsInfo& o = guiOptions();
  for (const char* text : {"0", "65", "x"}) {
    SCOPED_TRACE(text);
    m_boxes.clear();
    o.nStripes = 7;
    o.bReplace = 0;
    ASSERT_TRUE(
        click(IDC_RESTORE_REPLACE, frameP));  // replace, which a refused Restore does not copy
    ASSERT_TRUE(zkui::drive::type(IDC_RESTORE_STRIPES, text, frameP));
    ASSERT_TRUE(click(IDC_RESTORE_RESTORE, frameP));
    pump(50);
    EXPECT_EQ(m_boxes.size(), 1u);
    EXPECT_EQ(o.nStripes, 7);
    EXPECT_EQ(o.bReplace, 0u);
    ASSERT_TRUE(click(IDC_RESTORE_REPLACE, frameP));
  }
  // The edit takes two digits: a third one typed does not get in.
  wxWindow* stripesP = find(IDC_RESTORE_STRIPES, frameP);
  ASSERT_TRUE(zkui::drive::type(stripesP, "100"));
  EXPECT_LE(zkui::drive::text(stripesP).size(), 2u);
}

TEST_F(RestorePage, EnterAndEscapeLeaveThePagesOpen) {
  for (const PageIds& ids : {kDatabasePage, kGroupsFilesPage}) {
    DRestoreFrame* frameP = open(ids.kind);
    ASSERT_NE(frameP, nullptr);
    wxWindow* pageP = page(frameP)->window();
    ASSERT_TRUE(zkui::drive::focus(find(ids.replace, frameP)));
    for (int key : {WXK_RETURN, WXK_ESCAPE}) ASSERT_TRUE(zkui::drive::key(key));
    pump(50);
    EXPECT_TRUE(pageP->IsShownOnScreen()) << ids.kind;
    EXPECT_EQ(page(frameP)->endCode(), 0);
  }
}

TEST_F(RestorePage, ThePopUpMenuFollowsTheBackupsKind) {
  DRestoreFrame* frameP = showDatabase(FRAME_RESTORE, "Sales");
  ASSERT_NE(frameP, nullptr);
  ASSERT_EQ(list(frameP, IDC_RESTORE_LIST)->GetItemCount(), 4);
  // An unchecked backup has no menu; the row and its item are remembered all the same.
  EXPECT_EQ(rightClick(frameP, IDC_RESTORE_LIST, 0), "");
  EXPECT_EQ(page(frameP)->selectedItem(), 0);
  EXPECT_NE(page(frameP)->selectedItemData(), nullptr);
  checkInTree(frameP, "Sales", 3);  // the last log: the whole chain
  struct Case {
    const char* standbyDb;
    long row;
    const char* states;
  };
  const Case cases[] = {
      {"", 0, "111"},       // full
      {"", 1, "111"},       // differential
      {"", 3, "111"},       // log
      {"Sales", 0, "111"},  // standby files of this database
      {"Staff", 0, "110"},  // standby files chosen for another database
      {"Staff", 3, "110"},
  };
  auto* controllerP = DApplicationController::getRestoreController();
  for (const Case& c : cases) {
    controllerP->setName(c.standbyDb);
    EXPECT_EQ(rightClick(frameP, IDC_RESTORE_LIST, c.row), c.states) << c.standbyDb << " " << c.row;
  }
  controllerP->setName("");

  // A log of SQL Server 7 cannot be relocated.
  ASSERT_TRUE(
      zkui::drive::clickItem(frameP->treeWindow(), item(frameP, {kServers, "SRV1", "Legacy"})));
  pump(50);
  checkInTree(frameP, "Legacy", 1);
  EXPECT_EQ(rightClick(frameP, IDC_RESTORE_LIST, 1), "101");
  EXPECT_EQ(rightClick(frameP, IDC_RESTORE_LIST, 0), "111");

  // The databases of a server are no backups: no menu.
  ASSERT_TRUE(zkui::drive::clickItem(frameP->treeWindow(), item(frameP, {kServers, "SRV1"})));
  pump(50);
  EXPECT_EQ(rightClick(frameP, IDC_RESTORE_LIST, 0), "");
  EXPECT_TRUE(m_boxes.empty()) << m_boxes[0];
}

TEST_F(RestorePage, TheGroupsFilesMenuNeedsADatabaseSelected) {
  StoredBackup group;  // a backup of one file group, after the logs
  group.type = BACKUP_TYPE_GROUP;
  group.second = "PRIMARY";
  group.time.minute = 30;
  storeBackup(group);
  DRestoreFrame* frameP = showDatabase(FRAME_RESTORE_GF, "Sales");
  ASSERT_NE(frameP, nullptr);
  checkInTree(frameP, "Sales", 0);  // the full backup and the logs after it
  wxListCtrl* listP = list(frameP, IDC_RESTOREGF_LIST);
  ASSERT_EQ(listP->GetItemCount(), 4);
  EXPECT_EQ(rightClick(frameP, IDC_RESTOREGF_LIST, 0), "111");  // full
  EXPECT_EQ(rightClick(frameP, IDC_RESTOREGF_LIST, 2), "111");  // log
  DApplicationController::getRestoreController()->setName("Staff");
  EXPECT_EQ(rightClick(frameP, IDC_RESTOREGF_LIST, 2), "110");
  DApplicationController::getRestoreController()->setName("");
  // A group backup has no standby file.
  checkInTree(frameP, "Sales", 3);
  EXPECT_EQ(rightClick(frameP, IDC_RESTOREGF_LIST, 3), "110");
  // With the server selected the rows are its databases: no menu, checked or not.
  ASSERT_TRUE(zkui::drive::clickItem(frameP->treeWindow(), item(frameP, {kServers, "SRV1"})));
  pump(50);
  for (long row : {0L, 1L}) EXPECT_EQ(rightClick(frameP, IDC_RESTOREGF_LIST, row), "");
}

TEST_F(RestorePage, PointInTimeNeedsACheckedLogAndShowsTheChoice) {
  DRestoreFrame* frameP = showDatabase(FRAME_RESTORE, "Sales");
  ASSERT_NE(frameP, nullptr);
  ASSERT_EQ(zkui::setPickerLocale("C"), 0);
  wxWindow* summaryP = find(IDC_RESTORE_PIT_SUMMARY, frameP);
  ASSERT_NE(summaryP, nullptr);
  EXPECT_EQ(zkui::drive::text(summaryP), messageText(5729));
  EXPECT_FALSE(summaryP->IsEnabled());

  // Nothing checked, then only the full backup: message 5801 instead of the dialog.
  for (int pass = 0; pass < 2; pass++) {
    if (pass == 1) checkInTree(frameP, "Sales", 0);
    m_boxes.clear();
    ASSERT_TRUE(click(IDC_RESTORE_POINT_IN_TIME, frameP));
    pump(50);
    ASSERT_EQ(m_boxes.size(), 1u);
    EXPECT_EQ(m_boxes[0], messageText(5801));
  }

  // With a log checked the dialog opens; each choice gives its summary, in the pickers' texts.
  checkInTree(frameP, "Sales", 3);
  m_boxes.clear();
  auto setPicker = [](wxDialog& d, int id, const zkui::DateTime& v) {
    if (auto* pickerP = dynamic_cast<zkui::DateTimePicker*>(find(id, &d))) pickerP->setValue(v);
  };
  // A mark choice named "upgrade", optionally after 11/30/2002 23:00:01.
  auto mark = [&](int radio, int name, int after, int date, int time, bool withAfter) {
    return [=](wxDialog& d) {
      click(radio, &d);
      zkui::drive::type(name, "upgrade", &d);
      if (withAfter) {
        click(after, &d);
        setPicker(d, date, {2002, 11, 30, 0, 0, 0});
        setPicker(d, time, {2002, 11, 30, 23, 0, 1});
      }
      click(zkui::kIdOk, &d);
    };
  };
  auto text = [](int msg, const char* a, const char* b, const char* c) {
    char out[DMSG_TEXT_MAX + 1];
    nlsprintf(out, sizeof out, msg, a, b, c);
    return std::string(out);
  };
  struct Case {
    std::function<void(wxDialog&)> choose;
    std::string summary;
    bool enabled;
    const char* flags;  // stop at, at mark, before mark, after: the record after the dialog
  };
  const Case cases[] = {
      {[&](wxDialog& d) {
         click(IDC_PIT_STOPAT, &d);
         setPicker(d, IDC_PIT_STOPAT_DATE, {2001, 3, 7, 0, 0, 0});
         setPicker(d, IDC_PIT_STOPAT_TIME, {2001, 3, 7, 14, 5, 9});
         click(zkui::kIdOk, &d);
       },
       text(5724, "03/07/2001", "14:05:09", nullptr), true, "1000"},
      {mark(IDC_PIT_ATMARK, IDC_PIT_ATMARK_NAME, IDC_PIT_ATMARK_AFTER, IDC_PIT_ATMARK_DATE,
            IDC_PIT_ATMARK_TIME, false),
       messageText(5725, "upgrade"), true, "0100"},
      {mark(IDC_PIT_ATMARK, IDC_PIT_ATMARK_NAME, IDC_PIT_ATMARK_AFTER, IDC_PIT_ATMARK_DATE,
            IDC_PIT_ATMARK_TIME, true),
       text(5726, "upgrade", "11/30/2002", "23:00:01"), true, "0101"},
      {mark(IDC_PIT_BEFOREMARK, IDC_PIT_BEFOREMARK_NAME, IDC_PIT_BEFOREMARK_AFTER,
            IDC_PIT_BEFOREMARK_DATE, IDC_PIT_BEFOREMARK_TIME, false),
       messageText(5727, "upgrade"), true, "0010"},
      {mark(IDC_PIT_BEFOREMARK, IDC_PIT_BEFOREMARK_NAME, IDC_PIT_BEFOREMARK_AFTER,
            IDC_PIT_BEFOREMARK_DATE, IDC_PIT_BEFOREMARK_TIME, true),
       text(5728, "upgrade", "11/30/2002", "23:00:01"), true, "0011"},
      // Cancel keeps the record; None clears it.
      {[](wxDialog& d) { click(zkui::kIdCancel, &d); }, messageText(5729), false, "0011"},
      {[](wxDialog& d) {
         click(IDC_PIT_NONE, &d);
         click(zkui::kIdOk, &d);
       },
       messageText(5729), false, "0000"},
  };
  const OptionsInfo& o = guiOptions();
  for (const Case& c : cases) {
    zkui::drive::whenModal(c.choose);
    ASSERT_TRUE(click(IDC_RESTORE_POINT_IN_TIME, frameP));
    pump(50);
    EXPECT_EQ(zkui::drive::text(summaryP), c.summary);
    EXPECT_EQ(summaryP->IsEnabled(), c.enabled);
    std::string flags;
    for (uint32_t flag : {o.bStopAt, o.bStopAtMark, o.bStopBeforeMark, o.bAfter})
      flags += std::to_string(flag);
    EXPECT_EQ(flags, c.flags) << c.summary;
    if (o.bStopAt == 1) shoot(m_frameP, "zarnaksql-restore-pit.png");
  }
  EXPECT_TRUE(m_boxes.empty()) << m_boxes[0];
  // After a restore the controller clears the summary.
  page(frameP)->resetPointInTime();
  EXPECT_EQ(zkui::drive::text(summaryP), messageText(5729));
  EXPECT_FALSE(summaryP->IsEnabled());
}

}  // namespace
