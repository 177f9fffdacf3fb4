// Test support for SQL Server access: a fresh root with the national-language state over the
// real message catalogue, a machine "TESTHOST" with the object model of version 8 and a default
// instance, and a logon record for its "sa" login.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "agttrc.h"
#include "instance.h"
#include "machine.h"
#include "msgformat.h"
#include "nlstest.h"
#include "sqlapi.h"

namespace sqlapitest {

constexpr char kMachine[] = "TESTHOST";

class SqlApiFixture : public nlstest::NlsFixture {
 protected:
  void SetUp() override;
  void TearDown() override;

  // The machine's object model version (machine.conf).
  void setDmoVersion(int major);
  // (Re)creates the default instance for a server of this major version.
  void createServer(int versionMajor);
  sqlengine::Instance& instance() { return *m_Instance; }
  void setFacts(void (*change)(sqlengine::ServerFacts&));
  // Arms a "call" fault on the default instance.
  void failCall(const std::string& method, int times = 0, int skip = 0);
  // A fresh object over m_Logon; its construction code goes to m_Rc, its message to m_Msg.
  std::unique_ptr<CSqlApi> makeApi();
  // LogonServer with no cancel flag.
  int logon(CSqlApi& api);
  // Creates a database with groups given as "GROUP:file:KB,file:KB;GROUP2:..." and one log file.
  void createDatabase(const std::string& name, const std::string& groups, int logKb = 1024);

  SqlLogonInfo m_Logon = {};
  int m_Rc = -1;
  char m_Msg[NLS_MSG_MAX] = {};
  std::unique_ptr<sqlengine::Instance> m_Instance;
};

// The fixture with one constructed object, m_Api.
class SqlApiObjectFixture : public SqlApiFixture {
 protected:
  void SetUp() override;
  void TearDown() override;
  std::unique_ptr<CSqlApi> m_Api;
};

// Turns SQLAPI tracing on into the echo hook for its lifetime and keeps the texts; when a text
// contains cancelAt, sets *cancelP (a request cancelling while the operation runs).
class TraceCapture {
 public:
  TraceCapture();
  ~TraceCapture();
  bool contains(const std::string& text) const;
  std::string cancelAt;
  uint32_t* cancelP = nullptr;
  std::vector<std::string> texts;

 private:
  static void hook(const char* textP);
  static TraceCapture* s_current;
  TraceEchoRtn m_Saved;
};

// Removes the default instance when it exists and creates it anew for a server of this major
// version; fails the test and returns null when it cannot.
std::unique_ptr<sqlengine::Instance> recreateDefaultInstance(int versionMajor);

// A logon record for the "sa" login of kMachine.
SqlLogonInfo saLogon();

// Constructs a CSqlApi over saLogon() into *apiP, makes it gSqlApiP and reads the server's
// description into *serverP (and the instance list into *instancesPP when given). Fails the
// test fatally when a step fails.
void connectSa(std::unique_ptr<CSqlApi>* apiP, SqlServerElement* serverP,
               CLinkedList<SqlInstanceElement>** instancesPP = nullptr);

// The message catalogue text the agent ships.
std::string catalogueText();

}  // namespace sqlapitest
