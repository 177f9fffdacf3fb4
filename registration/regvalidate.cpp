// The checks of CAddressRules: a registrant's name, address, phone and postal code by the
// country, the user's language and the product.
#include <algorithm>
#include <cctype>
#include <string>

#include "regaddress.h"
#include "regcustom.h"
#include "regexcept.h"
#include "reglang.h"
#include "regtextchk.h"

namespace {

constexpr int kFirstNameRequired = 201;
constexpr int kLastNameRequired = 202;
constexpr int kAddressRequired = 203;
constexpr int kCityRequired = 204;
constexpr int kStateRequired = 205;
constexpr int kPostalRequired = 206;
constexpr int kCountryRequired = 207;
constexpr int kPhoneRequired = 208;
constexpr int kBadCharacter = 217;
constexpr int kNotAlphabetic = 221;
constexpr int kAddressNeedsLetters = 222;
constexpr int kInvalidCharacter = 246;
constexpr int kPoBoxNeedsLetters = 247;
constexpr int kPhoneTooShort = 1515;
constexpr int kPostalTooFewCharacters = 1516;
constexpr int kPostalTooFewDigits = 1517;
constexpr int kPrefixRequired = 1519;
constexpr int kSuffixRequired = 1520;

constexpr char kPhoneCharacters[] = "0123456789- .()+";

bool isBlank(const std::string& text) {
  return std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isspace(c); });
}

[[noreturn]] void fail(int id, RegField field) {
  throw CRegException(id, field);
}

void checkBadCharacter(const std::string& text, RegField field) {
  if (findPipeOrBackslash(text) >= 0) fail(kBadCharacter, field);
}

// Blank and required: id; then no bad character.
void checkRequired(const std::string& text, bool required, int id, RegField field) {
  if (isBlank(text) && required) fail(id, field);
  checkBadCharacter(text, field);
}

void checkHasLetter(const std::string& text, int id, RegField field) {
  if (!hasLetter(text)) fail(id, field);
}

std::string withoutBlanks(std::string text) {
  text.erase(std::remove(text.begin(), text.end(), ' '), text.end());
  return text;
}

bool onlyOf(const std::string& text, const char* allowed) {
  return text.find_first_not_of(allowed) == std::string::npos;
}

int countOf(const std::string& text, bool (*counted)(unsigned char)) {
  return static_cast<int>(std::count_if(
      text.begin(), text.end(), [&](char c) { return counted(static_cast<unsigned char>(c)); }));
}

bool isAsciiDigit(unsigned char c) {
  return c >= '0' && c <= '9';
}

void checkPersonName(const std::string& text, bool shown, bool required, int requiredId,
                     RegField field) {
  if (!shown) return;
  if (isBlank(text) && required) fail(requiredId, field);
  if (firstDigit(text) > 0) fail(kNotAlphabetic, field);
  checkBadCharacter(text, field);
}

void checkStreet(const std::string& street, bool required) {
  if (isBlank(street) && required) fail(kAddressRequired, kFieldStreet);
  checkHasLetter(street, kAddressNeedsLetters, kFieldStreet);
  checkBadCharacter(street, kFieldStreet);
}

}  // namespace

void CAddressRules::validateName(const DNamePanel& panel) const {
  const CLanguageRules& language = CLanguageRules::instance();
  const CProductCustomization& product = CProductCustomization::instance();
  std::string code = language.languageCodeText();
  bool lastFirst = code == "CHS";
  if (lastFirst) {
    checkPersonName(panel.lastName, language.showLastName(), product.lastNameRequired(),
                    kLastNameRequired, kFieldLastName);
  }
  checkPersonName(panel.firstName, language.showFirstName(), product.firstNameRequired(),
                  kFirstNameRequired, kFieldFirstName);
  if (!lastFirst) {
    checkPersonName(panel.lastName, language.showLastName(), product.lastNameRequired(),
                    kLastNameRequired, kFieldLastName);
  }
  if (language.showInitial()) {
    checkRequired(panel.initial, product.initialRequired(), kFirstNameRequired, kFieldInitial);
  }
  bool japanese = code == "JPN";
  if (language.showPrefix()) {
    checkRequired(panel.prefix, product.prefixRequired() || japanese, kPrefixRequired,
                  kFieldPrefix);
  }
  if (language.showSuffix()) {
    checkRequired(panel.suffix, product.suffixRequired() || japanese, kSuffixRequired,
                  kFieldSuffix);
  }
}

