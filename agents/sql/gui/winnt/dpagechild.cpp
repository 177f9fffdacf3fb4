#include "dpagechild.h"

namespace {

bool exists(wxWindow* w) {
  return w && !w->IsBeingDeleted();
}

DPageRect screenRect(wxWindow* w) {
  wxRect r = w->GetScreenRect();
  return DPageRect{r.x, r.y, r.x + r.width, r.y + r.height};
}

// Moves the rectangle right by `by`, keeping its width.
void shiftX(DPageRect& n, int newRight) {
  n.left += newRight - n.right;
  n.right = newRight;
}

void shiftY(DPageRect& n, int newBottom) {
  n.top += newBottom - n.bottom;
  n.bottom = newBottom;
}

}  // namespace

DPageRect pageAlignRect(const DPageRect& w, const DPageRect& r, unsigned flags, int dx, int dy) {
  DPageRect n = w;
  if (flags & PAGE_ALIGN_RIGHT_TO_RIGHT) shiftX(n, r.right - dx);
  if (flags & PAGE_ALIGN_RIGHT_TO_LEFT) shiftX(n, r.left - dx);
  if (flags & PAGE_ALIGN_BOTTOM_TO_BOTTOM) shiftY(n, r.bottom - dy);
  if (flags & PAGE_ALIGN_BOTTOM_TO_TOP) shiftY(n, r.top - dy);
  if (flags & PAGE_ALIGN_TOP_TO_TOP) n.top = r.top + dy;
  if (flags & PAGE_ALIGN_TOP_TO_BOTTOM) n.top = r.bottom + dy;
  if (flags & PAGE_ALIGN_LEFT_TO_LEFT) n.left = r.left + dx;
  if (flags & PAGE_ALIGN_LEFT_TO_RIGHT) n.left = r.right + dx;
  if (flags & PAGE_ALIGN_KEEP_ORIGIN) {
    n.left = w.left;
    n.top = w.top;
  }
  return n;
}

void DPageChildWnd::alignWindowTo(wxWindow* windowP, wxWindow* refP, unsigned flags, int dx,
                                  int dy) {
  if (!exists(windowP) || !exists(refP)) return;
  DPageRect n = pageAlignRect(screenRect(windowP), screenRect(refP), flags, dx, dy);
  windowP->SetSize(n.width(), n.height());
}

void DPageChildWnd::alignWindowToRect(wxWindow* windowP, wxWindow* refP, unsigned flags, int dx,
                                      int dy, const DPageRect* baseP) {
  if (!exists(windowP) || !exists(refP)) return;
  DPageRect n =
      pageAlignRect(baseP ? *baseP : screenRect(windowP), screenRect(refP), flags, dx, dy);
  wxPoint origin(n.left, n.top);
  if (wxWindow* parentP = windowP->GetParent(); parentP && !windowP->IsTopLevel()) {
    origin = parentP->ScreenToClient(origin);
  }
  windowP->SetSize(origin.x, origin.y, n.width(), n.height(), wxSIZE_ALLOW_MINUS_ONE);
  windowP->Refresh();
}

void DPageChildWnd::alignComboBoxTo(wxWindow* comboP, wxWindow* refP, unsigned flags, int dx,
                                    int dy) {
  if (!exists(comboP) || !exists(refP)) return;
  DPageRect dropped = screenRect(comboP);
  alignWindowToRect(comboP, refP, flags, dx, dy, &dropped);
}

void DPageChildWnd::fitWindowTo(wxWindow* refP, wxWindow* windowP, bool move, int x, int y) {
  if (!exists(windowP) || !exists(refP)) return;
  DPageRect w = screenRect(windowP);
  DPageRect r = screenRect(refP);
  int width = r.width() - x - (w.left - r.left);
  int height = r.height() - y - (w.top - r.top);
  if (move) return windowP->SetSize(x, y, width, height, wxSIZE_ALLOW_MINUS_ONE);
  windowP->SetSize(width, height);
}

void DPageChildWnd::fitWindowWidthTo(wxWindow* refP, wxWindow* windowP, bool move, int x, int) {
  if (!exists(windowP) || !exists(refP)) return;
  DPageRect w = screenRect(windowP);
  DPageRect r = screenRect(refP);
  int width = r.width() - x - (w.left - r.left);
  if (move) return windowP->SetSize(x, windowP->GetPosition().y, width, w.height());
  windowP->SetSize(width, w.height());
}
