// The console status display: one status report as numbered messages.
#include "clcstatus.h"

#include <cinttypes>
#include <cstdio>
#include <cstring>

#include "agtrc.h"
#include "agttrc.h"
#include "clc.h"
#include "errormsg.h"
#include "msgout.h"
#include "nlsnumber.h"

CStatus gConsoleStatus;

namespace {

constexpr uint32_t STATUS_NONE = 7;

enum : int {
  MSG_WAIT = 5100,
  MSG_BACKUP_STATS = 5101,
  MSG_FULL_BACKUP_STATS = 5102,
  MSG_BACKUP_BEGIN = 5104,
  MSG_BACKUP_DONE = 5105,
  MSG_BACKUP_FAILED = 5106,
  MSG_PROGRESS = 5107,
  MSG_RESTORE_BEGIN = 5108,
  MSG_RESTORE_DONE = 5109,
  MSG_RESTORE_FAILED = 5110,
  MSG_BACKUP_START = 5111,
  MSG_SKIPPED = 5112,
  MSG_INACTIVATE_START = 5113,
  MSG_INACTIVATE_BEGIN = 5114,
  MSG_INACTIVATE_FAILED = 5115,
  MSG_INACTIVATE_STATS = 5116,
  MSG_RESTORE_START = 5117,
  MSG_RESTORE_STATS = 5118,
  MSG_BACKUP_SKIPPED = 5120,
};

enum CommandGroup { GROUP_NONE, GROUP_BACKUP, GROUP_INACTIVATE, GROUP_RESTORE };

CommandGroup groupOf(uint32_t cmd) {
  if (cmd >= 1 && cmd <= 6) return GROUP_BACKUP;
  if (cmd >= 47 && cmd <= 53) return GROUP_INACTIVATE;
  if (cmd >= 72 && cmd <= 77) return GROUP_RESTORE;
  return GROUP_NONE;
}

// The object-type name of a command: 1-6, 48-53 and 72-77 in the order differential, file,
// full, group, log, set; 47 (every type) and any other command the empty text. These are the
// words a user reads in the progress lines: the stored low-level name of a differential backup
// ("difffull") is no word of the language.
const char* typeName(uint32_t cmd) {
  static const char* const kNames[] = {"differential", "file", "full", "group", "log", "set"};
  if (cmd >= 1 && cmd <= 6) return kNames[cmd - 1];
  if (cmd >= 48 && cmd <= 53) return kNames[cmd - 48];
  if (cmd >= 72 && cmd <= 77) return kNames[cmd - 72];
  return "";
}

// A request's message stands on a line of its own: the next report must not run into it.
void showMsgout(const char* textP) {
  nlprintf(CLC_MSG_TEXT, textP);
  size_t length = std::strlen(textP);
  if (length == 0 || textP[length - 1] != '\n') nlprintf(CLC_MSG_NEW_LINE);
}

const char* textOrEmpty(const char* textP) {
  return textP != nullptr ? textP : "";
}

// Kilobytes a second; 0 when no time has passed.
double rateOf(uint64_t bytes, double seconds) {
  return seconds > 0 ? static_cast<double>(bytes) / 1024.0 / seconds : 0.0;
}

// A message whose text has no line end of its own, printed as one line (without reaching the
// activity log a second time).
template <class... Inserts>
void printAsLine(int msgNum, Inserts... inserts) {
  char text[NLS_MSG_MAX];
  nlsprintf(text, sizeof text, msgNum, inserts...);
  nlprintf(CLC_MSG_LINE, text);
}

}  // namespace

CStatus::CStatus()
    : m_Command(CLC_STATUS_NO_COMMAND), m_LastApiName{}, m_LastStatusType(STATUS_NONE) {}

CStatus::~CStatus() {}

void CStatus::dbSetStatusCommand(uint32_t command) {
  std::lock_guard<std::mutex> hold(m_Mutex);
  m_Command = command;
}

int CStatus::unknownCommand(uint32_t command) {
  TRACE_LINE(TRC_CMD, "An invalid command (%#x) was detected.\n", command);
  return RC_INTERNAL_ERROR;
}

int CStatus::dbCommandStatus(StatusInfo status) {
  std::lock_guard<std::mutex> hold(m_Mutex);
  int rc = statusCheckKind(status);
  if (rc != RC_OK) return rc;
  rc = showReport(status, statusCommand(status, m_Command));
  m_LastStatusType = status.kind;
  return rc;
}

int CStatus::showReport(const StatusInfo& status, uint32_t cmd) {
  switch (status.kind) {
    case progressStatus:
      showProgress(status);
      return RC_OK;
    case finishStatus:
      return showFinish(status, cmd);
    case msgoutStatus:
      showMsgout(textOrEmpty(status.msgout.textP));
      return RC_OK;
    case beginStatus:
      return showBegin(status, cmd);
    case startStatus:
      return showStart(cmd);
    case waitStatus:
      showWait(status);
      return RC_OK;
    default:
      return showEnd(status, cmd);
  }
}

void CStatus::showProgress(const StatusInfo& status) {
  const StatusProgress& p = status.progress;
  char produced[24];
  char consumed[24];
  std::snprintf(produced, sizeof produced, "%" PRIu64, p.bytesProduced);
  std::snprintf(consumed, sizeof consumed, "%" PRIu64, p.bytesConsumed);
  if (m_LastStatusType == waitStatus) nlprintf(CLC_MSG_NEW_LINE);
  nlprintf(MSG_PROGRESS, p.fullBuffers, consumed, produced,
           rateOf(p.bytesProduced, p.elapsedSeconds));
}

