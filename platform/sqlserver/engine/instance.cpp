#include "instance.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <set>

#include "facts.h"
#include "instance_internal.h"
#include "machine.h"

namespace sqlengine {

const OptionName kOptionNames[9] = {
    {"read-only", &DbOptions::readOnly},
    {"dbo-use-only", &DbOptions::dboUseOnly},
    {"select-into-bulk-copy", &DbOptions::selectIntoBulkCopy},
    {"single-user", &DbOptions::singleUser},
    {"truncate-log-on-checkpoint", &DbOptions::truncateLogOnCheckpoint},
    {"auto-close", &DbOptions::autoClose},
    {"auto-shrink", &DbOptions::autoShrink},
    {"torn-page-detection", &DbOptions::tornPageDetection},
    {"offline", &DbOptions::offline},
};

const StatusName kStatusNames[9] = {
    {"online", kStatusNormal},
    {"restoring", kStatusLoading},
    {"loading", kStatusLoading},
    {"recovering", kStatusRecovering},
    {"suspect", kStatusSuspect},
    {"offline", kStatusOffline},
    {"inaccessible", kStatusInaccessible},
    {"standby", kStatusStandby},
    {"emergency", kStatusEmergency},
};

std::optional<int> statusByName(const std::string& name) {
  for (const StatusName& s : kStatusNames) {
    if (name == s.name) return s.status;
  }
  return std::nullopt;
}

std::string statusName(int status) {
  for (const StatusName& s : kStatusNames) {
    if (status == s.status) return s.name;
  }
  return std::to_string(status);
}

namespace {

constexpr const char* kSchema = R"(
CREATE TABLE fact(key TEXT PRIMARY KEY, value TEXT NOT NULL);
CREATE TABLE login(name TEXT PRIMARY KEY COLLATE NOCASE, windows INT, password TEXT,
  sysadmin INT, refused INT);
CREATE TABLE db(id INTEGER PRIMARY KEY, name TEXT UNIQUE COLLATE NOCASE, status INT,
  compat INT, version INT, system INT, options INT, next_lsn INT, log_records INT);
CREATE TABLE filegroup(db_id INT REFERENCES db(id) ON DELETE CASCADE, ordinal INT,
  name TEXT COLLATE NOCASE, PRIMARY KEY(db_id, ordinal));
CREATE TABLE file(id INTEGER PRIMARY KEY, db_id INT REFERENCES db(id) ON DELETE CASCADE,
  group_ordinal INT, ordinal INT, logical TEXT COLLATE NOCASE, physical TEXT, size_kb INT,
  used_pages INT, is_primary INT);
CREATE TABLE db_property(db_id INT REFERENCES db(id) ON DELETE CASCADE, key TEXT, value TEXT,
  PRIMARY KEY(db_id, key));
CREATE TABLE fault(id INTEGER PRIMARY KEY, kind TEXT, target TEXT COLLATE NOCASE, hresult INT,
  message INT, text TEXT, skip INT, times INT);
)";

std::int64_t optionBits(const DbOptions& options) {
  std::int64_t bits = 0;
  for (int i = 0; i < 9; ++i) {
    if (options.*kOptionNames[i].member) bits |= std::int64_t{1} << i;
  }
  return bits;
}

DbOptions optionsFromBits(std::int64_t bits) {
  DbOptions options;
  for (int i = 0; i < 9; ++i) options.*kOptionNames[i].member = ((bits >> i) & 1) != 0;
  return options;
}

Database systemDatabase(const std::string& name, int versionMajor) {
  Database db;
  db.name = name;
  db.system = true;
  db.compatibilityLevel = versionMajor * 10;
  db.version = databaseVersionFor(versionMajor);
  std::string data = name == "master" ? "master" : name == "tempdb" ? "tempdev" : name + "dev";
  std::string log = name == "master" ? "mastlog" : name == "tempdb" ? "templog" : name + "log";
  db.groups.push_back({kPrimaryGroup, {DbFile{0, data, "", 1024, 0, true, false}}});
  db.logFiles.push_back(DbFile{0, log, "", 512, 0, false, true});
  return db;
}

}  // namespace

// ---- lifetime and locking ----

Instance::Instance(std::string name, std::filesystem::path dir)
    : m_name(std::move(name)), m_dir(std::move(dir)), m_fileLock(m_dir / "instance.lock") {}

Instance::~Instance() = default;

SqlError Instance::catalogError() const {
  return sqlMessage(kMsgEngineFailure,
                    {"catalogue of instance " + m_name + ":", m_catalog.error()});
}

