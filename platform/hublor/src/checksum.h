// The checksum the server keeps of every stored version's data, so that data changed on the
// volume after it was stored (bit rot, a damaged disk) is found when the version is read and
// not handed back as if it were whole.
//
// A 64-bit hash of four lanes over 32-byte stripes (in the manner of xxHash64), fed in pieces
// of any size: the hash of the whole is the same however the data was cut. One object belongs
// to one thread at a time.
#pragma once

#include <cstddef>
#include <cstdint>

namespace hublor {

class Checksum {
 public:
  void add(const char* data, size_t size);
  uint64_t value() const;

 private:
  static constexpr size_t kStripe = 32;

  void addStripe(const unsigned char* stripe);

  uint64_t m_lanes[4] = {0x60EA27EEADC0B5D6ull, 0xC2B2AE3D27D4EB4Full, 0, 0x61C8864E7A143579ull};
  uint64_t m_total = 0;
  unsigned char m_tail[kStripe] = {};
  size_t m_tailSize = 0;
};

}  // namespace hublor
