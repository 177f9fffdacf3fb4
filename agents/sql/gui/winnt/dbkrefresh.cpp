// The backup controller's refresh: a backup tree emptied, a new SQL access object, the tree
// built again and walked down to the item that was selected; the other backup window back at
// its first level.
#include <string>
#include <vector>

#include "agtrc.h"
#include "agttrc.h"
#include "dbkctl.h"
#include "dbktree.h"
#include "dguiopts.h"
#include "dsqlaccess.h"

namespace {

enum : int { MSG_TOP_LABEL = 5749 };

// Walks from the first root down the path, expanding (and so filling) each item on the way;
// the item of the last part, selected, or null when a part is not found.
HTREEITEM walkTo(DBackupTreeBase* viewP, const std::vector<std::string>& parts) {
  HTREEITEM parent = nullptr;
  for (size_t i = 0; i < parts.size(); ++i) {
    TRACE_LINE(TRC_GUI, "looking for tree item with text '%s'\n", parts[i].c_str());
    HTREEITEM found = viewP->ciFindItem(parts[i], parent);
    if (found == nullptr) {
      TRACE_LINE(TRC_GUI, "   did not find item, ending expansion\n");
      return nullptr;
    }
    TRACE_LINE(TRC_GUI, "   found item\n");
    if (i + 1 < parts.size()) {
      viewP->expandItem(found);
      parent = found;
      continue;
    }
    TRACE_LINE(TRC_GUI, "   highlighting item\n");
    viewP->GetTreeCtrl()->selectItem(found);
    // The servers root opens; so does a database of the groups/files window, whose list is its
    // groups.
    DTreeNodeData* nodeP = viewP->ciGetItemData(found);
    int32_t kind = nodeP != nullptr ? nodeP->m_kind : -1;
    if (kind == BNODE_SERVERS || (kind == BNODE_DATABASE && viewP->groupsFiles())) {
      viewP->expandItem(found);
    }
    return found;
  }
  return nullptr;
}

}  // namespace

void DBackupController::treeDelete(int which) {
  DBackupTreeBase* viewP = backupTree(which);
  if (viewP == nullptr) {
    TRACE_LINE(TRC_GUI, "backup tree view pointer is NULL\n");
    return;
  }
  // The items go before the records and results they point at.
  viewP->ciDeleteAllItems();
  viewP->freeResults();
  viewP->getTreeItemDataList()->freeAll();
}

void DBackupController::cgTVDelete() {
  treeDelete(0);
}

void DBackupController::cgGFTVDelete() {
  treeDelete(1);
}

// Empties the window's list and tree and builds its first level again.
void DBackupController::resetWindow(int which) {
  DBackupTreeBase* viewP = backupTree(which);
  if (viewP == nullptr) return;
  if (DBackupPageView* pageP = backupPage(which)) {
    cgLVDelete(pageP->listCtrl());
    pageP->setListNode(nullptr);
  }
  treeDelete(which);
  DApplicationController::cgTVInit(viewP);
  if (HTREEITEM root = viewP->ciGetChild(nullptr)) viewP->expandItem(root);
}

void DBackupController::cgRefreshView(DTreeView* treeP, int kind) {
  TRACE_ENTRY(TRC_GUI, "DBackupController::cgRefreshView");
  int which = whichTree(treeP);
  DBackupTreeBase* viewP = which >= 0 ? backupTree(which) : nullptr;
  if (viewP == nullptr || (kind != FRAME_BACKUP && kind != FRAME_BACKUP_GF)) {
    TRACE_LINE(TRC_GUI, "backup tree view pointer is NULL\n");
    return;
  }
  TRACE_LINE(TRC_GUI, "Refreshing view\n");
  std::string path = viewP->ciGetQualifiedSelectedItemText('\0', backupText(MSG_TOP_LABEL));
  DBackupPageView* pageP = backupPage(which);
  if (pageP != nullptr) {
    cgLVDelete(pageP->listCtrl());
    pageP->setListNode(nullptr);
  }
  treeDelete(which);
  // A command that holds the SQL access object keeps it; a new object that cannot log on
  // reports that at the next query.
  int rc = 0;
  renewSqlAccess(guiOptions(), &rc);
  if (rc != RC_OK) TRACE_LINE(TRC_GUI, "The new SQL access object reports rc = %d\n", rc);
  DApplicationController::cgTVInit(viewP);
  lvUpdate(which, walkTo(viewP, DTreeView::ciSplitQualifiedText(path)));
  resetWindow(1 - which);
}
