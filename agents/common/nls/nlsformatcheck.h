// Checks a printf format taken from outside the program (a message text) against the arguments
// its caller will pass, so that a damaged or mistranslated text can never make printf read an
// argument of the wrong type.
#pragma once

#include <cstddef>
#include <cstdint>

struct nlsFormatCheck {
  bool m_HasWidth;    // a '*' field width comes first
  bool m_IsFloating;  // the value conversion takes a double
  bool m_IsSigned;    // an integer conversion of a signed type (d, i)
  char m_Length;      // integer length: 0 int (also h, hh), 'l', 'q' (ll), 'j', 'z', 't'
};

// True when the conversions of the format are exactly argsP: '*' a field width, 'u' or 'd' one
// integer conversion (either letter matches any integer conversion), 'f' one double conversion.
// "%%" is no conversion; a '*' precision, positional arguments, a width or precision above
// NLS_WIDTH_MAX and every other conversion are refused.
bool nlsCheckFormat(const char* formatP, const char* argsP, nlsFormatCheck* checkP);

// snprintf of a checked integer format with the value passed as the type its length names.
int nlsPrintInteger(char* outP, size_t outSize, const char* formatP, const nlsFormatCheck& check,
                    int width, int64_t value);
