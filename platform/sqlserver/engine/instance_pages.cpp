// Pages of data files, checksums and the properties kept with a database.
#include <algorithm>
#include <cerrno>
#include <cstring>

#include "instance_internal.h"
#include "machine.h"

namespace sqlengine {

// ---- pages ----

SqlError Instance::findFile(const std::string& dbName, const std::string& logicalFile, Database& db,
                            DbFile& file) {
  if (SqlError e = findDatabase(dbName, db); !e.ok()) return e;
  std::string wanted = canonicalName(logicalFile);
  for (const FileGroup& g : db.groups) {
    for (const DbFile& f : g.files) {
      if (canonicalName(f.logicalName) == wanted) {
        file = f;
        return {};
      }
    }
  }
  for (const DbFile& f : db.logFiles) {
    if (canonicalName(f.logicalName) == wanted) {
      file = f;
      return {};
    }
  }
  return sqlMessage(kMsgEngineFailure,
                    {"'" + logicalFile + "' is not a file of database '" + dbName + "'."});
}

SqlError Instance::findDataPages(const std::string& dbName, const std::string& logicalFile,
                                 std::uint64_t first, std::uint64_t count, DbFile& file) {
  Database db;
  if (SqlError e = findFile(dbName, logicalFile, db, file); !e.ok()) return e;
  std::uint64_t pages = pagesOf(file.sizeKb);
  if (file.log || count > pages || first > pages - count)  // written so that nothing overflows
    return sqlMessage(kMsgEngineFailure, {"pages outside the data file", file.logicalName});
  return {};
}

SqlError Instance::nextLsn(const std::string& dbName, std::uint64_t& lsn) {
  ZK_HOLD(true);
  Database db;
  if (SqlError e = findDatabase(dbName, db); !e.ok()) return e;
  lsn = db.nextLsn;
  ZK_RUN("UPDATE db SET next_lsn = ? WHERE id = ?", {static_cast<std::int64_t>(lsn + 1), db.id});
  return {};
}

SqlError Instance::writeTestPages(const std::string& dbName, const std::string& logicalFile,
                                  std::uint64_t first, std::uint64_t count, const PageFill& fill) {
  ZK_HOLD(true);
  if (!fill.random && fill.pattern.empty())
    return sqlMessage(kMsgEngineFailure, {"a page pattern needs at least one byte"});
  DbFile file;
  if (SqlError e = findDataPages(dbName, logicalFile, first, count, file); !e.ok()) return e;
  std::uint64_t lsn = 0;
  if (SqlError e = nextLsn(dbName, lsn); !e.ok()) return e;
  std::vector<std::byte> block;
  constexpr std::uint64_t kBlockPages = 128;
  std::uint64_t newlyUsed = 0;
  for (std::uint64_t at = first; at < first + count; at += kBlockPages) {
    std::uint64_t n = std::min(kBlockPages, first + count - at);
    block.resize(n * kPageSize);
    if (SqlError e = sqlengine::readPages(filePath(file), at, n, block.data()); !e.ok()) return e;
    for (std::uint64_t i = 0; i < n; ++i) {
      std::byte* page = block.data() + i * kPageSize;
      if (pageLsn(page) == 0) ++newlyUsed;
      fillPage(fill, at + i, lsn, page);
    }
    if (SqlError e = sqlengine::writePages(filePath(file), at, n, block.data()); !e.ok()) return e;
  }
  ZK_RUN("UPDATE file SET used_pages = used_pages + ? WHERE id = ?",
         {static_cast<std::int64_t>(newlyUsed), file.id});
  return {};
}

SqlError Instance::readPages(const std::string& dbName, const std::string& logicalFile,
                             std::uint64_t first, std::uint64_t count, std::byte* out) {
  ZK_HOLD(false);
  DbFile file;
  if (SqlError e = findDataPages(dbName, logicalFile, first, count, file); !e.ok()) return e;
  return sqlengine::readPages(filePath(file), first, count, out);
}

SqlError Instance::writePages(const std::string& dbName, const std::string& logicalFile,
                              std::uint64_t first, std::uint64_t count, const std::byte* in) {
  ZK_HOLD(true);
  DbFile file;
  if (SqlError e = findDataPages(dbName, logicalFile, first, count, file); !e.ok()) return e;
  std::vector<std::byte> before(count * kPageSize);
  if (SqlError e = sqlengine::readPages(filePath(file), first, count, before.data()); !e.ok())
    return e;
  std::int64_t delta = 0;
  for (std::uint64_t i = 0; i < count; ++i) {
    bool was = pageLsn(before.data() + i * kPageSize) != 0;
    bool is = pageLsn(in + i * kPageSize) != 0;
    delta += int(is) - int(was);
  }
  if (SqlError e = sqlengine::writePages(filePath(file), first, count, in); !e.ok()) return e;
  ZK_RUN("UPDATE file SET used_pages = used_pages + ? WHERE id = ?", {delta, file.id});
  return {};
}

SqlError Instance::addUsedPages(const std::string& dbName, const std::string& logicalFile,
                                std::int64_t delta) {
  ZK_HOLD(true);
  Database db;
  DbFile file;
  if (SqlError e = findFile(dbName, logicalFile, db, file); !e.ok()) return e;
  ZK_RUN("UPDATE file SET used_pages = used_pages + ? WHERE id = ?", {delta, file.id});
  return {};
}

// ---- checksums and properties ----

SqlError Instance::checksums(const std::string& dbName, std::vector<FileChecksum>& out) {
  ZK_HOLD(false);
  Database db;
  if (SqlError e = findDatabase(dbName, db); !e.ok()) return e;
  out.clear();
  auto add = [&](const DbFile& f) -> SqlError {
    FileChecksum c{f, 0};
    if (!fileChecksum(filePath(f), c.checksum))
      return sqlMessage(kMsgIoError, {std::strerror(errno), "read", f.physicalName});
    out.push_back(c);
    return {};
  };
  for (const FileGroup& g : db.groups)
    for (const DbFile& f : g.files)
      if (SqlError e = add(f); !e.ok()) return e;
  for (const DbFile& f : db.logFiles)
    if (SqlError e = add(f); !e.ok()) return e;
  return {};
}

SqlError Instance::property(const std::string& dbName, const std::string& key, std::string& value) {
  ZK_HOLD(false);
  Database db;
  if (SqlError e = findDatabase(dbName, db); !e.ok()) return e;
  std::vector<std::vector<SqlValue>> rows;
  ZK_RUN("SELECT value FROM db_property WHERE db_id = ? AND key = ?", {db.id, key}, &rows);
  value = rows.empty() ? std::string() : asText(rows[0][0]);
  return {};
}

SqlError Instance::setProperty(const std::string& dbName, const std::string& key,
                               const std::string& value) {
  ZK_HOLD(true);
  Database db;
  if (SqlError e = findDatabase(dbName, db); !e.ok()) return e;
  if (value.empty()) {
    ZK_RUN("DELETE FROM db_property WHERE db_id = ? AND key = ?", {db.id, key});
  } else {
    ZK_RUN("INSERT OR REPLACE INTO db_property VALUES(?, ?, ?)", {db.id, key, value});
  }
  return {};
}

}  // namespace sqlengine
