// The restore controller's test fixture without windows: stored backups on the storage
// stand-in, the two restore trees on in-memory controls, the pages' lists in memory, message
// boxes answered by the test and posted work run by the test.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "dguiopts.h"
#include "dmemlist.h"
#include "dmemtree.h"
#include "drestctl.h"
#include "drestree.h"
#include "msgbox.h"
#include "msgout.h"
#include "storedbackup_testutil.h"

// A restore page kept in memory: its list, its list node and its check boxes.
class MemPage : public DControlledView, public DRestorePageView {
 public:
  MemPage(DRestoreController& controller, DRestoreTreeBase& view)
      : m_controller(controller), m_view(view) {}
  DListCtrl* listCtrl() override { return &list; }
  HTREEITEM listNode() const override { return node; }
  void setListNode(HTREEITEM item) override { node = item; }
  int showInactive() override { return inactive; }
  int partial() override { return partialOn; }
  int queryMountWait() override { return mountWait; }
  void enablePartial(bool enable) override {
    partialEnabled = enable;
    if (!enable) partialOn = 0;
  }
  void ciUpdateList(DTreeNodeData* nodeP) override {
    restoreUpdateList(&m_controller, &m_view, &list, nodeP, partialOn);
  }
  void ciUpdateListState() override { m_controller.cgUpdateListState(&list, &m_view); }
  HTREEITEM selectedItemData() const override { return rightClicked; }
  void resetPointInTime() override { ++pointInTimeResets; }

  DMemListCtrl list;
  HTREEITEM node = nullptr;
  int inactive = 0;
  int partialOn = 0;
  bool partialEnabled = true;
  int mountWait = 0;
  HTREEITEM rightClicked = nullptr;
  int pointInTimeResets = 0;

 private:
  DRestoreController& m_controller;
  DRestoreTreeBase& m_view;
};

// One restore window: its tree on an in-memory control and its page.
template <class View>
struct Window {
  explicit Window(DRestoreController& controller) : page(controller, view) {
    auto ctrl = std::make_unique<DMemTreeCtrl>();
    ctrlP = ctrl.get();
    view.attachTreeCtrl(std::move(ctrl));
  }
  View view;
  DMemTreeCtrl* ctrlP;
  MemPage page;
};

inline SqlMetaGroupInfo group(const char* nameP, uint32_t files, bool primary = false,
                              bool log = false) {
  SqlMetaGroupInfo g;
  std::snprintf(g.szGroupName, sizeof g.szGroupName, "%s", nameP);
  g.lGroupNumFiles = files;
  g.bGroupIsPrimary = primary;
  g.bGroupIsLog = log;
  return g;
}

inline SqlMetaFileInfo file(const char* nameP, bool log = false) {
  SqlMetaFileInfo f;
  std::snprintf(f.szFileLogicalName, sizeof f.szFileLogicalName, "%s", nameP);
  std::snprintf(f.szFilePhysicalName, sizeof f.szFilePhysicalName, "/data/%s.mdf", nameP);
  f.bFileIsLog = log;
  return f;
}

class RestoreBrowse : public StoredBackupFixture {
 protected:
  void SetUp() override {
    StoredBackupFixture::SetUp();
    initializeOptions(&guiOptions());
    // The trees take their first items' labels from the repository the fixture has loaded.
    m_dbWindow = std::make_unique<Window<DRestoreTreeView>>(m_controller);
    m_gfWindow = std::make_unique<Window<DRestoreGFTreeView>>(m_controller);
    m_controller.setTreeView(&db().view);
    m_controller.setPage(&db().page);
    m_controller.setGFTreeView(&gf().view);
    m_controller.setGFPage(&gf().page);
    db().view.setController(&m_controller);
    gf().view.setController(&m_controller);
    db().view.OnInitialUpdate();
    gf().view.OnInitialUpdate();
    zkui::setMessageBoxHook([this](const zkui::MessageBoxRequest& r) {
      m_boxes.push_back(r.text);
      m_icons.push_back(r.style & 0xF0);
      return zkui::kIdBoxOk;
    });
    DRestoreController::setPoster([this](std::function<void()> work) { m_posted.push_back(work); });
  }
  void TearDown() override {
    zkui::setMessageBoxHook(nullptr);
    DRestoreController::setPoster(nullptr);
    clearFaults();
    m_gfWindow.reset();
    m_dbWindow.reset();
    StoredBackupFixture::TearDown();
  }

