// Filespace registration and backup dates, the server's event log and the orders of query
// answers.
#include "moxtarutil.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "agtrc.h"
#include "agttrc.h"
#include "msgformat.h"
#include "msgout.h"
#include "pelkapi.h"

namespace {

constexpr int kMsgIdFormat = 6;  // formats a message number for the application message id

const char* textOrNull(const char* textP) {
  return textP != nullptr ? textP : "<NULL>";
}

// The severity of a message prefix ("ZUDnnnnX"): its last letter.
pelkUint8_t severityOfPrefix(char letter) {
  switch (letter) {
    case 'S':
      return PELK_SEV_SEVERE;
    case 'E':
      return PELK_SEV_ERROR;
    case 'W':
      return PELK_SEV_WARNING;
    default:
      return PELK_SEV_INFO;
  }
}

// True when the text begins with a message prefix followed by a blank or its end.
bool startsWithPrefix(const char* textP) {
  const size_t prefixLength = NLS_PREFIX_LEN - 1;
  if (std::strncmp(textP, NLS_MSG_PREFIX, sizeof NLS_MSG_PREFIX - 1) != 0) return false;
  if (std::strlen(textP) < prefixLength) return false;
  return textP[prefixLength] == ' ' || textP[prefixLength] == '\0';
}

}  // namespace

int moxtarApiFailure(DPelkApiStatus* statusP, char* errorTextP, pelkUint32_t pelkHandle,
                     int16_t code, const char* callNameP) {
  gPelkApiObjP->AgtPelkRCMsg(statusP, pelkHandle, code, errorTextP, MOXTAR_ERROR_TEXT_SIZE,
                             nullptr);
  TRACE_LINE(TRC_API, "%s returned %d: %s\n", callNameP, code, errorTextP);
  return RC_API_CALL_FAILED;
}

int registerFs(DPelkApiStatus* statusP, char* errorTextP, pelkUint32_t pelkHandle,
               const char* fsNameP, const char* fsTypeP, pelkFSAttr fsAttr) {
  TRACE_ENTRY(TRC_API, "registerFs()");
  TRACE_LINE(TRC_API, "  pelkHandle: %u\n  fsName    : %s\n  fsType    : %s\n", pelkHandle,
             textOrNull(fsNameP), textOrNull(fsTypeP));
  regFSData reg;
  std::memset(&reg, 0, sizeof reg);
  reg.stVersion = PELK_REGFSDATA_VERSION;
  reg.fsName = const_cast<char*>(fsNameP);
  reg.fsType = const_cast<char*>(fsTypeP);
  reg.fsAttr = fsAttr;
  int16_t apiRc = gPelkApiObjP->registerFilespace(statusP, pelkHandle, &reg);
  if (apiRc != PELK_RC_OK)
    TRACE_RETURN(moxtarApiFailure(statusP, errorTextP, pelkHandle, apiRc, "dpelkRegisterFS"));
  TRACE_RETURN(RC_OK);
}

int updateFsBackupDate(DPelkApiStatus* statusP, char* errorTextP, pelkUint32_t pelkHandle,
                       const char* fsNameP, pelkFSAttr fsAttr, uint32_t action) {
  TRACE_ENTRY(TRC_API, "updateFsBackupDate()");
  TRACE_LINE(TRC_API, "  pelkHandle: %u\n  fsName    : %s\n  action    : %u\n", pelkHandle,
             textOrNull(fsNameP), action);
  if (action != FS_UPDATE_BACKUP_START && action != FS_UPDATE_BACKUP_COMPLETE) {
    TRACE_LINE(TRC_API, "An invalid filespace update action was passed.\n");
    TRACE_RETURN(RC_INTERNAL_ERROR);
  }
  pelkFSUpd update;
  std::memset(&update, 0, sizeof update);
  update.stVersion = PELK_FSUPD_VERSION;
  update.fsAttr = fsAttr;
  int16_t apiRc = DPelkApi::dpelkUpdateFS(gPelkApiObjP, statusP, pelkHandle,
                                          const_cast<char*>(fsNameP), &update, action);
  if (apiRc != PELK_RC_OK)
    TRACE_RETURN(moxtarApiFailure(statusP, errorTextP, pelkHandle, apiRc, "dpelkUpdateFS"));
  TRACE_RETURN(RC_OK);
}

