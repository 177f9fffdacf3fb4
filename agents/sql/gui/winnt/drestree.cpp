// The restore trees: their first items, the expansion that fills them, the click on a check
// picture and the smart selection of each tree.
#include "drestree.h"

#include <cstring>

#include "agtrc.h"
#include "agttrc.h"
#include "drestctl.h"
#include "errormsg.h"
#include "msgbox.h"
#include "msgout.h"

namespace {

enum : int {
  MSG_STORAGE_UNREACHABLE = 161,
  MSG_CAPTION = 5714,
  MSG_TOP_LABEL = 5750,
  MSG_SERVERS_LABEL = 5753,
  MSG_NO_SERVERS = 5810,
  MSG_NO_BACKUPS = 5811,
};
constexpr int kTopImage = 7;
constexpr int kServersImage = 9;
constexpr int RC_NO_SERVERS = 113;

void showBox(const std::string& message, unsigned icon) {
  zkui::messageBox(nullptr, message, restoreText(MSG_CAPTION),
                   zkui::kMbOk | icon | zkui::kMbTaskModal);
}

bool isFileBackup(int32_t kind) {
  return kind == RNODE_FULL || kind == RNODE_GROUP_BACKUP || kind == RNODE_FILE_BACKUP ||
         kind == RNODE_SET_BACKUP;
}

}  // namespace

DRestoreTreeBase::DRestoreTreeBase(int frameKind) : m_frameKind(frameKind) {
  DTreeStartEntry top = dtvMakeStartEntry(restoreText(MSG_TOP_LABEL).c_str(), kTopImage, RNODE_TOP);
  if (m_treeStart.addTail(&top) != RC_OK) return;
  DTreeStartEntry servers =
      dtvMakeStartEntry(restoreText(MSG_SERVERS_LABEL).c_str(), kServersImage, RNODE_SERVERS);
  m_treeStart.addTail(&servers);
}

// The items go first (the control's window may already be gone), then the records and lists.
DRestoreTreeBase::~DRestoreTreeBase() {
  freeResults();
}

DController* DRestoreTreeBase::setController(DController* controllerP) {
  DTreeView::setController(controllerP);
  return DControlledView::setController(controllerP);
}

DRestoreController* DRestoreTreeBase::restoreController() const {
  return dynamic_cast<DRestoreController*>(getController());
}

HTREEITEM DRestoreTreeBase::itemOf(const void* recordP) const {
  auto it = m_marks.find(recordP);
  return it == m_marks.end() ? nullptr : it->second.item;
}

void DRestoreTreeBase::freeResults() {
  m_marks.clear();
  m_serverList.freeAll();
  m_dbList.freeAll();
  m_dbInfoList.freeAll();
  m_backupList.freeAll();
  m_groupList.freeAll();
  m_fileList.freeAll();
  m_intoList.freeAll();
  m_relocateList.freeAll();
  m_standbyList.freeAll();
}

void DRestoreTreeBase::forgetSettings(const SqlHublorDbElement* dbInfoP) {
  removeEntriesOf(m_intoList, dbInfoP);
  removeEntriesOf(m_relocateList, dbInfoP);
  removeEntriesOf(m_standbyList, dbInfoP);
  auto it = m_marks.find(dbInfoP);
  if (it == m_marks.end()) return;
  it->second.intoEntryP = nullptr;
  it->second.firstRelocateEntryP = nullptr;
  it->second.standbyEntryP = nullptr;
  it->second.relocated = false;
}

void DRestoreTreeBase::OnInitialUpdate() {
  TRACE_ENTRY(TRC_GUI, "DRestoreTreeBase::OnInitialUpdate");
  DApplicationController::cgTVInit(this);
  DTreeStartEntry* firstP = m_treeStart.getFirst();
  if (firstP != nullptr && firstP->hItem != nullptr) expandItem(firstP->hItem);
  ciSetTreeDefaults(1, 1, 0);
}

// The control does not report the program's own expansions: the fill runs here first.
void DRestoreTreeBase::expandItem(HTREEITEM item) {
  if (OnItemexpanding(item, true)) return;
  ciExpand(item, TVE_EXPAND);
}

int32_t DRestoreTreeBase::kindOf(HTREEITEM item) {
  auto* recordP = static_cast<DTreeNodeData*>(GetTreeCtrl()->getParam(item));
  return recordP != nullptr ? recordP->m_kind : -1;
}

