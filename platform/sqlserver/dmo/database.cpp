// Database, its options, file groups, data files, transaction log and log files: snapshots of
// the catalogue taken when the database was fetched from the server.
#include <cmath>

#include "machine.h"
#include "session.h"

namespace sqldmo {

namespace {

using sqlengine::Database;
using sqlengine::DbFile;

// The objects reached from a server share its session.
template <class I>
class Child : public com::Object<I> {
 protected:
  explicit Child(SessionPtr session) : m_session(std::move(session)) {}
  const SessionPtr m_session;
};

#define DMO_INTERFACE(iid, I)                             \
  void* interfaceFor(REFIID riid) override {              \
    return riid == iid ? static_cast<I*>(this) : nullptr; \
  }

class DbOption final : public Child<ISQLDMODBOption> {
 public:
  DbOption(SessionPtr session, sqlengine::DbOptions options)
      : Child(std::move(session)), m_options(options) {}
  HRESULT GetReadOnly(BOOL* on) override {
    return get("DBOptions.GetReadOnly", m_options.readOnly, on);
  }
  HRESULT GetDBOUseOnly(BOOL* on) override {
    return get("DBOptions.GetDBOUseOnly", m_options.dboUseOnly, on);
  }
  HRESULT GetSelectIntoBulkCopy(BOOL* on) override {
    return get("DBOptions.GetSelectIntoBulkCopy", m_options.selectIntoBulkCopy, on);
  }
  HRESULT GetSingleUser(BOOL* on) override {
    return get("DBOptions.GetSingleUser", m_options.singleUser, on);
  }
  HRESULT GetTruncateLogOnCheckpoint(BOOL* on) override {
    return get("DBOptions.GetTruncateLogOnCheckpoint", m_options.truncateLogOnCheckpoint, on);
  }
  HRESULT GetAutoClose(BOOL* on) override {
    return get("DBOptions.GetAutoClose", m_options.autoClose, on);
  }
  HRESULT GetAutoShrink(BOOL* on) override {
    return get("DBOptions.GetAutoShrink", m_options.autoShrink, on);
  }
  HRESULT GetTornPageDetection(BOOL* on) override {
    return get("DBOptions.GetTornPageDetection", m_options.tornPageDetection, on);
  }
  HRESULT GetOffline(BOOL* on) override {
    return get("DBOptions.GetOffline", m_options.offline, on);
  }

 private:
  DMO_INTERFACE(IID_ISQLDMODBOption, ISQLDMODBOption)
  HRESULT get(const char* method, bool value, BOOL* out) {
    DMO_CONNECTED(method);
    return putBool(out, value);
  }
  const sqlengine::DbOptions m_options;
};

// What data and log files answer alike; kind names the object in call names ("DbFile").
template <class I>
class FileObject : public Child<I> {
 public:
  HRESULT GetName(BSTR* name) override {
    if (HRESULT hr = check("GetName"); FAILED(hr)) return hr;
    return putText(name, m_file.logicalName);
  }
  HRESULT GetPhysicalName(BSTR* path) override {
    if (HRESULT hr = check("GetPhysicalName"); FAILED(hr)) return hr;
    // A server of version 7 keeps file names in a fixed-width column of 260 characters and
    // hands them out padded with blanks.
    sqlengine::ServerFacts facts;
    if (auto e = this->m_session->instance()->facts(facts); !e.ok()) return failMessage(e);
    std::string name = m_file.physicalName;
    std::size_t width = com::toUtf16(name).size();
    if (facts.versionMajor <= 7 && width < 260) name.append(260 - width, ' ');
    return putText(path, name);
  }
  HRESULT GetSizeInKB(float* kilobytes) override {
    if (HRESULT hr = check("GetSizeInKB"); FAILED(hr)) return hr;
    if (kilobytes == nullptr) return E_POINTER;
    *kilobytes = static_cast<float>(m_file.sizeKb);
    return S_OK;
  }

