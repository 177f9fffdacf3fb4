// The restore controller: its windows' parts, the queries that fill the restore trees, and the
// removal of items.
#include "drestctl.h"

#include <wx/app.h>
#include <wx/utils.h>

#include <cstdio>
#include <cstring>

#include "agtrc.h"
#include "agttrc.h"
#include "dguiopts.h"
#include "drestquery.h"
#include "drestree.h"
#include "erifunc.h"
#include "msgbox.h"
#include "msgout.h"
#include "objname.h"
#include "parse.h"

namespace {

enum : int { MSG_CAPTION = 5714, MSG_METADATA_UNREADABLE = 5823 };
constexpr int RC_NOT_ALL_READ = 402;

DRestoreController::DPostRtn gPoster;

uint32_t backupTypeOf(const MoxtarMetaInfo& entry) {
  uint32_t type = BACKUP_TYPE_INVALID;
  if (extractBackupType(entry.objName.ll, &type) != RC_OK) return BACKUP_TYPE_INVALID;
  return type;
}

// The node kind of a backup in the database tree or the groups/files tree.
int32_t backupKind(uint32_t type, bool groupsFiles) {
  switch (type) {
    case BACKUP_TYPE_FULL:
      return RNODE_FULL;
    case BACKUP_TYPE_DIFFFULL:
      return groupsFiles ? RNODE_NO_ITEM : RNODE_DIFF;
    case BACKUP_TYPE_LOG:
      return RNODE_LOG;
    case BACKUP_TYPE_GROUP:
      return groupsFiles ? RNODE_GROUP_BACKUP : RNODE_NO_ITEM;
    case BACKUP_TYPE_FILE:
      return groupsFiles ? RNODE_FILE_BACKUP : RNODE_NO_ITEM;
    case BACKUP_TYPE_SET:
      return groupsFiles ? RNODE_SET_BACKUP : RNODE_NO_ITEM;
    default:
      return RNODE_NO_ITEM;
  }
}

// A database's picture: clear when some backup of it can be restored in the tree, else
// not selectable.
int databaseImage(MoxtarMetaList& backups, const DbSummaryElement& db, bool groupsFiles) {
  MoxtarMetaInfo* entryP = db.firstP;
  for (uint32_t i = 0; i < db.count && entryP != nullptr; ++i, entryP = backups.getNext(entryP)) {
    uint32_t type = backupTypeOf(*entryP);
    bool shown = groupsFiles ? type != BACKUP_TYPE_DIFFFULL
                             : type == BACKUP_TYPE_FULL || type == BACKUP_TYPE_DIFFFULL ||
                                   type == BACKUP_TYPE_LOG;
    if (shown) return S_CLEAR;
  }
  return S_NOSELECT;
}

// The item with its record pointing at the element it shows.
HTREEITEM addItem(DRestoreTreeBase* viewP, HTREEITEM parent, const std::string& label, int32_t kind,
                  int hasChildren, int image, void* elementP) {
  HTREEITEM item =
      DApplicationController::cgAddSqlTreeItem(parent, viewP, label, kind, hasChildren, image);
  if (DTreeNodeData* recordP = viewP->ciGetItemData(item)) recordP->pRelatedInfo = elementP;
  viewP->marks(elementP).item = item;
  return item;
}

// How a server's databases are installed: the tree, whether inactive backups are shown, and
// whether full backups get an expand button for their file groups (partial restore).
struct DatabaseFill {
  bool groupsFiles;
  int showInactive;
  int partial;
};

// The database's item under the server and an item per backup the tree shows; a backup the
// tree does not show, or an inactive one while they are hidden, gets no item.
void installDatabase(DRestoreTreeBase* viewP, HTREEITEM serverItem, DbSummaryElement* dbP,
                     const DatabaseFill& fill) {
  MoxtarMetaList& backups = viewP->m_backupList;
  int image = databaseImage(backups, *dbP, fill.groupsFiles);
  HTREEITEM dbItem = addItem(viewP, serverItem, dbP->szDbName, RNODE_DATABASE, 0, image, dbP);
  if (DTreeNodeData* recordP = viewP->ciGetItemData(dbItem)) {
    recordP->pLL = &backups;
    recordP->first = dbP->firstP;
    recordP->count = static_cast<int32_t>(dbP->count);
  }
  MoxtarMetaInfo* entryP = dbP->firstP;
  for (uint32_t i = 0; i < dbP->count && entryP != nullptr; ++i, entryP = backups.getNext(entryP)) {
    uint32_t type = backupTypeOf(*entryP);
    int32_t kind = backupKind(type, fill.groupsFiles);
    bool hidden = fill.showInactive == 0 && entryP->objState == PELK_INACTIVE;
    if (kind == RNODE_NO_ITEM || hidden) {
      viewP->marks(entryP).item = nullptr;
      if (!fill.groupsFiles && entryP->hublorDbElemP != nullptr) {
        viewP->marks(entryP->hublorDbElemP).item = nullptr;
      }
      continue;
    }
    int children = fill.groupsFiles ? kind != RNODE_LOG : kind == RNODE_FULL && fill.partial == 1;
    HTREEITEM backupItem =
        addItem(viewP, dbItem, backupTypeLlNames[type], kind, children, image, entryP);
    if (entryP->hublorDbElemP != nullptr) viewP->marks(entryP->hublorDbElemP).item = backupItem;
  }
}

}  // namespace

