// The contact and system information pages' logic on fake controls: the checks on leaving a
// field and on Next, the answers to their questions, the country's effects on the address
// block, the name's free prefix for Japanese, and the system page's choice.
#include <gtest/gtest.h>

#include "regcontact.h"
#include "regcustom.h"
#include "regfields.h"
#include "reglang.h"
#include "regpages_testutil.h"
#include "regquestion.h"
#include "regregistrant.h"
#include "regres.h"
#include "regsysinfo.h"
#include "regsyspage.h"

namespace {

using regtest::FakeControls;

class ContactPage : public ::testing::Test {
 protected:
  void SetUp() override {
    CLanguageRules::load("english");
    CProductCustomization::install(regtest::companyProduct());
    resetRegistrant();
    regtest::declareContactControls(m_controls, CLanguageRules::instance().index() == 4);
  }
  void TearDown() override { CProductCustomization::install(nullptr); }

  static void resetRegistrant() {
    CRegistrant& r = CRegistrant::instance();
    r.release();
    r.name().setPrefix("", -1);
    r.name().setSuffix("", -1);
    r.address().setCountry("", -1);
    r.address().setState("", "");
    r.address().setFrenchCorrespondence(0);
  }

  // A page whose every field passes the checks, for Canada.
  CContactInfoPage& open() {
    m_page = std::make_unique<CContactInfoPage>(m_controls);
    m_page->load();
    m_page->init();
    return *m_page;
  }
  CContactInfoPage& openFilled() {
    open();
    m_controls.choose(kNamePrefix, "Ms.");
    m_controls.setText(kNameFirst, "Ada");
    m_controls.setText(kNameLast, "Lovelace");
    m_controls.setText(kAddrStreet, "12 King Street");
    m_controls.setText(kAddrCity, "Toronto");
    chooseCountry("Canada");
    m_controls.choose(kAddrState, "Ontario");
    m_controls.setText(kAddrPostalCode, "M5V 2T6");
    m_controls.setText(kPhoneNumber, "416 555 0199");
    m_controls.setText(kContactEmail, "ada@example.com");
    return *m_page;
  }
  void chooseCountry(const std::string& name) {
    ASSERT_TRUE(m_controls.choose(kAddrCountry, name)) << name;
    m_page->countryChanged();
  }
  std::vector<std::string> items(int id) {
    std::vector<std::string> texts;
    for (int i = 0; i < m_controls.itemCount(id); ++i) texts.push_back(m_controls.itemText(id, i));
    return texts;
  }

  FakeControls m_controls;
  regtest::ScriptedPresenter m_presenter;
  std::unique_ptr<CContactInfoPage> m_page;
};

TEST_F(ContactPage, AFilledPageSavesIntoTheRegistrant) {
  CContactInfoPage& page = openFilled();
  m_controls.setText(kContactCompany, "Analytical Engines");
  ASSERT_TRUE(page.next());
  EXPECT_TRUE(m_presenter.shown.empty());
  CRegistrant& r = CRegistrant::instance();
  EXPECT_EQ(r.get("firstName"), "Ada");
  EXPECT_EQ(r.get("prefix"), "MS");
  EXPECT_EQ(r.get("company"), "Analytical Engines");
  EXPECT_EQ(r.get("country"), "CA");
  EXPECT_EQ(r.get("stateProv"), "ON");
  EXPECT_EQ(r.get("zip"), "M5V 2T6");
  EXPECT_EQ(r.get("email"), "ada@example.com");
  EXPECT_EQ(r.get("q10"), "9");
  EXPECT_EQ(r.get("q4"), "5");
}

TEST_F(ContactPage, APipeInTheCompanyIsRefusedOnLeavingItAndAgainOnNext) {
  CContactInfoPage& page = openFilled();
  m_controls.setText(kContactCompany, "Engines | Co");
  page.leaveField(kContactCompany);
  EXPECT_EQ(m_presenter.shown, std::vector<int>{217});
  EXPECT_EQ(m_controls.focused(), kContactCompany);
  m_controls.focus(kContactEmail);
  EXPECT_FALSE(page.next());
  EXPECT_EQ(m_presenter.shown, (std::vector<int>{217, 217}));
  EXPECT_EQ(m_controls.focused(), kContactCompany);
}

TEST_F(ContactPage, APipeInTheFirstNameIsReportedBeforeTheAddressIsChecked) {
  CContactInfoPage& page = openFilled();
  m_controls.setText(kNameFirst, "A|da");
  m_controls.setText(kAddrStreet, "");
  EXPECT_FALSE(page.next());
  EXPECT_EQ(m_presenter.shown, std::vector<int>{217});
  EXPECT_EQ(m_controls.focused(), kNameFirst);
}

TEST_F(ContactPage, FieldsAreCheckedWhenTheFocusLeavesThem) {
  struct Case {
    int id;
    const char* text;
    int message;
  } cases[] = {
      {kNameFirst, "Ada2", 221},      {kNameLast, "Love\\lace", 217},
      {kAddrCity, "To|ronto", 217},   {kAddrPostalCode, "M5V#2T6", 246},
      {kContactJobTitle, "a|b", 217}, {kContactEmail, "a|b", 217},
      {kPhoneExtension, "12x", 246},  {kNameFirst, "Ada", 0},
      {kAddrPostalCode, "M5V", 0},
  };
  CContactInfoPage& page = openFilled();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    m_presenter.shown.clear();
    m_controls.focus(0);
    std::string before = m_controls.text(c.id);
    m_controls.setText(c.id, c.text);
    page.leaveField(c.id);
    EXPECT_EQ(m_presenter.shown, c.message ? std::vector<int>{c.message} : std::vector<int>{});
    EXPECT_EQ(m_controls.focused(), c.message ? c.id : 0);
    m_controls.setText(c.id, before);
  }
}

