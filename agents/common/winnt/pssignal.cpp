// Console control events from signals: one thread waits for the four signals that stand for
// them and hands each to the process's handler.
#include <pthread.h>
#include <signal.h>

#include <atomic>
#include <thread>

#include "agttrc.h"
#include "psutil.h"

namespace {

// Written by the caller of psSetConsoleCtrlHandler, read by the signal thread.
std::atomic<psConsoleCtrlHandler> s_HandlerP{nullptr};
std::atomic<bool> s_ThreadStarted{false};

struct SignalEvent {
  int signo;
  uint32_t event;
};
const SignalEvent kSignalEvents[] = {
    {SIGINT, PS_CTRL_C_EVENT},
    {SIGQUIT, PS_CTRL_BREAK_EVENT},
    {SIGHUP, PS_CTRL_CLOSE_EVENT},
    {SIGTERM, PS_CTRL_SHUTDOWN_EVENT},
};

sigset_t consoleSignals() {
  sigset_t set;
  sigemptyset(&set);
  for (const SignalEvent& row : kSignalEvents) sigaddset(&set, row.signo);
  return set;
}

// What the signal would have done had nobody waited for it: unblocked here with its default
// action, raised again on this thread.
void defaultAction(int signo) {
  signal(signo, SIG_DFL);
  sigset_t one;
  sigemptyset(&one);
  sigaddset(&one, signo);
  pthread_sigmask(SIG_UNBLOCK, &one, nullptr);
  raise(signo);
}

void waitForSignals() {
  sigset_t set = consoleSignals();
  for (;;) {
    int signo = 0;
    if (sigwait(&set, &signo) != 0) continue;
    uint32_t event = 0;
    for (const SignalEvent& row : kSignalEvents) {
      if (row.signo == signo) event = row.event;
    }
    TRACE_LINE(TRC_GENERAL, "Signal %d received as console event %u\n", signo, event);
    psConsoleCtrlHandler handlerP = s_HandlerP.load();
    if (handlerP == nullptr || handlerP(event) == 0) defaultAction(signo);
  }
}

}  // namespace

int psSetConsoleCtrlHandler(psConsoleCtrlHandler handlerP) {
  s_HandlerP.store(handlerP);
  // An output that went away (a pipe whose reader ended) fails the write that meets it with
  // EPIPE instead of killing the process in the middle of an operation: the operation runs to
  // its end and records its outcome.
  signal(SIGPIPE, SIG_IGN);
  sigset_t set = consoleSignals();
  pthread_sigmask(SIG_BLOCK, &set, nullptr);
  if (s_ThreadStarted.exchange(true)) return RC_OK;
  try {
    std::thread(waitForSignals).detach();
  } catch (...) {
    s_ThreadStarted = false;
    return RC_INTERNAL_ERROR;
  }
  return RC_OK;
}
