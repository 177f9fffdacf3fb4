#include "regnetscape.h"

#include <filesystem>
#include <vector>

#include "regstate.h"
#include "regtextutil.h"

namespace {

constexpr char kUsersKey[] = "SOFTWARE\\Netscape\\Netscape Navigator\\Users";
constexpr char kBiffKey[] = "Software\\Netscape\\Netscape Navigator\\biff";
constexpr char kNavigatorKey[] = "Software\\Netscape\\Netscape Navigator";
constexpr char kNetcasterKey[] = "SOFTWARE\\Netscape\\Netcaster";
constexpr char kCommunicator[] = "COMMUNICATOR";
constexpr DWORD kSubkeyNameRoom = 1024;

std::string gProfileCache;  // the folder, with its trailing "/", where a file was last found

bool exists(const std::string& path) {
  std::error_code ec;
  return !path.empty() && std::filesystem::is_regular_file(path, ec);
}

// The folder up to the word "COMMUNICATOR" (any case) when it holds it, with a trailing "/".
std::string installRoot(const std::string& directory, bool requireWord) {
  std::size_t word = regUpper(directory).find(kCommunicator);
  if (word == std::string::npos && requireWord) return "";
  std::string root = word == std::string::npos ? directory : directory.substr(0, word);
  if (root.empty() || root.back() != '/') root += '/';
  return root;
}

std::string userFile(const std::string& root, const std::string& user,
                     const std::string& fileName) {
  return root + "Users/" + user + "/" + fileName;
}

// Navigator 4: the user's profile folder is DirRoot of the user's key.
std::string navigatorProfile(const std::string& fileName) {
  std::string user = regQueryString(HKEY_LOCAL_MACHINE, kUsersKey, "CurrentUser");
  if (user.empty()) return "";
  std::string root =
      regQueryString(HKEY_LOCAL_MACHINE, std::string(kUsersKey) + "\\" + user, "DirRoot");
  return root.empty() ? "" : root + "/" + fileName;
}

std::string installDirectory(const std::string& key) {
  return regQueryString(HKEY_LOCAL_MACHINE, key + "\\Main", "Install Directory");
}

// Older installations: Users/<user> beside the Communicator folder of the current version.
std::string communicatorProfile(const std::string& user, const std::string& fileName) {
  std::string version = regQueryString(HKEY_LOCAL_MACHINE, kNavigatorKey, "CurrentVersion");
  if (version.empty()) return "";
  std::string root =
      installRoot(installDirectory(std::string(kNavigatorKey) + "\\" + version), true);
  return root.empty() ? "" : userFile(root, user, fileName);
}

// Netcaster installations, the one enumerated last first; the first that holds the file.
std::string netcasterProfile(const std::string& user, const std::string& fileName) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kNetcasterKey, 0, KEY_READ, &key) != ERROR_SUCCESS) {
    return "";
  }
  std::vector<std::string> directories;
  std::vector<char> name(kSubkeyNameRoom);
  for (DWORD index = 0;; ++index) {
    DWORD size = kSubkeyNameRoom;
    if (RegEnumKeyExA(key, index, name.data(), &size, nullptr, nullptr, nullptr, nullptr) !=
        ERROR_SUCCESS) {
      break;
    }
    std::string directory =
        installDirectory(std::string(kNetcasterKey) + "\\" + std::string(name.data(), size));
    if (!directory.empty()) directories.insert(directories.begin(), directory);
  }
  RegCloseKey(key);
  for (const std::string& directory : directories) {
    std::string candidate = userFile(installRoot(directory, false), user, fileName);
    if (exists(candidate)) return candidate;
  }
  return "";
}

std::string searchProfile(const std::string& fileName) {
  std::string candidate = navigatorProfile(fileName);
  if (exists(candidate)) return candidate;
  std::string user = regQueryString(HKEY_CURRENT_USER, kBiffKey, "CurrentUser");
  if (user.empty()) return "";
  candidate = communicatorProfile(user, fileName);
  if (exists(candidate)) return candidate;
  return netcasterProfile(user, fileName);
}

}  // namespace

std::string findNetscapeFile(const std::string& fileName) {
  if (!gProfileCache.empty() && exists(gProfileCache + fileName)) return gProfileCache + fileName;
  gProfileCache.clear();
  std::string found = searchProfile(fileName);
  if (found.empty()) return "";
  gProfileCache = found.substr(0, found.rfind('/') + 1);
  return found;
}

void regForgetNetscapeProfile() {
  gProfileCache.clear();
}