std::string restoreText(int msgNum, const char* insertP) {
  char text[ERI_MESSAGE_SIZE] = "";
  nlsprintf(text, sizeof text, msgNum, insertP);
  return text;
}

void DRestoreController::restoreMessage(int msgNum, const char* insertP) {
  zkui::messageBox(nullptr, restoreText(msgNum, insertP), restoreText(MSG_CAPTION),
                   zkui::kMbOk | zkui::kMbIconInformation | zkui::kMbTaskModal);
}

void DRestoreController::setPoster(DPostRtn poster) {
  gPoster = std::move(poster);
}

void DRestoreController::post(std::function<void()> work) {
  if (gPoster) return gPoster(std::move(work));
  if (wxTheApp != nullptr) return wxTheApp->CallAfter(std::move(work));
  work();
}

DRestoreTreeBase* DRestoreController::restoreTree(int which) const {
  return asRestoreTree(parts(which).treeViewP);
}

DRestorePageView* DRestoreController::restorePage(int which) const {
  return dynamic_cast<DRestorePageView*>(parts(which).pageP);
}

int DRestoreController::whichTree(const DTreeView* viewP) const {
  if (viewP == nullptr) return -1;
  if (restoreTree(0) == viewP) return 0;
  if (restoreTree(1) == viewP) return 1;
  return -1;
}

void DRestoreController::cgRemoveChildren(DRestoreTreeBase* viewP, HTREEITEM item) {
  HTREEITEM child = viewP->ciGetChild(item);
  while (child != nullptr) {
    HTREEITEM next = viewP->ciGetSibling(child);
    cgRemoveNode(viewP, child);
    child = next;
  }
}

// The record stays in the node list with its item word cleared, so that nothing reaches the
// deleted item through it.
void DRestoreController::cgRemoveNode(DRestoreTreeBase* viewP, HTREEITEM item) {
  cgRemoveChildren(viewP, item);
  std::string label;
  if (DTreeNodeData* recordP = viewP->ciGetItemData(item)) {
    recordP->m_hItem = nullptr;
    label = recordP->m_label;
    if (recordP->pRelatedInfo != nullptr && viewP->itemOf(recordP->pRelatedInfo) == item) {
      viewP->marks(recordP->pRelatedInfo).item = nullptr;
    }
  }
  viewP->ciDeleteItem(item);
  TRACE_LINE(TRC_GUI, "Removed entry for %s\n", label.c_str());
}

