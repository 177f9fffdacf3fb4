#include "machine.h"

#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "filelock.h"
#include "model.h"
#include "root.h"

namespace sqlengine {

namespace {

std::string upper(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

bool sameName(const std::string& a, const std::string& b) {
  return upper(a) == upper(b);
}

std::string hostMachineName() {
  char host[256] = {};
  if (::gethostname(host, sizeof host - 1) != 0 || host[0] == '\0') return "ZARNAKHOST";
  std::string name(host);
  name = name.substr(0, name.find('.'));
  return upper(name.substr(0, 15));
}

}  // namespace

std::filesystem::path sqlserverDir() {
  return zkroot::stateDir("sqlserver");
}

MachineSettings loadMachineSettings() {
  MachineSettings settings;
  std::ifstream in(sqlserverDir() / "machine.conf");
  std::string line;
  while (std::getline(in, line)) {
    auto eq = line.find('=');
    if (eq == std::string::npos) continue;
    std::string key = line.substr(0, eq);
    std::string value = line.substr(eq + 1);
    if (key == "machine-name") settings.machineName = value;
    if (key == "dmo-version-major") settings.dmoVersionMajor = std::atoi(value.c_str());
    if (key == "dmo-version-minor") settings.dmoVersionMinor = std::atoi(value.c_str());
  }
  return settings;
}

SqlError saveMachineSettings(const MachineSettings& settings) {
  std::filesystem::path dir = sqlserverDir();
  FileLock lock(dir / "machine.lock");
  lock.lock(true);
  std::filesystem::path temp = dir / "machine.conf.new";
  {
    std::ofstream out(temp, std::ios::trunc);
    out << "machine-name=" << settings.machineName << "\n"
        << "dmo-version-major=" << settings.dmoVersionMajor << "\n"
        << "dmo-version-minor=" << settings.dmoVersionMinor << "\n";
    if (!out.flush()) return sqlMessage(kMsgIoError, {"write", "write", temp.string()});
  }
  std::error_code ec;
  std::filesystem::rename(temp, dir / "machine.conf", ec);  // readers see old or new, never half
  if (ec) return sqlMessage(kMsgIoError, {ec.message(), "rename", temp.string()});
  return {};
}

std::string machineName() {
  std::string name = loadMachineSettings().machineName;
  return name.empty() ? hostMachineName() : name;
}

std::string osUserName() {
  if (const passwd* pw = ::getpwuid(::geteuid()); pw != nullptr && pw->pw_name != nullptr)
    return pw->pw_name;
  const char* user = std::getenv("USER");
  return user != nullptr ? user : "root";
}

std::string canonicalName(const std::string& name) {
  return upper(name);
}

std::string canonicalInstanceName(const std::string& name) {
  return upper(name);
}

bool validInstanceName(const std::string& name) {
  if (name.empty() || name.size() > 16) return false;
  return std::all_of(name.begin(), name.end(), [](char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '$' || c == '#';
  });
}

std::filesystem::path instanceDir(const std::string& name) {
  return sqlserverDir() / canonicalInstanceName(name);
}

bool instanceExists(const std::string& name) {
  return validInstanceName(name) && std::filesystem::exists(instanceDir(name) / "catalog.db");
}

std::vector<std::string> listInstances() {
  std::vector<std::string> names;
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(sqlserverDir(), ec)) {
    std::string name = entry.path().filename().string();
    if (entry.is_directory() && instanceExists(name)) names.push_back(name);
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::string serverNameOf(const std::string& instance) {
  std::string name = canonicalInstanceName(instance);
  return name == kDefaultInstance ? machineName() : machineName() + "\\" + name;
}

std::optional<std::string> resolveServerName(const std::string& serverName) {
  std::string host = serverName;
  std::string instance = kDefaultInstance;
  if (auto slash = serverName.find('\\'); slash != std::string::npos) {
    host = serverName.substr(0, slash);
    instance = serverName.substr(slash + 1);
  }
  bool local = host.empty() || host == "." || sameName(host, "(local)") ||
               sameName(host, "localhost") || sameName(host, machineName());
  if (!local || !instanceExists(instance)) return std::nullopt;
  return canonicalInstanceName(instance);
}

}  // namespace sqlengine
