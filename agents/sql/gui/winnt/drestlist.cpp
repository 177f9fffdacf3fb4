// The restore controller's list views: the rows of the restore pages' lists for the selected
// tree item, and their check pictures kept in step with the tree.
#include <algorithm>
#include <string>
#include <vector>

#include "agtrc.h"
#include "agttrc.h"
#include "dlistcols.h"
#include "drestctl.h"
#include "drestree.h"
#include "msgout.h"
#include "objinfo.h"
#include "objname.h"

namespace {

enum : int { MSG_GROUPS_NOT_LOADED = 5802 };

constexpr ListColumn kGroupColumns[] = {
    {"Group", DListAlign::Left, 130},
    {"Group Space Allocated", DListAlign::Right, 100},
    {"Group Space Used", DListAlign::Right, 100},
    {"Primary", DListAlign::Centre, 100},
};

constexpr ListColumn kFileColumns[] = {
    {"File", DListAlign::Left, 90},
    {"Physical Name", DListAlign::Left, 180},
    {"File Space Allocated", DListAlign::Right, 80},
    {"File Space Used", DListAlign::Right, 80},
};

const char* yesNo(uint32_t flag) {
  return flag != 0 ? "Yes" : "No";
}

// A row's state picture: its tree item's picture plus one.
int stateOf(DRestoreTreeBase* viewP, HTREEITEM item) {
  return viewP->GetTreeCtrl()->getImage(item) + 1;
}

int insertRow(DListCtrl* listP, DRestoreTreeBase* viewP, int row, const std::string& text,
              const void* recordP) {
  HTREEITEM item = viewP->itemOf(recordP);
  return listP->insertItem(row, text, stateOf(viewP, item), item);
}

// The texts of one backup's columns (detail or not), by the table of the list.
std::vector<std::string> backupTexts(MoxtarMetaInfo& entry, bool detail) {
  objInfo info{};
  objInfoFromResp(entry, OBJINFO_META_SIZE, &info);
  const SqlHublorDbElement* dbP = entry.hublorDbElemP;
  uint32_t type = BACKUP_TYPE_INVALID;
  extractBackupType(entry.objName.ll, &type);
  ListBackupWhen when = listBackupWhen(info);
  const char* stateP = entry.objState == PELK_ACTIVE     ? "Active"
                       : entry.objState == PELK_INACTIVE ? "Inactive"
                                                         : "";
  std::vector<std::string> texts = {
      backupTypeLlNames[std::min<uint32_t>(type, BACKUP_TYPE_INVALID)],
      stateP,
      when.date,
      when.time,
      listNumber(info.backupSize64),
      listFormat("%d", static_cast<int>(info.numStripes)),
      yesNo(dbP != nullptr ? dbP->bFlags[SQL_META_FLAG_CLUSTERED] : 0),
      when.objectId,
  };
  if (!detail || dbP == nullptr) return texts;
  std::vector<std::string> spaces = listDbSpaceTexts(*dbP);
  texts.insert(texts.end(), spaces.begin(), spaces.end());
  // The agent's version as stored: sub-level, release, version, level.
  const uint16_t* v = info.agentVersion;
  texts.insert(
      texts.end(),
      {listFormat("%d%c%d%c%d%c%.*d", v[2], '.', v[1], '.', v[3], '.', v[0] != 0 ? 2 : 1, v[0]),
       listFormat("%d%c%d%c%s", static_cast<int>(dbP->lSqlVersionMajor), '.',
                  static_cast<int>(dbP->lSqlVersionMinor), '.', dbP->szSqlServerBuild),
       listFormat("%d", static_cast<int>(dbP->lDbCompatibilityLevel))});
  if (dbP->lSqlVersionMajor != 7) return texts;
  std::vector<std::string> sql7 = listSql7Texts(*dbP);
  texts.insert(texts.end(), sql7.begin(), sql7.end());
  return texts;
}

void setTexts(DListCtrl* listP, int row, const std::vector<std::string>& texts) {
  for (size_t column = 1; column < texts.size(); ++column) {
    listP->setItemText(row, static_cast<int>(column), texts[column]);
  }
}

}  // namespace

void DRestoreController::cgLVUpdate(HTREEITEM item) {
  lvUpdate(0, item);
}

void DRestoreController::cgGFLVUpdate(HTREEITEM item) {
  lvUpdate(1, item);
}

void DRestoreController::lvUpdate(int which, HTREEITEM item) {
  DRestorePageView* pageP = restorePage(which);
  if (pageP == nullptr) return;
  DListCtrl* listP = pageP->listCtrl();
  if (item == pageP->listNode() && listP != nullptr && listP->itemCount() > 0) {
    TRACE_LINE(TRC_GUI, "Updating list view images\n");
    pageP->ciUpdateListState();
    return;
  }
  TRACE_LINE(TRC_GUI, "Deleting list view\n");
  cgLVDelete(listP);
  pageP->setListNode(item);
  DRestoreTreeBase* viewP = restoreTree(which);
  if (item == nullptr || viewP == nullptr) return;
  TRACE_LINE(TRC_GUI, "Updating list view\n");
  if (DTreeNodeData* nodeP = viewP->ciGetItemData(item)) pageP->ciUpdateList(nodeP);
}

