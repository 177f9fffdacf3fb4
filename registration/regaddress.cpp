#include "regaddress.h"

#include <array>
#include <cstring>
#include <map>
#include <memory>

#include "regcustom.h"
#include "reglang.h"
#include "reglocale.h"
#include "regres.h"

namespace {

constexpr char kCountryCodes[] =
    "AL DZ AD AO AG AR AU AT AZ BS BH BD BB BY BE BZ BJ BM BO BA BW BR BN BG BF BI CM CA CV KY "
    "CF CD CL CN CO KM CG CR HR CY CZ DK DO EC EG SV GQ EE ET FJ FI FR GF PF GA GM DE GH GI GR "
    "GP GT GN GY HT HN HK HU IS IN ID IR IE IL IT JM JP JO KZ KE KW LV LB LS LR LI LT LU MO MK "
    "MG MW MY MV ML MT MQ MR MU YT MX MC MA MZ MN NL AN NC NZ NI NE NG NO OM PK PA PG PY PE PH "
    "PL PT QA RE RO RU RW ST SA SN SP SC SG SK SI ZA KR ES LK SD SR SZ SE CH SY TW TJ TZ TH TG "
    "TT TN TR TM UG UA AE GB US UY UZ VU VE VN WF YE ZR ZM ZW";

// Rows that differ from minimum digits 1, postal rule 1 and fax flag 0.
struct DCountryRule {
  int index;
  int minPhoneDigits;
  int postalRule;
  int faxFlag;
};
constexpr DCountryRule kCountryRules[] = {
    {7, 1, -4, 1},   {14, 1, 1, 1},   {21, 10, 8, 0},  {27, 10, 6, 0},  {33, 8, -6, 0},
    {40, 8, 5, 0},   {41, 8, 4, 0},   {50, 6, -5, 0},  {51, 10, -5, 1}, {56, 8, 5, 1},
    {59, 9, -5, 0},  {67, 10, 4, 0},  {74, 7, 5, 1},   {76, 10, 7, 0},  {105, 10, 6, 0},
    {112, 8, 4, 0},  {120, 9, -5, 0}, {121, 8, 4, 0},  {125, 6, 6, 0},  {136, 9, 6, 0},
    {137, 9, 5, 1},  {142, 7, 5, 0},  {143, 1, -4, 1}, {145, 9, 3, 0},  {148, 9, 5, 0},
    {152, 10, 5, 0}, {157, 1, 1, 1},  {158, 10, 1, 0},
};

// Deployment data: the registration centres' telephone and fax numbers by country.
struct DCountryPhones {
  int index;
  const char* phone1;
  const char* phone2;
  const char* phone3;
};
constexpr DCountryPhones kCountryPhones[] = {
    {7, "0800 29 44 10", "", "01 27 44 10 99"},   {14, "0800 7 33 80", "", "02 733 80 99"},
    {27, "1 800 555 0142", "1 800 555 0143", ""}, {51, "0800 90 47 60", "", "01 40 90 47 99"},
    {56, "0800 181 59 20", "", "069 181 59 99"},  {74, "800 87 61 00", "", "02 87 61 00 99"},
    {137, "900 98 42 60", "", "91 98 42 60 99"},  {143, "0800 55 71 00", "", "044 55 71 00 99"},
    {157, "0800 96 81 20", "", "020 7946 0999"},  {158, "1 800 555 0140", "1 800 555 0141", ""},
};

void copyText(char (&target)[20], const char* text) {
  std::strncpy(target, text, sizeof target - 1);
  target[sizeof target - 1] = '\0';
}

std::array<DCountryRow, kCountryCount> buildCountryTable() {
  std::array<DCountryRow, kCountryCount> rows{};
  for (int i = 0; i < kCountryCount; ++i) {
    DCountryRow& row = rows[i];
    std::memcpy(row.code, kCountryCodes + 3 * i, 2);
    row.minPhoneDigits = 1;
    row.postalRule = 1;
  }
  for (const DCountryRule& rule : kCountryRules) {
    rows[rule.index].minPhoneDigits = rule.minPhoneDigits;
    rows[rule.index].postalRule = rule.postalRule;
    rows[rule.index].faxFlag = rule.faxFlag;
  }
  for (const DCountryPhones& phones : kCountryPhones) {
    copyText(rows[phones.index].phone1, phones.phone1);
    copyText(rows[phones.index].phone2, phones.phone2);
    copyText(rows[phones.index].phone3, phones.phone3);
  }
  return rows;
}

// Switzerland's registration numbers by language (deployment data): German, French, Italian,
// first for products without numbers of their own (kind 1), then for those with (kind 2).
struct DSwissPhone {
  int languageIndex;
  const char* number;
  int kind;
};
constexpr DSwissPhone kSwissPhones[] = {
    {kLanguageGerman, "0800 55 71 01", 1},  {kLanguageFrench, "0800 55 71 02", 1},
    {kLanguageItalian, "0800 55 71 03", 1}, {kLanguageGerman, "0800 55 72 01", 2},
    {kLanguageFrench, "0800 55 72 02", 2},  {kLanguageItalian, "0800 55 72 03", 2},
};

// Belgium's registration numbers by language (deployment data), as Switzerland's.
constexpr DSwissPhone kBelgianPhones[] = {
    {kLanguageFrench, "0800 7 33 81", 1},
    {13, "0800 7 33 82", 1},
    {kLanguageFrench, "0800 7 33 91", 2},
    {13, "0800 7 33 92", 2},
};

template <std::size_t N>
std::string numberByLanguage(const DSwissPhone (&rows)[N], int languageIndex, int kind) {
  for (const DSwissPhone& row : rows) {
    if (row.languageIndex == languageIndex && row.kind == kind) return row.number;
  }
  return " ";
}

int productKind() {
  return CProductCustomization::instance().hasOwnPhoneNumbers() ? 2 : 1;
}

constexpr DStateRow kBrazilStates[] = {
    {"AC", 2550}, {"AL", 2551}, {"AM", 2552}, {"AP", 2553}, {"BA", 2554}, {"CE", 2555},
    {"DF", 2556}, {"ES", 2557}, {"GO", 2558}, {"MA", 2559}, {"MT", 2560}, {"MS", 2561},
    {"MG", 2562}, {"PA", 2563}, {"PB", 2564}, {"PR", 2565}, {"PE", 2566}, {"PI", 2567},
    {"RJ", 2568}, {"RN", 2569}, {"RS", 2570}, {"RO", 2571}, {"RR", 2572}, {"SC", 2573},
    {"SP", 2574}, {"SE", 2575}, {"TO", 2576},
};

constexpr DStateRow kCanadaProvinces[] = {
    {"AB", 552}, {"BC", 555}, {"MB", 572}, {"NB", 582}, {"NF", 587}, {"NT", 590},
    {"NS", 591}, {"ON", 594}, {"PE", 597}, {"QC", 598}, {"SK", 600}, {"YT", 612},
};

constexpr DStateRow kUsStates[] = {
    {"AL", 550}, {"AK", 551}, {"AZ", 553}, {"AR", 554}, {"CA", 556}, {"CO", 557}, {"CT", 558},
    {"DE", 559}, {"DC", 560}, {"FL", 561}, {"GA", 562}, {"HI", 563}, {"ID", 564}, {"IL", 565},
    {"IN", 566}, {"IA", 567}, {"KS", 568}, {"KY", 569}, {"LA", 570}, {"ME", 571}, {"MD", 573},
    {"MA", 574}, {"MI", 575}, {"MN", 576}, {"MS", 577}, {"MO", 578}, {"MT", 579}, {"NE", 580},
    {"NV", 581}, {"NH", 583}, {"NJ", 584}, {"NM", 585}, {"NY", 586}, {"NC", 588}, {"ND", 589},
    {"OH", 592}, {"OK", 593}, {"OR", 595}, {"PA", 596}, {"RI", 599}, {"SC", 601}, {"SD", 602},
    {"TN", 603}, {"TX", 604}, {"UT", 605}, {"VT", 606}, {"VA", 607}, {"WA", 608}, {"WV", 609},
    {"WI", 610}, {"WY", 611},
};

// The countries whose first number is the product's own when it has numbers: AT, DK, FI, FR,
// DE, IE, IT, NO, PT, ES, SE, GB.
constexpr int kOwnNumberCountries[] = {7, 41, 50, 56, 72, 74, 112, 121, 137, 142, 157};

constexpr int kCountryNameBase = 1200;

// Prefecture codes of Japan, in the order of their names (strings 1900 to 1946).
constexpr int kPrefectureNameBase = 1900;

}  // namespace

