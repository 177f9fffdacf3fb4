// An advisory lock on a file (flock) shared by the processes and threads that open it: many
// readers or one writer. Each FileLock opens its own descriptor, so two in one process exclude
// each other as two processes do.
#pragma once

#include <filesystem>

namespace sqlengine {

class FileLock {
 public:
  explicit FileLock(const std::filesystem::path& file);
  ~FileLock();
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;
  bool ok() const { return m_fd >= 0; }
  // Block until granted.
  bool lock(bool exclusive);
  void unlock();

 private:
  int m_fd;
};

}  // namespace sqlengine
