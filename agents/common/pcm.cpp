#include "pcm.h"

#include <algorithm>
#include <chrono>
#include <cinttypes>
#include <cstdio>

#include "agtrc.h"
#include "agttrc.h"

namespace {

// Thread slots of one run, in the order RUN creates them; the monitor always comes last.
enum PcmThread { kProducerThread = 0, kConsumerThread = 1, kMonitorThread = 2, kPcmThreads = 3 };

struct PcmThreadStart {
  psThreadStartRtn startRtn;
  const char* failureP;
};
const PcmThreadStart kThreadStarts[kPcmThreads] = {
    {CPcm::runProducer, "threadCreate( runProducer ) failed, rc = %d\n"},
    {CPcm::runConsumer, "threadCreate( runConsumer ) failed, rc = %d\n"},
    {CPcm::runMonitor, "threadCreate( runMonitor ) failed, rc = %d\n"},
};

// A code that decides a transfer's result by itself: a failure other than the ring's cancel.
bool pcmIsFailure(int rc) {
  return rc != RC_OK && rc != RC_RING_CANCELLED;
}

}  // namespace

PcmResult pcmDecideResult(int producerRc, int consumerRc, int monitorRc) {
  if (pcmIsFailure(producerRc)) {
    return {producerRc, pcmResultProducer};
  }
  if (pcmIsFailure(consumerRc)) {
    return {consumerRc, pcmResultConsumer};
  }
  if (producerRc == RC_RING_CANCELLED || consumerRc == RC_RING_CANCELLED) {
    return {monitorRc != RC_OK ? monitorRc : RC_RING_CANCELLED, pcmResultMonitor};
  }
  return {0, pcmResultNone};
}

CPcm::CPcm(uint32_t numBuffers, uint32_t bufferSizeKb) : m_Ring(numBuffers, bufferSizeKb) {
  TRACE_ENTRY(TRC_PCM, "CPcm::CPcm()");
}

CPcm::~CPcm() {
  TRACE_ENTRY(TRC_PCM, "CPcm::~CPcm()");
}

int CPcm::initializeRun() {
  TRACE_ENTRY(TRC_PCM, "CPcm::initializeRun()");
  m_StatusMilliSeconds = kPcmDefaultStatusMilliSeconds;
  m_BytesConsumed = 0;
  m_BytesProduced = 0;
  m_ObjectSize = 0;
  m_Cancelled = 0;
  {
    std::lock_guard<std::mutex> lock(m_DoneMutex);
    m_Done = false;
    m_CancelWoken = false;
  }
  m_ResultMsgP = nullptr;
  m_ProcessCancelledP = nullptr;
  m_StatusFunctionP = nullptr;
  for (char* textP : {m_ConsumerErrorMsgP, m_ProducerErrorMsgP, m_MsgBuffer}) {
    if (textP != nullptr) {
      textP[0] = '\0';
    }
  }
  TRACE_RETURN(RC_OK);
}

int CPcm::passRUNParameters(uint32_t statusMilliSeconds, StatusFunction statusFunctionP,
                            uint32_t* cancelledP) {
  TRACE_ENTRY(TRC_PCM, "CPcm::passRUNParameters()");
  m_StatusMilliSeconds = statusMilliSeconds;
  m_StatusFunctionP = statusFunctionP;
  m_ProcessCancelledP = cancelledP;
  TRACE_RETURN(RC_OK);
}

void CPcm::setEnds(const char* producerApiP, char* producerMsgP, uint16_t producerMsgLen,
                   const char* consumerApiP, char* consumerMsgP, uint16_t consumerMsgLen) {
  m_ProducerApiStatus.apiNameP = producerApiP;
  m_ConsumerApiStatus.apiNameP = consumerApiP;
  m_ProducerErrorMsgP = producerMsgP;
  m_ConsumerErrorMsgP = consumerMsgP;
  m_ProducerErrorMsgLen = producerMsgLen;
  m_ConsumerErrorMsgLen = consumerMsgLen;
}

