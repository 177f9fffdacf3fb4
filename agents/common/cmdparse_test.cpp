#include "cmdparse.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "agtrc.h"

namespace {

TEST(CmdParse, AbbreviationRule) {
  struct Case {
    const char* word;
    const char* keyword;
    int expected;
  };
  const Case cases[] = {
      {"inactiv", "INACTIVate", 1},
      {"inact", "INACTIVate", 0},
      {"INACTIVATE", "INACTIVate", 1},
      {"inactivatex", "INACTIVate", 0},
      {"sQl", "SQL", 1},
      {"sq", "SQL", 0},
      {"?", "?", 1},
      {"??", "?", 0},
      {"", "?", 0},
      {"", "lower", 1},
      {"x", "lower", 0},
      {"inactivAt", "INACTIVate", 1},
      {nullptr, "SQL", 0},
      {"SQL", nullptr, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(isAbbreviation(c.word, c.keyword), c.expected)
        << (c.word ? c.word : "(null)") << " / " << (c.keyword ? c.keyword : "(null)");
  }
}

TEST(CmdParse, TheFirstKeywordOfATableWins) {
  const char* const table[] = {"FILEInfo", "FIles", nullptr};
  int position = -1;
  ASSERT_EQ(isAbbreviation("file", table, &position), 1);
  EXPECT_EQ(position, 1);  // FILEInfo needs five letters
  ASSERT_EQ(isAbbreviation("filei", table, &position), 1);
  EXPECT_EQ(position, 0);
  EXPECT_EQ(isAbbreviation("f", table, &position), 0);
}

TEST(CmdParse, TokenizerSplitsInPlace) {
  struct Case {
    const char* text;
    int maxTokens;
    std::vector<std::string> tokens;
  };
  const Case cases[] = {
      {"a,b,c", 10, {"a", "b", "c"}},
      {"a,b,c", 2, {"a", "b,c"}},
      {"a,", 10, {"a"}},  // a delimiter at the end starts no token
      {"a,,b", 10, {"a", "", "b"}},
      {",a", 10, {"", "a"}},
      {"", 10, {""}},
  };
  for (const Case& c : cases) {
    std::string text = c.text;
    char* tokensP[10] = {};
    int count = tokenize(text.data(), ",", c.maxTokens, tokensP);
    std::vector<std::string> tokens(tokensP, tokensP + count);
    EXPECT_EQ(tokens, c.tokens) << c.text;
  }
  char* tokensP[1] = {};
  EXPECT_EQ(tokenize(nullptr, ",", 1, tokensP), 0);
}

TEST(CmdParse, YesNoValues) {
  const uint32_t yes = 1;
  struct Case {
    const char* value;
    const uint32_t* defaultP;
    int rc;
    uint32_t stored;
  };
  const Case cases[] = {
      {"y", nullptr, RC_OK, 1},
      {"YES", nullptr, RC_OK, 1},
      {"n", nullptr, RC_OK, 0},
      {"No", nullptr, RC_OK, 0},
      {"yess", nullptr, RC_PARSE_BAD_VALUE, 7},
      {"", nullptr, RC_PARSE_BAD_VALUE, 7},
      {nullptr, &yes, RC_OK, 1},
      {nullptr, nullptr, RC_PARSE_NO_VALUE, 7},
  };
  for (const Case& c : cases) {
    uint32_t stored = 7;
    EXPECT_EQ(parseYesNoArgument(c.value, &stored, c.defaultP), c.rc) << (c.value ? c.value : "-");
    EXPECT_EQ(stored, c.stored) << (c.value ? c.value : "-");
  }
}

}  // namespace
