#include "restoredb.h"

#include <unistd.h>

#include <cstdio>
#include <memory>
#include <new>
#include <vector>

#include "agtlog.h"
#include "agtrc.h"
#include "agttrc.h"
#include "errormsg.h"
#include "msgout.h"
#include "restorestripe.h"
#include "sqlapi.h"
#include "sqlwide.h"

namespace {

constexpr DWORD kConfigWaitMilliSeconds = 1000;
constexpr DWORD kFeaturesVersion7 = VDF_Discard;
constexpr DWORD kFeatures = VDF_Discard | VDF_Removable;
constexpr int kMsgStripeFailed = 302;

// The stripe records of a run hand their device names to the RESTORE statement.
static_assert(sizeof(std::atomic<uint32_t>) == sizeof(uint32_t));

}  // namespace

// What the stripes of one run share: the list mutex and the last data object taken.
struct CRestoreDb::CStripeShare {
  psMutex mutex = nullptr;
  MoxtarDbInfo* lastTakenP = nullptr;  // guarded by mutex
};

CRestoreDb::CRestoreDb(SqlRestoreParameters* sqlRestoreParametersP,
                       SqlServerElement* sqlServerElementP, uint32_t numBuffers,
                       uint32_t bufferSize)
    : CPcm(0, 0),
      m_Vdi(sqlServerElementP != nullptr ? sqlServerElementP->lSqlVersionMajor : 0),
      m_SqlRestoreParametersP(sqlRestoreParametersP),
      m_SqlServerElementP(sqlServerElementP),
      m_BufferSize(bufferSize),
      m_NumBuffers(numBuffers) {
  TRACE_ENTRY(TRC_ENGINE, "CRestoreDb::CRestoreDb()");
  setEnds(kVdiApiName, m_ProducerText, "SQL-DMO", m_ConsumerText);
  m_CtorRc = m_Vdi.constructionRc();
  if (m_CtorRc != RC_OK || sqlServerElementP == nullptr) return;
  const char* instanceP = sqlServerElementP->szSqlInstanceName;
  if (instanceP[0] == '\0') return;
  if (sqlNarrowToWide(instanceP, m_SqlInstanceNameW, RESTORE_INSTANCE_NAME_SIZE) == 0) {
    TRACE_LINE(TRC_ENGINE, "MultiByteToWideChar( %s, %u ) failed, rc = %u\n", instanceP,
               static_cast<unsigned>(RESTORE_INSTANCE_NAME_SIZE), sqlGetLastError());
    m_CtorRc = RC_CONVERSION_FAILED;
  }
}

CRestoreDb::~CRestoreDb() {
  TRACE_ENTRY(TRC_ENGINE, "CRestoreDb::~CRestoreDb()");
  for (RestoreStripeData* recordP : allStripes(m_StripeDataList)) delete recordP->restoreStripeP;
  m_StripeDataList.freeAll();
}

uint32_t* CRestoreDb::ownCancelFlag() {
  return reinterpret_cast<uint32_t*>(&m_Cancelled);
}

bool CRestoreDb::isVersion7() const {
  return m_SqlServerElementP->lSqlVersionMajor == 7;
}

RestoreStripeData* CRestoreDb::record(uint32_t index) {
  RestoreStripeData* recordP = m_StripeDataList.getFirst();
  for (uint32_t k = 0; k < index && recordP != nullptr; k++) {
    recordP = m_StripeDataList.getNext(recordP);
  }
  return recordP;
}

// The end of a run however its steps end: the device set is closed and the run's clock stops.
class CRestoreDb::CRunEnd {
 public:
  explicit CRunEnd(CRestoreDb& restore) : m_Restore(restore) { m_Restore.m_ElapsedTimer.start(); }
  ~CRunEnd() {
    m_Restore.closeDeviceSet();
    m_Restore.m_ElapsedTimer.stop();
  }
  CRunEnd(const CRunEnd&) = delete;
  CRunEnd& operator=(const CRunEnd&) = delete;

 private:
  CRestoreDb& m_Restore;
};