const DCountryRow* regCountryRow(int index) {
  static const std::array<DCountryRow, kCountryCount> rows = buildCountryTable();
  return index >= 0 && index < kCountryCount ? &rows[index] : nullptr;
}

std::string CAddressRules::phoneNumber1() const {
  const DCountryRow* row = regCountryRow(m_CountryIndex);
  return row != nullptr ? row->phone1 : "";
}

std::string CAddressRules::phoneNumber2() const {
  const DCountryRow* row = regCountryRow(m_CountryIndex);
  return row != nullptr ? row->phone2 : "";
}

std::string CAddressRules::phoneNumber3() const {
  const DCountryRow* row = regCountryRow(m_CountryIndex);
  return row != nullptr ? row->phone3 : "";
}

std::string CAddressRules::stateName(int /*i*/) const {
  return "";
}

std::string CAddressRules::stateCode(int /*i*/) const {
  return "XX";
}

std::string CSwissAddressRules::numberFor(int languageIndex, int kind) {
  return numberByLanguage(kSwissPhones, languageIndex, kind);
}

std::string CSwissAddressRules::phoneNumber1() const {
  return numberFor(CLanguageRules::instance().index(), productKind());
}

std::string CBelgianAddressRules::phoneNumber1() const {
  return numberByLanguage(kBelgianPhones, CLanguageRules::instance().index(), productKind());
}

