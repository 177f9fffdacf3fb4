// BACKUP through virtual devices: one media family per device, written in transfers up to the
// statement's maximum, the devices served in turn so that every one keeps moving; then a Flush
// on every device, and only then the waits for the flushes.
#include <algorithm>
#include <cctype>
#include <random>

#include "backup_restore.h"
#include "media.h"
#include "pagefile.h"
#include "sqltime.h"
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

// The bytes of one family, made piece by piece as the writes take them: the header, the
// records (pages read when their record's turn comes), the end record and the padding.
class FamilyStream {
 public:
  FamilyStream(Instance& instance, const MediaHeader& header, std::vector<PageRun> runs,
               std::vector<LogRecord> log, std::uint32_t blockSize)
      : m_instance(instance), m_header(header), m_runs(std::move(runs)), m_log(std::move(log)) {
    std::uint64_t bytes = kMediaHeaderSize + kRecordHeadSize;
    for (const PageRun& r : m_runs) bytes += kRecordHeadSize + r.count * kPageSize;
    std::size_t logRecords = (m_log.size() + kLogSlotsPerRecord - 1) / kLogSlotsPerRecord;
    bytes += logRecords * kRecordHeadSize + m_log.size() * kLogSlotSize;
    m_header.familyBytes = (bytes + blockSize - 1) / blockSize * blockSize;
  }

  std::uint64_t left() const { return m_header.familyBytes - m_done; }

  // Fills out with the next size bytes of the family.
  SqlError fill(std::byte* out, std::size_t size) {
    while (size > 0) {
      if (m_at == m_piece.size()) {
        if (SqlError e = nextPiece(); !e.ok()) return e;
      }
      std::size_t n = std::min(size, m_piece.size() - m_at);
      std::copy_n(m_piece.data() + m_at, n, out);
      m_at += n;
      out += n;
      size -= n;
      m_done += n;
    }
    return {};
  }

 private:
  SqlError nextPiece() {
    m_at = 0;
    std::size_t step = m_step++;
    if (step == 0) {
      m_piece.assign(kMediaHeaderSize, std::byte{0});
      if (!encodeMediaHeader(m_header, m_piece.data()))
        return sqlMessage(kMsgEngineFailure, {"The backup set's file list is too long."});
      return {};
    }
    if (step - 1 < m_runs.size()) return pageRecord(m_runs[step - 1]);
    std::size_t logStep = (step - 1 - m_runs.size()) * kLogSlotsPerRecord;
    if (logStep < m_log.size()) return logRecord(logStep);
    if (!m_endWritten) {
      m_piece.assign(kRecordHeadSize, std::byte{0});
      encodeRecordHead(RecordHead{kRecordEnd, 0, 0, 0}, m_piece.data());
      m_endWritten = true;
    } else {
      m_piece.assign(left(), std::byte{0});  // padding to the block size
    }
    return {};
  }

  SqlError pageRecord(const PageRun& run) {
    m_piece.assign(kRecordHeadSize + run.count * kPageSize, std::byte{0});
    encodeRecordHead(RecordHead{kRecordPages, run.fileIndex, run.firstPage, run.count},
                     m_piece.data());
    const MediaFile& file = m_header.files[run.fileIndex];
    return m_instance.readPages(m_header.database, file.logicalName, run.firstPage, run.count,
                                m_piece.data() + kRecordHeadSize);
  }

  SqlError logRecord(std::size_t first) {
    std::size_t n = std::min(kLogSlotsPerRecord, m_log.size() - first);
    m_piece.assign(kRecordHeadSize + n * kLogSlotSize, std::byte{0});
    encodeRecordHead(RecordHead{kRecordLog, 0, 0, n}, m_piece.data());
    for (std::size_t i = 0; i < n; ++i)
      encodeLogSlot(m_log[first + i], m_piece.data() + kRecordHeadSize + i * kLogSlotSize);
    return {};
  }

