// The entry functions of the storage-side requests and the cancel entry.
#include "erifunc.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "agtlog.h"
#include "agtrc.h"
#include "agttrc.h"
#include "errormsg.h"
#include "inactivateeri.h"
#include "msgout.h"
#include "pelkchangepw.h"
#include "sqlqrybackup.h"

namespace {

constexpr int MSG_PASSWORD_CHANGED = 260;
constexpr int MSG_QUERY_SERVER_STARTED = 5210;
constexpr int MSG_CHANGE_PASSWORD_STARTED = 5211;
constexpr int MSG_INACTIVATE_STARTED = 5224;
constexpr int MSG_INACTIVATE_NAMED_STARTED = 5225;
constexpr int MSG_CANCEL_RECEIVED = 5300;
constexpr int RC_EXIT_CANCELLED = 415;

// What the password callback is asked for.
constexpr int PW_ASK_NEW = 105;
constexpr int PW_ASK_CURRENT = 106;

template <class... Inserts>
void logLine(int msgNum, Inserts... inserts) {
  if (gLogP != nullptr) gLogP->LogActivityLog(msgNum, inserts...);
}

const char* orDash(const char* textP) {
  return textP != nullptr && textP[0] != '\0' ? textP : "-";
}

// The option file and node of the process's storage-server interface, "-" for what it lacks.
const char* apiOptFile() {
  return gPelkApiObjP != nullptr ? orDash(gPelkApiObjP->getHublorOptFile()) : "-";
}
const char* apiNode() {
  return gPelkApiObjP != nullptr ? orDash(gPelkApiObjP->getHublorNode()) : "-";
}

// The request's error text into the caller's buffer after a failure, when it has one.
void copyErrorText(uint32_t rc, DBaseEri& request, char* msgBufferP) {
  if (rc == RC_OK || msgBufferP == nullptr) return;
  const char* textP = request.GetMessageBuffer();
  if (textP == nullptr || textP[0] == '\0') return;
  std::snprintf(msgBufferP, ERI_MESSAGE_SIZE, "%s", textP);
}

void clearBuffer(char* msgBufferP) {
  if (msgBufferP != nullptr) msgBufferP[0] = '\0';
}

// The query's start message by its type; an unknown type logs the internal-error message and
// the query still runs.
int queryStartMessage(uint32_t qryCommand) {
  static const struct {
    uint32_t type;
    int msgNum;
  } kMessages[] = {{63, 5213},
                   {ERI_QRY_DIFFFULL, 5216},
                   {ERI_QRY_FILE, 5219},
                   {ERI_QRY_FULL, 5215},
                   {ERI_QRY_GROUP, 5218},
                   {ERI_QRY_LOG, 5217},
                   {ERI_QRY_SET, 5220},
                   {70, 5214}};
  for (const auto& row : kMessages) {
    if (row.type == qryCommand) return row.msgNum;
  }
  return agentRcMessage(RC_INTERNAL_ERROR);
}

const char* yesNo(uint32_t flag) {
  return flag == 1 ? "Yes" : "No";
}

// The names of the group, file, log or set patterns: the group or file names, else the object
// names.
char* secondNamesText(const DSqlQueryBackupParms& parms, char* textP) {
  if (parms.groupFileListP != nullptr) return eriNameListText(parms.groupFileListP, textP);
  return eriNameListText(parms.objectNameListP, textP);
}

// The type text of each inactivation command, 47 to 53.
const char* const kInactivateTypes[] = {"ALL", "DIFF", "File ", "FULL", "Group", "Log  ", "Set  "};

void logInactivateStart(const CInactivateBackupsParms& parms) {
  const char* typeP = kInactivateTypes[parms.command - ERI_CMD_INACTIVATE_ALL];
  char olderThan[16] = "-";
  if (parms.nOlderthan >= 0) std::snprintf(olderThan, sizeof olderThan, "%d", parms.nOlderthan);
  char dbNames[ERI_NAME_TEXT_SIZE];
  char patterns[ERI_NAME_TEXT_SIZE];
  eriNameListText(parms.dbNameListP, dbNames);
  eriNameListText(parms.objectPatternListP, patterns);
  const char* serverP = orDash(parms.sqlServerNameP);
  bool named = parms.command == ERI_CMD_INACTIVATE_FILE ||
               parms.command == ERI_CMD_INACTIVATE_GROUP ||
               parms.command == ERI_CMD_INACTIVATE_LOG || parms.command == ERI_CMD_INACTIVATE_SET;
  if (!named) {
    logLine(MSG_INACTIVATE_STARTED, typeP, dbNames, patterns, olderThan, serverP, apiOptFile(),
            apiNode());
    return;
  }
  char upper[8];
  std::snprintf(upper, sizeof upper, "%s", typeP);
  for (char* cP = upper; *cP != '\0'; cP++) *cP = static_cast<char>(std::toupper(*cP));
  char secondNames[ERI_NAME_TEXT_SIZE];
  secondNamesText(parms, secondNames);
  logLine(MSG_INACTIVATE_NAMED_STARTED, upper, dbNames, typeP, secondNames, patterns, olderThan,
          serverP, apiOptFile(), apiNode());
}

// Asks the callback for a password the caller did not give; true when there is one.
bool askPassword(const pelkApiLogonInfo& logon, int kind, char* passwordP, char* currentP) {
  if (passwordP[0] != '\0') return true;
  if (logon.pwCallbackP == nullptr) return false;
  logon.pwCallbackP(kind, 0, nullptr, logon.nodeNameP, passwordP, PELK_PASSWORD_SIZE, currentP);
  return passwordP[0] != '\0';
}

}  // namespace

