// The message output operations.
#include "msgout.h"

#include <cstring>

#include "agtlog.h"
#include "msgexpand.h"
#include "msgrepo.h"
#include "nlscodepage.h"
#include "nlsglob.h"

namespace {

constexpr char kMissingText[] = "?????";

bool suppressed() {
  return nlsGlobals()->m_Suppress != 0;
}

char* workBuffer() {
  return nlsGlobals()->m_RepositoryP->m_WorkBuffer;
}

// Looks the message up and formats it. Returns its length without the prefix and the entry, or
// -1 (and an empty buffer) when it is missing. Runs under the NLS mutex.
int formatMsg(int msgNum, char* bufP, size_t bufSize, va_list args, const nlsMsgEntry** entryPP) {
  if (bufSize == 0) return -1;
  bufP[0] = '\0';
  const nlsMsgEntry* entryP = msgNum > 0 ? nlsFindMsg(static_cast<unsigned>(msgNum)) : nullptr;
  if (entryPP != nullptr) *entryPP = entryP;
  if (entryP == nullptr) return -1;
  return nlsExpandMsg(nlsGlobals()->m_RepositoryP, entryP, bufP, bufSize, args);
}

// Writes the text to the activity log when its severity is logged and a log exists.
void logIfSevere(const nlsMsgEntry* entryP, const char* textP) {
  if (entryP->m_Severity >= NLS_SEVERITY_LOGGED && gLogP != nullptr) gLogP->LogActivityLog(textP);
}

// nlprintf's body: the stream when one is given, else the severity's callback or stdout.
int printMsg(FILE* streamP, int msgNum, va_list args) {
  CNlsLock lock;
  const nlsMsgEntry* entryP = nullptr;
  if (nlsGlobals()->m_RepositoryP == nullptr) return 0;
  int len = formatMsg(msgNum, workBuffer(), NLS_MSG_MAX, args, &entryP);
  if (len < 0) return 0;
  logIfSevere(entryP, workBuffer());
  nlsOutputCallback callbackP = nlsGlobals()->m_OutputCallbackP[entryP->m_Severity];
  if (streamP == nullptr && callbackP != nullptr) {
    callbackP(workBuffer());
  } else {
    nlsFputs(workBuffer(), streamP != nullptr ? streamP : stdout);
  }
  return len;
}

int formatInto(char* bufP, size_t bufSize, int msgNum, va_list args) {
  CNlsLock lock;
  if (nlsGlobals()->m_RepositoryP == nullptr) return bufSize > 0 ? (bufP[0] = '\0', 0) : 0;
  int len = formatMsg(msgNum, bufP, bufSize, args, nullptr);
  return len < 0 ? 0 : len;
}

// Runs `use` on the message under the NLS mutex and gives its result; -1 when it is missing.
template <typename Use>
int withMsg(int msgNum, Use use) {
  CNlsLock lock;
  if (nlsGlobals()->m_RepositoryP == nullptr || msgNum <= 0) return -1;
  const nlsMsgEntry* entryP = nlsFindMsg(static_cast<unsigned>(msgNum));
  return entryP == nullptr ? -1 : use(entryP);
}

void setMissing(char* bufP, size_t bufSize) {
  if (bufSize > 0) std::snprintf(bufP, bufSize, "%s", kMissingText);
}

}  // namespace

int nlvprintf(int msgNum, va_list args) {
  return printMsg(nullptr, msgNum, args);
}

int nlprintf(int msgNum, ...) {
  va_list args;
  va_start(args, msgNum);
  int len = printMsg(nullptr, msgNum, args);
  va_end(args);
  return len;
}

int nlerrprintf(int msgNum, ...) {
  if (suppressed()) return 0;
  CNlsLock lock;
  if (nlsGlobals()->m_RepositoryP == nullptr) return 0;
  va_list args;
  va_start(args, msgNum);
  int len = formatMsg(msgNum, workBuffer(), NLS_MSG_MAX, args, nullptr);
  va_end(args);
  if (len < 0) return 0;
  nlsFputs(workBuffer(), stderr);
  return len;
}

int nlsStreamPrintf(FILE* streamP, int msgNum, va_list args) {
  if (suppressed() || streamP == nullptr) return 0;
  return printMsg(streamP, msgNum, args);
}

int nlsvprintf(char* bufP, size_t bufSize, int msgNum, va_list args) {
  return formatInto(bufP, bufSize, msgNum, args);
}

int nlsvsprintf(char* bufP, size_t bufSize, int msgNum, va_list args) {
  if (suppressed()) return bufSize > 0 ? (bufP[0] = '\0', 0) : 0;
  return formatInto(bufP, bufSize, msgNum, args);
}

int nlsprintf(char* bufP, size_t bufSize, int msgNum, ...) {
  va_list args;
  va_start(args, msgNum);
  int len = nlsvsprintf(bufP, bufSize, msgNum, args);
  va_end(args);
  return len;
}

int nlsLogMsg(char* bufP, size_t bufSize, int msgNum, ...) {
  if (suppressed()) return 0;
  CNlsLock lock;
  if (nlsGlobals()->m_RepositoryP == nullptr) return setMissing(bufP, bufSize), -1;
  const nlsMsgEntry* entryP = nullptr;
  va_list args;
  va_start(args, msgNum);
  int len = formatMsg(msgNum, bufP, bufSize, args, &entryP);
  va_end(args);
  if (len < 0) return setMissing(bufP, bufSize), -1;
  logIfSevere(entryP, bufP);
  return 0;
}

const char* nlsMsgText(int msgNum, ...) {
  if (suppressed() || nlsGlobals()->m_RepositoryP == nullptr) return nullptr;
  CNlsLock lock;
  const nlsMsgEntry* entryP = nullptr;
  va_list args;
  va_start(args, msgNum);
  int len = formatMsg(msgNum, workBuffer(), NLS_MSG_MAX, args, &entryP);
  va_end(args);
  if (len < 0) return setMissing(workBuffer(), NLS_MSG_MAX), workBuffer();
  logIfSevere(entryP, workBuffer());
  return workBuffer();
}

char* nlsGetMsgText(char* bufP, size_t bufSize, int msgNum) {
  if (bufSize == 0) return bufP;
  bufP[0] = '\0';
  if (suppressed()) return bufP;
  withMsg(msgNum, [&](const nlsMsgEntry* entryP) { return nlsCopyMsgText(entryP, bufP, bufSize); });
  return bufP;
}

int nlsGetMsgResponse(int msgNum, char* bufP, size_t bufSize) {
  if (bufSize > 0) bufP[0] = '\0';
  return withMsg(msgNum, [&](const nlsMsgEntry* entryP) {
    if (bufSize > 0) std::snprintf(bufP, bufSize, "%s", entryP->m_Response);
    return 0;
  });
}

int nlsGetMsgFormat(int msgNum, char* bufP, size_t bufSize) {
  if (bufSize > 0) bufP[0] = '\0';
  return withMsg(msgNum, [&](const nlsMsgEntry* entryP) {
    size_t length = 0;
    const char* textP = nlsMsgBody(entryP, &length);
    if ((length > 0 && textP[0] == '\0') || length >= bufSize) return -1;
    std::memcpy(bufP, textP, length + 1);
    return 0;
  });
}
