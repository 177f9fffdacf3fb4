#include "root.h"

#include <cstdlib>
#include <system_error>

namespace fs = std::filesystem;

namespace zkroot {

fs::path rootDir() {
  const char* root = std::getenv("ZARNAK_ROOT");
  if (root != nullptr && *root != '\0') return root;
  const char* home = std::getenv("HOME");
  return fs::path(home != nullptr && *home != '\0' ? home : "/tmp") / ".local/share/zarnaksql";
}

fs::path stateDir(const std::string& sub) {
  fs::path dir = rootDir() / sub;
  std::error_code ec;
  fs::create_directories(dir, ec);
  if (ec) return {};
  return dir;
}

ScopedRoot::ScopedRoot() {
  if (const char* old = std::getenv("ZARNAK_ROOT")) {
    m_hadPrevious = true;
    m_previous = old;
  }
  std::string pattern = (fs::temp_directory_path() / "zarnak-root-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) std::abort();  // no temp dir: no test can run
  m_path = pattern;
  setenv("ZARNAK_ROOT", m_path.c_str(), 1);
}

ScopedRoot::~ScopedRoot() {
  if (m_hadPrevious) {
    setenv("ZARNAK_ROOT", m_previous.c_str(), 1);
  } else {
    unsetenv("ZARNAK_ROOT");
  }
  std::error_code ec;
  fs::remove_all(m_path, ec);
}

}  // namespace zkroot
