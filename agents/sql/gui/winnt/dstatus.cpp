#include "dstatus.h"

#include <wx/button.h>
#include <wx/gauge.h>
#include <wx/listctrl.h>
#include <wx/toplevel.h>

#include <algorithm>

#include "agtrc.h"
#include "agttrc.h"
#include "dfcidlg.h"
#include "erifunc.h"
#include "frame.h"
#include "help.h"
#include "psthread.h"

namespace {

enum : int { MSG_HELP_KEY = 5705, MSG_COLUMN_NAME = 5820, MSG_COLUMN_RESULT = 5821 };

constexpr char kHelpFile[] = "zarnaksql.hlp";
constexpr uint32_t kReadyPollMs = 10;
constexpr int kMargin = 7;
constexpr int kScreenSlack = 5;
constexpr int kResultColumnWidth = 2000;

const int kButtons[] = {IDC_STATUS_HELP, IDC_STATUS_STOP, IDC_STATUS_OK};
const int kStretched[] = {IDC_STATUS_MESSAGE, IDC_STATUS_OPERATION, IDC_STATUS_OVERALL_BAR,
                          IDC_STATUS_OBJECT_BAR, IDC_STATUS_LIST};

}  // namespace

CStatus::CStatus() : zkui::Dialog(DSTATUS_TEMPLATE_ID, nullptr) {}

CStatus::~CStatus() {
  markClosed();
}

int CStatus::setStatusCommand(uint32_t command) {
  std::lock_guard<std::mutex> hold(m_reportMutex);
  m_board.setCommand(command);
  return RC_OK;
}

bool CStatus::waitUntilReady() {
  for (;;) {
    int state = m_state.load(std::memory_order_acquire);
    if (state != STATUS_BUILT) return state == STATUS_READY;
    TRACE_LINE(TRC_GUI, "Waiting %u milliseconds for status object initialization to complete.\n",
               kReadyPollMs);
    psSleep(kReadyPollMs);
  }
}

void CStatus::markClosed() {
  m_state.store(STATUS_CLOSED, std::memory_order_release);
}

int CStatus::doCommandStatus(StatusInfo status) {
  if (!waitUntilReady()) return RC_INTERNAL_ERROR;
  std::lock_guard<std::mutex> hold(m_reportMutex);
  DStatusChange change;
  int rc = m_board.report(status, &change);
  std::string messageLine = m_board.messageLine();
  std::string operationLine = m_board.operationLine();
  int callRc = zkui::callOnUiThread(callTarget(),
                                    [&] { OnUserUpdateData(change, messageLine, operationLine); });
  return callRc == zkui::kCallDone ? rc : RC_INTERNAL_ERROR;
}

int CStatus::enableOkButton() {
  if (!waitUntilReady()) return RC_INTERNAL_ERROR;
  int callRc = zkui::callOnUiThread(callTarget(), [this] {
    m_closeEnabled = true;
    if (auto* topP = dynamic_cast<wxTopLevelWindow*>(window())) topP->EnableCloseButton(true);
    m_okEnabled = true;
    wxWindow* okP = control(IDC_STATUS_OK);
    if (okP != nullptr) {
      okP->Enable();
      okP->SetFocus();
    }
    if (wxWindow* stopP = control(IDC_STATUS_STOP)) stopP->Disable();
  });
  return callRc == zkui::kCallDone ? RC_OK : RC_INTERNAL_ERROR;
}

int CStatus::AddCompletedListItem(const std::string& name, const std::string& text) {
  auto* listP = dynamic_cast<wxListCtrl*>(control(IDC_STATUS_LIST));
  if (listP == nullptr) return RC_OK;
  long row = listP->InsertItem(0, wxString::FromUTF8(name));
  listP->SetItem(row, 1, wxString::FromUTF8(statusBlankLineFeeds(text)));
  return RC_OK;
}

