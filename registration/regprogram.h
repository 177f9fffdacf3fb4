// The wizard's view of its own process: its application name, the search for a program file
// along the standard search order, and the command line as the process received it.
//
// Programs carry no ".exe" here: the application name is the program file's name, and a
// search looks for the bare name in the program's own folder, the current folder, then each
// folder of PATH.
#pragma once

#include <string>

// The program file's name without its folder (this executable's, unless set).
std::string regAppName();
void regSetAppName(const std::string& name);

// The full path of fileName found by the search; false when no folder holds it.
bool regSearchPath(const std::string& fileName, std::string& fullPath);

// Keeps the command line: the program name and the arguments, each set apart by one blank and
// quoted when it holds a blank or is empty.
void regSetCommandLine(int argc, const char* const* argv);
// The command line text ("" before regSetCommandLine).
const std::string& regCommandLine();
// The argument text of a command line: after the closing quote when it starts with a quote,
// else from the first blank on; "" when there is none.
std::string regCommandArguments(const std::string& commandLine);
