// The backup controller: its windows' parts and the queries that fill the backup trees.
#include "dbkctl.h"

#include <cstdio>
#include <cstring>

#include "agtrc.h"
#include "agttrc.h"
#include "dbktree.h"
#include "dsqlaccess.h"
#include "dwaitcursor.h"
#include "erifunc.h"
#include "errormsg.h"
#include "msgbox.h"
#include "msgout.h"
#include "sqlqueryeri.h"

namespace {

enum : int { MSG_CAPTION = 5714 };

void showRcBox(int rc) {
  zkui::messageBox(nullptr, backupText(agentRcMessage(rc)), backupText(MSG_CAPTION),
                   zkui::kMbOk | zkui::kMbIconExclamation | zkui::kMbTaskModal);
}

// Removes every child item of the item (their records stay in the node list).
void deleteChildren(DBackupTreeBase* viewP, HTREEITEM item) {
  for (HTREEITEM child = viewP->ciGetChild(item); child != nullptr;
       child = viewP->ciGetChild(item)) {
    if (viewP->ciDeleteItem(child) == 0) return;
  }
}

// Adds an item for a record under the parent and notes it both ways.
HTREEITEM addItem(DBackupTreeBase* viewP, HTREEITEM parent, const void* recordP, const char* textP,
                  int kind, int hasChildren, int image) {
  HTREEITEM item =
      DApplicationController::cgAddSqlTreeItem(parent, viewP, textP, kind, hasChildren, image);
  if (item == nullptr) return nullptr;
  viewP->setItemOf(recordP, item);
  if (DTreeNodeData* nodeP = viewP->ciGetItemData(item)) {
    nodeP->pRelatedInfo = const_cast<void*>(recordP);
  }
  return item;
}

void setInstalled(DTreeNodeData* nodeP, void* listP, void* firstP, int32_t count) {
  if (nodeP == nullptr) return;
  nodeP->pLL = listP;
  nodeP->first = firstP;
  nodeP->count = count;
}

// The picture of a new database item, from its server item's picture.
int databaseImage(const SqlDatabaseElement& db, int serverImage, bool noSelect) {
  if (db.szSqlDatabaseStatus[0] != '\0' || db.bDbIsUnreadable != 0) return S_DISABLED;
  if (noSelect && db.bDbIsTruncateLogOnCheckpoint != 0) return S_NOSELECT;
  return serverImage;
}

}  // namespace

std::string backupText(int msgNum, const char* insertP) {
  char text[ERI_MESSAGE_SIZE] = "";
  nlsprintf(text, sizeof text, msgNum, insertP);
  return text;
}

uint32_t backupCommandOfType(int backupType) {
  static const uint32_t kCommands[] = {ERI_CMD_BACKUP_FULL, ERI_CMD_BACKUP_DIFF,
                                       ERI_CMD_BACKUP_LOG,  ERI_CMD_BACKUP_GROUP,
                                       ERI_CMD_BACKUP_FILE, ERI_CMD_BACKUP_SET};
  if (backupType < BACKUP_FULL || backupType > BACKUP_SET) return 0;
  return kCommands[backupType];
}

DBackupTreeBase* DBackupController::backupTree(int which) const {
  return asBackupTree(parts(which).treeViewP);
}

DBackupPageView* DBackupController::backupPage(int which) const {
  return dynamic_cast<DBackupPageView*>(parts(which).pageP);
}

DBackupTreeView* DBackupController::getDbTreeView() const {
  return dynamic_cast<DBackupTreeView*>(backupTree(0));
}

DBackupTreeBase* DBackupController::getGFTreeView() const {
  return backupTree(1);
}

int DBackupController::whichTree(const DTreeView* viewP) const {
  if (viewP == nullptr) return -1;
  if (backupTree(0) == viewP) return 0;
  if (backupTree(1) == viewP) return 1;
  return -1;
}

