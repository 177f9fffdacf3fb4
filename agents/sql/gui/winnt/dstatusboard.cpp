#include "dstatusboard.h"

#include <algorithm>
#include <cstdio>

#include "agtrc.h"
#include "agttrc.h"
#include "errormsg.h"
#include "msgout.h"
#include "nlsnumber.h"
#include "pkint64.h"

namespace {

constexpr uint32_t RESTORE_ONE_LOG = 76;
constexpr size_t kTextSize = 3585;
constexpr size_t kWaitApiMax = 259;
constexpr size_t kNumberSize = 50;

enum : int {
  MSG_LINE = 2,
  MSG_WAIT = 5100,
  MSG_INACTIVATE_CAPTION = 5803,
  MSG_INACTIVATE_BEGIN = 5804,
  MSG_INACTIVATE_DONE = 5805,
  MSG_INACTIVATE_FAILED = 5806,
  MSG_BACKUP_SUMMARY_SKIPPED = 5807,
  MSG_BACKUP_CAPTION = 5812,
  MSG_RESTORE_CAPTION = 5813,
  MSG_BACKUP_BEGIN = 5814,
  MSG_RESTORE_BEGIN = 5815,
  MSG_BACKUP_DONE = 5816,
  MSG_BACKUP_FAILED = 5817,
  MSG_RESTORE_DONE = 5818,
  MSG_RESTORE_FAILED = 5819,
  MSG_SKIPPED = 5822,
};

enum CommandClass { CLASS_NONE, CLASS_BACKUP, CLASS_INACTIVATE, CLASS_RESTORE };

CommandClass classOf(uint32_t command) {
  if (command >= 1 && command <= 6) return CLASS_BACKUP;
  if (command >= 46 && command <= 53) return CLASS_INACTIVATE;
  if (command >= 71 && command <= 77) return CLASS_RESTORE;
  return CLASS_NONE;
}

int unknownCommand(uint32_t command) {
  TRACE_LINE(TRC_GUI, "An invalid command (%#x) was detected.\n", command);
  return RC_INTERNAL_ERROR;
}

const char* textOrEmpty(const char* textP) {
  return textP != nullptr ? textP : "";
}

template <class... Inserts>
std::string message(int msgNum, Inserts... inserts) {
  char text[kTextSize] = "";
  nlsprintf(text, sizeof text, msgNum, inserts...);
  return text;
}

std::string bytesText(uint64_t bytes) {
  char text[kNumberSize] = "";
  nlsFormatInt64(pkInt64FromNative(static_cast<int64_t>(bytes)), text, sizeof text);
  return text;
}

std::string twoDecimals(double value) {
  char text[kNumberSize];
  std::snprintf(text, sizeof text, "%.2f", value);
  return text;
}

// Kilobytes a second; 0 when no time has passed.
std::string rateText(uint64_t bytes, double seconds) {
  return twoDecimals(seconds > 0 ? static_cast<double>(bytes) / 1024.0 / seconds : 0.0);
}

int percent(uint64_t part, uint64_t whole) {
  return static_cast<int>(pkInt64Percent(pkInt64FromNative(static_cast<int64_t>(part)),
                                         pkInt64FromNative(static_cast<int64_t>(whole))));
}

// The line of a finished item or command: bytes, seconds and rate.
std::string doneText(int msgNum, uint64_t bytes, double seconds) {
  return message(msgNum, bytesText(bytes).c_str(), twoDecimals(seconds).c_str(),
                 rateText(bytes, seconds).c_str());
}

// Why an item failed: its own text, else the message of its code.
std::string failureDetail(const StatusEnd& e) {
  if (e.textP != nullptr && e.textP[0] != '\0') return message(MSG_LINE, e.textP);
  return message(agentRcMessage(e.rc), "");
}

}  // namespace

std::string statusBlankLineFeeds(std::string text) {
  std::replace(text.begin(), text.end(), '\n', ' ');
  return text;
}

int DStatusBoard::report(const StatusInfo& status, DStatusChange* changeP) {
  *changeP = DStatusChange();
  int rc = statusCheckKind(status);
  if (rc == RC_OK) rc = apply(status, statusCommand(status, m_command), changeP);
  m_lastKind = status.kind;
  return rc;
}

int DStatusBoard::apply(const StatusInfo& status, uint32_t command, DStatusChange* changeP) {
  switch (status.kind) {
    case progressStatus:
      progress(status.progress, changeP);
      return RC_OK;
    case finishStatus:
      return finish(status.finish, command, changeP);
    case msgoutStatus:
      m_messageLine = textOrEmpty(status.msgout.textP);
      return RC_OK;
    case beginStatus:
      return begin(status.begin, command, changeP);
    case startStatus:
      return start(command, changeP);
    case waitStatus:
      wait(status.wait);
      return RC_OK;
    default:
      return end(status.end, command, changeP);
  }
}

