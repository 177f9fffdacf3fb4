#include "regcontact.h"

#include "regcustom.h"
#include "regexcept.h"
#include "reglang.h"
#include "regregistrant.h"
#include "regres.h"
#include "regtextchk.h"
#include "regtextutil.h"

namespace {

// Each acceptance turns one check off, so a run ends after a few rounds; the bound only
// guards against a check that throws again after being accepted.
constexpr int kMostRounds = 16;

// The page's own fields travel in the exception's value as their control id.
[[noreturn]] void failOnControl(int id, int controlId) {
  throw CRegException(id, controlId);
}

void checkMsgBadCharacters(const std::string& text, int controlId) {
  if (findPipeOrBackslash(text) >= 0) failOnControl(kMsgBadCharacter, controlId);
}

}  // namespace

CContactInfoPage::CContactInfoPage(CRegControls& controls)
    : m_controls(controls),
      m_name(controls),
      m_address(controls, CLanguageRules::instance(), CProductCustomization::instance()),
      m_phone(controls) {
  CRegistrant& registrant = CRegistrant::instance();
  m_jobTitleIsAnswer22 = CProductCustomization::instance().jobTitleHoldsAnswer22();
  if (m_jobTitleIsAnswer22) {
    m_jobTitle = registrant.get("q22");
  } else {
    m_jobTitle = registrant.get("jobTitle");
    m_company = registrant.get("company");
  }
  m_email = registrant.get("email");
  m_consent = registrant.marketingConsent();
}

void CContactInfoPage::load() {
  const CLanguageRules& language = CLanguageRules::instance();
  const CProductCustomization& product = CProductCustomization::instance();
  m_name.load();
  m_address.load();
  m_phone.load();
  m_controls.setText(kContactJobTitle, m_jobTitle);
  m_controls.limitText(kContactJobTitle, 30);
  m_controls.setText(kContactEmail, m_email);
  m_controls.limitText(kContactEmail, 60);
  m_controls.setText(kContactCompany, m_company);
  m_controls.limitText(kContactCompany, 50);
  m_controls.setChecked(kContactConsent, m_consent == 1 ? 1 : 0);
  m_controls.showPair(kContactJobTitleLabel, kContactJobTitle, language.showJobTitle());
  m_controls.showPair(kContactCompanyLabel, kContactCompany, language.showCompany());
  m_controls.show(kContactPrivacy, product.privacyButtonOffered());
  if (m_jobTitleIsAnswer22) {
    m_controls.showPair(kContactCompanyLabel, kContactCompany, false);
    m_controls.setText(kContactJobTitleLabel, regLoadString(kJobTitleAsAnswerLabel));
    m_controls.setRight(kContactJobTitle, m_controls.right(kContactCompany));
    m_controls.limitText(kContactJobTitle, 60);
  }
}

void CContactInfoPage::init() {
  if (CLanguageRules::instance().boldPageTitles()) m_controls.setBold(kContactTitle);
  m_name.initLists();
  m_address.initLists();
}

void CContactInfoPage::runChecks() {
  const CAddressRules& rules = m_address.countryRules();
  rules.validateName(m_name.panel());
  rules.validateAddress(m_address.panel());
  rules.validatePhone(m_phone.panel());
  checkMsgBadCharacters(m_controls.text(kContactJobTitle), kContactJobTitle);
  checkMsgBadCharacters(m_controls.text(kContactCompany), kContactCompany);
  if (m_emailDeclined) return;
  std::string email = m_controls.text(kContactEmail);
  checkMsgBadCharacters(email, kContactEmail);
  if (regTrimBlanks(email).empty()) failOnControl(kMsgEmailWanted, kContactEmail);
  bool shaped = email.find('@') != std::string::npos && email.find('.') != std::string::npos &&
                email.find(' ') == std::string::npos;
  if (!shaped) failOnControl(kMsgEmailMalformed, kContactEmail);
}

bool CContactInfoPage::next() {
  for (int round = 0; round < kMostRounds; ++round) {
    try {
      runChecks();
    } catch (const CRegException& e) {
      if (decide(e, reportRegException(e)) == Decision::Stay) return false;
      continue;
    }
    save();
    return true;
  }
  return false;
}

CContactInfoPage::Decision CContactInfoPage::decide(const CRegException& e, int answer) {
  bool no = answer == kRegIdNo;
  switch (e.id()) {
    case 201:
    case 202:
    case 1519:
    case 1520:
      m_name.focusFor(e);
      return Decision::Stay;
    case 224:
    case 225:
    case 1516:
    case 1517:
      if (no) {
        m_address.focusFor(e.id(), kFinalValidation);
        return Decision::Accept;
      }
      m_controls.focus(kAddrPostalCode);
      return Decision::Stay;
    case 203:
    case 222:
    case 204:
    case 205:
    case 206:
    case 207:
    case 247:
      m_address.focusFor(e.id(), 0);
      return Decision::Stay;
    case kMsgEmailWanted:
    case kMsgEmailMalformed:
      if (no) {
        m_emailDeclined = true;
        return Decision::Accept;
      }
      m_controls.focus(kContactEmail);
      return Decision::Stay;
    case kMsgBadCharacter:
    case 221:
    case 246:
      focusNamed(e);
      return Decision::Stay;
    case kMsgPhoneRequired:
      m_phone.focusFor(e);
      return Decision::Stay;
    case kMsgPhoneQuestion:
    case kMsgPhoneTooShort:
      if (no) {
        m_phone.setAccepted(true);
        return Decision::Accept;
      }
      m_phone.focusFor(e);
      return Decision::Stay;
    default:
      return Decision::Stay;
  }
}

void CContactInfoPage::focusNamed(const CRegException& e) {
  int id = regControlOfField(static_cast<RegField>(e.value()));
  if (id == 0) id = static_cast<int>(e.value());
  if (id != 0 && m_controls.has(id) && m_controls.shown(id)) m_controls.focus(id);
}

void CContactInfoPage::leaveField(int id) {
  if (m_name.leaveField(id) || m_address.leaveField(id)) return;
  if (m_phone.leaveField(id, m_address.countryRules())) return;
  if (id == kContactEmail) m_emailDeclined = false;
  if (id == kContactEmail || id == kContactCompany || id == kContactJobTitle) {
    regRefuseBadCharacters(m_controls, id, kFieldNone);
  }
}

void CContactInfoPage::save() {
  CRegistrant& registrant = CRegistrant::instance();
  m_name.store(registrant);
  m_address.store(registrant);
  m_phone.store(registrant);
  std::string jobTitle = m_controls.text(kContactJobTitle);
  if (m_jobTitleIsAnswer22) {
    registrant.setAnswer22(jobTitle);
    registrant.setJobTitle("");
    registrant.setCompany("");
  } else {
    registrant.setJobTitle(jobTitle);
    registrant.setCompany(m_controls.text(kContactCompany));
  }
  registrant.setEmail(m_controls.text(kContactEmail));
  registrant.setMarketingConsent(m_controls.checked(kContactConsent) == 1 ? 1 : 0);
  registrant.setFixedAnswers();
}
