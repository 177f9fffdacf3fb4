#include "frame.h"

#include <wx/display.h>

#include <algorithm>

namespace zkui {

namespace {
Rect gScreenArea;  // empty: the display's
}

Rect screenArea() {
  if (gScreenArea.width > 0 && gScreenArea.height > 0) return gScreenArea;
  wxRect r = wxDisplay(0u).GetClientArea();
  return Rect{r.x, r.y, r.width, r.height};
}

void setScreenArea(const Rect& area) {
  gScreenArea = area;
}

Rect placeIn(const Rect& area, int width, int height, Corner where) {
  int freeX = std::max(0, area.width - width), freeY = std::max(0, area.height - height);
  Rect r{area.x, area.y, width, height};
  bool right = where == Corner::TopRight || where == Corner::BottomRight;
  bool bottom = where == Corner::BottomLeft || where == Corner::BottomRight;
  if (where == Corner::Centre) {
    r.x += freeX / 2;
    r.y += freeY / 2;
  }
  if (right) r.x += freeX;
  if (bottom) r.y += freeY;
  return r;
}

Rect fitIn(const Rect& area, const Rect& window) {
  Rect r = window;
  r.width = std::min(r.width, area.width);
  r.height = std::min(r.height, area.height);
  r.x = std::clamp(r.x, area.x, area.right() - r.width);
  r.y = std::clamp(r.y, area.y, area.bottom() - r.height);
  return r;
}

CardStack::CardStack(wxWindow* parentP, int id) : wxSimplebook(parentP, id) {}

int CardStack::indexOf(wxWindow* cardP) const {
  for (size_t i = 0; i < GetPageCount(); ++i) {
    if (GetPage(i) == cardP) return static_cast<int>(i);
  }
  return -1;
}

int CardStack::addCard(wxWindow* cardP, bool activate) {
  AddPage(cardP, wxString(), false);
  int index = count() - 1;
  if (activate) this->activate(cardP);
  return index;
}

bool CardStack::activate(wxWindow* cardP) {
  int index = indexOf(cardP);
  if (index < 0) return false;
  ChangeSelection(index);
  if (onActivated) onActivated(cardP);
  return true;
}

bool CardStack::removeCard(wxWindow* cardP) {
  int index = indexOf(cardP);
  if (index < 0) return false;
  RemovePage(index);
  cardP->Hide();
  if (count() > 0) activate(GetPage(std::min(index, count() - 1)));
  return true;
}

wxWindow* CardStack::active() const {
  int sel = GetSelection();
  return sel == wxNOT_FOUND ? nullptr : GetPage(sel);
}

PlacementTracker::PlacementTracker(wxTopLevelWindow* windowP)
    : m_windowP(windowP), m_cell(std::make_shared<PlacementTracker*>(this)) {
  track();
  std::shared_ptr<PlacementTracker*> cell = m_cell;
  windowP->Bind(wxEVT_SIZE, [cell](wxSizeEvent& e) {
    e.Skip();
    if (*cell) (*cell)->track();
  });
  windowP->Bind(wxEVT_MOVE, [cell](wxMoveEvent& e) {
    e.Skip();
    if (*cell) (*cell)->track();
  });
}

PlacementTracker::~PlacementTracker() {
  *m_cell = nullptr;
}

void PlacementTracker::track() {
  if (!m_windowP || m_windowP->IsIconized() || m_windowP->IsMaximized()) return;
  wxRect r = m_windowP->GetRect();
  m_normal = Rect{r.x, r.y, r.width, r.height};
}

WindowPlacement PlacementTracker::placement() const {
  WindowPlacement p;
  p.normal = m_normal;
  if (!m_windowP) return p;
  p.iconized = m_windowP->IsIconized();
  p.maximized = m_windowP->IsMaximized();
  return p;
}

void PlacementTracker::apply(const WindowPlacement& p) {
  if (!m_windowP) return;
  Rect r = fitIn(screenArea(), p.normal);
  m_windowP->SetSize(r.x, r.y, r.width, r.height);
  m_normal = r;
  if (p.maximized) m_windowP->Maximize(true);
  if (p.iconized) m_windowP->Iconize(true);
}

}  // namespace zkui
