#include "regflowpages.h"

#include <wx/toplevel.h>

#include "regaddress.h"
#include "regaddwin.h"
#include "regexcept.h"
#include "regpagewin.h"
#include "regprint.h"
#include "regregistrant.h"
#include "regres.h"
#include "regstate.h"
#include "regswitch.h"
#include "regsysinfo.h"
#include "regwinapp.h"

namespace {

constexpr int kPrintOrFaxString = 2120;
constexpr int kNoPrinterString = 218;
constexpr int kPhoneIntro = 234;
constexpr int kPhoneIntroMore = 235;
constexpr int kRepromptDays = 14;

std::function<int()> gPrintRoutine;  // user-interface thread

void setTitle(zkui::Dialog& dialog) {
  dialog.window()->SetLabel(wxString::FromUTF8(regLoadString(kRegCaptionString)));
}

bool registerLaterRefused() {
  return regSwitchIs(kSwitchRegisterLater, "no");
}

// The connection outcome the registrant keeps for each choice.
int outcomeOf(RegFollowUp choice) {
  return choice == RegFollowUp::SubmitAgain ? -1 : choice == RegFollowUp::Print ? -2 : 0;
}

RegFollowUp choiceOfOutcome(const CRegistrant& registrant) {
  if (registrant.connectionFailed()) return RegFollowUp::SubmitAgain;
  if (registrant.connectionCancelled()) return RegFollowUp::Print;
  return RegFollowUp::PromptLater;
}

int radioOf(RegFollowUp choice) {
  switch (choice) {
    case RegFollowUp::PromptLater:
      return kFailPromptLater;
    case RegFollowUp::SubmitAgain:
      return kFailSubmitNow;
    case RegFollowUp::Print:
      return kFailPrint;
    case RegFollowUp::None:
      break;
  }
  return 0;
}

// A string the current language may lack.
bool stringOf(int id, std::string& text) {
  return regResourceModule().loadString(id, text) && !text.empty();
}

int printRegistration() {
  if (gPrintRoutine) return gPrintRoutine();
  CAdditionalInfoDlg* pageP = regCurrentAdditionalPage();
  return regPrintRegistration(pageP != nullptr ? pageP->window() : nullptr);
}

// The current page closes without asking (the wizard ends with it).
void closeCurrentPage() {
  if (CAdditionalInfoDlg* pageP = regCurrentAdditionalPage()) pageP->closeQuietly();
}

}  // namespace

// ---- exit confirmation ----

CExitConfirmPage::CExitConfirmPage(wxWindow* parentP) : Dialog(kExitConfirmTemplate, parentP) {}

void CExitConfirmPage::onInitDialog() {
  Dialog::onInitDialog();
  setTitle(*this);
  CDialogControls controls(*this);
  controls.setChecked(kExitPromptLater, CRegistrant::instance().exitConfirmation() == 1 ? 1 : 0);
  if (registerLaterRefused()) controls.show(kExitPromptLater, false);
}

bool CExitConfirmPage::onCommand(int id) {
  CDialogControls controls(*this);
  bool offered = controls.shown(kExitPromptLater);
  int checked = offered ? controls.checked(kExitPromptLater) : 0;
  if (id == kExitYes) {
    if (checked == 1) addRunEntry(kRepromptDays, 0, 0);
    endDialog(kExitYes);
    return true;
  }
  if (id == kExitNo) {
    if (offered) CRegistrant::instance().setExitConfirmation(checked);
    endDialog(kExitNo);
    return true;
  }
  return Dialog::onCommand(id);
}

// ---- connection failure ----

CConnectFailPage::CConnectFailPage(const std::string& text, wxWindow* parentP)
    : Dialog(kConnectFailTemplate, parentP), m_text(text) {
  CRegistrant& registrant = CRegistrant::instance();
  registrant.setConnectionOutcome(0);
  m_choice = choiceOfOutcome(registrant);
}

// With registerLater=no the prompt-later choice is hidden and none is taken in its place.
void CConnectFailPage::onInitDialog() {
  Dialog::onInitDialog();
  setTitle(*this);
  setItemText(kFailText, m_text);
  const DCountryRow* row = regCountryRow(CRegistrant::instance().address().getCountryIndex());
  if (row != nullptr && row->faxFlag == 1)
    setItemText(kFailPrint, regLoadString(kPrintOrFaxString));
  CDialogControls controls(*this);
  if (registerLaterRefused()) {
    controls.show(kFailPromptLater, false);
    if (m_choice == RegFollowUp::PromptLater) m_choice = RegFollowUp::None;
  }
  for (int id : {kFailPromptLater, kFailSubmitNow, kFailPrint})
    controls.setChecked(id, id == radioOf(m_choice) ? 1 : 0);
}

bool CConnectFailPage::onCommand(int id) {
  switch (id) {
    case kFailPromptLater:
    case kFailSubmitNow:
    case kFailPrint:
      m_choice = id == kFailPromptLater ? RegFollowUp::PromptLater
                 : id == kFailSubmitNow ? RegFollowUp::SubmitAgain
                                        : RegFollowUp::Print;
      CRegistrant::instance().setConnectionOutcome(outcomeOf(m_choice));
      return true;
    case kFailOk:
    case kFailCancel:
      endDialog(id);
      return true;
    default:
      return Dialog::onCommand(id);
  }
}