void DStatusBoard::progress(const StatusProgress& p, DStatusChange* changeP) {
  TRACE_LINE(TRC_GUI, "bytes Consumed=%s,\nbytes Produced=%s,\nobject Size=%s\n",
             bytesText(p.bytesConsumed).c_str(), bytesText(p.bytesProduced).c_str(),
             bytesText(p.objectSize).c_str());
  m_messageLine.clear();
  // Only the end of an item shows it whole.
  if (p.objectSize > 0) changeP->objectPos = std::min(percent(p.bytesConsumed, p.objectSize), 99);
}

int DStatusBoard::finish(const StatusFinish& f, uint32_t command, DStatusChange* changeP) {
  m_messageLine.clear();
  m_operationLine.clear();
  if (f.rc == RC_OK) changeP->overallPos = 100;
  std::string text;
  int rc = RC_OK;
  switch (classOf(command)) {
    case CLASS_BACKUP:
      text = f.skipped > 0
                 ? message(MSG_BACKUP_SUMMARY_SKIPPED, f.skipped, bytesText(f.totalBytes).c_str(),
                           twoDecimals(f.elapsedSeconds).c_str(),
                           rateText(f.totalBytes, f.elapsedSeconds).c_str())
                 : doneText(MSG_BACKUP_DONE, f.totalBytes, f.elapsedSeconds);
      break;
    case CLASS_RESTORE:
      text = doneText(MSG_RESTORE_DONE, f.totalBytes, f.elapsedSeconds);
      break;
    case CLASS_INACTIVATE:
      text = message(MSG_INACTIVATE_DONE);
      break;
    default:
      rc = unknownCommand(command);
  }
  // A single log restore keeps its summary where its point-in-time messages appear.
  (command == RESTORE_ONE_LOG ? m_messageLine : m_operationLine) = text;
  return rc;
}

int DStatusBoard::begin(const StatusBegin& b, uint32_t command, DStatusChange* changeP) {
  changeP->objectPos = 0;
  m_messageLine.clear();
  m_operationLine.clear();
  uint32_t total = b.items != 0 ? b.items : b.item;
  changeP->overallPos = b.item > 0 ? percent(b.item - 1, total) : 0;
  const char* nameP = textOrEmpty(b.nameP);
  switch (classOf(command)) {
    case CLASS_BACKUP:
      m_operationLine = message(MSG_BACKUP_BEGIN, nameP);
      return RC_OK;
    case CLASS_INACTIVATE:
      m_operationLine = message(MSG_INACTIVATE_BEGIN, "", nameP);
      return RC_OK;
    case CLASS_RESTORE:
      m_operationLine = message(MSG_RESTORE_BEGIN, nameP);
      return RC_OK;
    default:
      return unknownCommand(command);
  }
}

int DStatusBoard::start(uint32_t command, DStatusChange* changeP) {
  static const int kCaptions[] = {0, MSG_BACKUP_CAPTION, MSG_INACTIVATE_CAPTION,
                                  MSG_RESTORE_CAPTION};
  changeP->setCaption = true;
  CommandClass c = classOf(command);
  if (c == CLASS_NONE) return unknownCommand(command);
  changeP->caption = message(kCaptions[c]);
  return RC_OK;
}

// A run of waits for one interface shows its message once and then leaves the line alone.
void DStatusBoard::wait(const StatusWait& w) {
  std::string api = textOrEmpty(w.apiNameP);
  if (api.size() > kWaitApiMax) api.resize(kWaitApiMax);
  if (m_lastKind == waitStatus && m_lastWaitApi == api) return;
  m_lastWaitApi = api;
  std::string text = message(MSG_WAIT, api.c_str());
  if (!text.empty()) m_messageLine = text;
}

int DStatusBoard::end(const StatusEnd& e, uint32_t command, DStatusChange* changeP) {
  if (e.rc != RC_SKIPPED) m_messageLine.clear();
  CommandClass c = classOf(command);
  if (c == CLASS_NONE) return unknownCommand(command);
  std::string text;
  if (e.rc == RC_OK) {
    if (c == CLASS_INACTIVATE) {
      text = message(MSG_INACTIVATE_DONE);
    } else {
      text = doneText(c == CLASS_BACKUP ? MSG_BACKUP_DONE : MSG_RESTORE_DONE, e.bytes,
                      e.elapsedSeconds);
    }
    changeP->objectPos = 100;
  } else {
    static const int kFailed[] = {0, MSG_BACKUP_FAILED, MSG_INACTIVATE_FAILED, MSG_RESTORE_FAILED};
    text = e.rc == RC_SKIPPED ? message(MSG_SKIPPED, textOrEmpty(e.nameP)) : message(kFailed[c]);
    text += failureDetail(e);
  }
  changeP->addRow = true;
  changeP->rowName = textOrEmpty(e.nameP);
  changeP->rowText = statusBlankLineFeeds(text);
  return RC_OK;
}
