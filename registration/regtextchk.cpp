#include "regtextchk.h"

#include <functional>

namespace {

struct TextChar {
  std::size_t position;
  bool multiByte;
  unsigned char byte;  // a single-byte character's byte
};

bool isContinuation(unsigned char byte) {
  return (byte & 0xC0) == 0x80;
}

// The length of the UTF-8 sequence at the start of text: 2 to 4 for a whole, well-formed
// multi-byte character (no over-long form, no surrogate, nothing past U+10FFFF), else 1.
std::size_t sequenceLength(std::string_view text) {
  auto lead = static_cast<unsigned char>(text[0]);
  std::size_t length = lead >= 0xC2 && lead <= 0xDF   ? 2
                       : lead >= 0xE0 && lead <= 0xEF ? 3
                       : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                      : 1;
  if (length == 1 || text.size() < length) return 1;
  auto second = static_cast<unsigned char>(text[1]);
  if ((lead == 0xE0 && second < 0xA0) || (lead == 0xED && second > 0x9F) ||
      (lead == 0xF0 && second < 0x90) || (lead == 0xF4 && second > 0x8F)) {
    return 1;
  }
  for (std::size_t i = 1; i < length; ++i) {
    if (!isContinuation(static_cast<unsigned char>(text[i]))) return 1;
  }
  return length;
}

// Calls visit for each character until it returns true; true when one did.
bool anyChar(std::string_view text, const std::function<bool(const TextChar&)>& visit) {
  for (std::size_t i = 0; i < text.size();) {
    std::size_t length = sequenceLength(text.substr(i));
    TextChar c{i, length > 1, static_cast<unsigned char>(text[i])};
    if (visit(c)) return true;
    i += length;
  }
  return false;
}

bool isSingle(const TextChar& c, char wanted) {
  return !c.multiByte && c.byte == static_cast<unsigned char>(wanted);
}
bool isLetter(const TextChar& c) {
  return !c.multiByte && ((c.byte >= 'A' && c.byte <= 'Z') || (c.byte >= 'a' && c.byte <= 'z'));
}
bool isDigit(const TextChar& c) {
  return !c.multiByte && c.byte >= '0' && c.byte <= '9';
}
bool isLetterOrDigit(const TextChar& c) {
  return c.multiByte || isLetter(c) || isDigit(c);
}

int positionOf(std::string_view text, const std::function<bool(const TextChar&)>& wanted) {
  int position = -1;
  anyChar(text, [&](const TextChar& c) {
    if (!wanted(c)) return false;
    position = static_cast<int>(c.position);
    return true;
  });
  return position;
}

}  // namespace

bool isEmailLike(std::string_view text) {
  if (text.empty()) return true;
  bool at = anyChar(text, [](const TextChar& c) { return isSingle(c, '@'); });
  bool dot = anyChar(text, [](const TextChar& c) { return isSingle(c, '.'); });
  bool blank = anyChar(text, [](const TextChar& c) { return isSingle(c, ' '); });
  return at && dot && !blank;
}

int firstBadLetter(std::string_view text) {
  return anyChar(text, [](const TextChar& c) { return !isLetter(c); }) ? -1 : 1;
}

int findPipeOrBackslash(std::string_view text) {
  return positionOf(text, [](const TextChar& c) { return isSingle(c, '|') || isSingle(c, '\\'); });
}

int firstDigit(std::string_view text) {
  int position = positionOf(text, isDigit);
  return position < 0 ? -1 : position + 1;
}

bool hasLetter(std::string_view text) {
  return anyChar(text, [](const TextChar& c) { return c.multiByte || isLetter(c); });
}

int letterOrDigitCount(std::string_view text) {
  int count = 0;
  anyChar(text, [&](const TextChar& c) {
    count += isLetterOrDigit(c) ? 1 : 0;
    return false;
  });
  return count;
}

bool onlyLettersDigitsOr(std::string_view text, std::string_view others) {
  return !anyChar(text, [&](const TextChar& c) {
    return !isLetterOrDigit(c) && others.find(static_cast<char>(c.byte)) == std::string_view::npos;
  });
}
