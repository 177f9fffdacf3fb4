#include "reglang.h"

#include "regaddress.h"
#include "regcustom.h"
#include "regdiag.h"
#include "reglocale.h"
#include "regtextutil.h"

namespace {

struct LanguageName {
  int index;
  const char* name;
};

// Stored in this order; the first row whose name matches wins.
constexpr LanguageName kLanguageNames[] = {
    {5, "chinese"},
    {5, "chinese-simplified"},
    {5, "chs"},
    {5, "chinese(prc)"},
    {12, "chinese-traditional"},
    {12, "chinese(taiwan)"},
    {12, "chinese_taiwan"},
    {12, "cht"},
    {15, "csy"},
    {15, "czech"},
    {2, "dan"},
    {2, "danish"},
    {13, "belgian"},
    {13, "dutch-belgian"},
    {13, "nlb"},
    {13, "dutch"},
    {13, "nld"},
    {18, "australian"},
    {18, "ena"},
    {18, "english-aus"},
    {18, "canadian"},
    {18, "enc"},
    {18, "english-can"},
    {18, "english"},
    {18, "english-nz"},
    {18, "enz"},
    {18, "eng"},
    {18, "english-uk"},
    {18, "uk"},
    {18, "american"},
    {18, "american english"},
    {18, "american-english"},
    {18, "english-american"},
    {18, "english-us"},
    {18, "english-usa"},
    {18, "enu"},
    {18, "us"},
    {18, "usa"},
    {20, "fin"},
    {20, "finnish"},
    {9, "frb"},
    {9, "french-belgian"},
    {9, "frc"},
    {9, "french-canadian"},
    {9, "fra"},
    {9, "french"},
    {9, "french-swiss"},
    {9, "frs"},
    {11, "dea"},
    {11, "german-austrian"},
    {11, "deu"},
    {11, "german"},
    {11, "des"},
    {11, "german-swiss"},
    {11, "swiss"},
    {1, "ell"},
    {1, "greek"},
    {19, "hun"},
    {19, "hungarian"},
    {0, "ita"},
    {0, "italian"},
    {0, "italian-swiss"},
    {0, "its"},
    {4, "japanese"},
    {4, "jpn"},
    {6, "kor"},
    {6, "korean"},
    {14, "nor"},
    {14, "norwegian-bokmal"},
    {14, "norwegian"},
    {14, "non"},
    {14, "norwegian-nynorsk"},
    {17, "plk"},
    {17, "polish"},
    {22, "portuguese-brazilian"},
    {22, "portuguese_brazil"},
    {22, "ptb"},
    {21, "portuguese"},
    {21, "ptg"},
    {3, "rus"},
    {3, "russian"},
    {10, "esp"},
    {10, "spanish"},
    {10, "esm"},
    {10, "spanish-mexican"},
    {10, "esn"},
    {10, "spanish-modern"},
    {10, "spanish - modern sort"},
    {7, "sve"},
    {7, "swedish"},
    {8, "tha"},
    {8, "thai"},
    {16, "trk"},
    {16, "turkish"},
    {-1, "endoflist"},
};

constexpr const char* kLanguageCodes[kLanguageCount] = {
    "ITA", "ELL", "DAN", "RUS", "JPN", "CHS", "KOR", "SVE", "THA", "FRA", "ESP", "DEU",
    "CHT", "NLD", "NOR", "CSY", "TRK", "PLK", "ENU", "HUN", "FIN", "PTG", "PTB",
};

// Which fields each language shows, by language index. Columns: first name, last name,
// prefix, suffix, initial, P.O. box, street, city, state, postal code, country, job title,
// company, phone, two further flags, French correspondence, bold page titles.
constexpr char kLanguageFlags[kLanguageCount][19] = {
    "111001110111111101",  // 0 Italian
    "111011110111111101",  // 1 Greek
    "111001110111111101",  // 2 Danish
    "111001110111111101",  // 3 Russian
    "111101111111111100",  // 4 Japanese
    "111001110111111100",  // 5 Chinese (simplified)
    "011001110111111100",  // 6 Korean
    "110011110111111101",  // 7 Swedish
    "111111110111111100",  // 8 Thai
    "111001111111111111",  // 9 French
    "111000110111111101",  // 10 Spanish
    "111101110111111101",  // 11 German
    "111001110111111100",  // 12 Chinese (traditional)
    "111001110111111101",  // 13 Dutch
    "110001110111111101",  // 14 Norwegian
    "111101110111111101",  // 15 Czech
    "110001110111111101",  // 16 Turkish
    "111000110111111101",  // 17 Polish
    "111111111111111111",  // 18 English
    "111101110111111101",  // 19 Hungarian
    "110001110111111101",  // 20 Finnish
    "110011110111111101",  // 21 Portuguese
    "110010111111111101",  // 22 Portuguese (Brazil)
};

struct LocaleCountry {
  int country;
  const char* name;
};

constexpr LocaleCountry kLocaleCountries[] = {
    {6, "aus"},
    {6, "australia"},
    {7, "aut"},
    {7, "austria"},
    {14, "bel"},
    {14, "belgium"},
    {21, "bra"},
    {21, "brazil"},
    {27, "can"},
    {27, "canada"},
    {40, "cze"},
    {40, "czech"},
    {40, "czech republic"},
    {41, "dnk"},
    {41, "denmark"},
    {50, "fin"},
    {50, "finland"},
    {51, "fra"},
    {51, "france"},
    {56, "deu"},
    {56, "germany"},
    {59, "grc"},
    {59, "greece"},
    {66, "hkg"},
    {66, "hong kong"},
    {66, "hong-kong"},
    {67, "hun"},
    {67, "hungary"},
    {68, "iceland"},
    {68, "isl"},
    {72, "ireland"},
    {72, "irl"},
    {74, "ita"},
    {74, "italy"},
    {76, "japan"},
    {76, "jpn"},
    {100, "mex"},
    {100, "mexico"},
    {105, "nld"},
    {105, "holland"},
    {105, "netherlands"},
    {108, "new zealand"},
    {108, "new-zealand"},
    {108, "nz"},
    {108, "nzl"},
    {112, "nor"},
    {112, "norway"},
    {112, "norwegian"},
    {33, "china"},
    {33, "chn"},
    {33, "pr china"},
    {33, "pr-china"},
    {33, "people's republic of china"},
    {120, "pol"},
    {120, "poland"},
    {121, "prt"},
    {121, "portugal"},
    {125, "rus"},
    {125, "russia"},
    {132, "sgp"},
    {132, "singapore"},
    {133, "svk"},
    {133, "slovak"},
    {136, "kor"},
    {136, "korea"},
    {136, "south korea"},
    {136, "south-korea"},
    {137, "esp"},
    {137, "spain"},
    {142, "swe"},
    {142, "sweden"},
    {143, "che"},
    {143, "switzerland"},
    {145, "taiwan"},
    {145, "twn"},
    {152, "tur"},
    {152, "turkey"},
    {157, "britain"},
    {157, "england"},
    {157, "gbr"},
    {157, "great britain"},
    {157, "uk"},
    {157, "united kingdom"},
    {157, "united-kingdom"},
    {158, "america"},
    {158, "united states"},
    {158, "united-states"},
    {158, "us"},
    {158, "usa"},
    {148, "thailand"},
    {-1, "endoflist"},
};

class CEnglishRules : public CLanguageRules {
 public:
  using CLanguageRules::CLanguageRules;
  std::string languageCodeText() const override {
    int country = regCountryOfLocale(regLocaleName());
    if (country == kCountryUnitedStates) return "en_US";
    if (country == kCountryCanada) return "en_CA";
    return CLanguageRules::languageCodeText();
  }
  bool showState(const CAddressRules& rules) const override {
    int country = rules.countryIndex();
    return country == kCountryUnitedStates || country == kCountryBrazil ||
           country == kCountryCanada || country == kCountryJapan;
  }
};

class CFrenchRules : public CLanguageRules {
 public:
  using CLanguageRules::CLanguageRules;
  std::string languageCodeText() const override { return "fr_CA"; }
  bool showState(const CAddressRules& rules) const override {
    return rules.countryIndex() == kCountryCanada;
  }
};

class CJapaneseRules : public CLanguageRules {
 public:
  using CLanguageRules::CLanguageRules;
  bool showState(const CAddressRules& rules) const override {
    return rules.countryIndex() == kCountryJapan;
  }
};

// Brazilian Portuguese shows the state field for Brazil only, whatever its flag says.
class CBrazilianRules : public CLanguageRules {
 public:
  using CLanguageRules::CLanguageRules;
  bool showState(const CAddressRules& rules) const override {
    return rules.countryIndex() == kCountryBrazil;
  }
};

RegLibraryLoader gLoader;  // set at start-up on the user-interface thread

std::unique_ptr<CLanguageRules>& current() {
  static std::unique_ptr<CLanguageRules> object;
  return object;
}

CLanguageRules& install(std::unique_ptr<CLanguageRules> object) {
  current() = std::move(object);
  return *current();
}

}  // namespace

