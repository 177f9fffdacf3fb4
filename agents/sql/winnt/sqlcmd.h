// The growable UTF-16 text of one T-SQL statement, and the quoting of names and texts inside it.
//
// A statement is appended to piece by piece from narrow (UTF-8) text. Names go between square
// brackets and texts between N'...' quotes with the closing character doubled, so that a "]" or
// "'" inside a name stays part of the name: SQL Server reads "[a]]b]" as a]b and N'it''s' as
// it's. A name without those characters is written exactly as it stands.
//
// Not thread-safe: one statement is built by one thread.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr uint32_t SQL_DEFAULT_COMMAND_SIZE = 4096;  // the growth step, in characters
constexpr size_t SQL_MAX_NAME_LENGTH = 262;          // names of databases, groups, files, devices
constexpr size_t SQL_MAX_PATH_LENGTH = 260;          // the debug backup directory

class CSqlCommand {
 public:
  CSqlCommand();
  ~CSqlCommand();
  CSqlCommand(const CSqlCommand&) = delete;
  CSqlCommand& operator=(const CSqlCommand&) = delete;

  // Makes room for `required` characters (terminator included), growing by whole steps of
  // muiDefaultCommandSize: 4097 on an empty buffer gives 8192. 0, or 421 with the buffer and its
  // text unchanged when memory runs out.
  int AdjustCommandSize(uint32_t required);
  // Appends a UTF-8 text. 0, 421, or 2000 when it is not valid UTF-8 (nothing appended).
  int append(const char* textP);
  // Appends `textP` with every `closer` doubled (the quoting inside [...] and '...').
  int appendEscaped(const char* textP, char closer);
  // Empties the statement and keeps the buffer for the next one.
  void clear();

  const char16_t* text() const { return mpCommand; }
  uint32_t length() const { return muiCommandLength; }

  char16_t* mpCommand;             // the statement, terminated; null until the first append
  uint32_t muiCommandSize;         // characters allocated in mpCommand
  uint32_t muiCommandLength;       // characters used, without the terminator
  uint32_t muiDefaultCommandSize;  // the growth step

 private:
  int appendPiece(const char* textP, size_t length);
  int appendWide(const char16_t* wideP);
};

// Writes the detail text of a name longer than `maxLength` characters into errorTextP
// ("%s:%i:%i strlen(%.*s...):%i > %i": operation, line, 1908, the name's start, its length, the
// limit) and returns 1908; 0 when it fits.
int sqlCheckNameLength(const char* nameP, size_t maxLength, const char* operationP, int line,
                       char* errorTextP, size_t errorTextSize);
