#include "bkdb.h"

#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>

#include "agtlog.h"
#include "agtrc.h"
#include "agttrc.h"
#include "baseeri.h"
#include "errormsg.h"
#include "objname.h"
#include "pcmend.h"
#include "sqlapi.h"
#include "sqlmetadesc.h"

namespace {

constexpr uint32_t kVdsFeatures = 0x80;
constexpr uint64_t kStripeSizeExtra = 0x100001;  // one MiB and one byte per stripe
constexpr uint64_t kEstimateCap = 0xFFFFFFFFFFFFFFFFull - 50;
constexpr DWORD kVdsWaitMilliSeconds = 1000;

bool isSql7(const SqlServerElement* serverP) {
  return serverP->lSqlVersionMajor == 7;
}

// a * b, or the cap with a trace when the product does not fit.
uint64_t cappedProduct(uint64_t a, uint64_t b) {
  uint64_t product = 0;
  if (!__builtin_mul_overflow(a, b, &product) && product <= kEstimateCap) return product;
  TRACE_LINE(TRC_ENGINE,
             "A size estimate calculation overflow has occurred.\nNote: This error is being "
             "ignored by defaulting to\n      the maximum 64-bit value.\n");
  return kEstimateCap;
}

// e changed by delta in the direction of the sign, never below 1 byte.
uint64_t adjusted(uint64_t e, uint64_t delta, bool add) {
  if (add) return e + delta < e ? kEstimateCap : e + delta;
  return delta < e ? e - delta : 1;
}

uint64_t magnitude(int32_t value) {
  return value < 0 ? uint64_t(-int64_t(value)) : uint64_t(value);
}

}  // namespace

int backupDeviceName(uint32_t processId, uint32_t stripeNumber, char* nameP, char16_t* nameWP) {
  int pidWidth = static_cast<int>(strlen(HL_PID));
  int indexWidth = static_cast<int>(strlen(FS_NAME_INDEX));
  snprintf(nameP, VDEV_NAME_SIZE, "%s%s%*.*X%s%*.*X", VDEV_NAME_PREFIX, "-", pidWidth, pidWidth,
           processId, "-", indexWidth, indexWidth, stripeNumber);
  for (int i = 0; i < VDEV_NAME_SIZE; i++) {
    unsigned char c = static_cast<unsigned char>(nameP[i]);
    if (c >= 0x80) {
      TRACE_LINE(TRC_ENGINE, "MultiByteToWideChar( %s, %u ) failed, rc = %u\n", nameP,
                 unsigned(VDEV_NAME_SIZE), unsigned(RC_CONVERSION_FAILED));
      return RC_CONVERSION_FAILED;
    }
    nameWP[i] = c;
    if (c == 0) break;
  }
  return RC_OK;
}

CBackupDb::CBackupDb(const SqlBackupParameters* sqlBackupParametersP,
                     const SqlServerElement* sqlServerElementP, int32_t olderThan,
                     uint32_t numBuffers, uint32_t bufferSizeKb)
    : CPcm(0, 0),
      m_Vdi(sqlServerElementP->lSqlVersionMajor),
      m_SqlBackupParametersP(sqlBackupParametersP),
      m_SqlServerElementP(sqlServerElementP),
      m_BufferSize(bufferSizeKb),
      m_NumBuffers(numBuffers),
      m_OlderThan(olderThan) {
  TRACE_ENTRY(TRC_ENGINE, "CBackupDb::CBackupDb()");
  setEnds("SQL-DMO", m_ProducerErrorMsg, sizeof m_ProducerErrorMsg - 1, "Sql", m_ConsumerErrorMsg,
          BACKUP_CONSUMER_MSG_SIZE);
  memset(&m_MetaDataObjName, 0, sizeof m_MetaDataObjName);
  m_SqlMetaDataInfo = sqlMetaEmpty();
  m_ZarnakObjId = {static_cast<uint32_t>(getpid()), {}};
  m_CtorRc = m_Vdi.constructionRc();
  if (m_CtorRc != RC_OK) return;
  const char* instanceP = sqlServerElementP->szSqlInstanceName;
  for (size_t i = 0; instanceP[i] != '\0' && i + 1 < sizeof m_SqlInstanceNameW / 2; i++) {
    if (static_cast<unsigned char>(instanceP[i]) >= 0x80) {
      TRACE_LINE(TRC_ENGINE, "MultiByteToWideChar( %s, %u ) failed, rc = %u\n", instanceP, 17u,
                 unsigned(RC_CONVERSION_FAILED));
      m_CtorRc = RC_CONVERSION_FAILED;
      return;
    }
    m_SqlInstanceNameW[i] = static_cast<unsigned char>(instanceP[i]);
  }
  m_BackupMetaDataP =
      new (std::nothrow) CBackupMetaData(sqlServerElementP, META_NUM_BUFFERS, META_BUFFER_SIZE_KB);
  if (m_BackupMetaDataP == nullptr) m_CtorRc = RC_NO_MEMORY;
}

