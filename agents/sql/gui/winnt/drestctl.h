// The controller of the two restore windows: it fills their trees from the storage server (the
// SQL servers that have backups there, the databases and backups of one server, the file
// groups and files of one backup), fills the restore pages' lists from the tree, and rebuilds a
// tree when its results may be stale. Each fill is one synchronous query on the user-interface
// thread, made when an item is expanded for the first time; a refresh throws every result of a
// tree away.
//
// The windows: a restore window's tree view is a DRestoreTreeBase (drestree.h) and its page a
// DRestorePageView (below); the wiring of the application controller (dappctl.h) gives the
// controller both as the window's parts. Neither is owned.
//
// Codes: the fills return the request's code unchanged and show nothing themselves (the tree
// views report them), except a file-information load that fails with 402.
// User-interface thread only.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "dappctl.h"
#include "dlistctrl.h"
#include "dtreeview.h"

class DRestoreTreeBase;
struct DRelocateEntry;
struct MoxtarMetaInfo;
struct SqlMetaGroupInfo;
struct SqlMetaFileInfo;

// What the restore controller uses of a restore page: its list, the tree item whose list it
// shows, its check boxes as they stand, and its list operations.
class DRestorePageView {
 public:
  virtual ~DRestorePageView() = default;
  virtual DListCtrl* listCtrl() = 0;
  // The tree item whose list the page shows; null for none.
  virtual HTREEITEM listNode() const = 0;
  virtual void setListNode(HTREEITEM item) = 0;
  // Show inactive backups (1040, 1117), partial restore (1085; 0 on the groups/files page) and
  // the queries' mount wait (1203, 1204), as the controls stand.
  virtual int showInactive() = 0;
  virtual int partial() = 0;
  virtual int queryMountWait() = 0;
  // Enables the partial-restore check box; disabling also clears it (database page only).
  virtual void enablePartial(bool enable) = 0;
  // Fills the list for the node by its kind through the controller's update operations.
  virtual void ciUpdateList(DTreeNodeData* nodeP) = 0;
  // Refreshes the rows' state pictures through cgUpdateListState.
  virtual void ciUpdateListState() = 0;
  // The tree item of the list row last right-clicked (the row the pop-up menu's per-database
  // settings apply to); null for none.
  virtual HTREEITEM selectedItemData() const = 0;
  // Clears the page's point-in-time summary back to message 5729 and disables it.
  virtual void resetPointInTime() = 0;
};

// The dialogs of the per-database settings as the controller asks them: the program's are the
// windows of dinto.h, drelocate.h and dstandby.h (dsqlguiapp.cpp installs them), a test's
// answer without windows.
class DRestoreSettingsDialogs {
 public:
  virtual ~DRestoreSettingsDialogs() = default;
  // The database name to restore into (at most 128 characters) and the undo file (at most 260):
  // preset with *textP, true when the user confirmed, with the text as entered.
  virtual bool askIntoName(std::string* nameP) = 0;
  virtual bool askUndoFile(std::string* fileP) = 0;
  // Shows the relocate entries of firstP's database (the run that follows it in the list) and
  // edits their physical names in place; firstP may be null (nothing to show).
  virtual void editRelocations(CLinkedList<DRelocateEntry>* listP, DRelocateEntry* firstP) = 0;
};

class DRestoreController : public DTwoWindowController {
 public:
  using DTwoWindowController::DTwoWindowController;

  // The two windows' parts, as the wiring gave them (null when not wired or of another kind).
  DRestoreTreeBase* restoreTree(int which) const;
  DRestorePageView* restorePage(int which) const;
  // The window (0 database, 1 groups/files) of a tree view; -1 for none of the controller's.
  int whichTree(const DTreeView* viewP) const;

  // The database whose standby file was chosen last, empty for none (set and cleared by the
  // restore); never null.
  const char* getName() const { return m_szName.c_str(); }
  void setName(const std::string& name) { m_szName = name; }

  // --- Queries and tree.
  // The SQL servers under the servers item: 0 or the query's code (113: no server has backups).
  int cgGetAndInstallSqlServerList(HTREEITEM item, DRestoreTreeBase* viewP);
  // A server's databases and backups in the database tree (full, differential, log) and in the
  // groups/files tree (full, log, group, file, set): 0 or the query's code.
  int cgGetAndInstallSqlBackupList(HTREEITEM item, DRestoreTreeBase* viewP);
  int cgGetAndInstallSqlBackupGFList(HTREEITEM item, DRestoreTreeBase* viewP);
  // A backup's file groups and files: 0, or the query's code. With 402 (the backup's meta-data
  // could not be read) and the page's query mount wait off, message 5823 is shown and the view
  // is refreshed once the current event has been handled (never while its items are in use).
  int cgGetAndInstallSqlFileinfo(HTREEITEM item, DRestoreTreeBase* viewP);
  // Shows (1) or takes away (0) the expand buttons of the full backups of the database tree;
  // taking them away removes their groups and files, so that a later expansion installs them
  // again.
  void cgUpdatePlusButtonForFulls(int partial);
  void cgRemoveChildren(DRestoreTreeBase* viewP, HTREEITEM item);
  void cgRemoveNode(DRestoreTreeBase* viewP, HTREEITEM item);

