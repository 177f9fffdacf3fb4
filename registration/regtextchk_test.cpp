// The text checks under a single-byte and a multi-byte locale.
#include "regtextchk.h"

#include <gtest/gtest.h>

#include <clocale>
#include <string>

namespace {

// Runs the test body under a C run-time locale, restoring the previous one.
class UnderLocale {
 public:
  explicit UnderLocale(const char* name) : m_Old(std::setlocale(LC_ALL, nullptr)) {
    m_Set = std::setlocale(LC_ALL, name) != nullptr;
  }
  ~UnderLocale() { std::setlocale(LC_ALL, m_Old.c_str()); }
  bool set() const { return m_Set; }

 private:
  std::string m_Old;
  bool m_Set = false;
};

void expectMultiByteChecks();

TEST(TextChecks, SingleByteTexts) {
  UnderLocale c("C");
  struct Case {
    const char* text;
    bool email;
    int badLetter;
    int pipe;
    int digit;
    bool letter;
  };
  const Case cases[] = {
      {"", true, 1, -1, -1, false},          {"ab3", false, -1, -1, 3, true},
      {"abc", false, 1, -1, -1, true},       {"a@b.c", true, -1, -1, -1, true},
      {"a@bc", false, -1, -1, -1, true},     {"a @b.c", false, -1, -1, -1, true},
      {"x|y\\", false, -1, 1, -1, true},     {"12\\3", false, -1, 2, 1, false},
      {"10.0.0.1", false, -1, -1, 1, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(isEmailLike(c.text), c.email);
    EXPECT_EQ(firstBadLetter(c.text), c.badLetter);
    EXPECT_EQ(findPipeOrBackslash(c.text), c.pipe);
    EXPECT_EQ(firstDigit(c.text), c.digit);
    EXPECT_EQ(hasLetter(c.text), c.letter);
  }
}

// Texts are UTF-8 under every locale, the plain "C" one (no LANG) included.
TEST(TextChecks, MultiByteCharactersAreWholeAndCountAsDoubleByte) {
  for (const char* locale : {"C.UTF-8", "C"}) {
    SCOPED_TRACE(locale);
    UnderLocale under(locale);
    ASSERT_TRUE(under.set());
    expectMultiByteChecks();
  }
}

TEST(TextChecks, LettersAndDigitsCountByCharacter) {
  UnderLocale c("C");
  const std::string fullWidth = "\xEF\xBC\x91\xEF\xBC\x90\xEF\xBC\x8D";  // "10-" full width
  EXPECT_EQ(letterOrDigitCount(fullWidth), 3);
  EXPECT_EQ(letterOrDigitCount("A-1 \xC3\x9F"), 3);
  EXPECT_EQ(letterOrDigitCount("\xC3"), 0);  // half a character
  EXPECT_TRUE(onlyLettersDigitsOr(fullWidth + "-1 a", "- "));
  EXPECT_FALSE(onlyLettersDigitsOr("1_2", "- "));
  EXPECT_FALSE(onlyLettersDigitsOr("1\xC3", "- "));
  EXPECT_FALSE(onlyLettersDigitsOr("\xE0\x80\x80", "- "));  // an over-long form
}

void expectMultiByteChecks() {
  const std::string kanji = "\xE5\xB1\xB1\xE7\x94\xB0";  // two characters of three bytes
  EXPECT_EQ(firstBadLetter(kanji), -1);
  EXPECT_TRUE(hasLetter(kanji));
  EXPECT_TRUE(hasLetter("12" + kanji));
  EXPECT_EQ(firstDigit(kanji + "7"), 7);
  EXPECT_EQ(findPipeOrBackslash(kanji + "|"), 6);
  EXPECT_EQ(firstBadLetter("Muller"), 1);
  EXPECT_TRUE(isEmailLike(kanji + "@example.jp"));
  // A byte that does not decode is a character of its own, neither letter nor digit.
  EXPECT_EQ(firstDigit("\xFF"
                       "5"),
            2);
  EXPECT_FALSE(hasLetter("\xFF"));
}

}  // namespace
