// BACKUP through virtual devices: one media family per device, each written by a thread of its
// own in transfers up to the statement's maximum, with up to BUFFERCOUNT writes in flight per
// device and the pages read once, straight into the device's buffers; then a Flush on every
// device, and only then the waits for the flushes.
#include <algorithm>
#include <cctype>
#include <cstring>
#include <memory>
#include <random>

#include "backup_restore.h"
#include "media.h"
#include "pagefile.h"
#include "sqltime.h"
#include "statement_files.h"
#include "vdevices.h"

namespace sqlengine {

namespace {

constexpr std::uint64_t kPagesPerRecord = 64;
constexpr std::uint64_t kPagesPerScan = 512;
constexpr std::size_t kLogSlotsPerRecord = 1024;

// A run of pages of one file that goes into the set as one record.
struct PageRun {
  std::uint32_t fileIndex;
  std::uint64_t firstPage;
  std::uint64_t count;
};

// The bytes of one family as a list of segments: bytes made in memory (the header, record
// heads, log records, the end record), page runs read from the data files straight into the
// device's buffer when a write takes them, and the zeros that pad the family to the block size.
class FamilyStream {
 public:
  FamilyStream(const StatementFiles& files, const MediaHeader& header,
               const std::vector<PageRun>& runs, const std::vector<LogRecord>& log,
               std::uint32_t blockSize)
      : m_files(files), m_header(header) {
    std::uint64_t bytes = kMediaHeaderSize + kRecordHeadSize;
    for (const PageRun& r : runs) bytes += kRecordHeadSize + r.count * kPageSize;
    std::size_t logRecords = (log.size() + kLogSlotsPerRecord - 1) / kLogSlotsPerRecord;
    bytes += logRecords * kRecordHeadSize + log.size() * kLogSlotSize;
    m_header.familyBytes = (bytes + blockSize - 1) / blockSize * blockSize;
    m_made.reserve(kMediaHeaderSize + kRecordHeadSize * (runs.size() + logRecords + 1) +
                   log.size() * kLogSlotSize);
    m_headerFits = encodeMediaHeader(m_header, grow(kMediaHeaderSize));
    for (const PageRun& r : runs) {
      encodeRecordHead(RecordHead{kRecordPages, r.fileIndex, r.firstPage, r.count},
                       grow(kRecordHeadSize));
      m_segments.push_back(
          Segment{Segment::kPages, r.count * kPageSize, r.fileIndex, r.firstPage * kPageSize});
    }
    for (std::size_t first = 0; first < log.size(); first += kLogSlotsPerRecord) {
      std::size_t n = std::min(kLogSlotsPerRecord, log.size() - first);
      encodeRecordHead(RecordHead{kRecordLog, 0, 0, n}, grow(kRecordHeadSize));
      std::byte* slots = grow(n * kLogSlotSize);
      for (std::size_t i = 0; i < n; ++i) encodeLogSlot(log[first + i], slots + i * kLogSlotSize);
    }
    encodeRecordHead(RecordHead{kRecordEnd, 0, 0, 0}, grow(kRecordHeadSize));
    m_segments.push_back(Segment{Segment::kZeros, m_header.familyBytes - bytes, 0, 0});
  }

  // False when the header does not fit its place.
  bool headerFits() const { return m_headerFits; }
  std::uint64_t left() const { return m_header.familyBytes - m_done; }

  // Fills out with the next size bytes of the family.
  SqlError fill(std::byte* out, std::size_t size) {
    while (size > 0) {
      const Segment& segment = m_segments[m_segment];
      std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(size, segment.size - m_at));
      if (segment.kind == Segment::kMade) {
        std::memcpy(out, m_made.data() + segment.at + m_at, n);
      } else if (segment.kind == Segment::kZeros) {
        std::memset(out, 0, n);
      } else if (SqlError e = m_files.read(segment.file, segment.at + m_at, n, out); !e.ok()) {
        return e;
      }
      out += n;
      size -= n;
      m_done += n;
      m_at += n;
      if (m_at == segment.size) {
        ++m_segment;
        m_at = 0;
      }
    }
    return {};
  }