Instance::Hold::Hold(Instance& instance, bool exclusive)
    : m_instance(&instance), m_use(instance.m_use) {
  m_ok = instance.lockFor(exclusive);
}

Instance::Hold::Hold(Hold&& other) noexcept
    : m_instance(other.m_instance), m_use(std::move(other.m_use)), m_ok(other.m_ok) {
  other.m_ok = false;
}

Instance::Hold::~Hold() {
  if (m_ok) m_instance->unlockOne();
}

Instance::Hold Instance::hold(bool exclusive) {
  return Hold(*this, exclusive);
}

// Called with m_use held by this thread.
bool Instance::lockFor(bool exclusive) {
  if (m_depth > 0) {
    if (exclusive && !m_exclusive) return false;  // no upgrade from shared
    ++m_depth;
    return true;
  }
  if (!m_fileLock.lock(exclusive)) return false;
  m_exclusive = exclusive;
  m_depth = 1;
  return true;
}

void Instance::unlockOne() {
  if (--m_depth == 0) m_fileLock.unlock();
}

SqlError Instance::create(const std::string& name, int versionMajor) {
  if (!validInstanceName(name))
    return sqlMessage(kMsgEngineFailure, {"invalid instance name", "'" + name + "'"});
  if (instanceExists(name))
    return sqlMessage(kMsgEngineFailure, {"instance", canonicalInstanceName(name), "exists"});
  std::filesystem::path dir = instanceDir(name);
  std::error_code ec;
  std::filesystem::create_directories(dir, ec);
  Instance building(canonicalInstanceName(name), dir);
  Hold held = building.hold(true);
  if (!held.ok()) return sqlMessage(kMsgEngineFailure, {"cannot lock instance", name});
  if (instanceExists(name))  // made by another process meanwhile
    return sqlMessage(kMsgEngineFailure, {"instance", canonicalInstanceName(name), "exists"});
  // The catalogue is made under a temporary name, so that a half-made instance never counts;
  // a failure takes away what was made.
  std::filesystem::path temp = dir / "catalog.db.new";
  std::filesystem::remove(temp, ec);
  SqlError error = building.build(temp, versionMajor);
  building.m_catalog.close();
  if (error.ok()) {
    std::filesystem::rename(temp, dir / "catalog.db", ec);
    if (ec) error = sqlMessage(kMsgIoError, {ec.message(), "rename", temp.string()});
  }
  if (!error.ok()) {
    std::filesystem::remove(temp, ec);
    std::filesystem::remove_all(dir / "data", ec);
  }
  return error;
}

// Fills a new catalogue: facts, the administrators' logins and the system databases.
SqlError Instance::build(const std::filesystem::path& catalog, int versionMajor) {
  if (!m_catalog.open(catalog, true) || !m_catalog.exec(kSchema)) return catalogError();
  ServerFacts facts;
  facts.versionMajor = versionMajor;
  if (SqlError e = setFacts(facts); !e.ok()) return e;
  if (SqlError e = setLogin({"sa", false, "", true, false}); !e.ok()) return e;
  Login self{osUserName(), true, "", true, false};  // the administrator who installed it
  if (SqlError e = setLogin(self); !e.ok()) return e;
  for (const char* db : {"master", "tempdb", "model", "msdb"}) {
    Database definition = systemDatabase(db, versionMajor);
    if (SqlError e = createDatabase(definition); !e.ok()) return e;
  }
  return {};
}

SqlError Instance::remove(const std::string& name) {
  SqlError error;
  std::unique_ptr<Instance> instance = open(name, error);
  if (!instance) return error;
  std::vector<std::filesystem::path> files;
  {
    Hold held = instance->hold(true);
    std::vector<Database> dbs;
    if (SqlError e = instance->databases(dbs); !e.ok()) return e;
    for (const Database& db : dbs) {
      for (const FileGroup& g : db.groups)
        for (const DbFile& f : g.files) files.push_back(instance->filePath(f));
      for (const DbFile& f : db.logFiles) files.push_back(instance->filePath(f));
    }
    std::error_code ec;
    // The catalogue goes first: from here on no process finds the instance.
    std::filesystem::remove(instance->m_dir / "catalog.db", ec);
    for (const auto& f : files) std::filesystem::remove(f, ec);
  }
  std::filesystem::path dir = instance->m_dir;
  instance.reset();
  std::error_code ec;
  std::filesystem::remove_all(dir, ec);
  return {};
}

