// The restore windows of zarnaksql over what zarnaksqlc stored: full, differential and log
// backups of the emulated SQL Server's database "sales", browsed in both restore windows as a
// user would. With ZARNAK_SCREENSHOTS set, the windows are written there as PNG files.
#include <string>
#include <vector>

#include "drestwin_testutil.h"
#include "sqlmachine.h"

namespace {

using zkui::drive::pump;

class RestoreBrowse : public RestoreWindowsFixture<SqlMachine> {};

const std::string kServers = "SQL Servers";

TEST_F(RestoreBrowse, TheRestoreWindowsListTheBackupsZarnaksqlcMade) {
  const std::vector<std::vector<std::string>> kBackups = {
      {"backup", "sales", "full"},
      {"backup", "sales", "diff"},
      {"backup", "sales", "log", "/truncate=no"},
      {"backup", "sales", "log", "/truncate=no"}};
  for (const std::vector<std::string>& backup : kBackups) {
    zkrun::ProgramRun result = run(backup);
    ASSERT_EQ(result.exitCode, 0) << result.out << result.err;
  }
  const std::string server = computerName();

  DRestoreFrame* frameP = open(FRAME_RESTORE);
  ASSERT_NE(frameP, nullptr);
  wxTreeCtrl* treeP = frameP->treeWindow();
  ASSERT_TRUE(zkui::drive::expand(treeP, item(frameP, {kServers})));
  EXPECT_EQ(zkui::drive::childTexts(treeP, item(frameP, {kServers})),
            std::vector<std::string>{server});
  ASSERT_TRUE(zkui::drive::expand(treeP, item(frameP, {kServers, server})));
  ASSERT_TRUE(zkui::drive::expand(treeP, item(frameP, {kServers, server, "sales"})));
  wxTreeItemId sales = item(frameP, {kServers, server, "sales"});
  EXPECT_EQ(zkui::drive::childTexts(treeP, sales),
            (std::vector<std::string>{"full", "difffull", "log", "log"}));

  ASSERT_TRUE(zkui::drive::clickItem(treeP, sales, zkui::HitPart::Label));
  pump(50);
  wxListCtrl* listP = list(frameP, 1113);
  ASSERT_EQ(listP->GetItemCount(), 4);
  EXPECT_EQ(listP->GetItemText(3, 0), "log");
  EXPECT_EQ(listP->GetItemText(3, 1), "Active");
  // The full backup's details: what SQL Server 2000 stored, without the version 7 columns.
  ASSERT_TRUE(zkui::drive::clickItem(treeP, item(frameP, {kServers, server, "sales", "full"})));
  pump(50);
  EXPECT_EQ(listP->GetColumnCount(), 15);
  EXPECT_EQ(listP->GetItemText(0, 13).rfind("8.0.", 0), 0u) << listP->GetItemText(0, 13);
  shoot(m_frameP, "zarnaksql-restore-e2e.png");

  // The groups/files window lists the full backup's file groups and files.
  DRestoreFrame* gfP = open(FRAME_RESTORE_GF);
  ASSERT_NE(gfP, nullptr);
  wxTreeCtrl* gfTreeP = gfP->treeWindow();
  ASSERT_TRUE(zkui::drive::expand(gfTreeP, item(gfP, {kServers})));
  ASSERT_TRUE(zkui::drive::expand(gfTreeP, item(gfP, {kServers, server})));
  ASSERT_TRUE(zkui::drive::expand(gfTreeP, item(gfP, {kServers, server, "sales"})));
  EXPECT_EQ(zkui::drive::childTexts(gfTreeP, item(gfP, {kServers, server, "sales"})),
            (std::vector<std::string>{"full", "log", "log"}));
  wxTreeItemId full = item(gfP, {kServers, server, "sales", "full"});
  ASSERT_TRUE(zkui::drive::expand(gfTreeP, full));
  std::vector<std::string> groups = zkui::drive::childTexts(gfTreeP, full);
  ASSERT_FALSE(groups.empty());
  EXPECT_EQ(groups[0], "PRIMARY");
  EXPECT_EQ(
      zkui::drive::childTexts(gfTreeP, item(gfP, {kServers, server, "sales", "full", "PRIMARY"})),
      std::vector<std::string>{"sales_data"});
  ASSERT_TRUE(zkui::drive::clickItem(gfTreeP, full));
  pump(50);
  EXPECT_EQ(list(gfP, 1121)->GetItemText(0, 0), "PRIMARY");
  shoot(m_frameP, "zarnaksql-restore-gf-e2e.png");
  EXPECT_TRUE(m_boxes.empty()) << m_boxes[0];
}

}  // namespace
