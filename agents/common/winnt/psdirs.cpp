// The agent's and the interface's directories and the file names in the agent directory, all
// from the "Path" values of the registry.
#include <cstdio>
#include <cstring>

#include "agttrc.h"
#include "psutil.h"
#include "registry.h"

const char PS_PRODUCT_KEY[] = "SOFTWARE\\Orbenix\\Moxtar\\CurrentVersion\\";
const char PS_AGENT_NAME[] = "ZARNAKSQL";
const char PS_API_NAME[] = "Api";
const char PS_PATH_VALUE[] = "Path";
const char PS_CONFIG_FILE[] = "zarnaksql.cfg";
const char PS_API_OPT_FILE[] = "pelk.opt";

namespace {

constexpr size_t kKeyPathSize = 256;

// A directory from the "Path" value of the product's subkey `wordP`, ending with '/'.
int readDirectory(const char* wordP, char* bufferP, size_t size) {
  if (size == 0) return RC_REG_READ_FAILED;
  bufferP[0] = '\0';
  char keyPath[kKeyPathSize];
  snprintf(keyPath, sizeof keyPath, "%s%s\\", PS_PRODUCT_KEY, wordP);
  int rc = getSzValue(HKEY_LOCAL_MACHINE, keyPath, PS_PATH_VALUE, bufferP, DWORD(size));
  if (rc != RC_OK) {
    TRACE_LINE(TRC_GENERAL, "The directory of %s cannot be read from the registry, rc = %d\n",
               wordP, rc);
    return rc;
  }
  if (psEnsureTrailingSlash(bufferP, size)) return RC_OK;
  TRACE_LINE(TRC_GENERAL, "The directory of %s is too long for a buffer of %zu bytes\n", wordP,
             size);
  bufferP[0] = '\0';
  return RC_REG_READ_FAILED;
}

// Agent directory + file name; the bare name when that does not fit, empty when neither does.
int agentFile(const char* fileNameP, char* bufferP, size_t size) {
  if (size == 0) return RC_REG_READ_FAILED;
  int rc = readDirectory(PS_AGENT_NAME, bufferP, size);
  size_t nameLength = strlen(fileNameP);
  if (strlen(bufferP) + nameLength + 1 <= size) {
    strcat(bufferP, fileNameP);
  } else if (nameLength + 1 <= size) {
    strcpy(bufferP, fileNameP);
  } else {
    bufferP[0] = '\0';
  }
  return rc;
}

}  // namespace

int psEnsureTrailingSlash(char* bufferP, size_t size) {
  size_t length = strlen(bufferP);
  if (length == 0 || bufferP[length - 1] == '/') return 1;
  if (length + 2 > size) return 0;
  bufferP[length] = '/';
  bufferP[length + 1] = '\0';
  return 1;
}

int psGetAgentDir(char* bufferP, size_t size) {
  return readDirectory(PS_AGENT_NAME, bufferP, size);
}

int psGetAgentLog(char* bufferP, size_t size) { return psGetAgentDir(bufferP, size); }

int psGetAgentConfig(char* bufferP, size_t size) {
  return agentFile(PS_CONFIG_FILE, bufferP, size);
}

int psGetMOXTARAPIDir(char* bufferP, size_t size) {
  return readDirectory(PS_API_NAME, bufferP, size);
}

int psGetMOXTARAPILog(char* bufferP, size_t size) { return psGetAgentDir(bufferP, size); }

int psGetMOXTARAPIConfig(char* bufferP, size_t size) {
  return agentFile(PS_API_OPT_FILE, bufferP, size);
}
