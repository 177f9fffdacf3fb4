// The data files a BACKUP reads or a RESTORE writes, opened once for the statement and named
// by their index in the backup set's file list. Device threads read and write them at once:
// every call after open() may be made from any thread (positioned reads and writes on shared
// descriptors), and none touches the instance or its catalogue. Writes into one file go one at
// a time: the file system would serialise them anyway, and its own lock spins where ours sleeps.
// Their write-back is started in large steps, so that the flush at the end waits for little
// more than the last step.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "instance.h"
#include "media.h"
#include "sqlerror.h"

namespace sqlengine {

class StatementFiles {
 public:
  StatementFiles() = default;
  ~StatementFiles();
  StatementFiles(const StatementFiles&) = delete;
  StatementFiles& operator=(const StatementFiles&) = delete;

  // Opens the data files of database db that `wanted` marks in the set's list (matched by
  // logical name), for reading or for writing.
  SqlError open(Instance& instance, const std::string& db, const std::vector<MediaFile>& files,
                const std::vector<bool>& wanted, bool write);

  // Whole pages in an opened file; 0 for a file not opened.
  std::uint64_t pages(std::uint32_t file) const;
  // Pages [first, first + count) lie inside an opened file: else the server's message.
  SqlError checkPages(std::uint32_t file, std::uint64_t first, std::uint64_t count) const;
  // Bytes at an offset of an opened file.
  SqlError read(std::uint32_t file, std::uint64_t offset, std::size_t size, std::byte* out) const;
  SqlError write(std::uint32_t file, std::uint64_t offset, std::size_t size,
                 const std::byte* in) const;
  // Makes pages [first, first + count) of a file opened for writing zero.
  SqlError zero(std::uint32_t file, std::uint64_t first, std::uint64_t count) const;
  // Makes every file opened for writing durable.
  SqlError sync() const;

 private:
  struct OpenFile {
    int fd = -1;
    std::filesystem::path path;
    std::string logicalName;
    std::uint64_t pages = 0;
    std::mutex writing;           // held around each write into the file
    std::uint64_t unstarted = 0;  // guarded by writing: bytes written since the last write-back
  };
  OpenFile* opened(std::uint32_t file) const;

  // By index in the set's list; null when not opened.
  std::vector<std::unique_ptr<OpenFile>> m_files;
  bool m_write = false;
};

}  // namespace sqlengine
