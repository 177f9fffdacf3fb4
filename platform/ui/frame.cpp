#include "frame.h"

namespace zkui {

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
  m_windowP->SetSize(p.normal.x, p.normal.y, p.normal.width, p.normal.height);
  m_normal = p.normal;
  if (p.maximized) m_windowP->Maximize(true);
  if (p.iconized) m_windowP->Iconize(true);
}

}  // namespace zkui
