// The wizard's command line: ten process-wide switch values with built-in defaults, set once
// at start-up before any page exists, and the plain parameters (product identifiers).
//
// A switch is "/key=value" or "-key=value"; keys compare without regard to case and the value
// is kept in lower case. Readers compare values without regard to case (regSwitchIs), except
// lang, which start-up compares exactly with its default.
#pragma once

#include <string>
#include <vector>

enum RegSwitch {
  kSwitchLang,
  kSwitchDebug,
  kSwitchConnect,
  kSwitchTimeout,
  kSwitchSplashDelay,
  kSwitchThankYou,
  kSwitchJavaConnect,
  kSwitchRegisterLater,
  kSwitchRegressionTest,
  kSwitchCleanRegistry,
  kSwitchCount
};

inline constexpr char kLangNotSpecified[] = "NotSpecified";

const std::string& regSwitch(RegSwitch which);
// True when the switch's value equals text without regard to ASCII case.
bool regSwitchIs(RegSwitch which, const char* text);
// Every switch back to its default (start-up of a test).
void regResetSwitches();

class CRegCommandLineInfo {
 public:
  // Runs ParseParam for every argument after the program name, a leading "/" or "-" marking
  // a flag and removed.
  void ParseCommandLine(int argc, const char* const* argv);

  // One parameter: a plain one is kept as a product; a flag "key=value" sets its switch; any
  // other flag is reported on the diagnostic stream and ignored.
  void ParseParam(const char* param, bool isFlag, bool isLast);

  // The plain parameters in command-line order.
  const std::vector<std::string>& products() const { return m_Products; }

 private:
  std::vector<std::string> m_Products;
};
