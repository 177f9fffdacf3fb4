// A keyword/value store over the lines of a text file (the configuration file).
//
// An entry line is the keyword, then blanks or an "=" (or both), then the value. Keywords are
// compared without regard to case and match only whole: "BUFFers" does not match a line that
// begins with "BUFFERSIze". Lines that match no keyword stay untouched. When several lines
// match, the last one wins and is the one a set replaces; a new keyword is appended at the end.
//
// Keys are passed as the keyword followed by one blank. Every operation that takes a key
// returns 0 at once when the key is null. Ownership: the store owns its lines and its copy of
// the file name. Concurrency: one thread at a time per store; storeValue is the one operation
// that is safe against other stores and processes writing the same file.
#pragma once

#include <cstddef>

class CTextLineList;

constexpr size_t BASEDATA_MAX_LINE = 500;  // key and value together, for setValue

class BaseDataClass {
 public:
  // With a name: keeps a copy and reads the file's lines (a missing file gives an empty store).
  // Without: an empty store.
  explicit BaseDataClass(const char* fileNameP = nullptr);
  ~BaseDataClass();
  BaseDataClass(const BaseDataClass&) = delete;
  BaseDataClass& operator=(const BaseDataClass&) = delete;

  // Copies the key's value into textP (textSize bytes, cut to fit). 1, or 0 when the key is
  // absent (textP untouched).
  int getValue(const char* keyP, char* textP, size_t textSize);
  // The value when present and not empty, else the default. 1 (0 only for a null key).
  int getValue(const char* keyP, char* textP, size_t textSize, const char* defaultP);
  // The value read as a decimal integer. 1, or 0 when absent (*numberP untouched).
  int getInt(const char* keyP, int* numberP);
  // As above; the default when absent (then 0).
  int getInt(const char* keyP, int* numberP, int defaultValue);
  // As above, and a value outside minimum..maximum becomes the nearer limit.
  int getInt(const char* keyP, int* numberP, int defaultValue, int minimum, int maximum);
  // The value read as a floating-point number. 1, or 0 when absent.
  int getDouble(const char* keyP, double* numberP);

  // Writes the line "key<separator>value". 0 when key and value together exceed 500
  // characters (nothing changes), else 1.
  int setValue(const char* keyP, const char* textP);
  int setInt(const char* keyP, int number);
  int setDouble(const char* keyP, double number);
  // Deletes every line of the key, so that it is absent afterwards. 1.
  int remove(const char* keyP);

  // Sets the value in the file as it is now: under an exclusive lock on the file's lock file
  // (the name and ".lock", removed again at the end), re-reads the file, sets the value and
  // writes the file back, so that a value another process or store set meanwhile is kept. 0, 410
  // (key and value too long: nothing changes), 406 (no name, or the lock cannot be taken) or the
  // store's write code.
  int storeValue(const char* keyP, const char* textP);

  // Writes the lines back to the file when modified and a name is known: the store's result
  // (0, 406 or 411); 0 when there is nothing to write.
  int flush();
  // Writes the lines to the named file when modified: the store's result; 0 when not modified.
  int save(const char* fileNameP);

  bool isLoaded() const { return m_Loaded != 0; }
  bool isModified() const { return m_Modified != 0; }

 private:
  int findLast(const char* keyP, const char** valuePP);
  void reload();
  void putLine(const char* keyP, const char* textP);

  CTextLineList* m_pTextLines;
  int m_Loaded;    // 1 when the file gave at least one line
  int m_Modified;  // 1 after a set or remove, 0 after a save
  char* m_pFileName;
  const char* m_pSeparator;  // written between keyword and value
};
