// The check-box tree of the inactivate window: the storage server's SQL servers, their
// databases and their active backups. It fills itself through the inactivate controller
// (dinactctl.h) the first time a branch is expanded, and keeps the query results whose items it
// shows in lists of its own. A click on an item's check picture toggles it (partly checked
// becomes checked); its subtree and its ancestors follow; a click on the picture or the label
// shows the item in the page's list.
//
// Result lists (the view owns them; the controller fills and empties them): the servers'
// filespaces, one summary per database, the backups, and the backups' database records with
// their groups and files. The engine's records carry no word for the tree: the view keeps the
// marks of each record (its item, and for a backup's database record whether it is selected
// for the inactivation) beside them.
//
// The expansion answers: a failed server list shows message 5810 (113, no server has backups;
// the expand button goes), 161 (418) or the code's message; a failed backup list the message of
// 418 (114 is told by the controller). User-interface thread only.
#pragma once

#include <cstdint>
#include <unordered_map>

#include "dappctl.h"
#include "dtreeview.h"
#include "eriqryparms.h"
#include "moxtarutil.h"

class DInactivateController;

struct DInactivateMarks {
  HTREEITEM item = nullptr;  // the record's item; null when it has none
  bool selected = false;     // a backup's database record: chosen for the inactivation
};

class DInactivateTreeView : public DTreeView, public DControlledView {
 public:
  // Adds the start entries: message 5751 (picture 7, kind 0), then 5753 (picture 9, kind 1).
  DInactivateTreeView();
  ~DInactivateTreeView() override;

  DController* setController(DController* controllerP) override;
  DController* getController() const { return DTreeView::getController(); }
  DInactivateController* inactivateController() const;
  int getContextHelpId() override { return 14; }

  // The first update of the window: the first items, the first one expanded, check pictures
  // for the items added later.
  void OnInitialUpdate();
  // Expands the item as the user's expansion does, filling it first when it is not filled.
  void expandItem(HTREEITEM item);

  DInactivateMarks& marks(const void* recordP) { return m_marks[recordP]; }
  HTREEITEM itemOf(const void* recordP) const;
  bool isSelected(const void* recordP) const;
  // Empties every result list and the marks (the tree's items are the caller's).
  void freeResults();

  MoxtarFilespaceList m_serverList;
  CLinkedList<DbSummaryElement> m_dbList;
  MoxtarMetaList m_backupList;
  CLinkedList<SqlMetaGroupInfo> m_groupList;
  CLinkedList<SqlMetaFileInfo> m_fileList;
  CLinkedList<SqlHublorDbElement> m_dbInfoList;

 protected:
  bool OnItemexpanding(HTREEITEM item, bool expand) override;
  void OnLButtonDown(HTREEITEM item, DTreeHit hit) override;

 private:
  void updateList(HTREEITEM item);

  std::unordered_map<const void*, DInactivateMarks> m_marks;
};

// The tree view of the inactivate window as its parts give it; null for another view.
DInactivateTreeView* asInactivateTree(DControlledView* viewP);