int CRestoreDb::run(uint32_t statusMilliSeconds, StatusFunction statusFunctionP,
                    CLinkedList<HublorSessionInfo>* hublorSessionInfoList,
                    MoxtarBackupList* moxtarDbInfoList, MoxtarMetaInfo* moxtarMetaInfoP,
                    uint64_t backupSize64, uint32_t numStripes, uint32_t* cancelledP,
                    uint32_t mountWait) {
  TRACE_ENTRY(TRC_ENGINE, "CRestoreDb::run()");
  if (m_CtorRc != RC_OK) TRACE_RETURN(m_CtorRc);
  TRACE_RETURN(runSteps(statusMilliSeconds, statusFunctionP, hublorSessionInfoList,
                        moxtarDbInfoList, moxtarMetaInfoP, backupSize64, numStripes, cancelledP,
                        mountWait));
}

// A cancel made before the run began ends it before its first step.
int CRestoreDb::runSteps(uint32_t statusMilliSeconds, StatusFunction statusFunctionP,
                         CLinkedList<HublorSessionInfo>* sessionListP,
                         MoxtarBackupList* dataObjectListP, MoxtarMetaInfo* metaInfoP,
                         uint64_t backupSize64, uint32_t numStripes, uint32_t* cancelledP,
                         uint32_t mountWait) {
  CRunEnd end(*this);
  int rc = initializeRun();
  m_BackupSize = backupSize64;
  m_MoxtarDbInfoListP = dataObjectListP;
  m_MoxtarMetaInfoP = metaInfoP;
  m_NumStripes = numStripes;
  m_MountWait = mountWait;
  m_ProducerApiStatus.apiNameP = kVdiApiName;
  m_ConsumerRc = RC_OK;
  if (dataObjectListP == nullptr || metaInfoP == nullptr || numStripes == 0 ||
      sessionListP == nullptr) {
    TRACE_LINE(TRC_ENGINE,
               "A required parameter was not passed.\n  moxtarDbInfoList: %p\n"
               "  moxtarMetaInfoP: %p\n  numStripes: %u\n",
               static_cast<void*>(dataObjectListP), static_cast<void*>(metaInfoP), numStripes);
    return RC_INTERNAL_ERROR;
  }
  if (rc != RC_OK) return rc;
  uint32_t dataObjects = dataObjectListP->getCount();
  if (cancelledP != nullptr && std::atomic_ref<uint32_t>(*cancelledP).load() != 0) {
    return RC_CANCELED_BY_USER;
  }
  if (dataObjects > numStripes && dataObjects > 1) {
    dataObjectListP->sortbmrg(
        [](MoxtarDbInfo* aP, MoxtarDbInfo* bP) { return compareRestoreOrder(aP, bP); },
        [](MoxtarDbInfo* p) -> const char* { return p->objName.hl; });
  }
  rc = addStripes();
  if (rc != RC_OK) return rc;
  assignSessions(sessionListP);
  rc = createDeviceSet();
  if (rc != RC_OK) return rc;
  for (RestoreStripeData* p : stripes()) {
    rc = p->restoreStripeP->initializeRun();
    if (rc != RC_OK) return rc;
  }
  rc = CPcm::run(statusMilliSeconds, statusFunctionP, cancelledP);
  // SQL Server aborts the devices when it refuses the statement: its own text tells why.
  if (rc == RC_VDI_ABORTED && m_ConsumerRc != RC_OK && m_ConsumerRc != RC_RING_CANCELLED) {
    rc = m_ConsumerRc;
    m_ResultMsgP = m_ConsumerText;
  }
  return rc;
}

int CRestoreDb::buildDeviceName(RestoreStripeData* recordP) {
  snprintf(recordP->vdevName, sizeof recordP->vdevName, "%s%s%*.*X%s%*.*X", "ZARNAKSQL", "-", 8, 8,
           static_cast<unsigned>(getpid()), "-", 4, 4, recordP->stripeNumber);
  if (sqlNarrowToWide(recordP->vdevName, recordP->vdevNameW, VDEV_NAME_SIZE) != 0) return RC_OK;
  TRACE_LINE(TRC_ENGINE, "MultiByteToWideChar( %s, %u ) failed, rc = %u\n", recordP->vdevName,
             static_cast<unsigned>(VDEV_NAME_SIZE), sqlGetLastError());
  return RC_CONVERSION_FAILED;
}

