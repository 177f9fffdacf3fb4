// The backup from a backup window: the check marks of its tree become the selection flags of
// the SQL Server records, the command goes up the controllers to the command worker, and every
// mark and flag is cleared when it has ended.
#include "agtrc.h"
#include "agttrc.h"
#include "dbkctl.h"
#include "dbktree.h"
#include "dcmdworker.h"
#include "dguiopts.h"
#include "msgbox.h"

namespace {

enum : int { MSG_CAPTION = 5714, MSG_NOTHING_CHOSEN = 5720 };

void showNothingChosen() {
  zkui::messageBox(nullptr, backupText(MSG_NOTHING_CHOSEN), backupText(MSG_CAPTION),
                   zkui::kMbOk | zkui::kMbIconInformation | zkui::kMbTaskModal);
}

bool belongsTo(const SqlGroupElement* gP, const SqlDatabaseElement* dbP) {
  return gP != nullptr && gP->peGroupDatabase == dbP;
}

bool belongsTo(const SqlFileElement* fP, const SqlGroupElement* gP) {
  return fP != nullptr && fP->peFileGroup == gP;
}

// Marks the chosen groups of a wholly checked database; whether any was.
bool markGroupsOf(DBackupTreeBase* viewP, SqlDatabaseElement* dbP, uint32_t* countP) {
  bool any = false;
  for (SqlGroupElement* gP = dbP->peDbFirstGroup; belongsTo(gP, dbP);
       gP = viewP->m_groupList.getNext(gP)) {
    if (viewP->imageOf(gP) != S_CHECK) continue;
    gP->bGroupIsSelected = 1;
    ++*countP;
    any = true;
  }
  return any;
}

// Marks the chosen files of a wholly checked database, group by group.
void markFilesOf(DBackupTreeBase* viewP, SqlDatabaseElement* dbP, uint32_t* countP) {
  for (SqlGroupElement* gP = dbP->peDbFirstGroup; belongsTo(gP, dbP);
       gP = viewP->m_groupList.getNext(gP)) {
    bool any = false;
    for (SqlFileElement* fP = gP->peGroupFirstFile; belongsTo(fP, gP);
         fP = viewP->m_fileList.getNext(fP)) {
      if (viewP->imageOf(fP) != S_CHECK) continue;
      fP->bFileIsSelected = 1;
      ++*countP;
      any = true;
    }
    if (!any) continue;
    dbP->bDbFileIsSelected = 1;
    gP->bGroupFileIsSelected = 1;
  }
}

// The single groups checked in databases that are not checked whole.
void markSingleGroups(DBackupTreeBase* viewP, uint32_t* countP) {
  CLinkedList<SqlGroupElement>& groups = viewP->m_groupList;
  for (SqlGroupElement* gP = groups.getFirst(); gP != nullptr; gP = groups.getNext(gP)) {
    SqlDatabaseElement* dbP = gP->peGroupDatabase;
    if (dbP == nullptr || viewP->imageOf(dbP) == S_CHECK || viewP->imageOf(gP) != S_CHECK) continue;
    gP->bGroupIsSelected = 1;
    dbP->bSqlDbIsSelected = 1;
    dbP->bDbGroupIsSelected = 1;
    ++*countP;
  }
}

// The single files checked in databases that are not checked whole, but those of a group that
// is marked already.
void markSingleFiles(DBackupTreeBase* viewP, uint32_t* countP) {
  CLinkedList<SqlFileElement>& files = viewP->m_fileList;
  for (SqlFileElement* fP = files.getFirst(); fP != nullptr; fP = files.getNext(fP)) {
    SqlGroupElement* gP = fP->peFileGroup;
    SqlDatabaseElement* dbP = gP != nullptr ? gP->peGroupDatabase : nullptr;
    if (dbP == nullptr || gP->bGroupIsSelected != 0) continue;
    if (viewP->imageOf(dbP) == S_CHECK || viewP->imageOf(fP) != S_CHECK) continue;
    fP->bFileIsSelected = 1;
    gP->bGroupFileIsSelected = 1;
    dbP->bSqlDbIsSelected = 1;
    dbP->bDbFileIsSelected = 1;
    ++*countP;
  }
}

}  // namespace

void DBackupController::markSqlDBListSelected(DBackupTreeBase* viewP, int groupsFiles,
                                              uint32_t* countP) {
  CLinkedList<SqlDatabaseElement>& dbs = viewP->m_dbList;
  if (groupsFiles == 1) {
    for (SqlDatabaseElement* dbP = dbs.getFirst(); dbP != nullptr; dbP = dbs.getNext(dbP)) {
      if (dbP->bDbInfoIsLoaded != 0 || viewP->imageOf(dbP) != S_CHECK) continue;
      cgGetAndInstallSqlFileinfo(viewP->itemOf(dbP), viewP);
    }
  }
  for (SqlDatabaseElement* dbP = dbs.getFirst(); dbP != nullptr; dbP = dbs.getNext(dbP)) {
    dbP->bSqlDbIsSelected = viewP->imageOf(dbP) == S_CHECK ? 1 : 0;
    *countP += static_cast<uint32_t>(dbP->bSqlDbIsSelected);
  }
}

