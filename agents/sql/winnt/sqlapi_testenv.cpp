#include "sqlapi_testenv.h"

#include <atomic>
#include <sstream>

#include "filetext_testutil.h"
#include "runtime.h"

namespace sqlapitest {

TraceCapture* TraceCapture::s_current = nullptr;

TraceCapture::TraceCapture() : m_Saved(gTraceEchoP.exchange(hook)) {
  s_current = this;
  EXPECT_EQ(gTrace.open(""), 0);
  gTrace.setFlag(TRC_SQLAPI, 1);
}

TraceCapture::~TraceCapture() {
  gTrace.close();
  gTrace.setFlag(TRC_SQLAPI, 0);
  gTraceEchoP = m_Saved;
  s_current = nullptr;
}

void TraceCapture::hook(const char* textP) {
  TraceCapture* self = s_current;
  if (self == nullptr) return;
  self->texts.emplace_back(textP);
  if (self->cancelP != nullptr && !self->cancelAt.empty() &&
      self->texts.back().find(self->cancelAt) != std::string::npos) {
    std::atomic_ref<uint32_t>(*self->cancelP).store(1);
  }
}

bool TraceCapture::contains(const std::string& text) const {
  for (const std::string& t : texts) {
    if (t.find(text) != std::string::npos) return true;
  }
  return false;
}

SqlLogonInfo saLogon() {
  SqlLogonInfo logon{};
  snprintf(logon.szSqlServer, sizeof logon.szSqlServer, "%s", kMachine);
  snprintf(logon.szSqlUser, sizeof logon.szSqlUser, "sa");
  logon.enumSqlAuth = SqlUserid;
  return logon;
}

void connectSa(std::unique_ptr<CSqlApi>* apiP, SqlServerElement* serverP,
               CLinkedList<SqlInstanceElement>** instancesPP) {
  SqlLogonInfo logon = saLogon();
  int rc = -1;
  char msg[NLS_MSG_MAX] = "";
  *apiP = std::make_unique<CSqlApi>(&logon, &rc, msg);
  ASSERT_EQ(rc, 0) << msg;
  gSqlApiP = apiP->get();
  uint32_t* cancelP = nullptr;
  char* msgP = msg;
  ASSERT_EQ((*apiP)->GetSqlServerInfo(serverP, &cancelP, &msgP, instancesPP), 0) << msg;
}

void SqlApiFixture::SetUp() {
  NlsFixture::SetUp();
  ASSERT_EQ(initRepository(fileText(ZK_MESSAGE_CATALOGUE)), 0);
  setDmoVersion(8);
  createServer(8);
  m_Logon = saLogon();
}

void SqlApiFixture::TearDown() {
  m_Instance.reset();
  NlsFixture::TearDown();
}

void SqlApiObjectFixture::SetUp() {
  SqlApiFixture::SetUp();
  m_Api = makeApi();
  ASSERT_EQ(m_Rc, 0) << m_Msg;
}

void SqlApiObjectFixture::TearDown() {
  m_Api.reset();
  SqlApiFixture::TearDown();
}

void SqlApiFixture::setDmoVersion(int major) {
  sqlengine::MachineSettings machine;
  machine.machineName = kMachine;
  machine.dmoVersionMajor = major;
  ASSERT_TRUE(sqlengine::saveMachineSettings(machine).ok());
}

void SqlApiFixture::createServer(int versionMajor) {
  m_Instance.reset();
  m_Instance = recreateDefaultInstance(versionMajor);
  ASSERT_TRUE(m_Instance);
}

std::unique_ptr<sqlengine::Instance> recreateDefaultInstance(int versionMajor) {
  if (sqlengine::instanceExists(sqlengine::kDefaultInstance)) {
    EXPECT_TRUE(sqlengine::Instance::remove(sqlengine::kDefaultInstance).ok());
  }
  EXPECT_TRUE(sqlengine::Instance::create(sqlengine::kDefaultInstance, versionMajor).ok());
  sqlengine::SqlError e;
  return sqlengine::Instance::open(sqlengine::kDefaultInstance, e);
}

void SqlApiFixture::setFacts(void (*change)(sqlengine::ServerFacts&)) {
  sqlengine::ServerFacts facts;
  ASSERT_TRUE(m_Instance->facts(facts).ok());
  change(facts);
  ASSERT_TRUE(m_Instance->setFacts(facts).ok());
}

void SqlApiFixture::failCall(const std::string& method, int times, int skip) {
  sqlengine::Fault fault;
  fault.kind = "call";
  fault.target = method;
  fault.times = times;
  fault.skip = skip;
  ASSERT_TRUE(m_Instance->addFault(fault).ok());
}

std::unique_ptr<CSqlApi> SqlApiFixture::makeApi() {
  m_Msg[0] = 0;
  return std::make_unique<CSqlApi>(&m_Logon, &m_Rc, m_Msg);
}

int SqlApiFixture::logon(CSqlApi& api) {
  uint32_t* cancelP = nullptr;
  return api.LogonServer(cancelP);
}

void SqlApiFixture::createDatabase(const std::string& name, const std::string& groups, int logKb) {
  sqlengine::Database db;
  db.name = name;
  std::stringstream groupList(groups);
  std::string groupText;
  while (std::getline(groupList, groupText, ';')) {
    sqlengine::FileGroup group;
    std::stringstream parts(groupText);
    std::getline(parts, group.name, ':');
    std::string fileText;
    while (std::getline(parts, fileText, ',')) {
      sqlengine::DbFile file;
      size_t colon = fileText.find(':');
      file.logicalName = fileText.substr(0, colon);
      file.sizeKb = std::stoll(fileText.substr(colon + 1));
      group.files.push_back(file);
    }
    db.groups.push_back(group);
  }
  db.logFiles = {{0, name + "_log", "", logKb}};
  ASSERT_TRUE(m_Instance->createDatabase(db).ok());
}

}  // namespace sqlapitest
