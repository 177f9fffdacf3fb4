// zarnaksql: the agent's windowed program.
#include <cstdio>

#include "agtrc.h"
#include "dapp.h"
#include "dsqlguiapp.h"
#include "uiapp.h"

namespace {

class GuiApp : public zkui::App {
  bool initInstance() override { return DSqlGuiApp::instance().initInstance(*m_argcP, m_argv); }
  int exitInstance() override { return DSqlGuiApp::instance().exitInstance(); }

 public:
  int* m_argcP = nullptr;
  char** m_argv = nullptr;
};

}  // namespace

int main(int argc, char** argv) {
  auto* appP = new GuiApp();
  appP->m_argcP = &argc;
  appP->m_argv = argv;
  int rc = zkui::uiStart(argc, argv, appP);
  if (rc == zkui::kUiNoDisplay) {
    fprintf(stderr, "zarnaksql: no display (set DISPLAY)\n");
    return 1;
  }
  if (rc != zkui::kUiOk) return exitStatusOf(DSqlGuiApp::instance().exitCode());
  int exitCode = zkui::uiRun();
  zkui::uiStop();
  return exitStatusOf(exitCode);
}
