#include "sqlmetarec.h"

#include <cstring>

#include "agtrc.h"
#include "bytefield.h"

namespace {

// Offsets of the group record.
enum : size_t {
  G_TAG = 0x00,
  G_VERSION = 0x02,
  G_FILE_SIZE = 0x0c,
  G_SPACE_USED = 0x14,
  G_NUMBER = 0x1c,
  G_NUM_FILES = 0x20,
  G_SELECTED = 0x2c,
  G_FILE_SELECTED = 0x30,
  G_PRIMARY = 0x34,
  G_LOG = 0x38,
  G_DRIVE_MASK = 0x3c,
  G_NAME = 0x40,
};
static_assert(G_NAME + SQL_META_GROUP_NAME_SIZE + 4 == SQL_META_GROUP_RECORD_SIZE);

// Offsets of the file record.
enum : size_t {
  F_TAG = 0x000,
  F_VERSION = 0x002,
  F_FILE_SIZE = 0x008,
  F_SPACE_USED = 0x010,
  F_NUMBER = 0x018,
  F_SELECTED = 0x020,
  F_PRIMARY = 0x024,
  F_ATTRIBUTE = 0x028,
  F_DRIVE_MASK = 0x02c,
  F_DRIVE_LETTER = 0x030,
  F_LOGICAL_NAME = 0x031,
  F_PHYSICAL_NAME = 0x0b2,
};
static_assert(F_LOGICAL_NAME + SQL_NAME_SIZE == F_PHYSICAL_NAME);
static_assert(F_PHYSICAL_NAME + SQL_PHYSICAL_NAME_SIZE + 8 == SQL_META_FILE_RECORD_SIZE);

// Copies a text into its stored field, cut so that at least one terminator follows.
void putText(uint8_t* p, const char* textP, size_t fieldSize) {
  memcpy(p, textP, strnlen(textP, fieldSize - 1));
}

// Copies a stored text; false when the field holds no terminator.
bool getText(const uint8_t* p, char* textP, size_t fieldSize) {
  if (memchr(p, '\0', fieldSize) == nullptr) return false;
  memcpy(textP, p, fieldSize);
  return true;
}

bool headerIs(const uint8_t* bytesP, uint8_t tag) {
  return bytesP[0] == tag && bfGetU16(bytesP + 2) == SQL_META_RECORD_VERSION;
}

}  // namespace

void sqlMetaGroupToBytes(const SqlMetaGroupInfo& group, uint8_t* bytesP) {
  memset(bytesP, 0, SQL_META_GROUP_RECORD_SIZE);
  bytesP[G_TAG] = group.tag;
  bfPutU16(bytesP + G_VERSION, group.version);
  bfPutU64(bytesP + G_FILE_SIZE, group.u64GroupFileSize);
  bfPutU64(bytesP + G_SPACE_USED, group.u64GroupSpaceUsed);
  bfPutU32(bytesP + G_NUMBER, group.lGroupNum);
  bfPutU32(bytesP + G_NUM_FILES, group.lGroupNumFiles);
  bfPutU32(bytesP + G_SELECTED, group.bGroupIsSelected);
  bfPutU32(bytesP + G_FILE_SELECTED, group.bGroupFileIsSelected);
  bfPutU32(bytesP + G_PRIMARY, group.bGroupIsPrimary);
  bfPutU32(bytesP + G_LOG, group.bGroupIsLog);
  bfPutU32(bytesP + G_DRIVE_MASK, group.ulDriveMask);
  putText(bytesP + G_NAME, group.szGroupName, SQL_META_GROUP_NAME_SIZE);
}

