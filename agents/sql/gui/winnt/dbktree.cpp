// The backup trees: their first items, the expansion that fills them, the click on a check
// picture and the pictures that follow the backup type.
#include "dbktree.h"

#include "agtrc.h"
#include "agttrc.h"
#include "dbkctl.h"

namespace {

enum : int { MSG_TOP_LABEL = 5749, MSG_SERVERS_LABEL = 5752 };
constexpr int kTopImage = 6;
constexpr int kServersImage = 8;

// The picture a click on the check picture gives; the same picture when it does not change.
int clickedPicture(int picture) {
  switch (picture) {
    case S_CLEAR:
    case S_PARTIAL:
      return S_CHECK;
    case S_CHECK:
      return S_CLEAR;
    default:
      return picture;
  }
}

bool isCheckPicture(int picture) {
  return picture >= S_CLEAR && picture <= S_DISABLED;
}

}  // namespace

DBackupTreeBase::DBackupTreeBase(int frameKind) : m_frameKind(frameKind) {
  DTreeStartEntry top = dtvMakeStartEntry(backupText(MSG_TOP_LABEL).c_str(), kTopImage, BNODE_TOP);
  if (m_treeStart.addTail(&top) != RC_OK) return;
  DTreeStartEntry servers =
      dtvMakeStartEntry(backupText(MSG_SERVERS_LABEL).c_str(), kServersImage, BNODE_SERVERS);
  m_treeStart.addTail(&servers);
}

DBackupTreeBase::~DBackupTreeBase() {
  freeResults();
}

DController* DBackupTreeBase::setController(DController* controllerP) {
  DTreeView::setController(controllerP);
  return DControlledView::setController(controllerP);
}

DBackupController* DBackupTreeBase::backupController() const {
  return dynamic_cast<DBackupController*>(getController());
}

HTREEITEM DBackupTreeBase::itemOf(const void* recordP) const {
  auto it = m_items.find(recordP);
  return it == m_items.end() ? nullptr : it->second;
}

int DBackupTreeBase::imageOf(const void* recordP) {
  HTREEITEM item = itemOf(recordP);
  return item != nullptr && GetTreeCtrl() != nullptr ? GetTreeCtrl()->getSelectedImage(item) : 0;
}

void DBackupTreeBase::freeResults() {
  m_items.clear();
  m_fileList.freeAll();
  m_groupList.freeAll();
  m_dbList.freeAll();
  m_serverList.freeAll();
}

void DBackupTreeBase::OnInitialUpdate() {
  TRACE_ENTRY(TRC_GUI, "DBackupTreeBase::OnInitialUpdate");
  DApplicationController::cgTVInit(this);
}

// The control does not report the program's own expansions: the fill runs here first.
void DBackupTreeBase::expandItem(HTREEITEM item) {
  if (OnItemexpanding(item, true)) return;
  ciExpand(item, TVE_EXPAND);
}

void DBackupTreeBase::refreshList(HTREEITEM item) {
  DBackupController* controllerP = backupController();
  if (controllerP == nullptr) return;
  if (groupsFiles()) {
    controllerP->cgGFLVUpdate(item);
  } else {
    controllerP->cgLVUpdate(item);
  }
}

// A branch not filled yet asks the controller first; every expansion then goes ahead.
bool DBackupTreeBase::OnItemexpanding(HTREEITEM item, bool) {
  if (!haveWindow("OnItemexpanding")) return true;
  DTreeNodeData* nodeP = ciGetItemData(item);
  if (nodeP == nullptr || nodeP->pLL != nullptr) return false;
  DBackupController* controllerP = backupController();
  if (controllerP == nullptr) return false;
  switch (nodeP->m_kind) {
    case BNODE_SERVERS:
      controllerP->cgGetAndInstallSqlServerList(item, this);
      break;
    case BNODE_SERVER:
      controllerP->cgGetAndInstallSqlDbList(item, this, groupsFiles() ? 1 : 0);
      break;
    case BNODE_DATABASE:
      if (groupsFiles()) controllerP->cgGetAndInstallSqlFileinfo(item, this);
      break;
    default:
      break;
  }
  if (GetTreeCtrl()->getSelection() == item) refreshList(item);
  return false;
}

void DBackupTreeBase::OnLButtonDown(HTREEITEM item, DTreeHit hit) {
  if (!haveWindow("OnLButtonDown") || item == nullptr) return;
  int picture = GetTreeCtrl()->getImage(item);
  if (hit == DTreeHit::Picture && isCheckPicture(picture)) {
    int next = clickedPicture(picture);
    if (next != picture) {
      HTREEITEM child = ciSetImage(item, next, next);
      DTreeNodeData* nodeP = ciGetItemData(item);
      // An item without its record is left as it is: nothing else can be known of it.
      if (nodeP == nullptr) return;
      spreadClick(item, nodeP, next);
      if (child != nullptr) ciPropogateImageDown(child, next);
      ciPropogateImageUp(item);
    }
  }
  if (hit == DTreeHit::Picture || hit == DTreeHit::Label) refreshList(item);
}

void DBackupGFTreeView::spreadClick(HTREEITEM item, DTreeNodeData* nodeP, int picture) {
  DBackupController* controllerP = backupController();
  if (nodeP->m_kind != BNODE_FILE || controllerP == nullptr) return;
  DBackupPageView* pageP = controllerP->backupPage(1);
  if (pageP == nullptr || pageP->getBackupType() != GF_GROUP) return;
  ciPropogateImageToSiblings(item, picture);
  ciPropogateImageToParent(item, picture);
}

void DBackupTreeView::ciUpdateImages(int backupType) {
  TRACE_ENTRY(TRC_GUI, "DBackupTreeView::ciUpdateImages");
  if (!haveWindow("ciUpdateImages")) return;
  HTREEITEM lastChecked = nullptr;
  HTREEITEM last = nullptr;
  for (SqlDatabaseElement* dbP = m_dbList.getFirst(); dbP != nullptr; dbP = m_dbList.getNext(dbP)) {
    HTREEITEM item = itemOf(dbP);
    if (item == nullptr) continue;
    int image = S_CLEAR;
    if (dbP->bDbIsUnreadable != 0 || dbP->szSqlDatabaseStatus[0] != '\0') {
      image = S_DISABLED;
    } else if (backupType == BACKUP_LOG && dbP->bDbIsTruncateLogOnCheckpoint != 0) {
      image = S_NOSELECT;
    } else if (GetTreeCtrl()->getImage(item) == S_CHECK) {
      image = S_CHECK;
      lastChecked = item;
    }
    ciSetImage(item, image, image);
    last = item;
  }
  HTREEITEM up = lastChecked != nullptr ? lastChecked : last;
  if (up != nullptr) ciPropogateImageUp(up);
  DBackupController* controllerP = backupController();
  DBackupPageView* pageP = controllerP != nullptr ? controllerP->backupPage(0) : nullptr;
  if (pageP != nullptr) controllerP->cgUpdateListState(pageP->listCtrl(), this);
}

DBackupTreeBase* asBackupTree(DControlledView* viewP) {
  return dynamic_cast<DBackupTreeBase*>(viewP);
}