int CPcm::run(uint32_t statusMilliSeconds, StatusFunction statusFunctionP, uint32_t* cancelledP) {
  TRACE_ENTRY(TRC_PCM, "CPcm::run()");
  int rc = initializeRun();
  if (rc != RC_OK) TRACE_RETURN(rc);
  rc = passRUNParameters(statusMilliSeconds, statusFunctionP, cancelledP);
  if (rc != RC_OK) TRACE_RETURN(rc);
  TRACE_RETURN(RUN());
}

int CPcm::cancel() {
  TRACE_ENTRY(TRC_PCM, "CPcm::cancel()");
  m_Cancelled = 1;
  m_Ring.cancelDataTransfer();
  TRACE_RETURN(RC_OK);
}

bool CPcm::cancelRequested() const {
  return m_ProcessCancelledP != nullptr &&
         std::atomic_ref<uint32_t>(*m_ProcessCancelledP).load(std::memory_order_relaxed) == 1;
}

int CPcm::RUN() {
  TRACE_ENTRY(TRC_PCM, "CPcm::RUN()");
  int rc = checkSetup();
  if (rc != RC_OK) {
    TRACE_RETURN(rc);
  }
  rc = m_Ring.resetRing();
  if (rc != RC_OK) {
    TRACE_RETURN(rc);
  }
  {
    // A transfer may run several times after one initializeRun (a restore stripe runs once
    // per data object): each run's monitor waits for that run's end.
    std::lock_guard<std::mutex> lock(m_DoneMutex);
    m_Done = false;
  }
  psThread threads[kPcmThreads] = {};
  uint32_t count = 0;
  rc = startThreads(threads, &count);
  if (rc != RC_OK) {
    cancel();  // threads already started leave their waits
  }
  int joinRc = joinThreads(threads, count);
  if (rc == RC_OK) {
    rc = joinRc;
  }
  if (rc != RC_OK) {
    cancel();
  } else {
    rc = decide(threads);
  }
  for (uint32_t k = 0; k < count; k++) {
    psThread thread = threads[k];
    int releaseRc = psThreadRelease(&threads[k]);
    if (releaseRc != RC_OK) {
      TRACE_LINE(TRC_PCM, "threadRelease() failed, thread[ %u ] = %p, rc = %d\n", k,
                 static_cast<void*>(thread), releaseRc);
    }
  }
  TRACE_RETURN(rc);
}

int CPcm::checkSetup() {
  if (m_ProducerApiStatus.apiNameP == nullptr || m_ConsumerApiStatus.apiNameP == nullptr ||
      m_ConsumerErrorMsgLen == 0 || m_ProducerErrorMsgLen == 0 || m_ConsumerErrorMsgP == nullptr ||
      m_ProducerErrorMsgP == nullptr) {
    TRACE_LINE(TRC_PCM,
               "The base pcm object was not properly initialized.\n"
               "  m_ProducerApiStatus.apiNameP: %p\n"
               "  m_ConsumerApiStatus.apiNameP: %p\n"
               "  m_ConsumerErrorMsgLen       : %u\n"
               "  m_ProducerErrorMsgLen       : %u\n"
               "  m_ConsumerErrorMsgP         : %p\n"
               "  m_ProducerErrorMsgP         : %p\n",
               static_cast<const void*>(m_ProducerApiStatus.apiNameP),
               static_cast<const void*>(m_ConsumerApiStatus.apiNameP), m_ConsumerErrorMsgLen,
               m_ProducerErrorMsgLen, static_cast<void*>(m_ConsumerErrorMsgP),
               static_cast<void*>(m_ProducerErrorMsgP));
    return RC_INTERNAL_ERROR;
  }
  if (m_ProcessCancelledP == nullptr) {
    TRACE_LINE(TRC_PCM, "A required %s parameter was not passed.\n  m_ProcessCancelledP : %p\n",
               "CPcm::RUN()", static_cast<void*>(m_ProcessCancelledP));
    return RC_INTERNAL_ERROR;
  }
  return RC_OK;
}

