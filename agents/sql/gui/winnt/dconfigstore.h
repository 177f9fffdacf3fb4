// The values of the configuration sheet and what becomes of them, without windows: filling them
// from the configuration file, writing them back as preferences in a fixed order of rows, and
// pruning the activity log at once. The sheet's pages (dconfig.h) only show and check them.
//
// Messages: a row refused with 410 or 420 is told by message 5715 with the row's name; a file
// that cannot be opened (406) or written (411) by message 201 or 203 once, after the last row.
// Pruning at once tells its outcome by 5057, 5063, 5056 or 5064. All go through nlprintf, so
// the windowed program shows them in message boxes.
//
// User-interface thread only: the rows change the program's options record and activity log.
#pragma once

#include <string>

#include "optinfo.h"

class CPreferences;

constexpr char DCONFIG_DEFAULT_SQL_SERVER[] = ".";
constexpr char DCONFIG_DEFAULT_LOG_FILE[] = "zarnaksql.log";
constexpr int DCONFIG_DEFAULT_PRUNE_DAYS = 60;
constexpr char DCONFIG_NEVER_PRUNED[] = "00/00/0000 00:00:00";

// What the four pages show; formats count from 0 as the radio groups do.
struct DConfigValues {
  // General.
  std::string sqlServer = DCONFIG_DEFAULT_SQL_SERVER;
  std::string fromSqlServer;
  int sqlAuth = 0;  // 0 integrated, 1 SQL user id
  int mountWait = 1;
  int diffEstimate = 20;
  // Performance.
  int buffers = 3;
  int bufferSize = 1024;
  int stripes = 1;
  int sqlBuffers = 0;
  int sqlBufferSize = 1024;
  // Activity log.
  std::string logFile = DCONFIG_DEFAULT_LOG_FILE;
  int logPrune = 0;
  int logDays = DCONFIG_DEFAULT_PRUNE_DAYS;
  // Regional formats.
  int dateFormat = 0;
  int timeFormat = 0;
  int numberFormat = 0;
};

// The values of an options record: pruning on with its days when the record's days are 0 or
// more, else off with 60 days; the formats less one.
DConfigValues configValuesFromOptions(const OptionsInfo& options);

// The values of the file: every preference read with the built-in default for a keyword the
// file lacks or a value it refuses. They go into an options record of their own, so that the
// program keeps its settings (the command line's among them) until the user stores the sheet.
DConfigValues readConfiguration(CPreferences& preferences);

struct DConfigStoreResult {
  bool logFileRefused = false;  // the log file row was refused with 410 or 420
  int fileRc = 0;               // 406 or 411 when the file could not be opened or written
};

// Writes the rows in order, each through setPreferences: SQLServer and FromSQLServer (skipped
// when empty), SqlAuthentication, mountwaitfordata, diffestimate, buffers, buffersize, stripes,
// sqlbuffers, sqlbuffersize, logfile (only when it differs from `lastShownLogFile`), logprune,
// LastPruneDate (the activity log's), dateformat, timeformat, numberformat. A stored value also
// goes into `options`; a refused one leaves the option as it was. A new log file becomes the
// activity log's file, with its last pruning unknown, so that the next prune runs.
DConfigStoreResult storePreferences(const DConfigValues& values, OptionsInfo& options,
                                    CPreferences& preferences, const std::string& lastShownLogFile);

// Prunes the activity log at once: names the log (the agent's log directory in front of a bare
// name), keeps lines for `days`, forgets when it was pruned last, prunes, and on success stores
// the new date as LastPruneDate in `configFile`. reportPrune then tells the outcome.
struct DPruneResult {
  std::string path;  // the log's file
  int nameRc = 0;    // of naming the log
  int pruneRc = 0;   // of the pruning, when the log was named
};
DPruneResult pruneActivityLog(const std::string& logFile, int days, const std::string& configFile);
void reportPrune(const DPruneResult& result);

// `name` inside `dir` when it names no directory and both fit; *tooLongP is set when they do
// not (may be null). The activity log's path of a name, in the agent's log directory.
std::string joinAgentPath(const std::string& dir, const std::string& name, bool* tooLongP);
std::string activityLogPath(const std::string& name);