int writeMoxtarServerLog(DPelkApiStatus* statusP, char* errorTextP, pelkUint32_t pelkHandle,
                         const char* textP, uint32_t msgNum, ...) {
  TRACE_ENTRY(TRC_API, "writeMoxtarServerLog()");
  TRACE_LINE(TRC_API, "  pelkHandle: %u\n  text      : %s\n  msgNum    : %u\n", pelkHandle,
             textOrNull(textP), msgNum);
  pelkLogExIn event;
  std::memset(&event, 0, sizeof event);
  event.stVersion = PELK_LOGEXIN_VERSION;
  pelkLogExOut reply;
  std::memset(&reply, 0, sizeof reply);
  reply.stVersion = PELK_LOGEXOUT_VERSION;

  char text[SERVER_LOG_MSG_SIZE];
  if (textP != nullptr) {
    std::snprintf(text, sizeof text, "%s", textP);
  } else {
    va_list inserts;
    va_start(inserts, msgNum);
    nlsvprintf(text, sizeof text, static_cast<int>(msgNum), inserts);
    va_end(inserts);
  }
  char number[16] = "";
  nlsprintf(number, sizeof number, kMsgIdFormat, static_cast<unsigned>(msgNum & 0xFFFF));
  // A message number fits the id; a translated number format might not, and is then cut.
  if (std::snprintf(event.appMsgID, sizeof event.appMsgID, "%s%s", NLS_MSG_PREFIX, number) >=
      static_cast<int>(sizeof event.appMsgID)) {
    TRACE_LINE(TRC_API, "The message id %s%s is cut to %s\n", NLS_MSG_PREFIX, number,
               event.appMsgID);
  }
  event.logType = PELK_LOG_SERVER;
  // A prefix carries the severity and is not repeated in the server's log; a text without one
  // (a message of a severity that has no prefix) goes whole as information.
  event.message = text;
  if (startsWithPrefix(text)) {
    event.severity = severityOfPrefix(text[NLS_PREFIX_LEN - 2]);
    event.message =
        text[NLS_PREFIX_LEN - 1] == '\0' ? text + NLS_PREFIX_LEN - 1 : text + NLS_PREFIX_LEN;
  }
  int16_t apiRc = DPelkApi::dpelkLogEventEx(gPelkApiObjP, statusP, pelkHandle, &event, &reply);
  if (apiRc != PELK_RC_OK)
    TRACE_RETURN(moxtarApiFailure(statusP, errorTextP, pelkHandle, apiRc, "dpelkLogEventEx"));
  TRACE_RETURN(RC_OK);
}

int addServerLogMessage(ServerLogMessageList* listP, uint32_t msgNum, ...) {
  TRACE_ENTRY(TRC_API, "addServerLogMessage()");
  ServerLogMessage entry;
  std::memset(&entry, 0, sizeof entry);
  va_list inserts;
  va_start(inserts, msgNum);
  nlsvprintf(entry.szMsgText, sizeof entry.szMsgText, static_cast<int>(msgNum), inserts);
  va_end(inserts);
  entry.msgNum = msgNum;
  listP->addTail(&entry);
  TRACE_RETURN(RC_OK);
}

int writeServerLogMessages(DPelkApiStatus* statusP, char* errorTextP, pelkUint32_t pelkHandle,
                           ServerLogMessageList* listP) {
  TRACE_ENTRY(TRC_API, "writeServerLogMessages()");
  ServerLogMessage* entryP = listP->getFirst();
  while (entryP != nullptr) {
    int rc =
        writeMoxtarServerLog(statusP, errorTextP, pelkHandle, entryP->szMsgText, entryP->msgNum);
    if (rc != RC_OK) TRACE_RETURN(rc);
    entryP = listP->remove(entryP);
  }
  TRACE_RETURN(RC_OK);
}

int compareRestoreOrder(const qryRespBackupData* aP, const qryRespBackupData* bP) {
  const pelkUint160_t& a = aP->restoreOrderExt;
  const pelkUint160_t& b = bP->restoreOrderExt;
  const pelkUint32_t aWords[] = {a.top, a.hi_hi, a.hi_lo, a.lo_hi, a.lo_lo};
  const pelkUint32_t bWords[] = {b.top, b.hi_hi, b.hi_lo, b.lo_hi, b.lo_lo};
  for (size_t i = 0; i < sizeof aWords / sizeof aWords[0]; i++) {
    if (aWords[i] != bWords[i]) return aWords[i] > bWords[i] ? 1 : -1;
  }
  return 0;
}

int compareRestoreOrderP(const qryRespBackupData* const* aPP, const qryRespBackupData* const* bPP) {
  return compareRestoreOrder(*aPP, *bPP);
}

int compareObjId(const qryRespBackupData* aP, const qryRespBackupData* bP) {
  uint64_t a = (static_cast<uint64_t>(aP->objId.hi) << 32) | aP->objId.lo;
  uint64_t b = (static_cast<uint64_t>(bP->objId.hi) << 32) | bP->objId.lo;
  if (a == b) return 0;
  return a > b ? 1 : -1;
}