int DRestoreTreeBase::listServers(HTREEITEM item) {
  int rc = restoreController()->cgGetAndInstallSqlServerList(item, this);
  if (rc == RC_OK) return rc;
  if (rc == RC_NO_SERVERS) {
    ciSetChildren(item, 0);
    showBox(restoreText(MSG_NO_SERVERS), zkui::kMbIconInformation);
  } else if (rc == RC_API_CALL_FAILED) {
    showBox(restoreText(MSG_STORAGE_UNREACHABLE), 0);
  } else {
    showBox(restoreText(agentRcMessage(rc)), zkui::kMbIconExclamation);
  }
  return rc;
}

int DRestoreTreeBase::listBackups(HTREEITEM item) {
  DRestoreController* controllerP = restoreController();
  int rc = groupsFiles() ? controllerP->cgGetAndInstallSqlBackupGFList(item, this)
                         : controllerP->cgGetAndInstallSqlBackupList(item, this);
  if (rc == RC_OK) return rc;
  if (rc == RC_API_CALL_FAILED) {
    showBox(restoreText(agentRcMessage(rc)), zkui::kMbIconExclamation);
  } else {
    ciSetChildren(item, 0);
    showBox(restoreText(MSG_NO_BACKUPS), zkui::kMbIconInformation);
  }
  return rc;
}

void DRestoreTreeBase::refreshList(HTREEITEM item) {
  DRestoreController* controllerP = restoreController();
  if (controllerP == nullptr) return;
  if (groupsFiles()) {
    controllerP->cgGFLVUpdate(item);
  } else {
    controllerP->cgLVUpdate(item);
  }
}

// Every expansion goes ahead; a branch not filled yet asks the controller first.
bool DRestoreTreeBase::OnItemexpanding(HTREEITEM item, bool) {
  if (!haveWindow("OnItemexpanding")) return true;
  DTreeNodeData* recordP = ciGetItemData(item);
  if (recordP == nullptr || recordP->pLL != nullptr) return false;
  DRestoreController* controllerP = restoreController();
  if (controllerP == nullptr) return false;
  int32_t kind = recordP->m_kind;
  if (kind == RNODE_SERVERS && listServers(item) != RC_OK) return false;
  if (kind == RNODE_SERVER && listBackups(item) != RC_OK) return false;
  if (isFileBackup(kind)) controllerP->cgGetAndInstallSqlFileinfo(item, this);
  if (GetTreeCtrl()->getSelection() == item) refreshList(item);
  return false;
}

void DRestoreTreeBase::OnLButtonDown(HTREEITEM item, DTreeHit hit) {
  if (!haveWindow("OnLButtonDown") || item == nullptr) return;
  int picture = GetTreeCtrl()->getImage(item);
  if (hit == DTreeHit::Picture && picture >= S_CLEAR && picture <= S_NOSELECT) {
    int next = picture == S_CHECK ? S_CLEAR : picture == S_NOSELECT ? S_NOSELECT : S_CHECK;
    if (next != S_NOSELECT) ciSmartSelect(item, next);
  }
  if (hit == DTreeHit::Picture || hit == DTreeHit::Label) refreshList(item);
}

void DRestoreTreeBase::setPicture(HTREEITEM item, int picture, bool subtree) {
  GetTreeCtrl()->setImage(item, picture, picture);
  if (!subtree) return;
  if (HTREEITEM child = GetTreeCtrl()->getChild(item)) ciPropogateImageDown(child, picture);
}

template <class Rule>
void DRestoreTreeBase::walkSiblings(HTREEITEM item, bool forward, Rule rule) {
  DTreeCtrl* ctrlP = GetTreeCtrl();
  auto step = [&](HTREEITEM h) {
    return forward ? ctrlP->getNextSibling(h) : ctrlP->getPrevSibling(h);
  };
  for (HTREEITEM sibling = step(item); sibling != nullptr; sibling = step(sibling)) {
    Step s = rule(kindOf(sibling));
    if (s.picture != 0) setPicture(sibling, s.picture, s.checkSubtree);
    if (s.stop) return;
  }
}

void DRestoreTreeView::ciSetAndPropogate(HTREEITEM item, int picture) {
  ciSetImage(item, picture, picture);
  if (HTREEITEM child = ciGetChild(item)) ciPropogateImageDown(child, picture);
  ciPropogateImageUp(item);
}

