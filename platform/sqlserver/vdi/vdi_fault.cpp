#include "vdi_fault.h"

#include <array>
#include <atomic>
#include <mutex>

namespace vdi {
namespace {

constexpr std::size_t kCalls = static_cast<std::size_t>(VdiCall::WaitCompletion) + 1;

struct Fault {
  HRESULT hr = S_OK;
  unsigned after = 0;
  unsigned count = 0;
};

struct Faults {
  std::atomic<bool> armed{false};  // lets unarmed calls pass without taking the mutex
  std::mutex mutex;                // guards table
  std::array<Fault, kCalls> table{};
};

Faults& faults() {
  static Faults instance;
  return instance;
}

}  // namespace

void vdiArmFault(VdiCall call, HRESULT hr, unsigned count, unsigned after) {
  Faults& f = faults();
  std::lock_guard lock(f.mutex);
  f.table[static_cast<std::size_t>(call)] = Fault{hr, after, count};
  f.armed = true;
}

void vdiClearFaults() {
  Faults& f = faults();
  std::lock_guard lock(f.mutex);
  f.table.fill(Fault{});
  f.armed = false;
}

HRESULT vdiTakeFault(VdiCall call) {
  Faults& f = faults();
  if (!f.armed) {
    return S_OK;
  }
  std::lock_guard lock(f.mutex);
  Fault& fault = f.table[static_cast<std::size_t>(call)];
  if (fault.count == 0) {
    return S_OK;
  }
  if (fault.after > 0) {
    --fault.after;
    return S_OK;
  }
  --fault.count;
  return fault.hr;
}

}  // namespace vdi
