// End to end: zarnaksql backs up a database of the emulated SQL Server from its backup window,
// as a user would (expand the tree, check the database, press Backup, answer the storage
// server's password prompt, close the progress dialog); zarnaksqlc then lists the backup on the
// storage server and restores it byte for byte. With ZARNAK_SCREENSHOTS set, the window and the
// progress dialog are written there as PNG files.
#include <wx/listctrl.h>
#include <wx/treectrl.h>

#include <string>
#include <vector>

#include "dbkwin.h"
#include "dsqlguiapp_testutil.h"
#include "sqlmachine.h"

namespace {

using guitest::computerName;
using guitest::pump;
using guitest::pumpUntil;

class BackupFromTheWindow : public guitest::ZarnaksqlStart {
 protected:
  zkrun::ProgramRun zarnaksqlc(std::vector<std::string> args) {
    args.push_back("/hublorpassword=secret");
    return zkrun::runProgram(ZARNAKSQLC_PATH, args);
  }
};

TEST_F(BackupFromTheWindow, ABackupFromTheWindowIsListedAndRestoredByZarnaksqlc) {
  demoSqlServer();
  changePages("sales", 1);
  std::vector<std::string> backedUp = dataFileSums("sales");
  ASSERT_TRUE(start({})) << (m_boxes.empty() ? "" : m_boxes[0]);
  auto* frameP = dynamic_cast<DBackupFrame*>(m_app.mainFrame()->childFrame(FRAME_BACKUP));
  ASSERT_NE(frameP, nullptr);
  wxTreeCtrl* treeP = frameP->treeWindow();
  const std::string server = computerName();
  ASSERT_TRUE(zkui::drive::expand(treeP, zkui::drive::treeItem(treeP, {"SQL Server:"})));
  wxTreeItemId serverItem = zkui::drive::treeItem(treeP, {"SQL Server:", server});
  ASSERT_TRUE(zkui::drive::expand(treeP, serverItem));
  wxTreeItemId sales = zkui::drive::treeItem(treeP, {"SQL Server:", server, "sales"});
  ASSERT_TRUE(zkui::drive::clickItem(treeP, sales, zkui::HitPart::Picture));
  ASSERT_TRUE(zkui::drive::clickItem(treeP, serverItem, zkui::HitPart::Label));
  pump(50);
  shoot(m_app.mainFrame(), "zarnaksql-backup-window.png");

  Progress progress;
  answerProgress(&progress, "zarnaksql-backup-progress.png");
  ASSERT_TRUE(zkui::drive::click(1024, frameP));
  pump(50);
  EXPECT_TRUE(progress.prompted);
  EXPECT_EQ(progress.rowName, "sales");
  EXPECT_EQ(progress.rowText.rfind("Backed up ", 0), 0u) << progress.rowText;
  EXPECT_EQ(treeP->GetItemImage(sales), S_CLEAR);
  EXPECT_TRUE(m_boxes.empty()) << m_boxes[0];
  m_app.mainFrame()->Close();
  pumpUntil([] { return !anyTopLevelWindow(); }, 3000);
  EXPECT_EQ(m_app.exitInstance(), 0);

  zkrun::ProgramRun query = zarnaksqlc({"q", "hublor", "sales"});
  ASSERT_EQ(query.exitCode, 0) << query.out << query.err;
  EXPECT_NE(query.out.find("full"), std::string::npos) << query.out;
  changePages("sales", 99);
  ASSERT_NE(dataFileSums("sales"), backedUp);
  zkrun::ProgramRun restore = zarnaksqlc({"restore", "sales", "full", "/replace"});
  ASSERT_EQ(restore.exitCode, 0) << restore.out << restore.err;
  EXPECT_EQ(dataFileSums("sales"), backedUp);
}

}  // namespace
