// One emulated SQL Server instance kept on disk: its catalogue (server facts, logins,
// databases, file groups, files, faults) and its databases' files. This is the engine's
// storage API: the object model reads it, `sqlsim` writes it, and BACKUP and RESTORE read and
// write pages and log records through it.
//
// Processes and threads: every call takes the instance lock (flock on instance.lock: shared to
// read, exclusive to change) and changes the catalogue in one SQLite transaction, so two
// processes using one instance never see or leave a half-made change. A caller that needs
// several calls to appear as one (a restore) holds the lock with hold(); calls inside nest.
// An Instance object may be used from any thread, one thread at a time (calls serialise).
//
// Every call returns a SqlError: number 0 on success, else the server's message.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "filelock.h"
#include "model.h"
#include "pagefile.h"
#include "sqlerror.h"
#include "sqlite.h"

namespace sqlengine {

class Instance {
 public:
  // Creates the instance folder with its catalogue and the system databases master, model,
  // msdb and tempdb, for a server of the given major version (7, 8 or 9).
  static SqlError create(const std::string& name, int versionMajor);
  // Removes the instance with every database file inside its folder (files placed elsewhere
  // are removed too).
  static SqlError remove(const std::string& name);
  // Opens an existing instance; null with the error when it does not exist.
  static std::unique_ptr<Instance> open(const std::string& name, SqlError& error);

  ~Instance();
  const std::string& name() const { return m_name; }
  const std::filesystem::path& dir() const { return m_dir; }

  // Holds the instance lock until destroyed. A shared hold cannot be raised to exclusive:
  // calls that change the instance inside it fail.
  class Hold {
   public:
    Hold(Hold&& other) noexcept;
    ~Hold();
    bool ok() const { return m_ok; }

   private:
    friend class Instance;
    Hold(Instance& instance, bool exclusive);
    Instance* m_instance;
    std::unique_lock<std::recursive_mutex> m_use;
    bool m_ok = false;
  };
  Hold hold(bool exclusive);

  // Server facts.
  SqlError facts(ServerFacts& out);
  SqlError setFacts(const ServerFacts& facts);

  // Logins, names case-insensitive.
  SqlError logins(std::vector<Login>& out);
  SqlError findLogin(const std::string& name, std::optional<Login>& out);
  SqlError setLogin(const Login& login);
  SqlError removeLogin(const std::string& name);

  // Databases, in creation order; names case-insensitive. A missing one gives message 911.
  SqlError databases(std::vector<Database>& out);
  // The same list, shared instead of copied. It is read from the catalogue once and kept while
  // the catalogue is unchanged (by this object or by any other connection, in any process), so
  // a caller that walks the databases one by one does not read the catalogue for each.
  using DatabaseList = std::shared_ptr<const std::vector<Database>>;
  SqlError databaseList(DatabaseList& out);
  SqlError database(const std::string& name, Database& out);
  // Creates the database and its files (zero-filled). definition.groups must start with PRIMARY
  // holding at least one file, and definition.logFiles must hold at least one; empty physical names
  // get a place under data/<database>/. A file named in `reuse` may exist already: it is kept
  // and sized, its bytes left for the caller to overwrite (a restore over a replaced database).
  // The record comes back as stored.
  SqlError createDatabase(Database& definition,
                          const std::vector<std::filesystem::path>& reuse = {});
  // Drops the database and deletes its files, except those named in `keep`.
  SqlError removeDatabase(const std::string& name,
                          const std::vector<std::filesystem::path>& keep = {});
  SqlError setStatus(const std::string& name, int status);
  SqlError setOptions(const std::string& name, const DbOptions& options);
  SqlError setLevels(const std::string& name, int compatibilityLevel, int version, bool system);

  // The path of a file of this instance.
  std::filesystem::path filePath(const DbFile& file) const;