CBackupDb::~CBackupDb() {
  TRACE_ENTRY(TRC_ENGINE, "CBackupDb::~CBackupDb()");
  for (StripeData* p : allStripes(m_StripeDataList)) {
    delete p->backupStripeP;
    p->backupStripeP = nullptr;
  }
  delete m_BackupMetaDataP;
}

bool CBackupDb::waitForEnd(uint32_t milliseconds) {
  bool ended = CPcm::waitForEnd(milliseconds);
  if (transferCancelled()) abandon();
  return ended;
}

void CBackupDb::abandon() {
  std::lock_guard<std::mutex> lock(m_CommitMutex);
  if (!m_Committed.load()) std::atomic_ref<uint32_t>(m_StripesCancelled).store(1);
}

bool CBackupDb::givenUp() const {
  return transferCancelled() && !m_Committed.load();
}

// ---- run ----

int CBackupDb::prepareRun(uint32_t backupType, SqlDbInfo* sqlDbInfoP, uint32_t mountWait) {
  int rc = CPcm::initializeRun();
  if (rc != RC_OK) return rc;
  m_ConsumerApiStatus.apiNameP = "Sql";
  m_BackupDataSizeEst64 = 0;
  m_MetaDataSize64 = 0;
  m_ZarnakObjId.backupTime = agentDateTime{};
  memset(&m_MetaDataObjName, 0, sizeof m_MetaDataObjName);
  m_SqlMetaDataInfo = sqlMetaEmpty();
  m_BackupType = backupType > BACKUP_TYPE_INVALID ? BACKUP_TYPE_INVALID : int32_t(backupType);
  m_MountWait = mountWait;
  m_SqlDbInfoP = sqlDbInfoP;
  m_StripesCancelled = 0;
  m_Committed = false;
  if (sqlDbInfoP != nullptr && sqlDbInfoP->sqlDatabaseElementP != nullptr) return RC_OK;
  TRACE_LINE(TRC_ENGINE, "A required %s parameter was not passed.\n  m_SqlDbInfoP: %#x\n",
             "CBackupDb::run()", 0u);
  return RC_INTERNAL_ERROR;
}

int CBackupDb::estimate(uint32_t dbBupSizeEstPct) {
  pkInt64 estimate64 = {0, 0};
  pkInt64 metaSize64 = {0, 0};
  int rc = sqlMetaEstimate(&estimate64, &m_SqlMetaDataInfo, &metaSize64, uint32_t(m_BackupType),
                           *m_SqlServerElementP, *m_SqlDbInfoP, m_ProcessCancelledP);
  if (rc != RC_OK) return rc;
  m_MetaDataSize64 = pkInt64ToNative(metaSize64);
  uint64_t factor = 100;
  if (m_BackupType == BACKUP_TYPE_DIFFFULL) factor = dbBupSizeEstPct;
  if (m_BackupType == BACKUP_TYPE_LOG && !isSql7(m_SqlServerElementP)) {
    factor = uint64_t(dbBupSizeEstPct) + 100;
  }
  uint64_t e = cappedProduct(pkInt64ToNative(estimate64), factor);
  m_BackupDataSizeEst64 = (e + 50) / 100;
  adjustEstimate();
  return RC_OK;
}

