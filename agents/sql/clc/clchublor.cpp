// Query HUBLOR: the storage server, and the stored backups with their details, their file
// information and their types per database.
#include <cstdio>
#include <cstring>

#include "agtrc.h"
#include "clc.h"
#include "clcqryrec.h"
#include "erifunc.h"
#include "msgout.h"
#include "nlsnumber.h"
#include "objinfo.h"
#include "parse.h"
#include "sqlqbentry.h"
#include "sqlqrybackup.h"

namespace {

enum : int {
  MSG_BACKUPS_HEADING = 5068,
  MSG_SERVER = 5069,
  MSG_SQL_VERSION = 5070,
  MSG_VERSION7_VALUES = 5071,
  MSG_CLUSTERED = 5072,
  MSG_DATABASE = 5074,
  MSG_SIZES = 5075,
  MSG_COMPATIBILITY = 5076,
  MSG_OPTIONS = 5077,
  MSG_TYPE = 5078,
  MSG_FILE = 5079,
  MSG_GROUP = 5080,
  MSG_BACKUP_LINE = 5081,
  MSG_AGENT_VERSION = 5082,
  MSG_ACTIVE_COUNT = 5083,
  MSG_INACTIVE_COUNT = 5084,
  MSG_FILE_LINE = 5086,
  MSG_FILE_USED = 5087,
  MSG_GROUP_SIZES = 5088,
  MSG_COMPRESSION_ON = 5200,
  MSG_COMPRESSION_OFF = 5201,
  MSG_COMPRESSION_CLIENT = 5202,
  MSG_STORAGE_SERVER = 5203,
};

constexpr int NUMBER_TEXT_SIZE = 50;
constexpr int OPTIONS_LINE_SIZE = 1024;
constexpr int NUM_TYPES = BACKUP_TYPE_INVALID;

// The database options in the order of their flags, each ending its line.
const struct {
  SqlMetaFlagBit flag;
  const char* textP;
} kOptionTexts[] = {
    {SQL_META_FLAG_SYSTEM_DATABASE, "System database\n"},
    {SQL_META_FLAG_TRUNCATE_LOG_ON_CHECKPOINT, "Truncate log on checkpoint\n"},
    {SQL_META_FLAG_SELECT_INTO_BULK_COPY, "Select into / bulk copy\n"},
    {SQL_META_FLAG_DBO_USE_ONLY, "DBO use only\n"},
    {SQL_META_FLAG_READ_ONLY, "Read only\n"},
    {SQL_META_FLAG_SINGLE_USER, "Single user\n"},
    {SQL_META_FLAG_AUTO_CLOSE, "Auto close\n"},
    {SQL_META_FLAG_AUTO_SHRINK, "Auto shrink\n"},
    {SQL_META_FLAG_TORN_PAGE_DETECTION, "Torn page detection\n"},
};

// The backup type names as shown, 9 characters each, by backup type.
const char* const kTypeNames[] = {"Full     ", "DiffFull ", "Log      ", "Group    ",
                                  "File     ", "Set      ", "invalid"};

const char* size64(pkInt64 value, char* textP) {
  nlsFormatInt64(value, textP, NUMBER_TEXT_SIZE);
  return textP;
}

const char* yesNo(uint32_t flag) {
  return flag != 0 ? "Yes" : "No";
}

// The names an entry carries: server, database, group or file, and its backup type.
struct EntryNames {
  char server[OBJ_NAME_MAX_FS_LENGTH + 1] = "";
  char db[OBJ_NAME_MAX_HL_LENGTH + 1] = "";
  char other[OBJ_NAME_MAX_HL_LENGTH + 1] = "";
  uint32_t type = BACKUP_TYPE_INVALID;

  explicit EntryNames(const MoxtarMetaInfo& entry) {
    extractServerName(entry.objName.fs, server);
    extractBackupType(entry.objName.ll, &type);
    extractHlNames(entry.objName.hl, db, other);
    if (type > BACKUP_TYPE_INVALID) type = BACKUP_TYPE_INVALID;
  }
};

}  // namespace

