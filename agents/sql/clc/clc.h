// The command-line program zarnaksqlc: one command per run. The run brings up the process-wide
// services in a fixed order, reads the preferences, parses the command line twice (once to
// find the configuration file, once over the preferences), opens the trace and the activity
// log, prunes the log, runs the command through its dispatch slot, prints the outcome and
// ends with the first failing agent return code.
//
// Everything the program prints is a numbered message. Concurrency: one thread; the process-wide
// objects are created and freed by that thread only.
#pragma once

#include <cstddef>

#include "ffrc.h"
#include "optinfo.h"
#include "pelkapi.h"
#include "statusinfo.h"

class CPreferences;
class CLog;

constexpr int CLC_MSG_BUFFER_LEN = 3584;  // the message buffer every request receives
constexpr int CLC_AGENT_DIR_SIZE = 1024;
constexpr int CLC_LOG_DIR_SIZE = 1025;

// Messages of the program.
enum ClcMessage {
  CLC_MSG_TEXT = 1,        // a text without line end
  CLC_MSG_LINE = 2,        // a text as a line
  CLC_MSG_NEW_LINE = 131,  // ends a line
  CLC_MSG_NO_TRACE = 132,  // after the trace could not be opened
  CLC_MSG_NO_AGENT_DIR = 133,
  CLC_MSG_NO_LOG_DIR = 134,
  CLC_MSG_BANNER = 5000,
  CLC_MSG_HELP_PROMPT = 5048,
  CLC_MSG_HELP_BLANK = 5049,
  CLC_MSG_CONFIG_CREATED = 5050,
  CLC_MSG_CONFIG_MISSING = 5051,
  CLC_MSG_PREF_STORED = 5054,
  CLC_MSG_COMPLETED = 5055,
  CLC_MSG_PRUNE_FAILED = 5056,
  CLC_MSG_PRUNED = 5057,
  CLC_MSG_LOG_NAME_TOO_LONG = 5058,
  CLC_MSG_LOG_NOT_OPENED = 5059,
  CLC_MSG_PREFERENCES = 5062,
  CLC_MSG_ENDED_WITH = 5092,
};

// What the run keeps from start to end (the locals of the main routine).
struct ClcRun {
  int argc = 0;
  char** argv = nullptr;
  Ffrc startRc;           // until the preferences are read
  Ffrc runRc;             // the exit code
  OptionsInfo firstPass;  // only to learn the configuration file name
  OptionsInfo options;    // what every later step reads
  char agentDir[CLC_AGENT_DIR_SIZE] = {};
  char configFile[OPT_PATH_SIZE] = {};
  char logDir[CLC_LOG_DIR_SIZE] = {};
  char configuredLogFile[OPT_PATH_SIZE] = {};  // before the log directory was put in front
  char msgBuffer[CLC_MSG_BUFFER_LEN + 1] = {};
  int agentDirRc = 0;
  int traceRc = 0;
  int logDirRc = 0;
  int logNameTooLong = 0;
  int setLogNameRc = 0;
  int configMissing = 0;             // non-zero: the configuration file did not exist at start
  int firstPassFailed = 0;           // the parse error to report is the first pass's
  StatusFunction statusP = nullptr;  // clcStatusCallback unless Quiet
  pelkApiLogonInfo logon{};          // the storage logon of the storage-side requests
  PelkSetupData apiSetup{};          // the storage interface's set-up data, alive for the run
  DPelkApiStatus apiStatus;          // times the set-up calls
  char apiErrorText[1024] = {};      // the library's text of a failed set-up
};

// The process-wide preferences object (the log is gLogP of the activity log).
extern CPreferences* gPreferencesP;

// Runs the command line; returns the first failing agent return code (0 on success).
int clcRun(int argc, char* argv[]);
// Frees the process-wide objects, clearing each pointer, so it may run twice, also from the
// console control thread (one call at a time). Returns 0, or the storage interface's code of
// its clean-up.
int CleanUp(int cleanUpReason);

// Start-up steps (clcstart.cpp).
void clcFirstPass(ClcRun* runP);
void clcSecondPass(ClcRun* runP);
void clcReportStartUp(ClcRun* runP);
void clcPruneLog(ClcRun* runP);

// The services of the command (clcstorage.cpp): the storage-manager interface for the
// storage-side commands, reported where it fails; the status display's command; the storage
// logon record. Its rc goes to the run holder.
void clcStartCommandServices(ClcRun* runP);
// Ends and frees the storage-manager interface; its clean-up's code.
int clcStopStorage();
// The SQL Server login and access object of the commands that work with SQL Server (Backup,
// Query SQL, Restore; clcsql.cpp): the login is completed from the one stored for the server
// (1213 when the user given is not the stored one; none stored: "sa", logged with 5066), then
// the access object is created; a failure is reported here. Other commands: 0, nothing done.
int clcStartSql(ClcRun* runP);
// Frees the SQL Server access object, when there is one.
void clcStopSql();
// The password callback of the storage logon: prompts on the console and reads a hidden entry
// (a plain line when standard input is not a terminal). Returns 0 (the output filled, or a
// message that asks for nothing), 101 when the console input was cancelled, 423 when nothing
// was entered, 422 when the two entries of a new password differ.
int clcPasswordPrompt(int promptKind, int flag, const char* currentP, const char* nodeNameP,
                      char* outP, int outSize, const char* storedP);
// Turns Ctrl-C, Ctrl-Break, closing the terminal and shutdown (SIGINT, SIGQUIT, SIGHUP,
// SIGTERM) into a cancel of the running request (clcintr.cpp); before any thread starts.
int InitInterruptHandler(int (*exitCallbackP)(int));

// Dispatch (clcdispatch.cpp): runs the command of the run record; its rc goes to the run
// holder (419 for a command id without a handler).
void clcDispatch(ClcRun* runP);

// The handlers.
int clcHelp(ClcRun* runP);
int clcQueryZarnak(ClcRun* runP);
int clcSet(ClcRun* runP);
int clcQueryHublor(ClcRun* runP);   // the storage server (62)
int clcQueryBackups(ClcRun* runP);  // stored backups and their types (63-70)
int clcInactivate(ClcRun* runP);
int clcChangePassword(ClcRun* runP);
int clcBackup(ClcRun* runP);    // 1-6
int clcQuerySql(ClcRun* runP);  // 59, 60
int clcRestore(ClcRun* runP);   // 72-77
// Prints the messages (a list ended by -1) with paging: on a terminal the output pauses when a page
// is full and goes on at Enter; never when standard output is redirected.
int displayHelp(const int* msgNumsP);

// Prints the options line (message 5077) of the database options whose flags are set; the
// flags are indexed by the meta-data's flag bits (SQL_META_FLAG_COUNT of them).
void clcPrintOptions(const uint32_t* flagsP);

// Prints the message of a return code with one text insert.
void clcPrintRcMessage(int rc, const char* insertP);
