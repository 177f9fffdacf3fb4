#include "regsplash.h"

#include <wx/app.h>
#include <wx/dcclient.h>
#include <wx/icon.h>
#include <wx/toplevel.h>

#include <cstdlib>

#include "regapp.h"
#include "regbitmap.h"
#include "regdatafile.h"
#include "regexcept.h"
#include "reglang.h"
#include "regproducts.h"
#include "regregistrant.h"
#include "regswitch.h"
#include "regsysinfo.h"
#include "uiimage.h"

namespace {

RegPageRunner gFirstPage;  // set at start-up on the user-interface thread

bool isPress(const wxEvent& event) {
  wxEventType type = event.GetEventType();
  return type == wxEVT_KEY_DOWN || type == wxEVT_LEFT_DOWN || type == wxEVT_RIGHT_DOWN ||
         type == wxEVT_MIDDLE_DOWN;
}

}  // namespace

// Sees every event of the program, as a message filter would, while the splash shows.
class CSplashDlg::PressFilter : public wxEventFilter {
 public:
  explicit PressFilter(CSplashDlg& splash) : m_splash(splash) { wxEvtHandler::AddFilter(this); }
  ~PressFilter() override { wxEvtHandler::RemoveFilter(this); }
  int FilterEvent(wxEvent& event) override {
    return isPress(event) && m_splash.onPress() ? Event_Processed : Event_Skip;
  }

 private:
  CSplashDlg& m_splash;
};

void regSetFirstPage(RegPageRunner runner) {
  gFirstPage = std::move(runner);
}

void regChooseProducts() {
  CRegDataFile* file = CRegDataFile::dataFile();
  if (file != nullptr) file->load();
  RegAnswers general;
  regSelectProducts(general, file, CRegApp::instance().commandLine().products(),
                    CLanguageRules::instance().index());
  for (const auto& [key, value] : general) CSystemInfo::instance().set(key, value);
}

CSplashDlg::CSplashDlg(wxWindow* parentP) : Dialog(kSplashTemplate, parentP) {}

CSplashDlg::~CSplashDlg() {
  stopFilter();
}

void CSplashDlg::onInitDialog() {
  CRegistrant::instance().loadFromRegistry();
  CSystemInfo::instance();
  regChooseProducts();
  Dialog::onInitDialog();
  auto* frame = static_cast<wxTopLevelWindow*>(window());
  wxBitmap icon = zkui::resBitmap(kAppIcon, true);
  if (icon.IsOk()) {
    wxIcon appIcon;
    appIcon.CopyFromBitmap(icon);
    frame->SetIcon(appIcon);
  }
  wxSize size = bitmapSize(kSplashBitmap);
  if (size.x > 0 && size.y > 0) frame->SetClientSize(size);
  frame->SetBackgroundStyle(wxBG_STYLE_PAINT);
  frame->Bind(wxEVT_PAINT, &CSplashDlg::onPaint, this);
  m_filter = std::make_unique<PressFilter>(*this);
  startTimer();
}

// splashdelay in whole seconds; a value that is not a number is 0, which opens the first page
// as soon as the loop runs.
void CSplashDlg::startTimer() {
  int seconds = std::atoi(regSwitch(kSwitchSplashDelay).c_str());
  setTimer(kSplashTimer, seconds > 0 ? seconds * 1000 : 1);
}

void CSplashDlg::onPaint(wxPaintEvent&) {
  wxPaintDC dc(window());
  drawBitmap(dc, 0, 0, kSplashBitmap, 0, 0);
}

bool CSplashDlg::onPress() {
  if (m_ended || window() == nullptr || !window()->IsShown()) return false;
  wxTheApp->CallAfter([cell = callTarget(), this] {
    if (!cell->closed()) onTimer(kSplashTimer);
  });
  return true;
}

void CSplashDlg::onTimer(int id) {
  if (id != kSplashTimer || m_ended) return;
  m_ended = true;
  killTimer(kSplashTimer);
  stopFilter();
  endDialog(zkui::kIdOk);
  if (gFirstPage) gFirstPage();
}

bool CSplashDlg::onClose() {
  if (m_ended) return Dialog::onClose();
  killTimer(kSplashTimer);
  // The confirmation's own keys and clicks are the user's answer, not the splash's.
  stopFilter();
  if (reportRegException(CRegException(kExitConfirmation, 0)) == kExitConfirmedYes) {
    m_ended = true;
    return Dialog::onClose();
  }
  m_filter = std::make_unique<PressFilter>(*this);
  startTimer();
  return false;
}

void CSplashDlg::onDestroy() {
  stopFilter();
}

void CSplashDlg::stopFilter() {
  m_filter.reset();
}
