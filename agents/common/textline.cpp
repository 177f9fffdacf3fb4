// The lines of a text-line list and the list's index access through its cursor.
#include "textline.h"

#include <cstdio>
#include <new>

#include "agtmem.h"
#include "nlstable.h"

namespace {

// A copy of the text (empty for null) in a block of its length plus one; null when memory runs
// out.
char* copyText(const char* textP) {
  const nlsFuncTable* tableP = nlsActiveFuncTable();
  if (textP == nullptr) textP = "";
  size_t length = tableP->m_StrLen(textP);
  char* copyP = static_cast<char*>(MALLOC(static_cast<uint32_t>(length + 1)));
  if (copyP == nullptr) return nullptr;
  tableP->m_StrCpy(copyP, textP);
  return copyP;
}

}  // namespace

CTextLine::CTextLine(const char* textP) : m_pText(copyText(textP)), m_pNext(nullptr) {}

CTextLine::~CTextLine() {
  if (m_pText != nullptr) FREE(&m_pText);
  m_pNext = nullptr;
}

void CTextLine::setText(const char* textP) {
  if (m_pText != nullptr) FREE(&m_pText);
  m_pText = copyText(textP);
}

CTextLineList::CTextLineList()
    : m_pHead(nullptr), m_pTail(nullptr), m_pCursor(nullptr), m_Count(0), m_CursorIndex(-1) {}

CTextLineList::CTextLineList(const char* fileNameP) : CTextLineList() { load(fileNameP); }

CTextLineList::~CTextLineList() { removeAll(); }

void CTextLineList::removeAll() {
  while (m_pHead != nullptr) {
    CTextLine* nextP = m_pHead->m_pNext;
    delete m_pHead;
    m_pHead = nextP;
  }
  m_pTail = nullptr;
  m_Count = 0;
  resetCursor();
}

void CTextLineList::addLine(const char* textP) {
  CTextLine* lineP = new (std::nothrow) CTextLine(textP);
  if (lineP == nullptr) return;
  if (m_pTail == nullptr) {
    m_pHead = lineP;
  } else {
    m_pTail->m_pNext = lineP;
  }
  m_pTail = lineP;
  m_Count++;
  resetCursor();
}

CTextLine* CTextLineList::lineAt(int32_t n) {
  CTextLine* lineP = m_pHead;
  int32_t index = 0;
  if (m_CursorIndex >= 0 && m_CursorIndex <= n) {
    lineP = m_pCursor;
    index = m_CursorIndex;
  }
  for (; index < n; index++) lineP = lineP->m_pNext;
  setCursor(lineP, n);
  return lineP;
}

const char* CTextLineList::getLine(int32_t n) {
  if (n < 0 || n >= m_Count) return nullptr;
  return lineAt(n)->m_pText;
}

void CTextLineList::setLine(int32_t n, const char* textP) {
  if (n < 0 || n >= m_Count) return;
  lineAt(n)->setText(textP);
}

void CTextLineList::removeLine(int32_t n) {
  if (n < 0 || n >= m_Count) return;
  resetCursor();
  CTextLine* previousP = nullptr;
  CTextLine* lineP = m_pHead;
  for (int32_t index = 0; index < n; index++) {
    previousP = lineP;
    lineP = lineP->m_pNext;
  }
  if (previousP == nullptr) {
    m_pHead = lineP->m_pNext;
  } else {
    previousP->m_pNext = lineP->m_pNext;
  }
  if (lineP == m_pTail) m_pTail = previousP;
  delete lineP;
  m_Count--;
}

void CTextLineList::insertLine(int32_t n, const char* textP) {
  if (n < 0) return;
  CTextLine* lineP = new (std::nothrow) CTextLine(textP);
  if (lineP == nullptr) return;
  resetCursor();
  if (n == 0 || m_pHead == nullptr) {
    lineP->m_pNext = m_pHead;
    m_pHead = lineP;
  } else {
    // The line after which the new one goes: line n - 1, or the tail of a shorter list.
    CTextLine* previousP = m_pHead;
    for (int32_t index = 1; index < n && previousP->m_pNext != nullptr; index++) {
      previousP = previousP->m_pNext;
    }
    lineP->m_pNext = previousP->m_pNext;
    previousP->m_pNext = lineP;
  }
  if (lineP->m_pNext == nullptr) m_pTail = lineP;
  m_Count++;
}

void CTextLineList::resetCursor() { setCursor(nullptr, -1); }

void CTextLineList::setCursor(CTextLine* lineP, int32_t n) {
  m_pCursor = lineP;
  m_CursorIndex = n;
}

void CTextLineList::dump() const {
  fprintf(stderr, "Number of lines = %d\n", m_Count);
  int32_t index = 0;
  for (const CTextLine* lineP = m_pHead; lineP != nullptr; lineP = lineP->m_pNext, index++) {
    if (lineP->m_pText == nullptr) {
      fprintf(stderr, "%6d:(NULL)\n", index);
    } else {
      fprintf(stderr, "%6d:<%s>\n", index, lineP->m_pText);
    }
  }
}
