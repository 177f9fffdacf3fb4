// The restore controller's Restore button: the checked backups of a restore tree, in the order
// of the tree's backup list, sent as one restore (command 71) through the command worker, and
// the selections and point in time cleared afterwards.
//
// The engine gets copies of what it reads: each checked backup's entry and database record,
// the record with its own group and file lists carrying the tree's checks (a group/file or
// partial restore), its relocation pairs, its into name and its undo file. The tree's records
// stay as the queries filled them, so the next restore starts from the pictures alone.
#include <cstdio>
#include <list>
#include <vector>

#include "agtrc.h"
#include "agttrc.h"
#include "dguiopts.h"
#include "drestctl.h"
#include "drestquery.h"
#include "drestree.h"
#include "errormsg.h"
#include "msgout.h"

namespace {

enum : int { MSG_NOTHING_CHECKED = 5721 };
constexpr char kMaxBackupsText[] = "64";  // the insert of 5721
constexpr int RC_NOTHING_CHECKED = 1500;

// What one restore hands the engine; it lives for the send.
struct DRestoreRun {
  explicit DRestoreRun(OptionsInfo& o) : request(o, nullptr) {}
  DRestoreQueryOf<CRestoreBackupsParms> request;
  EriNameList groupNames;
  EriNameList fileNames;
  EriNameList relocateFrom;
  EriPhysicalNameList relocateTo;
  EriNameList intoNames;
  MoxtarMetaList backups;
  std::list<SqlHublorDbElement> elements;
  std::list<CLinkedList<SqlMetaGroupInfo>> groups;
  std::list<CLinkedList<SqlMetaFileInfo>> files;
  std::list<CLinkedList<SqlRelocatePair>> moves;
};

// The first-level item of the SQL servers; null when the tree has none.
HTREEITEM serversItem(DRestoreTreeBase* viewP) {
  DTreeCtrl* ctrlP = viewP->GetTreeCtrl();
  for (HTREEITEM top = ctrlP->getChild(nullptr); top != nullptr; top = ctrlP->getNextSibling(top)) {
    DTreeNodeData* nodeP = viewP->ciGetItemData(top);
    if (nodeP != nullptr && nodeP->m_kind == RNODE_SERVERS) return top;
  }
  return nullptr;
}

bool isChecked(DRestoreTreeBase* viewP, HTREEITEM item) {
  int picture = viewP->GetTreeCtrl()->getImage(item);
  return picture == S_CHECK || picture == S_PARTIAL;
}

// A copy of the record for the engine: its own lists (none for a whole-database restore),
// no selection of its own, no settings yet.
SqlHublorDbElement* addElement(DRestoreRun* runP, const SqlHublorDbElement& record) {
  SqlHublorDbElement& copy = runP->elements.emplace_back(record);
  copy.pGroupList = nullptr;
  copy.pFileList = nullptr;
  copy.pRelocateList = nullptr;
  copy.szIntoDbName[0] = '\0';
  copy.szStandbyFile[0] = '\0';
  copy.bDbGroupIsSelected = 0;
  copy.bDbFileIsSelected = 0;
  return &copy;
}

// The backup's groups and files, copied with the checks of their items: a checked group is
// restored whole, of a partly checked group its checked files.
int addGroupsAndFiles(DRestoreTreeBase* viewP, const SqlHublorDbElement& record,
                      SqlHublorDbElement* copyP, DRestoreRun* runP) {
  const DRestoreMarks& marks = viewP->marks(&record);
  auto& groups = runP->groups.emplace_back();
  auto& files = runP->files.emplace_back();
  copyP->pGroupList = &groups;
  copyP->pFileList = &files;
  SqlMetaGroupInfo* groupP = marks.firstGroupP;
  for (uint32_t i = 0; i < marks.groupCount && groupP != nullptr;
       ++i, groupP = viewP->m_groupList.getNext(groupP)) {
    SqlMetaGroupInfo group = *groupP;
    HTREEITEM item = viewP->itemOf(groupP);
    int picture = item != nullptr ? viewP->GetTreeCtrl()->getImage(item) : S_CLEAR;
    group.bGroupIsSelected = picture == S_CHECK;
    group.bGroupFileIsSelected = picture == S_PARTIAL;
    group.peGroupFirstFile = nullptr;
    if (groups.addTail(&group) != RC_OK) return RC_NO_MEMORY;
    SqlMetaGroupInfo* ownGroupP = groups.getLast();
    if (ownGroupP->bGroupIsSelected) copyP->bDbGroupIsSelected = 1;
    for (SqlMetaFileInfo* fileP = groupP->peGroupFirstFile;
         fileP != nullptr && fileP->peFileGroup == groupP;
         fileP = viewP->m_fileList.getNext(fileP)) {
      SqlMetaFileInfo file = *fileP;
      HTREEITEM fileItem = viewP->itemOf(fileP);
      file.bFileIsSelected = ownGroupP->bGroupFileIsSelected && fileItem != nullptr &&
                             viewP->GetTreeCtrl()->getImage(fileItem) == S_CHECK;
      file.peFileGroup = ownGroupP;
      if (files.addTail(&file) != RC_OK) return RC_NO_MEMORY;
      if (ownGroupP->peGroupFirstFile == nullptr) ownGroupP->peGroupFirstFile = files.getLast();
      if (file.bFileIsSelected) copyP->bDbFileIsSelected = 1;
    }
  }
  return RC_OK;
}

// The record's settings as the RESTORE statement reads them: the into name, the undo file,
// and a MOVE for each file the user gave a new physical name.
int addSettings(DRestoreTreeBase* viewP, const SqlHublorDbElement& record,
                SqlHublorDbElement* copyP, DRestoreRun* runP) {
  const DRestoreMarks& marks = viewP->marks(&record);
  if (marks.intoEntryP != nullptr && marks.intoEntryP->bSet) {
    std::snprintf(copyP->szIntoDbName, sizeof copyP->szIntoDbName, "%s",
                  marks.intoEntryP->szIntoName);
  }
  if (marks.standbyEntryP != nullptr && marks.standbyEntryP->bSet) {
    std::snprintf(copyP->szStandbyFile, sizeof copyP->szStandbyFile, "%s",
                  marks.standbyEntryP->szUndoFile);
  }
  CLinkedList<SqlRelocatePair>* movesP = nullptr;
  for (DRelocateEntry* entryP = marks.firstRelocateEntryP;
       entryP != nullptr && entryP->dbInfoP == &record;
       entryP = viewP->m_relocateList.getNext(entryP)) {
    if (entryP->changed == 0) continue;
    if (movesP == nullptr) movesP = &runP->moves.emplace_back();
    SqlRelocatePair pair{};
    std::snprintf(pair.szLogicalName, sizeof pair.szLogicalName, "%s", entryP->szLogicalName);
    std::snprintf(pair.szPhysicalName, sizeof pair.szPhysicalName, "%s", entryP->szPhysicalName);
    if (movesP->addTail(&pair) != RC_OK) return RC_NO_MEMORY;
  }
  copyP->pRelocateList = movesP;
  return RC_OK;
}

// The items of the servers the user checked before any of their backups were loaded; their
// backups are loaded now (they arrive unchecked).
void loadCheckedServers(DRestoreController* controllerP, DRestoreTreeBase* viewP,
                        bool groupsFiles) {
  DTreeCtrl* ctrlP = viewP->GetTreeCtrl();
  for (HTREEITEM server = ctrlP->getChild(serversItem(viewP)); server != nullptr;
       server = ctrlP->getNextSibling(server)) {
    if (ctrlP->getImage(server) != S_CHECK) continue;
    // A server that cannot be loaded has nothing to restore; the others go on.
    if (groupsFiles) {
      controllerP->cgGetAndInstallSqlBackupGFList(server, viewP);
    } else {
      controllerP->cgGetAndInstallSqlBackupList(server, viewP);
    }
  }
}

// The checked backups that have an item and a database record, in the list's order.
std::vector<MoxtarMetaInfo*> checkedBackups(DRestoreTreeBase* viewP) {
  std::vector<MoxtarMetaInfo*> checked;
  MoxtarMetaList& backups = viewP->m_backupList;
  for (MoxtarMetaInfo* entryP = backups.getFirst(); entryP != nullptr;
       entryP = backups.getNext(entryP)) {
    HTREEITEM item = viewP->itemOf(entryP);
    if (item == nullptr || entryP->hublorDbElemP == nullptr) continue;
    if (isChecked(viewP, item)) checked.push_back(entryP);
  }
  return checked;
}

// The request's name lists: the options' own, so that the record reads as the command line's
// would; the per-database settings travel on the database copies.
void fillNameLists(OptionsInfo& o, DRestoreRun* runP) {
  copyNames(o.groupNameList, &runP->groupNames);
  copyNames(o.fileNameList, &runP->fileNames);
  copyNames(o.relocateNameList, &runP->relocateFrom);
  copyNames(o.toNameList, &runP->relocateTo);
  copyNames(o.intoNameList, &runP->intoNames);
  CRestoreBackupsParms& p = runP->request.parms;
  p.groupNameListP = &runP->groupNames;
  p.fileNameListP = &runP->fileNames;
  p.relocateFromListP = &runP->relocateFrom;
  p.relocateToListP = &runP->relocateTo;
  p.intoNameListP = &runP->intoNames;
}

// The record of the restore of the checked backups. Group and file checks travel in the
// groups/files tree, and with partial restore in the database tree (log backups have none).
int fillRestore(DRestoreController* controllerP, DRestoreTreeBase* viewP, bool groupsFiles,
                const std::vector<MoxtarMetaInfo*>& checked, DRestoreRun* runP) {
  OptionsInfo& o = guiOptions();
  CRestoreBackupsParms& p = runP->request.parms;
  eriFillRestoreSql(o, &p.sqlRestoreParms);
  fillNameLists(o, runP);
  p.bAll = o.bAll;
  p.bFileInfo = groupsFiles ? 1 : 0;
  p.sqlRestoreParms.bPartial = groupsFiles ? 0 : o.bPartial;
  p.command = ERI_CMD_RESTORE_ANY;
  p.bStripes = o.bStripes;
  p.nStripes = o.nStripes;
  p.bPick = o.bPick;
  p.qryBuListP = &runP->backups;
  bool withGroups = groupsFiles || o.bPartial != 0;
  for (MoxtarMetaInfo* entryP : checked) {
    HTREEITEM item = viewP->itemOf(entryP);
    SqlHublorDbElement* recordP = entryP->hublorDbElemP;
    bool log =
        viewP->ciGetItemData(item) != nullptr && viewP->ciGetItemData(item)->m_kind == RNODE_LOG;
    if (withGroups && !log && viewP->marks(recordP).firstGroupP == nullptr) {
      controllerP->cgGetAndInstallSqlFileinfo(item, viewP);  // without them it goes whole
    }
    SqlHublorDbElement* copyP = addElement(runP, *recordP);
    int rc = withGroups && !log ? addGroupsAndFiles(viewP, *recordP, copyP, runP) : RC_OK;
    if (rc == RC_OK) rc = addSettings(viewP, *recordP, copyP, runP);
    MoxtarMetaInfo entry = *entryP;
    entry.hublorDbElemP = copyP;
    if (rc == RC_OK) rc = runP->backups.addTail(&entry);
    if (rc != RC_OK) return rc;
  }
  p.sqlRestoreParms.bRelocate = viewP->m_relocateList.getCount() != 0 ? 1 : 0;
  p.sqlRestoreParms.bInto = viewP->m_intoList.getCount() != 0 ? 1 : 0;
  p.sqlRestoreParms.bStandby = viewP->m_standbyList.getCount() != 0 ? 1 : 0;
  return RC_OK;
}

}  // namespace

