// The forms of the two restore windows: DRestorePage (template 108, whole databases) and
// DRestoreGFPage (template 130, file groups and files). Each lists what its window's tree shows
// for the selected item, with a check picture per row that follows the tree, and holds the
// options of the next restore. The restore controller (drestctl.h) fills the list; the page
// rebuilds the tree when show-inactive changes, and on the database page partial restore shows
// or takes away the full backups' groups. The pages swallow Enter and Escape.
//
// User-interface thread only; the page lives as long as its tab view.
#pragma once

#include <memory>

#include "dfcidlg.h"
#include "drestctl.h"
#include "dwxlist.h"

class DRestoreTreeBase;

// The controls of a restore page.
struct DRestorePageIds {
  int templateId;
  int list;
  int groupBox;
  int restoreButton;
  int showInactive;
  int partial;  // 0: none
  int mountWait;
  int queryMountWait;
  int summary;  // 0: none
  int stripesSpin;
};

class DRestorePageBase : public DFciDialog, public DRestorePageView {
 public:
  DRestorePageBase(const DRestorePageIds& ids, int which, wxWindow* parentP);
  ~DRestorePageBase() override;

  // DRestorePageView.
  DListCtrl* listCtrl() override { return m_listP.get(); }
  HTREEITEM listNode() const override { return m_listNode; }
  void setListNode(HTREEITEM item) override { m_listNode = item; }
  int showInactive() override { return checked(m_ids.showInactive); }
  int partial() override { return m_ids.partial != 0 ? checked(m_ids.partial) : 0; }
  int queryMountWait() override { return checked(m_ids.queryMountWait); }
  void enablePartial(bool enable) override;
  void ciUpdateList(DTreeNodeData* nodeP) override;
  void ciUpdateListState() override;
  HTREEITEM selectedItemData() const override { return nullptr; }
  void resetPointInTime() override {}

  // Flips a row's check picture and sets its tree item's picture, which its subtree and its
  // ancestors follow.
  void ciToggleItemState(int row);
  // Places the controls after a size change: Restore at the bottom, the list above it, both
  // and the group box 7 pixels inside the page.
  void layoutControls();
  DRestoreController* restoreController() const;
  DRestoreTreeBase* getTreeView() const;

 protected:
  void onInitDialog() override;
  bool onCommand(int id) override;
  bool onNotify(const zkui::Notification& n) override;
  void onSize(int width, int height) override;
  void onOK() override {}
  void onCancel() override {}

 private:
  int checked(int id) const;
  void setChecked(int id, int value);
  void OnCheckActiveInactive();
  void OnCheckPartial();
  void OnCheckMW();

  DRestorePageIds m_ids;
  int m_which;
  std::unique_ptr<DWxListCtrl> m_listP;
  HTREEITEM m_listNode = nullptr;
};

class DRestorePage : public DRestorePageBase {
 public:
  explicit DRestorePage(wxWindow* parentP);
};

class DRestoreGFPage : public DRestorePageBase {
 public:
  explicit DRestoreGFPage(wxWindow* parentP);
};
