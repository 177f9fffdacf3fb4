// INACTIVate and CHANGEHUBLORPassword: the storage-side commands that change something.
#include <cstring>

#include "agtrc.h"
#include "clc.h"
#include "clcqryrec.h"
#include "erifunc.h"
#include "errormsg.h"
#include "msgout.h"
#include "psutil.h"

namespace {

constexpr int RC_VERIFY_PROMPT = 101;  // its message asks for the new password once more
constexpr int RC_VERIFY_DIFFERS = 422;
constexpr int RC_VERIFY_EMPTY = 423;

// The verify password of the command line, asked for when it was not given.
int verifyNewPassword(OptionsInfo& o) {
  char* verifyP = o.szVerifyHublorPassword;
  if (verifyP[0] == '\0') {
    nlprintf(agentRcMessage(RC_VERIFY_PROMPT));
    int length = psReadPassword(verifyP, OPT_HUBLOR_NAME_SIZE);
    nlprintf(CLC_MSG_NEW_LINE);
    if (length < 0) return RC_CANCELED_BY_USER;
  }
  if (verifyP[0] == '\0') return RC_VERIFY_EMPTY;
  if (std::strcmp(verifyP, o.szNewHublorPassword) != 0) return RC_VERIFY_DIFFERS;
  return RC_OK;
}

}  // namespace

int clcInactivate(ClcRun* runP) {
  CInactivateBackupsParms parms;
  ClcQueryLists lists;
  int rc = clcFillQuery(runP, &parms, &lists);
  if (rc != RC_OK) return rc;
  parms.nInactivated = 0;
  parms.nOlderthan = runP->options.nOlderthan;
  parms.command = runP->options.command;
  return eriInactivateBackups(&parms);
}

int clcChangePassword(ClcRun* runP) {
  OptionsInfo& o = runP->options;
  if (o.szNewHublorPassword[0] != '\0') {
    int rc = verifyNewPassword(o);
    if (rc != RC_OK) return rc;
    runP->logon.newPasswordP = o.szNewHublorPassword;
  }
  int rc = eriChangeMoxtarPassword(&runP->logon, runP->msgBuffer);
  if (rc == RC_OK && runP->msgBuffer[0] != '\0') nlprintf(CLC_MSG_LINE, runP->msgBuffer);
  return rc;
}
