#include "sqlite.h"

namespace sqlengine {

Sqlite::~Sqlite() {
  close();
}

void Sqlite::close() {
  if (m_db != nullptr) sqlite3_close(m_db);
  m_db = nullptr;
}

bool Sqlite::open(const std::filesystem::path& file, bool create) {
  int flags = SQLITE_OPEN_READWRITE | (create ? SQLITE_OPEN_CREATE : 0);
  if (sqlite3_open_v2(file.c_str(), &m_db, flags, nullptr) != SQLITE_OK) {
    m_error = m_db != nullptr ? sqlite3_errmsg(m_db) : "cannot open " + file.string();
    sqlite3_close(m_db);
    m_db = nullptr;
    return false;
  }
  // Processes meet under the instance lock; the time-out only covers a stray reader.
  sqlite3_busy_timeout(m_db, 30000);
  // A write-ahead log without a sync per commit: a crash may lose the last changes but never
  // leaves a torn catalogue, and the many small changes of a test run stay fast.
  return exec("PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL; PRAGMA foreign_keys=ON");
}

bool Sqlite::fail() {
  m_error = sqlite3_errmsg(m_db);
  return false;
}

bool Sqlite::exec(const std::string& sql) {
  char* message = nullptr;
  if (sqlite3_exec(m_db, sql.c_str(), nullptr, nullptr, &message) == SQLITE_OK) return true;
  m_error = message != nullptr ? message : "sqlite error";
  sqlite3_free(message);
  return false;
}

bool Sqlite::run(const std::string& sql, const std::vector<SqlValue>& values,
                 std::vector<std::vector<SqlValue>>* rows) {
  sqlite3_stmt* stmt = nullptr;
  if (sqlite3_prepare_v2(m_db, sql.c_str(), -1, &stmt, nullptr) != SQLITE_OK) return fail();
  for (std::size_t i = 0; i < values.size(); ++i) {
    int at = static_cast<int>(i + 1);
    if (auto* n = std::get_if<std::int64_t>(&values[i])) {
      sqlite3_bind_int64(stmt, at, *n);
    } else if (auto* s = std::get_if<std::string>(&values[i])) {
      sqlite3_bind_text(stmt, at, s->data(), static_cast<int>(s->size()), SQLITE_TRANSIENT);
    } else {
      sqlite3_bind_null(stmt, at);
    }
  }
  int rc;
  while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
    if (rows == nullptr) continue;
    std::vector<SqlValue>& row = rows->emplace_back();
    for (int c = 0; c < sqlite3_column_count(stmt); ++c) {
      switch (sqlite3_column_type(stmt, c)) {
        case SQLITE_NULL:
          row.emplace_back(nullptr);
          break;
        case SQLITE_INTEGER:
          row.emplace_back(static_cast<std::int64_t>(sqlite3_column_int64(stmt, c)));
          break;
        default:
          row.emplace_back(std::string(reinterpret_cast<const char*>(sqlite3_column_text(stmt, c)),
                                       sqlite3_column_bytes(stmt, c)));
      }
    }
  }
  sqlite3_finalize(stmt);
  if (rc != SQLITE_DONE) return fail();
  return true;
}

std::int64_t Sqlite::lastInsertId() const {
  return sqlite3_last_insert_rowid(m_db);
}
int Sqlite::changes() const {
  return sqlite3_changes(m_db);
}

std::int64_t Sqlite::totalChanges() const {
  return sqlite3_total_changes64(m_db);
}

bool Sqlite::dataVersion(std::int64_t& version) {
  std::vector<std::vector<SqlValue>> rows;
  if (!run("PRAGMA data_version", {}, &rows) || rows.empty()) return false;
  version = asInt(rows[0][0]);
  return true;
}

bool Sqlite::inTransaction() const {
  return sqlite3_get_autocommit(m_db) == 0;
}

SqliteTransaction::SqliteTransaction(Sqlite& db) : m_db(db) {
  m_open = m_db.exec("BEGIN IMMEDIATE");
}

SqliteTransaction::~SqliteTransaction() {
  if (m_open) m_db.exec("ROLLBACK");
}

bool SqliteTransaction::commit() {
  if (!m_open) return false;
  m_open = false;
  return m_db.exec("COMMIT");
}

std::int64_t asInt(const SqlValue& v) {
  if (auto* n = std::get_if<std::int64_t>(&v)) return *n;
  if (auto* s = std::get_if<std::string>(&v)) return std::stoll(*s);
  return 0;
}

std::string asText(const SqlValue& v) {
  if (auto* s = std::get_if<std::string>(&v)) return *s;
  if (auto* n = std::get_if<std::int64_t>(&v)) return std::to_string(*n);
  return {};
}

}  // namespace sqlengine
