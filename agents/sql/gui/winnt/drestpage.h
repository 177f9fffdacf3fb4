// The forms of the two restore windows: DRestorePage (template 108, whole databases) and
// DRestoreGFPage (template 130, file groups and files). Each lists what its window's tree shows
// for the selected item, with a check picture per row that follows the tree, and holds the
// options of the next restore. The restore controller (drestctl.h) fills the list; the page
// rebuilds the tree when show-inactive changes, and on the database page partial restore shows
// or takes away the full backups' groups. The pages swallow Enter and Escape.
//
// Options: show inactive, replace, database owner only, partial (database page), mount wait,
// the queries' mount wait, recovery and stripes (1 to 64, at most two digits, whatever range
// the spin was given). They live in the page until Restore copies them into the options record
// and hands the tree to the controller's restore; only the two mount-wait boxes write through
// at once. The database page's point-in-time button runs DSqlPitDlg (dsqlpit.h), which writes
// the stop fields itself, and shows a summary of the choice (messages 5724 to 5729).
//
// The pop-up menu of a checked backup row (menu 146) opens the controller's restore-into,
// relocate and standby settings for that row's database; standby files are offered for one
// database at a time (the controller's getName).
//
// User-interface thread only; the page lives as long as its tab view.
#pragma once

#include <memory>
#include <string>

#include "dfcidlg.h"
#include "drestctl.h"
#include "dwxlist.h"

class DRestoreTreeBase;
class wxMenu;

// The controls of the database page (template 108) and of the groups/files page (template 130).
enum DRestorePageControl : int {
  IDC_RESTORE_LIST = 1113,
  IDC_RESTORE_GROUP = 1035,
  IDC_RESTORE_RESTORE = 1025,
  IDC_RESTORE_SHOW_INACTIVE = 1040,
  IDC_RESTORE_PARTIAL = 1085,
  IDC_RESTORE_MOUNT_WAIT = 1205,
  IDC_RESTORE_QUERY_MOUNT_WAIT = 1203,
  IDC_RESTORE_PIT_SUMMARY = 1044,
  IDC_RESTORE_STRIPES_SPIN = 1219,
  IDC_RESTORE_STRIPES = 1217,
  IDC_RESTORE_REPLACE = 1037,
  IDC_RESTORE_DBO_ONLY = 1112,
  IDC_RESTORE_RECOVERY = 1245,
  IDC_RESTORE_POINT_IN_TIME = 1027,
  IDC_RESTOREGF_LIST = 1121,
  IDC_RESTOREGF_GROUP = 1118,
  IDC_RESTOREGF_RESTORE = 1114,
  IDC_RESTOREGF_SHOW_INACTIVE = 1117,
  IDC_RESTOREGF_MOUNT_WAIT = 1206,
  IDC_RESTOREGF_QUERY_MOUNT_WAIT = 1204,
  IDC_RESTOREGF_STRIPES_SPIN = 1213,
  IDC_RESTOREGF_STRIPES = 1212,
  IDC_RESTOREGF_REPLACE = 1119,
  IDC_RESTOREGF_DBO_ONLY = 1120,
  IDC_RESTOREGF_RECOVERY = 1246,
};

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
  int stripes;
  int replace;
  int dboOnly;
  int recovery;
  int pointInTime;  // 0: none
};

// The pop-up menu's commands.
enum DRestoreMenuCommand : int {
  ID_RESTORE_INTO = 40070,
  ID_RESTORE_RELOCATE = 40071,
  ID_RESTORE_STANDBY = 40072,
};
constexpr int DRESTORE_MENU_ID = 146;

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
  HTREEITEM selectedItemData() const override { return m_selectedItemData; }
  void resetPointInTime() override;

  // Flips a row's check picture and sets its tree item's picture, which its subtree and its
  // ancestors follow.
  void ciToggleItemState(int row);
  // Places the controls after a size change: Restore at the bottom, the list above it, both
  // and the group box 7 pixels inside the page, the summary 7 pixels inside the group box.
  void layoutControls();
  DRestoreController* restoreController() const;
  DRestoreTreeBase* getTreeView() const;
  // The row last right-clicked, -1 for none.
  int selectedItem() const { return m_nSelectedItem; }
  // The point-in-time summary as shown (empty on the groups/files page).
  const std::string& pointInTimeSummary() const { return m_szSummary; }

 protected:
  void onInitDialog() override;
  void doDataExchange(zkui::DataExchange& dx) override;
  bool onCommand(int id) override;
  bool onNotify(const zkui::Notification& n) override;
  void onContextMenu(int controlId, const wxPoint& screenPt) override;
  void onSize(int width, int height) override;
  void onOK() override {}
  void onCancel() override {}

 private:
  int checked(int id) const;
  void setChecked(int id, int value);
  void OnCheckActiveInactive();
  void OnCheckPartial();
  void OnCheckMW();
  void OnButtonRestore();
  void OnButtonPointInTime();
  void OnRclickListRestore(long row, const wxPoint& screenPt);
  // A command of the pop-up menu: the controller's setting for the remembered row.
  void OnMenuCommand(int id);
  void setSummary(const std::string& text, bool enable);

  DRestorePageIds m_ids;
  int m_which;
  std::unique_ptr<DWxListCtrl> m_listP;
  HTREEITEM m_listNode = nullptr;
  std::unique_ptr<wxMenu> m_menuP;
  int m_nSelectedItem = -1;
  HTREEITEM m_selectedItemData = nullptr;
  std::string m_szSummary;
  int m_bShowInactive = 0;
  int m_bReplace = 0;
  int m_bDboOnly = 0;
  int m_bPartial = 0;
  int m_bMountWait = 1;
  int m_bQueryMountWait = 0;
  int m_bRecovery = 1;
  int m_nStripes = 1;
};

class DRestorePage : public DRestorePageBase {
 public:
  explicit DRestorePage(wxWindow* parentP);
};

class DRestoreGFPage : public DRestorePageBase {
 public:
  explicit DRestoreGFPage(wxWindow* parentP);
};
