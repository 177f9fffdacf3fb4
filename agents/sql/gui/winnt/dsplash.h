// The splash window: bitmap 136 of the resource library, shown while the program starts and
// gone after one second or at the first key or mouse button, which it swallows so that it does
// not reach the window below. User-interface thread only.
#pragma once

#include <wx/bitmap.h>
#include <wx/event.h>
#include <wx/font.h>
#include <wx/frame.h>
#include <wx/timer.h>

#include <string>

constexpr int DSPLASH_BITMAP_ID = 136;
constexpr int DSPLASH_TIMER_ID = 1;
constexpr int DSPLASH_TIMER_MS = 1000;

class DSplash : public wxFrame {
 public:
  DSplash() = default;
  ~DSplash() override;

  // Makes the window over the parent; false when bitmap 136 cannot be loaded.
  bool create(wxWindow* parentP);
  // Destroys the window and repaints the main window; the object goes with its window.
  void hideSplashScreen();

  // The one splash window (null when none) and whether the command line asked for one.
  static DSplash* c_pSplashWnd;
  static bool c_bShowSplashWnd;

 private:
  void onPaint(wxPaintEvent&);
  void onTimer(wxTimerEvent&);

  std::string m_caption;  // drawn above (150, 250) when not empty
  wxFont m_font;
  wxBitmap m_bitmap;
  int m_bitmapWidth = 0;
  int m_bitmapHeight = 0;
  wxTimer m_timer;
  bool m_hidden = false;
};

void EnableSplashScreen(bool enable);
// When enabled and no splash exists, makes one owned by the parent and paints it at once.
void ShowSplashScreen(wxWindow* parentP);
// True (the event is consumed) when a splash exists and the event is a key or mouse button
// press; the splash is then hidden.
bool PreTranslateAppMessage(const wxEvent& event);
