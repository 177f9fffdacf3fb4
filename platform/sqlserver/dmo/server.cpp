// The Server object (both classes) with its connection, logon and statements, and the
// Application object; both registered with the COM runtime when the library is loaded.
#include <atomic>

#include "execute.h"
#include "facts.h"
#include "machine.h"
#include "session.h"
#include "tsql.h"

namespace sqldmo {

namespace {

using sqlengine::SqlError;

std::string utf8(LPCOLESTR text) {
  return com::toUtf8(com::wideView(text));
}

class Application final : public com::Object<ISQLDMOApplication> {
 public:
  HRESULT GetName(BSTR* name) override { return putText(name, "SQL-DMO"); }
  HRESULT GetVersionMajor(LONG* version) override {
    return putLong(version, sqlengine::loadMachineSettings().dmoVersionMajor);
  }
  HRESULT GetVersionMinor(LONG* version) override {
    return putLong(version, sqlengine::loadMachineSettings().dmoVersionMinor);
  }
  HRESULT GetBlockingTimeout(LONG* seconds) override { return putLong(seconds, m_blocking.load()); }
  HRESULT SetBlockingTimeout(LONG seconds) override {
    m_blocking = seconds;
    return S_OK;
  }

 private:
  void* interfaceFor(REFIID riid) override {
    return riid == IID_ISQLDMOApplication ? static_cast<ISQLDMOApplication*>(this) : nullptr;
  }
  std::atomic<LONG> m_blocking{5};
};

// The properties a client sets before Connect.
struct Properties {
  std::string applicationName;
  LONG blockingTimeout = 5;
  LONG netPacketSize = 4096;
  std::string name;
  LONG loginTimeout = 60;
  bool autoReconnect = true;
  LONG queryTimeout = 0;
  bool loginSecure = false;
  std::string login;
  std::string password;
};

class Server final : public com::Object<ISQLDMOServer2>, public IConnectionPointContainer {
 public:
  explicit Server(bool version2)
      : m_version2(version2),
        m_session(std::make_shared<Session>()),
        m_events(com::make<com::ConnectionPoint>(IID_ISQLDMOServerSink, this)) {}
  ~Server() override { m_events->clear(); }

  HRESULT QueryInterface(REFIID riid, void** object) override {
    return com::Object<ISQLDMOServer2>::QueryInterface(riid, object);
  }
  ULONG AddRef() override { return com::Object<ISQLDMOServer2>::AddRef(); }
  ULONG Release() override { return com::Object<ISQLDMOServer2>::Release(); }

  // ---- properties ----
  HRESULT GetApplicationName(BSTR* name) override {
    return text(&Properties::applicationName, name);
  }
  HRESULT SetApplicationName(LPCOLESTR name) override {
    return setText("Server.SetApplicationName", &Properties::applicationName, name);
  }
  HRESULT GetBlockingTimeout(LONG* s) override { return number(&Properties::blockingTimeout, s); }
  HRESULT SetBlockingTimeout(LONG s) override {
    return setNumber("Server.SetBlockingTimeout", &Properties::blockingTimeout, s);
  }
  HRESULT GetNetPacketSize(LONG* b) override {
    DMO_CHECK("Server.GetNetPacketSize");
    return number(&Properties::netPacketSize, b);
  }
  HRESULT SetNetPacketSize(LONG b) override {
    return setNumber("Server.SetNetPacketSize", &Properties::netPacketSize, b);
  }
  HRESULT GetName(BSTR* name) override { return text(&Properties::name, name); }
  HRESULT SetName(LPCOLESTR name) override {
    if (HRESULT hr = setText("Server.SetName", &Properties::name, name); FAILED(hr)) return hr;
    m_session->setName(utf8(name));
    return S_OK;
  }
  HRESULT GetLoginTimeout(LONG* s) override { return number(&Properties::loginTimeout, s); }
  HRESULT SetLoginTimeout(LONG s) override {
    return setNumber("Server.SetLoginTimeout", &Properties::loginTimeout, s);
  }
  HRESULT GetAutoReConnect(BOOL* on) override { return flag(&Properties::autoReconnect, on); }
  HRESULT SetAutoReConnect(BOOL on) override {
    return setFlag("Server.SetAutoReConnect", &Properties::autoReconnect, on);
  }
  HRESULT GetQueryTimeout(LONG* s) override { return number(&Properties::queryTimeout, s); }
  HRESULT SetQueryTimeout(LONG s) override {
    return setNumber("Server.SetQueryTimeout", &Properties::queryTimeout, s);
  }
  HRESULT GetLoginSecure(BOOL* on) override { return flag(&Properties::loginSecure, on); }
  HRESULT SetLoginSecure(BOOL on) override {
    return setFlag("Server.SetLoginSecure", &Properties::loginSecure, on);
  }
  HRESULT GetLogin(BSTR* login) override { return text(&Properties::login, login); }
  HRESULT SetLogin(LPCOLESTR login) override {
    return setText("Server.SetLogin", &Properties::login, login);
  }
  HRESULT GetPassword(BSTR* password) override { return text(&Properties::password, password); }
  HRESULT SetPassword(LPCOLESTR password) override {
    return setText("Server.SetPassword", &Properties::password, password);
  }

