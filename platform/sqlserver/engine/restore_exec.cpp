// RESTORE through virtual devices: the families of a set in any order on as few as one device
// (the next medium asked for with Load), each device read by a thread of its own with up to
// BUFFERCOUNT reads in flight, each family read exactly to its end and applied as it comes,
// pages written straight from the device's buffers (one write at a time into each file, its
// write-back started in large steps, and the data files of a replaced database written over in
// place); then the files made durable, the log, the stop point and the database's state.
#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <optional>

#include "backup_restore.h"
#include "media.h"
#include "pagefile.h"
#include "sqltime.h"
#include "statement_files.h"
#include "vdevices.h"

namespace sqlengine {

namespace {

// Pages [first, first + count) of the file with this index in the set.
struct PageSpan {
  std::uint32_t fileIndex;
  std::uint64_t first;
  std::uint64_t count;
};

// What one restore knows of the set and the target database.
// The device threads share it: mutex guards set, claimed, complete and log and is held while
// the first header prepares the database (which fixes selected, reused, fresh and files); each
// device thread adds to its own usedDelta and written entries only.
struct RestoreRun {
  RestoreRun(Instance& i, const RestoreStatement& statement, StatementDevices& devices)
      : instance(i), s(statement), d(devices) {}

  Instance& instance;
  const RestoreStatement& s;
  StatementDevices& d;
  std::mutex mutex;
  std::optional<MediaHeader> set;  // the first header read
  std::vector<bool> claimed;       // a family's header was read
  std::vector<bool> complete;      // a family was read to its end
  std::vector<bool> selected;      // the files whose pages this restore applies
  std::vector<bool> reused;        // selected files kept from the replaced database
  bool fresh = false;              // the database was made by this restore: no page was used
  StatementFiles files;            // the selected files, opened for writing
  std::vector<LogRecord> log;      // the set's log records
  // Per device: the change of each file's count of used pages (by index in the set).
  std::vector<std::map<std::uint32_t, std::int64_t>> usedDelta;
  // Per device: the pages it wrote into reused files, whose other pages are zeroed at the end.
  std::vector<std::vector<PageSpan>> written;
  bool stopPending = false;  // a stop point was named and this log did not reach it

