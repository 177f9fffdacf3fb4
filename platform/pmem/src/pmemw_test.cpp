// The memory-image backend: search in steps, reads inside and outside the image.
#include "pmemw.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "root.h"

namespace {

TEST(PhysicalMemory, AnImageAnsweredAtItsBaseAddress) {
  zkroot::ScopedRoot root;
  std::string image = (root.path() / "mem.img").string();
  std::string bytes(0x10000, '\0');
  bytes.replace(0x0104, 4, "_SM_");  // not on a 16-byte step
  bytes.replace(0x0230, 4, "_SM_");
  std::ofstream(image, std::ios::binary) << bytes;
  setenv("PMEMW_IMAGE", image.c_str(), 1);
  setenv("PMEMW_IMAGE_BASE", "F0000", 1);

  ASSERT_NE(PMemIsInitialized(), 0);
  ASSERT_NE(PMemOpen(), 0);
  EXPECT_EQ(PMemSearch("_SM_", 0xF0000, 0xFFFFF, 16), 0xF0230u);
  EXPECT_EQ(PMemSearch("_SM_", 0xF0240, 0xFFFFF, 16), 0u);
  EXPECT_EQ(PMemSearch("_DMI_", 0xF0000, 0xFFFFF, 16), 0u);
  char read[4];
  EXPECT_EQ(PMemRead(read, 0xF0230, 4), 0);
  EXPECT_EQ(std::string(read, 4), "_SM_");
  EXPECT_NE(PMemRead(read, 0xEFFFF, 4), 0);  // below the image
  EXPECT_NE(PMemRead(read, 0xFFFFE, 4), 0);  // runs past its end

  setenv("PMEMW_IMAGE", (root.path() / "missing.img").c_str(), 1);
  EXPECT_EQ(PMemIsInitialized(), 0);
  EXPECT_EQ(PMemOpen(), 0);
  EXPECT_EQ(PMemSearch("_SM_", 0xF0000, 0xFFFFF, 16), 0u);
  unsetenv("PMEMW_IMAGE");
  unsetenv("PMEMW_IMAGE_BASE");
}

}  // namespace
