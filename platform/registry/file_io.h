// Whole-file reads and writes and an advisory lock between processes, for the hive and fault
// files. A lock is taken on a file of its own, so that a file renamed into place keeps its lock.
#pragma once

#include <filesystem>
#include <string>

namespace zkreg {

// flock on the lock file for the object's lifetime; each object opens its own descriptor, so
// threads of one process exclude each other as processes do.
class FileLock {
 public:
  FileLock(const std::filesystem::path& lockFile, bool exclusive);
  ~FileLock();
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;
  bool held() const { return m_fd >= 0; }

 private:
  int m_fd = -1;
};

enum class ReadResult { Read, Missing, Failed };
ReadResult readWholeFile(const std::filesystem::path& file, std::string& text);
// Writes text to a temporary file beside file, flushes it to disk and renames it over file, so
// that a reader sees either the old or the new contents whole. The caller holds the exclusive
// lock that guards file: the temporary file has one fixed name.
bool replaceFile(const std::filesystem::path& file, const std::string& text);

}  // namespace zkreg
