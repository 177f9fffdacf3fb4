#include "dsplash.h"

#include <wx/app.h>
#include <wx/dcbuffer.h>
#include <wx/gdicmn.h>

#include "agttrc.h"
#include "frame.h"
#include "uiimage.h"

DSplash* DSplash::c_pSplashWnd = nullptr;
bool DSplash::c_bShowSplashWnd = false;

namespace {

// Hands every event of the program to PreTranslateAppMessage while a splash is up.
class DSplashFilter : public wxEventFilter {
 public:
  int FilterEvent(wxEvent& event) override {
    return PreTranslateAppMessage(event) ? Event_Processed : Event_Skip;
  }
};
DSplashFilter gSplashFilter;
bool gFilterAdded = false;

void removeFilter() {
  if (!gFilterAdded) return;
  wxEvtHandler::RemoveFilter(&gSplashFilter);
  gFilterAdded = false;
}

bool isPress(const wxEvent& event) {
  wxEventType t = event.GetEventType();
  return t == wxEVT_KEY_DOWN || t == wxEVT_LEFT_DOWN || t == wxEVT_RIGHT_DOWN ||
         t == wxEVT_MIDDLE_DOWN;
}

}  // namespace

DSplash::~DSplash() {
  if (c_pSplashWnd == this) c_pSplashWnd = nullptr;
  if (!c_pSplashWnd) removeFilter();
}

bool DSplash::create(wxWindow* parentP) {
  TRACE_ENTRY(TRC_GUI, "DSplash::create");
  m_bitmap = zkui::resBitmap(DSPLASH_BITMAP_ID, false);
  if (!m_bitmap.IsOk()) {
    TRACE_LINE(TRC_GUI, "Error loading bitmap\n");
    TRACE_RETURN(false);
  }
  m_bitmapWidth = m_bitmap.GetWidth();
  m_bitmapHeight = m_bitmap.GetHeight();
  long style = wxBORDER_NONE | wxFRAME_NO_TASKBAR | wxFRAME_TOOL_WINDOW |
               (parentP ? wxFRAME_FLOAT_ON_PARENT : wxSTAY_ON_TOP);
  if (!Create(parentP, wxID_ANY, wxString(), wxPoint(0, 0), wxSize(m_bitmapWidth, m_bitmapHeight),
              style)) {
    TRACE_RETURN(false);
  }
  SetBackgroundStyle(wxBG_STYLE_PAINT);
  // Centred by hand: the toolkit's own centring of a hidden borderless frame loses its size.
  zkui::Rect r = zkui::placeIn(zkui::screenArea(), m_bitmapWidth, m_bitmapHeight);
  SetSize(r.x, r.y, r.width, r.height);
  m_font = wxFont(wxFontInfo(9).Bold().FaceName("Times New Roman").Family(wxFONTFAMILY_SWISS));
  Bind(wxEVT_PAINT, &DSplash::onPaint, this);
  m_timer.SetOwner(this, DSPLASH_TIMER_ID);
  Bind(wxEVT_TIMER, &DSplash::onTimer, this, DSPLASH_TIMER_ID);
  m_timer.Start(DSPLASH_TIMER_MS);
  TRACE_RETURN(true);
}

void DSplash::onPaint(wxPaintEvent&) {
  wxAutoBufferedPaintDC dc(this);
  dc.DrawBitmap(m_bitmap, 0, 0, false);
  if (m_caption.empty()) return;
  dc.SetFont(m_font);
  dc.SetBackgroundMode(wxBRUSHSTYLE_TRANSPARENT);
  wxString caption = wxString::FromUTF8(m_caption);
  wxSize extent = dc.GetTextExtent(caption);
  dc.DrawText(caption, 150 - extent.x / 2, 250 - extent.y);
}

void DSplash::onTimer(wxTimerEvent&) {
  hideSplashScreen();
}

void DSplash::hideSplashScreen() {
  if (m_hidden) return;
  m_hidden = true;
  m_timer.Stop();
  if (c_pSplashWnd == this) c_pSplashWnd = nullptr;
  removeFilter();
  Hide();
  Destroy();  // deleted when the program is next idle
  if (wxWindow* mainP = wxTheApp->GetTopWindow(); mainP && mainP != this) mainP->Refresh();
}

void EnableSplashScreen(bool enable) {
  DSplash::c_bShowSplashWnd = enable;
}

void ShowSplashScreen(wxWindow* parentP) {
  TRACE_ENTRY(TRC_GUI, "ShowSplashScreen");
  if (!DSplash::c_bShowSplashWnd || DSplash::c_pSplashWnd) return;
  auto* splashP = new DSplash();
  if (!splashP->create(parentP)) {
    TRACE_LINE(TRC_GUI, "error creating splash\n");
    delete splashP;
    return;
  }
  DSplash::c_pSplashWnd = splashP;
  if (!gFilterAdded) wxEvtHandler::AddFilter(&gSplashFilter);
  gFilterAdded = true;
  splashP->Show();
  splashP->Update();
}

bool PreTranslateAppMessage(const wxEvent& event) {
  if (!DSplash::c_pSplashWnd || !isPress(event)) return false;
  DSplash::c_pSplashWnd->hideSplashScreen();
  return true;
}