int languageIndex(const std::string& name) {
  for (const LanguageName& row : kLanguageNames) {
    if (row.index < 0) break;
    if (name == row.name) return row.index;
  }
  return -1;
}

std::string languageCode(int index) {
  return index >= 0 && index < kLanguageCount ? kLanguageCodes[index] : "";
}

std::string languageLibraryName(int index, const std::string& productCode) {
  return "Tamrel" + productCode.substr(0, 3) + languageCode(index) + kResourceLibrarySuffix;
}

void regSetLibraryLoader(RegLibraryLoader loader) {
  gLoader = std::move(loader);
}

CLanguageRules::CLanguageRules(int index, std::unique_ptr<CRegResourceModule> library)
    : m_Index(index), m_Library(std::move(library)) {}

bool CLanguageRules::flag(int column) const {
  return kLanguageFlags[m_Index][column] == '1';
}

bool CLanguageRules::showState(const CAddressRules& /*country*/) const {
  return flag(8);
}

std::string CLanguageRules::languageCodeText() const {
  return languageCode(m_Index);
}

std::unique_ptr<CLanguageRules> regMakeLanguageRules(int index,
                                                     std::unique_ptr<CRegResourceModule> library) {
  CLanguageRules* object = nullptr;
  switch (index) {
    case kLanguageEnglish:
      object = new CEnglishRules(index, std::move(library));
      break;
    case kLanguageFrench:
      object = new CFrenchRules(index, std::move(library));
      break;
    case kLanguageJapanese:
      object = new CJapaneseRules(index, std::move(library));
      break;
    case kLanguagePortugueseBrazil:
      object = new CBrazilianRules(index, std::move(library));
      break;
    default:
      object = new CLanguageRules(index, std::move(library));
      break;
  }
  return std::unique_ptr<CLanguageRules>(object);
}

