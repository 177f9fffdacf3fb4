#include "regaddwin.h"

#include <wx/icon.h>
#include <wx/toplevel.h>

#include "regconnectdlg.h"
#include "regexcept.h"
#include "reglang.h"
#include "regres.h"
#include "regsplash.h"
#include "regswitch.h"
#include "uiimage.h"

namespace {

CAdditionalInfoDlg* gCurrentP = nullptr;  // the page that runs; user-interface thread

// The program's small icon and string 313 as the title.
void dressWindow(wxWindow* windowP) {
  auto* frame = dynamic_cast<wxTopLevelWindow*>(windowP);
  if (frame == nullptr) return;
  frame->SetLabel(wxString::FromUTF8(regLoadString(kRegCaptionString)));
  wxBitmap icon = zkui::resBitmap(kAppIcon, true);
  if (!icon.IsOk()) return;
  wxIcon small;
  small.CopyFromBitmap(icon);
  frame->SetIcon(small);
}

}  // namespace

// ---- the Additional Information page ----

CAdditionalInfoDlg::CAdditionalInfoDlg(wxWindow* parentP)
    : CRegPageDlg(kAdditionalTemplate, parentP,
                  CQuestionnaire().isCustomised() ? kCustomisedBitmap : kTopRightBitmap) {}

void CAdditionalInfoDlg::onInitDialog() {
  CRegPageDlg::onInitDialog();
  dressWindow(window());
  m_page = std::make_unique<CAdditionalInfoPage>(m_controls);
  m_page->load();
  m_page->init();
}

bool CAdditionalInfoDlg::onCommand(int id) {
  if (m_page->chooseUse(id)) return true;
  switch (id) {
    case kAddBack:
      m_page->store();
      endDialog(kAddBack);
      return true;
    case kAddSubmit:
      submit();
      return true;
    case kAddExit:
      if (confirmExit()) endDialog(kPageExited);
      return true;
    default:
      return CRegPageDlg::onCommand(id);
  }
}

// The page ends when the report that asked for it has returned, in the page's own modal loop:
// ending it from inside the later pages' loops would end theirs instead.
void CAdditionalInfoDlg::closeQuietly() {
  m_closeQuietly = true;
}

void CAdditionalInfoDlg::submitAgain() {
  m_controls.postClick(kAddSubmit);
}

// A failure keeps the page open with nothing sent; what was stored before it stays stored.
void CAdditionalInfoDlg::submit() {
  try {
    std::string request = m_page->submit();
    transmit(request);
    window()->SetFocus();
    endDialog(kAddSubmit);
  } catch (const CRegException& e) {
    auto target = callTarget();
    while (reportRegException(e) == 8) {
    }
    if (target->closed()) return;
    if (m_closeQuietly) {
      endDialog(kPageClosed);
      return;
    }
    auto id = static_cast<int>(e.value());
    if (id > 0 && m_controls.shown(id)) m_controls.focus(id);
  }
}

void CAdditionalInfoDlg::transmit(const std::string& request) {
  CConnectingDlg dialog(window());
  CRegConnection connection;
  connection.setQuery(request);
  connection.runTransmission(dialog);
}

RegPage regRunAdditionalPage() {
  CAdditionalInfoDlg dialog(nullptr);
  CAdditionalInfoDlg* outerP = std::exchange(gCurrentP, &dialog);
  int rc = dialog.doModal();
  gCurrentP = outerP;
  if (rc == kAddBack) return RegPage::System;
  if (rc == kAddSubmit) return RegPage::ThankYou;
  return RegPage::None;
}

CAdditionalInfoDlg* regCurrentAdditionalPage() {
  return gCurrentP;
}

// ---- the thank-you page ----

void CThankYouDlg::onInitDialog() {
  Dialog::onInitDialog();
  dressWindow(window());
  if (CLanguageRules::instance().boldPageTitles()) {
    if (wxWindow* title = control(kThankYouTitle)) {
      wxFont font = title->GetFont();
      font.SetWeight(wxFONTWEIGHT_BOLD);
      title->SetFont(font);
      title->InvalidateBestSize();
    }
  }
}

bool CThankYouDlg::onCommand(int id) {
  if (id != kThankYouExit) return Dialog::onCommand(id);
  endDialog(kThankYouExit);
  return true;
}

void regRunThankYou() {
  CThankYouDlg dialog(nullptr);
  dialog.doModal();
}

void finishWithoutConnect() {
  if (!regSwitchIs(kSwitchConnect, "no")) return;
  if (regSwitchIs(kSwitchThankYou, "yes")) regRunThankYou();
  if (regSwitchIs(kSwitchJavaConnect, "yes")) {
    zkui::Dialog settings(kConnectionSettingsTemplate, nullptr);
    settings.doModal();
  }
}
