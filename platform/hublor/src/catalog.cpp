#include "catalog.h"

#include <unistd.h>

#include <cerrno>
#include <mutex>

namespace hublor {
namespace {

constexpr int kBusyTimeoutMs = 120000;

// The threads of this process take the catalogue's write lock in turn here first: a thread that
// waits is woken as soon as the holder is done, where SQLite's busy handler sleeps in growing
// steps (up to 100 ms) and leaves the lock idle meanwhile, so that the commits of many sessions
// ending at once would queue far longer than they run. Other processes still meet SQLite's lock,
// and a holder waits for them at most the busy time-out before it gives its turn up.
std::mutex& writeTurn() {
  static std::mutex turn;
  return turn;
}

// The first object id is above 2^32, so both words of every id the interface hands out are in
// use. Versions keep the commit sequence at which they became active and inactive: a delete by
// name finds the version that was active when its transaction began.
constexpr const char* kSchema = R"sql(
CREATE TABLE IF NOT EXISTS settings(key TEXT PRIMARY KEY, value TEXT NOT NULL);
CREATE TABLE IF NOT EXISTS nodes(
  name TEXT PRIMARY KEY, password TEXT NOT NULL, expired INTEGER NOT NULL DEFAULT 0,
  may_delete INTEGER NOT NULL DEFAULT 1, max_txn INTEGER NOT NULL DEFAULT 256);
CREATE TABLE IF NOT EXISTS filespaces(
  node TEXT NOT NULL, name TEXT NOT NULL, type TEXT NOT NULL, attr BLOB NOT NULL,
  occupancy INTEGER NOT NULL, capacity INTEGER NOT NULL, back_start INTEGER NOT NULL DEFAULT 0,
  back_complete INTEGER NOT NULL DEFAULT 0, registered INTEGER NOT NULL,
  PRIMARY KEY(node, name));
CREATE TABLE IF NOT EXISTS classes(
  name TEXT PRIMARY KEY, backup_cg INTEGER NOT NULL, dest TEXT NOT NULL);
CREATE TABLE IF NOT EXISTS rules(
  seq INTEGER PRIMARY KEY AUTOINCREMENT, fs TEXT NOT NULL, hl TEXT NOT NULL, ll TEXT NOT NULL,
  class TEXT NOT NULL, exclude INTEGER NOT NULL);
CREATE TABLE IF NOT EXISTS versions(
  id INTEGER PRIMARY KEY AUTOINCREMENT, node TEXT NOT NULL, fs TEXT NOT NULL, hl TEXT NOT NULL,
  ll TEXT NOT NULL, type INTEGER NOT NULL, owner TEXT NOT NULL, state INTEGER NOT NULL,
  mc TEXT NOT NULL, dest TEXT NOT NULL, copy_group INTEGER NOT NULL, ins_time INTEGER NOT NULL,
  deact_time INTEGER NOT NULL DEFAULT 0, active_seq INTEGER NOT NULL, inactive_seq INTEGER,
  size INTEGER NOT NULL, size_estimate INTEGER NOT NULL, compressed INTEGER NOT NULL,
  info BLOB NOT NULL, file TEXT NOT NULL DEFAULT '', checksum INTEGER);
CREATE INDEX IF NOT EXISTS versions_key ON versions(node, fs, hl, ll, type);
CREATE TABLE IF NOT EXISTS events(
  seq INTEGER PRIMARY KEY AUTOINCREMENT, time INTEGER NOT NULL, node TEXT NOT NULL,
  severity INTEGER NOT NULL, msg_id TEXT NOT NULL, text TEXT NOT NULL);
)sql";

// Server facts and the default policy of a new store.
constexpr const char* kDefaults = R"sql(
INSERT OR IGNORE INTO settings VALUES('commit_seq', '0');
INSERT OR IGNORE INTO settings VALUES('server_name', 'HUBLOR1');
INSERT OR IGNORE INTO settings VALUES('server_host', 'localhost');
INSERT OR IGNORE INTO settings VALUES('server_type', 'Linux/x86_64');
INSERT OR IGNORE INTO settings VALUES('server_version', '5.2.1.0');
INSERT OR IGNORE INTO settings VALUES('domain', 'STANDARD');
INSERT OR IGNORE INTO settings VALUES('policy_set', 'ACTIVE');
INSERT OR IGNORE INTO settings VALUES('default_class', 'STANDARD');
INSERT OR IGNORE INTO settings VALUES('compression', '2');
INSERT OR IGNORE INTO classes VALUES('STANDARD', 1, 'DISKPOOL');
INSERT INTO sqlite_sequence(name, seq) SELECT 'versions', 4294967296
  WHERE NOT EXISTS (SELECT 1 FROM sqlite_sequence WHERE name = 'versions');
)sql";

[[noreturn]] void fail(sqlite3* db, std::string_view what) {
  throw StoreError(std::string(what) + ": " + sqlite3_errmsg(db));
}

}  // namespace

Stmt::Stmt(sqlite3* db, std::string_view sql) : m_db(db) {
  if (sqlite3_prepare_v2(db, sql.data(), static_cast<int>(sql.size()), &m_stmt, nullptr) !=
      SQLITE_OK) {
    fail(db, "prepare");
  }
}

Stmt::~Stmt() {
  sqlite3_finalize(m_stmt);
}

Stmt& Stmt::bind(int index, int64_t value) {
  if (sqlite3_bind_int64(m_stmt, index, value) != SQLITE_OK) fail(m_db, "bind");
  return *this;
}

