// The inactivate controller: its window's parts, the queries that fill the tree, the
// inactivation of the checked backups and the refresh.
#include "dinactctl.h"

#include <cstring>
#include <string>
#include <vector>

#include "agtrc.h"
#include "agttrc.h"
#include "dguiopts.h"
#include "dinacttree.h"
#include "drestctl.h"
#include "drestquery.h"
#include "dwaitcursor.h"
#include "erifunc.h"
#include "msgbox.h"
#include "objname.h"
#include "parse.h"

namespace {

enum : int {
  MSG_CAPTION = 5714,
  MSG_NO_ACTIVE_BACKUPS = 5719,
  MSG_NOTHING_CHECKED = 5722,
  MSG_TOP_LABEL = 5751,
};
constexpr int RC_NOTHING_FOUND = 114;
constexpr int RC_NOTHING_CHECKED = 1500;
constexpr uint32_t kInactivateCommand = ERI_CMD_INACTIVATE_FULL;  // as the parser numbers it

// The backup types the tree shows, in the order of their kinds (6 to 11): the type word of the
// backup's low-level name, compared whole.
constexpr const char* kTypeWords[] = {"full", "difffull", "log", "group", "file", "set"};

void showBox(int msgNum, unsigned icon) {
  std::string text = restoreText(msgNum);
  TRACE_LINE(TRC_GUI, "Displaying message box with text: %s\n", text.c_str());
  zkui::messageBox(nullptr, text, restoreText(MSG_CAPTION),
                   zkui::kMbOk | icon | zkui::kMbTaskModal);
}

// The kind of a backup's item, or -1 for a type word the tree does not show.
int32_t backupKindOf(const MoxtarMetaInfo& entry) {
  const char* wordP = entry.objName.ll[0] != '\0' ? entry.objName.ll + 1 : entry.objName.ll;
  for (int32_t i = 0; i < static_cast<int32_t>(std::size(kTypeWords)); ++i) {
    if (std::strcmp(wordP, kTypeWords[i]) == 0) return INODE_FULL + i;
  }
  return -1;
}

// The item with its record pointing at the element it shows.
HTREEITEM addItem(DInactivateTreeView* treeP, HTREEITEM parent, const std::string& label,
                  int32_t kind, int hasChildren, int image, void* elementP) {
  HTREEITEM item =
      DApplicationController::cgAddSqlTreeItem(parent, treeP, label, kind, hasChildren, image);
  if (DTreeNodeData* recordP = treeP->ciGetItemData(item)) recordP->pRelatedInfo = elementP;
  treeP->marks(elementP).item = item;
  return item;
}

// The options' query record as the restore windows fill it (drestquery.h), with what the
// inactivate controller adds from the options: database elements for the compatibility
// information, backups in any state, the backups' file information.
template <class Parms>
struct DInactivateRequest : DRestoreQueryOf<Parms> {
  DInactivateRequest(OptionsInfo& o, const char* dbNameP) : DRestoreQueryOf<Parms>(o, dbNameP) {
    this->parms.bFillDbElems = o.bCompatibilityInfo;
    this->parms.bAll = o.bAll;
    this->parms.bFileInfo = o.bFileInfo;
  }
};

}  // namespace

DInformReply DInactivateController::cgListenToInforms(DInformMsg msg) {
  return forwardToParent(msg);
}

DInactivateTreeView* DInactivateController::getTreeView() const {
  return asInactivateTree(m_parts.treeViewP);
}

DInactivatePageView* DInactivateController::getPage() const {
  return dynamic_cast<DInactivatePageView*>(m_parts.pageP);
}

