// The inactivate controller and its tree without windows: stored backups on the storage
// stand-in, the tree on an in-memory control and the page's list in memory, message boxes
// answered by the test, and the inactivation run by the test's command runner on this thread.
#include "dinactctl.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dguiopts.h"
#include "dinacttree.h"
#include "dmemlist.h"
#include "dmemtree.h"
#include "drestctl.h"
#include "erifunc.h"
#include "msgbox.h"
#include "storedbackup_testutil.h"

namespace {

class MemPage : public DControlledView, public DInactivatePageView {
 public:
  MemPage(DInactivateController& controller, DInactivateTreeView& tree)
      : m_controller(controller), m_tree(tree) {}
  DListCtrl* listCtrl() override { return &list; }
  HTREEITEM listNode() const override { return node; }
  void setListNode(HTREEITEM item) override { node = item; }
  void ciUpdateList(DTreeNodeData* nodeP) override {
    inactivateUpdateList(&m_controller, &m_tree, &list, nodeP);
  }
  void ciUpdateListState() override { m_controller.cgUpdateListState(&list, &m_tree); }

  DMemListCtrl list;
  HTREEITEM node = nullptr;

 private:
  DInactivateController& m_controller;
  DInactivateTreeView& m_tree;
};

// Runs each command at once and keeps what it was sent: the command and the backups' names.
class Runner : public DCommandRunner {
 public:
  uint32_t runCommand(commandInfo* infoP) override {
    commands.push_back(infoP->command);
    auto* parmsP = static_cast<CInactivateBackupsParms*>(infoP->parmsP);
    sent = entryNames(*parmsP->qryBuListP);
    return eriInactivateBackups(parmsP);
  }
  std::vector<uint32_t> commands;
  std::vector<std::string> sent;
};

const std::string kServers = "SQL Servers";

class InactivateBrowse : public StoredBackupFixture {
 protected:
  void SetUp() override {
    StoredBackupFixture::SetUp();
    initializeOptions(&guiOptions());
    m_controllerP = std::make_unique<DInactivateController>(&m_frame);
    m_treeP = std::make_unique<DInactivateTreeView>();
    m_pageP = std::make_unique<MemPage>(*m_controllerP, *m_treeP);
    auto ctrl = std::make_unique<DMemTreeCtrl>();
    m_ctrlP = ctrl.get();
    m_treeP->attachTreeCtrl(std::move(ctrl));
    m_controllerP->setTreeView(m_treeP.get());
    m_controllerP->setPage(m_pageP.get());
    m_treeP->setController(m_controllerP.get());
    m_treeP->OnInitialUpdate();
    m_frame.setParent(&m_root);
    DApplicationController::setCommandRunner(&m_runner);
    zkui::setMessageBoxHook([this](const zkui::MessageBoxRequest& r) {
      m_boxes.push_back(r.text);
      m_icons.push_back(r.style & 0xF0);
      return zkui::kIdBoxOk;
    });
  }
  void TearDown() override {
    zkui::setMessageBoxHook(nullptr);
    DApplicationController::setCommandRunner(nullptr);
    clearFaults();
    m_pageP.reset();
    m_treeP.reset();
    m_controllerP.reset();
    StoredBackupFixture::TearDown();
  }

  // Sales on SRV1: full, differential, log, then a backup whose type word ("fullcopy") the tree
  // does not know;
  // Stock on SRV1: a full; Staff on SRV2: a full and a log.
  void stock() {
    const uint32_t kTypes[] = {BACKUP_TYPE_FULL, BACKUP_TYPE_DIFFFULL, BACKUP_TYPE_LOG,
                               BACKUP_TYPE_FULL};
    int minute = 0;
    for (uint32_t type : kTypes) {
      StoredBackup b;
      b.type = type;
      b.time.minute = minute++;
      b.backupSize = 1234567;
      if (minute == 4) b.llWord = "fullcopy";
      storeBackup(b);
    }
    StoredBackup stockFull;
    stockFull.db = "Stock";
    storeBackup(stockFull);
    for (uint32_t type : {BACKUP_TYPE_FULL, BACKUP_TYPE_LOG}) {
      StoredBackup staff;
      staff.server = "SRV2";
      staff.db = "Staff";
      staff.type = type;
      staff.time.minute = minute++;
      storeBackup(staff);
    }
  }

