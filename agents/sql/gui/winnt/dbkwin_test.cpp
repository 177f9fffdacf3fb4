// The backup windows on a display: the main window with the program's resource library, the
// backup windows made through the main frame's factory and wired by the application
// controller, the emulated SQL Server in this process and a command runner that records the
// backup it is given. With ZARNAK_SCREENSHOTS set, the windows are written there as PNG files.
#include "dbkwin.h"

#include <wx/listctrl.h>
#include <wx/treectrl.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "dbkctl_testutil.h"
#include "dbkwin.h"
#include "drestwin_testutil.h"
#include "dsqlaccess.h"
#include "spin.h"
#include "sqlapi_testenv.h"

namespace {

using zkui::drive::pump;

const std::string kServers = "SQL Server:";

// The emulated SQL Server in this process, reached through the program's SQL access object,
// and a folder for the main window's profile.
class SqlServerHere : public sqlapitest::SqlApiObjectFixture {
 protected:
  void SetUp() override {
    SqlApiObjectFixture::SetUp();
    gSqlApiP = m_Api.release();
    m_dir = testing::TempDir() + "dbkwin/";
    std::filesystem::create_directories(m_dir);
  }
  void TearDown() override {
    freeSqlAccess();
    SqlApiObjectFixture::TearDown();
  }
  std::string agentDir() const { return m_dir; }
  std::string m_dir;
};

class BackupWindows : public RestoreWindowsFixture<SqlServerHere> {
 protected:
  void SetUp() override {
    RestoreWindowsFixture::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    useSqlLogon(m_Logon);
    createDatabase("sales", "PRIMARY:sales_data:2048,sales_data2:1024;G2:sales_g2:1024");
    createDatabase("trunc", "PRIMARY:trunc_data:1024");
    sqlengine::DbOptions options;
    options.truncateLogOnCheckpoint = true;
    ASSERT_TRUE(instance().setOptions("trunc", options).ok());
    DApplicationController::setCommandRunner(&m_runner);
    DMainFrame::setChildFrameFactory(FRAME_BACKUP, makeBackupFrame);
    DMainFrame::setChildFrameFactory(FRAME_BACKUP_GF, makeBackupFrame);
  }
  void TearDown() override {
    if (!zkui::uiTestHaveDisplay()) return;
    DApplicationController::setCommandRunner(nullptr);
    DMainFrame::setChildFrameFactory(FRAME_BACKUP, nullptr);
    DMainFrame::setChildFrameFactory(FRAME_BACKUP_GF, nullptr);
    RestoreWindowsFixture::TearDown();
  }

  DBackupFrame* openBackup(int kind) {
    theRootController().openView(kind);
    pump(50);
    return dynamic_cast<DBackupFrame*>(m_frameP->childFrame(kind));
  }
  static wxTreeItemId item(DBackupFrame* frameP, const std::vector<std::string>& path) {
    return zkui::drive::treeItem(frameP->treeWindow(), path);
  }
  static wxListCtrl* list(DBackupFrame* frameP, int id) {
    return dynamic_cast<wxListCtrl*>(frameP->backupTabView()->page()->control(id));
  }
  static int rowOf(wxListCtrl* listP, const std::string& text) {
    for (int row = 0; row < listP->GetItemCount(); ++row) {
      if (listP->GetItemText(row, 0) == text) return row;
    }
    return -1;
  }
  // Expands the path item by item, as the user does.
  static wxTreeItemId expand(DBackupFrame* frameP, const std::vector<std::string>& path) {
    wxTreeItemId at;
    for (size_t i = 1; i <= path.size(); ++i) {
      at = item(frameP, std::vector<std::string>(path.begin(), path.begin() + i));
      if (!at.IsOk() || !zkui::drive::expand(frameP->treeWindow(), at)) return wxTreeItemId();
    }
    return at;
  }
  std::string server(DBackupFrame* frameP) {
    SqlServerElement* sP = frameP->backupTree()->m_serverList.getFirst();
    return sP != nullptr ? sP->szSqlServerName : "";
  }

