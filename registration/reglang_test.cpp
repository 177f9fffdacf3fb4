// The language choice from locale names and given names, its library, and the language
// object's answers.
#include "reglang.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <map>
#include <set>
#include <vector>

#include "regaddress.h"
#include "regcustom.h"
#include "reglocale.h"

namespace {

TEST(LocaleNames, PosixNamesTakeTheFormTheTablesKnow) {
  const std::pair<const char*, const char*> cases[] = {
      {"fr_CA.UTF-8", "French_Canada.UTF-8"},
      {"pt_BR", "Portuguese_Brazil"},
      {"zh_TW.UTF-8", "Chinese_Taiwan.UTF-8"},
      {"de_CH.UTF-8@euro", "German_Switzerland.UTF-8@euro"},
      {"sr_RS@latin", "sr_RS"},
      {"en", "English"},
      {"C", "C"},
      {"xx_YY.UTF-8", "xx_YY.UTF-8"},
  };
  for (const auto& [posix, mapped] : cases) EXPECT_EQ(regMapLocaleName(posix), mapped) << posix;
}

TEST(LanguageTable, LocaleNamesAndGivenNamesFindTheirIndex) {
  const std::pair<const char*, int> locales[] = {
      {"French_Canada.1252", 9},
      {"Portuguese_Brazil.1252", 22},
      {"Portuguese_Portugal.1252", 21},
      {"Chinese_Taiwan.950", 12},
      {"Chinese_People's Republic of China.936", 5},
      {"English_United States.1252", 18},
      {"Spanish - Modern Sort_Spain.1252", 10},
      {"C", -1},
      {"Klingon_Space.1252", -1},
  };
  for (const auto& [locale, index] : locales) {
    EXPECT_EQ(languageIndex(regLanguageNameOfLocale(locale)), index) << locale;
  }
  EXPECT_EQ(languageIndex("german"), 11);
  EXPECT_EQ(languageIndex("German"), -1);  // names compare exactly
  EXPECT_EQ(languageIndex("endoflist"), -1);
  EXPECT_EQ(languageCode(22), "PTB");
  EXPECT_EQ(languageLibraryName(18, "Orbenix"),
            std::string("TamrelOrbENU") + kResourceLibrarySuffix);
}

TEST(LanguageTable, TheCountryOfALocale) {
  const std::pair<const char*, int> cases[] = {
      {"English_United States.1252", 158},
      {"French_Canada.UTF-8", 27},
      {"German_Switzerland", 143},
      {"Chinese_People's Republic of China.936", 33},
      {"English_Atlantis.1252", 158},
      {"C", 158},
      {"japan", 76},
  };
  for (const auto& [locale, country] : cases)
    EXPECT_EQ(regCountryOfLocale(locale), country) << locale;
}

// A language library that holds one string.
class CFakeLibrary : public CRegResourceModule {
 public:
  bool loadString(int id, std::string& text) const override {
    if (id != 313) return false;
    text = "Enregistrement";
    return true;
  }
};

class LanguageChoice : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* old = std::getenv("LC_ALL");
    m_HadLcAll = old != nullptr;
    m_OldLcAll = m_HadLcAll ? old : "";
    m_OldLocale = std::setlocale(LC_ALL, nullptr);
    CProductCustomization::selectVariant("orbenix");
    regSetLibraryLoader([this](const std::string& fileName) -> std::unique_ptr<CRegResourceModule> {
      m_Asked.push_back(fileName);
      if (m_Present.count(fileName) == 0) return nullptr;
      return std::make_unique<CFakeLibrary>();
    });
  }
  void TearDown() override {
    if (m_HadLcAll) setenv("LC_ALL", m_OldLcAll.c_str(), 1);
    if (!m_HadLcAll) unsetenv("LC_ALL");
    std::setlocale(LC_ALL, m_OldLocale.c_str());
    regSetLibraryLoader(nullptr);
    regSetResourceModule(nullptr);
  }
  CLanguageRules& fromLocale(const char* posix) {
    setenv("LC_ALL", posix, 1);
    return CLanguageRules::chooseFromLocale();
  }
  std::set<std::string> m_Present;
  std::vector<std::string> m_Asked;
  bool m_HadLcAll = false;
  std::string m_OldLcAll, m_OldLocale;
};

