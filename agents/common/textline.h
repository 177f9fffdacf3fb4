// A text file kept in memory as a list of lines addressed by 0-based number.
//
// The preferences store keeps its configuration file in one of these: it loads the file, looks
// keywords up line by line, replaces, appends and removes lines, and stores the list back.
// Index access walks on from a cached cursor (the line last reached by number) when the line
// asked for lies at or after it, so a loop over all line numbers costs one step a line.
//
// Ownership: the list owns its lines, each line owns its text. Concurrency: none; a list belongs
// to one object used by one thread at a time.
#pragma once

#include <cstdint>

class CTextLine {
 public:
  // Copies the text; a null text is kept as an empty one. When the copy cannot be allocated the
  // line keeps no text (null), which store writes as an empty line.
  explicit CTextLine(const char* textP);
  ~CTextLine();
  CTextLine(const CTextLine&) = delete;
  CTextLine& operator=(const CTextLine&) = delete;

  // Frees the old text and keeps a copy of the new one, as the constructor does.
  void setText(const char* textP);

  char* m_pText;
  CTextLine* m_pNext;
};

class CTextLineList {
 public:
  CTextLineList();
  // An empty list, then load of the file.
  explicit CTextLineList(const char* fileNameP);
  ~CTextLineList();
  CTextLineList(const CTextLineList&) = delete;
  CTextLineList& operator=(const CTextLineList&) = delete;

  void removeAll();
  // Appends a copy of the text; nothing changes when the line cannot be allocated.
  void addLine(const char* textP);
  int32_t getCount() const { return m_Count; }
  // The text of line n, or null when n is out of range (the cursor then stays).
  const char* getLine(int32_t n);
  // Replaces the text of line n; nothing when n is out of range.
  void setLine(int32_t n, const char* textP);
  // Deletes line n; nothing when n is out of range.
  void removeLine(int32_t n);
  // Inserts the text as line n: at the head for 0 or an empty list, at the end when the list
  // has fewer than n lines; nothing for a negative n.
  void insertLine(int32_t n, const char* textP);
  void resetCursor();
  void setCursor(CTextLine* lineP, int32_t n);
  // Writes the count and every line, numbered, to the standard error stream.
  void dump() const;

  // Appends the lines of a text file, whole lines of any length, without their end-of-line
  // characters. A file that cannot be opened is traced (CONFIG) and leaves the list as it was.
  void load(const char* fileNameP);
  // Writes every line followed by a new line. The file is replaced only once every line has
  // been written: a failure leaves the previous file whole. 0, 406 (no name, cannot create the
  // file) or 411 (a write failed).
  int store(const char* fileNameP);

 private:
  CTextLine* lineAt(int32_t n);

  CTextLine* m_pHead;
  CTextLine* m_pTail;
  CTextLine* m_pCursor;
  int32_t m_Count;
  int32_t m_CursorIndex;  // invariant: when >= 0, m_pCursor is the line with this number
};
