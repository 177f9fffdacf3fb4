#include "dsqlaccess.h"

#include <cstdio>
#include <cstring>
#include <new>

#include "agtrc.h"
#include "agttrc.h"
#include "sqlapi.h"

namespace {

std::mutex gSqlAccessMutex;

constexpr size_t kMessageBufferSize = 3585;

// gSqlAccessMutex held.
int createLocked(const OptionsInfo& options) {
  SqlLogonInfo logon{};
  snprintf(logon.szSqlServer, sizeof logon.szSqlServer, "%s", options.szSqlServer);
  snprintf(logon.szSqlUser, sizeof logon.szSqlUser, "%s", options.szSqlUser);
  snprintf(logon.szSqlPassword, sizeof logon.szSqlPassword, "%s", options.szSqlPassword);
  logon.enumSqlAuth = options.enumSqlAuth;
  char message[kMessageBufferSize] = "";
  int rc = RC_OK;
  CSqlApi* apiP = new (std::nothrow) CSqlApi(&logon, &rc, message);
  memset(logon.szSqlPassword, 0, sizeof logon.szSqlPassword);
  if (apiP == nullptr) {
    TRACE_LINE(TRC_GUI, "Insufficent memory, new( CSqlApi ) failed\n");
    return RC_NO_MEMORY;
  }
  delete gSqlApiP;
  gSqlApiP = apiP;
  return rc;
}

}  // namespace

std::unique_lock<std::mutex> lockSqlAccess() {
  return std::unique_lock<std::mutex>(gSqlAccessMutex);
}

int createSqlAccess(const OptionsInfo& options) {
  std::lock_guard<std::mutex> lock(gSqlAccessMutex);
  return createLocked(options);
}

bool renewSqlAccess(const OptionsInfo& options, int* rcP) {
  std::unique_lock<std::mutex> lock(gSqlAccessMutex, std::try_to_lock);
  if (!lock.owns_lock()) {
    TRACE_LINE(TRC_GUI, "A command uses SQL Server: the access object is kept\n");
    return false;
  }
  int rc = createLocked(options);
  if (rcP != nullptr) *rcP = rc;
  return true;
}

void freeSqlAccess() {
  std::lock_guard<std::mutex> lock(gSqlAccessMutex);
  delete gSqlApiP;
  gSqlApiP = nullptr;
}
