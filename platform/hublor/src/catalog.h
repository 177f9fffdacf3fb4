// The SQLite catalogue of a store: a thin RAII wrapper and the schema.
// A Catalog (one connection) is used by one thread at a time; every process and session opens
// its own. Failures throw StoreError, which the entry points turn into PELK_RC_STORE_ERROR.
#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace hublor {

struct StoreError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

class Stmt {
 public:
  Stmt(sqlite3* db, std::string_view sql);
  ~Stmt();
  Stmt(const Stmt&) = delete;
  Stmt& operator=(const Stmt&) = delete;

  Stmt& bind(int index, int64_t value);
  Stmt& bind(int index, std::string_view value);
  Stmt& bindBlob(int index, const void* data, size_t size);
  bool step();  // true while a row is ready
  void run();   // steps to the end
  void reset();

  int64_t integer(int column) const;
  std::string text(int column) const;
  std::string blob(int column) const;
  bool isNull(int column) const;

 private:
  sqlite3* m_db;
  sqlite3_stmt* m_stmt = nullptr;
};

class Catalog {
 public:
  // Opens the catalogue file, which must hold the schema: a file without it (an empty one among
  // them) is damaged and throws StoreError, never taken for a new store.
  explicit Catalog(const std::filesystem::path& file);
  // Makes file a new catalogue unless one is there: the schema is written to a file of its own
  // and linked into place whole, so no process ever sees a half-made catalogue.
  static void create(const std::filesystem::path& file);
  ~Catalog();
  Catalog(const Catalog&) = delete;
  Catalog& operator=(const Catalog&) = delete;

  void exec(std::string_view sql);
  Stmt prepare(std::string_view sql) { return Stmt(m_db, sql); }
  int64_t lastInsertId() const { return sqlite3_last_insert_rowid(m_db); }
  int changes() const { return sqlite3_changes(m_db); }

  std::string setting(std::string_view key);
  void setSetting(std::string_view key, std::string_view value);

 private:
  Catalog(const std::filesystem::path& file, int flags);
  void createSchema();
  bool hasSchema();
  sqlite3* m_db = nullptr;
};

// BEGIN IMMEDIATE on construction, ROLLBACK on destruction unless committed. Holding it is
// holding the store's write lock: every move of a data file into data/ happens under it. The
// threads of one process take it in turn, one at a time, whatever store they write.
class WriteTxn {
 public:
  explicit WriteTxn(Catalog& catalog);
  ~WriteTxn();
  WriteTxn(const WriteTxn&) = delete;
  WriteTxn& operator=(const WriteTxn&) = delete;
  void commit();

 private:
  Catalog& m_catalog;
  bool m_done = false;
};

}  // namespace hublor
