#include "dconfigstore.h"

#include <algorithm>
#include <cstdio>
#include <memory>

#include "agtlog.h"
#include "agtpref.h"
#include "agtrc.h"
#include "agttrc.h"
#include "dateutil.h"
#include "msgout.h"
#include "psutil.h"

namespace {

enum : int {
  MSG_FILE_NOT_OPENED = 201,
  MSG_FILE_NOT_WRITTEN = 203,
  MSG_PRUNE_FAILED = 5056,
  MSG_PRUNED = 5057,
  MSG_PRUNE_OFF = 5063,
  MSG_PRUNE_NO_LOG = 5064,
  MSG_NOT_STORED = 5715,
};

constexpr size_t kPathJoinMax = 1792;
constexpr size_t kDirSize = 1025;

std::string decimal(int value) {
  return std::to_string(value);
}

// One row of the configuration file as the sheet writes it.
struct StoreRow {
  const char* nameP;  // the row's name in message 5715; null: never told
  int keyword;
  std::string (*value)(const DConfigValues&);
  bool skipWhenEmpty;
};

// The order in which the rows are written; logfile and LastPruneDate take the steps of
// storeLogFile and lastPruneText.
const StoreRow kRows[] = {
    {"SQLServer", PREF_SQLSERVER, [](const DConfigValues& v) { return v.sqlServer; }, true},
    {"FromSQLServer", PREF_FROMSQLSERVER, [](const DConfigValues& v) { return v.fromSqlServer; },
     true},
    {"SqlAuthentication", PREF_SQLAUTH,
     [](const DConfigValues& v) {
       return std::string(v.sqlAuth == 1 ? "SQLUserid" : "INTegrated");
     },
     false},
    {"mountwaitfordata", PREF_MOUNTWAIT,
     [](const DConfigValues& v) { return std::string(v.mountWait != 0 ? "Yes" : "No"); }, false},
    {"diffestimate", PREF_DIFFESTIMATE,
     [](const DConfigValues& v) { return decimal(v.diffEstimate); }, false},
    {"buffers", PREF_BUFFERS, [](const DConfigValues& v) { return decimal(v.buffers); }, false},
    {"buffersize", PREF_BUFFERSIZE, [](const DConfigValues& v) { return decimal(v.bufferSize); },
     false},
    {"stripes", PREF_STRIPES, [](const DConfigValues& v) { return decimal(v.stripes); }, false},
    {"sqlbuffers", PREF_SQLBUFFERS, [](const DConfigValues& v) { return decimal(v.sqlBuffers); },
     false},
    {"sqlbuffersize", PREF_SQLBUFFERSIZE,
     [](const DConfigValues& v) { return decimal(v.sqlBufferSize); }, false},
    {"logfile", PREF_LOGFILE, [](const DConfigValues& v) { return v.logFile; }, false},
    {"logprune", PREF_LOGPRUNE,
     [](const DConfigValues& v) {
       return v.logPrune != 0 ? decimal(v.logDays) : std::string("No");
     },
     false},
    {nullptr, PREF_LASTPRUNEDATE, nullptr, false},
    {"dateformat", PREF_DATEFORMAT,
     [](const DConfigValues& v) { return decimal(v.dateFormat + 1); }, false},
    {"timeformat", PREF_TIMEFORMAT,
     [](const DConfigValues& v) { return decimal(v.timeFormat + 1); }, false},
    {"numberformat", PREF_NUMBERFORMAT,
     [](const DConfigValues& v) { return decimal(v.numberFormat + 1); }, false},
};

// The activity log's last pruning as the file keeps it: date, blank, time in the user's formats.
std::string lastPruneText() {
  agentDateTime pruned{};
  if (gLogP == nullptr || gLogP->GetLastPruned(&pruned) != RC_OK) return "";
  if (dateYear(&pruned) == 0) return DCONFIG_NEVER_PRUNED;
  char text[DATE_TIME_TEXT_SIZE] = "";
  dateFormat(&pruned, text);
  return text;
}

// A stored value goes into the options record through the same checks as a value read.
void takeIntoOptions(int keyword, const std::string& value, OptionsInfo& options) {
  char text[PREF_VALUE_SIZE];
  snprintf(text, sizeof text, "%s", value.c_str());
  CPreferences::processPref(keyword, text, sizeof text, &options, 0);
}

// The new log file is the activity log's from now on; it has never been pruned.
void useLogFile(const std::string& name, OptionsInfo& options) {
  std::string path = activityLogPath(name);
  snprintf(options.szLogFile, sizeof options.szLogFile, "%s", path.c_str());
  if (gLogP == nullptr) return;
  TRACE_LINE(TRC_GUI, "Using a logfile name of %s \n", path.c_str());
  if (gLogP->SetLogName(path.c_str()) == RC_OK) gLogP->SetLastPruned(DCONFIG_NEVER_PRUNED);
}

}  // namespace

std::string joinAgentPath(const std::string& dir, const std::string& name, bool* tooLongP) {
  if (name.find_first_of("/\\:") != std::string::npos) return name;
  if (dir.size() + name.size() > kPathJoinMax) {
    if (tooLongP != nullptr) *tooLongP = true;
    return name;
  }
  return dir + name;
}

std::string activityLogPath(const std::string& name) {
  char dir[kDirSize] = "";
  psGetAgentLog(dir, sizeof dir);
  return joinAgentPath(dir, name, nullptr);
}

