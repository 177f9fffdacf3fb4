#include "regswitch.h"

#include <array>

#include "regdiag.h"
#include "regtextutil.h"

namespace {

struct SwitchRow {
  const char* key;
  const char* defaultValue;
};

// In the order keys are matched.
constexpr SwitchRow kSwitches[kSwitchCount] = {
    {"lang", kLangNotSpecified}, {"debug", "No"},          {"connect", "Yes"},
    {"timeout", "45"},           {"splashdelay", "6"},     {"thankyou", "No"},
    {"javaconnect", "No"},       {"registerLater", "Yes"}, {"regressionTest", "No"},
    {"cleanRegistry", "No"},
};

// Set on the user-interface thread before any page exists; read-only afterwards.
std::array<std::string, kSwitchCount> gSwitches = [] {
  std::array<std::string, kSwitchCount> values;
  for (int i = 0; i < kSwitchCount; ++i) values[i] = kSwitches[i].defaultValue;
  return values;
}();

void reportUnknown(const std::string& param) {
  regDiag() << "Unknown Parameter: " << param << '\n';
}

}  // namespace

const std::string& regSwitch(RegSwitch which) {
  return gSwitches[which];
}

bool regSwitchIs(RegSwitch which, const char* text) {
  return regEqualNoCase(gSwitches[which], text);
}

void regResetSwitches() {
  for (int i = 0; i < kSwitchCount; ++i) gSwitches[i] = kSwitches[i].defaultValue;
}

void CRegCommandLineInfo::ParseCommandLine(int argc, const char* const* argv) {
  for (int i = 1; i < argc; ++i) {
    const char* arg = argv[i];
    bool isFlag = arg[0] == '/' || arg[0] == '-';
    ParseParam(isFlag ? arg + 1 : arg, isFlag, i == argc - 1);
  }
}

void CRegCommandLineInfo::ParseParam(const char* param, bool isFlag, bool /*isLast*/) {
  std::string text(param);
  if (!isFlag) {
    m_Products.push_back(text);
    return;
  }
  std::size_t equals = text.find('=');
  if (equals == std::string::npos) {
    reportUnknown(text);
    return;
  }
  std::string key = text.substr(0, equals);
  for (int i = 0; i < kSwitchCount; ++i) {
    if (!regEqualNoCase(key, kSwitches[i].key)) continue;
    gSwitches[i] = regLower(text.substr(equals + 1));
    return;
  }
  reportUnknown(text);
}