void CBackupDb::adjustEstimate() {
  int32_t percent = m_SqlBackupParametersP->lEstimateAdjustPct;
  int32_t kb = m_SqlBackupParametersP->lEstimateAdjustKb;
  if (percent == 0 && kb == 0) return;
  TRACE_LINE(TRC_ENGINE, "Adjust backup size estimate by %i%% and then %iKB\n", percent, kb);
  uint64_t e = m_BackupDataSizeEst64;
  uint64_t byPercent = (cappedProduct(e, magnitude(percent)) + 50) / 100;
  e = adjusted(e, byPercent, percent >= 0);
  e = adjusted(e, cappedProduct(magnitude(kb), 1024), kb >= 0);
  m_BackupDataSizeEst64 = e < 1 ? 1 : e;
}

int CBackupDb::addStripes(uint32_t numStripes) {
  for (uint32_t k = m_StripeDataList.getCount(); k < numStripes; k++) {
    StripeData record;
    memset(&record, 0, sizeof record);
    record.stripeNumber = k;
    int rc = backupDeviceName(m_ZarnakObjId.processId, k, record.vdevName, record.vdevNameW);
    if (rc != RC_OK) return rc;
    record.backupStripeP =
        new (std::nothrow) CBackupStripe(m_SqlServerElementP, m_NumBuffers, m_BufferSize);
    if (record.backupStripeP == nullptr) {
      TRACE_LINE(TRC_ENGINE, "Insufficent memory, new CBackupStripe( %u, %u ) failed\n",
                 m_NumBuffers, m_BufferSize);
      return RC_NO_MEMORY;
    }
    if (m_StripeDataList.addTail(&record) != RC_OK) {
      delete record.backupStripeP;
      return RC_NO_MEMORY;
    }
  }
  return RC_OK;
}

int CBackupDb::assignSessions(CLinkedList<HublorSessionInfo>* sessionListP, uint32_t numStripes) {
  uint64_t size = m_BackupDataSizeEst64 / numStripes + kStripeSizeExtra;
  HublorSessionInfo* sessionP = sessionListP != nullptr ? sessionListP->getFirst() : nullptr;
  StripeData* stripeP = m_StripeDataList.getFirst();
  for (uint32_t i = 0; i < numStripes; i++) {
    if (sessionP == nullptr || stripeP == nullptr) {
      TRACE_LINE(TRC_ENGINE, "Fewer sessions (%u) than stripes (%u).\n", i, numStripes);
      return RC_INTERNAL_ERROR;
    }
    stripeP->hublorSessionInfoP = sessionP;
    stripeP->size64 = pkInt64FromNative(static_cast<int64_t>(size));
    memset(&stripeP->objName, 0, sizeof stripeP->objName);
    stripeP->objName.objType = PELK_OBJ_FILE;
    int rc = buildFsName(stripeP->objName.fs, m_SqlServerElementP->szSqlServerName, i + 1);
    if (rc != RC_OK) return rc;
    sessionP = sessionListP->getNext(sessionP);
    stripeP = m_StripeDataList.getNext(stripeP);
  }
  m_BackupDataSizeEst64 = size * numStripes;
  return RC_OK;
}

int CBackupDb::createDeviceSet() {
  VDConfig config;
  memset(&config, 0, sizeof config);
  config.deviceCount = m_NumStripes;
  config.features = kVdsFeatures;
  const char16_t* firstNameP = m_StripeDataList.getFirst()->vdevNameW;
  HRESULT hr = S_OK;
  if (isSql7(m_SqlServerElementP)) {
    hr = vds_Create(&m_ConsumerApiStatus, m_Vdi.m_VdsP, firstNameP, &config);
    if (FAILED(hr)) {
      TRACE_LINE(TRC_ENGINE, "VDS_CREATE( %s ) failed, hResult = %#x\n",
                 m_StripeDataList.getFirst()->vdevName, unsigned(hr));
    }
  } else if (m_SqlInstanceNameW[0] != 0) {
    hr =
        vds2_CreateEx(&m_ConsumerApiStatus, m_Vdi.m_Vds2P, m_SqlInstanceNameW, firstNameP, &config);
    if (FAILED(hr)) {
      TRACE_LINE(TRC_ENGINE, "VDS2_CREATEEX( %s ) failed, hResult = %#x\n",
                 m_StripeDataList.getFirst()->vdevName, unsigned(hr));
    }
  } else {
    hr = vds2_Create(&m_ConsumerApiStatus, m_Vdi.m_Vds2P, firstNameP, &config);
    if (FAILED(hr)) {
      TRACE_LINE(TRC_ENGINE, "VDS2_CREATE( %s ) failed, hResult = %#x\n",
                 m_StripeDataList.getFirst()->vdevName, unsigned(hr));
    }
  }
  if (FAILED(hr)) return RC_VDS_CREATE_FAILED;
  m_SetCreated = true;
  return RC_OK;
}

