// The backup controller and the backup trees without windows: the emulated SQL Server, the
// trees on in-memory controls, the pages' lists in memory, message boxes answered by the test
// and a command runner that records what the backup would take.
#include "dbkctl.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "dbkctl_testutil.h"
#include "dbktree.h"
#include "dguiopts.h"
#include "dmemlist.h"
#include "dmemtree.h"
#include "dsqlaccess.h"
#include "msgbox.h"
#include "sqlapi_testenv.h"

namespace {

// A backup page kept in memory.
class MemPage : public DControlledView, public DBackupPageView {
 public:
  MemPage(DBackupController& controller, DBackupTreeBase& view, int which)
      : m_controller(controller), m_view(view), m_which(which) {}
  DListCtrl* listCtrl() override { return &list; }
  HTREEITEM listNode() const override { return node; }
  void setListNode(HTREEITEM item) override { node = item; }
  int getBackupType() override { return type; }
  void ciUpdateList(DTreeNodeData* nodeP) override { m_controller.cgUpdateList(m_which, nodeP); }
  void ciUpdateListState() override {
    if (node != nullptr) m_controller.cgUpdateListState(&list, &m_view);
  }
  void enableDiffEstimate(bool on) override { diffEstimate = on; }
  void enableLogEstimate(bool on) override { logEstimate = on; }

  DMemListCtrl list;
  HTREEITEM node = nullptr;
  int type = 0;
  int diffEstimate = -1;
  int logEstimate = -1;

 private:
  DBackupController& m_controller;
  DBackupTreeBase& m_view;
  int m_which;
};

template <class View>
struct Window {
  Window(DBackupController& controller, int which) : page(controller, view, which) {
    auto ctrl = std::make_unique<DMemTreeCtrl>();
    ctrlP = ctrl.get();
    view.attachTreeCtrl(std::move(ctrl));
  }
  View view;
  DMemTreeCtrl* ctrlP;
  MemPage page;
};

const char kServers[] = "SQL Server:";

class BackupBrowse : public sqlapitest::SqlApiObjectFixture {
 protected:
  void SetUp() override {
    SqlApiObjectFixture::SetUp();
    // The program's access object, which a refresh replaces.
    gSqlApiP = m_Api.release();
    initializeOptions(&guiOptions());
    useSqlLogon(m_Logon);
    // sales: PRIMARY (two files) and G2; stock: PRIMARY; offline: offline; trunc: truncate log
    // on checkpoint.
    createDatabase("sales", "PRIMARY:sales_data:2048,sales_data2:1024;G2:sales_g2:1024");
    createDatabase("stock", "PRIMARY:stock_data:1024");
    createDatabase("offline", "PRIMARY:offline_data:1024");
    createDatabase("trunc", "PRIMARY:trunc_data:1024");
    ASSERT_TRUE(instance().setStatus("offline", sqlengine::kStatusOffline).ok());
    sqlengine::DbOptions options;
    options.truncateLogOnCheckpoint = true;
    ASSERT_TRUE(instance().setOptions("trunc", options).ok());
    m_db = std::make_unique<Window<DBackupTreeView>>(m_controller, 0);
    m_gf = std::make_unique<Window<DBackupGFTreeView>>(m_controller, 1);
    m_controller.setTreeView(&m_db->view);
    m_controller.setPage(&m_db->page);
    m_controller.setGFTreeView(&m_gf->view);
    m_controller.setGFPage(&m_gf->page);
    m_db->view.setController(&m_controller);
    m_gf->view.setController(&m_controller);
    m_db->view.OnInitialUpdate();
    m_gf->view.OnInitialUpdate();
    DApplicationController::setCommandRunner(&m_runner);
    zkui::setMessageBoxHook([this](const zkui::MessageBoxRequest& r) {
      m_boxes.push_back(r.text);
      return zkui::kIdBoxOk;
    });
  }
  void TearDown() override {
    zkui::setMessageBoxHook(nullptr);
    DApplicationController::setCommandRunner(nullptr);
    m_gf.reset();
    m_db.reset();
    freeSqlAccess();
    SqlApiObjectFixture::TearDown();
  }

