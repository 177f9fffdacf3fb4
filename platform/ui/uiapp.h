// Start and end of the windowing layer in a program or a test.
//
// uiStart runs on the thread that becomes the user-interface thread: it starts wxWidgets with
// the given application object (a plain App when none), makes calls from other threads
// (uicall.h) wake its event loop, registers the PNG image handler and gives the controls a
// compact style, so that they show whole at the heights dialog templates give them
// (resbundle.h). Every other function of
// the layer that touches a window runs on that thread only, unless its header says otherwise.
#pragma once

#include <wx/app.h>

#include <memory>

#include "uicall.h"

namespace zkui {

enum UiRc { kUiOk = 0, kUiNoDisplay = 1, kUiInitFailed = 2 };

// The application object: override initInstance to open the first window (false ends the
// program before its loop) and exitInstance for the clean-up after the loop (its result is the
// exit code).
class App : public wxApp {
 public:
  virtual bool initInstance() { return true; }
  virtual int exitInstance() { return 0; }

 private:
  bool OnInit() override;
  int OnExit() override;
};

// Takes ownership of appP. A failed check inside the toolkit is reported on standard error
// (a test may set its own handler with wxSetAssertHandler after this). kUiOk, kUiNoDisplay (no
// display could be opened; nothing started) or kUiInitFailed (initInstance said no; uiStop has been
// done).
int uiStart(int& argc, char** argv, App* appP = nullptr);
// Runs the event loop until the last top-level window is gone or uiQuit; returns the exit code.
int uiRun();
void uiQuit();
// Closes the application's call target and ends wxWidgets; windows left open are destroyed.
void uiStop();

// The call target of the application itself, for calls that belong to no window. Closed by
// uiStop. Any thread.
std::shared_ptr<CallTarget> appCallTarget();

}  // namespace zkui