int CPcm::startThreads(psThread threads[], uint32_t* countP) {
  for (const PcmThreadStart& start : kThreadStarts) {
    int rc = psThreadCreate(&threads[*countP], start.startRtn, this);
    if (rc != RC_OK) {
      TRACE_LINE(TRC_PCM, start.failureP, rc);
      return rc;
    }
    ++*countP;
  }
  return RC_OK;
}

// Joins the producer and the consumer, then ends the monitor and joins it. Without a monitor
// every thread started is joined at once. A failing wait is traced and returned; the monitor is
// still stopped and joined.
int CPcm::joinThreads(psThread threads[], uint32_t count) {
  uint32_t workers = count == kPcmThreads ? uint32_t{kMonitorThread} : count;
  int rc = workers > 0 ? psThreadWaitForThreads(threads, workers) : 0;
  if (rc != RC_OK) {
    TRACE_LINE(TRC_PCM, "waitForThreads() failed, rc = %d\n", rc);
  }
  signalEnd();
  if (count == kPcmThreads) {
    int monitorRc = psThreadWaitForThreads(&threads[kMonitorThread], 1);
    if (monitorRc != RC_OK) {
      TRACE_LINE(TRC_PCM, "waitForThreads() failed, rc = %d\n", monitorRc);
      rc = rc != RC_OK ? rc : monitorRc;
    }
  }
  return rc;
}

// Reads the three exit codes and applies the result rule; points m_ResultMsgP at the text that
// explains the result.
int CPcm::decide(psThread threads[]) {
  uint32_t exitCodes[kPcmThreads] = {};
  for (int k = 0; k < kPcmThreads; k++) {
    int rc = psThreadGetExitCode(threads[k], &exitCodes[k]);  // 419 in the code on failure
    if (rc != RC_OK) {
      TRACE_LINE(TRC_PCM, "threadGetExitCode() failed, thread[ %d ] = %p, rc = %d\n", k,
                 static_cast<void*>(threads[k]), rc);
    }
  }
  PcmResult result = pcmDecideResult(static_cast<int>(exitCodes[kProducerThread]),
                                     static_cast<int>(exitCodes[kConsumerThread]),
                                     static_cast<int>(exitCodes[kMonitorThread]));
  const char* messages[] = {nullptr, m_ProducerErrorMsgP, m_ConsumerErrorMsgP, m_MsgBuffer};
  m_ResultMsgP = messages[result.source];
  return result.rc;
}

uint32_t CPcm::statusInterval() const {
  // An interval of 0 would report in a tight loop; it means the default.
  return m_StatusMilliSeconds != 0 ? m_StatusMilliSeconds : kPcmDefaultStatusMilliSeconds;
}

void CPcm::signalEnd() {
  {
    std::lock_guard<std::mutex> lock(m_DoneMutex);
    m_Done = true;
  }
  m_DoneChanged.notify_all();
}

bool CPcm::waitForEnd(uint32_t milliseconds) {
  std::unique_lock<std::mutex> lock(m_DoneMutex);
  m_DoneChanged.wait_for(lock, std::chrono::milliseconds(milliseconds),
                         [this] { return m_Done || m_CancelWoken; });
  return m_Done;
}

bool CPcm::takeCancelWake() {
  std::lock_guard<std::mutex> lock(m_DoneMutex);
  bool woken = m_CancelWoken;
  m_CancelWoken = false;
  return woken;
}

// Looks at the cancel flag at least every half second, and at once when a cancel wakes it, and
// reports at each status interval; the wait between looks ends at once when the transfer does,
// so the run returns without waiting out a slice.
int CPcm::monitor() {
  TRACE_ENTRY(TRC_PCM, "CPcm::monitor()");
  EriCancelWake wake(
      [](void* pcmP) {
        CPcm* selfP = static_cast<CPcm*>(pcmP);
        {
          std::lock_guard<std::mutex> lock(selfP->m_DoneMutex);
          selfP->m_CancelWoken = true;
        }
        selfP->m_DoneChanged.notify_all();
      },
      this);
  uint32_t interval = statusInterval();
  uint32_t remaining = interval;
  for (;;) {
    if (cancelRequested() && m_Cancelled != 1) {
      cancel();
    }
    uint32_t slice = std::min(kPcmCancelCheckMilliSeconds, remaining);
    if (waitForEnd(slice)) {
      break;
    }
    // A slice cut short by a cancel is not counted: a report may come late, never early.
    if (takeCancelWake()) continue;
    remaining -= slice;
    if (remaining == 0) {
      remaining = interval;
      giveProgressStatus(StatusInfo{});
    }
  }
  giveProgressStatus(StatusInfo{});  // the last report shows the final counters
  TRACE_RETURN(cancelRequested() ? RC_CANCELED_BY_USER : 0);
}