int DRestoreController::cgGetAndInstallSqlServerList(HTREEITEM item, DRestoreTreeBase* viewP) {
  static const char* const kName = "DRestoreController::cgGetAndInstallSqlServerList";
  TRACE_ENTRY(TRC_GUI, kName);
  DTreeNodeData* rootP = viewP != nullptr ? viewP->ciGetItemData(item) : nullptr;
  if (rootP == nullptr) TRACE_RETURN(RC_INTERNAL_ERROR);
  if (rootP->pLL != nullptr && rootP->first != nullptr) {
    TRACE_LINE(TRC_GUI, "Exit %s, server list previously installed\n", kName);
    return RC_OK;
  }
  // Nothing of the list is shown while the root is not installed.
  MoxtarFilespaceList& servers = viewP->m_serverList;
  int rc = queryStoredServers(servers);
  cgRemoveChildren(viewP, item);
  if (rc != RC_OK) TRACE_RETURN(rc);
  for (qryRespFSData* fsP = servers.getFirst(); fsP != nullptr; fsP = servers.getNext(fsP)) {
    char name[ERI_SQL_SERVER_NAME_SIZE] = "";
    rc = extractServerName(fsP->fsName, name);
    if (rc != RC_OK) TRACE_RETURN(rc);
    addItem(viewP, item, name, RNODE_SERVER, 1, S_CLEAR, fsP);
  }
  rootP->pLL = &servers;
  rootP->first = servers.getFirst();
  rootP->count = static_cast<int32_t>(servers.getCount());
  TRACE_RETURN(RC_OK);
}

int DRestoreController::cgGetAndInstallSqlBackupList(HTREEITEM item, DRestoreTreeBase* viewP) {
  return installBackups(item, viewP, false);
}

int DRestoreController::cgGetAndInstallSqlBackupGFList(HTREEITEM item, DRestoreTreeBase* viewP) {
  return installBackups(item, viewP, true);
}

int DRestoreController::installBackups(HTREEITEM item, DRestoreTreeBase* viewP, bool groupsFiles) {
  static const char* const kName = "DRestoreController::installBackups";
  TRACE_ENTRY(TRC_GUI, kName);
  DTreeNodeData* serverP = viewP != nullptr ? viewP->ciGetItemData(item) : nullptr;
  if (serverP == nullptr) TRACE_RETURN(RC_INTERNAL_ERROR);
  // The database tree asks again for a server without databases; the groups/files tree not.
  bool installed = serverP->pLL != nullptr && (groupsFiles || serverP->first != nullptr);
  if (installed) {
    TRACE_LINE(TRC_GUI, "Exit %s, db list previously installed\n", kName);
    return RC_OK;
  }
  cgRemoveChildren(viewP, item);
  DRestorePageView* pageP = restorePage(groupsFiles ? 1 : 0);
  int showInactive = pageP != nullptr ? pageP->showInactive() : 0;
  CLinkedList<DbSummaryElement>& dbs = viewP->m_dbList;
  DbSummaryElement* lastBeforeP = dbs.getLast();
  OptionsInfo& o = guiOptions();
  if (serverP->m_label.size() >= sizeof o.szFromSqlServer) {
    TRACE_LINE(TRC_GUI, "Server name %s is longer than %zu characters\n", serverP->m_label.c_str(),
               sizeof o.szFromSqlServer - 1);
    TRACE_RETURN(RC_FS_NAME_TOO_LONG);
  }
  std::snprintf(o.szFromSqlServer, sizeof o.szFromSqlServer, "%s", serverP->m_label.c_str());
  DRestoreQuery query(o, "*");
  query.parms.bFillDbElems = 1;
  query.parms.bAll = showInactive != 0 ? 1 : 0;
  query.parms.bFileInfo = o.bFileInfo;
  query.parms.dbElemListP = &viewP->m_dbInfoList;
  query.parms.dbElemGroupListP = &viewP->m_groupList;
  query.parms.dbElemFileListP = &viewP->m_fileList;
  query.parms.dbSummaryListP = &dbs;
  query.parms.qryBuListP = &viewP->m_backupList;
  int rc = query.run();
  if (rc != RC_OK) TRACE_RETURN(rc);
  DbSummaryElement* firstNewP = lastBeforeP != nullptr ? dbs.getNext(lastBeforeP) : dbs.getFirst();
  // The partial restore needs SQL Server 2000 or later: the first database decides.
  if (!groupsFiles && pageP != nullptr && firstNewP != nullptr && firstNewP->firstP != nullptr &&
      firstNewP->firstP->hublorDbElemP != nullptr) {
    pageP->enablePartial(firstNewP->firstP->hublorDbElemP->lSqlVersionMajor > 7);
  }
  DatabaseFill fill{groupsFiles, showInactive,
                    !groupsFiles && pageP != nullptr ? pageP->partial() : 0};
  for (DbSummaryElement* dbP = firstNewP; dbP != nullptr; dbP = dbs.getNext(dbP)) {
    installDatabase(viewP, item, dbP, fill);
  }
  serverP->pLL = &dbs;
  serverP->first = firstNewP;
  serverP->count = static_cast<int32_t>(dbs.getCount());
  TRACE_RETURN(RC_OK);
}

