// msihost: runs one custom action of a custom-action library against an installer session
// described in a file, then prints the session's properties and log. Exit code 0 when the
// action returned ERROR_SUCCESS, 1 when it returned a failure, 2 when it could not be run.
#include <dlfcn.h>

#include <cstring>
#include <fstream>
#include <iostream>
#include <string>

#include "msisession.h"

namespace {

constexpr char kUsage[] =
    "usage: msihost LIBRARY ACTION [SESSION-FILE]\n"
    "Loads the custom-action library LIBRARY, runs its action ACTION against a session made\n"
    "from SESSION-FILE (an empty session when none), then prints the result, the properties and\n"
    "the log lines. Session file lines:\n"
    "  property NAME=VALUE            a property (VALUE is the rest of the line)\n"
    "  product CODE ATTRIBUTE=VALUE   information of an installed product\n"
    "  fault FUNCTION NAME CODE       MsiGetProperty, MsiSetProperty or MsiGetProductInfo\n"
    "                                 fails with CODE for NAME (\"*\": any)\n";

int fail(const std::string& text) {
  std::cerr << "msihost: " << text << '\n';
  return 2;
}

bool loadSession(const char* path, zkmsi::SessionData& data, std::string& error) {
  std::ifstream in(path);
  if (!in) {
    error = std::string(path) + ": cannot open: " + std::strerror(errno);
    return false;
  }
  if (zkmsi::parseSession(in, data, error)) return true;
  error = std::string(path) + ": " + error;
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
    std::cout << kUsage;
    return 0;
  }
  if (argc < 3 || argc > 4) {
    std::cerr << kUsage;
    return 2;
  }
  zkmsi::SessionData data;
  std::string error;
  if (argc == 4 && !loadSession(argv[3], data, error)) return fail(error);
  void* library = dlopen(argv[1], RTLD_NOW | RTLD_LOCAL);
  if (library == nullptr) return fail(std::string(argv[1]) + ": cannot load: " + dlerror());
  auto action = reinterpret_cast<MsiCustomAction>(dlsym(library, argv[2]));
  if (action == nullptr) return fail(std::string(argv[2]) + ": no such action in " + argv[1]);

  MSIHANDLE session = zkmsi::openSession(data);
  UINT rc = action(session);
  zkmsi::readSession(session, data);
  MsiCloseHandle(session);
  std::cout << "action " << argv[2] << " returned " << rc << '\n';
  zkmsi::printSession(std::cout, data);
  dlclose(library);
  return rc == ERROR_SUCCESS ? 0 : 1;
}
