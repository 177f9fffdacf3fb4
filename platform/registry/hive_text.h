// The text form of the registry, used for the hive files and for regtool's export and import:
//
//   ZARNAK REGISTRY 1
//   [HKEY_LOCAL_MACHINE\SOFTWARE\Orbenix] class "CString"
//   "Path" = REG_SZ "/opt/zarnaksql/"
//   "Count" = REG_SZ(4) "12"
//   "SQL_E" = REG_DWORD 0x00000001
//   "SQL_P" = REG_BINARY 0a1b2c
//   "" = type(7) 6100
//
//   END
//
// A section names a key by its full path, root first; every key has a section, so empty keys
// last. The end line closes every text, so a text cut short at a line boundary is told from a
// whole one. Key names escape '%', ']' and control characters as %HH and never hold '\' (it
// separates the levels); quoted texts escape '"' and
// '\' with a backslash and control characters as \xHH. REG_SZ holds the text and one
// terminating zero, or, with (n), the text padded with zeros to exactly n bytes. A value that
// fits no readable shape of its type is written as type(number) with its bytes in hex; no value
// holds more than kMaxValueDataLength bytes. Blank lines and lines starting with '#' are ignored.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "hive.h"

namespace zkreg {

struct Section {
  Path path;  // root name first
  std::string className;
  std::vector<Value> values;
};

// The first and the last line of every text in this form.
std::string textHeader();
std::string textTrailer();
// Appends the sections of key and of every key below it; levels is key's full path, root
// first (left as it was given).
void formatTree(const Key& key, Path& levels, std::string& out);
// A full key path as a section names it, without the brackets.
std::string formatKeyPath(const Path& levels);
// One value in its line form without the name: `REG_SZ "text"`.
std::string formatValueData(const Value& value);
// False with a message naming the line for text that is not in this form, also for a text
// without its end line.
bool parseText(std::string_view text, std::vector<Section>& sections, std::string& error);

// Texts and hex as the form writes them, also for regtool's arguments.
std::string quoteText(std::string_view text);
bool parseHex(std::string_view hex, Bytes& bytes);
// Decimal, or hex after "0x".
bool parseNumber(std::string_view text, std::uint64_t& n);
std::string formatHex(const Bytes& bytes);

}  // namespace zkreg
