#include "nlscasemap.h"

#include <cstring>

#include "nlstable.h"

namespace {

constexpr unsigned kKindMask = 0x03;
constexpr unsigned kFirstLetterBit = 2;

size_t bytesForLetters(size_t letters) { return (kFirstLetterBit + letters + 7) / 8; }

// Calls visit(position, letterIndex) for each letter of the name; a character of more than one
// byte is skipped whole.
template <typename Visit>
size_t forEachLetter(char* nameP, Visit visit) {
  const nlsFuncTable* tableP = nlsActiveFuncTable();
  size_t letter = 0;
  for (char* p = nameP; *p != '\0'; p += tableP->m_CharLen(p)) {
    if (tableP->m_CharLen(p) == 1 && tableP->m_IsAlpha(*p)) {
      visit(p, letter++);
    }
  }
  return letter;
}

}  // namespace

size_t nlsCaseMapSize(const char* nameP) {
  size_t letters = forEachLetter(const_cast<char*>(nameP), [](char*, size_t) {});
  return bytesForLetters(letters);
}

int nlsCaseMapEncode(char* nameP, uint8_t* mapP, size_t mapSize, uint16_t* mapLengthP) {
  size_t needed = nlsCaseMapSize(nameP);
  if (mapSize < needed) {
    return -1;
  }
  const nlsFuncTable* tableP = nlsActiveFuncTable();
  memset(mapP, 0, needed);
  size_t lower = 0;
  size_t letters = forEachLetter(nameP, [&](char* p, size_t index) {
    if (!tableP->m_IsLower(*p)) {
      return;
    }
    size_t bit = kFirstLetterBit + index;
    mapP[bit / 8] = static_cast<uint8_t>(mapP[bit / 8] | (1u << (bit % 8)));
    *p = tableP->m_ToUpper(*p);
    ++lower;
  });
  unsigned kind = NLS_CASEMAP_MIXED;
  if (lower == 0) {
    kind = NLS_CASEMAP_UNCHANGED;
  } else if (lower == letters) {
    kind = NLS_CASEMAP_LOWER;
  }
  mapP[0] = static_cast<uint8_t>((mapP[0] & ~kKindMask) | kind);
  *mapLengthP = static_cast<uint16_t>(kind == NLS_CASEMAP_MIXED ? needed : 1);
  return 0;
}

void nlsCaseMapDecode(char* nameP, const uint8_t* mapP) {
  const nlsFuncTable* tableP = nlsActiveFuncTable();
  unsigned kind = mapP[0] & kKindMask;
  if (kind == NLS_CASEMAP_LOWER) {
    tableP->m_StrLwr(nameP);
    return;
  }
  if (kind != NLS_CASEMAP_MIXED) {
    return;
  }
  forEachLetter(nameP, [&](char* p, size_t index) {
    size_t bit = kFirstLetterBit + index;
    if (mapP[bit / 8] & (1u << (bit % 8))) {
      *p = tableP->m_ToLower(*p);
    }
  });
}
