// Every action against sessions that lead it down each of its roads: the properties it leaves
// and the exact lines it logs.
#include "tamrelutils.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "msisession.h"

namespace {

using Properties = std::map<std::string, std::string>;

struct Case {
  const char* what;
  MsiCustomAction action;
  Properties given;
  std::vector<zkmsi::Fault> faults;
  Properties wanted;  // every property afterwards
  std::vector<std::string> log;
};

constexpr char kProduct[] = "{6A1C3F0E-2B4D-4E8A-9C55-0123456789AB}";
const std::string kLong261(261, 'd');

std::vector<Case> cases() {
  const std::string lang = "TamrelUtils/ResolveLangId: ProductLanguage ";
  const std::string sys = "TamrelUtils/SetPrimarySystemLanguageID: ";
  const std::string dir = "GetInstallDir/GetInstallDir: ";
  return {
      {"1033",
       ResolveLangId,
       {{"ProductLanguage", "1033"}},
       {},
       {{"ProductLanguage", "1033"}, {"TAMRELLANGUAGE", "enu"}},
       {lang + "'1033' recognized as English."}},
      {"3084",
       ResolveLangId,
       {{"ProductLanguage", "3084"}},
       {},
       {{"ProductLanguage", "3084"}, {"TAMRELLANGUAGE", "fra"}},
       {lang + "'3084' recognized as French Canadian."}},
      {"1037",
       ResolveLangId,
       {{"ProductLanguage", "1037"}},
       {},
       {{"ProductLanguage", "1037"}, {"TAMRELLANGUAGE", "enu"}},
       {lang + "'1037' recognized as Hebrew."}},
      {"2070 last but few",
       ResolveLangId,
       {{"ProductLanguage", "2070"}},
       {},
       {{"ProductLanguage", "2070"}, {"TAMRELLANGUAGE", "ptg"}},
       {lang + "'2070' recognized as Portuguese."}},
      {"leading zero",
       ResolveLangId,
       {{"ProductLanguage", "01033"}},
       {},
       {{"ProductLanguage", "01033"}, {"TAMRELLANGUAGE", "enu"}},
       {lang + "'01033' not recognized; English assumed."}},
      {"trailing blank",
       ResolveLangId,
       {{"ProductLanguage", "1033 "}},
       {},
       {{"ProductLanguage", "1033 "}, {"TAMRELLANGUAGE", "enu"}},
       {lang + "'1033 ' not recognized; English assumed."}},
      {"default row's own id",
       ResolveLangId,
       {{"ProductLanguage", "9999"}},
       {},
       {{"ProductLanguage", "9999"}, {"TAMRELLANGUAGE", "enu"}},
       {lang + "'9999' not recognized; English assumed."}},
      {"language too long",
       ResolveLangId,
       {{"ProductLanguage", "10331033103310331"}},
       {},
       {{"ProductLanguage", "10331033103310331"}, {"TAMRELLANGUAGE", "enu"}},
       {"TamrelUtils/ResolveLangId: MsiGetProperty failed with return code '234'.",
        lang + "'' not recognized; English assumed."}},
      {"1033 split",
       SetPrimarySystemLanguageID,
       {{"SystemLanguageID", "1033"}},
       {},
       {{"SystemLanguageID", "1033"},
        {"SYSTEMPRIMARYLANGUAGEID", "9"},
        {"SYSTEMSUBLANGUAGEID", "1"}},
       {}},
      {"2052 split",
       SetPrimarySystemLanguageID,
       {{"SystemLanguageID", " 2052x"}},
       {},
       {{"SystemLanguageID", " 2052x"},
        {"SYSTEMPRIMARYLANGUAGEID", "4"},
        {"SYSTEMSUBLANGUAGEID", "2"}},
       {}},
      {"no digits",
       SetPrimarySystemLanguageID,
       {{"SystemLanguageID", "abc"}},
       {},
       {{"SystemLanguageID", "abc"},
        {"SYSTEMPRIMARYLANGUAGEID", "0"},
        {"SYSTEMSUBLANGUAGEID", "0"}},
       {}},
      {"failed read",
       SetPrimarySystemLanguageID,
       {{"SystemLanguageID", "1033"}, {"SYSTEMPRIMARYLANGUAGEID", "7"}},
       {{"MsiGetProperty", "SystemLanguageID", 1603}},
       {{"SystemLanguageID", "1033"}},  // both set to empty texts, which removes them
       {sys + "MsiGetProperty failed with return code '1603'."}},
      {"failed sets",
       SetPrimarySystemLanguageID,
       {{"SystemLanguageID", "1033"}},
       {{"MsiSetProperty", "*", 1603}},
       {{"SystemLanguageID", "1033"}},
       {sys + "MsiSetProperty failed with return code '1603'.",
        sys + "MsiSetProperty failed with return code '1603'."}},
      {"installed",
       GetInstallDir,
       {{"ProductCode", kProduct}},
       {},
       {{"ProductCode", kProduct}, {"INSTALLDIR", "/opt/orbenix/zarnaksql/"}},
       {}},
      {"not installed",
       GetInstallDir,
       {{"ProductCode", "{00000000-0000-0000-0000-000000000000}"}, {"INSTALLDIR", "/opt/old"}},
       {},
       {{"ProductCode", "{00000000-0000-0000-0000-000000000000}"}, {"INSTALLDIR", "/opt/old"}},
       {dir + "MsiGetProductInfo failed with return code '1605'."}},
      {"product code unreadable",
       GetInstallDir,
       {{"ProductCode", kProduct + std::string("xy")}},
       {},
       {{"ProductCode", kProduct + std::string("xy")}},
       {dir + "MsiGetProperty failed with return code '234'."}},
      {"location too long",
       GetInstallDir,
       {{"ProductCode", "{LONG}"}},
       {},
       {{"ProductCode", "{LONG}"}},
       {dir + "MsiGetProductInfo failed with return code '234'."}},
      {"location of 260",
       GetInstallDir,
       {{"ProductCode", "{FITS}"}},
       {},
       {{"ProductCode", "{FITS}"}, {"INSTALLDIR", kLong261.substr(1)}},
       {}},
      {"set refused",
       GetInstallDir,
       {{"ProductCode", kProduct}},
       {{"MsiSetProperty", "INSTALLDIR", 1603}},
       {{"ProductCode", kProduct}},
       {dir + "MsiSetProperty failed with return code '1603'."}},
  };
}

TEST(CustomActions, LeaveTheirPropertiesAndLogLinesAndAlwaysSucceed) {
  for (const Case& c : cases()) {
    SCOPED_TRACE(c.what);
    zkmsi::SessionData data;
    data.properties = c.given;
    data.faults = c.faults;
    data.products[kProduct]["InstallLocation"] = "/opt/orbenix/zarnaksql/";
    data.products["{LONG}"]["InstallLocation"] = kLong261;
    data.products["{FITS}"]["InstallLocation"] = kLong261.substr(1);
    MSIHANDLE session = zkmsi::openSession(data);
    EXPECT_EQ(c.action(session), ERROR_SUCCESS);
    ASSERT_TRUE(zkmsi::readSession(session, data));
    MsiCloseHandle(session);

    EXPECT_EQ(data.properties, c.wanted);
    std::vector<std::string> log;
    for (const zkmsi::LogLine& line : data.log) {
      EXPECT_EQ(line.kind, INSTALLMESSAGE_INFO);
      log.push_back(line.text);
    }
    EXPECT_EQ(log, c.log);
  }
}

TEST(CustomActions, AWrongSessionHandleIsLoggedNowhereAndStillSucceeds) {
  for (MsiCustomAction action : {GetInstallDir, ResolveLangId, SetPrimarySystemLanguageID}) {
    EXPECT_EQ(action(0), ERROR_SUCCESS);
  }
}

}  // namespace
