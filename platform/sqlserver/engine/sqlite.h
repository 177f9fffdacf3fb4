// A thin RAII layer over SQLite for the instance catalogues: one connection, prepared
// statements with bound values, and transactions that roll back unless committed.
#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <variant>
#include <vector>

namespace sqlengine {

using SqlValue = std::variant<std::nullptr_t, std::int64_t, std::string>;

class Sqlite {
 public:
  Sqlite() = default;
  ~Sqlite();
  Sqlite(const Sqlite&) = delete;
  Sqlite& operator=(const Sqlite&) = delete;

  // Opens (creating when asked) the file; false with the reason in error().
  bool open(const std::filesystem::path& file, bool create);
  bool isOpen() const { return m_db != nullptr; }
  // Closes the file (its write-ahead log folded in).
  void close();
  // Runs one or more statements without results.
  bool exec(const std::string& sql);
  // Runs one statement with bound values; rows go to the callback when given.
  bool run(const std::string& sql, const std::vector<SqlValue>& values = {},
           std::vector<std::vector<SqlValue>>* rows = nullptr);
  std::int64_t lastInsertId() const;
  int changes() const;
  // Rows this connection has changed since it was opened (rolled-back changes count too).
  std::int64_t totalChanges() const;
  // SQLite's data version: it changes when another connection commits a change.
  bool dataVersion(std::int64_t& version);
  // Inside a transaction not yet committed or rolled back.
  bool inTransaction() const;
  const std::string& error() const { return m_error; }

 private:
  bool fail();
  sqlite3* m_db = nullptr;
  std::string m_error;
};

// BEGIN IMMEDIATE ... COMMIT; rolled back when destroyed without commit().
class SqliteTransaction {
 public:
  explicit SqliteTransaction(Sqlite& db);
  ~SqliteTransaction();
  bool ok() const { return m_open; }
  bool commit();

 private:
  Sqlite& m_db;
  bool m_open = false;
};

// Readers of a row's columns.
std::int64_t asInt(const SqlValue& v);
std::string asText(const SqlValue& v);

}  // namespace sqlengine
