// The backup controller's list views: the rows of the backup pages' lists for the selected tree
// item, and their check pictures kept in step with the tree.
#include <cstdio>
#include <string>

#include "agtrc.h"
#include "agttrc.h"
#include "dbkctl.h"
#include "dbktree.h"
#include "dlistcols.h"
#include "msgbox.h"
#include "msgout.h"

namespace {

enum : int {
  MSG_SQL_CALL_FAILED = 5422,
  MSG_CAPTION = 5714,
  MSG_COL_NAME = 5788,
  MSG_COL_SPACE_USED = 5789,
  MSG_COL_LOG_SPACE_USED = 5790,
  MSG_COL_COMPAT_LEVEL = 5791,
  MSG_COL_OPTIONS = 5792,
  MSG_COL_PHYSICAL_NAME = 5793,
  MSG_COL_VERSION = 5794,
  MSG_COL_CLUSTERED = 5795,
};
constexpr size_t kHeaderSize = 20;      // a header's text with its terminator
constexpr size_t kErrorTextMax = 1024;  // the failures collected for one box

struct Column {
  int msgNum;
  DListAlign align;
  int minWidth;
};

constexpr Column kServerColumns[] = {{MSG_COL_NAME, DListAlign::Left, 130},
                                     {MSG_COL_VERSION, DListAlign::Left, 80},
                                     {MSG_COL_CLUSTERED, DListAlign::Centre, 80}};
constexpr Column kDbColumns[] = {{MSG_COL_NAME, DListAlign::Left, 100},
                                 {MSG_COL_SPACE_USED, DListAlign::Right, 80},
                                 {MSG_COL_LOG_SPACE_USED, DListAlign::Right, 80},
                                 {MSG_COL_COMPAT_LEVEL, DListAlign::Left, 80},
                                 {MSG_COL_OPTIONS, DListAlign::Left, 800}};
constexpr Column kGroupColumns[] = {{MSG_COL_NAME, DListAlign::Left, 150},
                                    {MSG_COL_SPACE_USED, DListAlign::Right, 100}};
constexpr Column kFileColumns[] = {{MSG_COL_NAME, DListAlign::Left, 100},
                                   {MSG_COL_PHYSICAL_NAME, DListAlign::Left, 200},
                                   {MSG_COL_SPACE_USED, DListAlign::Right, 80}};

// Each column's header is its message, the width the larger of the minimum and five quarters
// of the header's width.
template <size_t N>
void setHeader(DListCtrl* listP, const Column (&columns)[N]) {
  if (listP == nullptr) return;
  for (size_t i = 0; i < N; ++i) {
    char header[kHeaderSize] = "";
    nlsprintf(header, sizeof header, columns[i].msgNum);
    listAddColumn(listP, static_cast<int>(i), header, columns[i].align, columns[i].minWidth);
  }
}

std::string bytes(pkInt64 value) {
  char text[PK_INT64_TEXT_SIZE] = "";
  pkInt64ToString(value, text, 10);
  return text;
}

// The options of a database, each after ", " but the first.
std::string databaseOptions(const SqlDatabaseElement& db) {
  struct Option {
    int32_t SqlDatabaseElement::*flag;
    const char* textP;
  };
  static const Option kOptions[] = {
      {&SqlDatabaseElement::bDbIsSystemDatabase, ", System Database"},
      {&SqlDatabaseElement::bDbIsTruncateLogOnCheckpoint, ", Truncate log on checkpoint"},
      {&SqlDatabaseElement::bDbIsSelectIntoBulkCopy, ", Select into / bulk copy"},
      {&SqlDatabaseElement::bDbIsDboUseOnly, ", Db Owner Use Only"},
      {&SqlDatabaseElement::bDbIsReadOnly, ", Read only"},
      {&SqlDatabaseElement::bDbIsSingleUser, ", Single user"},
  };
  std::string text;
  for (const Option& o : kOptions) {
    if (db.*o.flag == 1) text += o.textP;
  }
  return text.size() >= 2 ? text.substr(2) : text;
}

std::string trimRight(const char* textP) {
  std::string text = textP;
  size_t end = text.find_last_not_of(' ');
  return end == std::string::npos ? std::string() : text.substr(0, end + 1);
}

// A row's state picture: its tree item's picture plus one.
int stateOf(DBackupTreeBase* viewP, const void* recordP) {
  return viewP->imageOf(recordP) + 1;
}

// Calls rowFn(row, record) for the node's children, from its first for its count, ending early
// at the end of the list.
template <class Record, class RowFn>
void eachChild(DTreeNodeData* nodeP, RowFn rowFn) {
  auto* listP = static_cast<CLinkedList<Record>*>(nodeP->pLL);
  auto* recordP = static_cast<Record*>(nodeP->first);
  for (int row = 0; row < nodeP->count && recordP != nullptr; ++row) {
    rowFn(row, recordP);
    recordP = listP != nullptr ? listP->getNext(recordP) : nullptr;
  }
}

void showSqlFailure(const std::string& text) {
  zkui::messageBox(nullptr, backupText(MSG_SQL_CALL_FAILED, text.c_str()), backupText(MSG_CAPTION),
                   zkui::kMbOk | zkui::kMbIconExclamation | zkui::kMbTaskModal);
}

// Appends a line to the collected failures while they stay within one box's share.
void collect(std::string* textP, const std::string& line) {
  if (textP->size() + 1 + line.size() <= kErrorTextMax) {
    *textP += "\n" + line;
  } else if (textP->size() + 4 <= kErrorTextMax) {
    *textP += "\n...";
  }
}

}  // namespace

