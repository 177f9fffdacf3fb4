// The library exports every entry point the agent binds by name; the second build lacks one.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "hublorctl.h"

namespace {

#define HUBLOR_ENTRY_NAME(name) #name,
const std::vector<std::string> kEntryPoints = {HUBLOR_ENTRY_POINTS(HUBLOR_ENTRY_NAME)};
#undef HUBLOR_ENTRY_NAME

std::vector<std::string> missingIn(const std::string& folder) {
  void* library = dlopen((folder + "/libhublorapi.so").c_str(), RTLD_NOW | RTLD_LOCAL);
  EXPECT_NE(library, nullptr) << dlerror();
  std::vector<std::string> missing;
  if (library == nullptr) return kEntryPoints;
  for (const std::string& name : kEntryPoints) {
    if (dlsym(library, name.c_str()) == nullptr) missing.push_back(name);
  }
  EXPECT_EQ(dlsym(library, "_ZN6hublor7Library8instanceEv"), nullptr) << "internals are hidden";
  dlclose(library);
  return missing;
}

TEST(Exports, EveryEntryPointIsBoundByName) {
  EXPECT_EQ(kEntryPoints.size(), 34u);
  EXPECT_TRUE(missingIn(HUBLOR_LIBRARY_DIR).empty());
}

TEST(Exports, SecondBuildLacksItsLastExport) {
  EXPECT_EQ(missingIn(HUBLOR_LACKING_DIR), std::vector<std::string>{"pelkUpdateObj"});
}

}  // namespace
