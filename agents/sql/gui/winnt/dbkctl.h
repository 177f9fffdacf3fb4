// The controller of the two backup windows: it asks the SQL Server, through the request layer,
// for the servers, the databases of a server and the file groups and files of a database; keeps
// the answers in the window's tree view (dbktree.h), installs them as tree items, fills the
// pages' lists, turns a click on a row's check picture into a change of the tree's check
// pictures, rebuilds a window on refresh and turns the check marks into one backup command.
//
// The windows: a backup window's tree view is a DBackupTreeBase and its page a DBackupPageView
// (below); the application controller's wiring (dappctl.h) gives both to the controller.
// Neither is owned.
//
// Failures: a failed server or database list shows the message of its code in a box; a failed
// read of a database's groups and files shows message 5422 with the server's text when a list
// needs it, and nothing when the tree or a backup needs it (the database then has no groups).
// Every query runs on the user-interface thread under the SQL access lock (dsqlaccess.h).
#pragma once

#include <cstdint>
#include <string>

#include "dappctl.h"
#include "dlistctrl.h"
#include "dtreeview.h"

class DBackupTreeBase;
class DBackupTreeView;
struct SqlDatabaseElement;
struct SqlFileElement;

// Node kinds of the backup trees: the kind word of each item's record.
enum DBackupNodeKind : int32_t {
  BNODE_TOP = 0,       // the first root item
  BNODE_SERVERS = 1,   // the root of the SQL servers
  BNODE_SERVER = 2,    // one SQL server
  BNODE_DATABASE = 3,  // one database
  BNODE_GROUP = 4,     // a file group (groups/files window)
  BNODE_FILE = 5,      // a file (groups/files window)
};

// The backup types of the pages, as the controller takes them.
enum DBackupType : int {
  BACKUP_FULL = 0,
  BACKUP_DIFF = 1,
  BACKUP_LOG = 2,
  BACKUP_GROUP = 3,
  BACKUP_FILE = 4,
  BACKUP_SET = 5,
};

// The page types of the groups/files page (its radio buttons).
enum DBackupGFType : int { GF_GROUP = 0, GF_FILE = 1, GF_SET = 2 };

// What the controller uses of a backup page.
class DBackupPageView {
 public:
  virtual ~DBackupPageView() = default;
  virtual DListCtrl* listCtrl() = 0;
  // The tree item whose list the page shows; null for none.
  virtual HTREEITEM listNode() const = 0;
  virtual void setListNode(HTREEITEM item) = 0;
  // Databases page: 0 full, 1 differential, 2 log; groups/files page: 0 group, 1 file, 2 set.
  virtual int getBackupType() = 0;
  // Fills the list for the node (the controller's cgUpdateList).
  virtual void ciUpdateList(DTreeNodeData* nodeP) = 0;
  // Refreshes the rows' state pictures (cgUpdateListState) once the list was filled.
  virtual void ciUpdateListState() = 0;
  // Databases page: the estimate controls of a differential (1020, 1021) and of a log backup
  // (1195, 1197).
  virtual void enableDiffEstimate(bool) {}
  virtual void enableLogEstimate(bool) {}
};

class DBackupController : public DTwoWindowController {
 public:
  using DTwoWindowController::DTwoWindowController;

  // The two windows' parts as the wiring gave them; null when not wired.
  DBackupTreeBase* backupTree(int which) const;
  DBackupPageView* backupPage(int which) const;
  DBackupTreeView* getDbTreeView() const;
  DBackupTreeBase* getGFTreeView() const;
  // The window (0 databases, 1 groups/files) of a tree view; -1 for none of the controller's.
  int whichTree(const DTreeView* viewP) const;

  // --- Queries and tree (expanding an item of kind 1, 2 or 3).
  void cgGetAndInstallSqlServerList(HTREEITEM root, DBackupTreeBase* viewP);
  // expandFlag: the database items show an expand button (groups/files window).
  void cgGetAndInstallSqlDbList(HTREEITEM server, DBackupTreeBase* viewP, int expandFlag);
  void cgGetAndInstallSqlFileinfo(HTREEITEM database, DBackupTreeBase* viewP);

