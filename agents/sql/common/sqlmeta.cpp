#include "sqlmeta.h"

#include <cstring>

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

void putU16(uint8_t* p, uint16_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
}

void putU32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; i++) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

void putU64(uint8_t* p, pkInt64 v) {
  putU32(p, v.high);
  putU32(p + 4, v.low);
}

uint16_t getU16(const uint8_t* p) {
  return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

uint32_t getU32(const uint8_t* p) {
  uint32_t v = 0;
  for (int i = 3; i >= 0; i--) v = (v << 8) | p[i];
  return v;
}

pkInt64 getU64(const uint8_t* p) {
  return pkInt64Make(getU32(p), getU32(p + 4));
}

}  // namespace

sqlMetaDataInfo sqlMetaEmpty() {
  sqlMetaDataInfo info{};
  info.version = SQL_META_DATA_INFO_VERSION;
  return info;
}

void sqlMetaToBytes(const sqlMetaDataInfo& info, uint8_t* bytesP) {
  memset(bytesP, 0, SQL_META_DATA_INFO_SIZE);
  putU16(bytesP + OFF_VERSION, info.version);
  putU32(bytesP + OFF_CODE_PAGE, info.lSqlDefaultCodePage);
  putU32(bytesP + OFF_SORT_ORDER, info.lSqlDefaultSortOrderId);
  putU32(bytesP + OFF_UNICODE_LOCALE, info.lSqlDefaultUnicodeLocaleId);
  putU32(bytesP + OFF_UNICODE_STYLE, info.lSqlDefaultUnicodeComparisonStyle);
  putU64(bytesP + OFF_DATA_FILE_SIZE, info.u64DbDataFileSize);
  putU64(bytesP + OFF_DATA_SPACE_USED, info.u64DbDataSpaceUsed);
  putU64(bytesP + OFF_LOG_FILE_SIZE, info.u64DbLogFileSize);
  putU64(bytesP + OFF_LOG_SPACE_USED, info.u64DbLogSpaceUsed);
  putU32(bytesP + OFF_NUM_DATA_GROUPS, info.lDbNumDataGroups);
  putU32(bytesP + OFF_NUM_DATA_FILES, info.lDbNumDataFiles);
  putU32(bytesP + OFF_NUM_LOG_FILES, info.lDbNumLogFiles);
  putU16(bytesP + OFF_COMPATIBILITY, info.lDbCompatibilityLevel);
  putU16(bytesP + OFF_FLAGS, info.usFlags);
  putU32(bytesP + OFF_DRIVE_MASK, info.ulDriveMask);
  putU16(bytesP + OFF_DB_VERSION, info.lDbVersion);
  // The last byte stays 0: the text is stored terminated.
  memcpy(bytesP + OFF_BUILD, info.szSqlServerBuild,
         strnlen(info.szSqlServerBuild, SQL_META_BUILD_SIZE - 1));
}

void sqlMetaFromBytes(const uint8_t* bytesP, sqlMetaDataInfo& info) {
  info = sqlMetaDataInfo{};
  info.version = getU16(bytesP + OFF_VERSION);
  info.lSqlDefaultCodePage = getU32(bytesP + OFF_CODE_PAGE);
  info.lSqlDefaultSortOrderId = getU32(bytesP + OFF_SORT_ORDER);
  info.lSqlDefaultUnicodeLocaleId = getU32(bytesP + OFF_UNICODE_LOCALE);
  info.lSqlDefaultUnicodeComparisonStyle = getU32(bytesP + OFF_UNICODE_STYLE);
  info.u64DbDataFileSize = getU64(bytesP + OFF_DATA_FILE_SIZE);
  info.u64DbDataSpaceUsed = getU64(bytesP + OFF_DATA_SPACE_USED);
  info.u64DbLogFileSize = getU64(bytesP + OFF_LOG_FILE_SIZE);
  info.u64DbLogSpaceUsed = getU64(bytesP + OFF_LOG_SPACE_USED);
  info.lDbNumDataGroups = getU32(bytesP + OFF_NUM_DATA_GROUPS);
  info.lDbNumDataFiles = getU32(bytesP + OFF_NUM_DATA_FILES);
  info.lDbNumLogFiles = getU32(bytesP + OFF_NUM_LOG_FILES);
  info.lDbCompatibilityLevel = getU16(bytesP + OFF_COMPATIBILITY);
  info.usFlags = getU16(bytesP + OFF_FLAGS);
  info.ulDriveMask = getU32(bytesP + OFF_DRIVE_MASK);
  info.lDbVersion = getU16(bytesP + OFF_DB_VERSION);
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
