// The layout helper of the windows and pages: places and sizes one window relative to another
// by a set of alignment flags. It keeps no state; callers make a temporary object and call it.
// None of the operations acts unless both windows exist. User-interface thread only.
#pragma once

#include <wx/window.h>

// Alignment flags, applied in the order of alignRect's rules.
enum DPageAlign : unsigned {
  PAGE_ALIGN_KEEP_ORIGIN = 1,       // left and top edges go back to the window's own
  PAGE_ALIGN_TOP_TO_TOP = 2,        // top = reference top + dy
  PAGE_ALIGN_LEFT_TO_LEFT = 4,      // left = reference left + dx
  PAGE_ALIGN_BOTTOM_TO_BOTTOM = 8,  // bottom = reference bottom - dy, height kept
  PAGE_ALIGN_RIGHT_TO_RIGHT = 16,   // right = reference right - dx, width kept
  PAGE_ALIGN_TOP_TO_BOTTOM = 32,    // top = reference bottom + dy
  PAGE_ALIGN_LEFT_TO_RIGHT = 64,    // left = reference right + dx
  PAGE_ALIGN_BOTTOM_TO_TOP = 128,   // bottom = reference top - dy, height kept
  PAGE_ALIGN_RIGHT_TO_LEFT = 256,   // right = reference left - dx, width kept
};

// An edge rectangle: right and bottom are the first pixel outside.
struct DPageRect {
  int left = 0, top = 0, right = 0, bottom = 0;
  int width() const { return right - left; }
  int height() const { return bottom - top; }
  bool operator==(const DPageRect&) const = default;
};

// The new rectangle for window rectangle `w` against reference `r`, by the flags in order:
// 16, 256, 8, 128, 2, 32, 4, 64, 1.
DPageRect pageAlignRect(const DPageRect& w, const DPageRect& r, unsigned flags, int dx, int dy);

class DPageChildWnd {
 public:
  // Applies only the size of the aligned rectangle; the window stays where it is.
  void alignWindowTo(wxWindow* windowP, wxWindow* refP, unsigned flags, int dx, int dy);
  // Aligns from `baseP` (a screen rectangle; null: the window's own) and moves and sizes the
  // window in its parent's client coordinates, repainting it.
  void alignWindowToRect(wxWindow* windowP, wxWindow* refP, unsigned flags, int dx, int dy,
                         const DPageRect* baseP);
  // alignWindowToRect from the combo box's rectangle (its list opens in a pop-up of its own,
  // so the box's dropped-down rectangle is the box's rectangle).
  void alignComboBoxTo(wxWindow* comboP, wxWindow* refP, unsigned flags, int dx, int dy);
  // width = reference width - x - (window left - reference left), height likewise; with
  // `move` the window also goes to (x, y) of its parent.
  void fitWindowTo(wxWindow* refP, wxWindow* windowP, bool move, int x, int y);
  // As fitWindowTo for the width only; the last argument is not used.
  void fitWindowWidthTo(wxWindow* refP, wxWindow* windowP, bool move, int x, int unused);
};
