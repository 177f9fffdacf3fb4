#include "metaxfer.h"

#include <cstring>

#include "agttrc.h"
#include "moxtarmover.h"
#include "sqlmetadesc.h"

namespace {

int missing(const char* whatP) {
  TRACE_LINE(TRC_ENGINE, "A required %s parameter was not passed.\n", whatP);
  return RC_INTERNAL_ERROR;
}

}  // namespace

// ---- CBackupMetaData ----

CBackupMetaData::CBackupMetaData(const SqlServerElement* serverP, uint32_t numBuffers,
                                 uint32_t bufferSizeKb)
    : CPcm(numBuffers, bufferSizeKb), m_SqlServerElementP(serverP), m_PendingRc(m_Ring.ringRc()) {
  setEnds("ZARNAK", m_ProducerText, "HUBLOR", m_ConsumerText);
}

int CBackupMetaData::run(uint32_t statusMilliSeconds, StatusFunction statusFunctionP,
                         const sqlMetaDataInfo* sqlMetaDataInfoP, pkInt64 metaDataSize64,
                         pkInt64 backupSize64, uint32_t backupType, uint32_t numStripes,
                         uint32_t* cancelledP, uint32_t mountWait, const SqlDbInfo* sqlDbInfoP,
                         const zarnakObjId* zarnakObjIdP, pelkUint32_t pelkHandle,
                         pelkObjName* objNameP) {
  TRACE_ENTRY(TRC_ENGINE, "CBackupMetaData::run()");
  m_RunTimer.start();
  int rc = prepareRun(sqlMetaDataInfoP, zarnakObjIdP, objNameP, sqlDbInfoP);
  if (rc == RC_OK) {
    m_SqlMetaDataInfoP = sqlMetaDataInfoP;
    m_MetaDataSize64 = metaDataSize64;
    m_BackupSize64 = backupSize64;
    m_BackupType = backupType;
    m_NumStripes = numStripes;
    m_MountWait = mountWait;
    m_SqlDbInfoP = sqlDbInfoP;
    m_ZarnakObjIdP = zarnakObjIdP;
    m_PelkHandle = pelkHandle;
    m_ObjNameP = objNameP;
    m_ElapsedTimer.start();
    rc = CPcm::run(statusMilliSeconds, statusFunctionP, cancelledP);
  }
  m_RunTimer.stop();
  TRACE_RETURN(rc);
}

int CBackupMetaData::prepareRun(const sqlMetaDataInfo* sqlMetaDataInfoP,
                                const zarnakObjId* zarnakObjIdP, const pelkObjName* objNameP,
                                const SqlDbInfo* sqlDbInfoP) {
  if (m_PendingRc != RC_OK) return m_PendingRc;
  int rc = initializeRun();
  if (rc != RC_OK) return rc;
  if (sqlMetaDataInfoP == nullptr) return missing("sqlMetaDataInfo");
  if (zarnakObjIdP == nullptr) return missing("zarnakObjId");
  if (objNameP == nullptr || sqlDbInfoP == nullptr) return missing("objName");
  if (m_SqlServerElementP == nullptr) return missing("SqlServerElement");
  return RC_OK;
}

int CBackupMetaData::producer() {
  TRACE_ENTRY(TRC_ENGINE, "CBackupMetaData::producer()");
  if (m_PendingRc != RC_OK) TRACE_RETURN(m_PendingRc);
  TRACE_RETURN(
      produceToEnd([this] { return cancelRequested(); },
                   [this] { return produceFromSqlDbInfo(this, &m_BackupType, m_SqlDbInfoP); }));
}

int CBackupMetaData::storageFailure(int16_t code) {
  size_t length = 0;
  gPelkApiObjP->AgtPelkRCMsg(&m_ConsumerApiStatus, m_PelkHandle, code, m_ConsumerText,
                             sizeof m_ConsumerText, &length);
  if (code == PELK_RC_EXCLUDED) return RC_OBJECT_EXCLUDED;
  return code == PELK_RC_WILL_ABORT ? RC_SERVER_WILL_ABORT : RC_API_CALL_FAILED;
}

int metaBindClass(DPelkApiStatus* statusP, pelkUint32_t handle, pelkObjName* objNameP,
                  uint8_t sendType, mcBindKey* bindKeyP, int16_t* codeP) {
  memset(bindKeyP, 0, sizeof *bindKeyP);
  bindKeyP->stVersion = PELK_MCBINDKEY_VERSION;
  *codeP = DPelkApi::dpelkBindMC(gPelkApiObjP, statusP, handle, objNameP, sendType, bindKeyP);
  if (*codeP != PELK_RC_OK) return RC_API_CALL_FAILED;
  if (bindKeyP->backup_cg_exists == 1) return RC_OK;
  TRACE_LINE(TRC_ENGINE,
             "A copy group definition, for the data object, was not obtained from the hublor "
             "server.\n");
  return RC_NO_BACKUP_COPY_GROUP;
}

int CBackupMetaData::bind(uint8_t sendType, mcBindKey* bindKeyP) {
  int16_t code = PELK_RC_OK;
  int rc = metaBindClass(&m_ConsumerApiStatus, m_PelkHandle, m_ObjNameP, sendType, bindKeyP, &code);
  return code != PELK_RC_OK ? storageFailure(code) : rc;
}

