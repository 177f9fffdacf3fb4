#include "regconnectdlg.h"

#include <wx/app.h>

#include "regexcept.h"
#include "regres.h"

CConnectingDlg::CConnectingDlg(wxWindow* parentP)
    : Dialog(kConnectingTemplate, parentP), m_target(callTarget()) {}

int CConnectingDlg::runModal(const CRegConnection& connection) {
  m_connectionP = &connection;
  return doModal();
}

void CConnectingDlg::endModal(int code) {
  zkui::callOnUiThread(m_target, [this, code] { endDialog(code); });
}

void CConnectingDlg::onInitDialog() {
  Dialog::onInitDialog();
  window()->SetLabel(wxString::FromUTF8(regLoadString(kRegCaptionString)));
  if (m_connectionP == nullptr || !m_connectionP->finished()) return;
  // The window is not modal yet: the end runs once its loop does.
  wxTheApp->CallAfter([target = m_target, this] {
    if (!target->closed()) endDialog(kConnectEnded);
  });
}

bool CConnectingDlg::onCommand(int id) {
  if (id != kConnectingCancelButton) return Dialog::onCommand(id);
  endDialog(kConnectCancelled);
  return true;
}

void CConnectingDlg::onCancel() {
  endDialog(kConnectCancelled);
}