// After a restore, sent or not: every check of the tree cleared, the page's list shown again,
// the restored records' settings gone, no point in time, no remembered standby database.
void DRestoreController::afterRestore(DRestoreTreeBase* viewP, bool groupsFiles,
                                      const std::vector<MoxtarMetaInfo*>& restored) {
  DTreeCtrl* ctrlP = viewP->GetTreeCtrl();
  HTREEITEM servers = serversItem(viewP);
  HTREEITEM first = servers != nullptr ? ctrlP->getChild(servers) : nullptr;
  if (first != nullptr) viewP->ciPropogateImageDown(first, S_CLEAR);
  HTREEITEM selected = ctrlP->getSelection();
  if (groupsFiles) {
    cgGFLVUpdate(selected);
  } else {
    cgLVUpdate(selected);
  }
  for (MoxtarMetaInfo* entryP : restored) viewP->forgetSettings(entryP->hublorDbElemP);
  OptionsInfo& o = guiOptions();
  o.bStopAt = 0;
  o.bStopAtMark = 0;
  o.bStopBeforeMark = 0;
  o.bAfter = 0;
  o.szStopAt[0] = '\0';
  o.szMarkName[0] = '\0';
  o.szAfter[0] = '\0';
  DRestorePageView* pageP = restorePage(0);
  if (!groupsFiles && pageP != nullptr) pageP->resetPointInTime();
  m_szName.clear();
}