void DBackupController::markGFSqlListsSelected(DBackupTreeBase* viewP, int backupType,
                                               uint32_t* countP) {
  if (backupType != BACKUP_GROUP && backupType != BACKUP_FILE && backupType != BACKUP_SET) return;
  bool secondPass = false;
  CLinkedList<SqlDatabaseElement>& dbs = viewP->m_dbList;
  for (SqlDatabaseElement* dbP = dbs.getFirst(); dbP != nullptr; dbP = dbs.getNext(dbP)) {
    if (dbP->bSqlDbIsSelected == 0) {
      secondPass = true;
      continue;
    }
    if (dbP->peDbFirstGroup == nullptr) {
      dbP->bSqlDbIsSelected = 0;
      continue;
    }
    // A set backup of a wholly checked database takes its groups, which hold its files.
    if (backupType == BACKUP_FILE) {
      markFilesOf(viewP, dbP, countP);
    } else if (markGroupsOf(viewP, dbP, countP)) {
      dbP->bDbGroupIsSelected = 1;
    }
  }
  if (!secondPass || viewP->m_groupList.getCount() == 0) return;
  if (backupType != BACKUP_FILE) markSingleGroups(viewP, countP);
  if (backupType != BACKUP_GROUP) markSingleFiles(viewP, countP);
}

// With `pictures`, every item below the servers root goes back to S_CLEAR (S_NOSELECT and
// S_DISABLED stay); every selection flag goes back to 0.
void DBackupController::clearMarks(DBackupTreeBase* viewP, bool pictures) {
  DTreeStartEntry* serversP = viewP->m_treeStart.getLast();
  HTREEITEM first = serversP != nullptr ? viewP->ciGetChild(serversP->hItem) : nullptr;
  if (pictures && first != nullptr) viewP->ciPropogateImageDown(first, S_CLEAR);
  for (SqlDatabaseElement* dbP = viewP->m_dbList.getFirst(); dbP != nullptr;
       dbP = viewP->m_dbList.getNext(dbP)) {
    if (pictures) dbP->bDbIsUnreadable = 0;
    dbP->bSqlDbIsSelected = 0;
    dbP->bDbGroupIsSelected = 0;
    dbP->bDbFileIsSelected = 0;
  }
  for (SqlGroupElement* gP = viewP->m_groupList.getFirst(); gP != nullptr;
       gP = viewP->m_groupList.getNext(gP)) {
    gP->bGroupIsSelected = 0;
    gP->bGroupFileIsSelected = 0;
  }
  for (SqlFileElement* fP = viewP->m_fileList.getFirst(); fP != nullptr;
       fP = viewP->m_fileList.getNext(fP)) {
    fP->bFileIsSelected = 0;
  }
}

void DBackupController::cgProcessBackupDbList(DTreeView* treeP, int backupType) {
  TRACE_ENTRY(TRC_GUI, "DBackupController::cgProcessBackupDbList");
  int which = whichTree(treeP) == 0 ? 0 : 1;
  DBackupTreeBase* viewP = backupTree(which);
  if (viewP == nullptr) return;
  if (which == 1) guiOptions().bTruncate = 1;
  if (viewP->m_dbList.getCount() == 0) {
    // The user never opened a server: a checked one is backed up whole.
    SqlServerElement* serverP = viewP->m_serverList.getFirst();
    if (serverP == nullptr || viewP->imageOf(serverP) != S_CHECK) return showNothingChosen();
    cgGetAndInstallSqlDbList(viewP->itemOf(serverP), viewP, 1);
  }
  uint32_t count = 0;
  // In the groups/files window the groups and files are what is counted.
  uint32_t databases = 0;
  markSqlDBListSelected(viewP, which, which == 1 ? &databases : &count);
  if (which == 1) markGFSqlListsSelected(viewP, backupType, &count);
  uint32_t command = backupCommandOfType(backupType);
  if (count == 0 || command == 0) {
    if (command == 0) TRACE_LINE(TRC_GUI, "Error - incorrect backupType\n");
    clearMarks(viewP, false);
    if (command != 0) showNothingChosen();
    return;
  }
  backupRequestInfo request;
  request.querySqlServerDbInfoP = &viewP->m_dbList;
  request.sqlGroupListP = &viewP->m_groupList;
  request.sqlFileListP = &viewP->m_fileList;
  commandInfo info{command, &request};
  // The progress dialog has shown the outcome when the send returns.
  informController(this, INFORM_DO_COMMAND, &info);
  clearMarks(viewP, true);
  lvUpdate(which, viewP->GetTreeCtrl()->getSelection());
}