int CBackupDb::initializeStripes() {
  int rc = RC_OK;
  for (StripeData* p : stripes()) {
    int stripeRc = p->backupStripeP->initializeRun();
    if (rc == RC_OK) rc = stripeRc;
  }
  if (rc != RC_OK) return rc;
  return m_BackupMetaDataP->initializeRun();
}

void CBackupDb::releaseDevices() {
  for (StripeData* p : allStripes(m_StripeDataList)) {
    if (p->vdevP == nullptr) continue;
    HRESULT hr = vdev_Release(&m_ConsumerApiStatus, p->vdevP);
    if (FAILED(hr)) {
      TRACE_LINE(TRC_ENGINE, "Ignoring VDEV_RELEASE( %s ) failure, hResult = %#x\n", p->vdevName,
                 unsigned(hr));
    }
    p->vdevP = nullptr;
    p->vdevCommandP = nullptr;
  }
  if (!m_SetCreated) return;
  HRESULT hr = isSql7(m_SqlServerElementP) ? vds_Close(&m_ConsumerApiStatus, m_Vdi.m_VdsP)
                                           : vds2_Close(&m_ConsumerApiStatus, m_Vdi.m_Vds2P);
  if (FAILED(hr))
    TRACE_LINE(TRC_ENGINE, "Ignoring VDS_CLOSE() failure, hResult = %#x\n", unsigned(hr));
  m_SetCreated = false;
}

// The end of a run however its steps end: the devices and the device set are released and the
// run's clock stops.
class CBackupDb::CRunEnd {
 public:
  explicit CRunEnd(CBackupDb& backup) : m_Backup(backup) { m_Backup.m_ElapsedTimer.start(); }
  ~CRunEnd() {
    m_Backup.releaseDevices();
    m_Backup.m_ElapsedTimer.stop();
  }
  CRunEnd(const CRunEnd&) = delete;
  CRunEnd& operator=(const CRunEnd&) = delete;

 private:
  CBackupDb& m_Backup;
};

int CBackupDb::run(uint32_t statusMilliSeconds, StatusFunction statusFunctionP,
                   CLinkedList<HublorSessionInfo>* hublorSessionInfoList, uint32_t dbBupSizeEstPct,
                   uint32_t backupType, SqlDbInfo* sqlDbInfoP, uint32_t* cancelledP,
                   uint32_t mountWait, uint32_t numStripes) {
  TRACE_ENTRY(TRC_ENGINE, "CBackupDb::run()");
  if (m_CtorRc != RC_OK) TRACE_RETURN(m_CtorRc);
  TRACE_RETURN(runSteps(statusMilliSeconds, statusFunctionP, hublorSessionInfoList, dbBupSizeEstPct,
                        backupType, sqlDbInfoP, cancelledP, mountWait, numStripes));
}

