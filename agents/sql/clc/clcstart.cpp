// The start-up of a run: the two passes over the command line around the preferences, the
// trace and the activity log, the start-up report and the pruning of the log.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>

#include "agtlog.h"
#include "agtpref.h"
#include "agtrc.h"
#include "agttrc.h"
#include "clc.h"
#include "errormsg.h"
#include "msgfile.h"
#include "msgout.h"
#include "msgrepo.h"
#include "parse.h"
#include "pkfile.h"
#include "psutil.h"

namespace {

constexpr int RC_NO_REPOSITORY = 400;
constexpr char kNeverPruned[] = "00/00/0000 00:00:00";

// A bare file name (no directory part) goes into the directory when both fit together.
bool isBareName(const char* nameP) {
  return strchr(nameP, '/') == nullptr && strchr(nameP, '\\') == nullptr &&
         strchr(nameP, ':') == nullptr;
}

bool joinFits(const char* dirP, const char* nameP) {
  return strlen(dirP) + strlen(nameP) <= OPT_PATH_SIZE - 1;
}

// Puts the directory in front of the name; the caller checked that both fit together.
template <size_t N>
void putInDirectory(char (&nameR)[N], const char* dirP) {
  std::string joined = std::string(dirP) + nameR;
  memcpy(nameR, joined.c_str(), std::min(joined.size() + 1, N));
  nameR[N - 1] = '\0';
}

void findConfigFile(ClcRun* runP) {
  const char* givenP = runP->firstPass.szConfigFile;
  if (givenP[0] == '\0') {
    runP->startRc = psGetAgentConfig(runP->configFile, sizeof runP->configFile);
    return;
  }
  snprintf(runP->configFile, sizeof runP->configFile, "%s", givenP);
  if (isBareName(givenP) && joinFits(runP->agentDir, givenP)) {
    putInDirectory(runP->configFile, runP->agentDir);
  }
}

void readPreferences(ClcRun* runP) {
  snprintf(runP->options.szConfigFile, sizeof runP->options.szConfigFile, "%s", runP->configFile);
  gPreferencesP = new (std::nothrow) CPreferences(runP->configFile);
  if (gPreferencesP == nullptr) {
    runP->startRc = RC_NO_MEMORY;
    return;
  }
  runP->startRc = gPreferencesP->getAllPreferences(&runP->options, 1);
}

// Without its repository the program has no message to print, so the one line that says why
// is a plain one on standard error.
void openMessages(ClcRun* runP) {
  const OptionsInfo& o = runP->options;
  int rc = NLInit("AMENG", 10, 1, o.nDateFormat, o.nTimeFormat, o.nNumberFormat);
  if (rc == RC_OK) return;
  runP->runRc = RC_NO_REPOSITORY;
  char path[OPT_PATH_SIZE] = {};
  char dir[OPT_PATH_SIZE] = {};
  optGetMessageFile("AMENG", path, sizeof path, dir, sizeof dir);
  std::fprintf(stderr, "zarnaksqlc: the message repository %s cannot be read (return code %d).\n",
               path, RC_NO_REPOSITORY);
}

void openLog(ClcRun* runP) {
  OptionsInfo& o = runP->options;
  CLog* logP = new (std::nothrow) CLog();
  if (logP == nullptr) {
    runP->runRc = RC_NO_MEMORY;
    return;
  }
  runP->logDirRc = psGetAgentLog(runP->logDir, sizeof runP->logDir);
  snprintf(runP->configuredLogFile, sizeof runP->configuredLogFile, "%s", o.szLogFile);
  if (isBareName(o.szLogFile) && !joinFits(runP->logDir, o.szLogFile)) runP->logNameTooLong = 1;
  if (isBareName(o.szLogFile) && joinFits(runP->logDir, o.szLogFile)) {
    putInDirectory(o.szLogFile, runP->logDir);
  }
  runP->setLogNameRc = logP->SetLogName(o.szLogFile);
  // Named before it is set: a cancel may write to it from the console control thread at once.
  setActivityLog(logP);
}

// The command line up to the word in error (the word that holds pszErrorArg), that word, and
// the option names of a combination error.
void echoCommandLine(ClcRun* runP, const OptionsInfo& o) {
  int errorWord = 0;  // none
  for (int i = 1; o.pszErrorArg != nullptr && i < runP->argc && errorWord == 0; i++) {
    const char* wordP = runP->argv[i];
    if (o.pszErrorArg >= wordP && o.pszErrorArg <= wordP + strlen(wordP)) errorWord = i;
  }
  for (int i = 1; i < errorWord; i++) {
    nlprintf(CLC_MSG_TEXT, runP->argv[i]);
    nlprintf(CLC_MSG_TEXT, " ");
  }
  if (errorWord > 0) nlprintf(CLC_MSG_LINE, runP->argv[errorWord]);
  if (o.szConflictText[0] != '\0') nlprintf(CLC_MSG_LINE, o.szConflictText);
}

}  // namespace

