// Checks on texts the user typed, aware of multi-byte characters. Texts are UTF-8 whatever the
// C run-time locale says: a character that takes more than one byte (every non-ASCII
// character) counts as a double-byte character and is never split; single-byte characters are
// classified as ASCII letters and digits. A byte that does not start a whole UTF-8 sequence is
// a single-byte character that is neither letter nor digit.
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
// The characters of the text that are letters or digits, a double-byte character counting as
// one as it is.
int letterOrDigitCount(std::string_view text);
// True when every character is a letter, a digit, a double-byte character or one of the
// single-byte characters of `others`.
bool onlyLettersDigitsOr(std::string_view text, std::string_view others);