void CBackupMetaData::buildObjInfo(const pelkApiVersion& version, uint8_t* bytesP) const {
  objInfo info = objInfoOfBackup(version, *m_SqlServerElementP, *m_ZarnakObjIdP);
  info.numStripes = m_NumStripes;
  info.backupSize64 = m_BackupSize64;
  info.sqlMeta = *m_SqlMetaDataInfoP;
  objInfoToBytes(info, bytesP, OBJINFO_META_SIZE);
}

int CBackupMetaData::send(uint8_t sendType, mcBindKey* bindKeyP, bool* begunP) {
  pelkApiVersion version = {0, 0, 0};
  DPelkApi::dpelkQueryApiVersion(gPelkApiObjP, &m_ConsumerApiStatus, &version);
  uint8_t info[OBJINFO_META_SIZE];
  buildObjInfo(version, info);
  ObjAttr attr;
  memset(&attr, 0, sizeof attr);
  attr.stVersion = PELK_OBJATTR_VERSION;
  attr.sizeEstimate = {m_MetaDataSize64.high, m_MetaDataSize64.low};
  attr.objInfoLength = OBJINFO_META_SIZE;
  attr.objInfo = reinterpret_cast<char*>(info);
  attr.mcNameP = bindKeyP->mcName;
  m_ObjectSize = pkInt64ToNative(m_MetaDataSize64);
  int16_t code = DPelkApi::dpelkSendObj(gPelkApiObjP, &m_ConsumerApiStatus, m_PelkHandle, sendType,
                                        nullptr, m_ObjNameP, &attr, nullptr);
  if (code != PELK_RC_OK) return storageFailure(code);
  *begunP = true;
  return consumeToMoxtar(this, m_PelkHandle);
}

int CBackupMetaData::consumer() {
  TRACE_ENTRY(TRC_ENGINE, "CBackupMetaData::consumer()");
  uint8_t sendType = m_MountWait == 1 ? PELK_SEND_BACKUP_MOUNTWAIT : PELK_SEND_BACKUP;
  mcBindKey bindKey;
  bool begun = false;
  int rc = m_PendingRc;
  if (rc == RC_OK) rc = bind(sendType, &bindKey);
  if (rc == RC_OK) rc = send(sendType, &bindKey, &begun);
  if (begun) {
    int16_t code = DPelkApi::dpelkEndSendObj(gPelkApiObjP, &m_ConsumerApiStatus, m_PelkHandle);
    if (code != PELK_RC_OK && rc == RC_OK) rc = storageFailure(code);
  }
  if (rc == RC_OK && cancelRequested()) rc = RC_RING_CANCELLED;
  if (rc != RC_OK) cancel();
  TRACE_RETURN(rc);
}

// ---- CRestoreMeta ----

CRestoreMeta::CRestoreMeta(uint32_t numBuffers, uint32_t bufferSizeKb)
    : CPcm(numBuffers, bufferSizeKb), m_PendingRc(m_Ring.ringRc()) {
  setEnds("HUBLOR", m_ProducerText, "ZARNAK", m_ConsumerText);
}

int CRestoreMeta::run(uint32_t statusMilliSeconds, StatusFunction statusFunctionP,
                      MoxtarMetaInfo* moxtarMetaInfoP, uint32_t* cancelledP,
                      pelkUint32_t pelkHandle) {
  TRACE_ENTRY(TRC_ENGINE, "CRestoreMeta::run()");
  m_RunTimer.start();
  int rc = m_PendingRc != RC_OK ? m_PendingRc : initializeRun();
  if (rc == RC_OK && moxtarMetaInfoP == nullptr) rc = missing("MoxtarMetaInfo");
  if (rc == RC_OK) {
    m_MoxtarMetaInfoP = moxtarMetaInfoP;
    m_PelkHandle = pelkHandle;
    m_ElapsedTimer.start();
    rc = CPcm::run(statusMilliSeconds, statusFunctionP, cancelledP);
  }
  m_RunTimer.stop();
  TRACE_RETURN(rc);
}

int CRestoreMeta::producer() {
  TRACE_ENTRY(TRC_ENGINE, "CRestoreMeta::producer()");
  if (m_PendingRc != RC_OK) TRACE_RETURN(m_PendingRc);
  TRACE_RETURN(produceToEnd(
      [this] { return cancelRequested(); },
      [this] { return produceFromMoxtar(this, m_PelkHandle, m_MoxtarMetaInfoP->objId); }));
}

int CRestoreMeta::consumer() {
  TRACE_ENTRY(TRC_ENGINE, "CRestoreDb::consumer()");
  int rc = m_PendingRc;
  if (rc == RC_OK && cancelRequested()) rc = RC_RING_CANCELLED;
  if (rc == RC_OK) {
    const pelkUint64_t& size = m_MoxtarMetaInfoP->objSize;
    m_ObjectSize = pkInt64ToNative(pkInt64Make(size.hi, size.lo));
    rc = consumeToSqlDbInfo(this, m_MoxtarMetaInfoP);
  }
  if (rc != RC_OK) cancel();
  TRACE_RETURN(rc);
}

int CRestoreMeta::giveProgressStatus(StatusInfo status) {
  reportDelay(m_ProducerApiStatus, &status, true);
  return m_PendingRc;
}
