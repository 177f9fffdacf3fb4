#include "bkstripe.h"

#include <cstring>

#include "agtrc.h"
#include "agttrc.h"
#include "moxtarmover.h"
#include "pelkapi.h"
#include "vdimover.h"

CBackupStripe::CBackupStripe(const SqlServerElement* serverP, uint32_t numBuffers,
                             uint32_t bufferSizeKb)
    : CPcm(numBuffers, bufferSizeKb), m_SqlServerElementP(serverP), m_PendingRc(m_Ring.ringRc()) {
  TRACE_ENTRY(TRC_ENGINE, "CBackupStripe::CBackupStripe()");
  setEnds("Sql", m_ProducerText, "HUBLOR", m_ConsumerText);
}

int CBackupStripe::initializeRun() {
  TRACE_ENTRY(TRC_ENGINE, "CBackupStripe::initializeRun()");
  if (m_PendingRc != RC_OK) TRACE_RETURN(m_PendingRc);
  int rc = CPcm::initializeRun();
  if (rc != RC_OK) TRACE_RETURN(rc);
  m_HublorSessionInfoP = nullptr;
  m_StripeDataP = nullptr;
  m_MountWait = 0;
  m_ZarnakObjIdP = nullptr;
  m_ProducerText[0] = '\0';
  m_ConsumerText[0] = '\0';
  TRACE_RETURN(RC_OK);
}

int CBackupStripe::passRUNParameters(uint32_t statusMilliSeconds, StatusFunction statusFunctionP,
                                     StripeData& stripeData, uint32_t* cancelledP,
                                     uint32_t mountWait, const zarnakObjId* zarnakObjIdP) {
  TRACE_ENTRY(TRC_ENGINE, "CBackupStripe::passRUNParameters()");
  if (m_PendingRc != RC_OK) TRACE_RETURN(m_PendingRc);
  int rc = CPcm::passRUNParameters(statusMilliSeconds, statusFunctionP, cancelledP);
  if (rc != RC_OK) TRACE_RETURN(rc);
  m_HublorSessionInfoP = stripeData.hublorSessionInfoP;
  m_StripeDataP = &stripeData;
  m_MountWait = mountWait;
  m_ZarnakObjIdP = zarnakObjIdP;
  TRACE_RETURN(RC_OK);
}

int CBackupStripe::checkRunSetup() {
  if (m_ProducerText[0] != '\0' || m_ConsumerText[0] != '\0') {
    TRACE_LINE(TRC_ENGINE, "The derived pcm object was not properly initialized.\n");
    return RC_INTERNAL_ERROR;
  }
  if (cancelRequested()) return RC_CANCELED_BY_USER;
  if (m_HublorSessionInfoP == nullptr || m_StripeDataP == nullptr || m_ZarnakObjIdP == nullptr) {
    TRACE_LINE(TRC_ENGINE,
               "A required %s parameter was not passed.\n  m_HublorSessionInfoP: %p\n"
               "  m_StripeDataP: %p\n  m_ZarnakObjIdP: %p\n",
               "CBackupStripe::RUN()", static_cast<void*>(m_HublorSessionInfoP),
               static_cast<void*>(m_StripeDataP), static_cast<const void*>(m_ZarnakObjIdP));
    return RC_INTERNAL_ERROR;
  }
  return cancelRequested() ? RC_CANCELED_BY_USER : RC_OK;
}

int CBackupStripe::RUN() {
  TRACE_ENTRY(TRC_ENGINE, "CBackupStripe::RUN()");
  m_RunTimer.start();
  int rc = m_PendingRc != RC_OK ? m_PendingRc : checkRunSetup();
  if (rc == RC_OK) {
    m_ElapsedTimer.start();
    rc = CPcm::RUN();
  }
  m_RunTimer.stop();
  if (m_StripeDataP != nullptr) m_StripeDataP->rc = rc;
  TRACE_RETURN(rc);
}

int CBackupStripe::producer() {
  TRACE_ENTRY(TRC_ENGINE, "CBackupStripe::producer()");
  if (m_PendingRc != RC_OK) TRACE_RETURN(m_PendingRc);
  TRACE_RETURN(produceToEnd(
      [this] { return stopped(); },
      [this] { return produceFromVdi(this, m_StripeDataP->vdevP, &m_StripeDataP->vdevCommandP); }));
}

int bkStorageFailure(DPelkApiStatus* statusP, pelkUint32_t handle, int16_t code, int rc,
                     char* textP, size_t textSize) {
  char text[STRIPE_MSG_SIZE] = "";
  size_t length = 0;
  gPelkApiObjP->AgtPelkRCMsg(statusP, handle, code, text, sizeof text, &length);
  TRACE_LINE(TRC_ENGINE, "Storage call failed, rc = %d, msg = %s\n", code, text);
  if (rc != RC_OK) return rc;
  snprintf(textP, textSize, "%s", text);
  if (code == PELK_RC_MERGE_ERROR) return RC_RENAME_MERGE_ERROR;
  return code == PELK_RC_WILL_ABORT ? RC_SERVER_WILL_ABORT : RC_API_CALL_FAILED;
}

int CBackupStripe::storageFailure(pelkUint32_t handle, int16_t code, int rc) {
  return bkStorageFailure(&m_ConsumerApiStatus, handle, code, rc, m_ConsumerText,
                          sizeof m_ConsumerText);
}

