// The key handles open in this process. A handle names its key by root and path and carries
// the access rights it was opened with; the roots' own handles have every right.
#pragma once

#include "hive.h"
#include "store.h"
#include "winreg.h"

namespace zkreg {

struct OpenKey {
  Root root = Root::LocalMachine;
  Path path;
  REGSAM access = 0;
};

HKEY openHandle(OpenKey key);
// Copies the open key behind handle; false for a handle that is neither a root nor open.
bool lookupHandle(HKEY handle, OpenKey& key);
// Closing a root succeeds and does nothing; false for a handle that is not open.
bool closeHandle(HKEY handle);

}  // namespace zkreg