// Records and stripe objects for the stripe numbers no run has needed before.
int CRestoreDb::addStripes() {
  for (uint32_t number = m_StripeDataList.getCount(); number < m_NumStripes; number++) {
    RestoreStripeData data{};
    data.stripeNumber = number;
    int rc = buildDeviceName(&data);
    if (rc != RC_OK) return rc;
    data.restoreStripeP = new (std::nothrow) CRestoreStripe(m_NumBuffers, m_BufferSize);
    if (data.restoreStripeP == nullptr) {
      TRACE_LINE(TRC_ENGINE, "Insufficent memory, new CRestoreStripe( %u, %u ) failed\n",
                 m_NumBuffers, m_BufferSize);
      return RC_NO_MEMORY;
    }
    if (m_StripeDataList.addTail(&data) != RC_OK) {
      TRACE_LINE(TRC_ENGINE, "Insufficent memory, NEW() failed.\n");
      delete data.restoreStripeP;
      return RC_NO_MEMORY;
    }
  }
  return RC_OK;
}

void CRestoreDb::assignSessions(CLinkedList<HublorSessionInfo>* sessionsP) {
  HublorSessionInfo* sessionP = sessionsP->getFirst();
  for (RestoreStripeData* p : stripes()) {
    if (sessionP == nullptr) break;
    p->hublorSessionInfoP = sessionP;
    sessionP = sessionsP->getNext(sessionP);
  }
}

int CRestoreDb::createDeviceSet() {
  RestoreStripeData* firstP = m_StripeDataList.getFirst();
  if (firstP == nullptr) {
    TRACE_LINE(TRC_ENGINE, "No stripe data detected!\n");
    return RC_INTERNAL_ERROR;
  }
  VDConfig config{};
  config.deviceCount = m_NumStripes;
  config.features = isVersion7() ? kFeaturesVersion7 : kFeatures;
  HRESULT hr = S_OK;
  if (isVersion7()) {
    hr = vds_Create(&m_ProducerApiStatus, m_Vdi.m_VdsP, firstP->vdevNameW, &config);
    if (FAILED(hr)) {
      TRACE_LINE(TRC_ENGINE, "VDS_CREATE( %s ) failed, hResult = %#x\n", firstP->vdevName,
                 static_cast<unsigned>(hr));
    }
  } else if (m_SqlInstanceNameW[0] != u'\0') {
    hr = vds2_CreateEx(&m_ProducerApiStatus, m_Vdi.m_Vds2P, m_SqlInstanceNameW, firstP->vdevNameW,
                       &config);
    if (FAILED(hr)) {
      TRACE_LINE(TRC_ENGINE, "VDS2_CREATEEX( %s, %s ) failed, hResult = %#x\n",
                 m_SqlServerElementP->szSqlInstanceName, firstP->vdevName,
                 static_cast<unsigned>(hr));
    }
  } else {
    hr = vds2_Create(&m_ProducerApiStatus, m_Vdi.m_Vds2P, firstP->vdevNameW, &config);
    if (FAILED(hr)) {
      TRACE_LINE(TRC_ENGINE, "VDS2_CREATE( %s ) failed, hResult = %#x\n", firstP->vdevName,
                 static_cast<unsigned>(hr));
    }
  }
  if (FAILED(hr)) return RC_VDS_CREATE_FAILED;
  m_SetCreated = true;
  return RC_OK;
}

void CRestoreDb::closeDeviceSet() {
  if (!m_SetCreated) return;
  m_SetCreated = false;
  HRESULT hr = isVersion7() ? vds_Close(&m_ProducerApiStatus, m_Vdi.m_VdsP)
                            : vds2_Close(&m_ProducerApiStatus, m_Vdi.m_Vds2P);
  if (FAILED(hr)) {
    TRACE_LINE(TRC_ENGINE,
               isVersion7() ? "Ignoring VDS_CLOSE() failure, hResult = %#x\n"
                            : "Ignoring VDS2_CLOSE() failure, hResult = %#x\n",
               static_cast<unsigned>(hr));
  }
}

// ---- consumer: SQL Server runs the RESTORE statement ----

int CRestoreDb::consumer() {
  TRACE_ENTRY(TRC_ENGINE, "CRestoreDb::consumer()");
  int rc = m_CtorRc;
  if (rc == RC_OK && m_Cancelled.load() == 0) {
    SqlRestoreParameters parms = *m_SqlRestoreParametersP;
    rc = gSqlApiP->RestoreSqlDatabase(parms, m_StripeDataList, m_SqlServerElementP,
                                      m_MoxtarMetaInfoP, m_NumStripes, &m_ConsumerApiStatus,
                                      ownCancelFlag(), m_ConsumerText, sizeof m_ConsumerText);
  }
  // A statement that failed because the user cancelled (its reads were refused) was cancelled.
  if (rc != RC_OK && cancelRequested()) rc = RC_RING_CANCELLED;
  if (m_Cancelled.load() != 0 || rc != RC_OK) {
    if (rc == RC_OK || rc == RC_CANCELED_BY_USER) rc = RC_RING_CANCELLED;
    cancel();  // the producer stops waiting for the devices, and every stripe ends
  }
  m_ConsumerRc = rc;
  TRACE_RETURN(rc);
}

