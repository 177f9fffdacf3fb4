// CRegApp: the application object of tamrel. InitInstance starts the wizard: it parses the
// command line into the switches, removes the re-prompt entries of an earlier run, chooses the
// language and its resources, initialises COM and runs the splash dialog, from which every
// page follows. It always returns false: the program ends when the splash dialog has ended.
#pragma once

#include <functional>

#include "regswitch.h"

class CRegApp {
 public:
  // Runs the splash dialog modally (the windows of the wizard set it; none: no window opens).
  using SplashRunner = std::function<void()>;

  static CRegApp& instance();

  bool InitInstance(int argc, const char* const* argv);
  // Ends COM; the process's exit code.
  int ExitInstance();

  void setSplashRunner(SplashRunner runner) { m_RunSplash = std::move(runner); }
  const CRegCommandLineInfo& commandLine() const { return m_CommandLine; }

 private:
  void chooseLanguage();
  void runWizard();

  CRegCommandLineInfo m_CommandLine;
  SplashRunner m_RunSplash;
  bool m_ComStarted = false;
};

// Keeps the shared singletons at the end of the process (regEndOfProcess then does nothing).
void keepSingletonsAtExit();
// The end-of-process clean-up: releases the shared singletons unless they are kept.
void regEndOfProcess();
