#include "pkint64.h"

#include <gtest/gtest.h>

#include <cstring>

#include "nlstestenv.h"

namespace {

constexpr uint32_t kMax32 = 0xFFFFFFFFu;

pkInt64 n(uint64_t value) { return pkInt64FromNative(static_cast<int64_t>(value)); }
uint64_t v(pkInt64 value) { return pkInt64ToNative(value); }

TEST(PkInt64, HighWordComesFirstInMemory) {
  pkInt64 value = pkInt64Make(1, 2);
  uint32_t words[2];
  memcpy(words, &value, sizeof words);
  EXPECT_EQ(1u, words[0]);
  EXPECT_EQ(2u, words[1]);
  EXPECT_EQ(0x100000002ull, v(value));
  EXPECT_EQ(7u, pkInt64FromU32(7).low);
  EXPECT_EQ(0u, pkInt64FromU32(7).high);
}

TEST(PkInt64, AddAndSubtractCarryBetweenTheWords) {
  pkInt64 sum = pkInt64Add(pkInt64Make(0, kMax32), pkInt64Make(0, 1));
  EXPECT_EQ(1u, sum.high);
  EXPECT_EQ(0u, sum.low);
  pkInt64 difference = pkInt64Sub(pkInt64Make(1, 0), pkInt64Make(0, 1));
  EXPECT_EQ(0u, difference.high);
  EXPECT_EQ(kMax32, difference.low);
  EXPECT_EQ(0x100000004ull, v(pkInt64AddU32(pkInt64Make(0, kMax32), 5)));
  EXPECT_EQ(0xFFFFFFFFull, v(pkInt64SubU32(pkInt64Make(1, 3), 4)));
  // The carry out of the high word is lost.
  EXPECT_EQ(0u, v(pkInt64Add(n(UINT64_MAX), n(1))));
}

TEST(PkInt64, MultiplyReportsProductsBeyond64Bits) {
  const struct {
    uint64_t a, b, product;
    int16_t overflow;
  } cases[] = {
      {3, 5, 15, 0},
      {1ull << 32, 1ull << 32, 0, 1},
      {0, UINT64_MAX, 0, 0},
      {UINT64_MAX, 1, UINT64_MAX, 0},
      {1ull << 63, 2, 0, 1},
      // Shifting loses no bit here; the carry out of an addition is the overflow.
      {(1ull << 63) - 1, 3, ((1ull << 63) - 1) * 3, 1},
      {0xFFFFFFFFull, 0x100000001ull, UINT64_MAX, 0},
  };
  for (const auto& c : cases) {
    int16_t overflow = -1;
    EXPECT_EQ(c.product, v(pkInt64Mul(n(c.a), n(c.b), &overflow))) << c.a << " * " << c.b;
    EXPECT_EQ(c.overflow, overflow) << c.a << " * " << c.b;
  }
}

TEST(PkInt64, DivideGivesQuotientAndRemainder) {
  const struct {
    uint64_t a, b, quotient, remainder;
  } cases[] = {
      {10, 0, 0, 0}, {0, 7, 0, 0},           {7, 2, 3, 1},
      {1ull << 40, 1024, 1ull << 30, 0},     {UINT64_MAX, 10, UINT64_MAX / 10, 5},
      {(1ull << 63) + 5, 1ull << 63, 1, 5},  {3, 9, 0, 3},
  };
  for (const auto& c : cases) {
    pkInt64 remainder = pkInt64Make(9, 9);
    EXPECT_EQ(c.quotient, v(pkInt64Div(n(c.a), n(c.b), &remainder))) << c.a << " / " << c.b;
    EXPECT_EQ(c.remainder, v(remainder)) << c.a << " / " << c.b;
  }
}

TEST(PkInt64, DecimalTextBothWays) {
  nlsTestTable();
  const struct {
    uint64_t value;
    const char* text;
  } cases[] = {
      {0, "0"}, {123, "123"}, {1ull << 32, "4294967296"}, {UINT64_MAX, "18446744073709551615"}};
  for (const auto& c : cases) {
    char text[PK_INT64_TEXT_SIZE];
    EXPECT_EQ(text, pkInt64ToString(n(c.value), text, 10));
    EXPECT_STREQ(c.text, text);
    EXPECT_EQ(c.value, v(pkInt64FromString(c.text, 10))) << c.text;
  }
  char untouched[PK_INT64_TEXT_SIZE] = "keep";
  EXPECT_EQ(nullptr, pkInt64ToString(n(255), untouched, 16));
  EXPECT_STREQ("keep", untouched);
}

TEST(PkInt64, ParsingRefusesAnythingButDigitsOfTheRadix) {
  const struct {
    const char* text;
    int radix;
    uint64_t value;
  } cases[] = {
      {"12a", 10, 0},  {"19", 8, 0},  {"17", 8, 15},  {"", 10, 0},
      {" 12", 10, 0},  {"12 ", 10, 0}, {"-5", 10, 0}, {"+5", 10, 0},
      {"18446744073709551616", 10, 0},  // one beyond 64 bits
      {"000042", 10, 42},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.value, v(pkInt64FromString(c.text, c.radix))) << '"' << c.text << '"';
  }
  EXPECT_EQ(0u, v(pkInt64FromString(nullptr, 10)));
}

TEST(PkInt64, DivideToDouble) {
  EXPECT_DOUBLE_EQ(1.5, pkInt64DivToDouble(n(1536), 1024));
  EXPECT_DOUBLE_EQ(0.0, pkInt64DivToDouble(n(1536), 0));
  EXPECT_DOUBLE_EQ(0.0, pkInt64DivToDouble(n(0), 1024));
  // Quotients of 2^31 and more (2 TiB counted in KiB) are computed in full.
  EXPECT_DOUBLE_EQ(2199023255552.0, pkInt64DivToDouble(n(1ull << 41), 1));
  EXPECT_DOUBLE_EQ(2147483648.5, pkInt64DivToDouble(n((1ull << 41) + 512), 1024));
}

TEST(PkInt64, PercentOfLargeValues) {
  constexpr uint64_t kGB = 1000000000;
  const struct {
    uint64_t part, whole;
    uint32_t percent;
  } cases[] = {
      {5, 0, 100}, {0, 7, 0}, {3 * kGB, 4 * kGB, 75}, {1, 3, 33},
      {(1ull << 20), (1ull << 20) + 1023, 99},  // exact, not rounded up by dropping low bits
      {UINT64_MAX / 2, UINT64_MAX, 49}, {UINT64_MAX, UINT64_MAX, 100},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.percent, pkInt64Percent(n(c.part), n(c.whole))) << c.part << " of " << c.whole;
  }
}

}  // namespace
