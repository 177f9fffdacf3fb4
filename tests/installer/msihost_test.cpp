// msihost runs the custom actions of libTAMRELUTILS.so against session files, as a user would.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "runprogram.h"

namespace {

zkrun::ProgramRun msihost(const std::vector<std::string>& args) {
  return zkrun::runProgram(MSIHOST_PATH, args);
}

std::string session(const std::string& name) {
  return SESSIONS_DIR "/" + name + ".session";
}

TEST(Msihost, RunsEachActionAndPrintsPropertiesAndLog) {
  struct Case {
    const char* action;
    const char* session;
    const char* out;
  };
  const Case cases[] = {
      {"ResolveLangId", "french_canadian",
       "action ResolveLangId returned 0\n"
       "property ProductLanguage=3084\n"
       "property SystemLanguageID=1033\n"
       "property TAMRELLANGUAGE=fra\n"
       "log info: TamrelUtils/ResolveLangId: ProductLanguage '3084' recognized as French "
       "Canadian.\n"},
      {"SetPrimarySystemLanguageID", "french_canadian",
       "action SetPrimarySystemLanguageID returned 0\n"
       "property ProductLanguage=3084\n"
       "property SYSTEMPRIMARYLANGUAGEID=9\n"
       "property SYSTEMSUBLANGUAGEID=1\n"
       "property SystemLanguageID=1033\n"},
      {"GetInstallDir", "upgrade",
       "action GetInstallDir returned 0\n"
       "property INSTALLDIR=/opt/orbenix/zarnaksql/\n"
       "property ProductCode={6A1C3F0E-2B4D-4E8A-9C55-0123456789AB}\n"},
      {"GetInstallDir", "first_install",
       "action GetInstallDir returned 0\n"
       "property INSTALLDIR=/opt/default/\n"
       "property ProductCode={6A1C3F0E-2B4D-4E8A-9C55-0123456789AB}\n"
       "log info: GetInstallDir/GetInstallDir: MsiGetProductInfo failed with return code "
       "'1605'.\n"},
  };
  for (const Case& c : cases) {
    zkrun::ProgramRun run = msihost({ACTIONS_PATH, c.action, session(c.session)});
    EXPECT_EQ(run.exitCode, 0) << c.action;
    EXPECT_EQ(run.out, c.out);
  }
}

TEST(Msihost, AnEmptySessionWithoutAFile) {
  zkrun::ProgramRun run = msihost({ACTIONS_PATH, "ResolveLangId"});
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.out,
            "action ResolveLangId returned 0\n"
            "property TAMRELLANGUAGE=enu\n"
            "log info: TamrelUtils/ResolveLangId: ProductLanguage '' not recognized; English "
            "assumed.\n");
}

TEST(Msihost, HelpAndWrongArguments) {
  zkrun::ProgramRun help = msihost({"--help"});
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_NE(help.out.find("usage: msihost LIBRARY ACTION"), std::string::npos);

  const std::vector<std::vector<std::string>> wrong = {
      {},
      {ACTIONS_PATH},
      {"/nonexistent/libTAMRELUTILS.so", "ResolveLangId"},
      {ACTIONS_PATH, "logInfo"},  // internal routines are not exported
      {ACTIONS_PATH, "ResolveLangId", session("missing")},
      {ACTIONS_PATH, "ResolveLangId", session("broken")},
  };
  for (const auto& args : wrong) {
    zkrun::ProgramRun run = msihost(args);
    EXPECT_EQ(run.exitCode, 2) << (args.empty() ? "" : args.back());
    EXPECT_EQ(run.out, "");
  }
}

}  // namespace
