// The data of a backup's meta-data object: one group record ("G", 200 bytes) per stored
// filegroup, then one file record ("F", 448 bytes) per stored file, each whole, with no header
// and no gaps. The in-memory forms hold every stored field by name; the reader's links (a
// group's first file, a file's group) are kept beside the fields, never in the stored bytes,
// whose reserved words are always written as 0.
//
// Plain records and functions without state. The readers check the tag, the version and that
// every name is terminated in its field; a record that fails is refused with 503 (a corrupt
// backup) and the output is left cleared.
#pragma once

#include <cstddef>
#include <cstdint>

#include "pkint64.h"

constexpr size_t SQL_META_GROUP_RECORD_SIZE = 200;
constexpr size_t SQL_META_FILE_RECORD_SIZE = 448;
constexpr uint8_t SQL_META_GROUP_TAG = 'G';
constexpr uint8_t SQL_META_FILE_TAG = 'F';
constexpr uint16_t SQL_META_RECORD_VERSION = 1;

constexpr size_t SQL_NAME_SIZE = 129;  // a database, group or logical file name
constexpr size_t SQL_META_GROUP_NAME_SIZE = 132;
constexpr size_t SQL_PHYSICAL_NAME_SIZE = 262;  // a physical file name or standby file

// A backup whose stored records or attributes cannot be read, or whose objects are missing or
// ambiguous.
constexpr int RC_CORRUPT_BACKUP = 503;

struct SqlMetaFileInfo;

// One stored filegroup. Its selection words are what the backup stored; a restore request
// overwrites them with its own selection.
struct SqlMetaGroupInfo {
  uint8_t tag = SQL_META_GROUP_TAG;
  uint16_t version = SQL_META_RECORD_VERSION;
  pkInt64 u64GroupFileSize = {0, 0};   // bytes of the group's stored files
  pkInt64 u64GroupSpaceUsed = {0, 0};  // bytes used in them
  uint32_t lGroupNum = 0;
  uint32_t lGroupNumFiles = 0;        // F records that belong to this group
  uint32_t bGroupIsSelected = 0;      // the whole group
  uint32_t bGroupFileIsSelected = 0;  // only some of its files
  uint32_t bGroupIsPrimary = 0;
  uint32_t bGroupIsLog = 0;  // the pseudo-group of the log files
  uint32_t ulDriveMask = 0;
  char szGroupName[SQL_META_GROUP_NAME_SIZE] = "";
  // The reader's link, not stored: the group's first file in the file list.
  SqlMetaFileInfo* peGroupFirstFile = nullptr;
};

// One stored file.
struct SqlMetaFileInfo {
  uint8_t tag = SQL_META_FILE_TAG;
  uint16_t version = SQL_META_RECORD_VERSION;
  pkInt64 u64FileSize = {0, 0};
  pkInt64 u64FileSpaceUsed = {0, 0};
  uint32_t lFileNum = 0;         // position among the object's F records from 0
  uint32_t bFileIsSelected = 0;  // selected on its own
  uint32_t bFileIsPrimary = 0;
  uint32_t bFileIsLog = 0;  // the file element's next attribute word, carried unchanged
  uint32_t ulDriveMask = 0;
  char cDriveLetter = ' ';  // as written in the physical name, or ' '
  char szFileLogicalName[SQL_NAME_SIZE] = "";
  char szFilePhysicalName[SQL_PHYSICAL_NAME_SIZE] = "";
  // The reader's link, not stored: the file's group in the group list.
  SqlMetaGroupInfo* peFileGroup = nullptr;
};

// Write the stored form (SQL_META_GROUP_RECORD_SIZE or SQL_META_FILE_RECORD_SIZE bytes); a name
// longer than its field is cut so that it stays terminated.
void sqlMetaGroupToBytes(const SqlMetaGroupInfo& group, uint8_t* bytesP);
void sqlMetaFileToBytes(const SqlMetaFileInfo& file, uint8_t* bytesP);
// Read the stored form; the links come back null. 0, or 503 for a wrong tag or version or an
// unterminated name.
int sqlMetaGroupFromBytes(const uint8_t* bytesP, SqlMetaGroupInfo* groupP);
int sqlMetaFileFromBytes(const uint8_t* bytesP, SqlMetaFileInfo* fileP);

// The drive of a physical file name: "X:" at its start (any case) gives bit n of the mask
// (a = 0 ... z = 25) and the letter as written; anything else no bit and ' '.
uint32_t sqlMetaDriveMask(const char* physicalNameP, char* letterP);

// Bytes of the meta-data object's data for the given record counts.
uint64_t sqlMetaDataSize(uint64_t groups, uint64_t files);
