// The table as the agent builds it: the library is loaded at run time from a folder and every
// entry point is bound by name. HUBLOR_LIBRARY_DIR names the folder.
#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "api_table.h"

const Api& api() {
  static const Api table = [] {
    std::string path = std::string(HUBLOR_LIBRARY_DIR) + "/libhublorapi.so";
    void* library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) {
      std::fprintf(stderr, "dlopen %s: %s\n", path.c_str(), dlerror());
      std::abort();
    }
    Api a;
#define HUBLOR_BIND(name) a.name = reinterpret_cast<decltype(a.name)>(dlsym(library, #name));
    HUBLOR_ENTRY_POINTS(HUBLOR_BIND)
    HUBLOR_CONTROLS(HUBLOR_BIND)
#undef HUBLOR_BIND
    return a;
  }();
  return table;
}
