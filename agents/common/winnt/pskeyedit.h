// The one-line editor behind the hidden password entry: keys in, text and the terminal echo
// out. Kept apart from the terminal so that every key's effect can be checked on its own.
#pragma once

#include <string>

// Key codes as the console reports them: plain characters as they are, extended keys as 128 +
// their scan code.
enum psKey {
  PS_KEY_BACKSPACE = 8,
  PS_KEY_ENTER = 13,
  PS_KEY_LEFT = 128 + 75,
  PS_KEY_RIGHT = 128 + 77,
  PS_KEY_INSERT = 128 + 82,
  PS_KEY_DELETE = 128 + 83,
};

constexpr int PS_PASSWORD_MAX_KEYS = 64;  // the entry ends by itself once this many are held

class CPsKeyEditor {
 public:
  // Holds at most `capacity` characters (the buffer's size less the terminator).
  explicit CPsKeyEditor(int capacity) : m_Capacity(capacity) {}

  // Applies one key and appends what the terminal must show to *echoP: '*' for each character,
  // backspaces to move left. Returns true when the entry is complete.
  bool apply(int key, std::string* echoP);
  const std::string& text() const { return m_Text; }

 private:
  void deleteAt(size_t position, std::string* echoP);
  void store(char ch, std::string* echoP);

  int m_Capacity;
  std::string m_Text;
  size_t m_Cursor = 0;
  bool m_InsertMode = false;  // the entry starts in overwrite mode
};