int CBackupStripe::beginTxn(pelkUint32_t handle, bool* begunP) {
  int16_t code = DPelkApi::dpelkBeginTxn(gPelkApiObjP, &m_ConsumerApiStatus, handle);
  if (code != PELK_RC_OK) return storageFailure(handle, code, RC_OK);
  *begunP = true;
  return RC_OK;
}

int CBackupStripe::bind(pelkUint32_t handle, mcBindKey* bindKeyP) {
  int16_t code = PELK_RC_OK;
  int rc = metaBindClass(&m_ConsumerApiStatus, handle, &m_StripeDataP->objName, PELK_SEND_BACKUP,
                         bindKeyP, &code);
  if (code == PELK_RC_OK) return rc;
  rc = storageFailure(handle, code, RC_OK);
  return code == PELK_RC_EXCLUDED ? RC_OBJECT_EXCLUDED : rc;
}

// Begins the object and streams the ring into it; *sentP once the object was begun.
int CBackupStripe::send(pelkUint32_t handle, uint8_t sendType, mcBindKey* bindKeyP, bool* sentP) {
  pelkApiVersion version = {0, 0, 0};
  DPelkApi::dpelkQueryApiVersion(gPelkApiObjP, &m_ConsumerApiStatus, &version);
  uint8_t info[OBJINFO_DATA_SIZE];
  objInfoToBytes(objInfoOfBackup(version, *m_SqlServerElementP, *m_ZarnakObjIdP), info,
                 OBJINFO_DATA_SIZE);
  ObjAttr attr;
  memset(&attr, 0, sizeof attr);
  attr.stVersion = PELK_OBJATTR_VERSION;
  attr.sizeEstimate = {m_StripeDataP->size64.high, m_StripeDataP->size64.low};
  attr.objInfoLength = OBJINFO_DATA_SIZE;
  attr.objInfo = reinterpret_cast<char*>(info);
  attr.mcNameP = bindKeyP->mcName;
  m_ObjectSize = pkInt64ToNative(m_StripeDataP->size64);
  int16_t code = DPelkApi::dpelkSendObj(gPelkApiObjP, &m_ConsumerApiStatus, handle, sendType,
                                        nullptr, &m_StripeDataP->objName, &attr, nullptr);
  if (code != PELK_RC_OK) return storageFailure(handle, code, RC_OK);
  *sentP = true;
  return consumeToMoxtar(this, handle);
}

int CBackupStripe::endSend(pelkUint32_t handle, int rc) {
  int16_t code = DPelkApi::dpelkEndSendObj(gPelkApiObjP, &m_ConsumerApiStatus, handle);
  if (code == PELK_RC_OK) return rc;
  return storageFailure(handle, code, rc);
}

int16_t bkEndTxn(DPelkApiStatus* statusP, pelkUint32_t handle, int rc) {
  pelkUint8_t vote = rc == RC_OK ? PELK_VOTE_COMMIT : PELK_VOTE_ABORT;
  pelkUint16_t reason = 0;
  int16_t code = DPelkApi::dpelkEndTxn(gPelkApiObjP, statusP, handle, vote, &reason);
  TRACE_LINE(TRC_ENGINE, "dpelkEndTxn: vote %u, rc %d, reason %u\n", vote, code, reason);
  if (vote == PELK_VOTE_COMMIT && code == PELK_RC_OK && reason == 0) return PELK_RC_OK;
  bool abortConfirmed =
      (code == PELK_RC_OK && (reason == 0 || reason == PELK_RS_ABORT_BY_CLIENT)) ||
      (code == PELK_RC_CHECK_REASON && reason == PELK_RS_ABORT_BY_CLIENT);
  if (vote == PELK_VOTE_ABORT && abortConfirmed) return PELK_RC_OK;
  if (code == PELK_RC_CHECK_REASON || code == PELK_RC_OK) return static_cast<int16_t>(reason);
  return code;
}

int CBackupStripe::endTxn(pelkUint32_t handle, int rc) {
  int16_t why = bkEndTxn(&m_ConsumerApiStatus, handle, rc);
  if (why == PELK_RC_OK) return rc;
  int endRc = storageFailure(handle, why, rc);
  // A transaction the server did not commit is never a stored object.
  return rc == RC_OK && endRc == RC_SERVER_WILL_ABORT ? RC_API_CALL_FAILED : endRc;
}

int CBackupStripe::consumer() {
  TRACE_ENTRY(TRC_ENGINE, "CBackupStripe::consumer()");
  pelkUint32_t handle = m_HublorSessionInfoP->pelkHandle;
  uint8_t sendType = m_MountWait == 1 ? PELK_SEND_BACKUP_MOUNTWAIT : PELK_SEND_BACKUP;
  mcBindKey bindKey;
  bool begun = false;
  bool sent = false;
  int rc = m_PendingRc;
  if (rc == RC_OK && stopped()) rc = RC_RING_CANCELLED;
  if (rc == RC_OK) rc = beginTxn(handle, &begun);
  if (rc == RC_OK) rc = bind(handle, &bindKey);
  if (rc == RC_OK) rc = send(handle, sendType, &bindKey, &sent);
  if (sent) rc = endSend(handle, rc);
  if (rc == RC_OK && stopped()) rc = RC_RING_CANCELLED;
  if (begun) rc = endTxn(handle, rc);
  // Whatever stopped the consumer before the end of data also stops the producer.
  if (rc != RC_OK) cancel();
  TRACE_RETURN(rc);
}
