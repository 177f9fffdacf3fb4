// The storage-manager interface of a run: loaded, checked and set up for the commands that talk
// to the storage server, and the password prompts its logon may ask for.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>

#include "agtrc.h"
#include "agttrc.h"
#include "clc.h"
#include "clcstatus.h"
#include "errormsg.h"
#include "msgout.h"
#include "parse.h"
#include "pelkapid.h"
#include "psutil.h"

namespace {

enum : int {
  MSG_GENERATED_PASSWORD = 5091,
  MSG_VERIFY_NEW = 252,
  MSG_ENTER_PASSWORD = 253,
  MSG_ENTER_NEW = 254,
  MSG_EXPIRED_NO_CURRENT = 256,
  MSG_EXPIRED = 257,
  MSG_NOTHING_ENTERED = 258,
  MSG_NO_MATCH = 259,
};

// What the logon asks for.
enum : int {
  PROMPT_NEW = 105,
  PROMPT_CURRENT = 106,
  PROMPT_NONE_ENTERED = 111,
  PROMPT_EXPIRED = 52,
  PROMPT_NEEDED = 137,
};

constexpr int PROMPT_MAX = PELK_PASSWORD_SIZE;  // 64 characters and the terminator
constexpr int RC_PROMPT_DIFFERS = 422;          // the new password's two entries differ
constexpr int RC_PROMPT_EMPTY = 423;            // nothing was entered

DPelkApiDL* gApiDLP = nullptr;  // the process's interface object, also gPelkApiObjP

bool isStorageCommand(uint32_t command) {
  return (command >= CMD_BACKUP_DIFF && command <= CMD_CHANGE_PASSWORD) ||
         (command >= CMD_INACTIVATE_ALL && command <= CMD_INACTIVATE_SET) ||
         (command >= CMD_QUERY_HUBLOR && command <= CMD_QUERY_HUBLOR_TYPES) ||
         (command >= CMD_RESTORE_DIFF && command <= CMD_RESTORE_SET);
}

// Loads the library, checks its version and sets it up for the process.
int setUpInterface(ClcRun* runP) {
  OptionsInfo& o = runP->options;
  gApiDLP = new (std::nothrow)
      DPelkApiDL(o.szHublorNode, o.szHublorPassword, o.szHublorOptFile, clcPasswordPrompt);
  if (gApiDLP == nullptr) return RC_NO_MEMORY;
  gPelkApiObjP = gApiDLP;
  int rc = gApiDLP->Setup();
  if (rc != RC_OK) return rc;
  pelkApiVersion version;
  rc = gApiDLP->checkCompatibility(&runP->apiStatus, &version);
  if (rc != RC_OK) return rc;
  runP->apiSetup.optFileP = o.szHublorOptFile;
  runP->apiSetup.argv = runP->argv;
  DPelkApi::SetSetupData(&runP->apiSetup);
  int errorKind = 0;
  rc = gApiDLP->Init(&runP->apiStatus, &errorKind);
  if (rc == RC_OK || errorKind != 2) return rc;
  size_t length = 0;
  gApiDLP->AgtPelkRCMsg(&runP->apiStatus, 0, static_cast<int16_t>(rc), runP->apiErrorText,
                        sizeof runP->apiErrorText, &length);
  return RC_API_CALL_FAILED;
}

void reportInterface(ClcRun* runP, int rc) {
  if (rc == RC_API_VERSION_TOO_OLD || rc == RC_API_LEVEL_TOO_OLD) {
    char required[32];
    std::snprintf(required, sizeof required, "%u.%u.%u", apiBuildVersion.version,
                  apiBuildVersion.release, apiBuildVersion.level);
    clcPrintRcMessage(rc, required);
  } else if (rc == RC_API_CALL_FAILED && runP->apiErrorText[0] != '\0') {
    nlprintf(CLC_MSG_LINE, runP->apiErrorText);
  } else {
    clcPrintRcMessage(rc, "");
  }
}

// A message of the prompts as a line of its own.
void printLine(int msgNum) {
  nlprintf(msgNum);
  nlprintf(CLC_MSG_NEW_LINE);
}

// Reads a hidden entry of at most 64 characters and ends the prompt's line; false when the
// console input was cancelled.
bool readHidden(char* bufferP, int size) {
  int length = psReadPassword(bufferP, std::min(size, PROMPT_MAX));
  nlprintf(CLC_MSG_NEW_LINE);
  return length >= 0;
}

// Asks for a new password twice; the output gets it when both entries are equal and not
// empty. The prompt's code (clcPasswordPrompt).
int readNewTwice(int promptMsg, const char* insertP, char* outP, int outSize) {
  char first[PROMPT_MAX] = "";
  char second[PROMPT_MAX] = "";
  nlprintf(promptMsg, insertP);
  if (!readHidden(first, sizeof first)) return PELK_PW_CANCELLED;
  if (first[0] == '\0') {
    printLine(MSG_NOTHING_ENTERED);
    return RC_PROMPT_EMPTY;
  }
  nlprintf(MSG_VERIFY_NEW);
  if (!readHidden(second, sizeof second)) return PELK_PW_CANCELLED;
  if (second[0] == '\0') {
    printLine(MSG_NOTHING_ENTERED);
    return RC_PROMPT_EMPTY;
  }
  if (std::strcmp(first, second) != 0) {
    printLine(MSG_NO_MATCH);
    return RC_PROMPT_DIFFERS;
  }
  std::snprintf(outP, static_cast<size_t>(outSize), "%s", first);
  return RC_OK;
}

// A single hidden entry; an empty one is reported when reportEmpty says so.
int readOnce(char* outP, int outSize, bool reportEmpty) {
  if (!readHidden(outP, outSize)) return PELK_PW_CANCELLED;
  if (outP[0] != '\0') return RC_OK;
  if (reportEmpty) printLine(MSG_NOTHING_ENTERED);
  return RC_PROMPT_EMPTY;
}

}  // namespace

