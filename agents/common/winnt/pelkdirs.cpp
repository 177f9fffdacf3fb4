// Local stand-in for the agent's directory services (see pelkdirs.h): the same registry entries,
// the same fall-backs.
#include "pelkdirs.h"

#include <cstdio>
#include <cstring>

#include "registry.h"

namespace {

constexpr char kMoxtarKey[] = "SOFTWARE\\Orbenix\\Moxtar\\CurrentVersion\\";
constexpr char kAgentSelector[] = "ZARNAKSQL";
constexpr char kApiSelector[] = "Api";
constexpr char kPathValue[] = "Path";
constexpr char kOptionFileName[] = "pelk.opt";

// The directory of one selector's key, ending with "/"; an empty text on failure.
int readDirectory(const char* selectorP, char* bufferP, size_t bufferSize) {
  if (bufferSize == 0) {
    return RC_REG_READ_FAILED;
  }
  bufferP[0] = '\0';
  char keyPath[256];
  std::snprintf(keyPath, sizeof keyPath, "%s%s\\", kMoxtarKey, selectorP);
  int rc = getSzValue(HKEY_LOCAL_MACHINE, keyPath, kPathValue, bufferP,
                      static_cast<DWORD>(bufferSize));
  if (rc != 0) {
    return rc;
  }
  size_t length = std::strlen(bufferP);
  if (length > 0 && bufferP[length - 1] != '/') {
    if (length + 2 > bufferSize) {
      bufferP[0] = '\0';
      return RC_REG_READ_FAILED;
    }
    std::strcat(bufferP, "/");
  }
  return 0;
}

}  // namespace

int pelkGetApiDir(char* bufferP, size_t bufferSize) {
  return readDirectory(kApiSelector, bufferP, bufferSize);
}

int pelkGetApiLogDir(char* bufferP, size_t bufferSize) {
  return readDirectory(kAgentSelector, bufferP, bufferSize);
}

int pelkGetApiConfig(char* bufferP, size_t bufferSize) {
  if (bufferSize == 0) {
    return RC_REG_READ_FAILED;
  }
  int rc = readDirectory(kAgentSelector, bufferP, bufferSize);
  if (std::strlen(bufferP) + sizeof kOptionFileName > bufferSize) {
    bufferP[0] = '\0';  // the bare name, looked for in the current directory
  }
  if (sizeof kOptionFileName <= bufferSize) {
    std::strcat(bufferP, kOptionFileName);
  }
  return rc;
}