  BackupRecorder m_runner;
};

TEST_F(BackupWindows, TheDatabasesWindowChoosesTheTypeAndBacksUpTheCheckedDatabases) {
  DBackupFrame* frameP = openBackup(FRAME_BACKUP);
  ASSERT_NE(frameP, nullptr);
  EXPECT_TRUE(frameP->IsShownOnScreen());
  EXPECT_EQ(frameP->backupTabView()->tabControl()->selection(), FRAME_BACKUP);
  auto* stripesSpinP = dynamic_cast<zkui::SpinButton*>(zkui::drive::find(1092, frameP));
  ASSERT_NE(stripesSpinP, nullptr);
  EXPECT_EQ(stripesSpinP->max(), 64);
  EXPECT_FALSE(zkui::drive::find(1022, frameP)->IsEnabled());
  EXPECT_EQ(zkui::drive::text(zkui::drive::find(1020, frameP)), "20");
  wxTreeCtrl* treeP = frameP->treeWindow();
  ASSERT_TRUE(expand(frameP, {kServers}).IsOk());
  std::string name = server(frameP);
  wxTreeItemId serverItem = expand(frameP, {kServers, name});
  ASSERT_TRUE(serverItem.IsOk());
  ASSERT_TRUE(zkui::drive::clickItem(treeP, serverItem, zkui::HitPart::Label));
  pump(50);
  wxListCtrl* listP = list(frameP, 1023);
  ASSERT_NE(listP, nullptr);
  EXPECT_EQ(listP->GetColumnCount(), 5);
  int sales = rowOf(listP, "sales");
  int trunc = rowOf(listP, "trunc");
  ASSERT_GE(sales, 0);
  ASSERT_GE(trunc, 0);
  EXPECT_EQ(listP->GetItemText(trunc, 4), "Truncate log on checkpoint");

  // A log backup: the truncate choice and the log estimate open, trunc cannot be chosen.
  ASSERT_TRUE(zkui::drive::click(1008, frameP));
  pump(50);
  EXPECT_TRUE(zkui::drive::find(1022, frameP)->IsEnabled());
  EXPECT_TRUE(zkui::drive::find(1195, frameP)->IsEnabled());
  EXPECT_FALSE(zkui::drive::find(1020, frameP)->IsEnabled());
  EXPECT_EQ(rowImage(listP, trunc), S_NOSELECT);
  ASSERT_TRUE(zkui::drive::click(1007, frameP));
  pump(50);
  EXPECT_TRUE(zkui::drive::find(1020, frameP)->IsEnabled());
  EXPECT_FALSE(zkui::drive::find(1195, frameP)->IsEnabled());
  EXPECT_EQ(rowImage(listP, trunc), S_CLEAR);

  // A click on a row's picture checks its database in the tree.
  ASSERT_TRUE(zkui::drive::clickRow(listP, sales, zkui::HitPart::Picture));
  pump(50);
  wxTreeItemId salesItem = item(frameP, {kServers, name, "sales"});
  EXPECT_EQ(treeP->GetItemImage(salesItem), S_CHECK);
  EXPECT_EQ(treeP->GetItemImage(serverItem), S_PARTIAL);
  shoot(m_frameP, "zarnaksql-backup-databases.png");
  ASSERT_TRUE(zkui::drive::click(1024, frameP));
  pump(50);
  EXPECT_EQ(m_runner.command, 1u);
  EXPECT_EQ(m_runner.taken, std::vector<std::string>{"sales"});
  EXPECT_EQ(guiOptions().nDiffEstimate, 20);
  EXPECT_EQ(treeP->GetItemImage(salesItem), S_CLEAR);
  EXPECT_EQ(rowImage(listP, sales), S_CLEAR);
  EXPECT_TRUE(m_boxes.empty()) << m_boxes[0];
}

TEST_F(BackupWindows, AValueOutOfRangeStopsTheBackup) {
  DBackupFrame* frameP = openBackup(FRAME_BACKUP);
  ASSERT_NE(frameP, nullptr);
  ASSERT_TRUE(zkui::drive::type(1091, "70", frameP));
  ASSERT_TRUE(zkui::drive::click(1024, frameP));
  pump(50);
  ASSERT_EQ(m_boxes.size(), 1u);
  EXPECT_NE(m_boxes[0].find("from 1 to 64"), std::string::npos) << m_boxes[0];
  EXPECT_EQ(m_runner.command, 0u);
}

TEST_F(BackupWindows, TheGroupsAndFilesWindowTakesWholeGroups) {
  DBackupFrame* dbP = openBackup(FRAME_BACKUP);
  ASSERT_NE(dbP, nullptr);
  ASSERT_TRUE(dbP->backupTabView()->tabControl()->clickTab(FRAME_BACKUP_GF));
  pump(50);
  EXPECT_EQ(m_frameP->currentPage(), FRAME_BACKUP_GF);
  auto* frameP = dynamic_cast<DBackupFrame*>(m_frameP->childFrame(FRAME_BACKUP_GF));
  ASSERT_NE(frameP, nullptr);
  wxTreeCtrl* treeP = frameP->treeWindow();
  ASSERT_TRUE(expand(frameP, {kServers}).IsOk());
  std::string name = server(frameP);
  ASSERT_TRUE(expand(frameP, {kServers, name, "sales", "PRIMARY"}).IsOk());
  EXPECT_EQ(treeP->GetItemImage(item(frameP, {kServers, name, "trunc"})), S_NOSELECT);
  EXPECT_EQ(treeP->GetItemImage(item(frameP, {kServers, name, "sales", "TRANSACTION LOG"})),
            S_NOSELECT);
  // A group backup: one file's click takes its group.
  wxTreeItemId data = item(frameP, {kServers, name, "sales", "PRIMARY", "sales_data"});
  ASSERT_TRUE(zkui::drive::clickItem(treeP, data, zkui::HitPart::Picture));
  pump(50);
  EXPECT_EQ(treeP->GetItemImage(item(frameP, {kServers, name, "sales", "PRIMARY", "sales_data2"})),
            S_CHECK);
  wxTreeItemId primary = item(frameP, {kServers, name, "sales", "PRIMARY"});
  ASSERT_TRUE(zkui::drive::clickItem(treeP, primary, zkui::HitPart::Label));
  pump(50);
  wxListCtrl* listP = list(frameP, 1111);
  ASSERT_EQ(listP->GetItemCount(), 2);
  EXPECT_EQ(listP->GetColumnCount(), 3);
  EXPECT_EQ(rowImage(listP, 1), S_CHECK);
  shoot(m_frameP, "zarnaksql-backup-groups-files.png");
  ASSERT_TRUE(zkui::drive::click(1094, frameP));
  pump(50);
  EXPECT_EQ(m_runner.command, 4u);
  EXPECT_EQ(m_runner.taken, (std::vector<std::string>{"sales+g", "sales/PRIMARY"}));
  EXPECT_EQ(rowImage(listP, 1), S_CLEAR);

  // A file backup takes the file alone.
  ASSERT_TRUE(zkui::drive::click(1099, frameP));
  ASSERT_TRUE(zkui::drive::clickRow(listP, 1, zkui::HitPart::Picture));
  pump(50);
  EXPECT_EQ(rowImage(listP, 0), S_CLEAR);
  ASSERT_TRUE(zkui::drive::click(1094, frameP));
  pump(50);
  EXPECT_EQ(m_runner.command, 2u);
  EXPECT_EQ(m_runner.taken,
            (std::vector<std::string>{"sales+f", "sales/PRIMARY+f", "sales/PRIMARY/sales_data2"}));
  EXPECT_EQ(guiOptions().bTruncate, 1u);
  EXPECT_TRUE(m_boxes.empty()) << m_boxes[0];
}

TEST_F(BackupWindows, ARefreshComesBackToTheSelectedDatabase) {
  DBackupFrame* frameP = openBackup(FRAME_BACKUP);
  ASSERT_NE(frameP, nullptr);
  ASSERT_TRUE(expand(frameP, {kServers}).IsOk());
  std::string name = server(frameP);
  ASSERT_TRUE(expand(frameP, {kServers, name}).IsOk());
  wxTreeCtrl* treeP = frameP->treeWindow();
  ASSERT_TRUE(zkui::drive::clickItem(treeP, item(frameP, {kServers, name, "sales"})));
  pump(50);
  ASSERT_TRUE(zkui::drive::menu(m_frameP, ID_VIEW_REFRESH));
  pump(50);
  ASSERT_TRUE(treeP->GetSelection().IsOk());
  EXPECT_EQ(treeP->GetItemText(treeP->GetSelection()), "sales");
  wxListCtrl* listP = list(frameP, 1023);
  ASSERT_EQ(listP->GetItemCount(), 1);
  EXPECT_EQ(listP->GetItemText(0, 0), "sales");
  EXPECT_TRUE(m_boxes.empty()) << m_boxes[0];
}

TEST_F(BackupWindows, AVersion7ServerTakes32StripesAndNoLogEstimate) {
  createServer(7);
  freeSqlAccess();
  gSqlApiP = makeApi().release();
  DBackupFrame* frameP = openBackup(FRAME_BACKUP);
  ASSERT_NE(frameP, nullptr);
  auto* stripesSpinP = dynamic_cast<zkui::SpinButton*>(zkui::drive::find(1092, frameP));
  ASSERT_NE(stripesSpinP, nullptr);
  EXPECT_EQ(stripesSpinP->max(), 32);
  ASSERT_TRUE(expand(frameP, {kServers}).IsOk());
  ASSERT_TRUE(zkui::drive::click(1008, frameP));
  pump(50);
  EXPECT_TRUE(zkui::drive::find(1022, frameP)->IsEnabled());
  EXPECT_FALSE(zkui::drive::find(1195, frameP)->IsEnabled());
}

}  // namespace