int DRestoreController::cgGetAndInstallSqlFileinfo(HTREEITEM item, DRestoreTreeBase* viewP) {
  static const char* const kName = "DRestoreController::cgGetAndInstallSqlFileinfo";
  TRACE_ENTRY(TRC_GUI, kName);
  DTreeNodeData* nodeP = viewP != nullptr ? viewP->ciGetItemData(item) : nullptr;
  if (nodeP == nullptr) TRACE_RETURN(RC_INTERNAL_ERROR);
  if (nodeP->pLL != nullptr) {
    TRACE_LINE(TRC_GUI, "Exit %s, file info previously installed\n", kName);
    return RC_OK;
  }
  cgRemoveChildren(viewP, item);
  auto* entryP = static_cast<MoxtarMetaInfo*>(nodeP->pRelatedInfo);
  SqlHublorDbElement* dbP = entryP != nullptr ? entryP->hublorDbElemP : nullptr;
  if (dbP == nullptr) TRACE_RETURN(RC_INTERNAL_ERROR);
  DRestoreMarks& marks = viewP->marks(dbP);
  if (marks.firstGroupP == nullptr) {
    SqlMetaGroupInfo* lastBeforeP = viewP->m_groupList.getLast();
    DRestoreQuery query(guiOptions(), dbP->szSqlDatabaseName);
    MoxtarMetaList backup;
    backup.addTail(entryP);
    query.parms.bAll = 1;
    query.parms.bFileInfo = 1;
    query.parms.dbElemListP = &viewP->m_dbInfoList;
    query.parms.dbElemGroupListP = &viewP->m_groupList;
    query.parms.dbElemFileListP = &viewP->m_fileList;
    query.parms.qryBuListP = &backup;
    int rc = query.run();
    if (rc == RC_NOT_ALL_READ) metadataUnreadable(viewP);
    if (rc != RC_OK) TRACE_RETURN(rc);
    marks.firstGroupP = lastBeforeP != nullptr ? viewP->m_groupList.getNext(lastBeforeP)
                                               : viewP->m_groupList.getFirst();
    marks.groupCount = dbP->lDbNumDataGroups + (dbP->lDbNumLogFiles > 0 ? 1 : 0);
  }
  installFileinfo(item, viewP, entryP);
  TRACE_RETURN(RC_OK);
}

