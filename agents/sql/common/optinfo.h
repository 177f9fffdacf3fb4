// The command-line program's options record, as far as the preferences fill it, and the two
// keyword rules of the option parser that the preferences share.
//
// The option parser keeps its own fields beside these; the preferences write the defaults and
// the configuration file's values here before the command line overrides them.
#pragma once

#include <cstdint>

#include "dateutil.h"

constexpr int OPT_SERVER_NAME_SIZE = 33;  // a SQL Server name of at most 32 characters
constexpr int OPT_LANGUAGE_SIZE = 6;      // "AMENG"
constexpr int OPT_LOG_FILE_SIZE = 1793;   // a log file name of at most 1792 characters

enum optSqlAuth : int32_t { OPT_SQLAUTH_INTEGRATED = 0, OPT_SQLAUTH_SQLUSERID = 1 };

struct optionsInfo {
  int32_t numBuffers;
  int32_t bufferSizeKB;
  int32_t dateFormat;
  int32_t diffEstimatePercent;
  int32_t timeFormat;
  int32_t numberFormat;
  int32_t sqlBuffers;
  int32_t sqlBufferSizeKB;
  int32_t stripes;
  int32_t stripesGiven;
  int32_t logPruneDays;  // -1 while pruning is off
  int32_t logPruneOff;
  int32_t mountWait;     // 1 wait for data (yes), 0 no
  int32_t sqlAuth;       // optSqlAuth
  int32_t sqlAuthGiven;
  char fromSqlServer[OPT_SERVER_NAME_SIZE];  // the source server of a restore
  int32_t fromSqlServerGiven;
  char sqlServer[OPT_SERVER_NAME_SIZE];
  char language[OPT_LANGUAGE_SIZE];
  char lastPruneDate[DATE_TIME_TEXT_SIZE];
  char logFile[OPT_LOG_FILE_SIZE];
};

// 1 when the text is an accepted abbreviation of one of the keywords (a null-ended table):
// at least the keyword's capital letters, at most the whole keyword, compared without regard
// to case; *positionP then gets the keyword's position. 0 otherwise.
int isAbbreviation(const char* textP, const char* const keywordsP[], int* positionP);

enum optYesNo { OPT_NO = 0, OPT_YES = 1, OPT_YES_NO_INVALID = -1 };
// "Yes" or "No" by the abbreviation rule: OPT_YES, OPT_NO or OPT_YES_NO_INVALID.
int parseYesNoArgument(const char* textP);
