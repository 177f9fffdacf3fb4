// The relocate dialog (template 147) of the restore windows' per-database settings: the files
// of one database, each row with its physical file name (the row's label, edited in place) and
// its logical name, so that the user can give files new physical names for the restore.
//
// The caller sets m_listP (the tree's relocate entries) and m_firstP (the database's first
// entry) and runs the dialog (doModal). It shows the run of entries that follows m_firstP while
// they belong to the same database, edits the labels and, on OK, writes every label whose entry
// the user changed back into the entry's physical name. Editing: the first row's label is open
// for editing when the dialog shows; a click on a row, or Left or Right on the list, opens the
// selected row's; Up and Down end the edit and open the row above or below (the same row at
// either end); Enter ends the edit where it is, Escape drops it; neither closes the dialog while
// a label is open. An edit ended with an empty text, or a text of more than 260 characters,
// keeps the name (the latter with the toolkit's message). User-interface thread only.
#pragma once

#include <vector>

#include "dfcidlg.h"
#include "drestree.h"

class wxKeyEvent;
class wxListCtrl;
class wxListEvent;

constexpr int DRELOCATE_TEMPLATE_ID = 147;
constexpr int DRELOCATE_MAX_CHARS = 260;

enum DRelocateControl : int {
  IDC_RELOCATE_LIST = 1198,
  IDC_RELOCATE_HELP = 1202,
};

// The column headers, strings of the resource bundle.
enum DRelocateString : int {
  IDS_RELOCATE_PHYSICAL = 14701,
  IDS_RELOCATE_LOGICAL = 14702,
};

class DRelocate : public DFciDialog {
 public:
  explicit DRelocate(wxWindow* parentP) : DFciDialog(DRELOCATE_TEMPLATE_ID, parentP) {}

  CLinkedList<DRelocateEntry>* m_listP = nullptr;
  DRelocateEntry* m_firstP = nullptr;

  // The row whose label is open for editing, -1 for none.
  long editingRow() const { return m_editRow; }

 protected:
  void onInitDialog() override;
  bool onCommand(int id) override;
  void onOK() override;
  bool onNotify(const zkui::Notification& n) override;

 private:
  wxListCtrl* list() const;
  void setLVHeader();
  void editRow(long row);
  void endEdit(bool cancel);
  void onEndLabelEdit(wxListEvent& event);
  void onListKey(wxListEvent& event);
  void onEditKey(wxKeyEvent& event);

  std::vector<DRelocateEntry*> m_rows;  // the entry of each row
  long m_editRow = -1;
  int m_lastKey = -1;  // the arrow key that ended the last edit, -1 for none
};
