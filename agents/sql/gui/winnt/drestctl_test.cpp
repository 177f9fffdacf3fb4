// The restore controller and the restore trees without windows: stored backups on the storage
// stand-in, the trees on in-memory controls and the pages' lists in memory, message boxes
// answered by the test.
#include "drestctl.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "drestctl_testutil.h"

namespace {

TEST_F(RestoreBrowse, ExpandingFillsEachBranchOnceFromTheStorageServer) {
  stock();
  EXPECT_EQ(children(db(), nullptr),
            (std::vector<std::string>{"Storage Server:7", "SQL Servers:9+"}));
  HTREEITEM servers = expand(db(), {kServers});
  EXPECT_EQ(children(db(), servers), (std::vector<std::string>{"SRV1:1+", "SRV2:1+"}));
  HTREEITEM srv1 = expand(db(), {kServers, "SRV1"});
  // A database with a group backup only cannot be chosen here and shows nothing.
  EXPECT_EQ(children(db(), srv1), (std::vector<std::string>{"Sales:1+", "Stock:4"}));
  HTREEITEM sales = find(db(), {kServers, "SRV1", "Sales"});
  EXPECT_EQ(children(db(), sales),
            (std::vector<std::string>{"difffull:1", "log:1", "log:1", "full:1", "log:1"}));
  EXPECT_EQ(db().page.partialEnabled, true);  // SQL Server 2000

  // Filled branches ask nothing: every query would fail now.
  armFault("pelkBeginQuery code=PELK_RC_STORE_ERROR");
  db().ctrlP->userExpand(servers);  // collapses
  db().ctrlP->userExpand(servers);
  db().ctrlP->userExpand(srv1);
  db().ctrlP->userExpand(srv1);
  EXPECT_EQ(children(db(), srv1), (std::vector<std::string>{"Sales:1+", "Stock:4"}));
  EXPECT_TRUE(m_boxes.empty()) << m_boxes[0];

  // The groups/files tree lists its own kinds: no differential, group backups with buttons,
  // logs without.
  clearFaults();
  expand(gf(), {kServers});
  expand(gf(), {kServers, "SRV1"});
  EXPECT_EQ(children(gf(), find(gf(), {kServers, "SRV1", "Sales"})),
            (std::vector<std::string>{"log:1", "log:1", "full:1+", "log:1"}));
  EXPECT_EQ(children(gf(), find(gf(), {kServers, "SRV1", "Stock"})),
            (std::vector<std::string>{"group:1+"}));
}

TEST_F(RestoreBrowse, FailedListsAreToldAndLoseTheirButtonWhereNothingCanCome) {
  // No server has backups: 5810, and the servers item has nothing to expand.
  HTREEITEM servers = expand(db(), {kServers});
  ASSERT_EQ(m_boxes.size(), 1u);
  EXPECT_EQ(m_boxes[0], text(5810));
  EXPECT_EQ(m_icons[0], zkui::kMbIconInformation);
  EXPECT_FALSE(db().ctrlP->hasChildren(servers));

  // The storage server failing: 161 without an icon; the item keeps its button.
  m_boxes.clear();
  m_icons.clear();
  armFault("pelkBeginQuery code=PELK_RC_STORE_ERROR");
  HTREEITEM gfServers = expand(gf(), {kServers});
  ASSERT_EQ(m_boxes.size(), 1u);
  EXPECT_EQ(m_boxes[0], text(161));
  EXPECT_EQ(m_icons[0], 0u);
  EXPECT_TRUE(gf().ctrlP->hasChildren(gfServers));

  // A server whose backups cannot be listed: 5811, and its button goes.
  clearFaults();
  stock();
  m_boxes.clear();
  m_icons.clear();
  expand(gf(), {kServers});
  armFault("pelkGetNextQObj nth=1 code=PELK_RC_NO_MATCH");
  HTREEITEM srv1 = expand(gf(), {kServers, "SRV1"});
  ASSERT_EQ(m_boxes.size(), 1u);
  EXPECT_EQ(m_boxes[0], text(5811));
  EXPECT_EQ(m_icons[0], zkui::kMbIconInformation);
  EXPECT_FALSE(gf().ctrlP->hasChildren(srv1));

  // A server name longer than the options record holds is refused, not cut.
  clearFaults();
  m_boxes.clear();
  HTREEITEM longName = DApplicationController::cgAddSqlTreeItem(
      gfServers, &gf().view, std::string(33, 'S'), RNODE_SERVER, 1, S_CLEAR);
  gf().ctrlP->userExpand(longName);
  ASSERT_EQ(m_boxes.size(), 1u);
  EXPECT_EQ(m_boxes[0], text(5811));
  EXPECT_STRNE(guiOptions().szFromSqlServer, std::string(32, 'S').c_str());
}

TEST_F(RestoreBrowse, ShowInactiveListsInactiveBackupsAfterTheRefresh) {
  stock();
  expand(db(), {kServers});
  expand(db(), {kServers, "SRV1"});
  HTREEITEM sales = find(db(), {kServers, "SRV1", "Sales"});
  EXPECT_EQ(children(db(), sales).size(), 5u);
  // One more full makes the second inactive.
  StoredBackup b;
  b.time.minute = 30;
  storeBackup(b);
  db().page.inactive = 1;
  db().ctrlP->selectItem(sales);
  m_controller.cgRefreshView(&db().view, FRAME_RESTORE);
  sales = find(db(), {kServers, "SRV1", "Sales"});
  ASSERT_NE(sales, nullptr);
  EXPECT_EQ(db().ctrlP->getSelection(), sales);
  EXPECT_EQ(children(db(), sales).size(), 7u);
  EXPECT_EQ(db().page.list.itemCount(), 7);
  EXPECT_EQ(db().page.list.itemText(0, 1), "Inactive");
  db().page.inactive = 0;
  m_controller.cgRefreshView(&db().view, FRAME_RESTORE);
  sales = find(db(), {kServers, "SRV1", "Sales"});
  EXPECT_EQ(children(db(), sales).size(), 5u);
  // The rows of hidden backups leave no gaps.
  EXPECT_EQ(db().page.list.itemCount(), 5);
  EXPECT_EQ(db().page.list.itemText(0, 0), "difffull");
}

TEST_F(RestoreBrowse, FileGroupsStartFromTheirBackupAndTheLogGroupCannotBeChosen) {
  stock();
  db().page.partialOn = 1;
  expand(db(), {kServers});
  expand(db(), {kServers, "SRV1"});
  HTREEITEM sales = find(db(), {kServers, "SRV1", "Sales"});
  EXPECT_EQ(children(db(), sales),
            (std::vector<std::string>{"difffull:1", "log:1", "log:1", "full:1+", "log:1"}));
  HTREEITEM full = expand(db(), {kServers, "SRV1", "Sales", "full"});
  // The database restore takes the primary group; the log's group and file stay out; the
  // group after the log's starts from the backup's picture again.
  EXPECT_EQ(children(db(), full), (std::vector<std::string>{"PRIMARY:2+", "LOG:4+", "G2:1+"}));
  EXPECT_EQ(children(db(), find(db(), {kServers, "SRV1", "Sales", "full", "LOG"})),
            (std::vector<std::string>{"sales_log:4"}));
  EXPECT_EQ(children(db(), find(db(), {kServers, "SRV1", "Sales", "full", "G2"})),
            (std::vector<std::string>{"sales_g2:1"}));

  // The groups/files tree checks nothing by itself.
  expand(gf(), {kServers});
  expand(gf(), {kServers, "SRV1"});
  HTREEITEM gfFull = expand(gf(), {kServers, "SRV1", "Sales", "full"});
  EXPECT_EQ(children(gf(), gfFull), (std::vector<std::string>{"PRIMARY:1+", "LOG:4+", "G2:1+"}));

  // Partial off takes the groups and the buttons away; on again, the expansion shows them
  // without asking the storage server.
  m_controller.cgUpdatePlusButtonForFulls(0);
  EXPECT_EQ(children(db(), sales),
            (std::vector<std::string>{"difffull:1", "log:1", "log:1", "full:2", "log:1"}));
  m_controller.cgUpdatePlusButtonForFulls(1);
  armFault("pelkBeginQuery code=PELK_RC_STORE_ERROR");
  armFault("pelkBeginGetData code=PELK_RC_STORE_ERROR");
  full = expand(db(), {kServers, "SRV1", "Sales", "full"});
  EXPECT_EQ(children(db(), full).size(), 3u);
  EXPECT_TRUE(m_boxes.empty());
}

// A backup whose meta-data cannot be read: message 5823, and the tree is rebuilt only after the
// expansion that asked has ended.
TEST_F(RestoreBrowse, UnreadableFileInformationRefreshesAfterTheExpansion) {
  stock();
  expand(gf(), {kServers});
  expand(gf(), {kServers, "SRV1"});
  HTREEITEM sales = find(gf(), {kServers, "SRV1", "Sales"});
  gf().ctrlP->selectItem(sales);
  armFault("pelkGetObj code=PELK_RC_OBJ_UNAVAILABLE");
  HTREEITEM full = expand(gf(), {kServers, "SRV1", "Sales", "full"});
  ASSERT_EQ(m_boxes.size(), 1u);
  EXPECT_EQ(m_boxes[0], text(5823));
  EXPECT_EQ(m_posted.size(), 1u);
  EXPECT_EQ(gf().ctrlP->getText(full), "full");  // still there
  EXPECT_EQ(gf().ctrlP->getChild(full), nullptr);
  clearFaults();
  runPosted();
  EXPECT_EQ(gf().ctrlP->getText(gf().ctrlP->getSelection()), "Sales");

  // With the mount wait on, nothing is shown and nothing rebuilt.
  m_boxes.clear();
  gf().page.mountWait = 1;
  armFault("pelkGetObj code=PELK_RC_OBJ_UNAVAILABLE");
  expand(gf(), {kServers, "SRV1", "Sales", "full"});
  EXPECT_TRUE(m_boxes.empty());
  EXPECT_TRUE(m_posted.empty());
}

TEST_F(RestoreBrowse, ListsShowEachKindOfNode) {
  stock();
  StoredBackup seven;
  seven.server = "SRV2";
  seven.db = "Old";
  seven.sqlVersionMajor = 7;
  seven.time = {2001, 1, 2, 0, 0, 0};
  storeBackup(seven);
  expand(db(), {kServers});
  expand(db(), {kServers, "SRV1"});
  expand(db(), {kServers, "SRV2"});
  DMemListCtrl& list = db().page.list;
  auto select = [&](const std::vector<std::string>& path) {
    HTREEITEM item = find(db(), path);
    db().ctrlP->userLeftClick(item, DTreeHit::Label);
    return item;
  };
  select({kServers});
  EXPECT_EQ(list.headers(), (std::vector<std::string>{"Servers"}));
  EXPECT_EQ(list.itemCount(), 2);
  EXPECT_EQ(list.columnWidth(0), 130);
  // Each server lists only its own databases.
  select({kServers, "SRV1"});
  EXPECT_EQ(list.rowTexts(0), (std::vector<std::string>{"Sales"}));
  EXPECT_EQ(list.rowTexts(1), (std::vector<std::string>{"Stock"}));
  EXPECT_EQ(list.stateImage(1), S_NOSELECT + 1);
  select({kServers, "SRV2"});
  EXPECT_EQ(list.itemCount(), 2);
  EXPECT_EQ(list.itemText(0, 0), "Old");

  select({kServers, "SRV1", "Sales"});
  EXPECT_EQ(list.columnCount(), 8);
  EXPECT_EQ(list.headers()[7], "Object Id");
  std::vector<std::string> row = list.rowTexts(0);
  EXPECT_EQ(row[0], "difffull");
  EXPECT_EQ(row[1], "Active");
  EXPECT_EQ(row[2], "04/05/2001");
  EXPECT_EQ(row[3], "11:01:02");
  EXPECT_EQ(row[4], "1,234,567");
  EXPECT_EQ(row[5], "1");
  EXPECT_EQ(row[6], "No");
  EXPECT_EQ(row[7], "20010405110102");
  // Width: 5/4 of the header when that is wider than the least width.
  EXPECT_EQ(list.columnWidth(4), std::max(80, DMemListCtrl::kCharWidth * 11 * 5 / 4));

  select({kServers, "SRV1", "Sales", "difffull"});
  EXPECT_EQ(list.columnCount(), 15);
  EXPECT_EQ(list.itemText(0, 12), "2.2.0.01");
  select({kServers, "SRV2", "Old", "full"});
  EXPECT_EQ(list.columnCount(), 19);
  EXPECT_EQ(list.itemText(0, 7), "20010102000000");
  EXPECT_EQ(list.itemText(0, 13), "7.0.");

  // Partial restore on and the groups not loaded: one row that says to expand the backup.
  db().page.partialOn = 1;
  m_controller.cgUpdatePlusButtonForFulls(1);
  select({kServers, "SRV2", "Old"});
  select({kServers, "SRV2", "Old", "full"});
  EXPECT_EQ(list.columnCount(), 1);
  EXPECT_EQ(list.rowTexts(0), (std::vector<std::string>{text(5802)}));
  // After the expansion the same selection lists the groups, then a group its files.
  HTREEITEM salesFull = select({kServers, "SRV1", "Sales", "full"});
  db().ctrlP->userExpand(salesFull);
  EXPECT_EQ(list.headers(), (std::vector<std::string>{"Group", "Group Space Allocated",
                                                      "Group Space Used", "Primary"}));
  EXPECT_EQ(list.rowTexts(0)[3], "Yes");
  EXPECT_EQ(list.stateImage(0), S_CHECK + 1);
  select({kServers, "SRV1", "Sales", "full", "LOG"});
  EXPECT_EQ(list.rowTexts(0),
            (std::vector<std::string>{"sales_log", "/data/sales_log.mdf", "0", ""}));
  select({kServers, "SRV1", "Sales", "full", "G2", "sales_g2"});
  EXPECT_EQ(list.rowTexts(0),
            (std::vector<std::string>{"sales_g2", "/data/sales_g2.mdf", "0", "0"}));

  // A click on a check picture changes the tree and the rows follow: the second log takes
  // the differential and the log before it.
  HTREEITEM salesItem = select({kServers, "SRV1", "Sales"});
  HTREEITEM log =
      db().ctrlP->getNextSibling(db().ctrlP->getNextSibling(db().ctrlP->getChild(salesItem)));
  db().ctrlP->userLeftClick(log, DTreeHit::Picture);
  m_controller.cgLVUpdate(salesItem);
  std::vector<int> states;
  for (int r = 0; r < list.itemCount(); ++r) states.push_back(list.stateImage(r));
  EXPECT_EQ(states, (std::vector<int>{3, 3, 3, 2, 2}));
}

// The database tree's chain: sibling pictures after a click, by the table of the rules.
class SmartSelect : public testing::Test {
 protected:
  void SetUp() override {
    auto ctrl = std::make_unique<DMemTreeCtrl>();
    m_ctrlP = ctrl.get();
    m_view.attachTreeCtrl(std::move(ctrl));
    m_view.ciSetTreeDefaults(1, 1, 0);
  }
  // A database under a server with backups of the kinds (F full, D differential, L log).
  std::vector<HTREEITEM> build(DTreeView& view, const std::string& kinds, int groupsOfFull = 0) {
    HTREEITEM server =
        DApplicationController::cgAddSqlTreeItem(nullptr, &view, "S", RNODE_SERVER, 0, S_CLEAR);
    HTREEITEM db =
        DApplicationController::cgAddSqlTreeItem(server, &view, "D", RNODE_DATABASE, 0, S_CLEAR);
    std::vector<HTREEITEM> items;
    for (char k : kinds) {
      int32_t kind = k == 'F'   ? RNODE_FULL
                     : k == 'D' ? RNODE_DIFF
                     : k == 'L' ? RNODE_LOG
                                : RNODE_GROUP_BACKUP;
      items.push_back(
          DApplicationController::cgAddSqlTreeItem(db, &view, std::string(1, k), kind, 0, S_CLEAR));
      for (int g = 0; k == 'F' && g < groupsOfFull; ++g) {
        DApplicationController::cgAddSqlTreeItem(items.back(), &view, "g", RNODE_GROUP, 0, S_CLEAR);
      }
    }
    return items;
  }
  std::string pictures(const std::vector<HTREEITEM>& items) {
    std::string s;
    for (HTREEITEM item : items) s += m_ctrlP->getImage(item) == S_CHECK ? 'x' : '.';
    return s;
  }
  void set(const std::vector<HTREEITEM>& items, const std::string& state) {
    for (size_t i = 0; i < items.size(); ++i) {
      int p = state[i] == 'x' ? S_CHECK : S_CLEAR;
      m_ctrlP->setImage(items[i], p, p);
    }
  }
  DRestoreTreeView m_view;
  DMemTreeCtrl* m_ctrlP;
};

TEST_F(SmartSelect, TheDatabaseTreeKeepsOneChain) {
  const std::string kKinds = "FLDLLFDLL";
  struct Case {
    std::string before;
    size_t clicked;
    std::string after;
  };
  const Case table[] = {
      {".x.x.x.xx", 0, "x........"},  // full checked: all others clear
      {"x.xx.xxxx", 0, ".....x..."},  // full cleared: later D and L clear, the later full stays
      {".........", 6, ".....xx.."},  // differential: the nearest full, others before clear
      {"xxxxxx.xx", 2, "xx.xxx.xx"},  // differential cleared: nothing later changes
      {".........", 4, "x.xxx...."},  // log: full, nearest differential, logs between
      {".........", 1, "xx......."},  // log right after a full
      {"xxxxxxxxx", 4, "xxxx.xx.."},  // log cleared: later logs clear, the others stay
  };
  for (const Case& c : table) {
    DRestoreTreeView view;
    auto ctrl = std::make_unique<DMemTreeCtrl>();
    m_ctrlP = ctrl.get();
    view.attachTreeCtrl(std::move(ctrl));
    std::vector<HTREEITEM> items = build(view, kKinds);
    set(items, c.before);
    bool wasChecked = m_ctrlP->getImage(items[c.clicked]) == S_CHECK;
    m_ctrlP->userLeftClick(items[c.clicked], DTreeHit::Picture);
    EXPECT_EQ(pictures(items), c.after)
        << c.before << " click " << c.clicked << (wasChecked ? " (clear)" : " (check)");
  }
}

// The groups/files tree adds the log backups after a checked backup, file or group; a log
// reaches back to the backup it follows.
TEST_F(SmartSelect, TheGroupsFilesTreeAddsTheFollowingLogs) {
  DRestoreGFTreeView view;
  auto ctrl = std::make_unique<DMemTreeCtrl>();
  m_ctrlP = ctrl.get();
  view.attachTreeCtrl(std::move(ctrl));
  std::vector<HTREEITEM> items = build(view, "FLGL");
  HTREEITEM groupItem =
      DApplicationController::cgAddSqlTreeItem(items[0], &view, "PRIMARY", RNODE_GROUP, 0, S_CLEAR);
  HTREEITEM fileItem =
      DApplicationController::cgAddSqlTreeItem(groupItem, &view, "data", RNODE_FILE, 0, S_CLEAR);
  m_ctrlP->userLeftClick(fileItem, DTreeHit::Picture);
  EXPECT_EQ(m_ctrlP->getImage(groupItem), S_CHECK);
  EXPECT_EQ(pictures(items), "xx.x");
  // Clearing the first log clears the backup it follows, and the logs up to the next backup.
  m_ctrlP->userLeftClick(items[1], DTreeHit::Picture);
  EXPECT_EQ(pictures(items), "...x");
  EXPECT_EQ(m_ctrlP->getImage(fileItem), S_CLEAR);
  // Checking the last log checks the group backup before it, and nothing earlier.
  m_ctrlP->userLeftClick(items[3], DTreeHit::Picture);
  m_ctrlP->userLeftClick(items[3], DTreeHit::Picture);
  EXPECT_EQ(pictures(items), "..xx");
  // A not-selectable picture stays as it is.
  m_ctrlP->setImage(items[2], S_NOSELECT, S_NOSELECT);
  m_ctrlP->userLeftClick(items[2], DTreeHit::Picture);
  EXPECT_EQ(m_ctrlP->getImage(items[2]), S_NOSELECT);
}

}  // namespace
