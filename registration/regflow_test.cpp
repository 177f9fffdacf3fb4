// The wizard's flow driven as a user would under a display, with the program's own resources
// and servers of the test on 127.0.0.1: a whole run to the thank-you page directly, through an
// HTTP proxy and through a SOCKS 4 server; the connection-failure page and its three choices;
// connect=no; the telephone sequence; the exit confirmation; the privacy statement; the
// Additional Information page's Back. Screenshots go to the test's temporary folder
// (regflow-*.png).
#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/dialog.h>
#include <wx/timer.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

#include "filechooser.h"
#include "msgbox.h"
#include "regaddwin.h"
#include "regconntype.h"
#include "regcustom.h"
#include "regdiag.h"
#include "regexcept.h"
#include "regflowpages.h"
#include "reglang.h"
#include "regloopback_testutil.h"
#include "regpagewin.h"
#include "regprogram.h"
#include "regregistrant.h"
#include "regres.h"
#include "regsplash.h"
#include "regstate.h"
#include "regswitch.h"
#include "regsysinfo.h"
#include "regwinapp.h"
#include "root.h"
#include "runtime.h"
#include "uidriver.h"
#include "uitestutil.h"

namespace {

namespace drive = zkui::drive;
namespace fs = std::filesystem;

constexpr char kOk[] = "HTTP/1.0 200 OK\r\n\r\nRESULT1=SUCCESS\r\n";
constexpr char kRefused[] = "HTTP/1.0 200 OK\r\n\r\nRESULT1=FAILURE\r\n";
constexpr char kShellFolders[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

// Runs script on the next modal dialog that has control id and was not handled before; others
// (the connecting dialog) are passed over. A handled dialog is marked by its name, since a new
// dialog may be made at the address of one that went.
class PageWatch : public wxTimer {
 public:
  PageWatch(int id, std::function<void(wxDialog&)> script) : m_id(id), m_script(std::move(script)) {
    Start(20);
  }
  void Notify() override {
    wxDialog* d = drive::activeModal();
    if (d == nullptr || !d->IsShownOnScreen() || d->GetName() == kHandled) return;
    if (drive::find(m_id, d) == nullptr) return;
    Stop();
    d->SetName(kHandled);
    auto script = std::move(m_script);
    wxTheApp->CallAfter([this] { delete this; });
    script(*d);
  }

 private:
  static constexpr const char* kHandled = "regflow-handled";
  int m_id;
  std::function<void(wxDialog&)> m_script;
};

void onPage(int id, std::function<void(wxDialog&)> script) {
  new PageWatch(id, std::move(script));
}

class Flow : public zkui::UiTest {
 protected:
  void SetUp() override {
    zkui::UiTest::SetUp();
    if (IsSkipped()) return;
    std::string why;
    ASSERT_EQ(zkui::ResourceBundle::load(TAMREL_RES_DIR "/tamrel.zrc", m_own, &why), zkui::kResOk)
        << why;
    m_previous = zkui::setCurrentResources(m_own);
    CLanguageRules::load("english");
    CProductCustomization::install(nullptr);
    regResetSwitches();
    regResetConnectionSettings();
    resetRegistrant();
    CSystemInfo::instance().setSendBios(true);
    CSystemInfoPage::presetBiosFacts("Orbenix", "ZX-1 Model 7", "SN123");
    regSetDiag(&m_log);
    ASSERT_GE(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), 0);  // as the program does
    programFolder();
    // Internet Explorer, connecting directly, with its Favorites folder.
    m_favorites = m_root.path() / "Favorites";
    fs::create_directories(m_favorites);
    regtest::setRegString(HKEY_CLASSES_ROOT, ".htm", "", "htmlfile");
    regtest::setRegString(HKEY_CURRENT_USER, kShellFolders, "Favorites", m_favorites.string());
    explorer(0, "");
    regtest::setRegString(HKEY_LOCAL_MACHINE, kRunKey, "Other", "/usr/bin/other");
    regSetPresenter(&regWindowPresenter());
    regInstallFlow();
    zkui::setMessageBoxHook([this](const zkui::MessageBoxRequest& request) {
      m_boxes.push_back(request.text);
      return zkui::kIdBoxOk;
    });
  }
  void TearDown() override {
    if (IsSkipped()) return;
    zkui::setMessageBoxHook(nullptr);
    zkui::setFileChooserHook(nullptr);
    CRegWindowPresenter& presenter = regWindowPresenter();
    presenter.m_connectionFailure = nullptr;
    presenter.m_phoneRegistration = nullptr;
    presenter.m_exitConfirmation = nullptr;
    regSetPrivacyPage(nullptr);
    regSetPresenter(nullptr);
    regSetDiag(nullptr);
    CoUninitialize();
    regResetSwitches();
    regSetAppName("");
    regSetCommandLine(0, nullptr);
    setenv("PATH", m_path.c_str(), 1);
    unsetenv("TAMREL_SERVER_HOST");
    CSystemInfoPage::forgetBiosFacts();
    zkui::setCurrentResources(m_previous);
  }

  static void resetRegistrant() {
    CRegistrant& r = CRegistrant::instance();
    r.release();
    r.name().setPrefix("", -1);
    r.address().setCountry("", -1);
    r.address().setState("", "");
  }
  // The program and its launcher in a folder on PATH, so a re-prompt entry can be written.
  void programFolder() {
    fs::path folder = m_root.path() / "bin";
    fs::create_directories(folder);
    std::ofstream(folder / "tamrel") << "program";
    std::ofstream(folder / "tamrelStart") << "launcher";
    const char* path = std::getenv("PATH");
    m_path = path != nullptr ? path : "";
    setenv("PATH", folder.c_str(), 1);
    regSetAppName("tamrel");
    const char* args[] = {"tamrel"};
    regSetCommandLine(1, args);
  }
  static void explorer(int enable, const std::string& server) {
    regtest::setRegDword(HKEY_CURRENT_USER, kExplorerSettingsKey, "ProxyEnable", enable);
    regtest::setRegString(HKEY_CURRENT_USER, kExplorerSettingsKey, "ProxyServer", server);
    regtest::setRegString(HKEY_CURRENT_USER, kExplorerSettingsKey, "AutoConfigURL", "");
  }
  static void sendTo(const std::string& server) {
    CRegCommandLineInfo().ParseParam("connect=Direct", true, true);
    setenv("TAMREL_SERVER_HOST", server.c_str(), 1);
  }
  void shot(wxWindow* w, const std::string& name) {
    if (!m_shots) return;
    drive::pump(150);
    EXPECT_EQ(drive::screenshot(w, testing::TempDir() + "regflow-" + name + ".png"), 0);
  }
  static void choose(wxDialog& d, int id, const std::string& text) {
    ASSERT_TRUE(drive::choose(drive::find(id, &d), text)) << text;
    drive::pump(30);
  }
  static void fillContact(wxDialog& d) {
    choose(d, kNamePrefix, "Ms.");
    drive::type(kNameFirst, "Ada", &d);
    drive::type(kNameLast, "Lovelace", &d);
    drive::type(kAddrStreet, "12 King Street", &d);
    drive::type(kAddrCity, "Toronto", &d);
    choose(d, kAddrCountry, "Canada");
    choose(d, kAddrState, "Ontario");
    drive::type(kAddrPostalCode, "M5V 2T6", &d);
    drive::type(kPhoneNumber, "416 555 0199", &d);
    drive::type(kContactEmail, "ada@example.com", &d);
  }
  // Contact and System filled as a user would, then `additional` on the Additional page.
  void throughToAdditional(std::function<void(wxDialog&)> additional) {
    onPage(kContactNext, [this, additional](wxDialog& contact) {
      shot(&contact, "contact");
      fillContact(contact);
      onPage(kSystemNext, [this, additional](wxDialog& system) {
        shot(&system, "system");
        onPage(kAddSubmit, additional);
        drive::click(kSystemNext, &system);
      });
      drive::click(kContactNext, &contact);
    });
  }
  // On the Additional page: the first answer of each question, the first bookmark, Submit.
  void answerAndSubmit(wxDialog& page) {
    for (int id : kQuestionLists) ASSERT_TRUE(drive::choose(drive::find(id, &page), 0));
    drive::click(2221, &page);
    shot(&page, "additional");
    drive::click(kAddSubmit, &page);
  }
  // The next thank-you page: a screenshot and Exit.
  void thankYouThenExit() {
    onPage(kThankYouExit, [this](wxDialog& thanks) {
      ++m_thanks;
      shot(&thanks, "thankyou");
      drive::click(kThankYouExit, &thanks);
    });
  }

  zkroot::ScopedRoot m_root;
  std::shared_ptr<const zkui::ResourceBundle> m_own, m_previous;
  std::ostringstream m_log;
  fs::path m_favorites;
  std::string m_path;
  std::vector<std::string> m_boxes;
  bool m_shots = true;
  int m_thanks = 0;
};

TEST_F(Flow, AWholeRunEndsOnTheThankYouPageDirectlyThroughAProxyAndThroughSocks) {
  regtest::Origin origin({regtest::replyOf(kOk)});
  regtest::HttpProxy proxy;
  regtest::SocksServer socks(regtest::SocksServer::Mode::Grant);
  sendTo(origin.address());
  struct Way {
    const char* name;
    int enable;
    std::string setting;
  };
  const Way ways[] = {
      {"direct", 0, ""}, {"proxy", 1, proxy.address()}, {"socks", 1, "socks=" + socks.address()}};
  for (const Way& way : ways) {
    SCOPED_TRACE(way.name);
    drive::pump(50);  // the last run's windows go before the next run is watched for
    resetRegistrant();
    fs::remove_all(m_favorites);
    fs::create_directories(m_favorites);
    explorer(way.enable, way.setting);
    regResetConnectionSettings();  // read from the browser once a process
    throughToAdditional([this](wxDialog& page) {
      thankYouThenExit();
      answerAndSubmit(page);
    });
    regRunPages(RegPage::Contact);
    m_shots = false;
    EXPECT_EQ(m_thanks, 1);
    m_thanks = 0;
    // The stored state, the bookmark, and what reached the origin.
    EXPECT_EQ(regReadString("General", "firstName"), "Ada");
    EXPECT_EQ(regReadString("General", "q13"), CRegistrant::instance().get("q13"));
    EXPECT_TRUE(fs::exists(m_favorites / (regLoadString(300) + ".url")));
    ASSERT_FALSE(origin.requests().empty());
    std::string request = origin.requests().back();
    EXPECT_NE(request.find("firstName=Ada"), std::string::npos) << request;
    EXPECT_NE(request.find("&q18=BUSI&"), std::string::npos) << request;
    EXPECT_NE(request.find("&q27="), std::string::npos) << request;
  }
  EXPECT_EQ(origin.requests().size(), 3u);
  EXPECT_EQ(proxy.requests().size(), 1u);
  EXPECT_EQ(socks.requests().size(), 1u);
  EXPECT_TRUE(m_boxes.empty());
}

TEST_F(Flow, AFailingOriginShowsTheFailurePageAndPromptLaterWritesTheRunEntry) {
  regtest::Origin origin({regtest::replyOf(kRefused)});
  sendTo(origin.address());
  std::string failure;
  bool openAfterEscape = false;
  throughToAdditional([&](wxDialog& page) {
    onPage(kFailText, [&](wxDialog& fail) {
      failure = drive::text(drive::find(kFailText, &fail));
      shot(&fail, "failure");
      drive::key(WXK_ESCAPE, 0, &fail);
      drive::pump(50);
      openAfterEscape = drive::activeModal() == &fail;
      EXPECT_EQ(drive::checked(drive::find(kFailPromptLater, &fail)), 1);
      drive::click(kFailOk, &fail);
    });
    drive::click(kAddSubmit, &page);
  });
  regRunPages(RegPage::Contact);  // the page closed without asking: the wizard is over
  EXPECT_EQ(failure, "Posting the data was not successful. ");
  EXPECT_TRUE(openAfterEscape);
  EXPECT_EQ(removeRunEntries(), 1);  // the re-prompt entry was there
  EXPECT_EQ(m_thanks, 0);
}

TEST_F(Flow, SubmitNowSendsAgainAndCancelStaysOnThePage) {
  regtest::Origin origin(
      {regtest::replyOf(kRefused), regtest::replyOf(kRefused), regtest::replyOf(kOk)});
  sendTo(origin.address());
  throughToAdditional([&](wxDialog& page) {
    onPage(kFailText, [&](wxDialog& fail) {
      drive::click(kFailCancel, &fail);  // back on the page, nothing else happens
      onPage(kFailText, [&](wxDialog& again) {
        drive::click(kFailSubmitNow, &again);
        thankYouThenExit();
        drive::click(kFailOk, &again);
      });
      drive::click(kAddSubmit, &page);
    });
    drive::click(kAddSubmit, &page);
  });
  regRunPages(RegPage::Contact);
  EXPECT_EQ(origin.requests().size(), 3u);
  EXPECT_EQ(m_thanks, 1);
  EXPECT_TRUE(CRegistrant::instance().connectionFailed());  // the choice kept: submit again
}

TEST_F(Flow, WithoutConnectTheRequestIsLoggedAnd1547ShownThenThankYouAndTheSettings) {
  CRegCommandLineInfo().ParseParam("connect=no", true, true);
  CRegCommandLineInfo().ParseParam("thankyou=YES", true, true);
  CRegCommandLineInfo().ParseParam("javaconnect=yes", true, true);
  std::string failure;
  bool settingsShown = false;
  throughToAdditional([&](wxDialog& page) {
    onPage(kFailText, [&](wxDialog& fail) {
      failure = drive::text(drive::find(kFailText, &fail));
      onPage(kThankYouExit, [&](wxDialog& thanks) {
        ++m_thanks;
        onPage(2505, [&](wxDialog& settings) {
          settingsShown = true;
          shot(&settings, "settings");
          settings.EndModal(1);
        });
        drive::click(kThankYouExit, &thanks);
      });
      drive::click(kFailOk, &fail);  // "Prompt me to register in the future"
    });
    drive::click(kAddSubmit, &page);
  });
  regRunPages(RegPage::Contact);
  EXPECT_EQ(failure, regLoadString(1547) + regLoadString(219));
  EXPECT_EQ(m_thanks, 1);
  EXPECT_TRUE(settingsShown);
  std::string log = m_log.str();
  EXPECT_NE(log.find("firstName=Ada"), std::string::npos);
  EXPECT_NE(log.find("\nOS: "), std::string::npos);
  EXPECT_EQ(removeRunEntries(), 1);
}

TEST_F(Flow, PrintAndRegisterByMailPrintsAndAMissingPrinterAsksAgain) {
  regtest::Origin origin({regtest::replyOf(kRefused)});
  sendTo(origin.address());
  std::string printed = testing::TempDir() + "regflow.ps";
  std::remove(printed.c_str());
  int chooserCalls = 0;
  zkui::setFileChooserHook([&](const zkui::FileChooserRequest&, std::string& path) {
    if (++chooserCalls == 1) return zkui::kIdBoxCancel;  // no printer the first time
    path = printed;
    return zkui::kIdBoxOk;
  });
  std::string second;
  throughToAdditional([&](wxDialog& page) {
    onPage(kFailText, [&](wxDialog& fail) {
      drive::click(kFailPrint, &fail);
      onPage(kFailText, [&](wxDialog& again) {
        second = drive::text(drive::find(kFailText, &again));
        // A new page starts from the cleared choice.
        EXPECT_EQ(drive::checked(drive::find(kFailPromptLater, &again)), 1);
        drive::click(kFailPrint, &again);
        drive::click(kFailOk, &again);
      });
      drive::click(kFailOk, &fail);
    });
    drive::click(kAddSubmit, &page);
  });
  regRunPages(RegPage::Contact);
  EXPECT_EQ(chooserCalls, 2);
  EXPECT_EQ(second, regLoadString(218));
  std::ifstream in(printed);
  std::stringstream text;
  text << in.rdbuf();
  EXPECT_NE(text.str().find("(31:Ada)"), std::string::npos);
  EXPECT_NE(text.str().find("(" + regLoadString(2121) + ")"), std::string::npos);
}

TEST_F(Flow, TheTelephoneSequenceLoopsOnBackThenThanks) {
  CRegistrant::instance().address().setCountry("Canada", 29);
  CRegistrant::instance().setEmail("ada@example.com");
  std::vector<std::string> intros;
  int summaries = 0;
  std::function<void(wxDialog&)> summary = [&](wxDialog& d) {
    ++summaries;
    intros.push_back(drive::text(drive::find(kPhoneSummaryText, &d)));
    EXPECT_EQ(drive::text(drive::find(2279, &d)), "ada@example.com");
    if (summaries == 1) shot(&d, "phone-summary");
    onPage(kPhoneExitBack, [&](wxDialog& exit) {
      if (summaries == 1) shot(&exit, "phone-exit");
      if (summaries < 3) {
        onPage(kPhoneSummaryNext, summary);
        drive::click(kPhoneExitBack, &exit);
      } else {
        thankYouThenExit();
        drive::click(kPhoneExitNext, &exit);
      }
    });
    drive::click(kPhoneSummaryNext, &d);
  };
  onPage(kPhoneSummaryNext, summary);
  EXPECT_EQ(reportRegException(CRegException(234, 0)), kPhoneExitNext);
  EXPECT_EQ(summaries, 3);
  EXPECT_EQ(m_thanks, 1);
  ASSERT_FALSE(intros.empty());
  EXPECT_EQ(intros[0].rfind(regLoadString(234), 0), 0u) << intros[0];
}

TEST_F(Flow, TheExitConfirmationAnswersYesOrNoAndKeepsItsBox) {
  struct Case {
    const char* flag;
    bool check;
    int button;
    int entries;  // re-prompt entries written
  };
  const Case cases[] = {{"", true, kExitYes, 1},
                        {"", false, kExitYes, 0},
                        {"", false, kExitNo, 0},
                        {"registerLater=no", true, kExitYes, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.flag) + " " + std::to_string(c.button));
    regResetSwitches();
    if (*c.flag != '\0') CRegCommandLineInfo().ParseParam(c.flag, true, true);
    CRegistrant::instance().setExitConfirmation(1);
    bool boxShown = false;
    onPage(kExitYes, [&](wxDialog& d) {
      wxWindow* box = drive::find(kExitPromptLater, &d);
      boxShown = box->IsShown();
      if (boxShown && drive::checked(box) != (c.check ? 1 : 0)) drive::click(box);
      shot(&d, "exit");
      drive::click(c.button, &d);
    });
    EXPECT_EQ(reportRegException(CRegException(kExitConfirmation, 0)), c.button);
    EXPECT_EQ(boxShown, *c.flag == '\0');
    EXPECT_EQ(removeRunEntries(), c.entries);
    if (c.button == kExitNo) {
      EXPECT_EQ(CRegistrant::instance().exitConfirmation(), 0);
    }
    m_shots = false;
  }
}

