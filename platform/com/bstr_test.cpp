#include "bstr.h"

#include <gtest/gtest.h>

namespace {

TEST(Bstr, KeepsEmbeddedZerosAndItsLength) {
  const char16_t text[] = {u'a', u'\0', u'b', u'c'};
  BSTR s = SysAllocStringLen(text, 4);
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(SysStringLen(s), 4u);
  EXPECT_EQ(SysStringByteLen(s), 8u);
  EXPECT_EQ(std::u16string_view(s, 4), std::u16string_view(text, 4));
  EXPECT_EQ(s[4], u'\0');  // terminated beyond its length
  SysFreeString(s);
}

TEST(Bstr, NullAndEmpty) {
  EXPECT_EQ(SysAllocString(nullptr), nullptr);
  EXPECT_EQ(SysStringLen(nullptr), 0u);
  SysFreeString(nullptr);
  BSTR zeros = SysAllocStringLen(nullptr, 3);
  EXPECT_EQ(SysStringLen(zeros), 3u);
  EXPECT_EQ(zeros[0], u'\0');
  SysFreeString(zeros);
  BSTR empty = SysAllocString(u"");
  ASSERT_NE(empty, nullptr);
  EXPECT_EQ(SysStringLen(empty), 0u);
  SysFreeString(empty);
}

TEST(Bstr, OwnerFreesAndViews) {
  com::Bstr s(u"sales");
  EXPECT_EQ(s.view(), u"sales");
  EXPECT_EQ(s.utf8(), "sales");
  *s.put() = SysAllocString(u"x");
  EXPECT_EQ(s.view(), u"x");
}

TEST(Utf, ConvertsBothWays) {
  struct Case {
    std::string utf8;
    std::u16string utf16;
  } cases[] = {
      {"", u""},
      {"master", u"master"},
      {"caf\xC3\xA9", u"caf\u00E9"},
      {"\xE2\x82\xAC", u"\u20AC"},
      {"\xF0\x9F\x98\x80", u"\U0001F600"},  // surrogate pair
  };
  for (const auto& c : cases) {
    EXPECT_EQ(com::toUtf16(c.utf8), c.utf16) << c.utf8;
    EXPECT_EQ(com::toUtf8(c.utf16), c.utf8) << c.utf8;
  }
}

TEST(Utf, MalformedInputBecomesReplacement) {
  EXPECT_EQ(com::toUtf16("a\xFF"
                         "b"),
            u"a\uFFFDb");
  EXPECT_EQ(com::toUtf16("\xC3"), u"\uFFFD");                            // cut short
  EXPECT_EQ(com::toUtf16("\xC0\xAF"), u"\uFFFD\uFFFD");                  // overlong
  EXPECT_EQ(com::toUtf8(std::u16string(1, u'\xD800')), "\xEF\xBF\xBD");  // lone surrogate
}

}  // namespace
