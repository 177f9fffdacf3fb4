// The trace's hex dump: a block of bytes as characters or hex digits, written in one piece.
#include <array>
#include <cctype>
#include <cstdio>
#include <new>

#include "agttrc.h"

namespace {

// Room for the dump of every started group of 16 bytes.
constexpr int kDumpBytesPerGroup = 70;

// EBCDIC letters, digits and the blank to ASCII; every other byte to 0 (shown as ".").
constexpr std::array<char, 256> makeEbcdicTable() {
  std::array<char, 256> table{};
  struct Range {
    int first;
    int last;
    char ascii;
  };
  constexpr Range kRanges[] = {{0x40, 0x40, ' '}, {0x81, 0x89, 'a'}, {0x91, 0x99, 'j'},
                               {0xA2, 0xA9, 's'}, {0xC1, 0xC9, 'A'}, {0xD1, 0xD9, 'J'},
                               {0xE2, 0xE9, 'S'}, {0xF0, 0xF9, '0'}};
  for (const Range& range : kRanges) {
    for (int code = range.first; code <= range.last; code++) {
      table[code] = static_cast<char>(range.ascii + (code - range.first));
    }
  }
  return table;
}
constexpr std::array<char, 256> kEbcdicToAscii = makeEbcdicTable();

char printable(unsigned char byte) {
  return isprint(byte) ? static_cast<char>(byte) : '.';
}

// Appends formatted output at *usedP, cut to the buffer's size.
void append(char* bufferP, size_t size, size_t* usedP, const char* textP) {
  int written = snprintf(bufferP + *usedP, size - *usedP, "%s", textP);
  if (written > 0) *usedP += static_cast<size_t>(written);
  if (*usedP >= size) *usedP = size - 1;
}

void buildDump(const unsigned char* dataP, int length, int mode, char* bufferP, size_t size) {
  size_t used = 0;
  int blanks = 0;
  bufferP[0] = '\0';
  for (int i = 0; i < length && mode >= 0 && mode <= 4; i++) {
    unsigned char byte = dataP[i];
    char piece[8];
    if (mode == 2 || mode == 3) {
      if (mode == 2 && i > 0 && i % 35 == 0) append(bufferP, size, &used, "\n");
      if (mode == 3 && i > 0 && i % 4 == 0) {
        append(bufferP, size, &used, ++blanks % 8 == 0 ? " \n" : " ");
      }
      snprintf(piece, sizeof(piece), "%.2X", byte);
    } else {
      if (i > 0 && i % 70 == 0) append(bufferP, size, &used, "\n");
      char shown = mode == 0 ? kEbcdicToAscii[byte] : static_cast<char>(byte);
      snprintf(piece, sizeof(piece), "%c", printable(static_cast<unsigned char>(shown)));
    }
    append(bufferP, size, &used, piece);
  }
}

}  // namespace

void CTrace::hexDump(const void* dataP, int length, int mode) {
  int groups = length > 0 ? (length + 15) / 16 : 0;
  size_t size = static_cast<size_t>(groups) * kDumpBytesPerGroup + 1;
  char* bufferP = new (std::nothrow) char[size];
  if (bufferP == nullptr) return;
  bool toFile = m_ToFile.load() != 0;
  if (toFile) psMutexLock(m_FileMutex, 0);
  buildDump(static_cast<const unsigned char*>(dataP), length, mode, bufferP, size);
  if (toFile) {
    if (m_TraceFileP != nullptr) fprintf(m_TraceFileP, "%s\n", bufferP);
    psMutexUnlock(m_FileMutex, 0);
  } else {
    fprintf(stdout, "%s\n", bufferP);
  }
  delete[] bufferP;
}