  // ---- connection ----
  HRESULT Connect(LPCOLESTR serverName, LPCOLESTR login, LPCOLESTR password) override;
  HRESULT DisConnect() override {
    DMO_CHECK("Server.DisConnect");
    if (m_session->disconnect()) return S_OK;
    return failDmo(SQLDMO_E_NOTCONNECTED, "[SQL-DMO]The server is not connected.");
  }

  // ---- facts ----
  HRESULT GetStatus(LONG* status) override {
    return fact("Server.GetStatus", status, [](const auto& f) { return f.serviceStatus; });
  }
  HRESULT GetIssysadmin(BOOL* sysadmin) override {
    DMO_CONNECTED("Server.GetIssysadmin");
    return putBool(sysadmin, m_session->login().sysadmin);
  }
  HRESULT GetVersionMajor(LONG* v) override {
    return fact("Server.GetVersionMajor", v, [](const auto& f) { return f.versionMajor; });
  }
  HRESULT GetVersionMinor(LONG* v) override {
    return fact("Server.GetVersionMinor", v, [](const auto& f) { return f.versionMinor; });
  }
  HRESULT GetVersionString(BSTR* v) override {
    return factText("Server.GetVersionString", v, sqlengine::versionStringOf);
  }
  HRESULT IsOS(LONG osType, BOOL* is) override {
    DMO_CONNECTED("Server.IsOS");
    return putBool(is, osType == SQLDMO_WINNT);
  }
  HRESULT IsPackage(LONG* package) override {
    DMO_CONNECTED("Server.IsPackage");
    return putLong(package, SQLDMO_PACKAGE_ENTERPRISE);
  }
  HRESULT GetTrueName(BSTR* name) override {
    DMO_CONNECTED("Server.GetTrueName");
    return putText(name, sqlengine::serverNameOf(m_session->instance()->name()));
  }
  HRESULT GetHostName(BSTR* name) override {
    return factText("Server.GetHostName", name, [](const auto& f) {
      return f.hostName.empty() ? sqlengine::machineName() : f.hostName;
    });
  }
  HRESULT GetNetName(BSTR* name) override {
    return factText("Server.GetNetName", name, [](const auto& f) {
      return f.netName.empty() ? sqlengine::machineName() : f.netName;
    });
  }
  HRESULT GetCodePage(LONG* codePage) override {
    return fact("Server.GetCodePage", codePage, [](const auto& f) { return f.codePage; });
  }
  HRESULT GetConfiguration(ISQLDMOConfiguration** configuration) override {
    DMO_CONNECTED("Server.GetConfiguration");
    return putObject(configuration, makeConfiguration(m_session));
  }

