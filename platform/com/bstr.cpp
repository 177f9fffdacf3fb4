#include "bstr.h"

#include <cstdlib>
#include <cstring>

namespace {

// Layout: [uint32 byte length][characters][zero character]; a BSTR points at the characters.
constexpr std::size_t kPrefix = sizeof(std::uint32_t);

std::uint32_t* header(BSTR text) {
  return reinterpret_cast<std::uint32_t*>(reinterpret_cast<char*>(text) - kPrefix);
}

void appendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// Decodes one UTF-8 sequence at text[i], advancing i; U+FFFD for a malformed one.
char32_t decodeUtf8(std::string_view text, std::size_t& i) {
  auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
  unsigned char lead = byte(i++);
  if (lead < 0x80) return lead;
  int extra = lead >= 0xF0 && lead < 0xF8   ? 3
              : lead >= 0xE0                ? 2
              : lead >= 0xC2 && lead < 0xE0 ? 1
                                            : -1;
  if (extra < 0 || lead >= 0xF8) return U'\uFFFD';
  char32_t c = lead & (0x3F >> extra);
  for (int k = 0; k < extra; ++k) {
    if (i >= text.size() || (byte(i) & 0xC0) != 0x80) return U'\uFFFD';
    c = (c << 6) | (byte(i++) & 0x3F);
  }
  static constexpr char32_t kMin[] = {0, 0x80, 0x800, 0x10000};
  if (c < kMin[extra] || c > 0x10FFFF || (c >= 0xD800 && c < 0xE000)) return U'\uFFFD';
  return c;
}

}  // namespace

BSTR SysAllocStringLen(LPCOLESTR text, UINT len) {
  std::size_t bytes = std::size_t{len} * sizeof(OLECHAR);
  char* block = static_cast<char*>(std::malloc(kPrefix + bytes + sizeof(OLECHAR)));
  if (block == nullptr) return nullptr;
  std::uint32_t stored = static_cast<std::uint32_t>(bytes);
  std::memcpy(block, &stored, kPrefix);
  BSTR chars = reinterpret_cast<BSTR>(block + kPrefix);
  if (text != nullptr) {
    std::memcpy(chars, text, bytes);
  } else {
    std::memset(chars, 0, bytes);
  }
  chars[len] = u'\0';
  return chars;
}

BSTR SysAllocString(LPCOLESTR text) {
  if (text == nullptr) return nullptr;
  return SysAllocStringLen(text, static_cast<UINT>(com::wideLength(text)));
}

void SysFreeString(BSTR text) {
  if (text != nullptr) std::free(header(text));
}

UINT SysStringByteLen(BSTR text) {
  if (text == nullptr) return 0;
  std::uint32_t bytes;
  std::memcpy(&bytes, header(text), kPrefix);
  return bytes;
}

UINT SysStringLen(BSTR text) {
  return SysStringByteLen(text) / sizeof(OLECHAR);
}

namespace com {

std::size_t wideLength(LPCOLESTR text) {
  std::size_t n = 0;
  if (text != nullptr) {
    while (text[n] != u'\0') ++n;
  }
  return n;
}

std::u16string_view wideView(LPCOLESTR text) {
  return text == nullptr ? std::u16string_view() : std::u16string_view(text, wideLength(text));
}

std::u16string toUtf16(std::string_view text) {
  std::u16string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    char32_t c = decodeUtf8(text, i);
    if (c >= 0x10000) {
      c -= 0x10000;
      out += static_cast<char16_t>(0xD800 + (c >> 10));
      out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
    } else {
      out += static_cast<char16_t>(c);
    }
  }
  return out;
}

std::string toUtf8(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    char32_t c = text[i];
    if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] < 0xE000) {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
    } else if (c >= 0xD800 && c < 0xE000) {
      c = 0xFFFD;
    }
    appendUtf8(out, c);
  }
  return out;
}

BSTR allocBstr(std::u16string_view text) {
  return SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
}

BSTR allocBstr(std::string_view utf8) {
  return allocBstr(std::u16string_view(toUtf16(utf8)));
}

}  // namespace com
