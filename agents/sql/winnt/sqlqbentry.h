// The database record of one stored backup: what the query of stored backups builds from the
// backup's stored description (fillQueryBackupEntry), and what the restore request completes
// with its selection (target name, standby file, relocation pairs, selected groups and files)
// for the RESTORE statement to read.
#pragma once

#include <cstddef>
#include <cstdint>

#include "linklist.h"
#include "sqlmeta.h"
#include "sqlmetarec.h"
#include "sqltypes.h"

// Where the SQL Server version and the stored description sit in a meta-data object's
// attributes.
constexpr size_t SQL_OBJINFO_VERSION_MAJOR_OFFSET = 0x10;
constexpr size_t SQL_OBJINFO_VERSION_MINOR_OFFSET = 0x14;
constexpr size_t SQL_OBJINFO_META_OFFSET = 0x48;
constexpr size_t SQL_OBJINFO_META_SIZE = 168;  // the attributes of a meta-data object

// MOVE N'logical' TO N'physical'.
struct SqlRelocatePair {
  char szLogicalName[SQL_NAME_SIZE];
  char szPhysicalName[SQL_PHYSICAL_NAME_SIZE];
};

struct SqlHublorDbElement {
  uint16_t usVersion;  // 1
  // Filled by the query's caller and the restore request; null or empty when not given.
  CLinkedList<SqlMetaGroupInfo>* pGroupList;
  CLinkedList<SqlMetaFileInfo>* pFileList;
  CLinkedList<SqlRelocatePair>* pRelocateList;
  char szIntoDbName[SQL_NAME_SIZE];            // restore into this database instead
  char szStandbyFile[SQL_PHYSICAL_NAME_SIZE];  // the standby undo file
  uint32_t lSqlVersionMajor;                   // of the server that made the backup
  uint32_t lSqlVersionMinor;
  uint32_t lSqlDefaultCodePage;
  uint32_t lSqlDefaultSortOrderId;
  uint32_t lSqlDefaultUnicodeLocaleId;
  uint32_t lSqlDefaultUnicodeComparisonStyle;
  pkInt64 u64DbDataFileSize;
  pkInt64 u64DbDataSpaceUsed;
  pkInt64 u64DbLogFileSize;
  pkInt64 u64DbLogSpaceUsed;
  uint32_t lDbNumDataGroups;
  uint32_t lDbNumDataFiles;
  uint32_t lDbNumLogFiles;
  uint32_t lDbCompatibilityLevel;
  uint32_t lDbVersion;
  uint32_t bDbGroupIsSelected;  // some groups are selected for the restore
  uint32_t bDbFileIsSelected;   // some files are selected for the restore
  // The flag word of the stored description, one boolean per SqlMetaFlagBit
  // (bSqlIsClustered, bDbIsSystemDatabase, ... bDbIsTornPageDetection).
  uint32_t bFlags[SQL_META_FLAG_COUNT];
  uint32_t ulDriveMask;
  char szSqlServerBuild[SQL_META_BUILD_SIZE];
  char szSqlDatabaseName[SQL_NAME_SIZE];
};

// The flag word a backup stores: bit 0 set, bits 1 and 2 from what it stores (whole groups,
// single files), bit 3 the server's clustering, bits 4 to 12 the database's nine options.
uint16_t sqlMetaFlagsOf(const SqlServerElement& server, const SqlDatabaseElement& db,
                        bool wholeGroups, bool singleFiles);

// Fills *dbP completely from a stored backup: its high-level name and the attributes of its
// meta-data object (SQL_OBJINFO_META_SIZE bytes). The caller stores dbP in the backup's entry.
// Returns 0.
int fillQueryBackupEntry(const char* hlP, const uint8_t* objInfoP, SqlHublorDbElement* dbP);

// The same for a query-backup entry with the high-level name in objName.hl and the attributes
// in objInfo; stores dbP in the entry's hublorDbElemP.
template <class Entry>
int fillQueryBackupEntry(Entry* entryP, SqlHublorDbElement* dbP) {
  entryP->hublorDbElemP = dbP;
  return fillQueryBackupEntry(entryP->objName.hl, reinterpret_cast<const uint8_t*>(entryP->objInfo),
                              dbP);
}