  // ---- databases and statements ----
  HRESULT GetDatabaseCount(LONG* count) override;
  HRESULT GetDatabaseByOrd(LONG ordinal, ISQLDMODatabase** database) override;
  HRESULT GetDatabaseByName(LPCOLESTR name, ISQLDMODatabase** database) override;
  HRESULT ExecuteImmediate(LPCOLESTR command, LONG execType, LONG length) override;

  // ---- Server2 ----
  HRESULT GetInstanceName(BSTR* name) override {
    DMO_CONNECTED("Server.GetInstanceName");
    std::string instance = m_session->instance()->name();
    return putText(name, instance == sqlengine::kDefaultInstance ? "" : instance);
  }
  HRESULT GetIsClustered(BOOL* clustered) override {
    DMO_CONNECTED("Server.GetIsClustered");
    sqlengine::ServerFacts facts;
    if (SqlError e = m_session->instance()->facts(facts); !e.ok()) return failMessage(e);
    return putBool(clustered, facts.clustered);
  }
  HRESULT ListInstalledInstances(ISQLDMONameList** names, LPCOLESTR) override {
    DMO_CHECK("Server.ListInstalledInstances");
    std::vector<std::string> list;
    for (const std::string& instance : sqlengine::listInstances())
      list.push_back(sqlengine::serverNameOf(instance));
    return putObject(names, makeNameList(m_session, std::move(list)));
  }

  // ---- connection point container ----
  HRESULT EnumConnectionPoints(IEnumConnectionPoints** points) override {
    if (points != nullptr) *points = nullptr;
    return E_NOTIMPL;
  }
  HRESULT FindConnectionPoint(REFIID riid, IConnectionPoint** point) override {
    if (point == nullptr) return E_POINTER;
    *point = nullptr;
    if (!(riid == IID_ISQLDMOServerSink)) return CONNECT_E_NOCONNECTION;
    *point = com::Ptr<IConnectionPoint>::share(m_events.get()).detach();
    return S_OK;
  }

 private:
  void* interfaceFor(REFIID riid) override {
    if (riid == IID_ISQLDMOServer) return static_cast<ISQLDMOServer*>(this);
    if (riid == IID_ISQLDMOServer2 && m_version2) return static_cast<ISQLDMOServer2*>(this);
    if (riid == IID_IConnectionPointContainer) return static_cast<IConnectionPointContainer*>(this);
    return nullptr;
  }

  template <class T>
  T property(T Properties::*member) {
    std::lock_guard lock(m_mutex);
    return m_properties.*member;
  }
  HRESULT text(std::string Properties::*member, BSTR* out) {
    return putText(out, property(member));
  }
  HRESULT number(LONG Properties::*member, LONG* out) { return putLong(out, property(member)); }
  HRESULT flag(bool Properties::*member, BOOL* out) { return putBool(out, property(member)); }
  template <class T>
  HRESULT set(const char* method, T Properties::*member, T value) {
    DMO_CHECK(method);
    std::lock_guard lock(m_mutex);
    m_properties.*member = std::move(value);
    return S_OK;
  }
  HRESULT setText(const char* method, std::string Properties::*member, LPCOLESTR value) {
    return set(method, member, utf8(value));
  }
  HRESULT setNumber(const char* method, LONG Properties::*member, LONG value) {
    return set(method, member, value);
  }
  HRESULT setFlag(const char* method, bool Properties::*member, BOOL value) {
    return set(method, member, value != FALSE);
  }
  template <class Get>
  HRESULT fact(const char* method, LONG* out, Get get) {
    DMO_CONNECTED(method);
    sqlengine::ServerFacts facts;
    if (SqlError e = m_session->instance()->facts(facts); !e.ok()) return failMessage(e);
    return putLong(out, get(facts));
  }
  template <class Get>
  HRESULT factText(const char* method, BSTR* out, Get get) {
    DMO_CONNECTED(method);
    sqlengine::ServerFacts facts;
    if (SqlError e = m_session->instance()->facts(facts); !e.ok()) return failMessage(e);
    return putText(out, get(facts));
  }
  SqlError logon(sqlengine::Instance& instance, const Properties& p, sqlengine::Login& login);
  void raiseServerMessage(const SqlError& error);
  SqlError runStatement(const std::shared_ptr<sqlengine::Instance>& instance,
                        std::u16string_view statement);

