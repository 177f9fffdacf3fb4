#include "nlscodepage.h"

#include <langinfo.h>

#include <array>
#include <atomic>
#include <cstring>

#include "nlstable.h"

namespace {

constexpr char16_t kNone = 0xFFFF;
typedef std::array<char16_t, 256> CodePageTable;

// Upper halves (bytes 128 to 255) of the two PC code pages; 437 maps 0xE6 to U+03BC.
constexpr char16_t kPc437High[128] = {
    0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x00E5, 0x00E7,  // 0x80
    0x00EA, 0x00EB, 0x00E8, 0x00EF, 0x00EE, 0x00EC, 0x00C4, 0x00C5,
    0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2, 0x00FB, 0x00F9,  // 0x90
    0x00FF, 0x00D6, 0x00DC, 0x00A2, 0x00A3, 0x00A5, 0x20A7, 0x0192,
    0x00E1, 0x00ED, 0x00F3, 0x00FA, 0x00F1, 0x00D1, 0x00AA, 0x00BA,  // 0xA0
    0x00BF, 0x2310, 0x00AC, 0x00BD, 0x00BC, 0x00A1, 0x00AB, 0x00BB,
    0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x2561, 0x2562, 0x2556,  // 0xB0
    0x2555, 0x2563, 0x2551, 0x2557, 0x255D, 0x255C, 0x255B, 0x2510,
    0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F,  // 0xC0
    0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x2567,
    0x2568, 0x2564, 0x2565, 0x2559, 0x2558, 0x2552, 0x2553, 0x256B,  // 0xD0
    0x256A, 0x2518, 0x250C, 0x2588, 0x2584, 0x258C, 0x2590, 0x2580,
    0x03B1, 0x00DF, 0x0393, 0x03C0, 0x03A3, 0x03C3, 0x03BC, 0x03C4,  // 0xE0
    0x03A6, 0x0398, 0x03A9, 0x03B4, 0x221E, 0x03C6, 0x03B5, 0x2229,
    0x2261, 0x00B1, 0x2265, 0x2264, 0x2320, 0x2321, 0x00F7, 0x2248,  // 0xF0
    0x00B0, 0x2219, 0x00B7, 0x221A, 0x207F, 0x00B2, 0x25A0, 0x00A0,
};

constexpr char16_t kPc850High[128] = {
    0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x00E5, 0x00E7,  // 0x80
    0x00EA, 0x00EB, 0x00E8, 0x00EF, 0x00EE, 0x00EC, 0x00C4, 0x00C5,
    0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2, 0x00FB, 0x00F9,  // 0x90
    0x00FF, 0x00D6, 0x00DC, 0x00F8, 0x00A3, 0x00D8, 0x00D7, 0x0192,
    0x00E1, 0x00ED, 0x00F3, 0x00FA, 0x00F1, 0x00D1, 0x00AA, 0x00BA,  // 0xA0
    0x00BF, 0x00AE, 0x00AC, 0x00BD, 0x00BC, 0x00A1, 0x00AB, 0x00BB,
    0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x00C1, 0x00C2, 0x00C0,  // 0xB0
    0x00A9, 0x2563, 0x2551, 0x2557, 0x255D, 0x00A2, 0x00A5, 0x2510,
    0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x00E3, 0x00C3,  // 0xC0
    0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x00A4,
    0x00F0, 0x00D0, 0x00CA, 0x00CB, 0x00C8, 0x0131, 0x00CD, 0x00CE,  // 0xD0
    0x00CF, 0x2518, 0x250C, 0x2588, 0x2584, 0x00A6, 0x00CC, 0x2580,
    0x00D3, 0x00DF, 0x00D4, 0x00D2, 0x00F5, 0x00D5, 0x00B5, 0x00FE,  // 0xE0
    0x00DE, 0x00DA, 0x00DB, 0x00D9, 0x00FD, 0x00DD, 0x00AF, 0x00B4,
    0x00AD, 0x00B1, 0x2017, 0x00BE, 0x00B6, 0x00A7, 0x00F7, 0x00B8,  // 0xF0
    0x00B0, 0x00A8, 0x00B7, 0x00B9, 0x00B3, 0x00B2, 0x25A0, 0x00A0,
};

// Every table maps bytes 0-31 and 127 to no character and 32-126 to themselves; the pages
// differ in the upper half. highP null: the byte itself from firstMapped on, none below it.
constexpr CodePageTable makeTable(const char16_t* highP, int firstMapped) {
  CodePageTable t{};
  for (int b = 0; b < 256; ++b) {
    if (b < 32 || b == 127) {
      t[b] = kNone;
    } else if (b < 128) {
      t[b] = static_cast<char16_t>(b);
    } else if (highP != nullptr) {
      t[b] = highP[b - 128];
    } else {
      t[b] = b >= firstMapped ? static_cast<char16_t>(b) : kNone;
    }
  }
  return t;
}

constexpr CodePageTable kUsAscii = makeTable(nullptr, 256);
constexpr CodePageTable kIso8859_1 = makeTable(nullptr, 160);
constexpr CodePageTable kPc437 = makeTable(kPc437High, 0);
constexpr CodePageTable kPc850 = makeTable(kPc850High, 0);

const CodePageTable* tableOf(uint32_t codePage) {
  switch (codePage) {
    case NLS_CP_US_ASCII:
      return &kUsAscii;
    case NLS_CP_PC437:
      return &kPc437;
    case NLS_CP_ISO8859_1:
      return &kIso8859_1;
    case NLS_CP_PC850:
      return &kPc850;
    default:
      return nullptr;
  }
}

// The byte of a code page for one UCS-2 value, or -1 when the page has none.
int byteFor(uint32_t codePage, const CodePageTable& table, char16_t value) {
  if (value == kNone || value < 32 || value == 127) {
    return -1;
  }
  if (value < 128) {
    return value;
  }
  if (codePage == NLS_CP_US_ASCII) {
    return -1;
  }
  if (codePage == NLS_CP_ISO8859_1) {
    return value >= 160 && value <= 255 ? value : -1;
  }
  for (int b = 128; b < 256; ++b) {
    if (table[b] == value) {
      return b;
    }
  }
  return -1;
}

// Converts text in place between two code pages, byte for byte. Bytes below 128 (line ends
// included) are the same in every page; a character the target lacks becomes '?'. Text in a page
// without a table, or between equal pages, is left as it is.
void convertInPlace(uint32_t fromPage, uint32_t toPage, char* textP) {
  const CodePageTable* fromP = tableOf(fromPage);
  const CodePageTable* toP = tableOf(toPage);
  if (fromPage == toPage || fromP == nullptr || toP == nullptr) {
    return;
  }
  for (char* p = textP; *p != '\0'; ++p) {
    unsigned char byte = static_cast<unsigned char>(*p);
    if (byte < 128) {
      continue;
    }
    int mapped = byteFor(toPage, *toP, (*fromP)[byte]);
    *p = mapped < 0 ? '?' : static_cast<char>(mapped);
  }
}

nlsCodePages s_CodePages = {NLS_CP_UTF8, NLS_CP_UTF8};

const int32_t kFlagOff = 0;
std::atomic<const int32_t*> s_FileConversionP{&kFlagOff};
std::atomic<const int32_t*> s_ConsoleConversionP{&kFlagOff};

constexpr int kLineBufferSize = 1024;
constexpr int kCopyLineSize = 512;

struct CharsetPage {
  const char* charset;
  uint32_t codePage;
};
constexpr CharsetPage kCharsetPages[] = {
    {"ANSI_X3.4-1968", NLS_CP_US_ASCII}, {"ISO-8859-1", NLS_CP_ISO8859_1},
    {"IBM437", NLS_CP_PC437},           {"IBM850", NLS_CP_PC850},
};

uint32_t codePageOfLocale() {
  const char* charsetP = nl_langinfo(CODESET);
  for (const CharsetPage& entry : kCharsetPages) {
    if (strcmp(entry.charset, charsetP) == 0) {
      return entry.codePage;
    }
  }
  return NLS_CP_UTF8;
}

}  // namespace

