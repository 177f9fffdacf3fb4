#include "session.h"

#include "machine.h"

namespace sqldmo {

using sqlengine::SqlError;

std::shared_ptr<sqlengine::Instance> Session::instance() {
  std::lock_guard lock(m_mutex);
  return m_instance;
}

void Session::connect(std::shared_ptr<sqlengine::Instance> instance, sqlengine::Login login) {
  std::lock_guard lock(m_mutex);
  m_instance = std::move(instance);
  m_login = std::move(login);
}

bool Session::disconnect() {
  std::lock_guard lock(m_mutex);
  bool was = m_instance != nullptr;
  m_instance.reset();
  return was;
}

sqlengine::Login Session::login() {
  std::lock_guard lock(m_mutex);
  return m_login;
}

void Session::setName(const std::string& name) {
  std::lock_guard lock(m_mutex);
  m_name = name;
}

std::shared_ptr<sqlengine::Instance> Session::faultInstance() {
  std::string name;
  {
    std::lock_guard lock(m_mutex);
    if (m_instance) return m_instance;
    name = m_name;
  }
  auto resolved = sqlengine::resolveServerName(name);
  if (!resolved) return nullptr;
  SqlError error;
  return sqlengine::Instance::open(*resolved, error);
}

HRESULT Session::check(const char* method) {
  std::shared_ptr<sqlengine::Instance> instance = faultInstance();
  if (!instance) return S_OK;
  std::optional<sqlengine::Fault> fault;
  if (!instance->takeFault("call", method, fault).ok() || !fault) return S_OK;
  return failFault(*fault, std::string(method) + " failed (armed fault).");
}

HRESULT Session::checkConnected(const char* method) {
  if (HRESULT hr = check(method); FAILED(hr)) return hr;
  if (instance()) return S_OK;
  return failDmo(SQLDMO_E_NOTCONNECTED,
                 "[SQL-DMO]This object is not connected to a server; connect before " +
                     std::string(method) + ".");
}

namespace {

// The ODBC state a client would see with each class of message.
const char* sqlStateOf(int number) {
  if (number == sqlengine::kMsgLoginFailed || number == sqlengine::kMsgLoginNotTrusted)
    return "28000";
  if (number == sqlengine::kMsgServerNotFound) return "08001";
  return "42000";
}

}  // namespace

HRESULT failMessage(const SqlError& error) {
  std::string source =
      std::string("Microsoft SQL-DMO (ODBC SQLState: ") + sqlStateOf(error.number) + ")";
  return com::fail(error.hresult(), source, "[SQL Server]" + error.text);
}

HRESULT failDmo(HRESULT hr, const std::string& text) {
  return com::fail(hr, std::string_view("Microsoft SQL-DMO"), std::string_view(text));
}

HRESULT failFault(const sqlengine::Fault& fault, const std::string& what) {
  if (fault.hresult != 0) return failDmo(fault.hresult, fault.text.empty() ? what : fault.text);
  if (fault.message == 0) return failDmo(E_FAIL, fault.text.empty() ? what : fault.text);
  SqlError error = sqlengine::sqlMessage(fault.message);
  if (!fault.text.empty()) error.text = fault.text;
  if (error.text.empty()) error.text = what;
  return failMessage(error);
}

HRESULT putText(BSTR* out, const std::string& text) {
  if (out == nullptr) return E_POINTER;
  *out = com::allocBstr(std::string_view(text));
  return *out == nullptr ? E_OUTOFMEMORY : S_OK;
}

HRESULT putBool(BOOL* out, bool value) {
  if (out == nullptr) return E_POINTER;
  *out = value ? TRUE : FALSE;
  return S_OK;
}

HRESULT putLong(LONG* out, long long value) {
  if (out == nullptr) return E_POINTER;
  *out = static_cast<LONG>(value);
  return S_OK;
}

HRESULT ordinalOutOfRange(LONG ordinal, const char* collection) {
  return failDmo(SQLDMO_E_ORDINALOUTOFRANGE, "[SQL-DMO]The ordinal " + std::to_string(ordinal) +
                                                 " is out of range for the " + collection +
                                                 " collection.");
}

}  // namespace sqldmo
