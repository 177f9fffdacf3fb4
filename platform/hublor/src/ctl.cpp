// Controls for tests and tools, exported beside the entry points (see hublorctl.h).
#include "clock.h"
#include "faults.h"
#include "hublorctl.h"
#include "library.h"

extern "C" {

pelkInt16_t hublorCtlArmFault(const char* rule) {
  if (rule == nullptr) return PELK_RC_NULL_POINTER;
  auto parsed = hublor::parseFaultRule(rule, nullptr);
  if (!parsed) return PELK_RC_BAD_PARAMETER;
  hublor::Faults::instance().arm(std::move(*parsed), hublor::FaultSource::kApi);
  return PELK_RC_OK;
}

void hublorCtlClearFaults(void) {
  hublor::Faults::instance().clear(hublor::FaultSource::kApi);
}

void hublorCtlSetApiVersion(pelkUint16_t version, pelkUint16_t release, pelkUint16_t level) {
  std::optional<pelkApiVersion> chosen;
  if (version != 0 || release != 0 || level != 0) chosen = pelkApiVersion{version, release, level};
  hublor::Library::instance().setApiVersion(chosen);
}

pelkUint32_t hublorCtlOpenSessions(void) {
  return static_cast<pelkUint32_t>(hublor::Library::instance().sessionCount());
}

void hublorCtlSetClock(int64_t secondsSinceEpoch) {
  hublor::fixClock(secondsSinceEpoch);
}

}  // extern "C"
