#include "faults.h"

#include <algorithm>
#include <array>
#include <sstream>
#include <system_error>
#include <vector>

#include "file_io.h"
#include "root.h"
#include "winreg.h"

namespace fs = std::filesystem;

namespace zkreg {

namespace {

constexpr std::array<std::string_view, 9> kCalls = {
    "RegOpenKeyEx", "RegCreateKeyEx", "RegQueryValueEx", "RegSetValueEx", "RegCloseKey",
    "RegDeleteKey", "RegDeleteValue", "RegEnumKeyEx",    "RegEnumValue"};

struct Fault {
  std::string call;
  long code = 0;
  unsigned times = 0;  // 0: every call
};

fs::path faultFile() {
  return zkroot::rootDir() / "registry" / "faults";
}
fs::path faultLock() {
  return zkroot::rootDir() / "registry" / "faults.lock";
}

std::vector<Fault> readFaults() {
  std::string text;
  readWholeFile(faultFile(), text);
  std::vector<Fault> faults;
  std::istringstream lines(text);
  std::string line;
  while (std::getline(lines, line)) {
    std::istringstream fields(line);
    Fault fault;
    if (fields >> fault.call >> fault.code) {
      fields >> fault.times;
      faults.push_back(fault);
    }
  }
  return faults;
}

bool writeFaults(const std::vector<Fault>& faults) {
  std::string text;
  for (const Fault& fault : faults) {
    text += fault.call + " " + std::to_string(fault.code);
    if (fault.times != 0) text += " " + std::to_string(fault.times);
    text += "\n";
  }
  return replaceFile(faultFile(), text);
}

}  // namespace

bool isFaultableCall(std::string_view call) {
  return std::find(kCalls.begin(), kCalls.end(), call) != kCalls.end();
}

bool armFault(const std::string& call, long code, unsigned times) {
  if (!isFaultableCall(call) || zkroot::stateDir("registry").empty()) return false;
  FileLock lock(faultLock(), true);
  if (!lock.held()) return false;
  std::vector<Fault> faults = readFaults();
  faults.push_back({call, code, times});
  return writeFaults(faults);
}

bool clearFaults() {
  FileLock lock(faultLock(), true);
  std::error_code ec;
  fs::remove(faultFile(), ec);
  return !ec;
}

std::string listFaults() {
  std::string text;
  FileLock lock(faultLock(), false);
  readWholeFile(faultFile(), text);
  return text;
}

long takeFault(std::string_view call) {
  std::error_code ec;
  if (!fs::exists(faultFile(), ec)) return ERROR_SUCCESS;  // the usual case: nothing armed
  FileLock lock(faultLock(), true);
  std::vector<Fault> faults = readFaults();
  auto it =
      std::find_if(faults.begin(), faults.end(), [&](const Fault& f) { return f.call == call; });
  if (it == faults.end()) return ERROR_SUCCESS;
  long code = it->code;
  if (it->times == 0) return code;
  if (--it->times == 0) faults.erase(it);
  writeFaults(faults);
  return code;
}

}  // namespace zkreg
