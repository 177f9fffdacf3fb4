#include "objinfo.h"

#include <cstdio>
#include <cstring>

#include "agtrc.h"
#include "bytefield.h"
#include "sqltypes.h"

namespace {

enum : size_t {
  OFF_AGENT_VERSION = 0x00,
  OFF_API_VERSION = 0x08,
  OFF_SQL_MAJOR = 0x10,
  OFF_SQL_MINOR = 0x14,
  OFF_NUM_STRIPES = 0x38,
  OFF_BACKUP_SIZE = 0x3c,
};
static_assert(OBJINFO_ID_OFFSET + ZARNAK_OBJ_ID_SIZE == 0x24);
static_assert(OBJINFO_SQL_META_OFFSET + SQL_META_DATA_INFO_SIZE + 16 == OBJINFO_META_SIZE);

// The backup time is the date-time record as it stands (its year high byte first).
enum : size_t { ID_PID = 0, ID_TIME = 4 };

void putCommon(const objInfo& info, uint8_t* bytesP) {
  for (int i = 0; i < 4; i++) bfPutU16(bytesP + OFF_AGENT_VERSION + 2 * i, info.agentVersion[i]);
  for (int i = 0; i < 3; i++) bfPutU16(bytesP + OFF_API_VERSION + 2 * i, info.moxtarApiVersion[i]);
  bfPutU32(bytesP + OFF_SQL_MAJOR, info.sqlServerVersionMajor);
  bfPutU32(bytesP + OFF_SQL_MINOR, info.sqlServerVersionMinor);
  zarnakObjIdToBytes(info.id, bytesP + OBJINFO_ID_OFFSET);
}

void getCommon(const uint8_t* bytesP, objInfo* infoP) {
  for (int i = 0; i < 4; i++) infoP->agentVersion[i] = bfGetU16(bytesP + OFF_AGENT_VERSION + 2 * i);
  for (int i = 0; i < 3; i++) {
    infoP->moxtarApiVersion[i] = bfGetU16(bytesP + OFF_API_VERSION + 2 * i);
  }
  infoP->sqlServerVersionMajor = bfGetU32(bytesP + OFF_SQL_MAJOR);
  infoP->sqlServerVersionMinor = bfGetU32(bytesP + OFF_SQL_MINOR);
  zarnakObjIdFromBytes(bytesP + OBJINFO_ID_OFFSET, &infoP->id);
}

int getMeta(const uint8_t* bytesP, objInfo* infoP) {
  infoP->numStripes = bfGetU32(bytesP + OFF_NUM_STRIPES);
  infoP->backupSize64 = bfGetU64(bytesP + OFF_BACKUP_SIZE);
  sqlMetaFromBytes(bytesP + OBJINFO_SQL_META_OFFSET, infoP->sqlMeta);
  if (infoP->numStripes > OBJINFO_MAX_STRIPES) return RC_CORRUPT_BACKUP;
  if (infoP->sqlMeta.version != SQL_META_DATA_INFO_VERSION) return RC_CORRUPT_BACKUP;
  return RC_OK;
}

}  // namespace

objInfo objInfoEmpty() {
  objInfo info{};
  memcpy(info.agentVersion, OBJINFO_AGENT_VERSION, sizeof info.agentVersion);
  info.sqlMeta = sqlMetaEmpty();
  return info;
}

objInfo objInfoOfBackup(const pelkApiVersion& version, const SqlServerElement& server,
                        const zarnakObjId& id) {
  objInfo info = objInfoEmpty();
  info.moxtarApiVersion[0] = version.version;
  info.moxtarApiVersion[1] = version.release;
  info.moxtarApiVersion[2] = version.level;
  info.sqlServerVersionMajor = static_cast<uint32_t>(server.lSqlVersionMajor);
  info.sqlServerVersionMinor = static_cast<uint32_t>(server.lSqlVersionMinor);
  info.id = id;
  return info;
}

void zarnakObjIdToBytes(const zarnakObjId& id, uint8_t* bytesP) {
  memset(bytesP, 0, ZARNAK_OBJ_ID_SIZE);
  bfPutU32(bytesP + ID_PID, id.processId);
  memcpy(bytesP + ID_TIME, &id.backupTime, sizeof id.backupTime);
}

void zarnakObjIdFromBytes(const uint8_t* bytesP, zarnakObjId* idP) {
  *idP = zarnakObjId{};
  idP->processId = bfGetU32(bytesP + ID_PID);
  memcpy(&idP->backupTime, bytesP + ID_TIME, sizeof idP->backupTime);
}

int objInfoToBytes(const objInfo& info, uint8_t* bytesP, size_t length) {
  if (length != OBJINFO_META_SIZE && length != OBJINFO_DATA_SIZE) return RC_INTERNAL_ERROR;
  memset(bytesP, 0, length);
  putCommon(info, bytesP);
  if (length == OBJINFO_DATA_SIZE) return RC_OK;
  bfPutU32(bytesP + OFF_NUM_STRIPES, info.numStripes);
  bfPutU64(bytesP + OFF_BACKUP_SIZE, info.backupSize64);
  sqlMetaToBytes(info.sqlMeta, bytesP + OBJINFO_SQL_META_OFFSET);
  return RC_OK;
}

int objInfoFromBytes(const uint8_t* bytesP, size_t length, objInfo* infoP) {
  *infoP = objInfo{};
  if (length != OBJINFO_META_SIZE && length != OBJINFO_DATA_SIZE) return RC_CORRUPT_BACKUP;
  objInfo info{};
  getCommon(bytesP, &info);
  if (length == OBJINFO_META_SIZE) {
    int rc = getMeta(bytesP, &info);
    if (rc != RC_OK) return rc;
  }
  *infoP = info;
  return RC_OK;
}

int objInfoFromResp(const qryRespBackupData& resp, size_t length, objInfo* infoP) {
  if (resp.objInfolen != length) {
    *infoP = objInfo{};
    return RC_CORRUPT_BACKUP;
  }
  return objInfoFromBytes(reinterpret_cast<const uint8_t*>(resp.objInfo), length, infoP);
}

void objInfoVersionText(const objInfo& info, char* textP, size_t textSize) {
  const uint16_t* v = info.agentVersion;
  snprintf(textP, textSize, "%u.%u.%u.%u", v[2], v[1], v[3], v[0]);
}
