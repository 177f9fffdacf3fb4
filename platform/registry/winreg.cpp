// The C interface of the registry: each call checks its arguments and the handle's rights,
// then reads the hive (queries) or changes it under the exclusive lock (updates).
#include "winreg.h"

#include <cstring>
#include <functional>

#include "faults.h"
#include "handles.h"
#include "hive.h"
#include "store.h"

using namespace zkreg;

namespace {

using KeyChange = std::function<LONG(Key& top, Key& key, bool& changed)>;

bool hasAccess(const OpenKey& open, REGSAM needed) {
  return (open.access & needed) == needed;
}

std::string valueName(LPCSTR name) {
  return name == nullptr ? std::string() : std::string(name);
}

bool validValueName(LPCSTR name) {
  return name == nullptr || std::strlen(name) <= kMaxValueNameLength;
}

// The path of subKey below the open key; false for a malformed one.
bool subPath(const OpenKey& open, LPCSTR subKey, Path& full) {
  Path below;
  if (subKey != nullptr && !splitPath(subKey, below)) return false;
  full = open.path;
  full.insert(full.end(), below.begin(), below.end());
  return true;
}

// The open key's own key in top; ERROR_KEY_DELETED when it was deleted under the handle.
LONG findOpenKey(Key& top, const OpenKey& open, Key*& key) {
  key = findKey(top, open.path);
  return key == nullptr ? ERROR_KEY_DELETED : ERROR_SUCCESS;
}

LONG lookupWithAccess(HKEY hKey, REGSAM needed, OpenKey& open) {
  if (!lookupHandle(hKey, open)) return ERROR_INVALID_HANDLE;
  return hasAccess(open, needed) ? ERROR_SUCCESS : ERROR_ACCESS_DENIED;
}

// A key as its hive holds it, for the calls that only read.
struct ReadKey {
  OpenKey open;
  Key top;
  Key* key = nullptr;
};

LONG readOpenKey(HKEY hKey, REGSAM needed, ReadKey& read) {
  LONG rc = lookupWithAccess(hKey, needed, read.open);
  if (rc != ERROR_SUCCESS) return rc;
  rc = readHive(read.open.root, read.top);
  if (rc != ERROR_SUCCESS) return rc;
  return findOpenKey(read.top, read.open, read.key);
}

LONG changeOpenKey(HKEY hKey, REGSAM needed, OpenKey& open, const KeyChange& change) {
  LONG rc = lookupWithAccess(hKey, needed, open);
  if (rc != ERROR_SUCCESS) return rc;
  return static_cast<LONG>(updateHive(open.root, [&](Key& top, bool& changed) -> long {
    Key* key = nullptr;
    LONG found = findOpenKey(top, open, key);
    if (found != ERROR_SUCCESS) return found;
    return change(top, *key, changed);
  }));
}

// Whether a name and its terminator fit a buffer of *length characters.
bool nameFits(const std::string& name, LPDWORD length) {
  return name.size() < *length;
}

// Copies the name with its terminator; *length becomes the name's length.
void copyName(const std::string& name, LPSTR buffer, LPDWORD length) {
  std::memcpy(buffer, name.c_str(), name.size() + 1);
  *length = static_cast<DWORD>(name.size());
}

// Gives type and data as RegQueryValueEx does.
LONG copyData(const Value& value, LPDWORD type, LPBYTE data, LPDWORD size) {
  if (type != nullptr) *type = value.type;
  DWORD needed = static_cast<DWORD>(value.data.size());
  if (data != nullptr && *size < needed) {
    *size = needed;
    return ERROR_MORE_DATA;
  }
  if (data != nullptr && needed > 0) std::memcpy(data, value.data.data(), needed);
  if (size != nullptr) *size = needed;
  return ERROR_SUCCESS;
}

}  // namespace

