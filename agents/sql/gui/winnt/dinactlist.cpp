// The inactivate controller's list view: the rows of the page's list for the selected tree item,
// and their check pictures kept in step with the tree.
#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "agtrc.h"
#include "agttrc.h"
#include "dateutil.h"
#include "dinactctl.h"
#include "dinacttree.h"
#include "nlsnumber.h"
#include "objinfo.h"
#include "objname.h"

namespace {

constexpr int kNumberWidth = 50;

struct Column {
  const char* header;
  DListAlign align;
  int minWidth;
};

constexpr Column kBackupColumns[] = {
    {"Backup Type", DListAlign::Left, 80},
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
constexpr int kSummaryColumns = 7;
constexpr int kDetailColumns = 14;
constexpr int kVersion7Columns = 18;

// The larger of the minimum and 5/4 of the header's width.
void addColumn(DListCtrl* listP, int column, const char* header, DListAlign align, int minWidth) {
  listP->insertColumn(column, header, align, std::max(minWidth, listP->textWidth(header) * 5 / 4));
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

std::string decimal(uint32_t value) {
  return format("%d", static_cast<int>(value));
}

// A row's state picture: its tree item's picture plus one.
int stateOf(DInactivateTreeView* treeP, HTREEITEM item) {
  return treeP->GetTreeCtrl()->getImage(item) + 1;
}

std::string serverOf(const char* fsNameP) {
  char name[ERI_SQL_SERVER_NAME_SIZE] = "";
  extractServerName(fsNameP, name);
  return name;
}

// The texts of a backup's row, by the table of the columns.
std::vector<std::string> backupTexts(MoxtarMetaInfo& entry, bool extended) {
  objInfo info{};
  objInfoFromResp(entry, OBJINFO_META_SIZE, &info);
  const SqlHublorDbElement* dbP = entry.hublorDbElemP;
  char when[DATE_TIME_TEXT_SIZE] = "";
  dateFormat(&info.id.backupTime, when);
  char* saveP = nullptr;
  const char* dateP = strtok_r(when, " ", &saveP);
  const char* timeP = dateP != nullptr ? strtok_r(nullptr, " ", &saveP) : nullptr;
  const agentDateTime& t = info.id.backupTime;
  std::vector<std::string> texts = {
      entry.objName.ll[0] != '\0' ? entry.objName.ll + 1 : "",
      dateP != nullptr ? dateP : "",
      timeP != nullptr ? timeP : "",
      number(info.backupSize64),
      decimal(info.numStripes),
      dbP != nullptr && dbP->bFlags[SQL_META_FLAG_CLUSTERED] != 0 ? "Yes" : "No",
      format("%04u%02u%02u%02u%02u%02u", static_cast<unsigned>(dateYear(&t)), t.month, t.day,
             t.hour, t.minute, t.second),
  };
  if (!extended || dbP == nullptr) return texts;
  // The agent's version as stored: sub-level, release, version, level.
  const uint16_t* v = info.agentVersion;
  texts.insert(texts.end(), {number(dbP->u64DbDataFileSize), number(dbP->u64DbDataSpaceUsed),
                             number(dbP->u64DbLogFileSize), number(dbP->u64DbLogSpaceUsed),
                             format("%d%c%d%c%d%c%.*d", static_cast<int16_t>(v[2]), '.',
                                    static_cast<int16_t>(v[1]), '.', static_cast<int16_t>(v[3]),
                                    '.', v[0] != 0 ? 2 : 1, static_cast<int16_t>(v[0])),
                             format("%d%c%d", static_cast<int>(dbP->lSqlVersionMajor), '.',
                                    static_cast<int>(dbP->lSqlVersionMinor)),
                             decimal(dbP->lDbCompatibilityLevel)});
  if (dbP->lSqlVersionMajor != 7) return texts;
  texts.insert(
      texts.end(),
      {decimal(dbP->lSqlDefaultSortOrderId), decimal(dbP->lSqlDefaultCodePage),
       decimal(dbP->lSqlDefaultUnicodeLocaleId), decimal(dbP->lSqlDefaultUnicodeComparisonStyle)});
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
  if (listP == nullptr || !listP->exists()) {
    TRACE_LINE(TRC_GUI, "The Window element of the list has not been created. %s aborted.\n",
               "cgLVDelete");
    return;
  }
  listP->deleteAllItems();
  for (int count = listP->columnCount(); count > 0; --count) listP->deleteColumn(0);
  listP->repaint();
}

void DInactivateController::cgSetServerHeader(DListCtrl* listP) {
  addColumn(listP, 0, "Servers", DListAlign::Left, 130);
}

void DInactivateController::cgSetDbHeader(DListCtrl* listP) {
  addColumn(listP, 0, "Databases", DListAlign::Left, 100);
}

void DInactivateController::cgSetBuHeader(DListCtrl* listP, bool extended, bool sql7) {
  int count = !extended ? kSummaryColumns : sql7 ? kVersion7Columns : kDetailColumns;
  for (int i = 0; i < count; ++i) {
    const Column& c = kBackupColumns[i];
    addColumn(listP, i, c.header, c.align, c.minWidth);
  }
}

void DInactivateController::cgUpdateServerList(DTreeNodeData* nodeP, DInactivateTreeView* treeP,
                                               DListCtrl* listP) {
  cgSetServerHeader(listP);
  auto* fsP = static_cast<qryRespFSData*>(nodeP->first);
  for (int i = 0; i < nodeP->count && fsP != nullptr; ++i, fsP = treeP->m_serverList.getNext(fsP)) {
    HTREEITEM item = treeP->itemOf(fsP);
    listP->insertItem(i, serverOf(fsP->fsName), stateOf(treeP, item), item);
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
