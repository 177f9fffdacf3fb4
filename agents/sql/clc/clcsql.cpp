// The SQL Server side of a run: the login the agent uses and the access object, and the
// commands that work with SQL Server and its databases: Backup, Query SQL and Restore.
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
#include "nlsnumber.h"
#include "parse.h"
#include "restoreeri.h"
#include "sqlapi.h"
#include "sqlmeta.h"
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

// The group and file patterns go to the request together, or not at all: the files are
// selected group by group, so file patterns need the group list, even an empty one.
bool namesGroupsOrFiles(BackupLists& lists) {
  return lists.groupNames.getCount() != 0 || lists.fileNames.getCount() != 0;
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
  rc = eriQuerySqlServerDb(&lists.databases, runP->msgBuffer, &lists.dbNames, 0);
  if (rc != RC_OK) return rc;
  if (!anySelected(lists.databases)) {
    nlprintf(MSG_NOTHING_SELECTED);
    return RC_OK;
  }
  DSqlBackupDatabaseParms parms{};
  fillBackupParms(runP, &parms);
  bool patterns = namesGroupsOrFiles(lists);
  return eriBackupSqlDatabase(&parms, &lists.databases, &lists.dbNames, &lists.groups,
                              patterns ? &lists.groupNames : nullptr, &lists.files,
                              patterns ? &lists.fileNames : nullptr);
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
  eriFillRestoreSql(o, &parms.sqlRestoreParms);
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
  rc = eriRestoreBackups(&parms);
  parms.qryBuListP->freeAll();
  return rc;
}