  // Sales on SRV1: full, differential, log, log, a second full and a log, a minute apart,
  // with file groups PRIMARY, the log's and G2 (the second full makes the first inactive);
  // Stock on SRV1 with a group backup only; Staff on SRV2 with a full.
  void stock() {
    const uint32_t kTypes[] = {BACKUP_TYPE_FULL, BACKUP_TYPE_DIFFFULL, BACKUP_TYPE_LOG,
                               BACKUP_TYPE_LOG,  BACKUP_TYPE_FULL,     BACKUP_TYPE_LOG};
    int minute = 0;
    for (uint32_t type : kTypes) {
      StoredBackup b;
      b.type = type;
      b.time.minute = minute++;
      b.backupSize = 1234567;
      b.groups = {group("PRIMARY", 1, true), group("LOG", 1, false, true), group("G2", 1)};
      b.files = {file("sales_data"), file("sales_log", true), file("sales_g2")};
      storeBackup(b);
    }
    StoredBackup stockGroup;
    stockGroup.db = "Stock";
    stockGroup.type = BACKUP_TYPE_GROUP;
    stockGroup.second = "G2";
    storeBackup(stockGroup);
    StoredBackup staff;
    staff.server = "SRV2";
    staff.db = "Staff";
    storeBackup(staff);
  }

  template <class View>
  HTREEITEM find(Window<View>& w, const std::vector<std::string>& path) {
    HTREEITEM item = nullptr;
    for (const std::string& text : path) {
      HTREEITEM child = w.ctrlP->getChild(item);
      while (child != nullptr && w.ctrlP->getText(child) != text)
        child = w.ctrlP->getNextSibling(child);
      if (child == nullptr) return nullptr;
      item = child;
    }
    return item;
  }
  template <class View>
  HTREEITEM expand(Window<View>& w, const std::vector<std::string>& path) {
    HTREEITEM item = find(w, path);
    EXPECT_NE(item, nullptr) << path.back();
    if (item == nullptr) return item;
    if (w.ctrlP->isExpanded(item)) w.ctrlP->userExpand(item);  // collapses first
    w.ctrlP->userExpand(item);
    return item;
  }
  template <class View>
  std::vector<std::string> children(Window<View>& w, HTREEITEM item) {
    std::vector<std::string> texts;
    for (HTREEITEM c = w.ctrlP->getChild(item); c; c = w.ctrlP->getNextSibling(c)) {
      texts.push_back(w.ctrlP->getText(c) + ":" + std::to_string(w.ctrlP->getImage(c)) +
                      (w.ctrlP->hasChildren(c) ? "+" : ""));
    }
    return texts;
  }
  static std::string text(int msgNum) { return restoreText(msgNum); }
  void runPosted() {
    while (!m_posted.empty()) {
      auto work = m_posted.front();
      m_posted.pop_front();
      work();
    }
  }

  DRestoreController m_controller;
  std::unique_ptr<Window<DRestoreTreeView>> m_dbWindow;
  std::unique_ptr<Window<DRestoreGFTreeView>> m_gfWindow;
  Window<DRestoreTreeView>& db() { return *m_dbWindow; }
  Window<DRestoreGFTreeView>& gf() { return *m_gfWindow; }
  std::vector<std::string> m_boxes;
  std::vector<unsigned> m_icons;
  std::deque<std::function<void()>> m_posted;
};

inline const std::string kServers = "SQL Servers";
