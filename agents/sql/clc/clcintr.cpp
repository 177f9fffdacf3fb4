// The console control handler of zarnaksqlc: Ctrl-C, Ctrl-Break, closing the terminal and
// shutdown cancel the running request, or end the program after its clean-up when none runs.
#include <atomic>

#include "agtrc.h"
#include "agttrc.h"
#include "clc.h"
#include "erifunc.h"
#include "psutil.h"

namespace {

// Kept by InitInterruptHandler, read on the signal thread.
std::atomic<EriExitCallback> s_ExitCallbackP{nullptr};

int ntConsoleEventHandler(uint32_t event) {
  switch (event) {
    case PS_CTRL_C_EVENT:
    case PS_CTRL_BREAK_EVENT:
    case PS_CTRL_CLOSE_EVENT:
    case PS_CTRL_SHUTDOWN_EVENT:
      TRACE_LINE(TRC_CMD, "ntConsoleEventHandler(%u): calling eriCancelRequest()\n", event);
      // With no request running this ends the program; otherwise the request is cancelled,
      // and a prompt it (or the command after it) waits at ends now.
      eriCancelRequest(s_ExitCallbackP.load());
      psCancelConsoleInput();
      return 1;
    case PS_CTRL_LOGOFF_EVENT:
      TRACE_LINE(TRC_CMD, "Logoff event received.  Processing continues.\n");
      return 0;
    default:
      TRACE_LINE(TRC_CMD, "Unknown event (%d) received.\n", static_cast<int>(event));
      return 0;
  }
}

}  // namespace

int InitInterruptHandler(int (*exitCallbackP)(int)) {
  s_ExitCallbackP.store(exitCallbackP);
  psSetConsoleCtrlHandler(ntConsoleEventHandler);
  return RC_OK;
}
