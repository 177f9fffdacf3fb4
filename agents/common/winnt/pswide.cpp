// Growable wide-character strings: the RESTORE statement is built piece by piece in one.
#include <cstring>
#include <string>

#include "agtmem.h"
#include "agtrc.h"
#include "agttrc.h"
#include "psutil.h"

namespace {

size_t wideLength(const char16_t* textP) { return std::char_traits<char16_t>::length(textP); }

// The next multiple of the growth interval above `bytes`.
uint64_t nextMultipleAbove(uint64_t bytes, uint32_t growth) { return (bytes / growth + 1) * growth; }

// The code point of the UTF-8 sequence at *posP, moving *posP past it; -1 when the sequence is
// not valid UTF-8 (a stray or missing continuation byte, an overlong form, a surrogate).
long nextCodePoint(const unsigned char** posP) {
  const unsigned char* p = *posP;
  static const struct {
    unsigned char mask, lead;
    int extra;
    long minimum;
  } kForms[] = {{0x80, 0x00, 0, 0}, {0xe0, 0xc0, 1, 0x80}, {0xf0, 0xe0, 2, 0x800},
                {0xf8, 0xf0, 3, 0x10000}};
  for (const auto& form : kForms) {
    if ((p[0] & form.mask) != form.lead) continue;
    long code = p[0] & ~form.mask & 0xff;
    for (int i = 1; i <= form.extra; i++) {
      if ((p[i] & 0xc0) != 0x80) return -1;
      code = (code << 6) | (p[i] & 0x3f);
    }
    if (code < form.minimum || code > 0x10ffff || (code >= 0xd800 && code <= 0xdfff)) return -1;
    *posP = p + form.extra + 1;
    return code;
  }
  return -1;
}

// Converts UTF-8 to UTF-16 at outP (room for strlen(sourceP) characters and the terminator is
// there: UTF-16 never needs more units than UTF-8 has bytes). False on invalid UTF-8.
bool utf8ToUtf16(const char* sourceP, char16_t* outP) {
  const unsigned char* p = reinterpret_cast<const unsigned char*>(sourceP);
  while (*p != 0) {
    long code = nextCodePoint(&p);
    if (code < 0) return false;
    if (code >= 0x10000) {
      code -= 0x10000;
      *outP++ = char16_t(0xd800 + (code >> 10));
      code = 0xdc00 + (code & 0x3ff);
    }
    *outP++ = char16_t(code);
  }
  *outP = u'\0';
  return true;
}

}  // namespace

int enlargeWideString(char16_t** stringPP, uint32_t* sizeP, uint32_t count, uint32_t growth) {
  if (count == 0) return RC_OK;
  if (growth == 0) growth = 1;
  if (*stringPP == nullptr) {
    uint64_t size = nextMultipleAbove(uint64_t(count) * 2 + 1, growth);
    char16_t* blockP = size > UINT32_MAX ? nullptr : static_cast<char16_t*>(MALLOC(uint32_t(size)));
    if (blockP == nullptr) {
      TRACE_LINE(TRC_MEMORY, "MALLOC( %u ) of the destination wide character string failed.\n",
                 unsigned(size));
      *sizeP = 0;
      return RC_NO_MEMORY;
    }
    blockP[0] = u'\0';
    *stringPP = blockP;
    *sizeP = uint32_t(size);
    return RC_OK;
  }
  uint64_t characters = wideLength(*stringPP) + uint64_t(count);
  if (*sizeP >= characters * 2 + 2) return RC_OK;
  uint64_t size = nextMultipleAbove(characters * 2 + 1, growth);
  if (size > UINT32_MAX || REALLOC(stringPP, uint32_t(size)) == nullptr) {
    TRACE_LINE(TRC_MEMORY, "REALLOC( %u ) of the destination wide character string failed.\n",
               unsigned(size));
    *sizeP = 0;
    return RC_NO_MEMORY;
  }
  *sizeP = uint32_t(size);
  return RC_OK;
}

int growWideString(char16_t** stringPP, uint32_t* sizeP, const char16_t* sourceP,
                   uint32_t growth) {
  size_t length = wideLength(sourceP);
  int rc = enlargeWideString(stringPP, sizeP, uint32_t(length), growth);
  if (rc != RC_OK || length == 0) return rc;
  char16_t* endP = *stringPP + wideLength(*stringPP);
  memcpy(endP, sourceP, (length + 1) * sizeof(char16_t));
  return RC_OK;
}

int growWideString(char16_t** stringPP, uint32_t* sizeP, const char* sourceP, uint32_t growth) {
  size_t length = strlen(sourceP);
  int rc = enlargeWideString(stringPP, sizeP, uint32_t(length), growth);
  if (rc != RC_OK || length == 0) return rc;
  char16_t* endP = *stringPP + wideLength(*stringPP);
  if (utf8ToUtf16(sourceP, endP)) return RC_OK;
  *endP = u'\0';
  TRACE_LINE(TRC_GENERAL, "The text \"%s\" cannot be converted to a wide string.\n", sourceP);
  return RC_CONVERSION_FAILED;
}
