// The controller of the inactivate window: it fills the window's tree from the storage server
// (the SQL servers that have backups there, then one server's databases with their active
// backups), fills the page's list for the selected tree item, and sends the checked backups to
// the engine's inactivation as one command (INFORM_DO_COMMAND with command 50 and a
// CInactivateBackupsParms whose backup list holds them), after which it rebuilds the tree.
// Queries run on the user-interface thread under the wait cursor, without a progress dialog;
// the inactivation runs on the command worker beside the progress dialog (dcmdworker.h).
//
// The window: its tree view is a DInactivateTreeView (dinacttree.h) and its page a
// DInactivatePageView (below); the application controller's wiring (dappctl.h) gives them to
// the controller, which owns neither. The tree view owns the query results.
//
// Codes: the server list returns the query's code and shows nothing (the tree view reports it);
// the backup list shows message 5719 for 114 (no active backup) itself. User-interface thread
// only.
#pragma once

#include <cstdint>

#include "dappctl.h"
#include "dlistctrl.h"
#include "dtreeview.h"
#include "eriqryparms.h"

class DInactivateTreeView;

// Node kinds of the inactivate tree: the kind word of each item's record.
enum DInactivateNodeKind : int32_t {
  INODE_TOP = 0,       // the first root item
  INODE_SERVERS = 1,   // the storage server's SQL servers
  INODE_SERVER = 2,    // one SQL server with backups
  INODE_DATABASE = 3,  // one database of it
  INODE_FULL = 6,      // its active backups, by type
  INODE_DIFF = 7,
  INODE_LOG = 8,
  INODE_GROUP = 9,
  INODE_FILE = 10,
  INODE_SET = 11,
};

inline bool isInactivateBackupNode(int32_t kind) {
  return kind >= INODE_FULL && kind <= INODE_SET;
}

// What the controller uses of the inactivate page: its list, the tree item whose list it shows,
// and its list operations.
class DInactivatePageView {
 public:
  virtual ~DInactivatePageView() = default;
  virtual DListCtrl* listCtrl() = 0;
  virtual HTREEITEM listNode() const = 0;
  virtual void setListNode(HTREEITEM item) = 0;
  // Fills the list for the node by its kind (inactivateUpdateList).
  virtual void ciUpdateList(DTreeNodeData* nodeP) = 0;
  // Refreshes the rows' state pictures from their tree items (cgUpdateListState).
  virtual void ciUpdateListState() = 0;
};

class DInactivateController : public DWindowController {
 public:
  using DWindowController::DWindowController;

  // Id 0 is answered at once with 0; any other goes to the parent (0, traced, without one).
  DInformReply cgListenToInforms(DInformMsg msg) override;

  void setFrame(DChildFrameView* p) { m_parts.frameP = p; }
  void setTreeView(DControlledView* p) { m_parts.treeViewP = p; }
  void setTabView(DControlledView* p) { m_parts.tabViewP = p; }
  void setPage(DControlledView* p) { m_parts.pageP = p; }
  const DWindowParts& parts() const { return m_parts; }
  DInactivateTreeView* getTreeView() const;
  DControlledView* getTabView() const { return m_parts.tabViewP; }
  DInactivatePageView* getPage() const;

  // --- Queries and tree.
  // The SQL servers under the servers item: 0, or the query's code (113: no server has backups)
  // or extractServerName's. Once installed, 0 without asking again.
  int cgGetAndInstallSqlServerList(HTREEITEM item, DInactivateTreeView* treeP);
  // The server item's databases and their active backups of the six types, each item with the
  // server's picture: 0, or the query's code (114: message 5719, and the item loses its expand
  // button). Leaves the options record's compatibility information on.
  int cgGetAndInstallSqlBackupList(HTREEITEM item, DInactivateTreeView* treeP);

  // --- Inactivation.
  // The Inactivate button: the checked backups go to the inactivation; a checked server that
  // was never expanded is listed first and gives all its backups. Nothing checked: message
  // 5722 and nothing is sent. The result of the send, or the code that stopped it.
  int cgProcessInactivateList(DInactivateTreeView* treeP);
  // Copies every backup whose item is checked into *selectedP and marks it selected in the
  // tree view; the others are unmarked. 0, or 1500 (message 5722) when none is checked.
  int markHublorDbListSelected(MoxtarMetaList& backups, MoxtarMetaList* selectedP,
                               DInactivateTreeView* treeP, uint32_t* countP);
  // Sends the record with the selected backups as command 50 and rebuilds the tree afterwards;
  // the send's result.
  int setupForEri(DInactivateTreeView* treeP, MoxtarMetaList* selectedP,
                  CInactivateBackupsParms* parmsP);
  void clearSelectedMarks(MoxtarMetaList& selected, DInactivateTreeView* treeP);

  // --- Refresh.
  // Empties the tree and the page's list, builds the first items again and walks down the path
  // of the item that was selected; the walk stops at a server item without expanding it, so no
  // backup query runs. `hint` is not read. The list update's result, 0.
  int cgRefreshView(DTreeView* treeP, int hint);
  // Deletes the tree's items, their records and every query result. 0.
  int cgTVDelete();

  // --- List view.
  int cgLVUpdate(HTREEITEM item);
  void cgLVDelete(DListCtrl* listP);
  void cgSetServerHeader(DListCtrl* listP);
  void cgSetDbHeader(DListCtrl* listP);
  // 7 columns; 14 with `extended`; 18 with `extended` and `sql7`.
  void cgSetBuHeader(DListCtrl* listP, bool extended, bool sql7);
  void cgUpdateServerList(DTreeNodeData* nodeP, DInactivateTreeView* treeP, DListCtrl* listP);
  void cgUpdateDbList(DTreeNodeData* nodeP, DInactivateTreeView* treeP, DListCtrl* listP);
  void cgUpdateSqlBackupList(DTreeNodeData* nodeP, DInactivateTreeView* treeP, DListCtrl* listP);
  void cgUpdateSqlBackup(DTreeNodeData* nodeP, DInactivateTreeView* treeP, DListCtrl* listP);
  // One backup's row at the end of the list; none for a backup without an item.
  void addBackupRow(MoxtarMetaInfo* entryP, DInactivateTreeView* treeP, DListCtrl* listP,
                    bool extended);
  int cgUpdateListState(DListCtrl* listP, DInactivateTreeView* treeP);

 private:
  DWindowParts m_parts;
};

// Fills the page's list for the node by its kind: the servers (1), one server's databases (2),
// one database's backups (3), one backup's details (6 to 11). Nodes not installed show nothing.
void inactivateUpdateList(DInactivateController* controllerP, DInactivateTreeView* treeP,
                          DListCtrl* listP, DTreeNodeData* nodeP);
// A click on a row's check picture: a checked row becomes clear and a clear one checked (others
// stay); the row's tree item takes the picture, its subtree and its ancestors follow.
void inactivateToggleRow(DInactivateTreeView* treeP, DListCtrl* listP, int row);
