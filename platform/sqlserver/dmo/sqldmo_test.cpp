#include "sqldmo.h"

#include <gtest/gtest.h>

#include <thread>

#include "instance.h"
#include "machine.h"
#include "root.h"

namespace {

using namespace sqlengine;

std::string textOf(BSTR s) {
  return com::toUtf8(std::u16string_view(s, SysStringLen(s)));
}

// The description of the thread's error information, taken.
std::string lastError() {
  com::Ptr<IErrorInfo> info;
  if (GetErrorInfo(0, info.put()) != S_OK) return "(none)";
  com::Bstr d;
  info->GetDescription(d.put());
  return d.utf8();
}

class Sink final : public com::Object<ISQLDMOServerSink> {
 public:
  HRESULT QueryTimeout(BSTR, BOOL* keep) override { return *keep = TRUE, S_OK; }
  HRESULT ServerMessage(LONG, LONG number, LONG, BSTR message) override {
    messages.push_back(std::to_string(number) + " " + textOf(message));
    return S_OK;
  }
  HRESULT ConnectionBroken(BSTR, BOOL* retry) override { return *retry = TRUE, S_OK; }
  HRESULT RemoteLoginFailed(LONG, LONG, LONG, BSTR) override { return S_OK; }
  HRESULT CommandSent(BSTR sql) override {
    commands.push_back(textOf(sql));
    return S_OK;
  }
  std::vector<std::string> messages, commands;

 private:
  void* interfaceFor(REFIID riid) override {
    return riid == IID_ISQLDMOServerSink ? static_cast<ISQLDMOServerSink*>(this) : nullptr;
  }
};

class SqlDmoTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED)));
    // A test starts with no error on its thread, whatever an earlier test on it left behind.
    SetErrorInfo(0, nullptr);
    MachineSettings machine;
    machine.machineName = "TESTHOST";
    ASSERT_TRUE(saveMachineSettings(machine).ok());
    ASSERT_TRUE(Instance::create(kDefaultInstance, 8).ok());
    SqlError e;
    m_instance = Instance::open(kDefaultInstance, e);
    ASSERT_TRUE(m_instance);
    Database db;
    db.name = "sales";
    db.groups = {{kPrimaryGroup, {{0, "sales_data", "", 2048}}},
                 {"EMPTY", {}},
                 {"G2", {{0, "g2_a", "", 1024}, {0, "g2_b", "", 64}}}};
    db.logFiles = {{0, "sales_log", "", 1024}};
    ASSERT_TRUE(m_instance->createDatabase(db).ok());
    ASSERT_TRUE(m_instance->writeTestPages("sales", "sales_data", 0, 200, {true, 1, ""}).ok());
    std::vector<LogRecord> records(4);
    ASSERT_TRUE(m_instance->appendLog("sales", records).ok());
    ASSERT_TRUE(m_instance->setLogin({"reader", false, "pw", false, false}).ok());
  }
  void TearDown() override { CoUninitialize(); }

  com::Ptr<ISQLDMOServer2> server() {
    com::Ptr<ISQLDMOServer2> s;
    EXPECT_EQ(CoCreateInstance(CLSID_SQLDMOServer2, nullptr, CLSCTX_INPROC_SERVER,
                               IID_ISQLDMOServer2, s.putVoid()),
              S_OK);
    return s;
  }
  HRESULT connect(ISQLDMOServer* s, const char16_t* name, const char16_t* login,
                  const char16_t* password, bool secure) {
    s->SetName(name);
    s->SetLoginSecure(secure ? TRUE : FALSE);
    s->SetLogin(login);
    s->SetPassword(password);
    return s->Connect();
  }
  com::Ptr<ISQLDMOServer2> connected() {
    auto s = server();
    EXPECT_EQ(connect(s.get(), u"(local)", u"sa", u"", false), S_OK) << lastError();
    return s;
  }

  zkroot::ScopedRoot m_root;
  std::unique_ptr<Instance> m_instance;
};

