#include "sqlrestoreplan.h"

#include <cstring>

#include "agtrc.h"
#include "objname.h"

namespace {

template <size_t N>
void terminate(char (&text)[N]) {
  text[N - 1] = '\0';
}

}  // namespace

bool sqlIsBackupTypeLl(const char* llP, const char* typeNameP) {
  // Stored low-level names carry the session's delimiter in front of the word ("\log").
  return strcmp(llP, typeNameP) == 0 || (llP[0] != '\0' && strcmp(llP + 1, typeNameP) == 0);
}

int CSqlRestorePlan::build(const SqlRestoreParameters& parms, long lSqlVersionMajor,
                           const char* hlP, const char* llP, SqlHublorDbElement* dbP) {
  m_Parms = parms;
  terminate(m_Parms.szDateTime);
  terminate(m_Parms.szMarkName);
  terminate(m_Parms.szAfter);
  extractHlNames(hlP, m_DbName, m_OtherName);
  m_bLog = sqlIsBackupTypeLl(llP, "log");
  m_bFull = sqlIsBackupTypeLl(llP, "full");

  SqlRestoreStatement& s = m_Statement;
  s = SqlRestoreStatement{};
  s.bLog = m_bLog;
  s.databaseNameP = dbP != nullptr && dbP->szIntoDbName[0] != '\0' ? dbP->szIntoDbName : m_DbName;
  s.itemListP = &m_Items;
  s.deviceListP = &m_Devices;
  s.moveListP = &m_Moves;
  s.ulNumSqlBuffers = m_Parms.ulNumSqlBuffers;
  s.ulSqlBufferSize = m_Parms.ulSqlBufferSize;
  s.bDboOnly = m_Parms.bRestrictedUserOnly == 1 && lSqlVersionMajor == 7;
  s.bRestrictedUser = m_Parms.bRestrictedUserOnly == 1 && lSqlVersionMajor != 7;
  s.bPartial = m_Parms.bPartial == 1 && lSqlVersionMajor != 7 && m_bFull;
  s.bReplace = m_Parms.bReplace == 1;

  bool hasSelection =
      dbP != nullptr && (dbP->bDbGroupIsSelected != 0 || dbP->bDbFileIsSelected != 0);
  int rc = m_bLog || !hasSelection ? RC_OK : addSelection(dbP);
  if (rc != RC_OK) return rc;
  rc = m_Parms.bRelocate == 1 ? addMoves(dbP) : RC_OK;
  if (rc != RC_OK) return rc;
  setRecovery(hasSelection, dbP);
  if (m_bLog) setStop(lSqlVersionMajor);
  return RC_OK;
}

// A wholly selected group is listed as FILEGROUP; of any other group its selected files.
int CSqlRestorePlan::addSelection(SqlHublorDbElement* dbP) {
  if (dbP->pGroupList == nullptr) return RC_OK;
  for (SqlMetaGroupInfo* groupP = dbP->pGroupList->getFirst(); groupP != nullptr;
       groupP = dbP->pGroupList->getNext(groupP)) {
    if (groupP->bGroupIsSelected) {
      SqlStmtItem item = {SQL_ITEM_FILEGROUP, groupP->szGroupName};
      int rc = m_Items.addTail(&item);
      if (rc != RC_OK) return rc;
      continue;
    }
    if (!groupP->bGroupFileIsSelected || dbP->pFileList == nullptr) continue;
    for (SqlMetaFileInfo* fileP = dbP->pFileList->getFirst(); fileP != nullptr;
         fileP = dbP->pFileList->getNext(fileP)) {
      if (fileP->peFileGroup != groupP || !fileP->bFileIsSelected) continue;
      SqlStmtItem item = {SQL_ITEM_FILE, fileP->szFileLogicalName};
      int rc = m_Items.addTail(&item);
      if (rc != RC_OK) return rc;
    }
  }
  return RC_OK;
}

int CSqlRestorePlan::addMoves(SqlHublorDbElement* dbP) {
  if (dbP == nullptr || dbP->pRelocateList == nullptr) return RC_OK;
  for (SqlRelocatePair* pairP = dbP->pRelocateList->getFirst(); pairP != nullptr;
       pairP = dbP->pRelocateList->getNext(pairP)) {
    SqlStmtMove move = {pairP->szLogicalName, pairP->szPhysicalName};
    int rc = m_Moves.addTail(&move);
    if (rc != RC_OK) return rc;
  }
  return RC_OK;
}

void CSqlRestorePlan::setRecovery(bool hasSelection, SqlHublorDbElement* dbP) {
  SqlRestoreStatement& s = m_Statement;
  if (m_Parms.bStandby == 1 && dbP != nullptr && dbP->szStandbyFile[0] != '\0') {
    s.recovery = SQL_STANDBY;
    s.standbyFileP = dbP->szStandbyFile;
    return;
  }
  bool recovery = m_Parms.bRecovery == 1;
  bool stops = m_Parms.bStopAt || m_Parms.bStopAtMark || m_Parms.bStopBeforeMark;
  // A point in time or a mark only means something when the database is recovered there.
  if (m_bLog && stops) recovery = true;
  // Restoring part of a database leaves it waiting for the rest, unless it is a partial
  // restore, which brings the restored part online by itself.
  bool partialFull = m_Parms.bPartial == 1 && m_bFull;
  if (!m_bLog && hasSelection && !partialFull) recovery = false;
  s.recovery = recovery ? SQL_RECOVERY : SQL_NORECOVERY;
}

void CSqlRestorePlan::setStop(long lSqlVersionMajor) {
  SqlRestoreStatement& s = m_Statement;
  if (m_Parms.bStopAt == 1 && m_Parms.szDateTime[0] != '\0') {
    s.stop = SQL_STOP_AT;
    s.stopTextP = m_Parms.szDateTime;
    return;
  }
  bool mark = m_Parms.bStopAtMark == 1 || m_Parms.bStopBeforeMark == 1;
  if (!mark || m_Parms.szMarkName[0] == '\0' || lSqlVersionMajor == 7) return;
  s.stop = m_Parms.bStopAtMark == 1 ? SQL_STOP_AT_MARK : SQL_STOP_BEFORE_MARK;
  s.stopTextP = m_Parms.szMarkName;
  if (m_Parms.bAfter == 1 && m_Parms.szAfter[0] != '\0') s.afterP = m_Parms.szAfter;
}
