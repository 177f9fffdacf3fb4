// The splash dialog and the windowed start-up, driven under a display.
#include "regsplash.h"

#include <gtest/gtest.h>
#include <wx/dialog.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "msgbox.h"
#include "regcustom.h"
#include "regexcept.h"
#include "reglang.h"
#include "regswitch.h"
#include "regsysinfo.h"
#include "regwinapp.h"
#include "root.h"
#include "uidriver.h"
#include "uitestutil.h"

namespace {

using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

constexpr int kWidth = 240;
constexpr int kHeight = 150;

// Answers the exit confirmation from a list and counts what it was asked.
class TestPresenter : public CRegPresenter {
 public:
  int messageBox(const std::string&, const std::string&, bool) override { return kRegIdOk; }
  int connectionFailure(const std::string&) override { return 0; }
  int phoneRegistration() override { return 0; }
  int exitConfirmation() override {
    ++m_asked;
    m_lastAnswer = Clock::now();
    int answer = m_answers.empty() ? kExitConfirmedYes : m_answers.front();
    if (!m_answers.empty()) m_answers.erase(m_answers.begin());
    return answer;
  }
  std::vector<int> m_answers;
  int m_asked = 0;
  Clock::time_point m_lastAnswer;
};

class Splash : public zkui::UiTest {
 protected:
  void SetUp() override {
    zkui::UiTest::SetUp();
    if (IsSkipped()) return;
    regResetSwitches();
    CSystemInfo::instance().release();
    regSetPresenter(&m_presenter);
    regSetFirstPage([this] {
      ++m_pages;
      m_pageStarted = Clock::now();
      m_splashShownDuringPage = zkui::drive::activeModal() != nullptr;
    });
  }
  void TearDown() override {
    regSetFirstPage(nullptr);
    regSetPresenter(nullptr);
  }
  static void setSwitch(const std::string& flag) {
    CRegCommandLineInfo().ParseParam(flag.c_str(), true, true);
  }
  // The splash picture: blue with a yellow square at (20, 20).
  static wxImage picture() {
    wxImage image(kWidth, kHeight);
    image.SetRGB(wxRect(0, 0, kWidth, kHeight), 20, 60, 140);
    image.SetRGB(wxRect(20, 20, 40, 40), 230, 180, 40);
    return image;
  }
  zkui::TempBundle bundle() {
    return zkui::TempBundle(
        "image 2450 \"splash.png\"\nimage 2475 \"icon.png\"\n"
        "dialog 2402 0 0 100 60 \"Veltrona Product Registration\"\nend\n",
        {{"splash.png", picture()}, {"icon.png", wxImage(32, 32)}});
  }

  // Once the splash shows: its client size and a screenshot; then a close when asked.
  void watch(bool close) {
    zkui::drive::whenModal([this, close](wxDialog& d) {
      m_client = d.GetClientSize();
      zkui::drive::pump(200);
      std::string path = testing::TempDir() + "regsplash-" + std::to_string(++m_shots) + ".png";
      if (zkui::drive::screenshot(&d, path) == 0) {
        m_shot = wxImage(wxString::FromUTF8(path), wxBITMAP_TYPE_PNG);
      }
      if (close) d.Close();
    });
  }
  // A pixel of the client area in the screenshot, "r,g,b"; the screenshot holds the frame's
  // decorations, if any, above and left of it.
  std::string pixel(int x, int y) const {
    if (!m_shot.IsOk()) return "no screenshot";
    int dx = m_shot.GetWidth() - m_client.x, dy = m_shot.GetHeight() - m_client.y;
    return std::to_string(m_shot.GetRed(dx + x, dy + y)) + "," +
           std::to_string(m_shot.GetGreen(dx + x, dy + y)) + "," +
           std::to_string(m_shot.GetBlue(dx + x, dy + y));
  }

