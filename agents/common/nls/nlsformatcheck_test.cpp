#include "nlsformatcheck.h"

#include <gtest/gtest.h>

namespace {

TEST(NlsFormatCheck, AcceptsOnlyTheDeclaredConversions) {
  const struct {
    const char* format;
    const char* args;
    bool accepted;
  } cases[] = {
      {"%u", "u", true},
      {"%lu", "u", true},
      {"%04hu", "u", true},
      {"%d", "u", true},
      {"%llu", "d", true},
      {"%zu", "u", true},
      {"%.2f", "f", true},
      {"%lf", "f", true},
      {"%*.1f KB", "*f", true},
      {"100%% %u", "u", true},
      {"%-*u|", "*u", true},
      {"%'u", "u", true},
      {"%u", "f", false},
      {"%f", "u", false},
      {"%u %u", "u", false},
      {"%s", "u", false},
      {"%p", "u", false},
      {"%n", "u", false},
      {"%c", "u", false},
      {"%Lf", "f", false},
      {"%Lu", "u", false},
      {"%.*f", "f", false},
      {"%2$u", "u", false},
      {"%u", "*u", false},
      {"%*u", "u", false},
      {"text", "u", false},
      {"%", "u", false},
      {"%l", "u", false},
      {"%3584u", "u", true},
      {"%.3584f", "f", true},
      {"%3585u", "u", false},
      {"%.4294967297f", "f", false},  // no width or precision beyond a message, even wrapped
  };
  for (const auto& c : cases) {
    nlsFormatCheck check;
    EXPECT_EQ(c.accepted, nlsCheckFormat(c.format, c.args, &check)) << c.format;
  }
}

TEST(NlsFormatCheck, PrintsIntegersAsTheLengthNames) {
  const struct {
    const char* format;
    int64_t value;
    const char* shown;
  } cases[] = {
      {"%u", 4294967295, "4294967295"},     {"%d", -5, "-5"}, {"%lu", 4294967296, "4294967296"},
      {"%lld", -4294967296, "-4294967296"}, {"%zu", 7, "7"},  {"[%*u]", 42, "[   42]"},
  };
  for (const auto& c : cases) {
    nlsFormatCheck check;
    ASSERT_TRUE(
        nlsCheckFormat(c.format, c.format[1] == '*' || c.format[2] == '*' ? "*u" : "u", &check))
        << c.format;
    char out[32];
    nlsPrintInteger(out, sizeof out, c.format, check, 5, c.value);
    EXPECT_STREQ(c.shown, out) << c.format;
  }
}

}  // namespace
