#include "regprogram.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>

namespace fs = std::filesystem;

namespace {

std::string gAppName;      // set at start-up on the user-interface thread
std::string gCommandLine;  // likewise

fs::path ownFolder() {
  std::error_code ec;
  fs::path self = fs::read_symlink("/proc/self/exe", ec);
  return ec ? fs::path() : self.parent_path();
}

bool isProgramIn(const fs::path& folder, const std::string& fileName, std::string& fullPath) {
  if (folder.empty()) return false;
  fs::path candidate = folder / fileName;
  std::error_code ec;
  if (!fs::is_regular_file(candidate, ec)) return false;
  fullPath = candidate.lexically_normal().string();
  return true;
}

std::string quoted(const std::string& word) {
  if (!word.empty() && word.find(' ') == std::string::npos) return word;
  return '"' + word + '"';
}

}  // namespace

std::string regAppName() {
  if (!gAppName.empty()) return gAppName;
  std::error_code ec;
  return fs::read_symlink("/proc/self/exe", ec).filename().string();
}

void regSetAppName(const std::string& name) {
  gAppName = name;
}

bool regSearchPath(const std::string& fileName, std::string& fullPath) {
  std::error_code ec;
  if (isProgramIn(ownFolder(), fileName, fullPath)) return true;
  if (isProgramIn(fs::current_path(ec), fileName, fullPath)) return true;
  const char* path = std::getenv("PATH");
  std::istringstream folders(path != nullptr ? path : "");
  std::string folder;
  while (std::getline(folders, folder, ':')) {
    if (isProgramIn(folder, fileName, fullPath)) return true;
  }
  return false;
}

void regSetCommandLine(int argc, const char* const* argv) {
  gCommandLine.clear();
  for (int i = 0; i < argc; ++i) {
    if (i > 0) gCommandLine += ' ';
    gCommandLine += quoted(argv[i]);
  }
}

const std::string& regCommandLine() {
  return gCommandLine;
}

std::string regCommandArguments(const std::string& commandLine) {
  std::size_t start = std::string::npos;
  if (!commandLine.empty() && commandLine[0] == '"') {
    std::size_t close = commandLine.find('"', 1);
    start = close == std::string::npos ? close : close + 1;
  } else {
    start = commandLine.find(' ');
  }
  return start == std::string::npos ? "" : commandLine.substr(start);
}
