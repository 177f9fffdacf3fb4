// The wizard's language: the language-name table, the choice of a language from the user's
// locale or a given name, the loading of that language's resource library, and the language
// object CLanguageRules, which answers which fields the language shows.
//
// A language library is named "Tamrel" + the first three characters of the product code +
// the language's three-letter code + kResourceLibrarySuffix (TamrelOrbENU for the maker's
// products in English), and is looked for in the program's folder. When it cannot be loaded,
// the language is English (18) with the program's own resources.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "regres.h"

class CAddressRules;

inline constexpr int kLanguageItalian = 0;
inline constexpr int kLanguageJapanese = 4;
inline constexpr int kLanguageChineseSimplified = 5;
inline constexpr int kLanguageFrench = 9;
inline constexpr int kLanguageGerman = 11;
inline constexpr int kLanguageEnglish = 18;
inline constexpr int kLanguagePortugueseBrazil = 22;
inline constexpr int kLanguageCount = 23;

inline constexpr char kResourceLibrarySuffix[] = ".res";

// The index of a language name (exact, lower case), -1 when the table lacks it.
int languageIndex(const std::string& name);
// The three-letter code of an index ("ENU"), "" outside 0 to 22.
std::string languageCode(int index);
// The resource library's file name for an index and the product code.
std::string languageLibraryName(int index, const std::string& productCode);

// Loads a resource library by file name; null when it cannot be loaded.
using RegLibraryLoader =
    std::function<std::unique_ptr<CRegResourceModule>(const std::string& fileName)>;
// Makes loader the one that language choices use (none set: no library ever loads).
void regSetLibraryLoader(RegLibraryLoader loader);

class CLanguageRules {
 public:
  virtual ~CLanguageRules() = default;

  // The process-wide object; the first call chooses from the user's locale (chooseFromLocale).
  static CLanguageRules& instance();
  // Chooses by name, loads the library and makes it the resource source; returns the object.
  static CLanguageRules& load(const std::string& name);
  // Sets the C run-time locale to the user's default, names the language from it and loads.
  static CLanguageRules& chooseFromLocale();

  int index() const { return m_Index; }
  // True when a library was loaded (else the program's own resources serve).
  bool hasLibrary() const { return m_Library != nullptr; }

  virtual bool showFirstName() const { return flag(0); }
  virtual bool showLastName() const { return flag(1); }
  virtual bool showPrefix() const { return flag(2); }
  virtual bool showSuffix() const { return flag(3); }
  virtual bool showInitial() const { return flag(4); }
  virtual bool showPoBox() const { return flag(5); }
  virtual bool showStreet() const { return flag(6); }
  virtual bool showCity() const { return flag(7); }
  virtual bool showState(const CAddressRules& country) const;
  virtual bool showPostalCode() const { return flag(9); }
  virtual bool showCountry() const { return flag(10); }
  // "en_US", "fr_CA", or the language's three-letter code.
  virtual std::string languageCodeText() const;
  virtual bool showJobTitle() const { return flag(11); }
  virtual bool showCompany() const { return flag(12); }
  virtual bool showPhone() const { return flag(13); }
  virtual bool furtherFlag1() const { return flag(14); }
  virtual bool furtherFlag2() const { return flag(15); }
  virtual bool offerFrenchCorrespondence() const { return flag(16); }
  virtual bool boldPageTitles() const { return flag(17); }

 protected:
  CLanguageRules(int index, std::unique_ptr<CRegResourceModule> library);
  bool flag(int column) const;

 private:
  friend std::unique_ptr<CLanguageRules> regMakeLanguageRules(
      int index, std::unique_ptr<CRegResourceModule> library);
  int m_Index;
  std::unique_ptr<CRegResourceModule> m_Library;
};

// A language object of the index's class holding library (null: the program's own).
std::unique_ptr<CLanguageRules> regMakeLanguageRules(int index,
                                                     std::unique_ptr<CRegResourceModule> library);

// The language name that a locale name gives: the lower-cased text before the first "_" or
// blank; "portuguese" with "brazil" and "chinese" with "taiwan" in the name take the whole
// lower-cased name up to its first period.
std::string regLanguageNameOfLocale(const std::string& localeName);

// The country index of a locale name: its part after the first "_" up to the next ".",
// lower-cased, looked up in the locale-name table; 158 (United States) when not found.
int regCountryOfLocale(const std::string& localeName);
