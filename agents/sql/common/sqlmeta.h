// The stored description of one backup (sqlMetaDataInfo): the 80-byte record that the backup
// writes into the meta-data object's attributes and that restores and lists read back. The
// in-memory record holds the fields as numbers; sqlMetaToBytes and sqlMetaFromBytes turn it into
// and out of its stored form field by field: integers little-endian, a 64-bit number as two
// little-endian 32-bit words with the high word first, reserved bytes 0, the build text
// NUL-terminated in its 6 bytes.
#pragma once

#include <cstddef>
#include <cstdint>

#include "pkint64.h"

constexpr size_t SQL_META_DATA_INFO_SIZE = 80;
constexpr uint16_t SQL_META_DATA_INFO_VERSION = 1;
constexpr size_t SQL_META_BUILD_SIZE = 6;  // the build text with its terminator

// Bits of the flag word. Bit 0 is always set; bits 13 to 15 are always clear.
enum SqlMetaFlagBit {
  SQL_META_FLAG_ALWAYS = 0,
  SQL_META_FLAG_WHOLE_GROUPS = 1,  // whole filegroups are stored
  SQL_META_FLAG_SINGLE_FILES = 2,  // single files are stored
  SQL_META_FLAG_CLUSTERED = 3,     // bSqlIsClustered of the server
  SQL_META_FLAG_SYSTEM_DATABASE = 4,
  SQL_META_FLAG_TRUNCATE_LOG_ON_CHECKPOINT = 5,
  SQL_META_FLAG_SELECT_INTO_BULK_COPY = 6,
  SQL_META_FLAG_DBO_USE_ONLY = 7,
  SQL_META_FLAG_READ_ONLY = 8,
  SQL_META_FLAG_SINGLE_USER = 9,
  SQL_META_FLAG_AUTO_CLOSE = 10,
  SQL_META_FLAG_AUTO_SHRINK = 11,
  SQL_META_FLAG_TORN_PAGE_DETECTION = 12,
  SQL_META_FLAG_COUNT = 13
};

struct sqlMetaDataInfo {
  uint16_t version;  // SQL_META_DATA_INFO_VERSION
  uint32_t lSqlDefaultCodePage;
  uint32_t lSqlDefaultSortOrderId;
  uint32_t lSqlDefaultUnicodeLocaleId;
  uint32_t lSqlDefaultUnicodeComparisonStyle;
  pkInt64 u64DbDataFileSize;
  pkInt64 u64DbDataSpaceUsed;
  pkInt64 u64DbLogFileSize;  // 0 for group, file and set backups
  pkInt64 u64DbLogSpaceUsed;
  uint32_t lDbNumDataGroups;
  uint32_t lDbNumDataFiles;
  uint32_t lDbNumLogFiles;
  uint16_t lDbCompatibilityLevel;  // low 16 bits of the database's level
  uint16_t usFlags;                // SqlMetaFlagBit
  uint32_t ulDriveMask;            // bit n: a stored file lies on drive letter n ("a" = 0)
  uint16_t lDbVersion;             // low 16 bits of the database's version
  char szSqlServerBuild[SQL_META_BUILD_SIZE];
};

// A cleared record of the current version.
sqlMetaDataInfo sqlMetaEmpty();

// Writes the stored form into `bytes` (SQL_META_DATA_INFO_SIZE bytes). A build text longer than
// 5 characters is cut to 5.
void sqlMetaToBytes(const sqlMetaDataInfo& info, uint8_t* bytesP);
// Reads the stored form; the build text is always terminated.
void sqlMetaFromBytes(const uint8_t* bytesP, sqlMetaDataInfo& info);

// The flag word from SQL_META_FLAG_COUNT booleans indexed by SqlMetaFlagBit (any non-zero value
// sets the bit). Bit 0 is set whatever the first boolean says.
uint16_t sqlMetaPackFlags(const uint32_t flags[SQL_META_FLAG_COUNT]);
// The SQL_META_FLAG_COUNT booleans (each 0 or 1) of a flag word; bits 13 to 15 are not read.
void sqlMetaUnpackFlags(uint16_t usFlags, uint32_t flags[SQL_META_FLAG_COUNT]);
