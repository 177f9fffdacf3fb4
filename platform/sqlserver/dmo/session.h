// Inside the object model: the connection a server shares with every object reached from it,
// the checks every method starts with (connected, faults armed by sqlsim), and the helpers that
// hand results and failures to the caller.
#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "instance.h"
#include "sqldmo.h"

namespace sqldmo {

class Session {
 public:
  // The instance of the connection; null when not connected.
  std::shared_ptr<sqlengine::Instance> instance();
  void connect(std::shared_ptr<sqlengine::Instance> instance, sqlengine::Login login);
  bool disconnect();
  sqlengine::Login login();
  // The server name faults are looked up by before Connect.
  void setName(const std::string& name);

  // S_OK, or the failure of a "call" fault armed for method ("Object.Method").
  HRESULT check(const char* method);
  // As check, and SQLDMO_E_NOTCONNECTED when the connection is gone.
  HRESULT checkConnected(const char* method);

 private:
  std::shared_ptr<sqlengine::Instance> faultInstance();

  std::mutex m_mutex;  // guards every field below
  std::shared_ptr<sqlengine::Instance> m_instance;
  sqlengine::Login m_login;
  std::string m_name;
};
using SessionPtr = std::shared_ptr<Session>;

// Fails with a server message: the error information and SQLDMO_SERVER_MESSAGE(number).
HRESULT failMessage(const sqlengine::SqlError& error);
// Fails with a failure of the object model itself.
HRESULT failDmo(HRESULT hr, const std::string& text);
// What an armed fault makes a call return.
HRESULT failFault(const sqlengine::Fault& fault, const std::string& what);

HRESULT putText(BSTR* out, const std::string& text);
HRESULT putBool(BOOL* out, bool value);
HRESULT putLong(LONG* out, long long value);
// An object handed out through an out parameter (the caller owns the reference).
template <class I, class C>
HRESULT putObject(I** out, com::Ptr<C> object) {
  if (out == nullptr) return E_POINTER;
  *out = object.detach();
  return S_OK;
}
HRESULT ordinalOutOfRange(LONG ordinal, const char* collection);

// The objects reached from a server.
com::Ptr<ISQLDMODatabase> makeDatabase(SessionPtr session, sqlengine::Database db);
com::Ptr<ISQLDMOConfiguration> makeConfiguration(SessionPtr session);
com::Ptr<ISQLDMONameList> makeNameList(SessionPtr session, std::vector<std::string> names);

}  // namespace sqldmo

// The first lines of every method: faults, then the connection.
#define DMO_CHECK(method) \
  if (HRESULT hr_ = m_session->check(method); FAILED(hr_)) return hr_
#define DMO_CONNECTED(method) \
  if (HRESULT hr_ = m_session->checkConnected(method); FAILED(hr_)) return hr_
