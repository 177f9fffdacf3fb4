#include "pnginfo.h"

#include <cstring>

#include "resbundle.h"

namespace zkui {
namespace {

const uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};

uint32_t be32(const uint8_t* p) {
  return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3];
}

void fillFromHeader(const uint8_t* ihdr, BitmapInfo& out) {
  out.header.width = static_cast<int32_t>(be32(ihdr));
  out.header.height = static_cast<int32_t>(be32(ihdr + 4));
  uint8_t depth = ihdr[8];
  uint8_t colourType = ihdr[9];
  switch (colourType) {
    case 3:  // indexed: the palette comes with PLTE
      out.header.bitCount = depth;
      break;
    case 0:  // grey
      out.header.bitCount = depth <= 8 ? depth : 24;
      for (uint32_t i = 0; depth <= 8 && i < (1u << depth); ++i) {
        uint8_t v = static_cast<uint8_t>(i * 255 / ((1u << depth) - 1));
        out.colours.push_back(RgbQuad{v, v, v, 0});
      }
      break;
    case 2:
      out.header.bitCount = 24;
      break;
    default:  // 4 grey with alpha, 6 colour with alpha
      out.header.bitCount = 32;
      break;
  }
}

void fillFromPalette(const uint8_t* p, uint32_t len, BitmapInfo& out) {
  out.colours.clear();
  for (uint32_t i = 0; i + 3 <= len; i += 3) {
    out.colours.push_back(RgbQuad{p[i + 2], p[i + 1], p[i], 0});
  }
  out.header.clrUsed = static_cast<uint32_t>(out.colours.size());
}

}  // namespace

int readPngInfo(const std::vector<uint8_t>& bytes, BitmapInfo& out) {
  out = BitmapInfo{};
  if (bytes.size() < 8 + 8 + 13 || std::memcmp(bytes.data(), kSignature, 8) != 0) {
    return kResBadFormat;
  }
  size_t pos = 8;
  bool haveHeader = false;
  while (pos + 8 <= bytes.size()) {
    uint32_t len = be32(&bytes[pos]);
    const uint8_t* type = &bytes[pos + 4];
    const uint8_t* data = &bytes[pos + 8];
    if (len > bytes.size() - pos - 8) return kResBadFormat;
    if (std::memcmp(type, "IHDR", 4) == 0 && len == 13) {
      fillFromHeader(data, out);
      haveHeader = true;
    } else if (std::memcmp(type, "PLTE", 4) == 0 && haveHeader && out.header.bitCount <= 8) {
      fillFromPalette(data, len, out);
    } else if (std::memcmp(type, "IDAT", 4) == 0 || std::memcmp(type, "IEND", 4) == 0) {
      break;  // the palette always comes before the data
    }
    pos += 8 + size_t(len) + 4;  // length, type, data, CRC
  }
  return haveHeader ? 0 : kResBadFormat;
}

}  // namespace zkui
