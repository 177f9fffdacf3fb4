#include "sqlwide.h"

#include <cstring>

namespace {

thread_local uint32_t t_lastError = 0;

// Reads one code point of UTF-8 at *pP and advances; -1 when malformed.
long decodeUtf8(const unsigned char*& p) {
  unsigned c = *p++;
  if (c < 0x80) return c;
  int extra = c >= 0xC2 && c <= 0xDF   ? 1
              : c >= 0xE0 && c <= 0xEF ? 2
              : c >= 0xF0 && c <= 0xF4 ? 3
                                       : -1;
  if (extra < 0) return -1;
  long cp = c & (0x3F >> extra);
  for (int i = 0; i < extra; ++i) {
    if ((*p & 0xC0) != 0x80) return -1;
    cp = (cp << 6) | (*p++ & 0x3F);
  }
  static const long kMin[] = {0, 0x80, 0x800, 0x10000};
  if (cp < kMin[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return -1;
  return cp;
}

// Reads one code point of UTF-16 at *pP and advances; -1 for an unpaired surrogate.
long decodeUtf16(const char16_t*& p) {
  long c = *p++;
  if (c < 0xD800 || c > 0xDFFF) return c;
  if (c >= 0xDC00 || *p < 0xDC00 || *p > 0xDFFF) return -1;
  return 0x10000 + ((c - 0xD800) << 10) + (*p++ - 0xDC00);
}

int utf8Length(long cp) {
  return cp < 0x80 ? 1 : cp < 0x800 ? 2 : cp < 0x10000 ? 3 : 4;
}

char* encodeUtf8(long cp, char* out) {
  int n = utf8Length(cp);
  static const unsigned char kLead[] = {0, 0, 0xC0, 0xE0, 0xF0};
  for (int i = n - 1; i > 0; --i) {
    out[i] = static_cast<char>(0x80 | (cp & 0x3F));
    cp >>= 6;
  }
  out[0] = static_cast<char>(n == 1 ? cp : (kLead[n] | cp));
  return out + n;
}

int fail(uint32_t error) {
  t_lastError = error;
  return 0;
}

struct ErrorText {
  uint32_t error;
  const char* textP;
};
const ErrorText kErrorTexts[] = {
    {SQL_ERROR_INSUFFICIENT_BUFFER, "The data area passed to a system call is too small."},
    {SQL_ERROR_NO_UNICODE_TRANSLATION,
     "No mapping for the Unicode character exists in the target multi-byte code page."},
};

}  // namespace

long sqlWideLengthOf(const char* srcP) {
  long units = 0;
  for (auto p = reinterpret_cast<const unsigned char*>(srcP); *p != 0;) {
    long cp = decodeUtf8(p);
    if (cp < 0) return -1;
    units += cp >= 0x10000 ? 2 : 1;
  }
  return units;
}

long sqlNarrowLengthOf(const char16_t* srcP) {
  long bytes = 0;
  for (const char16_t* p = srcP; *p != 0;) {
    long cp = decodeUtf16(p);
    if (cp < 0) return -1;
    bytes += utf8Length(cp);
  }
  return bytes;
}

size_t sqlNarrowHeadBytes(const char* srcP, size_t maxChars, size_t maxBytes) {
  size_t bytes = 0;
  auto start = reinterpret_cast<const unsigned char*>(srcP);
  for (size_t chars = 0; chars < maxChars && start[bytes] != 0; ++chars) {
    const unsigned char* p = start + bytes;
    size_t length = decodeUtf8(p) < 0 ? 1 : static_cast<size_t>(p - (start + bytes));
    if (bytes + length > maxBytes) break;
    bytes += length;
  }
  return bytes;
}

size_t sqlWideLen(const char16_t* srcP) {
  size_t n = 0;
  while (srcP != nullptr && srcP[n] != 0) ++n;
  return n;
}

int sqlNarrowToWide(const char* srcP, char16_t* destP, size_t destChars) {
  long units = sqlWideLengthOf(srcP);
  if (units < 0) return fail(SQL_ERROR_NO_UNICODE_TRANSLATION);
  if (static_cast<size_t>(units) + 1 > destChars) return fail(SQL_ERROR_INSUFFICIENT_BUFFER);
  char16_t* out = destP;
  for (auto p = reinterpret_cast<const unsigned char*>(srcP); *p != 0;) {
    long cp = decodeUtf8(p);
    if (cp >= 0x10000) {
      *out++ = static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10));
      *out++ = static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
    } else {
      *out++ = static_cast<char16_t>(cp);
    }
  }
  *out = 0;
  return static_cast<int>(units + 1);
}

int sqlWideToNarrow(const char16_t* srcP, char* destP, size_t destBytes) {
  long bytes = sqlNarrowLengthOf(srcP);
  if (bytes < 0) return fail(SQL_ERROR_NO_UNICODE_TRANSLATION);
  if (static_cast<size_t>(bytes) + 1 > destBytes) return fail(SQL_ERROR_INSUFFICIENT_BUFFER);
  char* out = destP;
  for (const char16_t* p = srcP; *p != 0;) out = encodeUtf8(decodeUtf16(p), out);
  *out = 0;
  return static_cast<int>(bytes + 1);
}

char* sqlWideToText(const char16_t* srcP, char* destP, size_t destBytes) {
  if (destBytes == 0) return destP;
  char* out = destP;
  char* end = destP + destBytes - 1;
  for (const char16_t* p = srcP; p != nullptr && *p != 0;) {
    long cp = decodeUtf16(p);
    if (cp < 0) cp = '?';
    if (out + utf8Length(cp) > end) break;
    out = encodeUtf8(cp, out);
  }
  *out = 0;
  return destP;
}

uint32_t sqlGetLastError() {
  return t_lastError;
}

void sqlSetLastError(uint32_t error) {
  t_lastError = error;
}

const char* sqlSystemErrorText(uint32_t error) {
  for (const ErrorText& e : kErrorTexts) {
    if (e.error == error) return e.textP;
  }
  return nullptr;
}
