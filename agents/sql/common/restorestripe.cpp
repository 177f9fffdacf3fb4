#include "restorestripe.h"

#include <atomic>

#include "agtrc.h"
#include "agttrc.h"
#include "moxtarmover.h"
#include "pelkapi.h"
#include "sqlvdi.h"
#include "vdimover.h"

namespace {

// Commands answered with success when no object is in transfer.
const DWORD kHarmlessCommands[] = {VDC_ClearError, VDC_Load, VDC_Discard, VDC_Flush};

bool isHarmless(DWORD commandCode) {
  for (DWORD code : kHarmlessCommands) {
    if (code == commandCode) return true;
  }
  return false;
}

// The code of a failed command wait; 0 when SQL Server closed the device.
int waitFailureRc(HRESULT hr) {
  if (hr == VD_E_CLOSE) return RC_OK;
  return hr == VD_E_ABORT ? RC_VDI_ABORTED : RC_VDI_FAILED;
}

}  // namespace

CRestoreStripe::CRestoreStripe(uint32_t numBuffers, uint32_t bufferSize)
    : CPcm(numBuffers, bufferSize) {
  TRACE_ENTRY(TRC_ENGINE, "CRestoreStripe::CRestoreStripe()");
  setEnds("HUBLOR", m_ProducerText, "Sql", m_ConsumerText);
}

CRestoreStripe::~CRestoreStripe() {
  TRACE_ENTRY(TRC_ENGINE, "CRestoreStripe::~CRestoreStripe()");
}

int CRestoreStripe::initializeRun() {
  TRACE_ENTRY(TRC_ENGINE, "CRestoreStripe::initializeRun()");
  int rc = CPcm::initializeRun();
  m_LastMoxtarDbInfoRestoredPP = nullptr;
  m_MoxtarDbInfoListLockP = nullptr;
  m_MoxtarDbInfoListP = nullptr;
  m_HublorSessionInfoP = nullptr;
  m_VdevCommandP = nullptr;
  m_MoxtarDbInfoP = nullptr;
  m_StripeDataP = nullptr;
  m_MountWait = 0;
  TRACE_RETURN(rc);
}

int CRestoreStripe::passRUNParameters(uint32_t statusMilliSeconds, StatusFunction statusFunctionP,
                                      MoxtarDbInfo** lastMoxtarDbInfoRestoredPP,
                                      psMutex* moxtarDbInfoListLockP,
                                      MoxtarBackupList* moxtarDbInfoListP,
                                      RestoreStripeData* stripeDataP, uint32_t* cancelledP,
                                      uint32_t mountWait) {
  TRACE_ENTRY(TRC_ENGINE, "CRestoreStripe::passRUNParameters()");
  int rc = CPcm::passRUNParameters(statusMilliSeconds, statusFunctionP, cancelledP);
  if (rc != RC_OK) TRACE_RETURN(rc);
  m_LastMoxtarDbInfoRestoredPP = lastMoxtarDbInfoRestoredPP;
  m_MoxtarDbInfoListLockP = moxtarDbInfoListLockP;
  m_MoxtarDbInfoListP = moxtarDbInfoListP;
  m_StripeDataP = stripeDataP;
  m_MountWait = mountWait;
  m_HublorSessionInfoP = stripeDataP != nullptr ? stripeDataP->hublorSessionInfoP : nullptr;
  TRACE_RETURN(RC_OK);
}

// The stripe's own cancel, or the database restore's, which also reaches a stripe that is
// waiting for SQL Server between two objects.
bool CRestoreStripe::stripeCancelled() const {
  return m_Cancelled.load() != 0 || cancelRequested();
}

int CRestoreStripe::checkPrepared() {
  if (m_VdevCommandP != nullptr || m_MoxtarDbInfoP != nullptr || m_ProducerText[0] != '\0' ||
      m_ConsumerText[0] != '\0') {
    TRACE_LINE(TRC_ENGINE,
               "The derived pcm object was not properly initialized.\n"
               "  m_VdevCommandP: %p\n  m_MoxtarDbInfoP: %p\n",
               static_cast<void*>(m_VdevCommandP), static_cast<void*>(m_MoxtarDbInfoP));
    return RC_INTERNAL_ERROR;
  }
  if (m_LastMoxtarDbInfoRestoredPP == nullptr || m_MoxtarDbInfoListLockP == nullptr ||
      m_MoxtarDbInfoListP == nullptr || m_StripeDataP == nullptr ||
      m_HublorSessionInfoP == nullptr) {
    TRACE_LINE(TRC_ENGINE, "A required %s parameter was not passed.\n", "CRestoreStripe::RUN()");
    return RC_INTERNAL_ERROR;
  }
  return RC_OK;
}

