// The server facts by name, as data: what `sqlsim server` sets and the catalogue stores.
#pragma once

#include <optional>
#include <string>
#include <variant>

#include "model.h"

namespace sqlengine {

struct FactName {
  const char* name;
  std::variant<int ServerFacts::*, bool ServerFacts::*, std::string ServerFacts::*> member;
};
extern const FactName kFactNames[13];

std::string factValue(const ServerFacts& facts, const FactName& fact);
// False when the text does not fit the fact (a number or yes/no expected).
bool setFactValue(ServerFacts& facts, const FactName& fact, const std::string& value);
const FactName* findFact(const std::string& name);

// The version string the server reports, made from the version numbers when not set:
// product name, a hyphen, the version with its build, a blank and the platform.
std::string versionStringOf(const ServerFacts& facts);
// The status number (version) a new database of a server of this major version gets.
int databaseVersionFor(int versionMajor);

}  // namespace sqlengine
