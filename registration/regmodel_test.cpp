// The registration model without windows: the ordered map and the query encoder, the survey
// record, the registrant record with its stored state and query, the system facts and the
// registrant id, the checks by country, language and product, and the questionnaire.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "regaddress.h"
#include "regapp.h"
#include "regcustom.h"
#include "regexcept.h"
#include "regform.h"
#include "reglang.h"
#include "regquery.h"
#include "regquestion.h"
#include "regregistrant.h"
#include "regstate.h"
#include "regswitch.h"
#include "regsysinfo.h"
#include "root.h"

namespace {

TEST(QueryEncoding, KeepsLettersDigitsAndUnderscoreAndEscapesEveryOtherByte) {
  const std::pair<std::string, std::string> cases[] = {
      {"", ""},     {"Ab_9", "Ab_9"},       {"\t", "%09"},   {"\xE9", "%e9"},
      {" ", "%20"}, {"a b.c", "a%20b%2ec"}, {"\x01", "%01"}, {"%&=", "%25%26%3d"},
  };
  for (const auto& [text, encoded] : cases) EXPECT_EQ(regEncoded(text), encoded) << text;
}

TEST(OrderedMap, IteratesByBucketNewestFirstAndKeepsThePlaceOfAReplacedKey) {
  CRegStringMap map;
  for (const char* key : {"campaign", "service", "method", "surveyId", "numOfQuestions"}) {
    map.set(key, "v");
  }
  map.set("campaign", "again");
  std::vector<std::string> keys;
  for (const auto& [key, value] : map.entries()) keys.push_back(key);
  EXPECT_EQ(keys, (std::vector<std::string>{"method", "numOfQuestions", "campaign", "service",
                                            "surveyId"}));
  EXPECT_EQ(map.get("campaign"), "again");
  EXPECT_EQ(map.get("missing"), "");
  EXPECT_EQ(map.size(), 5u);
  EXPECT_TRUE(map.remove("method"));
  EXPECT_FALSE(map.remove("method"));
  map.set("campaign", "third");  // a key after the removed one keeps its place and its value
  keys.clear();
  for (const auto& [key, value] : map.entries()) keys.push_back(key);
  EXPECT_EQ(keys, (std::vector<std::string>{"numOfQuestions", "campaign", "service", "surveyId"}));
  EXPECT_EQ(map.get("campaign"), "third");
  EXPECT_EQ(map.size(), 4u);
}

TEST(SurveyRecord, WritesTheFivePairsInItsFixedOrder) {
  CSurveyRecord& survey = CSurveyRecord::instance();
  survey.release();
  survey.setCampaign("999");
  survey.setDefaults();
  EXPECT_EQ(
      survey.queryText(),
      "method=InsertReg&numOfQuestions=27&campaign=056&service=RegistrationServices%2eRegister"
      "&surveyId=1");
  survey.setSurveyId("");
  EXPECT_EQ(survey.queryText().substr(survey.queryText().rfind('&')), "&surveyId=%20");
  survey.release();
}

class Registrant : public ::testing::Test {
 protected:
  void SetUp() override {
    regResetSwitches();
    CProductCustomization::selectVariant("orbenix");
    m_Record.release();
  }
  void TearDown() override { regResetSwitches(); }
  zkroot::ScopedRoot m_Root;
  CRegistrant m_Record;
};

TEST_F(Registrant, SettersFillTheAnswerMap) {
  CPostalAddress& address = m_Record.address();
  address.setCountry("Canada", 27);
  EXPECT_EQ(m_Record.get("country"), "CA");
  address.setCountry("Nowhere", -1);
  EXPECT_EQ(m_Record.get("country"), "");
  EXPECT_EQ(address.getCountryText(), "");
  address.setState("Quebec", "QC");
  EXPECT_EQ(m_Record.get("stateProv"), "QC");
  address.setState("Quebec", "  ");
  EXPECT_EQ(m_Record.get("stateProv"), "");
  EXPECT_EQ(address.getStateText(), "");
  address.setFrenchCorrespondence(1);
  EXPECT_EQ(m_Record.get("q6"), "fr_CA");
  m_Record.name().setPrefix("Dr.", 4);
  m_Record.name().setSuffix("?", 10);
  EXPECT_EQ(m_Record.get("prefix"), "DR");
  EXPECT_EQ(m_Record.get("suffix"), "");
  m_Record.setMarketingConsent(0);
  EXPECT_EQ(m_Record.get("q26"), "2");
  m_Record.setFixedAnswers();
  EXPECT_EQ(m_Record.get("q10"), "9");
  EXPECT_EQ(m_Record.get("q11"), "2");
  EXPECT_EQ(m_Record.get("q4"), "5");
}

TEST_F(Registrant, ReleaseEmptiesTheAnswersAndTheDisplayState) {
  m_Record.address().setCountry("Canada", 27);
  m_Record.address().setState("Quebec", "QC");
  m_Record.address().setFrenchCorrespondence(1);
  m_Record.name().setPrefix("Dr.", 4);
  m_Record.setMarketingConsent(0);
  m_Record.setBookmark(1, 1);
  m_Record.setExitConfirmation(0);
  m_Record.setConnectionOutcome(-2);
  m_Record.release();
  EXPECT_TRUE(m_Record.answers().empty());
  EXPECT_EQ(m_Record.address().getCountryIndex(), -1);
  EXPECT_EQ(m_Record.address().getCountryText(), "");
  EXPECT_EQ(m_Record.address().getStateText(), "");
  EXPECT_EQ(m_Record.address().stateCode(), "");
  EXPECT_EQ(m_Record.address().frenchCorrespondence(), 0);
  EXPECT_EQ(m_Record.name().prefixIndex(), -1);
  EXPECT_EQ(m_Record.name().getPrefixText(), "");
  EXPECT_EQ(m_Record.marketingConsent(), 1);
  EXPECT_EQ(m_Record.bookmark(1), 0);
  EXPECT_EQ(m_Record.exitConfirmation(), 1);
  EXPECT_TRUE(m_Record.connectionOk());
  m_Record.address().setCity("Laval");  // the parts still write into the record's answers
  EXPECT_EQ(m_Record.get("city"), "Laval");
}

TEST(EndOfProcess, ReleasesTheRegistrantSurveyAndSystemRecords) {
  CRegistrant::instance().set("firstName", "Ann");
  CRegistrant::instance().address().setCountry("Canada", 27);
  CSurveyRecord::instance().setCampaign("c");
  CSystemInfo::instance().set("prod1", "ZK-1");
  regEndOfProcess();
  EXPECT_TRUE(CRegistrant::instance().answers().empty());
  EXPECT_EQ(CRegistrant::instance().address().getCountryIndex(), -1);
  EXPECT_EQ(CSurveyRecord::instance().queryText(), "");
  EXPECT_EQ(CSystemInfo::instance().get("prod1"), "");
}

TEST_F(Registrant, SavesAndLoadsItsStateButNeverAStateOfXX) {
  m_Record.name().setFirstName("Ada");
  m_Record.name().setLastName("Lovelace");
  m_Record.name().setPrefix("Ms.", 1);
  m_Record.address().setStreet("12 Analytical Row");
  m_Record.address().setCity("London");
  m_Record.address().setState("XX", "XX");
  m_Record.address().setCountry("United Kingdom", 157);
  m_Record.address().setFrenchCorrespondence(0);
  m_Record.phone().setPhone("020 7946 0000");
  m_Record.setJobTitle("Analyst");
  m_Record.setEmail("ada@example.org");
  m_Record.setFixedAnswers();
  m_Record.setRegistrantId("ABC");
  m_Record.saveToRegistry();
  EXPECT_EQ(regReadString("General", "stateProv"), "");
  EXPECT_EQ(regReadString("General", "prefix"), "Ms.");
  EXPECT_EQ(regReadString("ZARNAKSQL", "q10"), "9");
  EXPECT_EQ(regReadString("General", "jobTitle"), "");  // the product keeps it as answer 22

  CRegistrant loaded;
  loaded.loadFromRegistry();
  EXPECT_EQ(loaded.name().getFirstName(), "Ada");
  EXPECT_EQ(loaded.name().getPrefixText(), "Ms.");
  EXPECT_EQ(loaded.address().getCountryText(), "United Kingdom");
  EXPECT_EQ(loaded.address().getCity(), "London");
  EXPECT_EQ(loaded.phone().getPhone(), "020 7946 0000");
  EXPECT_EQ(loaded.get("q13"), "ABC");
  EXPECT_EQ(loaded.get("q26"), "0");
  EXPECT_EQ(loaded.get("q6"), "");
  CRegStringMap answers = loaded.answers();
  std::string value;
  EXPECT_FALSE(answers.lookup("prefix", value));  // only a page choice sets these
  EXPECT_FALSE(answers.lookup("suffix", value));
  EXPECT_FALSE(answers.lookup("country", value));
}

TEST_F(Registrant, AGoldenQueryInRegressionMode) {
  CRegCommandLineInfo().ParseParam("regressionTest=Yes", true, true);
  m_Record.name().setFirstName("Zoë");
  m_Record.name().setLastName("O'Neil");
  m_Record.address().setCity("");
  m_Record.setRegistrantId("IGNORED");
  EXPECT_EQ(m_Record.buildRegistrantQuery(),
            "firstName=Zo%c3%ab&lastName=O%27Neil&city=%20&q13=00629B380864C61"
            "&q14=Tamrel%20Regression%20Test%20Version");
}

TEST(SystemInfo, QueryWithAndWithoutTheBiosAndTheProductList) {
  CSystemInfo& info = CSystemInfo::instance();
  info.release();
  info.setOsName("Linux");
  info.setOsVersion("V6.1 (Build 0)");
  info.setNumOfProds("3");
  info.set("prod1", "A");
  info.set("prod2", "B");
  info.set("prod3", "C");
  info.setBios("q15", " Orbenix ");
  info.setBios("q16", "");
  info.setBios("q17", "SN1");
  EXPECT_EQ(info.getProductListText(), "A B C");
  std::string general = "numOfProds=3&q2=Linux&q3=V6%2e1%20%28Build%200%29&prod1=A&prod2=B&prod3=C";
  EXPECT_EQ(info.getQueryText(), general + "&q17=SN1&q15=%20Orbenix%20&q16=%20");
  info.setSendBios(false);
  EXPECT_EQ(info.getQueryText(), general);
  std::string manufacturer, product, serial;
  info.getBiosInfo(manufacturer, product, serial);
  EXPECT_EQ(manufacturer, "Orbenix");
  info.release();
}

TEST(RegistrantId, HasItsLengthAndATailOfTheTwoTexts) {
  const std::string guid = "0123456789ABCDEF0123456789ABCDEF";  // tail: 123456789ABCDEF
  EXPECT_EQ(makeRegistrantIdFrom(guid, "x", "Smith"), "56789ABCDEF536D");
  EXPECT_EQ(makeRegistrantIdFrom(guid, "A", "S"), "56789ABCDEF5341");
  EXPECT_EQ(makeRegistrantIdFrom(guid, "", ""), "3456789ABCDEF0");
  EXPECT_EQ(makeRegistrantIdFrom(guid, "x", "\xE9\xE8"), "56789ABCDEFE9E8");  // unsigned bytes
  std::string fresh = makeRegistrantId("Ada", "Lovelace");
  EXPECT_EQ(fresh.size(), 15u);
  EXPECT_EQ(fresh.substr(11), "4C6F");
  EXPECT_NE(fresh, makeRegistrantId("Ada", "Lovelace"));
}

// Runs a check and gives the id it threw, 0 when it passed.
template <class Check>
int thrownId(Check check) {
  try {
    check();
  } catch (const CRegException& e) {
    return e.id();
  }
  return 0;
}

class Validation : public ::testing::Test {
 protected:
  void SetUp() override {
    CProductCustomization::selectVariant("orbenix");
    regSetLibraryLoader([](const std::string&) -> std::unique_ptr<CRegResourceModule> {
      class CEmpty : public CRegResourceModule {
        bool loadString(int, std::string&) const override { return false; }
      };
      return std::make_unique<CEmpty>();
    });
    CLanguageRules::load("english");
  }
  void TearDown() override {
    regSetLibraryLoader(nullptr);
    regSetResourceModule(nullptr);
  }
};

TEST_F(Validation, PostalCodesByCountry) {
  struct Case {
    int country;
    const char* code;
    int id;
  };
  const Case cases[] = {
      {158, "12345", 0},
      {158, "12345-6789", 0},
      {158, "12345-", 0},
      {158, "123456789", 0},
      {158, "1234-5678", 246},
      {158, "12-345", 246},
      {158, "1234", 224},
      {158, "", 224},
      {158, "12345 ", 246},
      {27, "K1A 0B1", 0},
      {27, "K1A", 1516},
      {27, "K1A_0B1", 246},
      {51, "75 001", 0},
      {51, "7500A", 246},
      {51, "7500", 1517},
      {33, "100 080", 0},
      {33, "10008", 1517},
      {33, "1000-80", 246},
      {7, "1010", 0},
      {76, "1000001", 0},
      // Characters, not bytes: a full-width code and an "ß" count as letters or digits.
      {76, "\xEF\xBC\x91\xEF\xBC\x90\xEF\xBC\x90\xEF\xBC\x8D\xEF\xBC\x90\xEF\xBC\x90\xEF\xBC\x91",
       0},
      {76, "\xEF\xBC\x91\xEF\xBC\x90\xEF\xBC\x90", 1516},
      {56, "6031\xC3\x9F", 0},
      {56, "603\xC3\x9F", 1516},
      {56, "6031\xFF", 246},  // a byte that is no character
  };
  for (const Case& c : cases) {
    std::unique_ptr<CAddressRules> rules = regCountryRules(c.country);
    EXPECT_EQ(thrownId([&] { rules->validatePostalCode(c.code); }), c.id)
        << c.country << " " << c.code;
  }
}

TEST_F(Validation, PhonesNamesAndAddresses) {
  std::unique_ptr<CAddressRules> us = regCountryRules(158);
  struct PhoneCase {
    const char* phone;
    int id;
  };
  const PhoneCase phones[] = {
      {"+1 (555) 010-1234", 0}, {"555-0101", 1515}, {"555 0101 x9", 246}, {"", 0}, {"a|b", 217}};
  for (const PhoneCase& c : phones) {
    EXPECT_EQ(thrownId([&] { us->validatePhone({c.phone, "", false}); }), c.id) << c.phone;
  }
  EXPECT_EQ(thrownId([&] { us->validatePhone({"555-0101", "", true}); }), 0);  // accepted
  EXPECT_EQ(thrownId([&] { us->validatePhone({"", "12a", false}); }), 246);

  struct NameCase {
    DNamePanel panel;
    int id;
  };
  const NameCase names[] = {
      {{"Ada", "Lovelace", "", "MS", ""}, 0},   {{"", "Lovelace", "", "MS", ""}, 201},
      {{"Ada", "", "", "MS", ""}, 202},         {{"Ada2", "Lovelace", "", "MS", ""}, 221},
      {{"Ada", "Love|ace", "", "MS", ""}, 217}, {{"Ada", "Lovelace", "", "", ""}, 1519},
  };
  for (const NameCase& c : names) {
    EXPECT_EQ(thrownId([&] { us->validateName(c.panel); }), c.id) << c.panel.firstName;
  }

  DAddressPanel address{"", "12 Main Street", "Springfield", "IL", "62701", 158, false};
  EXPECT_EQ(thrownId([&] { us->validateAddress(address); }), 0);
  DAddressPanel noLetters = address;
  noLetters.street = "12 34";
  EXPECT_EQ(thrownId([&] { us->validateAddress(noLetters); }), 222);
  DAddressPanel noState = address;
  noState.stateText = " ";
  EXPECT_EQ(thrownId([&] { us->validateAddress(noState); }), 205);
  DAddressPanel noCountry = address;
  noCountry.countryIndex = -1;
  EXPECT_EQ(thrownId([&] { us->validateAddress(noCountry); }), 207);
  DAddressPanel keptZip = address;
  keptZip.postalCode = "123";
  EXPECT_EQ(thrownId([&] { us->validateAddress(keptZip); }), 224);
  keptZip.postalCodeAccepted = true;
  EXPECT_EQ(thrownId([&] { us->validateAddress(keptZip); }), 0);
}

TEST_F(Validation, JapaneseNeedsAPrefixAndChineseChecksTheLastNameFirst) {
  std::unique_ptr<CAddressRules> japan = regCountryRules(76);
  CProductCustomization::selectVariant("workgroup");  // its own answers: prefix required too
  CLanguageRules::load("japanese");
  EXPECT_EQ(thrownId([&] { japan->validateName({"Taro", "Yamada", "", "", "Sama"}); }), 1519);
  CLanguageRules::load("chs");
  EXPECT_EQ(thrownId([&] { japan->validateName({"", "", "", "MR", ""}); }), 202);
  CLanguageRules::load("english");
  EXPECT_EQ(thrownId([&] { japan->validateName({"", "", "", "MR", ""}); }), 201);
}

TEST(CountryOfTheLocale, DefaultsToTheUnitedStates) {
  EXPECT_EQ(regCountryOfLocale("English_United States.1252"), 158);
  EXPECT_EQ(regCountryOfLocale("French_Atlantis.1252"), 158);
  EXPECT_EQ(regCountryOfLocale("Portuguese_Portugal.1252"), 121);
  EXPECT_EQ(regCountryName(158), "United States");
  EXPECT_EQ(regCountryName(168), "Zimbabwe");
  std::unique_ptr<CAddressRules> us = regCountryRules(158);
  EXPECT_EQ(us->stateCount(), 51);
  EXPECT_EQ(us->stateName(50), "Wyoming");
  EXPECT_EQ(us->stateCode(50), "WY");
  EXPECT_EQ(regCountryRules(21)->stateName(24), "São Paulo");
  EXPECT_EQ(regCountryRules(27)->stateCode(9), "QC");
  EXPECT_EQ(&regRulesForCountry(27), &regRulesForCountry(27));
  // The rules of one country stay while those of another are asked for.
  CAddressRules& canada = regRulesForCountry(27);
  CAddressRules& japan = regRulesForCountry(76);
  EXPECT_EQ(canada.countryIndex(), 27);
  EXPECT_EQ(canada.stateCode(9), "QC");
  EXPECT_EQ(&regRulesForCountry(27), &canada);
  EXPECT_EQ(japan.countryIndex(), 76);
}

// A list control that sorts by text when asked, as the platform's does.
class CFakeList : public CChoiceList {
 public:
  void setLabel(const std::string& text) override { m_Label = text; }
  void clear() override {
    m_Entries.clear();
    m_Selected = -1;
  }
  int add(const std::string& text, const DChoice* data, bool sorted) override {
    auto at = m_Entries.end();
    if (sorted) {
      at = std::find_if(m_Entries.begin(), m_Entries.end(),
                        [&](const auto& e) { return e.first > text; });
    }
    return static_cast<int>(m_Entries.insert(at, {text, data}) - m_Entries.begin());
  }
  void insertAt(int index, const std::string& text, const DChoice* data) override {
    m_Entries.insert(m_Entries.begin() + index, {text, data});
  }
  int count() const override { return static_cast<int>(m_Entries.size()); }
  std::string textAt(int index) const override { return m_Entries[index].first; }
  const DChoice* dataAt(int index) const override { return m_Entries[index].second; }
  int selected() const override { return m_Selected; }
  void select(int index) override { m_Selected = index; }
  std::vector<std::pair<std::string, const DChoice*>> m_Entries;
  std::string m_Label;
  int m_Selected = -1;
};

TEST(Questionnaire, ListsFillInTheirOrderAndAnswersTravelByCode) {
  CProductCustomization::selectVariant("orbenix");
  CQuestionnaire questions;
  EXPECT_FALSE(questions.isCustomised());
  CFakeList industryList, sizeList;
  CQuestion& industry = questions.business(1);
  CQuestion& size = questions.business(2);
  industry.bind(&industryList);
  size.bind(&sizeList);
  industry.show();
  size.show();
  EXPECT_EQ(industryList.m_Label, "Please select the primary industry of your company. ");
  EXPECT_EQ(industryList.textAt(0), "Agriculture");
  EXPECT_EQ(industryList.textAt(industryList.count() - 1), "Other");
  EXPECT_EQ(sizeList.textAt(0), "1-9");
  EXPECT_EQ(sizeList.textAt(1), "10-24");
  EXPECT_EQ(sizeList.textAt(12), "Unknown");
  EXPECT_EQ(industry.requestPair(true), "q8=%20");  // nothing selected

  for (int i = 0; i < industryList.count(); ++i) {
    if (industryList.textAt(i) == "Construction") industryList.select(i);
  }
  EXPECT_EQ(industry.requestPair(true), "q8=CSTR");
  EXPECT_EQ(industry.requestPair(false), "q8=%20");
  CRegistrant registrant;
  questions.store(registrant, "BUSI");
  EXPECT_EQ(registrant.getThird("7508"), "5");
  EXPECT_EQ(registrant.getSecond("q8"), "Construction");
  EXPECT_EQ(registrant.getThird("7518"), "2");
  EXPECT_EQ(registrant.getThird("7519"), "");

  industry.hide();
  EXPECT_EQ(industry.selectedCode(), "CSTR");  // what it gave last
  industry.show();
  EXPECT_EQ(industryList.textAt(industryList.selected()), "Construction");
}

}  // namespace

