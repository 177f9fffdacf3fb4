// The restore controller's refresh: a restore tree emptied, built again and walked down to the
// item that was selected; the other restore window back at its first level.
#include <string>
#include <vector>

#include "agtrc.h"
#include "agttrc.h"
#include "drestctl.h"
#include "drestree.h"
#include "msgout.h"

namespace {

enum : int { MSG_TOP_LABEL = 5750 };

// Walks from the first root down the path, expanding (and so filling) each item on the way;
// the last item found, selected.
HTREEITEM walkTo(DRestoreTreeBase* viewP, const std::vector<std::string>& parts,
                 const std::string& top) {
  HTREEITEM parent = nullptr;
  HTREEITEM last = nullptr;
  for (size_t i = 0; i < parts.size(); ++i) {
    TRACE_LINE(TRC_GUI, "looking for tree item with text '%s'\n", parts[i].c_str());
    HTREEITEM found = viewP->ciFindItem(parts[i], parent);
    if (found == nullptr) {
      TRACE_LINE(TRC_GUI, "   did not find item, ending expansion\n");
      break;
    }
    last = found;
    DTreeNodeData* recordP = viewP->ciGetItemData(found);
    if (recordP != nullptr && isBackupNode(recordP->m_kind)) {
      TRACE_LINE(TRC_GUI, "Expanded down to the HUBLOR Backups Level. Ending expansion there.\n");
      viewP->GetTreeCtrl()->selectItem(found);
      break;
    }
    TRACE_LINE(TRC_GUI, "   found item\n");
    if (i + 1 < parts.size()) {
      viewP->expandItem(found);
      parent = found;
      continue;
    }
    TRACE_LINE(TRC_GUI, "   highlighting item\n");
    viewP->GetTreeCtrl()->selectItem(found);
    if (parts[i] == top) viewP->expandItem(found);
  }
  return last;
}

}  // namespace

int DRestoreController::treeDelete(int which) {
  DRestoreTreeBase* viewP = restoreTree(which);
  if (viewP == nullptr) {
    TRACE_LINE(TRC_GUI, "Restore tree view pointer is NULL\n");
    return 0;
  }
  TRACE_LINE(TRC_GUI, which == 0 ? "Deleting tree view\n" : "Deleting GF tree view\n");
  // The items go before the records and results they point at.
  viewP->ciDeleteAllItems();
  viewP->freeResults();
  viewP->getTreeItemDataList()->freeAll();
  return 0;
}

int DRestoreController::cgTVDelete() {
  return treeDelete(0);
}

int DRestoreController::cgGFTVDelete() {
  return treeDelete(1);
}

// Empties the window's list and tree and builds its first level again.
void DRestoreController::resetWindow(int which) {
  DRestoreTreeBase* viewP = restoreTree(which);
  if (viewP == nullptr) return;
  if (DRestorePageView* pageP = restorePage(which)) cgLVDelete(pageP->listCtrl());
  treeDelete(which);
  cgTVInit(viewP);
  if (HTREEITEM root = viewP->ciGetChild(nullptr)) viewP->expandItem(root);
}

int DRestoreController::cgRefreshView(DTreeView* treeP, int kind) {
  TRACE_ENTRY(TRC_GUI, "DRestoreController::cgRefreshView");
  TRACE_LINE(TRC_GUI, "Refreshing view\n");
  int which = whichTree(treeP);
  DRestoreTreeBase* viewP = which >= 0 ? restoreTree(which) : nullptr;
  if (viewP == nullptr) {
    TRACE_LINE(TRC_GUI, "Restore tree view pointer is NULL\n");
    TRACE_RETURN(RC_OK);
  }
  std::string top = restoreText(MSG_TOP_LABEL);
  std::string path = viewP->ciGetQualifiedSelectedItemText('\0', top);
  if (kind == FRAME_RESTORE || kind == FRAME_RESTORE_GF) {
    int emptied = kind == FRAME_RESTORE ? 0 : 1;
    if (DRestorePageView* pageP = restorePage(emptied)) cgLVDelete(pageP->listCtrl());
    treeDelete(emptied);
  }
  cgTVInit(viewP);
  std::vector<std::string> parts = DTreeView::ciSplitQualifiedText(path);
  HTREEITEM last = parts.empty() ? nullptr : walkTo(viewP, parts, top);
  lvUpdate(which, last);
  resetWindow(1 - which);
  TRACE_RETURN(RC_OK);
}
