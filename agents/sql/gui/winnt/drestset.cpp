// The restore controller's per-database settings, chosen from the restore page's pop-up menu
// for the backup of the row last right-clicked: the database name to restore into, the undo
// file of a standby restore, and new physical names for the database's files. Each is an entry
// of one of the tree's settings lists, kept beside the backup's database record (its marks);
// the restore (drestrun.cpp) hands them to the engine and forgets them.
#include <cstdio>
#include <string>

#include "agtrc.h"
#include "agttrc.h"
#include "dguiopts.h"
#include "drestctl.h"
#include "drestquery.h"
#include "drestree.h"
#include "errormsg.h"
#include "msgout.h"

namespace {

DRestoreSettingsDialogs* gDialogsP = nullptr;

// The user is told, and the operation stops.
int outOfMemory() {
  DRestoreController::restoreMessage(agentRcMessage(RC_NO_MEMORY));
  return RC_NO_MEMORY;
}

// The backup entry of the page's remembered row, null when the row shows no backup.
MoxtarMetaInfo* rememberedBackup(DRestoreController* controllerP, DRestoreTreeBase* viewP,
                                 HTREEITEM* itemP) {
  int which = controllerP->whichTree(viewP);
  DRestorePageView* pageP = which >= 0 ? controllerP->restorePage(which) : nullptr;
  HTREEITEM item = pageP != nullptr ? pageP->selectedItemData() : nullptr;
  DTreeNodeData* nodeP = item != nullptr ? viewP->ciGetItemData(item) : nullptr;
  if (nodeP == nullptr || !isBackupNode(nodeP->m_kind)) return nullptr;
  auto* entryP = static_cast<MoxtarMetaInfo*>(nodeP->pRelatedInfo);
  if (entryP == nullptr || entryP->hublorDbElemP == nullptr) return nullptr;
  *itemP = item;
  return entryP;
}

// The entry of the record in the list, appended zeroed when there is none; null (traced by
// the list) when it cannot be allocated.
template <class Entry>
Entry* entryFor(CLinkedList<Entry>& list, Entry*& entryP, const SqlHublorDbElement* recordP) {
  if (entryP != nullptr) return entryP;
  Entry fresh{};
  fresh.dbInfoP = recordP;
  if (list.addTail(&fresh) != RC_OK) return nullptr;
  entryP = list.getLast();
  return entryP;
}

// The name of the SQL server above the item, empty for none.
std::string serverAbove(DRestoreTreeBase* viewP, HTREEITEM item) {
  DTreeCtrl* ctrlP = viewP->GetTreeCtrl();
  for (HTREEITEM up = item; up != nullptr; up = ctrlP->getParent(up)) {
    DTreeNodeData* nodeP = viewP->ciGetItemData(up);
    if (nodeP != nullptr && nodeP->m_kind == RNODE_SERVER) return nodeP->m_label;
  }
  return "";
}

}  // namespace

void DRestoreController::setSettingsDialogs(DRestoreSettingsDialogs* dialogsP) {
  gDialogsP = dialogsP;
}

int DRestoreController::cgProcessRestoreInto(DRestoreTreeBase* viewP) {
  TRACE_ENTRY(TRC_GUI, "DRestoreController::cgProcessRestoreInto");
  HTREEITEM item = nullptr;
  MoxtarMetaInfo* backupP = rememberedBackup(this, viewP, &item);
  if (backupP == nullptr || gDialogsP == nullptr) TRACE_RETURN(RC_OK);
  const SqlHublorDbElement* recordP = backupP->hublorDbElemP;
  DRestoreMarks& marks = viewP->marks(recordP);
  std::string name = marks.intoEntryP != nullptr ? marks.intoEntryP->szIntoName : "";
  // An empty name keeps the one given before.
  if (!gDialogsP->askIntoName(&name) || name.empty()) TRACE_RETURN(RC_OK);
  if (name.size() >= RESTORE_INTO_NAME_SIZE) TRACE_RETURN(RC_INTERNAL_ERROR);
  DIntoEntry* entryP = entryFor(viewP->m_intoList, marks.intoEntryP, recordP);
  if (entryP == nullptr) TRACE_RETURN(outOfMemory());
  std::snprintf(entryP->szIntoName, sizeof entryP->szIntoName, "%s", name.c_str());
  entryP->bSet = 1;
  TRACE_RETURN(RC_OK);
}

