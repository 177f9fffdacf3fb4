#include "filelock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

namespace sqlengine {

FileLock::FileLock(const std::filesystem::path& file)
    : m_fd(::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644)) {}

FileLock::~FileLock() {
  if (m_fd >= 0) ::close(m_fd);
}

bool FileLock::lock(bool exclusive) {
  if (m_fd < 0) return false;
  int rc;
  do {
    rc = ::flock(m_fd, exclusive ? LOCK_EX : LOCK_SH);
  } while (rc != 0 && errno == EINTR);
  return rc == 0;
}

void FileLock::unlock() {
  if (m_fd >= 0) ::flock(m_fd, LOCK_UN);
}

}  // namespace sqlengine
