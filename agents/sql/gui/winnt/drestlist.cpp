// The restore controller's list views: the rows of the restore pages' lists for the selected
// tree item, and their check pictures kept in step with the tree.
#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "agtrc.h"
#include "agttrc.h"
#include "dateutil.h"
#include "drestctl.h"
#include "drestree.h"
#include "msgout.h"
#include "nlsnumber.h"
#include "objinfo.h"
#include "objname.h"

namespace {

enum : int { MSG_GROUPS_NOT_LOADED = 5802 };
constexpr int kNumberWidth = 50;

struct Column {
  const char* header;
  DListAlign align;
  int minWidth;
};

constexpr Column kBackupColumns[] = {
    {"Backup Type", DListAlign::Left, 80},
    {"State", DListAlign::Centre, 80},
    {"Date", DListAlign::Left, 70},
    {"Time", DListAlign::Left, 60},
    {"Backup Size", DListAlign::Right, 80},
    {"Stripes", DListAlign::Right, 45},
    {"Cluster", DListAlign::Centre, 50},
    {"Object Id", DListAlign::Left, 100},
    {"Data Space Allocated", DListAlign::Right, 80},
    {"Data Space Used", DListAlign::Right, 80},
    {"Log Space Allocated", DListAlign::Right, 80},
    {"Log Space Used", DListAlign::Right, 80},
    {"Zarnak Version", DListAlign::Centre, 80},
    {"SQL Server Version", DListAlign::Centre, 80},
    {"SQL Db Compat Level", DListAlign::Centre, 80},
    {"Default Sort Order", DListAlign::Centre, 80},
    {"Default Code Page", DListAlign::Centre, 80},
    {"Unicode Locale", DListAlign::Centre, 80},
    {"Unicode Comparison Style", DListAlign::Centre, 80},
};
constexpr int kSummaryColumns = 8;
constexpr int kDetailColumns = 15;
constexpr int kVersion7Columns = 19;

constexpr Column kGroupColumns[] = {
    {"Group", DListAlign::Left, 130},
    {"Group Space Allocated", DListAlign::Right, 100},
    {"Group Space Used", DListAlign::Right, 100},
    {"Primary", DListAlign::Centre, 100},
};

constexpr Column kFileColumns[] = {
    {"File", DListAlign::Left, 90},
    {"Physical Name", DListAlign::Left, 180},
    {"File Space Allocated", DListAlign::Right, 80},
    {"File Space Used", DListAlign::Right, 80},
};

// The larger of the minimum and 5/4 of the header's width.
int columnWidth(DListCtrl* listP, const std::string& header, int minWidth) {
  return std::max(minWidth, listP->textWidth(header) * 5 / 4);
}

template <size_t N>
void setHeader(DListCtrl* listP, const Column (&columns)[N], int count = N) {
  for (int i = 0; i < count; ++i) {
    const Column& c = columns[i];
    listP->insertColumn(i, c.header, c.align, columnWidth(listP, c.header, c.minWidth));
  }
}

std::string number(pkInt64 value) {
  char text[kNumberWidth] = "";
  nlsFormatInt64(value, text, sizeof text);
  return text;
}

std::string format(const char* formatP, ...) __attribute__((format(printf, 1, 2)));
std::string format(const char* formatP, ...) {
  char text[128];
  va_list args;
  va_start(args, formatP);
  std::vsnprintf(text, sizeof text, formatP, args);
  va_end(args);
  return text;
}

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

std::string serverOf(const char* fsNameP) {
  char name[ERI_SQL_SERVER_NAME_SIZE] = "";
  extractServerName(fsNameP, name);
  return name;
}

// The texts of one backup's columns (detail or not), by the table of the list.
std::vector<std::string> backupTexts(MoxtarMetaInfo& entry, bool detail) {
  objInfo info{};
  objInfoFromResp(entry, OBJINFO_META_SIZE, &info);
  const SqlHublorDbElement* dbP = entry.hublorDbElemP;
  uint32_t type = BACKUP_TYPE_INVALID;
  extractBackupType(entry.objName.ll, &type);
  char when[DATE_TIME_TEXT_SIZE] = "";
  dateFormat(&info.id.backupTime, when);
  char* saveP = nullptr;
  const char* dateP = strtok_r(when, " ", &saveP);
  const char* timeP = dateP != nullptr ? strtok_r(nullptr, " ", &saveP) : nullptr;
  const agentDateTime& t = info.id.backupTime;
  const char* stateP = entry.objState == PELK_ACTIVE     ? "Active"
                       : entry.objState == PELK_INACTIVE ? "Inactive"
                                                         : "";
  std::vector<std::string> texts = {
      backupTypeLlNames[std::min<uint32_t>(type, BACKUP_TYPE_INVALID)],
      stateP,
      dateP != nullptr ? dateP : "",
      timeP != nullptr ? timeP : "",
      number(info.backupSize64),
      format("%d", static_cast<int>(info.numStripes)),
      yesNo(dbP != nullptr ? dbP->bFlags[SQL_META_FLAG_CLUSTERED] : 0),
      format("%04u%02u%02u%02u%02u%02u", static_cast<unsigned>(dateYear(&t)), t.month, t.day,
             t.hour, t.minute, t.second),
  };
  if (!detail || dbP == nullptr) return texts;
  // The agent's version as stored: sub-level, release, version, level.
  const uint16_t* v = info.agentVersion;
  texts.insert(
      texts.end(),
      {number(dbP->u64DbDataFileSize), number(dbP->u64DbDataSpaceUsed),
       number(dbP->u64DbLogFileSize), number(dbP->u64DbLogSpaceUsed),
       format("%d%c%d%c%d%c%.*d", v[2], '.', v[1], '.', v[3], '.', v[0] != 0 ? 2 : 1, v[0]),
       format("%d%c%d%c%s", static_cast<int>(dbP->lSqlVersionMajor), '.',
              static_cast<int>(dbP->lSqlVersionMinor), '.', dbP->szSqlServerBuild),
       format("%d", static_cast<int>(dbP->lDbCompatibilityLevel))});
  if (dbP->lSqlVersionMajor != 7) return texts;
  texts.insert(texts.end(),
               {format("%d", static_cast<int>(dbP->lSqlDefaultSortOrderId)),
                format("%d", static_cast<int>(dbP->lSqlDefaultCodePage)),
                format("%d", static_cast<int>(dbP->lSqlDefaultUnicodeLocaleId)),
                format("%d", static_cast<int>(dbP->lSqlDefaultUnicodeComparisonStyle))});
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
  if (listP == nullptr || !listP->exists()) {
    TRACE_LINE(TRC_GUI, "The Window element of the list has not been created. %s aborted.\n",
               "cgLVDelete");
    return;
  }
  listP->deleteAllItems();
  for (int count = listP->columnCount(); count > 0; --count) listP->deleteColumn(0);
  listP->repaint();
}

void DRestoreController::cgSetServerHeader(DListCtrl* listP) {
  listP->insertColumn(0, "Servers", DListAlign::Left, columnWidth(listP, "Servers", 130));
}

void DRestoreController::cgSetDbHeader(DListCtrl* listP) {
  listP->insertColumn(0, "Databases", DListAlign::Left, columnWidth(listP, "Databases", 100));
}

void DRestoreController::cgSetBuHeader(DListCtrl* listP, bool detail, bool sqlServer7) {
  int count = !detail ? kSummaryColumns : sqlServer7 ? kVersion7Columns : kDetailColumns;
  setHeader(listP, kBackupColumns, count);
}

void DRestoreController::cgSetGroupHeader(DListCtrl* listP) {
  setHeader(listP, kGroupColumns);
}

void DRestoreController::cgSetFileHeader(DListCtrl* listP) {
  setHeader(listP, kFileColumns);
}

void DRestoreController::cgUpdateServerList(DTreeNodeData* nodeP, DRestoreTreeBase* viewP,
                                            DListCtrl* listP) {
  cgSetServerHeader(listP);
  auto* fsP = static_cast<qryRespFSData*>(nodeP->first);
  for (int row = 0; row < nodeP->count && fsP != nullptr;
       ++row, fsP = viewP->m_serverList.getNext(fsP)) {
    insertRow(listP, viewP, row, serverOf(fsP->fsName), fsP);
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
    bool same = dbP->firstP != nullptr && serverOf(dbP->firstP->objName.fs) == nodeP->m_label;
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
             {"", number(groupP->u64GroupFileSize), number(groupP->u64GroupSpaceUsed),
              yesNo(groupP->bGroupIsPrimary)});
  }
}

namespace {

void insertFileRow(DListCtrl* listP, DRestoreTreeBase* viewP, int row, SqlMetaFileInfo* fileP) {
  int at = insertRow(listP, viewP, row, fileP->szFileLogicalName, fileP);
  if (at < 0) return;
  setTexts(listP, at,
           {"", fileP->szFilePhysicalName, number(fileP->u64FileSize),
            fileP->bFileIsLog == 0 ? number(fileP->u64FileSpaceUsed) : std::string()});
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
