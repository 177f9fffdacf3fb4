// Field-by-field access to stored and sent records: integers little-endian at any offset
// (records are packed, so fields are unaligned), a 64-bit number as two little-endian 32-bit
// words with the high word first, the form pkInt64 holds.
#pragma once

#include <cstdint>

#include "pkint64.h"

inline void bfPutU16(uint8_t* p, uint16_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
}

inline void bfPutU32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; i++) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

inline void bfPutU64(uint8_t* p, pkInt64 v) {
  bfPutU32(p, v.high);
  bfPutU32(p + 4, v.low);
}

inline uint16_t bfGetU16(const uint8_t* p) {
  return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

inline uint32_t bfGetU32(const uint8_t* p) {
  uint32_t v = 0;
  for (int i = 3; i >= 0; i--) v = (v << 8) | p[i];
  return v;
}

inline pkInt64 bfGetU64(const uint8_t* p) {
  return pkInt64Make(bfGetU32(p), bfGetU32(p + 4));
}
