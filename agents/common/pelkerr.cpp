// Texts of interface codes, for the caller's message buffer and for the activity log, and the
// two small services offered beside them (filespace registration, one server log entry).
#include <cstdio>
#include <cstring>

#include "agtlog.h"
#include "agtmem.h"
#include "agttrc.h"
#include "pelkapi.h"

namespace {

constexpr size_t API_ERROR_LOG_SIZE = 3585;

const char* nameOrNull(const char* nameP) {
  return nameP != nullptr ? nameP : "<NULL>";
}

}  // namespace

int16_t DPelkApi::AgtPelkRCMsg(DPelkApiStatus* statusP, pelkUint32_t handle, int16_t code,
                               char* textP, size_t textSize, size_t* lengthP) {
  char libraryText[PELK_RCMSG_SIZE];
  std::memset(libraryText, 0, sizeof libraryText);
  int16_t rc = dpelkRCMsg(this, statusP, handle, code, libraryText);
  libraryText[sizeof libraryText - 1] = '\0';
  size_t length = rc == PELK_RC_OK ? std::strlen(libraryText) : 0;
  if (textSize > 0) {
    size_t copied = length < textSize - 1 ? length : textSize - 1;
    std::memcpy(textP, libraryText, copied);
    textP[copied] = '\0';
  }
  if (lengthP != nullptr) {
    *lengthP = length;
  }
  return rc;
}

void DPelkApi::GetApiError(DPelkApiStatus* statusP, pelkUint32_t handle, int16_t code, char* textP,
                           size_t textSize, size_t* lengthP, const char*) {
  size_t length = 0;
  if (textSize > 0) {
    textP[0] = '\0';
  }
  if (code != 0 && textSize >= 2) {
    // Room for the newline behind the text.
    int16_t rc = AgtPelkRCMsg(statusP, handle, code, textP, textSize - 1, &length);
    if (rc != PELK_RC_OK || length == 0) {
      int written =
          std::snprintf(textP, textSize - 1, "no text returned for MOXTAR Api error %d", code);
      length = written > 0 ? static_cast<size_t>(written) : 0;
    }
    std::strcat(textP, "\n");
    length += 1;
  }
  if (lengthP != nullptr) {
    *lengthP = length;
  }
}

void DPelkApi::LogApiError(DPelkApiStatus* statusP, pelkUint32_t handle, int16_t code,
                           const char* callNameP) {
  if (code == 0) {
    return;
  }
  char text[API_ERROR_LOG_SIZE];
  int prefixLength =
      std::snprintf(text, sizeof text, "error %d returned from %s: ", code, nameOrNull(callNameP));
  size_t prefix = static_cast<size_t>(prefixLength);
  size_t length = 0;
  GetApiError(statusP, handle, code, text + prefix, sizeof text - prefix, &length, callNameP);
  if (prefix + length + 1 <= sizeof text) {
    if (gLogP != nullptr) {
      gLogP->LogActivityLog(text);
    }
    return;
  }
  TRACE_LINE(TRC_API, "message was truncated, trying again\n");
  size_t size = prefix + length + 1;
  char* wholeP = static_cast<char*>(MALLOC(size));
  if (wholeP == nullptr) {
    if (gLogP != nullptr) {
      gLogP->LogActivityLog(text);  // the cut text rather than none
    }
    return;
  }
  std::memcpy(wholeP, text, prefix);
  GetApiError(statusP, handle, code, wholeP + prefix, size - prefix, &length, callNameP);
  if (gLogP != nullptr) {
    gLogP->LogActivityLog(wholeP);
  }
  FREE(&wholeP);
}

int16_t DPelkApi::registerFilespace(DPelkApiStatus* statusP, pelkUint32_t handle, regFSData* regP) {
  int16_t rc = dpelkRegisterFS(this, statusP, handle, regP);
  return rc == PELK_RC_FS_ALREADY_REGISTERED ? 0 : rc;
}

void DPelkApi::writeMoxtarServerLog(DPelkApiStatus* statusP, pelkUint32_t handle, uint32_t severity,
                                    uint32_t logType, const char* textP) {
  char message[PELK_MAX_EVENT_MSG_LENGTH + 1];
  std::memset(message, 0, sizeof message);
  if (textP != nullptr) {
    std::strncpy(message, textP, sizeof message - 1);
  }
  pelkLogExIn event;
  std::memset(&event, 0, sizeof event);
  event.stVersion = PELK_LOGEXIN_VERSION;
  event.severity = static_cast<pelkUint8_t>(severity);
  event.logType = static_cast<pelkUint8_t>(logType);
  event.message = message;
  pelkLogExOut reply;
  std::memset(&reply, 0, sizeof reply);
  reply.stVersion = PELK_LOGEXOUT_VERSION;
  dpelkLogEventEx(this, statusP, handle, &event, &reply);
}
