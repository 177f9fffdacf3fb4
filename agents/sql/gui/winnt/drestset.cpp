// The restore controller's per-database settings: restore into another name, relocated files
// and the undo file of a standby restore.
#include "drestctl.h"
#include "drestree.h"

int DRestoreController::cgProcessRestoreInto(DRestoreTreeBase* /*viewP*/) {
  return 0;
}
int DRestoreController::cgProcessRelocate(DRestoreTreeBase* /*viewP*/) {
  return 0;
}
int DRestoreController::cgProcessStandby(DRestoreTreeBase* /*viewP*/) {
  return 0;
}
