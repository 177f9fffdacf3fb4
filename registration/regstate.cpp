#include "regstate.h"

#include <cstdlib>
#include <cstring>
#include <vector>

#include "regconst.h"
#include "regprogram.h"
#include "regswitch.h"
#include "regtextutil.h"

namespace {

constexpr char kKeyClass[] = "CString";
constexpr DWORD kStringReadLimit = 1024;
constexpr DWORD kIntReadLimit = 256;
constexpr DWORD kRunNameRoom = 1024;
constexpr DWORD kRunDataRoom = 4096;

// Closes a key handle at the end of a scope.
class CKeyHandle {
 public:
  CKeyHandle() = default;
  ~CKeyHandle() {
    if (m_Key != nullptr) RegCloseKey(m_Key);
  }
  CKeyHandle(const CKeyHandle&) = delete;
  CKeyHandle& operator=(const CKeyHandle&) = delete;
  HKEY* out() { return &m_Key; }
  HKEY get() const { return m_Key; }

 private:
  HKEY m_Key = nullptr;
};

std::string sectionKey(const std::string& section) {
  return kRegistrationKey + section;
}

LONG openSection(const std::string& section, REGSAM access, CKeyHandle& key) {
  return RegOpenKeyExA(HKEY_CURRENT_USER, sectionKey(section).c_str(), 0, access, key.out());
}

// The value's bytes, at most limit of them; false when it cannot be read or is longer.
bool readValue(HKEY root, const std::string& path, const std::string& name, DWORD limit,
               DWORD& type, std::vector<BYTE>& data) {
  CKeyHandle key;
  if (RegOpenKeyExA(root, path.c_str(), 0, KEY_QUERY_VALUE, key.out()) != ERROR_SUCCESS) {
    return false;
  }
  data.assign(limit, 0);
  DWORD size = limit;
  if (RegQueryValueExA(key.get(), name.c_str(), nullptr, &type, data.data(), &size) !=
      ERROR_SUCCESS) {
    return false;
  }
  data.resize(size);
  return true;
}

// A stored text up to its first zero byte, or all of it when it has none.
std::string textOf(const std::vector<BYTE>& data) {
  const char* text = reinterpret_cast<const char*>(data.data());
  return std::string(text, strnlen(text, data.size()));
}

std::string readString(HKEY root, const std::string& path, const std::string& name) {
  DWORD type = 0;
  std::vector<BYTE> data;
  return readValue(root, path, name, kStringReadLimit, type, data) ? textOf(data) : "";
}

// Opens the section for writing, creating the registration keys when it is missing.
bool openForWriting(const std::string& section, CKeyHandle& key) {
  if (openSection(section, KEY_SET_VALUE, key) == ERROR_SUCCESS) return true;
  if (createRegistrationKeys(section) != ERROR_SUCCESS) return false;
  return openSection(section, KEY_SET_VALUE, key) == ERROR_SUCCESS;
}

void writeBytes(const std::string& section, const std::string& name, const char* bytes,
                DWORD size) {
  CKeyHandle key;
  if (!openForWriting(section, key)) return;
  RegSetValueExA(key.get(), name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(bytes), size);
}

LONG createKey(HKEY parent, const char* name, CKeyHandle& key) {
  return RegCreateKeyExA(parent, name, 0, const_cast<char*>(kKeyClass), REG_OPTION_NON_VOLATILE,
                         KEY_ALL_ACCESS, nullptr, key.out(), nullptr);
}

std::string programPath() {
  std::string path;
  return regSearchPath(regAppName(), path) ? path : "";
}

// Names of the REG_SZ Run values whose text names programPath. Values too long to read are
// passed over: the enumeration goes on behind them.
std::vector<std::string> runValuesNaming(HKEY run, const std::string& programPath) {
  std::vector<std::string> names;
  std::string wanted = regLower(programPath);
  std::vector<char> name(kRunNameRoom);
  std::vector<BYTE> data(kRunDataRoom + 1);
  for (DWORD index = 0;; ++index) {
    DWORD nameSize = kRunNameRoom;
    DWORD dataSize = kRunDataRoom;
    DWORD type = 0;
    LONG rc =
        RegEnumValueA(run, index, name.data(), &nameSize, nullptr, &type, data.data(), &dataSize);
    if (rc == ERROR_MORE_DATA) continue;
    if (rc != ERROR_SUCCESS) break;
    if (type != REG_SZ) continue;
    std::string text = regLower(textOf({data.begin(), data.begin() + dataSize}));
    if (text.find(wanted) != std::string::npos) names.emplace_back(name.data(), nameSize);
  }
  return names;
}

std::string formatTime(const char* format, const std::tm& when) {
  char text[64];
  std::size_t length = std::strftime(text, sizeof text, format, &when);
  return std::string(text, length);
}

}  // namespace

