// The form of the inactivate window (template 109): a list of what the window's tree shows for
// the selected item (the storage server's SQL servers, one server's databases, one database's
// active backups or one backup's details), with a check picture per row that follows the tree,
// and the Inactivate button, which hands the tree to the inactivate controller (dinactctl.h):
// the checked backups go to the inactivation. The controller fills the list. The page swallows
// Enter and Escape.
//
// User-interface thread only; the page lives as long as its tab view.
#pragma once

#include <memory>

#include "dfcidlg.h"
#include "dinactctl.h"
#include "dwxlist.h"

class DInactivateTreeView;

enum DInactivatePageControl : int {
  DINACTIVATE_PAGE_TEMPLATE_ID = 109,
  IDC_INACTIVATE_LIST = 1001,
  IDC_INACTIVATE_BUTTON = 1123,
};

class DInactivatePage : public DFciDialog, public DInactivatePageView {
 public:
  explicit DInactivatePage(wxWindow* parentP);
  ~DInactivatePage() override;

  // DInactivatePageView.
  DListCtrl* listCtrl() override { return m_listP.get(); }
  HTREEITEM listNode() const override { return m_listNode; }
  void setListNode(HTREEITEM item) override { m_listNode = item; }
  void ciUpdateList(DTreeNodeData* nodeP) override;
  void ciUpdateListState() override;

  // A click on a row's check picture: clear and checked swap, the tree follows.
  void ciToggleItemState(int row);
  // Places the controls after a size change: Inactivate 7 pixels above the page's bottom, the
  // list 7 pixels above the button and 7 pixels inside the page's right edge.
  void layoutControls();
  DInactivateController* inactivateController() const;
  DInactivateTreeView* getTreeView() const;

 protected:
  void onInitDialog() override;
  bool onCommand(int id) override;
  bool onNotify(const zkui::Notification& n) override;
  void onSize(int width, int height) override;
  void onOK() override {}
  void onCancel() override {}

 private:
  void OnButtonInactivate();

  std::unique_ptr<DWxListCtrl> m_listP;
  HTREEITEM m_listNode = nullptr;
};
