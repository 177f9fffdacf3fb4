// The root directory of the simulated machine: every stand-in keeps its state below it
// (registry/, hublor/, sqlserver/<instance>/).
#pragma once

#include <filesystem>
#include <string>

namespace zkroot {

// $ZARNAK_ROOT when set and not empty, else ~/.local/share/zarnaksql. Not created here.
std::filesystem::path rootDir();

// rootDir()/sub, created with its parents when missing. Empty path when it cannot be created.
std::filesystem::path stateDir(const std::string& sub);

// For tests: a fresh, empty temporary root set as $ZARNAK_ROOT for the object's lifetime;
// the previous value comes back and the folder is removed at the end.
class ScopedRoot {
 public:
  ScopedRoot();
  ~ScopedRoot();
  ScopedRoot(const ScopedRoot&) = delete;
  ScopedRoot& operator=(const ScopedRoot&) = delete;
  const std::filesystem::path& path() const { return m_path; }

 private:
  std::filesystem::path m_path;
  std::string m_previous;
  bool m_hadPrevious = false;
};

}  // namespace zkroot