int DRestoreController::cgProcessRestore(DRestoreTreeBase* viewP) {
  TRACE_ENTRY(TRC_GUI, "DRestoreController::cgProcessRestore");
  int which = whichTree(viewP);
  if (which < 0) TRACE_RETURN(RC_INTERNAL_ERROR);
  bool groupsFiles = which == 1;
  if (viewP->m_backupList.getCount() == 0) loadCheckedServers(this, viewP, groupsFiles);
  std::vector<MoxtarMetaInfo*> checked = checkedBackups(viewP);
  if (checked.empty()) {
    restoreMessage(MSG_NOTHING_CHECKED, kMaxBackupsText);
    TRACE_RETURN(RC_NOTHING_CHECKED);
  }
  DRestoreRun run(guiOptions());
  int rc = fillRestore(this, viewP, groupsFiles, checked, &run);
  if (rc != RC_OK) {
    restoreMessage(agentRcMessage(rc));
    TRACE_RETURN(rc);  // nothing was sent: the checks stay for another try
  }
  commandInfo info{ERI_CMD_RESTORE_ANY, &run.request.parms};
  uint32_t sent = informController(this, INFORM_DO_COMMAND, &info);
  TRACE_LINE(TRC_GUI, "The restore command ended, rc = %u\n", sent);
  afterRestore(viewP, groupsFiles, checked);
  TRACE_RETURN(RC_OK);
}
