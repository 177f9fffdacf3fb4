// For tests and benchmarks: the agent's way of serving one virtual device.
#pragma once

#include "vdi.h"

namespace vditest {

// Asks for commands in 1000 ms steps until the device answers something other than a command or
// a time-out; calls handle for each command. Returns the last answer.
template <typename Handle>
HRESULT serveCommands(IClientVirtualDevice* device, Handle handle) {
  for (;;) {
    VDC_Command* command = nullptr;
    HRESULT hr = device->GetCommand(1000, &command);
    if (hr == VD_E_TIMEOUT) {
      continue;
    }
    if (hr != S_OK) {
      return hr;
    }
    handle(command);
  }
}

}  // namespace vditest
