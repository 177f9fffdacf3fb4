// The activity log: a plain text file in which the agent keeps a dated record of what it did,
// every warning, error and severe message it prints and the texts other parts log directly.
// One CLog per process; the front end creates it after reading the preferences, names the
// file, sets the retention and the last-pruned date, prunes once and stores the new
// last-pruned date back. The engine reaches it through gLogP (null when there is no log).
//
// Concurrency: m_LogMutex serialises every write and the whole pruning. The name, retention
// and last-pruned date are set by the front end before threads start. Lock order: the NLS
// mutex before m_LogMutex (message output logs while it holds the NLS mutex; pruning takes
// both, in that order, because it formats its summary messages while it holds the log).
#pragma once

#include <cstdint>
#include <cstdio>

#include "dateutil.h"
#include "psthread.h"

// Return codes of the log.
constexpr int RC_LOG_NAME_NOT_DEFINED = 900;
constexpr int RC_LOG_OPEN_FOR_PRUNE_FAILED = 901;
constexpr int RC_LOG_REPLACE_FAILED = 902;
constexpr int RC_LOG_PRUNE_NOT_DUE = 903;  // pruning disabled or already done within a day
constexpr int RC_LOG_MSG_MISSING = 1004;

constexpr int LOG_NAME_SIZE = 1284;
constexpr int LOG_DEFAULT_RETENTION_DAYS = 60;
constexpr char LOG_PRUNE_FILE_NAME[] = "zarnakprune.log";
// The summary messages that a pruning appends.
constexpr int LOG_MSG_PRUNE_STARTED = 125;
constexpr int LOG_MSG_PRUNE_NOTHING = 126;
constexpr int LOG_MSG_PRUNE_DONE = 127;

class CLog {
 public:
  CLog();
  ~CLog();
  CLog(const CLog&) = delete;
  CLog& operator=(const CLog&) = delete;

  // 0, or 406 when the file cannot be opened for appending (the name is then unchanged).
  int SetLogName(const char* pathP);
  const char* GetLogName() const { return m_LogName; }
  // -1 disables pruning; 0 prunes every dated line. Returns 0.
  int SetRetentionDays(int32_t days);
  int32_t GetRetentionDays() const { return m_RetentionDays; }
  // "date time" in the user's formats; "00/00/0000 00:00:00" means never pruned. Returns 0.
  int SetLastPruned(const char* textP);
  int GetLastPruned(agentDateTime* dateP) const;

  // One log line per non-empty line of the text, each with the same date and time.
  // 0, 900 (no name) or 406 (the file cannot be opened).
  int LogActivityLog(const char* textP);
  // The message with its inserts; as above, or 1004 when the message is missing.
  int LogActivityLog(int msgNum, ...);

  // Drops the lines older than the retention from the head of the log and appends a summary.
  // 0; 900 no name; 903 disabled or done within a day; 901 the log cannot be read; 406 the
  // pruning file cannot be created; 414 it cannot be closed; 902 it cannot replace the log.
  int PruneLogFile();

 private:
  FILE* OpenLogFile(const char* pathP, const char* modeP, int retry);
  int CloseLogFile(FILE* streamP);
  void LogMessage(FILE* streamP, const char* textP);
  int PruneInto(FILE* logP, FILE* tempP, const agentDateTime& now);

  char m_LogName[LOG_NAME_SIZE];
  int32_t m_RetentionDays;
  agentDateTime m_LastPruned;  // all zero: never pruned
  psMutex m_LogMutex;          // guards the file: every write and the whole pruning
};

extern CLog* gLogP;

// gLogP is set and cleared by the front end's main thread and read without a lock by the
// engine's threads, which all run between the two. The cancel comes on another thread at any
// moment, also while the front end clears gLogP at its end: it writes inside a CLogUse, and
// the front end changes gLogP only through setActivityLog, which takes the same lock, so no
// log is written after it has been taken away to be deleted.
// Sets gLogP (null: none) and returns the log it replaces.
CLog* setActivityLog(CLog* logP);

// Holds the lock of setActivityLog while it lives; log() is the log then set, or null.
class CLogUse {
 public:
  CLogUse();
  ~CLogUse();
  CLogUse(const CLogUse&) = delete;
  CLogUse& operator=(const CLogUse&) = delete;
  CLog* log() const { return gLogP; }
};
