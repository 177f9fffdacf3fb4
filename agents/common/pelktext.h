// Text copies into the interface wrapper's fixed fields: a value that does not fit is refused,
// never cut, so no session is ever opened with a shortened node name or password.
#pragma once

#include <cstddef>
#include <cstring>

// Copies srcP (null: empty) with its terminator into destP of destSize bytes; destP and srcP may
// be the same field. False, with an empty field, when the text is longer than destSize - 1.
inline bool pelkCopyText(char* destP, size_t destSize, const char* srcP) {
  if (destSize == 0) {
    return false;
  }
  size_t length = srcP != nullptr ? std::strlen(srcP) : 0;
  if (length >= destSize) {
    destP[0] = '\0';
    return false;
  }
  if (length > 0) {
    std::memmove(destP, srcP, length);
  }
  destP[length] = '\0';
  return true;
}