TEST_F(SqlDmoTest, ApplicationReportsTheInstalledVersionAndServer2NeedsVersion8) {
  com::Ptr<ISQLDMOApplication> app;
  ASSERT_EQ(CoCreateInstance(CLSID_SQLDMOApplication, nullptr, CLSCTX_INPROC_SERVER,
                             IID_ISQLDMOApplication, app.putVoid()),
            S_OK);
  LONG version = 0;
  app->GetVersionMajor(&version);
  EXPECT_EQ(version, 8);

  MachineSettings machine = loadMachineSettings();
  machine.dmoVersionMajor = 7;
  ASSERT_TRUE(saveMachineSettings(machine).ok());
  app->GetVersionMajor(&version);
  EXPECT_EQ(version, 7);
  com::Ptr<ISQLDMOServer2> s2;
  EXPECT_EQ(CoCreateInstance(CLSID_SQLDMOServer2, nullptr, CLSCTX_INPROC_SERVER, IID_ISQLDMOServer2,
                             s2.putVoid()),
            REGDB_E_CLASSNOTREG);
  com::Ptr<ISQLDMOServer> s;
  ASSERT_EQ(CoCreateInstance(CLSID_SQLDMOServer, nullptr, CLSCTX_INPROC_SERVER, IID_ISQLDMOServer,
                             s.putVoid()),
            S_OK);
  EXPECT_EQ(s->QueryInterface(IID_ISQLDMOServer2, s2.putVoid()), E_NOINTERFACE);
}

TEST_F(SqlDmoTest, LogonChecksServerLoginPasswordAndMode) {
  ASSERT_TRUE(m_instance->setLogin({"locked", false, "x", true, true}).ok());
  struct Case {
    const char16_t* name;
    const char16_t* login;
    const char16_t* password;
    bool secure;
    HRESULT expected;
    bool sysadmin;
  } cases[] = {
      {u"(local)", u"sa", u"", false, S_OK, true},
      {u"TESTHOST", u"SA", u"", false, S_OK, true},
      {u"testhost\\MSSQLSERVER", u"reader", u"pw", false, S_OK, false},
      {u".", u"ignored", u"ignored", true, S_OK, true},  // integrated: the process's user
      {u"(local)", u"sa", u"wrong", false, SQLDMO_SERVER_MESSAGE(18456), false},
      {u"(local)", u"nobody", u"", false, SQLDMO_SERVER_MESSAGE(18456), false},
      {u"(local)", u"locked", u"x", false, SQLDMO_SERVER_MESSAGE(18456), false},
      {u"OTHERHOST", u"sa", u"", false, SQLDMO_SERVER_MESSAGE(17), false},
      {u"(local)\\NOSUCH", u"sa", u"", false, SQLDMO_SERVER_MESSAGE(17), false},
  };
  for (const Case& c : cases) {
    auto s = server();
    ASSERT_EQ(connect(s.get(), c.name, c.login, c.password, c.secure), c.expected)
        << com::toUtf8(c.name) << " " << com::toUtf8(c.login) << ": " << lastError();
    if (FAILED(c.expected)) {
      EXPECT_NE(lastError().find(c.expected == SQLDMO_SERVER_MESSAGE(17) ? "does not exist"
                                                                         : "Login failed"),
                std::string::npos);
      continue;
    }
    BOOL sysadmin = -1;
    ASSERT_EQ(s->GetIssysadmin(&sysadmin), S_OK);
    EXPECT_EQ(sysadmin != FALSE, c.sysadmin);
  }
  ServerFacts facts;
  ASSERT_TRUE(m_instance->facts(facts).ok());
  facts.mixedAuthentication = false;
  ASSERT_TRUE(m_instance->setFacts(facts).ok());
  EXPECT_EQ(connect(server().get(), u"(local)", u"sa", u"", false), SQLDMO_SERVER_MESSAGE(18452));
}

