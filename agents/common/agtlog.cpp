// The activity log: dated entries and pruning by age.
#include "agtlog.h"

#include <cstdarg>
#include <cstring>
#include <mutex>
#include <string>

#include "agtrc.h"
#include "agttrc.h"
#include "msgformat.h"
#include "msgout.h"
#include "nlscodepage.h"
#include "nlsglob.h"
#include "psmutexhold.h"

CLog* gLogP = nullptr;

namespace {

std::mutex s_LogPointerMutex;  // held around every change of gLogP and by every CLogUse

constexpr char kNeverPruned[] = "00/00/0000 00:00:00";
constexpr size_t kDateTextLen = 10;  // every date format gives 10 characters
constexpr int kLinePiece = 512;      // lines are read in pieces of this size and joined

// One whole line of any length, read through the console code-page routine; a last line
// without its newline gets one, so that text appended behind it starts a line of its own.
bool readLine(FILE* streamP, std::string* lineP) {
  lineP->clear();
  char piece[kLinePiece];
  while (nlsFgets(piece, sizeof(piece), streamP) != nullptr) {
    lineP->append(piece);
    if (lineP->back() == '\n') return true;
  }
  if (lineP->empty()) return false;
  lineP->push_back('\n');
  return true;
}

void writeText(FILE* streamP, std::string text) {
  nlsFputs(text.data(), streamP);
}

// Formats a message (whatever the suppress flag says) and writes it as it stands.
void writeMsg(FILE* streamP, int msgNum, ...) {
  char text[NLS_MSG_MAX];
  va_list args;
  va_start(args, msgNum);
  int len = nlsvprintf(text, sizeof(text), msgNum, args);
  va_end(args);
  if (len > 0 || text[0] != '\0') writeText(streamP, text);
}

// The directory part of a path, up to and including its last '/'; empty when it has none.
std::string directoryOf(const char* pathP) {
  const char* slashP = std::strrchr(pathP, '/');
  return slashP == nullptr ? std::string()
                           : std::string(pathP, static_cast<size_t>(slashP - pathP) + 1);
}

}  // namespace

CLog* setActivityLog(CLog* logP) {
  std::lock_guard<std::mutex> hold(s_LogPointerMutex);
  CLog* previousP = gLogP;
  gLogP = logP;
  return previousP;
}

CLogUse::CLogUse() {
  s_LogPointerMutex.lock();
}

CLogUse::~CLogUse() {
  s_LogPointerMutex.unlock();
}

CLog::CLog()
    : m_LogName{},
      m_RetentionDays(LOG_DEFAULT_RETENTION_DAYS),
      m_LastPruned{},
      m_LogMutex(nullptr) {
  psMutexInit(&m_LogMutex, 1);
}

CLog::~CLog() {
  psMutexDestroy(&m_LogMutex, 1);
}

int CLog::SetLogName(const char* pathP) {
  TRACE_ENTRY(TRC_GENERAL, "CLog::SetLogName()");
  if (pathP == nullptr || std::strlen(pathP) >= sizeof(m_LogName))
    TRACE_RETURN(RC_FILE_OPEN_FAILED);
  FILE* streamP = OpenLogFile(pathP, "a", 0);
  if (streamP == nullptr) TRACE_RETURN(RC_FILE_OPEN_FAILED);
  CloseLogFile(streamP);
  std::snprintf(m_LogName, sizeof(m_LogName), "%s", pathP);
  TRACE_RETURN(RC_OK);
}

int CLog::SetRetentionDays(int32_t days) {
  m_RetentionDays = days;
  return RC_OK;
}

int CLog::SetLastPruned(const char* textP) {
  m_LastPruned = agentDateTime{};
  if (textP == nullptr || std::strcmp(textP, kNeverPruned) == 0) return RC_OK;
  char dateText[DATE_TIME_TEXT_SIZE] = {};
  char timeText[DATE_TIME_TEXT_SIZE] = {};
  std::sscanf(textP, "%24s %24s", dateText, timeText);
  agentDateTime parsed{};
  // A text that does not read whole leaves the log never pruned, so the next start prunes.
  if (dateParse(dateText, &parsed) == 0 && timeParse(timeText, &parsed) == 0) m_LastPruned = parsed;
  return RC_OK;
}

int CLog::GetLastPruned(agentDateTime* dateP) const {
  *dateP = m_LastPruned;
  return RC_OK;
}

FILE* CLog::OpenLogFile(const char* pathP, const char* modeP, int retry) {
  FILE* streamP = std::fopen(pathP, modeP);
  const char* baseP = std::strrchr(pathP, '/');
  if (streamP == nullptr && retry && baseP != nullptr) streamP = std::fopen(baseP + 1, modeP);
  return streamP;
}

int CLog::CloseLogFile(FILE* streamP) {
  int failed = std::ferror(streamP);
  return (std::fclose(streamP) != 0 || failed) ? 414 : 0;
}