int sqlMetaGroupFromBytes(const uint8_t* bytesP, SqlMetaGroupInfo* groupP) {
  *groupP = SqlMetaGroupInfo{};
  if (!headerIs(bytesP, SQL_META_GROUP_TAG)) return RC_CORRUPT_BACKUP;
  SqlMetaGroupInfo group;
  group.u64GroupFileSize = bfGetU64(bytesP + G_FILE_SIZE);
  group.u64GroupSpaceUsed = bfGetU64(bytesP + G_SPACE_USED);
  group.lGroupNum = bfGetU32(bytesP + G_NUMBER);
  group.lGroupNumFiles = bfGetU32(bytesP + G_NUM_FILES);
  group.bGroupIsSelected = bfGetU32(bytesP + G_SELECTED);
  group.bGroupFileIsSelected = bfGetU32(bytesP + G_FILE_SELECTED);
  group.bGroupIsPrimary = bfGetU32(bytesP + G_PRIMARY);
  group.bGroupIsLog = bfGetU32(bytesP + G_LOG);
  group.ulDriveMask = bfGetU32(bytesP + G_DRIVE_MASK);
  if (!getText(bytesP + G_NAME, group.szGroupName, SQL_META_GROUP_NAME_SIZE)) {
    return RC_CORRUPT_BACKUP;
  }
  *groupP = group;
  return RC_OK;
}

void sqlMetaFileToBytes(const SqlMetaFileInfo& file, uint8_t* bytesP) {
  memset(bytesP, 0, SQL_META_FILE_RECORD_SIZE);
  bytesP[F_TAG] = file.tag;
  bfPutU16(bytesP + F_VERSION, file.version);
  bfPutU64(bytesP + F_FILE_SIZE, file.u64FileSize);
  bfPutU64(bytesP + F_SPACE_USED, file.u64FileSpaceUsed);
  bfPutU32(bytesP + F_NUMBER, file.lFileNum);
  bfPutU32(bytesP + F_SELECTED, file.bFileIsSelected);
  bfPutU32(bytesP + F_PRIMARY, file.bFileIsPrimary);
  bfPutU32(bytesP + F_ATTRIBUTE, file.bFileIsLog);
  bfPutU32(bytesP + F_DRIVE_MASK, file.ulDriveMask);
  bytesP[F_DRIVE_LETTER] = static_cast<uint8_t>(file.cDriveLetter);
  putText(bytesP + F_LOGICAL_NAME, file.szFileLogicalName, SQL_NAME_SIZE);
  putText(bytesP + F_PHYSICAL_NAME, file.szFilePhysicalName, SQL_PHYSICAL_NAME_SIZE);
}

int sqlMetaFileFromBytes(const uint8_t* bytesP, SqlMetaFileInfo* fileP) {
  *fileP = SqlMetaFileInfo{};
  if (!headerIs(bytesP, SQL_META_FILE_TAG)) return RC_CORRUPT_BACKUP;
  SqlMetaFileInfo file;
  file.u64FileSize = bfGetU64(bytesP + F_FILE_SIZE);
  file.u64FileSpaceUsed = bfGetU64(bytesP + F_SPACE_USED);
  file.lFileNum = bfGetU32(bytesP + F_NUMBER);
  file.bFileIsSelected = bfGetU32(bytesP + F_SELECTED);
  file.bFileIsPrimary = bfGetU32(bytesP + F_PRIMARY);
  file.bFileIsLog = bfGetU32(bytesP + F_ATTRIBUTE);
  file.ulDriveMask = bfGetU32(bytesP + F_DRIVE_MASK);
  file.cDriveLetter = static_cast<char>(bytesP[F_DRIVE_LETTER]);
  if (!getText(bytesP + F_LOGICAL_NAME, file.szFileLogicalName, SQL_NAME_SIZE) ||
      !getText(bytesP + F_PHYSICAL_NAME, file.szFilePhysicalName, SQL_PHYSICAL_NAME_SIZE)) {
    return RC_CORRUPT_BACKUP;
  }
  *fileP = file;
  return RC_OK;
}

uint32_t sqlMetaDriveMask(const char* physicalNameP, char* letterP) {
  *letterP = ' ';
  char c = physicalNameP[0];
  if (c == '\0' || physicalNameP[1] != ':') return 0;
  uint32_t index = 0;
  if (c >= 'a' && c <= 'z') {
    index = static_cast<uint32_t>(c - 'a');
  } else if (c >= 'A' && c <= 'Z') {
    index = static_cast<uint32_t>(c - 'A');
  } else {
    return 0;
  }
  *letterP = c;
  return 1u << index;
}

uint64_t sqlMetaDataSize(uint64_t groups, uint64_t files) {
  return SQL_META_GROUP_RECORD_SIZE * groups + SQL_META_FILE_RECORD_SIZE * files;
}
