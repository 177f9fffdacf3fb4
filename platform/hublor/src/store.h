// A store directory: the catalogue, one data file per committed version, and the staging area
// where data waits for its commit.
//
//   <store>/catalog.db          SQLite catalogue (WAL)
//   <store>/data/XX/<id>.dat    data of version <id>; XX = the id's low byte in hex
//   <store>/staging/<owner>/    files of the open transactions of one process; <owner>/lock is
//                               held (flock) for the life of the process
//   <store>/staging.lock        held (flock) while a process claims its staging folder and
//                               while one removes the folders of dead processes
//   <store>/faults              fault rules armed with hublorsim
//   <store>/client/<NODE>.pwd   passwords the client keeps (PASSWORDACCESS GENERATE)
//
// Crash safety: staged files are synced, then renamed into data/ while the catalogue's write
// lock is held, then the catalogue commits. Files left by a commit that never happened (data/
// without a catalogue row) are removed when a process opens the store, under the same write
// lock; staging folders of dead processes then too, under staging.lock. A catalogue that lacks
// its schema (an empty file) is damaged: the store is refused, and nothing is removed.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "catalog.h"

namespace hublor {

class Store {
 public:
  // The process's one Store for this directory, created and cleaned on first use.
  static std::shared_ptr<Store> open(const std::filesystem::path& dir);
  ~Store();

  const std::filesystem::path& dir() const { return m_dir; }
  std::unique_ptr<Catalog> connect() const;
  std::filesystem::path dataPath(int64_t id) const;
  std::filesystem::path newStagingPath();
  std::filesystem::path faultFile() const { return m_dir / "faults"; }
  // The password the client keeps for a node (PASSWORDACCESS GENERATE), readable by its owner
  // only.
  std::optional<std::string> keptPassword(const std::string& node) const;
  void keepPassword(const std::string& node, const std::string& password) const;

 private:
  explicit Store(std::filesystem::path dir);
  void claimStagingArea();
  void removeDeadStagingAreas();
  void removeOrphanDataFiles();

  std::filesystem::path m_dir;
  std::filesystem::path m_staging;  // this process's staging folder
  int m_lockFd = -1;
  std::mutex m_mutex;  // guards m_nextStaged
  uint64_t m_nextStaged = 0;
};

// One file being written: data goes straight from the caller's buffer to the file.
class StagedFile {
 public:
  explicit StagedFile(std::filesystem::path path);  // creates it; throws StoreError
  ~StagedFile();                                    // removes it unless published
  StagedFile(const StagedFile&) = delete;
  StagedFile& operator=(const StagedFile&) = delete;

  bool write(const char* data, size_t size);  // false on an I/O failure (disk full, ...)
  bool sync();
  bool publish(const std::filesystem::path& target);  // rename; the caller holds the write lock
  uint64_t size() const { return m_size; }

 private:
  std::filesystem::path m_path;
  int m_fd = -1;
  uint64_t m_size = 0;
  bool m_published = false;
};

// Syncs a folder so that renames into it survive a crash.
bool syncFolder(const std::filesystem::path& dir);

}  // namespace hublor
