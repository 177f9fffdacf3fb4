#include "nlscasemap.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "nlstestenv.h"

namespace {

TEST(NlsCaseMap, EncodeRecordsTheCaseAndDecodeRestoresIt) {
  nlsTestTable();
  const struct {
    const char* name;
    int kind;
    uint16_t mapLength;
  } cases[] = {
      {"master", NLS_CASEMAP_LOWER, 1},
      {"MASTER", NLS_CASEMAP_UNCHANGED, 1},
      {"1234_#", NLS_CASEMAP_UNCHANGED, 1},
      {"", NLS_CASEMAP_UNCHANGED, 1},
      {"Master", NLS_CASEMAP_MIXED, 1},         // six letters fill byte 0
      {"SalesDb", NLS_CASEMAP_MIXED, 2},        // the seventh letter starts byte 1
      {"My Sales-DB 2001 Archive", NLS_CASEMAP_MIXED, 3},
      {"Caf\xC3\xA9 Ma\xC3\xB1" "ana", NLS_CASEMAP_MIXED, 2},  // UTF-8 bytes are no letters
  };
  for (const auto& c : cases) {
    std::string name = c.name;
    std::vector<uint8_t> map(nlsCaseMapSize(name.c_str()), 0xEE);
    uint16_t mapLength = 0;
    ASSERT_EQ(0, nlsCaseMapEncode(name.data(), map.data(), map.size(), &mapLength)) << c.name;
    std::string upper = c.name;
    nlsActiveFuncTable()->m_StrUpr(upper.data());
    EXPECT_EQ(upper, name) << c.name;
    EXPECT_EQ(c.kind, map[0] & 3) << c.name;
    EXPECT_EQ(c.mapLength, mapLength) << c.name;
    nlsCaseMapDecode(name.data(), map.data());
    EXPECT_EQ(std::string(c.name), name);
  }
}

TEST(NlsCaseMap, LetterBitsRunFromBitTwoOfTheFirstByte) {
  nlsTestTable();
  char name[] = "aBcdEfGh";  // lower: a c d f h = letters 0 2 3 5 7
  uint8_t map[2];
  uint16_t mapLength = 0;
  ASSERT_EQ(0, nlsCaseMapEncode(name, map, sizeof map, &mapLength));
  EXPECT_EQ(0x01 | 1 << 2 | 1 << 4 | 1 << 5 | 1 << 7, map[0]);
  EXPECT_EQ(1 << 1, map[1]);  // letter 7 is bit 9
  EXPECT_EQ(2, mapLength);
}

TEST(NlsCaseMap, TooSmallAMapIsRefused) {
  nlsTestTable();
  char name[] = "SalesDb";
  uint8_t map[1] = {0x55};
  uint16_t mapLength = 9;
  EXPECT_EQ(-1, nlsCaseMapEncode(name, map, sizeof map, &mapLength));
  EXPECT_STREQ("SalesDb", name);
  EXPECT_EQ(0x55, map[0]);
  EXPECT_EQ(9, mapLength);
}

}  // namespace