TEST_F(ContactPage, NoToAShortPostalCodeKeepsItAndTheChecksRunAgainWithoutIt) {
  CContactInfoPage& page = openFilled();
  m_controls.setText(kAddrPostalCode, "M5V");
  m_controls.setText(kContactEmail, "");
  m_presenter.answers = {kRegIdYes};
  EXPECT_FALSE(page.next());
  EXPECT_EQ(m_presenter.shown, std::vector<int>{1516});
  EXPECT_EQ(m_controls.focused(), kAddrPostalCode);

  // No keeps the code; the run starts again, passes the postal code and goes on to the e-mail.
  m_presenter.shown.clear();
  m_presenter.answers = {kRegIdNo, kRegIdNo};
  m_controls.focus(0);
  EXPECT_TRUE(page.next());
  EXPECT_EQ(m_presenter.shown, (std::vector<int>{1516, 213}));
  EXPECT_EQ(m_controls.focused(), 0);
  EXPECT_EQ(CRegistrant::instance().get("zip"), "M5V");
}

TEST_F(ContactPage, LeavingThePostalCodeAsksAboutItAgainOnNext) {
  CContactInfoPage& page = openFilled();
  m_controls.setText(kAddrPostalCode, "M5V");
  m_presenter.answers = {kRegIdNo};
  EXPECT_TRUE(page.next());
  page.leaveField(kAddrPostalCode);
  m_presenter.shown.clear();
  m_presenter.answers = {kRegIdNo};
  EXPECT_TRUE(page.next());
  EXPECT_EQ(m_presenter.shown, std::vector<int>{1516});
}

TEST_F(ContactPage, NoToTheEmailQuestionGoesOnUntilTheEmailIsEdited) {
  CContactInfoPage& page = openFilled();
  m_controls.setText(kContactEmail, "");
  m_presenter.answers = {kRegIdYes};
  EXPECT_FALSE(page.next());
  EXPECT_EQ(m_controls.focused(), kContactEmail);
  m_presenter.answers = {kRegIdNo};
  EXPECT_TRUE(page.next());
  EXPECT_TRUE(page.emailDeclined());
  EXPECT_EQ(CRegistrant::instance().get("email"), "");

  m_presenter.shown.clear();
  EXPECT_TRUE(page.next());  // declined: not asked again
  EXPECT_TRUE(m_presenter.shown.empty());

  m_controls.setText(kContactEmail, "ada at home");
  page.leaveField(kContactEmail);
  EXPECT_FALSE(page.emailDeclined());
  m_presenter.answers = {kRegIdYes};
  EXPECT_FALSE(page.next());
  EXPECT_EQ(m_presenter.shown, std::vector<int>{216});
}

TEST_F(ContactPage, AShortPhoneNumberIsAskedAboutOnLeavingAndKeptWithNo) {
  CContactInfoPage& page = openFilled();
  m_controls.setText(kPhoneNumber, "555 0199");
  m_presenter.answers = {kRegIdYes};
  m_controls.focus(0);
  page.leaveField(kPhoneNumber);
  EXPECT_EQ(m_presenter.shown, std::vector<int>{1515});
  EXPECT_EQ(m_controls.focused(), kPhoneNumber);

  m_presenter.answers = {kRegIdNo};
  m_controls.focus(0);
  page.leaveField(kPhoneNumber);
  EXPECT_EQ(m_controls.focused(), 0);
  m_presenter.shown.clear();
  EXPECT_TRUE(page.next());
  EXPECT_TRUE(m_presenter.shown.empty());
}

