// Byte images of stored records for the format tests: a record of a given size, zero except
// for the spans written out by hand at their offsets.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <utility>
#include <vector>

struct GoldenSpan {
  size_t offset;
  std::vector<uint8_t> bytes;
};

inline std::vector<uint8_t> goldenImage(size_t size, std::initializer_list<GoldenSpan> spans) {
  std::vector<uint8_t> image(size, 0);
  for (const GoldenSpan& span : spans) {
    for (size_t i = 0; i < span.bytes.size(); i++) image.at(span.offset + i) = span.bytes[i];
  }
  return image;
}

// The text's bytes without the terminator.
inline std::vector<uint8_t> goldenText(const char* textP) {
  std::vector<uint8_t> bytes;
  for (; *textP != '\0'; textP++) bytes.push_back(static_cast<uint8_t>(*textP));
  return bytes;
}
