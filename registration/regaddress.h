// CAddressRules: the rules of one country of the wizard's country table (index 0 to 168,
// string 1200 + index its name): its registration telephone numbers, its list of states and
// the checks of a registrant's name, address, phone and postal code, which consult the
// country, the user's language (CLanguageRules) and the product (CProductCustomization). A
// failed check throws CRegException with the message id and, where one is named, the field.
// Countries with rules of their own have a subclass; regCountryRules makes the right one.
#pragma once

#include <memory>
#include <string>

inline constexpr int kCountryCount = 169;
inline constexpr int kCountryBrazil = 21;
inline constexpr int kCountryCanada = 27;
inline constexpr int kCountryFrance = 51;
inline constexpr int kCountryJapan = 76;
inline constexpr int kCountrySwitzerland = 143;
inline constexpr int kCountryUnitedStates = 158;

// One row of the country table.
struct DCountryRow {
  char code[4];  // two letters, NUL-padded
  int minPhoneDigits;
  int postalRule;  // n > 0: at least n letters or digits; -n: digits only, at least n
  char phone1[20];
  char phone2[20];
  char phone3[20];  // a fax line when faxFlag is 1
  int faxFlag;
};

// The row of a country index, nullptr outside 0 to 168.
const DCountryRow* regCountryRow(int index);

// The fields a check can name, carried as the exception's value. The type is fixed: the value
// may also hold a control id, which reads as no field.
enum RegField : int {
  kFieldNone,
  kFieldFirstName,
  kFieldLastName,
  kFieldInitial,
  kFieldPrefix,
  kFieldSuffix,
  kFieldPoBox,
  kFieldStreet,
  kFieldCity,
  kFieldState,
  kFieldPostalCode,
  kFieldCountry,
  kFieldPhone,
  kFieldExtension,
};

struct DNamePanel {
  std::string firstName, lastName, initial, prefix, suffix;
};

struct DAddressPanel {
  std::string poBox, street, city, stateText, postalCode;
  int countryIndex = -1;
  bool postalCodeAccepted = false;  // the user chose to keep it after a postal-code question
};

struct DPhonePanel {
  std::string phone, extension;
  bool phoneAccepted = false;  // the user chose to keep it after question 1515
};

class CAddressRules {
 public:
  explicit CAddressRules(int countryIndex) : m_CountryIndex(countryIndex) {}
  virtual ~CAddressRules() = default;

  virtual std::string phoneNumber1() const;
  virtual std::string phoneNumber2() const;
  virtual std::string phoneNumber3() const;
  // The list of states or provinces; the base has none and answers "" and "XX" anyway.
  virtual std::string stateName(int i) const;
  virtual std::string stateCode(int i) const;
  virtual int stateCount() const { return 0; }
  virtual void validateAddress(const DAddressPanel& panel) const;
  virtual void validateName(const DNamePanel& panel) const;
  virtual void validatePhone(const DPhonePanel& panel) const;
  virtual void validatePostalCode(const std::string& text) const;

  int countryIndex() const { return m_CountryIndex; }

 private:
  int m_CountryIndex;
};

// The countries whose first registration number is the product's own when it has numbers.
class COwnNumberAddressRules : public CAddressRules {
 public:
  using CAddressRules::CAddressRules;
  std::string phoneNumber1() const override;
};

// Belgium: the registration number by language and kind, like Switzerland's.
class CBelgianAddressRules : public CAddressRules {
 public:
  CBelgianAddressRules() : CAddressRules(14) {}
  std::string phoneNumber1() const override;
};

// A country with a list of states or provinces (Brazil, Canada).
struct DStateRow {
  const char* code;
  int nameId;
};
class CStateListAddressRules : public CAddressRules {
 public:
  template <std::size_t N>
  CStateListAddressRules(int countryIndex, const DStateRow (&states)[N])
      : CAddressRules(countryIndex), m_States(states), m_Count(static_cast<int>(N)) {}
  std::string stateName(int i) const override;
  std::string stateCode(int i) const override;
  int stateCount() const override { return m_Count; }

 private:
  const DStateRow* m_States;
  int m_Count;
};

// China: postal codes of at least six digits.
class CChinaAddressRules : public CAddressRules {
 public:
  CChinaAddressRules() : CAddressRules(33) {}
  void validatePostalCode(const std::string& text) const override;
};

// The United States: 51 states and the zip-code check.
class CUsAddressRules : public CStateListAddressRules {
 public:
  CUsAddressRules();
  void validatePostalCode(const std::string& text) const override;
  // -1 when the zip code is acceptable; else throws 246 (a bad character) or 224 (fewer than
  // five digits before the hyphen).
  static int checkUsZipCode(const std::string& text);
};

// Switzerland: the registration number depends on the language and on whether the product has
// numbers of its own.
class CSwissAddressRules : public CAddressRules {
 public:
  CSwissAddressRules() : CAddressRules(kCountrySwitzerland) {}
  std::string phoneNumber1() const override;
  // The number for a language index and product kind (1: no numbers of its own, 2: its own).
  static std::string numberFor(int languageIndex, int kind);
};

// Japan: the 47 prefectures.
class CJapanAddressRules : public CAddressRules {
 public:
  CJapanAddressRules() : CAddressRules(kCountryJapan) {}
  std::string stateName(int i) const override;
  std::string stateCode(int i) const override;
  int stateCount() const override { return 47; }
};

// France: no data of its own.
class CFranceAddressRules : public COwnNumberAddressRules {
 public:
  CFranceAddressRules() : COwnNumberAddressRules(kCountryFrance) {}
};

// A new rules object of the country's class.
std::unique_ptr<CAddressRules> regCountryRules(int countryIndex);
// The rules kept for a country index: made on its first use and kept, one object per country,
// for the program's life (a reference stays valid whatever country is asked for next).
// Window thread only.
CAddressRules& regRulesForCountry(int countryIndex);
// The rules of the country of the C run-time locale set at start-up, made once and kept.
CAddressRules& regCountryOfTheLocale();
// String 1200 + index.
std::string regCountryName(int countryIndex);