TEST_F(ContactPage, TheCountryDecidesTheStateListAndTheFrenchBox) {
  open();
  m_controls.setChecked(kAddrFrench, 1);
  chooseCountry("United States");
  EXPECT_FALSE(m_controls.shown(kAddrFrench));
  EXPECT_EQ(m_controls.checked(kAddrFrench), 0);
  EXPECT_TRUE(m_controls.shown(kAddrState) && m_controls.shown(kAddrStateLabel));
  std::vector<std::string> states = items(kAddrState);
  EXPECT_EQ(states.size(), 51u);
  EXPECT_EQ(states.front(), "Alabama");
  EXPECT_NE(std::find(states.begin(), states.end(), "Texas"), states.end());

  chooseCountry("Canada");
  EXPECT_TRUE(m_controls.shown(kAddrFrench) && m_controls.enabled(kAddrFrench));
  states = items(kAddrState);
  EXPECT_EQ(states.size(), 12u);
  EXPECT_NE(std::find(states.begin(), states.end(), "Ontario"), states.end());
  m_controls.setChecked(kAddrFrench, 1);

  chooseCountry("Germany");
  EXPECT_FALSE(m_controls.shown(kAddrFrench));
  EXPECT_EQ(m_controls.checked(kAddrFrench), 0);
  EXPECT_FALSE(m_controls.shown(kAddrState) || m_controls.shown(kAddrStateLabel));
}

TEST_F(ContactPage, TheSavedCountryAndStateAreSelectedAgain) {
  CRegistrant::instance().address().setCountry("Canada", 27);
  CRegistrant::instance().address().setState("Quebec", "QC");
  CRegistrant::instance().address().setFrenchCorrespondence(1);
  open();
  EXPECT_EQ(m_controls.text(kAddrCountry), "Canada");
  EXPECT_EQ(m_controls.text(kAddrState), "Quebec");
  EXPECT_EQ(m_controls.checked(kAddrFrench), 1);
  EXPECT_EQ(items(kAddrCountry).size(), 169u);
}

TEST_F(ContactPage, TheNameListsHoldThePrefixesAndSuffixes) {
  CRegistrant::instance().name().setSuffixText("Jr.");
  open();
  EXPECT_EQ(items(kNamePrefix), (std::vector<std::string>{"Mr.", "Ms.", "Mrs.", "Miss", "Dr."}));
  EXPECT_EQ(items(kNameSuffix).size(), 10u);
  EXPECT_EQ(m_controls.text(kNameSuffix), "Jr.");
  EXPECT_EQ(m_controls.at(kNamePrefix).maxChars, 20);
  EXPECT_EQ(m_controls.at(kNameFirst).maxChars, 30);
}

TEST_F(ContactPage, AJobTitleThatHoldsAnswer22HidesTheCompany) {
  CProductCustomization::selectVariant("orbenix");
  CRegistrant::instance().setCompany("Old Company");
  CContactInfoPage& page = openFilled();
  EXPECT_FALSE(m_controls.shown(kContactCompany) || m_controls.shown(kContactCompanyLabel));
  EXPECT_EQ(m_controls.text(kContactJobTitleLabel), "Customer Reference:");
  EXPECT_EQ(m_controls.right(kContactJobTitle), 450);
  EXPECT_EQ(m_controls.at(kContactJobTitle).maxChars, 60);
  m_controls.setText(kContactJobTitle, "REF-0042");
  ASSERT_TRUE(page.next());
  EXPECT_EQ(CRegistrant::instance().get("q22"), "REF-0042");
  EXPECT_EQ(CRegistrant::instance().get("company"), "");
  EXPECT_EQ(CRegistrant::instance().get("jobTitle"), "");
}

class JapaneseContactPage : public ContactPage {
 protected:
  void SetUp() override {
    ContactPage::SetUp();
    m_language = std::make_unique<regtest::ScopedLanguage>("japanese");
    regtest::declareContactControls(m_controls, true);
  }
  void TearDown() override {
    ContactPage::TearDown();
    m_language.reset();
  }
  std::unique_ptr<regtest::ScopedLanguage> m_language;
};

TEST_F(JapaneseContactPage, PrefixAndSuffixAreFreeEditsOfFiftyCharacters) {
  ASSERT_EQ(CLanguageRules::instance().index(), 4);
  CContactInfoPage& page = open();
  EXPECT_EQ(m_controls.at(kNamePrefix).maxChars, 50);
  EXPECT_EQ(m_controls.at(kNameSuffix).maxChars, 50);
  std::string fifty(50, 'k');
  m_controls.setText(kNamePrefix, fifty);
  EXPECT_EQ(page.name().prefix(), fifty);
  EXPECT_FALSE(m_controls.shown(kNameInitial));
  // Canada shows no French box for this language, and Japan's prefectures keep their order.
  chooseCountry("Canada");
  EXPECT_FALSE(m_controls.shown(kAddrFrench));
  chooseCountry("Japan");
  std::vector<std::string> prefectures = items(kAddrState);
  ASSERT_EQ(prefectures.size(), 47u);
  EXPECT_EQ(prefectures.front(), "Hokkaido");
  EXPECT_EQ(prefectures.back(), "Okinawa");
}