  const std::string& target() const { return s.database; }
  bool allClaimed() const {
    return std::all_of(claimed.begin(), claimed.end(), [](bool b) { return b; });
  }
};

std::uint64_t propertyNumber(Instance& instance, const std::string& db, const char* key) {
  std::string value;
  if (!instance.property(db, key, value).ok() || value.empty()) return 0;
  return std::stoull(value);
}

// ---- Preparing the database at the first header ----

bool itemNames(const std::vector<FileItem>& items, const MediaFile& f) {
  for (const FileItem& item : items) {
    if (sameName(item.name, item.kind == FileItem::kFile ? f.logicalName : f.group)) return true;
  }
  return false;
}

void selectFiles(RestoreRun& run) {
  const MediaHeader& h = *run.set;
  run.selected.assign(h.files.size(), false);
  run.reused.assign(h.files.size(), false);
  for (std::size_t i = 0; i < h.files.size(); ++i) {
    const MediaFile& f = h.files[i];
    bool wanted = run.s.items.empty() && !run.s.partial;
    if (!wanted) wanted = itemNames(run.s.items, f) || (run.s.partial && f.group == kPrimaryGroup);
    run.selected[i] = f.included && wanted;
  }
}

std::string physicalFor(const RestoreStatement& s, const MediaFile& f) {
  for (const MoveItem& m : s.moves) {
    if (sameName(m.logicalName, f.logicalName)) return m.physicalName;
  }
  return f.physicalName;
}

SqlError checkMoves(const RestoreRun& run) {
  for (const MoveItem& m : run.s.moves) {
    bool known = std::any_of(run.set->files.begin(), run.set->files.end(), [&](const MediaFile& f) {
      return sameName(m.logicalName, f.logicalName);
    });
    if (!known) return sqlMessage(kMsgLogicalFileUnknown, {m.logicalName, run.set->database});
  }
  return {};
}

// Every file the restore creates is free or the replaced database's own: checked before the
// replaced database goes, so that a refused statement changes nothing.
SqlError checkTargets(RestoreRun& run, const Database* replacedP) {
  std::vector<Database> all;
  if (SqlError e = run.instance.databases(all); !e.ok()) return e;
  for (const MediaFile& f : run.set->files) {
    DbFile target;
    target.physicalName = physicalFor(run.s, f);
    if (target.physicalName.empty()) continue;  // a default place under the new database
    std::filesystem::path path = run.instance.filePath(target);
    for (const Database& db : all) {
      if (replacedP != nullptr && sameName(db.name, replacedP->name)) continue;
      auto uses = [&](const DbFile& file) { return run.instance.filePath(file) == path; };
      bool used = std::any_of(db.logFiles.begin(), db.logFiles.end(), uses);
      for (const FileGroup& g : db.groups)
        used = used || std::any_of(g.files.begin(), g.files.end(), uses);
      if (used) return sqlMessage(kMsgFileInUse, {target.physicalName, db.name});
    }
  }
  return {};
}

// The selected data files that land on a data file of the database replaced: the restore writes
// over them in place, as the server does, instead of deleting and creating them.
std::vector<std::filesystem::path> reusableFiles(RestoreRun& run, const Database& replaced) {
  std::vector<std::filesystem::path> paths;
  for (const FileGroup& g : replaced.groups)
    for (const DbFile& f : g.files) paths.push_back(run.instance.filePath(f));
  std::vector<std::filesystem::path> reuse;
  for (std::size_t i = 0; i < run.set->files.size(); ++i) {
    const MediaFile& f = run.set->files[i];
    DbFile target;
    target.physicalName = physicalFor(run.s, f);
    if (!run.selected[i] || f.log || target.physicalName.empty()) continue;
    std::filesystem::path path = run.instance.filePath(target);
    bool known = std::find(paths.begin(), paths.end(), path) != paths.end();
    if (!known || std::find(reuse.begin(), reuse.end(), path) != reuse.end()) continue;
    reuse.push_back(path);
    run.reused[i] = true;
  }
  return reuse;
}

// A full restore makes the database anew, from the set's file list, at the MOVE targets.
SqlError createFromSet(RestoreRun& run, int serverVersion) {
  Instance& instance = run.instance;
  const MediaHeader& h = *run.set;
  Database existing;
  std::vector<std::filesystem::path> reuse;
  if (instance.database(run.target(), existing).ok()) {
    bool midSequence = existing.status == kStatusLoading || existing.status == kStatusStandby;
    if (!run.s.replace && !midSequence) {
      if (!sameName(existing.name, h.database))
        return sqlMessage(kMsgOtherDatabase, {existing.name});
      if (serverVersion >= 9) return sqlMessage(kMsgTailNotBackedUp, {existing.name});
    }
    if (SqlError e = checkTargets(run, &existing); !e.ok()) return e;
    reuse = reusableFiles(run, existing);
    if (SqlError e = instance.removeDatabase(existing.name, reuse); !e.ok()) return e;
  } else if (SqlError e = checkTargets(run, nullptr); !e.ok()) {
    return e;
  }
  Database definition;
  definition.name = run.target();
  for (const MediaFile& f : h.files) {
    DbFile file;
    file.logicalName = f.logicalName;
    file.physicalName = physicalFor(run.s, f);
    file.sizeKb = f.sizeKb;
    if (f.log) {
      definition.logFiles.push_back(file);
      continue;
    }
    auto group = std::find_if(definition.groups.begin(), definition.groups.end(),
                              [&](const FileGroup& g) { return g.name == f.group; });
    if (group == definition.groups.end())
      group = definition.groups.insert(definition.groups.end(), {f.group, {}});
    group->files.push_back(file);
  }
  if (SqlError e = instance.createDatabase(definition, reuse); !e.ok()) {
    std::error_code ec;
    for (const std::filesystem::path& path : reuse) std::filesystem::remove(path, ec);
    return e;
  }
  run.fresh = true;  // a reused file's pages are written or zeroed by this restore
  if (SqlError e = instance.setStatus(definition.name, kStatusLoading); !e.ok()) return e;
  return instance.setProperty(definition.name, kPropRestoreFullLsn, std::to_string(h.lastLsn));
}

// The restore sequence goes on: the database waits for this backup.
SqlError checkSequence(RestoreRun& run) {
  Instance& instance = run.instance;
  const MediaHeader& h = *run.set;
  Database db;
  if (SqlError e = instance.database(run.target(), db); !e.ok()) return e;
  bool restoring = db.status == kStatusLoading || db.status == kStatusStandby;
  bool stopped = propertyNumber(instance, db.name, kPropStopReached) == 1;
  if (h.kind == BackupKind::kLog && (!restoring || stopped))
    return sqlMessage(kMsgRestoreSequenceEnded);
  if (h.kind == BackupKind::kDifferential &&
      (!restoring || propertyNumber(instance, db.name, kPropRestoreFullLsn) != h.baseLsn))
    return sqlMessage(kMsgDiffWithoutBase);
  if (h.kind != BackupKind::kLog) return {};
  std::uint64_t at = propertyNumber(instance, db.name, kPropRestoreLsn);
  if (h.firstLsn > at)
    return sqlMessage(kMsgLogTooLate, {std::to_string(h.firstLsn), std::to_string(at)});
  if (h.lastLsn <= at)
    return sqlMessage(kMsgLogTooEarly, {std::to_string(h.lastLsn), std::to_string(at)});
  return {};
}

SqlError prepareDatabase(RestoreRun& run, int serverVersion) {
  const MediaHeader& h = *run.set;
  if (run.s.log != (h.kind == BackupKind::kLog)) {
    return sqlMessage(kMsgEngineFailure,
                      {std::string("The backup set holds a ") +
                       (run.s.log ? "database backup; RESTORE LOG needs a log backup."
                                  : "log backup; RESTORE DATABASE needs a database backup.")});
  }
  if (SqlError e = checkMoves(run); !e.ok()) return e;
  selectFiles(run);
  bool whole = h.kind == BackupKind::kFull && run.s.items.empty();
  if (whole || (h.kind == BackupKind::kFull && run.s.partial))
    return createFromSet(run, serverVersion);
  return checkSequence(run);
}

// ---- Reading the families ----

// The catalogue counts the pages the restore made used (or unused) in each file.
SqlError countRestoredPages(RestoreRun& run) {
  std::map<std::uint32_t, std::int64_t> total;
  for (const auto& device : run.usedDelta)
    for (const auto& [file, delta] : device) total[file] += delta;
  for (const auto& [file, delta] : total) {
    if (delta == 0) continue;
    SqlError e = run.instance.addUsedPages(run.target(), run.set->files[file].logicalName, delta);
    if (!e.ok()) return e;
  }
  return {};
}

// The records of one family as its bytes arrive, applied at once: pages go from the device's
// buffer straight to their file, log records are gathered. A record may be cut anywhere by the
// transfers; only a record head or a log record is put together in memory.
class FamilyApplier {
 public:
  FamilyApplier(RestoreRun& run, std::size_t device) : m_run(run), m_device(device) {}