DConfigValues configValuesFromOptions(const OptionsInfo& options) {
  DConfigValues v;
  v.sqlServer = options.szSqlServer;
  v.fromSqlServer = options.szFromSqlServer;
  v.sqlAuth = options.enumSqlAuth == OPT_SQLAUTH_SQLUSERID ? 1 : 0;
  v.mountWait = options.bMountWait != 0 ? 1 : 0;
  v.diffEstimate = options.nDiffEstimate;
  v.buffers = options.nBuffers;
  v.bufferSize = options.nBufferSize;
  v.stripes = options.nStripes;
  v.sqlBuffers = options.nSqlBuffers;
  v.sqlBufferSize = options.nSqlBufferSize;
  v.logFile = options.szLogFile;
  v.logPrune = options.nLogPrune >= 0 ? 1 : 0;
  v.logDays = options.nLogPrune >= 0 ? options.nLogPrune : DCONFIG_DEFAULT_PRUNE_DAYS;
  v.dateFormat = std::max(options.nDateFormat - 1, 0);
  v.timeFormat = std::max(options.nTimeFormat - 1, 0);
  v.numberFormat = std::max(options.nNumberFormat - 1, 0);
  return v;
}

DConfigValues readConfiguration(CPreferences& preferences) {
  TRACE_ENTRY(TRC_GUI, "readConfiguration");
  auto fileP = std::make_unique<OptionsInfo>();
  initializeOptions(fileP.get());
  for (int id = 0; id < PREF_NUM_KEYWORDS; id++) {
    char value[PREF_VALUE_SIZE] = "";
    preferences.getPreferences(id, value, sizeof value, fileP.get(), 1);
  }
  // The source server stays empty unless the file names one: the sheet does not pin it.
  if (fileP->bFromSqlServer == 0) fileP->szFromSqlServer[0] = '\0';
  return configValuesFromOptions(*fileP);
}

DConfigStoreResult storePreferences(const DConfigValues& values, OptionsInfo& options,
                                    CPreferences& preferences,
                                    const std::string& lastShownLogFile) {
  TRACE_ENTRY(TRC_GUI, "storePreferences");
  DConfigStoreResult result;
  for (const StoreRow& row : kRows) {
    std::string value;
    if (row.keyword == PREF_LASTPRUNEDATE) {
      value = lastPruneText();
      if (value.empty()) continue;
      TRACE_LINE(TRC_GUI, "The new prune date is %s.\n", value.c_str());
    } else {
      value = row.value(values);
      if (row.skipWhenEmpty && value.empty()) continue;
      if (row.keyword == PREF_LOGFILE && value == lastShownLogFile) continue;
    }
    int rc = preferences.setPreferences(row.keyword, value.c_str(), nullptr);
    if (rc == RC_OK) {
      takeIntoOptions(row.keyword, value, options);
      if (row.keyword == PREF_LOGFILE) useLogFile(value, options);
      continue;
    }
    if ((rc == RC_FILE_OPEN_FAILED || rc == RC_FILE_WRITE_FAILED) && result.fileRc == RC_OK) {
      result.fileRc = rc;
    }
    if ((rc == RC_PREF_NOT_STORED || rc == RC_PREF_BAD_VALUE) && row.nameP != nullptr) {
      nlprintf(MSG_NOT_STORED, row.nameP);
      if (row.keyword == PREF_LOGFILE) result.logFileRefused = true;
    }
  }
  if (result.fileRc != RC_OK) {
    nlprintf(result.fileRc == RC_FILE_OPEN_FAILED ? MSG_FILE_NOT_OPENED : MSG_FILE_NOT_WRITTEN,
             options.szConfigFile);
  }
  return result;
}

DPruneResult pruneActivityLog(const std::string& logFile, int days, const std::string& configFile) {
  TRACE_ENTRY(TRC_GUI, "pruneActivityLog");
  DPruneResult result;
  result.path = activityLogPath(logFile);
  result.nameRc =
      gLogP != nullptr ? gLogP->SetLogName(result.path.c_str()) : RC_LOG_NAME_NOT_DEFINED;
  TRACE_LINE(TRC_GUI, "Using a logfile name of %s \n", result.path.c_str());
  if (result.nameRc != RC_OK) return result;
  gLogP->SetRetentionDays(days);
  gLogP->SetLastPruned(DCONFIG_NEVER_PRUNED);
  result.pruneRc = gLogP->PruneLogFile();
  if (result.pruneRc != RC_OK) return result;
  std::string pruned = lastPruneText();
  CPreferences preferences(configFile.c_str());
  preferences.setPreferences(PREF_LASTPRUNEDATE, pruned.c_str(), nullptr);
  TRACE_LINE(TRC_GUI, "The new prune date is %s.\n", pruned.c_str());
  return result;
}

// A log that cannot be read (901) is a failure like any other: the user asked for the pruning.
void reportPrune(const DPruneResult& result) {
  if (result.nameRc != RC_OK) {
    nlprintf(MSG_PRUNE_NO_LOG, result.path.c_str());
  } else if (result.pruneRc == RC_OK) {
    nlprintf(MSG_PRUNED, result.path.c_str());
  } else if (result.pruneRc == RC_LOG_PRUNE_NOT_DUE) {
    nlprintf(MSG_PRUNE_OFF, result.path.c_str());
  } else {
    nlprintf(MSG_PRUNE_FAILED, result.path.c_str());
  }
}
