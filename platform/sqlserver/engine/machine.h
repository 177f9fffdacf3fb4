// The simulated machine's SQL Server side: where instances live, the machine-wide settings
// (its name and the installed object model's version), and how a server name given by a
// client finds its instance.
//
// Layout under $ZARNAK_ROOT/sqlserver/:
//   machine.conf             machine settings, "key=value" lines
//   <INSTANCE>/catalog.db    the instance's catalogue (SQLite)
//   <INSTANCE>/instance.lock the lock every process takes to use the instance
//   <INSTANCE>/data/<db>/... the databases' files, unless a file names another place
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "sqlerror.h"

namespace sqlengine {

struct MachineSettings {
  std::string machineName;  // empty: the host's name in capitals
  int dmoVersionMajor = 8;  // the installed object model's version
  int dmoVersionMinor = 0;
};

MachineSettings loadMachineSettings();
SqlError saveMachineSettings(const MachineSettings& settings);
// The name clients use for this machine.
std::string machineName();
// The user running this process: the login an integrated connection presents.
std::string osUserName();

std::filesystem::path sqlserverDir();
// Names the server compares without regard to case, in capitals.
std::string canonicalName(const std::string& name);
// Instance names are case-insensitive; folders hold them in capitals.
std::string canonicalInstanceName(const std::string& name);
bool validInstanceName(const std::string& name);
std::filesystem::path instanceDir(const std::string& name);
bool instanceExists(const std::string& name);
// Every instance of the machine, by name.
std::vector<std::string> listInstances();

// The server name a client gives ("MACHINE", "MACHINE\INSTANCE", "(local)", ".", or a net name
// the instance reports) to its instance; nothing when no instance answers to it.
std::optional<std::string> resolveServerName(const std::string& serverName);

// The text a client sees for an instance: the machine name, or machine and instance name.
std::string serverNameOf(const std::string& instance);

}  // namespace sqlengine