// Each group starts from the backup's picture and each file from its group's; the log's
// group and files cannot be chosen; a database restore always takes the primary group of a
// backup from SQL Server 2000 or later.
void DRestoreController::installFileinfo(HTREEITEM item, DRestoreTreeBase* viewP,
                                         MoxtarMetaInfo* entryP) {
  DTreeNodeData* nodeP = viewP->ciGetItemData(item);
  SqlHublorDbElement* dbP = entryP->hublorDbElemP;
  DRestoreMarks marks = viewP->marks(dbP);
  int backupImage = viewP->GetTreeCtrl()->getImage(item);
  nodeP->pLL = &viewP->m_groupList;
  nodeP->first = marks.firstGroupP;
  nodeP->count = 0;
  CLinkedList<SqlMetaGroupInfo>& groups = viewP->m_groupList;
  CLinkedList<SqlMetaFileInfo>& files = viewP->m_fileList;
  SqlMetaGroupInfo* groupP = marks.firstGroupP;
  for (uint32_t i = 0; i < marks.groupCount && groupP != nullptr;
       ++i, groupP = groups.getNext(groupP)) {
    bool primary = groupP->bGroupIsPrimary != 0 && dbP->lSqlVersionMajor > 7;
    int image = groupP->bGroupIsLog != 0 ? S_NOSELECT : backupImage;
    if (primary && !viewP->groupsFiles()) image = S_CHECK;
    HTREEITEM groupItem = addItem(viewP, item, groupP->szGroupName, RNODE_GROUP, 0, image, groupP);
    if (primary) viewP->ciPropogateImageUp(groupItem);
    nodeP->count++;
    DTreeNodeData* groupNodeP = viewP->ciGetItemData(groupItem);
    if (groupNodeP != nullptr) {
      groupNodeP->pLL = &files;
      groupNodeP->first = groupP->peGroupFirstFile;
    }
    for (SqlMetaFileInfo* fileP = groupP->peGroupFirstFile;
         fileP != nullptr && fileP->peFileGroup == groupP; fileP = files.getNext(fileP)) {
      int fileImage = fileP->bFileIsLog != 0 ? S_NOSELECT : image;
      addItem(viewP, groupItem, fileP->szFileLogicalName, RNODE_FILE, 0, fileImage, fileP);
      if (groupNodeP != nullptr) groupNodeP->count++;
    }
  }
  if (viewP->GetTreeCtrl()->getSelection() != item) return;
  int which = viewP->groupsFiles() ? 1 : 0;
  DRestorePageView* pageP = restorePage(which);
  if (pageP == nullptr) return;
  cgLVDelete(pageP->listCtrl());
  pageP->ciUpdateList(nodeP);
}

// Without the mount wait the user is told, and the tree is rebuilt once this event has been
// handled: the expansion that asked still walks it.
void DRestoreController::metadataUnreadable(DRestoreTreeBase* viewP) {
  DRestorePageView* pageP = restorePage(viewP->groupsFiles() ? 1 : 0);
  if (pageP == nullptr || pageP->queryMountWait() != 0) return;
  zkui::messageBox(nullptr, restoreText(MSG_METADATA_UNREADABLE), restoreText(MSG_CAPTION),
                   zkui::kMbOk | zkui::kMbIconInformation | zkui::kMbTaskModal);
  int kind = viewP->frameKind();
  post([this, viewP, kind] { cgRefreshView(viewP, kind); });
}

void DRestoreController::cgUpdatePlusButtonForFulls(int partial) {
  TRACE_ENTRY(TRC_GUI, "DRestoreController::cgUpdatePlusButtonForFulls");
  DRestoreTreeBase* viewP = restoreTree(0);
  if (viewP == nullptr) return;
  CLinkedList<DTreeNodeData*>* recordsP = viewP->getTreeItemDataList();
  for (DTreeNodeData** pp = recordsP->getFirst(); pp != nullptr; pp = recordsP->getNext(pp)) {
    DTreeNodeData* recordP = *pp;
    if (recordP->m_kind != RNODE_FULL || recordP->m_hItem == nullptr) continue;
    TRACE_LINE(TRC_GUI, "Updating plus button for %s\n", recordP->m_label.c_str());
    HTREEITEM item = recordP->m_hItem;
    if (partial == 1) {
      viewP->ciSetChildren(item, 1);
      continue;
    }
    viewP->ciExpand(item, TVE_COLLAPSE);
    cgRemoveChildren(viewP, item);
    viewP->ciSetChildren(item, 0);
    recordP->pLL = nullptr;
    recordP->first = nullptr;
    recordP->count = 0;
  }
  if (partial != 1) {
    for (DTreeNodeData** pp = recordsP->getFirst(); pp != nullptr;) {
      pp = (*pp)->m_hItem == nullptr ? recordsP->remove(pp) : recordsP->getNext(pp);
    }
  }
  TRACE_LINE(TRC_GUI, "Updating list view\n");
  cgLVUpdate(viewP->GetTreeCtrl() != nullptr ? viewP->GetTreeCtrl()->getSelection() : nullptr);
}
