// The Additional Information page's logic on fake controls, the gaps of the request filled,
// Submit with connect=no, and the bookmarks added to each browser.
#include "regaddpage.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "regbookmark.h"
#include "regconfig.h"
#include "regcustom.h"
#include "regdiag.h"
#include "reglang.h"
#include "regloopback_testutil.h"
#include "regnetscape.h"
#include "regpages_testutil.h"
#include "regregistrant.h"
#include "regres.h"
#include "regstate.h"
#include "regswitch.h"
#include "root.h"
#include "runtime.h"

namespace {

namespace fs = std::filesystem;
using regtest::FakeControls;

std::string readFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

TEST(QueryGaps, EveryMissingAnswerNumberGetsABlankInAscendingOrder) {
  struct Case {
    const char* request;
    int count;
    const char* want;
  };
  const Case cases[] = {
      {"q1=a&q3=b", 5, "q1=a&q3=b&q2=%20&q4=%20&q5=%20"},
      // q13x counts as 13; keys without a number behind their "q" and other keys do not count.
      {"campaign=056&q13x=1&qa=2&q=3&q2", 3, "campaign=056&q13x=1&qa=2&q=3&q2&q1=%20&q3=%20"},
      {"q1=x&q2=y", 2, "q1=x&q2=y"},
      {"", 1, "&q1=%20"},
  };
  for (const Case& c : cases) EXPECT_EQ(regFillQueryGaps(c.request, c.count), c.want) << c.request;
}

class AdditionalPage : public ::testing::Test {
 protected:
  void SetUp() override {
    CLanguageRules::load("english");
    CProductCustomization::install(nullptr);
    regResetSwitches();
    CRegistrant::instance().release();
    regSetDiag(&m_log);
    for (int id : kQuestionLists) m_controls.combo(id);
    for (int id :
         {kQuestionLabels[0], kQuestionLabels[1], kQuestionLabels[2], kAddUseLabel, kUseHome,
          kUseBusiness, kUseHomeBusiness, 2221, 2205, 2204, kAddTitle, kAddVisitTitle}) {
      m_controls.edit(id);
    }
  }
  void TearDown() override {
    regSetDiag(nullptr);
    regResetSwitches();
  }

  zkroot::ScopedRoot m_root;
  FakeControls m_controls;
  regtest::ScriptedPresenter m_presenter;
  std::ostringstream m_log;
};

TEST_F(AdditionalPage, WithoutConnectSubmitLogsTheRequestSavesAndReports1547) {
  CRegCommandLineInfo().ParseParam("connect=No", true, true);
  CRegistrant::instance().name().setFirstName("Ada");
  CRegistrant::instance().name().setLastName("Lovelace");
  CAdditionalInfoPage page(m_controls);
  page.load();
  page.init();
  EXPECT_EQ(m_controls.clicks, std::vector<int>{kUseBusiness});  // the product's default use
  EXPECT_EQ(m_controls.at(2221).text, regLoadString(300));
  ASSERT_TRUE(m_controls.choose(kQuestionLists[0], m_controls.itemText(kQuestionLists[0], 0)));
  std::string request;
  try {
    page.submit();
    ADD_FAILURE() << "submit went on without connect";
  } catch (const CRegException& e) {
    EXPECT_EQ(e.id(), 219);
    EXPECT_EQ(e.text(), "No connect parameter was specified. ");
  }
  std::string log = m_log.str();
  std::string line = log.substr(0, log.find('\n'));
  EXPECT_NE(line.find("&q18=BUSI&"), std::string::npos) << line;
  EXPECT_NE(line.find("method=InsertReg&numOfQuestions=27"), std::string::npos) << line;
  for (int n = 1; n <= 27; ++n)
    EXPECT_NE(line.find("q" + std::to_string(n) + "="), std::string::npos) << n;
  EXPECT_NE(log.find("\nOS: "), std::string::npos);
  // What Submit stored stays stored: the registrant with its new id, the use answer.
  EXPECT_EQ(CRegistrant::instance().get("q13").size(), 15u);
  EXPECT_EQ(regReadString("General", "q13"), CRegistrant::instance().get("q13"));
  EXPECT_EQ(regReadString("General", "firstName"), "Ada");
  EXPECT_EQ(regReadString(regSetting(RegSetting::ProductSection), "q18"), "BUSI");
  EXPECT_TRUE(m_presenter.shown.empty());  // no bookmark wished: nothing to report
}

TEST_F(AdditionalPage, TheUseAnswerAndChoicesComeBackOnTheNextShowingAndTheNextRun) {
  {
    CAdditionalInfoPage page(m_controls);
    page.load();
    ASSERT_TRUE(page.chooseUse(kUseHome));
    ASSERT_GT(m_controls.itemCount(kQuestionLists[1]), 1);
    std::string chosen = m_controls.itemText(kQuestionLists[1], 1);
    ASSERT_TRUE(m_controls.choose(kQuestionLists[1], chosen));
    page.store();
    EXPECT_EQ(CRegistrant::instance().getSecond(kUseKey), "HOME");
    // Back to the page in the same run: the home set with its choice.
    CAdditionalInfoPage again(m_controls);
    m_controls.clicks.clear();
    again.load();
    EXPECT_EQ(m_controls.clicks, std::vector<int>{kUseHome});
    EXPECT_EQ(m_controls.text(kQuestionLists[1]), chosen);
  }
  // A later run without the answer in the record takes the one saved in the stored state.
  regWriteString(regSetting(RegSetting::ProductSection), kUseKey, "HOBU");
  CRegistrant::instance().release();
  CAdditionalInfoPage next(m_controls);
  m_controls.clicks.clear();
  next.load();
  EXPECT_EQ(m_controls.clicks, std::vector<int>{kUseHomeBusiness});
}

TEST_F(AdditionalPage, ACustomisedProductHasNoUseQuestion) {
  CProductCustomization::install(regtest::customisedProduct());
  CAdditionalInfoPage page(m_controls);
  page.load();
  EXPECT_TRUE(page.customised());
  for (int id : {kAddUseLabel, kUseHome, kUseBusiness, kUseHomeBusiness})
    EXPECT_FALSE(m_controls.shown(id)) << id;
  EXPECT_TRUE(m_controls.clicks.empty());
  std::string request = page.buildRequest();
  EXPECT_NE(request.find("&q23=%20&q24=%20&q25=%20"), std::string::npos) << request;
  EXPECT_NE(request.find("&q18=%20"), std::string::npos) << request;  // filled as a gap
  CProductCustomization::install(nullptr);
}

// Bookmarks: the browser registered for .htm decides where they go.
class Bookmarks : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_GE(CoInitializeEx(nullptr, 0), 0);
    CProductCustomization::install(nullptr);
    CRegistrant::instance().release();
    regForgetNetscapeProfile();
    m_dir = m_root.path() / "browser";
    fs::create_directories(m_dir);
  }
  void TearDown() override {
    regForgetNetscapeProfile();
    CoUninitialize();
  }
  void wish(std::initializer_list<int> which) {
    for (int i : which) CRegistrant::instance().setBookmark(i, 1);
  }
  void favoritesIn(const fs::path& dir) {
    regtest::setRegString(HKEY_CLASSES_ROOT, ".htm", "", "htmlfile");
    regtest::setRegString(HKEY_CURRENT_USER,
                          "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders",
                          "Favorites", dir.string());
  }

  zkroot::ScopedRoot m_root;
  fs::path m_dir;
  regtest::ScriptedPresenter m_presenter;
};

