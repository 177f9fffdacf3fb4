// A SQL Server message: number, severity, state and text. Number 0 means success.
// A failed call on the object model carries it as HRESULT 0x80040000 + number.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>

namespace sqlengine {

struct SqlError {
  int number = 0;
  int severity = 0;
  int state = 1;
  std::string text;

  bool ok() const { return number == 0; }
  std::int32_t hresult() const { return static_cast<std::int32_t>(0x80040000u + number); }
};

// The message with that number from the server's table, its %s inserts replaced in order by
// args. A number outside the table gives severity 16 and the args joined as its text, so that
// a chosen failure may carry any number.
SqlError sqlMessage(int number, std::initializer_list<std::string> args = {});

// Message numbers the engine raises.
enum SqlMessageNumber : int {
  kMsgServerNotFound = 17,
  kMsgIncorrectSyntax = 102,
  kMsgIdentifierTooLong = 103,
  kMsgUnclosedQuote = 105,
  kMsgNotRecognizedOption = 155,
  kMsgIncorrectSyntaxKeyword = 156,
  kMsgBadDateTime = 241,
  kMsgFileInUse = 1834,
  kMsgLogBackupWhileTruncating = 4208,
  kMsgDatabaseNotFound = 911,
  kMsgDatabaseInRestore = 927,
  kMsgDatabaseOffline = 942,
  kMsgIoError = 823,
  kMsgBackupTerminating = 3013,
  kMsgRestoreTerminating = 3013,
  kMsgOptionConflict = 3031,
  kMsgOptionNotSupported = 3032,
  kMsgLogFull = 9002,
  kMsgConfigOptionNotFound = 15123,
  kMsgLoginNotTrusted = 18452,
  kMsgLoginFailed = 18456,
  kMsgCannotOpenDevice = 3201,
  kMsgWriteFailed = 3202,
  kMsgReadFailed = 3203,
  kMsgNoCurrentBackup = 3035,
  kMsgFamilyMissing = 3132,
  kMsgDiffWithoutBase = 3136,
  kMsgOtherDatabase = 3154,
  kMsgTailNotBackedUp = 3159,
  kMsgDuplicateFamily = 3227,
  kMsgLogicalFileUnknown = 3234,
  kMsgFamilyMalformed = 3241,
  kMsgNoLogChain = 4214,
  kMsgLogTooLate = 4305,
  kMsgRestoreSequenceEnded = 4306,
  kMsgLogTooEarly = 4326,
  kMsgEngineFailure = 50000,
};

}  // namespace sqlengine