  zkroot::ScopedRoot m_root;
  TestPresenter m_presenter;
  wxSize m_client;
  wxImage m_shot;
  int m_shots = 0;
  int m_pages = 0;
  Clock::time_point m_pageStarted;
  bool m_splashShownDuringPage = true;
};

TEST_F(Splash, ShowsItsBitmapThenRunsTheFirstPage) {
  zkui::TempBundle resources = bundle();
  setSwitch("splashdelay=1");
  watch(false);
  auto start = Clock::now();
  CSplashDlg splash(nullptr);
  EXPECT_EQ(zkui::kIdOk, splash.doModal());
  EXPECT_EQ(1, m_pages);
  EXPECT_FALSE(m_splashShownDuringPage);  // the splash has ended when the page runs
  EXPECT_GE(m_pageStarted - start, std::chrono::milliseconds(900));
  EXPECT_EQ(wxSize(kWidth, kHeight), m_client);
  EXPECT_EQ("230,180,40", pixel(30, 30));  // the square
  EXPECT_EQ("20,60,140", pixel(120, 100));
  // No data file and no products named: one unknown product.
  EXPECT_EQ("1", CSystemInfo::instance().get("numOfProds"));
  EXPECT_EQ("OrbenixLexNone", CSystemInfo::instance().get("prod1"));
  EXPECT_EQ("Unknown", CSystemInfo::instance().get("prodName"));
}

TEST_F(Splash, AKeyOrAClickOpensTheFirstPageAtOnceAndGoesNoFurther) {
  zkui::TempBundle resources = bundle();
  setSwitch("splashdelay=30");
  for (bool key : {true, false}) {
    bool consumed = false;
    zkui::drive::whenModal([&](wxDialog& d) {
      if (key) {
        wxKeyEvent press(wxEVT_KEY_DOWN);
        press.SetEventObject(&d);
        consumed = d.GetEventHandler()->ProcessEvent(press);
      } else {
        wxMouseEvent click(wxEVT_LEFT_DOWN);
        click.SetEventObject(&d);
        consumed = d.GetEventHandler()->ProcessEvent(click);
      }
    });
    auto start = Clock::now();
    CSplashDlg splash(nullptr);
    EXPECT_EQ(zkui::kIdOk, splash.doModal());
    EXPECT_TRUE(consumed);
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(10));
  }
  EXPECT_EQ(2, m_pages);
}

TEST_F(Splash, ADelayOfZeroOpensTheFirstPageWithoutAGesture) {
  zkui::TempBundle resources = bundle();
  setSwitch("splashdelay=0");
  CSplashDlg splash(nullptr);
  EXPECT_EQ(zkui::kIdOk, splash.doModal());
  EXPECT_EQ(1, m_pages);
  EXPECT_EQ(0, m_presenter.m_asked);
}

TEST_F(Splash, ClosingAsksAndNoWaitsTheWholeDelayAgain) {
  zkui::TempBundle resources = bundle();
  setSwitch("splashdelay=2");
  m_presenter.m_answers = {2329};  // No
  zkui::drive::whenModal([&](wxDialog& d) {
    zkui::drive::pump(1000);
    d.Close();  // the close box
  });
  CSplashDlg splash(nullptr);
  EXPECT_EQ(zkui::kIdOk, splash.doModal());
  EXPECT_EQ(1, m_presenter.m_asked);
  EXPECT_EQ(1, m_pages);
  EXPECT_GE(m_pageStarted - m_presenter.m_lastAnswer, std::chrono::milliseconds(1900));

  m_presenter.m_answers = {kExitConfirmedYes};
  zkui::drive::whenModal([&](wxDialog& d) { d.Close(); });
  CSplashDlg again(nullptr);
  EXPECT_EQ(zkui::kIdCancel, again.doModal());
  EXPECT_EQ(2, m_presenter.m_asked);
  EXPECT_EQ(1, m_pages);  // Yes ends the wizard without a page
}

TEST_F(Splash, TheProgramsOwnBundleShowsItsSplash) {
  std::shared_ptr<const zkui::ResourceBundle> own;
  std::string why;
  ASSERT_EQ(zkui::kResOk, zkui::ResourceBundle::load(TAMREL_RES_DIR "/tamrel.zrc", own, &why))
      << why;
  std::shared_ptr<const zkui::ResourceBundle> previous = zkui::setCurrentResources(own);
  setSwitch("splashdelay=10");
  watch(true);
  CSplashDlg splash(nullptr);
  int end = splash.doModal();
  zkui::setCurrentResources(previous);
  EXPECT_EQ(zkui::kIdCancel, end);  // closed, and the confirmation said Yes
  EXPECT_EQ(wxSize(480, 300), m_client);
  EXPECT_EQ("230,180,40", pixel(240, 202));  // the yellow band across the picture
}

