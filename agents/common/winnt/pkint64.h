// The engine's 64-bit unsigned number: byte counts, object and file sizes, free disk space.
// Two 32-bit words, high word first, passed by value. Records that are stored or sent keep this
// high-word-first layout; the arithmetic itself runs on native 64-bit integers and is exact over
// the whole range. No operation fails: division by zero and text that is not a number give 0.
#pragma once

#include <cstdint>

struct pkInt64 {
  uint32_t high;  // bits 32 to 63
  uint32_t low;   // bits 0 to 31
};

// The zero that operations give by rule (division by zero, failed parse, empty file).
extern const pkInt64 pkInt64Zero;

enum { PK_INT64_TEXT_SIZE = 21 };  // twenty decimal digits and the terminator

pkInt64 pkInt64Make(uint32_t high, uint32_t low);
pkInt64 pkInt64FromU32(uint32_t value);
pkInt64 pkInt64FromNative(int64_t value);
uint64_t pkInt64ToNative(pkInt64 value);

// Writes the decimal digits (no sign, separators or leading zeros; "0" for zero) into a buffer
// of PK_INT64_TEXT_SIZE bytes and returns it. Radix 10 only: any other writes nothing and
// returns null.
char* pkInt64ToString(pkInt64 value, char* textP, int radix);

// The number written in the text with digits '0' to '9' in the radix. A character that is not
// such a digit, an empty or null text, or a number beyond 64 bits gives 0.
pkInt64 pkInt64FromString(const char* textP, int radix);

// value / divisor as a double; 0.0 when the value or the divisor is 0.
double pkInt64DivToDouble(pkInt64 value, uint32_t divisor);

// part * 100 / whole rounded down (the low 32 bits of it); 100 when whole is 0, 0 when part is 0.
uint32_t pkInt64Percent(pkInt64 part, pkInt64 whole);

pkInt64 pkInt64Add(pkInt64 a, pkInt64 b);  // modulo 2^64
pkInt64 pkInt64AddU32(pkInt64 a, uint32_t n);
pkInt64 pkInt64Sub(pkInt64 a, pkInt64 b);  // modulo 2^64
pkInt64 pkInt64SubU32(pkInt64 a, uint32_t n);

// The low 64 bits of a * b; *overflowP is 1 when the product needs more than 64 bits, else 0.
pkInt64 pkInt64Mul(pkInt64 a, pkInt64 b, int16_t* overflowP);

// a / b with *remainderP = a mod b; both 0 when a or b is 0.
pkInt64 pkInt64Div(pkInt64 a, pkInt64 b, pkInt64* remainderP);
