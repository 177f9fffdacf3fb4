// One run of the command-line program, from the process services to the clean-up.
#include <cstdio>
#include <cstring>
#include <mutex>

#include "agtlog.h"
#include "agtpref.h"
#include "agtrc.h"
#include "agttrc.h"
#include "clc.h"
#include "errormsg.h"
#include "msgfile.h"
#include "msgout.h"
#include "msgrepo.h"
#include "nlsglob.h"
#include "psutil.h"

CPreferences* gPreferencesP = nullptr;

namespace {

constexpr int RC_NO_REPOSITORY = 400;  // the message repository could not be opened

// CleanUp runs on the main thread and, after a cancel while no request runs, on the console
// control thread: one at a time.
std::mutex s_CleanUpMutex;

void startProcessServices(ClcRun* runP) {
  nlsSetup(nullptr);
  optSetAgentDirRtn(psGetAgentDir);  // the message repository lives in the agent directory
  setvbuf(stdout, nullptr, _IONBF, 0);
  InitInterruptHandler(CleanUp);
  gTraceEchoP = traceEcho;
  runP->agentDirRc = psGetAgentDir(runP->agentDir, sizeof runP->agentDir);
}

// The outcome of a dispatched command: the request's text, or the message of its code; a
// success has a completion message of its own.
void reportCommand(ClcRun* runP) {
  int rc = runP->runRc;
  if (rc == RC_OK) {
    nlprintf(CLC_MSG_COMPLETED);
    return;
  }
  if (runP->msgBuffer[0] != '\0') {
    nlprintf(CLC_MSG_LINE, runP->msgBuffer);
  } else {
    clcPrintRcMessage(rc, "");
  }
}

}  // namespace

void clcPrintRcMessage(int rc, const char* insertP) {
  char text[CLC_MSG_BUFFER_LEN + 1];
  nlsprintf(text, sizeof text, agentRcMessage(rc), insertP);
  nlprintf(CLC_MSG_LINE, text);
}

int CleanUp(int cleanUpReason) {
  std::lock_guard<std::mutex> hold(s_CleanUpMutex);
  TRACE_LINE(TRC_CMD, "CleanUp(%d)\n", cleanUpReason);
  psRestoreConsole();  // a cancel at a prompt ends the program with the terminal in raw mode
  clcStopSql();
  int rc = clcStopStorage();
  delete gPreferencesP;
  gPreferencesP = nullptr;
  // After a cancel with no request running (reason 1) the process ends at once while the main
  // thread may still be writing to the log: the log then stays to the end.
  if (cleanUpReason == 0) delete setActivityLog(nullptr);
  NLTerm();
  nlsCleanup();
  return rc;
}

int clcRun(int argc, char* argv[]) {
  ClcRun* runP = new ClcRun();
  runP->argc = argc;
  runP->argv = argv;
  startProcessServices(runP);
  clcFirstPass(runP);
  if (runP->runRc == RC_OK) clcSecondPass(runP);
  bool repository = runP->runRc != RC_NO_REPOSITORY;
  if (repository) clcReportStartUp(runP);
  bool startedUp = runP->runRc == RC_OK;
  if (startedUp) clcPruneLog(runP);
  if (startedUp) clcStartCommandServices(runP);
  bool dispatched = runP->runRc == RC_OK;
  if (dispatched) clcDispatch(runP);
  if (dispatched) reportCommand(runP);
  if (repository && runP->runRc != RC_OK) nlprintf(CLC_MSG_ENDED_WITH, int(runP->runRc));
  if (repository) nlprintf(CLC_MSG_NEW_LINE);
  gTrace.close();
  runP->runRc = CleanUp(0);
  int rc = runP->runRc;
  delete runP;
  return rc;
}
