// The request base: the order of a request's steps, its cancel flag and the process-wide
// current request.
#include "baseeri.h"

#include <atomic>
#include <mutex>

#include "agtlog.h"
#include "agtrc.h"
#include "agttrc.h"
#include "msgout.h"
#include "pstime.h"

namespace {

constexpr int MSG_ELAPSED = 153;

// Written by request threads, read by the cancel path on another thread. s_CurrentMutex is
// held around every change of the pointer and around the cancel's read-and-set, so a request
// is never cancelled through the pointer once its entry has cleared it (and may destroy it).
std::atomic<DBaseEri*> s_CurrentRequestP{nullptr};
std::mutex s_CurrentMutex;

// The wake-ups registered by waiting threads, a doubly linked list through the objects.
// Lock order: s_CurrentMutex (a cancel through the current request), then s_WakeMutex.
std::mutex s_WakeMutex;
EriCancelWake* s_FirstWakeP = nullptr;  // guarded by s_WakeMutex

}  // namespace

EriCancelWake::EriCancelWake(void (*wakeP)(void* contextP), void* contextP)
    : m_WakeP(wakeP), m_ContextP(contextP) {
  std::lock_guard<std::mutex> hold(s_WakeMutex);
  m_NextP = s_FirstWakeP;
  if (m_NextP != nullptr) m_NextP->m_PrevP = this;
  s_FirstWakeP = this;
}

EriCancelWake::~EriCancelWake() {
  std::lock_guard<std::mutex> hold(s_WakeMutex);
  if (m_PrevP != nullptr) {
    m_PrevP->m_NextP = m_NextP;
  } else {
    s_FirstWakeP = m_NextP;
  }
  if (m_NextP != nullptr) m_NextP->m_PrevP = m_PrevP;
}

void eriWakeCancelWaiters() {
  std::lock_guard<std::mutex> hold(s_WakeMutex);
  for (EriCancelWake* wakeP = s_FirstWakeP; wakeP != nullptr; wakeP = wakeP->m_NextP)
    wakeP->m_WakeP(wakeP->m_ContextP);
}

uint32_t eriIsCancelled(const uint32_t* cancelP) {
  if (cancelP == nullptr) return 0;
  return std::atomic_ref<uint32_t>(*const_cast<uint32_t*>(cancelP))
                     .load(std::memory_order_relaxed) != 0
             ? 1
             : 0;
}

DBaseEri::DBaseEri() : m_Cancel(0), m_CancelP(&m_Cancel), m_ErrorTextP(nullptr) {
  TRACE_ENTRY(TRC_ERI, "DBaseEri::DBaseEri()");
}

DBaseEri::DBaseEri(uint32_t* cancelP)
    : m_Cancel(0), m_CancelP(cancelP != nullptr ? cancelP : &m_Cancel), m_ErrorTextP(nullptr) {
  TRACE_ENTRY(TRC_ERI, "DBaseEri::DBaseEri(uint32_t *)");
}

DBaseEri::~DBaseEri() {
  TRACE_ENTRY(TRC_ERI, "DBaseEri::~DBaseEri()");
}

int DBaseEri::ProcessRequest() {
  TRACE_ENTRY(TRC_ERI, "DBaseEri::ProcessRequest()");
  int rc = SetupEnvironment();
  if (rc != RC_OK) TRACE_RETURN(rc);
  rc = ProcessRequestDetails();
  if (rc != RC_OK) {
    CleanupEnvironment();
    TRACE_RETURN(rc);
  }
  TRACE_RETURN(CleanupEnvironment());
}

int DBaseEri::SetCancel() {
  TRACE_ENTRY(TRC_ERI, "DBaseEri::SetCancel()");
  std::atomic_ref<uint32_t>(*m_CancelP).store(1, std::memory_order_relaxed);
  eriWakeCancelWaiters();
  TRACE_RETURN(RC_OK);
}

int DBaseEri::ResetCancel() {
  TRACE_ENTRY(TRC_ERI, "DBaseEri::ResetCancel()");
  std::atomic_ref<uint32_t>(*m_CancelP).store(0, std::memory_order_relaxed);
  TRACE_RETURN(RC_OK);
}

uint32_t DBaseEri::GetCancelStatus() {
  TRACE_ENTRY(TRC_ERI, "DBaseEri::GetCancelStatus()");
  TRACE_RETURN(eriIsCancelled(m_CancelP));
}

void DBaseEri::SetCancelPtr(uint32_t* cancelP) {
  TRACE_ENTRY(TRC_ERI, "DBaseEri::SetCancelPtr()");
  if (cancelP != nullptr) m_CancelP = cancelP;
}

void DBaseEri::ResetCancelPtr() {
  TRACE_ENTRY(TRC_ERI, "DBaseEri::ResetCancelPtr()");
  m_CancelP = &m_Cancel;
}

uint32_t* DBaseEri::GetCancelPtr() {
  TRACE_ENTRY(TRC_ERI, "DBaseEri::GetCancelPtr()");
  return m_CancelP;
}

char* DBaseEri::GetMessageBuffer() {
  TRACE_ENTRY(TRC_ERI, "DBaseEri::GetMessageBuffer()");
  return m_ErrorTextP;
}

void setCurrentRequest(DBaseEri* requestP) {
  std::lock_guard<std::mutex> hold(s_CurrentMutex);
  s_CurrentRequestP.store(requestP);
}

uint32_t eriCancelCurrentRequest() {
  std::lock_guard<std::mutex> hold(s_CurrentMutex);
  DBaseEri* requestP = s_CurrentRequestP.load();
  if (requestP == nullptr) return 0;
  requestP->SetCancel();
  return 1;
}

DBaseEri* getCurrentRequest() {
  return s_CurrentRequestP.load();
}

int eriRunRequest(DBaseEri* requestP, const char* labelP, uint32_t logElapsed) {
  TRACE_ENTRY(TRC_ERI, "eriRunRequest()");
  psTimer timer;
  timer.start();
  setCurrentRequest(requestP);
  int rc = requestP->ProcessRequest();
  setCurrentRequest(nullptr);
  // A request that failed after a cancel failed because of it (a password prompt that the
  // cancel ended fails the logon): the user sees the cancel, not the step it broke.
  if (rc != RC_OK && rc != RC_CANCELED_BY_USER && requestP->GetCancelStatus() != 0) {
    TRACE_LINE(TRC_ERI, "The cancelled request ended with %u: reported as cancelled.\n", rc);
    rc = RC_CANCELED_BY_USER;
  }
  timer.stop();
  if (!gTrace.isOn(TRC_PERFORMANCE)) TRACE_RETURN(rc);
  double seconds = timer.elapsedSeconds();
  if (logElapsed == 1 && gLogP != nullptr) {
    gLogP->LogActivityLog(MSG_ELAPSED, seconds, labelP);
  } else {
    char text[NLS_MSG_MAX];
    nlsprintf(text, sizeof text, MSG_ELAPSED, seconds, labelP);
    TRACE_LINE(TRC_PERFORMANCE, "%s\n", text);
  }
  TRACE_RETURN(rc);
}