void CAddressRules::validateAddress(const DAddressPanel& panel) const {
  const CLanguageRules& language = CLanguageRules::instance();
  const CProductCustomization& product = CProductCustomization::instance();
  if (language.showPoBox() && isBlank(panel.poBox)) {
    if (!language.showStreet()) fail(kAddressRequired, kFieldPoBox);
    checkStreet(panel.street, product.streetRequired());
  } else if (language.showPoBox()) {
    checkHasLetter(panel.poBox, kPoBoxNeedsLetters, kFieldPoBox);
    checkBadCharacter(panel.poBox, kFieldPoBox);
    if (language.showStreet() && !isBlank(panel.street)) {
      checkHasLetter(panel.street, kAddressNeedsLetters, kFieldStreet);
      checkBadCharacter(panel.street, kFieldStreet);
    }
  } else if (language.showStreet()) {
    checkStreet(panel.street, product.streetRequired());
  }
  if (language.showCity()) {
    checkRequired(panel.city, product.cityRequired(), kCityRequired, kFieldCity);
  }
  if (language.showState(*this) && isBlank(panel.stateText) && product.stateRequired()) {
    fail(kStateRequired, kFieldState);
  }
  if (language.showPostalCode() && !panel.postalCodeAccepted) {
    checkRequired(panel.postalCode, product.postalCodeRequired(), kPostalRequired,
                  kFieldPostalCode);
    validatePostalCode(panel.postalCode);  // every failure names the postal-code field
  }
  if (language.showCountry() && panel.countryIndex < 0 && product.countryRequired()) {
    fail(kCountryRequired, kFieldCountry);
  }
}

void CAddressRules::validatePhone(const DPhonePanel& panel) const {
  if (!CLanguageRules::instance().showPhone()) return;
  if (!panel.phoneAccepted) {
    checkBadCharacter(panel.phone, kFieldPhone);
    if (isBlank(panel.phone) && CProductCustomization::instance().phoneRequired()) {
      fail(kPhoneRequired, kFieldPhone);
    }
    if (!isBlank(panel.phone) && !onlyOf(panel.phone, kPhoneCharacters)) {
      fail(kInvalidCharacter, kFieldPhone);
    }
    const DCountryRow* row = regCountryRow(countryIndex());
    int minimum = row != nullptr ? row->minPhoneDigits : 1;
    if (!isBlank(panel.phone) && countOf(panel.phone, isAsciiDigit) < minimum) {
      fail(kPhoneTooShort, kFieldPhone);
    }
  }
  checkBadCharacter(panel.extension, kFieldExtension);
  if (!isBlank(panel.extension) && !onlyOf(panel.extension, kPhoneCharacters)) {
    fail(kInvalidCharacter, kFieldExtension);
  }
}

void CAddressRules::validatePostalCode(const std::string& text) const {
  if (!CLanguageRules::instance().showPostalCode()) return;
  if (isBlank(text) && CProductCustomization::instance().postalCodeRequired()) {
    fail(kPostalRequired, kFieldPostalCode);
  }
  const DCountryRow* row = regCountryRow(countryIndex());
  int rule = row != nullptr ? row->postalRule : 1;
  std::string code = withoutBlanks(text);
  if (rule < 0) {
    if (!onlyOf(code, "0123456789- ")) fail(kInvalidCharacter, kFieldPostalCode);
    if (countOf(code, isAsciiDigit) < -rule) fail(kPostalTooFewDigits, kFieldPostalCode);
    return;
  }
  // A double-byte character counts as a letter or digit as it is (a full-width code, an "ß").
  if (!onlyLettersDigitsOr(code, "- ")) fail(kInvalidCharacter, kFieldPostalCode);
  if (letterOrDigitCount(code) < rule) fail(kPostalTooFewCharacters, kFieldPostalCode);
}

void CChinaAddressRules::validatePostalCode(const std::string& text) const {
  std::string code = withoutBlanks(text);
  if (!onlyOf(code, "0123456789")) fail(kInvalidCharacter, kFieldPostalCode);
  if (countOf(code, isAsciiDigit) < 6) fail(kPostalTooFewDigits, kFieldPostalCode);
}

void CUsAddressRules::validatePostalCode(const std::string& text) const {
  checkUsZipCode(text);
}

int CUsAddressRules::checkUsZipCode(const std::string& text) {
  int digits = 0;
  bool hyphen = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (isAsciiDigit(static_cast<unsigned char>(c))) {
      ++digits;
    } else if (c == '-' && i == 5 && !hyphen) {
      hyphen = true;
    } else {
      fail(kInvalidCharacter, kFieldPostalCode);
    }
  }
  if (digits > 4) return -1;
  fail(224, kFieldPostalCode);
}
