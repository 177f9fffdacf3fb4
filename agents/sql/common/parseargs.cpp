// The command-argument parsers: the words that follow a command, an object type or a help
// topic. Each starts on the word after its keyword and leaves the index on the last word it
// consumed.
#include <cstring>

#include "agtrc.h"
#include "agttrc.h"
#include "parseint.h"

namespace {

// Whether the word at *indexP is a database list, an object type or a help topic. A word led by
// an option prefix is always an option there, also when it names no known option: a mistyped
// option must not become a database that matches nothing, nor an unknown object type.
int getOptionalWord(int argc, char* argv[], int* indexP, OptionsInfo* o, int* existsP) {
  *existsP = 0;
  if (*indexP < argc && parseIsOptionWord(argv[*indexP])) {
    (*indexP)--;
    return RC_OK;
  }
  return getOptionalArgument(argc, argv, indexP, o, existsP);
}

// The database list after Backup, Restore and INACTIVate.
int parseRequiredDatabases(int argc, char* argv[], int* indexP, OptionsInfo* o) {
  if (*indexP >= argc || parseIsOptionWord(argv[*indexP])) return RC_PARSE_MISSING_WORD;
  o->pszErrorArg = argv[*indexP];
  return parseListOfLogicalnames(argv[*indexP], &o->dbNameList);
}

// The database list where it may be left out; *existsP tells whether it was there.
int parseOptionalDatabases(int argc, char* argv[], int* indexP, OptionsInfo* o, int* existsP) {
  int rc = getOptionalWord(argc, argv, indexP, o, existsP);
  if (rc != RC_OK || *existsP == 0) return rc;
  return parseListOfLogicalnames(argv[*indexP], &o->dbNameList);
}

// One object-type word: its first half matched against the type table, whose row parser takes
// the value half.
int parseTypeWord(char* wordP, const ParseCommandRow* typesP, OptionsInfo* o) {
  size_t length = strlen(wordP);
  char* halvesP[2] = {nullptr, nullptr};
  int count = tokenize(wordP, "=", 2, halvesP);
  int index = 0;
  int rc = parseCommand(count, halvesP, &index, typesP, o);
  parseRejoin(wordP, length, '=');
  o->pszErrorArg = wordP;
  return rc;
}

// Object-type words after the word at *indexP, while the next word is not an option. A later
// type must be the first one again: one object type per command. With `required`, a first
// type word must follow (1201).
int parseTypeWords(int argc, char* argv[], int* indexP, const ParseCommandRow* typesP,
                   OptionsInfo* o, bool required) {
  uint32_t firstType = 0;
  for (int count = 0;; count++) {
    (*indexP)++;
    int exists = 0;
    int rc = getOptionalWord(argc, argv, indexP, o, &exists);
    if (rc != RC_OK) return rc;
    if (exists == 0) return required && count == 0 ? RC_PARSE_MISSING_WORD : RC_OK;
    rc = parseTypeWord(argv[*indexP], typesP, o);
    if (rc != RC_OK) return rc;
    if (count > 0 && o->command != firstType) return RC_PARSE_BAD_VALUE;
    firstType = o->command;
  }
}

// The value half of an object type that takes names: required (1201), and the word in error.
int parseTypeValue(int argc, char* argv[], int* indexP, OptionsInfo* o) {
  if (*indexP >= argc) return RC_PARSE_MISSING_WORD;
  o->pszErrorArg = argv[*indexP];
  return RC_OK;
}

}  // namespace

int parseBackupArguments(int argc, char* argv[], int* indexP, const ParseCommandRow* subTableP,
                         OptionsInfo* o) {
  TRACE_ENTRY(TRC_PARSE, "parseBackupArguments()");
  int rc = parseRequiredDatabases(argc, argv, indexP, o);
  if (rc != RC_OK) TRACE_RETURN(rc);
  TRACE_RETURN(parseTypeWords(argc, argv, indexP, subTableP, o, false));
}

int parseRestoreArguments(int argc, char* argv[], int* indexP, const ParseCommandRow* subTableP,
                          OptionsInfo* o) {
  TRACE_ENTRY(TRC_PARSE, "parseRestoreArguments()");
  int rc = parseRequiredDatabases(argc, argv, indexP, o);
  if (rc != RC_OK) TRACE_RETURN(rc);
  TRACE_RETURN(parseTypeWords(argc, argv, indexP, subTableP, o, false));
}

int parseInactivateArguments(int argc, char* argv[], int* indexP, const ParseCommandRow* subTableP,
                             OptionsInfo* o) {
  TRACE_ENTRY(TRC_PARSE, "parseInactivateArguments()");
  int rc = parseRequiredDatabases(argc, argv, indexP, o);
  if (rc != RC_OK) TRACE_RETURN(rc);
  TRACE_RETURN(parseTypeWords(argc, argv, indexP, subTableP, o, true));
}

