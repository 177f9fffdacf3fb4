#include "regpagewin.h"

#include <wx/app.h>
#include <wx/checkbox.h>
#include <wx/combobox.h>
#include <wx/dcclient.h>
#include <wx/radiobut.h>
#include <wx/textctrl.h>

#include <chrono>
#include <cstdint>

#include "regaddwin.h"
#include "regbitmap.h"
#include "regexcept.h"
#include "regres.h"
#include "regsplash.h"

namespace {

const wxColour kMagenta(255, 0, 255);
constexpr int kBandAboveBottom = 44;
constexpr int kTopRightFromRight = 200;
constexpr int kTopRightFromTop = 30;
// How long focus changes the display still delivers after a refused field took the focus back.
constexpr std::chrono::milliseconds kSettleTime(300);
constexpr int kRefocusTimer = 47;

RegPageStep gAdditionalPage;
std::function<void()> gPrivacyPage;

wxString wx(const std::string& text) {
  return wxString::FromUTF8(text);
}

wxComboBox* comboOf(const zkui::Dialog& dialog, int id) {
  return dynamic_cast<wxComboBox*>(dialog.control(id));
}

void* asClientData(long data) {
  return reinterpret_cast<void*>(static_cast<std::intptr_t>(data));
}

}  // namespace

// ---- CDialogControls ----

void CDialogControls::show(int id, bool shown) {
  if (wxWindow* c = m_dialog.control(id)) c->Show(shown);
}

bool CDialogControls::shown(int id) const {
  wxWindow* c = m_dialog.control(id);
  return c != nullptr && c->IsShown();
}

void CDialogControls::enable(int id, bool enabled) {
  if (wxWindow* c = m_dialog.control(id)) c->Enable(enabled);
}

bool CDialogControls::enabled(int id) const {
  wxWindow* c = m_dialog.control(id);
  return c != nullptr && c->IsEnabled();
}

std::string CDialogControls::text(int id) const {
  if (wxComboBox* combo = comboOf(m_dialog, id)) {
    int at = combo->GetSelection();
    return at == wxNOT_FOUND ? std::string() : combo->GetString(at).utf8_string();
  }
  return m_dialog.itemText(id);
}

void CDialogControls::setText(int id, const std::string& text) {
  if (comboOf(m_dialog, id) != nullptr) {
    selectPrefix(id, text);
    return;
  }
  m_dialog.setItemText(id, text);
}

void CDialogControls::limitText(int id, int maxChars) {
  if (auto* edit = dynamic_cast<wxTextCtrl*>(m_dialog.control(id))) edit->SetMaxLength(maxChars);
}

void CDialogControls::focus(int id) {
  m_focusRequest = id;
  if (wxWindow* c = m_dialog.control(id)) c->SetFocus();
}

int CDialogControls::checked(int id) const {
  wxWindow* c = m_dialog.control(id);
  if (auto* check = dynamic_cast<wxCheckBox*>(c)) return check->GetValue() ? 1 : 0;
  if (auto* radio = dynamic_cast<wxRadioButton*>(c)) return radio->GetValue() ? 1 : 0;
  return 0;
}

void CDialogControls::setChecked(int id, int state) {
  wxWindow* c = m_dialog.control(id);
  if (auto* check = dynamic_cast<wxCheckBox*>(c)) check->SetValue(state == 1);
  if (auto* radio = dynamic_cast<wxRadioButton*>(c)) radio->SetValue(state == 1);
}

// The press arrives after the current event, as a posted message would, and reaches the
// dialog's own command handler.
void CDialogControls::postClick(int id) {
  wxWindow* c = m_dialog.control(id);
  if (c == nullptr) return;
  auto* radio = dynamic_cast<wxRadioButton*>(c);
  if (radio != nullptr) radio->SetValue(true);
  wxCommandEvent event(radio != nullptr ? wxEVT_RADIOBUTTON : wxEVT_BUTTON, id);
  event.SetEventObject(c);
  event.SetInt(1);
  c->GetEventHandler()->AddPendingEvent(event);
}

void CDialogControls::clearItems(int id) {
  if (wxComboBox* combo = comboOf(m_dialog, id)) combo->Clear();
}

