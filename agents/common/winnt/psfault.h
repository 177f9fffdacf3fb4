// Fault injection for the portability layer: a test makes chosen operations fail as the
// platform would (419 to the caller, the error number in the trace), to drive its callers'
// failure paths. Disarmed, a check costs one atomic load.
//
// The mutex points apply only to calls with `trace` 1, so the trace's own mutexes never take a
// fault meant for the engine's.
#pragma once

#include <cstdint>

enum psFaultPoint {
  PS_FAULT_NONE = -1,
  PS_FAULT_MUTEX_INIT = 0,
  PS_FAULT_MUTEX_LOCK,
  PS_FAULT_MUTEX_UNLOCK,
  PS_FAULT_MUTEX_DESTROY,
  PS_FAULT_EVENT_INIT,
  PS_FAULT_EVENT_DESTROY,
  PS_FAULT_EVENT_RESET,
  PS_FAULT_EVENT_SIGNAL,
  PS_FAULT_EVENT_WAIT,
  PS_FAULT_THREAD_CREATE,
  PS_FAULT_THREAD_WAIT_ALL,
  PS_FAULT_THREAD_WAIT_ANY,
  PS_FAULT_THREAD_EXIT_CODE,
  PS_FAULT_THREAD_RELEASE,
  PS_FAULT_POINTS
};

// After `skip` calls of `point` that succeed, the next `count` calls fail with the error number
// `error` (an errno value such as ENOMEM). Arming again replaces the earlier arming.
void psFaultArm(psFaultPoint point, uint32_t skip, uint32_t count, int error);
// Disarms every point.
void psFaultDisarmAll();
// Inside the layer: 0, or the error number that the armed fault gives this call.
int psFaultCheck(psFaultPoint point);
