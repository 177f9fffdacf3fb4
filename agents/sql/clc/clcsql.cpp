// The SQL Server side of a run: the login the agent uses and the access object, and the
// commands that work with SQL Server's databases: Backup and Restore.
#include <cstdio>
#include <cstring>
#include <new>

#include "agtlog.h"
#include "agtrc.h"
#include "agttrc.h"
#include "bkeri.h"
#include "clc.h"
#include "clcqryrec.h"
#include "erifunc.h"
#include "msgout.h"
#include "parse.h"
#include "restoreeri.h"
#include "sqlapi.h"
#include "sqlqueryeri.h"
#include "sqlreg.h"

namespace {

enum : int {
  MSG_NO_STORED_LOGIN = 5066,
  MSG_NOTHING_SELECTED = 5094,
};

constexpr int RC_USER_NOT_STORED = 1213;

bool isSqlCommand(uint32_t command) {
  return (command >= CMD_BACKUP_DIFF && command <= CMD_BACKUP_SET) || command == CMD_QUERY_SQL ||
         command == CMD_QUERY_SQL_DATABASES ||
         (command >= CMD_RESTORE_DIFF && command <= CMD_RESTORE_SET);
}

// The login of a SQL Server login run: what the command line gave, completed from the login
// stored for the server; with none stored the agent logs on as "sa" without a password.
int completeSqlLogin(OptionsInfo& o) {
  if (o.enumSqlAuth != OPT_SQLAUTH_SQLUSERID) return RC_OK;
  if (o.bSqlUser == 1 && o.bSqlPassword == 1) return RC_OK;
  char user[SQL_USER_SIZE] = "";
  char password[SQL_PASSWORD_SIZE] = "";
  if (getSqlAccountInfo(o.szSqlServer, user, password) != RC_OK) {
    std::snprintf(o.szSqlUser, sizeof o.szSqlUser, "sa");
    o.szSqlPassword[0] = '\0';
    if (gLogP != nullptr) gLogP->LogActivityLog(MSG_NO_STORED_LOGIN);
    return RC_OK;
  }
  if (o.bSqlUser == 1 && std::strcmp(o.szSqlUser, user) != 0) return RC_USER_NOT_STORED;
  if (o.bSqlUser != 1) std::snprintf(o.szSqlUser, sizeof o.szSqlUser, "%s", user);
  if (o.bSqlPassword != 1) std::snprintf(o.szSqlPassword, sizeof o.szSqlPassword, "%s", password);
  return RC_OK;
}

int createSqlAccess(OptionsInfo& o) {
  SqlLogonInfo logon{};
  std::snprintf(logon.szSqlPassword, sizeof logon.szSqlPassword, "%s", o.szSqlPassword);
  std::snprintf(logon.szSqlServer, sizeof logon.szSqlServer, "%s", o.szSqlServer);
  std::snprintf(logon.szSqlUser, sizeof logon.szSqlUser, "%s", o.szSqlUser);
  logon.enumSqlAuth = o.enumSqlAuth;
  int rc = RC_OK;
  char text[NLS_MSG_MAX] = "";
  gSqlApiP = new (std::nothrow) CSqlApi(&logon, &rc, text);
  if (gSqlApiP == nullptr) return RC_NO_MEMORY;
  if (rc == RC_OK) return RC_OK;
  if (text[0] != '\0') {
    nlprintf(CLC_MSG_TEXT, text);
    nlprintf(CLC_MSG_NEW_LINE);
  } else {
    clcPrintRcMessage(rc, "");
  }
  return rc;
}

bool anySelected(CLinkedList<SqlDatabaseElement>& databases) {
  for (SqlDatabaseElement* dbP = databases.getFirst(); dbP != nullptr;
       dbP = databases.getNext(dbP)) {
    if (dbP->bSqlDbIsSelected != 0) return true;
  }
  return false;
}

// The estimate of a backup type: differential and log backups have their own.
int32_t estimateOf(const OptionsInfo& o) {
  if (o.command == CMD_BACKUP_DIFF) return o.nDiffEstimate;
  if (o.command == CMD_BACKUP_LOG) return o.nLogEstimate;
  return 0;
}

void fillBackupParms(ClcRun* runP, DSqlBackupDatabaseParms* parmsP) {
  OptionsInfo& o = runP->options;
  SqlBackupParameters& sql = parmsP->sqlParms;
  sql.ulNumSqlBuffers = static_cast<uint32_t>(o.nSqlBuffers);
  sql.ulSqlBufferSize = static_cast<uint32_t>(o.nSqlBufferSize);
  sql.lEstimateAdjustKb = o.nAdjustKbEstimate;
  sql.lEstimateAdjustPct = o.nAdjustPercentEstimate;
  sql.bTruncate = o.bTruncate;
  sql.bRecovery = o.bRecovery;
  sql.bRecoverySpecified = o.bRecoverySpecified;
  sql.bStandby = o.bStandby;
  std::snprintf(sql.szDebugBackupPath, sizeof sql.szDebugBackupPath, "%s", o.szDebugBackupPath);
  parmsP->nStatusMilliSeconds = static_cast<uint32_t>(o.nStatusInterval);
  parmsP->bIncludeLogBackup = o.bIncludeLogBackup;
  parmsP->statusFunctionP = runP->statusP;
  parmsP->msgBufferLen = CLC_MSG_BUFFER_LEN;
  parmsP->nBufferSize = static_cast<uint32_t>(o.nBufferSize);
  parmsP->bMountWait = o.bMountWait;
  parmsP->msgBufferP = runP->msgBuffer;
  parmsP->nCleanupOlderThan = o.nOlderthan;
  parmsP->nEstimate = estimateOf(o);
  parmsP->nBuffers = o.nBuffers;
  parmsP->nStripes = o.nStripes;
  parmsP->command = o.command;
}

// The lists a backup hands its request, with the option lists' copies.
struct BackupLists {
  EriNameList dbNames;
  EriNameList groupNames;
  EriNameList fileNames;
  CLinkedList<SqlDatabaseElement> databases;
  CLinkedList<SqlGroupElement> groups;
  CLinkedList<SqlFileElement> files;
};

int copyBackupNames(OptionsInfo& o, BackupLists* listsP) {
  int rc = clcCopyNames(o.dbNameList, &listsP->dbNames);
  if (rc == RC_OK) rc = clcCopyNames(o.groupNameList, &listsP->groupNames);
  if (rc == RC_OK) rc = clcCopyNames(o.fileNameList, &listsP->fileNames);
  return rc;
}

EriNameList* orNull(EriNameList& list) {
  return list.getCount() != 0 ? &list : nullptr;
}

// The lists a restore hands its request besides the query's.
struct RestoreLists {
  EriNameList groupNames;
  EriNameList fileNames;
  EriNameList relocateFrom;
  EriPhysicalNameList relocateTo;
  EriNameList intoNames;
  EriNameList destinations;
  EriRelocationList relocations;
};

int copyRestoreNames(OptionsInfo& o, RestoreLists* listsP) {
  int rc = clcCopyNames(o.groupNameList, &listsP->groupNames);
  if (rc == RC_OK) rc = clcCopyNames(o.fileNameList, &listsP->fileNames);
  if (rc == RC_OK) rc = clcCopyNames(o.relocateNameList, &listsP->relocateFrom);
  if (rc == RC_OK) rc = clcCopyNames(o.toNameList, &listsP->relocateTo);
  if (rc == RC_OK) rc = clcCopyNames(o.intoNameList, &listsP->intoNames);
  return rc;
}

void fillRestoreSql(const OptionsInfo& o, SqlRestoreParameters* sqlP) {
  sqlP->bRestrictedUserOnly = o.bDboOnly;
  sqlP->bRecoverySpecified = o.bRecoverySpecified;
  sqlP->ulNumSqlBuffers = static_cast<uint32_t>(o.nSqlBuffers);
  sqlP->ulSqlBufferSize = static_cast<uint32_t>(o.nSqlBufferSize);
  sqlP->bStopBeforeMark = o.bStopBeforeMark;
  sqlP->bStopAtMark = o.bStopAtMark;
  std::snprintf(sqlP->szDateTime, sizeof sqlP->szDateTime, "%s", o.szStopAt);
  std::snprintf(sqlP->szMarkName, sizeof sqlP->szMarkName, "%s", o.szMarkName);
  sqlP->bRecovery = o.bRecovery;
  sqlP->bRelocate = o.bRelocate;
  sqlP->bPartial = o.bPartial;
  sqlP->bReplace = o.bReplace;
  sqlP->bStandby = o.bStandby;
  sqlP->bStopAt = o.bStopAt;
  std::snprintf(sqlP->szAfter, sizeof sqlP->szAfter, "%s", o.szAfter);
  sqlP->bAfter = o.bAfter;
  sqlP->bInto = o.bInto;
  std::snprintf(reinterpret_cast<char*>(sqlP->reserved), sizeof sqlP->reserved, "%s",
                o.szStandbyFile);
}

// A restore that picks groups or files or moves files needs each backup's file information;
// one into another database or on standby needs its compatibility information.
void forceRestoreInfo(OptionsInfo& o) {
  if (o.fileNameList.getCount() != 0 || o.groupNameList.getCount() != 0 || o.bRelocate != 0) {
    o.bCompatibilityInfo = 1;
    o.bFileInfo = 1;
    o.bQueryMountWait = o.bMountWait;
  } else if (o.bInto != 0 || o.bStandby != 0) {
    o.bCompatibilityInfo = 1;
  }
}

}  // namespace

