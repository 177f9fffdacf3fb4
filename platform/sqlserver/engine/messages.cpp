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
    {kMsgCannotOpenDevice, 16,
     "Cannot open backup device '%s'. Device error or device off-line. See the SQL Server error "
     "log for more details. Operating system error %s."},
    {kMsgWriteFailed, 16,
     "Write on '%s' failed, status = %s. See the SQL Server error log for "
     "more details."},
    {kMsgReadFailed, 16,
     "Read on '%s' failed, status = %s. See the SQL Server error log for more "
     "details."},
    {kMsgNoCurrentBackup, 16,
     "Cannot perform a differential backup for database '%s', because a current database backup "
     "does not exist. Perform a full database backup by reissuing BACKUP DATABASE, omitting the "
     "WITH DIFFERENTIAL option."},
    {kMsgFamilyMissing, 16,
     "The media set for database '%s' has %s family members but only %s are provided. All "
     "members must be provided."},
    {kMsgDiffWithoutBase, 16,
     "This differential backup cannot be restored because the database has not been restored "
     "to the correct earlier state."},
    {kMsgOtherDatabase, 16,
     "The backup set holds a backup of a database other than the existing '%s' database."},
    {kMsgTailNotBackedUp, 16,
     "The tail of the log for the database \"%s\" has not been backed up. Use BACKUP LOG WITH "
     "NORECOVERY to backup the log if it contains work you do not want to lose. Use the WITH "
     "REPLACE or WITH STOPAT clause of the RESTORE statement to just overwrite the contents of "
     "the log."},
    {kMsgDuplicateFamily, 16, "The volume on device '%s' is a duplicate of stripe set member %s."},
    {kMsgLogicalFileUnknown, 16,
     "Logical file '%s' is not part of database '%s'. Use RESTORE FILELISTONLY to list the "
     "logical file names."},
    {kMsgFamilyMalformed, 16,
     "The media family on device '%s' is incorrectly formed. SQL Server cannot process this "
     "media family."},
    {kMsgNoLogChain, 16,
     "BACKUP LOG cannot be performed because there is no current database backup."},
    {kMsgLogTooLate, 16,
     "The log in this backup set begins at LSN %s, which is too late to apply to the database. "
     "An earlier log backup that includes LSN %s can be restored."},
    {kMsgLogTooEarly, 16,
     "The log in this backup set terminates at LSN %s, which is too early to apply to the "
     "database. A more recent log backup that includes LSN %s can be restored."},
    {kMsgRestoreSequenceEnded, 16,
     "The preceding restore operation did not specify WITH NORECOVERY or WITH STANDBY. Restart "
     "the restore sequence, specifying WITH NORECOVERY or WITH STANDBY for all but the final "
     "step."},
    {kMsgLogFull, 17, "The log file for database '%s' is full."},
    {kMsgConfigOptionNotFound, 16,
     "The configuration option '%s' does not exist, or it may be an advanced option."},
    {kMsgLoginNotTrusted, 14,
     "Login failed for user '%s'. Reason: Not associated with a trusted SQL Server connection."},
    {kMsgLoginFailed, 14, "Login failed for user '%s'."},
    {kMsgBadDateTime, 16, "Syntax error converting datetime from character string."},
    {kMsgFileInUse, 16, "The file '%s' cannot be overwritten.  It is being used by database '%s'."},
    {kMsgLogBackupWhileTruncating, 16,
     "The statement BACKUP LOG is not allowed while the trunc. log on chkpt. option is enabled. "
     "Use BACKUP DATABASE or disable the option using sp_dboption."},
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
