// The command line of sqlsim: positional words, then --name value options (repeatable), and
// key=value settings.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace sqlsim {

struct Args {
  std::vector<std::string> words;                             // positional, after the command
  std::multimap<std::string, std::string> options;            // --name value (flags: "")
  std::vector<std::pair<std::string, std::string>> settings;  // key=value

  std::optional<std::string> option(const std::string& name) const;
  std::vector<std::string> all(const std::string& name) const;
  bool flag(const std::string& name) const { return options.count(name) != 0; }
};

// What a command takes besides its positional words.
struct ArgRules {
  std::vector<std::string> flags;    // --name without a value
  std::vector<std::string> options;  // --name value
  bool settings = false;             // key=value words; otherwise such a word is positional
};

// False with a message naming the argument on a malformed line or an option the rules lack.
bool parseArgs(int argc, char** argv, int first, const ArgRules& rules, Args& out,
               std::string& error);

// Whole numbers, with a 0x prefix for hexadecimal.
std::optional<long long> toNumber(const std::string& text);
std::optional<bool> toOnOff(const std::string& text);

}  // namespace sqlsim