void CLog::LogMessage(FILE* streamP, const char* textP) {
  agentDateTime now;
  dateGetNow(&now);
  char date[DATE_TEXT_SIZE];
  char time[DATE_TEXT_SIZE];
  dateFormatParts(&now, date, time);
  const char* lineP = textP;
  while (*lineP != '\0') {
    size_t len = std::strcspn(lineP, "\n");
    if (len > 0) {
      writeText(streamP, std::string(date) + " " + time + " " + std::string(lineP, len) + "\n");
    }
    lineP += len + (lineP[len] == '\n' ? 1 : 0);
  }
}

int CLog::LogActivityLog(const char* textP) {
  if (m_LogName[0] == '\0') return RC_LOG_NAME_NOT_DEFINED;
  TRACE_LINE(TRC_DETAILED, "Activity log entry: %s\n", textP);
  CPsMutexHold hold(m_LogMutex);
  FILE* streamP = OpenLogFile(m_LogName, "a", 0);
  if (streamP == nullptr) return RC_FILE_OPEN_FAILED;
  LogMessage(streamP, textP);
  CloseLogFile(streamP);
  return RC_OK;
}

int CLog::LogActivityLog(int msgNum, ...) {
  char text[NLS_MSG_MAX];
  va_list args;
  va_start(args, msgNum);
  nlsvprintf(text, sizeof(text), msgNum, args);
  va_end(args);
  if (text[0] == '\0') {
    TRACE_LINE(TRC_GENERAL, "Missing msgNum, %d, from the repository.\n", msgNum);
    return RC_LOG_MSG_MISSING;
  }
  return LogActivityLog(text);
}

// The pruning phase drops lines from the head of the log until the first dated line within the
// retention; the copy phase keeps every line after it, dated or not.
int CLog::PruneInto(FILE* logP, FILE* tempP, const agentDateTime& now) {
  unsigned linesRead = 0;
  unsigned linesPruned = 0;
  bool pruning = true;
  std::string line;
  while (readLine(logP, &line)) {
    ++linesRead;
    if (pruning) {
      std::string dateText =
          line.find(' ') == kDateTextLen ? line.substr(0, kDateTextLen) : "NotADate";
      agentDateTime lineDate = now;
      bool recent = dateParse(dateText.c_str(), &lineDate) == 0 && m_RetentionDays != 0 &&
                    dateDiffDays(&now, &lineDate) <= m_RetentionDays;
      if (!recent) {
        ++linesPruned;
        continue;
      }
      pruning = false;
    }
    writeText(tempP, line);
  }
  char date[DATE_TEXT_SIZE];
  char time[DATE_TEXT_SIZE];
  dateFormatParts(&now, date, time);
  writeMsg(tempP, LOG_MSG_PRUNE_STARTED, date, time, m_RetentionDays);
  if (linesPruned == 0) {
    writeMsg(tempP, LOG_MSG_PRUNE_NOTHING, date, time);
  } else {
    writeMsg(tempP, LOG_MSG_PRUNE_DONE, date, time, linesPruned, linesRead);
  }
  return std::ferror(logP) ? RC_LOG_OPEN_FOR_PRUNE_FAILED : 0;
}

int CLog::PruneLogFile() {
  TRACE_ENTRY(TRC_GENERAL, "CLog::PruneLogFile()");
  if (m_LogName[0] == '\0') TRACE_RETURN(RC_LOG_NAME_NOT_DEFINED);
  if (m_RetentionDays < 0) TRACE_RETURN(RC_LOG_PRUNE_NOT_DUE);
  agentDateTime now;
  dateGetNow(&now);
  if (dateDiffDays(&now, &m_LastPruned) < 1) TRACE_RETURN(RC_LOG_PRUNE_NOT_DUE);
  m_LastPruned = now;  // before anything else: a failed pruning still counts as done for the day
  CNlsLock nlsLock;    // the summary messages are formatted while the log is held
  CPsMutexHold hold(m_LogMutex);
  FILE* logP = OpenLogFile(m_LogName, "r", 0);
  if (logP == nullptr) {
    TRACE_LINE(TRC_GENERAL, "Unable to open log file %s.\n", m_LogName);
    TRACE_RETURN(RC_LOG_OPEN_FOR_PRUNE_FAILED);
  }
  std::string tempPath = directoryOf(m_LogName) + LOG_PRUNE_FILE_NAME;
  FILE* tempP = OpenLogFile(tempPath.c_str(), "w", 0);
  if (tempP == nullptr) {
    std::fclose(logP);
    TRACE_LINE(TRC_GENERAL, "Unable to open temp file %s.\n", tempPath.c_str());
    TRACE_RETURN(RC_FILE_OPEN_FAILED);
  }
  int rc = PruneInto(logP, tempP, now);
  std::fclose(logP);
  // The pruned copy replaces the log by a rename, so a crash or a full disk never leaves the
  // log half written: until the rename the old log stays whole.
  int closeRc = CloseLogFile(tempP);
  if (rc != RC_OK || closeRc != RC_OK) {
    std::remove(tempPath.c_str());
    TRACE_RETURN(rc != RC_OK ? rc : closeRc);
  }
  if (std::rename(tempPath.c_str(), m_LogName) != 0) {
    std::remove(tempPath.c_str());
    TRACE_RETURN(RC_LOG_REPLACE_FAILED);
  }
  TRACE_RETURN(RC_OK);
}
