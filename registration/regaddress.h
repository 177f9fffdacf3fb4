// CAddressRules: the rules of one country of the wizard's country table (index 0 to 168,
// string 1200 + index its name): its registration telephone numbers and its list of states.
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

  int countryIndex() const { return m_CountryIndex; }

 private:
  int m_CountryIndex;
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

// France: no data of its own yet.
class CFranceAddressRules : public CAddressRules {
 public:
  CFranceAddressRules() : CAddressRules(kCountryFrance) {}
};

// A new rules object of the country's class.
std::unique_ptr<CAddressRules> regCountryRules(int countryIndex);
