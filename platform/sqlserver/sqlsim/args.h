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

// flags: the option names that take no value. False with a message on a malformed line.
bool parseArgs(int argc, char** argv, int first, const std::vector<std::string>& flags, Args& out,
               std::string& error);

// Whole numbers, with a 0x prefix for hexadecimal.
std::optional<long long> toNumber(const std::string& text);
std::optional<bool> toOnOff(const std::string& text);

}  // namespace sqlsim
