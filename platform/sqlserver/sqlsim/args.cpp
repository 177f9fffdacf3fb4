#include "args.h"

#include <algorithm>
#include <cstdlib>

namespace sqlsim {

std::optional<std::string> Args::option(const std::string& name) const {
  auto it = options.find(name);
  if (it == options.end()) return std::nullopt;
  return it->second;
}

std::vector<std::string> Args::all(const std::string& name) const {
  std::vector<std::string> values;
  auto [from, to] = options.equal_range(name);
  for (auto it = from; it != to; ++it) values.push_back(it->second);
  return values;
}

bool parseArgs(int argc, char** argv, int first, const ArgRules& rules, Args& out,
               std::string& error) {
  auto has = [](const std::vector<std::string>& names, const std::string& name) {
    return std::find(names.begin(), names.end(), name) != names.end();
  };
  for (int i = first; i < argc; ++i) {
    std::string word = argv[i];
    if (word.rfind("--", 0) == 0) {
      std::string name = word.substr(2);
      if (has(rules.flags, name)) {
        out.options.emplace(name, "");
        continue;
      }
      if (!has(rules.options, name)) {
        error = "unknown option '" + word + "'";
        return false;
      }
      if (i + 1 >= argc) {
        error = "option " + word + " needs a value";
        return false;
      }
      out.options.emplace(name, argv[++i]);
    } else if (auto eq = word.find('='); rules.settings && eq != std::string::npos && eq > 0) {
      out.settings.emplace_back(word.substr(0, eq), word.substr(eq + 1));
    } else {
      out.words.push_back(word);
    }
  }
  return true;
}

std::optional<long long> toNumber(const std::string& text) {
  if (text.empty()) return std::nullopt;
  char* end = nullptr;
  long long value = std::strtoll(text.c_str(), &end, 0);
  if (*end != '\0') return std::nullopt;
  return value;
}

std::optional<bool> toOnOff(const std::string& text) {
  if (text == "on" || text == "yes" || text == "true" || text == "1") return true;
  if (text == "off" || text == "no" || text == "false" || text == "0") return false;
  return std::nullopt;
}

}  // namespace sqlsim
