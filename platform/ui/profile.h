// A profile file of the program's settings: sections of "entry=value" lines, as the windowed
// programs keep their window placement. Every write saves the whole file at once (written to a
// temporary file and renamed), so a crash leaves the old or the new file, never half of one.
// Section and entry names compare without regard to case. One Profile object per file; its
// operations take an internal lock, so any thread may use it.
#pragma once

#include <map>
#include <mutex>
#include <optional>
#include <string>

namespace zkui {

class Profile {
 public:
  // Reads the file when it exists; a missing file is an empty profile.
  explicit Profile(std::string path);

  const std::string& path() const { return m_path; }
  // The value, or `def` when the section or entry is missing.
  std::string getString(const std::string& section, const std::string& entry,
                        const std::string& def) const;
  // The value as a whole number; `def` when missing or not a number.
  int getInt(const std::string& section, const std::string& entry, int def) const;
  // Sets the value and saves the file; false when it cannot be written.
  bool writeString(const std::string& section, const std::string& entry, const std::string& value);
  bool writeInt(const std::string& section, const std::string& entry, int value);

 private:
  struct NoCase {
    bool operator()(const std::string& a, const std::string& b) const;
  };
  using Section = std::map<std::string, std::string, NoCase>;
  std::optional<std::string> find(const std::string& section, const std::string& entry) const;
  bool save() const;  // m_mutex held

  std::string m_path;
  mutable std::mutex m_mutex;
  std::map<std::string, Section, NoCase> m_sections;  // guarded by m_mutex
};

}  // namespace zkui
