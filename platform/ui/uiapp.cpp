#include "uiapp.h"

#include <wx/image.h>
#include <wx/init.h>
#include <wx/toplevel.h>

#include <cstdio>
#include <mutex>

namespace zkui {

namespace {
std::mutex gAppTargetMutex;
std::shared_ptr<CallTarget> gAppTarget;  // guarded by gAppTargetMutex
int gExitCode = 0;
}  // namespace

bool App::OnInit() {
  return initInstance();
}

int App::OnExit() {
  gExitCode = exitInstance();
  return gExitCode;
}

std::shared_ptr<CallTarget> appCallTarget() {
  std::lock_guard<std::mutex> lock(gAppTargetMutex);
  return gAppTarget;
}

// A failed check of the toolkit goes to standard error: its own report is a modal dialog, which
// nobody answers in a test or an unattended run.
void reportAssert(const wxString& file, int line, const wxString& func, const wxString& cond,
                  const wxString& msg) {
  std::fprintf(stderr, "%s:%d: %s: check failed: %s %s\n", file.utf8_str().data(), line,
               func.utf8_str().data(), cond.utf8_str().data(), msg.utf8_str().data());
}

int uiStart(int& argc, char** argv, App* appP) {
  wxSetAssertHandler(reportAssert);
  wxApp::SetInstance(appP ? appP : new App());
  if (!wxEntryStart(argc, argv)) return kUiNoDisplay;
  setUiThread();
  {
    std::lock_guard<std::mutex> lock(gAppTargetMutex);
    gAppTarget = CallTarget::make();
  }
  // CallAfter queues a thread-safe event; the user-interface thread runs the calls from its
  // event loop, whichever loop (modal or not) is running.
  setCallWakeup([] {
    if (wxTheApp) wxTheApp->CallAfter([] { serveCalls(); });
  });
  if (!wxImage::FindHandler(wxBITMAP_TYPE_PNG)) wxImage::AddHandler(new wxPNGHandler());
  if (wxTheApp->CallOnInit()) return kUiOk;
  uiStop();
  return kUiInitFailed;
}

int uiRun() {
  wxTheApp->OnRun();
  wxTheApp->OnExit();
  return gExitCode;
}

void uiQuit() {
  wxTheApp->ExitMainLoop();
}

void uiStop() {
  setCallWakeup(nullptr);
  std::shared_ptr<CallTarget> target = appCallTarget();
  if (target) target->close();
  serveCalls();  // drops whatever is still queued
  for (wxWindow* w : wxTopLevelWindows) w->Destroy();
  if (wxTheApp) wxTheApp->ProcessIdle();  // destroys the windows marked for deletion
  wxEntryCleanup();
}

}  // namespace zkui
