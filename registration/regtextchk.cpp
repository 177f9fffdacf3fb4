#include "regtextchk.h"

#include <cwchar>
#include <cwctype>
#include <functional>

namespace {

struct TextChar {
  std::size_t position;
  bool multiByte;
  wint_t code;  // the decoded character; WEOF for a byte that does not decode
};

// Calls visit for each character until it returns true; true when one did.
bool anyChar(std::string_view text, const std::function<bool(const TextChar&)>& visit) {
  std::mbstate_t state{};
  for (std::size_t i = 0; i < text.size();) {
    wchar_t wide = 0;
    std::size_t length = std::mbrtowc(&wide, text.data() + i, text.size() - i, &state);
    TextChar c{i, false, static_cast<wint_t>(wide)};
    if (length == static_cast<std::size_t>(-1) || length == static_cast<std::size_t>(-2)) {
      state = std::mbstate_t{};
      c.code = WEOF;
      length = 1;
    }
    if (length == 0) length = 1;  // an embedded zero byte
    c.multiByte = length > 1;
    if (visit(c)) return true;
    i += length;
  }
  return false;
}

bool isSingle(const TextChar& c, wchar_t wanted) {
  return !c.multiByte && c.code == wint_t(wanted);
}
bool isLetter(const TextChar& c) {
  return !c.multiByte && c.code != WEOF && std::iswalpha(c.code);
}
bool isDigit(const TextChar& c) {
  return !c.multiByte && c.code != WEOF && std::iswdigit(c.code);
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
  bool at = anyChar(text, [](const TextChar& c) { return isSingle(c, L'@'); });
  bool dot = anyChar(text, [](const TextChar& c) { return isSingle(c, L'.'); });
  bool blank = anyChar(text, [](const TextChar& c) { return isSingle(c, L' '); });
  return at && dot && !blank;
}

int firstBadLetter(std::string_view text) {
  return anyChar(text, [](const TextChar& c) { return !isLetter(c); }) ? -1 : 1;
}

int findPipeOrBackslash(std::string_view text) {
  return positionOf(text,
                    [](const TextChar& c) { return isSingle(c, L'|') || isSingle(c, L'\\'); });
}

int firstDigit(std::string_view text) {
  int position = positionOf(text, isDigit);
  return position < 0 ? -1 : position + 1;
}

bool hasLetter(std::string_view text) {
  return anyChar(text, [](const TextChar& c) { return c.multiByte || isLetter(c); });
}
