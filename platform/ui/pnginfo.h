// The header of an image resource as a device-independent bitmap would describe it: size, bits
// per pixel, colours used and colour table, read from the PNG file's IHDR and PLTE chunks.
// An indexed PNG gives its bit depth and palette; a grey one of 8 bits or fewer a grey colour
// table; a colour one 24 bits, and any with an alpha channel 32 bits, without a table.
// No state; any thread.
#pragma once

#include <cstdint>
#include <vector>

namespace zkui {

struct RgbQuad {
  uint8_t blue = 0, green = 0, red = 0, reserved = 0;
  bool operator==(const RgbQuad&) const = default;
};

struct BitmapInfoHeader {
  int32_t width = 0;
  int32_t height = 0;
  uint16_t bitCount = 0;
  uint32_t clrUsed = 0;  // 0: as many as the bit count allows
};

struct BitmapInfo {
  BitmapInfoHeader header;
  std::vector<RgbQuad> colours;  // the colour table
};

// A logical colour palette: version 0x300 and one entry per colour.
struct PaletteEntry {
  uint8_t red = 0, green = 0, blue = 0, flags = 0;
  bool operator==(const PaletteEntry&) const = default;
};
struct LogPalette {
  uint16_t version = 0x300;
  std::vector<PaletteEntry> entries;
};

// 0, or kResBadFormat (resbundle.h) when the bytes are not a PNG with a valid header.
int readPngInfo(const std::vector<uint8_t>& bytes, BitmapInfo& out);

}  // namespace zkui
