// Conversion between the engine's narrow text (UTF-8 here, the process's ANSI code page) and
// the wide text (UTF-16) of the COM object model, with the platform's failure reporting: a
// conversion that fails returns 0 and leaves its reason for sqlGetLastError. Conversions are
// strict: a malformed sequence fails instead of being replaced, so no name is silently changed.
// Any thread; the last error is the calling thread's own.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr uint32_t SQL_ERROR_INSUFFICIENT_BUFFER = 122;
constexpr uint32_t SQL_ERROR_NO_UNICODE_TRANSLATION = 1113;

// Converts the text and its terminator into at most destChars wide characters. Returns the
// characters written, terminator included, or 0 with the last error set.
int sqlNarrowToWide(const char* srcP, char16_t* destP, size_t destChars);
// Converts the text and its terminator into at most destBytes bytes; as sqlNarrowToWide.
int sqlWideToNarrow(const char16_t* srcP, char* destP, size_t destBytes);

// Wide characters the narrow text needs without its terminator; -1 when it is malformed.
long sqlWideLengthOf(const char* srcP);
// Bytes the wide text needs without its terminator; -1 when it is malformed.
long sqlNarrowLengthOf(const char16_t* srcP);
// Wide characters before the terminator.
size_t sqlWideLen(const char16_t* srcP);
// Bytes of the longest head of the narrow text with at most maxChars characters in at most
// maxBytes bytes; a character is never split (a malformed byte counts as one character).
size_t sqlNarrowHeadBytes(const char* srcP, size_t maxChars, size_t maxBytes);

// For traces and texts: the wide text as narrow text cut to the buffer, malformed characters
// shown as '?'. A null text gives an empty one. Returns the buffer.
char* sqlWideToText(const char16_t* srcP, char* destP, size_t destBytes);

uint32_t sqlGetLastError();
void sqlSetLastError(uint32_t error);
// The system's text of an error number, or null when it has none.
const char* sqlSystemErrorText(uint32_t error);
