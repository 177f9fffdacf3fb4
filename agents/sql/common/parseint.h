// What the parser's own files share: the argument parsers that the keyword tables name, the
// keyword tables, and the helpers of the value parsers.
#pragma once

#include <cstdint>
#include <initializer_list>

#include "parse.h"

// Command-argument parsers (ParseArgumentsRtn).
int parseBackupArguments(int argc, char* argv[], int* indexP, const ParseCommandRow* subTableP,
                         OptionsInfo* optionsP);
int parseRestoreArguments(int argc, char* argv[], int* indexP, const ParseCommandRow* subTableP,
                          OptionsInfo* optionsP);
int parseInactivateArguments(int argc, char* argv[], int* indexP, const ParseCommandRow* subTableP,
                             OptionsInfo* optionsP);
int parseQuerySqlArguments(int argc, char* argv[], int* indexP, const ParseCommandRow* subTableP,
                           OptionsInfo* optionsP);
int parseQueryHublorArguments(int argc, char* argv[], int* indexP, const ParseCommandRow* subTableP,
                              OptionsInfo* optionsP);
int parseChangePwdArguments(int argc, char* argv[], int* indexP, const ParseCommandRow* subTableP,
                            OptionsInfo* optionsP);
int parseHelpArguments(int argc, char* argv[], int* indexP, const ParseCommandRow* subTableP,
                       OptionsInfo* optionsP);
int parseSetArguments(int argc, char* argv[], int* indexP, const ParseCommandRow* subTableP,
                      OptionsInfo* optionsP);
// Object types; called with the two halves of a word split once at "=", *indexP on the value.
int parseSingleArgument(int argc, char* argv[], int* indexP, const ParseCommandRow* subTableP,
                        OptionsInfo* optionsP);
int parseFileArguments(int argc, char* argv[], int* indexP, const ParseCommandRow* subTableP,
                       OptionsInfo* optionsP);
int parseGroupArguments(int argc, char* argv[], int* indexP, const ParseCommandRow* subTableP,
                        OptionsInfo* optionsP);
int parseLogArguments(int argc, char* argv[], int* indexP, const ParseCommandRow* subTableP,
                      OptionsInfo* optionsP);
int parseSetObjectArguments(int argc, char* argv[], int* indexP, const ParseCommandRow* subTableP,
                            OptionsInfo* optionsP);

// The Set keywords, each row with its value parser (parsesetval.cpp).
extern const ParseCommandRow gParseSetKeywords[];

// A decimal number that is the whole text (after the optional cut at the first ","), within
// minimum..maximum: 0, else 1202.
int parseNumber(const char* textP, int32_t minimum, int32_t maximum, bool upToComma,
                int32_t* numberP);
// Comma-separated physical file names of 1 to 260 characters, by the rules of the name lists.
int parseListOfPhysicalNames(const char* valueP, CLinkedList<OptPhysicalName>* listP);
// Object names as parseListOfObjectnames, each appended name then upper-cased.
int parseUpperObjectNames(const char* valueP, CLinkedList<OptObjectName>* listP);
// Replaces szConflictText by `blanks` blanks and the names (nulls skipped), separated by one
// blank; a name already in the text is not repeated, and a name that no longer fits is left
// out. Sets pszErrorArg to null.
void parseSetConflict(OptionsInfo* optionsP, int blanks, std::initializer_list<const char*> names);
// Adds one more name to the conflict text by the same rules.
void parseAddConflict(OptionsInfo* optionsP, const char* nameP);
// 1 for a word led by an option prefix ("-" or "/").
int parseIsOptionWord(const char* wordP);
// Puts the delimiter back wherever tokenize wrote a NUL in the first `length` characters.
void parseRejoin(char* textP, size_t length, char delimiter);
// Upper-cases a text in place.
void parseUpperCase(char* textP);
