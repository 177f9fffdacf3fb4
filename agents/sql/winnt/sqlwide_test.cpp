// Strict conversion between narrow (UTF-8) and wide (UTF-16) text.
#include "sqlwide.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(SqlWideTest, RoundTripKeepsEveryCharacter) {
  const char* text = "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80";  // a, e acute, euro, emoji
  char16_t wide[8];
  ASSERT_EQ(sqlNarrowToWide(text, wide, 8), 6);
  EXPECT_EQ(std::u16string(wide), u"a\u00e9\u20ac\U0001F600");
  char narrow[16];
  ASSERT_EQ(sqlWideToNarrow(wide, narrow, sizeof narrow), 11);
  EXPECT_STREQ(narrow, text);
  EXPECT_EQ(sqlNarrowLengthOf(wide), 10);
  EXPECT_EQ(sqlWideLengthOf(text), 5);
}

TEST(SqlWideTest, NarrowHeadsNeverSplitACharacter) {
  const char* text = "a\u00e9\u6f22\U0001F600z";  // 1, 2, 3, 4 and 1 bytes
  struct Case {
    size_t maxChars, maxBytes, bytes;
  } cases[] = {{0, 99, 0}, {2, 99, 3}, {4, 99, 10}, {99, 99, 11},
               {99, 2, 1}, {99, 5, 3}, {99, 6, 6},  {99, 9, 6}};
  for (const Case& c : cases) {
    EXPECT_EQ(sqlNarrowHeadBytes(text, c.maxChars, c.maxBytes), c.bytes)
        << c.maxChars << " " << c.maxBytes;
  }
  EXPECT_EQ(sqlNarrowHeadBytes("\xFF\xFEx", 2, 99), 2u);  // malformed bytes count one each
}

TEST(SqlWideTest, MalformedOrTooLongTextFailsWithItsReason) {
  char16_t wide[8];
  for (const char* bad :
       {"\xFF", "\xC0\x80", "\xE0\x80\x80", "\xF5\x80\x80\x80", "\xC3", "\xED\xA0\x80"}) {
    EXPECT_EQ(sqlNarrowToWide(bad, wide, 8), 0) << bad;
    EXPECT_EQ(sqlGetLastError(), SQL_ERROR_NO_UNICODE_TRANSLATION);
  }
  EXPECT_EQ(sqlNarrowToWide("abcdefgh", wide, 8), 0);
  EXPECT_EQ(sqlGetLastError(), SQL_ERROR_INSUFFICIENT_BUFFER);
  const char16_t lone[] = {0xDC00, 0};
  char narrow[8];
  EXPECT_EQ(sqlWideToNarrow(lone, narrow, sizeof narrow), 0);
  EXPECT_EQ(sqlGetLastError(), SQL_ERROR_NO_UNICODE_TRANSLATION);
  EXPECT_STREQ(sqlWideToText(lone, narrow, sizeof narrow), "?");
  EXPECT_NE(sqlSystemErrorText(SQL_ERROR_INSUFFICIENT_BUFFER), nullptr);
  EXPECT_EQ(sqlSystemErrorText(99999), nullptr);
}

}  // namespace
