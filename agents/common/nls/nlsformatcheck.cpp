#include "nlsformatcheck.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "msgformat.h"

namespace {

bool isDigit(char ch) {
  return ch >= '0' && ch <= '9';
}

// Moves past a width or precision; null when it is larger than a message.
const char* skipDigits(const char* p) {
  unsigned n = 0;
  for (; isDigit(*p); ++p) n = n > NLS_WIDTH_MAX ? n : n * 10 + static_cast<unsigned>(*p - '0');
  return n <= NLS_WIDTH_MAX ? p : nullptr;
}

// Reads a length modifier; returns its code (see nlsFormatCheck::m_Length) and moves past it.
char readLength(const char** pP) {
  const char* p = *pP;
  char length = 0;
  if (p[0] == 'h') {
    p += p[1] == 'h' ? 2 : 1;
  } else if (p[0] == 'l' && p[1] == 'l') {
    length = 'q';
    p += 2;
  } else if (strchr("ljztL", p[0]) != nullptr && p[0] != '\0') {
    length = *p++;
  }
  *pP = p;
  return length;
}

// Reads one conversion after its '%'; appends its argument kinds and fills the check.
bool readConversion(const char** pP, std::string* kindsP, nlsFormatCheck* checkP) {
  const char* p = *pP;
  while (*p != '\0' && strchr("-+ #0'", *p) != nullptr) ++p;
  if (*p == '*') {
    kindsP->push_back('*');
    checkP->m_HasWidth = true;
    ++p;
  } else if ((p = skipDigits(p)) == nullptr) {
    return false;
  }
  if (*p == '.') {
    if (*++p == '*') {
      return false;
    }
    if ((p = skipDigits(p)) == nullptr) return false;
  }
  char length = readLength(&p);
  char conversion = *p;
  if (conversion == '\0') {
    return false;
  }
  *pP = p + 1;
  if (strchr("fFeEgGaA", conversion) != nullptr) {
    checkP->m_IsFloating = true;
    kindsP->push_back('f');
    return length == 0 || length == 'l';
  }
  if (strchr("diuoxX", conversion) == nullptr || length == 'L') {
    return false;
  }
  checkP->m_IsSigned = conversion == 'd' || conversion == 'i';
  checkP->m_Length = length;
  kindsP->push_back('u');
  return true;
}

template <typename Value>
int print(char* outP, size_t outSize, const char* formatP, bool hasWidth, int width, Value v) {
  return hasWidth ? snprintf(outP, outSize, formatP, width, v)
                  : snprintf(outP, outSize, formatP, v);
}

template <typename Signed, typename Unsigned>
int printAs(char* outP, size_t outSize, const char* formatP, const nlsFormatCheck& check, int width,
            int64_t value) {
  if (check.m_IsSigned) {
    return print(outP, outSize, formatP, check.m_HasWidth, width, static_cast<Signed>(value));
  }
  return print(outP, outSize, formatP, check.m_HasWidth, width, static_cast<Unsigned>(value));
}

}  // namespace

bool nlsCheckFormat(const char* formatP, const char* argsP, nlsFormatCheck* checkP) {
  *checkP = nlsFormatCheck{};
  std::string kinds;
  for (const char* p = formatP; *p != '\0';) {
    if (*p++ != '%') {
      continue;
    }
    if (*p == '%') {
      ++p;
      continue;
    }
    if (!readConversion(&p, &kinds, checkP)) {
      return false;
    }
  }
  std::string expected(argsP);
  for (char& kind : expected) {
    if (kind == 'd') kind = 'u';
  }
  return kinds == expected;
}

int nlsPrintInteger(char* outP, size_t outSize, const char* formatP, const nlsFormatCheck& check,
                    int width, int64_t value) {
  switch (check.m_Length) {
    case 'l':
      return printAs<long, unsigned long>(outP, outSize, formatP, check, width, value);
    case 'q':
      return printAs<long long, unsigned long long>(outP, outSize, formatP, check, width, value);
    case 'j':
      return printAs<intmax_t, uintmax_t>(outP, outSize, formatP, check, width, value);
    case 'z':
    case 't':
      return printAs<ptrdiff_t, size_t>(outP, outSize, formatP, check, width, value);
    default:
      return printAs<int, unsigned>(outP, outSize, formatP, check, width, value);
  }
}
