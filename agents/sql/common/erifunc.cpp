// The entry functions of the storage-side requests and the cancel entry.
#include "erifunc.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "agtlog.h"
#include "agtrc.h"
#include "agttrc.h"
#include "erientry.h"
#include "errormsg.h"
#include "inactivateeri.h"
#include "msgout.h"
#include "pelkchangepw.h"
#include "restoreeri.h"
#include "sqlqrybackup.h"
#include "sqlqryfs.h"

namespace {

constexpr int MSG_PASSWORD_CHANGED = 260;
constexpr int MSG_QUERY_SERVER_STARTED = 5210;
constexpr int MSG_CHANGE_PASSWORD_STARTED = 5211;
constexpr int MSG_QUERY_SERVERS_STARTED = 5212;
constexpr int MSG_INACTIVATE_STARTED = 5224;
constexpr int MSG_INACTIVATE_NAMED_STARTED = 5225;
constexpr int MSG_RESTORE_STARTED = 5226;
constexpr int MSG_RESTORE_STARTED_MORE = 5227;
constexpr int MSG_CANCEL_RECEIVED = 5300;
constexpr int RC_EXIT_CANCELLED = 415;
constexpr int RC_NOTHING_ENTERED = 423;

// What the password callback is asked for.
constexpr int PW_ASK_NEW = 105;
constexpr int PW_ASK_CURRENT = 106;

// The request's error text into the caller's buffer after a failure, when it has one; at most
// ERI_MSG_BUFFER_LEN characters, which is what both front ends give.
void copyErrorText(int rc, DBaseEri& request, char* msgBufferP) {
  if (rc == RC_OK || msgBufferP == nullptr) return;
  const char* textP = request.GetMessageBuffer();
  if (textP == nullptr || textP[0] == '\0') return;
  std::snprintf(msgBufferP, ERI_MSG_BUFFER_LEN + 1, "%s", textP);
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
  const char* serverP = eriOrDash(parms.sqlServerNameP);
  bool named = parms.command == ERI_CMD_INACTIVATE_FILE ||
               parms.command == ERI_CMD_INACTIVATE_GROUP ||
               parms.command == ERI_CMD_INACTIVATE_LOG || parms.command == ERI_CMD_INACTIVATE_SET;
  if (!named) {
    eriLogLine(MSG_INACTIVATE_STARTED, typeP, dbNames, patterns, olderThan, serverP,
               eriApiOptFile(), eriApiNode());
    return;
  }
  char upper[8];
  std::snprintf(upper, sizeof upper, "%s", typeP);
  for (char* cP = upper; *cP != '\0'; cP++) *cP = static_cast<char>(std::toupper(*cP));
  char secondNames[ERI_NAME_TEXT_SIZE];
  secondNamesText(parms, secondNames);
  eriLogLine(MSG_INACTIVATE_NAMED_STARTED, upper, dbNames, typeP, secondNames, patterns, olderThan,
             serverP, eriApiOptFile(), eriApiNode());
}

// The type text of each restore command, 71 to 77; the windowed program's 71 has none.
const char* const kRestoreTypes[] = {"", "DIFF", "FILE", "FULL", "GROUP", "LOG", "SET"};

// The restore's two start lines. The six further lists are those that narrow or redirect the
// restore: log or set names, groups, files, relocations (from, to) and the destination.
void logRestoreStart(const CRestoreBackupsParms& parms) {
  const SqlRestoreParameters& sql = parms.sqlRestoreParms;
  const char* typeP = kRestoreTypes[parms.command - ERI_CMD_RESTORE_ANY];
  const char* partialP = "-";
  if (parms.command == ERI_CMD_RESTORE_FULL) partialP = sql.bPartial != 0 ? "Yes" : "No";
  char lists[8][ERI_NAME_TEXT_SIZE];
  eriNameListText(parms.dbNameListP, lists[0]);
  eriNameListText(parms.objectPatternListP, lists[1]);
  eriNameListText(parms.objectNameListP, lists[2]);
  eriNameListText(parms.groupNameListP, lists[3]);
  eriNameListText(parms.fileNameListP, lists[4]);
  eriNameListText(parms.relocateFromListP, lists[5]);
  eriNameListText(parms.relocateToListP, lists[6]);
  eriNameListText(parms.intoNameListP, lists[7]);
  char reserved[sizeof sql.reserved + 1];
  std::memcpy(reserved, sql.reserved, sizeof sql.reserved);
  reserved[sizeof sql.reserved] = '\0';
  char stripes[16];
  std::snprintf(stripes, sizeof stripes, "%d", parms.nStripes);
  eriLogLine(MSG_RESTORE_STARTED, typeP, lists[0], lists[1], lists[2], lists[3], lists[4], lists[5],
             lists[6], lists[7], eriOrDash(reserved), yesNo(parms.bAll != 0), parms.nBuffers,
             parms.nBufferSize, sql.ulNumSqlBuffers, sql.ulSqlBufferSize, stripes,
             yesNo(parms.bMountWait != 0), eriOrDash(sql.szDateTime), eriOrDash(sql.szMarkName),
             eriOrDash(sql.szAfter), yesNo(sql.bRecovery != 0), yesNo(sql.bReplace != 0));
  eriLogLine(MSG_RESTORE_STARTED_MORE, yesNo(sql.bRestrictedUserOnly != 0), partialP,
             eriApiOptFile(), eriApiNode(), eriOrDash(parms.sqlServerNameP));
}

// The frame of the inactivation and the restore: the request is built first; a command outside
// first..last is traced and ends with 419, unlogged and unrun. The elapsed time goes to the
// trace only.
template <class Request, class Parms>
int runCommandRequest(Parms* parmsP, uint32_t first, uint32_t last, void (*logStartP)(const Parms&),
                      const char* labelP) {
  if (parmsP == nullptr) return RC_INTERNAL_ERROR;
  Request request(parmsP);
  if (parmsP->command < first || parmsP->command > last) {
    TRACE_LINE(TRC_ERI, "An unknown command was detected, optionsInfo.command:%u\n",
               parmsP->command);
    return RC_INTERNAL_ERROR;
  }
  logStartP(*parmsP);
  clearBuffer(parmsP->msgBufferP);
  int rc = eriRunRequest(&request, labelP, 0);
  copyErrorText(rc, request, parmsP->msgBufferP);
  return rc;
}

// Asks the callback for a password the caller did not give: 0 when there is one; 415 when the
// user cancelled the prompt; the callback's code (422: the two entries differ), or 423 when the
// answer is empty.
int askPassword(const pelkApiLogonInfo& logon, int kind, char* passwordP, char* currentP) {
  if (passwordP[0] != '\0') return RC_OK;
  if (logon.pwCallbackP == nullptr) return RC_NOTHING_ENTERED;
  int rc =
      logon.pwCallbackP(kind, 0, nullptr, logon.nodeNameP, passwordP, PELK_PASSWORD_SIZE, currentP);
  if (rc == PELK_PW_CANCELLED) return RC_CANCELED_BY_USER;
  if (passwordP[0] != '\0') return RC_OK;
  return rc != RC_OK ? rc : RC_NOTHING_ENTERED;
}

}  // namespace

