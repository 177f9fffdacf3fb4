// The agent's part of the attributes of every stored object (objInfo) and the identity of one
// backup (zarnakObjId) inside it. A meta-data object carries 168 bytes: versions, the identity,
// the number of stripes, the backup's size and the 80-byte stored description of the database;
// a data object carries the first 36 of those bytes and 36 reserved ones, 72 in all.
//
// Stored form: integers little-endian (the identity's time is the 7-byte date-time record as
// it stands, its year high byte first), a 64-bit number as two 32-bit words with the high word
// first, reserved bytes written as 0 and ignored by readers. Readers keep no in-memory state in
// the stored bytes: the query-backup entry (MoxtarMetaInfo) holds its marks and its link to the
// database element beside the server's record.
#pragma once

#include <cstddef>
#include <cstdint>

#include "hublorapi.h"
#include "objname.h"
#include "pkint64.h"
#include "sqlmeta.h"
#include "sqlmetarec.h"

constexpr size_t ZARNAK_OBJ_ID_SIZE = 12;
constexpr size_t OBJINFO_META_SIZE = 168;
constexpr size_t OBJINFO_DATA_SIZE = 72;
constexpr size_t OBJINFO_ID_OFFSET = 0x18;
constexpr size_t OBJINFO_SQL_META_OFFSET = 0x48;
constexpr uint32_t OBJINFO_MAX_STRIPES = 64;  // OBJ_NAME_MAX_INDEX data filespaces
constexpr size_t OBJINFO_VERSION_TEXT_SIZE = 24;

// The version of the agent that writes, as stored: shown as 2.2.0.1.
constexpr uint16_t OBJINFO_AGENT_VERSION[4] = {1, 2, 2, 0};

struct objInfo {
  uint16_t agentVersion[4];
  uint16_t moxtarApiVersion[3];  // version, release, level of the storage client library
  uint32_t sqlServerVersionMajor;
  uint32_t sqlServerVersionMinor;
  zarnakObjId id;
  // Meta-data object only:
  uint32_t numStripes;
  pkInt64 backupSize64;
  sqlMetaDataInfo sqlMeta;
};

// A record with the agent's version, an empty description of the current version and zeros.
objInfo objInfoEmpty();

struct SqlServerElement;
// The record every object of a backup starts from: objInfoEmpty with the storage client
// library's version, the SQL Server's version and the backup's identity.
objInfo objInfoOfBackup(const pelkApiVersion& version, const SqlServerElement& server,
                        const zarnakObjId& id);

void zarnakObjIdToBytes(const zarnakObjId& id, uint8_t* bytesP);
void zarnakObjIdFromBytes(const uint8_t* bytesP, zarnakObjId* idP);

// Writes OBJINFO_META_SIZE or OBJINFO_DATA_SIZE bytes; 0, or 419 for any other length.
int objInfoToBytes(const objInfo& info, uint8_t* bytesP, size_t length);
// Reads a meta-data object's (length must be OBJINFO_META_SIZE, at most OBJINFO_MAX_STRIPES
// stripes, a description of the current version) or a data object's attributes (length must be
// OBJINFO_DATA_SIZE; the meta-only fields come back 0). 0, or 503 with *infoP cleared.
int objInfoFromBytes(const uint8_t* bytesP, size_t length, objInfo* infoP);
// The same from a query answer's attributes.
int objInfoFromResp(const qryRespBackupData& resp, size_t length, objInfo* infoP);

// The agent version as shown: the values at offsets 4, 2, 6 and 0 joined by dots.
void objInfoVersionText(const objInfo& info, char* textP, size_t textSize);

// One data object as the server's backup query answers it.
typedef qryRespBackupData MoxtarDbInfo;

struct SqlHublorDbElement;

// One stored backup: the server's answer for its meta-data object, with the state that the
// agent keeps beside it while it lists, restores or inactivates the backup.
struct MoxtarMetaInfo : qryRespBackupData {
  uint32_t bIsPicked = 0;  // chosen for the operation in hand
  int nActionRc = 0;       // the agent code of the last operation on this backup
  SqlHublorDbElement* hublorDbElemP = nullptr;  // the database element built from it, or null
};
