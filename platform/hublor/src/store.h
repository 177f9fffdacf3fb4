// A store directory: the catalogue, one data file per committed version, and the lock folders
// that tell the processes using the store apart.
//
//   <store>/catalog.db           SQLite catalogue (WAL)
//   <store>/data/<owner>/<n>.dat data written by process <owner>; the catalogue's row of a
//                                version names its file
//   <store>/data/XX/<id>.dat     data of version <id> in stores written before files were named
//                                in the catalogue; XX = the id's low byte in hex
//   <store>/staging/<owner>/     <owner>/lock is held (flock) for the life of the process
//   <store>/staging.lock         held (flock) while a process claims its staging folder and
//                                while one removes the folders of dead processes
//   <store>/faults               fault rules armed with hublorsim
//   <store>/client/<NODE>.pwd    passwords the client keeps (PASSWORDACCESS GENERATE)
//
// Crash safety: an object's data is written in place, in its process's data folder (made and
// synced into data/ once per process), and synced with one flush, which also makes a new
// file's directory entry durable on Linux's journalling file systems, as for any durable file
// write; then the catalogue commits the transaction's rows in one commit. No rename is needed,
// so no folder is synced per object. Files that no catalogue row names are removed when a
// process opens the store, under the catalogue's write lock, unless their process still runs.
// A catalogue that lacks its schema (an empty file) is damaged: the store is refused, and
// nothing is removed.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "catalog.h"
#include "checksum.h"

namespace hublor {

class Store {
 public:
  // The process's one Store for this directory, created and cleaned on first use.
  static std::shared_ptr<Store> open(const std::filesystem::path& dir);
  ~Store();

  const std::filesystem::path& dir() const { return m_dir; }
  std::unique_ptr<Catalog> connect() const;
  // The data of a version: its file named in the catalogue, or the place by id when none is.
  std::filesystem::path dataPath(int64_t id, const std::string& file = "") const;
  // A new data file's name below data/, in this process's folder.
  std::string newDataName();
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
  bool ownerRuns(const std::string& owner) const;

  std::filesystem::path m_dir;
  std::string m_owner;              // this process's name in staging/ and data/
  std::filesystem::path m_staging;  // this process's lock folder
  int m_lockFd = -1;
  std::mutex m_mutex;  // guards m_nextData
  uint64_t m_nextData = 0;
};

// One data file being written in its place: data goes straight from the caller's buffer to the
// file, whose write-back starts step by step as it grows. Until its transaction commits it
// belongs to no version.
class StagedFile {
 public:
  // Creates data/<name> in the store; throws StoreError.
  StagedFile(const Store& store, std::string name);
  ~StagedFile();  // removes it unless kept
  StagedFile(const StagedFile&) = delete;
  StagedFile& operator=(const StagedFile&) = delete;

  bool write(const char* data, size_t size);  // false on an I/O failure (disk full, ...)
  bool sync();
  void keep() { m_kept = true; }  // its version was committed
  const std::string& name() const { return m_name; }
  uint64_t size() const { return m_size; }
  uint64_t checksum() const { return m_checksum.value(); }  // of the data written

 private:
  static constexpr uint64_t kWriteBackStep = 1 << 20;

  std::string m_name;
  std::filesystem::path m_path;
  int m_fd = -1;
  uint64_t m_size = 0;
  uint64_t m_writeBackFrom = 0;  // where the data whose write-back has not started begins
  bool m_kept = false;
  Checksum m_checksum;
};

// Syncs a folder so that renames into it survive a crash.
bool syncFolder(const std::filesystem::path& dir);

}  // namespace hublor