  const bool m_version2;
  const SessionPtr m_session;
  const com::Ptr<com::ConnectionPoint> m_events;
  std::mutex m_mutex;  // guards m_properties
  Properties m_properties;
};

HRESULT Server::Connect(LPCOLESTR serverName, LPCOLESTR login, LPCOLESTR password) {
  if (serverName != nullptr && *serverName != u'\0') SetName(serverName);
  if (login != nullptr && *login != u'\0') SetLogin(login);
  if (password != nullptr && *password != u'\0') SetPassword(password);
  DMO_CHECK("Server.Connect");
  if (m_session->instance())
    return failDmo(SQLDMO_E_ALREADYCONNECTED, "[SQL-DMO]The server is already connected.");
  Properties p;
  {
    std::lock_guard lock(m_mutex);
    p = m_properties;
  }
  auto resolved = sqlengine::resolveServerName(p.name);
  if (!resolved) return failMessage(sqlengine::sqlMessage(sqlengine::kMsgServerNotFound));
  SqlError error;
  std::shared_ptr<sqlengine::Instance> instance = sqlengine::Instance::open(*resolved, error);
  if (!instance) return failMessage(sqlengine::sqlMessage(sqlengine::kMsgServerNotFound));
  sqlengine::Login user;
  if (SqlError e = logon(*instance, p, user); !e.ok()) return failMessage(e);
  m_session->connect(std::move(instance), std::move(user));
  return S_OK;
}

// Checks the server is running and the login may connect; fills the login connected with.
SqlError Server::logon(sqlengine::Instance& instance, const Properties& p,
                       sqlengine::Login& login) {
  std::optional<sqlengine::Fault> refused;
  if (SqlError e = instance.takeFault("connect", "", refused); !e.ok()) return e;
  if (refused) {
    SqlError e = sqlengine::sqlMessage(refused->message != 0 ? refused->message
                                                             : sqlengine::kMsgServerNotFound);
    if (!refused->text.empty()) e.text = refused->text;
    return e;
  }
  sqlengine::ServerFacts facts;
  if (SqlError e = instance.facts(facts); !e.ok()) return e;
  if (facts.serviceStatus != SQLDMOSvc_Running)
    return sqlengine::sqlMessage(sqlengine::kMsgServerNotFound);
  std::string name = p.loginSecure ? sqlengine::osUserName() : p.login;
  if (!p.loginSecure && !facts.mixedAuthentication)
    return sqlengine::sqlMessage(sqlengine::kMsgLoginNotTrusted, {name});
  std::optional<sqlengine::Login> found;
  if (SqlError e = instance.findLogin(name, found); !e.ok()) return e;
  bool ok = found && found->windows == p.loginSecure && !found->refused &&
            (p.loginSecure || found->password == p.password);
  if (!ok) return sqlengine::sqlMessage(sqlengine::kMsgLoginFailed, {name});
  login = *found;
  return {};
}

HRESULT Server::GetDatabaseCount(LONG* count) {
  DMO_CONNECTED("Server.GetDatabaseCount");
  sqlengine::Instance::DatabaseList dbs;
  if (SqlError e = m_session->instance()->databaseList(dbs); !e.ok()) return failMessage(e);
  return putLong(count, static_cast<long long>(dbs->size()));
}

HRESULT Server::GetDatabaseByOrd(LONG ordinal, ISQLDMODatabase** database) {
  DMO_CONNECTED("Server.GetDatabaseByOrd");
  sqlengine::Instance::DatabaseList dbs;
  if (SqlError e = m_session->instance()->databaseList(dbs); !e.ok()) return failMessage(e);
  if (ordinal < 0 || static_cast<std::size_t>(ordinal) >= dbs->size())
    return ordinalOutOfRange(ordinal, "Databases");
  return putObject(database, makeDatabase(m_session, (*dbs)[ordinal]));
}

HRESULT Server::GetDatabaseByName(LPCOLESTR name, ISQLDMODatabase** database) {
  DMO_CONNECTED("Server.GetDatabaseByName");
  sqlengine::Database db;
  SqlError e = m_session->instance()->database(utf8(name), db);
  if (e.number == sqlengine::kMsgDatabaseNotFound)
    return failDmo(SQLDMO_E_NAMENOTFOUND, "[SQL-DMO]The name '" + utf8(name) +
                                              "' was not found in the Databases collection.");
  if (!e.ok()) return failMessage(e);
  return putObject(database, makeDatabase(m_session, std::move(db)));
}

void Server::raiseServerMessage(const SqlError& error) {
  com::Bstr text(com::toUtf16(error.text));
  m_events->fire<ISQLDMOServerSink>([&](ISQLDMOServerSink* sink) {
    sink->ServerMessage(error.severity, error.number, error.state, text.get());
  });
}

SqlError Server::runStatement(const std::shared_ptr<sqlengine::Instance>& instance,
                              std::u16string_view statement) {
  sqlengine::ServerFacts facts;
  if (SqlError e = instance->facts(facts); !e.ok()) return e;
  sqlengine::ParseResult parsed = sqlengine::parseStatement(statement, facts.versionMajor);
  if (!parsed.error.ok()) return parsed.error;
  if (!parsed.useDatabase.empty()) {
    sqlengine::Database db;
    if (SqlError e = instance->database(parsed.useDatabase, db); !e.ok()) return e;
  }
  const char* kind =
      std::holds_alternative<sqlengine::BackupStatement>(parsed.statement) ? "backup" : "restore";
  std::optional<sqlengine::Fault> fault;
  if (SqlError e = instance->takeFault("statement", kind, fault); !e.ok()) return e;
  if (fault) {
    SqlError e = sqlengine::sqlMessage(fault->message);
    if (!fault->text.empty()) e.text = fault->text;
    return e;
  }
  return sqlengine::executeStatement(*instance, parsed.statement);
}

HRESULT Server::ExecuteImmediate(LPCOLESTR command, LONG, LONG length) {
  DMO_CONNECTED("Server.ExecuteImmediate");
  if (command == nullptr) return E_POINTER;
  std::u16string_view statement = com::wideView(command);
  if (length > 0 && static_cast<std::size_t>(length) < statement.size())
    statement = statement.substr(0, static_cast<std::size_t>(length));
  com::Bstr sent(statement);
  m_events->fire<ISQLDMOServerSink>(
      [&](ISQLDMOServerSink* sink) { sink->CommandSent(sent.get()); });
  SqlError error = runStatement(m_session->instance(), statement);
  if (error.ok()) return S_OK;
  raiseServerMessage(error);
  return failMessage(error);
}

const com::ClassRegistrar kApplicationClass(CLSID_SQLDMOApplication, [](REFIID riid,
                                                                        void** object) {
  return com::make<Application>()->QueryInterface(riid, object);
});

const com::ClassRegistrar kServerClass(CLSID_SQLDMOServer, [](REFIID riid, void** object) {
  return com::make<Server>(false)->QueryInterface(riid, object);
});

// The Server2 class exists only in an object model of version 8 or later.
const com::ClassRegistrar kServer2Class(CLSID_SQLDMOServer2, [](REFIID riid, void** object) {
  if (sqlengine::loadMachineSettings().dmoVersionMajor < 8) return REGDB_E_CLASSNOTREG;
  return com::make<Server>(true)->QueryInterface(riid, object);
});

}  // namespace

}  // namespace sqldmo
