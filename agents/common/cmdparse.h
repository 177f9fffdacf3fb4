// The command-line parser's two word routines, shared by the option parser of both programs and
// the preferences: the abbreviation rule for keywords and the tokenizer; and the "Yes"/"No"
// value that both read.
//
// A keyword is written with its shortest accepted form in capitals and the optional rest in
// lower case: "INACTIVate" accepts "inactiv" up to "inactivate", but not "inact". Words are
// compared without regard to case. None of these routines prints anything.
#pragma once

#include <cstdint>

// Return codes of the command-line parser (the caller prints their messages).
constexpr int RC_PARSE_NOT_ALLOWED = 1200;      // the option is not valid with this command
constexpr int RC_PARSE_MISSING_WORD = 1201;     // a required word is missing
constexpr int RC_PARSE_BAD_VALUE = 1202;        // a value is invalid
constexpr int RC_PARSE_NO_VALUE = 1203;         // an option that needs a value has none
constexpr int RC_PARSE_UNKNOWN_KEYWORD = 1204;  // not a keyword of the table
constexpr int RC_PARSE_UNKNOWN_OPTION = 1207;   // no option prefix, or an unknown option
constexpr int RC_PARSE_EXCLUSIVE = 1208;        // options that exclude each other
constexpr int RC_PARSE_REQUIRED = 1209;         // one of the named options is required
constexpr int RC_PARSE_ONE_DATABASE = 1210;     // exactly one name without wildcard is needed
constexpr int RC_PARSE_RELOCATE_COUNT = 1211;   // RELocate and TO name different numbers of files
constexpr int RC_PARSE_WILDCARD = 1212;         // a wildcard is not allowed in these names

// 1 when the word abbreviates the keyword: it has at least the keyword's leading characters up
// to its first lower-case letter and at most the whole keyword, and agrees with it character by
// character without regard to case. An empty word matches only a keyword that starts in lower
// case. 0 otherwise, and for a null word or keyword.
int isAbbreviation(const char* wordP, const char* keywordP);
// The first keyword of a null-ended table that the word abbreviates: 1 and its position in
// *positionP, or 0.
int isAbbreviation(const char* wordP, const char* const keywordsP[], int* positionP);

// Splits the text in place: the first token is the text itself; each following delimiter
// character is overwritten by a NUL and a new token starts after it, until maxTokens tokens
// were found. A delimiter at the very end starts no token; two adjacent delimiters give an
// empty one. Returns the number of tokens written to tokensP (at most maxTokens; 0 for a null
// text or maxTokens below 1).
int tokenize(char* textP, const char* delimitersP, int maxTokens, char* tokensP[]);

// "Yes" stores 1, "No" stores 0 (abbreviation rule, one letter each; "Yes" is tried first);
// another text gives 1202. Without a value the default is stored, or 1203 without a default.
int parseYesNoArgument(const char* valueP, uint32_t* destP, const uint32_t* defaultP);
