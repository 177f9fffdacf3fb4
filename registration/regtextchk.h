// Checks on texts the user typed, aware of multi-byte characters. The character set is that of
// the current C run-time locale (LC_CTYPE): a character that takes more than one byte in it
// (every non-ASCII character under UTF-8, a double-byte character under an East Asian code
// set) counts as a double-byte character and is never split; single-byte characters are
// classified as letters and digits by the locale on their decoded code points. A byte that
// does not decode is a single-byte character that is neither letter nor digit.
#pragma once

#include <string_view>

// True for "", or when the text holds an "@" and a "." and no blank.
bool isEmailLike(std::string_view text);
// 1 when every character is a single-byte letter; -1 when any is double-byte or not a letter.
int firstBadLetter(std::string_view text);
// Byte position of the first "|" or "\"; -1 when there is none or the text is empty.
int findPipeOrBackslash(std::string_view text);
// Byte position plus one of the first single-byte digit; -1 when there is none or text is "".
int firstDigit(std::string_view text);
// True when the text holds a double-byte character or a single-byte letter.
bool hasLetter(std::string_view text);