nlsCodePages* nlsGetCodePages() { return &s_CodePages; }

uint32_t psChooseOemCodePage(uint32_t ansiCodePage, uint32_t oemCodePage) {
  if (oemCodePage == ansiCodePage || oemCodePage == NLS_CP_PC850) {
    return oemCodePage;
  }
  return NLS_CP_PC850;
}

int psInitCodePages() {
  uint32_t page = codePageOfLocale();
  s_CodePages.m_AnsiCodePage = page;
  s_CodePages.m_OemCodePage = psChooseOemCodePage(page, page);
  return NLS_CODESET_SINGLE_BYTE;
}

void nlsBindConversionFlags(const int32_t* fileConversionP, const int32_t* consoleConversionP) {
  s_FileConversionP.store(fileConversionP != nullptr ? fileConversionP : &kFlagOff);
  s_ConsoleConversionP.store(consoleConversionP != nullptr ? consoleConversionP : &kFlagOff);
}

int nlsFputs(char* textP, FILE* streamP) {
  bool console = streamP == stdout || streamP == stderr;
  const int32_t* flagP = console ? s_ConsoleConversionP.load() : s_FileConversionP.load();
  if (*flagP == 1) {
    convertInPlace(s_CodePages.m_AnsiCodePage, s_CodePages.m_OemCodePage, textP);
  }
  return fputs(textP, streamP);
}