int CStatus::showFinish(const StatusInfo& status, uint32_t cmd) {
  const StatusFinish& f = status.finish;
  char bytes[50] = "";
  nlsFormatInt64(pkInt64FromNative(static_cast<int64_t>(f.totalBytes)), bytes, sizeof bytes);
  double rate = rateOf(f.totalBytes, f.elapsedSeconds);
  switch (groupOf(cmd)) {
    case GROUP_BACKUP:
      if (cmd == 3) {
        nlprintf(MSG_FULL_BACKUP_STATS, f.selected, f.expected, f.done, f.skipped, f.inactivated,
                 rate, bytes, f.elapsedSeconds);
      } else {
        nlprintf(MSG_BACKUP_STATS, f.selected, f.expected, f.done, f.skipped, rate, bytes,
                 f.elapsedSeconds);
      }
      return RC_OK;
    case GROUP_INACTIVATE:
      printAsLine(MSG_INACTIVATE_STATS, f.selected, f.expected, f.done, f.skipped,
                  f.elapsedSeconds);
      return RC_OK;
    case GROUP_RESTORE: {
      // The restore request logs the same message, with its numbers as texts.
      char rateText[32];
      char secondsText[32];
      std::snprintf(rateText, sizeof rateText, "%.2f", rate);
      std::snprintf(secondsText, sizeof secondsText, "%.2f", f.elapsedSeconds);
      printAsLine(MSG_RESTORE_STATS, f.selected, f.expected, f.done, f.skipped, rateText, bytes,
                  secondsText);
      return RC_OK;
    }
    default:
      return unknownCommand(cmd);
  }
}

int CStatus::showBegin(const StatusInfo& status, uint32_t cmd) {
  const StatusBegin& b = status.begin;
  const char* nameP = textOrEmpty(b.nameP);
  switch (groupOf(cmd)) {
    case GROUP_BACKUP:
      nlprintf(MSG_BACKUP_BEGIN, typeName(cmd), nameP, b.item, b.items);
      return RC_OK;
    case GROUP_INACTIVATE:
      nlprintf(MSG_INACTIVATE_BEGIN, typeName(cmd), nameP,
               b.secondNameP != nullptr ? b.secondNameP : "");
      return RC_OK;
    case GROUP_RESTORE: {
      char into[300] = "";
      if (b.secondNameP != nullptr && b.secondNameP[0] != '\0') {
        std::snprintf(into, sizeof into, " into %s", b.secondNameP);
      }
      nlprintf(MSG_RESTORE_BEGIN, typeName(cmd), nameP, b.item, b.items, into);
      return RC_OK;
    }
    default:
      return unknownCommand(cmd);
  }
}

int CStatus::showStart(uint32_t cmd) {
  static const int kMessages[] = {0, MSG_BACKUP_START, MSG_INACTIVATE_START, MSG_RESTORE_START};
  CommandGroup group = groupOf(cmd);
  if (group == GROUP_NONE) return unknownCommand(cmd);
  nlprintf(kMessages[group]);
  return RC_OK;
}

void CStatus::showWait(const StatusInfo& status) {
  const char* apiP = textOrEmpty(status.wait.apiNameP);
  if (m_LastStatusType == waitStatus && std::strcmp(m_LastApiName, apiP) == 0) {
    nlprintf(CLC_MSG_TEXT, ".");
    return;
  }
  nlprintf(CLC_MSG_NEW_LINE);
  nlprintf(MSG_WAIT, apiP);
  std::snprintf(m_LastApiName, sizeof m_LastApiName, "%s", apiP);
}

// The object's outcome; after a failure or a skip, its reason on a line of its own: the
// request's text, else the message of the code.
int CStatus::showEnd(const StatusInfo& status, uint32_t cmd) {
  const StatusEnd& e = status.end;
  const char* nameP = textOrEmpty(e.nameP);
  CommandGroup group = groupOf(cmd);
  if (group == GROUP_NONE) return unknownCommand(cmd);
  if (e.rc == RC_OK) {
    if (group == GROUP_BACKUP) nlprintf(MSG_BACKUP_DONE, nameP);
    if (group == GROUP_RESTORE) nlprintf(MSG_RESTORE_DONE, nameP);
    return RC_OK;
  }
  if (e.rc == RC_SKIPPED && group == GROUP_BACKUP) {
    nlprintf(MSG_BACKUP_SKIPPED, typeName(cmd), nameP);
  } else if (e.rc == RC_SKIPPED) {
    nlprintf(MSG_SKIPPED, nameP);
  } else if (group == GROUP_BACKUP) {
    nlprintf(MSG_BACKUP_FAILED, nameP);
  } else if (group == GROUP_INACTIVATE) {
    printAsLine(MSG_INACTIVATE_FAILED, e.rc, nameP);
  } else {
    printAsLine(MSG_RESTORE_FAILED, nameP);
  }
  char why[CLC_MSG_BUFFER_LEN + 1];
  nlprintf(CLC_MSG_LINE, textOrRcMessage(e.textP, e.rc, why, sizeof why));
  return RC_OK;
}

int clcStatusCallback(StatusInfo status) {
  return gConsoleStatus.dbCommandStatus(status);
}
