// The handle table and the installer calls on it. One mutex guards the whole table and every
// object in it; each call holds it for its whole run, so calls from several threads serialise.
#include <algorithm>
#include <cstring>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "msisession.h"

namespace zkmsi {
namespace {

using Record = std::vector<std::optional<std::string>>;  // fields 0 to n
using Object = std::variant<SessionData, Record>;

struct Table {
  std::mutex mutex;
  // Guarded by mutex.
  std::map<MSIHANDLE, Object> objects;
  MSIHANDLE next = 1;
  MSIHANDLE productSession = 0;  // the session opened last that is still open
};

Table& table() {
  static Table t;
  return t;
}

template <class T>
T* find(Table& t, MSIHANDLE handle) {
  auto it = t.objects.find(handle);
  return it == t.objects.end() ? nullptr : std::get_if<T>(&it->second);
}

MSIHANDLE add(Table& t, Object object) {
  MSIHANDLE handle = t.next++;
  t.objects.emplace(handle, std::move(object));
  return handle;
}

MSIHANDLE lastSession(Table& t) {
  for (auto it = t.objects.rbegin(); it != t.objects.rend(); ++it) {
    if (std::holds_alternative<SessionData>(it->second)) return it->first;
  }
  return 0;
}

// The armed fault of function for name, 0 when none.
UINT faultCode(const SessionData& session, const char* function, const std::string& name) {
  for (const Fault& fault : session.faults) {
    if (fault.function == function && (fault.name == "*" || fault.name == name)) return fault.code;
  }
  return ERROR_SUCCESS;
}

// Copies value into the caller's buffer by the size rules of msi.h.
UINT copyOut(const std::string& value, LPSTR buffer, UINT* size) {
  if (size == nullptr) return buffer == nullptr ? ERROR_SUCCESS : ERROR_INVALID_PARAMETER;
  UINT room = *size;
  *size = static_cast<UINT>(value.size());
  if (buffer == nullptr) return ERROR_SUCCESS;
  if (room > value.size()) {
    std::memcpy(buffer, value.c_str(), value.size() + 1);
    return ERROR_SUCCESS;
  }
  if (room > 0) {
    std::memcpy(buffer, value.data(), room - 1);
    buffer[room - 1] = '\0';
  }
  return ERROR_MORE_DATA;
}

// "[n]" in the template stands for field n; anything else stays as it is.
std::string formatTemplate(const Record& record) {
  const std::string& tmpl = *record[0];
  std::string line;
  for (std::size_t i = 0; i < tmpl.size(); ++i) {
    std::size_t close = tmpl.find(']', i);
    std::size_t field = 0;
    bool isField = tmpl[i] == '[' && close != std::string::npos && close > i + 1 &&
                   std::all_of(tmpl.begin() + i + 1, tmpl.begin() + close,
                               [](char c) { return c >= '0' && c <= '9'; });
    if (isField) field = std::stoul(tmpl.substr(i + 1, close - i - 1));
    if (!isField) {
      line += tmpl[i];
      continue;
    }
    if (field < record.size() && record[field]) line += *record[field];
    i = close;
  }
  return line;
}

std::string formatRecord(const Record& record) {
  if (record[0]) return formatTemplate(record);
  std::string line;
  for (std::size_t field = 1; field < record.size(); ++field) {
    if (!record[field]) continue;
    if (!line.empty()) line += ' ';
    line += *record[field];
  }
  return line;
}

}  // namespace

MSIHANDLE openSession(const SessionData& data) {
  Table& t = table();
  std::lock_guard lock(t.mutex);
  t.productSession = add(t, data);
  return t.productSession;
}

bool readSession(MSIHANDLE handle, SessionData& data) {
  Table& t = table();
  std::lock_guard lock(t.mutex);
  SessionData* session = find<SessionData>(t, handle);
  if (session == nullptr) return false;
  data = *session;
  return true;
}

}  // namespace zkmsi

using namespace zkmsi;