void DBackupController::cgLVUpdate(HTREEITEM item) {
  lvUpdate(0, item);
}

void DBackupController::cgGFLVUpdate(HTREEITEM item) {
  lvUpdate(1, item);
}

void DBackupController::lvUpdate(int which, HTREEITEM item) {
  DBackupPageView* pageP = backupPage(which);
  if (pageP == nullptr) return;
  DListCtrl* listP = pageP->listCtrl();
  if (item != nullptr && item == pageP->listNode() && listP != nullptr && listP->itemCount() > 0) {
    TRACE_LINE(TRC_GUI, "Updating list view images\n");
    pageP->ciUpdateListState();
    return;
  }
  cgLVDelete(listP);
  pageP->setListNode(item);
  DBackupTreeBase* viewP = backupTree(which);
  if (item == nullptr || viewP == nullptr) return;
  if (which == 1 && viewP->GetTreeCtrl()->getImage(item) == S_DISABLED) return;
  if (DTreeNodeData* nodeP = viewP->ciGetItemData(item)) pageP->ciUpdateList(nodeP);
}

void DBackupController::cgLVDelete(DListCtrl* listP) {
  listDeleteAll(listP);
}

void DBackupController::cgSetServerHeader(DListCtrl* listP) {
  setHeader(listP, kServerColumns);
}

void DBackupController::cgSetDbHeader(DListCtrl* listP) {
  setHeader(listP, kDbColumns);
}

void DBackupController::cgSetGroupHeader(DListCtrl* listP) {
  setHeader(listP, kGroupColumns);
}

void DBackupController::cgSetFileHeader(DListCtrl* listP) {
  setHeader(listP, kFileColumns);
}

void DBackupController::cgUpdateList(int which, DTreeNodeData* nodeP) {
  DBackupTreeBase* viewP = backupTree(which);
  DBackupPageView* pageP = backupPage(which);
  if (viewP == nullptr || pageP == nullptr || nodeP == nullptr) return;
  DListCtrl* listP = pageP->listCtrl();
  int32_t single = which == 0 ? BNODE_DATABASE : BNODE_FILE;
  if (nodeP->pLL == nullptr && nodeP->m_kind != single) return;
  switch (nodeP->m_kind) {
    case BNODE_SERVERS:
      return cgUpdateServerList(nodeP, viewP, listP);
    case BNODE_SERVER:
      return cgUpdateDbList(nodeP, viewP, listP);
    case BNODE_DATABASE:
      if (which == 1) return cgUpdateGroupList(nodeP, viewP, listP);
      return updateDbNode(nodeP);
    case BNODE_GROUP:
      if (which == 1) cgUpdateFileList(nodeP, viewP, listP);
      return;
    case BNODE_FILE:
      cgSetFileHeader(listP);
      if (which == 1) {
        auto* fileP = static_cast<SqlFileElement*>(nodeP->pRelatedInfo);
        if (fileP != nullptr) cgUpdateFile(viewP, listP, stateOf(viewP, fileP), 0, fileP);
      }
      return;
    default:
      return;
  }
}