class SystemPage : public ::testing::Test {
 protected:
  void SetUp() override {
    regtest::declareSystemControls(m_controls);
    CSystemInfo::instance().setSendBios(true);
  }
  void TearDown() override { CSystemInfoPage::forgetBiosFacts(); }
  FakeControls m_controls;
};

TEST_F(SystemPage, TheChoiceLivesInTheRecordAndNoSendsNoOperatingSystem) {
  CSystemInfoPage::presetBiosFacts("Orbenix", "ZX-1", "SN123");
  {
    CSystemInfoPage page(m_controls);
    page.load();
    EXPECT_EQ(m_controls.clicks, std::vector<int>{kSystemYes});
    EXPECT_EQ(m_controls.text(kSystemModel), "ZX-1");
    EXPECT_TRUE(m_controls.enabled(kSystemSerialLabel));
    EXPECT_EQ(m_controls.text(kSystemOs), getOsName() + " " + getOsVersion());
    page.choose(false);
    page.save();
  }
  EXPECT_FALSE(CSystemInfo::instance().sendBios());
  EXPECT_EQ(CSystemInfo::instance().get("q2"), "");
  EXPECT_EQ(CSystemInfo::instance().get("q3"), "");

  m_controls.clicks.clear();
  CSystemInfoPage again(m_controls);
  again.load();
  EXPECT_EQ(m_controls.clicks, std::vector<int>{kSystemNo});
  again.choose(true);
  again.save();
  EXPECT_EQ(CSystemInfo::instance().get("q2"), getOsName());
}

TEST_F(SystemPage, MissingBiosFactsDisableTheirLabels) {
  CSystemInfoPage::presetBiosFacts("", "", "");
  CSystemInfoPage page(m_controls);
  page.load();
  for (int label : {kSystemManufacturerLabel, kSystemModelLabel, kSystemSerialLabel}) {
    EXPECT_FALSE(m_controls.enabled(label)) << label;
  }
  EXPECT_EQ(m_controls.text(kSystemManufacturer), "");
}

}  // namespace

namespace {

class CustomerType : public ::testing::Test {
 protected:
  void SetUp() override {
    CProductCustomization::selectVariant("orbenix");
    CRegistrant::instance().release();
    for (int q = 0; q < 3; ++q) {
      m_controls.edit(kQuestionLabels[q]);
      m_controls.combo(kQuestionLists[q]);
    }
  }
  FakeControls m_controls;
};

TEST_F(CustomerType, SwitchingFromBusinessToHomeClearsTheBusinessAnswersInTheRecord) {
  CQuestionnaire questions;
  CCustomerType type(m_controls, questions);
  type.open();
  EXPECT_EQ(type.kind(), "BUSI");
  EXPECT_EQ(m_controls.clicks, std::vector<int>{kUseBusiness});
  EXPECT_EQ(m_controls.text(kQuestionLabels[0]), regLoadString(750));
  ASSERT_TRUE(m_controls.choose(kQuestionLists[0], regLoadString(755)));  // Finance
  EXPECT_NE(type.queryText().find("&q27=" + questions.business(0).selectedCode()),
            std::string::npos);

  ASSERT_TRUE(type.choose(kUseHome));
  EXPECT_EQ(m_controls.text(kQuestionLabels[0]), regLoadString(900));
  EXPECT_EQ(m_controls.selection(kQuestionLists[0]), -1);
  std::string query = type.queryText();
  EXPECT_EQ(query.rfind("&q18=HOME&q19=", 0), 0u) << query;
  EXPECT_NE(query.find("&q27=%20"), std::string::npos) << query;  // not in use: a blank
  type.store(CRegistrant::instance());
  EXPECT_EQ(CRegistrant::instance().getThird("7518"), "1");
  EXPECT_EQ(CRegistrant::instance().getThird("7527"), "");

  // Back to business: the earlier choice is there again.
  ASSERT_TRUE(type.choose(kUseBusiness));
  EXPECT_EQ(m_controls.text(kQuestionLists[0]), regLoadString(755));
  EXPECT_FALSE(type.choose(kContactNext));
}

}  // namespace

namespace {

TEST_F(ContactPage, WithoutACountryNextAsksForOne) {
  CContactInfoPage& page = openFilled();
  m_controls.select(kAddrCountry, -1);
  EXPECT_FALSE(page.next());
  EXPECT_EQ(m_presenter.shown, std::vector<int>{207});
  EXPECT_EQ(m_controls.focused(), kAddrCountry);
}

}  // namespace