void CDialogControls::insertItem(int id, int index, const std::string& text, long data) {
  wxComboBox* combo = comboOf(m_dialog, id);
  if (combo == nullptr) return;
  int count = static_cast<int>(combo->GetCount());
  unsigned at = static_cast<unsigned>(index < 0 || index > count ? count : index);
  combo->Insert(wx(text), at, asClientData(data));
}

int CDialogControls::itemCount(int id) const {
  wxComboBox* combo = comboOf(m_dialog, id);
  return combo == nullptr ? 0 : static_cast<int>(combo->GetCount());
}

std::string CDialogControls::itemText(int id, int index) const {
  wxComboBox* combo = comboOf(m_dialog, id);
  if (combo == nullptr || index < 0 || index >= static_cast<int>(combo->GetCount())) return "";
  return combo->GetString(static_cast<unsigned>(index)).utf8_string();
}

long CDialogControls::itemData(int id, int index) const {
  wxComboBox* combo = comboOf(m_dialog, id);
  if (combo == nullptr || index < 0 || index >= static_cast<int>(combo->GetCount())) return -1;
  return static_cast<long>(
      reinterpret_cast<std::intptr_t>(combo->GetClientData(static_cast<unsigned>(index))));
}

int CDialogControls::selection(int id) const {
  wxComboBox* combo = comboOf(m_dialog, id);
  if (combo == nullptr) return -1;
  int at = combo->GetSelection();
  return at == wxNOT_FOUND ? -1 : at;
}

void CDialogControls::select(int id, int index) {
  if (wxComboBox* combo = comboOf(m_dialog, id))
    combo->SetSelection(index < 0 ? wxNOT_FOUND : index);
}

int CDialogControls::right(int id) const {
  wxWindow* c = m_dialog.control(id);
  return c == nullptr ? 0 : c->GetPosition().x + c->GetSize().x;
}

void CDialogControls::setRight(int id, int right) {
  wxWindow* c = m_dialog.control(id);
  if (c == nullptr) return;
  wxPoint at = c->GetPosition();
  c->SetSize(at.x, at.y, right - at.x, c->GetSize().y);
}

void CDialogControls::setBold(int id) {
  wxWindow* c = m_dialog.control(id);
  if (c == nullptr) return;
  wxFont font = c->GetFont();
  font.SetWeight(wxFONTWEIGHT_BOLD);
  c->SetFont(font);
  c->InvalidateBestSize();
}

// ---- CRegPageDlg ----

CRegPageDlg::CRegPageDlg(int templateId, wxWindow* parentP, int topRightBitmap)
    : Dialog(templateId, parentP), m_controls(*this), m_topRightBitmap(topRightBitmap) {}

void CRegPageDlg::onInitDialog() {
  Dialog::onInitDialog();
  window()->SetLabel(wx(regLoadString(kRegCaptionString)));
  wxTheApp->SetTopWindow(window());
  window()->Bind(wxEVT_PAINT, &CRegPageDlg::onPaint, this);
}

// A field's check runs after the focus change that left it, so its message box never opens
// inside the change. A check that refuses the field puts the focus back on it, which makes the
// field the user went to lose it in turn, and focus changes already on their way from the
// display may still arrive: for a moment after a refusal no leave is checked, and after it only
// the refused field's, so two refused fields never pass the focus back and forth.
bool CRegPageDlg::onNotify(const zkui::Notification& n) {
  if (n.kind == zkui::NotifyKind::ComboChanged) comboChosen(n.id);
  if (n.kind != zkui::NotifyKind::EditLeft || m_checking) return false;
  if (std::chrono::steady_clock::now() < m_quietUntil) return false;
  if (m_refused != 0 && n.id != m_refused) return false;
  m_refused = 0;
  wxTheApp->CallAfter([target = callTarget(), this, id = n.id] {
    if (target->closed() || m_checking) return;
    m_checking = true;
    m_controls.takeFocusRequest();
    fieldLeft(id);
    m_refused = m_controls.takeFocusRequest();
    if (m_refused != 0) {
      // The focus goes back once more when the late changes have come.
      m_quietUntil = std::chrono::steady_clock::now() + kSettleTime;
      setTimer(kRefocusTimer, static_cast<int>(kSettleTime.count()));
    }
    m_checking = false;
  });
  return false;
}