void DBackupController::cgGetAndInstallSqlServerList(HTREEITEM root, DBackupTreeBase* viewP) {
  static const char* const kName = "DBackupController::cgGetAndInstallSqlServerList";
  TRACE_ENTRY(TRC_GUI, kName);
  DTreeNodeData* rootP = viewP->ciGetItemData(root);
  if (rootP == nullptr) return;
  if (rootP->pLL != nullptr) {
    TRACE_LINE(TRC_GUI, "Exit %s, server list previously installed\n", kName);
    return;
  }
  SqlServerElement server{};
  char msg[ERI_MESSAGE_SIZE] = "";
  int rc = 0;
  {
    DWaitCursor wait;
    std::unique_lock<std::mutex> lock = lockSqlAccess();
    rc = eriQuerySqlServer(&server, nullptr, msg, 1);
  }
  if (rc == RC_OK) {
    if (viewP->m_serverList.addTail(&server) != RC_OK) {
      TRACE_LINE(TRC_GUI, "Insufficent memory, NEW() failed.\n");
    }
    DBackupPageView* pageP = backupPage(0);
    SqlServerElement* firstP = viewP->m_serverList.getFirst();
    if (pageP != nullptr && firstP != nullptr) {
      int type = pageP->getBackupType();
      if (type == BACKUP_DIFF) pageP->enableDiffEstimate(true);
      if (type == BACKUP_LOG) pageP->enableLogEstimate(firstP->lSqlVersionMajor > 7);
    }
  } else {
    showRcBox(rc);
  }
  // After a failure the root holds what the list holds and counts as installed: only a
  // refresh asks again.
  deleteChildren(viewP, root);
  CLinkedList<SqlServerElement>& servers = viewP->m_serverList;
  for (SqlServerElement* sP = servers.getFirst(); sP != nullptr; sP = servers.getNext(sP)) {
    addItem(viewP, root, sP, sP->szSqlServerName, BNODE_SERVER, 1, S_CLEAR);
  }
  setInstalled(viewP->ciGetItemData(root), &servers, servers.getFirst(),
               static_cast<int32_t>(servers.getCount()));
}

void DBackupController::cgGetAndInstallSqlDbList(HTREEITEM server, DBackupTreeBase* viewP,
                                                 int expandFlag) {
  static const char* const kName = "DBackupController::cgGetAndInstallSqlDbList";
  TRACE_ENTRY(TRC_GUI, kName);
  DTreeNodeData* serverP = viewP->ciGetItemData(server);
  if (serverP == nullptr) return;
  if (serverP->pLL != nullptr) {
    TRACE_LINE(TRC_GUI, "Exit %s, db list previously installed\n", kName);
    return;
  }
  deleteChildren(viewP, server);
  int serverImage = viewP->GetTreeCtrl()->getImage(server);
  EriNameList names;
  EriNameEntry all{};
  std::snprintf(all.szName, sizeof all.szName, "*");
  names.addTail(&all);
  char msg[ERI_MESSAGE_SIZE] = "";
  int rc = 0;
  {
    DWaitCursor wait;
    std::unique_lock<std::mutex> lock = lockSqlAccess();
    rc = eriQuerySqlServerDb(&viewP->m_dbList, msg, &names, 1);
  }
  if (rc != RC_OK) {
    showRcBox(rc);
    return;
  }
  bool noSelect = viewP->groupsFiles();
  if (!noSelect) {
    DBackupPageView* pageP = backupPage(0);
    noSelect = pageP != nullptr && pageP->getBackupType() == BACKUP_LOG;
  }
  CLinkedList<SqlDatabaseElement>& dbs = viewP->m_dbList;
  for (SqlDatabaseElement* dbP = dbs.getFirst(); dbP != nullptr; dbP = dbs.getNext(dbP)) {
    dbP->bSqlDbIsSelected = 0;
    addItem(viewP, server, dbP, dbP->szSqlDatabaseName, BNODE_DATABASE, expandFlag,
            databaseImage(*dbP, serverImage, noSelect));
  }
  setInstalled(serverP, &dbs, dbs.getFirst(), static_cast<int32_t>(dbs.getCount()));
}

