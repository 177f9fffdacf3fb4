// Fault injection for the virtual device interface: makes chosen calls of either side fail with
// a chosen result, so that every failure path of the agent and of the engine can be provoked.
// A failed call does nothing else: no state changes, no output. Faults are process-wide.
#pragma once

#include "vdi_com_basics.h"

namespace vdi {

enum class VdiCall {
  // The client's side.
  Create,  // Create and CreateEx
  GetConfiguration,
  OpenDevice,
  Close,
  SignalAbort,
  GetCommand,
  CompleteCommand,
  // SQL Server's side.
  ServerOpen,
  SendCommand,
  WaitCompletion,
};

// After `after` more calls of `call` have run normally, the next `count` calls fail with hr.
// Arming a call again replaces what was armed for it.
void vdiArmFault(VdiCall call, HRESULT hr, unsigned count = 1, unsigned after = 0);

// Disarms every fault.
void vdiClearFaults();

// For the interface's own calls: the result this call must fail with, or S_OK to run it.
HRESULT vdiTakeFault(VdiCall call);

}  // namespace vdi