std::unique_ptr<Instance> Instance::open(const std::string& name, SqlError& error) {
  if (!instanceExists(name)) {
    error = sqlMessage(kMsgServerNotFound);
    return nullptr;
  }
  std::unique_ptr<Instance> instance(new Instance(canonicalInstanceName(name), instanceDir(name)));
  if (!instance->m_catalog.open(instance->m_dir / "catalog.db", false)) {
    error = instance->catalogError();
    return nullptr;
  }
  error = {};
  return instance;
}

// ---- facts and logins ----

SqlError Instance::facts(ServerFacts& out) {
  ZK_HOLD(false);
  std::vector<std::vector<SqlValue>> rows;
  ZK_RUN("SELECT key, value FROM fact", {}, &rows);
  out = ServerFacts{};
  for (const auto& row : rows) {
    if (const FactName* fact = findFact(asText(row[0]))) setFactValue(out, *fact, asText(row[1]));
  }
  return {};
}

SqlError Instance::setFacts(const ServerFacts& facts) {
  ZK_HOLD(true);
  SqliteTransaction tx(m_catalog);
  for (const FactName& fact : kFactNames) {
    ZK_RUN("INSERT OR REPLACE INTO fact(key, value) VALUES(?, ?)",
           {std::string(fact.name), factValue(facts, fact)});
  }
  if (!tx.commit()) return catalogError();
  return {};
}

SqlError Instance::logins(std::vector<Login>& out) {
  ZK_HOLD(false);
  std::vector<std::vector<SqlValue>> rows;
  ZK_RUN("SELECT name, windows, password, sysadmin, refused FROM login ORDER BY name", {}, &rows);
  out.clear();
  for (const auto& r : rows)
    out.push_back(
        Login{asText(r[0]), asInt(r[1]) != 0, asText(r[2]), asInt(r[3]) != 0, asInt(r[4]) != 0});
  return {};
}

SqlError Instance::findLogin(const std::string& name, std::optional<Login>& out) {
  std::vector<Login> all;
  if (SqlError e = logins(all); !e.ok()) return e;
  out.reset();
  for (const Login& l : all) {
    if (canonicalName(l.name) == canonicalName(name)) out = l;
  }
  return {};
}

SqlError Instance::setLogin(const Login& login) {
  ZK_HOLD(true);
  ZK_RUN("INSERT OR REPLACE INTO login VALUES(?, ?, ?, ?, ?)",
         {login.name, std::int64_t{login.windows}, login.password, std::int64_t{login.sysadmin},
          std::int64_t{login.refused}});
  return {};
}

SqlError Instance::removeLogin(const std::string& name) {
  ZK_HOLD(true);
  ZK_RUN("DELETE FROM login WHERE name = ?", {name});
  if (m_catalog.changes() == 0) return sqlMessage(15007, {"'" + name + "' is not a valid login."});
  return {};
}

// ---- databases ----

SqlError Instance::loadDatabase(const std::vector<SqlValue>& row, Database& db) {
  db = Database{};
  db.id = asInt(row[0]);
  db.name = asText(row[1]);
  db.status = static_cast<int>(asInt(row[2]));
  db.compatibilityLevel = static_cast<int>(asInt(row[3]));
  db.version = static_cast<int>(asInt(row[4]));
  db.system = asInt(row[5]) != 0;
  db.options = optionsFromBits(asInt(row[6]));
  db.nextLsn = static_cast<std::uint64_t>(asInt(row[7]));
  db.logRecords = static_cast<std::uint64_t>(asInt(row[8]));
  std::vector<std::vector<SqlValue>> groups, files;
  ZK_RUN("SELECT name FROM filegroup WHERE db_id = ? ORDER BY ordinal", {db.id}, &groups);
  for (const auto& g : groups) db.groups.push_back(FileGroup{asText(g[0]), {}});
  ZK_RUN(
      "SELECT id, logical, physical, size_kb, used_pages, is_primary, group_ordinal FROM file "
      "WHERE db_id = ? ORDER BY group_ordinal, ordinal",
      {db.id}, &files);
  for (const auto& f : files) {
    std::int64_t group = asInt(f[6]);
    DbFile file{asInt(f[0]), asText(f[1]),     asText(f[2]), asInt(f[3]),
                asInt(f[4]), asInt(f[5]) != 0, group < 0};
    if (group < 0) {
      db.logFiles.push_back(file);
    } else if (static_cast<std::size_t>(group) < db.groups.size()) {
      db.groups[group].files.push_back(file);
    }
  }
  return {};
}

static const char* kDbColumns =
    "SELECT id, name, status, compat, version, system, options, next_lsn, log_records FROM db ";