TEST_F(SqlDmoTest, ServerFactsAndConfiguration) {
  ASSERT_TRUE(Instance::create("NAMED", 7).ok());
  SqlError e;
  auto named = Instance::open("named", e);
  ServerFacts facts;
  ASSERT_TRUE(named->facts(facts).ok());
  facts.hostName = "NODE1";
  facts.clustered = true;
  ASSERT_TRUE(named->setFacts(facts).ok());

  auto s = server();
  ASSERT_EQ(connect(s.get(), u"TESTHOST\\named", u"sa", u"", false), S_OK) << lastError();
  com::Bstr text;
  LONG n = 0;
  BOOL b = FALSE;
  ASSERT_EQ(s->GetVersionMajor(&n), S_OK);
  EXPECT_EQ(n, 7);
  ASSERT_EQ(s->GetVersionString(text.put()), S_OK);
  EXPECT_EQ(text.utf8(), "Microsoft SQL Server  7.00 - 7.00.1063 (Intel X86)");
  ASSERT_EQ(s->GetTrueName(text.put()), S_OK);
  EXPECT_EQ(text.utf8(), "TESTHOST\\NAMED");
  ASSERT_EQ(s->GetInstanceName(text.put()), S_OK);
  EXPECT_EQ(text.utf8(), "NAMED");
  ASSERT_EQ(s->GetHostName(text.put()), S_OK);
  EXPECT_EQ(text.utf8(), "NODE1");
  ASSERT_EQ(s->GetNetName(text.put()), S_OK);
  EXPECT_EQ(text.utf8(), "TESTHOST");
  ASSERT_EQ(s->GetIsClustered(&b), S_OK);
  EXPECT_TRUE(b);
  ASSERT_EQ(s->IsOS(SQLDMO_WINNT, &b), S_OK);
  EXPECT_TRUE(b);
  ASSERT_EQ(s->GetStatus(&n), S_OK);
  EXPECT_EQ(n, SQLDMOSvc_Running);

  com::Ptr<ISQLDMOConfiguration> config;
  ASSERT_EQ(s->GetConfiguration(config.put()), S_OK);
  com::Ptr<ISQLDMOConfigValue> value;
  EXPECT_EQ(config->GetConfigValueByName(u"Unicode locale id", value.put()),
            SQLDMO_SERVER_MESSAGE(15123));  // advanced, hidden
  ASSERT_EQ(config->SetShowAdvancedOptions(TRUE), S_OK);
  ASSERT_EQ(config->GetConfigValueByName(u"unicode LOCALE id", value.put()), S_OK);
  ASSERT_EQ(value->GetCurrentValue(&n), S_OK);
  EXPECT_EQ(n, 1033);
  ASSERT_EQ(config->GetShowAdvancedOptions(&b), S_OK);
  EXPECT_TRUE(b);

  // Version 7 pads physical file names with blanks to 260 characters.
  com::Ptr<ISQLDMODatabase> master;
  com::Ptr<ISQLDMOFileGroup> group;
  com::Ptr<ISQLDMODBFile> file;
  ASSERT_EQ(s->GetDatabaseByName(u"master", master.put()), S_OK);
  ASSERT_EQ(master->GetFileGroupByOrd(0, group.put()), S_OK);
  ASSERT_EQ(group->GetDBFileByOrd(0, file.put()), S_OK);
  ASSERT_EQ(file->GetPhysicalName(text.put()), S_OK);
  EXPECT_EQ(text.view().size(), 260u);
  std::string path = text.utf8();
  EXPECT_EQ(path.substr(0, path.find_last_not_of(' ') + 1),
            (instanceDir("NAMED") / "data/master/master.mdf").string());

  com::Ptr<ISQLDMONameList> names;
  ASSERT_EQ(s->ListInstalledInstances(names.put(), nullptr), S_OK);
  ASSERT_EQ(names->GetCount(&n), S_OK);
  ASSERT_EQ(n, 2);
  ASSERT_EQ(names->GetItemByOrd(0, text.put()), S_OK);
  EXPECT_EQ(text.utf8(), "TESTHOST");
  ASSERT_EQ(names->GetItemByOrd(1, text.put()), S_OK);
  EXPECT_EQ(text.utf8(), "TESTHOST\\NAMED");
  EXPECT_EQ(names->GetItemByOrd(2, text.put()), SQLDMO_E_ORDINALOUTOFRANGE);
}