TEST_F(LanguageChoice, FromTheLocaleLoadsThatLanguagesLibrary) {
  m_Present = {"TamrelOrbFRA.res", "TamrelOrbPTB.res"};
  CLanguageRules& french = fromLocale("fr_CA.UTF-8");
  EXPECT_EQ(french.index(), 9);
  EXPECT_TRUE(french.hasLibrary());
  EXPECT_EQ(regLoadString(313), "Enregistrement");
  EXPECT_EQ(regLocaleName(), "French_Canada.UTF-8");
  EXPECT_EQ(&CLanguageRules::instance(), &french);

  EXPECT_EQ(fromLocale("pt_BR.UTF-8").index(), 22);
  EXPECT_EQ(m_Asked.back(), "TamrelOrbPTB.res");
}

TEST_F(LanguageChoice, AnUnknownLanguageOrAMissingLibraryFallsBackToEnglish) {
  m_Present = {"TamrelOrbENU.res"};
  for (const char* posix : {"xx_YY.UTF-8", "C", "de_DE.UTF-8"}) {
    m_Present.erase("TamrelOrbENU.res");
    CLanguageRules& rules = fromLocale(posix);
    EXPECT_EQ(rules.index(), 18) << posix;
    EXPECT_FALSE(rules.hasLibrary());
    EXPECT_EQ(regLoadString(313), "Veltrona Product Registration");  // the program's own
  }
  EXPECT_EQ(m_Asked,
            (std::vector<std::string>{"TamrelOrbENU.res", "TamrelOrbENU.res", "TamrelOrbDEU.res"}));
  CProductCustomization::selectVariant("veltrona");
  EXPECT_EQ(CLanguageRules::load("swiss").index(), 18);
  EXPECT_EQ(m_Asked.back(), "TamrelVelDEU.res");
}

TEST_F(LanguageChoice, TheLanguageObjectAnswersByLanguageAndCountry) {
  m_Present = {"TamrelOrbENU.res", "TamrelOrbFRA.res", "TamrelOrbJPN.res",
               "TamrelOrbPTB.res", "TamrelOrbDEU.res", "TamrelOrbKOR.res"};
  std::map<int, std::unique_ptr<CAddressRules>> countries;
  for (int country : {21, 27, 51, 76, 143, 158}) countries[country] = regCountryRules(country);
  auto statesShown = [&](const CLanguageRules& rules) {
    std::vector<int> shown;
    for (const auto& [country, object] : countries) {
      if (rules.showState(*object)) shown.push_back(country);
    }
    return shown;
  };
  CLanguageRules& english = fromLocale("en_CA.UTF-8");
  EXPECT_EQ(english.languageCodeText(), "en_CA");
  EXPECT_EQ(statesShown(english), (std::vector<int>{21, 27, 76, 158}));
  EXPECT_EQ(fromLocale("en_US.UTF-8").languageCodeText(), "en_US");
  EXPECT_EQ(fromLocale("en_GB.UTF-8").languageCodeText(), "ENU");

  CLanguageRules& french = CLanguageRules::load("french");
  EXPECT_EQ(french.languageCodeText(), "fr_CA");
  EXPECT_EQ(statesShown(french), (std::vector<int>{27}));
  EXPECT_TRUE(french.offerFrenchCorrespondence());
  EXPECT_EQ(statesShown(CLanguageRules::load("japanese")), (std::vector<int>{76}));
  EXPECT_EQ(statesShown(CLanguageRules::load("ptb")), (std::vector<int>{21}));
  CLanguageRules& german = CLanguageRules::load("german");
  EXPECT_EQ(german.languageCodeText(), "DEU");
  EXPECT_TRUE(statesShown(german).empty());
  EXPECT_TRUE(german.showSuffix());
  EXPECT_FALSE(german.showInitial());
  EXPECT_FALSE(CLanguageRules::load("korean").showFirstName());
  EXPECT_FALSE(CLanguageRules::load("ptb").showPoBox());
}

}  // namespace