Stmt& Stmt::bind(int index, std::string_view value) {
  if (sqlite3_bind_text(m_stmt, index, value.data(), static_cast<int>(value.size()),
                        SQLITE_TRANSIENT) != SQLITE_OK) {
    fail(m_db, "bind");
  }
  return *this;
}

Stmt& Stmt::bindBlob(int index, const void* data, size_t size) {
  static const char kEmpty = 0;
  if (sqlite3_bind_blob(m_stmt, index, size == 0 ? &kEmpty : data, static_cast<int>(size),
                        SQLITE_TRANSIENT) != SQLITE_OK) {
    fail(m_db, "bind");
  }
  return *this;
}

bool Stmt::step() {
  int rc = sqlite3_step(m_stmt);
  if (rc == SQLITE_ROW) return true;
  if (rc == SQLITE_DONE) return false;
  fail(m_db, "step");
}

void Stmt::run() {
  while (step()) {
  }
}

void Stmt::reset() {
  sqlite3_reset(m_stmt);
  sqlite3_clear_bindings(m_stmt);
}

int64_t Stmt::integer(int column) const {
  return sqlite3_column_int64(m_stmt, column);
}

std::string Stmt::text(int column) const {
  const unsigned char* text = sqlite3_column_text(m_stmt, column);
  return text == nullptr ? std::string() : std::string(reinterpret_cast<const char*>(text));
}

std::string Stmt::blob(int column) const {
  const void* data = sqlite3_column_blob(m_stmt, column);
  int size = sqlite3_column_bytes(m_stmt, column);
  return data == nullptr ? std::string() : std::string(static_cast<const char*>(data), size);
}

bool Stmt::isNull(int column) const {
  return sqlite3_column_type(m_stmt, column) == SQLITE_NULL;
}

Catalog::Catalog(const std::filesystem::path& file, int flags) {
  if (sqlite3_open_v2(file.c_str(), &m_db, flags | SQLITE_OPEN_NOMUTEX, nullptr) != SQLITE_OK) {
    std::string message = m_db != nullptr ? sqlite3_errmsg(m_db) : "out of memory";
    sqlite3_close(m_db);
    throw StoreError("open " + file.string() + ": " + message);
  }
  sqlite3_busy_timeout(m_db, kBusyTimeoutMs);
}

// Once the delegated constructor has run, the destructor closes the connection on a throw.
Catalog::Catalog(const std::filesystem::path& file) : Catalog(file, SQLITE_OPEN_READWRITE) {
  if (!hasSchema()) throw StoreError("the catalogue " + file.string() + " is damaged: no schema");
  exec("PRAGMA journal_mode=WAL");
  exec("PRAGMA synchronous=FULL");
  createSchema();  // adds what an older store lacks
}

void Catalog::create(const std::filesystem::path& file) {
  std::error_code ec;
  if (std::filesystem::exists(file, ec)) return;
  std::filesystem::path fresh = file;
  fresh += ".new-" + std::to_string(getpid());
  std::filesystem::remove(fresh, ec);
  try {
    Catalog catalog(fresh, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
    catalog.exec("PRAGMA journal_mode=WAL");
    catalog.createSchema();
  } catch (...) {
    std::filesystem::remove(fresh, ec);
    throw;
  }  // closing the only connection has written the log back into the file
  bool linked = ::link(fresh.c_str(), file.c_str()) == 0 || errno == EEXIST;
  std::filesystem::remove(fresh, ec);
  if (!linked) throw StoreError("cannot create the catalogue " + file.string());
}

bool Catalog::hasSchema() {
  Stmt stmt =
      prepare("SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name = 'versions'");
  return stmt.step() && stmt.integer(0) == 1;
}

Catalog::~Catalog() {
  sqlite3_close(m_db);
}

void Catalog::exec(std::string_view sql) {
  std::string text(sql);
  if (sqlite3_exec(m_db, text.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK) {
    fail(m_db, "exec");
  }
}

void Catalog::createSchema() {
  WriteTxn txn(*this);
  exec(kSchema);
  exec(kDefaults);
  // A store made before versions named their data files places data by id.
  bool named = prepare("SELECT 1 FROM pragma_table_info('versions') WHERE name = 'file'").step();
  if (!named) exec("ALTER TABLE versions ADD COLUMN file TEXT NOT NULL DEFAULT ''");
  // Nor did versions keep the checksum of their data then: those are read unchecked.
  bool summed =
      prepare("SELECT 1 FROM pragma_table_info('versions') WHERE name = 'checksum'").step();
  if (!summed) exec("ALTER TABLE versions ADD COLUMN checksum INTEGER");
  txn.commit();
}

std::string Catalog::setting(std::string_view key) {
  Stmt stmt = prepare("SELECT value FROM settings WHERE key = ?");
  stmt.bind(1, key);
  return stmt.step() ? stmt.text(0) : std::string();
}

void Catalog::setSetting(std::string_view key, std::string_view value) {
  Stmt stmt = prepare("INSERT OR REPLACE INTO settings(key, value) VALUES(?, ?)");
  stmt.bind(1, key).bind(2, value).run();
}

WriteTxn::WriteTxn(Catalog& catalog) : m_catalog(catalog) {
  writeTurn().lock();
  try {
    m_catalog.exec("BEGIN IMMEDIATE");
  } catch (...) {
    writeTurn().unlock();
    throw;
  }
}

WriteTxn::~WriteTxn() {
  if (!m_done) {
    try {
      m_catalog.exec("ROLLBACK");
    } catch (const StoreError&) {
      // Nothing left to undo: SQLite has rolled back already.
    }
  }
  writeTurn().unlock();
}

void WriteTxn::commit() {
  m_catalog.exec("COMMIT");
  m_done = true;
}

}  // namespace hublor
