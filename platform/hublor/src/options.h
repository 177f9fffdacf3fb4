// The client option file: one option a line, "KEYWORD value"; keywords in any case; lines
// starting with '*' or '#' are comments.
//   NODENAME name               node used when pelkInit names none
//   PASSWORDACCESS PROMPT|GENERATE   GENERATE: the client keeps the password
//   STORE directory             the server's store (default $ZARNAK_ROOT/hublor)
//   FAULT rule                  a fault rule (see hublorctl.h)
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "faults.h"

namespace hublor {

struct ClientOptions {
  std::string nodeName;
  int passwordAccess = 0;  // PELK_PASSWD_PROMPT or PELK_PASSWD_GENERATE
  std::filesystem::path store;
  std::vector<FaultRule> faults;
};

// Reads the file when a name is given; returns 0 or PELK_RC_OPTION_FILE (with a reason).
int readOptionFile(const std::string& file, ClientOptions& options, std::string* error);
std::filesystem::path defaultStore();
std::string upperCase(std::string text);

}  // namespace hublor
