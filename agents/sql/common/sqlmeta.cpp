#include "sqlmeta.h"

#include <cstring>

#include "bytefield.h"

namespace {

// Field offsets of the stored form.
enum : size_t {
  OFF_VERSION = 0x00,
  OFF_CODE_PAGE = 0x04,
  OFF_SORT_ORDER = 0x08,
  OFF_UNICODE_LOCALE = 0x0c,
  OFF_UNICODE_STYLE = 0x10,
  OFF_DATA_FILE_SIZE = 0x14,
  OFF_DATA_SPACE_USED = 0x1c,
  OFF_LOG_FILE_SIZE = 0x24,
  OFF_LOG_SPACE_USED = 0x2c,
  OFF_NUM_DATA_GROUPS = 0x34,
  OFF_NUM_DATA_FILES = 0x38,
  OFF_NUM_LOG_FILES = 0x3c,
  OFF_COMPATIBILITY = 0x40,
  OFF_FLAGS = 0x42,
  OFF_DRIVE_MASK = 0x44,
  OFF_DB_VERSION = 0x48,
  OFF_BUILD = 0x4a
};
static_assert(OFF_BUILD + SQL_META_BUILD_SIZE == SQL_META_DATA_INFO_SIZE);

}  // namespace

sqlMetaDataInfo sqlMetaEmpty() {
  sqlMetaDataInfo info{};
  info.version = SQL_META_DATA_INFO_VERSION;
  return info;
}

void sqlMetaToBytes(const sqlMetaDataInfo& info, uint8_t* bytesP) {
  memset(bytesP, 0, SQL_META_DATA_INFO_SIZE);
  bfPutU16(bytesP + OFF_VERSION, info.version);
  bfPutU32(bytesP + OFF_CODE_PAGE, info.lSqlDefaultCodePage);
  bfPutU32(bytesP + OFF_SORT_ORDER, info.lSqlDefaultSortOrderId);
  bfPutU32(bytesP + OFF_UNICODE_LOCALE, info.lSqlDefaultUnicodeLocaleId);
  bfPutU32(bytesP + OFF_UNICODE_STYLE, info.lSqlDefaultUnicodeComparisonStyle);
  bfPutU64(bytesP + OFF_DATA_FILE_SIZE, info.u64DbDataFileSize);
  bfPutU64(bytesP + OFF_DATA_SPACE_USED, info.u64DbDataSpaceUsed);
  bfPutU64(bytesP + OFF_LOG_FILE_SIZE, info.u64DbLogFileSize);
  bfPutU64(bytesP + OFF_LOG_SPACE_USED, info.u64DbLogSpaceUsed);
  bfPutU32(bytesP + OFF_NUM_DATA_GROUPS, info.lDbNumDataGroups);
  bfPutU32(bytesP + OFF_NUM_DATA_FILES, info.lDbNumDataFiles);
  bfPutU32(bytesP + OFF_NUM_LOG_FILES, info.lDbNumLogFiles);
  bfPutU16(bytesP + OFF_COMPATIBILITY, info.lDbCompatibilityLevel);
  bfPutU16(bytesP + OFF_FLAGS, info.usFlags);
  bfPutU32(bytesP + OFF_DRIVE_MASK, info.ulDriveMask);
  bfPutU16(bytesP + OFF_DB_VERSION, info.lDbVersion);
  // The last byte stays 0: the text is stored terminated.
  memcpy(bytesP + OFF_BUILD, info.szSqlServerBuild,
         strnlen(info.szSqlServerBuild, SQL_META_BUILD_SIZE - 1));
}

void sqlMetaFromBytes(const uint8_t* bytesP, sqlMetaDataInfo& info) {
  info = sqlMetaDataInfo{};
  info.version = bfGetU16(bytesP + OFF_VERSION);
  info.lSqlDefaultCodePage = bfGetU32(bytesP + OFF_CODE_PAGE);
  info.lSqlDefaultSortOrderId = bfGetU32(bytesP + OFF_SORT_ORDER);
  info.lSqlDefaultUnicodeLocaleId = bfGetU32(bytesP + OFF_UNICODE_LOCALE);
  info.lSqlDefaultUnicodeComparisonStyle = bfGetU32(bytesP + OFF_UNICODE_STYLE);
  info.u64DbDataFileSize = bfGetU64(bytesP + OFF_DATA_FILE_SIZE);
  info.u64DbDataSpaceUsed = bfGetU64(bytesP + OFF_DATA_SPACE_USED);
  info.u64DbLogFileSize = bfGetU64(bytesP + OFF_LOG_FILE_SIZE);
  info.u64DbLogSpaceUsed = bfGetU64(bytesP + OFF_LOG_SPACE_USED);
  info.lDbNumDataGroups = bfGetU32(bytesP + OFF_NUM_DATA_GROUPS);
  info.lDbNumDataFiles = bfGetU32(bytesP + OFF_NUM_DATA_FILES);
  info.lDbNumLogFiles = bfGetU32(bytesP + OFF_NUM_LOG_FILES);
  info.lDbCompatibilityLevel = bfGetU16(bytesP + OFF_COMPATIBILITY);
  info.usFlags = bfGetU16(bytesP + OFF_FLAGS);
  info.ulDriveMask = bfGetU32(bytesP + OFF_DRIVE_MASK);
  info.lDbVersion = bfGetU16(bytesP + OFF_DB_VERSION);
  memcpy(info.szSqlServerBuild, bytesP + OFF_BUILD, SQL_META_BUILD_SIZE - 1);
  info.szSqlServerBuild[SQL_META_BUILD_SIZE - 1] = '\0';
}

uint16_t sqlMetaPackFlags(const uint32_t flags[SQL_META_FLAG_COUNT]) {
  uint16_t word = 1u << SQL_META_FLAG_ALWAYS;
  for (int bit = 0; bit < SQL_META_FLAG_COUNT; bit++) {
    if (flags[bit] != 0) word = static_cast<uint16_t>(word | (1u << bit));
  }
  return word;
}

void sqlMetaUnpackFlags(uint16_t usFlags, uint32_t flags[SQL_META_FLAG_COUNT]) {
  for (int bit = 0; bit < SQL_META_FLAG_COUNT; bit++) flags[bit] = (usFlags >> bit) & 1u;
}