namespace {

enum : int {
  MSG_SQL_HEADING = 5067,
  MSG_SERVER = 5069,
  MSG_SQL_VERSION = 5070,
  MSG_VERSION7_VALUES = 5071,
  MSG_CLUSTERED = 5072,
  MSG_DATABASES_HEADING = 5073,
  MSG_DATABASE = 5074,
  MSG_SIZES = 5075,
  MSG_COMPATIBILITY = 5076,
  MSG_STATUS = 5085,
};

constexpr int NUMBER_TEXT_SIZE = 50;

// The database options of a database element, by their flag in the backup's meta-data.
const struct {
  SqlMetaFlagBit flag;
  int32_t SqlDatabaseElement::*fieldP;
} kDbOptions[] = {
    {SQL_META_FLAG_SYSTEM_DATABASE, &SqlDatabaseElement::bDbIsSystemDatabase},
    {SQL_META_FLAG_TRUNCATE_LOG_ON_CHECKPOINT, &SqlDatabaseElement::bDbIsTruncateLogOnCheckpoint},
    {SQL_META_FLAG_SELECT_INTO_BULK_COPY, &SqlDatabaseElement::bDbIsSelectIntoBulkCopy},
    {SQL_META_FLAG_DBO_USE_ONLY, &SqlDatabaseElement::bDbIsDboUseOnly},
    {SQL_META_FLAG_READ_ONLY, &SqlDatabaseElement::bDbIsReadOnly},
    {SQL_META_FLAG_SINGLE_USER, &SqlDatabaseElement::bDbIsSingleUser},
    {SQL_META_FLAG_AUTO_CLOSE, &SqlDatabaseElement::bDbIsAutoClose},
    {SQL_META_FLAG_AUTO_SHRINK, &SqlDatabaseElement::bDbIsAutoShrink},
    {SQL_META_FLAG_TORN_PAGE_DETECTION, &SqlDatabaseElement::bDbIsTornPageDetection},
};

const char* size64(pkInt64 value, char* textP) {
  nlsFormatInt64(value, textP, NUMBER_TEXT_SIZE);
  return textP;
}

void printServer(const SqlServerElement& server, const OptionsInfo& o) {
  nlprintf(MSG_SQL_HEADING);
  nlprintf(MSG_SERVER, server.szSqlServerName);
  if (o.command == CMD_QUERY_SQL || o.bCompatibilityInfo != 0) {
    nlprintf(MSG_SQL_VERSION, server.lSqlVersionMajor, server.lSqlVersionMinor,
             server.szSqlServerBuild);
    nlprintf(CLC_MSG_NEW_LINE);
  }
  if (o.bCompatibilityInfo == 0) return;
  if (server.lSqlVersionMajor == 7) {
    nlprintf(MSG_VERSION7_VALUES, server.lSqlDefaultCodePage, server.lSqlDefaultSortOrderId,
             server.lSqlDefaultUnicodeLocaleId, server.lSqlDefaultUnicodeComparisonStyle);
  }
  nlprintf(MSG_CLUSTERED, server.bSqlIsClustered != 0 ? "Yes" : "No");
  nlprintf(CLC_MSG_NEW_LINE);
}

void printStatus(const SqlDatabaseElement& db) {
  if (db.szSqlDatabaseStatus[0] != '\0') nlprintf(MSG_STATUS, db.szSqlDatabaseStatus);
}

// One database: its sizes, compatibility level and options, or why they could not be read.
void printDatabase(const SqlDatabaseElement& db, const OptionsInfo& o) {
  if (db.bSqlDbIsSelected == 0) return;
  nlprintf(MSG_DATABASE, db.szSqlDatabaseName);
  // A database whose information could not be read shows its state and the reason instead.
  if (db.bDbIsUnreadable != 0 || db.bDbInfoIsLoaded == 0) {
    printStatus(db);
    if (db.peDbMessage != nullptr && db.peDbMessage->szMessage[0] != '\0') {
      nlprintf(CLC_MSG_LINE, db.peDbMessage->szMessage);
    }
    nlprintf(CLC_MSG_NEW_LINE);
    return;
  }
  char sizes[4][NUMBER_TEXT_SIZE];
  nlprintf(MSG_SIZES, size64(db.u64DbDataFileSize, sizes[0]),
           size64(db.u64DbDataSpaceUsed, sizes[1]), size64(db.u64DbLogFileSize, sizes[2]),
           size64(db.u64DbLogSpaceUsed, sizes[3]));
  if (o.bCompatibilityInfo != 0) nlprintf(MSG_COMPATIBILITY, db.lDbCompatibilityLevel);
  uint32_t flags[SQL_META_FLAG_COUNT] = {};
  for (const auto& option : kDbOptions) flags[option.flag] = db.*option.fieldP != 0 ? 1 : 0;
  printStatus(db);
  clcPrintOptions(flags);
  nlprintf(CLC_MSG_NEW_LINE);
}

}  // namespace

int clcQuerySql(ClcRun* runP) {
  OptionsInfo& o = runP->options;
  SqlServerElement server{};
  uint32_t logFlag = o.command == CMD_QUERY_SQL ? 1 : 0;
  int rc = eriQuerySqlServer(&server, nullptr, runP->msgBuffer, logFlag);
  if (rc != RC_OK) return rc;
  printServer(server, o);
  if (o.command == CMD_QUERY_SQL) return RC_OK;
  nlprintf(CLC_MSG_NEW_LINE);
  BackupLists lists;
  rc = copyBackupNames(o, &lists);
  if (rc != RC_OK) return rc;
  rc = eriQuerySqlServerDb(&lists.databases, runP->msgBuffer, &lists.dbNames, 1);
  if (rc != RC_OK) return rc;
  nlprintf(MSG_DATABASES_HEADING);
  CLinkedList<SqlDbMessage> messages;
  rc = eriQuerySqlServerDbInfo(&lists.databases, &messages, &lists.groups, nullptr, &lists.files,
                               nullptr, nullptr);
  if (rc != RC_OK) return rc;
  for (SqlDatabaseElement* dbP = lists.databases.getFirst(); dbP != nullptr;
       dbP = lists.databases.getNext(dbP)) {
    printDatabase(*dbP, o);
  }
  return RC_OK;
}
