// The restore windows on a display: the main window with the program's resource library, the
// restore windows made through the main frame's factory and wired by the application
// controller, and stored backups on the storage stand-in. With ZARNAK_SCREENSHOTS set, the
// windows are written there as PNG files.
#include <wx/checkbox.h>

#include "drestwin_testutil.h"
#include "storedbackup_testutil.h"

namespace {

using zkui::drive::pump;
using zkui::drive::pumpUntil;

class RestoreWindows : public RestoreWindowsFixture<StoredBackupFixture> {
 protected:
  // Sales on SRV1 (full, differential, two logs), Staff on SRV2 (full); SQL Server 2000.
  void stock() {
    const uint32_t kTypes[] = {BACKUP_TYPE_FULL, BACKUP_TYPE_DIFFFULL, BACKUP_TYPE_LOG,
                               BACKUP_TYPE_LOG};
    int minute = 0;
    for (uint32_t type : kTypes) {
      StoredBackup b;
      b.type = type;
      b.time.minute = minute++;
      b.backupSize = 52428800;
      b.stripes = 2;
      SqlMetaGroupInfo primary;
      std::snprintf(primary.szGroupName, sizeof primary.szGroupName, "PRIMARY");
      primary.bGroupIsPrimary = 1;
      primary.lGroupNumFiles = 1;
      SqlMetaFileInfo data;
      std::snprintf(data.szFileLogicalName, sizeof data.szFileLogicalName, "sales_data");
      std::snprintf(data.szFilePhysicalName, sizeof data.szFilePhysicalName,
                    "C:\\MSSQL\\Data\\sales_data.mdf");
      b.groups = {primary};
      b.files = {data};
      storeBackup(b);
    }
    StoredBackup staff;
    staff.server = "SRV2";
    staff.db = "Staff";
    storeBackup(staff);
  }
};

const std::string kServers = "SQL Servers";

TEST_F(RestoreWindows, TheDatabaseWindowBrowsesTheStoredBackups) {
  stock();
  DRestoreFrame* frameP = open(FRAME_RESTORE);
  ASSERT_NE(frameP, nullptr);
  EXPECT_TRUE(frameP->IsShownOnScreen());
  auto* controllerP = DApplicationController::getRestoreController();
  ASSERT_NE(controllerP, nullptr);
  EXPECT_EQ(controllerP->restoreTree(0), frameP->restoreTree());
  EXPECT_EQ(frameP->restoreTabView()->tabControl()->selection(), FRAME_RESTORE);
  wxTreeCtrl* treeP = frameP->treeWindow();

  ASSERT_TRUE(zkui::drive::expand(treeP, item(frameP, {kServers})));
  ASSERT_TRUE(zkui::drive::expand(treeP, item(frameP, {kServers, "SRV1"})));
  ASSERT_TRUE(zkui::drive::expand(treeP, item(frameP, {kServers, "SRV1", "Sales"})));
  wxTreeItemId sales = item(frameP, {kServers, "SRV1", "Sales"});
  ASSERT_TRUE(sales.IsOk());
  EXPECT_EQ(treeP->GetChildrenCount(sales, false), 4u);
  ASSERT_TRUE(zkui::drive::clickItem(treeP, sales, zkui::HitPart::Label));
  pump(50);
  wxListCtrl* listP = list(frameP, 1113);
  ASSERT_NE(listP, nullptr);
  EXPECT_EQ(listP->GetItemCount(), 4);
  EXPECT_EQ(listP->GetColumnCount(), 8);
  EXPECT_EQ(listP->GetItemText(1, 0), "difffull");
  EXPECT_EQ(listP->GetItemText(0, 4), "52,428,800");
  EXPECT_EQ(listP->GetItemText(0, 5), "2");

  // The last log takes the full, the differential and the log between them.
  wxTreeItemId lastLog = treeP->GetLastChild(sales);
  ASSERT_TRUE(zkui::drive::clickItem(treeP, lastLog, zkui::HitPart::Picture));
  pump(50);
  wxTreeItemIdValue cookie;
  EXPECT_EQ(treeP->GetItemImage(treeP->GetFirstChild(sales, cookie)), S_CHECK);
  ASSERT_TRUE(zkui::drive::clickItem(treeP, sales, zkui::HitPart::Label));
  pump(50);
  std::vector<int> images;
  for (int row = 0; row < listP->GetItemCount(); ++row) images.push_back(rowImage(listP, row));
  EXPECT_EQ(images, (std::vector<int>{S_CHECK, S_CHECK, S_CHECK, S_CHECK}));
  shoot(m_frameP, "zarnaksql-restore.png");

  // A click on a row's picture clears it in the tree as well.
  ASSERT_TRUE(zkui::drive::clickRow(listP, 2, zkui::HitPart::Picture));
  pump(50);
  wxTreeItemId firstLog =
      treeP->GetNextSibling(treeP->GetNextSibling(treeP->GetFirstChild(sales, cookie)));
  EXPECT_EQ(treeP->GetItemImage(firstLog), S_CLEAR);

  // One backup's details.
  ASSERT_TRUE(zkui::drive::clickItem(treeP, firstLog, zkui::HitPart::Label));
  pump(50);
  EXPECT_EQ(listP->GetColumnCount(), 15);
  shoot(m_frameP, "zarnaksql-restore-detail.png");
  EXPECT_TRUE(m_boxes.empty()) << m_boxes[0];
}

TEST_F(RestoreWindows, TabsBringTheOtherWindowAndRefreshResetsIt) {
  stock();
  DRestoreFrame* dbP = open(FRAME_RESTORE);
  ASSERT_NE(dbP, nullptr);
  ASSERT_TRUE(zkui::drive::expand(dbP->treeWindow(), item(dbP, {kServers})));
  // The groups/files tab opens that window; this view keeps its own tab.
  ASSERT_TRUE(dbP->restoreTabView()->tabControl()->clickTab(FRAME_RESTORE_GF));
  pump(50);
  EXPECT_EQ(dbP->restoreTabView()->tabControl()->selection(), FRAME_RESTORE);
  EXPECT_EQ(m_frameP->currentPage(), FRAME_RESTORE_GF);
  auto* gfP = dynamic_cast<DRestoreFrame*>(m_frameP->childFrame(FRAME_RESTORE_GF));
  ASSERT_NE(gfP, nullptr);
  EXPECT_EQ(gfP->restoreTabView()->tabControl()->selection(), FRAME_RESTORE_GF);
  wxTreeCtrl* gfTreeP = gfP->treeWindow();
  ASSERT_TRUE(zkui::drive::expand(gfTreeP, item(gfP, {kServers})));
  ASSERT_TRUE(zkui::drive::expand(gfTreeP, item(gfP, {kServers, "SRV1"})));
  ASSERT_TRUE(zkui::drive::expand(gfTreeP, item(gfP, {kServers, "SRV1", "Sales"})));
  wxTreeItemId full = item(gfP, {kServers, "SRV1", "Sales", "full"});
  ASSERT_TRUE(zkui::drive::expand(gfTreeP, full));
  ASSERT_TRUE(zkui::drive::clickItem(gfTreeP, full, zkui::HitPart::Label));
  pump(50);
  wxListCtrl* listP = list(gfP, 1121);
  EXPECT_EQ(listP->GetItemText(0, 0), "PRIMARY");
  shoot(m_frameP, "zarnaksql-restore-gf.png");

  // Show inactive rebuilds the tree and walks back to the selection; the database window
  // goes back to its first level.
  ASSERT_TRUE(zkui::drive::click(1117, gfP));
  pump(50);
  wxTreeItemId selected = gfTreeP->GetSelection();
  ASSERT_TRUE(selected.IsOk());
  EXPECT_EQ(gfTreeP->GetItemText(selected), "full");
  EXPECT_FALSE(item(dbP, {kServers, "SRV1"}).IsOk());
  EXPECT_TRUE(item(dbP, {kServers}).IsOk());
  // So does the main window's refresh of the window in front.
  ASSERT_TRUE(zkui::drive::menu(m_frameP, ID_VIEW_REFRESH));
  pump(50);
  ASSERT_TRUE(gfTreeP->GetSelection().IsOk());
  EXPECT_EQ(gfTreeP->GetItemText(gfTreeP->GetSelection()), "full");

  // The Inactivate tab comes once and goes.
  gfP->setShowInactivateTab(true);
  gfP->setShowInactivateTab(true);
  EXPECT_EQ(gfP->restoreTabView()->tabControl()->itemCount(), 5);
  gfP->setShowInactivateTab(false);
  gfP->setShowInactivateTab(false);
  EXPECT_EQ(gfP->restoreTabView()->tabControl()->itemCount(), 4);
  EXPECT_TRUE(m_boxes.empty()) << m_boxes[0];
}

TEST_F(RestoreWindows, PartialRestoreGivesFullBackupsTheirGroups) {
  stock();
  DRestoreFrame* frameP = open(FRAME_RESTORE);
  ASSERT_NE(frameP, nullptr);
  wxTreeCtrl* treeP = frameP->treeWindow();
  ASSERT_TRUE(zkui::drive::expand(treeP, item(frameP, {kServers})));
  ASSERT_TRUE(zkui::drive::expand(treeP, item(frameP, {kServers, "SRV1"})));
  wxTreeItemId full = item(frameP, {kServers, "SRV1", "Sales", "full"});
  ASSERT_TRUE(full.IsOk());
  EXPECT_FALSE(treeP->ItemHasChildren(full));
  auto* partialP = dynamic_cast<wxCheckBox*>(zkui::drive::find(1085, frameP));
  ASSERT_NE(partialP, nullptr);
  EXPECT_TRUE(partialP->IsEnabled());
  ASSERT_TRUE(zkui::drive::click(partialP));
  pump(50);
  EXPECT_TRUE(treeP->ItemHasChildren(full));
  ASSERT_TRUE(zkui::drive::clickItem(treeP, full, zkui::HitPart::Label));
  pump(50);
  wxListCtrl* listP = list(frameP, 1113);
  EXPECT_EQ(listP->GetColumnCount(), 1);
  ASSERT_TRUE(zkui::drive::expand(treeP, full));
  pump(50);
  EXPECT_EQ(listP->GetItemText(0, 0), "PRIMARY");
  shoot(m_frameP, "zarnaksql-restore-partial.png");
  ASSERT_TRUE(zkui::drive::click(partialP));
  pump(50);
  EXPECT_FALSE(treeP->ItemHasChildren(item(frameP, {kServers, "SRV1", "Sales", "full"})));
}

}  // namespace
