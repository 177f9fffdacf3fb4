#include "daboutsrv.h"

#include <wx/dialog.h>

#include <algorithm>

#include "agtrc.h"
#include "agttrc.h"
#include "frame.h"
#include "msgout.h"

namespace {

enum : int {
  MSG_API_VERSION = 164,
  MSG_SERVER_VERSION = 165,
  MSG_NOT_AVAILABLE = 166,
  MSG_COMPRESSION_ON = 5200,
  MSG_COMPRESSION_OFF = 5201,
  MSG_COMPRESSION_CLIENT = 5202,
};

constexpr int kFieldMargin = 7;     // between a field's right edge and the dialog's
constexpr int kShortScreenGap = 5;  // the dialog's height below a short screen's
constexpr size_t kTextSize = 512;

std::string message(int msgNum) {
  char text[kTextSize] = "";
  nlsprintf(text, sizeof text, msgNum);
  return text;
}

std::string versionText(int msgNum, unsigned a, unsigned b, unsigned c) {
  char text[kTextSize] = "";
  nlsprintf(text, sizeof text, msgNum, a, b, c);
  return text;
}

std::string compressionText(unsigned compression) {
  if (compression == PELK_COMPRESSION_ON) return message(MSG_COMPRESSION_ON);
  if (compression == PELK_COMPRESSION_OFF) return message(MSG_COMPRESSION_OFF);
  return message(MSG_COMPRESSION_CLIENT);
}

}  // namespace

std::vector<DServerInfoRow> serverInfoRows(const pelkSessInfo& s, const pelkApiVersion& api) {
  char serverVersion[kTextSize] = "";
  nlsprintf(serverVersion, sizeof serverVersion, MSG_SERVER_VERSION, unsigned(s.serverVer),
            unsigned(s.serverRel), unsigned(s.serverLev), unsigned(s.serverSubLev));
  std::vector<DServerInfoRow> rows = {
      {IDC_ABOUTSRV_NODE, s.id},
      {IDC_ABOUTSRV_HOST, s.serverHost},
      {IDC_ABOUTSRV_NAME, s.moxtarServerName},
      {IDC_ABOUTSRV_TYPE, s.serverType},
      {IDC_ABOUTSRV_VERSION, serverVersion},
      {IDC_ABOUTSRV_API_VERSION, versionText(MSG_API_VERSION, api.version, api.release, api.level)},
      {IDC_ABOUTSRV_COMPRESSION, compressionText(s.compression)},
      {IDC_ABOUTSRV_DOMAIN, s.domainName},
      {IDC_ABOUTSRV_POLICY_SET, s.policySetName},
      {IDC_ABOUTSRV_MGMT_CLASS, s.dfltMCName},
  };
  std::string notAvailable = message(MSG_NOT_AVAILABLE);
  for (DServerInfoRow& row : rows) {
    if (row.text.empty()) row.text = notAvailable;
  }
  return rows;
}

DAboutMoxtarServerDlg::DAboutMoxtarServerDlg(wxWindow* parentP, const DServerQuery& query)
    : zkui::Dialog(DABOUTSRV_TEMPLATE_ID, parentP), m_query(query) {}

int DAboutMoxtarServerDlg::runDialog() {
  TRACE_ENTRY(TRC_GUI, "DAboutMoxtarServerDlg::runDialog");
  pelkApiLogonInfo logon = {"", m_query.passwordP, nullptr, m_query.optFileP, m_query.callbackP};
  pelkSessInfo sessInfo{};
  pelkApiVersion apiVersion{};
  char msgBuffer[DABOUTSRV_MSG_BUFFER_SIZE] = "";
  int rc = m_query.queryP(&sessInfo, &apiVersion, &logon, msgBuffer);
  if (rc == RC_CANCELED_BY_USER) TRACE_RETURN(rc);
  if (rc != RC_OK) {
    if (m_query.showErrorP != nullptr) m_query.showErrorP(msgBuffer);
    TRACE_RETURN(rc);
  }
  m_rows = serverInfoRows(sessInfo, apiVersion);
  TRACE_RETURN(doModal());
}

void DAboutMoxtarServerDlg::onInitDialog() {
  zkui::Dialog::onInitDialog();
  for (const DServerInfoRow& row : m_rows) setItemText(row.controlId, row.text);
  int height = window()->GetSize().GetHeight();
  int screenHeight = zkui::screenArea().height;
  m_fixedHeight = screenHeight < height ? screenHeight - kShortScreenGap : height;
  window()->SetSize(-1, -1, -1, m_fixedHeight);
  window()->SetSizeHints(window()->GetMinWidth(), m_fixedHeight, -1, m_fixedHeight);
}

// Only the fields follow the width; the labels and the button keep their places.
void DAboutMoxtarServerDlg::onSize(int width, int height) {
  zkui::Dialog::onSize(width, height);
  int right = window()->GetClientSize().GetWidth() - kFieldMargin;
  for (const DServerInfoRow& row : m_rows) {
    wxWindow* fieldP = control(row.controlId);
    if (fieldP == nullptr) continue;
    wxRect r = fieldP->GetRect();
    fieldP->SetSize(r.x, r.y, std::max(right - r.x, 1), r.height);
  }
}

bool DAboutMoxtarServerDlg::onCommand(int id) {
  if (id != IDC_ABOUTSRV_CLOSE) return zkui::Dialog::onCommand(id);
  endDialog(zkui::kIdOk);
  return true;
}
