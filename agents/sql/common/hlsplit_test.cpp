#include "hlsplit.h"

#include <gtest/gtest.h>

namespace {

TEST(ExtractHlNames, SplitsAtTheFirstDelimiterAfterTheLeadingOne) {
  const struct {
    const char *hl, *db, *other;
  } cases[] = {
      {"\\Sales", "Sales", ""},
      {"\\Sales\\PRIMARY", "Sales", "PRIMARY"},
      {"\\Sales\\20010405114102\\000004D2", "Sales", "20010405114102\\000004D2"},
      {"\\Sales\\", "Sales", ""},
      {"", "", ""},
  };
  for (const auto& c : cases) {
    char db[129] = "x", other[1025] = "x";
    EXPECT_EQ(extractHlNames(c.hl, db, sizeof db, other, sizeof other), 0);
    EXPECT_STREQ(db, c.db) << c.hl;
    EXPECT_STREQ(other, c.other) << c.hl;
  }
}

TEST(ExtractHlNames, CutsEachPartToItsBuffer) {
  char db[4], other[3];
  EXPECT_EQ(extractHlNames("\\Sales\\PRIMARY", db, sizeof db, other, sizeof other), 0);
  EXPECT_STREQ(db, "Sal");
  EXPECT_STREQ(other, "PR");
}

}  // namespace
