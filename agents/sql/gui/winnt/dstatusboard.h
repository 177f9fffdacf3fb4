// What the progress dialog shows, report by report: the engine's status records (statusinfo.h)
// turned into the dialog's two lines, its two bar positions, its caption and the rows of its
// list of completed items, without any window, so that every rule is tested without a display.
//
// Commands: 1-6 backups, 46-53 inactivations, 71-77 restores (the parser's ids and the restore
// command of the windowed program); DSTATUS_NO_COMMAND until one is set. A report whose text
// depends on the command answers 419 for any other command and leaves its text empty.
//
// Threads: none of its own. The dialog holds its report lock around report() and the reads that
// follow it, so one report is handled whole before the next begins.
#pragma once

#include <cstdint>
#include <string>

#include "statusinfo.h"

constexpr uint32_t DSTATUS_NO_COMMAND = 54;
constexpr uint32_t DSTATUS_NO_REPORT = 7;  // the last kind before the first report
constexpr int DSTATUS_UNCHANGED = -1;

// What one report changes besides the two lines.
struct DStatusChange {
  int overallPos = DSTATUS_UNCHANGED;  // 0-100, the position in the whole command
  int objectPos = DSTATUS_UNCHANGED;   // 0-100, the progress of the current item
  bool setCaption = false;
  std::string caption;
  bool addRow = false;  // a new first row of the completed list
  std::string rowName;
  std::string rowText;
};

class DStatusBoard {
 public:
  void setCommand(uint32_t command) { m_command = command; }
  uint32_t command() const { return m_command; }

  // Applies one report to the lines and fills *changeP: 0, or 419 for an unknown kind (traced
  // "An invalid status type (%#x) was received.") or a command that the kind cannot show
  // (traced "An invalid command (%#x) was detected."). The kind becomes the last kind in every
  // case.
  int report(const StatusInfo& status, DStatusChange* changeP);

  // The two lines as the reports left them (line feeds included).
  const std::string& messageLine() const { return m_messageLine; }
  const std::string& operationLine() const { return m_operationLine; }

 private:
  int apply(const StatusInfo& status, uint32_t command, DStatusChange* changeP);
  void progress(const StatusProgress& p, DStatusChange* changeP);
  int finish(const StatusFinish& f, uint32_t command, DStatusChange* changeP);
  int begin(const StatusBegin& b, uint32_t command, DStatusChange* changeP);
  int start(uint32_t command, DStatusChange* changeP);
  void wait(const StatusWait& w);
  int end(const StatusEnd& e, uint32_t command, DStatusChange* changeP);

  uint32_t m_command = DSTATUS_NO_COMMAND;
  uint32_t m_lastKind = DSTATUS_NO_REPORT;
  std::string m_lastWaitApi;  // at most 259 characters, as the interface names are kept
  std::string m_messageLine;
  std::string m_operationLine;
};

// The text with every line feed replaced by a blank: how lines and rows are shown.
std::string statusBlankLineFeeds(std::string text);