int DRestoreController::cgProcessStandby(DRestoreTreeBase* viewP) {
  TRACE_ENTRY(TRC_GUI, "DRestoreController::cgProcessStandby");
  HTREEITEM item = nullptr;
  MoxtarMetaInfo* backupP = rememberedBackup(this, viewP, &item);
  if (backupP == nullptr || gDialogsP == nullptr) TRACE_RETURN(RC_OK);
  const SqlHublorDbElement* recordP = backupP->hublorDbElemP;
  DRestoreMarks& marks = viewP->marks(recordP);
  std::string file = marks.standbyEntryP != nullptr ? marks.standbyEntryP->szUndoFile : "";
  if (!gDialogsP->askUndoFile(&file)) TRACE_RETURN(RC_OK);
  // An empty file takes the standby away: any database may have it again.
  if (file.empty()) {
    m_szName.clear();
    if (marks.standbyEntryP != nullptr) viewP->m_standbyList.remove(marks.standbyEntryP);
    marks.standbyEntryP = nullptr;
    TRACE_RETURN(RC_OK);
  }
  if (file.size() >= RESTORE_PATH_SIZE) TRACE_RETURN(RC_INTERNAL_ERROR);
  DStandbyEntry* entryP = entryFor(viewP->m_standbyList, marks.standbyEntryP, recordP);
  if (entryP == nullptr) TRACE_RETURN(outOfMemory());
  std::snprintf(entryP->szUndoFile, sizeof entryP->szUndoFile, "%s", file.c_str());
  entryP->bSet = 1;
  m_szName = recordP->szSqlDatabaseName;
  TRACE_RETURN(RC_OK);
}

namespace {

// The backup's files as the storage server keeps them in its meta-data, read by a query of
// their own into a copy of the record, so that the tree's record keeps its groups.
struct DFileQuery {
  DFileQuery(OptionsInfo& o, const MoxtarMetaInfo& backup)
      : query(o, backup.hublorDbElemP->szSqlDatabaseName) {
    record = *backup.hublorDbElemP;
    record.pGroupList = &groups;
    record.pFileList = &files;
    MoxtarMetaInfo entry = backup;
    entry.hublorDbElemP = &record;
    entries.addTail(&entry);
    query.parms.bFileInfo = 1;
    query.parms.qryBuListP = &entries;
  }
  DRestoreQuery query;
  SqlHublorDbElement record;
  CLinkedList<SqlMetaGroupInfo> groups;
  CLinkedList<SqlMetaFileInfo> files;
  MoxtarMetaList entries;
};

}  // namespace

// The record's relocate entries, one per file in group order, fetched once per record.
int DRestoreController::fetchRelocations(DRestoreTreeBase* viewP, HTREEITEM item,
                                         const MoxtarMetaInfo& backup) {
  const SqlHublorDbElement* recordP = backup.hublorDbElemP;
  OptionsInfo& o = guiOptions();
  std::string server = serverAbove(viewP, item);
  std::snprintf(o.szFromSqlServer, sizeof o.szFromSqlServer, "%s", server.c_str());
  int which = whichTree(viewP);
  DRestorePageView* pageP = restorePage(which);
  DFileQuery files(o, backup);
  files.query.parms.bAll = pageP != nullptr ? pageP->showInactive() : 0;
  int rc = files.query.run();
  DRestoreMarks& marks = viewP->marks(recordP);
  marks.relocated = true;  // a failed query leaves an empty list to edit
  for (SqlMetaFileInfo* fileP = files.files.getFirst(); rc == RC_OK && fileP != nullptr;
       fileP = files.files.getNext(fileP)) {
    DRelocateEntry entry{};
    entry.dbInfoP = recordP;
    std::snprintf(entry.szLogicalName, sizeof entry.szLogicalName, "%s", fileP->szFileLogicalName);
    std::snprintf(entry.szPhysicalName, sizeof entry.szPhysicalName, "%s",
                  fileP->szFilePhysicalName);
    if (viewP->m_relocateList.addTail(&entry) != RC_OK) {
      removeEntriesOf(viewP->m_relocateList, recordP);  // none, or all of them
      marks.firstRelocateEntryP = nullptr;
      marks.relocated = false;
      return outOfMemory();
    }
    if (marks.firstRelocateEntryP == nullptr)
      marks.firstRelocateEntryP = viewP->m_relocateList.getLast();
  }
  return rc;
}

int DRestoreController::cgProcessRelocate(DRestoreTreeBase* viewP) {
  TRACE_ENTRY(TRC_GUI, "DRestoreController::cgProcessRelocate");
  HTREEITEM item = nullptr;
  MoxtarMetaInfo* backupP = rememberedBackup(this, viewP, &item);
  if (backupP == nullptr || gDialogsP == nullptr) TRACE_RETURN(RC_OK);
  DRestoreMarks& marks = viewP->marks(backupP->hublorDbElemP);
  int rc = RC_OK;
  if (!marks.relocated) rc = fetchRelocations(viewP, item, *backupP);
  if (rc == RC_NO_MEMORY) TRACE_RETURN(rc);
  gDialogsP->editRelocations(&viewP->m_relocateList, marks.firstRelocateEntryP);
  TRACE_RETURN(rc);
}