int DInactivateController::cgGetAndInstallSqlServerList(HTREEITEM item,
                                                        DInactivateTreeView* treeP) {
  static const char* const kName = "DInactivateController::cgGetAndInstallSqlServerList";
  TRACE_ENTRY(TRC_GUI, kName);
  DTreeNodeData* nodeP = treeP != nullptr ? treeP->ciGetItemData(item) : nullptr;
  if (nodeP == nullptr) TRACE_RETURN(RC_INTERNAL_ERROR);
  if (nodeP->pLL != nullptr && nodeP->first != nullptr) {
    TRACE_LINE(TRC_GUI, "Exit %s, server list previously installed\n", kName);
    return RC_OK;
  }
  MoxtarFilespaceList& servers = treeP->m_serverList;
  int rc = queryStoredServers(servers);
  for (HTREEITEM child = treeP->ciGetChild(item); child != nullptr;) {
    HTREEITEM next = treeP->ciGetSibling(child);
    treeP->ciDeleteItem(child);
    child = next;
  }
  if (rc != RC_OK) TRACE_RETURN(rc);
  for (qryRespFSData* fsP = servers.getFirst(); fsP != nullptr; fsP = servers.getNext(fsP)) {
    char name[ERI_SQL_SERVER_NAME_SIZE] = "";
    rc = extractServerName(fsP->fsName, name);
    if (rc != RC_OK) TRACE_RETURN(rc);
    addItem(treeP, item, name, INODE_SERVER, 1, S_CLEAR, fsP);
  }
  nodeP->pLL = &servers;
  nodeP->first = servers.getFirst();
  nodeP->count = static_cast<int32_t>(servers.getCount());
  TRACE_RETURN(RC_OK);
}

int DInactivateController::cgGetAndInstallSqlBackupList(HTREEITEM item,
                                                        DInactivateTreeView* treeP) {
  static const char* const kName = "DInactivateController::cgGetAndInstallSqlBackupList";
  TRACE_ENTRY(TRC_GUI, kName);
  DTreeNodeData* serverP = treeP != nullptr ? treeP->ciGetItemData(item) : nullptr;
  if (serverP == nullptr) TRACE_RETURN(RC_INTERNAL_ERROR);
  if (serverP->pLL != nullptr && serverP->first != nullptr) {
    TRACE_LINE(TRC_GUI, "Exit %s, db list previously installed\n", kName);
    return RC_OK;
  }
  for (HTREEITEM child = treeP->ciGetChild(item); child != nullptr;) {
    HTREEITEM next = treeP->ciGetSibling(child);
    treeP->ciDeleteItem(child);
    child = next;
  }
  int image = treeP->GetTreeCtrl()->getImage(item);
  CLinkedList<DbSummaryElement>& dbs = treeP->m_dbList;
  DbSummaryElement* lastBeforeP = dbs.getLast();
  // The server's own backups: its name as the item shows it, not the options' server.
  std::string server = serverP->m_label;
  if (server.size() >= ERI_SQL_SERVER_NAME_SIZE) TRACE_RETURN(RC_FS_NAME_TOO_LONG);

  OptionsInfo& o = guiOptions();
  o.bCompatibilityInfo = 1;
  DInactivateRequest<DSqlQueryBackupParms> request(o, "*");
  DSqlQueryBackupParms& parms = request.parms;
  parms.sqlServerNameP = server.c_str();
  parms.bAll = 0;
  parms.qryCommand = CMD_QUERY_HUBLOR_ALL;
  parms.dbElemListP = &treeP->m_dbInfoList;
  parms.dbElemGroupListP = &treeP->m_groupList;
  parms.dbElemFileListP = &treeP->m_fileList;
  parms.dbSummaryListP = &dbs;
  parms.qryBuListP = &treeP->m_backupList;
  int rc;
  {
    DWaitCursor wait;
    rc = eriHublorQuerySqlBackups(&parms);
  }
  if (rc == RC_NOTHING_FOUND) {
    treeP->ciSetChildren(item, 0);
    showBox(MSG_NO_ACTIVE_BACKUPS, zkui::kMbIconInformation);
  }
  if (rc != RC_OK) {
    TRACE_LINE(TRC_GUI, "Query of stored backups, rc = %d: %s\n", rc, request.msg);
    TRACE_RETURN(rc);
  }
  DbSummaryElement* firstNewP = lastBeforeP != nullptr ? dbs.getNext(lastBeforeP) : dbs.getFirst();
  int32_t added = 0;
  MoxtarMetaList& backups = treeP->m_backupList;
  for (DbSummaryElement* dbP = firstNewP; dbP != nullptr; dbP = dbs.getNext(dbP), ++added) {
    HTREEITEM dbItem = addItem(treeP, item, dbP->szDbName, INODE_DATABASE, 0, image, dbP);
    if (DTreeNodeData* dbNodeP = treeP->ciGetItemData(dbItem)) {
      dbNodeP->pLL = &backups;
      dbNodeP->first = dbP->firstP;
      dbNodeP->count = static_cast<int32_t>(dbP->count);
    }
    MoxtarMetaInfo* entryP = dbP->firstP;
    for (uint32_t i = 0; i < dbP->count && entryP != nullptr;
         ++i, entryP = backups.getNext(entryP)) {
      int32_t kind = backupKindOf(*entryP);
      if (kind < 0) {
        treeP->marks(entryP).item = nullptr;
        continue;
      }
      addItem(treeP, dbItem, kTypeWords[kind - INODE_FULL], kind, 0, image, entryP);
    }
  }
  // Only this server's databases: the list holds every server's expanded so far.
  serverP->pLL = &dbs;
  serverP->first = firstNewP;
  serverP->count = added;
  TRACE_RETURN(RC_OK);
}

