#include "regapp.h"

#include "comtypes.h"
#include "regdatafile.h"
#include "regexcept.h"
#include "reglang.h"
#include "reglocale.h"
#include "regprogram.h"
#include "regquery.h"
#include "regregistrant.h"
#include "regstate.h"
#include "regsysinfo.h"
#include "runtime.h"

namespace {

constexpr int kComFailed = 212;

bool gKeepSingletons = false;  // user-interface thread only

}  // namespace

CRegApp& CRegApp::instance() {
  static CRegApp app;
  return app;
}

bool CRegApp::InitInstance(int argc, const char* const* argv) {
  regSetCommandLine(argc, argv);
  m_CommandLine.ParseCommandLine(argc, argv);
  removeRunEntries();
  if (regSwitchIs(kSwitchCleanRegistry, "retry")) {
    keepSingletonsAtExit();
    return false;
  }
  chooseLanguage();
  try {
    runWizard();
  } catch (const CRegException& e) {
    reportRegException(e);
  }
  return false;
}

// A lang switch (anything but the exact default) names the language; when its library does
// not load, the language comes from the user's locale.
void CRegApp::chooseLanguage() {
  const std::string& lang = regSwitch(kSwitchLang);
  if (lang != kLangNotSpecified && CLanguageRules::load(lang).hasLibrary()) {
    regSetLanguageLocale(CLanguageRules::instance().index());
    return;
  }
  CLanguageRules::chooseFromLocale();
}

void CRegApp::runWizard() {
  if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) throw CRegException(kComFailed, 0);
  m_ComStarted = true;
  if (m_RunSplash) m_RunSplash();
}

int CRegApp::ExitInstance() {
  if (m_ComStarted) CoUninitialize();
  m_ComStarted = false;
  return 0;
}

void keepSingletonsAtExit() {
  gKeepSingletons = true;
}

void regEndOfProcess() {
  if (gKeepSingletons) return;
  CRegDataFile::release();
  CRegistrant::instance().release();
  CSurveyRecord::instance().release();
  CSystemInfo::instance().release();
}