TEST_F(SqlDmoTest, DatabasesGroupsFilesAndLogFromOrdinalZero) {
  auto s = connected();
  LONG count = 0;
  ASSERT_EQ(s->GetDatabaseCount(&count), S_OK);
  EXPECT_EQ(count, 5);
  com::Ptr<ISQLDMODatabase> db;
  ASSERT_EQ(s->GetDatabaseByOrd(0, db.put()), S_OK);
  com::Bstr name;
  db->GetName(name.put());
  EXPECT_EQ(name.utf8(), "master");
  EXPECT_EQ(s->GetDatabaseByOrd(5, db.put()), SQLDMO_E_ORDINALOUTOFRANGE);
  EXPECT_EQ(s->GetDatabaseByName(u"nosuch", db.put()), SQLDMO_E_NAMENOTFOUND);
  ASSERT_EQ(s->GetDatabaseByName(u"SALES", db.put()), S_OK);

  LONG n = 0;
  ASSERT_EQ(db->GetFileGroupCount(&n), S_OK);
  EXPECT_EQ(n, 3);
  com::Ptr<ISQLDMOFileGroup> group;
  ASSERT_EQ(db->GetFileGroupByOrd(1, group.put()), S_OK);
  group->GetDBFileCount(&n);
  EXPECT_EQ(n, 0);  // the empty group is there, without files
  ASSERT_EQ(db->GetFileGroupByOrd(0, group.put()), S_OK);
  com::Ptr<ISQLDMODBFile> file;
  ASSERT_EQ(group->GetDBFileByOrd(0, file.put()), S_OK);
  float kb = 0;
  BOOL primary = FALSE;
  file->GetSizeInKB(&kb);
  file->GetPrimaryFile(&primary);
  file->GetSpaceAvailableInMB(&n);
  EXPECT_EQ(kb, 2048.0f);
  EXPECT_TRUE(primary);
  EXPECT_EQ(n, (2048 - 200 * 8) / 1024);
  com::Bstr path;
  file->GetPhysicalName(path.put());
  EXPECT_EQ(path.utf8(), (instanceDir(kDefaultInstance) / "data/sales/sales_data.mdf").string());

  com::Ptr<ISQLDMOTransactionLog> log;
  ASSERT_EQ(db->GetTransactionLog(log.put()), S_OK);
  log->GetLogFileCount(&n);
  EXPECT_EQ(n, 1);
  log->GetSpaceAvailable(&n);
  EXPECT_EQ(n, 1024 - 2);  // four records of 512 bytes

  com::Ptr<ISQLDMODBOption> options;
  ASSERT_TRUE(m_instance->setOptions("sales", {.truncateLogOnCheckpoint = true}).ok());
  ASSERT_EQ(s->GetDatabaseByName(u"sales", db.put()), S_OK);  // a fresh snapshot
  ASSERT_EQ(db->GetDBOption(options.put()), S_OK);
  BOOL on = FALSE;
  options->GetTruncateLogOnCheckpoint(&on);
  EXPECT_TRUE(on);
  options->GetTornPageDetection(&on);
  EXPECT_FALSE(on);
}

TEST_F(SqlDmoTest, UnopenableDatabaseAnswersNameAndStatusOnly) {
  auto s = connected();
  struct Case {
    int status;
    HRESULT expected;
  } cases[] = {{kStatusOffline, SQLDMO_SERVER_MESSAGE(942)},
               {kStatusInaccessible, SQLDMO_SERVER_MESSAGE(942)},
               {kStatusLoading, SQLDMO_SERVER_MESSAGE(927)},
               {kStatusStandby, S_OK}};
  for (const Case& c : cases) {
    ASSERT_TRUE(m_instance->setStatus("sales", c.status).ok());
    com::Ptr<ISQLDMODatabase> db;
    ASSERT_EQ(s->GetDatabaseByName(u"sales", db.put()), S_OK);
    LONG status = 0;
    ASSERT_EQ(db->GetStatus(&status), S_OK);
    EXPECT_EQ(status, c.status);
    LONG level = 0;
    EXPECT_EQ(db->GetCompatibilityLevel(&level), c.expected) << c.status;
  }
}

TEST_F(SqlDmoTest, ExecuteImmediateRefusesMalformedStatementsWithTheServersMessage) {
  auto s = connected();
  com::Ptr<IConnectionPointContainer> container;
  ASSERT_EQ(s->QueryInterface(IID_IConnectionPointContainer, container.putVoid()), S_OK);
  com::Ptr<IConnectionPoint> point;
  ASSERT_EQ(container->FindConnectionPoint(IID_ISQLDMOServerSink, point.put()), S_OK);
  auto sink = com::make<Sink>();
  DWORD cookie = 0;
  ASSERT_EQ(point->Advise(sink.get(), &cookie), S_OK);

  EXPECT_EQ(s->ExecuteImmediate(u"USE master BACKUP DATABASE [sales] TO VIRTUAL_DEVICE=N'd1' "
                                u"WITH BLOCKSIZ=512"),
            comCode(0x8004009Bu));  // 155
  EXPECT_EQ(lastError(), "[SQL Server]'BLOCKSIZ' is not a recognized BACKUP option.");
  ASSERT_EQ(sink->messages.size(), 1u);
  EXPECT_EQ(sink->messages[0], "155 'BLOCKSIZ' is not a recognized BACKUP option.");
  EXPECT_EQ(sink->commands.size(), 1u);

  // Only the given length is the statement.
  EXPECT_EQ(s->ExecuteImmediate(u"BACKUP DATABASE [sales] TO VIRTUAL_DEVICE=N'd1' garbage", 0, 47),
            SQLDMO_SERVER_MESSAGE(3201));  // parsed and run: no client created the device set
  EXPECT_NE(lastError().find("Cannot open backup device 'd1'"), std::string::npos);
  EXPECT_EQ(s->ExecuteImmediate(u"BACKUP DATABASE [nosuch] TO VIRTUAL_DEVICE=N'd1'"),
            SQLDMO_SERVER_MESSAGE(911));
  EXPECT_EQ(point->Unadvise(cookie), S_OK);
}

