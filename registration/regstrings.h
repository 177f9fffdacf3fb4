// The program's own string table.
#pragma once

#include <map>
#include <string>

const std::map<int, std::string>& regOwnStrings();
