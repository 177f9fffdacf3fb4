#include "daboutdlg.h"

#include <wx/dcclient.h>
#include <wx/dcmemory.h>
#include <wx/window.h>

#include "frame.h"
#include "resbundle.h"
#include "uiimage.h"

namespace {

constexpr int kFontPoints = 9;
constexpr int kCloseTimer = 0;
const wxColour kTextColour(128, 128, 128);

// Draws the text so that its bottom edge lies on the position's y.
void drawLine(wxDC& dc, const std::string& text, const wxPoint& pos) {
  wxString line = wxString::FromUTF8(text);
  wxCoord height = dc.GetTextExtent(line).GetHeight();
  dc.DrawText(line, pos.x, pos.y - height);
}

}  // namespace

void DAboutDlg::onInitDialog() {
  zkui::Dialog::onInitDialog();
  m_font =
      wxFont(wxFontInfo(kFontPoints).Family(wxFONTFAMILY_ROMAN).FaceName("Times New Roman").Bold());
  if (std::shared_ptr<const zkui::ResourceBundle> bundle = zkui::currentResources()) {
    m_bitmap = zkui::bundleBitmap(*bundle, m_bitmapId, false);
  }
  wxWindow* windowP = window();
  if (m_bitmap.IsOk()) {
    windowP->SetClientSize(m_bitmap.GetWidth(), m_bitmap.GetHeight());
    wxSize size = windowP->GetSize();
    windowP->SetSizeHints(size, size);
  }
  wxSize size = windowP->GetSize();
  zkui::Rect place = zkui::placeIn(zkui::screenArea(), size.GetWidth(), size.GetHeight());
  windowP->Move(place.x, place.y);
  windowP->SetBackgroundStyle(wxBG_STYLE_PAINT);
  windowP->Bind(wxEVT_PAINT, [this](wxPaintEvent&) { paint(); });
  windowP->Bind(wxEVT_LEFT_DOWN, [this](wxMouseEvent&) { endDialog(zkui::kIdOk); });
  if (m_timeoutMs > 0) setTimer(kCloseTimer, m_timeoutMs);
}

void DAboutDlg::onTimer(int) {
  endDialog(zkui::kIdOk);
}

wxBitmap DAboutDlg::composedBitmap() const {
  if (!m_bitmap.IsOk()) return wxBitmap();
  wxBitmap composed =
      m_bitmap.GetSubBitmap(wxRect(0, 0, m_bitmap.GetWidth(), m_bitmap.GetHeight()));
  if (m_line1.empty()) return composed;
  wxMemoryDC dc(composed);
  dc.SetFont(m_font.IsOk() ? m_font : *wxNORMAL_FONT);
  dc.SetBackgroundMode(wxBRUSHSTYLE_TRANSPARENT);
  dc.SetTextForeground(kTextColour);
  drawLine(dc, m_line1, m_line1Pos);
  if (!m_line2.empty()) drawLine(dc, m_line2, m_line2Pos);
  dc.SelectObject(wxNullBitmap);
  return composed;
}

void DAboutDlg::paint() {
  wxPaintDC dc(window());
  wxBitmap composed = composedBitmap();
  if (composed.IsOk()) dc.DrawBitmap(composed, m_origin.x, m_origin.y);
}
