// The entry function of the backup request.
#include <cstdio>

#include "agtrc.h"
#include "agttrc.h"
#include "bkeri.h"
#include "erientry.h"
#include "erifunc.h"

namespace {

constexpr int MSG_BACKUP_STARTED = 5223;
constexpr int MSG_BACKUP_ADJUSTED_STARTED = 5230;

// The type text of each backup command, 1 to 6.
const char* const kBackupTypes[] = {"DIFF", "FILE", "FULL", "GROUP", "LOG", "SET"};

// The texts of the start line that depend on the command.
struct BackupStartTexts {
  explicit BackupStartTexts(const DSqlBackupDatabaseParms& parms) {
    typeP = kBackupTypes[parms.command - ERI_CMD_BACKUP_DIFF];
    bool estimated = parms.command == ERI_CMD_BACKUP_DIFF || parms.command == ERI_CMD_BACKUP_LOG;
    if (estimated) std::snprintf(estimate, sizeof estimate, "%d", parms.nEstimate);
    if (parms.command == ERI_CMD_BACKUP_LOG)
      truncateP = parms.sqlParms.bTruncate != 0 ? "Yes" : "No";
  }
  const char* typeP;
  char estimate[16] = "-";
  const char* truncateP = "-";
};

void logBackupStart(const DSqlBackupDatabaseParms& parms, EriNameList* dbNameListP,
                    EriNameList* groupListP, EriNameList* fileListP) {
  BackupStartTexts texts(parms);
  char dbNames[ERI_NAME_TEXT_SIZE];
  char groups[ERI_NAME_TEXT_SIZE];
  char files[ERI_NAME_TEXT_SIZE];
  eriNameListText(dbNameListP, dbNames);
  eriNameListText(groupListP, groups);
  eriNameListText(fileListP, files);
  const SqlBackupParameters& sql = parms.sqlParms;
  const char* mountWaitP = parms.bMountWait != 0 ? "Yes" : "No";
  if (sql.lEstimateAdjustKb == 0 && sql.lEstimateAdjustPct == 0) {
    eriLogLine(MSG_BACKUP_STARTED, texts.typeP, dbNames, groups, files, parms.nBuffers,
               parms.nBufferSize, sql.ulNumSqlBuffers, sql.ulSqlBufferSize, parms.nStripes,
               texts.estimate, texts.truncateP, mountWaitP, eriApiOptFile(), eriApiNode());
    return;
  }
  eriLogLine(MSG_BACKUP_ADJUSTED_STARTED, texts.typeP, dbNames, groups, files, parms.nBuffers,
             parms.nBufferSize, sql.ulNumSqlBuffers, sql.ulSqlBufferSize, parms.nStripes,
             texts.estimate, texts.truncateP, mountWaitP, eriApiOptFile(), eriApiNode(),
             sql.lEstimateAdjustKb, sql.lEstimateAdjustPct);
}

}  // namespace

int eriBackupSqlDatabase(DSqlBackupDatabaseParms* parmsP,
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