int CRestoreStripe::RUN() {
  TRACE_ENTRY(TRC_ENGINE, "CRestoreStripe::RUN()");
  m_ElapsedTimer.start();
  int rc = checkPrepared();
  bool ended = false;
  while (rc == RC_OK && !ended && !stripeCancelled()) {
    rc = serveCommand(&ended);
  }
  if (rc == RC_OK && stripeCancelled()) rc = RC_CANCELED_BY_USER;
  m_ElapsedTimer.stop();
  TRACE_RETURN(rc);
}

// One command of SQL Server: a read takes the next data object and transfers it; whatever is
// still pending afterwards is completed here. A time-out of the wait is no command.
int CRestoreStripe::serveCommand(bool* endedP) {
  m_VdevCommandP = nullptr;
  HRESULT hr = vdev_GetCommand(&m_ConsumerApiStatus, m_StripeDataP->vdevP, kVdevWaitMilliSeconds,
                               &m_VdevCommandP);
  if (hr == VD_E_TIMEOUT) return RC_OK;
  if (FAILED(hr)) {
    TRACE_LINE(TRC_ENGINE, "VDEV_GETCOMMAND( %u ) ended, hResult = %#x\n", kVdevWaitMilliSeconds,
               static_cast<unsigned>(hr));
    m_VdevCommandP = nullptr;
    *endedP = true;
    return waitFailureRc(hr);
  }
  bool isRead = m_VdevCommandP->commandCode == VDC_Read;
  int rc = isRead ? takeNextObject() : RC_OK;
  if (rc == RC_OK && isRead && m_MoxtarDbInfoP != nullptr) rc = logonAgain();
  if (rc == RC_OK && isRead && m_MoxtarDbInfoP != nullptr) rc = transferObject();
  return completePending(rc, isRead);
}

// Every data object is taken by exactly one stripe, in list order.
int CRestoreStripe::takeNextObject() {
  m_MoxtarDbInfoP = nullptr;
  int rc = psMutexLock(*m_MoxtarDbInfoListLockP, 1);
  if (rc != RC_OK) return rc;
  MoxtarDbInfo* lastP = *m_LastMoxtarDbInfoRestoredPP;
  MoxtarDbInfo* nextP =
      lastP == nullptr ? m_MoxtarDbInfoListP->getFirst() : m_MoxtarDbInfoListP->getNext(lastP);
  if (nextP != nullptr) {
    m_MoxtarDbInfoP = nextP;
    *m_LastMoxtarDbInfoRestoredPP = nextP;
  }
  return psMutexUnlock(*m_MoxtarDbInfoListLockP, 1);
}

// A retrieval that ended early terminated the session: the next object logs on first.
int CRestoreStripe::logonAgain() {
  if (m_HublorSessionInfoP->connected == 1) return RC_OK;
  int16_t code = gPelkApiObjP->Logon(&m_ProducerApiStatus, &m_HublorSessionInfoP->apiSessInfo,
                                     &m_HublorSessionInfoP->pelkHandle);
  if (code == PELK_RC_OK) {
    m_HublorSessionInfoP->connected = 1;
    return RC_OK;
  }
  size_t length = 0;
  gPelkApiObjP->AgtPelkRCMsg(&m_ProducerApiStatus, m_HublorSessionInfoP->pelkHandle, code,
                             m_ProducerText, sizeof m_ProducerText, &length);
  m_ResultMsgP = m_ProducerText;
  return RC_API_CALL_FAILED;
}

// SQL Server ending the device after the data is no failure; the stripe then goes on with the
// database restore's cancel state.
int CRestoreStripe::transferObject() {
  int rc = CPcm::RUN();
  if (rc != RC_CANCELLED_BY_SQL) return rc;
  m_Cancelled = cancelRequested() ? 1 : 0;
  return RC_OK;
}

