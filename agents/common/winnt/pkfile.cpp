#include "pkfile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <thread>

namespace {

constexpr int kStatusFailed = 407;
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
  struct stat status;
  if (stat(fileNameP, &status) != 0) {
    return kStatusFailed;
  }
  *sizeP = pkInt64FromNative(status.st_size);
  return 0;
}

int pkOpenAndLock(const char* fileNameP, int openFlags) {
  return pkOpenAndLockRetry(fileNameP, openFlags, kOpenAttempts, kOpenSleepMs);
}

int pkOpenAndLockRetry(const char* fileNameP, int openFlags, unsigned attempts,
                       unsigned sleepMilliseconds) {
  for (unsigned attempt = 0; attempt < attempts; ++attempt) {
    int fd = openLocked(fileNameP, openFlags);
    if (fd >= 0) {
      return fd;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(sleepMilliseconds));
  }
  return -1;
}
