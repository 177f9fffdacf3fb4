#include "psfault.h"

#include <atomic>
#include <mutex>

namespace {

struct Fault {
  std::atomic<uint32_t> armed{0};  // calls still to fail; read without the lock on every check
  uint32_t skip = 0;               // guarded by gFaultMutex
  int error = 0;                   // guarded by gFaultMutex
};

Fault gFaults[PS_FAULT_POINTS];
std::mutex gFaultMutex;

}  // namespace

void psFaultArm(psFaultPoint point, uint32_t skip, uint32_t count, int error) {
  std::lock_guard<std::mutex> lock(gFaultMutex);
  gFaults[point].skip = skip;
  gFaults[point].error = error;
  gFaults[point].armed.store(count);
}

void psFaultDisarmAll() {
  for (int point = 0; point < PS_FAULT_POINTS; point++) psFaultArm(psFaultPoint(point), 0, 0, 0);
}

int psFaultCheck(psFaultPoint point) {
  if (point == PS_FAULT_NONE || gFaults[point].armed.load(std::memory_order_relaxed) == 0) {
    return 0;
  }
  std::lock_guard<std::mutex> lock(gFaultMutex);
  Fault& fault = gFaults[point];
  if (fault.armed.load() == 0) return 0;
  if (fault.skip > 0) {
    fault.skip--;
    return 0;
  }
  fault.armed.store(fault.armed.load() - 1);
  return fault.error;
}