 private:
  struct Segment {
    enum Kind { kMade, kPages, kZeros } kind;
    std::uint64_t size;
    std::uint32_t file;  // kPages: the file's index in the set
    std::uint64_t at;    // kMade: offset in m_made; kPages: offset in the file
  };

  // size more bytes made in memory, appended to the last made segment when it ends there.
  std::byte* grow(std::size_t size) {
    std::size_t at = m_made.size();
    m_made.resize(at + size);
    if (!m_segments.empty() && m_segments.back().kind == Segment::kMade &&
        m_segments.back().at + m_segments.back().size == at) {
      m_segments.back().size += size;
    } else {
      m_segments.push_back(Segment{Segment::kMade, size, 0, at});
    }
    return m_made.data() + at;
  }

  const StatementFiles& m_files;
  MediaHeader m_header;
  std::vector<std::byte> m_made;
  std::vector<Segment> m_segments;
  bool m_headerFits = false;
  std::size_t m_segment = 0;  // where the next byte comes from
  std::uint64_t m_at = 0;     // bytes of that segment already given
  std::uint64_t m_done = 0;
};

BackupKind kindOf(const BackupStatement& s) {
  if (s.log) return BackupKind::kLog;
  if (s.differential) return BackupKind::kDifferential;
  if (!s.items.empty()) return BackupKind::kFiles;
  return BackupKind::kFull;
}

bool named(const std::vector<FileItem>& items, const MediaFile& f) {
  for (const FileItem& item : items) {
    const std::string& name = item.kind == FileItem::kFile ? f.logicalName : f.group;
    if (sameName(item.name, name)) return true;
  }
  return false;
}

void addPage(std::vector<PageRun>& runs, std::uint32_t index, std::uint64_t page) {
  PageRun* last = runs.empty() ? nullptr : &runs.back();
  if (last && last->fileIndex == index && last->firstPage + last->count == page &&
      last->count < kPagesPerRecord) {
    ++last->count;
  } else {
    runs.push_back(PageRun{index, page, 1});
  }
}

// The runs of pages a backup of this kind takes from one data file: every page ever written,
// or for a differential those changed since the full backup. The catalogue's count of used
// pages spares a full backup the look at each page of a file that is all used or all empty.
SqlError scanFile(const StatementFiles& files, const MediaHeader& h, std::uint32_t index,
                  std::uint64_t usedPages, std::vector<PageRun>& runs) {
  std::uint64_t pages = files.pages(index);
  bool differential = h.kind == BackupKind::kDifferential;
  if (!differential && usedPages == 0) return {};
  if (!differential && usedPages == pages) {
    for (std::uint64_t first = 0; first < pages; first += kPagesPerRecord)
      runs.push_back(PageRun{index, first, std::min(kPagesPerRecord, pages - first)});
    return {};
  }
  std::vector<std::byte> block(kPagesPerScan * kPageSize);
  for (std::uint64_t first = 0; first < pages; first += kPagesPerScan) {
    std::uint64_t n = std::min(kPagesPerScan, pages - first);
    if (SqlError e = files.read(index, first * kPageSize, n * kPageSize, block.data()); !e.ok())
      return e;
    for (std::uint64_t i = 0; i < n; ++i) {
      std::uint64_t lsn = pageLsn(block.data() + i * kPageSize);
      bool wanted = differential ? lsn >= h.baseLsn : lsn != 0;
      if (wanted) addPage(runs, index, first + i);
    }
  }
  return {};
}

std::uint64_t propertyNumber(Instance& instance, const std::string& db, const char* key) {
  std::string value;
  if (!instance.property(db, key, value).ok() || value.empty()) return 0;
  return std::stoull(value);
}

// The header every family shares, and what goes into the set.
SqlError planBackup(Instance& instance, const BackupStatement& s, const Database& db,
                    StatementFiles& files, MediaHeader& h, std::vector<PageRun>& runs,
                    std::vector<LogRecord>& log) {
  ServerFacts facts;
  if (SqlError e = instance.facts(facts); !e.ok()) return e;
  h.setId = std::random_device{}() * 0x100000000ULL + std::random_device{}();
  h.database = db.name;
  h.setName = s.name.value_or(db.name);
  h.kind = kindOf(s);
  h.serverVersion = facts.versionMajor;
  h.lastLsn = db.nextLsn;
  h.timeMs = sqlTimeNow();
  std::vector<std::uint64_t> usedPages;
  for (const FileGroup& g : db.groups) {
    for (const DbFile& f : g.files) {
      h.files.push_back(MediaFile{g.name, f.logicalName, f.physicalName, f.sizeKb, f.primary, false,
                                  h.kind != BackupKind::kLog});
      usedPages.push_back(static_cast<std::uint64_t>(f.usedPages));
    }
  }
  for (const DbFile& f : db.logFiles)
    h.files.push_back(MediaFile{"", f.logicalName, f.physicalName, f.sizeKb, false, true, false});
  if (h.kind == BackupKind::kFiles) {
    for (const FileItem& item : s.items) {
      bool found = std::any_of(h.files.begin(), h.files.end(), [&](const MediaFile& f) {
        return !f.log &&
               sameName(item.name, item.kind == FileItem::kFile ? f.logicalName : f.group);
      });
      if (!found) return sqlMessage(kMsgLogicalFileUnknown, {item.name, db.name});
    }
    for (MediaFile& f : h.files) f.included = !f.log && named(s.items, f);
  }
  if (h.kind == BackupKind::kDifferential) {
    h.baseLsn = propertyNumber(instance, db.name, kPropFullLsn);
    if (h.baseLsn == 0) return sqlMessage(kMsgNoCurrentBackup, {db.name});
  }
  if (h.kind == BackupKind::kLog) {
    h.firstLsn = propertyNumber(instance, db.name, kPropLogChainLsn);
    if (h.firstLsn == 0) return sqlMessage(kMsgNoLogChain);
  }
  std::vector<bool> included;
  for (const MediaFile& f : h.files) included.push_back(f.included);
  if (SqlError e = files.open(instance, db.name, h.files, included, false); !e.ok()) return e;
  for (std::uint32_t i = 0; i < h.files.size(); ++i) {
    if (!h.files[i].included) continue;
    if (SqlError e = scanFile(files, h, i, usedPages[i], runs); !e.ok()) return e;
  }
  if (h.kind == BackupKind::kFiles) return {};
  if (SqlError e = instance.readLog(db.name, log); !e.ok()) return e;
  if (h.kind == BackupKind::kLog)
    std::erase_if(log, [&](const LogRecord& r) { return r.lsn < h.firstLsn; });
  return {};
}

// Writes one family to its device with up to `depth` writes in flight.
SqlError writeFamily(StatementDevices& d, std::size_t i, FamilyStream& family,
                     std::uint32_t depth) {
  DevicePipe pipe(d, i, true, depth);
  while (family.left() > 0) {
    if (pipe.full()) {
      vdi::VDServerCompletion done{};
      if (SqlError e = pipe.awaitOldest(done); !e.ok()) return e;
    }
    DWORD n = static_cast<DWORD>(std::min<std::uint64_t>(family.left(), d.config.maxTransferSize));
    if (SqlError e = family.fill(reinterpret_cast<std::byte*>(pipe.nextBuffer()), n); !e.ok())
      return e;
    if (SqlError e = pipe.send(VDC_Write, n); !e.ok()) return e;
  }
  return pipe.drain();
}

// Every device flushed before the engine waits for any flush.
SqlError flushAll(StatementDevices& d) {
  for (std::size_t i = 0; i < d.names.size(); ++i) {
    HRESULT hr = d.device(i).SendCommand(VDC_Flush);
    if (FAILED(hr)) return d.deviceFault(i, true, hresultText(hr));
  }
  for (std::size_t i = 0; i < d.names.size(); ++i) {
    if (SqlError e = awaitCompletion(d, i, true); !e.ok()) return e;
  }
  return {};
}

// What a finished backup changes: the base of differentials, the log chain and the log.
SqlError recordBackup(Instance& instance, const BackupStatement& s, const MediaHeader& h) {
  const std::string& db = h.database;
  if (h.kind == BackupKind::kFull) {
    if (SqlError e = instance.setProperty(db, kPropFullLsn, std::to_string(h.lastLsn)); !e.ok())
      return e;
    if (propertyNumber(instance, db, kPropLogChainLsn) == 0)
      return instance.setProperty(db, kPropLogChainLsn, std::to_string(h.lastLsn));
  }
  if (h.kind != BackupKind::kLog) return {};
  if (SqlError e = instance.setProperty(db, kPropLogChainLsn, std::to_string(h.lastLsn)); !e.ok())
    return e;
  if (s.noTruncate) return {};
  return instance.truncateLog(db, h.lastLsn);
}

}  // namespace