// The request's cancel is looked at before every step: seen, it ends the run as cancelled. A
// run of no stripes does nothing.
int CBackupDb::runSteps(uint32_t statusMilliSeconds, StatusFunction statusFunctionP,
                        CLinkedList<HublorSessionInfo>* sessionListP, uint32_t dbBupSizeEstPct,
                        uint32_t backupType, SqlDbInfo* sqlDbInfoP, uint32_t* cancelledP,
                        uint32_t mountWait, uint32_t numStripes) {
  CRunEnd end(*this);
  m_NumStripes = numStripes;
  if (numStripes == 0) return eriIsCancelled(cancelledP) ? RC_CANCELED_BY_USER : RC_OK;
  const std::function<int()> steps[] = {
      [&] { return prepareRun(backupType, sqlDbInfoP, mountWait); },
      [&] {
        m_ProcessCancelledP = cancelledP;  // the estimate's walk stops at a cancel
        return estimate(dbBupSizeEstPct);
      },
      [&] { return addStripes(numStripes); },
      [&] { return assignSessions(sessionListP, numStripes); },
      [this] { return createDeviceSet(); },
      [this] { return initializeStripes(); },
      [&] { return CPcm::run(statusMilliSeconds, statusFunctionP, cancelledP); },
  };
  for (const std::function<int()>& step : steps) {
    if (eriIsCancelled(cancelledP)) return RC_CANCELED_BY_USER;
    int rc = step();
    if (rc != RC_OK) return rc;
  }
  return RC_OK;
}

// ---- producer: the BACKUP statement ----

int CBackupDb::producer() {
  TRACE_ENTRY(TRC_ENGINE, "CBackupDb::producer()");
  int rc = m_CtorRc;
  if (rc == RC_OK && gSqlApiP == nullptr) {
    TRACE_LINE(TRC_ENGINE, "No SQL Server access object was given.\n");
    rc = RC_INTERNAL_ERROR;
  }
  if (rc == RC_OK && !transferCancelled()) {
    uint32_t numStripes = m_NumStripes;
    uint32_t backupType = uint32_t(m_BackupType);
    uint32_t* cancelP = &m_StripesCancelled;
    char* msgP = m_ProducerErrorMsg;
    rc = gSqlApiP->BackupSqlDatabase(*m_SqlBackupParametersP, m_SqlDbInfoP, m_StripeDataList,
                                     numStripes, backupType, m_ProducerApiStatus, cancelP, msgP);
  }
  // SQL Server's statement fails once the agent has aborted the device set: the failure
  // that made the agent abort is the backup's, not the statement's.
  // A cancel after the completion committed no longer gives the backup up.
  if (givenUp()) rc = RC_RING_CANCELLED;
  if (rc == RC_CANCELED_BY_USER) rc = RC_RING_CANCELLED;
  if (rc != RC_OK) cancel();
  m_ProducerRc = rc;
  TRACE_RETURN(rc);
}

int CBackupDb::RUN() {
  TRACE_ENTRY(TRC_ENGINE, "CBackupDb::RUN()");
  m_ProducerRc = RC_OK;
  m_ConsumerRc = RC_OK;
  int rc = CPcm::RUN();
  bool consumerFailed = m_ConsumerRc != RC_OK && m_ConsumerRc != RC_RING_CANCELLED &&
                        m_ConsumerRc != RC_CANCELED_BY_USER;
  bool sqlEnded = m_ConsumerRc == RC_CANCELLED_BY_SQL || m_ConsumerRc == RC_VDI_ABORTED;
  if (rc == m_ProducerRc && rc != RC_OK && consumerFailed && !sqlEnded) {
    TRACE_LINE(TRC_ENGINE, "The statement failed after the backup did, rc = %d; result %d\n", rc,
               m_ConsumerRc);
    rc = m_ConsumerRc;
    m_ResultMsgP = m_ConsumerErrorMsg;
  }
  TRACE_RETURN(rc);
}

// ---- consumer, first half: the stripes ----

int CBackupDb::waitForDeviceSet() {
  VDConfig config;
  memset(&config, 0, sizeof config);
  const char* setP = isSql7(m_SqlServerElementP) ? "VDS" : "VDS2";
  for (;;) {
    if (transferCancelled()) return RC_RING_CANCELLED;
    HRESULT hr = isSql7(m_SqlServerElementP)
                     ? vds_GetConfiguration(&m_ConsumerApiStatus, m_Vdi.m_VdsP,
                                            kVdsWaitMilliSeconds, &config)
                     : vds2_GetConfiguration(&m_ConsumerApiStatus, m_Vdi.m_Vds2P,
                                             kVdsWaitMilliSeconds, &config);
    if (SUCCEEDED(hr)) return RC_OK;
    if (hr != VD_E_TIMEOUT) {
      TRACE_LINE(TRC_ENGINE, "%s_GETCONFIGURATION( %u ) failed, hResult = %#x\n", setP,
                 unsigned(kVdsWaitMilliSeconds), unsigned(hr));
      return transferCancelled() ? RC_RING_CANCELLED : RC_VDS_CONFIG_FAILED;
    }
    TRACE_LINE(TRC_ENGINE,
               "%s_GETCONFIGURATION( %u ) timed out, hResult = %#x\nAttempting re-try...\n", setP,
               unsigned(kVdsWaitMilliSeconds), unsigned(hr));
  }
}

