// The registry operations: each opens its key, makes one access through the registry's own
// calls and closes the key again.
#include "registry.h"

#include <cstring>

#include "agttrc.h"

namespace {

const char kOpenFailedP[] =
    "error opening HKEY_LOCAL_MACHINE or HKEY_CLASSES_ROOT with a pathkey of %s.\n";

// A value name for a trace line: null names the key's default value.
const char* regName(const char* valueNameP) {
  return valueNameP != nullptr ? valueNameP : "";
}

// A key opened for one access and closed when the object ends.
class CRegKey {
 public:
  CRegKey(HKEY rootKey, const char* keyPathP, REGSAM access) {
    if (RegOpenKeyEx(rootKey, keyPathP, 0, access, &m_Key) != ERROR_SUCCESS) m_Key = nullptr;
  }
  ~CRegKey() {
    if (m_Key != nullptr) RegCloseKey(m_Key);
  }
  CRegKey(const CRegKey&) = delete;
  CRegKey& operator=(const CRegKey&) = delete;
  bool isOpen() const { return m_Key != nullptr; }
  HKEY handle() const { return m_Key; }

 private:
  HKEY m_Key = nullptr;
};

// Reads one value into dataP (*sizeP: in the room, out the bytes read); traces the open
// failure with openFailedP and the read failure with readFailedP. 0, 1700 or 1701.
int regQueryValue(HKEY rootKey, const char* keyPathP, const char* valueNameP, BYTE* dataP,
                  DWORD* sizeP, const char* openFailedP, const char* readFailedP) {
  CRegKey key(rootKey, keyPathP, KEY_QUERY_VALUE);
  if (!key.isOpen()) {
    TRACE_LINE(TRC_GENERAL, openFailedP, keyPathP);
    return RC_REG_OPEN_FAILED;
  }
  if (RegQueryValueEx(key.handle(), valueNameP, nullptr, nullptr, dataP, sizeP) != ERROR_SUCCESS) {
    TRACE_LINE(TRC_GENERAL, readFailedP, keyPathP, regName(valueNameP));
    return RC_REG_READ_FAILED;
  }
  return RC_OK;
}

// Writes one value into an existing key; traces the open failure and leaves the trace of a
// write failure (whose line differs per value type) to the caller. 0, 1700 or 1703.
int regSetValue(HKEY rootKey, const char* keyPathP, const char* valueNameP, DWORD type,
                const BYTE* dataP, DWORD length) {
  CRegKey key(rootKey, keyPathP, KEY_SET_VALUE);
  if (!key.isOpen()) {
    TRACE_LINE(TRC_GENERAL, kOpenFailedP, keyPathP);
    return RC_REG_OPEN_FAILED;
  }
  if (RegSetValueEx(key.handle(), valueNameP, 0, type, dataP, length) != ERROR_SUCCESS) {
    return RC_REG_WRITE_FAILED;
  }
  return RC_OK;
}

}  // namespace

int getSzValue(HKEY rootKey, const char* keyPathP, const char* valueNameP, char* bufferP,
               DWORD bufferSize) {
  TRACE_ENTRY_FORM(TRC_GENERAL, "getSzValue", TraceExitForm::kSuccessOnly);
  if (bufferSize == 0) TRACE_RETURN(RC_REG_READ_FAILED);  // not even room for the text's end
  bufferP[0] = '\0';
  DWORD size = bufferSize - 1;  // one byte held back for the terminator
  int rc = regQueryValue(rootKey, keyPathP, valueNameP, reinterpret_cast<BYTE*>(bufferP), &size,
                         kOpenFailedP,
                         "error reading HKEY_LOCAL_MACHINE or HKEY_CLASSES_ROOT with a pathkey "
                         "of %s and a keyword of %s.\n");
  // A string stored without its terminator is ended here; a failed read leaves an empty text.
  bufferP[rc == RC_OK ? size : 0] = '\0';
  TRACE_RETURN(rc);
}

int getDwordValue(HKEY rootKey, const char* keyPathP, const char* valueNameP, DWORD* numberP) {
  TRACE_ENTRY_FORM(TRC_GENERAL, "getDwordValue", TraceExitForm::kSuccessOnly);
  const char readFailedP[] =
      "error reading HKEY_LOCAL_MACHINE with a pathkey of %s and a keyword of %s.\n";
  BYTE bytes[4];
  DWORD size = sizeof bytes;
  int rc = regQueryValue(rootKey, keyPathP, valueNameP, bytes, &size,
                         "error opening HKEY_LOCAL_MACHINE with a pathkey of %s.\n", readFailedP);
  if (rc != RC_OK) TRACE_RETURN(rc);
  if (size != sizeof bytes) {  // a shorter value would leave part of the number undefined
    TRACE_LINE(TRC_GENERAL, readFailedP, keyPathP, regName(valueNameP));
    TRACE_RETURN(RC_REG_READ_FAILED);
  }
  *numberP = DWORD(bytes[0]) | DWORD(bytes[1]) << 8 | DWORD(bytes[2]) << 16 | DWORD(bytes[3]) << 24;
  TRACE_RETURN(RC_OK);
}

