// The application controller's tree helpers: the first items of a tree and the items the
// window controllers add.
#include "agtrc.h"
#include "agttrc.h"
#include "dappctl.h"
#include "dtreeview.h"

namespace {

// The records of the controllers' items refer to query results and entries that the tree views
// own in lists of their own: the record frees nothing.
void keepRelated(void*) {
  TRACE_LINE(TRC_GUI, "Tree item record freed; its element stays with its list\n");
}

}  // namespace

HTREEITEM DApplicationController::cgAddSqlTreeItem(HTREEITEM parent, DTreeView* viewP,
                                                   const std::string& label, int kind,
                                                   int hasChildren, int image) {
  TRACE_ENTRY(TRC_GUI, "DApplicationController::cgAddSqlTreeItem");
  if (viewP == nullptr) return nullptr;
  auto* recordP = new (std::nothrow) DTreeNodeData(keepRelated, keepRelated);
  if (recordP == nullptr) return nullptr;
  recordP->m_hParentItem = parent;
  recordP->m_kind = kind;
  recordP->m_image = image;
  recordP->m_state = 0;
  recordP->m_label = label;
  if (viewP->getTreeItemDataList()->addTail(&recordP) != RC_OK) {
    delete recordP;
    return nullptr;
  }
  // The record stays in the node list even when the control refuses the item.
  return viewP->ciInsertItem(label, recordP, hasChildren, TVI_LAST);
}

int DApplicationController::cgTVInit(DTreeView* viewP) {
  TRACE_ENTRY(TRC_GUI, "DApplicationController::cgTVInit");
  if (viewP == nullptr) TRACE_RETURN(RC_INTERNAL_ERROR);
  CLinkedList<DTreeStartEntry>& entries = viewP->m_treeStart;
  HTREEITEM last = nullptr;
  for (DTreeStartEntry* entryP = entries.getFirst(); entryP != nullptr;
       entryP = entries.getNext(entryP)) {
    entryP->hItem = cgAddSqlTreeItem(nullptr, viewP, entryP->label, entryP->kind, 0, entryP->image);
    if (entryP->hItem == nullptr) TRACE_RETURN(RC_NO_MEMORY);
    last = entryP->hItem;
  }
  if (last != nullptr) viewP->ciSetChildren(last, 1);
  TRACE_RETURN(RC_OK);
}
