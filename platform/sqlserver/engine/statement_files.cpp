#include "statement_files.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "backup_restore.h"
#include "instance_internal.h"

namespace sqlengine {

namespace {

SqlError ioError(const char* operation, const std::filesystem::path& file) {
  return sqlMessage(kMsgIoError, {std::strerror(errno), operation, file.string()});
}

SqlError notOpened() {
  return sqlMessage(kMsgEngineFailure, {"a data file the statement has not opened"});
}

const DbFile* findDataFile(const Database& db, const std::string& logicalName) {
  for (const FileGroup& g : db.groups) {
    for (const DbFile& f : g.files) {
      if (sameName(f.logicalName, logicalName)) return &f;
    }
  }
  return nullptr;
}

}  // namespace

// The bytes written into a file after which its write-back is started.
constexpr std::uint64_t kWriteBackStep = 64 * 1024 * 1024;

StatementFiles::~StatementFiles() {
  for (const auto& f : m_files) {
    if (f && f->fd >= 0) ::close(f->fd);
  }
}

SqlError StatementFiles::open(Instance& instance, const std::string& dbName,
                              const std::vector<MediaFile>& files, const std::vector<bool>& wanted,
                              bool write) {
  Database db;
  if (SqlError e = instance.database(dbName, db); !e.ok()) return e;
  m_write = write;
  m_files.clear();
  m_files.resize(files.size());
  for (std::size_t i = 0; i < files.size(); ++i) {
    if (!wanted[i] || files[i].log) continue;
    const DbFile* file = findDataFile(db, files[i].logicalName);
    if (file == nullptr) {
      return sqlMessage(kMsgEngineFailure, {"'" + files[i].logicalName +
                                            "' is not a file of database '" + dbName + "'."});
    }
    m_files[i] = std::make_unique<OpenFile>();
    OpenFile& open = *m_files[i];
    open.path = instance.filePath(*file);
    open.logicalName = file->logicalName;
    open.pages = pagesOf(file->sizeKb);
    open.fd = ::open(open.path.c_str(), (write ? O_RDWR : O_RDONLY) | O_CLOEXEC);
    if (open.fd < 0) return ioError(write ? "write" : "read", open.path);
  }
  return {};
}

StatementFiles::OpenFile* StatementFiles::opened(std::uint32_t file) const {
  return file < m_files.size() && m_files[file] && m_files[file]->fd >= 0 ? m_files[file].get()
                                                                          : nullptr;
}

std::uint64_t StatementFiles::pages(std::uint32_t file) const {
  const OpenFile* f = opened(file);
  return f != nullptr ? f->pages : 0;
}

SqlError StatementFiles::checkPages(std::uint32_t file, std::uint64_t first,
                                    std::uint64_t count) const {
  const OpenFile* f = opened(file);
  if (f == nullptr) return notOpened();
  if (count > f->pages || first > f->pages - count)  // written so that nothing overflows
    return sqlMessage(kMsgEngineFailure, {"pages outside the data file", f->logicalName});
  return {};
}

SqlError StatementFiles::read(std::uint32_t file, std::uint64_t offset, std::size_t size,
                              std::byte* out) const {
  const OpenFile* f = opened(file);
  if (f == nullptr) return notOpened();
  return transferAt(f->fd, f->path, false, offset, size, out);
}

SqlError StatementFiles::write(std::uint32_t file, std::uint64_t offset, std::size_t size,
                               const std::byte* in) const {
  OpenFile* f = opened(file);
  if (f == nullptr || !m_write) return notOpened();
  bool startWriteBack = false;
  {
    std::lock_guard lock(f->writing);
    SqlError e = transferAt(f->fd, f->path, true, offset, size, const_cast<std::byte*>(in));
    if (!e.ok()) return e;
    f->unstarted += size;
    startWriteBack = f->unstarted >= kWriteBackStep;
    if (startWriteBack) f->unstarted = 0;
  }
  // The server writes through; here the write-back of what the file holds so far starts in
  // steps, outside the lock, while the other devices go on writing.
  if (startWriteBack) ::sync_file_range(f->fd, 0, 0, SYNC_FILE_RANGE_WRITE);
  return {};
}

SqlError StatementFiles::zero(std::uint32_t file, std::uint64_t first, std::uint64_t count) const {
  const OpenFile* f = opened(file);
  if (f == nullptr || !m_write) return notOpened();
  off_t offset = static_cast<off_t>(first * kPageSize);
  off_t size = static_cast<off_t>(count * kPageSize);
  if (::fallocate(f->fd, FALLOC_FL_PUNCH_HOLE | FALLOC_FL_KEEP_SIZE, offset, size) == 0) return {};
  if (errno != EOPNOTSUPP) return ioError("write", f->path);
  std::vector<std::byte> zeros(kPageSize);  // a file system without holes: written zeros
  for (std::uint64_t page = first; page < first + count; ++page) {
    SqlError e = transferAt(f->fd, f->path, true, page * kPageSize, kPageSize, zeros.data());
    if (!e.ok()) return e;
  }
  return {};
}

SqlError StatementFiles::sync() const {
  if (!m_write) return {};
  for (const auto& f : m_files) {
    if (f && f->fd >= 0 && ::fdatasync(f->fd) != 0) return ioError("write", f->path);
  }
  return {};
}

}  // namespace sqlengine