uint32_t eriCancelRequest(EriExitCallback exitP) {
  TRACE_ENTRY(TRC_ERI, "eriCancelRequest()");
  logLine(MSG_CANCEL_RECEIVED);
  if (eriCancelCurrentRequest() != 0) TRACE_RETURN(RC_OK);
  if (exitP == nullptr) TRACE_RETURN(RC_OK);
  exitP(1);
  std::fflush(nullptr);
  // The process-wide objects are gone: nothing may run their destructors a second time.
  std::_Exit(RC_EXIT_CANCELLED & 0xFF);
}

uint32_t eriChangeMoxtarPassword(const pelkApiLogonInfo* logonInfoP, char* msgBufferP) {
  TRACE_ENTRY(TRC_ERI, "eriChangeMoxtarPassword()");
  if (logonInfoP == nullptr) TRACE_RETURN(RC_INTERNAL_ERROR);
  logLine(MSG_CHANGE_PASSWORD_STARTED, orDash(logonInfoP->optFileP), orDash(logonInfoP->nodeNameP));
  clearBuffer(msgBufferP);
  char password[PELK_PASSWORD_SIZE] = "";
  char newPassword[PELK_PASSWORD_SIZE] = "";
  if (logonInfoP->passwordP != nullptr) {
    std::snprintf(password, sizeof password, "%s", logonInfoP->passwordP);
  }
  if (logonInfoP->newPasswordP != nullptr) {
    std::snprintf(newPassword, sizeof newPassword, "%s", logonInfoP->newPasswordP);
  }
  pelkApiLogonInfo logon = *logonInfoP;
  if (!askPassword(logon, PW_ASK_CURRENT, password, password)) TRACE_RETURN(RC_OK);
  if (!askPassword(logon, PW_ASK_NEW, newPassword, password)) TRACE_RETURN(RC_OK);
  logon.passwordP = password;
  logon.newPasswordP = newPassword;
  DPelkChangePWEri request(&logon);
  uint32_t rc = eriRunRequest(&request, "dPelkChangePWEriObj.ProcessRequest()", 1);
  copyErrorText(rc, request, msgBufferP);
  if (rc == RC_OK && msgBufferP != nullptr) {
    nlsprintf(msgBufferP, ERI_MESSAGE_SIZE, MSG_PASSWORD_CHANGED);
  }
  TRACE_RETURN(rc);
}

uint32_t eriQueryMoxtarServer(pelkSessInfo* sessInfoP, pelkApiVersion* apiVersionP,
                              const pelkApiLogonInfo* logonInfoP, char* msgBufferP) {
  TRACE_ENTRY(TRC_ERI, "eriQueryMoxtarServer()");
  const char* optFileP = logonInfoP != nullptr ? logonInfoP->optFileP : nullptr;
  const char* nodeP = logonInfoP != nullptr ? logonInfoP->nodeNameP : nullptr;
  logLine(MSG_QUERY_SERVER_STARTED, orDash(optFileP), orDash(nodeP));
  clearBuffer(msgBufferP);
  DPelkQueryServerEri request(logonInfoP, sessInfoP, apiVersionP);
  uint32_t rc = eriRunRequest(&request, "dPelkQueryServerEriObj.ProcessRequest()", 1);
  copyErrorText(rc, request, msgBufferP);
  TRACE_RETURN(rc);
}

uint32_t eriHublorQuerySqlBackups(DSqlQueryBackupParms* parmsP) {
  TRACE_ENTRY(TRC_ERI, "eriHublorQuerySqlBackups()");
  if (parmsP == nullptr) TRACE_RETURN(RC_INTERNAL_ERROR);
  char dbNames[ERI_NAME_TEXT_SIZE];
  char secondNames[ERI_NAME_TEXT_SIZE];
  logLine(queryStartMessage(parmsP->qryCommand), orDash(parmsP->sqlServerNameP),
          eriNameListText(parmsP->dbNameListP, dbNames), secondNamesText(*parmsP, secondNames),
          yesNo(parmsP->bAll), yesNo(parmsP->bFillDbElems), yesNo(parmsP->bFileInfo),
          yesNo(parmsP->bMetaMountWait));
  clearBuffer(parmsP->msgBufferP);
  DSqlQueryBackupEri request(parmsP);
  uint32_t rc = eriRunRequest(&request, "dSqlQueryBackupEriObj.ProcessRequest()", 1);
  copyErrorText(rc, request, parmsP->msgBufferP);
  TRACE_RETURN(rc);
}

uint32_t eriInactivateBackups(CInactivateBackupsParms* parmsP) {
  TRACE_ENTRY(TRC_ERI, "eriInactivateBackups()");
  if (parmsP == nullptr) TRACE_RETURN(RC_INTERNAL_ERROR);
  CInactivateBackupsEri request(parmsP);
  if (parmsP->command < ERI_CMD_INACTIVATE_ALL || parmsP->command > ERI_CMD_INACTIVATE_SET) {
    TRACE_LINE(TRC_ERI, "An unknown command was detected, optionsInfo.command:%u\n",
               parmsP->command);
    TRACE_RETURN(RC_INTERNAL_ERROR);
  }
  logInactivateStart(*parmsP);
  clearBuffer(parmsP->msgBufferP);
  uint32_t rc = eriRunRequest(&request, "cInactivateBackupsEriObj.ProcessRequest()", 0);
  copyErrorText(rc, request, parmsP->msgBufferP);
  TRACE_RETURN(rc);
}
