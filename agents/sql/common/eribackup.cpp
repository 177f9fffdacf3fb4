// The backup's entry function: its start line, then the backup request as the current request.
#include <cstdio>

#include "agtlog.h"
#include "agtrc.h"
#include "agttrc.h"
#include "bkeri.h"
#include "pelkapi.h"

namespace {

constexpr int MSG_BACKUP_STARTED = 5223;
constexpr int MSG_BACKUP_STARTED_ADJUSTED = 5230;

// The type text of each backup command, 1 to 6.
const char* const kBackupTypes[] = {"DIFF", "FILE", "FULL", "GROUP", "LOG", "SET"};

const char* orDash(const char* textP) {
  return textP != nullptr && textP[0] != '\0' ? textP : "-";
}

void logBackupStart(const DSqlBackupDatabaseParms& parms, EriNameList* dbNamesP,
                    EriNameList* groupsP, EriNameList* filesP) {
  const SqlBackupParameters& sql = parms.sqlParms;
  const char* typeP = kBackupTypes[parms.command - ERI_CMD_BACKUP_DIFF];
  bool estimated = parms.command == ERI_CMD_BACKUP_DIFF || parms.command == ERI_CMD_BACKUP_LOG;
  char estimate[16] = "-";
  if (estimated) std::snprintf(estimate, sizeof estimate, "%d", parms.nEstimate);
  const char* truncateP = "-";
  if (parms.command == ERI_CMD_BACKUP_LOG) truncateP = sql.bTruncate != 0 ? "Yes" : "No";
  char lists[3][ERI_NAME_TEXT_SIZE];
  eriNameListText(dbNamesP, lists[0]);
  eriNameListText(groupsP, lists[1]);
  eriNameListText(filesP, lists[2]);
  const char* optFileP = gPelkApiObjP != nullptr ? orDash(gPelkApiObjP->getHublorOptFile()) : "-";
  const char* nodeP = gPelkApiObjP != nullptr ? orDash(gPelkApiObjP->getHublorNode()) : "-";
  const char* mountWaitP = parms.bMountWait != 0 ? "Yes" : "No";
  if (gLogP == nullptr) return;
  bool adjusted = sql.lEstimateAdjustKb != 0 || sql.lEstimateAdjustPct != 0;
  if (!adjusted) {
    gLogP->LogActivityLog(MSG_BACKUP_STARTED, typeP, lists[0], lists[1], lists[2], parms.nBuffers,
                          parms.nBufferSize, sql.ulNumSqlBuffers, sql.ulSqlBufferSize,
                          parms.nStripes, estimate, truncateP, mountWaitP, optFileP, nodeP);
    return;
  }
  gLogP->LogActivityLog(MSG_BACKUP_STARTED_ADJUSTED, typeP, lists[0], lists[1], lists[2],
                        parms.nBuffers, parms.nBufferSize, sql.ulNumSqlBuffers, sql.ulSqlBufferSize,
                        parms.nStripes, estimate, truncateP, mountWaitP, optFileP, nodeP,
                        sql.lEstimateAdjustKb, sql.lEstimateAdjustPct);
}

}  // namespace

uint32_t eriBackupSqlDatabase(DSqlBackupDatabaseParms* parmsP,
                              CLinkedList<SqlDatabaseElement>* querySqlServerDbInfoP,
                              EriNameList* dbNameListP, CLinkedList<SqlGroupElement>* sqlGroupListP,
                              EriNameList* groupListP, CLinkedList<SqlFileElement>* sqlFileListP,
                              EriNameList* fileListP) {
  TRACE_ENTRY(TRC_ERI, "eriBackupSqlDatabase()");
  if (parmsP == nullptr) TRACE_RETURN(RC_INTERNAL_ERROR);
  if (parmsP->msgBufferP != nullptr) parmsP->msgBufferP[0] = '\0';
  if (parmsP->command < ERI_CMD_BACKUP_DIFF || parmsP->command > ERI_CMD_BACKUP_SET) {
    TRACE_LINE(TRC_ERI, "An unknown command was detected, optionsInfo.command:%u\n",
               parmsP->command);
    TRACE_RETURN(RC_INTERNAL_ERROR);
  }
  logBackupStart(*parmsP, dbNameListP, groupListP, fileListP);
  DSqlBackupDatabaseEri request(parmsP, querySqlServerDbInfoP, sqlGroupListP, groupListP,
                                sqlFileListP, fileListP);
  TRACE_RETURN(eriRunRequest(&request, "dSqlBackupDatabaseEriObj.ProcessRequest()", 1));
}