  HTREEITEM find(const std::vector<std::string>& path) {
    HTREEITEM item = nullptr;
    for (const std::string& text : path) {
      HTREEITEM child = m_ctrlP->getChild(item);
      while (child != nullptr && m_ctrlP->getText(child) != text)
        child = m_ctrlP->getNextSibling(child);
      if (child == nullptr) return nullptr;
      item = child;
    }
    return item;
  }
  HTREEITEM expand(const std::vector<std::string>& path) {
    HTREEITEM item = find(path);
    EXPECT_NE(item, nullptr) << path.back();
    if (item == nullptr) return item;
    if (m_ctrlP->isExpanded(item)) m_ctrlP->userExpand(item);  // collapses first
    m_ctrlP->userExpand(item);
    return item;
  }
  HTREEITEM click(const std::vector<std::string>& path, DTreeHit hit) {
    HTREEITEM item = find(path);
    EXPECT_NE(item, nullptr) << path.back();
    if (item != nullptr) m_ctrlP->userLeftClick(item, hit);
    return item;
  }
  std::vector<std::string> children(HTREEITEM item) {
    std::vector<std::string> texts;
    for (HTREEITEM c = m_ctrlP->getChild(item); c; c = m_ctrlP->getNextSibling(c)) {
      texts.push_back(m_ctrlP->getText(c) + ":" + std::to_string(m_ctrlP->getImage(c)) +
                      (m_ctrlP->hasChildren(c) ? "+" : ""));
    }
    return texts;
  }
  // The low-level names of the server's active meta-data objects.
  std::vector<std::string> active(const std::string& server) {
    std::vector<std::string> names;
    for (const qryRespBackupData& o : objects(server + "\\meta\\0000", PELK_ACTIVE)) {
      names.push_back(o.objName.ll);
    }
    return names;
  }
  static std::string text(int msgNum) { return restoreText(msgNum); }