extern "C" {

UINT MsiGetPropertyA(MSIHANDLE hInstall, LPCSTR szName, LPSTR szValueBuf, UINT* pcchValueBuf) {
  Table& t = table();
  std::lock_guard lock(t.mutex);
  SessionData* session = find<SessionData>(t, hInstall);
  if (session == nullptr) return ERROR_INVALID_HANDLE;
  if (szName == nullptr) return ERROR_INVALID_PARAMETER;
  UINT fault = faultCode(*session, "MsiGetProperty", szName);
  if (fault != ERROR_SUCCESS) return fault;
  auto it = session->properties.find(szName);
  return copyOut(it == session->properties.end() ? "" : it->second, szValueBuf, pcchValueBuf);
}

UINT MsiSetPropertyA(MSIHANDLE hInstall, LPCSTR szName, LPCSTR szValue) {
  Table& t = table();
  std::lock_guard lock(t.mutex);
  SessionData* session = find<SessionData>(t, hInstall);
  if (session == nullptr) return ERROR_INVALID_HANDLE;
  if (szName == nullptr || *szName == '\0') return ERROR_INVALID_PARAMETER;
  UINT fault = faultCode(*session, "MsiSetProperty", szName);
  if (fault != ERROR_SUCCESS) return fault;
  if (szValue == nullptr || *szValue == '\0') {
    session->properties.erase(szName);
    return ERROR_SUCCESS;
  }
  session->properties[szName] = szValue;
  return ERROR_SUCCESS;
}

UINT MsiGetProductInfoA(LPCSTR szProduct, LPCSTR szAttribute, LPSTR lpValueBuf,
                        UINT* pcchValueBuf) {
  Table& t = table();
  std::lock_guard lock(t.mutex);
  if (szProduct == nullptr || *szProduct == '\0' || szAttribute == nullptr) {
    return ERROR_INVALID_PARAMETER;
  }
  SessionData* session = find<SessionData>(t, t.productSession);
  if (session == nullptr) return ERROR_UNKNOWN_PRODUCT;
  UINT fault = faultCode(*session, "MsiGetProductInfo", szProduct);
  if (fault != ERROR_SUCCESS) return fault;
  auto product = session->products.find(szProduct);
  if (product == session->products.end()) return ERROR_UNKNOWN_PRODUCT;
  auto value = product->second.find(szAttribute);
  if (value == product->second.end()) return ERROR_UNKNOWN_PROPERTY;
  return copyOut(value->second, lpValueBuf, pcchValueBuf);
}

MSIHANDLE MsiCreateRecord(UINT cParams) {
  Table& t = table();
  std::lock_guard lock(t.mutex);
  return add(t, Record(std::size_t{cParams} + 1));
}

UINT MsiRecordSetStringA(MSIHANDLE hRecord, UINT iField, LPCSTR szValue) {
  Table& t = table();
  std::lock_guard lock(t.mutex);
  Record* record = find<Record>(t, hRecord);
  if (record == nullptr) return ERROR_INVALID_HANDLE;
  if (iField >= record->size()) return ERROR_INVALID_PARAMETER;
  (*record)[iField] = szValue == nullptr ? std::nullopt : std::optional<std::string>(szValue);
  return ERROR_SUCCESS;
}

UINT MsiRecordGetFieldCount(MSIHANDLE hRecord) {
  Table& t = table();
  std::lock_guard lock(t.mutex);
  Record* record = find<Record>(t, hRecord);
  return record == nullptr ? static_cast<UINT>(-1) : static_cast<UINT>(record->size() - 1);
}

int MsiProcessMessage(MSIHANDLE hInstall, INSTALLMESSAGE eMessageType, MSIHANDLE hRecord) {
  Table& t = table();
  std::lock_guard lock(t.mutex);
  SessionData* session = find<SessionData>(t, hInstall);
  Record* record = find<Record>(t, hRecord);
  if (session == nullptr || record == nullptr) return -1;
  auto kind = static_cast<INSTALLMESSAGE>(eMessageType & 0xFF000000);
  session->log.push_back({kind, formatRecord(*record)});
  return IDOK;
}

UINT MsiCloseHandle(MSIHANDLE hAny) {
  Table& t = table();
  std::lock_guard lock(t.mutex);
  if (t.objects.erase(hAny) == 0) return ERROR_INVALID_HANDLE;
  if (hAny == t.productSession) t.productSession = lastSession(t);
  return ERROR_SUCCESS;
}

}  // extern "C"
