// The connecting dialog beside a real transmission to a server of the test on 127.0.0.1.
#include "regconnectdlg.h"

#include <gtest/gtest.h>
#include <wx/dialog.h>

#include <chrono>
#include <cstdlib>

#include "regconntype.h"
#include "regloopback_testutil.h"
#include "regswitch.h"
#include "root.h"
#include "uidriver.h"
#include "uitestutil.h"

namespace {

class ConnectingDialog : public zkui::UiTest {
 protected:
  void SetUp() override {
    zkui::UiTest::SetUp();
    if (IsSkipped()) return;
    regResetSwitches();
    regResetConnectionSettings();
    CRegCommandLineInfo().ParseParam("connect=Direct", true, true);
    regtest::setRegString(HKEY_CLASSES_ROOT, ".htm", "", "htmlfile");
  }
  void TearDown() override { unsetenv("TAMREL_SERVER_HOST"); }

  // runTransmission's outcome: "ok", or the failure's id and text.
  static std::string transmit(const regtest::Origin& origin) {
    setenv("TAMREL_SERVER_HOST", origin.address().c_str(), 1);
    CConnectingDlg dialog(nullptr);
    CRegConnection connection;
    connection.setQuery("fname=Ada");
    try {
      connection.runTransmission(dialog);
      return "ok";
    } catch (const CRegException& e) {
      return std::to_string(e.id()) + " " + e.text();
    }
  }

  zkroot::ScopedRoot m_root;
  zkui::TempBundle m_bundle{
      "dialog 2409 0 0 300 110 \"connecting\"\n"
      "  static 2317 20 20 260 20 \"Making connection...please wait\"\n"
      "  button 2330 110 60 80 28 \"Cancel\"\n"
      "end\n"};
};

TEST_F(ConnectingDialog, ShowsWhileTheRequestGoesAndEndsWithIt) {
  regtest::Origin origin({regtest::replyOf("HTTP/1.0 200 OK\r\n\r\nRESULT1=SUCCESS")});
  std::string title;
  zkui::drive::whenModal([&](wxDialog& d) {
    title = d.GetTitle().utf8_string();
    zkui::drive::pump(100);
    zkui::drive::screenshot(&d, testing::TempDir() + "regconnecting.png");
  });
  EXPECT_EQ("ok", transmit(origin));
  EXPECT_EQ("Veltrona Product Registration", title);
  EXPECT_EQ(1u, origin.requests().size());
}

TEST_F(ConnectingDialog, CancelEndsItWhileTheServerIsSilent) {
  regtest::Origin origin({regtest::silence()});
  zkui::drive::whenModal([](wxDialog& d) {
    zkui::drive::pump(200);
    zkui::drive::click(kConnectingCancelButton, &d);
  });
  auto start = std::chrono::steady_clock::now();
  EXPECT_EQ("245 Your registration has been canceled. ", transmit(origin));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}

}  // namespace
