#include "file_io.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace zkreg {

namespace {

int retryOnSignal(int (*call)(int, int), int fd, int arg) {
  int rc;
  do {
    rc = call(fd, arg);
  } while (rc < 0 && errno == EINTR);
  return rc;
}

bool writeAll(int fd, const std::string& text) {
  std::size_t done = 0;
  while (done < text.size()) {
    ssize_t n = ::write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

}  // namespace

FileLock::FileLock(const std::filesystem::path& lockFile, bool exclusive) {
  m_fd = ::open(lockFile.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
  if (m_fd < 0) return;
  if (retryOnSignal(::flock, m_fd, exclusive ? LOCK_EX : LOCK_SH) == 0) return;
  ::close(m_fd);
  m_fd = -1;
}

FileLock::~FileLock() {
  if (m_fd >= 0) ::close(m_fd);  // closing the last descriptor releases the lock
}

ReadResult readWholeFile(const std::filesystem::path& file, std::string& text) {
  text.clear();
  int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return errno == ENOENT ? ReadResult::Missing : ReadResult::Failed;
  char buffer[65536];
  ssize_t n;
  while ((n = ::read(fd, buffer, sizeof buffer)) != 0) {
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) break;
    text.append(buffer, static_cast<std::size_t>(n));
  }
  ::close(fd);
  return n == 0 ? ReadResult::Read : ReadResult::Failed;
}

bool replaceFile(const std::filesystem::path& file, const std::string& text) {
  std::filesystem::path temporary = file;
  temporary += ".new";
  int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) return false;
  bool written = writeAll(fd, text) && ::fsync(fd) == 0;
  written = ::close(fd) == 0 && written;
  if (written && std::rename(temporary.c_str(), file.c_str()) == 0) return true;
  std::remove(temporary.c_str());
  return false;
}

}  // namespace zkreg
