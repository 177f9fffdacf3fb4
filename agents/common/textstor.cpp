// The text store: loads a text file into a text-line list and stores the list back.
//
// Lines are read whole, however long: a line split into pieces would come back as several
// lines and, since the configuration file is written back at every start, stay split for good.
// A store writes a temporary file beside the target and renames it over the target only after
// every line reached the disk, so a full disk or a failed write never leaves a truncated file.
// A process killed between the two leaves its temporary file behind; the next store removes
// those of processes that no longer run.
#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "agtrc.h"
#include "agttrc.h"
#include "textline.h"

namespace {

// Cuts the end-of-line bytes (line feed, carriage return) off the end of the line.
void cutLineEnd(char* lineP, ssize_t length) {
  while (length > 0 && (lineP[length - 1] == '\n' || lineP[length - 1] == '\r')) length--;
  lineP[length] = '\0';
}

// A name beside the target that no other store of this process uses at the same time.
std::string temporaryName(const char* fileNameP) {
  static std::atomic<unsigned> s_Sequence{0};
  return std::string(fileNameP) + ".new" + std::to_string(getpid()) + "." +
         std::to_string(s_Sequence++);
}

// The process id of a temporary name of the target ("<target>.new<pid>.<n>"), or 0 when the
// name is no such temporary name.
pid_t temporaryOwner(const char* nameP, const std::string& prefix) {
  if (strncmp(nameP, prefix.c_str(), prefix.size()) != 0) return 0;
  const char* pidP = nameP + prefix.size();
  char* endP = nullptr;
  long pid = strtol(pidP, &endP, 10);
  if (endP == pidP || *endP != '.' || pid <= 0 || pid > INT32_MAX) return 0;
  const char* sequenceP = endP + 1;
  strtoul(sequenceP, &endP, 10);
  return endP != sequenceP && *endP == '\0' && std::isdigit(static_cast<unsigned char>(*pidP))
             ? static_cast<pid_t>(pid)
             : 0;
}

// Removes the temporary files that killed stores of the target left: those of processes that
// no longer run. A running process's temporary file may be one it is writing.
void removeStaleTemporaries(const char* fileNameP) {
  std::string path(fileNameP);
  size_t slash = path.rfind('/');
  std::string directory = slash == std::string::npos ? "." : path.substr(0, slash + 1);
  std::string prefix = (slash == std::string::npos ? path : path.substr(slash + 1)) + ".new";
  DIR* dirP = opendir(directory.c_str());
  if (dirP == nullptr) return;
  while (const dirent* entryP = readdir(dirP)) {
    pid_t owner = temporaryOwner(entryP->d_name, prefix);
    if (owner == 0 || owner == getpid() || kill(owner, 0) == 0 || errno != ESRCH) continue;
    std::string stale = (slash == std::string::npos ? "" : directory) + entryP->d_name;
    TRACE_LINE(TRC_CONFIG, "Removing %s, left by a store that did not end\n", stale.c_str());
    unlink(stale.c_str());
  }
  closedir(dirP);
}

// Creates the temporary file with the target's permissions (the umask's for a new target).
FILE* createTemporary(const std::string& tempName, const char* fileNameP) {
  int fd = open(tempName.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) return nullptr;
  struct stat target;
  if (stat(fileNameP, &target) == 0) fchmod(fd, target.st_mode & 07777);
  FILE* fileP = fdopen(fd, "w");
  if (fileP == nullptr) close(fd);
  return fileP;
}

// Writes every line; false when any write, the flush or the sync to the disk fails.
bool writeLines(CTextLineList* listP, FILE* fileP) {
  int32_t count = listP->getCount();
  for (int32_t n = 0; n < count; n++) {
    const char* textP = listP->getLine(n);
    if (fprintf(fileP, "%s\n", textP == nullptr ? "" : textP) < 0) return false;
  }
  return fflush(fileP) == 0 && fsync(fileno(fileP)) == 0;
}

}  // namespace

void CTextLineList::load(const char* fileNameP) {
  if (fileNameP == nullptr) return;
  FILE* fileP = fopen(fileNameP, "r");
  if (fileP == nullptr) {
    TRACE_LINE(TRC_CONFIG, "Error opening file %s\n", fileNameP);
    return;
  }
  resetCursor();
  char* lineP = nullptr;
  size_t capacity = 0;
  ssize_t length;
  while ((length = getline(&lineP, &capacity, fileP)) >= 0) {
    cutLineEnd(lineP, length);
    addLine(lineP);
  }
  free(lineP);
  fclose(fileP);
}

int CTextLineList::store(const char* fileNameP) {
  if (fileNameP == nullptr) return RC_FILE_OPEN_FAILED;
  std::string tempName = temporaryName(fileNameP);
  FILE* fileP = createTemporary(tempName, fileNameP);
  if (fileP == nullptr) {
    TRACE_LINE(TRC_CONFIG, "Error opening file %s\n", fileNameP);
    return RC_FILE_OPEN_FAILED;
  }
  bool written = writeLines(this, fileP);
  written = fclose(fileP) == 0 && written;
  if (!written || rename(tempName.c_str(), fileNameP) != 0) {
    unlink(tempName.c_str());
    TRACE_LINE(TRC_CONFIG, "Error writing file %s\n", fileNameP);
    return RC_FILE_WRITE_FAILED;
  }
  removeStaleTemporaries(fileNameP);
  return RC_OK;
}
