#include <iterator>

#include "sqlerror.h"

namespace sqlengine {

namespace {

struct MessageRow {
  int number;
  int severity;
  const char* format;  // %s: the next insert
};

// The server's own texts for the messages the engine raises.
constexpr MessageRow kMessages[] = {
    {kMsgServerNotFound, 16, "SQL Server does not exist or access denied."},
    {kMsgIncorrectSyntax, 15, "Incorrect syntax near '%s'."},
    {kMsgIdentifierTooLong, 15,
     "The identifier that starts with '%s' is too long. Maximum length is 128."},
    {kMsgUnclosedQuote, 15, "Unclosed quotation mark after the character string '%s'."},
    {kMsgNotRecognizedOption, 15, "'%s' is not a recognized %s option."},
    {kMsgIncorrectSyntaxKeyword, 15, "Incorrect syntax near the keyword '%s'."},
    {kMsgIoError, 24, "I/O error %s detected during %s of file '%s'."},
    {kMsgDatabaseNotFound, 16,
     "Could not locate entry in sysdatabases for database '%s'. No entry found with that name. "
     "Make sure that the name is entered correctly."},
    {kMsgDatabaseInRestore, 14,
     "Database '%s' cannot be opened. It is in the middle of a restore."},
    {kMsgDatabaseOffline, 14, "Database '%s' cannot be opened because it is offline."},
    {kMsgBackupTerminating, 16, "%s is terminating abnormally."},
    {kMsgOptionConflict, 16,
     "Option '%s' conflicts with option(s) '%s'. Remove the conflicting option and reissue the "
     "statement."},
    {kMsgOptionNotSupported, 16,
     "One or more of the options (%s) are not supported for this statement. Review the "
     "documentation for supported options."},
    {4306, 16,
     "The preceding restore operation did not specify WITH NORECOVERY or WITH STANDBY. Restart "
     "the restore sequence, specifying WITH NORECOVERY or WITH STANDBY for all but the final "
     "step."},
    {kMsgLogFull, 17, "The log file for database '%s' is full."},
    {kMsgConfigOptionNotFound, 16,
     "The configuration option '%s' does not exist, or it may be an advanced option."},
    {kMsgLoginNotTrusted, 14,
     "Login failed for user '%s'. Reason: Not associated with a trusted SQL Server connection."},
    {kMsgLoginFailed, 14, "Login failed for user '%s'."},
};

std::string fill(const char* format, std::initializer_list<std::string> args) {
  std::string out;
  auto arg = args.begin();
  for (const char* p = format; *p != '\0'; ++p) {
    if (p[0] == '%' && p[1] == 's') {
      if (arg != args.end()) out += *arg++;
      ++p;
    } else {
      out += *p;
    }
  }
  return out;
}

}  // namespace

SqlError sqlMessage(int number, std::initializer_list<std::string> args) {
  for (const MessageRow& row : kMessages) {
    if (row.number == number) return SqlError{number, row.severity, 1, fill(row.format, args)};
  }
  std::string text;
  for (const std::string& a : args) text += (text.empty() ? "" : " ") + a;
  return SqlError{number, 16, 1, text};
}

}  // namespace sqlengine
