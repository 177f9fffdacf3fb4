#include "pkfile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cinttypes>

#include "agtrc.h"
#include "agttrc.h"
#include "psthread.h"

namespace {

constexpr unsigned kOpenAttempts = 300;
constexpr unsigned kOpenSleepMs = 100;

// One attempt: open, then the exclusive lock that stands in for denying other openers.
int openLocked(const char* fileNameP, int openFlags) {
  int fd = open(fileNameP, openFlags | O_CLOEXEC, S_IRUSR | S_IWUSR);
  if (fd < 0) {
    return -1;
  }
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    close(fd);
    return -1;
  }
  return fd;
}

}  // namespace

int pkFSize(const char* fileNameP, pkInt64* sizeP) {
  TRACE_ENTRY(TRC_FILEOPS, "pkFSize()");
  struct stat status;
  if (stat(fileNameP, &status) != 0) {
    TRACE_LINE(TRC_FILEOPS, "_stati64( %s ) failed.\n", fileNameP);
    TRACE_RETURN(RC_FILE_STATUS_FAILED);
  }
  *sizeP = pkInt64FromNative(status.st_size);
  TRACE_LINE(TRC_FILEOPS, "_stati64( %s ) was successful.\n", fileNameP);
  TRACE_LINE(TRC_FILEOPS, "fileSize64: %" PRId64 "\n", static_cast<int64_t>(status.st_size));
  TRACE_RETURN(RC_OK);
}

// True while the name still leads to the file the descriptor has open: the holder before
// this one may have removed it (pkUnlockFile), and a lock on a removed file locks nothing.
static bool stillNamed(const char* lockFileNameP, int fd) {
  struct stat opened, named;
  return fstat(fd, &opened) == 0 && stat(lockFileNameP, &named) == 0 &&
         opened.st_dev == named.st_dev && opened.st_ino == named.st_ino;
}

int pkLockFile(const char* lockFileNameP) {
  for (;;) {
    int fd = open(lockFileNameP, O_RDWR | O_CREAT | O_CLOEXEC, S_IRUSR | S_IWUSR);
    if (fd < 0) return -1;
    int rc;
    do {
      rc = flock(fd, LOCK_EX);
    } while (rc != 0 && errno == EINTR);
    if (rc != 0) {
      close(fd);
      return -1;
    }
    if (stillNamed(lockFileNameP, fd)) return fd;
    close(fd);  // taken from a holder that removed it: lock the file named now
  }
}

void pkUnlockFile(const char* lockFileNameP, int fd) {
  if (fd < 0) return;
  // Removed while still locked, so no lock file outlives its holder; a waiter on the removed
  // file sees that and locks a new one.
  unlink(lockFileNameP);
  close(fd);  // closing the descriptor releases its lock
}

int pkOpenAndLock(const char* fileNameP, int openFlags) {
  return pkOpenAndLockRetry(fileNameP, openFlags, kOpenAttempts, kOpenSleepMs);
}

int pkOpenAndLockRetry(const char* fileNameP, int openFlags, unsigned attempts,
                       unsigned sleepMilliseconds) {
  static const char kName[] = "pkOpenAndLock()";
  TRACE_LINE(TRC_GENERAL, "%s: uRetries = %u, uSleepTime = %u\n", kName, attempts,
             sleepMilliseconds);
  for (unsigned attempt = 0; attempt < attempts; ++attempt) {
    int fd = openLocked(fileNameP, openFlags);
    TRACE_LINE(TRC_GENERAL, "%s: sopen(%s) rc=(%d)\n", kName, fileNameP, fd);
    if (fd >= 0) {
      return fd;
    }
    TRACE_LINE(TRC_GENERAL, "%s: File (%s) did not open, sleeping %u milliseconds...\n", kName,
               fileNameP, sleepMilliseconds);
    psSleep(sleepMilliseconds);
  }
  return -1;
}