// The database tree keeps one chain per database: a full backup, at most the nearest
// differential after it and the log backups after that. Earlier siblings are walked towards
// the first, later ones towards the last; "met" is what the walk has passed.
void DRestoreTreeView::ciSmartSelect(HTREEITEM item, int picture) {
  TRACE_ENTRY(TRC_GUI, "DRestoreTreeView::ciSmartSelect");
  if (!haveWindow("ciSmartSelect")) return;
  int32_t kind = kindOf(item);
  if (kind != RNODE_FULL && kind != RNODE_DIFF && kind != RNODE_LOG) {
    return ciSetAndPropogate(item, picture);
  }
  if (picture != S_CHECK && picture != S_CLEAR) return;
  bool check = picture == S_CHECK;
  setPicture(item, picture, true);
  bool fullMet = false;
  bool diffMet = false;
  auto clearAll = [](int32_t) { return Step{S_CLEAR}; };
  auto clearChained = [](int32_t k) {
    return Step{k == RNODE_DIFF || k == RNODE_LOG ? S_CLEAR : 0};
  };
  auto unchanged = [](int32_t) { return Step{}; };
  if (kind == RNODE_FULL) {
    walkSiblings(item, false, check ? +clearAll : +unchanged);
    walkSiblings(item, true, check ? +clearAll : +clearChained);
  } else if (kind == RNODE_DIFF && check) {
    walkSiblings(item, false, [&](int32_t k) {
      bool nearestFull = k == RNODE_FULL && !fullMet;
      if (k == RNODE_FULL) fullMet = true;
      return Step{nearestFull ? S_CHECK : S_CLEAR};
    });
    walkSiblings(item, true, clearChained);
  } else if (kind == RNODE_DIFF) {
    walkSiblings(item, false, [&](int32_t k) {
      Step s;
      if (k == RNODE_FULL || k == RNODE_LOG) s.picture = fullMet ? S_CLEAR : S_CHECK;
      if (k == RNODE_DIFF) s.picture = fullMet || diffMet ? S_CLEAR : S_CHECK;
      fullMet = fullMet || k == RNODE_FULL;
      diffMet = diffMet || k == RNODE_DIFF;
      return s;
    });
  } else if (check) {
    walkSiblings(item, false, [&](int32_t k) {
      Step s{S_CLEAR};
      if (k == RNODE_FULL && !fullMet) s = Step{S_CHECK, true};
      if ((k == RNODE_DIFF || k == RNODE_LOG) && !fullMet && !diffMet) s.picture = S_CHECK;
      fullMet = fullMet || k == RNODE_FULL;
      diffMet = diffMet || k == RNODE_DIFF;
      return s;
    });
    walkSiblings(item, true, clearAll);
  } else {
    walkSiblings(item, true, [](int32_t k) { return Step{k == RNODE_LOG ? S_CLEAR : 0}; });
  }
  ciPropogateImageUp(item);
}

// The groups/files tree adds to a checked backup the log backups that follow it; it never
// clears other backups.
void DRestoreGFTreeView::ciSmartSelect(HTREEITEM item, int picture) {
  TRACE_ENTRY(TRC_GUI, "DRestoreGFTreeView::ciSmartSelect");
  if (!haveWindow("ciSmartSelect")) return;
  int32_t kind = kindOf(item);
  bool inBackup = kind == RNODE_GROUP || kind == RNODE_FILE || isFileBackup(kind);
  if (!inBackup && kind != RNODE_LOG) {
    setPicture(item, picture, true);
    ciPropogateImageUp(item);
    return;
  }
  if (picture != S_CHECK && picture != S_CLEAR) return;
  if (inBackup) {
    setPicture(item, picture, true);
    HTREEITEM anchor = isFileBackup(kind) ? item : nullptr;
    for (HTREEITEM up = GetTreeCtrl()->getParent(item); anchor == nullptr && up != nullptr;
         up = GetTreeCtrl()->getParent(up)) {
      if (isFileBackup(kindOf(up))) {
        anchor = up;
      } else {
        setPicture(up, picture, false);
      }
    }
    if (anchor != nullptr) {
      walkSiblings(anchor, true, [&](int32_t k) { return Step{k == RNODE_LOG ? picture : 0}; });
    }
    ciPropogateImageUp(item);
    return;
  }
  setPicture(item, picture, false);
  bool check = picture == S_CHECK;
  // Checking: the following logs up to the next backup that holds files, and back to the
  // backup the log follows, with its subtree. Clearing: the same logs, and that backup.
  walkSiblings(item, true, [&](int32_t k) {
    if (k == RNODE_LOG) return Step{picture};
    bool end = check ? isFileBackup(k) : isFileBackup(k) || k == RNODE_GROUP || k == RNODE_FILE;
    return Step{0, false, end};
  });
  walkSiblings(item, false, [&](int32_t k) {
    if (k == RNODE_LOG) return Step{picture};
    bool base = check ? isFileBackup(k) || k == RNODE_GROUP || k == RNODE_FILE : isFileBackup(k);
    return base ? Step{picture, true, true} : Step{};
  });
  ciPropogateImageUp(item);
}

DRestoreTreeBase* asRestoreTree(DControlledView* viewP) {
  return dynamic_cast<DRestoreTreeBase*>(viewP);
}
