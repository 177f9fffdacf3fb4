// The commands of sqlsim. Each takes the parsed line and returns the exit code: 0 done,
// 1 the server refused (its message on standard error), 2 a malformed command line.
#pragma once

#include <memory>
#include <string>

#include "args.h"
#include "instance.h"

namespace sqlsim {

int report(const sqlengine::SqlError& error);
int usage(const std::string& text);
// Opens the instance named by the first word; null after reporting why.
std::unique_ptr<sqlengine::Instance> openInstance(const Args& args);

int cmdMachine(const Args& args);
int cmdCreate(const Args& args);
int cmdRemove(const Args& args);
int cmdList(const Args& args);
int cmdShow(const Args& args);
int cmdServer(const Args& args);
int cmdLogin(const Args& args);
int cmdLoginRemove(const Args& args);
int cmdFault(const Args& args);
int cmdFaults(const Args& args);

int cmdDatabase(const Args& args);
int cmdDrop(const Args& args);
int cmdPages(const Args& args);
int cmdLog(const Args& args);
int cmdOption(const Args& args);
int cmdStatus(const Args& args);
int cmdChecksum(const Args& args);

}  // namespace sqlsim