 protected:
  FileObject(SessionPtr session, DbFile file, const char* kind)
      : Child<I>(std::move(session)), m_file(std::move(file)), m_kind(kind) {}
  HRESULT check(const char* method) {
    return this->m_session->checkConnected((m_kind + "." + method).c_str());
  }
  const DbFile m_file;
  const std::string m_kind;
};

class DbFileObject final : public FileObject<ISQLDMODBFile> {
 public:
  DbFileObject(SessionPtr session, DbFile file)
      : FileObject(std::move(session), std::move(file), "DbFile") {}
  HRESULT GetPrimaryFile(BOOL* primary) override {
    if (HRESULT hr = check("GetPrimaryFile"); FAILED(hr)) return hr;
    return putBool(primary, m_file.primary);
  }
  HRESULT GetSpaceAvailableInMB(LONG* megabytes) override {
    if (HRESULT hr = check("GetSpaceAvailableInMB"); FAILED(hr)) return hr;
    return putLong(megabytes, (m_file.sizeKb - m_file.usedPages * 8) / 1024);
  }

 private:
  DMO_INTERFACE(IID_ISQLDMODBFile, ISQLDMODBFile)
};

class LogFileObject final : public FileObject<ISQLDMOLogFile> {
 public:
  LogFileObject(SessionPtr session, DbFile file)
      : FileObject(std::move(session), std::move(file), "LogFile") {}

 private:
  DMO_INTERFACE(IID_ISQLDMOLogFile, ISQLDMOLogFile)
};

class FileGroupObject final : public Child<ISQLDMOFileGroup> {
 public:
  FileGroupObject(SessionPtr session, sqlengine::FileGroup group)
      : Child(std::move(session)), m_group(std::move(group)) {}
  HRESULT GetName(BSTR* name) override {
    DMO_CONNECTED("Group.GetName");
    return putText(name, m_group.name);
  }
  HRESULT GetPrimary(BOOL* primary) override {
    DMO_CONNECTED("Group.GetPrimary");
    return putBool(primary, m_group.name == sqlengine::kPrimaryGroup);
  }
  HRESULT GetDBFileCount(LONG* count) override {
    DMO_CONNECTED("Group.GetDBFileCount");
    return putLong(count, static_cast<long long>(m_group.files.size()));
  }
  HRESULT GetDBFileByOrd(LONG ordinal, ISQLDMODBFile** file) override {
    DMO_CONNECTED("Group.GetDBFileByOrd");
    if (ordinal < 0 || static_cast<std::size_t>(ordinal) >= m_group.files.size())
      return ordinalOutOfRange(ordinal, "DBFiles");
    return putObject(file, com::make<DbFileObject>(m_session, m_group.files[ordinal]));
  }

 private:
  DMO_INTERFACE(IID_ISQLDMOFileGroup, ISQLDMOFileGroup)
  const sqlengine::FileGroup m_group;
};

class TransactionLogObject final : public Child<ISQLDMOTransactionLog> {
 public:
  TransactionLogObject(SessionPtr session, Database db)
      : Child(std::move(session)), m_db(std::move(db)) {}
  HRESULT GetLogFileCount(LONG* count) override {
    DMO_CONNECTED("Log.GetLogFileCount");
    return putLong(count, static_cast<long long>(m_db.logFiles.size()));
  }
  HRESULT GetLogFileByOrd(LONG ordinal, ISQLDMOLogFile** file) override {
    DMO_CONNECTED("Log.GetLogFileByOrd");
    if (ordinal < 0 || static_cast<std::size_t>(ordinal) >= m_db.logFiles.size())
      return ordinalOutOfRange(ordinal, "LogFiles");
    return putObject(file, com::make<LogFileObject>(m_session, m_db.logFiles[ordinal]));
  }
  HRESULT GetSpaceAvailable(LONG* kilobytes) override {
    DMO_CONNECTED("Log.GetSpaceAvailable");
    return putLong(kilobytes, freeKb());
  }
  HRESULT GetSpaceAvailableInMB(LONG* megabytes) override {
    DMO_CONNECTED("Log.GetSpaceAvailableInMB");
    return putLong(megabytes, freeKb() / 1024);
  }

