#include <gtest/gtest.h>

#include <string>

#include "agtmem.h"
#include "agtrc.h"
#include "psutil.h"

namespace {

struct WideString {
  ~WideString() {
    if (textP != nullptr) FREE(&textP);
  }
  std::u16string text() const { return textP == nullptr ? u"(null)" : std::u16string(textP); }
  char16_t* textP = nullptr;
  uint32_t size = 0;
};

TEST(WideString, FirstBlockIsTheNextMultipleAboveTheNeed) {
  const struct {
    uint32_t count, growth, size;
  } cases[] = {{5, 0, 12}, {5, 256, 256}, {5, 11, 22}, {128, 256, 512}, {1, 1, 4}};
  for (const auto& c : cases) {
    WideString s;
    ASSERT_EQ(enlargeWideString(&s.textP, &s.size, c.count, c.growth), RC_OK);
    EXPECT_EQ(s.size, c.size) << c.count << " by " << c.growth;
    EXPECT_EQ(s.text(), u"");
  }
  WideString none;
  EXPECT_EQ(enlargeWideString(&none.textP, &none.size, 0, 256), RC_OK);
  EXPECT_EQ(none.textP, nullptr);
}

TEST(WideString, GrowsOnlyWhenTheTextWouldNotFit) {
  WideString s;
  ASSERT_EQ(growWideString(&s.textP, &s.size, u"RESTORE ", 16), RC_OK);  // 8 characters
  EXPECT_EQ(s.size, 32u);
  ASSERT_EQ(growWideString(&s.textP, &s.size, u"DATABASE", 16), RC_OK);  // needs 34 bytes
  EXPECT_EQ(s.size, 48u);
  ASSERT_EQ(growWideString(&s.textP, &s.size, " [db]", 16), RC_OK);
  EXPECT_EQ(s.size, 48u);  // 16 + 5 characters need 44 bytes
  ASSERT_EQ(growWideString(&s.textP, &s.size, u"", 16), RC_OK);
  EXPECT_EQ(s.text(), u"RESTORE DATABASE [db]");
}

TEST(WideString, NarrowTextIsConvertedFromUtf8) {
  WideString s;
  ASSERT_EQ(growWideString(&s.textP, &s.size, "Grüße ", 0), RC_OK);
  ASSERT_EQ(growWideString(&s.textP, &s.size, "\xf0\x9f\x92\xbe", 0), RC_OK);  // U+1F4BE
  EXPECT_EQ(s.text(), u"Grüße \U0001F4BE");
  for (const char* bad : {"\xff", "a\xc3", "\xc0\xaf", "\xed\xa0\x80", "\xf4\x90\x80\x80"}) {
    EXPECT_EQ(growWideString(&s.textP, &s.size, bad, 0), RC_CONVERSION_FAILED);
    EXPECT_EQ(s.text(), u"Grüße \U0001F4BE");
  }
}

}  // namespace
