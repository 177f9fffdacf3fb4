// The inactivate tree: its first items, the expansion that fills it and the click on a check
// picture.
#include "dinacttree.h"

#include "agtrc.h"
#include "agttrc.h"
#include "dinactctl.h"
#include "drestctl.h"
#include "errormsg.h"
#include "msgbox.h"

namespace {

enum : int {
  MSG_STORAGE_LOGON_FAILED = 161,
  MSG_CAPTION = 5714,
  MSG_TOP_LABEL = 5751,
  MSG_SERVERS_LABEL = 5753,
  MSG_NO_SERVERS = 5810,
};
constexpr int kTopImage = 7;
constexpr int kServersImage = 9;

void showBox(const std::string& text, unsigned icon) {
  TRACE_LINE(TRC_GUI, "Displaying message box with text: %s\n", text.c_str());
  zkui::messageBox(nullptr, text, restoreText(MSG_CAPTION),
                   zkui::kMbOk | icon | zkui::kMbTaskModal);
}

}  // namespace

DInactivateTreeView::DInactivateTreeView() {
  DTreeStartEntry top = dtvMakeStartEntry(restoreText(MSG_TOP_LABEL).c_str(), kTopImage, INODE_TOP);
  if (m_treeStart.addTail(&top) != RC_OK) return;
  DTreeStartEntry servers =
      dtvMakeStartEntry(restoreText(MSG_SERVERS_LABEL).c_str(), kServersImage, INODE_SERVERS);
  m_treeStart.addTail(&servers);
}

DInactivateTreeView::~DInactivateTreeView() {
  freeResults();
}

DController* DInactivateTreeView::setController(DController* controllerP) {
  DTreeView::setController(controllerP);
  return DControlledView::setController(controllerP);
}

DInactivateController* DInactivateTreeView::inactivateController() const {
  return dynamic_cast<DInactivateController*>(getController());
}

HTREEITEM DInactivateTreeView::itemOf(const void* recordP) const {
  auto it = m_marks.find(recordP);
  return it == m_marks.end() ? nullptr : it->second.item;
}

bool DInactivateTreeView::isSelected(const void* recordP) const {
  auto it = m_marks.find(recordP);
  return it != m_marks.end() && it->second.selected;
}

void DInactivateTreeView::freeResults() {
  m_marks.clear();
  m_serverList.freeAll();
  m_dbList.freeAll();
  m_backupList.freeAll();
  m_dbInfoList.freeAll();
  m_groupList.freeAll();
  m_fileList.freeAll();
}

void DInactivateTreeView::OnInitialUpdate() {
  TRACE_ENTRY(TRC_GUI, "DInactivateTreeView::OnInitialUpdate");
  DApplicationController::cgTVInit(this);
  DTreeStartEntry* firstP = m_treeStart.getFirst();
  if (firstP != nullptr && firstP->hItem != nullptr) expandItem(firstP->hItem);
  ciSetTreeDefaults(1, 1, 0);
}

// The control does not report the program's own expansions: the fill runs here first.
void DInactivateTreeView::expandItem(HTREEITEM item) {
  if (OnItemexpanding(item, true)) return;
  ciExpand(item, TVE_EXPAND);
}

void DInactivateTreeView::updateList(HTREEITEM item) {
  TRACE_LINE(TRC_GUI, "Updating list view\n");
  if (DInactivateController* controllerP = inactivateController()) controllerP->cgLVUpdate(item);
}

bool DInactivateTreeView::OnItemexpanding(HTREEITEM item, bool) {
  if (!haveWindow("OnItemexpanding")) return true;
  DTreeNodeData* recordP = ciGetItemData(item);
  if (recordP == nullptr) {
    TRACE_LINE(TRC_GUI, "GetItemData returned NULL, return with LRESULT 0\n");
    return false;
  }
  if (recordP->pLL != nullptr) {
    TRACE_LINE(TRC_GUI,
               "Item has been expanded previously. Return with result %d to allow the expansion "
               "or collapse to happen\n",
               0);
    return false;
  }
  DInactivateController* controllerP = inactivateController();
  if (controllerP == nullptr) return false;
  if (recordP->m_kind == INODE_SERVERS) {
    TRACE_LINE(TRC_GUI, "Calling cgGetAndInstallSqlServerList)\n");
    int rc = controllerP->cgGetAndInstallSqlServerList(item, this);
    if (rc == RC_NO_FILESPACE_MATCH) {
      ciSetChildren(item, 0);
      showBox(restoreText(MSG_NO_SERVERS), zkui::kMbIconInformation);
    } else if (rc == RC_API_CALL_FAILED) {
      showBox(restoreText(MSG_STORAGE_LOGON_FAILED), 0);
    } else if (rc != RC_OK) {
      showBox(restoreText(agentRcMessage(rc)), zkui::kMbIconExclamation);
    }
    if (rc != RC_OK) return false;
  } else if (recordP->m_kind == INODE_SERVER) {
    int rc = controllerP->cgGetAndInstallSqlBackupList(item, this);
    if (rc == RC_API_CALL_FAILED)
      showBox(restoreText(agentRcMessage(rc)), zkui::kMbIconExclamation);
    if (rc != RC_OK) return false;
  }
  if (GetTreeCtrl()->getSelection() == item) updateList(item);
  return false;
}

// A click on the check picture: checked becomes clear, clear and partly checked become
// checked; the subtree takes the picture and the ancestors follow. Other pictures stay.
void DInactivateTreeView::OnLButtonDown(HTREEITEM item, DTreeHit hit) {
  if (!haveWindow("OnLButtonDown") || item == nullptr) return;
  if (hit == DTreeHit::Picture) {
    int image = GetTreeCtrl()->getImage(item);
    int next = image == S_CHECK ? S_CLEAR : image == S_PARTIAL || image == S_CLEAR ? S_CHECK : 0;
    if (next != 0) {
      TRACE_LINE(TRC_GUI, "Image %d changes to %d\n", image, next);
      HTREEITEM child = ciSetImage(item, next, next);
      TRACE_LINE(TRC_GUI, "Propogating selection to node data\n");
      if (child != nullptr) ciPropogateImageDown(child, next);
      ciPropogateImageUp(item);
    }
  }
  if (hit == DTreeHit::Picture || hit == DTreeHit::Label) updateList(item);
}

DInactivateTreeView* asInactivateTree(DControlledView* viewP) {
  return dynamic_cast<DInactivateTreeView*>(viewP);
}