TEST_F(SqlDmoTest, ArmedFaultsFailConnectCallsAndStatements) {
  Fault refuse{0, "connect", "", 0, 0, "", 0, 1};
  ASSERT_TRUE(m_instance->addFault(refuse).ok());
  auto s = server();
  EXPECT_EQ(connect(s.get(), u"(local)", u"sa", u"", false), SQLDMO_SERVER_MESSAGE(17));
  EXPECT_EQ(s->Connect(), S_OK);  // the fault fired once

  Fault call{0, "call", "Database.GetName", 0, 0, "", 1, 1};
  ASSERT_TRUE(m_instance->addFault(call).ok());
  com::Ptr<ISQLDMODatabase> db;
  ASSERT_EQ(s->GetDatabaseByOrd(0, db.put()), S_OK);
  com::Bstr name;
  EXPECT_EQ(db->GetName(name.put()), S_OK);  // skipped once
  EXPECT_EQ(db->GetName(name.put()), E_FAIL);
  EXPECT_EQ(lastError(), "Database.GetName failed (armed fault).");

  Fault statement{0, "statement", "restore", 0, 4306, "", 0, 0};
  ASSERT_TRUE(m_instance->addFault(statement).ok());
  EXPECT_EQ(s->ExecuteImmediate(u"USE master RESTORE LOG [sales] from VIRTUAL_DEVICE=N'd1' WITH "
                                u"BLOCKSIZE=512, RECOVERY, STOPAT=N'2026-12-10 12:00:00'"),
            comCode(0x800410D2u));
  EXPECT_NE(lastError().find("The preceding restore operation"), std::string::npos);
  EXPECT_EQ(s->ExecuteImmediate(u"BACKUP DATABASE [sales] TO VIRTUAL_DEVICE=N'd1'"),
            SQLDMO_SERVER_MESSAGE(3201));  // a backup does not match the fault
}

TEST_F(SqlDmoTest, DisconnectedObjectsRefuseCalls) {
  auto s = connected();
  com::Ptr<ISQLDMODatabase> db;
  ASSERT_EQ(s->GetDatabaseByOrd(0, db.put()), S_OK);
  ASSERT_EQ(s->DisConnect(), S_OK);
  com::Bstr name;
  EXPECT_EQ(db->GetName(name.put()), SQLDMO_E_NOTCONNECTED);
  LONG n;
  EXPECT_EQ(s->GetDatabaseCount(&n), SQLDMO_E_NOTCONNECTED);
  EXPECT_EQ(s->DisConnect(), SQLDMO_E_NOTCONNECTED);
  EXPECT_EQ(s->Connect(), S_OK);  // the properties are kept
}

// Made on one thread and used on others, one at a time; and several connections at once.
TEST_F(SqlDmoTest, ObjectsWorkAcrossThreads) {
  auto s = connected();
  std::thread([&] {
    LONG count = 0;
    EXPECT_EQ(s->GetDatabaseCount(&count), S_OK);
    EXPECT_EQ(s->ExecuteImmediate(u"SELECT 1"), SQLDMO_SERVER_MESSAGE(156));
    EXPECT_NE(lastError().find("SELECT"), std::string::npos);
  }).join();
  EXPECT_EQ(lastError(), "(none)");  // the other thread's error stayed there

  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([this] {
      auto own = connected();
      for (int i = 0; i < 10; ++i) {
        com::Ptr<ISQLDMODatabase> db;
        EXPECT_EQ(own->GetDatabaseByName(u"sales", db.put()), S_OK);
        LONG groups = 0;
        EXPECT_EQ(db->GetFileGroupCount(&groups), S_OK);
        EXPECT_EQ(groups, 3);
      }
    });
  }
  for (auto& t : threads) t.join();
}

}  // namespace