const char* eriOrDash(const char* textP) {
  return textP != nullptr && textP[0] != '\0' ? textP : "-";
}

const char* eriApiOptFile() {
  return gPelkApiObjP != nullptr ? eriOrDash(gPelkApiObjP->getHublorOptFile()) : "-";
}

const char* eriApiNode() {
  return gPelkApiObjP != nullptr ? eriOrDash(gPelkApiObjP->getHublorNode()) : "-";
}

int eriCancelRequest(EriExitCallback exitP) {
  TRACE_ENTRY(TRC_ERI, "eriCancelRequest()");
  eriLogLine(MSG_CANCEL_RECEIVED);
  if (eriCancelCurrentRequest() != 0) TRACE_RETURN(RC_OK);
  if (exitP == nullptr) TRACE_RETURN(RC_OK);
  exitP(1);
  std::fflush(nullptr);
  // The process-wide objects are gone: nothing may run their destructors a second time.
  std::_Exit(RC_EXIT_CANCELLED & 0xFF);
}

int eriChangeMoxtarPassword(const pelkApiLogonInfo* logonInfoP, char* msgBufferP) {
  TRACE_ENTRY(TRC_ERI, "eriChangeMoxtarPassword()");
  if (logonInfoP == nullptr) TRACE_RETURN(RC_INTERNAL_ERROR);
  eriLogLine(MSG_CHANGE_PASSWORD_STARTED, eriOrDash(logonInfoP->optFileP),
             eriOrDash(logonInfoP->nodeNameP));
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
  uint32_t asked = askPassword(logon, PW_ASK_CURRENT, password, password);
  if (asked == RC_OK) asked = askPassword(logon, PW_ASK_NEW, newPassword, password);
  if (asked != RC_OK) TRACE_RETURN(asked);
  logon.passwordP = password;
  logon.newPasswordP = newPassword;
  DPelkChangePWEri request(&logon);
  int rc = eriRunRequest(&request, "dPelkChangePWEriObj.ProcessRequest()", 1);
  copyErrorText(rc, request, msgBufferP);
  if (rc == RC_OK && msgBufferP != nullptr) {
    nlsprintf(msgBufferP, ERI_MESSAGE_SIZE, MSG_PASSWORD_CHANGED);
  }
  TRACE_RETURN(rc);
}