int CPcm::giveProgressStatus(StatusInfo status) {
  status.kind = progressStatus;
  bool waitSent = reportDelay(m_ProducerApiStatus, &status, true);
  if (reportDelay(m_ConsumerApiStatus, &status, !waitSent)) {
    waitSent = true;
  }
  m_ElapsedTimer.stop();
  double elapsedSeconds = m_ElapsedTimer.elapsedSeconds();
  StatusProgress progress = {m_BytesConsumed.load(), m_BytesProduced.load(), m_Ring.fullCount(),
                             m_ObjectSize.load(), elapsedSeconds};
  if (gTrace.isOn(TRC_PCM)) {
    traceProgress(progress);
  }
  if (m_StatusFunctionP != nullptr && !waitSent) {
    status.progress = progress;
    m_StatusFunctionP(status);
  }
  return RC_OK;
}

// Traces a call of apiStatus that has run longer than the delay limit and, when mayReport and
// there is a callback, sends it as a wait report. True when a wait report went out.
bool CPcm::reportDelay(const DPelkApiStatus& apiStatus, StatusInfo* statusP, bool mayReport) {
  if (apiStatus.inApiCall != 1) {
    return false;
  }
  // The calling thread owns the record's timer: the monitor measures from the published stamp.
  psTimer sinceStart;
  sinceStart.m_StartCount = apiStatus.callStart;
  sinceStart.stop();
  double seconds = sinceStart.elapsedSeconds();
  if (seconds <= kPcmApiDelaySeconds) {
    return false;
  }
  const char* nameP = apiStatus.apiNameP != nullptr ? apiStatus.apiNameP : "<NULL>";
  TRACE_LINE(TRC_PCM, " %s API delay detected, total delay = %.0f seconds\n", nameP, seconds);
  if (!mayReport || m_StatusFunctionP == nullptr) {
    return false;
  }
  statusP->kind = waitStatus;
  statusP->wait.apiNameP = apiStatus.apiNameP;
  m_StatusFunctionP(*statusP);
  return true;
}

void CPcm::traceProgress(const StatusProgress& progress) {
  char produced[24];
  char consumed[24];
  snprintf(produced, sizeof produced, "%" PRIu64, progress.bytesProduced);
  snprintf(consumed, sizeof consumed, "%" PRIu64, progress.bytesConsumed);
  double rate = progress.elapsedSeconds > 0
                    ? (static_cast<double>(progress.bytesConsumed) / 1024) / progress.elapsedSeconds
                    : 0;
  TRACE_LINE(TRC_PCM, "Full: %3u  Read: %12s  Written: %12s  Rate: %7.2f Kb/Sec\n",
             progress.fullBuffers, produced, consumed, rate);
}

uint32_t CPcm::runProducer(void* pcmP) {
  return static_cast<uint32_t>(static_cast<CPcm*>(pcmP)->producer());
}

uint32_t CPcm::runConsumer(void* pcmP) {
  return static_cast<uint32_t>(static_cast<CPcm*>(pcmP)->consumer());
}

uint32_t CPcm::runMonitor(void* pcmP) {
  return static_cast<uint32_t>(static_cast<CPcm*>(pcmP)->monitor());
}

uint32_t CPcm::runRUN(void* pcmP) {
  return static_cast<uint32_t>(static_cast<CPcm*>(pcmP)->RUN());
}
