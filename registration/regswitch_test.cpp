// The command line's switches and products, and how every exception id is shown.
#include "regswitch.h"

#include <gtest/gtest.h>

#include <sstream>
#include <vector>

#include "regdiag.h"
#include "regexcept.h"

namespace {

class Switches : public ::testing::Test {
 protected:
  void SetUp() override {
    regResetSwitches();
    regSetDiag(&m_Diag);
  }
  void TearDown() override {
    regSetDiag(nullptr);
    regResetSwitches();
  }
  CRegCommandLineInfo parse(std::vector<const char*> args) {
    args.insert(args.begin(), "tamrel");
    CRegCommandLineInfo info;
    info.ParseCommandLine(static_cast<int>(args.size()), args.data());
    return info;
  }
  std::ostringstream m_Diag;
};

TEST_F(Switches, KeysIgnoreCaseValuesAreLoweredAndUnknownFlagsAreReported) {
  CRegCommandLineInfo info =
      parse({"/LANG=German", "/connect", "-TimeOut=", "PROD-A", "/colour=red", "/SplashDelay=2",
             "prod-b", "-splashdelay=3", "/registerlater=NO", "/cleanRegistry=Retry", "PROD-C"});
  EXPECT_EQ(regSwitch(kSwitchLang), "german");
  EXPECT_EQ(regSwitch(kSwitchConnect), "Yes");  // "/connect" without "=" changes nothing
  EXPECT_EQ(regSwitch(kSwitchTimeout), "");
  EXPECT_EQ(regSwitch(kSwitchSplashDelay), "3");  // the last one given wins
  EXPECT_TRUE(regSwitchIs(kSwitchRegisterLater, "no"));
  EXPECT_TRUE(regSwitchIs(kSwitchCleanRegistry, "retry"));
  EXPECT_EQ(regSwitch(kSwitchDebug), "No");
  EXPECT_EQ(info.products(), (std::vector<std::string>{"PROD-A", "prod-b", "PROD-C"}));
  EXPECT_EQ(m_Diag.str(), "Unknown Parameter: connect\nUnknown Parameter: colour=red\n");
}

TEST_F(Switches, DashAndSlashAreTheSameSwitch) {
  parse({"-lang=german"});
  std::string dash = regSwitch(kSwitchLang);
  regResetSwitches();
  parse({"/LANG=German"});
  EXPECT_EQ(regSwitch(kSwitchLang), dash);
  regResetSwitches();
  EXPECT_EQ(regSwitch(kSwitchLang), kLangNotSpecified);
}

// Records what reportRegException shows.
class CRecorder : public CRegPresenter {
 public:
  int messageBox(const std::string& text, const std::string& caption, bool yesNo) override {
    m_Shown = (yesNo ? "yesno:" : "ok:") + caption + ":" + text;
    return yesNo ? kRegIdNo : kRegIdOk;
  }
  int connectionFailure(const std::string&) override { return shown("connection-failure", 11); }
  int phoneRegistration() override { return shown("phone", 12); }
  int exitConfirmation() override { return shown("exit", 2328); }
  int shown(const char* what, int result) {
    m_Shown = what;
    return result;
  }
  std::string m_Shown;
};

TEST(RegException, EachIdIsShownItsWay) {
  CRecorder recorder;
  regSetPresenter(&recorder);
  struct Case {
    int id;
    const char* shown;
    int result;
  };
  const Case cases[] = {
      {201, "ok:Veltrona Product Registration:First Name is a required field.", kRegIdOk},
      {212, "ok:Veltrona Product Registration:COM Initialization Failed.", kRegIdOk},
      {247,  // takes the text of 222
       "ok:Veltrona Product Registration:Your address must contain alphabetic characters (such "
       "as PO Box 123).  Please change your address.",
       kRegIdOk},
      {1520, "ok:Veltrona Product Registration:Suffix is a required field.", kRegIdOk},
      {1515,
       "yesno:Veltrona Product Registration:Your phone number does not contain the minimum "
       "number of required digits.  Would you like to change it?",
       kRegIdNo},
      {224,
       "yesno:Veltrona Product Registration:Your zip code does not contain five digits before "
       "the hyphen ( - ).   Would you like to change it?",
       kRegIdNo},
      {219, "connection-failure", 11},
      {234, "phone", 12},
      {2243, "exit", 2328},
      {214, "", 0},
      {1518, "", 0},
      {200, "", 0},
      {1521, "", 0},
  };
  for (const Case& c : cases) {
    recorder.m_Shown.clear();
    EXPECT_EQ(reportRegException(CRegException(c.id, 0)), c.result) << c.id;
    EXPECT_EQ(recorder.m_Shown, c.shown) << c.id;
  }
  regSetPresenter(nullptr);
  EXPECT_EQ(reportRegException(CRegException(201, 0)), 0);
}

TEST(RegException, TextsAreJoinedInTheConstructorsOrder) {
  EXPECT_EQ(CRegException(234, 7).text(), "");
  EXPECT_EQ(CRegException(234, 7).value(), 7);
  EXPECT_EQ(CRegException(204, RegTextFirst{"x: "}, 0).text(), "x: City is a required field.");
  EXPECT_EQ(CRegException(204, RegStringFirst{" (x)"}, 0).text(), "City is a required field. (x)");
  CRegException two(201, 202, 0);
  EXPECT_EQ(two.id(), 201);
  EXPECT_EQ(two.text(), "First Name is a required field.Last Name is a required field.");
  EXPECT_EQ(CRegException(203, 204, 205, 0).text(),
            "Address is a required field.City is a required field.State/Province is a required "
            "field.");
}

}  // namespace