extern "C" {

LONG RegOpenKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD ulOptions, REGSAM samDesired,
                   PHKEY phkResult) {
  if (LONG fault = takeFault("RegOpenKeyEx")) return fault;
  if (phkResult == nullptr) return ERROR_INVALID_PARAMETER;
  *phkResult = nullptr;
  if (ulOptions != 0) return ERROR_INVALID_PARAMETER;
  ReadKey read;
  LONG rc = readOpenKey(hKey, 0, read);
  if (rc != ERROR_SUCCESS) return rc;
  Path full;
  if (!subPath(read.open, lpSubKey, full)) return ERROR_INVALID_PARAMETER;
  if (findKey(read.top, full) == nullptr) return ERROR_FILE_NOT_FOUND;
  *phkResult = openHandle(OpenKey{read.open.root, full, samDesired});
  return ERROR_SUCCESS;
}

LONG RegCreateKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD Reserved, LPSTR lpClass, DWORD dwOptions,
                     REGSAM samDesired, LPSECURITY_ATTRIBUTES, PHKEY phkResult,
                     LPDWORD lpdwDisposition) {
  if (LONG fault = takeFault("RegCreateKeyEx")) return fault;
  if (phkResult == nullptr) return ERROR_INVALID_PARAMETER;
  *phkResult = nullptr;
  if (lpSubKey == nullptr || Reserved != 0 || dwOptions != REG_OPTION_NON_VOLATILE) {
    return ERROR_INVALID_PARAMETER;
  }
  Path below;
  if (!splitPath(lpSubKey, below)) return ERROR_INVALID_PARAMETER;
  std::string className = lpClass == nullptr ? std::string() : std::string(lpClass);
  bool created = false;
  OpenKey open;
  LONG rc = changeOpenKey(hKey, KEY_CREATE_SUB_KEY, open, [&](Key&, Key& key, bool& changed) {
    createKey(key, below, className, created);
    changed = created;
    return ERROR_SUCCESS;
  });
  if (rc != ERROR_SUCCESS) return rc;
  Path full = open.path;
  full.insert(full.end(), below.begin(), below.end());
  *phkResult = openHandle(OpenKey{open.root, full, samDesired});
  if (lpdwDisposition != nullptr) {
    *lpdwDisposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
  }
  return ERROR_SUCCESS;
}

LONG RegQueryValueExA(HKEY hKey, LPCSTR lpValueName, LPDWORD lpReserved, LPDWORD lpType,
                      LPBYTE lpData, LPDWORD lpcbData) {
  if (LONG fault = takeFault("RegQueryValueEx")) return fault;
  if (lpReserved != nullptr || (lpData != nullptr && lpcbData == nullptr)) {
    return ERROR_INVALID_PARAMETER;
  }
  ReadKey read;
  LONG rc = readOpenKey(hKey, KEY_QUERY_VALUE, read);
  if (rc != ERROR_SUCCESS) return rc;
  const Value* value = findValue(*read.key, valueName(lpValueName));
  if (value == nullptr) return ERROR_FILE_NOT_FOUND;
  return copyData(*value, lpType, lpData, lpcbData);
}

LONG RegSetValueExA(HKEY hKey, LPCSTR lpValueName, DWORD, DWORD dwType, const BYTE* lpData,
                    DWORD cbData) {
  if (LONG fault = takeFault("RegSetValueEx")) return fault;
  if ((lpData == nullptr && cbData > 0) || !validValueName(lpValueName) ||
      cbData > kMaxValueDataLength) {
    return ERROR_INVALID_PARAMETER;
  }
  Value value{valueName(lpValueName), dwType, Bytes(lpData, lpData + cbData)};
  OpenKey open;
  return changeOpenKey(hKey, KEY_SET_VALUE, open, [&](Key&, Key& key, bool& changed) {
    setValue(key, std::move(value));
    changed = true;
    return ERROR_SUCCESS;
  });
}

