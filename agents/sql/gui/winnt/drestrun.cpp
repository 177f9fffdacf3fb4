// The restore controller's Restore button: the checked backups of a tree sent as one restore.
#include "drestctl.h"
#include "drestree.h"

int DRestoreController::cgProcessRestore(DRestoreTreeBase* /*viewP*/) {
  return 0;
}