// The temporary names of the data objects: the final low-level name with the backup's time
// and process id behind a dot.
int CBackupDb::nameObjects() {
  dateGetNow(&m_ZarnakObjId.backupTime);
  const agentDateTime& t = m_ZarnakObjId.backupTime;
  const SqlDbInfo& info = *m_SqlDbInfoP;
  const char* groupP =
      info.sqlGroupElementP != nullptr ? info.sqlGroupElementP->szGroupName : nullptr;
  const char* fileP =
      info.sqlFileElementP != nullptr ? info.sqlFileElementP->szFileLogicalName : nullptr;
  int pidWidth = static_cast<int>(strlen(HL_PID));
  for (StripeData* p : stripes()) {
    char delimiter = p->hublorSessionInfoP->apiSessInfo.hldelim;
    int rc = buildHl(p->objName.hl, info.sqlDatabaseElementP->szSqlDatabaseName, groupP, fileP,
                     delimiter, uint32_t(m_BackupType), &m_ZarnakObjId);
    if (rc != RC_OK) return rc;
    snprintf(p->objName.ll, sizeof p->objName.ll, "%c%s%s%04u%02u%02u%02u%02u%02u%*.*X", delimiter,
             backupTypeLlNames[m_BackupType], ".", unsigned(dateYear(&t)), t.month, t.day, t.hour,
             t.minute, t.second, pidWidth, pidWidth, m_ZarnakObjId.processId);
  }
  return RC_OK;
}

int CBackupDb::nameMetaDataObject() {
  StripeData* firstP = m_StripeDataList.getFirst();
  memset(&m_MetaDataObjName, 0, sizeof m_MetaDataObjName);
  m_MetaDataObjName.objType = PELK_OBJ_FILE;
  int rc = buildFsName(m_MetaDataObjName.fs, m_SqlServerElementP->szSqlServerName, 0);
  if (rc != RC_OK) return rc;
  memcpy(m_MetaDataObjName.hl, firstP->objName.hl, sizeof m_MetaDataObjName.hl);
  snprintf(m_MetaDataObjName.ll, sizeof m_MetaDataObjName.ll, "%c%s",
           firstP->hublorSessionInfoP->apiSessInfo.hldelim, backupTypeLlNames[m_BackupType]);
  return RC_OK;
}

int CBackupDb::openDevices() {
  for (StripeData* p : stripes()) {
    HRESULT hr =
        isSql7(m_SqlServerElementP)
            ? vds_OpenDevice(&m_ConsumerApiStatus, m_Vdi.m_VdsP, p->vdevNameW, &p->vdevP)
            : vds2_OpenDevice(&m_ConsumerApiStatus, m_Vdi.m_Vds2P, p->vdevNameW, &p->vdevP);
    if (FAILED(hr)) {
      TRACE_LINE(TRC_ENGINE, "%s_OPENDEVICE( %s ) failed, hResult = %#x\n",
                 isSql7(m_SqlServerElementP) ? "VDS" : "VDS2", p->vdevName, unsigned(hr));
      p->vdevP = nullptr;
      return RC_VDEV_OPEN_FAILED;
    }
  }
  return RC_OK;
}

int CBackupDb::passStripeParameters() {
  int rc = RC_OK;
  for (StripeData* p : stripes()) {
    p->rc = RC_INTERNAL_ERROR;
    p->vdevCommandP = nullptr;
    int stripeRc = p->backupStripeP->passRUNParameters(
        m_StatusMilliSeconds, nullptr, *p, &m_StripesCancelled, m_MountWait, &m_ZarnakObjId);
    if (rc == RC_OK) rc = stripeRc;
  }
  m_ObjectSize = m_BackupDataSizeEst64;
  return rc;
}