SqlError awaitCompletion(StatementDevices& d, std::size_t i, bool write,
                         vdi::VDServerCompletion* completion) {
  vdi::VDServerCompletion done{};
  HRESULT hr = d.device(i).WaitCompletion(INFINITE, &done);
  if (FAILED(hr)) return d.deviceFault(i, write, hresultText(hr));
  DWORD code = done.completionCode;
  bool refused = write ? code != ERROR_SUCCESS : code != ERROR_SUCCESS && code != ERROR_HANDLE_EOF;
  if (refused) return d.deviceFault(i, write, std::to_string(code));
  if (write && done.bytesTransferred != done.command.size)
    return d.deviceFault(i, write, "short write");
  if (completion) *completion = done;
  return {};
}

bool sameName(const std::string& a, const std::string& b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) ==
           std::tolower(static_cast<unsigned char>(y));
  });
}

SqlError runBackup(Instance& instance, const BackupStatement& s) {
  Database db;
  if (SqlError e = instance.database(s.database, db); !e.ok()) return e;
  const char* statementName = s.log ? "BACKUP LOG" : "BACKUP DATABASE";
  StatementDevices d;
  d.statementName = statementName;
  if (db.status == kStatusLoading) return d.fail(sqlMessage(kMsgDatabaseInRestore, {db.name}));
  if (db.status == kStatusOffline) return d.fail(sqlMessage(kMsgDatabaseOffline, {db.name}));
  if (s.log && db.options.truncateLogOnCheckpoint)
    return d.fail(sqlMessage(kMsgLogBackupWhileTruncating));
  MediaHeader h;
  StatementFiles files;
  std::vector<PageRun> runs;
  std::vector<LogRecord> log;
  if (SqlError e = planBackup(instance, s, db, files, h, runs, log); !e.ok()) return d.fail(e);
  if (SqlError e = openStatementDevices(instance, s.devices, s.transfer, statementName, true, d);
      !e.ok())
    return e;
  std::uint32_t count = static_cast<std::uint32_t>(d.names.size());
  std::vector<std::vector<PageRun>> perFamily(count);
  for (std::size_t r = 0; r < runs.size(); ++r) perFamily[r % count].push_back(runs[r]);
  std::vector<std::unique_ptr<FamilyStream>> families;
  for (std::uint32_t i = 0; i < count; ++i) {
    MediaHeader family = h;
    family.family = i + 1;
    family.familyCount = count;
    families.push_back(std::make_unique<FamilyStream>(
        files, family, perFamily[i], i == 0 ? log : std::vector<LogRecord>{}, d.config.blockSize));
    if (!families.back()->headerFits())
      return d.fail(sqlMessage(kMsgEngineFailure, {"The backup set's file list is too long."}));
  }
  std::uint32_t depth = buffersPerDevice(s.transfer);
  SqlError written =
      runPerDevice(d, [&](std::size_t i) { return writeFamily(d, i, *families[i], depth); });
  if (!written.ok()) return d.fail(written);
  if (SqlError e = flushAll(d); !e.ok()) return d.fail(e);
  d.set->Close();
  return recordBackup(instance, s, h);
}

}  // namespace sqlengine