 private:
  DMO_INTERFACE(IID_ISQLDMOTransactionLog, ISQLDMOTransactionLog)
  long long freeKb() const {
    long long total = 0;
    for (const DbFile& f : m_db.logFiles) total += f.sizeKb;
    long long usedKb =
        static_cast<long long>((m_db.logRecords * sqlengine::kLogSlotSize + 1023) / 1024);
    return total - usedKb;
  }
  const Database m_db;
};

class DatabaseObject final : public Child<ISQLDMODatabase> {
 public:
  DatabaseObject(SessionPtr session, Database db)
      : Child(std::move(session)), m_db(std::move(db)) {}
  HRESULT GetName(BSTR* name) override {
    DMO_CONNECTED("Database.GetName");
    return putText(name, m_db.name);
  }
  HRESULT GetStatus(LONG* status) override {
    DMO_CONNECTED("Database.GetStatus");
    return putLong(status, m_db.status);
  }
  HRESULT GetSystemObject(BOOL* system) override {
    DMO_CONNECTED("Database.GetSystemObject");
    return putBool(system, m_db.system);
  }
  HRESULT GetCompatibilityLevel(LONG* level) override {
    if (HRESULT hr = open("Database.GetCompatibilityLevel"); FAILED(hr)) return hr;
    return putLong(level, m_db.compatibilityLevel);
  }
  HRESULT GetVersion(LONG* version) override {
    if (HRESULT hr = open("Database.GetVersion"); FAILED(hr)) return hr;
    return putLong(version, m_db.version);
  }
  HRESULT GetDBOption(ISQLDMODBOption** options) override {
    if (HRESULT hr = open("Database.GetDBOption"); FAILED(hr)) return hr;
    return putObject(options, com::make<DbOption>(m_session, m_db.options));
  }
  HRESULT GetFileGroupCount(LONG* count) override {
    if (HRESULT hr = open("Database.GetFileGroupCount"); FAILED(hr)) return hr;
    return putLong(count, static_cast<long long>(m_db.groups.size()));
  }
  HRESULT GetFileGroupByOrd(LONG ordinal, ISQLDMOFileGroup** group) override {
    if (HRESULT hr = open("Database.GetFileGroupByOrd"); FAILED(hr)) return hr;
    if (ordinal < 0 || static_cast<std::size_t>(ordinal) >= m_db.groups.size())
      return ordinalOutOfRange(ordinal, "FileGroups");
    return putObject(group, com::make<FileGroupObject>(m_session, m_db.groups[ordinal]));
  }
  HRESULT GetFileGroupByName(LPCOLESTR name, ISQLDMOFileGroup** group) override {
    if (HRESULT hr = open("Database.GetFileGroupByName"); FAILED(hr)) return hr;
    std::string wanted = sqlengine::canonicalName(com::toUtf8(com::wideView(name)));
    for (const auto& g : m_db.groups) {
      if (sqlengine::canonicalName(g.name) == wanted)
        return putObject(group, com::make<FileGroupObject>(m_session, g));
    }
    return failDmo(SQLDMO_E_NAMENOTFOUND, "[SQL-DMO]The name '" + com::toUtf8(com::wideView(name)) +
                                              "' was not found in the FileGroups collection.");
  }
  HRESULT GetTransactionLog(ISQLDMOTransactionLog** log) override {
    if (HRESULT hr = open("Database.GetTransactionLog"); FAILED(hr)) return hr;
    return putObject(log, com::make<TransactionLogObject>(m_session, m_db));
  }

 private:
  DMO_INTERFACE(IID_ISQLDMODatabase, ISQLDMODatabase)
  // A database that cannot be opened answers with the server's message.
  HRESULT open(const char* method) {
    DMO_CONNECTED(method);
    switch (m_db.status) {
      case sqlengine::kStatusNormal:
      case sqlengine::kStatusStandby:
      case sqlengine::kStatusEmergency:
        return S_OK;
      case sqlengine::kStatusLoading:
        return failMessage(sqlengine::sqlMessage(sqlengine::kMsgDatabaseInRestore, {m_db.name}));
      default:
        return failMessage(sqlengine::sqlMessage(sqlengine::kMsgDatabaseOffline, {m_db.name}));
    }
  }
  const Database m_db;
};

}  // namespace

com::Ptr<ISQLDMODatabase> makeDatabase(SessionPtr session, Database db) {
  return com::Ptr<ISQLDMODatabase>::adopt(
      com::make<DatabaseObject>(std::move(session), std::move(db)).detach());
}

}  // namespace sqldmo
