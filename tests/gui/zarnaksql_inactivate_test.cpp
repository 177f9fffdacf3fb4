// End to end: zarnaksqlc backs up a database of the emulated SQL Server three times (full,
// differential, log); zarnaksql, run as a user runs it in this process, shows the Inactivate
// tab, lists the servers, databases and active backups that the storage server holds, and
// inactivates two checked backups through the progress dialog (answering the storage server's
// password prompts); zarnaksqlc then lists those two as inactive and the third as active. With
// ZARNAK_SCREENSHOTS set, the window and the progress dialog are written there as PNG files.
#include <wx/listctrl.h>
#include <wx/timer.h>
#include <wx/treectrl.h>

#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "dbkwin.h"
#include "dinactwin.h"
#include "dsqlguiapp_testutil.h"

namespace {

using guitest::computerName;
using guitest::pump;
using guitest::pumpUntil;

// Answers every password prompt of the storage server with "secret" while it lives (the
// queries of the tree log on from the user-interface thread, each with a prompt of its own).
class PromptAnswerer : public wxTimer {
 public:
  PromptAnswerer() { Start(20); }
  void Notify() override {
    wxDialog* promptP = zkui::drive::activeModal();
    if (promptP == nullptr || !promptP->IsShownOnScreen() ||
        zkui::drive::find(IDC_PWPROMPT_PASSWORD, promptP) == nullptr) {
      return;
    }
    zkui::drive::type(IDC_PWPROMPT_PASSWORD, "secret", promptP);
    zkui::drive::click(zkui::kIdOk, promptP);
    ++answered;
  }
  int answered = 0;
};

class InactivateFromTheWindow : public guitest::ZarnaksqlStart {
 protected:
  zkrun::ProgramRun zarnaksqlc(std::vector<std::string> args) {
    args.push_back("/hublorpassword=secret");
    return zkrun::runProgram(ZARNAKSQLC_PATH, args);
  }
  // Each stored backup that `q hublor` lists: its type and whether it is active.
  static std::vector<std::pair<std::string, std::string>> listed(const std::string& out) {
    std::vector<std::pair<std::string, std::string>> backups;
    std::istringstream in(out);
    std::string type;
    for (std::string line; std::getline(in, line);) {
      std::istringstream words(line);
      std::string first, second;
      words >> first >> second;
      if (first == "Backup" && second == "type") words >> type;
      if (line.rfind("Active,", 0) == 0) backups.emplace_back(type, "Active");
      if (line.rfind("Inactive,", 0) == 0) backups.emplace_back(type, "Inactive");
    }
    return backups;
  }
};

TEST_F(InactivateFromTheWindow, TheCheckedBackupsAreInactivatedForZarnaksqlcToo) {
  demoSqlServer();
  for (const char* type : {"full", "diff"}) {
    zkrun::ProgramRun backup = zarnaksqlc({"backup", "sales", type});
    ASSERT_EQ(backup.exitCode, 0) << backup.out << backup.err;
  }
  zkrun::ProgramRun log = zarnaksqlc({"backup", "sales", "log", "/truncate=no"});
  ASSERT_EQ(log.exitCode, 0) << log.out << log.err;
  ASSERT_TRUE(start({})) << (m_boxes.empty() ? "" : m_boxes[0]);

  // The Inactivate tab of the backup window brings the inactivate window up.
  DMainFrame* mainP = m_app.mainFrame();
  ASSERT_TRUE(zkui::drive::menu(mainP, ID_TOGGLE_INACTIVATE_TAB));
  auto* backupP = dynamic_cast<DBackupFrame*>(mainP->childFrame(FRAME_BACKUP));
  ASSERT_NE(backupP, nullptr);
  ASSERT_TRUE(backupP->backupTabView()->tabControl()->clickTab(FRAME_INACTIVATE));
  pump(50);
  ASSERT_EQ(mainP->currentPage(), FRAME_INACTIVATE);
  auto* frameP = dynamic_cast<DInactivateFrame*>(mainP->childFrame(FRAME_INACTIVATE));
  ASSERT_NE(frameP, nullptr);

  // The tree: the servers with backups, their databases, the database's active backups.
  const std::string server = computerName();
  const std::string kServers = "SQL Servers";
  wxTreeCtrl* treeP = frameP->treeWindow();
  {
    PromptAnswerer prompts;
    ASSERT_TRUE(zkui::drive::expand(treeP, zkui::drive::treeItem(treeP, {kServers})));
    ASSERT_TRUE(zkui::drive::expand(treeP, zkui::drive::treeItem(treeP, {kServers, server})));
  }
  EXPECT_EQ(zkui::drive::childTexts(treeP, zkui::drive::treeItem(treeP, {kServers})),
            std::vector<std::string>{server});
  EXPECT_EQ(zkui::drive::childTexts(treeP, zkui::drive::treeItem(treeP, {kServers, server})),
            std::vector<std::string>{"sales"});
  wxTreeItemId sales = zkui::drive::treeItem(treeP, {kServers, server, "sales"});
  EXPECT_EQ(zkui::drive::childTexts(treeP, sales),
            (std::vector<std::string>{"full", "difffull", "log"}));

  // The list: a database's backups, one backup's details (SQL Server 2000: no version 7 columns).
  auto* listP = dynamic_cast<wxListCtrl*>(zkui::drive::find(IDC_INACTIVATE_LIST, frameP));
  ASSERT_NE(listP, nullptr);
  ASSERT_TRUE(zkui::drive::clickItem(
      treeP, zkui::drive::treeItem(treeP, {kServers, server, "sales", "full"})));
  pump(50);
  EXPECT_EQ(listP->GetColumnCount(), 14);
  EXPECT_EQ(listP->GetItemText(0, 12).rfind("8.", 0), 0u) << listP->GetItemText(0, 12);
  ASSERT_TRUE(zkui::drive::clickItem(treeP, sales));
  pump(50);
  EXPECT_EQ(listP->GetColumnCount(), 7);
  ASSERT_EQ(listP->GetItemCount(), 3);
  ASSERT_TRUE(zkui::drive::clickRow(listP, 0, zkui::HitPart::Picture));
  ASSERT_TRUE(zkui::drive::clickRow(listP, 1, zkui::HitPart::Picture));
  pump(50);
  EXPECT_EQ(treeP->GetItemImage(sales), S_PARTIAL);
  shoot(mainP, "zarnaksql-inactivate-window.png");

  Progress progress;
  answerProgress(&progress, "zarnaksql-inactivate-progress.png");
  ASSERT_TRUE(zkui::drive::click(IDC_INACTIVATE_BUTTON, frameP));
  pump(50);
  EXPECT_FALSE(progress.caption.empty());
  EXPECT_TRUE(m_boxes.empty()) << m_boxes[0];
  // Built again down to the server, which is found but not expanded; the list is empty.
  wxTreeItemId serverItem = zkui::drive::treeItem(treeP, {kServers, server});
  ASSERT_TRUE(serverItem.IsOk());
  EXPECT_FALSE(treeP->IsExpanded(serverItem));
  EXPECT_EQ(listP->GetItemCount(), 0);
  mainP->Close();
  pumpUntil([] { return !anyTopLevelWindow(); }, 3000);
  EXPECT_EQ(m_app.exitInstance(), 0);

  zkrun::ProgramRun query = zarnaksqlc({"q", "hublor", "sales", "/all"});
  ASSERT_EQ(query.exitCode, 0) << query.out << query.err;
  EXPECT_EQ(listed(query.out),
            (std::vector<std::pair<std::string, std::string>>{
                {"Full", "Inactive"}, {"DiffFull", "Inactive"}, {"Log", "Active"}}))
      << query.out;
}

}  // namespace
