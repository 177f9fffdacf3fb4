// The inactivate controller's list view: the rows of the page's list for the selected tree item,
// and their check pictures kept in step with the tree.
#include <string>
#include <vector>

#include "agtrc.h"
#include "agttrc.h"
#include "dinactctl.h"
#include "dinacttree.h"
#include "dlistcols.h"
#include "objinfo.h"
#include "objname.h"

namespace {

std::string decimal(uint32_t value) {
  return listFormat("%d", static_cast<int>(value));
}

// A row's state picture: its tree item's picture plus one.
int stateOf(DInactivateTreeView* treeP, HTREEITEM item) {
  return treeP->GetTreeCtrl()->getImage(item) + 1;
}

// The texts of a backup's row, by the table of the columns.
std::vector<std::string> backupTexts(MoxtarMetaInfo& entry, bool extended) {
  objInfo info{};
  objInfoFromResp(entry, OBJINFO_META_SIZE, &info);
  const SqlHublorDbElement* dbP = entry.hublorDbElemP;
  ListBackupWhen when = listBackupWhen(info);
  std::vector<std::string> texts = {
      entry.objName.ll[0] != '\0' ? entry.objName.ll + 1 : "",
      when.date,
      when.time,
      listNumber(info.backupSize64),
      decimal(info.numStripes),
      dbP != nullptr && dbP->bFlags[SQL_META_FLAG_CLUSTERED] != 0 ? "Yes" : "No",
      when.objectId,
  };
  if (!extended || dbP == nullptr) return texts;
  std::vector<std::string> spaces = listDbSpaceTexts(*dbP);
  texts.insert(texts.end(), spaces.begin(), spaces.end());
  // The agent's version as stored: sub-level, release, version, level.
  const uint16_t* v = info.agentVersion;
  texts.insert(texts.end(), {listFormat("%d%c%d%c%d%c%.*d", static_cast<int16_t>(v[2]), '.',
                                        static_cast<int16_t>(v[1]), '.', static_cast<int16_t>(v[3]),
                                        '.', v[0] != 0 ? 2 : 1, static_cast<int16_t>(v[0])),
                             listFormat("%d%c%d", static_cast<int>(dbP->lSqlVersionMajor), '.',
                                        static_cast<int>(dbP->lSqlVersionMinor)),
                             decimal(dbP->lDbCompatibilityLevel)});
  if (dbP->lSqlVersionMajor != 7) return texts;
  std::vector<std::string> sql7 = listSql7Texts(*dbP);
  texts.insert(texts.end(), sql7.begin(), sql7.end());
  return texts;
}

}  // namespace

int DInactivateController::cgLVUpdate(HTREEITEM item) {
  DInactivatePageView* pageP = getPage();
  if (pageP == nullptr) return 0;
  DListCtrl* listP = pageP->listCtrl();
  if (item == pageP->listNode() && listP != nullptr && listP->itemCount() > 0) {
    pageP->ciUpdateListState();
    return 0;
  }
  cgLVDelete(listP);
  pageP->setListNode(item);
  DInactivateTreeView* treeP = getTreeView();
  if (item == nullptr || treeP == nullptr) return 0;
  if (DTreeNodeData* nodeP = treeP->ciGetItemData(item)) pageP->ciUpdateList(nodeP);
  return 0;
}

void DInactivateController::cgLVDelete(DListCtrl* listP) {
  listDeleteAll(listP);
}

void DInactivateController::cgSetServerHeader(DListCtrl* listP) {
  listAddColumn(listP, 0, "Servers", DListAlign::Left, 130);
}

void DInactivateController::cgSetDbHeader(DListCtrl* listP) {
  listAddColumn(listP, 0, "Databases", DListAlign::Left, 100);
}

void DInactivateController::cgSetBuHeader(DListCtrl* listP, bool extended, bool sql7) {
  listSetBackupHeader(listP, false, extended, sql7);
}

void DInactivateController::cgUpdateServerList(DTreeNodeData* nodeP, DInactivateTreeView* treeP,
                                               DListCtrl* listP) {
  cgSetServerHeader(listP);
  auto* fsP = static_cast<qryRespFSData*>(nodeP->first);
  for (int i = 0; i < nodeP->count && fsP != nullptr; ++i, fsP = treeP->m_serverList.getNext(fsP)) {
    HTREEITEM item = treeP->itemOf(fsP);
    listP->insertItem(i, listServerOf(fsP->fsName), stateOf(treeP, item), item);
  }
}

