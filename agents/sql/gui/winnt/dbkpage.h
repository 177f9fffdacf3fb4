// The forms of the two backup windows: DBackupPage (template 107, whole databases: full,
// differential or log backup with its estimates and the truncate choice) and DBackupGFPage
// (template 129, file groups and files: group, file or set backup). Each lists what its
// window's tree shows for the selected item, with a check picture per row that follows the
// tree, holds the number of stripes, and starts the backup of what is checked with its Backup
// button. The backup controller (dbkctl.h) fills the list. The pages swallow Enter and Escape.
//
// User-interface thread only; the page lives as long as its tab view.
#pragma once

#include <memory>

#include "dbkctl.h"
#include "dfcidlg.h"
#include "dwxlist.h"
#include "stripecap.h"

class DBackupTreeBase;

// The controls of a backup page.
struct DBackupPageIds {
  int templateId;
  int list;
  int backupButton;
  int groupBoxes[2];
  int radios[3];
  int stripes;
  int stripesSpin;
};

class DBackupPageBase : public DFciDialog, public DBackupPageView {
 public:
  DBackupPageBase(const DBackupPageIds& ids, int which, wxWindow* parentP);
  ~DBackupPageBase() override;

  // DBackupPageView.
  DListCtrl* listCtrl() override { return m_listP.get(); }
  HTREEITEM listNode() const override { return m_listNode; }
  void setListNode(HTREEITEM item) override { m_listNode = item; }
  int getBackupType() override { return m_backupType; }
  void ciUpdateList(DTreeNodeData* nodeP) override;
  void ciUpdateListState() override;

  // Places the controls after a size change: Backup at the bottom, the list above it, both and
  // the group boxes 7 pixels inside the page.
  void layoutControls();
  DBackupController* backupController() const;
  DBackupTreeBase* getTreeView() const;
  int stripes() const { return m_stripes; }

 protected:
  void onInitDialog() override;
  void doDataExchange(zkui::DataExchange& dx) override;
  bool onCommand(int id) override;
  bool onNotify(const zkui::Notification& n) override;
  void onSize(int width, int height) override;
  void onOK() override {}
  void onCancel() override {}

  // A radio button of the backup type was chosen (its index).
  virtual void onBackupType(int index) = 0;
  // A click on a row's check picture.
  virtual void onRowClicked(int row) = 0;
  // Copies the values into the options record; the controller's backup type.
  virtual int takeValues() = 0;
  void OnButtonBackup();
  void setSpinRange(int spinId, int editId, int min, int max);

  DBackupPageIds m_ids;
  int m_which;
  int m_backupType = 0;
  int m_stripes = 1;
  int m_backupKind = 0;
  int m_maxStripes = kMaxStripesSql7;
  std::unique_ptr<DWxListCtrl> m_listP;
  HTREEITEM m_listNode = nullptr;
};

class DBackupPage : public DBackupPageBase {
 public:
  explicit DBackupPage(wxWindow* parentP);
  void enableDiffEstimate(bool enable) override;
  void enableLogEstimate(bool enable) override;

 protected:
  void onInitDialog() override;
  void doDataExchange(zkui::DataExchange& dx) override;
  void onBackupType(int index) override;
  void onRowClicked(int row) override;
  int takeValues() override;

 private:
  int m_diffEstimate = 20;
  int m_logEstimate = 0;
  int m_truncate = 1;
};

class DBackupGFPage : public DBackupPageBase {
 public:
  explicit DBackupGFPage(wxWindow* parentP);

 protected:
  void onBackupType(int index) override { m_backupType = index; }
  void onRowClicked(int row) override;
  int takeValues() override;
};