void DRestoreController::cgLVDelete(DListCtrl* listP) {
  listDeleteAll(listP);
}

void DRestoreController::cgSetServerHeader(DListCtrl* listP) {
  listAddColumn(listP, 0, "Servers", DListAlign::Left, 130);
}

void DRestoreController::cgSetDbHeader(DListCtrl* listP) {
  listAddColumn(listP, 0, "Databases", DListAlign::Left, 100);
}

void DRestoreController::cgSetBuHeader(DListCtrl* listP, bool detail, bool sqlServer7) {
  listSetBackupHeader(listP, true, detail, sqlServer7);
}

void DRestoreController::cgSetGroupHeader(DListCtrl* listP) {
  listSetHeader(listP, kGroupColumns);
}

void DRestoreController::cgSetFileHeader(DListCtrl* listP) {
  listSetHeader(listP, kFileColumns);
}

void DRestoreController::cgUpdateServerList(DTreeNodeData* nodeP, DRestoreTreeBase* viewP,
                                            DListCtrl* listP) {
  cgSetServerHeader(listP);
  auto* fsP = static_cast<qryRespFSData*>(nodeP->first);
  for (int row = 0; row < nodeP->count && fsP != nullptr;
       ++row, fsP = viewP->m_serverList.getNext(fsP)) {
    insertRow(listP, viewP, row, listServerOf(fsP->fsName), fsP);
  }
}

// One server's databases follow each other in the list, from the server's first on.
void DRestoreController::cgUpdateDbList(DTreeNodeData* nodeP, DRestoreTreeBase* viewP,
                                        DListCtrl* listP) {
  cgSetDbHeader(listP);
  bool matched = false;
  int row = 0;
  for (auto* dbP = static_cast<DbSummaryElement*>(nodeP->first); dbP != nullptr;
       dbP = viewP->m_dbList.getNext(dbP)) {
    bool same = dbP->firstP != nullptr && listServerOf(dbP->firstP->objName.fs) == nodeP->m_label;
    if (!same && matched) return;
    if (!same) continue;
    matched = true;
    insertRow(listP, viewP, row++, dbP->szDbName, dbP);
  }
}

void DRestoreController::cgUpdateSqlBackupList(DTreeNodeData* nodeP, DRestoreTreeBase* viewP,
                                               DListCtrl* listP) {
  cgSetBuHeader(listP, false, false);
  int skipped = 0;
  auto* entryP = static_cast<MoxtarMetaInfo*>(nodeP->first);
  for (int i = 0; i < nodeP->count && entryP != nullptr;
       ++i, entryP = viewP->m_backupList.getNext(entryP)) {
    cgInsertBackupRow(nodeP, viewP, i - skipped, entryP, listP, false, &skipped);
  }
}

void DRestoreController::cgUpdateSqlBackup(DTreeNodeData* nodeP, DRestoreTreeBase* viewP,
                                           DListCtrl* listP) {
  auto* entryP = static_cast<MoxtarMetaInfo*>(nodeP->pRelatedInfo);
  if (entryP == nullptr) return;
  bool sqlServer7 =
      entryP->hublorDbElemP != nullptr && entryP->hublorDbElemP->lSqlVersionMajor == 7;
  int skipped = 0;
  if (!groupsNotLoaded(nodeP, viewP)) cgSetBuHeader(listP, true, sqlServer7);
  cgInsertBackupRow(nodeP, viewP, 0, entryP, listP, true, &skipped);
}

// A backup whose file groups the page would list but which are not installed.
bool DRestoreController::groupsNotLoaded(DTreeNodeData* nodeP, DRestoreTreeBase* viewP) {
  if (nodeP->pLL != nullptr || !isBackupNode(nodeP->m_kind)) return false;
  if (viewP->groupsFiles()) return nodeP->m_kind != RNODE_LOG;
  DRestorePageView* pageP = restorePage(0);
  return pageP != nullptr && pageP->partial() == 1;
}

