// The check-box trees of the two backup windows: DBackupTreeView (servers and databases) and
// DBackupGFTreeView (down to file groups and files). Each fills itself through the backup
// controller (dbkctl.h) the first time a branch is expanded, and keeps the SQL Server's answers
// whose items it shows in four lists of its own: servers, databases, groups and files. The
// engine's records carry no word for the tree: the view keeps each record's item beside it.
//
// A click on an item's check picture: S_CLEAR becomes S_CHECK, S_CHECK S_CLEAR, S_PARTIAL
// S_CHECK; S_NOSELECT and S_DISABLED stay. The subtree and the ancestors follow; in the
// groups/files tree with a group backup chosen, a file takes its siblings and its group along.
// A click on the picture or the label then shows the item's list in the page.
//
// User-interface thread only.
#pragma once

#include <cstdint>
#include <unordered_map>

#include "dappctl.h"
#include "dtreeview.h"
#include "sqltypes.h"

class DBackupController;

class DBackupTreeBase : public DTreeView, public DControlledView {
 public:
  // Adds the start entries: message 5749 (picture 6, kind 0), then 5752 (picture 8, kind 1).
  explicit DBackupTreeBase(int frameKind);
  ~DBackupTreeBase() override;

  DController* setController(DController* controllerP) override;
  DController* getController() const { return DTreeView::getController(); }
  DBackupController* backupController() const;
  // FRAME_BACKUP or FRAME_BACKUP_GF.
  int frameKind() const { return m_frameKind; }
  bool groupsFiles() const { return m_frameKind == FRAME_BACKUP_GF; }
  int getContextHelpId() override { return groupsFiles() ? 11 : 10; }

  // The first update of the window: the first items, check pictures as item pictures.
  void OnInitialUpdate();
  // Expands the item as the user's expansion does, filling it first when it is not filled.
  void expandItem(HTREEITEM item);

  // The item of a record; null for none.
  HTREEITEM itemOf(const void* recordP) const;
  void setItemOf(const void* recordP, HTREEITEM item) { m_items[recordP] = item; }
  // The check picture of a record's item (0 when it has none).
  int imageOf(const void* recordP);
  // Empties every result list and the items kept (the tree's items are the caller's).
  void freeResults();

  CLinkedList<SqlServerElement> m_serverList;
  CLinkedList<SqlDatabaseElement> m_dbList;
  CLinkedList<SqlGroupElement> m_groupList;
  CLinkedList<SqlFileElement> m_fileList;

 protected:
  bool OnItemexpanding(HTREEITEM item, bool expand) override;
  void OnLButtonDown(HTREEITEM item, DTreeHit hit) override;
  // The picture after a click's own, before the item's subtree and ancestors follow; the
  // groups/files tree spreads a group backup's file over its group.
  virtual void spreadClick(HTREEITEM, DTreeNodeData*, int) {}

 private:
  void refreshList(HTREEITEM item);

  int m_frameKind;
  std::unordered_map<const void*, HTREEITEM> m_items;
};

class DBackupTreeView : public DBackupTreeBase {
 public:
  DBackupTreeView() : DBackupTreeBase(FRAME_BACKUP) {}
  // Gives every database the picture of the backup type: S_DISABLED when it cannot be read or
  // has a status, S_NOSELECT for a log backup of a truncate-log-on-checkpoint database, checked
  // ones stay checked, the rest S_CLEAR; then the ancestors and the list follow.
  void ciUpdateImages(int backupType);
};

class DBackupGFTreeView : public DBackupTreeBase {
 public:
  DBackupGFTreeView() : DBackupTreeBase(FRAME_BACKUP_GF) {}

 protected:
  void spreadClick(HTREEITEM item, DTreeNodeData* nodeP, int picture) override;
};

// The tree view of a backup window as its parts give it; null for another view.
DBackupTreeBase* asBackupTree(DControlledView* viewP);
