#include "root.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace fs = std::filesystem;

TEST(Root, ScopedRootIsFreshAndRestoresTheEnvironment) {
  setenv("ZARNAK_ROOT", "/nonexistent/outer", 1);
  fs::path inner;
  {
    zkroot::ScopedRoot root;
    inner = root.path();
    EXPECT_EQ(zkroot::rootDir(), inner);
    EXPECT_TRUE(fs::is_empty(inner));
    fs::path hub = zkroot::stateDir("hublor/store");
    EXPECT_EQ(hub, inner / "hublor/store");
    EXPECT_TRUE(fs::is_directory(hub));
  }
  EXPECT_FALSE(fs::exists(inner));
  EXPECT_EQ(zkroot::rootDir(), "/nonexistent/outer");
  unsetenv("ZARNAK_ROOT");
}

TEST(Root, DefaultsBelowHome) {
  unsetenv("ZARNAK_ROOT");
  setenv("HOME", "/home/someone", 1);
  EXPECT_EQ(zkroot::rootDir(), "/home/someone/.local/share/zarnaksql");
  setenv("ZARNAK_ROOT", "", 1);
  EXPECT_EQ(zkroot::rootDir(), "/home/someone/.local/share/zarnaksql");
  unsetenv("ZARNAK_ROOT");
}
