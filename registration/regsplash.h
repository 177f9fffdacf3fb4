// CSplashDlg: the wizard's main window, the splash dialog (template 2402). It shows the
// product's bitmap 2450 for `splashdelay` seconds, decides which products are registered, and
// then runs the first page modally: every later page runs inside that call, and the wizard
// ends when it returns. A key or mouse button press while the splash shows opens the first
// page at once and goes no further. Closing the splash asks for the exit confirmation; unless
// the user answers Yes, the full delay starts again. User-interface thread only.
#pragma once

#include <wx/event.h>

#include <functional>

#include "dialog.h"

inline constexpr int kSplashTemplate = 2402;
inline constexpr int kSplashBitmap = 2450;
inline constexpr int kAppIcon = 2475;
inline constexpr int kSplashTimer = 1;
inline constexpr int kExitConfirmation = 2243;
inline constexpr int kExitConfirmedYes = 2328;

// Runs the first page (Contact Information, 2403) modally; none set: no page opens and the
// wizard ends after the splash.
using RegPageRunner = std::function<void()>;
void regSetFirstPage(RegPageRunner runner);

// The products of the registration, into the system information record: a suite's from the
// command line and, failing those, the data file's; another type's from the file; none found:
// one unknown product.
void regChooseProducts();

class CSplashDlg : public zkui::Dialog {
 public:
  // parentP: none for the main window.
  explicit CSplashDlg(wxWindow* parentP);
  ~CSplashDlg() override;

 protected:
  void onInitDialog() override;
  void onTimer(int id) override;
  bool onClose() override;
  void onDestroy() override;

 private:
  class PressFilter;
  void startTimer();
  void onPaint(wxPaintEvent& event);
  // A key or button press while the splash shows: the timer's work, after this event.
  bool onPress();
  void stopFilter();

  std::unique_ptr<PressFilter> m_filter;  // installed while the splash shows
  bool m_ended = false;                   // the first page has been started
};
