// Test support: runs a program as a separate process, the way a user starts it, and collects
// what it writes to its standard output and standard error.
#pragma once

#include <string>
#include <vector>

namespace zkrun {

struct ProgramRun {
  int exitCode = -1;  // -1 when the program could not be started or did not exit normally
  int signal = 0;     // the signal that ended it, when one did
  std::string out;    // its standard output
  std::string err;    // its standard error
};

// Runs program with args after its own name, in this process's environment with the
// "NAME=value" entries of environment added or replaced, and waits for it. Standard input comes
// from inputFile when one is given.
ProgramRun runProgram(const std::string& program, const std::vector<std::string>& args,
                      const std::string& inputFile = "",
                      const std::vector<std::string>& environment = {});

}  // namespace zkrun
