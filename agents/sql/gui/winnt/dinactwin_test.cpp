// The inactivate window on a display: the main window with the program's resource library, the
// inactivate window made through the main frame's factory and wired by the application
// controller, stored backups on the storage stand-in and a command runner that runs the
// inactivation it is given on this thread. With ZARNAK_SCREENSHOTS set, the window is written
// there as a PNG file.
#include "dinactwin.h"

#include <string>
#include <vector>

#include "drestwin_testutil.h"
#include "erifunc.h"
#include "storedbackup_testutil.h"

namespace {

using zkui::drive::pump;

// Runs each command at once and keeps the command and the names of the backups it was sent.
class InactivateRecorder : public DCommandRunner {
 public:
  uint32_t runCommand(commandInfo* infoP) override {
    command = infoP->command;
    auto* parmsP = static_cast<CInactivateBackupsParms*>(infoP->parmsP);
    sent = entryNames(*parmsP->qryBuListP);
    return eriInactivateBackups(parmsP);
  }
  uint32_t command = 0;
  std::vector<std::string> sent;
};

class InactivateWindow : public RestoreWindowsFixture<StoredBackupFixture> {
 protected:
  void SetUp() override {
    RestoreWindowsFixture::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    DApplicationController::setCommandRunner(&m_runner);
    DMainFrame::setChildFrameFactory(FRAME_INACTIVATE, makeInactivateFrame);
  }
  void TearDown() override {
    if (!zkui::uiTestHaveDisplay()) return;
    DApplicationController::setCommandRunner(nullptr);
    DMainFrame::setChildFrameFactory(FRAME_INACTIVATE, nullptr);
    RestoreWindowsFixture::TearDown();
  }

  // Sales on SRV1: full, differential, log; Staff on SRV2: a full.
  void stock() {
    int minute = 0;
    for (uint32_t type : {BACKUP_TYPE_FULL, BACKUP_TYPE_DIFFFULL, BACKUP_TYPE_LOG}) {
      StoredBackup b;
      b.type = type;
      b.time.minute = minute++;
      b.backupSize = 52428800;
      storeBackup(b);
    }
    StoredBackup staff;
    staff.server = "SRV2";
    staff.db = "Staff";
    storeBackup(staff);
  }
  DInactivateFrame* openInactivate() {
    theRootController().openView(FRAME_INACTIVATE);
    pump(50);
    return dynamic_cast<DInactivateFrame*>(m_frameP->childFrame(FRAME_INACTIVATE));
  }
  static wxTreeItemId item(DInactivateFrame* frameP, const std::vector<std::string>& path) {
    return zkui::drive::treeItem(frameP->treeWindow(), path);
  }
  static wxListCtrl* list(DInactivateFrame* frameP) {
    return dynamic_cast<wxListCtrl*>(
        frameP->inactivateTabView()->page()->control(IDC_INACTIVATE_LIST));
  }
  // The low-level names of the server's active meta-data objects.
  std::vector<std::string> active(const std::string& server) {
    std::vector<std::string> names;
    for (const qryRespBackupData& o : objects(server + "\\meta\\0000", PELK_ACTIVE)) {
      names.push_back(o.objName.ll);
    }
    return names;
  }