// ---- producer: the devices and the stripes ----

// The end runs whatever the steps before it ended with: it aborts the device set when the
// restore failed or was cancelled, and releases the devices.
int CRestoreDb::producer() {
  TRACE_ENTRY(TRC_ENGINE, "CRestoreDb::producer()");
  CStripeShare share;
  int rc = feedStripes(&share);
  addStripeCounters();
  TRACE_RETURN(endProducer(rc, &share));
}

// The producer's steps up to its end; the first failure or a cancel ends them.
int CRestoreDb::feedStripes(CStripeShare* shareP) {
  auto cancelled = [this] { return m_Cancelled.load() != 0; };
  if (m_CtorRc != RC_OK || cancelled()) return m_CtorRc;
  int rc = psMutexInit(&shareP->mutex, 1);
  if (rc != RC_OK || cancelled()) return rc;
  rc = waitForConfiguration();
  if (rc != RC_OK || cancelled()) return rc;
  rc = openDevices();
  if (rc != RC_OK || cancelled()) return rc;
  rc = passStripeParameters(shareP);
  m_ObjectSize = m_BackupSize;
  if (rc != RC_OK || cancelled()) return rc;
  return runStripes();
}

// The configuration wait is one interface call of the producer however often it times out.
int CRestoreDb::waitForConfiguration() {
  VDConfig config{};
  DPelkApiStatus scratch;
  DBaseApi::StartApiCall(&m_ProducerApiStatus);
  HRESULT hr = VD_E_TIMEOUT;
  while (hr == VD_E_TIMEOUT && m_Cancelled.load() == 0) {
    hr = isVersion7()
             ? vds_GetConfiguration(&scratch, m_Vdi.m_VdsP, kConfigWaitMilliSeconds, &config)
             : vds2_GetConfiguration(&scratch, m_Vdi.m_Vds2P, kConfigWaitMilliSeconds, &config);
    if (hr == VD_E_TIMEOUT) {
      TRACE_LINE(TRC_ENGINE,
                 isVersion7() ? "VDS_GETCONFIGURATION( %u ) timed out, hResult = %#x\n"
                                "Attempting re-try...\n"
                              : "VDS2_GETCONFIGURATION( %u ) timed out, hResult = %#x\n"
                                "Attempting re-try...\n",
                 static_cast<unsigned>(kConfigWaitMilliSeconds), static_cast<unsigned>(hr));
    }
  }
  DBaseApi::EndApiCall(&m_ProducerApiStatus, kVdiApiName);
  if (hr == VD_E_TIMEOUT || SUCCEEDED(hr)) return RC_OK;  // a time-out here means cancelled
  TRACE_LINE(TRC_ENGINE,
             isVersion7() ? "VDS_GETCONFIGURATION( %u ) failed, hResult = %#x\n"
                          : "VDS2_GETCONFIGURATION( %u ) failed, hResult = %#x\n",
             static_cast<unsigned>(kConfigWaitMilliSeconds), static_cast<unsigned>(hr));
  return RC_CONFIG_WAIT_FAILED;
}

int CRestoreDb::openDevices() {
  for (RestoreStripeData* recordP : stripes()) {
    HRESULT hr = isVersion7() ? vds_OpenDevice(&m_ProducerApiStatus, m_Vdi.m_VdsP,
                                               recordP->vdevNameW, &recordP->vdevP)
                              : vds2_OpenDevice(&m_ProducerApiStatus, m_Vdi.m_Vds2P,
                                                recordP->vdevNameW, &recordP->vdevP);
    if (SUCCEEDED(hr)) continue;
    TRACE_LINE(TRC_ENGINE,
               isVersion7() ? "VDS_OPENDEVICE( %s ) failed, hResult = %#x\n"
                            : "VDS2_OPENDEVICE( %s ) failed, hResult = %#x\n",
               recordP->vdevName, static_cast<unsigned>(hr));
    return RC_VDEV_OPEN_FAILED;
  }
  return RC_OK;
}