  // Writes count pages of test data from page first of a data file: each page gets a header
  // with one new log sequence number (the same for the whole call) and data made by fill.
  SqlError writeTestPages(const std::string& db, const std::string& logicalFile,
                          std::uint64_t first, std::uint64_t count, const PageFill& fill);
  // Whole pages as stored, headers included: what a backup reads and a restore writes.
  SqlError readPages(const std::string& db, const std::string& logicalFile, std::uint64_t first,
                     std::uint64_t count, std::byte* out);
  SqlError writePages(const std::string& db, const std::string& logicalFile, std::uint64_t first,
                      std::uint64_t count, const std::byte* in);
  // Adds delta to the catalogue's count of used pages of a data file (a restore that wrote the
  // file's pages itself).
  SqlError addUsedPages(const std::string& db, const std::string& logicalFile, std::int64_t delta);
  // Hands out the next log sequence number of the database.
  SqlError nextLsn(const std::string& db, std::uint64_t& lsn);

  // The log. appendLog gives each record the next sequence number (written back into records);
  // a full log gives message 9002. truncateLog drops the records below upToLsn; replaceLog puts
  // in the records of a restore and sets the next sequence number.
  SqlError appendLog(const std::string& db, std::vector<LogRecord>& records);
  SqlError readLog(const std::string& db, std::vector<LogRecord>& out);
  SqlError truncateLog(const std::string& db, std::uint64_t upToLsn);
  SqlError replaceLog(const std::string& db, const std::vector<LogRecord>& records,
                      std::uint64_t nextLsn);

  // FNV-1a checksum of every file of the database: data files first, then log files.
  struct FileChecksum {
    DbFile file;
    std::uint64_t checksum = 0;
  };
  SqlError checksums(const std::string& db, std::vector<FileChecksum>& out);

  // Free-form values kept with a database for the backup and restore engine (for example the
  // sequence number a differential backup starts from). An empty value removes the key.
  SqlError property(const std::string& db, const std::string& key, std::string& value);
  SqlError setProperty(const std::string& db, const std::string& key, const std::string& value);

  // Faults armed by sqlsim.
  SqlError addFault(Fault& fault);
  SqlError faults(std::vector<Fault>& out);
  SqlError clearFaults();
  // The fault that fires for a call of this kind and target, if any; consumes one firing (or
  // one skip) of the first matching fault.
  SqlError takeFault(const std::string& kind, const std::string& target,
                     std::optional<Fault>& fired);

 private:
  Instance(std::string name, std::filesystem::path dir);
  SqlError build(const std::filesystem::path& catalog, int versionMajor);
  bool lockFor(bool exclusive);
  void unlockOne();
  SqlError catalogError() const;
  SqlError loadDatabase(const std::vector<SqlValue>& row, Database& out);
  SqlError loadDatabases(std::vector<Database>& out);
  SqlError findDatabase(const std::string& name, Database& out);
  SqlError findFile(const std::string& db, const std::string& logicalFile, Database& database,
                    DbFile& file);
  // The data file, when pages [first, first + count) lie inside it.
  SqlError findDataPages(const std::string& db, const std::string& logicalFile, std::uint64_t first,
                         std::uint64_t count, DbFile& file);
  SqlError storeDatabase(Database& definition);
  SqlError logIo(const Database& db, std::uint64_t firstSlot, std::uint64_t slots, std::byte* data,
                 bool write);
  SqlError writeLogRecords(const Database& db, const std::vector<LogRecord>& records,
                           std::uint64_t oldCount);

  const std::string m_name;
  const std::filesystem::path m_dir;
  FileLock m_fileLock;
  Sqlite m_catalog;
  std::recursive_mutex m_use;  // serialises the threads of this process on this object
  int m_depth = 0;             // guarded by m_use: nested holds on this thread
  bool m_exclusive = false;    // guarded by m_use: the outermost hold is exclusive
  // Guarded by m_use: the list of databases last read, and the catalogue's state it was read
  // in (this connection's count of changes, and the data version that moves on with the
  // commits of every other connection).
  DatabaseList m_databases;
  std::int64_t m_databasesChanges = -1;
  std::int64_t m_databasesVersion = -1;
};

// The names `sqlsim` and the object model use for options and states, as data.
struct OptionName {
  const char* name;
  bool DbOptions::*member;
};
extern const OptionName kOptionNames[9];
struct StatusName {
  const char* name;
  int status;
};
extern const StatusName kStatusNames[9];
std::optional<int> statusByName(const std::string& name);
std::string statusName(int status);

}  // namespace sqlengine
