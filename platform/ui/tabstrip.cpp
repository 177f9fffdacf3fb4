#include "tabstrip.h"

#include <wx/dcbuffer.h>
#include <wx/settings.h>

#include <algorithm>

namespace zkui {

namespace {
const int kTabHeight = 24;
const int kTabPadding = 8;
const int kMinTabPadding = 2;
const int kTabMargin = 2;  // before the first tab, and kept after the last
const int kImageWidth = 16;
}  // namespace

TabStrip::TabStrip(wxWindow* parentP, int id, const wxPoint& pos, const wxSize& size)
    : wxControl(parentP, id, pos, size, wxBORDER_NONE) {
  SetBackgroundStyle(wxBG_STYLE_PAINT);
  Bind(wxEVT_PAINT, &TabStrip::paint, this);
  Bind(wxEVT_LEFT_DOWN, &TabStrip::leftDown, this);
}

wxSize TabStrip::DoGetBestSize() const {
  return wxSize(100, kTabHeight + 20);
}

int TabStrip::insertItem(int index, const std::string& text, int image, void* param) {
  if (index < 0 || index > itemCount()) index = itemCount();
  m_items.insert(m_items.begin() + index, Item{text, image, param});
  if (m_selection < 0) {
    m_selection = 0;
  } else if (index <= m_selection) {
    ++m_selection;
  }
  Refresh();
  return index;
}

bool TabStrip::deleteItem(int index) {
  if (index < 0 || index >= itemCount()) return false;
  m_items.erase(m_items.begin() + index);
  if (index < m_selection || m_selection >= itemCount()) --m_selection;
  if (m_selection < 0 && !m_items.empty()) m_selection = 0;
  Refresh();
  return true;
}

void TabStrip::deleteAllItems() {
  m_items.clear();
  m_selection = -1;
  Refresh();
}

int TabStrip::setSelection(int index) {
  int previous = m_selection;
  if (index >= 0 && index < itemCount()) m_selection = index;
  Refresh();
  return previous;
}

void* TabStrip::itemParam(int index) const {
  return index >= 0 && index < itemCount() ? m_items[index].param : nullptr;
}

std::string TabStrip::itemText(int index) const {
  return index >= 0 && index < itemCount() ? m_items[index].text : std::string();
}

bool TabStrip::setItemText(int index, const std::string& text) {
  if (index < 0 || index >= itemCount()) return false;
  m_items[index].text = text;
  Refresh();
  return true;
}

void TabStrip::setImageList(wxImageList* listP) {
  m_imagesP = listP;
  Refresh();
}

Rect TabStrip::displayRect() const {
  wxSize size = GetClientSize();
  return Rect{4, kTabHeight + 4, std::max(0, size.x - 8), std::max(0, size.y - kTabHeight - 8)};
}

int TabStrip::textWidth(wxDC& dc, int index) const {
  int width = dc.GetTextExtent(wxString::FromUTF8(m_items[index].text)).x;
  if (m_imagesP && m_items[index].image >= 0) width += kImageWidth + 4;
  return width;
}

wxRect TabStrip::itemRect(int index) const {
  if (index < 0 || index >= itemCount()) return wxRect();
  wxClientDC dc(const_cast<TabStrip*>(this));
  dc.SetFont(GetFont());
  int texts = 0;
  for (int i = 0; i < itemCount(); ++i) texts += textWidth(dc, i);
  int spare = GetClientSize().x - 2 * kTabMargin - texts;
  int padding = std::clamp(spare / (2 * itemCount()), kMinTabPadding, kTabPadding);
  int x = kTabMargin;
  for (int i = 0; i < index; ++i) x += textWidth(dc, i) + 2 * padding;
  return wxRect(x, 2, textWidth(dc, index) + 2 * padding, kTabHeight - 2);
}

int TabStrip::hitTest(const wxPoint& pt) const {
  for (int i = 0; i < itemCount(); ++i) {
    if (itemRect(i).Contains(pt)) return i;
  }
  return -1;
}

bool TabStrip::clickTab(int index) {
  if (index < 0 || index >= itemCount() || index == m_selection) return false;
  if (onSelChanging && onSelChanging(m_selection, index)) return false;
  m_selection = index;
  Refresh();
  if (onSelChanged) onSelChanged(index);
  return true;
}

void TabStrip::leftDown(wxMouseEvent& event) {
  clickTab(hitTest(event.GetPosition()));
}

void TabStrip::paint(wxPaintEvent&) {
  wxAutoBufferedPaintDC dc(this);
  wxColour face = wxSystemSettings::GetColour(wxSYS_COLOUR_BTNFACE);
  wxColour shadow = wxSystemSettings::GetColour(wxSYS_COLOUR_BTNSHADOW);
  dc.SetBackground(wxBrush(GetParent()->GetBackgroundColour()));
  dc.Clear();
  wxSize size = GetClientSize();
  dc.SetPen(wxPen(shadow));
  dc.SetBrush(wxBrush(face));
  dc.DrawRectangle(0, kTabHeight, size.x, size.y - kTabHeight);
  dc.SetFont(GetFont());
  for (int i = 0; i < itemCount(); ++i) {
    wxRect r = itemRect(i);
    bool selected = i == m_selection;
    if (selected) r.Inflate(0, 2);
    dc.SetBrush(wxBrush(selected ? face : face.ChangeLightness(92)));
    dc.DrawRoundedRectangle(r.x, r.y, r.width, r.height + 4, 3);
    int x = r.x + (r.width - textWidth(dc, i)) / 2;
    if (m_imagesP && m_items[i].image >= 0) {
      m_imagesP->Draw(m_items[i].image, dc, x, r.y + (r.height - 16) / 2,
                      wxIMAGELIST_DRAW_TRANSPARENT);
      x += kImageWidth + 4;
    }
    dc.DrawText(wxString::FromUTF8(m_items[i].text), x, r.y + (r.height - dc.GetCharHeight()) / 2);
  }
  if (m_selection >= 0) {  // the selected tab opens into the area below
    wxRect r = itemRect(m_selection);
    dc.SetPen(wxPen(face));
    dc.DrawLine(r.x + 1, kTabHeight, r.GetRight(), kTabHeight);
  }
}

}  // namespace zkui