  // --- List views.
  void cgLVUpdate(HTREEITEM item);
  void cgGFLVUpdate(HTREEITEM item);
  void cgLVDelete(DListCtrl* listP);
  void cgSetServerHeader(DListCtrl* listP);
  void cgSetDbHeader(DListCtrl* listP);
  void cgSetGroupHeader(DListCtrl* listP);
  void cgSetFileHeader(DListCtrl* listP);
  // A page's list for the node, by its kind (the pages' ciUpdateList).
  void cgUpdateList(int which, DTreeNodeData* nodeP);
  void cgUpdateServerList(DTreeNodeData* nodeP, DBackupTreeBase* viewP, DListCtrl* listP);
  void cgUpdateDbList(DTreeNodeData* nodeP, DBackupTreeBase* viewP, DListCtrl* listP);
  void cgUpdateGroupList(DTreeNodeData* nodeP, DBackupTreeBase* viewP, DListCtrl* listP);
  void cgUpdateFileList(DTreeNodeData* nodeP, DBackupTreeBase* viewP, DListCtrl* listP);
  // One database row, reading the database's groups and files first when needed; on a failed
  // read *errorP is set and the server's text appended to *messageP.
  void cgUpdateDb(DBackupTreeBase* viewP, DListCtrl* listP, int state, int row,
                  SqlDatabaseElement* dbP, std::string* messageP, int* errorP);
  void cgUpdateFile(DBackupTreeBase* viewP, DListCtrl* listP, int state, int row,
                    SqlFileElement* fileP);
  // A click on a row's check picture: 2 (clear) and 4 (partial) become checked, 3 (checked)
  // clear; the tree item follows with its subtree and ancestors. The group form takes the
  // row's siblings and parent along, so that a group is always chosen whole.
  void cgToggleItemState(int row, DListCtrl* listP, DBackupTreeBase* viewP);
  void cgToggleGroupState(int row, DListCtrl* listP, DBackupTreeBase* viewP);
  void cgUpdateListState(DListCtrl* listP, DBackupTreeBase* viewP);

  // --- Refresh: empties the window's tree and list, makes a new SQL access object, builds the
  // first items again and walks down to the item that was selected; the other backup window
  // goes back to its first level. kind 0 databases, 1 groups/files.
  void cgRefreshView(DTreeView* viewP, int kind);
  void cgTVDelete();
  void cgGFTVDelete();

  // --- The backup (dbkrun.cpp): the checked items of the window of the tree view become one
  // backup command of the type (DBackupType); afterwards every mark is cleared.
  void cgProcessBackupDbList(DTreeView* viewP, int backupType);
  // Sets every database's selection flag from its item (groups/files window: reads the groups
  // and files of checked databases first) and adds the chosen ones to *countP.
  void markSqlDBListSelected(DBackupTreeBase* viewP, int groupsFiles, uint32_t* countP);
  // Marks the chosen groups and files for types 3 to 5 and adds them to *countP.
  void markGFSqlListsSelected(DBackupTreeBase* viewP, int backupType, uint32_t* countP);

 private:
  void lvUpdate(int which, HTREEITEM item);
  int readDbInfo(DBackupTreeBase* viewP, SqlDatabaseElement* dbP, std::string* errorTextP);
  void updateDbNode(DTreeNodeData* nodeP);
  void treeDelete(int which);
  void resetWindow(int which);
  void clearMarks(DBackupTreeBase* viewP, bool pictures);
};

// The command number of a backup type (3 full, 1 differential, 5 log, 4 group, 2 file, 6 set);
// 0 for any other.
uint32_t backupCommandOfType(int backupType);

// The text of a message of the repository, with one text insert.
std::string backupText(int msgNum, const char* insertP = "");