// Reads the groups and files of one database into the view's lists: 0, or the database's code
// with its message in *errorTextP (when given). The message list is the call's own, so the
// database keeps no pointer into it afterwards.
int DBackupController::readDbInfo(DBackupTreeBase* viewP, SqlDatabaseElement* dbP,
                                  std::string* errorTextP) {
  CLinkedList<SqlDbMessage> messages;
  dbP->bSqlDbIsSelected = 1;
  {
    DWaitCursor wait;
    std::unique_lock<std::mutex> lock = lockSqlAccess();
    eriQuerySqlServerDbInfo(&viewP->m_dbList, &messages, &viewP->m_groupList, nullptr,
                            &viewP->m_fileList, nullptr, nullptr);
  }
  dbP->bSqlDbIsSelected = 0;
  int rc = dbP->lSqlReturnCode;
  if (rc != RC_OK) {
    // The tree shows it disabled from now on, and a backup leaves it out.
    dbP->bDbIsUnreadable = 1;
    if (errorTextP != nullptr && dbP->peDbMessage != nullptr) {
      *errorTextP = dbP->peDbMessage->szMessage;
    }
  }
  dbP->peDbMessage = nullptr;
  dbP->pDbMessageList = nullptr;
  return rc;
}

void DBackupController::cgGetAndInstallSqlFileinfo(HTREEITEM database, DBackupTreeBase* viewP) {
  static const char* const kName = "DBackupController::cgGetAndInstallSqlFileinfo";
  TRACE_ENTRY(TRC_GUI, kName);
  DTreeNodeData* nodeP = viewP->ciGetItemData(database);
  if (nodeP == nullptr) return;
  if (nodeP->pLL != nullptr && nodeP->first != nullptr) {
    TRACE_LINE(TRC_GUI, "Exit %s, file info previously installed\n", kName);
    return;
  }
  auto* dbP = static_cast<SqlDatabaseElement*>(nodeP->pRelatedInfo);
  if (dbP == nullptr) return;
  deleteChildren(viewP, database);
  int dbImage = viewP->GetTreeCtrl()->getImage(database);
  // A failed read is not reported here: the database simply shows no groups.
  if (dbP->bDbInfoIsLoaded == 0) readDbInfo(viewP, dbP, nullptr);
  int32_t groups = 0;
  CLinkedList<SqlGroupElement>& groupList = viewP->m_groupList;
  for (SqlGroupElement* gP = dbP->peDbFirstGroup; gP != nullptr && gP->peGroupDatabase == dbP;
       gP = groupList.getNext(gP)) {
    int groupImage = gP->bGroupIsLog != 0 ? S_NOSELECT : dbImage;
    HTREEITEM group = addItem(viewP, database, gP, gP->szGroupName, BNODE_GROUP, 0, groupImage);
    if (group == nullptr) continue;
    ++groups;
    int32_t files = 0;
    CLinkedList<SqlFileElement>& fileList = viewP->m_fileList;
    for (SqlFileElement* fP = gP->peGroupFirstFile; fP != nullptr && fP->peFileGroup == gP;
         fP = fileList.getNext(fP)) {
      int fileImage = fP->bFileIsLog != 0 ? S_NOSELECT : dbImage;
      if (addItem(viewP, group, fP, fP->szFileLogicalName, BNODE_FILE, 0, fileImage) != nullptr) {
        ++files;
      }
    }
    setInstalled(viewP->ciGetItemData(group), &fileList, gP->peGroupFirstFile, files);
  }
  // The count is what this database added, also when its groups were read before.
  setInstalled(nodeP, &groupList, dbP->peDbFirstGroup, groups);
}
