// The check-box trees of the two restore windows: DRestoreTreeView (whole databases) and
// DRestoreGFTreeView (file groups and files). Each fills itself lazily through the restore
// controller (drestctl.h), the first time a branch is expanded, and keeps the query results
// whose items it shows in lists of its own. A click on an item's check picture toggles it and
// applies the tree's smart selection, which keeps the checked backups of one database a
// restore chain; after a click and after the expansion of the selected item the controller
// refreshes the restore page's list.
//
// Result lists (the view owns them; the controller fills and empties them): the servers'
// filespaces, one summary per database, the backups, the backups' database records, their file
// groups and their files. The engine's records carry no word for the tree: the view keeps the
// marks of each record (its item; for a database record its loaded groups) beside them.
//
// The expansion answers: a failed server list shows message 5810 (113, no server has backups;
// the expand button goes), 161 (418) or the code's message; a failed backup list the message of
// 418, or 5811 for any other code (the expand button goes). User-interface thread only.
#pragma once

#include <cstdint>
#include <unordered_map>

#include "dappctl.h"
#include "dtreeview.h"
#include "eriqryparms.h"
#include "moxtarutil.h"

class DRestoreController;

// The per-database settings of a restore, chosen from the page's pop-up menu. Each entry
// belongs to one backup's database record (dbInfoP); the entries of one record follow each
// other in their list. The edits that fill them refuse longer texts.
constexpr size_t RESTORE_INTO_NAME_SIZE = 129;  // 128 characters
constexpr size_t RESTORE_PATH_SIZE = 261;       // 260 characters
struct DIntoEntry {
  const SqlHublorDbElement* dbInfoP;
  uint32_t bSet;  // 1 once a name is stored
  char szIntoName[RESTORE_INTO_NAME_SIZE];
};
struct DRelocateEntry {
  const SqlHublorDbElement* dbInfoP;
  uint32_t changed;  // 1 once the user gave the file a new physical name
  char szLogicalName[RESTORE_INTO_NAME_SIZE];
  char szPhysicalName[SQL_PHYSICAL_NAME_SIZE];  // as stored; edited to at most 260
};
struct DStandbyEntry {
  const SqlHublorDbElement* dbInfoP;
  uint32_t bSet;
  char szUndoFile[RESTORE_PATH_SIZE];
};

// Removes the entries of one database record from a settings list.
template <class Entry>
void removeEntriesOf(CLinkedList<Entry>& list, const SqlHublorDbElement* dbInfoP) {
  Entry* entryP = list.getFirst();
  while (entryP != nullptr) {
    entryP = entryP->dbInfoP == dbInfoP ? list.remove(entryP) : list.getNext(entryP);
  }
}

// What the view keeps beside one query record.
struct DRestoreMarks {
  HTREEITEM item = nullptr;                 // the record's item; null when it has none
  SqlMetaGroupInfo* firstGroupP = nullptr;  // a database record: its first loaded group
  uint32_t groupCount = 0;                  // and how many
  // A database record's settings, null for none; relocated once its files were fetched.
  DIntoEntry* intoEntryP = nullptr;
  DRelocateEntry* firstRelocateEntryP = nullptr;
  DStandbyEntry* standbyEntryP = nullptr;
  bool relocated = false;
};

class DRestoreTreeBase : public DTreeView, public DControlledView {
 public:
  // Adds the start entries: message 5750 (picture 7, kind 0), then 5753 (picture 9, kind 1).
  explicit DRestoreTreeBase(int frameKind);
  ~DRestoreTreeBase() override;

  DController* setController(DController* controllerP) override;
  DController* getController() const { return DTreeView::getController(); }
  DRestoreController* restoreController() const;
  // FRAME_RESTORE or FRAME_RESTORE_GF.
  int frameKind() const { return m_frameKind; }
  bool groupsFiles() const { return m_frameKind == FRAME_RESTORE_GF; }
  int getContextHelpId() override { return groupsFiles() ? 13 : 12; }

  // The first update of the window: the application's pictures are its image list (done by the
  // window), the first items, the first one expanded, check pictures as item pictures.
  void OnInitialUpdate();

  // Expands the item as the user's expansion does, filling it first when it is not filled.
  void expandItem(HTREEITEM item);

  // Sets the picture after a click and adjusts the neighbours (smart selection).
  virtual void ciSmartSelect(HTREEITEM item, int picture) = 0;

  // The marks of a record (made on first use); the item of a record, null for none.
  DRestoreMarks& marks(const void* recordP) { return m_marks[recordP]; }
  HTREEITEM itemOf(const void* recordP) const;
  // Empties every result list, the settings and the marks (the tree's items are the
  // caller's): no setting outlives the record it belongs to.
  void freeResults();
  // Removes the settings of one database record (its entries and its marks' pointers).
  void forgetSettings(const SqlHublorDbElement* dbInfoP);

  MoxtarFilespaceList m_serverList;
  CLinkedList<DbSummaryElement> m_dbList;
  MoxtarMetaList m_backupList;
  CLinkedList<SqlHublorDbElement> m_dbInfoList;
  CLinkedList<SqlMetaGroupInfo> m_groupList;
  CLinkedList<SqlMetaFileInfo> m_fileList;
  CLinkedList<DIntoEntry> m_intoList;
  CLinkedList<DRelocateEntry> m_relocateList;
  CLinkedList<DStandbyEntry> m_standbyList;

 protected:
  bool OnItemexpanding(HTREEITEM item, bool expand) override;
  void OnLButtonDown(HTREEITEM item, DTreeHit hit) override;
  // A picture's walk over the siblings in one direction, setting the pictures of the items
  // (not their records) the rule gives; the rule sees each sibling's kind and returns the
  // picture, or 0 to leave it, and may end the walk.
  struct Step {
    int picture = 0;
    bool checkSubtree = false;  // the sibling's subtree gets the picture too
    bool stop = false;
  };
  template <class Rule>
  void walkSiblings(HTREEITEM item, bool forward, Rule rule);
  void setPicture(HTREEITEM item, int picture, bool subtree);
  int32_t kindOf(HTREEITEM item);

 private:
  int listServers(HTREEITEM item);
  int listBackups(HTREEITEM item);
  void refreshList(HTREEITEM item);

  int m_frameKind;
  std::unordered_map<const void*, DRestoreMarks> m_marks;
};

class DRestoreTreeView : public DRestoreTreeBase {
 public:
  DRestoreTreeView() : DRestoreTreeBase(FRAME_RESTORE) {}
  void ciSmartSelect(HTREEITEM item, int picture) override;
  void ciSetAndPropogate(HTREEITEM item, int picture);
};

class DRestoreGFTreeView : public DRestoreTreeBase {
 public:
  DRestoreGFTreeView() : DRestoreTreeBase(FRAME_RESTORE_GF) {}
  void ciSmartSelect(HTREEITEM item, int picture) override;
};

// The tree view of a restore window as its parts give it; null for another view.
DRestoreTreeBase* asRestoreTree(DControlledView* viewP);
