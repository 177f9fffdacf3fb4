// The progress dialog (template 143) that the windowed program shows modally while one backup,
// restore or inactivate command runs on its worker thread (dcmdworker.h): two bars, an
// operation line, a message line, the list of completed items (newest on top), and Stop, OK and
// Help. What each status report shows is DStatusBoard's (dstatusboard.h).
//
// Life: built on the command runner's stack (not ready) -> setStatusCommand -> doModal:
// onInitDialog makes it ready, with Stop enabled and OK and Close disabled -> reports update it
// -> enableOkButton at the end of the command: OK and Close enabled, Stop disabled -> OK, Close
// or Escape end it with 1. While the command runs, Close and Alt+F4 do nothing and Escape acts
// as Stop, so the dialog never goes before the command has ended. When the dialog cannot be
// shown or its window goes, it is closed: every wait for readiness ends and later reports
// answer 419 without effect.
//
// Threads: doCommandStatus and enableOkButton run on any thread; each waits (in 10 ms steps)
// until the dialog is ready or closed and then has the user-interface thread update the
// controls (callOnUiThread), returning when that is done. m_reportMutex makes one report whole
// (the board's update and the refresh) before the next one begins; the user-interface thread
// never takes it. Everything else runs on the user-interface thread.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>

#include "dialog.h"
#include "dstatusboard.h"
#include "statusinfo.h"

constexpr int DSTATUS_TEMPLATE_ID = 143;

enum DStatusControl : int {
  IDC_STATUS_OBJECT_BAR = 1184,
  IDC_STATUS_OVERALL_BAR = 1185,
  IDC_STATUS_LIST = 1187,
  IDC_STATUS_HELP = 1188,
  IDC_STATUS_MESSAGE = 1189,
  IDC_STATUS_OPERATION = 1190,
  IDC_STATUS_OK = 1192,
  IDC_STATUS_STOP = 1193,
};

class CStatus : public zkui::Dialog {
 public:
  CStatus();
  ~CStatus() override;

  // The command whose reports name none; 0.
  int setStatusCommand(uint32_t command);
  // One status report (any thread): 0, or 419 for a kind or command it cannot show, or when the
  // dialog was closed before the report reached it.
  int doCommandStatus(StatusInfo status);
  // The command has ended (any thread): 0, or 419 when the dialog is closed.
  int enableOkButton();
  // Adds a row at the top of the completed list, line feeds shown as blanks; 0.
  int AddCompletedListItem(const std::string& name, const std::string& text);

  // Any thread: waits until the dialog is ready (true) or closed (false).
  bool waitUntilReady();
  // The dialog will not show (again): ends every wait. The runner calls it after doModal.
  void markClosed();
  bool okEnabled() const { return m_okEnabled; }

 protected:
  void onInitDialog() override;
  bool onCommand(int id) override;
  void onCancel() override;
  bool onClose() override;
  void onSize(int width, int height) override;
  void onDestroy() override;

 private:
  enum State : int { STATUS_BUILT, STATUS_READY, STATUS_CLOSED };

  void OnStatusStop();
  void OnStatusOk();
  void OnStatusHelp();
  // The user-interface thread's half of a report: the lines into the static controls, the bars,
  // the caption and a new row.
  void OnUserUpdateData(const DStatusChange& change, const std::string& messageLine,
                        const std::string& operationLine);
  void setBar(int id, int position);
  void layOut(int width, int height);

  std::atomic<int> m_state{STATUS_BUILT};
  std::mutex m_reportMutex;
  DStatusBoard m_board;  // guarded by m_reportMutex
  // User-interface thread only.
  bool m_okEnabled = false;
  bool m_closeEnabled = false;
  int m_minWidth = -1;
  int m_minHeight = -1;
};