// The databases page's one row of a database; a failed read disables the database in the tree
// and is shown.
void DBackupController::updateDbNode(DTreeNodeData* nodeP) {
  DBackupTreeView* viewP = getDbTreeView();
  DBackupPageView* pageP = backupPage(0);
  auto* dbP = static_cast<SqlDatabaseElement*>(nodeP->pRelatedInfo);
  if (viewP == nullptr || pageP == nullptr || dbP == nullptr) return;
  DListCtrl* listP = pageP->listCtrl();
  cgSetDbHeader(listP);
  std::string message;
  int failed = 0;
  cgUpdateDb(viewP, listP, stateOf(viewP, dbP), 0, dbP, &message, &failed);
  if (failed == 0) return;
  viewP->ciUpdateImages(pageP->getBackupType());
  showSqlFailure(message);
}

void DBackupController::cgUpdateServerList(DTreeNodeData* nodeP, DBackupTreeBase* viewP,
                                           DListCtrl* listP) {
  cgSetServerHeader(listP);
  eachChild<SqlServerElement>(nodeP, [&](int row, SqlServerElement* sP) {
    int at = listP->insertItem(row, sP->szSqlServerName, stateOf(viewP, sP), viewP->itemOf(sP));
    if (at < 0) return;
    char version[32] = "";
    std::snprintf(version, sizeof version, "%d.%d", static_cast<int>(sP->lSqlVersionMajor),
                  static_cast<int>(sP->lSqlVersionMinor));
    listP->setItemText(at, 1, version);
    listP->setItemText(at, 2, sP->bSqlIsClustered == 1 ? "Yes" : "No");
  });
}

void DBackupController::cgUpdateDbList(DTreeNodeData* nodeP, DBackupTreeBase* viewP,
                                       DListCtrl* listP) {
  cgSetDbHeader(listP);
  std::string errors;
  eachChild<SqlDatabaseElement>(nodeP, [&](int row, SqlDatabaseElement* dbP) {
    std::string message;
    int failed = 0;
    cgUpdateDb(viewP, listP, stateOf(viewP, dbP), row, dbP, &message, &failed);
    if (failed != 0) collect(&errors, message);
  });
  if (errors.empty()) return;
  DBackupTreeView* dbViewP = getDbTreeView();
  DBackupPageView* pageP = backupPage(0);
  if (dbViewP != nullptr && pageP != nullptr) dbViewP->ciUpdateImages(pageP->getBackupType());
  showSqlFailure(errors);
}

void DBackupController::cgUpdateDb(DBackupTreeBase* viewP, DListCtrl* listP, int state, int row,
                                   SqlDatabaseElement* dbP, std::string* messageP, int* errorP) {
  if (dbP->bDbInfoIsLoaded == 0 && dbP->szSqlDatabaseStatus[0] == '\0') {
    std::string text;
    if (readDbInfo(viewP, dbP, &text) != RC_OK) {
      *errorP = 1;
      *messageP += text;
    }
  }
  int at = listP->insertItem(row, dbP->szSqlDatabaseName, state, viewP->itemOf(dbP));
  if (at < 0) return;
  if (dbP->szSqlDatabaseStatus[0] != '\0') listP->setItemText(at, 4, dbP->szSqlDatabaseStatus);
  if (dbP->bDbInfoIsLoaded == 0) return;
  char level[16] = "";
  std::snprintf(level, sizeof level, "%d", static_cast<int>(dbP->lDbCompatibilityLevel));
  listP->setItemText(at, 1, bytes(dbP->u64DbDataSpaceUsed));
  listP->setItemText(at, 2, bytes(dbP->u64DbLogSpaceUsed));
  listP->setItemText(at, 3, level);
  if (dbP->szSqlDatabaseStatus[0] == '\0') listP->setItemText(at, 4, databaseOptions(*dbP));
}