// A language library and the program's own bundle, found along PATH.
class WindowResources : public ::testing::Test {
 protected:
  void SetUp() override {
    m_dir = m_root.path() / "bin";
    fs::create_directories(m_dir);
    const char* path = std::getenv("PATH");
    m_path = path != nullptr ? path : "";
    setenv("PATH", (m_dir.string() + ":" + m_path).c_str(), 1);
  }
  void TearDown() override {
    setenv("PATH", m_path.c_str(), 1);
    regSetLibraryLoader(nullptr);
    CLanguageRules::load("english");
  }
  zkroot::ScopedRoot m_root;
  fs::path m_dir;
  std::string m_path;
};

TEST_F(WindowResources, TheLanguageLibraryServesStringsAndTemplates) {
  std::string productCode = CProductCustomization::instance().productCode();
  std::ofstream(m_dir / languageLibraryName(kLanguageGerman, productCode))
      << "string 313 \"Veltrona Produktregistrierung\"\ndialog 2402 0 0 10 10 \"de\"\nend\n";
  std::ofstream(m_dir / kOwnBundleName) << "dialog 2402 0 0 10 10 \"own\"\nend\n";
  regSetLibraryLoader(regLoadLanguageBundle);

  ASSERT_TRUE(CLanguageRules::load("german").hasLibrary());
  EXPECT_EQ("Veltrona Produktregistrierung", regLoadString(313));
  ASSERT_TRUE(regUseWindowResources());
  EXPECT_EQ("de", zkui::currentResources()->dialog(2402)->caption);

  // No French library: English on the program's own strings and bundle.
  EXPECT_FALSE(CLanguageRules::load("french").hasLibrary());
  EXPECT_EQ(kLanguageEnglish, CLanguageRules::instance().index());
  EXPECT_EQ("Veltrona Product Registration", regLoadString(313));
  ASSERT_TRUE(regUseWindowResources());
  EXPECT_EQ("own", zkui::currentResources()->dialog(2402)->caption);
  fs::remove(m_dir / kOwnBundleName);
  EXPECT_FALSE(regUseWindowResources());
}

TEST(WindowPresenter, ExceptionsBecomeWarningBoxesOrTheirSequences) {
  std::vector<zkui::MessageBoxRequest> boxes;
  zkui::MessageBoxHook previous = zkui::setMessageBoxHook([&](const zkui::MessageBoxRequest& r) {
    boxes.push_back(r);
    return zkui::kIdNo;
  });
  regSetPresenter(&regWindowPresenter());
  EXPECT_EQ(zkui::kIdNo, reportRegException(CRegException(201, 0)));
  EXPECT_EQ(zkui::kIdNo, reportRegException(CRegException(213, 0)));
  EXPECT_EQ(0, reportRegException(CRegException(214, 0)));                // shows nothing
  EXPECT_EQ(0, reportRegException(CRegException(kExitConfirmation, 0)));  // no page set
  regWindowPresenter().m_exitConfirmation = [] { return kExitConfirmedYes; };
  EXPECT_EQ(kExitConfirmedYes, reportRegException(CRegException(kExitConfirmation, 0)));
  regWindowPresenter().m_exitConfirmation = nullptr;
  regSetPresenter(nullptr);
  zkui::setMessageBoxHook(previous);
  ASSERT_EQ(2u, boxes.size());
  EXPECT_EQ("First Name is a required field.", boxes[0].text);
  EXPECT_EQ("Veltrona Product Registration", boxes[0].caption);
  EXPECT_EQ(zkui::kMbOk | zkui::kMbIconExclamation, boxes[0].style);
  EXPECT_EQ(zkui::kMbYesNo | zkui::kMbIconExclamation, boxes[1].style);
}

}  // namespace
