#include "regform.h"

#include <cstdlib>

#include "regaddress.h"
#include "regconst.h"
#include "regcustom.h"
#include "regregistrant.h"
#include "regres.h"
#include "regsysinfo.h"

namespace {

constexpr int kFaxHeading = 2118;
constexpr int kOtherwiseMailHeading = 2119;
constexpr int kMailHeading = 314;
constexpr int kEndOfForm = 2121;

// Deployment data: where registrations are mailed, by country index; others go to the
// United States centre.
struct DMailing {
  int countryIndex;
  const char* lines[4];
};
constexpr DMailing kMailing[] = {
    {kCountryUnitedStates,
     {"Orbenix Product Registration", "PO Box 4410", "Springfield, IL 62708", ""}},
    {kCountryCanada, {"Orbenix Canada Registration", "CP 2210", "Montreal QC H3C 3T5", ""}},
    {kCountryFrance, {"Orbenix France", "Service Enregistrement", "BP 117", "75008 Paris"}},
    {56, {"Orbenix Deutschland", "Produktregistrierung", "Postfach 1180", "60311 Frankfurt"}},
    {157, {"Orbenix UK", "Product Registration", "PO Box 77", "London EC1A 1AA"}},
};

struct DFormWriter {
  std::vector<DFormLine>& lines;
  void field(const std::string& code, const std::string& value) {
    lines.push_back({0, code, value});
  }
  void separator() { lines.push_back({1, "", ""}); }
};

void addressBlock(DFormWriter& form, int countryIndex) {
  const DCountryRow* row = regCountryRow(countryIndex);
  std::string heading = regLoadString(kMailHeading);
  if (row != nullptr && row->faxFlag == 1) {
    form.field("", regLoadString(kFaxHeading));
    form.field("", row->phone3);
    form.separator();
    heading = regLoadString(kOtherwiseMailHeading);
  }
  form.field("", heading);
  for (const std::string& line : regMailingLines(countryIndex)) form.field("", line);
  form.separator();
}

void products(DFormWriter& form, const CSystemInfo& info) {
  form.field("23:", info.get(regconst::kProdName));
  int count = std::atoi(info.get(regconst::kNumOfProds).c_str());
  for (int i = 1; i <= count; ++i)
    form.field("21:", info.get(regconst::kProdPrefix + std::to_string(i)));
  form.separator();
}

void contact(DFormWriter& form, CRegistrant& registrant) {
  CPersonName& name = registrant.name();
  const std::string names[] = {name.getFirstName(), name.getInitial(), name.getLastName(),
                               name.getPrefixText(), name.getSuffixText()};
  for (int i = 0; i < 5; ++i) form.field(std::to_string(31 + i) + ":", names[i]);
  CPostalAddress& address = registrant.address();
  const std::string lines[] = {address.getCountryText(), address.getStateText(),
                               address.getCity(),        address.getStreet(),
                               address.getPoBox(),       address.getPostalCode()};
  for (int i = 0; i < 6; ++i) form.field(std::to_string(51 + i) + ":", lines[i]);
  form.field("43:", registrant.get("jobTitle"));
  form.field("44:", registrant.get("company"));
  form.field("61:", registrant.phone().getPhone() + "   " + registrant.phone().getExtension());
  form.field("64:", registrant.get("email"));
  form.separator();
}

void mapped(DFormWriter& form, CRegistrant& registrant, std::initializer_list<const char*> codes) {
  for (const char* code : codes) form.field(std::string(code) + ":", registrant.getThird(code));
}

void answers(DFormWriter& form, CRegistrant& registrant, CSystemInfo& info) {
  form.field("36:", registrant.get("q1"));
  if (info.sendBios()) {
    form.field("7502:", info.get(regconst::kOsNameKey));
    form.field("7503:", info.get(regconst::kOsVersionKey));
  }
  form.field("25:", "1");
  form.field("41:", registrant.get("q10"));
  form.field("37:", registrant.get("q11"));
  form.separator();
  form.field("7505:", "");
  form.field("7506:", registrant.address().getPostalCode());
  mapped(form, registrant, {"7507", "7508", "7509"});
  form.field("7513:", registrant.get("q13"));
  form.field("7514:", getVersionBanner());
  if (info.sendBios()) {
    std::string manufacturer, product, serial;
    info.getBiosInfo(manufacturer, product, serial);
    form.field("7515:", manufacturer);
    form.field("7516:", product);
    form.field("7517:", serial);
  }
  mapped(form, registrant, {"7518", "7519", "7520", "7521"});
  bool holds22 = CProductCustomization::instance().jobTitleHoldsAnswer22();
  form.field("7522:", holds22 ? registrant.get("q22") : "");
  mapped(form, registrant, {"7523", "7524", "7525", "7527"});
  form.field("7526:", registrant.get("q26"));
}

}  // namespace

std::vector<std::string> regMailingLines(int countryIndex) {
  const DMailing* chosen = &kMailing[0];
  for (const DMailing& mailing : kMailing) {
    if (mailing.countryIndex == countryIndex) chosen = &mailing;
  }
  std::vector<std::string> lines;
  for (const char* line : chosen->lines) {
    if (*line != '\0') lines.emplace_back(line);
  }
  return lines;
}

void buildFormLines(std::vector<DFormLine>& lines) {
  lines.clear();
  DFormWriter form{lines};
  CRegistrant& registrant = CRegistrant::instance();
  CSystemInfo& info = CSystemInfo::instance();
  addressBlock(form, registrant.address().getCountryIndex());
  products(form, info);
  contact(form, registrant);
  answers(form, registrant, info);
  form.separator();
  form.field("", regLoadString(kEndOfForm));
}