  Instance& m_instance;
  MediaHeader m_header;
  std::vector<PageRun> m_runs;
  std::vector<LogRecord> m_log;
  std::vector<std::byte> m_piece;
  std::size_t m_at = 0;
  std::size_t m_step = 0;
  std::uint64_t m_done = 0;
  bool m_endWritten = false;
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

// The runs of pages a backup of this kind takes from one data file: every page ever written,
// or for a differential those changed since the full backup.
SqlError scanFile(Instance& instance, const MediaHeader& h, std::uint32_t index,
                  std::vector<PageRun>& runs) {
  const MediaFile& file = h.files[index];
  std::uint64_t pages = static_cast<std::uint64_t>(file.sizeKb) * 1024 / kPageSize;
  std::vector<std::byte> block(kPagesPerScan * kPageSize);
  for (std::uint64_t first = 0; first < pages; first += kPagesPerScan) {
    std::uint64_t n = std::min(kPagesPerScan, pages - first);
    if (SqlError e = instance.readPages(h.database, file.logicalName, first, n, block.data());
        !e.ok())
      return e;
    for (std::uint64_t i = 0; i < n; ++i) {
      std::uint64_t lsn = pageLsn(block.data() + i * kPageSize);
      bool wanted = h.kind == BackupKind::kDifferential ? lsn >= h.baseLsn : lsn != 0;
      if (!wanted) continue;
      PageRun* last = runs.empty() ? nullptr : &runs.back();
      if (last && last->fileIndex == index && last->firstPage + last->count == first + i &&
          last->count < kPagesPerRecord) {
        ++last->count;
      } else {
        runs.push_back(PageRun{index, first + i, 1});
      }
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
                    MediaHeader& h, std::vector<PageRun>& runs, std::vector<LogRecord>& log) {
  ServerFacts facts;
  if (SqlError e = instance.facts(facts); !e.ok()) return e;
  h.setId = std::random_device{}() * 0x100000000ULL + std::random_device{}();
  h.database = db.name;
  h.setName = s.name.value_or(db.name);
  h.kind = kindOf(s);
  h.serverVersion = facts.versionMajor;
  h.lastLsn = db.nextLsn;
  h.timeMs = sqlTimeNow();
  for (const FileGroup& g : db.groups)
    for (const DbFile& f : g.files)
      h.files.push_back(MediaFile{g.name, f.logicalName, f.physicalName, f.sizeKb, f.primary, false,
                                  h.kind != BackupKind::kLog});
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
  for (std::uint32_t i = 0; i < h.files.size(); ++i) {
    if (!h.files[i].included) continue;
    if (SqlError e = scanFile(instance, h, i, runs); !e.ok()) return e;
  }
  if (h.kind == BackupKind::kFiles) return {};
  if (SqlError e = instance.readLog(db.name, log); !e.ok()) return e;
  if (h.kind == BackupKind::kLog)
    std::erase_if(log, [&](const LogRecord& r) { return r.lsn < h.firstLsn; });
  return {};
}

// Writes every family, one transfer per device in turn.
SqlError writeFamilies(StatementDevices& d, std::vector<FamilyStream>& families) {
  std::size_t count = families.size();
  std::vector<std::shared_ptr<BYTE>> buffers;
  for (std::size_t i = 0; i < count; ++i)
    buffers.emplace_back(new BYTE[d.config.maxTransferSize], std::default_delete<BYTE[]>());
  for (;;) {
    std::vector<std::size_t> sent;
    for (std::size_t i = 0; i < count; ++i) {
      std::uint64_t n = std::min<std::uint64_t>(families[i].left(), d.config.maxTransferSize);
      if (n == 0) continue;
      if (SqlError e = families[i].fill(reinterpret_cast<std::byte*>(buffers[i].get()), n); !e.ok())
        return e;
      HRESULT hr = d.device(i).SendCommand(VDC_Write, buffers[i], static_cast<DWORD>(n));
      if (FAILED(hr)) return d.deviceFault(i, true, hresultText(hr));
      sent.push_back(i);
    }
    if (sent.empty()) return {};
    for (std::size_t i : sent) {
      if (SqlError e = awaitCompletion(d, i, true); !e.ok()) return e;
    }
  }
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
  std::vector<PageRun> runs;
  std::vector<LogRecord> log;
  if (SqlError e = planBackup(instance, s, db, h, runs, log); !e.ok()) return d.fail(e);
  if (SqlError e = openStatementDevices(instance, s.devices, s.transfer, statementName, d); !e.ok())
    return e;
  std::uint32_t count = static_cast<std::uint32_t>(d.names.size());
  std::vector<std::vector<PageRun>> perFamily(count);
  for (std::size_t r = 0; r < runs.size(); ++r) perFamily[r % count].push_back(runs[r]);
  std::vector<FamilyStream> families;
  for (std::uint32_t i = 0; i < count; ++i) {
    MediaHeader family = h;
    family.family = i + 1;
    family.familyCount = count;
    families.emplace_back(instance, family, std::move(perFamily[i]),
                          i == 0 ? log : std::vector<LogRecord>{}, d.config.blockSize);
  }
  if (SqlError e = writeFamilies(d, families); !e.ok()) return d.fail(e);
  if (SqlError e = flushAll(d); !e.ok()) return d.fail(e);
  d.set->Close();
  return recordBackup(instance, s, h);
}

}  // namespace sqlengine