int eriQueryMoxtarServer(pelkSessInfo* sessInfoP, pelkApiVersion* apiVersionP,
                         const pelkApiLogonInfo* logonInfoP, char* msgBufferP) {
  TRACE_ENTRY(TRC_ERI, "eriQueryMoxtarServer()");
  const char* optFileP = logonInfoP != nullptr ? logonInfoP->optFileP : nullptr;
  const char* nodeP = logonInfoP != nullptr ? logonInfoP->nodeNameP : nullptr;
  eriLogLine(MSG_QUERY_SERVER_STARTED, eriOrDash(optFileP), eriOrDash(nodeP));
  clearBuffer(msgBufferP);
  DPelkQueryServerEri request(logonInfoP, sessInfoP, apiVersionP);
  int rc = eriRunRequest(&request, "dPelkQueryServerEriObj.ProcessRequest()", 1);
  copyErrorText(rc, request, msgBufferP);
  TRACE_RETURN(rc);
}

int eriHublorQuerySqlBackups(DSqlQueryBackupParms* parmsP) {
  TRACE_ENTRY(TRC_ERI, "eriHublorQuerySqlBackups()");
  if (parmsP == nullptr) TRACE_RETURN(RC_INTERNAL_ERROR);
  char dbNames[ERI_NAME_TEXT_SIZE];
  char secondNames[ERI_NAME_TEXT_SIZE];
  eriLogLine(queryStartMessage(parmsP->qryCommand), eriOrDash(parmsP->sqlServerNameP),
             eriNameListText(parmsP->dbNameListP, dbNames), secondNamesText(*parmsP, secondNames),
             yesNo(parmsP->bAll), yesNo(parmsP->bFillDbElems), yesNo(parmsP->bFileInfo),
             yesNo(parmsP->bMetaMountWait));
  clearBuffer(parmsP->msgBufferP);
  DSqlQueryBackupEri request(parmsP);
  int rc = eriRunRequest(&request, "dSqlQueryBackupEriObj.ProcessRequest()", 1);
  copyErrorText(rc, request, parmsP->msgBufferP);
  TRACE_RETURN(rc);
}

int eriInactivateBackups(CInactivateBackupsParms* parmsP) {
  TRACE_ENTRY(TRC_ERI, "eriInactivateBackups()");
  TRACE_RETURN((runCommandRequest<CInactivateBackupsEri>(
      parmsP, ERI_CMD_INACTIVATE_ALL, ERI_CMD_INACTIVATE_SET, logInactivateStart,
      "cInactivateBackupsEriObj.ProcessRequest()")));
}

int eriRestoreBackups(CRestoreBackupsParms* parmsP) {
  TRACE_ENTRY(TRC_ERI, "eriRestoreBackups()");
  TRACE_RETURN((runCommandRequest<CRestoreBackupsEri>(parmsP, ERI_CMD_RESTORE_ANY,
                                                      ERI_CMD_RESTORE_SET, logRestoreStart,
                                                      "cRestoreBackupsEriObj.ProcessRequest()")));
}

int eriHublorQuerySqlServers(DSqlQueryFilespaceParms* parmsP) {
  TRACE_ENTRY(TRC_ERI, "eriHublorQuerySqlServers()");
  if (parmsP == nullptr) TRACE_RETURN(RC_INTERNAL_ERROR);
  char server[ERI_SQL_SERVER_NAME_SIZE];
  std::snprintf(server, sizeof server, "%.*s", ERI_SQL_SERVER_NAME_SIZE - 1, parmsP->sqlServerName);
  eriLogLine(MSG_QUERY_SERVERS_STARTED, eriOrDash(server), eriApiOptFile());
  clearBuffer(parmsP->msgBufferP);
  DSqlQueryFilespaceEri request(parmsP);
  int rc = eriRunRequest(&request, "dSqlQueryFilespaceEriObj.ProcessRequest()", 1);
  copyErrorText(rc, request, parmsP->msgBufferP);
  TRACE_RETURN(rc);
}
