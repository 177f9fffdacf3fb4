// The main frame's parts: a stack of cards in place of multiple-document child windows, the
// tracking of a top-level window's placement (its last normal rectangle, and whether it is
// iconized or maximized), which the programs keep in their profile, and placement within a
// screen area. User-interface thread only.
//
// Placement is computed from a screen rectangle given as a parameter; screenArea() is the one
// windows use, the display's work area unless a test set another one (setScreenArea), so that
// a test sees the placement of a 1024x768 screen on any display.
#pragma once

#include <wx/simplebook.h>
#include <wx/toplevel.h>
#include <wx/weakref.h>

#include <functional>
#include <memory>

#include "resbundle.h"

namespace zkui {

// One card shows at a time; the others are hidden. Cards are child windows of the stack, made
// by the caller with the stack as parent; the stack destroys the cards left when it goes.
class CardStack : public wxSimplebook {
 public:
  CardStack(wxWindow* parentP, int id = wxID_ANY);
  // Adds the card (a child of this stack) and, with `activate`, shows it. Its index.
  int addCard(wxWindow* cardP, bool activate = true);
  // Shows the card and calls onActivated; false when it is not a card of this stack.
  bool activate(wxWindow* cardP);
  // Takes the card out of the stack without destroying it; the next card, if any, shows.
  bool removeCard(wxWindow* cardP);
  wxWindow* active() const;
  int count() const { return static_cast<int>(GetPageCount()); }

  std::function<void(wxWindow* cardP)> onActivated;

 private:
  int indexOf(wxWindow* cardP) const;
};

// The area windows are placed in: the one set last, else the display's work area.
Rect screenArea();
// Sets the area (a test's screen); an empty rectangle returns to the display's.
void setScreenArea(const Rect& area);

enum class Corner { Centre, TopLeft, TopRight, BottomLeft, BottomRight };
// A width x height rectangle at `where` in `area` (the top left corner when it does not fit).
Rect placeIn(const Rect& area, int width, int height, Corner where = Corner::Centre);
// `window` moved, and shrunk where it is larger, so that it lies wholly in `area`.
Rect fitIn(const Rect& area, const Rect& window);

struct WindowPlacement {
  Rect normal;  // the outer rectangle of the window when last neither iconized nor maximized
  bool iconized = false;
  bool maximized = false;
};

class PlacementTracker {
 public:
  explicit PlacementTracker(wxTopLevelWindow* windowP);
  ~PlacementTracker();
  PlacementTracker(const PlacementTracker&) = delete;
  PlacementTracker& operator=(const PlacementTracker&) = delete;

  WindowPlacement placement() const;
  // Gives the window the normal rectangle, moved into screenArea() where it lies outside (a
  // placement kept on a larger screen), then maximizes or iconizes it as recorded.
  void apply(const WindowPlacement& p);

 private:
  void track();
  wxWeakRef<wxTopLevelWindow> m_windowP;
  std::shared_ptr<PlacementTracker*> m_cell;  // shared with the window's handlers
  Rect m_normal;
};

}  // namespace zkui
