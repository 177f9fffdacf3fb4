// Name patterns of the server: '*' any run of characters (delimiters included), '?' any one.
#pragma once

#include <string_view>

namespace hublor {

bool wildcardMatch(std::string_view pattern, std::string_view text);
bool hasWildcard(std::string_view text);

}  // namespace hublor