char* nlsFgets(char* bufferP, int size, FILE* streamP) {
  if (size < 1) {
    return nullptr;
  }
  if (fgets(bufferP, size < kLineBufferSize ? size : kLineBufferSize, streamP) == nullptr) {
    return nullptr;
  }
  convertInPlace(s_CodePages.m_OemCodePage, s_CodePages.m_AnsiCodePage, bufferP);
  return bufferP;
}

int copyNlsTextFile(const char* sourcePathP, const char* destPathP) {
  FILE* sourceP = fopen(sourcePathP, "r");
  if (sourceP == nullptr) {
    return 0;
  }
  FILE* destP = fopen(destPathP, "w");
  if (destP == nullptr) {
    fclose(sourceP);
    return 0;
  }
  char line[kCopyLineSize];
  while (nlsFgets(line, kCopyLineSize, sourceP) != nullptr) {
    nlsFputs(line, destP);
  }
  fflush(destP);
  fclose(destP);
  fclose(sourceP);
  return 1;
}

void nlsConvertOemToAnsi(char* textP) {
  convertInPlace(s_CodePages.m_OemCodePage, s_CodePages.m_AnsiCodePage, textP);
}

int nlsCodePageToUcs2(uint32_t codePage, const uint8_t* bytesP, size_t byteCount,
                      char16_t* outputP, size_t outputSize, size_t* outByteCountP) {
  *outByteCountP = 0;
  const CodePageTable* tableP = tableOf(codePage);
  if (tableP == nullptr) {
    return NLS_CP_UNSUPPORTED;
  }
  for (size_t i = 0; i < byteCount; ++i) {
    char16_t value = (*tableP)[bytesP[i]];
    if (value == kNone) {
      return NLS_CP_NO_MAPPING;
    }
    if (*outByteCountP + 2 > outputSize) {
      return NLS_CP_OUTPUT_FULL;
    }
    outputP[i] = value;
    *outByteCountP += 2;
  }
  return NLS_CP_OK;
}

int nlsUcs2ToCodePage(uint32_t codePage, const char16_t* ucs2P, size_t ucs2Size, uint8_t* outputP,
                      size_t outputSize, size_t* outCharCountP) {
  *outCharCountP = 0;
  const CodePageTable* tableP = tableOf(codePage);
  if (tableP == nullptr) {
    return NLS_CP_UNSUPPORTED;
  }
  if (outputSize < 1) {
    return NLS_CP_OUTPUT_FULL;
  }
  outputP[0] = 0;
  for (size_t i = 0; i < ucs2Size / 2; ++i) {
    int byte = byteFor(codePage, *tableP, ucs2P[i]);
    if (byte < 0) {
      return NLS_CP_NO_MAPPING;
    }
    if (*outCharCountP + 1 >= outputSize) {
      return NLS_CP_OUTPUT_FULL;
    }
    outputP[i] = static_cast<uint8_t>(byte);
    outputP[i + 1] = 0;
    ++*outCharCountP;
  }
  return NLS_CP_OK;
}
