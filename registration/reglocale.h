// Locale names as the wizard's tables expect them. The language and country tables know
// names of the form "Language_Country.codeset" ("French_Canada.1252"); POSIX names
// ("fr_CA.UTF-8") are mapped to that form by a small table of language and territory codes.
// A code the table lacks stays as it is, so it matches nothing and the tables' defaults apply.
#pragma once

#include <string>
#include <string_view>

// "fr_CA.UTF-8" -> "French_Canada.UTF-8", "pt_BR" -> "Portuguese_Brazil", "C" -> "C".
std::string regMapLocaleName(std::string_view posixName);

// Sets the C run-time locale (all categories) to the user's default and returns its mapped
// name. When the user's locale is not installed, the C run-time gets C.UTF-8 and the name is
// still the one the environment asks for (LC_ALL, then LC_CTYPE, then LANG).
std::string regSetUserLocale();

// Sets the C run-time locale for a language of the language table (by its index) and returns
// its mapped name, e.g. 11 -> "German_Germany.UTF-8".
std::string regSetLanguageLocale(int languageIndex);

// The mapped name of the locale set last by the two calls above ("C" before).
const std::string& regLocaleName();