void regWriteString(const std::string& section, const std::string& name, const std::string& text) {
  DWORD size = text.empty() ? 1 : static_cast<DWORD>(text.size());
  writeBytes(section, name, text.c_str(), size);
}

// The whole decimal text with its terminator: a fixed four-byte field would cut numbers of four
// digits and more and leave them unterminated.
void regWriteInt(const std::string& section, const std::string& name, int value) {
  std::string text = std::to_string(value);
  writeBytes(section, name, text.c_str(), static_cast<DWORD>(text.size() + 1));
}

std::string regReadString(const std::string& section, const std::string& name) {
  return regQueryString(HKEY_CURRENT_USER, sectionKey(section), name);
}

int regReadInt(const std::string& section, const std::string& name) {
  return regQueryInt(HKEY_CURRENT_USER, sectionKey(section), name);
}

std::string regQueryString(HKEY root, const std::string& path, const std::string& name) {
  return readString(root, path, name);
}

int regQueryInt(HKEY root, const std::string& path, const std::string& name) {
  DWORD type = 0;
  std::vector<BYTE> data;
  if (!readValue(root, path, name, kIntReadLimit, type, data)) return -1;
  if (type == REG_SZ) return static_cast<int>(std::strtol(textOf(data).c_str(), nullptr, 10));
  if (type != REG_DWORD && type != REG_BINARY) return -1;
  data.resize(4, 0);
  return static_cast<int>(std::uint32_t{data[0]} | std::uint32_t{data[1]} << 8 |
                          std::uint32_t{data[2]} << 16 | std::uint32_t{data[3]} << 24);
}

LONG createRegistrationKeys(const std::string& section) {
  CKeyHandle software, orbenix, registration, general, own;
  LONG rc = createKey(HKEY_CURRENT_USER, "Software", software);
  if (rc != ERROR_SUCCESS) return rc;
  rc = createKey(software.get(), "Orbenix", orbenix);
  if (rc != ERROR_SUCCESS) return rc;
  rc = createKey(orbenix.get(), "Product Registration", registration);
  if (rc != ERROR_SUCCESS) return rc;
  rc = createKey(registration.get(), regconst::kGeneralSection, general);
  if (rc != ERROR_SUCCESS) return rc;
  return createKey(registration.get(), section.c_str(), own);
}

std::string makeRunValueName() {
  std::string path = programPath();
  std::string stem;
  for (char c : path.empty() ? regAppName() : path) {
    if (std::strchr(" :\\/\".", c) == nullptr) stem += c;
  }
  stem = stem.substr(0, 12);
  for (int number = 0;; ++number) {
    std::string name = stem + std::to_string(number);
    if (readString(HKEY_LOCAL_MACHINE, kRunKey, name).empty()) return name;
  }
}

std::string runEntryData(const std::string& launcherPath, std::time_t when,
                         const std::string& quotedProgram) {
  std::tm local{};
  localtime_r(&when, &local);
  return launcherPath + formatTime(" %H %M ", local) + std::to_string(local.tm_mon + 1) +
         formatTime(" %d %Y ", local) + quotedProgram;
}

int addRunEntry(int days, int hours, int minutes) {
  if (regSwitchIs(kSwitchRegisterLater, "no")) return 0;
  std::string program = programPath();
  if (program.empty()) return 0;
  if (program[0] != '"') program = '"' + program + '"';
  const std::string& commandLine = regCommandLine();
  if (commandLine.empty()) return 0;
  program += regCommandArguments(commandLine);
  std::time_t when = std::time(nullptr) + days * 86400L + hours * 3600L + minutes * 60L;
  std::string launcher;
  if (!regSearchPath(regconst::kLauncherFileName, launcher)) return 0;
  std::string data = runEntryData(launcher, when, program);
  if (data.size() > kRunDataLimit) return 0;
  CKeyHandle run;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kRunKey, 0, KEY_WRITE, run.out()) != ERROR_SUCCESS) {
    return 0;
  }
  LONG rc = RegSetValueExA(run.get(), makeRunValueName().c_str(), 0, REG_SZ,
                           reinterpret_cast<const BYTE*>(data.c_str()),
                           static_cast<DWORD>(data.size() + 1));
  return rc == ERROR_SUCCESS ? 1 : 0;
}

int removeRunEntries() {
  std::string program = programPath();
  if (program.empty()) return 0;
  std::vector<std::string> names;
  {
    CKeyHandle run;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kRunKey, 0, KEY_QUERY_VALUE, run.out()) !=
        ERROR_SUCCESS) {
      return 0;
    }
    names = runValuesNaming(run.get(), program);
  }
  if (names.empty()) return 0;
  CKeyHandle run;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kRunKey, 0, KEY_WRITE, run.out()) != ERROR_SUCCESS) {
    return 0;
  }
  for (const std::string& name : names) {
    if (RegDeleteValueA(run.get(), name.c_str()) != ERROR_SUCCESS) return 0;
  }
  return 1;
}
