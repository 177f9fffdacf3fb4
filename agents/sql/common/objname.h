// The names of the agent's objects on the storage server. Every backup is one meta-data object
// plus one data object per stripe; this module builds and reads back their filespace names
// (<server>\meta\0000 for the meta-data objects, <server>\data\<stripe, 4 hex digits> for the
// data of each stripe), their high-level names (\database, then group, logical file or backup
// time and process id) and their low-level names (\backup type). The names are stored on the
// server: every character of them is part of the stored format.
//
// Plain functions without state; each returns an agent return code unless said otherwise. The
// caller owns every output buffer.
#pragma once

#include <cstddef>
#include <cstdint>

#include "dateutil.h"

// Backup types, the index of the name tables.
enum {
  BACKUP_TYPE_FULL = 0,
  BACKUP_TYPE_DIFFFULL = 1,
  BACKUP_TYPE_LOG = 2,
  BACKUP_TYPE_GROUP = 3,
  BACKUP_TYPE_FILE = 4,
  BACKUP_TYPE_SET = 5,
  BACKUP_TYPE_INVALID = 6,    // low-level and display tables
  BACKUP_TYPE_QUERY_ANY = 6,  // query table: any type
};

constexpr int NUM_BACKUP_TYPE_LL_NAMES = 7;
constexpr int NUM_BACKUP_TYPE_QUERY_LL_NAMES = 8;
constexpr int NUM_BACKUP_TYPE_DISPLAY_NAMES = 7;
extern const char* const backupTypeLlNames[NUM_BACKUP_TYPE_LL_NAMES];
extern const char* const backupTypeQueryLlNames[NUM_BACKUP_TYPE_QUERY_LL_NAMES];
extern const char* const backupTypeDisplayNames[NUM_BACKUP_TYPE_DISPLAY_NAMES];

constexpr char FS_NAME_DELIMITER[] = "\\";
constexpr char FS_NAME_INDEX[] = "XXXX";            // its length is the index's hex digits
constexpr char HL_BACKUPTIME[] = "YYYYMMDDHHMMSS";  // its length is the time part's width
constexpr char HL_PID[] = "XXXXXXXX";               // its length is the process id's hex digits
constexpr size_t OBJ_NAME_MAX_FS_LENGTH = 1024;
constexpr size_t OBJ_NAME_MAX_HL_LENGTH = 1024;
constexpr size_t OBJ_NAME_MAX_SERVER_LENGTH = 32;  // longest server name read back
constexpr uint32_t OBJ_NAME_MAX_INDEX = 64;        // 0 meta, 1-64 stripes
constexpr size_t FS_ATTR_LENGTH = 503;

// Return codes of the naming.
constexpr int RC_FS_NAME_NOT_AGENTS = 1305;
constexpr int RC_FS_NAME_TOO_LONG = 1315;
constexpr int RC_HL_TOO_LONG = 1316;
constexpr int RC_INVALID_BACKUP_TYPE = 502;
constexpr int RC_UNKNOWN_LL_NAME = 5701;

// The identity of one backup: the process that made it and its time.
struct zarnakObjId {
  uint32_t processId;
  agentDateTime backupTime;
};

// fsNameP holds 1025 bytes. 0, or 1315 with an empty name when it would pass 1024 characters.
int buildFsName(char* fsNameP, const char* sqlServerNameP, uint32_t index);
// "\" dbname ["\" otherName]: the short form, for query patterns. 0, or 1316 (hl unwritten).
int buildHl(char* hlP, const char* dbnameP, const char* otherNameP);
// The high-level name of a backup object (1025 bytes), with dirDelimiter between its parts;
// for log and set backups the backup time and process id of the identity, or with none the
// query pattern of 14 and 8 '?'. 0, 1316, 419 (group or file name missing) or 502.
int buildHl(char* hlP, const char* sqlDatabaseNameP, const char* groupNameP,
            const char* logicalFileNameP, char dirDelimiter, uint32_t backupType,
            const zarnakObjId* zarnakObjIdP);
// "\" and the low-level (or query) name of the type; callers pass 0-5 (query: 0-6). Always 0.
int buildLl(char* llP, uint32_t backupType);
int buildQueryLl(char* llP, uint32_t backupType);
// The type whose name begins the low-level name behind its delimiter (case matters). 0, or 5701
// with the output untouched.
int extractBackupType(const char* llP, uint32_t* backupTypeP);
// Splits a high-level name behind its first character at the next "\"; both outputs hold at
// least as much as hl. Always 0.
int extractHlNames(const char* hlP, char* dbnameP, char* otherNameP);
// The SQL Server name (33 bytes) of one of the agent's filespace names. 0, or 1305 with the
// output untouched.
int extractServerName(const char* fsNameP, char* serverNameP);
// The filespace type as the server reports and queries match it, and as it is registered.
const char* getFsType();
const char* getFsTypeForRegistration();
// 0 when both identities are equal, else 1.
int compareZarnakObjIds(zarnakObjId a, zarnakObjId b);
// The filespace attribute record given at registration (503 bytes): 'Z', then zeros. Always 0.
int buildFsAttr(char* fsAttrP);

// The picked mark of a query-backup list entry: the backups a user picked for a restore or an
// inactivation. Entry is the list's element type, whose 32-bit bIsPicked sits in the part of its
// object information that the stored record leaves 0, so that only the mark changes.
template <class Entry>
uint32_t getIsPicked(const Entry* entryP) {
  return entryP->bIsPicked;
}
template <class Entry>
void setIsPicked(Entry* entryP, uint32_t value) {
  entryP->bIsPicked = value;
}
