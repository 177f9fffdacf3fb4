// The console status display of zarnaksqlc: the status reports of a running request (start,
// begin and end of each object, progress, wait lines of slow interface calls, the final
// statistics) as numbered messages on standard output.
//
// Threads: reports come from the request's thread and from the monitor threads of its
// transfers at once; m_Mutex is held around each whole report, so the lines of two reports
// never interleave and the last report's kind and interface name are read and written by one
// report at a time.
#pragma once

#include <cstdint>
#include <mutex>

#include "statusinfo.h"

constexpr uint32_t CLC_STATUS_NO_COMMAND = 54;

class CStatus {
 public:
  CStatus();
  ~CStatus();

  // The command whose reports are shown when a report names none.
  void dbSetStatusCommand(uint32_t command);
  // Shows one report: 0, or 419 for a kind or a command it cannot show (nothing printed).
  int dbCommandStatus(StatusInfo status);
  // Traces the command and returns 419.
  int unknownCommand(uint32_t command);

 private:
  int showReport(const StatusInfo& status, uint32_t cmd);
  int showFinish(const StatusInfo& status, uint32_t cmd);
  int showBegin(const StatusInfo& status, uint32_t cmd);
  int showStart(uint32_t cmd);
  int showEnd(const StatusInfo& status, uint32_t cmd);
  void showProgress(const StatusInfo& status);
  void showWait(const StatusInfo& status);

  std::mutex m_Mutex;
  uint32_t m_Command;         // guarded by m_Mutex
  char m_LastApiName[260];    // guarded by m_Mutex
  uint32_t m_LastStatusType;  // guarded by m_Mutex; 7 before the first report
};

// The program's one status display.
extern CStatus gConsoleStatus;

// The status callback the program hands to its requests: gConsoleStatus.dbCommandStatus.
int clcStatusCallback(StatusInfo status);