int DInactivateController::markHublorDbListSelected(MoxtarMetaList& backups,
                                                    MoxtarMetaList* selectedP,
                                                    DInactivateTreeView* treeP, uint32_t* countP) {
  TRACE_ENTRY(TRC_GUI, "DInactivateController::markHublorDbListSelected");
  for (MoxtarMetaInfo* entryP = backups.getFirst(); entryP != nullptr;
       entryP = backups.getNext(entryP)) {
    HTREEITEM item = treeP->itemOf(entryP);
    if (item == nullptr) continue;
    bool checked = treeP->GetTreeCtrl()->getSelectedImage(item) == S_CHECK;
    if (entryP->hublorDbElemP != nullptr) treeP->marks(entryP->hublorDbElemP).selected = checked;
    if (!checked) continue;
    if (selectedP->addTail(entryP) != RC_OK) TRACE_RETURN(RC_NO_MEMORY);
    ++*countP;
  }
  if (*countP == 0) {
    showBox(MSG_NOTHING_CHECKED, 0);
    TRACE_RETURN(RC_NOTHING_CHECKED);
  }
  TRACE_RETURN(RC_OK);
}

int DInactivateController::cgProcessInactivateList(DInactivateTreeView* treeP) {
  TRACE_ENTRY(TRC_GUI, "DInactivateController::cgProcessInactivateList");
  if (treeP == nullptr) TRACE_RETURN(RC_INTERNAL_ERROR);
  // A checked server that was never expanded gives every active backup it has: they take its
  // check picture.
  std::vector<HTREEITEM> unlisted;
  for (qryRespFSData* fsP = treeP->m_serverList.getFirst(); fsP != nullptr;
       fsP = treeP->m_serverList.getNext(fsP)) {
    HTREEITEM item = treeP->itemOf(fsP);
    DTreeNodeData* nodeP = treeP->ciGetItemData(item);
    if (nodeP != nullptr && nodeP->pLL == nullptr &&
        treeP->GetTreeCtrl()->getSelectedImage(item) == S_CHECK) {
      unlisted.push_back(item);
    }
  }
  for (HTREEITEM item : unlisted) cgGetAndInstallSqlBackupList(item, treeP);
  MoxtarMetaList selected;
  uint32_t count = 0;
  int rc = markHublorDbListSelected(treeP->m_backupList, &selected, treeP, &count);
  if (rc != RC_OK) TRACE_RETURN(rc);
  OptionsInfo& o = guiOptions();
  DInactivateRequest<CInactivateBackupsParms> request(o, nullptr);
  CInactivateBackupsParms& parms = request.parms;
  parms.nOlderthan = o.nOlderthan;
  parms.command = o.command;
  parms.nInactivated = 0;
  rc = setupForEri(treeP, &selected, &parms);
  selected.freeAll();
  TRACE_RETURN(rc);
}

int DInactivateController::setupForEri(DInactivateTreeView* treeP, MoxtarMetaList* selectedP,
                                       CInactivateBackupsParms* parmsP) {
  TRACE_ENTRY(TRC_GUI, "DInactivateController::setupForEri");
  CLinkedList<SqlHublorDbElement> dbElems;
  parmsP->dbElemListP = &dbElems;
  parmsP->command = kInactivateCommand;
  parmsP->qryBuListP = selectedP;
  commandInfo info{kInactivateCommand, parmsP};
  int rc = informController(this, INFORM_DO_COMMAND, &info);
  clearSelectedMarks(*selectedP, treeP);
  cgRefreshView(treeP, FRAME_INACTIVATE);
  parmsP->dbElemListP = nullptr;
  TRACE_RETURN(rc);
}