void CBackupDb::cancelStripes() {
  abandon();
  for (StripeData* p : stripes()) p->backupStripeP->cancel();
}

void CBackupDb::logStripeFailure(uint32_t stripeNumber, int rc, const char* textP) {
  if (gLogP == nullptr) return;
  gLogP->LogActivityLog(MSG_STRIPE_FAILED, stripeNumber + 1, rc);
  logTextOrRcMessage(textP, rc);
}

void CBackupDb::noteStripeEnd(StripeData* stripeP, uint32_t exitCode, int* rcP) {
  int code = static_cast<int>(exitCode);
  uint32_t n = stripeP->stripeNumber;
  if (code == RC_OK) {
    TRACE_LINE(TRC_ENGINE, "PCM[ %u ] completed successfully.\n", n);
    return;
  }
  // Once the stripes are cancelled, SQL Server may end the conversation before a stripe sees
  // its cancel: that end is the cancel's, not a failure.
  bool sqlEnd = code == RC_CANCELLED_BY_SQL || code == RC_VDI_ABORTED;
  if (sqlEnd && std::atomic_ref<uint32_t>(m_StripesCancelled).load() != 0) code = RC_RING_CANCELLED;
  if (code == RC_CANCELED_BY_USER || code == RC_RING_CANCELLED) {
    TRACE_LINE(TRC_ENGINE, "PCM[ %u ] %s\n", n,
               code == RC_CANCELED_BY_USER ? "was cancelled" : "was internally cancelled");
    return;
  }
  const char* textP = stripeP->backupStripeP->resultMessage();
  TRACE_LINE(TRC_ENGINE, "PCM[ %u ] failed, rc = %d, msg = %s\n", n, code, textP ? textP : "");
  logStripeFailure(n, code, textP);
  // A device that reports SQL Server's end of the conversation only follows another failure:
  // a stripe's own failure decides over it.
  bool sqlEnded = *rcP == RC_CANCELLED_BY_SQL || *rcP == RC_VDI_ABORTED;
  if (*rcP != RC_OK && !(sqlEnded && code != RC_CANCELLED_BY_SQL && code != RC_VDI_ABORTED)) return;
  *rcP = code;
  snprintf(m_ConsumerErrorMsg, sizeof m_ConsumerErrorMsg, "%s", textP != nullptr ? textP : "");
  cancelStripes();
}

// Runs every stripe on a thread of its own and waits for them all; the first failure cancels
// the others, and so does a cancel of the request or of the transfer as soon as it is made.
int CBackupDb::runStripes() {
  uint32_t count = m_NumStripes;
  std::unique_ptr<psThread[]> threads(new (std::nothrow) psThread[count]());
  std::unique_ptr<StripeData*[]> slots(new (std::nothrow) StripeData*[count]());
  if (!threads || !slots) {
    TRACE_LINE(TRC_ENGINE, "Insufficent memory, MALLOC( %u ) failed\n",
               unsigned(count * (sizeof(psThread) + sizeof(StripeData*))));
    return RC_NO_MEMORY;
  }
  int rc = RC_OK;
  uint32_t started = 0;
  for (StripeData* p : stripes()) {
    slots[started] = p;
    int startRc = psThreadCreate(&threads[started], CPcm::runRUN, p->backupStripeP);
    if (startRc != RC_OK) {
      TRACE_LINE(TRC_ENGINE, "threadCreate( runRUN ) failed, rc = %d\n", startRc);
      rc = startRc;
      cancelStripes();
      break;
    }
    started++;
  }
  uint32_t remaining = started;
  uint32_t completed = 0;
  bool cancelSent = false;
  while (remaining > 0) {
    uint32_t index = 0;
    int waitRc = waitForAnyStripe(threads.get(), &index, remaining, &cancelSent,
                                  [this] { cancelStripes(); });
    if (waitRc != RC_OK) {
      TRACE_LINE(TRC_ENGINE, "waitForAnyThread() failed, rc = %d\n", waitRc);
      if (rc == RC_OK) rc = waitRc;
      cancelStripes();
      psThreadWaitForThreads(threads.get(), remaining);
      break;
    }
    remaining--;
    std::swap(threads[index], threads[remaining]);
    std::swap(slots[index], slots[remaining]);
    uint32_t exitCode = RC_INTERNAL_ERROR;
    psThreadGetExitCode(threads[remaining], &exitCode);
    if (exitCode == RC_OK) completed++;
    noteStripeEnd(slots[remaining], exitCode, &rc);
  }
  for (uint32_t k = 0; k < started; k++) {
    int releaseRc = psThreadRelease(&threads[k]);
    if (releaseRc != RC_OK) TRACE_LINE(TRC_ENGINE, "threadRelease() failed, rc = %d\n", releaseRc);
  }
  if (rc == RC_OK && completed < count) {
    if (transferCancelled()) return RC_CANCELED_BY_USER;
    TRACE_LINE(TRC_ENGINE,
               "At least one pcm did not run but the process was not cancelled and no errors "
               "were detected\n");
    return RC_INTERNAL_ERROR;
  }
  return rc;
}

