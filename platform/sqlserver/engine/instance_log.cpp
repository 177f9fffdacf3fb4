// The log: records in slots laid end to end over the log files.
#include <algorithm>
#include <cerrno>
#include <cstring>

#include "instance_internal.h"
#include "media.h"

namespace sqlengine {

namespace {

// The log files' slots have the layout of the backup media's log records.
void encodeRecord(const LogRecord& r, std::byte* slot) {
  encodeLogSlot(r, slot);
}
bool decodeRecord(const std::byte* slot, LogRecord& r) {
  return decodeLogSlot(slot, r);
}

}  // namespace

// ---- the log ----

// Slots of kLogSlotSize bytes laid end to end over the log files, in their order.
SqlError Instance::logIo(const Database& db, std::uint64_t firstSlot, std::uint64_t slots,
                         std::byte* data, bool write) {
  std::uint64_t offset = firstSlot * kLogSlotSize;
  std::uint64_t left = slots * kLogSlotSize;
  for (const DbFile& f : db.logFiles) {
    std::uint64_t size = static_cast<std::uint64_t>(f.sizeKb) * 1024 / kLogSlotSize * kLogSlotSize;
    if (left == 0) break;
    if (offset >= size) {
      offset -= size;
      continue;
    }
    std::uint64_t n = std::min(left, size - offset);
    SqlError e =
        write ? writeBytes(filePath(f), offset, n, data) : readBytes(filePath(f), offset, n, data);
    if (!e.ok()) return e;
    data += n;
    left -= n;
    offset = 0;
  }
  if (left != 0) return sqlMessage(kMsgLogFull, {db.name});
  return {};
}

SqlError Instance::writeLogRecords(const Database& db, const std::vector<LogRecord>& records,
                                   std::uint64_t oldCount) {
  std::uint64_t slots = std::max<std::uint64_t>(records.size(), oldCount);
  std::vector<std::byte> data(slots * kLogSlotSize);  // slots no longer used become zeros
  for (std::size_t i = 0; i < records.size(); ++i)
    encodeRecord(records[i], data.data() + i * kLogSlotSize);
  return logIo(db, 0, slots, data.data(), true);
}

SqlError Instance::appendLog(const std::string& dbName, std::vector<LogRecord>& records) {
  ZK_HOLD(true);
  Database db;
  if (SqlError e = findDatabase(dbName, db); !e.ok()) return e;
  std::vector<std::byte> data(records.size() * kLogSlotSize);
  for (std::size_t i = 0; i < records.size(); ++i) {
    records[i].lsn = db.nextLsn + i;
    encodeRecord(records[i], data.data() + i * kLogSlotSize);
  }
  if (SqlError e = logIo(db, db.logRecords, records.size(), data.data(), true); !e.ok()) {
    // Nothing counts as written: the catalogue still holds the old count.
    return e;
  }
  ZK_RUN("UPDATE db SET next_lsn = ?, log_records = ? WHERE id = ?",
         {static_cast<std::int64_t>(db.nextLsn + records.size()),
          static_cast<std::int64_t>(db.logRecords + records.size()), db.id});
  return {};
}

SqlError Instance::readLog(const std::string& dbName, std::vector<LogRecord>& out) {
  ZK_HOLD(false);
  Database db;
  if (SqlError e = findDatabase(dbName, db); !e.ok()) return e;
  std::vector<std::byte> data(db.logRecords * kLogSlotSize);
  if (SqlError e = logIo(db, 0, db.logRecords, data.data(), false); !e.ok()) return e;
  out.clear();
  for (std::uint64_t i = 0; i < db.logRecords; ++i) {
    if (!decodeRecord(data.data() + i * kLogSlotSize, out.emplace_back()))
      return sqlMessage(kMsgIoError, {"bad log record", "read", db.logFiles[0].physicalName});
  }
  return {};
}

SqlError Instance::truncateLog(const std::string& dbName, std::uint64_t upToLsn) {
  ZK_HOLD(true);
  std::vector<LogRecord> records;
  if (SqlError e = readLog(dbName, records); !e.ok()) return e;
  Database db;
  if (SqlError e = findDatabase(dbName, db); !e.ok()) return e;
  std::erase_if(records, [&](const LogRecord& r) { return r.lsn < upToLsn; });
  if (SqlError e = writeLogRecords(db, records, db.logRecords); !e.ok()) return e;
  ZK_RUN("UPDATE db SET log_records = ? WHERE id = ?",
         {static_cast<std::int64_t>(records.size()), db.id});
  return {};
}

SqlError Instance::replaceLog(const std::string& dbName, const std::vector<LogRecord>& records,
                              std::uint64_t nextLsn) {
  ZK_HOLD(true);
  Database db;
  if (SqlError e = findDatabase(dbName, db); !e.ok()) return e;
  if (SqlError e = writeLogRecords(db, records, db.logRecords); !e.ok()) return e;
  ZK_RUN("UPDATE db SET log_records = ?, next_lsn = ? WHERE id = ?",
         {static_cast<std::int64_t>(records.size()), static_cast<std::int64_t>(nextLsn), db.id});
  return {};
}

}  // namespace sqlengine
