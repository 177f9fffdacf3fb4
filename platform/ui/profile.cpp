#include "profile.h"

#include <strings.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace zkui {

namespace {

std::string trim(const std::string& s) {
  size_t b = s.find_first_not_of(" \t\r");
  if (b == std::string::npos) return std::string();
  size_t e = s.find_last_not_of(" \t\r");
  return s.substr(b, e - b + 1);
}

}  // namespace

bool Profile::NoCase::operator()(const std::string& a, const std::string& b) const {
  return strcasecmp(a.c_str(), b.c_str()) < 0;
}

Profile::Profile(std::string path) : m_path(std::move(path)) {
  std::ifstream in(m_path);
  std::string line;
  Section* current = nullptr;
  while (std::getline(in, line)) {
    line = trim(line);
    if (line.empty() || line[0] == ';') continue;
    if (line.front() == '[' && line.back() == ']') {
      current = &m_sections[trim(line.substr(1, line.size() - 2))];
      continue;
    }
    size_t eq = line.find('=');
    if (!current || eq == std::string::npos) continue;  // not a setting: left out
    (*current)[trim(line.substr(0, eq))] = trim(line.substr(eq + 1));
  }
}

std::optional<std::string> Profile::find(const std::string& section,
                                         const std::string& entry) const {
  std::lock_guard<std::mutex> lock(m_mutex);
  auto s = m_sections.find(section);
  if (s == m_sections.end()) return std::nullopt;
  auto e = s->second.find(entry);
  if (e == s->second.end()) return std::nullopt;
  return e->second;
}

std::string Profile::getString(const std::string& section, const std::string& entry,
                               const std::string& def) const {
  return find(section, entry).value_or(def);
}

int Profile::getInt(const std::string& section, const std::string& entry, int def) const {
  std::optional<std::string> v = find(section, entry);
  if (!v || v->empty()) return def;
  char* end = nullptr;
  errno = 0;
  long n = std::strtol(v->c_str(), &end, 10);
  if (*end != '\0' || errno == ERANGE || n < INT_MIN || n > INT_MAX) return def;
  return static_cast<int>(n);
}

bool Profile::writeString(const std::string& section, const std::string& entry,
                          const std::string& value) {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_sections[section][entry] = value;
  return save();
}

bool Profile::writeInt(const std::string& section, const std::string& entry, int value) {
  return writeString(section, entry, std::to_string(value));
}

bool Profile::save() const {
  std::ostringstream text;
  for (const auto& [name, entries] : m_sections) {
    text << '[' << name << "]\n";
    for (const auto& [entry, value] : entries) text << entry << '=' << value << '\n';
  }
  std::string tmp = m_path + ".tmp" + std::to_string(::getpid());
  {
    std::ofstream out(tmp, std::ios::trunc);
    out << text.str();
    out.flush();
    if (!out) {
      std::remove(tmp.c_str());
      return false;
    }
  }
  return std::rename(tmp.c_str(), m_path.c_str()) == 0;
}

}  // namespace zkui
