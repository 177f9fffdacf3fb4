// The command-line parser of both programs: keyword tables, the parse flow, the argument and
// value parsers and the option checks by command.
//
// The command line has the shape: command word, the words the command takes (a database list,
// an object type, a value), then options led by "-" or "/" with an optional "=" value. Every
// keyword may be shortened to its capitals (cmdparse.h). Every routine returns an agent return
// code (0, 419, 421 or the RC_PARSE_* codes of cmdparse.h) and leaves its values in the
// caller's OptionsInfo: the command id in `command`, the word in error in pszErrorArg, and the
// option names of a combination error in szConflictText. Nothing here prints; the parse stops
// at the first error.
//
// Argument vectors are changed while a word is split at "=" or ",", and put back before the
// routine returns. TRACEPARSER and the TRACEFLags option switch the process's trace.
//
// Concurrency: commandEnabled and optionAllowed are process-wide and refilled by every parse;
// one thread parses at a time.
#pragma once

#include <cstdint>

#include "cmdparse.h"
#include "optinfo.h"

constexpr int PARSE_NUM_COMMANDS = 97;  // command ids 0 to 96
constexpr int PARSE_NUM_OPTIONS = 51;   // option ids 0 to 50

// Command ids: one number space shared by the parser, the option matrix, the help display,
// the console status and the windowed program's command numbers.
enum ParseCommandId : uint32_t {
  CMD_WINDOWED = 0,  // the windowed program's own pass
  CMD_BACKUP_DIFF = 1,
  CMD_BACKUP_FILE = 2,
  CMD_BACKUP_FULL = 3,
  CMD_BACKUP_GROUP = 4,
  CMD_BACKUP_LOG = 5,
  CMD_BACKUP_SET = 6,
  CMD_CHANGE_PASSWORD = 7,
  CMD_HELP = 8,  // help topics run from 8 to 45
  CMD_HELP_HELP = 17,
  CMD_HELP_LAST = 45,
  CMD_INACTIVATE = 46,  // before its object type
  CMD_INACTIVATE_ALL = 47,
  CMD_INACTIVATE_DIFF = 48,
  CMD_INACTIVATE_SET = 53,
  CMD_QUERY = 58,  // before its object
  CMD_QUERY_SQL = 59,
  CMD_QUERY_SQL_DATABASES = 60,
  CMD_QUERY_ZARNAK = 61,
  CMD_QUERY_HUBLOR = 62,
  CMD_QUERY_HUBLOR_ALL = 63,
  CMD_QUERY_HUBLOR_DIFF = 64,
  CMD_QUERY_HUBLOR_FILE = 65,
  CMD_QUERY_HUBLOR_FULL = 66,
  CMD_QUERY_HUBLOR_GROUP = 67,
  CMD_QUERY_HUBLOR_LOG = 68,
  CMD_QUERY_HUBLOR_SET = 69,
  CMD_QUERY_HUBLOR_TYPES = 70,
  CMD_RESTORE_WINDOWED = 71,
  CMD_RESTORE_DIFF = 72,
  CMD_RESTORE_FILE = 73,
  CMD_RESTORE_FULL = 74,
  CMD_RESTORE_GROUP = 75,
  CMD_RESTORE_LOG = 76,
  CMD_RESTORE_SET = 77,
  CMD_SET = 78,  // before its keyword
  CMD_SET_SQLAUTH = 79,
  CMD_SET_BUFFERS = 80,
  CMD_SET_BUFFERSIZE = 81,
  CMD_SET_DATEFORMAT = 82,
  CMD_SET_DIFFESTIMATE = 83,
  CMD_SET_FROMSQLSERVER = 85,
  CMD_SET_LANGUAGE = 86,
  CMD_SET_LOGFILE = 87,
  CMD_SET_LOGPRUNE = 88,
  CMD_SET_MOUNTWAIT = 89,
  CMD_SET_NUMBERFORMAT = 90,
  CMD_SET_SQLBUFFERS = 91,
  CMD_SET_SQLBUFFERSIZE = 92,
  CMD_SET_SQLSERVER = 93,
  CMD_SET_STRIPES = 94,
  CMD_SET_TIMEFORMAT = 95,
  CMD_TRACEPARSER = 96,
};

struct ParseCommandRow;
// A command-argument parser: takes the words from *indexP on (the word after its keyword) and
// leaves *indexP on the last word it consumed.
typedef int (*ParseArgumentsRtn)(int argc, char* argv[], int* indexP,
                                 const ParseCommandRow* subTableP, OptionsInfo* optionsP);
// An option-value parser: the text after "=", or null when there is none.
typedef int (*ParseValueRtn)(const char* valueP, OptionsInfo* optionsP);

// A row of a command table; the table ends with a row whose keyword is null.
struct ParseCommandRow {
  const char* keywordP;
  uint32_t id;
  ParseArgumentsRtn parserP;         // null: the keyword takes no words
  const ParseCommandRow* subTableP;  // the table the parser matches next, or null
};

// A row of the option table; the table ends with a row whose keyword is null.
struct ParseOptionRow {
  const char* keywordP;
  uint32_t id;  // the column of optionAllowed
  ParseValueRtn parserP;
};

extern const ParseCommandRow gParseTopCommands[];
extern const ParseOptionRow gParseOptions[];

// 1 where a command-table row of that id may match.
extern uint32_t commandEnabled[PARSE_NUM_COMMANDS];
// 1 where the option (column) is accepted with the command (row).
extern uint32_t optionAllowed[PARSE_NUM_COMMANDS][PARSE_NUM_OPTIONS];

// Fills optionAllowed from the rows of allowed options per command. 0, or 419 when a row names
// an option the option table does not have.
int initializeParse();
// The command-line program's whole parse: any number of leading TRACEPARSER words (each opens
// the default trace file and traces everything), the command, the options, then the checks.
int parseClcCmdLine(int argc, char* argv[], OptionsInfo* optionsP);
// Matches argv[*indexP] against the table; a row with a parser takes the following words.
int parseCommand(int argc, char* argv[], int* indexP, const ParseCommandRow* tableP,
                 OptionsInfo* optionsP);
// Parses every word from *indexP on as an option.
int parseOptions(int argc, char* argv[], int* indexP, OptionsInfo* optionsP);
// Parses one option word.
int parseOption(char* wordP, OptionsInfo* optionsP);
// Decides whether argv[*indexP] is a positional argument (*existsP 1, pszErrorArg names it) or
// an option or absent (*existsP 0, and *indexP steps back one word). 0 or 421.
int getOptionalArgument(int argc, char* argv[], int* indexP, OptionsInfo* optionsP, int* existsP);
// The combination checks after a parse without error.
int parseCheckOptions(OptionsInfo* optionsP);

// Shared value routines.
// With a value: copied when it has 1 to bufferSize - 1 characters, else 1202. Without: the
// default is copied (419 when it does not fit), or 1203 without a default.
int parseStringArgument(const char* valueP, char* bufferP, size_t bufferSize, const char* defaultP);
// Comma-separated names appended to the list: logical names of 1 to 128 characters, object
// names of 1 to 23. 1203 without a value; 1202 at the first empty or too long name (the names
// before it stay appended). A trailing comma adds nothing.
int parseListOfLogicalnames(const char* valueP, CLinkedList<OptLogicalName>* listP);
int parseListOfObjectnames(const char* valueP, CLinkedList<OptObjectName>* listP);
