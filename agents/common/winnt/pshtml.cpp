// The programs a user may have for HTML pages: the one that opens ".htm" files and the
// browser's directory, both from the registry.
#include <cstdio>
#include <cstring>

#include "psutil.h"
#include "registry.h"

namespace {

constexpr size_t kKeyPathSize = 512;
const char kBrowserKey[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\IEXPLORE.EXE\\";

void cutTrailing(char* textP, char ch) {
  size_t length = strlen(textP);
  if (length > 0 && textP[length - 1] == ch) textP[length - 1] = '\0';
}

// A quoted program path loses its quotes and whatever follows them: its arguments.
void keepQuotedProgram(char* commandP) {
  if (commandP[0] != '"') return;
  size_t length = strlen(commandP);
  if (length < 2) {
    commandP[0] = '\0';
    return;
  }
  memmove(commandP, commandP + 1, length - 1);
  commandP[length - 2] = '\0';  // the leading quote and the command's last character go
  char* quoteP = strchr(commandP, '"');
  if (quoteP != nullptr) *quoteP = '\0';
}

}  // namespace

int psGetHtmlOpenCommand(char* bufferP, size_t size) {
  char fileType[kKeyPathSize];
  int rc = getSzValue(HKEY_CLASSES_ROOT, ".htm", nullptr, fileType, sizeof fileType);
  if (rc != RC_OK) return rc;
  char keyPath[kKeyPathSize + 32];
  snprintf(keyPath, sizeof keyPath, "%s\\shell\\open\\command\\", fileType);
  rc = getSzValue(HKEY_CLASSES_ROOT, keyPath, nullptr, bufferP, DWORD(size));
  if (rc != RC_OK || bufferP[0] == '\0') return rc;
  cutTrailing(bufferP, ';');
  keepQuotedProgram(bufferP);
  return RC_OK;
}

int psGetBrowserPath(char* bufferP, size_t size) {
  int rc = getSzValue(HKEY_LOCAL_MACHINE, kBrowserKey, "Path", bufferP, DWORD(size));
  if (rc != RC_OK) return rc;
  cutTrailing(bufferP, ';');
  if (psEnsureTrailingSlash(bufferP, size)) return RC_OK;
  bufferP[0] = '\0';
  return RC_REG_READ_FAILED;
}
