#include "options.h"

#include <algorithm>
#include <cctype>
#include <fstream>

#include "hublorapi.h"
#include "root.h"

namespace hublor {
namespace {

std::string trim(const std::string& text) {
  size_t first = text.find_first_not_of(" \t\r");
  if (first == std::string::npos) return {};
  size_t last = text.find_last_not_of(" \t\r");
  return text.substr(first, last - first + 1);
}

bool applyOption(const std::string& keyword, const std::string& value, ClientOptions& options,
                 std::string* error) {
  if (keyword == "NODENAME") {
    options.nodeName = upperCase(value);
    return !value.empty() && value.size() <= PELK_MAX_NODE_LENGTH;
  }
  if (keyword == "PASSWORDACCESS") {
    std::string mode = upperCase(value);
    if (mode != "PROMPT" && mode != "GENERATE") return false;
    options.passwordAccess = mode == "GENERATE" ? PELK_PASSWD_GENERATE : PELK_PASSWD_PROMPT;
    return true;
  }
  if (keyword == "STORE") {
    options.store = value;
    return !value.empty();
  }
  if (keyword == "FAULT") {
    auto rule = parseFaultRule(value, error);
    if (rule) options.faults.push_back(std::move(*rule));
    return rule.has_value();
  }
  return false;
}

}  // namespace

std::string upperCase(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  return text;
}

std::filesystem::path defaultStore() {
  return zkroot::rootDir() / "hublor";
}

int readOptionFile(const std::string& file, ClientOptions& options, std::string* error) {
  if (file.empty()) return PELK_RC_OK;
  std::ifstream in(file);
  if (!in) {
    if (error != nullptr) *error = "cannot read " + file;
    return PELK_RC_OPTION_FILE;
  }
  std::string line;
  while (std::getline(in, line)) {
    line = trim(line);
    if (line.empty() || line[0] == '*' || line[0] == '#') continue;
    size_t blank = line.find_first_of(" \t");
    std::string keyword = upperCase(line.substr(0, blank));
    std::string value = blank == std::string::npos ? std::string() : trim(line.substr(blank));
    if (!applyOption(keyword, value, options, error)) {
      if (error != nullptr && error->empty()) *error = "invalid option: " + line;
      return PELK_RC_OPTION_FILE;
    }
  }
  return PELK_RC_OK;
}

}  // namespace hublor
