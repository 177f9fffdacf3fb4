#include "pskeyedit.h"

namespace {

// Shows the text from the cursor on as stars, blanks `extra` places behind it and moves the
// terminal's cursor back to `back` places before the end of what was written.
void redrawRest(size_t starCount, size_t extra, size_t back, std::string* echoP) {
  echoP->append(starCount, '*');
  echoP->append(extra, ' ');
  echoP->append(back, '\b');
}

bool isPrintable(int key) { return key >= 32 && key < 127; }

}  // namespace

void CPsKeyEditor::deleteAt(size_t position, std::string* echoP) {
  m_Text.erase(position, 1);
  size_t rest = m_Text.size() - m_Cursor;
  redrawRest(rest, 1, rest + 1, echoP);
}

void CPsKeyEditor::store(char ch, std::string* echoP) {
  bool atEnd = m_Cursor == m_Text.size();
  bool full = m_Text.size() >= size_t(m_Capacity);
  if (!m_InsertMode && !atEnd) {
    m_Text[m_Cursor++] = ch;
    echoP->push_back('*');
    return;
  }
  if (full) return;
  m_Text.insert(m_Cursor++, 1, ch);
  size_t rest = m_Text.size() - m_Cursor;
  redrawRest(rest + 1, 0, rest, echoP);
}

bool CPsKeyEditor::apply(int key, std::string* echoP) {
  switch (key) {
    case PS_KEY_ENTER:
      return true;
    case PS_KEY_BACKSPACE:
      if (m_Cursor == 0) break;
      m_Cursor--;
      echoP->push_back('\b');
      deleteAt(m_Cursor, echoP);
      break;
    case PS_KEY_DELETE:
      if (m_Cursor < m_Text.size()) deleteAt(m_Cursor, echoP);
      break;
    case PS_KEY_LEFT:
      if (m_Cursor == 0) break;
      m_Cursor--;
      echoP->push_back('\b');
      break;
    case PS_KEY_RIGHT:
      if (m_Cursor == m_Text.size()) break;
      m_Cursor++;
      echoP->push_back('*');
      break;
    case PS_KEY_INSERT:
      m_InsertMode = !m_InsertMode;
      break;
    default:
      if (isPrintable(key)) store(char(key), echoP);
  }
  return m_Text.size() >= size_t(PS_PASSWORD_MAX_KEYS);
}