// Appends one option text at the position and indents the next line under the first.
void appendOptionText(const char* textP, char* lineP, int* positionP, int* endP, int indent) {
  int length = static_cast<int>(std::strlen(textP));
  if (*positionP + length + indent >= OPTIONS_LINE_SIZE) return;  // the rest would not fit
  std::memcpy(lineP + *positionP, textP, static_cast<size_t>(length));
  *positionP += length;
  *endP = *positionP + indent;
  while (*positionP < *endP) lineP[(*positionP)++] = ' ';
}

// The options line: each set option on its own line, the later ones under the first; a line
// end alone when none is set.
void clcPrintOptions(const uint32_t* flagsP) {
  char empty[NLS_MSG_MAX];
  int indent = nlsprintf(empty, sizeof empty, MSG_OPTIONS, "");
  char line[OPTIONS_LINE_SIZE];
  int position = 0;
  int end = 0;
  int last = 0;
  for (const auto& option : kOptionTexts) {
    if (flagsP[option.flag] == 0) continue;
    appendOptionText(option.textP, line, &position, &end, indent);
    last = position - indent;
  }
  if (position == 0) last = std::snprintf(line, sizeof line, "\n");
  line[last] = '\0';  // no indent after the last option
  nlprintf(MSG_OPTIONS, line);
}

namespace {

// The compatibility lines of a backup, from its database element.
void printCompatibility(const MoxtarMetaInfo& entry, const objInfo& info) {
  const SqlHublorDbElement* dbP = entry.hublorDbElemP;
  if (dbP == nullptr) return;
  nlprintf(MSG_SQL_VERSION, dbP->lSqlVersionMajor, dbP->lSqlVersionMinor, dbP->szSqlServerBuild);
  nlprintf(MSG_CLUSTERED, yesNo(dbP->bFlags[SQL_META_FLAG_CLUSTERED]));
  const uint16_t* v = info.agentVersion;  // sub-level, release, version, level as stored
  nlprintf(MSG_AGENT_VERSION, int(int16_t(v[2])), int(int16_t(v[1])), int(int16_t(v[3])),
           v[0] != 0 ? 2 : 1, int(int16_t(v[0])));
  nlprintf(MSG_COMPATIBILITY, dbP->lDbCompatibilityLevel);
  if (dbP->lSqlVersionMajor == 7) {
    nlprintf(MSG_VERSION7_VALUES, dbP->lSqlDefaultCodePage, dbP->lSqlDefaultSortOrderId,
             dbP->lSqlDefaultUnicodeLocaleId, dbP->lSqlDefaultUnicodeComparisonStyle);
  }
  char sizes[4][NUMBER_TEXT_SIZE];
  nlprintf(MSG_SIZES, size64(dbP->u64DbDataFileSize, sizes[0]),
           size64(dbP->u64DbDataSpaceUsed, sizes[1]), size64(dbP->u64DbLogFileSize, sizes[2]),
           size64(dbP->u64DbLogSpaceUsed, sizes[3]));
  clcPrintOptions(dbP->bFlags);
}

// The groups of the backup with their files, as its file information holds them.
void printFileInfo(const MoxtarMetaInfo& entry) {
  const SqlHublorDbElement* dbP = entry.hublorDbElemP;
  if (dbP == nullptr || dbP->pGroupList == nullptr) return;
  CLinkedList<SqlMetaGroupInfo>* groupsP = dbP->pGroupList;
  CLinkedList<SqlMetaFileInfo>* filesP = dbP->pFileList;
  char a[NUMBER_TEXT_SIZE];
  char b[NUMBER_TEXT_SIZE];
  for (SqlMetaGroupInfo* groupP = groupsP->getFirst(); groupP != nullptr;
       groupP = groupsP->getNext(groupP)) {
    nlprintf(MSG_GROUP, groupP->szGroupName);
    nlprintf(MSG_GROUP_SIZES, size64(groupP->u64GroupFileSize, a),
             size64(groupP->u64GroupSpaceUsed, b));
    SqlMetaFileInfo* fileP = filesP != nullptr ? groupP->peGroupFirstFile : nullptr;
    for (; fileP != nullptr && fileP->peFileGroup == groupP; fileP = filesP->getNext(fileP)) {
      nlprintf(MSG_FILE_LINE, fileP->szFileLogicalName, fileP->szFilePhysicalName,
               size64(fileP->u64FileSize, a));
      if (fileP->bFileIsLog == 0) nlprintf(MSG_FILE_USED, size64(fileP->u64FileSpaceUsed, b));
    }
    nlprintf(CLC_MSG_NEW_LINE);
  }
  nlprintf(CLC_MSG_NEW_LINE);
}

void printBackup(const MoxtarMetaInfo& entry, const OptionsInfo& o) {
  EntryNames names(entry);
  objInfo info{};
  objInfoFromResp(entry, OBJINFO_META_SIZE, &info);
  char size[NUMBER_TEXT_SIZE];
  char date[DATE_TIME_TEXT_SIZE];
  char identity[ERI_OBJECT_NAME_SIZE];
  dateFormat(&info.id.backupTime, date);
  nlprintf(MSG_SERVER, names.server);
  nlprintf(MSG_DATABASE, names.db);
  nlprintf(MSG_TYPE, kTypeNames[names.type]);
  if (names.type == BACKUP_TYPE_FILE) nlprintf(MSG_FILE, names.other);
  if (names.type == BACKUP_TYPE_GROUP) nlprintf(MSG_GROUP, names.other);
  nlprintf(MSG_BACKUP_LINE, entry.objState == PELK_ACTIVE ? "Active" : "Inactive", date,
           size64(info.backupSize64, size), eriTimeProcessName(entry, identity), info.numStripes);
  if (o.bCompatibilityInfo != 0) {
    printCompatibility(entry, info);
  } else {
    nlprintf(CLC_MSG_NEW_LINE);
  }
  if (o.bFileInfo != 0) printFileInfo(entry);
  nlprintf(CLC_MSG_NEW_LINE);
}

}  // namespace

