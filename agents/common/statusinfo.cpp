#include "statusinfo.h"

#include "agtrc.h"
#include "agttrc.h"

uint32_t statusCommand(const StatusInfo& status, uint32_t heldCommand) {
  return status.command != 0 ? status.command : heldCommand;
}

int statusCheckKind(const StatusInfo& status) {
  if (status.kind < kStatusKindCount) {
    return RC_OK;
  }
  TRACE_LINE(TRC_ERI, "An invalid status type (%#x) was received.\n", status.kind);
  return RC_INTERNAL_ERROR;
}