  template <class View>
  HTREEITEM item(Window<View>& w, const std::vector<std::string>& path) {
    HTREEITEM at = w.ctrlP->getChild(nullptr);
    HTREEITEM found = nullptr;
    for (const std::string& part : path) {
      while (at != nullptr && w.ctrlP->getText(at) != part) at = w.ctrlP->getNextSibling(at);
      if (at == nullptr) return nullptr;
      found = at;
      at = w.ctrlP->getChild(at);
    }
    return found;
  }
  // The server's name, from whichever window listed it.
  std::string server() {
    SqlServerElement* sP = m_db->view.m_serverList.getFirst();
    if (sP == nullptr) sP = m_gf->view.m_serverList.getFirst();
    return sP != nullptr ? sP->szSqlServerName : "";
  }
  // Expands the path item by item, as the user does.
  template <class View>
  HTREEITEM open(Window<View>& w, std::vector<std::string> path) {
    HTREEITEM last = nullptr;
    for (size_t i = 1; i <= path.size(); ++i) {
      std::vector<std::string> upTo(path.begin(), path.begin() + static_cast<long>(i));
      last = item(w, upTo);
      if (last == nullptr) return nullptr;
      w.ctrlP->userExpand(last);
    }
    return last;
  }
  template <class View>
  int image(Window<View>& w, const std::vector<std::string>& path) {
    HTREEITEM at = item(w, path);
    return at != nullptr ? w.ctrlP->getImage(at) : -1;
  }
  template <class View>
  void click(Window<View>& w, const std::vector<std::string>& path) {
    HTREEITEM at = item(w, path);
    ASSERT_NE(at, nullptr) << path.back();
    w.ctrlP->userLeftClick(at, DTreeHit::Picture);
  }
  SqlDatabaseElement* db(DBackupTreeBase& view, const std::string& name) {
    for (auto* dbP = view.m_dbList.getFirst(); dbP != nullptr; dbP = view.m_dbList.getNext(dbP)) {
      if (name == dbP->szSqlDatabaseName) return dbP;
    }
    return nullptr;
  }
  // Every selection flag of the window's records is 0.
  static bool noFlags(DBackupTreeBase& view) {
    for (auto* dbP = view.m_dbList.getFirst(); dbP != nullptr; dbP = view.m_dbList.getNext(dbP)) {
      if (dbP->bSqlDbIsSelected || dbP->bDbGroupIsSelected || dbP->bDbFileIsSelected) return false;
    }
    for (auto* g = view.m_groupList.getFirst(); g != nullptr; g = view.m_groupList.getNext(g)) {
      if (g->bGroupIsSelected || g->bGroupFileIsSelected) return false;
    }
    for (auto* f = view.m_fileList.getFirst(); f != nullptr; f = view.m_fileList.getNext(f)) {
      if (f->bFileIsSelected) return false;
    }
    return true;
  }
  // No item below the servers root shows S_CHECK or S_PARTIAL.
  template <class View>
  static bool noChecks(Window<View>& w, HTREEITEM at) {
    for (; at != nullptr; at = w.ctrlP->getNextSibling(at)) {
      int picture = w.ctrlP->getImage(at);
      if (picture == S_CHECK || picture == S_PARTIAL) return false;
      if (!noChecks(w, w.ctrlP->getChild(at))) return false;
    }
    return true;
  }

