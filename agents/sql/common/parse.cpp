// The parse flow: the command line, one command word against a table, the options.
#include <cstring>

#include "agtmem.h"
#include "agtrc.h"
#include "agttrc.h"
#include "parseint.h"

uint32_t commandEnabled[PARSE_NUM_COMMANDS];
uint32_t optionAllowed[PARSE_NUM_COMMANDS][PARSE_NUM_OPTIONS];

namespace {

const char kDefaultTraceFile[] = "zarnaksql.trc";

// TRACEPARSER: the default trace file, opened, with every category on.
int startParserTrace(OptionsInfo* o) {
  int rc = parseStringArgument(nullptr, o->szTraceFile, sizeof o->szTraceFile, kDefaultTraceFile);
  if (rc != RC_OK) return rc;
  rc = gTrace.open(o->szTraceFile);
  if (rc != RC_OK) return rc;
  return gTrace.setFlag(TRC_ALL, 1);
}

// The command word after any number of TRACEPARSER words; *indexP ends on the word after the
// last one the command consumed.
int parseCommandWords(int argc, char* argv[], int* indexP, OptionsInfo* o) {
  int rc = RC_OK;
  do {
    o->command = CMD_HELP;
    if (*indexP < argc) rc = parseCommand(argc, argv, indexP, gParseTopCommands, o);
    if (rc == RC_OK && o->command == CMD_TRACEPARSER) rc = startParserTrace(o);
    (*indexP)++;
  } while (o->command == CMD_TRACEPARSER && rc == RC_OK);
  return rc;
}

// The first option row whose keyword the name abbreviates: its index, or -1.
int findOption(const char* nameP) {
  for (int row = 0; gParseOptions[row].keywordP != nullptr; row++) {
    if (isAbbreviation(nameP, gParseOptions[row].keywordP) == 1) return row;
  }
  return -1;
}

int parseOptionValue(const ParseOptionRow& row, const char* valueP, OptionsInfo* o) {
  if (optionAllowed[o->command][row.id] != 1) return RC_PARSE_NOT_ALLOWED;
  if (row.parserP == nullptr) return RC_INTERNAL_ERROR;
  return row.parserP(valueP, o);
}

// A word that parses as an option in a scratch record of the same command is an option. The
// parse runs on a copy of the word, so the command line stays as it is.
int preParseOption(const char* wordP, uint32_t command, int* isOptionP) {
  char* copyP = static_cast<char*>(MALLOC(strlen(wordP) + 1));
  if (copyP == nullptr) return RC_NO_MEMORY;
  strcpy(copyP, wordP);
  OptionsInfo scratch;
  initializeOptions(&scratch);
  scratch.command = command;
  *isOptionP = parseOption(copyP, &scratch) != RC_PARSE_UNKNOWN_OPTION;
  FREE(&copyP);
  return RC_OK;
}

}  // namespace

int parseIsOptionWord(const char* wordP) {
  return wordP != nullptr && (wordP[0] == '-' || wordP[0] == '/');
}

int parseClcCmdLine(int argc, char* argv[], OptionsInfo* o) {
  TRACE_ENTRY(TRC_PARSE, "parseClcCmdLine()");
  int rc = initializeParse();
  if (rc != RC_OK) TRACE_RETURN(rc);
  for (uint32_t& enabled : commandEnabled) enabled = 1;
  o->command = CMD_TRACEPARSER;
  int index = 1;
  rc = parseCommandWords(argc, argv, &index, o);
  if (rc != RC_OK) TRACE_RETURN(rc);
  if (index < argc) rc = parseOptions(argc, argv, &index, o);
  if (rc != RC_OK) TRACE_RETURN(rc);
  TRACE_RETURN(parseCheckOptions(o));
}

int parseCommand(int argc, char* argv[], int* indexP, const ParseCommandRow* tableP,
                 OptionsInfo* o) {
  TRACE_ENTRY(TRC_PARSE, "parseCommand()");
  if (*indexP < 0 || *indexP >= argc) TRACE_RETURN(RC_PARSE_MISSING_WORD);
  char* wordP = argv[*indexP];
  o->pszErrorArg = wordP;
  TRACE_LINE(TRC_PARSE, "word: %s\n", wordP);
  for (const ParseCommandRow* rowP = tableP; rowP->keywordP != nullptr; rowP++) {
    if (commandEnabled[rowP->id] != 1 || isAbbreviation(wordP, rowP->keywordP) != 1) continue;
    o->command = rowP->id;
    if (rowP->parserP == nullptr) TRACE_RETURN(RC_OK);
    (*indexP)++;
    TRACE_RETURN(rowP->parserP(argc, argv, indexP, rowP->subTableP, o));
  }
  TRACE_RETURN(RC_PARSE_UNKNOWN_KEYWORD);
}

int parseOptions(int argc, char* argv[], int* indexP, OptionsInfo* o) {
  TRACE_ENTRY(TRC_PARSE, "parseOptions()");
  int rc = RC_OK;
  for (; *indexP < argc && rc == RC_OK; (*indexP)++) {
    o->pszErrorArg = argv[*indexP];
    rc = parseOption(argv[*indexP], o);
  }
  TRACE_RETURN(rc);
}

int parseOption(char* wordP, OptionsInfo* o) {
  TRACE_ENTRY(TRC_PARSE, "parseOption()");
  if (wordP == nullptr) TRACE_RETURN(RC_INTERNAL_ERROR);
  if (parseIsOptionWord(wordP) == 0) TRACE_RETURN(RC_PARSE_UNKNOWN_OPTION);
  TRACE_LINE(TRC_PARSE, "option: %s\n", wordP);
  char* nameP = wordP + 1;
  size_t length = strlen(nameP);
  char* halvesP[2] = {nullptr, nullptr};
  int count = tokenize(nameP, "=", 2, halvesP);
  int row = findOption(nameP);
  // The word is whole again before a value parser sees it; the value stays a tail of it.
  parseRejoin(nameP, length, '=');
  const char* valueP = count == 2 ? halvesP[1] : nullptr;
  if (row < 0) TRACE_RETURN(RC_PARSE_UNKNOWN_OPTION);
  TRACE_RETURN(parseOptionValue(gParseOptions[row], valueP, o));
}

int getOptionalArgument(int argc, char* argv[], int* indexP, OptionsInfo* o, int* existsP) {
  TRACE_ENTRY(TRC_PARSE, "getOptionalArgument()");
  *existsP = 0;
  if (*indexP >= 0 && *indexP < argc) {
    int isOption = 0;
    int rc = preParseOption(argv[*indexP], o->command, &isOption);
    if (rc != RC_OK) TRACE_RETURN(rc);
    *existsP = !isOption;
  }
  if (*existsP) o->pszErrorArg = argv[*indexP];
  if (!*existsP) (*indexP)--;
  TRACE_RETURN(RC_OK);
}
