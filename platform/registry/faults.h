// Armed failures of the registry calls, so that tests reach every failure path of their
// callers. They live in $ZARNAK_ROOT/registry/faults (guarded by faults.lock), one line
// `<call> <code> [<times>]` each, so a test or regtool can arm them for another process.
// A fault without times fails every call until cleared; with times, that many calls.
#pragma once

#include <string>
#include <string_view>

namespace zkreg {

// The names of the calls that can be armed: "RegOpenKeyEx", "RegCreateKeyEx", ...
bool isFaultableCall(std::string_view call);
bool armFault(const std::string& call, long code, unsigned times);
bool clearFaults();
// The armed lines as they are stored.
std::string listFaults();
// The code the call must fail with, or ERROR_SUCCESS; uses up one of a counted fault.
long takeFault(std::string_view call);

}  // namespace zkreg