int CRestoreDb::passStripeParameters(CStripeShare* shareP) {
  for (RestoreStripeData* recordP : stripes()) {
    int rc = recordP->restoreStripeP->passRUNParameters(
        m_StatusMilliSeconds, nullptr, &shareP->lastTakenP, &shareP->mutex, m_MoxtarDbInfoListP,
        recordP, ownCancelFlag(), m_MountWait);
    if (rc != RC_OK) return rc;
  }
  return RC_OK;
}

void CRestoreDb::cancelStripes() {
  for (RestoreStripeData* p : stripes()) p->restoreStripeP->cancel();
}

// One thread per stripe, all at once; the first failing stripe cancels the others.
int CRestoreDb::runStripes() {
  std::unique_ptr<psThread[]> threads(new (std::nothrow) psThread[m_NumStripes]());
  if (!threads) {
    TRACE_LINE(TRC_ENGINE, "Insufficent memory, MALLOC( %u ) failed\n",
               static_cast<unsigned>(m_NumStripes * sizeof(psThread)));
    return RC_NO_MEMORY;
  }
  uint32_t started = 0;
  int rc = startStripes(threads.get(), &started);
  int waitRc = started > 0 ? waitForStripes(threads.get(), started) : RC_OK;
  if (rc == RC_OK) rc = waitRc;
  for (uint32_t k = 0; k < started; k++) {
    int releaseRc = psThreadRelease(&threads[k]);
    if (releaseRc != RC_OK) TRACE_LINE(TRC_ENGINE, "threadRelease() failed, rc = %d\n", releaseRc);
  }
  if (rc != RC_OK || started == m_NumStripes) return rc;
  if (m_Cancelled.load() != 0) return RC_CANCELED_BY_USER;
  TRACE_LINE(TRC_ENGINE,
             "At least one pcm did not run but the process was not cancelled and no errors "
             "were detected\n");
  return RC_INTERNAL_ERROR;
}

int CRestoreDb::startStripes(psThread* threadsP, uint32_t* startedP) {
  for (RestoreStripeData* p : stripes()) {
    int rc = psThreadCreate(&threadsP[*startedP], CPcm::runRUN, p->restoreStripeP);
    if (rc != RC_OK) {
      TRACE_LINE(TRC_ENGINE, "threadCreate( runRUN ) failed, rc = %d\n", rc);
      // The stripes started end cancelled; the count tells the rest.
      cancelStripes();
      return RC_OK;
    }
    ++*startedP;
  }
  return RC_OK;
}

// Waits for the stripes as they end; a cancel of the request or of the restore reaches them as
// soon as it is made. A failing wait cancels them and still waits for them all, so that no
// stripe runs on past its object's life.
int CRestoreDb::waitForStripes(psThread* threadsP, uint32_t started) {
  std::vector<uint32_t> remaining;
  for (uint32_t k = 0; k < started; k++) remaining.push_back(k);
  int rc = RC_OK;
  bool cancelSent = false;
  while (!remaining.empty()) {
    std::vector<psThread> handles;
    for (uint32_t k : remaining) handles.push_back(threadsP[k]);
    uint32_t at = 0;
    int waitRc = waitForAnyStripe(handles.data(), &at, static_cast<uint32_t>(handles.size()),
                                  &cancelSent, [this] { cancelStripes(); });
    if (waitRc != RC_OK) {
      if (rc == RC_OK) rc = waitRc;
      cancelStripes();
      psThreadWaitForThreads(handles.data(), static_cast<uint32_t>(handles.size()));
      break;
    }
    uint32_t index = remaining[at];
    remaining.erase(remaining.begin() + at);
    uint32_t exitCode = 0;
    int exitRc = psThreadGetExitCode(threadsP[index], &exitCode);
    if (exitRc != RC_OK) {
      if (rc == RC_OK) rc = exitRc;
      cancelStripes();
      continue;
    }
    int stripeRc = stripeEnded(index, static_cast<int>(exitCode));
    if (rc == RC_OK) rc = stripeRc;
  }
  return rc;
}