bool CConnectFailPage::onClose() {
  endDialog(kFailCancel);
  return true;
}

// ---- telephone registration ----

CPhoneSummaryPage::CPhoneSummaryPage(wxWindow* parentP) : Dialog(kPhoneSummaryTemplate, parentP) {}

void CPhoneSummaryPage::onInitDialog() {
  Dialog::onInitDialog();
  setTitle(*this);
  CRegistrant& registrant = CRegistrant::instance();
  CSystemInfo& info = CSystemInfo::instance();
  const std::pair<int, std::string> texts[] = {
      {2278, info.getProductListText()},
      {2287, registrant.get("q11")},
      {2279, registrant.get("email")},
      {2282, ""},
      {2286, registrant.get("q10")},
      {2283, ""},
      {2281, ""},
      {2307, info.get("prodName")},
      {2310, registrant.get("q13")},
      {2311, getVersionBanner()},
  };
  for (const auto& [id, text] : texts) setItemText(id, text);
  int country = registrant.address().getCountryIndex();
  if (country < 0) return;
  std::string intro = regLoadString(kPhoneIntro), more;
  if (stringOf(kPhoneIntroMore, more)) intro += more;
  setItemText(kPhoneSummaryText, intro + regRulesForCountry(country).phoneNumber1());
}

bool CPhoneSummaryPage::onCommand(int id) {
  if (id != kPhoneSummaryNext) return Dialog::onCommand(id);
  endDialog(1);
  return true;
}

CPhoneExitPage::CPhoneExitPage(wxWindow* parentP) : Dialog(kPhoneExitTemplate, parentP) {}

void CPhoneExitPage::onInitDialog() {
  Dialog::onInitDialog();
  setTitle(*this);
}

bool CPhoneExitPage::onCommand(int id) {
  if (id != kPhoneExitBack && id != kPhoneExitNext) return Dialog::onCommand(id);
  endDialog(id);
  return true;
}

// ---- privacy statement ----

CPrivacyPage::CPrivacyPage(wxWindow* parentP) : Dialog(kPrivacyTemplate, parentP) {}

void CPrivacyPage::onInitDialog() {
  Dialog::onInitDialog();
  setTitle(*this);
  setItemText(kPrivacyText, regPrivacyText());
}

bool CPrivacyPage::onCommand(int id) {
  if (id != kPrivacyOk) return Dialog::onCommand(id);
  endDialog(kPrivacyOk);
  return true;
}

std::string regPrivacyText() {
  std::string text, part;
  if (stringOf(244, part)) text += part;
  text += regLoadString(236);
  if (stringOf(237, part)) text += part;
  text += "\n\n" + regLoadString(238);
  if (stringOf(239, part)) text += part;
  text += regLoadString(240);
  for (int id : {241, 242, 243}) text += "\n\n" + regLoadString(id);
  return text;
}

// ---- the sequences ----

// Each pass shows a new page; a failed print shows it again with string 218, so the loop stays
// on one stack frame however often printing fails.
int regConnectionFailureSequence(const std::string& text) {
  std::string shown = text;
  for (;;) {
    CConnectFailPage page(shown, nullptr);
    int rc = page.doModal();
    if (rc != kFailOk) return rc;
    switch (page.choice()) {
      case RegFollowUp::Print:
        if (printRegistration() != 0) {
          shown = regLoadString(kNoPrinterString);
          continue;
        }
        closeCurrentPage();
        return rc;
      case RegFollowUp::PromptLater:
        addRunEntry(kRepromptDays, 0, 0);
        closeCurrentPage();
        finishWithoutConnect();
        return rc;
      case RegFollowUp::SubmitAgain:
        if (CAdditionalInfoDlg* pageP = regCurrentAdditionalPage()) pageP->submitAgain();
        return rc;
      case RegFollowUp::None:
        return rc;
    }
  }
}

// Back on the exit page shows the summary again, as often as the user likes.
int regPhoneSequence() {
  for (;;) {
    CPhoneSummaryPage summary(nullptr);
    summary.doModal();
    CPhoneExitPage exit(nullptr);
    int rc = exit.doModal();
    if (rc == kPhoneExitBack) continue;
    regRunThankYou();
    return rc;
  }
}

int regExitConfirmation() {
  CExitConfirmPage page(nullptr);
  return page.doModal();
}

void regSetPrintRoutine(std::function<int()> print) {
  gPrintRoutine = std::move(print);
}

void regInstallFlow() {
  CRegWindowPresenter& presenter = regWindowPresenter();
  presenter.m_connectionFailure = regConnectionFailureSequence;
  presenter.m_phoneRegistration = regPhoneSequence;
  presenter.m_exitConfirmation = regExitConfirmation;
  regSetPrivacyPage([] {
    CPrivacyPage page(nullptr);
    page.doModal();
  });
}
