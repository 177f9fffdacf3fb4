#include "nlsnumber.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>

#include "nlstestenv.h"

namespace {

// The number messages as the repository would give them; a test may replace any of them.
std::map<int, std::string> g_Formats;

int testFormatSource(int msgNum, char* formatP, size_t formatSize) {
  auto it = g_Formats.find(msgNum);
  if (it == g_Formats.end() || it->second.size() >= formatSize) {
    return 1;
  }
  strcpy(formatP, it->second.c_str());
  return 0;
}

class NlsNumber : public ::testing::Test {
 protected:
  void SetUp() override {
    g_Formats = {{7, "%.1f"},    {8, "%.2f"},      {9, "%.3f"},       {11, "%ld"},
                 {12, "%lu"},    {13, "%*u B"},    {14, "%*.1f KB"},  {15, "%*.1f MB"},
                 {16, "%*.2f GB"}};
    nlsSetNumberFormatSource(testFormatSource);
    tableP = nlsTestTable();
  }
  void TearDown() override { nlsSetNumberFormatSource(nullptr); }

  nlsFuncTable* tableP = nullptr;
};

struct DigitsCase {
  const char* digits;
  int decimals;
  int numberFormat;
  const char* shown;
};

TEST_F(NlsNumber, DigitsAreGroupedAndRightAligned) {
  const DigitsCase cases[] = {
      {"1234567", 2, 1, "12,345.67"}, {"1234567", 2, 5, "12.345,67"},
      {"1234567", 2, 3, "12 345,67"}, {"1234567", 0, 6, "1'234'567"},
      {"5", 2, 1, "0.05"},            {"-5", 2, 1, "-0.05"},
      {"-1234", 0, 1, "-1,234"},      {"-123456", 0, 1, "-123,456"},
      {"123", 0, 1, "123"},           {"0", 0, 1, "0"},
      {"12", 2, 1, "0.12"},           {"123", 2, 1, "1.23"},
  };
  for (const DigitsCase& c : cases) {
    nlsSetNumberFormat(tableP, c.numberFormat);
    char field[16];
    char* numberP = nlsFormatDigits(c.digits, field, sizeof field, c.decimals);
    ASSERT_NE(nullptr, numberP) << c.digits;
    EXPECT_STREQ(c.shown, numberP) << c.digits;
    EXPECT_EQ(std::string(15 - strlen(c.shown), ' ') + c.shown, field) << c.digits;
  }
}

TEST_F(NlsNumber, DigitProblemsAreReportedInTheFirstByte) {
  char field[16];
  EXPECT_EQ(nullptr, nlsFormatDigits(nullptr, field, sizeof field, 0));
  EXPECT_EQ(NLS_DIGITS_NULL_TEXT, field[0]);
  std::string tooLong(35, '1');
  EXPECT_EQ(nullptr, nlsFormatDigits(tooLong.c_str(), field, sizeof field, 0));
  EXPECT_EQ(NLS_DIGITS_TEXT_TOO_LONG, field[0]);
  EXPECT_EQ(nullptr, nlsFormatDigits(nullptr, field, 1, 0));
  EXPECT_EQ(NLS_DIGITS_NULL_TEXT | NLS_DIGITS_FIELD_TOO_SMALL, field[0]);
  EXPECT_EQ(nullptr, nlsFormatDigits("1", nullptr, 16, 0));
  // 12,345.67 needs nine characters: a field of nine (eight and the terminator) is too short.
  char shortField[9];
  EXPECT_EQ(nullptr, nlsFormatDigits("1234567", shortField, sizeof shortField, 2));
  EXPECT_EQ(NLS_DIGITS_FIELD_TOO_SHORT, shortField[0]);
  char exactField[10];
  EXPECT_STREQ("12,345.67", nlsFormatDigits("1234567", exactField, sizeof exactField, 2));
  // A huge number of decimals runs out of field, never past it.
  EXPECT_EQ(nullptr, nlsFormatDigits("1", field, sizeof field, 1000));
  EXPECT_EQ(NLS_DIGITS_FIELD_TOO_SHORT, field[0]);
}

TEST_F(NlsNumber, LongsGoThroughTheirMessages) {
  char field[20];
  EXPECT_STREQ("12,345.67", nlsFormatULong(1234567, field, sizeof field, 2));
  EXPECT_STREQ("4,294,967,295", nlsFormatULong(4294967295u, field, sizeof field, 0));
  EXPECT_STREQ("-2,147,483,648", nlsFormatLong(INT32_MIN, field, sizeof field, 0));
  EXPECT_EQ(nullptr, nlsFormatULong(1, nullptr, 20, 0));
  EXPECT_EQ(nullptr, nlsFormatULong(1, field, 1, 0));
}

TEST_F(NlsNumber, Int64IsGroupedFromTheRight) {
  const struct {
    uint64_t value;
    const char* shown;
  } cases[] = {{0, "0"},
               {999, "999"},
               {1000, "1,000"},
               {5368709120ull, "5,368,709,120"},
               {UINT64_MAX, "18,446,744,073,709,551,615"}};
  for (const auto& c : cases) {
    char buffer[50];
    EXPECT_EQ(buffer, nlsFormatInt64(pkInt64FromNative(static_cast<int64_t>(c.value)), buffer,
                                     sizeof buffer));
    EXPECT_STREQ(c.shown, buffer);
  }
  char small[6];
  EXPECT_EQ(nullptr, nlsFormatInt64(pkInt64FromU32(123456), small, sizeof small));
  EXPECT_STREQ("1,234", nlsFormatInt64(pkInt64FromU32(1234), small, sizeof small));
}

TEST_F(NlsNumber, DoublesUseTheirMessageAndTheSeparators) {
  char out[64];
  EXPECT_STREQ("1,234,567.89", nlsFormatDouble(1234567.891, out, 2, sizeof out));
  EXPECT_STREQ("1,234.568", nlsFormatDouble(1234.5678, out, 3, sizeof out));
  EXPECT_STREQ("-12.50", nlsFormatDouble(-12.5, out, 1, sizeof out));  // message 8 otherwise
  nlsSetNumberFormat(tableP, 5);
  EXPECT_STREQ("1.234.567,89", formatNumberGrouped(1234567.891, out, 2, sizeof out));
  char small[8];
  EXPECT_EQ(nullptr, nlsFormatDouble(1234567.891, small, 2, sizeof small));
  EXPECT_STREQ("", small);
  EXPECT_EQ(nullptr, nlsFormatDouble(1e300, out, 2, sizeof out));
}

TEST_F(NlsNumber, SizesKeepFourIntegerDigitsWithTheirUnit) {
  const struct {
    uint64_t bytes;
    const char* shown;
  } cases[] = {
      {0, "0.0B "},
      {512, "512.0B "},
      {9999, "9,999.0B "},
      {10000, "9.8KB"},
      {5368709120ull, "5,120.0MB"},
      {1ull << 40, "1,024.0GB"},
      {10239990, "10,000.0KB"},  // rounds up to five integer digits
      {UINT64_MAX, "16.0EB"},
  };
  for (const auto& c : cases) {
    char out[32];
    EXPECT_STREQ(c.shown, nlsFormatSize(pkInt64FromNative(static_cast<int64_t>(c.bytes)), out,
                                        sizeof out))
        << c.bytes;
  }
}

TEST_F(NlsNumber, ByteCountsChooseTheirMessageByMagnitude) {
  const struct {
    uint64_t bytes;
    const char* shown;
  } cases[] = {
      {1023, "  1023 B"},
      {1024, "   1.0 KB"},
      {1536 * 1024, "   1.5 MB"},
      {3ull << 30, "  3.00 GB"},
      {5ull << 40, "5120.00 GB"},
  };
  for (const auto& c : cases) {
    char out[32];
    EXPECT_STREQ(c.shown, nlsFormatByteCount(pkInt64FromNative(static_cast<int64_t>(c.bytes)), 6,
                                             out, sizeof out))
        << c.bytes;
  }
}

TEST_F(NlsNumber, FormatsThatDoNotMatchTheirArgumentsAreRefused) {
  char out[64];
  const char* refused[] = {"%s", "%lu %lu", "no conversion", "%n", "%Lf", "%.*u", "%1$u", "%"};
  for (const char* format : refused) {
    g_Formats[12] = format;
    EXPECT_EQ(nullptr, nlsFormatULong(7, out, sizeof out, 0)) << format;
  }
  g_Formats[13] = "%u B";  // the width is missing
  EXPECT_EQ(nullptr, nlsFormatByteCount(pkInt64FromU32(1), 6, out, sizeof out));
  g_Formats.erase(8);  // missing from the repository
  EXPECT_EQ(nullptr, nlsFormatDouble(1.0, out, 2, sizeof out));
  nlsSetNumberFormatSource(nullptr);
  EXPECT_EQ(nullptr, nlsFormatSize(pkInt64FromU32(1), out, sizeof out));
}

TEST(NlsNumberMsgArgs, EveryNumberMessageDeclaresItsArguments) {
  const struct {
    int msgNum;
    const char* args;
  } cases[] = {{6, "u"},  {7, "f"},   {8, "f"},   {9, "f"},   {11, "d"},
               {12, "u"}, {13, "*u"}, {14, "*f"}, {15, "*f"}, {16, "*f"}};
  for (const auto& c : cases) EXPECT_STREQ(c.args, nlsNumberMsgArgs(c.msgNum)) << c.msgNum;
  EXPECT_EQ(nullptr, nlsNumberMsgArgs(10));
  EXPECT_EQ(nullptr, nlsNumberMsgArgs(5));
}

}  // namespace
