#include "spin.h"

#include <wx/dcbuffer.h>
#include <wx/renderer.h>
#include <wx/settings.h>
#include <wx/textctrl.h>

#include <algorithm>
#include <cstdlib>

namespace zkui {

namespace {

bool readNumber(wxWindow* w, int& out) {
  wxString text = w->IsKindOf(wxCLASSINFO(wxTextCtrl)) ? static_cast<wxTextCtrl*>(w)->GetValue()
                                                       : w->GetLabel();
  long v = 0;
  if (!text.Trim().Trim(false).ToLong(&v)) return false;
  out = static_cast<int>(v);
  return true;
}

}  // namespace

SpinButton::SpinButton(wxWindow* parentP, int id, const wxPoint& pos, const wxSize& size)
    : wxControl(parentP, id, pos, size, wxBORDER_NONE | wxWANTS_CHARS) {
  SetBackgroundStyle(wxBG_STYLE_PAINT);
  Bind(wxEVT_PAINT, &SpinButton::paint, this);
  Bind(wxEVT_LEFT_DOWN, &SpinButton::leftDown, this);
  Bind(wxEVT_LEFT_DCLICK, &SpinButton::leftDown, this);
  Bind(wxEVT_LEFT_UP, [this](wxMouseEvent&) {
    m_pressed = 0;
    Refresh();
  });
  Bind(wxEVT_KEY_DOWN, &SpinButton::keyDown, this);
}

wxSize SpinButton::DoGetBestSize() const {
  return wxSize(16, 22);
}

void SpinButton::setRange(int min, int max) {
  m_min = std::min(min, max);
  m_max = std::max(min, max);
  setPos(m_pos);
}

void SpinButton::setPos(int pos) {
  m_pos = std::clamp(pos, m_min, m_max);
  writeBuddy();
}

void SpinButton::setBuddy(wxWindow* buddyP) {
  m_buddyP = buddyP;
  writeBuddy();
}

void SpinButton::writeBuddy() {
  if (!m_buddyP) return;
  wxString text = wxString::Format("%d", m_pos);
  if (auto* edit = dynamic_cast<wxTextCtrl*>(m_buddyP)) return edit->ChangeValue(text);
  m_buddyP->SetLabel(text);
}

void SpinButton::step(int delta) {
  int from = m_pos;
  if (m_buddyP) readNumber(m_buddyP, from);
  setPos(from + delta);
  Notification n;
  n.id = GetId();
  n.kind = NotifyKind::SpinStep;
  n.controlP = this;
  n.step = delta;
  notify(n);
}

void SpinButton::leftDown(wxMouseEvent& e) {
  if (!IsEnabled()) return;
  m_pressed = e.GetY() < GetClientSize().y / 2 ? 1 : -1;
  Refresh();
  step(m_pressed);
}

void SpinButton::keyDown(wxKeyEvent& e) {
  if (e.GetKeyCode() == WXK_UP) return step(1);
  if (e.GetKeyCode() == WXK_DOWN) return step(-1);
  e.Skip();
}

// Two raised halves, each with a triangle that fits whatever size the template gave.
void SpinButton::paint(wxPaintEvent&) {
  wxAutoBufferedPaintDC dc(this);
  wxSize size = GetClientSize();
  dc.SetBackground(wxBrush(wxSystemSettings::GetColour(wxSYS_COLOUR_BTNFACE)));
  dc.Clear();
  wxColour light = wxSystemSettings::GetColour(wxSYS_COLOUR_BTNHIGHLIGHT);
  wxColour dark = wxSystemSettings::GetColour(wxSYS_COLOUR_BTNSHADOW);
  wxColour arrow = IsEnabled() ? wxSystemSettings::GetColour(wxSYS_COLOUR_BTNTEXT)
                               : wxSystemSettings::GetColour(wxSYS_COLOUR_GRAYTEXT);
  int half = size.y / 2;
  for (int part = 0; part < 2; ++part) {
    wxRect r(0, part == 0 ? 0 : half, size.x, part == 0 ? half : size.y - half);
    bool pressed = m_pressed == (part == 0 ? 1 : -1);
    dc.SetPen(wxPen(pressed ? dark : light));
    dc.DrawLine(r.GetLeft(), r.GetBottom(), r.GetLeft(), r.GetTop());
    dc.DrawLine(r.GetLeft(), r.GetTop(), r.GetRight(), r.GetTop());
    dc.SetPen(wxPen(pressed ? light : dark));
    dc.DrawLine(r.GetRight(), r.GetTop(), r.GetRight(), r.GetBottom());
    dc.DrawLine(r.GetLeft(), r.GetBottom(), r.GetRight() + 1, r.GetBottom());
    int w = std::max(3, std::min(r.width - 6, (r.height - 4) * 2));
    w -= (w + 1) % 2;  // odd, so the tip sits on a pixel
    int h = (w + 1) / 2;
    int cx = r.x + r.width / 2, cy = r.y + r.height / 2;
    wxPoint tri[3];
    if (part == 0) {
      tri[0] = wxPoint(cx - w / 2, cy + h / 2);
      tri[1] = wxPoint(cx + w / 2, cy + h / 2);
      tri[2] = wxPoint(cx, cy + h / 2 - h + 1);
    } else {
      tri[0] = wxPoint(cx - w / 2, cy - h / 2);
      tri[1] = wxPoint(cx + w / 2, cy - h / 2);
      tri[2] = wxPoint(cx, cy - h / 2 + h - 1);
    }
    dc.SetPen(wxPen(arrow));
    dc.SetBrush(wxBrush(arrow));
    dc.DrawPolygon(3, tri);
  }
}

}  // namespace zkui
