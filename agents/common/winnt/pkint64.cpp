#include "pkint64.h"

#include "nlstable.h"

const pkInt64 pkInt64Zero = {0, 0};

namespace {

constexpr int kDecimalDigits = PK_INT64_TEXT_SIZE - 1;

}  // namespace

pkInt64 pkInt64Make(uint32_t high, uint32_t low) { return pkInt64{high, low}; }

pkInt64 pkInt64FromU32(uint32_t value) { return pkInt64{0, value}; }

pkInt64 pkInt64FromNative(int64_t value) {
  uint64_t bits = static_cast<uint64_t>(value);
  return pkInt64{static_cast<uint32_t>(bits >> 32), static_cast<uint32_t>(bits)};
}

uint64_t pkInt64ToNative(pkInt64 value) {
  return (static_cast<uint64_t>(value.high) << 32) | value.low;
}

namespace {

pkInt64 fromU64(uint64_t value) { return pkInt64FromNative(static_cast<int64_t>(value)); }

}  // namespace

char* pkInt64ToString(pkInt64 value, char* textP, int radix) {
  if (radix != 10) {
    return nullptr;
  }
  char digits[kDecimalDigits + 1];
  char* p = digits + kDecimalDigits;
  *p = '\0';
  uint64_t rest = pkInt64ToNative(value);
  do {
    *--p = static_cast<char>('0' + rest % 10);
    rest /= 10;
  } while (rest != 0);
  return nlsActiveFuncTable()->m_StrCpy(textP, p);
}

pkInt64 pkInt64FromString(const char* textP, int radix) {
  if (textP == nullptr || radix < 1) {
    return pkInt64Zero;
  }
  unsigned __int128 result = 0;
  for (const char* p = textP; *p != '\0'; ++p) {
    int digit = *p - '0';
    if (digit < 0 || digit > 9 || digit >= radix) {
      return pkInt64Zero;
    }
    result = result * static_cast<unsigned>(radix) + static_cast<unsigned>(digit);
    if (result > UINT64_MAX) {
      return pkInt64Zero;
    }
  }
  return fromU64(static_cast<uint64_t>(result));
}

double pkInt64DivToDouble(pkInt64 value, uint32_t divisor) {
  uint64_t dividend = pkInt64ToNative(value);
  if (dividend == 0 || divisor == 0) {
    return 0.0;
  }
  uint64_t quotient = dividend / divisor;
  uint64_t remainder = dividend % divisor;
  return static_cast<double>(quotient) + static_cast<double>(remainder) / divisor;
}

uint32_t pkInt64Percent(pkInt64 part, pkInt64 whole) {
  uint64_t p = pkInt64ToNative(part);
  uint64_t w = pkInt64ToNative(whole);
  if (w == 0) {
    return 100;
  }
  unsigned __int128 percent = static_cast<unsigned __int128>(p) * 100 / w;
  return static_cast<uint32_t>(percent);
}

pkInt64 pkInt64Add(pkInt64 a, pkInt64 b) {
  return fromU64(pkInt64ToNative(a) + pkInt64ToNative(b));
}

pkInt64 pkInt64AddU32(pkInt64 a, uint32_t n) { return fromU64(pkInt64ToNative(a) + n); }

pkInt64 pkInt64Sub(pkInt64 a, pkInt64 b) {
  return fromU64(pkInt64ToNative(a) - pkInt64ToNative(b));
}

pkInt64 pkInt64SubU32(pkInt64 a, uint32_t n) { return fromU64(pkInt64ToNative(a) - n); }

pkInt64 pkInt64Mul(pkInt64 a, pkInt64 b, int16_t* overflowP) {
  unsigned __int128 product =
      static_cast<unsigned __int128>(pkInt64ToNative(a)) * pkInt64ToNative(b);
  *overflowP = product > UINT64_MAX ? 1 : 0;
  return fromU64(static_cast<uint64_t>(product));
}

pkInt64 pkInt64Div(pkInt64 a, pkInt64 b, pkInt64* remainderP) {
  uint64_t dividend = pkInt64ToNative(a);
  uint64_t divisor = pkInt64ToNative(b);
  if (dividend == 0 || divisor == 0) {
    *remainderP = pkInt64Zero;
    return pkInt64Zero;
  }
  *remainderP = fromU64(dividend % divisor);
  return fromU64(dividend / divisor);
}