void CBackupDb::addStripeCounters() {
  for (StripeData* p : stripes()) {
    m_BytesConsumed += p->backupStripeP->bytesConsumed();
    m_BytesProduced += p->backupStripeP->bytesProduced();
  }
}

// The completion runs whatever the steps before it ended with: it makes the backup visible,
// or tells SQL Server that the backup failed.
int CBackupDb::consumer() {
  TRACE_ENTRY(TRC_ENGINE, "CBackupDb::consumer()");
  int rc = complete(sendStripes());
  m_ConsumerRc = rc;
  TRACE_RETURN(rc);
}

// The consumer's steps up to the completion; the first failure ends them.
int CBackupDb::sendStripes() {
  if (m_CtorRc != RC_OK) return m_CtorRc;
  int rc = waitForDeviceSet();
  if (rc != RC_OK) return rc;
  rc = nameObjects();
  if (rc != RC_OK) return rc;
  if (!transferCancelled()) cleanUp(m_OlderThan, PELK_ANYMATCH);
  rc = nameMetaDataObject();
  if (rc != RC_OK) return rc;
  if (transferCancelled()) return RC_RING_CANCELLED;
  rc = openDevices();
  if (rc != RC_OK) return rc;
  rc = passStripeParameters();
  if (rc != RC_OK) return rc;
  rc = runStripes();
  if (rc != RC_OK) cleanUp(0, PELK_ACTIVE);
  addStripeCounters();
  return rc;
}

// ---- progress ----

int CBackupDb::giveProgressStatus(StatusInfo status) {
  status.kind = progressStatus;
  bool waitSent = reportDelay(m_ConsumerApiStatus, &status, true);
  StatusProgress progress = {0, 0, 0, m_BackupDataSizeEst64, 0};
  if (!waitSent) {
    for (StripeData* p : stripes()) {
      waitSent = reportDelay(p->backupStripeP->producerApiStatus(), &status, true);
      if (waitSent) break;
    }
  }
  for (StripeData* p : stripes()) {
    CBackupStripe* stripeP = p->backupStripeP;
    if (!waitSent) waitSent = reportDelay(stripeP->consumerApiStatus(), &status, true);
    progress.bytesConsumed += stripeP->bytesConsumed();
    progress.bytesProduced += stripeP->bytesProduced();
    progress.fullBuffers += stripeP->fullCount();
  }
  CPcm* metaP = m_BackupMetaDataP;
  if (!waitSent) waitSent = reportDelay(CPcmEnd::producerApiStatus(metaP), &status, true);
  if (!waitSent) waitSent = reportDelay(CPcmEnd::consumerApiStatus(metaP), &status, true);
  progress.bytesConsumed += CPcmEnd::bytesConsumed(metaP).load();
  progress.bytesProduced += CPcmEnd::bytesProduced(metaP).load();
  progress.fullBuffers += CPcmEnd::ring(metaP).fullCount();
  m_ElapsedTimer.stop();
  progress.elapsedSeconds = m_ElapsedTimer.elapsedSeconds();
  if (waitSent || m_StatusFunctionP == nullptr) return RC_OK;
  status.progress = progress;
  m_StatusFunctionP(status);
  return RC_OK;
}