SqlError Instance::loadDatabases(std::vector<Database>& out) {
  std::vector<std::vector<SqlValue>> rows;
  ZK_RUN(std::string(kDbColumns) + "ORDER BY id", {}, &rows);
  out.clear();
  for (const auto& row : rows) {
    if (SqlError e = loadDatabase(row, out.emplace_back()); !e.ok()) return e;
  }
  return {};
}

SqlError Instance::databaseList(DatabaseList& out) {
  ZK_HOLD(false);
  std::int64_t version = 0;
  if (!m_catalog.dataVersion(version)) return catalogError();
  std::int64_t changes = m_catalog.totalChanges();
  if (m_databases && changes == m_databasesChanges && version == m_databasesVersion) {
    out = m_databases;
    return {};
  }
  auto list = std::make_shared<std::vector<Database>>();
  if (SqlError e = loadDatabases(*list); !e.ok()) return e;
  out = list;
  // Rows changed inside an open transaction may yet be rolled back: such a list is not kept.
  if (m_catalog.inTransaction()) return {};
  m_databases = std::move(list);
  m_databasesChanges = changes;
  m_databasesVersion = version;
  return {};
}

SqlError Instance::databases(std::vector<Database>& out) {
  DatabaseList list;
  if (SqlError e = databaseList(list); !e.ok()) return e;
  out = *list;
  return {};
}

SqlError Instance::findDatabase(const std::string& name, Database& out) {
  std::vector<std::vector<SqlValue>> rows;
  ZK_RUN(std::string(kDbColumns) + "WHERE name = ?", {name}, &rows);
  if (rows.empty()) return sqlMessage(kMsgDatabaseNotFound, {name});
  return loadDatabase(rows[0], out);
}

SqlError Instance::database(const std::string& name, Database& out) {
  ZK_HOLD(false);
  return findDatabase(name, out);
}

std::filesystem::path Instance::filePath(const DbFile& file) const {
  std::filesystem::path p(file.physicalName);
  return p.is_absolute() ? p : m_dir / p;
}

namespace {

// A name as one folder or file name: no separator, and never "." or "..", so that a default
// file stays inside the instance's folder whatever the database or logical file is called.
std::string folderName(std::string name) {
  for (char& c : name) {
    if (c == '/' || c == '\\') c = '_';
  }
  return name.find_first_not_of('.') == std::string::npos ? "_" + name : name;
}

}  // namespace

SqlError Instance::createDatabase(Database& definition,
                                  const std::vector<std::filesystem::path>& reuse) {
  ZK_HOLD(true);
  if (definition.name.empty() || characterCount(definition.name) > kMaxNameCharacters)
    return sqlMessage(kMsgIdentifierTooLong,
                      {firstCharacters(definition.name, kMaxNameCharacters)});
  if (definition.groups.empty() || definition.groups[0].name != kPrimaryGroup ||
      definition.groups[0].files.empty() || definition.logFiles.empty())
    return sqlMessage(kMsgEngineFailure,
                      {"a database needs a file in the PRIMARY file group and a log file"});
  Database existing;
  if (findDatabase(definition.name, existing).ok())
    return sqlMessage(1801, {"Database '" + definition.name + "' already exists."});
  std::set<std::string> logical;
  std::set<std::string> groupNames;
  std::vector<std::filesystem::path> reusable = reuse;
  for (const FileGroup& g : definition.groups) {
    if (!groupNames.insert(canonicalName(g.name)).second)
      return sqlMessage(1828, {"The file group name \"" + g.name + "\" is already in use."});
  }
  auto prepare = [&](DbFile& f, const char* extension) -> SqlError {
    if (f.logicalName.empty() || !logical.insert(canonicalName(f.logicalName)).second)
      return sqlMessage(1828,
                        {"The logical file name \"" + f.logicalName + "\" is already in use."});
    if (f.physicalName.empty()) {
      f.physicalName =
          (m_dir / "data" / folderName(definition.name) / folderName(f.logicalName + extension))
              .string();
    }
    auto reused = std::find(reusable.begin(), reusable.end(), filePath(f));
    if (reused != reusable.end()) {
      reusable.erase(reused);  // one file of the database at most
    } else if (std::filesystem::exists(filePath(f))) {
      return sqlMessage(5170,
                        {"Cannot create file '" + f.physicalName + "' because it already exists."});
    }
    f.sizeKb = static_cast<std::int64_t>(pagesOf(std::max<std::int64_t>(f.sizeKb, 8)) * 8);
    f.usedPages = 0;
    return {};
  };
  for (std::size_t g = 0; g < definition.groups.size(); ++g) {
    for (std::size_t i = 0; i < definition.groups[g].files.size(); ++i) {
      DbFile& f = definition.groups[g].files[i];
      f.primary = g == 0 && i == 0;
      f.log = false;
      if (SqlError e = prepare(f, f.primary ? ".mdf" : ".ndf"); !e.ok()) return e;
    }
  }
  for (DbFile& f : definition.logFiles) {
    f.primary = false;
    f.log = true;
    if (SqlError e = prepare(f, ".ldf"); !e.ok()) return e;
  }
  definition.nextLsn = 1;
  definition.logRecords = 0;
  return storeDatabase(definition);
}