CLanguageRules& CLanguageRules::instance() {
  if (current() == nullptr) return chooseFromLocale();
  return *current();
}

CLanguageRules& CLanguageRules::load(const std::string& name) {
  int index = languageIndex(name);
  if (index < 0) index = kLanguageEnglish;
  std::string fileName =
      languageLibraryName(index, CProductCustomization::instance().productCode());
  std::unique_ptr<CRegResourceModule> library = gLoader ? gLoader(fileName) : nullptr;
  if (library == nullptr) index = kLanguageEnglish;
  regSetResourceModule(library.get());
  return install(regMakeLanguageRules(index, std::move(library)));
}

CLanguageRules& CLanguageRules::chooseFromLocale() {
  std::string localeName = regSetUserLocale();
  regDiag() << "Locale: " << localeName << '\n';
  return load(regLanguageNameOfLocale(localeName));
}

std::string regLanguageNameOfLocale(const std::string& localeName) {
  std::string lower = regLower(localeName);
  std::string name = lower.substr(0, lower.find_first_of("_ "));
  bool regional = (name == "portuguese" && lower.find("brazil") != std::string::npos) ||
                  (name == "chinese" && lower.find("taiwan") != std::string::npos);
  return regional ? lower.substr(0, lower.find('.')) : name;
}

int regCountryOfLocale(const std::string& localeName) {
  std::size_t underscore = localeName.find('_');
  std::size_t start = underscore == std::string::npos ? 0 : underscore + 1;
  std::size_t dot = localeName.find('.', start);
  std::string country =
      regLower(localeName.substr(start, dot == std::string::npos ? dot : dot - start));
  for (const LocaleCountry& row : kLocaleCountries) {
    if (row.country < 0) break;
    if (country == row.name) return row.country;
  }
  return kCountryUnitedStates;
}
