#include "uiapp.h"

#include <dlfcn.h>
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

// The toolkit's theme pads entries, buttons and combo boxes for touch screens; dialog templates
// give them the heights of a desktop dialog. A style sheet of the display's whole screen takes
// the padding down to what the text needs (resbundle.h names the heights). The toolkit is
// reached by name at run time: its headers are not part of the build.
void compactControls() {
  using NewProvider = void* (*)();
  using LoadData = int (*)(void*, const char*, long, void**);
  using DefaultScreen = void* (*)();
  using AddProvider = void (*)(void*, void*, unsigned);
  auto newProvider = reinterpret_cast<NewProvider>(dlsym(RTLD_DEFAULT, "gtk_css_provider_new"));
  auto loadData =
      reinterpret_cast<LoadData>(dlsym(RTLD_DEFAULT, "gtk_css_provider_load_from_data"));
  auto defaultScreen =
      reinterpret_cast<DefaultScreen>(dlsym(RTLD_DEFAULT, "gdk_screen_get_default"));
  auto addProvider = reinterpret_cast<AddProvider>(
      dlsym(RTLD_DEFAULT, "gtk_style_context_add_provider_for_screen"));
  if (!newProvider || !loadData || !defaultScreen || !addProvider || !defaultScreen()) return;
  static const char kCss[] =
      "entry, spinbutton { min-height: 0; padding-top: 2px; padding-bottom: 2px; }\n"
      "button { min-height: 0; min-width: 0; padding: 1px 6px; }\n"
      "combobox button, combobox entry { min-height: 0; padding-top: 1px; padding-bottom: 1px; }\n"
      "checkbutton, radiobutton { min-height: 0; padding-top: 0; padding-bottom: 0; }\n";
  void* provider = newProvider();
  void* error = nullptr;
  if (!loadData(provider, kCss, -1, &error)) return;
  const unsigned kPriorityApplication = 600;
  addProvider(defaultScreen(), provider, kPriorityApplication);
}

int uiStart(int& argc, char** argv, App* appP) {
  wxSetAssertHandler(reportAssert);
  wxApp::SetInstance(appP ? appP : new App());
  if (!wxEntryStart(argc, argv)) return kUiNoDisplay;
  setUiThread();
  compactControls();
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
