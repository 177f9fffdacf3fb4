#include "regregistrant.h"

#include <algorithm>
#include <iterator>

#include "regaddress.h"
#include "regconfig.h"
#include "regconst.h"
#include "regcustom.h"
#include "regquery.h"
#include "regres.h"
#include "regstate.h"
#include "regswitch.h"
#include "regsysinfo.h"
#include "regtextutil.h"

namespace {

constexpr const char* kPrefixes[] = {"MR", "MS", "MRS", "MISS", "DR"};
constexpr const char* kSuffixes[] = {"", "CPA", "ESQ", "JR", "PH.D", "SR", "II", "III", "IV", "V"};
constexpr char kGeneral[] = "General";

template <std::size_t N>
std::string listText(const char* const (&list)[N], int index) {
  return index >= 0 && index < static_cast<int>(N) ? list[index] : "";
}

std::string productSection() {
  return regSetting(RegSetting::ProductSection);
}

bool holdsAnswer22() {
  return CProductCustomization::instance().jobTitleHoldsAnswer22();
}

bool isBlank(const std::string& text) {
  return text.find_first_not_of(" \t") == std::string::npos;
}

}  // namespace

bool regRegressionMode() {
  return regSwitchIs(kSwitchRegressionTest, "yes");
}

void CPersonName::setPrefix(const std::string& text, int index) {
  m_PrefixText = text;
  m_PrefixIndex = index;
  m_AnswersP->set("prefix", listText(kPrefixes, index));
}

void CPersonName::setSuffix(const std::string& text, int index) {
  m_SuffixText = text;
  m_SuffixIndex = index;
  m_AnswersP->set("suffix", listText(kSuffixes, index));
}

void CPostalAddress::setCountry(const std::string& text, int index) {
  const DCountryRow* row = regCountryRow(index);
  m_CountryIndex = row != nullptr ? index : -1;
  m_CountryText = row != nullptr ? text : "";
  m_AnswersP->set("country", row != nullptr ? row->code : "");
}

void CPostalAddress::setState(const std::string& text, const std::string& code) {
  bool blank = isBlank(code);
  m_StateCode = blank ? "" : code;
  m_StateText = blank ? "" : text;
  m_AnswersP->set("stateProv", m_StateCode);
}

void CPostalAddress::setFrenchCorrespondence(int flag) {
  m_French = flag;
  m_AnswersP->set("q6", flag == 1 ? "fr_CA" : "");
}

CRegistrant& CRegistrant::instance() {
  static CRegistrant record;
  return record;
}

CRegistrant::CRegistrant() = default;

void CRegistrant::setRegistrantId(const std::string& id) {
  set("q13", regRegressionMode() ? kRegressionRegistrantId : id);
}

void CRegistrant::setMarketingConsent(int consent) {
  m_Consent = consent;
  set("q26", regLoadString(consent == 1 ? 1055 : 1056));
}

void CRegistrant::setFixedAnswers() {
  set("q10", regLoadString(1057));
  set("q11", regLoadString(1056));
  set("q4", regLoadString(1058));
}

void CRegistrant::loadFromRegistry() {
  m_Name.setFirstName(regReadString(kGeneral, "firstName"));
  m_Name.setInitial(regReadString(kGeneral, "initial"));
  m_Name.setLastName(regReadString(kGeneral, "lastName"));
  m_Name.setSuffixText(regReadString(kGeneral, "suffix"));
  m_Name.setPrefixText(regReadString(kGeneral, "prefix"));
  m_Address.setPoBox(regReadString(kGeneral, "addr2"));
  m_Address.setStreet(regReadString(kGeneral, "addr1"));
  m_Address.setCity(regReadString(kGeneral, "city"));
  m_Address.setStateText(regReadString(kGeneral, "stateProv"));
  m_Address.setPostalCode(regReadString(kGeneral, "zip"));
  m_Address.setCountryText(regReadString(kGeneral, "country"));
  int french = regReadInt(kGeneral, "q6");
  if (french != -1) m_Address.setFrenchCorrespondence(french);
  m_Phone.setPhone(regReadString(kGeneral, "phone"));
  m_Phone.setExtension(regReadString(kGeneral, "extension"));
  if (holdsAnswer22()) {
    setAnswer22(regReadString(productSection(), "q22"));
  } else {
    setJobTitle(regReadString(kGeneral, "jobTitle"));
    setCompany(regReadString(kGeneral, "company"));
  }
  setEmail(regReadString(kGeneral, "email"));
  setMarketingConsent(1);
  set("q11", regReadString(productSection(), "q11"));
  set("q10", regReadString(productSection(), "q10"));
  setRegistrantId(regReadString(kGeneral, "q13"));
}

void CRegistrant::saveToRegistry() {
  regWriteString(kGeneral, "firstName", m_Name.getFirstName());
  regWriteString(kGeneral, "initial", m_Name.getInitial());
  regWriteString(kGeneral, "lastName", m_Name.getLastName());
  regWriteString(kGeneral, "suffix", m_Name.getSuffixText());
  regWriteString(kGeneral, "prefix", m_Name.getPrefixText());
  regWriteString(kGeneral, "addr2", m_Address.getPoBox());
  regWriteString(kGeneral, "addr1", m_Address.getStreet());
  regWriteString(kGeneral, "city", m_Address.getCity());
  if (!regEqualNoCase(m_Address.getStateText(), "XX")) {
    regWriteString(kGeneral, "stateProv", m_Address.getStateText());
  }
  regWriteString(kGeneral, "country", m_Address.getCountryText());
  regWriteString(kGeneral, "zip", m_Address.getPostalCode());
  regWriteInt(kGeneral, "q6", m_Address.frenchCorrespondence());
  regWriteString(kGeneral, "phone", m_Phone.getPhone());
  regWriteString(kGeneral, "extension", m_Phone.getExtension());
  if (holdsAnswer22()) {
    regWriteString(productSection(), "q22", get("q22"));
  } else {
    regWriteString(kGeneral, "jobTitle", get("jobTitle"));
    regWriteString(kGeneral, "company", get("company"));
  }
  regWriteString(kGeneral, "q1", get("q1"));
  regWriteString(kGeneral, "email", get("email"));
  regWriteString(productSection(), "q10", get("q10"));
  regWriteString(productSection(), "q11", get("q11"));
  regWriteString(kGeneral, "q13", get("q13"));
}

// The regression literal is encoded like every value: its blanks would split the request line.
const std::string& CRegistrant::buildRegistrantQuery() {
  m_QueryText = regQueryPairs(m_Answers);
  m_QueryText += "&q14=";
  m_QueryText += regEncoded(regRegressionMode() ? kRegressionVersion : getVersionBanner());
  return m_QueryText;
}

void CRegistrant::release() {
  m_Answers.clear();
  m_Second.clear();
  m_Third.clear();
  m_QueryText.clear();
  // The parts' display state (chosen prefix, country, state texts) goes with the answers.
  m_Name = CPersonName(&m_Answers);
  m_Address = CPostalAddress(&m_Answers);
  m_Phone = CPhoneNumber(&m_Answers);
  m_Consent = 1;
  std::fill(std::begin(m_Bookmarks), std::end(m_Bookmarks), 0);
  m_ExitConfirmation = 1;
  m_ConnectionOutcome = 0;
}