void clcStartCommandServices(ClcRun* runP) {
  OptionsInfo& o = runP->options;
  if (isStorageCommand(o.command)) {
    int rc = setUpInterface(runP);
    if (rc != RC_OK) reportInterface(runP, rc);
    runP->runRc = rc;
    if (rc != RC_OK) return;
  }
  runP->runRc = clcStartSql(runP);
  if (runP->runRc != RC_OK) return;
  gConsoleStatus.dbSetStatusCommand(o.command);
  runP->statusP = o.bQuiet == 1 ? nullptr : clcStatusCallback;
  runP->logon.nodeNameP = o.szHublorNode;
  runP->logon.passwordP = o.szHublorPassword;
  runP->logon.newPasswordP = nullptr;
  runP->logon.optFileP = o.szHublorOptFile;
  runP->logon.pwCallbackP = clcPasswordPrompt;
}

int clcStopStorage() {
  if (gApiDLP == nullptr) return RC_OK;
  int rc = gApiDLP->Cleanup();
  gPelkApiObjP = nullptr;
  delete gApiDLP;
  gApiDLP = nullptr;
  return rc;
}

int clcPasswordPrompt(int promptKind, int flag, const char* currentP, const char* nodeNameP,
                      char* outP, int outSize, const char*) {
  TRACE_LINE(TRC_CMD, "clcPasswordPrompt(%d)\n", promptKind);
  if (outP == nullptr || outSize < 1) return RC_OK;
  outP[0] = '\0';
  const char* nodeP = nodeNameP != nullptr ? nodeNameP : "";
  switch (promptKind) {
    case PROMPT_NEEDED:
      if (flag == 1) {
        printLine(MSG_GENERATED_PASSWORD);
        return RC_OK;
      }
      nlprintf(MSG_ENTER_PASSWORD, nodeP);
      return readOnce(outP, outSize, false);
    case PROMPT_EXPIRED:
      if (currentP == nullptr || currentP[0] == '\0') {
        printLine(MSG_EXPIRED_NO_CURRENT);
        return RC_OK;
      }
      printLine(MSG_EXPIRED);
      return readNewTwice(MSG_ENTER_NEW, nodeP, outP, outSize);
    case PROMPT_NEW:
      return readNewTwice(agentRcMessage(PROMPT_NEW), "", outP, outSize);
    case PROMPT_CURRENT:
      nlprintf(agentRcMessage(PROMPT_CURRENT));
      return readOnce(outP, outSize, true);
    case PROMPT_NONE_ENTERED:
      printLine(MSG_NOTHING_ENTERED);
      return RC_OK;
    default:
      return RC_OK;
  }
}
