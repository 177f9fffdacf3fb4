#include "checksum.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace hublor {
namespace {

constexpr uint64_t kPrime1 = 0x9E3779B185EBCA87ull;
constexpr uint64_t kPrime2 = 0xC2B2AE3D27D4EB4Full;
constexpr uint64_t kPrime3 = 0x165667B19E3779F9ull;
constexpr uint64_t kPrime4 = 0x85EBCA77C2B2AE63ull;
constexpr uint64_t kPrime5 = 0x27D4EB2F165667C5ull;

uint64_t rotl(uint64_t x, int r) {
  return (x << r) | (x >> (64 - r));
}

// Little-endian words, so the value does not depend on the machine.
uint64_t word64(const unsigned char* p) {
  uint64_t v;
  std::memcpy(&v, p, sizeof v);
  if constexpr (std::endian::native == std::endian::big) v = __builtin_bswap64(v);
  return v;
}

uint64_t word32(const unsigned char* p) {
  uint32_t v;
  std::memcpy(&v, p, sizeof v);
  if constexpr (std::endian::native == std::endian::big) v = __builtin_bswap32(v);
  return v;
}

uint64_t round(uint64_t lane, uint64_t input) {
  return rotl(lane + input * kPrime2, 31) * kPrime1;
}

uint64_t merge(uint64_t hash, uint64_t lane) {
  return (hash ^ round(0, lane)) * kPrime1 + kPrime4;
}

}  // namespace

void Checksum::addStripe(const unsigned char* stripe) {
  for (int i = 0; i < 4; ++i) m_lanes[i] = round(m_lanes[i], word64(stripe + 8 * i));
}

void Checksum::add(const char* data, size_t size) {
  const unsigned char* p = reinterpret_cast<const unsigned char*>(data);
  m_total += size;
  if (m_tailSize > 0) {
    size_t take = std::min(kStripe - m_tailSize, size);
    std::memcpy(m_tail + m_tailSize, p, take);
    m_tailSize += take;
    p += take;
    size -= take;
    if (m_tailSize < kStripe) return;
    addStripe(m_tail);
    m_tailSize = 0;
  }
  // The lanes in locals: the data may alias the object's own words, which would keep the
  // compiler from holding them in registers.
  uint64_t a = m_lanes[0], b = m_lanes[1], c = m_lanes[2], d = m_lanes[3];
  for (; size >= kStripe; p += kStripe, size -= kStripe) {
    a = round(a, word64(p));
    b = round(b, word64(p + 8));
    c = round(c, word64(p + 16));
    d = round(d, word64(p + 24));
  }
  m_lanes[0] = a;
  m_lanes[1] = b;
  m_lanes[2] = c;
  m_lanes[3] = d;
  std::memcpy(m_tail, p, size);
  m_tailSize = size;
}

uint64_t Checksum::value() const {
  uint64_t h = m_total >= kStripe ? rotl(m_lanes[0], 1) + rotl(m_lanes[1], 7) +
                                        rotl(m_lanes[2], 12) + rotl(m_lanes[3], 18)
                                  : m_lanes[2] + kPrime5;
  if (m_total >= kStripe) {
    for (uint64_t lane : m_lanes) h = merge(h, lane);
  }
  h += m_total;
  const unsigned char* p = m_tail;
  size_t left = m_tailSize;
  for (; left >= 8; p += 8, left -= 8) h = rotl(h ^ round(0, word64(p)), 27) * kPrime1 + kPrime4;
  if (left >= 4) {
    h = rotl(h ^ (word32(p) * kPrime1), 23) * kPrime2 + kPrime3;
    p += 4;
    left -= 4;
  }
  for (; left > 0; ++p, --left) h = rotl(h ^ (*p * kPrime5), 11) * kPrime1;
  h ^= h >> 33;
  h *= kPrime2;
  h ^= h >> 29;
  h *= kPrime3;
  return h ^ (h >> 32);
}

}  // namespace hublor
