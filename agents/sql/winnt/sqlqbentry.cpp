#include "sqlqbentry.h"

#include <cstring>

#include "bytefield.h"
#include "objname.h"

uint16_t sqlMetaFlagsOf(const SqlServerElement& server, const SqlDatabaseElement& db,
                        bool wholeGroups, bool singleFiles) {
  const uint32_t flags[SQL_META_FLAG_COUNT] = {
      1,
      wholeGroups,
      singleFiles,
      uint32_t(server.bSqlIsClustered),
      uint32_t(db.bDbIsSystemDatabase),
      uint32_t(db.bDbIsTruncateLogOnCheckpoint),
      uint32_t(db.bDbIsSelectIntoBulkCopy),
      uint32_t(db.bDbIsDboUseOnly),
      uint32_t(db.bDbIsReadOnly),
      uint32_t(db.bDbIsSingleUser),
      uint32_t(db.bDbIsAutoClose),
      uint32_t(db.bDbIsAutoShrink),
      uint32_t(db.bDbIsTornPageDetection),
  };
  return sqlMetaPackFlags(flags);
}

int fillQueryBackupEntry(const char* hlP, const uint8_t* objInfoP, SqlHublorDbElement* dbP) {
  sqlMetaDataInfo meta;
  sqlMetaFromBytes(objInfoP + SQL_OBJINFO_META_OFFSET, meta);

  *dbP = SqlHublorDbElement{};
  dbP->usVersion = 1;
  dbP->lSqlVersionMajor = bfGetU32(objInfoP + SQL_OBJINFO_VERSION_MAJOR_OFFSET);
  dbP->lSqlVersionMinor = bfGetU32(objInfoP + SQL_OBJINFO_VERSION_MINOR_OFFSET);
  // The split writes as much as the name holds; the record keeps what fits its field.
  char dbName[OBJ_NAME_MAX_HL_LENGTH + 1], otherName[OBJ_NAME_MAX_HL_LENGTH + 1];
  int rc = extractHlNames(hlP, dbName, otherName);
  size_t length = strnlen(dbName, sizeof dbP->szSqlDatabaseName - 1);
  memcpy(dbP->szSqlDatabaseName, dbName, length);
  dbP->szSqlDatabaseName[length] = '\0';
  dbP->lSqlDefaultCodePage = meta.lSqlDefaultCodePage;
  dbP->lSqlDefaultSortOrderId = meta.lSqlDefaultSortOrderId;
  dbP->lSqlDefaultUnicodeLocaleId = meta.lSqlDefaultUnicodeLocaleId;
  dbP->lSqlDefaultUnicodeComparisonStyle = meta.lSqlDefaultUnicodeComparisonStyle;
  dbP->u64DbDataFileSize = meta.u64DbDataFileSize;
  dbP->u64DbDataSpaceUsed = meta.u64DbDataSpaceUsed;
  dbP->u64DbLogFileSize = meta.u64DbLogFileSize;
  dbP->u64DbLogSpaceUsed = meta.u64DbLogSpaceUsed;
  dbP->lDbNumDataGroups = meta.lDbNumDataGroups;
  dbP->lDbNumDataFiles = meta.lDbNumDataFiles;
  dbP->lDbNumLogFiles = meta.lDbNumLogFiles;
  dbP->lDbCompatibilityLevel = meta.lDbCompatibilityLevel;
  dbP->lDbVersion = meta.lDbVersion;
  sqlMetaUnpackFlags(meta.usFlags, dbP->bFlags);
  dbP->ulDriveMask = meta.ulDriveMask;
  memcpy(dbP->szSqlServerBuild, meta.szSqlServerBuild, sizeof dbP->szSqlServerBuild);
  return rc;
}