LONG RegCloseKey(HKEY hKey) {
  if (LONG fault = takeFault("RegCloseKey")) return fault;
  return closeHandle(hKey) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

LONG RegDeleteKeyA(HKEY hKey, LPCSTR lpSubKey) {
  if (LONG fault = takeFault("RegDeleteKey")) return fault;
  if (lpSubKey == nullptr) return ERROR_INVALID_PARAMETER;
  OpenKey open;
  return changeOpenKey(hKey, 0, open, [&](Key& top, Key&, bool& changed) {
    Path full;
    if (!subPath(open, lpSubKey, full)) return ERROR_INVALID_PARAMETER;
    if (full.empty()) return ERROR_ACCESS_DENIED;  // a root stays
    Key* target = findKey(top, full);
    if (target == nullptr) return ERROR_FILE_NOT_FOUND;
    if (!target->subkeys.empty()) return ERROR_ACCESS_DENIED;
    Key* parent = findKey(top, Path(full.begin(), full.end() - 1));
    changed = removeChild(*parent, full.back());
    return ERROR_SUCCESS;
  });
}

LONG RegDeleteValueA(HKEY hKey, LPCSTR lpValueName) {
  if (LONG fault = takeFault("RegDeleteValue")) return fault;
  std::string name = valueName(lpValueName);
  OpenKey open;
  return changeOpenKey(hKey, KEY_SET_VALUE, open, [&](Key&, Key& key, bool& changed) {
    changed = removeValue(key, name);
    return changed ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
  });
}

LONG RegEnumKeyExA(HKEY hKey, DWORD dwIndex, LPSTR lpName, LPDWORD lpcchName, LPDWORD lpReserved,
                   LPSTR lpClass, LPDWORD lpcchClass, PFILETIME lpftLastWriteTime) {
  if (LONG fault = takeFault("RegEnumKeyEx")) return fault;
  if (lpName == nullptr || lpcchName == nullptr || lpReserved != nullptr ||
      (lpClass != nullptr && lpcchClass == nullptr)) {
    return ERROR_INVALID_PARAMETER;
  }
  ReadKey read;
  LONG rc = readOpenKey(hKey, KEY_ENUMERATE_SUB_KEYS, read);
  if (rc != ERROR_SUCCESS) return rc;
  const Key* child = childAt(*read.key, dwIndex);
  if (child == nullptr) return ERROR_NO_MORE_ITEMS;
  if (!nameFits(child->name, lpcchName)) return ERROR_MORE_DATA;
  if (lpClass != nullptr && !nameFits(child->className, lpcchClass)) return ERROR_MORE_DATA;
  copyName(child->name, lpName, lpcchName);
  if (lpClass != nullptr) copyName(child->className, lpClass, lpcchClass);
  if (lpftLastWriteTime != nullptr) *lpftLastWriteTime = FILETIME{0, 0};
  return ERROR_SUCCESS;
}

LONG RegEnumValueA(HKEY hKey, DWORD dwIndex, LPSTR lpValueName, LPDWORD lpcchValueName,
                   LPDWORD lpReserved, LPDWORD lpType, LPBYTE lpData, LPDWORD lpcbData) {
  if (LONG fault = takeFault("RegEnumValue")) return fault;
  if (lpValueName == nullptr || lpcchValueName == nullptr || lpReserved != nullptr ||
      (lpData != nullptr && lpcbData == nullptr)) {
    return ERROR_INVALID_PARAMETER;
  }
  ReadKey read;
  LONG rc = readOpenKey(hKey, KEY_QUERY_VALUE, read);
  if (rc != ERROR_SUCCESS) return rc;
  if (dwIndex >= read.key->values.size()) return ERROR_NO_MORE_ITEMS;
  const Value& value = read.key->values[dwIndex];
  if (!nameFits(value.name, lpcchValueName)) return ERROR_MORE_DATA;
  if (lpData != nullptr && *lpcbData < value.data.size()) {
    *lpcbData = static_cast<DWORD>(value.data.size());
    return ERROR_MORE_DATA;
  }
  copyName(value.name, lpValueName, lpcchValueName);
  return copyData(value, lpType, lpData, lpcbData);
}

}  // extern "C"