  InactivateRecorder m_runner;
};

const std::string kServers = "SQL Servers";

TEST_F(InactivateWindow, TheCheckedBackupsAreInactivatedAndTheTreeIsBuiltAgain) {
  stock();
  DInactivateFrame* frameP = openInactivate();
  ASSERT_NE(frameP, nullptr);
  EXPECT_TRUE(frameP->IsShownOnScreen());
  DInactivateController* controllerP = DApplicationController::getInactivateController();
  ASSERT_NE(controllerP, nullptr);
  EXPECT_EQ(controllerP->getTreeView(), frameP->inactivateTree());
  EXPECT_EQ(controllerP->getPage(), frameP->inactivateTabView()->page());
  zkui::TabStrip* tabsP = frameP->inactivateTabView()->tabControl();
  EXPECT_EQ(tabsP->itemCount(), 5);
  EXPECT_EQ(tabsP->selection(), FRAME_INACTIVATE);

  wxTreeCtrl* treeP = frameP->treeWindow();
  ASSERT_TRUE(zkui::drive::expand(treeP, item(frameP, {kServers})));
  ASSERT_TRUE(zkui::drive::expand(treeP, item(frameP, {kServers, "SRV1"})));
  wxTreeItemId sales = item(frameP, {kServers, "SRV1", "Sales"});
  ASSERT_TRUE(sales.IsOk());
  EXPECT_EQ(treeP->GetChildrenCount(sales, false), 3u);

  // The list: the servers, a server's databases, a database's backups, one backup's details.
  wxListCtrl* listP = list(frameP);
  ASSERT_NE(listP, nullptr);
  struct Shown {
    std::vector<std::string> path;
    int columns, rows;
    std::string firstHeader, firstText;
  };
  const Shown kShown[] = {
      {{kServers}, 1, 2, "Servers", "SRV1"},
      {{kServers, "SRV1"}, 1, 1, "Databases", "Sales"},
      {{kServers, "SRV1", "Sales"}, 7, 3, "Backup Type", "full"},
      {{kServers, "SRV1", "Sales", "difffull"}, 14, 1, "Backup Type", "difffull"},
  };
  for (const Shown& s : kShown) {
    ASSERT_TRUE(zkui::drive::clickItem(treeP, item(frameP, s.path), zkui::HitPart::Label));
    pump(50);
    EXPECT_EQ(listP->GetColumnCount(), s.columns) << s.path.back();
    ASSERT_EQ(listP->GetItemCount(), s.rows) << s.path.back();
    wxListItem header;
    listP->GetColumn(0, header);
    EXPECT_EQ(header.GetText(), s.firstHeader);
    EXPECT_EQ(listP->GetItemText(0, 0), s.firstText);
  }
  EXPECT_EQ(listP->GetItemText(0, 3), "52,428,800");

  // Checks follow the tree: a checked backup's row, and a row's click checks its tree item.
  ASSERT_TRUE(zkui::drive::clickItem(treeP, item(frameP, {kServers, "SRV1", "Sales", "log"}),
                                     zkui::HitPart::Picture));
  ASSERT_TRUE(zkui::drive::clickItem(treeP, sales, zkui::HitPart::Label));
  pump(50);
  EXPECT_EQ(rowImage(listP, 2), S_CHECK);
  EXPECT_EQ(rowImage(listP, 0), S_CLEAR);
  ASSERT_TRUE(zkui::drive::clickRow(listP, 0, zkui::HitPart::Picture));
  pump(50);
  EXPECT_EQ(treeP->GetItemImage(item(frameP, {kServers, "SRV1", "Sales", "full"})), S_CHECK);
  EXPECT_EQ(treeP->GetItemImage(sales), S_PARTIAL);
  shoot(m_frameP, "zarnaksql-inactivate.png");

  ASSERT_TRUE(zkui::drive::click(IDC_INACTIVATE_BUTTON, frameP));
  pump(50);
  EXPECT_EQ(m_runner.command, uint32_t{ERI_CMD_INACTIVATE_FULL});
  EXPECT_EQ(m_runner.sent.size(), 2u);
  EXPECT_EQ(active("SRV1"), std::vector<std::string>{"\\difffull"});
  // Built again down to the server, which is neither expanded nor selected; the list is empty.
  wxTreeItemId srv1 = item(frameP, {kServers, "SRV1"});
  ASSERT_TRUE(srv1.IsOk());
  EXPECT_FALSE(treeP->IsExpanded(srv1));
  EXPECT_NE(treeP->GetSelection(), srv1);
  EXPECT_EQ(listP->GetItemCount(), 0);
  EXPECT_TRUE(m_boxes.empty()) << m_boxes[0];
}

TEST_F(InactivateWindow, ThePageKeepsItsTabAndStaysOpen) {
  stock();
  DInactivateFrame* frameP = openInactivate();
  ASSERT_NE(frameP, nullptr);
  wxTreeCtrl* treeP = frameP->treeWindow();
  ASSERT_TRUE(zkui::drive::expand(treeP, item(frameP, {kServers})));
  ASSERT_TRUE(zkui::drive::clickItem(treeP, item(frameP, {kServers}), zkui::HitPart::Label));
  pump(50);
  wxListCtrl* listP = list(frameP);
  ASSERT_EQ(listP->GetItemCount(), 2);

  // Enter and Escape leave the page and its list as they are.
  DInactivatePage* pageP = frameP->inactivateTabView()->page();
  ASSERT_TRUE(zkui::drive::key(WXK_RETURN, 0, pageP->window()));
  ASSERT_TRUE(zkui::drive::key(WXK_ESCAPE, 0, pageP->window()));
  pump(50);
  EXPECT_TRUE(pageP->window()->IsShown());
  EXPECT_EQ(listP->GetItemCount(), 2);

  // Inactivate with nothing checked sends nothing.
  ASSERT_TRUE(zkui::drive::click(IDC_INACTIVATE_BUTTON, frameP));
  pump(50);
  EXPECT_EQ(m_runner.command, 0u);
  EXPECT_EQ(m_boxes, std::vector<std::string>{messageText(5722)});

  // Another tab brings its window to the front; this view stays on "Inactivate".
  ASSERT_TRUE(frameP->inactivateTabView()->tabControl()->clickTab(FRAME_RESTORE));
  pump(50);
  EXPECT_EQ(m_frameP->currentPage(), FRAME_RESTORE);
  EXPECT_EQ(frameP->inactivateTabView()->tabControl()->selection(), FRAME_INACTIVATE);
  EXPECT_NE(m_frameP->childFrame(FRAME_RESTORE), nullptr);

  // The refresh builds the tree again and selects the item selected before, without asking the
  // storage server for its servers again.
  ASSERT_NE(openInactivate(), nullptr);
  ASSERT_TRUE(zkui::drive::menu(m_frameP, ID_VIEW_REFRESH));
  pump(50);
  wxTreeItemId servers = item(frameP, {kServers});
  ASSERT_TRUE(servers.IsOk());
  EXPECT_EQ(treeP->GetSelection(), servers);
  EXPECT_EQ(treeP->GetChildrenCount(servers, false), 0u);
  EXPECT_EQ(listP->GetItemCount(), 0);
  ASSERT_TRUE(zkui::drive::expand(treeP, servers));
  EXPECT_EQ(treeP->GetChildrenCount(servers, false), 2u);
}

}  // namespace
