#include "reglocale.h"

#include <clocale>
#include <cstdlib>

namespace {

struct CodeName {
  const char* code;
  const char* name;
};

constexpr CodeName kLanguages[] = {
    {"cs", "Czech"},     {"da", "Danish"},
    {"de", "German"},    {"el", "Greek"},
    {"en", "English"},   {"es", "Spanish"},
    {"fi", "Finnish"},   {"fr", "French"},
    {"hu", "Hungarian"}, {"it", "Italian"},
    {"ja", "Japanese"},  {"ko", "Korean"},
    {"nb", "Norwegian"}, {"nn", "Norwegian-Nynorsk"},
    {"no", "Norwegian"}, {"nl", "Dutch"},
    {"pl", "Polish"},    {"pt", "Portuguese"},
    {"ru", "Russian"},   {"sv", "Swedish"},
    {"th", "Thai"},      {"tr", "Turkish"},
    {"zh", "Chinese"},
};

constexpr CodeName kTerritories[] = {
    {"AT", "Austria"},
    {"AU", "Australia"},
    {"BE", "Belgium"},
    {"BR", "Brazil"},
    {"CA", "Canada"},
    {"CH", "Switzerland"},
    {"CN", "People's Republic of China"},
    {"CZ", "Czech Republic"},
    {"DE", "Germany"},
    {"DK", "Denmark"},
    {"ES", "Spain"},
    {"FI", "Finland"},
    {"FR", "France"},
    {"GB", "United Kingdom"},
    {"GR", "Greece"},
    {"HK", "Hong Kong"},
    {"HU", "Hungary"},
    {"IE", "Ireland"},
    {"IS", "Iceland"},
    {"IT", "Italy"},
    {"JP", "Japan"},
    {"KR", "Korea"},
    {"MX", "Mexico"},
    {"NL", "Netherlands"},
    {"NO", "Norway"},
    {"NZ", "New Zealand"},
    {"PL", "Poland"},
    {"PT", "Portugal"},
    {"RU", "Russia"},
    {"SE", "Sweden"},
    {"SG", "Singapore"},
    {"SK", "Slovak"},
    {"TH", "Thailand"},
    {"TR", "Turkey"},
    {"TW", "Taiwan"},
    {"US", "United States"},
};

// The POSIX locale of each language index of the language table (regLanguageIndex).
constexpr const char* kLanguageLocales[] = {
    "it_IT", "el_GR", "da_DK", "ru_RU", "ja_JP", "zh_CN", "ko_KR", "sv_SE",
    "th_TH", "fr_FR", "es_ES", "de_DE", "zh_TW", "nl_NL", "nb_NO", "cs_CZ",
    "tr_TR", "pl_PL", "en_US", "hu_HU", "fi_FI", "pt_PT", "pt_BR",
};

std::string gLocaleName = "C";  // set at start-up on the user-interface thread

template <std::size_t N>
std::string lookUp(const CodeName (&table)[N], std::string_view code) {
  for (const CodeName& row : table) {
    if (code == row.code) return row.name;
  }
  return std::string(code);
}

std::string environmentLocale() {
  for (const char* variable : {"LC_ALL", "LC_CTYPE", "LANG"}) {
    const char* value = std::getenv(variable);
    if (value != nullptr && *value != '\0') return value;
  }
  return "C";
}

// Sets the C run-time locale to posixName, or to C.UTF-8 when it is not installed.
void setRuntimeLocale(const char* posixName) {
  if (std::setlocale(LC_ALL, posixName) == nullptr) std::setlocale(LC_ALL, "C.UTF-8");
}

}  // namespace

std::string regMapLocaleName(std::string_view posixName) {
  std::size_t dot = posixName.find('.');
  std::string_view base = posixName.substr(0, dot);
  std::string codeset(dot == std::string_view::npos ? "" : posixName.substr(dot));
  std::size_t at = base.find('@');
  base = base.substr(0, at);
  std::size_t underscore = base.find('_');
  if (underscore == std::string_view::npos) return lookUp(kLanguages, base) + codeset;
  return lookUp(kLanguages, base.substr(0, underscore)) + '_' +
         lookUp(kTerritories, base.substr(underscore + 1)) + codeset;
}

std::string regSetUserLocale() {
  std::string name = environmentLocale();
  if (std::setlocale(LC_ALL, "") == nullptr) {
    std::setlocale(LC_ALL, "C.UTF-8");
  } else {
    name = std::setlocale(LC_CTYPE, nullptr);
  }
  gLocaleName = regMapLocaleName(name);
  return gLocaleName;
}

std::string regSetLanguageLocale(int languageIndex) {
  constexpr int count = sizeof kLanguageLocales / sizeof kLanguageLocales[0];
  std::string posix =
      languageIndex >= 0 && languageIndex < count ? kLanguageLocales[languageIndex] : "en_US";
  posix += ".UTF-8";
  setRuntimeLocale(posix.c_str());
  gLocaleName = regMapLocaleName(posix);
  return gLocaleName;
}

const std::string& regLocaleName() {
  return gLocaleName;
}
