// A spin control: two arrows one above the other, drawn by the layer so that it shows whole at
// the narrow sizes dialog templates give it (from 12 pixels wide), with a range, a position and
// an optional buddy edit that shows the position as a decimal number.
//
// A click on the upper arrow steps the position up by one, on the lower arrow down by one (Up
// and Down keys alike when it has the focus), clamped to the range; each step sends SpinStep
// (notify.h) with +1 or -1 after the position moved, also at the end of the range. With a
// buddy, a step first reads the buddy's number (when it is one) and then writes the new
// position into it. The template style "autobuddy" takes the control just before the spin in
// the template as buddy. User-interface thread only.
#pragma once

#include <wx/control.h>

#include "notify.h"

namespace zkui {

class SpinButton : public wxControl, public Notifier {
 public:
  SpinButton(wxWindow* parentP, int id, const wxPoint& pos, const wxSize& size);

  void setRange(int min, int max);
  int min() const { return m_min; }
  int max() const { return m_max; }
  // Clamped to the range; writes the buddy; no notification.
  void setPos(int pos);
  int pos() const { return m_pos; }
  // Not owned; null for none.
  void setBuddy(wxWindow* buddyP);
  wxWindow* buddy() const { return m_buddyP; }
  // What a user's click on an arrow does: +1 the upper arrow, -1 the lower one.
  void step(int delta);

 protected:
  wxSize DoGetBestSize() const override;

 private:
  void paint(wxPaintEvent&);
  void leftDown(wxMouseEvent&);
  void keyDown(wxKeyEvent&);
  void writeBuddy();

  int m_min = 0;
  int m_max = 100;
  int m_pos = 0;
  wxWindow* m_buddyP = nullptr;
  int m_pressed = 0;  // the arrow drawn pressed: +1, -1 or 0
};

}  // namespace zkui