void CStatus::onInitDialog() {
  auto* topP = dynamic_cast<wxTopLevelWindow*>(window());
  if (topP != nullptr) topP->EnableCloseButton(false);
  m_closeEnabled = false;
  m_okEnabled = false;
  if (wxWindow* okP = control(IDC_STATUS_OK)) okP->Disable();
  setItemText(IDC_STATUS_MESSAGE, "");
  setItemText(IDC_STATUS_OPERATION, "");
  if (auto* listP = dynamic_cast<wxListCtrl*>(control(IDC_STATUS_LIST))) {
    int width = listP->GetClientSize().x;
    listP->InsertColumn(0, wxString::FromUTF8(messageText(MSG_COLUMN_NAME)), wxLIST_FORMAT_LEFT,
                        width / 3);
    listP->InsertColumn(1, wxString::FromUTF8(messageText(MSG_COLUMN_RESULT)), wxLIST_FORMAT_LEFT,
                        kResultColumnWidth);
    listP->DeleteAllItems();
  }
  for (int id : {IDC_STATUS_OVERALL_BAR, IDC_STATUS_OBJECT_BAR}) {
    if (auto* barP = dynamic_cast<wxGauge*>(control(id))) {
      barP->SetRange(100);
      barP->SetValue(0);
    }
  }
  // The dialog cannot be made smaller than it starts, nor need more than the screen holds.
  wxSize outer = window()->GetSize();
  zkui::Rect screen = zkui::screenArea();
  m_minWidth = std::min(outer.x, screen.width - kScreenSlack);
  m_minHeight = std::min(outer.y, screen.height - kScreenSlack);
  window()->SetMinSize(wxSize(m_minWidth, m_minHeight));
  wxSize client = window()->GetClientSize();
  layOut(client.x, client.y);
  zkui::Dialog::onInitDialog();
  m_state.store(STATUS_READY, std::memory_order_release);  // the very last step
}

bool CStatus::onCommand(int id) {
  switch (id) {
    case IDC_STATUS_STOP:
      OnStatusStop();
      return true;
    case IDC_STATUS_OK:
    case zkui::kIdOk:
      OnStatusOk();
      return true;
    case IDC_STATUS_HELP:
      OnStatusHelp();
      return true;
    case zkui::kIdCancel:
      onCancel();
      return true;
    default:
      return false;
  }
}

// Escape never leaves a running command without its dialog: it stops the command, and once
// the command has ended it is the OK button.
void CStatus::onCancel() {
  if (m_okEnabled) return OnStatusOk();
  OnStatusStop();
}

bool CStatus::onClose() {
  if (!m_closeEnabled) {
    TRACE_LINE(TRC_GUI,
               "Ignoring system command 'close', because the alt+f4, close, system menu item is "
               "disabled.\n");
    return false;
  }
  OnStatusOk();
  return true;
}

void CStatus::onSize(int width, int height) {
  if (m_minHeight != -1) layOut(width, height);
}

void CStatus::onDestroy() {
  markClosed();
}

void CStatus::OnStatusStop() {
  TRACE_LINE(TRC_GUI, "The user stopped the command\n");
  eriCancelRequest(nullptr);
}

void CStatus::OnStatusOk() {
  if (m_okEnabled) endDialog(zkui::kIdOk);
}

void CStatus::OnStatusHelp() {
  zkui::help({kHelpFile, zkui::HelpCommand::Key, 0, messageText(MSG_HELP_KEY)});
}

void CStatus::OnUserUpdateData(const DStatusChange& change, const std::string& messageLine,
                               const std::string& operationLine) {
  setItemText(IDC_STATUS_MESSAGE, statusBlankLineFeeds(messageLine));
  setItemText(IDC_STATUS_OPERATION, statusBlankLineFeeds(operationLine));
  setBar(IDC_STATUS_OVERALL_BAR, change.overallPos);
  setBar(IDC_STATUS_OBJECT_BAR, change.objectPos);
  if (change.setCaption) {
    if (auto* topP = dynamic_cast<wxTopLevelWindow*>(window()))
      topP->SetTitle(wxString::FromUTF8(change.caption));
  }
  if (change.addRow) AddCompletedListItem(change.rowName, change.rowText);
}

void CStatus::setBar(int id, int position) {
  if (position == DSTATUS_UNCHANGED) return;
  if (auto* barP = dynamic_cast<wxGauge*>(control(id))) barP->SetValue(position);
}

// Buttons keep their size and stay kMargin above the bottom; lines, bars and list reach to
// kMargin from the right, and the list down to kMargin above OK.
void CStatus::layOut(int width, int height) {
  for (int id : kButtons) {
    wxWindow* c = control(id);
    if (c != nullptr) c->Move(c->GetPosition().x, height - kMargin - c->GetSize().y);
  }
  wxWindow* okP = control(IDC_STATUS_OK);
  for (int id : kStretched) {
    wxWindow* c = control(id);
    if (c == nullptr) continue;
    wxRect r = c->GetRect();
    r.width = std::max(1, width - kMargin - r.x);
    if (id == IDC_STATUS_LIST && okP != nullptr)
      r.height = std::max(1, okP->GetPosition().y - kMargin - r.y);
    c->SetSize(r);
  }
}
