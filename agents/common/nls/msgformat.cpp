// Segment headers, severity letters and the printf conversion parser of the repository layout.
#include "msgformat.h"

#include <cstring>

uint16_t nlsEncodeSegmentHeader(const NlsSegmentHeader& h) {
  return static_cast<uint16_t>((h.textLen & 0x1FF) | ((h.responseLen & 0x7) << 9) |
                               ((h.severity & 0x7) << 12) | (h.more ? 0x8000 : 0));
}

NlsSegmentHeader nlsDecodeSegmentHeader(uint16_t word) {
  return NlsSegmentHeader{word & 0x1FFu, (word >> 9) & 0x7u, (word >> 12) & 0x7u,
                          (word & 0x8000) != 0};
}

char nlsSeverityLetter(unsigned severity) {
  return severity < sizeof(NLS_SEVERITY_LETTERS) - 1 ? NLS_SEVERITY_LETTERS[severity] : '?';
}

int nlsSeverityOf(char letter) {
  const char* p = letter ? std::strchr(NLS_SEVERITY_LETTERS, letter) : nullptr;
  return p ? static_cast<int>(p - NLS_SEVERITY_LETTERS) : -1;
}

namespace {

struct TypeName {
  NlsArgType type;
  const char* name;
};

// The catalogue's names for argument types, as data.
constexpr TypeName kTypeNames[] = {
    {NLS_ARG_INT, "int"},     {NLS_ARG_UINT, "uint"},     {NLS_ARG_LONG, "long"},
    {NLS_ARG_ULONG, "ulong"}, {NLS_ARG_LLONG, "llong"},   {NLS_ARG_ULLONG, "ullong"},
    {NLS_ARG_SIZE, "size"},   {NLS_ARG_DOUBLE, "double"}, {NLS_ARG_STR, "str"},
    {NLS_ARG_PTR, "ptr"},     {NLS_ARG_CHAR, "char"},
};

bool isDigit(char c) {
  return c >= '0' && c <= '9';
}

// Reads "N$" at p: the number, or 0 (p unchanged) when p does not hold one.
unsigned readPosition(const char*& p) {
  const char* q = p;
  unsigned n = 0;
  while (isDigit(*q) && n < 100000) n = n * 10 + static_cast<unsigned>(*q++ - '0');
  if (q == p || *q != '$' || n == 0) return 0;
  p = q + 1;
  return n;
}

// A width or precision: digits, or "*" (optionally "*N$"), which takes an argument. False
// when the digits name more than NLS_WIDTH_MAX.
bool readWidth(const char*& p, NlsConversion* convP) {
  if (*p != '*') {
    unsigned n = 0;
    while (isDigit(*p)) {
      n = n > NLS_WIDTH_MAX ? n : n * 10 + static_cast<unsigned>(*p - '0');
      ++p;
    }
    return n <= NLS_WIDTH_MAX;
  }
  ++p;
  ++convP->starWidths;
  if (readPosition(p) != 0) convP->starNumbered = true;
  return true;
}

enum Length { LEN_NONE, LEN_HH, LEN_H, LEN_L, LEN_LL, LEN_Z, LEN_OTHER };

Length readLength(const char*& p) {
  switch (*p) {
    case 'h':
      if (*++p == 'h') return ++p, LEN_HH;
      return LEN_H;
    case 'l':
      if (*++p == 'l') return ++p, LEN_LL;
      return LEN_L;
    case 'z':
      return ++p, LEN_Z;
    case 'j':
    case 't':
    case 'L':
    case 'q':
      return ++p, LEN_OTHER;
    default:
      return LEN_NONE;
  }
}

NlsArgType integerType(Length len, bool isSigned) {
  switch (len) {
    case LEN_NONE:
    case LEN_H:
    case LEN_HH:
      return isSigned ? NLS_ARG_INT : NLS_ARG_UINT;
    case LEN_L:
      return isSigned ? NLS_ARG_LONG : NLS_ARG_ULONG;
    case LEN_LL:
      return isSigned ? NLS_ARG_LLONG : NLS_ARG_ULLONG;
    case LEN_Z:
      return NLS_ARG_SIZE;
    default:
      return NLS_ARG_NONE;
  }
}

// The argument type of a conversion letter with its length, NLS_ARG_NONE when refused.
NlsArgType argTypeOf(char letter, Length len) {
  switch (letter) {
    case 'd':
    case 'i':
      return integerType(len, true);
    case 'u':
    case 'o':
    case 'x':
    case 'X':
      return integerType(len, false);
    case 'f':
    case 'F':
    case 'e':
    case 'E':
    case 'g':
    case 'G':
    case 'a':
    case 'A':
      return len == LEN_NONE || len == LEN_L ? NLS_ARG_DOUBLE : NLS_ARG_NONE;
    case 'c':
      return len == LEN_NONE ? NLS_ARG_CHAR : NLS_ARG_NONE;
    case 's':
      return len == LEN_NONE ? NLS_ARG_STR : NLS_ARG_NONE;
    case 'p':
      return len == LEN_NONE ? NLS_ARG_PTR : NLS_ARG_NONE;
    default:
      return NLS_ARG_NONE;
  }
}

}  // namespace

const char* nlsArgTypeName(NlsArgType type) {
  for (const TypeName& t : kTypeNames) {
    if (t.type == type) return t.name;
  }
  return nullptr;
}

NlsArgType nlsArgTypeOf(const char* name, size_t len) {
  for (const TypeName& t : kTypeNames) {
    if (std::strlen(t.name) == len && std::strncmp(t.name, name, len) == 0) return t.type;
  }
  return NLS_ARG_NONE;
}

int nlsParseConversion(const char* textP, NlsConversion* convP, const char** errorP) {
  *convP = NlsConversion{};
  const char* p = textP + 1;
  if (*p == '%') {
    convP->length = 2;
    return 0;
  }
  convP->position = readPosition(p);
  while (*p && std::strchr("-+ #0'", *p)) ++p;
  bool bounded = readWidth(p, convP);
  if (*p == '.') bounded = readWidth(++p, convP) && bounded;
  if (!bounded) {
    *errorP = "a width or precision is larger than a message";
    return -1;
  }
  Length len = readLength(p);
  if (*p == '\0') {
    *errorP = "the conversion is not finished";
    return -1;
  }
  if (*p == 'n') {
    *errorP = "the conversion %n is not allowed";
    return -1;
  }
  convP->type = len == LEN_OTHER ? NLS_ARG_NONE : argTypeOf(*p, len);
  if (convP->type == NLS_ARG_NONE) {
    *errorP = "unknown conversion or length modifier";
    return -1;
  }
  convP->length = static_cast<size_t>(p - textP) + 1;
  return 0;
}