void printQueryBackups(DSqlQueryBackupParms* parmsP, const OptionsInfo& o) {
  nlprintf(MSG_BACKUPS_HEADING);
  MoxtarMetaList* listP = parmsP->qryBuListP;
  for (MoxtarMetaInfo* entryP = listP->getFirst(); entryP != nullptr;
       entryP = listP->getNext(entryP)) {
    printBackup(*entryP, o);
  }
}

// The active (and with ALl the inactive) backups of each type, per database; a database's
// entries follow each other.
void printQueryBackupTypes(DSqlQueryBackupParms* parmsP, const OptionsInfo& o) {
  nlprintf(MSG_BACKUPS_HEADING);
  MoxtarMetaList* listP = parmsP->qryBuListP;
  MoxtarMetaInfo* entryP = listP->getFirst();
  while (entryP != nullptr) {
    EntryNames first(*entryP);
    nlprintf(MSG_DATABASE, first.db);
    nlprintf(MSG_SERVER, first.server);
    uint32_t active[NUM_TYPES] = {};
    uint32_t inactive[NUM_TYPES] = {};
    for (; entryP != nullptr; entryP = listP->getNext(entryP)) {
      EntryNames names(*entryP);
      if (std::strcmp(names.db, first.db) != 0) break;
      if (names.type >= NUM_TYPES) continue;
      (entryP->objState == PELK_ACTIVE ? active : inactive)[names.type]++;
    }
    for (int type = 0; type < NUM_TYPES; type++) {
      if (active[type] > 0) nlprintf(MSG_ACTIVE_COUNT, kTypeNames[type], active[type]);
      if (o.bAll != 0 && inactive[type] > 0) {
        nlprintf(MSG_INACTIVE_COUNT, kTypeNames[type], inactive[type]);
      }
    }
    nlprintf(CLC_MSG_NEW_LINE);
  }
}