int getBinaryValue(HKEY rootKey, const char* keyPathP, const char* valueNameP, BYTE* bufferP,
                   DWORD* sizeP) {
  TRACE_ENTRY_FORM(TRC_GENERAL, "getBinaryValue", TraceExitForm::kSuccessOnly);
  TRACE_RETURN(regQueryValue(rootKey, keyPathP, valueNameP, bufferP, sizeP, kOpenFailedP,
                             "error reading HKEY_LOCAL_MACHINE or HKEY_CLASSES_ROOT with a "
                             "pathkey of %s and a key of %s.\n"));
}

int putSzValue(HKEY rootKey, const char* keyPathP, const char* valueNameP, const char* textP) {
  TRACE_ENTRY_FORM(TRC_GENERAL, "putSzValue", TraceExitForm::kSuccessOnly);
  int rc = regSetValue(rootKey, keyPathP, valueNameP, REG_SZ, reinterpret_cast<const BYTE*>(textP),
                       DWORD(std::strlen(textP) + 1));
  if (rc == RC_REG_WRITE_FAILED) {
    TRACE_LINE(TRC_GENERAL,
               "error writing HKEY_LOCAL_MACHINE or HKEY_CLASSES_ROOT with a pathkey of %s and a "
               "value of %s.\n",
               keyPathP, textP);
  }
  TRACE_RETURN(rc);
}

int putDwordValue(HKEY rootKey, const char* keyPathP, const char* valueNameP, DWORD number) {
  TRACE_ENTRY_FORM(TRC_GENERAL, "putDwordValue", TraceExitForm::kSuccessOnly);
  const BYTE bytes[4] = {BYTE(number), BYTE(number >> 8), BYTE(number >> 16), BYTE(number >> 24)};
  int rc = regSetValue(rootKey, keyPathP, valueNameP, REG_DWORD, bytes, sizeof bytes);
  if (rc == RC_REG_WRITE_FAILED) {
    TRACE_LINE(TRC_GENERAL,
               "error writing HKEY_LOCAL_MACHINE or HKEY_CLASSES_ROOT with a pathkey of %s and a "
               "value of %d.\n",
               keyPathP, int(number));
  }
  TRACE_RETURN(rc);
}

int putBinaryValue(HKEY rootKey, const char* keyPathP, const char* valueNameP, const BYTE* bytesP,
                   DWORD length) {
  TRACE_ENTRY_FORM(TRC_GENERAL, "putBinaryValue", TraceExitForm::kSuccessOnly);
  int rc = regSetValue(rootKey, keyPathP, valueNameP, REG_BINARY, bytesP, length);
  if (rc == RC_REG_WRITE_FAILED) {
    TRACE_LINE(TRC_GENERAL,
               "error writing HKEY_LOCAL_MACHINE or HKEY_CLASSES_ROOT with a pathkey of %s and a "
               "key of %s.\n",
               keyPathP, regName(valueNameP));
  }
  TRACE_RETURN(rc);
}

int createOrOpenReg(HKEY rootKey, const char* keyPathP, HKEY* keyP) {
  TRACE_ENTRY_FORM(TRC_GENERAL, "createOrOpenReg", TraceExitForm::kSuccessOnly);
  DWORD disposition = 0;
  if (RegCreateKeyEx(rootKey, keyPathP, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                     nullptr, keyP, &disposition) != ERROR_SUCCESS) {
    TRACE_LINE(TRC_GENERAL, kOpenFailedP, keyPathP);
    TRACE_RETURN(RC_REG_OPEN_FAILED);
  }
  RegCloseKey(*keyP);
  TRACE_RETURN(RC_OK);
}

int regDeleteKey(HKEY rootKey, const char* keyPathP) {
  if (RegDeleteKey(rootKey, keyPathP) != ERROR_SUCCESS) {
    TRACE_LINE(TRC_GENERAL, "Error deleting HKEY_LOCAL_MACHINE with a pathkey of %s.\n", keyPathP);
    return RC_REG_DELETE_FAILED;
  }
  return RC_OK;
}