int parseQuerySqlArguments(int argc, char* argv[], int* indexP, const ParseCommandRow*,
                           OptionsInfo* o) {
  TRACE_ENTRY(TRC_PARSE, "parseQuerySqlArguments()");
  int exists = 0;
  int rc = parseOptionalDatabases(argc, argv, indexP, o, &exists);
  if (exists == 1) o->command = CMD_QUERY_SQL_DATABASES;
  TRACE_RETURN(rc);
}

int parseQueryHublorArguments(int argc, char* argv[], int* indexP, const ParseCommandRow* subTableP,
                              OptionsInfo* o) {
  TRACE_ENTRY(TRC_PARSE, "parseQueryHublorArguments()");
  int exists = 0;
  int rc = parseOptionalDatabases(argc, argv, indexP, o, &exists);
  if (rc != RC_OK || exists == 0) TRACE_RETURN(rc);
  o->command = CMD_QUERY_HUBLOR_ALL;
  TRACE_RETURN(parseTypeWords(argc, argv, indexP, subTableP, o, false));
}

int parseChangePwdArguments(int argc, char* argv[], int* indexP, const ParseCommandRow*,
                            OptionsInfo* o) {
  TRACE_ENTRY(TRC_PARSE, "parseChangePwdArguments()");
  char* const passwordsP[] = {o->szHublorPassword, o->szNewHublorPassword,
                              o->szVerifyHublorPassword};
  for (int i = 0; i < 3; i++) {
    if (i > 0) (*indexP)++;
    int exists = 0;
    int rc = getOptionalArgument(argc, argv, indexP, o, &exists);
    if (rc != RC_OK || exists == 0) TRACE_RETURN(rc);
    rc = parseStringArgument(argv[*indexP], passwordsP[i], OPT_HUBLOR_NAME_SIZE, nullptr);
    if (rc != RC_OK) TRACE_RETURN(rc);
  }
  TRACE_RETURN(RC_OK);
}

int parseHelpArguments(int argc, char* argv[], int* indexP, const ParseCommandRow* subTableP,
                       OptionsInfo* o) {
  TRACE_ENTRY(TRC_PARSE, "parseHelpArguments()");
  int exists = 0;
  int rc = getOptionalWord(argc, argv, indexP, o, &exists);
  if (rc != RC_OK || exists == 0) TRACE_RETURN(rc);
  TRACE_RETURN(parseCommand(argc, argv, indexP, subTableP, o));
}

int parseSetArguments(int argc, char* argv[], int* indexP, const ParseCommandRow* subTableP,
                      OptionsInfo* o) {
  TRACE_ENTRY(TRC_PARSE, "parseSetArguments()");
  if (*indexP >= argc) TRACE_RETURN(RC_PARSE_MISSING_WORD);
  char* wordP = argv[*indexP];
  size_t length = strlen(wordP);
  char* halvesP[2] = {nullptr, nullptr};
  int count = tokenize(wordP, "=", 2, halvesP);
  int index = 0;
  int rc = parseCommand(count, halvesP, &index, subTableP, o);
  parseRejoin(wordP, length, '=');
  if (rc != RC_OK) o->pszErrorArg = wordP;
  TRACE_RETURN(rc);
}

int parseSingleArgument(int argc, char*[], int* indexP, const ParseCommandRow*, OptionsInfo*) {
  return *indexP < argc ? RC_PARSE_UNKNOWN_KEYWORD : RC_OK;
}

int parseFileArguments(int argc, char* argv[], int* indexP, const ParseCommandRow*,
                       OptionsInfo* o) {
  int rc = parseTypeValue(argc, argv, indexP, o);
  if (rc != RC_OK) return rc;
  return parseListOfLogicalnames(argv[*indexP], &o->fileNameList);
}

int parseGroupArguments(int argc, char* argv[], int* indexP, const ParseCommandRow*,
                        OptionsInfo* o) {
  int rc = parseTypeValue(argc, argv, indexP, o);
  if (rc != RC_OK) return rc;
  return parseListOfLogicalnames(argv[*indexP], &o->groupNameList);
}

int parseLogArguments(int argc, char* argv[], int* indexP, const ParseCommandRow*, OptionsInfo* o) {
  int rc = parseTypeValue(argc, argv, indexP, o);
  if (rc != RC_OK) return rc;
  return parseUpperObjectNames(argv[*indexP], &o->logObjectNameList);
}

int parseSetObjectArguments(int argc, char* argv[], int* indexP, const ParseCommandRow*,
                            OptionsInfo* o) {
  int rc = parseTypeValue(argc, argv, indexP, o);
  if (rc != RC_OK) return rc;
  return parseUpperObjectNames(argv[*indexP], &o->setObjectNameList);
}