TEST_F(Flow, ThePrivacyStatementJoinsItsParagraphs) {
  std::string text;
  onPage(kPrivacyOk, [&](wxDialog& d) {
    text = drive::text(drive::find(kPrivacyText, &d));
    shot(&d, "privacy");
    drive::click(kPrivacyOk, &d);
  });
  onPage(kContactPrivacy, [&](wxDialog& contact) {
    drive::click(kContactPrivacy, &contact);
    onPage(kExitYes, [](wxDialog& confirm) { drive::click(kExitYes, &confirm); });
    drive::click(kContactExit, &contact);
  });
  regRunPages(RegPage::Contact);
  // 237, 239 and 244 have no English text and are left out; the blank lines stay.
  EXPECT_EQ(text, regLoadString(236) + "\n\n" + regLoadString(238) + regLoadString(240) + "\n\n" +
                      regLoadString(241) + "\n\n" + regLoadString(242) + "\n\n" +
                      regLoadString(243));
  EXPECT_EQ(text, regPrivacyText());
}

TEST_F(Flow, BackFromTheAdditionalPageShowsTheSystemPageAndExitAsks) {
  int systemShown = 0;
  std::string use;
  throughToAdditional([&](wxDialog& page) {
    drive::click(kUseHome, &page);
    onPage(kSystemBack, [&](wxDialog& system) {
      ++systemShown;
      onPage(kAddExit, [&](wxDialog& again) {
        use = drive::checked(drive::find(kUseHome, &again)) == 1 ? "HOME" : "other";
        onPage(kExitNo, [](wxDialog& confirm) { drive::click(kExitNo, &confirm); });
        drive::click(kAddExit, &again);  // No: the page stays
        onPage(kExitYes, [](wxDialog& confirm) { drive::click(kExitYes, &confirm); });
        drive::click(kAddExit, &again);
      });
      drive::click(kSystemNext, &system);
    });
    drive::click(kAddBack, &page);
  });
  regRunPages(RegPage::Contact);
  EXPECT_EQ(systemShown, 1);
  EXPECT_EQ(use, "HOME");
  EXPECT_EQ(CRegistrant::instance().getSecond("q18"), "HOME");
}

}  // namespace