  bool ended() const { return m_ended; }
  // Takes the next size bytes of the family's payload; the bytes after the end record are its
  // padding and are ignored.
  SqlError take(const std::byte* data, std::size_t size) {
    while (size > 0 && !m_ended) {
      std::size_t n = m_dataLeft == 0 ? takeHead(data, size) : takeData(data, size);
      if (!m_error.ok()) return m_error;
      data += n;
      size -= n;
    }
    return {};
  }

 private:
  std::size_t takeHead(const std::byte* data, std::size_t size) {
    std::size_t n = std::min(size, kRecordHeadSize - m_headHave);
    std::memcpy(m_head + m_headHave, data, n);
    m_headHave += n;
    if (m_headHave == kRecordHeadSize) startRecord();
    return n;
  }

  void startRecord() {
    m_headHave = 0;
    const MediaHeader& h = *m_run.set;
    bool pages = false;
    if (!decodeRecordHead(m_head, m_record) ||
        ((pages = m_record.kind == kRecordPages) && m_record.fileIndex >= h.files.size())) {
      m_error = malformed();
      return;
    }
    m_ended = m_record.kind == kRecordEnd;
    m_dataLeft = m_record.dataBytes();
    m_dataDone = 0;
    m_writing = pages && m_run.selected[m_record.fileIndex];
    if (!m_writing) return;
    m_error = m_run.files.checkPages(m_record.fileIndex, m_record.firstPage, m_record.count);
    if (m_error.ok() && m_run.reused[m_record.fileIndex])
      m_run.written[m_device].push_back({m_record.fileIndex, m_record.firstPage, m_record.count});
    if (m_error.ok() && !m_run.fresh) m_error = countUsedBefore();
  }

