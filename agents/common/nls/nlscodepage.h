// Code pages: the ANSI and console (OEM) code pages of the process, the console and file text
// conversion between them, and four single-byte code pages to and from UCS-2.
//
// Narrow text is UTF-8 here, and both recorded code pages come from the one locale, so they are
// equal and the console conversions leave text as it is; they keep their line and buffer bounds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

enum {
  NLS_CP_US_ASCII = 367,
  NLS_CP_PC437 = 437,
  NLS_CP_ISO8859_1 = 819,
  NLS_CP_PC850 = 850,
  NLS_CP_UTF8 = 65001,
};

// Results of the UCS-2 conversions.
enum {
  NLS_CP_OK = 0,
  NLS_CP_UNSUPPORTED = -1,  // not one of the four code pages
  NLS_CP_NO_MAPPING = -2,   // a character without a mapping
  NLS_CP_OUTPUT_FULL = -3,  // the output cannot hold the converted text
};

// The code-page state: written by psInitCodePages at start-up, read afterwards.
struct nlsCodePages {
  uint32_t m_AnsiCodePage;
  uint32_t m_OemCodePage;
};
nlsCodePages* nlsGetCodePages();

// Records the code pages of the locale that is set (the caller set it from the environment):
// the ANSI page from the locale's character set, the console page the same, replaced by 850
// unless it equals the ANSI page or is 850 already. Returns 1, the single-byte code-set class.
int psInitCodePages();

// The console page rule on its own: oem, unless it is neither ansi nor 850, then 850.
uint32_t psChooseOemCodePage(uint32_t ansiCodePage, uint32_t oemCodePage);

// Where nlsFputs finds its two switches. The national-language state owns the words and points
// these at them when it is set up; until then (or after a null) both read 0.
void nlsBindConversionFlags(const int32_t* fileConversionP, const int32_t* consoleConversionP);

// fputs; when the stream is standard output or error and the console switch is 1, or another
// stream and the file switch is 1, the text is first converted in place from the ANSI to the
// console page. Returns the result of fputs.
int nlsFputs(char* textP, FILE* streamP);

// fgets of one line of at most min(size, 1024) - 1 bytes, converted from the console to the ANSI
// page. Returns the buffer, or null at end of file, on error, or for a size below 1.
char* nlsFgets(char* bufferP, int size, FILE* streamP);

// Copies a text file line by line through nlsFgets and nlsFputs. 1 on success, 0 when either file
// cannot be opened.
int copyNlsTextFile(const char* sourcePathP, const char* destPathP);

// Converts the text in place from the console to the ANSI page when the two differ.
void nlsConvertOemToAnsi(char* textP);

// Bytes of a code page to UCS-2: outputSize is in bytes; outByteCount gets 2 per character.
// 0, or one of the refusals above (nothing further is converted after a refusal).
int nlsCodePageToUcs2(uint32_t codePage, const uint8_t* bytesP, size_t byteCount,
                      char16_t* outputP, size_t outputSize, size_t* outByteCountP);

// UCS-2 to a code page: ucs2Size is in bytes; the output is zero-terminated and outCharCount
// counts the characters before the terminator. 0, or one of the refusals above.
int nlsUcs2ToCodePage(uint32_t codePage, const char16_t* ucs2P, size_t ucs2Size, uint8_t* outputP,
                      size_t outputSize, size_t* outCharCountP);