int clcQueryHublor(ClcRun* runP) {
  pelkSessInfo session{};
  pelkApiVersion version{};
  int rc = eriQueryMoxtarServer(&session, &version, &runP->logon, runP->msgBuffer);
  if (rc != RC_OK) return rc;
  int compressionMsg = MSG_COMPRESSION_CLIENT;
  if (session.compression == PELK_COMPRESSION_ON) compressionMsg = MSG_COMPRESSION_ON;
  if (session.compression == PELK_COMPRESSION_OFF) compressionMsg = MSG_COMPRESSION_OFF;
  char compression[NLS_MSG_MAX];
  nlsprintf(compression, sizeof compression, compressionMsg);
  nlprintf(MSG_STORAGE_SERVER, session.id, session.serverHost, unsigned(version.version),
           unsigned(version.release), unsigned(version.level), session.moxtarServerName,
           session.serverType, unsigned(session.serverVer), unsigned(session.serverRel),
           unsigned(session.serverLev), unsigned(session.serverSubLev), compression,
           session.domainName, session.policySetName, session.dfltMCName);
  return RC_OK;
}

namespace {

// The file information of each backup found, read by a query of its own over that one backup:
// its database element gets group and file lists of its own, so that every group listed under
// a backup is that backup's (one query over every backup would put all their groups into the
// shared lists, with nothing to tell whose they are).
int readFileInfo(DSqlQueryBackupParms* foundP, ClcQueryLists* listsP) {
  MoxtarMetaList* listP = foundP->qryBuListP;
  for (MoxtarMetaInfo* entryP = listP->getFirst(); entryP != nullptr;
       entryP = listP->getNext(entryP)) {
    SqlHublorDbElement* dbP = entryP->hublorDbElemP;
    if (dbP == nullptr) continue;
    dbP->pGroupList = &listsP->ownGroups.emplace_back();
    dbP->pFileList = &listsP->ownFiles.emplace_back();
    DSqlQueryBackupParms one;
    one.sqlServerNameP = foundP->sqlServerNameP;
    one.dbNameListP = foundP->dbNameListP;
    one.bFileInfo = 1;
    one.bMetaMountWait = foundP->bMetaMountWait;
    one.statusFunctionP = foundP->statusFunctionP;
    one.nBuffers = foundP->nBuffers;
    one.nBufferSize = foundP->nBufferSize;
    one.nStatusMilliSeconds = foundP->nStatusMilliSeconds;
    one.qryCommand = foundP->qryCommand;
    one.msgBufferP = foundP->msgBufferP;
    int rc = one.qryBuListP->addTail(entryP);
    if (rc == RC_OK) rc = eriHublorQuerySqlBackups(&one);
    if (rc != RC_OK) return rc;
  }
  return RC_OK;
}

}  // namespace

int clcQueryBackups(ClcRun* runP) {
  OptionsInfo& o = runP->options;
  DSqlQueryBackupParms parms;
  ClcQueryLists lists;
  int rc = clcFillQuery(runP, &parms, &lists);
  if (rc != RC_OK) return rc;
  // The file information needs the database elements, which come with the compatibility
  // information; only what was asked for is printed.
  if (o.bFileInfo != 0) parms.bFillDbElems = 1;
  parms.bFileInfo = 0;
  rc = eriHublorQuerySqlBackups(&parms);
  if (rc == RC_OK && o.bFileInfo != 0) rc = readFileInfo(&parms, &lists);
  if (rc != RC_OK) return rc;
  if (o.command == CMD_QUERY_HUBLOR_TYPES) {
    printQueryBackupTypes(&parms, o);
  } else {
    printQueryBackups(&parms, o);
  }
  return RC_OK;
}
