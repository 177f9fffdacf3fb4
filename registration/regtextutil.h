// Small string helpers of the wizard (ASCII case rules, as the wizard's keys and switches use).
#pragma once

#include <string>
#include <string_view>

std::string regLower(std::string_view text);
std::string regUpper(std::string_view text);
bool regEqualNoCase(std::string_view a, std::string_view b);
// The text without leading and trailing blanks.
std::string regTrimBlanks(std::string_view text);