std::string COwnNumberAddressRules::phoneNumber1() const {
  const CProductCustomization& product = CProductCustomization::instance();
  if (product.hasOwnPhoneNumbers()) return product.phoneNumberFor(countryIndex());
  return CAddressRules::phoneNumber1();
}

std::string CStateListAddressRules::stateName(int i) const {
  return i >= 0 && i < m_Count ? regLoadString(m_States[i].nameId) : "";
}

std::string CStateListAddressRules::stateCode(int i) const {
  return i >= 0 && i < m_Count ? m_States[i].code : "XX";
}

CUsAddressRules::CUsAddressRules() : CStateListAddressRules(kCountryUnitedStates, kUsStates) {}

std::string CJapanAddressRules::stateName(int i) const {
  return i >= 0 && i < stateCount() ? regLoadString(kPrefectureNameBase + i) : "";
}

std::string CJapanAddressRules::stateCode(int i) const {
  if (i < 0 || i >= stateCount()) return "XX";
  char code[3] = {static_cast<char>('0' + (i + 1) / 10), static_cast<char>('0' + (i + 1) % 10), 0};
  return code;
}

std::unique_ptr<CAddressRules> regCountryRules(int countryIndex) {
  switch (countryIndex) {
    case 14:
      return std::make_unique<CBelgianAddressRules>();
    case kCountryBrazil:
      return std::make_unique<CStateListAddressRules>(kCountryBrazil, kBrazilStates);
    case kCountryCanada:
      return std::make_unique<CStateListAddressRules>(kCountryCanada, kCanadaProvinces);
    case 33:
      return std::make_unique<CChinaAddressRules>();
    case kCountryFrance:
      return std::make_unique<CFranceAddressRules>();
    case kCountryJapan:
      return std::make_unique<CJapanAddressRules>();
    case kCountrySwitzerland:
      return std::make_unique<CSwissAddressRules>();
    case kCountryUnitedStates:
      return std::make_unique<CUsAddressRules>();
    default:
      break;
  }
  for (int own : kOwnNumberCountries) {
    if (own == countryIndex) return std::make_unique<COwnNumberAddressRules>(countryIndex);
  }
  return std::make_unique<CAddressRules>(countryIndex);
}

CAddressRules& regRulesForCountry(int countryIndex) {
  // One object per country for the program's life: a page may keep the rules of one country
  // while another asks for those of the next.
  static std::map<int, std::unique_ptr<CAddressRules>> kept;
  std::unique_ptr<CAddressRules>& rules = kept[countryIndex];
  if (rules == nullptr) rules = regCountryRules(countryIndex);
  return *rules;
}

CAddressRules& regCountryOfTheLocale() {
  static std::unique_ptr<CAddressRules> rules =
      regCountryRules(regCountryOfLocale(regLocaleName()));
  return *rules;
}

std::string regCountryName(int countryIndex) {
  return regLoadString(kCountryNameBase + countryIndex);
}