TEST_F(Bookmarks, ExplorerGetsAShortcutPerWishedBookmark) {
  favoritesIn(m_dir);
  wish({0, 2});
  addSelectedBookmarks();
  EXPECT_TRUE(m_presenter.shown.empty());
  EXPECT_EQ(readFile(m_dir / (regLoadString(300) + ".url")),
            "[InternetShortcut]\r\nURL=" + regLoadString(301) + "\r\n");
  EXPECT_FALSE(fs::exists(m_dir / (regLoadString(302) + ".url")));
  EXPECT_TRUE(fs::exists(m_dir / (regLoadString(304) + ".url")));
  // A title the file names refuse makes the shortcut fail.
  EXPECT_EQ(addBookmark("What? Now", "http://a.example/"), 0);
}

TEST_F(Bookmarks, NetscapeGetsALineAppendedToAnExistingBookmarkFile) {
  regtest::setRegString(HKEY_CLASSES_ROOT, ".htm", "", "NetscapeMarkup");
  const char* users = "SOFTWARE\\Netscape\\Netscape Navigator\\Users";
  regtest::setRegString(HKEY_LOCAL_MACHINE, users, "CurrentUser", "ada");
  regtest::setRegString(HKEY_LOCAL_MACHINE, std::string(users) + "\\ada", "DirRoot",
                        m_dir.string());
  EXPECT_EQ(addBookmark("Home", "http://h.example/"), 0);  // no bookmark file yet
  std::ofstream(m_dir / "bookmark.htm") << "<DL>\n";
  EXPECT_EQ(addBookmark("Home", "http://h.example/"), 1);
  EXPECT_EQ(readFile(m_dir / "bookmark.htm"),
            "<DL>\n<DT><A HREF=\"http://h.example/\" ADD_DATE=\"910212194\" LAST_VISIT=\"0\" "
            "LAST_MODIFIED=\"0\">Home</A>\n");
}

TEST_F(Bookmarks, WithoutAnHtmlClass215IsShownOnceAndLaterBookmarksAreNotTried) {
  wish({0, 1, 2});
  addSelectedBookmarks();
  EXPECT_EQ(m_presenter.shown, std::vector<int>{kMsgBookmarksFailed});
  // The first fails in a folder that is missing; the others would go to one that exists.
  m_presenter.shown.clear();
  favoritesIn(m_dir / "missing");
  addSelectedBookmarks();
  EXPECT_EQ(m_presenter.shown, std::vector<int>{kMsgBookmarksFailed});
  EXPECT_TRUE(fs::is_empty(m_dir));
}

}  // namespace
