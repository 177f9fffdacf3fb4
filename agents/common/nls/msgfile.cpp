// The repository's file name, built from the agent directory and the language code.
#include "msgfile.h"

#include <atomic>
#include <cctype>
#include <cstdio>
#include <cstring>

#include "agtrc.h"

namespace {

int noAgentDir(char* bufP, size_t size) {
  if (size > 0) bufP[0] = '\0';
  return 0;
}

// Set once at start-up; atomic so a late set by a test never races a reader.
std::atomic<optAgentDirRtn> gAgentDirRtn{noAgentDir};

}  // namespace

void optSetAgentDirRtn(optAgentDirRtn rtn) {
  gAgentDirRtn = rtn ? rtn : noAgentDir;
}

int optGetMessageFile(const char* languageP, char* pathP, size_t pathSize, char* dirP,
                      size_t dirSize) {
  if (pathSize > 0) pathP[0] = '\0';
  if (dirSize == 0) return RC_NAME_TOO_LONG;
  gAgentDirRtn.load()(dirP, dirSize);  // a failed read leaves the directory empty
  size_t dirLen = strnlen(dirP, dirSize);
  if (dirLen == dirSize) return (dirP[0] = '\0'), RC_NAME_TOO_LONG;
  if (dirLen > 0 && dirP[dirLen - 1] != '/') {
    if (dirLen + 2 > dirSize) return (dirP[0] = '\0'), RC_NAME_TOO_LONG;
    dirP[dirLen++] = '/';
    dirP[dirLen] = '\0';
  }
  // The build writes the repository with the language code in capitals ("sqlAMENG.txt"); file
  // names are case-sensitive here, so the code is upper-cased whatever case the caller gives.
  char code[32] = {};
  for (size_t i = 0; languageP != nullptr && languageP[i] != '\0' && i + 1 < sizeof code; i++) {
    code[i] = char(toupper((unsigned char)languageP[i]));
  }
  int len = std::snprintf(pathP, pathSize, "%ssql%s.txt", dirP, code);
  if (len < 0 || static_cast<size_t>(len) >= pathSize) {
    if (pathSize > 0) pathP[0] = '\0';
    dirP[0] = '\0';
    return RC_NAME_TOO_LONG;
  }
  return RC_OK;
}