  std::size_t takeData(const std::byte* data, std::size_t size) {
    std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(size, m_dataLeft));
    if (m_record.kind == kRecordLog) m_log.insert(m_log.end(), data, data + n);
    if (m_writing) {
      m_error = m_run.files.write(m_record.fileIndex, m_record.firstPage * kPageSize + m_dataDone,
                                  n, data);
      countUsed(data, n);
    }
    m_dataDone += n;
    m_dataLeft -= n;
    if (m_dataLeft == 0 && m_record.kind == kRecordLog && m_error.ok()) m_error = endLogRecord();
    return n;
  }

  // A page is used when its sequence number (its first 8 bytes) is not 0; those bytes may
  // arrive in two transfers.
  void countUsed(const std::byte* data, std::size_t size) {
    std::uint64_t from = m_dataDone;
    for (std::uint64_t page = from / kPageSize * kPageSize; page < from + size; page += kPageSize) {
      std::uint64_t begin = std::max(page, from);
      std::uint64_t end = std::min(page + 8, from + size);
      for (std::uint64_t at = begin; at < end; ++at) {
        m_lsnNonZero = m_lsnNonZero || data[at - from] != std::byte{0};
        if (at - page == 7) {
          if (m_lsnNonZero) ++m_run.usedDelta[m_device][m_record.fileIndex];
          m_lsnNonZero = false;
        }
      }
    }
  }

  // Over an existing database the pages replaced may have been used: their sequence numbers
  // are read before the record's pages are written.
  SqlError countUsedBefore() {
    for (std::uint64_t i = 0; i < m_record.count; ++i) {
      std::byte lsn[8];
      std::uint64_t offset = (m_record.firstPage + i) * kPageSize;
      if (SqlError e = m_run.files.read(m_record.fileIndex, offset, sizeof lsn, lsn); !e.ok())
        return e;
      if (pageLsn(lsn) != 0) --m_run.usedDelta[m_device][m_record.fileIndex];
    }
    return {};
  }

  SqlError endLogRecord() {
    std::vector<LogRecord> records(m_record.count);
    for (std::uint64_t i = 0; i < m_record.count; ++i) {
      if (!decodeLogSlot(m_log.data() + i * kLogSlotSize, records[i])) return malformed();
    }
    m_log.clear();
    std::lock_guard lock(m_run.mutex);
    m_run.log.insert(m_run.log.end(), records.begin(), records.end());
    return {};
  }

  SqlError malformed() const { return sqlMessage(kMsgFamilyMalformed, {m_run.d.names[m_device]}); }

  RestoreRun& m_run;
  std::size_t m_device;
  std::byte m_head[kRecordHeadSize] = {};
  std::size_t m_headHave = 0;
  RecordHead m_record;
  std::uint64_t m_dataLeft = 0;  // bytes of the current record's data still to come
  std::uint64_t m_dataDone = 0;  // bytes of it already taken
  bool m_writing = false;        // its pages go to a file
  bool m_lsnNonZero = false;     // of the page whose sequence number is being read
  std::vector<std::byte> m_log;  // the current log record's slots
  bool m_ended = false;
  SqlError m_error;
};

// A family's header: the first one fixes the set, prepares the database and opens its files;
// every family belongs to that set and arrives once. Called with the run's mutex held.
SqlError takeHeader(RestoreRun& run, const std::vector<std::byte>& header, std::size_t device,
                    MediaHeader& f, int serverVersion) {
  if (!decodeMediaHeader(header.data(), header.size(), f))
    return sqlMessage(kMsgFamilyMalformed, {run.d.names[device]});
  if (run.set && (f.setId != run.set->setId || f.familyCount != run.set->familyCount))
    return sqlMessage(kMsgFamilyMalformed, {run.d.names[device]});
  if (!run.set) {
    run.set = f;
    run.claimed.assign(f.familyCount, false);
    run.complete.assign(f.familyCount, false);
    if (SqlError e = prepareDatabase(run, serverVersion); !e.ok()) return e;
    if (SqlError e = run.files.open(run.instance, run.target(), f.files, run.selected, true);
        !e.ok())
      return e;
  }
  if (run.claimed[f.family - 1])
    return sqlMessage(kMsgDuplicateFamily, {run.d.names[device], std::to_string(f.family)});
  run.claimed[f.family - 1] = true;
  return {};
}

// One device's media, read with up to `depth` reads in flight: each family's header, then its
// payload to the family's length, applied as it comes; then, while families of the set are
// still unread and the device takes other media, a Load and the next medium's family.
class DeviceReader {
 public:
  DeviceReader(RestoreRun& run, std::size_t device, std::uint32_t depth, int serverVersion)
      : m_run(run),
        m_device(device),
        m_pipe(run.d, device, false, depth),
        m_serverVersion(serverVersion) {}