// Traces the stripe's end; a failure goes to the activity log with the stripe's text and
// cancels the other stripes. Returns the failure's code, 0 otherwise.
int CRestoreDb::stripeEnded(uint32_t index, int rc) {
  if (rc == RC_OK) {
    TRACE_LINE(TRC_ENGINE, "PCM[ %d ] completed successfully.\n", static_cast<int>(index));
    return RC_OK;
  }
  if (rc == RC_CANCELED_BY_USER || rc == RC_RING_CANCELLED) {
    TRACE_LINE(TRC_ENGINE,
               rc == RC_CANCELED_BY_USER ? "PCM[ %d ] was cancelled.\n"
                                         : "PCM[ %d ] was internally cancelled.\n",
               static_cast<int>(index));
    return RC_OK;
  }
  const char* textP = record(index)->restoreStripeP->resultMessage();
  TRACE_LINE(TRC_ENGINE, "PCM[ %d ] failed, rc = %d, msg = %s\n", static_cast<int>(index), rc,
             textP != nullptr ? textP : "");
  if (gLogP != nullptr) {
    gLogP->LogActivityLog(kMsgStripeFailed, index, rc);
    logTextOrRcMessage(textP, rc);
  }
  if (m_ProducerText[0] == '\0') {
    snprintf(m_ProducerText, sizeof m_ProducerText, "%s", textP != nullptr ? textP : "");
  }
  cancelStripes();
  return rc;
}

void CRestoreDb::addStripeCounters() {
  for (RestoreStripeData* p : stripes()) {
    m_BytesConsumed += p->restoreStripeP->bytesConsumed();
    m_BytesProduced += p->restoreStripeP->bytesProduced();
  }
}

int CRestoreDb::endProducer(int rc, CStripeShare* shareP) {
  if (rc != RC_OK && rc != RC_CANCELLED_BY_SQL) cancel();
  if (m_Cancelled.load() != 0) {
    if (rc == RC_OK) rc = RC_RING_CANCELLED;
    HRESULT hr = isVersion7() ? vds_SignalAbort(&m_ProducerApiStatus, m_Vdi.m_VdsP)
                              : vds2_SignalAbort(&m_ProducerApiStatus, m_Vdi.m_Vds2P);
    if (FAILED(hr)) {
      TRACE_LINE(TRC_ENGINE, "Ignoring SignalAbort() failure, hResult = %#x\n",
                 static_cast<unsigned>(hr));
    }
  }
  for (RestoreStripeData* recordP : stripes()) {
    if (recordP->vdevP == nullptr) continue;
    HRESULT hr = vdev_Release(&m_ProducerApiStatus, recordP->vdevP);
    if (FAILED(hr)) {
      TRACE_LINE(TRC_ENGINE, "Ignoring VDEV_RELEASE( %s ) failure, hResult = %#x\n",
                 recordP->vdevName, static_cast<unsigned>(hr));
    }
    recordP->vdevP = nullptr;
  }
  if (shareP->mutex != nullptr) {
    int destroyRc = psMutexDestroy(&shareP->mutex, 1);
    if (destroyRc != RC_OK) {
      TRACE_LINE(TRC_ENGINE, "Ignoring mutexDestroy( %#x ) error, rc = %d\n", 0u, destroyRc);
    }
  }
  return rc;
}

// ---- monitor ----

int CRestoreDb::giveProgressStatus(StatusInfo status) {
  if (m_CtorRc != RC_OK) return m_CtorRc;
  status.kind = progressStatus;
  bool waitSent = reportDelay(m_ProducerApiStatus, &status, true);
  if (!waitSent) {
    for (RestoreStripeData* p : stripes()) {
      waitSent = reportDelay(p->restoreStripeP->producerApiStatus(), &status, true);
      if (waitSent) break;
    }
  }
  if (!waitSent) {
    for (RestoreStripeData* p : stripes()) {
      waitSent = reportDelay(p->restoreStripeP->consumerApiStatus(), &status, true);
      if (waitSent) break;
    }
  }
  if (waitSent || m_StatusFunctionP == nullptr) return RC_OK;
  m_ElapsedTimer.stop();
  StatusProgress progress = {0, 0, 0, m_BackupSize, m_ElapsedTimer.elapsedSeconds()};
  for (RestoreStripeData* p : stripes()) {
    CRestoreStripe* stripeP = p->restoreStripeP;
    progress.bytesConsumed += stripeP->bytesConsumed();
    progress.bytesProduced += stripeP->bytesProduced();
    progress.fullBuffers += stripeP->fullBuffers();
  }
  status.progress = progress;
  m_StatusFunctionP(status);
  return RC_OK;
}