void CRegPageDlg::onTimer(int id) {
  if (id != kRefocusTimer) return;
  killTimer(kRefocusTimer);
  if (m_refused != 0) m_controls.focus(m_refused);
}

void CRegPageDlg::onPaint(wxPaintEvent&) {
  wxPaintDC dc(window());
  wxSize client = window()->GetClientSize();
  drawTransparent(dc, 0, client.y - kBandAboveBottom, kBottomBandBitmap, 0, 0, kMagenta);
  if (m_topRightBitmap != 0) {
    drawTransparent(dc, client.x - kTopRightFromRight, kTopRightFromTop, m_topRightBitmap, 0, 0,
                    kMagenta);
  }
}

// Without an exit confirmation to show (the answer 0: nothing was asked), the user's Exit
// stands: a page never keeps the user in.
bool CRegPageDlg::confirmExit() {
  int answer = reportRegException(CRegException(kExitConfirmation, 0));
  return answer == kExitConfirmedYes || answer == 0;
}

bool CRegPageDlg::onClose() {
  if (!confirmExit()) return false;
  endDialog(kPageExited);
  return true;
}

// ---- the contact page ----

CContactInfoDlg::CContactInfoDlg(wxWindow* parentP) : CRegPageDlg(kContactTemplate, parentP, 0) {}

void CContactInfoDlg::onInitDialog() {
  CRegPageDlg::onInitDialog();
  m_page = std::make_unique<CContactInfoPage>(m_controls);
  m_page->load();
  m_page->init();
}

bool CContactInfoDlg::onCommand(int id) {
  switch (id) {
    case kContactNext:
      if (m_page->next()) endDialog(kContactNext);
      return true;
    case kContactExit:
      if (confirmExit()) endDialog(kPageExited);
      return true;
    case kContactPrivacy:
      if (gPrivacyPage) gPrivacyPage();
      return true;
    default:
      return CRegPageDlg::onCommand(id);
  }
}

void CContactInfoDlg::fieldLeft(int id) {
  m_page->leaveField(id);
}

void CContactInfoDlg::comboChosen(int id) {
  if (id == kAddrCountry) m_page->countryChanged();
}

// ---- the system information page ----

CSystemInfoDlg::CSystemInfoDlg(wxWindow* parentP)
    : CRegPageDlg(kSystemTemplate, parentP, kTopRightBitmap), m_page(m_controls) {}

void CSystemInfoDlg::onInitDialog() {
  CRegPageDlg::onInitDialog();
  m_page.load();
  m_page.init();
}

bool CSystemInfoDlg::onCommand(int id) {
  switch (id) {
    case kSystemYes:
    case kSystemNo:
      m_page.choose(id == kSystemYes);
      return true;
    case kSystemBack:
    case kSystemNext:
      m_page.save();
      endDialog(id);
      return true;
    case kSystemExit:
      if (confirmExit()) endDialog(kPageExited);
      return true;
    default:
      return CRegPageDlg::onCommand(id);
  }
}

// ---- the run of the pages ----

void regSetAdditionalPage(RegPageStep step) {
  gAdditionalPage = std::move(step);
}

void regSetPrivacyPage(std::function<void()> show) {
  gPrivacyPage = std::move(show);
}

void regRunPages(RegPage first) {
  RegPage page = first;
  RegPage previous = RegPage::None;
  while (page != RegPage::None) {
    RegPage next = RegPage::None;
    switch (page) {
      case RegPage::Contact: {
        CContactInfoDlg dialog(nullptr);
        next = dialog.doModal() == kContactNext ? RegPage::System : RegPage::None;
        break;
      }
      case RegPage::System: {
        CSystemInfoDlg dialog(nullptr);
        int rc = dialog.doModal();
        // A page that cannot be made is passed over in the direction the user went.
        RegPage onward = previous == RegPage::Additional ? RegPage::Contact : RegPage::Additional;
        next = rc == kSystemBack           ? RegPage::Contact
               : rc == kSystemNext         ? RegPage::Additional
               : rc == zkui::kDialogFailed ? onward
                                           : RegPage::None;
        break;
      }
      case RegPage::Additional:
        next = gAdditionalPage ? gAdditionalPage() : regRunAdditionalPage();
        break;
      case RegPage::ThankYou:
        regRunThankYou();
        break;
      case RegPage::None:
        break;
    }
    previous = page;
    page = next;
  }
}