void DBackupController::cgUpdateGroupList(DTreeNodeData* nodeP, DBackupTreeBase* viewP,
                                          DListCtrl* listP) {
  cgSetGroupHeader(listP);
  eachChild<SqlGroupElement>(nodeP, [&](int row, SqlGroupElement* gP) {
    int at = listP->insertItem(row, gP->szGroupName, stateOf(viewP, gP), viewP->itemOf(gP));
    if (at >= 0) listP->setItemText(at, 1, bytes(gP->u64GroupSpaceUsed));
  });
}

void DBackupController::cgUpdateFileList(DTreeNodeData* nodeP, DBackupTreeBase* viewP,
                                         DListCtrl* listP) {
  cgSetFileHeader(listP);
  eachChild<SqlFileElement>(nodeP, [&](int row, SqlFileElement* fP) {
    cgUpdateFile(viewP, listP, stateOf(viewP, fP), row, fP);
  });
}

void DBackupController::cgUpdateFile(DBackupTreeBase* viewP, DListCtrl* listP, int state, int row,
                                     SqlFileElement* fileP) {
  int at = listP->insertItem(row, fileP->szFileLogicalName, state, viewP->itemOf(fileP));
  if (at < 0) return;
  listP->setItemText(at, 1, trimRight(fileP->szFilePhysicalName));
  listP->setItemText(at, 2, bytes(fileP->u64FileSpaceUsed));
}

namespace {

// The state a click on a row's check picture gives (2 clear, 3 checked, 4 partial); the same
// state for one that does not change.
int toggledState(int state) {
  if (state == S_CHECK + 1) return S_CLEAR + 1;
  if (state == S_CLEAR + 1 || state == S_PARTIAL + 1) return S_CHECK + 1;
  return state;
}

}  // namespace

void DBackupController::cgToggleItemState(int row, DListCtrl* listP, DBackupTreeBase* viewP) {
  if (listP == nullptr || viewP == nullptr) return;
  int state = listP->stateImage(row);
  int next = toggledState(state);
  if (next == state) return;
  listP->setStateImage(row, next);
  auto item = static_cast<HTREEITEM>(listP->itemParam(row));
  if (item == nullptr) return;
  int image = next - 1;
  TRACE_LINE(TRC_GUI, "Propogating selection\n");
  if (HTREEITEM child = viewP->ciSetImage(item, image, image)) {
    viewP->ciPropogateImageDown(child, image);
  }
  viewP->ciPropogateImageUp(item);
}

void DBackupController::cgToggleGroupState(int row, DListCtrl* listP, DBackupTreeBase* viewP) {
  if (listP == nullptr || viewP == nullptr) return;
  int state = listP->stateImage(row);
  int next = toggledState(state);
  if (next == state) return;
  auto item = static_cast<HTREEITEM>(listP->itemParam(row));
  if (item == nullptr) return;
  int image = next - 1;
  TRACE_LINE(TRC_GUI, "Propogating selection for group\n");
  HTREEITEM child = viewP->ciSetImage(item, image, image);
  // A file takes its group along; a group row is a whole group already.
  DTreeNodeData* nodeP = viewP->ciGetItemData(item);
  if (nodeP != nullptr && nodeP->m_kind == BNODE_FILE) {
    viewP->ciPropogateImageToSiblings(item, image);
    viewP->ciPropogateImageToParent(item, image);
  }
  if (child != nullptr) viewP->ciPropogateImageDown(child, image);
  viewP->ciPropogateImageUp(item);
  cgGFLVUpdate(viewP->GetTreeCtrl()->getSelection());
}

void DBackupController::cgUpdateListState(DListCtrl* listP, DBackupTreeBase* viewP) {
  if (listP == nullptr || viewP == nullptr) return;
  for (int row = 0; row < listP->itemCount(); ++row) {
    auto item = static_cast<HTREEITEM>(listP->itemParam(row));
    listP->setStateImage(row, viewP->GetTreeCtrl()->getImage(item) + 1);
  }
}