  DRootController m_root;
  DBackupController m_controller{&m_root};
  std::unique_ptr<Window<DBackupTreeView>> m_db;
  std::unique_ptr<Window<DBackupGFTreeView>> m_gf;
  BackupRecorder m_runner;
  std::vector<std::string> m_boxes;
};

TEST_F(BackupBrowse, TheTreesInstallServersDatabasesGroupsAndFilesOnce) {
  HTREEITEM servers = open(*m_db, {kServers});
  ASSERT_NE(servers, nullptr);
  std::string name = server();
  open(*m_db, {kServers});  // once installed, never asked again
  EXPECT_EQ(m_db->view.m_serverList.getCount(), 1u);
  EXPECT_EQ(m_db->view.ciGetItemData(servers)->count, 1);
  open(*m_db, {kServers, name});
  EXPECT_EQ(image(*m_db, {kServers, name, "sales"}), S_CLEAR);
  EXPECT_EQ(image(*m_db, {kServers, name, "trunc"}), S_CLEAR);  // full backup
  EXPECT_EQ(image(*m_db, {kServers, name, "offline"}), S_DISABLED);
  EXPECT_FALSE(m_db->ctrlP->hasChildren(item(*m_db, {kServers, name, "sales"})));

  // The groups/files window: databases expand, truncate-log-on-checkpoint is never chosen,
  // the log's pseudo-group and its files cannot be chosen.
  open(*m_gf, {kServers, name, "sales"});
  EXPECT_EQ(image(*m_gf, {kServers, name, "trunc"}), S_NOSELECT);
  HTREEITEM sales = item(*m_gf, {kServers, name, "sales"});
  EXPECT_EQ(m_gf->view.ciGetItemData(sales)->count, 3);
  EXPECT_EQ(image(*m_gf, {kServers, name, "sales", "PRIMARY", "sales_data2"}), S_CLEAR);
  EXPECT_EQ(image(*m_gf, {kServers, name, "sales", "TRANSACTION LOG"}), S_NOSELECT);
  EXPECT_EQ(image(*m_gf, {kServers, name, "sales", "TRANSACTION LOG", "sales_log"}), S_NOSELECT);
  click(*m_gf, {kServers, name, "sales", "TRANSACTION LOG"});
  EXPECT_EQ(image(*m_gf, {kServers, name, "sales", "TRANSACTION LOG"}), S_NOSELECT);
  EXPECT_EQ(image(*m_gf, {kServers, name, "sales"}), S_CLEAR);
  EXPECT_TRUE(m_boxes.empty()) << m_boxes[0];
}

// A database whose groups were read for the list already counts the group items it shows.
TEST_F(BackupBrowse, ADatabaseReadBeforeItsExpansionCountsItsOwnGroups) {
  std::string name = (open(*m_gf, {kServers}), server());
  HTREEITEM serverItem = open(*m_gf, {kServers, name});
  m_gf->ctrlP->userLeftClick(serverItem, DTreeHit::Label);  // the list reads every database
  ASSERT_EQ(db(m_gf->view, "stock")->bDbInfoIsLoaded, 1);
  HTREEITEM stock = open(*m_gf, {kServers, name, "stock"});
  DTreeNodeData* nodeP = m_gf->view.ciGetItemData(stock);
  EXPECT_EQ(nodeP->count, 2);  // PRIMARY and the log
  EXPECT_EQ(nodeP->first, db(m_gf->view, "stock")->peDbFirstGroup);
  EXPECT_NE(item(*m_gf, {kServers, name, "stock", "PRIMARY", "stock_data"}), nullptr);
  m_gf->ctrlP->userLeftClick(stock, DTreeHit::Label);
  EXPECT_EQ(m_gf->page.list.itemCount(), 2);
  EXPECT_EQ(m_gf->page.list.itemText(0, 0), "PRIMARY");
}

TEST_F(BackupBrowse, TheListsShowTheirColumnsAndRows) {
  sqlengine::DbOptions all;
  all.truncateLogOnCheckpoint = all.selectIntoBulkCopy = all.dboUseOnly = all.readOnly =
      all.singleUser = true;
  ASSERT_TRUE(instance().setOptions("stock", all).ok());
  ASSERT_TRUE(instance().setLevels("stock", 80, 539, true).ok());
  HTREEITEM servers = open(*m_db, {kServers});
  std::string name = server();
  m_db->ctrlP->userLeftClick(servers, DTreeHit::Label);
  DMemListCtrl& list = m_db->page.list;
  EXPECT_EQ(list.headers(), (std::vector<std::string>{"Name", "Version", "Clustered"}));
  EXPECT_EQ(list.rowTexts(0), (std::vector<std::string>{name, "8.0", "No"}));
  EXPECT_EQ(list.stateImage(0), S_CLEAR + 1);

  m_db->ctrlP->userLeftClick(open(*m_db, {kServers, name}), DTreeHit::Label);
  EXPECT_EQ(list.headers(), (std::vector<std::string>{"Name", "Space Used", "Log Space Used",
                                                      "Compat. Level", "Options"}));
  // Five quarters of a wide header's text, the minimum for a narrow one.
  EXPECT_EQ(list.columnWidth(2), 14 * DMemListCtrl::kCharWidth * 5 / 4);
  EXPECT_EQ(list.columnWidth(0), 100);
  EXPECT_EQ(list.columnAlign(1), DListAlign::Right);
  auto row = [&](const std::string& dbName) {
    for (int r = 0; r < list.itemCount(); ++r) {
      if (list.itemText(r, 0) == dbName) return list.rowTexts(r);
    }
    return std::vector<std::string>{};
  };
  EXPECT_EQ(row("stock")[4],
            "System Database, Truncate log on checkpoint, Select into / bulk copy, Db Owner Use "
            "Only, Read only, Single user");
  EXPECT_EQ(row("stock")[3], "80");
  EXPECT_EQ(row("sales")[4], "");
  EXPECT_EQ(row("sales")[1],
            std::to_string(pkInt64ToNative(db(m_db->view, "sales")->u64DbDataSpaceUsed)));
  // An offline database shows its state and is not read.
  EXPECT_EQ(row("offline")[4], "Offline");
  EXPECT_EQ(db(m_db->view, "offline")->bDbInfoIsLoaded, 0);

  // The groups/files lists.
  open(*m_gf, {kServers, name, "sales"});
  DMemListCtrl& gfList = m_gf->page.list;
  m_gf->ctrlP->userLeftClick(item(*m_gf, {kServers, name, "sales"}), DTreeHit::Label);
  EXPECT_EQ(gfList.headers(), (std::vector<std::string>{"Name", "Space Used"}));
  EXPECT_EQ(gfList.itemCount(), 3);
  m_gf->ctrlP->userLeftClick(item(*m_gf, {kServers, name, "sales", "PRIMARY"}), DTreeHit::Label);
  EXPECT_EQ(gfList.headers(), (std::vector<std::string>{"Name", "Physical Name", "Space Used"}));
  EXPECT_EQ(gfList.itemCount(), 2);
  EXPECT_EQ(gfList.itemText(1, 0), "sales_data2");
  EXPECT_NE(gfList.itemText(1, 1), "");
  m_gf->ctrlP->userLeftClick(item(*m_gf, {kServers, name, "sales", "PRIMARY", "sales_data"}),
                             DTreeHit::Label);
  EXPECT_EQ(gfList.itemCount(), 1);
  EXPECT_EQ(gfList.itemText(0, 0), "sales_data");
  EXPECT_TRUE(m_boxes.empty()) << m_boxes[0];
}

// The marks of every backup type: the tree's checks become selection flags, one command, and
// afterwards no check and no flag is left.
struct MarkCase {
  const char* name;
  int window;                                    // 0 databases, 1 groups/files
  int type;                                      // as the controller takes it
  std::vector<std::vector<std::string>> clicks;  // below the server item
  uint32_t command;
  std::vector<std::string> taken;
};

TEST_F(BackupBrowse, EachBackupTypeMarksWhatIsChecked) {
  const MarkCase kCases[] = {
      {"full", 0, BACKUP_FULL, {{"sales"}, {"stock"}}, 3, {"sales", "stock"}},
      {"differential", 0, BACKUP_DIFF, {{"stock"}}, 1, {"stock"}},
      // The server's check reaches every database but the disabled and, for a log, trunc.
      {"log of a checked server",
       0,
       BACKUP_LOG,
       {{}},
       5,
       {"master", "model", "msdb", "sales", "stock"}},
      {"group of a checked database",
       1,
       BACKUP_GROUP,
       {{"sales"}},
       4,
       {"sales+g", "sales/PRIMARY", "sales/G2"}},
      {"single group", 1, BACKUP_GROUP, {{"sales", "G2"}}, 4, {"sales+g", "sales/G2"}},
      {"two files",
       1,
       BACKUP_FILE,
       {{"sales", "PRIMARY", "sales_data"}, {"sales", "G2", "sales_g2"}},
       2,
       {"sales+f", "sales/PRIMARY+f", "sales/G2+f", "sales/PRIMARY/sales_data",
        "sales/G2/sales_g2"}},
      {"files of a checked database",
       1,
       BACKUP_FILE,
       {{"stock"}},
       2,
       {"stock+f", "stock/PRIMARY+f", "stock/PRIMARY/stock_data"}},
      {"set of a group and a file",
       1,
       BACKUP_SET,
       {{"sales", "G2"}, {"sales", "PRIMARY", "sales_data2"}},
       6,
       {"sales+g+f", "sales/PRIMARY+f", "sales/G2", "sales/PRIMARY/sales_data2"}},
      {"set of a checked database", 1, BACKUP_SET, {{"stock"}}, 6, {"stock+g", "stock/PRIMARY"}},
  };
  for (const MarkCase& c : kCases) {
    SCOPED_TRACE(c.name);
    DBackupTreeBase& view = c.window == 0 ? static_cast<DBackupTreeBase&>(m_db->view)
                                          : static_cast<DBackupTreeBase&>(m_gf->view);
    std::string name =
        c.window == 0 ? (open(*m_db, {kServers}), server()) : (open(*m_gf, {kServers}), server());
    m_db->page.type = c.type <= BACKUP_LOG ? c.type : 0;
    m_gf->page.type = c.type >= BACKUP_GROUP ? c.type - BACKUP_GROUP : 0;
    m_db->view.ciUpdateImages(m_db->page.type);  // as the page's radio buttons do
    for (const auto& below : c.clicks) {
      std::vector<std::string> path = {kServers, name};
      path.insert(path.end(), below.begin(), below.end());
      if (c.window == 0) {
        if (below.size() > 0) open(*m_db, {kServers, name});
        click(*m_db, path);
      } else {
        std::vector<std::string> parent(path.begin(), path.end() - 1);
        if (below.size() > 0) open(*m_gf, parent);
        click(*m_gf, path);
      }
    }
    m_runner.runs = 0;
    m_controller.cgProcessBackupDbList(&view, c.type);
    EXPECT_EQ(m_runner.runs, 1);
    EXPECT_EQ(m_runner.command, c.command);
    EXPECT_EQ(m_runner.taken, c.taken);
    EXPECT_TRUE(noFlags(view));
    if (c.window == 0) {
      EXPECT_TRUE(noChecks(*m_db, m_db->ctrlP->getChild(nullptr)));
    } else {
      EXPECT_TRUE(noChecks(*m_gf, m_gf->ctrlP->getChild(nullptr)));
    }
    // A fresh tree for the next case.
    m_controller.cgRefreshView(&view, c.window);
  }
  EXPECT_TRUE(m_boxes.empty()) << m_boxes[0];
}

TEST_F(BackupBrowse, ABackupWithNothingChosenShowsWhyAndRunsNothing) {
  auto expectRefused = [&](DBackupTreeBase& view, int type) {
    m_boxes.clear();
    m_controller.cgProcessBackupDbList(&view, type);
    ASSERT_EQ(m_boxes.size(), 1u);
    EXPECT_NE(m_boxes[0].find("Nothing is chosen"), std::string::npos);
    EXPECT_EQ(m_runner.runs, 0);
  };
  expectRefused(m_db->view, BACKUP_FULL);  // no server listed yet
  open(*m_db, {kServers});
  expectRefused(m_db->view, BACKUP_FULL);  // the server is not checked
  std::string name = server();
  open(*m_db, {kServers, name});
  expectRefused(m_db->view, BACKUP_FULL);  // nothing checked
  // A click on the log's file changes nothing, so a file backup has nothing either.
  open(*m_gf, {kServers, name, "stock", "PRIMARY"});
  m_gf->page.type = GF_FILE;
  click(*m_gf, {kServers, name, "stock", "TRANSACTION LOG", "stock_log"});
  expectRefused(m_gf->view, BACKUP_FILE);
}

TEST_F(BackupBrowse, TheBackupTypeReimagesTheDatabases) {
  open(*m_db, {kServers});
  std::string name = server();
  HTREEITEM serverItem = open(*m_db, {kServers, name});
  click(*m_db, {kServers, name, "trunc"});
  click(*m_db, {kServers, name, "sales"});
  m_db->view.ciUpdateImages(BACKUP_LOG);
  EXPECT_EQ(image(*m_db, {kServers, name, "trunc"}), S_NOSELECT);
  EXPECT_EQ(image(*m_db, {kServers, name, "sales"}), S_CHECK);
  EXPECT_EQ(image(*m_db, {kServers, name, "offline"}), S_DISABLED);
  EXPECT_EQ(m_db->ctrlP->getImage(serverItem), S_PARTIAL);
  m_db->view.ciUpdateImages(BACKUP_FULL);
  EXPECT_EQ(image(*m_db, {kServers, name, "trunc"}), S_CLEAR);  // not checked again

  // A partial item becomes checked on a click, in the tree and in the list.
  click(*m_db, {kServers, name});
  EXPECT_EQ(m_db->ctrlP->getImage(serverItem), S_CHECK);
  EXPECT_EQ(image(*m_db, {kServers, name, "trunc"}), S_CHECK);
  EXPECT_EQ(image(*m_db, {kServers, name, "offline"}), S_DISABLED);
  click(*m_db, {kServers, name, "stock"});
  EXPECT_EQ(m_db->ctrlP->getImage(serverItem), S_PARTIAL);
  m_db->ctrlP->userLeftClick(item(*m_db, {kServers}), DTreeHit::Label);
  DMemListCtrl& list = m_db->page.list;
  ASSERT_EQ(list.stateImage(0), S_PARTIAL + 1);
  m_controller.cgToggleItemState(0, &list, &m_db->view);
  EXPECT_EQ(list.stateImage(0), S_CHECK + 1);
  EXPECT_EQ(image(*m_db, {kServers, name, "stock"}), S_CHECK);
  m_controller.cgToggleItemState(0, &list, &m_db->view);
  EXPECT_EQ(image(*m_db, {kServers, name, "stock"}), S_CLEAR);
}

TEST_F(BackupBrowse, ADatabaseThatCannotBeReadIsDisabledAndShown) {
  open(*m_db, {kServers});
  std::string name = server();
  HTREEITEM stock = (open(*m_db, {kServers, name}), item(*m_db, {kServers, name, "stock"}));
  failCall("DbFile.GetSizeInKB", 1);
  m_db->ctrlP->userLeftClick(stock, DTreeHit::Label);
  ASSERT_EQ(m_boxes.size(), 1u);
  EXPECT_NE(m_boxes[0].find("A SQL Server call failed"), std::string::npos);
  EXPECT_EQ(m_db->ctrlP->getImage(stock), S_DISABLED);
  EXPECT_EQ(m_db->page.list.stateImage(0), S_DISABLED + 1);
  // The database keeps no pointer into the message list of the read.
  EXPECT_EQ(db(m_db->view, "stock")->peDbMessage, nullptr);
  EXPECT_EQ(db(m_db->view, "stock")->pDbMessageList, nullptr);
  // Its check picture does not change on a click.
  click(*m_db, {kServers, name, "stock"});
  EXPECT_EQ(m_db->ctrlP->getImage(stock), S_DISABLED);
}

TEST_F(BackupBrowse, AGroupBackupChecksWholeGroups) {
  open(*m_gf, {kServers});
  std::string name = server();
  open(*m_gf, {kServers, name, "sales", "PRIMARY"});
  std::vector<std::string> data = {kServers, name, "sales", "PRIMARY", "sales_data"};
  std::vector<std::string> data2 = {kServers, name, "sales", "PRIMARY", "sales_data2"};
  m_gf->page.type = GF_FILE;
  click(*m_gf, data);
  EXPECT_EQ(image(*m_gf, data2), S_CLEAR);
  EXPECT_EQ(image(*m_gf, {kServers, name, "sales", "PRIMARY"}), S_PARTIAL);
  click(*m_gf, data);
  m_gf->page.type = GF_GROUP;
  click(*m_gf, data);
  EXPECT_EQ(image(*m_gf, data2), S_CHECK);
  EXPECT_EQ(image(*m_gf, {kServers, name, "sales", "PRIMARY"}), S_CHECK);
  EXPECT_EQ(image(*m_gf, {kServers, name, "sales"}), S_PARTIAL);

  // A click on a group's row in the database's list takes the whole group, and only it.
  click(*m_gf, data);
  HTREEITEM sales = item(*m_gf, {kServers, name, "sales"});
  m_gf->ctrlP->userLeftClick(sales, DTreeHit::Label);
  DMemListCtrl& list = m_gf->page.list;
  ASSERT_EQ(list.itemText(1, 0), "G2");
  m_controller.cgToggleGroupState(1, &list, &m_gf->view);
  EXPECT_EQ(image(*m_gf, {kServers, name, "sales", "G2"}), S_CHECK);
  EXPECT_EQ(image(*m_gf, {kServers, name, "sales", "G2", "sales_g2"}), S_CHECK);
  EXPECT_EQ(image(*m_gf, {kServers, name, "sales", "PRIMARY"}), S_CLEAR);
  EXPECT_EQ(list.stateImage(1), S_CHECK + 1);
  EXPECT_EQ(list.stateImage(0), S_CLEAR + 1);
}

TEST_F(BackupBrowse, ACheckedServerNeverExpandedIsBackedUpWhole) {
  HTREEITEM servers = open(*m_db, {kServers});
  std::string name = server();
  click(*m_db, {kServers, name});
  m_db->page.type = BACKUP_LOG;
  m_controller.cgProcessBackupDbList(&m_db->view, BACKUP_LOG);
  EXPECT_EQ(m_runner.command, 5u);
  EXPECT_EQ(m_runner.taken,
            (std::vector<std::string>{"master", "model", "msdb", "sales", "stock"}));
  EXPECT_EQ(m_db->ctrlP->getImage(m_db->ctrlP->getChild(servers)), S_CLEAR);
}

TEST_F(BackupBrowse, TheLogEstimateFollowsTheServerVersion) {
  m_db->page.type = BACKUP_LOG;
  open(*m_db, {kServers});
  EXPECT_EQ(m_db->page.logEstimate, 1);
  m_controller.cgTVDelete();
  createServer(7);
  ASSERT_EQ(createSqlAccess(guiOptions()), 0);
  DApplicationController::cgTVInit(&m_db->view);
  open(*m_db, {kServers});
  EXPECT_EQ(m_db->view.m_serverList.getFirst()->lSqlVersionMajor, 7);
  EXPECT_EQ(m_db->page.logEstimate, 0);
  m_db->page.type = BACKUP_DIFF;
  m_controller.cgTVDelete();
  DApplicationController::cgTVInit(&m_db->view);
  open(*m_db, {kServers});
  EXPECT_EQ(m_db->page.diffEstimate, 1);
}

TEST_F(BackupBrowse, AGroupsAndFilesBackupLeavesTruncateOn) {
  guiOptions().bTruncate = 0;
  open(*m_gf, {kServers});
  std::string name = server();
  open(*m_gf, {kServers, name, "stock"});
  click(*m_gf, {kServers, name, "stock"});
  m_controller.cgProcessBackupDbList(&m_gf->view, BACKUP_GROUP);
  EXPECT_EQ(m_runner.runs, 1);
  EXPECT_EQ(guiOptions().bTruncate, 1u);
}

TEST_F(BackupBrowse, ARefreshReturnsToTheSelectedItem) {
  open(*m_gf, {kServers});
  std::string name = server();
  open(*m_db, {kServers, name});
  HTREEITEM stock = open(*m_gf, {kServers, name, "stock"});
  m_gf->ctrlP->userLeftClick(stock, DTreeHit::Label);
  CSqlApi* before = gSqlApiP;
  m_controller.cgRefreshView(&m_gf->view, FRAME_BACKUP_GF);
  EXPECT_NE(gSqlApiP, before);
  HTREEITEM selected = m_gf->ctrlP->getSelection();
  ASSERT_NE(selected, nullptr);
  EXPECT_EQ(m_gf->ctrlP->getText(selected), "stock");
  EXPECT_EQ(m_gf->page.list.itemText(0, 0), "PRIMARY");
  // The other window is back at its first level.
  EXPECT_EQ(item(*m_db, {kServers, name}), nullptr);
  EXPECT_EQ(m_db->view.m_dbList.getCount(), 0u);

  // A database that has gone: down to its server, nothing selected, no list.
  ASSERT_TRUE(instance().removeDatabase("stock").ok());
  m_controller.cgRefreshView(&m_gf->view, FRAME_BACKUP_GF);
  EXPECT_NE(item(*m_gf, {kServers, name, "sales"}), nullptr);
  EXPECT_EQ(m_gf->ctrlP->getSelection(), nullptr);
  EXPECT_EQ(m_gf->page.list.itemCount(), 0);
}

}  // namespace
