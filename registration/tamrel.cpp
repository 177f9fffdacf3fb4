// tamrel: the product registration wizard.
#include <cstring>
#include <iostream>

#include "regapp.h"
#include "regflowpages.h"
#include "reglang.h"
#include "regpagewin.h"
#include "regsplash.h"
#include "regwinapp.h"

namespace {

constexpr char kUsage[] =
    "usage: tamrel [/key=value ...] [PRODUCT ...]\n"
    "The product registration wizard. Switches (\"/\" or \"-\", keys in any case):\n"
    "  lang=NAME            language of the wizard (default: from the locale)\n"
    "  connect=no|Direct|DirectIP|HOST   how the registration is sent (default Yes)\n"
    "  timeout=SECONDS      time-out of the transfer (default 45)\n"
    "  splashdelay=SECONDS  how long the splash shows (default 6)\n"
    "  thankyou=yes, javaconnect=yes     pages shown with connect=no\n"
    "  registerLater=no     never write the re-prompt entry\n"
    "  regressionTest=yes   fixed texts for the system facts and the registrant id\n"
    "  cleanRegistry=retry  remove the re-prompt entries and end\n"
    "  debug=...            accepted, no effect\n"
    "PRODUCT: product identifiers to register (for a product suite).\n"
    "The wizard's windows need a display (DISPLAY); cleanRegistry=retry needs none.\n";

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
    std::cout << kUsage;
    return 0;
  }
  CRegApp& app = CRegApp::instance();
  regSetLibraryLoader(regLoadLanguageBundle);
  regSetFirstPage([] { regRunPages(RegPage::Contact); });
  regInstallFlow();
  int windowsRc = 0;
  app.setSplashRunner([&] { windowsRc = regRunSplash(argc, argv); });
  app.InitInstance(argc, argv);
  int rc = app.ExitInstance();
  regEndOfProcess();
  return windowsRc != 0 ? windowsRc : rc;
}