  SqlError run() {
    for (;;) {
      bool more = false;
      if (SqlError e = readHeader(more); !e.ok() || !more) return e;
      if (SqlError e = readPayload(); !e.ok()) return e;
      if (SqlError e = familyDone(more); !e.ok() || !more) return e;
      if (SqlError e = m_pipe.send(VDC_Load); !e.ok()) return e;
      vdi::VDServerCompletion done{};
      if (SqlError e = m_pipe.awaitOldest(done); !e.ok()) return e;
    }
  }

 private:
  // more: false when the device has no medium left.
  SqlError readHeader(bool& more) {
    std::vector<std::byte> header;
    while (header.size() < kMediaHeaderSize) {
      DWORD size = static_cast<DWORD>(
          std::min<std::size_t>(m_run.d.config.maxTransferSize, kMediaHeaderSize - header.size()));
      const std::byte* data = nullptr;
      std::uint32_t n = 0;
      bool atEnd = false;
      if (SqlError e = readOne(size, data, n, atEnd); !e.ok()) return e;
      if (atEnd && n == 0 && header.empty()) {
        more = false;  // no medium left on this device
        return {};
      }
      header.insert(header.end(), data, data + n);
      if (atEnd && header.size() < kMediaHeaderSize) return malformed();
    }
    std::lock_guard lock(m_run.mutex);
    more = true;
    return takeHeader(m_run, header, m_device, m_family, m_serverVersion);
  }

  SqlError readOne(DWORD size, const std::byte*& data, std::uint32_t& n, bool& atEnd) {
    if (SqlError e = m_pipe.send(VDC_Read, size); !e.ok()) return e;
    return awaitRead(data, n, atEnd);
  }

  SqlError awaitRead(const std::byte*& data, std::uint32_t& n, bool& atEnd) {
    vdi::VDServerCompletion done{};
    const BYTE* buffer = nullptr;
    if (SqlError e = m_pipe.awaitOldest(done, &buffer); !e.ok()) return e;
    data = reinterpret_cast<const std::byte*>(buffer);
    n = done.bytesTransferred;
    atEnd = done.completionCode == ERROR_HANDLE_EOF || n < done.command.size;
    return {};
  }

  // Keeps the pipe full while payload remains to be asked for, and applies each read in turn.
  SqlError readPayload() {
    FamilyApplier applier(m_run, m_device);
    std::uint64_t left = m_family.familyBytes - kMediaHeaderSize;  // not yet read
    std::uint64_t unasked = left;
    while (left > 0) {
      while (unasked > 0 && !m_pipe.full()) {
        DWORD size =
            static_cast<DWORD>(std::min<std::uint64_t>(m_run.d.config.maxTransferSize, unasked));
        if (SqlError e = m_pipe.send(VDC_Read, size); !e.ok()) return e;
        unasked -= size;
      }
      const std::byte* data = nullptr;
      std::uint32_t n = 0;
      bool atEnd = false;
      if (SqlError e = awaitRead(data, n, atEnd); !e.ok()) return e;
      if (SqlError e = applier.take(data, n); !e.ok()) return e;
      left -= n;
      if (atEnd && left > 0) return malformed();
    }
    return applier.ended() ? SqlError{} : malformed();
  }