void clcFirstPass(ClcRun* runP) {
  // The run record has its defaults before anything can fail, so that a failure of the first
  // pass is reported with sound formats.
  initializeOptions(&runP->options);
  initializeOptions(&runP->firstPass);
  runP->startRc = parseClcCmdLine(runP->argc, runP->argv, &runP->firstPass);
  runP->firstPassFailed = runP->startRc != RC_OK;
  if (runP->startRc == RC_OK) findConfigFile(runP);
  if (runP->startRc == RC_OK) {
    pkInt64 size;
    runP->configMissing = pkFSize(runP->configFile, &size) != RC_OK;
  }
  if (runP->startRc == RC_OK) readPreferences(runP);
  openMessages(runP);
  runP->runRc = runP->startRc;
}

void clcSecondPass(ClcRun* runP) {
  OptionsInfo& o = runP->options;
  runP->runRc = parseClcCmdLine(runP->argc, runP->argv, &o);
  if (runP->runRc != RC_OK) return;
  snprintf(o.szConfigFile, sizeof o.szConfigFile, "%s", runP->configFile);
  runP->traceRc = gTrace.open(o.szTraceFile);
  openLog(runP);
}

void clcReportStartUp(ClcRun* runP) {
  OptionsInfo& o = runP->options;
  nlprintf(CLC_MSG_BANNER, 2, 2, 0, 2, 1);
  if (runP->agentDirRc != RC_OK) clcPrintRcMessage(runP->agentDirRc, "");
  if (runP->agentDirRc != RC_OK) nlprintf(CLC_MSG_NO_AGENT_DIR);
  if (runP->traceRc != RC_OK) clcPrintRcMessage(runP->traceRc, o.szTraceFile);
  if (runP->traceRc != RC_OK) nlprintf(CLC_MSG_NO_TRACE);
  if (runP->logDirRc != RC_OK) clcPrintRcMessage(runP->logDirRc, "");
  if (runP->logDirRc != RC_OK) nlprintf(CLC_MSG_NO_LOG_DIR);
  if (runP->logNameTooLong) nlprintf(CLC_MSG_LOG_NAME_TOO_LONG, o.szLogFile);
  if (runP->setLogNameRc != RC_OK) nlprintf(CLC_MSG_LOG_NOT_OPENED, o.szLogFile);
  int rc = runP->runRc;
  if (rc == RC_OK) return;
  clcPrintRcMessage(rc, "");
  if (agentRcMessage(rc) == AGT_MSG_UNKNOWN_RC) return;
  echoCommandLine(runP, runP->firstPassFailed ? runP->firstPass : o);
}

void clcPruneLog(ClcRun* runP) {
  OptionsInfo& o = runP->options;
  if (runP->setLogNameRc != RC_OK || o.nLogPrune == -1) return;
  char preferred[PREF_VALUE_SIZE] = {};
  int rc = gPreferencesP->getPreferences(PREF_LOGFILE, preferred, sizeof preferred, nullptr, 1);
  if (rc == RC_OK && isBareName(preferred) && joinFits(runP->logDir, preferred)) {
    putInDirectory(preferred, runP->logDir);
  }
  gLogP->SetRetentionDays(o.nLogPrune);
  gLogP->SetLastPruned(kNeverPruned);
  bool preferredLog = strcmp(o.szLogFile, preferred) == 0;
  if (preferredLog && o.bLogPruneSpecified != 1) {
    char lastPruned[PREF_VALUE_SIZE] = {};
    gPreferencesP->getPreferences(PREF_LASTPRUNEDATE, lastPruned, sizeof lastPruned, nullptr, 1);
    gLogP->SetLastPruned(lastPruned);
  }
  rc = gLogP->PruneLogFile();
  if (rc == RC_LOG_OPEN_FOR_PRUNE_FAILED || rc == RC_LOG_PRUNE_NOT_DUE) return;
  if (rc != RC_OK) {
    nlprintf(CLC_MSG_PRUNE_FAILED, o.szLogFile);
    return;
  }
  if (o.bQuiet != 1) nlprintf(CLC_MSG_PRUNED, o.szLogFile);
  // The date is kept in an existing configuration file only: a command that only reads (a
  // query) creates no file. Without one the log is looked at for pruning on every run.
  agentDateTime pruned;
  if (!preferredLog || runP->configMissing) return;
  if (gLogP->GetLastPruned(&pruned) != RC_OK) return;
  char text[DATE_TIME_TEXT_SIZE];
  dateFormat(&pruned, text);
  gPreferencesP->setPreferences(PREF_LASTPRUNEDATE, text, nullptr);
}