namespace {

std::vector<std::string> codesAndValues(const std::vector<DFormLine>& lines, std::size_t count) {
  std::vector<std::string> out;
  for (std::size_t i = 0; i < count && i < lines.size(); ++i) {
    out.push_back(lines[i].kind == 1 ? "--" : lines[i].code + lines[i].value);
  }
  return out;
}

TEST(FormLines, TheFaxHeadingForCountriesThatHaveItThenTheFieldsInOrder) {
  CProductCustomization::selectVariant("orbenix");
  CRegistrant& registrant = CRegistrant::instance();
  CSystemInfo& info = CSystemInfo::instance();
  registrant.release();
  info.release();
  info.setProdName("ZarnakSQL");
  info.setNumOfProds("1");
  info.set("prod1", "ZK-2200");
  registrant.address().setCountry("Germany", 56);
  registrant.address().setPostalCode("60311");
  registrant.setThird("7508", "5");
  registrant.setMarketingConsent(1);
  std::vector<DFormLine> lines;
  buildFormLines(lines);
  const DCountryRow* germany = regCountryRow(56);
  EXPECT_EQ(codesAndValues(lines, 10),
            (std::vector<std::string>{
                "You may fax your registration to:", germany->phone3, "--",
                "Otherwise, please mail your registration to:", "Orbenix Deutschland",
                "Produktregistrierung", "Postfach 1180", "60311 Frankfurt", "--", "23:ZarnakSQL"}));
  auto find = [&](const std::string& code) {
    for (const DFormLine& line : lines) {
      if (line.code == code) return line.value;
    }
    return std::string("(none)");
  };
  EXPECT_EQ(find("21:"), "ZK-2200");
  EXPECT_EQ(find("51:"), "Germany");
  EXPECT_EQ(find("7506:"), "60311");
  EXPECT_EQ(find("7508:"), "5");
  EXPECT_EQ(find("7526:"), "0");
  EXPECT_EQ(lines.back().value, "End of Registration Form");

  registrant.address().setCountry("United States", 158);
  buildFormLines(lines);
  EXPECT_EQ(lines[0].value, "Please mail your registration to:");
  info.setSendBios(false);
  buildFormLines(lines);
  EXPECT_EQ(find("7515:"), "(none)");
  registrant.release();
  info.release();
}

}  // namespace