  // more: whether the device asks for its next medium.
  SqlError familyDone(bool& more) {
    std::lock_guard lock(m_run.mutex);
    m_run.complete[m_family.family - 1] = true;
    more = !m_run.allClaimed() && m_run.d.removable();
    return {};
  }

  SqlError malformed() const { return sqlMessage(kMsgFamilyMalformed, {m_run.d.names[m_device]}); }

  RestoreRun& m_run;
  std::size_t m_device;
  DevicePipe m_pipe;
  int m_serverVersion;
  MediaHeader m_family;
};

// In each reused file, the pages no family wrote become zero, as in a file made anew.
SqlError zeroUnwritten(RestoreRun& run) {
  std::vector<PageSpan> spans;
  for (const auto& device : run.written) spans.insert(spans.end(), device.begin(), device.end());
  std::sort(spans.begin(), spans.end(), [](const PageSpan& a, const PageSpan& b) {
    return a.fileIndex != b.fileIndex ? a.fileIndex < b.fileIndex : a.first < b.first;
  });
  for (std::uint32_t i = 0; i < run.reused.size(); ++i) {
    if (!run.reused[i]) continue;
    std::uint64_t at = 0;  // the pages before it are written or zeroed
    for (const PageSpan& span : spans) {
      if (span.fileIndex != i) continue;
      if (span.first > at)
        if (SqlError e = run.files.zero(i, at, span.first - at); !e.ok()) return e;
      at = std::max(at, span.first + span.count);
    }
    std::uint64_t pages = run.files.pages(i);
    if (pages > at)
      if (SqlError e = run.files.zero(i, at, pages - at); !e.ok()) return e;
  }
  return {};
}

// Every device read on a thread of its own; then the pages restored are made durable and
// counted in the catalogue.
SqlError readFamilies(RestoreRun& run, int serverVersion) {
  std::uint32_t depth = buffersPerDevice(run.s.transfer);
  run.usedDelta.assign(run.d.names.size(), std::map<std::uint32_t, std::int64_t>{});
  run.written.assign(run.d.names.size(), std::vector<PageSpan>{});
  SqlError read = runPerDevice(
      run.d, [&](std::size_t i) { return DeviceReader(run, i, depth, serverVersion).run(); });
  if (!read.ok()) return read;
  std::size_t got = std::count(run.complete.begin(), run.complete.end(), true);
  if (!run.set || got != run.complete.size()) {
    std::string name = run.set ? run.set->database : run.target();
    std::string count = run.set ? std::to_string(run.set->familyCount) : "1";
    return sqlMessage(kMsgFamilyMissing, {name, count, std::to_string(got)});
  }
  if (SqlError e = zeroUnwritten(run); !e.ok()) return e;
  if (SqlError e = run.files.sync(); !e.ok()) return e;
  return countRestoredPages(run);
}

// ---- The log and the database's state ----

// The log records a log restore applies: those past the restored point, up to the stop point.
// stopped tells whether the stop point lies inside this backup.
std::vector<LogRecord> upToStop(const RestoreStatement& s, std::vector<LogRecord> records,
                                bool& stopped) {
  stopped = false;
  std::optional<std::int64_t> stopAt = s.stopAt ? parseSqlTime(*s.stopAt) : std::nullopt;
  std::optional<std::int64_t> after = s.after ? parseSqlTime(*s.after) : std::nullopt;
  std::vector<LogRecord> out;
  for (const LogRecord& r : records) {
    if (stopAt && r.timeMs > *stopAt) {
      stopped = true;
      break;
    }
    bool markHere = s.stopMark != RestoreStatement::kNoMark && r.mark == s.markName &&
                    (!after || r.timeMs >= *after);
    if (markHere && s.stopMark == RestoreStatement::kStopBeforeMark) {
      stopped = true;
      break;
    }
    out.push_back(r);
    if (markHere) {
      stopped = true;
      break;
    }
  }
  return out;
}

SqlError applyLog(RestoreRun& run) {
  Instance& instance = run.instance;
  const MediaHeader& h = *run.set;
  const std::string& db = run.target();
  std::sort(run.log.begin(), run.log.end(),
            [](const LogRecord& a, const LogRecord& b) { return a.lsn < b.lsn; });
  if (h.kind == BackupKind::kFiles || !run.s.items.empty()) {
    // The restored files stand at the end of their backup: log backups roll them forward
    // from there, as on the server.
    if (SqlError e = instance.setProperty(db, kPropStopReached, ""); !e.ok()) return e;
    return instance.setProperty(db, kPropRestoreLsn, std::to_string(h.lastLsn));
  }
  if (h.kind != BackupKind::kLog) {
    if (SqlError e = instance.replaceLog(db, run.log, h.lastLsn); !e.ok()) return e;
    return instance.setProperty(db, kPropRestoreLsn, std::to_string(h.lastLsn));
  }
  std::uint64_t at = propertyNumber(instance, db, kPropRestoreLsn);
  std::erase_if(run.log, [&](const LogRecord& r) { return r.lsn < at; });
  bool stopped = false;
  std::vector<LogRecord> added = upToStop(run.s, run.log, stopped);
  std::vector<LogRecord> log;
  if (SqlError e = instance.readLog(db, log); !e.ok()) return e;
  log.insert(log.end(), added.begin(), added.end());
  std::uint64_t next = stopped ? (added.empty() ? at : added.back().lsn + 1) : h.lastLsn;
  // A stop point past this backup's end: the database waits for the next log backup.
  run.stopPending = !stopped && (run.s.stopAt || run.s.stopMark != RestoreStatement::kNoMark);
  if (SqlError e = instance.replaceLog(db, log, next); !e.ok()) return e;
  if (SqlError e = instance.setProperty(db, kPropRestoreLsn, std::to_string(next)); !e.ok())
    return e;
  return stopped ? instance.setProperty(db, kPropStopReached, "1") : SqlError{};
}

SqlError finishState(RestoreRun& run) {
  Instance& instance = run.instance;
  const std::string& db = run.target();
  if (run.s.recovery == RestoreStatement::kNoRecovery || run.stopPending)
    return instance.setStatus(db, run.s.recovery == RestoreStatement::kStandby && run.stopPending
                                      ? kStatusStandby
                                      : kStatusLoading);
  if (run.s.recovery == RestoreStatement::kStandby) {
    std::ofstream undo(run.s.standbyFile, std::ios::binary | std::ios::trunc);
    if (!undo) return sqlMessage(kMsgIoError, {"cannot create", "write", run.s.standbyFile});
    return instance.setStatus(db, kStatusStandby);
  }
  // Recovered: later backups of the database take this state as their base.
  const MediaHeader& h = *run.set;
  std::string restored;
  if (SqlError e = instance.property(db, kPropRestoreLsn, restored); !e.ok()) return e;
  if (h.kind == BackupKind::kFull)
    if (SqlError e = instance.setProperty(db, kPropFullLsn, std::to_string(h.lastLsn)); !e.ok())
      return e;
  if (!restored.empty())
    if (SqlError e = instance.setProperty(db, kPropLogChainLsn, restored); !e.ok()) return e;
  return instance.setStatus(db, kStatusNormal);
}

}  // namespace

namespace {

// A stop time that cannot be read is refused before anything is read or changed.
SqlError checkStopTimes(const RestoreStatement& s) {
  for (const std::optional<std::string>* timeP : {&s.stopAt, &s.after}) {
    if (*timeP && !parseSqlTime(**timeP)) return sqlMessage(kMsgBadDateTime);
  }
  return {};
}

}  // namespace

SqlError runRestore(Instance& instance, const RestoreStatement& s) {
  if (SqlError e = checkStopTimes(s); !e.ok()) return e;
  ServerFacts facts;
  if (SqlError e = instance.facts(facts); !e.ok()) return e;
  const char* statementName = s.log ? "RESTORE LOG" : "RESTORE DATABASE";
  StatementDevices d;
  if (SqlError e = openStatementDevices(instance, s.devices, s.transfer, statementName, false, d);
      !e.ok())
    return e;
  RestoreRun run{instance, s, d};
  if (SqlError e = readFamilies(run, facts.versionMajor); !e.ok()) return d.fail(e);
  d.set->Close();
  if (SqlError e = applyLog(run); !e.ok()) return d.fail(e);
  if (SqlError e = finishState(run); !e.ok()) return d.fail(e);
  return {};
}

}  // namespace sqlengine