// Writes the catalogue rows and the files of a prepared database in one transaction.
SqlError Instance::storeDatabase(Database& definition) {
  SqliteTransaction tx(m_catalog);
  ZK_RUN(
      "INSERT INTO db(name, status, compat, version, system, options, next_lsn, log_records) "
      "VALUES(?, ?, ?, ?, ?, ?, ?, ?)",
      {definition.name, std::int64_t{definition.status},
       std::int64_t{definition.compatibilityLevel}, std::int64_t{definition.version},
       std::int64_t{definition.system}, optionBits(definition.options),
       static_cast<std::int64_t>(definition.nextLsn),
       static_cast<std::int64_t>(definition.logRecords)});
  definition.id = m_catalog.lastInsertId();
  auto insertFile = [&](DbFile& f, std::int64_t group, std::int64_t ordinal) -> SqlError {
    ZK_RUN(
        "INSERT INTO file(db_id, group_ordinal, ordinal, logical, physical, size_kb, "
        "used_pages, is_primary) VALUES(?, ?, ?, ?, ?, ?, ?, ?)",
        {definition.id, group, ordinal, f.logicalName, f.physicalName, f.sizeKb, f.usedPages,
         std::int64_t{f.primary}});
    f.id = m_catalog.lastInsertId();
    return sizeFile(filePath(f), static_cast<std::uint64_t>(f.sizeKb) * 1024);
  };
  for (std::size_t g = 0; g < definition.groups.size(); ++g) {
    ZK_RUN("INSERT INTO filegroup VALUES(?, ?, ?)",
           {definition.id, static_cast<std::int64_t>(g), definition.groups[g].name});
    for (std::size_t i = 0; i < definition.groups[g].files.size(); ++i) {
      SqlError e = insertFile(definition.groups[g].files[i], static_cast<std::int64_t>(g),
                              static_cast<std::int64_t>(i));
      if (!e.ok()) return e;
    }
  }
  for (std::size_t i = 0; i < definition.logFiles.size(); ++i) {
    if (SqlError e = insertFile(definition.logFiles[i], -1, static_cast<std::int64_t>(i)); !e.ok())
      return e;
  }
  if (!tx.commit()) return catalogError();
  return {};
}

SqlError Instance::removeDatabase(const std::string& name,
                                  const std::vector<std::filesystem::path>& keep) {
  ZK_HOLD(true);
  Database db;
  if (SqlError e = findDatabase(name, db); !e.ok()) return e;
  ZK_RUN("DELETE FROM db WHERE id = ?", {db.id});
  auto remove = [&](const DbFile& f) {
    std::filesystem::path path = filePath(f);
    if (std::find(keep.begin(), keep.end(), path) != keep.end()) return;
    std::error_code ec;
    std::filesystem::remove(path, ec);
  };
  for (const FileGroup& g : db.groups)
    for (const DbFile& f : g.files) remove(f);
  for (const DbFile& f : db.logFiles) remove(f);
  return {};
}

SqlError Instance::setStatus(const std::string& name, int status) {
  ZK_HOLD(true);
  Database db;
  if (SqlError e = findDatabase(name, db); !e.ok()) return e;
  ZK_RUN("UPDATE db SET status = ? WHERE id = ?", {std::int64_t{status}, db.id});
  return {};
}

SqlError Instance::setOptions(const std::string& name, const DbOptions& options) {
  ZK_HOLD(true);
  Database db;
  if (SqlError e = findDatabase(name, db); !e.ok()) return e;
  ZK_RUN("UPDATE db SET options = ? WHERE id = ?", {optionBits(options), db.id});
  return {};
}

SqlError Instance::setLevels(const std::string& name, int compatibilityLevel, int version,
                             bool system) {
  ZK_HOLD(true);
  Database db;
  if (SqlError e = findDatabase(name, db); !e.ok()) return e;
  ZK_RUN("UPDATE db SET compat = ?, version = ?, system = ? WHERE id = ?",
         {std::int64_t{compatibilityLevel}, std::int64_t{version}, std::int64_t{system}, db.id});
  return {};
}

}  // namespace sqlengine