int clcStartSql(ClcRun* runP) {
  OptionsInfo& o = runP->options;
  if (!isSqlCommand(o.command)) return RC_OK;
  int rc = completeSqlLogin(o);
  if (rc != RC_OK) {
    clcPrintRcMessage(rc, "");
    return rc;
  }
  return createSqlAccess(o);
}

void clcStopSql() {
  delete gSqlApiP;
  gSqlApiP = nullptr;
}

int clcBackup(ClcRun* runP) {
  OptionsInfo& o = runP->options;
  BackupLists lists;
  int rc = copyBackupNames(o, &lists);
  if (rc != RC_OK) return rc;
  rc = static_cast<int>(eriQuerySqlServerDb(&lists.databases, runP->msgBuffer, &lists.dbNames, 0));
  if (rc != RC_OK) return rc;
  if (!anySelected(lists.databases)) {
    nlprintf(MSG_NOTHING_SELECTED);
    return RC_OK;
  }
  DSqlBackupDatabaseParms parms{};
  fillBackupParms(runP, &parms);
  return static_cast<int>(eriBackupSqlDatabase(&parms, &lists.databases, &lists.dbNames,
                                               &lists.groups, orNull(lists.groupNames),
                                               &lists.files, orNull(lists.fileNames)));
}

int clcRestore(ClcRun* runP) {
  OptionsInfo& o = runP->options;
  forceRestoreInfo(o);
  CRestoreBackupsParms parms;
  ClcQueryLists queryLists;
  int rc = clcFillQuery(runP, &parms, &queryLists);
  if (rc != RC_OK) return rc;
  // Backups of the SQL Server restored into unless another one is named.
  if (o.bFromSqlServer == 0) parms.sqlServerNameP = o.szSqlServer;
  RestoreLists lists;
  rc = copyRestoreNames(o, &lists);
  if (rc != RC_OK) return rc;
  fillRestoreSql(o, &parms.sqlRestoreParms);
  parms.bStripes = o.bStripes;
  parms.nStripes = o.nStripes;
  parms.command = o.command;
  parms.bPick = o.bPick;
  parms.groupNameListP = &lists.groupNames;
  parms.fileNameListP = &lists.fileNames;
  parms.relocateFromListP = &lists.relocateFrom;
  parms.relocateToListP = &lists.relocateTo;
  parms.intoNameListP = &lists.intoNames;
  parms.destinationListP = &lists.destinations;
  parms.relocationListP = &lists.relocations;
  rc = static_cast<int>(eriRestoreBackups(&parms));
  parms.qryBuListP->freeAll();
  return rc;
}