void DInactivateController::clearSelectedMarks(MoxtarMetaList& selected,
                                               DInactivateTreeView* treeP) {
  for (MoxtarMetaInfo* entryP = selected.getFirst(); entryP != nullptr;
       entryP = selected.getNext(entryP)) {
    if (entryP->hublorDbElemP != nullptr) treeP->marks(entryP->hublorDbElemP).selected = false;
  }
}

int DInactivateController::cgTVDelete() {
  DInactivateTreeView* treeP = getTreeView();
  if (treeP == nullptr) {
    TRACE_LINE(TRC_GUI, "Inactivate tree view pointer is NULL\n");
    return 0;
  }
  // The items go before the records and results they point at.
  treeP->ciDeleteAllItems();
  treeP->freeResults();
  treeP->getTreeItemDataList()->freeAll();
  return 0;
}

namespace {

// The texts of a path whose parts each end with a NUL; it ends with an empty part.
std::vector<std::string> pathParts(const std::string& path) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (size_t end = path.find('\0'); end != std::string::npos && end != start;
       end = path.find('\0', start)) {
    parts.push_back(path.substr(start, end - start));
    start = end + 1;
  }
  return parts;
}

HTREEITEM findSibling(DInactivateTreeView* treeP, HTREEITEM item, const std::string& text) {
  TRACE_LINE(TRC_GUI, "looking for tree item with text '%s'\n", text.c_str());
  for (; item != nullptr; item = treeP->ciGetSibling(item)) {
    std::string label = treeP->GetTreeCtrl()->getText(item);
    TRACE_LINE(TRC_GUI, "   comparing to tree item '%s'\n", label.c_str());
    if (label == text) return item;
  }
  return nullptr;
}

// Walks from the first root down the path, expanding (and so filling) each item on the way but
// a server's; the item where the walk stopped.
HTREEITEM walkTo(DInactivateTreeView* treeP, const std::vector<std::string>& parts,
                 const std::string& top) {
  HTREEITEM item = treeP->ciGetChild(nullptr);
  HTREEITEM last = nullptr;
  for (size_t i = 0; i < parts.size(); ++i) {
    HTREEITEM found = findSibling(treeP, item, parts[i]);
    if (found == nullptr) {
      TRACE_LINE(TRC_GUI, "   did not find item, ending expansion\n");
      break;
    }
    last = found;
    DTreeNodeData* nodeP = treeP->ciGetItemData(found);
    if (nodeP != nullptr && nodeP->m_kind == INODE_SERVER) {
      TRACE_LINE(TRC_GUI, "Expanded down to the SQL Server Level. Ending expansion there.\n");
      break;
    }
    TRACE_LINE(TRC_GUI, "   found item\n");
    if (i + 1 == parts.size()) {
      TRACE_LINE(TRC_GUI, "   highlighting item\n");
      treeP->GetTreeCtrl()->selectItem(found);
      if (parts[i] == top) treeP->expandItem(found);
      break;
    }
    treeP->expandItem(found);
    item = treeP->ciGetChild(found);
  }
  return last;
}

}  // namespace

int DInactivateController::cgRefreshView(DTreeView* viewP, int) {
  TRACE_ENTRY(TRC_GUI, "DInactivateController::cgRefreshView");
  DInactivateTreeView* treeP = getTreeView();
  if (treeP == nullptr || viewP != treeP) {
    TRACE_LINE(TRC_GUI, "Inactivate tree view pointer is NULL\n");
    TRACE_RETURN(RC_OK);
  }
  std::string top = restoreText(MSG_TOP_LABEL);
  std::string path = treeP->ciGetQualifiedSelectedItemText('\0', top);
  if (DInactivatePageView* pageP = getPage()) cgLVDelete(pageP->listCtrl());
  cgTVDelete();
  cgTVInit(treeP);
  std::vector<std::string> parts = pathParts(path);
  HTREEITEM last = parts.empty() ? nullptr : walkTo(treeP, parts, top);
  TRACE_RETURN(cgLVUpdate(last));
}
