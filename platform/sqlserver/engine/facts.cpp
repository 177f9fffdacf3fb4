#include "facts.h"

#include <cstdio>
#include <cstdlib>

namespace sqlengine {

const FactName kFactNames[13] = {
    {"version-major", &ServerFacts::versionMajor},
    {"version-minor", &ServerFacts::versionMinor},
    {"version-string", &ServerFacts::versionString},
    {"host-name", &ServerFacts::hostName},
    {"net-name", &ServerFacts::netName},
    {"clustered", &ServerFacts::clustered},
    {"code-page", &ServerFacts::codePage},
    {"sort-order", &ServerFacts::sortOrderId},
    {"unicode-locale", &ServerFacts::unicodeLocaleId},
    {"unicode-comparison", &ServerFacts::unicodeComparisonStyle},
    {"mixed-authentication", &ServerFacts::mixedAuthentication},
    {"service-status", &ServerFacts::serviceStatus},
    {"show-advanced-options", &ServerFacts::showAdvancedOptions},
};

namespace {

std::optional<int> toInt(const std::string& text) {
  if (text.empty()) return std::nullopt;
  char* end = nullptr;
  long value = std::strtol(text.c_str(), &end, 10);
  if (*end != '\0') return std::nullopt;
  return static_cast<int>(value);
}

std::optional<bool> toBool(const std::string& text) {
  if (text == "yes" || text == "true" || text == "on" || text == "1") return true;
  if (text == "no" || text == "false" || text == "off" || text == "0") return false;
  return std::nullopt;
}

}  // namespace

std::string factValue(const ServerFacts& facts, const FactName& fact) {
  if (auto* i = std::get_if<int ServerFacts::*>(&fact.member)) return std::to_string(facts.**i);
  if (auto* b = std::get_if<bool ServerFacts::*>(&fact.member)) return facts.**b ? "yes" : "no";
  return facts.*std::get<std::string ServerFacts::*>(fact.member);
}

bool setFactValue(ServerFacts& facts, const FactName& fact, const std::string& value) {
  if (auto* i = std::get_if<int ServerFacts::*>(&fact.member)) {
    auto n = toInt(value);
    if (n) facts.** i = *n;
    return n.has_value();
  }
  if (auto* b = std::get_if<bool ServerFacts::*>(&fact.member)) {
    auto v = toBool(value);
    if (v) facts.** b = *v;
    return v.has_value();
  }
  facts.*std::get<std::string ServerFacts::*>(fact.member) = value;
  return true;
}

const FactName* findFact(const std::string& name) {
  for (const FactName& fact : kFactNames) {
    if (name == fact.name) return &fact;
  }
  return nullptr;
}

std::string versionStringOf(const ServerFacts& facts) {
  if (!facts.versionString.empty()) return facts.versionString;
  struct Release {
    int major;
    const char* product;
    int build;
  };
  static constexpr Release kReleases[] = {
      {6, "6.50", 201}, {7, "7.00", 1063}, {8, "2000", 2039}, {9, "2005", 1399}};
  const char* product = "";
  int build = 0;
  for (const Release& r : kReleases) {
    if (r.major == facts.versionMajor) {
      product = r.product;
      build = r.build;
    }
  }
  char text[128];
  std::snprintf(text, sizeof text, "Microsoft SQL Server  %s - %d.%02d.%d (Intel X86)", product,
                facts.versionMajor, facts.versionMinor, build);
  return text;
}

int databaseVersionFor(int versionMajor) {
  return versionMajor <= 7 ? 515 : versionMajor == 8 ? 539 : 611;
}

}  // namespace sqlengine