  DRootController m_root;
  DFrameController m_frame;
  Runner m_runner;
  std::unique_ptr<DInactivateController> m_controllerP;
  std::unique_ptr<DInactivateTreeView> m_treeP;
  std::unique_ptr<MemPage> m_pageP;
  DMemTreeCtrl* m_ctrlP = nullptr;
  std::vector<std::string> m_boxes;
  std::vector<unsigned> m_icons;
};

TEST_F(InactivateBrowse, ExpandingListsEachServersActiveBackupsOnce) {
  stock();
  EXPECT_EQ(children(nullptr), (std::vector<std::string>{"Storage Server:7", "SQL Servers:9+"}));
  guiOptions().bCompatibilityInfo = 0;
  HTREEITEM servers = expand({kServers});
  EXPECT_EQ(children(servers), (std::vector<std::string>{"SRV1:1+", "SRV2:1+"}));
  HTREEITEM srv1 = expand({kServers, "SRV1"});
  EXPECT_EQ(children(srv1), (std::vector<std::string>{"Sales:1+", "Stock:1+"}));
  // The backup of an unknown type gets no item.
  EXPECT_EQ(children(find({kServers, "SRV1", "Sales"})),
            (std::vector<std::string>{"full:1", "difffull:1", "log:1"}));
  // The database records come with the backups, and the option stays on for later commands.
  EXPECT_EQ(guiOptions().bCompatibilityInfo, 1u);

  // Filled branches ask nothing: every query would fail now.
  armFault("pelkBeginQuery code=PELK_RC_STORE_ERROR");
  expand({kServers});
  expand({kServers, "SRV1"});
  EXPECT_EQ(children(srv1), (std::vector<std::string>{"Sales:1+", "Stock:1+"}));
  EXPECT_TRUE(m_boxes.empty()) << m_boxes[0];
}

TEST_F(InactivateBrowse, FailedExpansionsAreTold) {
  // No server has backups: 5810, and the servers item has nothing to expand.
  HTREEITEM servers = expand({kServers});
  ASSERT_EQ(m_boxes.size(), 1u);
  EXPECT_EQ(m_boxes[0], text(5810));
  EXPECT_EQ(m_icons[0], zkui::kMbIconInformation);
  EXPECT_FALSE(m_ctrlP->hasChildren(servers));

  // The storage server refusing the logon: 161 without an icon; the item keeps its button.
  stock();
  m_controllerP->cgRefreshView(m_treeP.get(), FRAME_INACTIVATE);
  m_boxes.clear();
  m_icons.clear();
  armFault("pelkBeginQuery code=PELK_RC_STORE_ERROR");
  servers = expand({kServers});
  ASSERT_EQ(m_boxes.size(), 1u);
  EXPECT_EQ(m_boxes[0], text(161));
  EXPECT_EQ(m_icons[0], 0u);
  EXPECT_TRUE(m_ctrlP->hasChildren(servers));

  // A server without an active backup: 5719, and its button goes.
  clearFaults();
  m_boxes.clear();
  m_icons.clear();
  expand({kServers});
  armFault("pelkGetNextQObj nth=1 code=PELK_RC_NO_MATCH");
  HTREEITEM srv1 = expand({kServers, "SRV1"});
  ASSERT_EQ(m_boxes.size(), 1u);
  EXPECT_EQ(m_boxes[0], text(5719));
  EXPECT_EQ(m_icons[0], zkui::kMbIconInformation);
  EXPECT_FALSE(m_ctrlP->hasChildren(srv1));
}

TEST_F(InactivateBrowse, TheListShowsWhatTheSelectedItemHolds) {
  stock();
  StoredBackup seven;
  seven.server = "SRV2";
  seven.db = "Old";
  seven.sqlVersionMajor = 7;
  seven.time = {2001, 1, 2, 0, 0, 0};
  storeBackup(seven);
  expand({kServers});
  expand({kServers, "SRV1"});
  expand({kServers, "SRV2"});
  DMemListCtrl& list = m_pageP->list;
  click({kServers}, DTreeHit::Label);
  EXPECT_EQ(list.headers(), (std::vector<std::string>{"Servers"}));
  EXPECT_EQ(list.itemCount(), 2);
  EXPECT_EQ(list.columnWidth(0), 130);
  // Each server lists its own databases only.
  click({kServers, "SRV1"}, DTreeHit::Label);
  EXPECT_EQ(list.headers(), (std::vector<std::string>{"Databases"}));
  EXPECT_EQ(list.itemCount(), 2);
  EXPECT_EQ(list.itemText(1, 0), "Stock");
  click({kServers, "SRV2"}, DTreeHit::Label);
  EXPECT_EQ(list.itemCount(), 2);

  click({kServers, "SRV1", "Sales"}, DTreeHit::Label);
  EXPECT_EQ(list.columnCount(), 7);
  EXPECT_EQ(list.itemCount(), 3);  // the unknown type gets no row
  EXPECT_EQ(list.rowTexts(1), (std::vector<std::string>{"difffull", "04/05/2001", "11:01:02",
                                                        "1,234,567", "1", "No", "20010405110102"}));
  EXPECT_EQ(list.stateImage(1), S_CLEAR + 1);
  EXPECT_EQ(list.columnWidth(3), std::max(80, DMemListCtrl::kCharWidth * 11 * 5 / 4));

  struct Case {
    std::vector<std::string> path;
    int columns;
  };
  const Case kDetails[] = {
      {{kServers, "SRV1", "Sales", "full"}, 14},
      {{kServers, "SRV2", "Old", "full"}, 18},
  };
  for (const Case& c : kDetails) {
    click(c.path, DTreeHit::Label);
    EXPECT_EQ(list.columnCount(), c.columns) << c.path[2];
    EXPECT_EQ(list.itemCount(), 1);
  }
  EXPECT_EQ(list.itemText(0, 12), "7.0");
  EXPECT_EQ(list.itemText(0, 6), "20010102000000");
}

TEST_F(InactivateBrowse, ChecksFollowClicksInTheTreeAndInTheList) {
  stock();
  expand({kServers});
  expand({kServers, "SRV1"});
  HTREEITEM sales = find({kServers, "SRV1", "Sales"});
  HTREEITEM full = find({kServers, "SRV1", "Sales", "full"});
  // Tree: clear -> checked (the database goes partly checked), partly checked -> checked,
  // checked -> clear; a picture that cannot be chosen stays and the item is still listed.
  click({kServers, "SRV1", "Sales", "full"}, DTreeHit::Picture);
  EXPECT_EQ(m_ctrlP->getImage(full), S_CHECK);
  EXPECT_EQ(m_ctrlP->getImage(sales), S_PARTIAL);
  click({kServers, "SRV1", "Sales"}, DTreeHit::Picture);
  EXPECT_EQ(children(sales), (std::vector<std::string>{"full:2", "difffull:2", "log:2"}));
  click({kServers, "SRV1", "Sales"}, DTreeHit::Picture);
  EXPECT_EQ(m_ctrlP->getImage(full), S_CLEAR);
  m_ctrlP->setImage(full, S_NOSELECT, S_NOSELECT);
  click({kServers, "SRV1", "Sales", "full"}, DTreeHit::Picture);
  EXPECT_EQ(m_ctrlP->getImage(full), S_NOSELECT);
  EXPECT_EQ(m_pageP->node, full);
  EXPECT_EQ(m_pageP->list.itemCount(), 1);

  // List: a row's check toggles its tree item; a partly checked row stays.
  click({kServers, "SRV1"}, DTreeHit::Label);
  DMemListCtrl& list = m_pageP->list;
  inactivateToggleRow(m_treeP.get(), &list, 1);
  EXPECT_EQ(list.stateImage(1), S_CHECK + 1);
  EXPECT_EQ(children(find({kServers, "SRV1", "Stock"})), (std::vector<std::string>{"full:2"}));
  inactivateToggleRow(m_treeP.get(), &list, 1);
  EXPECT_EQ(m_ctrlP->getImage(find({kServers, "SRV1", "Stock"})), S_CLEAR);
  click({kServers, "SRV1", "Sales", "difffull"}, DTreeHit::Picture);
  click({kServers, "SRV1"}, DTreeHit::Label);
  EXPECT_EQ(list.stateImage(0), S_PARTIAL + 1);
  inactivateToggleRow(m_treeP.get(), &list, 0);
  EXPECT_EQ(list.stateImage(0), S_PARTIAL + 1);
  EXPECT_EQ(m_ctrlP->getImage(sales), S_PARTIAL);
}

TEST_F(InactivateBrowse, InactivateSendsTheCheckedBackupsAndRebuildsTheTree) {
  stock();
  expand({kServers});
  expand({kServers, "SRV1"});
  click({kServers, "SRV1", "Sales", "log"}, DTreeHit::Picture);
  click({kServers, "SRV1", "Stock"}, DTreeHit::Picture);
  click({kServers, "SRV1", "Stock", "full"}, DTreeHit::Label);
  EXPECT_EQ(m_controllerP->cgProcessInactivateList(m_treeP.get()), 0);
  EXPECT_EQ(m_runner.commands, (std::vector<uint32_t>{ERI_CMD_INACTIVATE_FULL}));
  EXPECT_EQ(m_runner.sent.size(), 2u);
  EXPECT_EQ(active("SRV1"), (std::vector<std::string>{"\\difffull", "\\full", "\\fullcopy"}));
  EXPECT_EQ(active("SRV2").size(), 2u);
  EXPECT_TRUE(m_boxes.empty()) << m_boxes[0];
  // Rebuilt down to the server, which is found but neither expanded nor selected.
  HTREEITEM srv1 = find({kServers, "SRV1"});
  ASSERT_NE(srv1, nullptr);
  EXPECT_EQ(m_ctrlP->getChild(srv1), nullptr);
  EXPECT_NE(m_ctrlP->getSelection(), srv1);
  EXPECT_EQ(m_pageP->list.itemCount(), 0);
  // Listed again, the server shows what is still active.
  expand({kServers, "SRV1"});
  EXPECT_EQ(children(find({kServers, "SRV1"})), (std::vector<std::string>{"Sales:1+"}));
  EXPECT_EQ(children(find({kServers, "SRV1", "Sales"})),
            (std::vector<std::string>{"full:1", "difffull:1"}));
}

// What a press of Inactivate sends when servers are checked that were never expanded.
struct CheckCase {
  const char* name;
  std::vector<std::string> expanded;  // servers expanded before the checks
  std::vector<std::vector<std::string>> checked;
  size_t sent;  // 0: nothing sent, message 5722
  size_t activeSrv1, activeSrv2;
};

class InactivateChecked : public InactivateBrowse, public testing::WithParamInterface<CheckCase> {};

TEST_P(InactivateChecked, ACheckedServerNotExpandedGivesAllItsBackups) {
  const CheckCase& c = GetParam();
  stock();
  expand({kServers});
  for (const std::string& server : c.expanded) expand({kServers, server});
  for (const std::vector<std::string>& path : c.checked) {
    std::vector<std::string> full = {kServers};
    full.insert(full.end(), path.begin(), path.end());
    click(full, DTreeHit::Picture);
  }
  m_controllerP->cgProcessInactivateList(m_treeP.get());
  if (c.sent == 0) {
    EXPECT_TRUE(m_runner.commands.empty());
    EXPECT_EQ(m_boxes, std::vector<std::string>{text(5722)});
  } else {
    EXPECT_EQ(m_runner.commands.size(), 1u);
    EXPECT_EQ(m_runner.sent.size(), c.sent);
    EXPECT_TRUE(m_boxes.empty()) << m_boxes[0];
  }
  EXPECT_EQ(active("SRV1").size(), c.activeSrv1);
  EXPECT_EQ(active("SRV2").size(), c.activeSrv2);
}

// SRV1 holds five backups, four of types the tree shows; SRV2 two.
INSTANTIATE_TEST_SUITE_P(
    Cases, InactivateChecked,
    testing::Values(
        CheckCase{"FirstCheckedNoneExpanded", {}, {{"SRV1"}}, 4, 1, 2},
        CheckCase{"OnlySecondExpandedAndChecked", {"SRV2"}, {{"SRV2"}}, 2, 5, 0},
        CheckCase{"FirstExpandedSecondChecked", {"SRV1"}, {{"SRV1", "Stock"}, {"SRV2"}}, 3, 4, 0},
        CheckCase{"NothingChecked", {"SRV1"}, {}, 0, 5, 2}),
    [](const testing::TestParamInfo<CheckCase>& info) { return std::string(info.param.name); });

}  // namespace