  // --- List views.
  void cgLVUpdate(HTREEITEM item);
  void cgGFLVUpdate(HTREEITEM item);
  void cgLVDelete(DListCtrl* listP);
  void cgSetServerHeader(DListCtrl* listP);
  void cgSetDbHeader(DListCtrl* listP);
  void cgSetBuHeader(DListCtrl* listP, bool detail, bool sqlServer7);
  void cgSetGroupHeader(DListCtrl* listP);
  void cgSetFileHeader(DListCtrl* listP);
  void cgUpdateServerList(DTreeNodeData* nodeP, DRestoreTreeBase* viewP, DListCtrl* listP);
  void cgUpdateDbList(DTreeNodeData* nodeP, DRestoreTreeBase* viewP, DListCtrl* listP);
  void cgUpdateSqlBackupList(DTreeNodeData* nodeP, DRestoreTreeBase* viewP, DListCtrl* listP);
  void cgUpdateSqlBackup(DTreeNodeData* nodeP, DRestoreTreeBase* viewP, DListCtrl* listP);
  void cgInsertBackupRow(DTreeNodeData* nodeP, DRestoreTreeBase* viewP, int row,
                         MoxtarMetaInfo* entryP, DListCtrl* listP, bool detail, int* skippedP);
  void cgUpdateSqlGroupList(DTreeNodeData* nodeP, DRestoreTreeBase* viewP, DListCtrl* listP);
  void cgUpdateSqlFileList(DTreeNodeData* nodeP, DRestoreTreeBase* viewP, DListCtrl* listP);
  void cgUpdateSqlFile(DTreeNodeData* nodeP, DRestoreTreeBase* viewP, DListCtrl* listP);
  int cgUpdateListState(DListCtrl* listP, DRestoreTreeBase* viewP);

  // --- Restore and per-database settings.
  // The page's Restore button (after the page copied its options into the options record):
  // the checked backups of the tree (a checked server not yet expanded is loaded first), in
  // the order of the tree's backup list, with their per-database settings, as one restore
  // (command 71) through the command worker. Afterwards, whatever the result, every check of
  // the tree is cleared, the restored databases' settings, the point in time of the options
  // record and getName() are emptied, and the database page's point-in-time summary is reset.
  // 0 once sent; 1500 when no backup is checked (message 5721); 421 when the record cannot be
  // built (its message shown); 419 for a view of another controller.
  int cgProcessRestore(DRestoreTreeBase* viewP);
  // The pop-up menu's settings of the backup of the page's remembered row (nothing for a row
  // that shows no backup). Into and standby: 0; an empty name keeps the name given before,
  // an empty undo file takes the standby away. Relocate: the backup's files are fetched from
  // the storage server the first time (the query's code is returned, the dialog shows what
  // was found). An entry that cannot be allocated stops the operation with 421 (shown).
  int cgProcessRestoreInto(DRestoreTreeBase* viewP);
  int cgProcessRelocate(DRestoreTreeBase* viewP);
  int cgProcessStandby(DRestoreTreeBase* viewP);
  // The dialogs those operations show (null: none, the operations do nothing).
  static void setSettingsDialogs(DRestoreSettingsDialogs* dialogsP);
  // Shows a message of the repository in a message box with the restore windows' caption.
  static void restoreMessage(int msgNum, const char* insertP = "");

  // --- Refresh.
  // Empties the tree of the kind (FRAME_RESTORE or FRAME_RESTORE_GF) and its page's list,
  // builds its first level again and walks down to the item that was selected; the other
  // restore window goes back to its first level. 0.
  int cgRefreshView(DTreeView* viewP, int kind);
  int cgTVDelete();
  int cgGFTVDelete();

  // Where the controller runs work after the current event: the windowing layer's queue, or
  // a test's (null: the layer's).
  using DPostRtn = std::function<void(std::function<void()>)>;
  static void setPoster(DPostRtn poster);

 private:
  int installBackups(HTREEITEM item, DRestoreTreeBase* viewP, bool groupsFiles);
  void installFileinfo(HTREEITEM item, DRestoreTreeBase* viewP, MoxtarMetaInfo* entryP);
  void metadataUnreadable(DRestoreTreeBase* viewP);
  void lvUpdate(int which, HTREEITEM item);
  bool groupsNotLoaded(DTreeNodeData* nodeP, DRestoreTreeBase* viewP);
  int treeDelete(int which);
  void resetWindow(int which);
  void post(std::function<void()> work);
  void afterRestore(DRestoreTreeBase* viewP, bool groupsFiles,
                    const std::vector<MoxtarMetaInfo*>& restored);
  int fetchRelocations(DRestoreTreeBase* viewP, HTREEITEM item, const MoxtarMetaInfo& backup);

  std::string m_szName;
};

// Node kinds of the restore trees: the kind word of each item's record.
enum DRestoreNodeKind : int32_t {
  RNODE_TOP = 0,       // the first root item
  RNODE_SERVERS = 1,   // the SQL servers known to the storage server
  RNODE_SERVER = 2,    // one SQL server
  RNODE_DATABASE = 3,  // one database
  RNODE_GROUP = 4,     // a file group inside a backup
  RNODE_FILE = 5,      // a file inside a file group
  RNODE_FULL = 6,
  RNODE_DIFF = 7,
  RNODE_LOG = 8,
  RNODE_GROUP_BACKUP = 9,
  RNODE_FILE_BACKUP = 10,
  RNODE_SET_BACKUP = 11,
  RNODE_NO_ITEM = 13,  // a backup of a type the tree does not show
};

// Fills the page's list for the node by its kind, as both restore pages do: the servers, the
// databases of a server, the backups of a database, the files of a group, one file, and for a
// backup its file groups once they are installed (in the database tree only with partial
// restore on), else its details.
void restoreUpdateList(DRestoreController* controllerP, DRestoreTreeBase* viewP, DListCtrl* listP,
                       DTreeNodeData* nodeP, int partial);

// The text of a message of the repository, with one text insert.
std::string restoreText(int msgNum, const char* insertP = "");

// Whether the kind is a backup's (6 to 11).
inline bool isBackupNode(int32_t kind) {
  return kind >= RNODE_FULL && kind <= RNODE_SET_BACKUP;
}
