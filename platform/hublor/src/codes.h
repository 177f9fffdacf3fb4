// The return codes of the client interface: one table of numbers, names, severities and texts.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace hublor {

struct CodeInfo {
  int code;
  const char* name;  // the header's macro name
  char severity;     // I, W, E or S
  const char* text;
};

std::span<const CodeInfo> allCodes();
const CodeInfo* findCode(int code);
// A number, or a name with or without its "PELK_RC_" / "PELK_RS_" prefix.
std::optional<int> parseCode(std::string_view text);
// "HUB0137E The password was refused by the server." for a known code.
std::optional<std::string> codeMessage(int code);

}  // namespace hublor