int CRestoreStripe::completePending(int rc, bool isRead) {
  if (m_VdevCommandP == nullptr) return rc;
  DWORD status = ERROR_NOT_SUPPORTED;
  if (stripeCancelled() || rc != RC_OK) {
    status = ERROR_CAN_NOT_COMPLETE;
  } else if (isRead && m_VdevCommandP->commandCode == VDC_Read) {
    status = ERROR_HANDLE_EOF;  // no data object left for this read
  } else if (isHarmless(m_VdevCommandP->commandCode)) {
    status = ERROR_SUCCESS;
  }
  TRACE_LINE(TRC_ENGINE, "Calling VDEV_COMPLETECOMMAND( %#x, %#x )\n",
             static_cast<unsigned>(m_VdevCommandP->commandCode), static_cast<unsigned>(status));
  HRESULT hr = vdev_CompleteCommand(&m_ConsumerApiStatus, m_StripeDataP->vdevP, m_VdevCommandP,
                                    status, 0, 0);
  m_VdevCommandP = nullptr;
  if (SUCCEEDED(hr) || rc != RC_OK) return rc;
  TRACE_LINE(TRC_ENGINE, "VDEV_COMPLETECOMMAND() failed, hResult = %#x\n",
             static_cast<unsigned>(hr));
  return hr == VD_E_ABORT ? RC_VDI_ABORTED : RC_VDI_FAILED;
}

int CRestoreStripe::producerFailure(int16_t code) {
  size_t length = 0;
  gPelkApiObjP->AgtPelkRCMsg(&m_ProducerApiStatus, m_HublorSessionInfoP->pelkHandle, code,
                             m_ProducerText, sizeof m_ProducerText, &length);
  return RC_API_CALL_FAILED;
}

// One data object from the storage server into the ring, in a retrieval of its own. A
// retrieval that does not end normally is terminated with its session.
int CRestoreStripe::producer() {
  TRACE_ENTRY(TRC_ENGINE, "CRestoreStripe::producer()");
  pelkUint32_t handle = m_HublorSessionInfoP->pelkHandle;
  pelkUint64_t objId = m_MoxtarDbInfoP->objId;
  pelkGetList getList = {PELK_GETLIST_VERSION, 1, &objId, nullptr};
  int16_t code =
      DPelkApi::dpelkBeginGetData(gPelkApiObjP, &m_ProducerApiStatus, handle,
                                  static_cast<pelkBool_t>(m_MountWait), PELK_GET_BACKUP, &getList);
  int rc = code == PELK_RC_OK ? RC_OK : producerFailure(code);
  bool begun = code == PELK_RC_OK;
  bool ended = false;
  if (begun) rc = produceFromMoxtar(this, handle, objId);
  if (begun && rc == RC_OK && m_Cancelled.load() == 0) {
    code = DPelkApi::dpelkEndGetData(gPelkApiObjP, &m_ProducerApiStatus, handle);
    ended = code == PELK_RC_OK;
    if (!ended) rc = producerFailure(code);
  }
  if (begun && !ended) {
    code = DPelkApi::dpelkTerminate(gPelkApiObjP, &m_ProducerApiStatus, handle);
    m_HublorSessionInfoP->connected = 0;
    if (code != PELK_RC_OK && rc == RC_OK) rc = producerFailure(code);
  }
  if (m_Cancelled.load() == 0) {
    if (rc == RC_OK) rc = m_Ring.completeDataTransfer();
    if (rc != RC_OK) cancel();
  }
  TRACE_RETURN(rc);
}

// The ring to the device; the pending read is served first.
int CRestoreStripe::consumer() {
  TRACE_ENTRY(TRC_ENGINE, "CRestoreStripe::consumer()");
  int rc = RC_OK;
  if (m_Cancelled.load() == 0) {
    const pelkUint64_t& size = m_MoxtarDbInfoP->objSize;
    m_ObjectSize = pkInt64ToNative(pkInt64Make(size.hi, size.lo));
    rc = consumeToVdi(this, m_StripeDataP->vdevP, &m_VdevCommandP);
  }
  if (rc != RC_OK) cancel();
  if (rc == RC_OK && m_Cancelled.load() != 0) {
    rc = RC_RING_CANCELLED;
    cancel();
  }
  TRACE_RETURN(rc);
}