void DInactivateController::cgUpdateDbList(DTreeNodeData* nodeP, DInactivateTreeView* treeP,
                                           DListCtrl* listP) {
  cgSetDbHeader(listP);
  auto* dbP = static_cast<DbSummaryElement*>(nodeP->first);
  for (int i = 0; i < nodeP->count && dbP != nullptr; ++i, dbP = treeP->m_dbList.getNext(dbP)) {
    HTREEITEM item = treeP->itemOf(dbP);
    listP->insertItem(i, dbP->szDbName, stateOf(treeP, item), item);
  }
}

void DInactivateController::cgUpdateSqlBackupList(DTreeNodeData* nodeP, DInactivateTreeView* treeP,
                                                  DListCtrl* listP) {
  cgSetBuHeader(listP, false, false);
  auto* entryP = static_cast<MoxtarMetaInfo*>(nodeP->first);
  for (int i = 0; i < nodeP->count && entryP != nullptr;
       ++i, entryP = treeP->m_backupList.getNext(entryP)) {
    addBackupRow(entryP, treeP, listP, false);
  }
}

void DInactivateController::cgUpdateSqlBackup(DTreeNodeData* nodeP, DInactivateTreeView* treeP,
                                              DListCtrl* listP) {
  auto* entryP = static_cast<MoxtarMetaInfo*>(nodeP->pRelatedInfo);
  if (entryP == nullptr) return;
  bool sql7 = entryP->hublorDbElemP != nullptr && entryP->hublorDbElemP->lSqlVersionMajor == 7;
  cgSetBuHeader(listP, true, sql7);
  addBackupRow(entryP, treeP, listP, true);
}

void DInactivateController::addBackupRow(MoxtarMetaInfo* entryP, DInactivateTreeView* treeP,
                                         DListCtrl* listP, bool extended) {
  HTREEITEM item = treeP->itemOf(entryP);
  if (item == nullptr) return;
  std::vector<std::string> texts = backupTexts(*entryP, extended);
  int row = listP->insertItem(listP->itemCount(), texts[0], stateOf(treeP, item), item);
  if (row < 0) return;
  for (size_t column = 1; column < texts.size(); ++column) {
    listP->setItemText(row, static_cast<int>(column), texts[column]);
  }
}

int DInactivateController::cgUpdateListState(DListCtrl* listP, DInactivateTreeView* treeP) {
  if (listP == nullptr || treeP == nullptr) return 0;
  for (int row = 0; row < listP->itemCount(); ++row) {
    listP->setStateImage(row, stateOf(treeP, static_cast<HTREEITEM>(listP->itemParam(row))));
  }
  return 0;
}

void inactivateUpdateList(DInactivateController* controllerP, DInactivateTreeView* treeP,
                          DListCtrl* listP, DTreeNodeData* nodeP) {
  if (controllerP == nullptr || treeP == nullptr || listP == nullptr || nodeP == nullptr) return;
  int32_t kind = nodeP->m_kind;
  if (isInactivateBackupNode(kind)) return controllerP->cgUpdateSqlBackup(nodeP, treeP, listP);
  if (nodeP->pLL == nullptr) return;
  if (kind == INODE_SERVERS) return controllerP->cgUpdateServerList(nodeP, treeP, listP);
  if (kind == INODE_SERVER) return controllerP->cgUpdateDbList(nodeP, treeP, listP);
  if (kind == INODE_DATABASE) controllerP->cgUpdateSqlBackupList(nodeP, treeP, listP);
}

void inactivateToggleRow(DInactivateTreeView* treeP, DListCtrl* listP, int row) {
  if (treeP == nullptr || listP == nullptr || row < 0 || row >= listP->itemCount()) return;
  int state = listP->stateImage(row);
  int next = state == S_CHECK + 1 ? S_CLEAR + 1 : state == S_CLEAR + 1 ? S_CHECK + 1 : state;
  listP->setStateImage(row, next);
  auto item = static_cast<HTREEITEM>(listP->itemParam(row));
  if (item == nullptr) return;
  HTREEITEM child = treeP->ciSetImage(item, next - 1, next - 1);
  TRACE_LINE(TRC_GUI, "Propogating selection\n");
  if (child != nullptr) treeP->ciPropogateImageDown(child, next - 1);
  treeP->ciPropogateImageUp(item);
}
