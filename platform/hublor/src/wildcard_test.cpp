#include "wildcard.h"

#include <gtest/gtest.h>

namespace {

TEST(Wildcard, MatchesLikeTheServer) {
  struct Case {
    const char* pattern;
    const char* text;
    bool match;
  } cases[] = {
      {"*", "", true},
      {"*", "\\a\\b", true},
      {"\\Sales", "\\Sales", true},
      {"\\Sales", "\\sales", false},
      {"\\Sales\\*", "\\Sales", false},
      {"\\Sales*", "\\Sales\\PRIMARY", true},
      {"\\??????????????\\????????", "\\20010405114102\\000004D2", true},
      {"\\??????????????\\????????", "\\2001040511410\\000004D2", false},
      {"\\full.*", "\\full.20010405114102000004D2", true},
      {"a*b*c", "aXXbYYc", true},
      {"a*b*c", "aXXbYY", false},
      {"*a*a*a*a*b", "aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(hublor::wildcardMatch(c.pattern, c.text), c.match) << c.pattern << " " << c.text;
  }
  EXPECT_TRUE(hublor::hasWildcard("a?"));
  EXPECT_FALSE(hublor::hasWildcard("\\a\\b"));
}

}  // namespace