void DRestoreController::cgInsertBackupRow(DTreeNodeData* nodeP, DRestoreTreeBase* viewP, int row,
                                           MoxtarMetaInfo* entryP, DListCtrl* listP, bool detail,
                                           int* skippedP) {
  HTREEITEM item = viewP->itemOf(entryP);
  if (item == nullptr) {
    ++*skippedP;
    return;
  }
  if (groupsNotLoaded(nodeP, viewP)) {
    if (entryP->hublorDbElemP != nullptr && viewP->marks(entryP->hublorDbElemP).firstGroupP) return;
    std::string text = restoreText(MSG_GROUPS_NOT_LOADED);
    listP->insertColumn(1, " ", DListAlign::Left, listP->textWidth(text) * 5 / 4);
    listP->insertItem(row, text, stateOf(viewP, item), item);
    return;
  }
  std::vector<std::string> texts = backupTexts(*entryP, detail);
  int at = listP->insertItem(row, texts[0], stateOf(viewP, item), item);
  if (at >= 0) setTexts(listP, at, texts);
}

void DRestoreController::cgUpdateSqlGroupList(DTreeNodeData* nodeP, DRestoreTreeBase* viewP,
                                              DListCtrl* listP) {
  cgSetGroupHeader(listP);
  auto* groupP = static_cast<SqlMetaGroupInfo*>(nodeP->first);
  for (int row = 0; row < nodeP->count && groupP != nullptr;
       ++row, groupP = viewP->m_groupList.getNext(groupP)) {
    int at = insertRow(listP, viewP, row, groupP->szGroupName, groupP);
    if (at < 0) continue;
    setTexts(listP, at,
             {"", listNumber(groupP->u64GroupFileSize), listNumber(groupP->u64GroupSpaceUsed),
              yesNo(groupP->bGroupIsPrimary)});
  }
}

namespace {

void insertFileRow(DListCtrl* listP, DRestoreTreeBase* viewP, int row, SqlMetaFileInfo* fileP) {
  int at = insertRow(listP, viewP, row, fileP->szFileLogicalName, fileP);
  if (at < 0) return;
  setTexts(listP, at,
           {"", fileP->szFilePhysicalName, listNumber(fileP->u64FileSize),
            fileP->bFileIsLog == 0 ? listNumber(fileP->u64FileSpaceUsed) : std::string()});
}

}  // namespace

void DRestoreController::cgUpdateSqlFileList(DTreeNodeData* nodeP, DRestoreTreeBase* viewP,
                                             DListCtrl* listP) {
  cgSetFileHeader(listP);
  auto* fileP = static_cast<SqlMetaFileInfo*>(nodeP->first);
  for (int row = 0; row < nodeP->count && fileP != nullptr;
       ++row, fileP = viewP->m_fileList.getNext(fileP)) {
    insertFileRow(listP, viewP, row, fileP);
  }
}

void DRestoreController::cgUpdateSqlFile(DTreeNodeData* nodeP, DRestoreTreeBase* viewP,
                                         DListCtrl* listP) {
  cgSetFileHeader(listP);
  if (nodeP->pRelatedInfo == nullptr) return;
  insertFileRow(listP, viewP, 0, static_cast<SqlMetaFileInfo*>(nodeP->pRelatedInfo));
}

int DRestoreController::cgUpdateListState(DListCtrl* listP, DRestoreTreeBase* viewP) {
  if (listP == nullptr || viewP == nullptr) return 0;
  for (int row = 0; row < listP->itemCount(); ++row) {
    auto item = static_cast<HTREEITEM>(listP->itemParam(row));
    listP->setStateImage(row, stateOf(viewP, item));
  }
  return 0;
}

void restoreUpdateList(DRestoreController* controllerP, DRestoreTreeBase* viewP, DListCtrl* listP,
                       DTreeNodeData* nodeP, int partial) {
  if (controllerP == nullptr || viewP == nullptr || listP == nullptr || nodeP == nullptr) return;
  bool groupsFiles = viewP->groupsFiles();
  switch (nodeP->m_kind) {
    case RNODE_SERVERS:
      return controllerP->cgUpdateServerList(nodeP, viewP, listP);
    case RNODE_SERVER:
      return controllerP->cgUpdateDbList(nodeP, viewP, listP);
    case RNODE_DATABASE:
      return controllerP->cgUpdateSqlBackupList(nodeP, viewP, listP);
    case RNODE_GROUP:
      return controllerP->cgUpdateSqlFileList(nodeP, viewP, listP);
    case RNODE_FILE:
      return controllerP->cgUpdateSqlFile(nodeP, viewP, listP);
    case RNODE_DIFF:
      if (!groupsFiles) controllerP->cgUpdateSqlBackup(nodeP, viewP, listP);
      return;
    default:
      break;
  }
  if (!isBackupNode(nodeP->m_kind)) return;
  bool fileBackup = nodeP->m_kind == RNODE_FULL || nodeP->m_kind == RNODE_LOG;
  if (!groupsFiles && !fileBackup) return;
  bool groups =
      nodeP->pLL != nullptr && (groupsFiles || (partial == 1 && nodeP->m_kind == RNODE_FULL));
  if (groups) return controllerP->cgUpdateSqlGroupList(nodeP, viewP, listP);
  controllerP->cgUpdateSqlBackup(nodeP, viewP, listP);
}
