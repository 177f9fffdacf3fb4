// Events: auto-reset, created not signalled. One signal releases one waiter, or stays pending
// for the next one to wait, and clears itself; further signals while one is pending are lost.
#include <cerrno>
#include <condition_variable>
#include <mutex>
#include <new>

#include "psthread.h"
#include "pstrace.h"

struct psEventObj {
  std::mutex mutex;
  std::condition_variable signalled;
  bool pending = false;  // guarded by mutex
};

namespace {

const PsOpTexts kInitTexts = {PS_FAULT_EVENT_INIT, "psEventInit()", nullptr,
                              "Event created: %" PRIxPTR "\n", "CreateEvent() failed, rc = %d\n"};
const PsOpTexts kDestroyTexts = {PS_FAULT_EVENT_DESTROY, "psEventDestroy()", nullptr,
                                 "Event destroyed: %" PRIxPTR "\n",
                                 "CloseHandle() failed, event = %" PRIxPTR ", rc = %d\n"};
const PsOpTexts kResetTexts = {PS_FAULT_EVENT_RESET, "psEventReset()",
                               "Resetting event signal: %" PRIxPTR "\n",
                               "Event reset: %" PRIxPTR "\n", "ResetEvent() failed, rc = %d\n"};
const PsOpTexts kSignalTexts = {PS_FAULT_EVENT_SIGNAL, "psEventSignal()",
                                "Setting event signal: %" PRIxPTR "\n",
                                "Event signal set: %" PRIxPTR "\n", "SetEvent() failed, rc = %d\n"};
const PsOpTexts kWaitTexts = {
    PS_FAULT_EVENT_WAIT, "psEventWait()", "Waiting for event signal: %" PRIxPTR "\n",
    "Event signal received: %" PRIxPTR "\n", "WaitForSingleObject() failed, rc = %d\n"};

int createEvent(psEvent* eventP) {
  *eventP = new (std::nothrow) psEventObj;
  return *eventP != nullptr ? 0 : ENOMEM;
}

int destroyEvent(psEvent) {
  return 0;
}

int resetEvent(psEvent event) {
  std::lock_guard<std::mutex> lock(event->mutex);
  event->pending = false;
  return 0;
}

int signalEvent(psEvent event) {
  // Notified under the lock: a waiter that wakes may destroy the event at once.
  std::lock_guard<std::mutex> lock(event->mutex);
  event->pending = true;
  event->signalled.notify_one();
  return 0;
}

int waitEvent(psEvent event) {
  std::unique_lock<std::mutex> lock(event->mutex);
  event->signalled.wait(lock, [event] { return event->pending; });
  event->pending = false;
  return 0;
}

}  // namespace

int psEventInit(psEvent* eventP) {
  return psTracedCreate(TRC_EVENT, true, kInitTexts, eventP, createEvent);
}

int psEventDestroy(psEvent* eventP) {
  return psTracedClose(TRC_EVENT, true, kDestroyTexts, eventP, destroyEvent);
}

int psEventReset(psEvent event) {
  return psTracedCall(TRC_EVENT, true, kResetTexts, event, resetEvent);
}

int psEventSignal(psEvent event) {
  return psTracedCall(TRC_EVENT, true, kSignalTexts, event, signalEvent);
}

int psEventWait(psEvent event) {
  return psTracedCall(TRC_EVENT, true, kWaitTexts, event, waitEvent);
}
