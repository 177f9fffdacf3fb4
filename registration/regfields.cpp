#include "regfields.h"

#include <cstdint>

#include "regcustom.h"
#include "regexcept.h"
#include "reglang.h"
#include "regquestion.h"
#include "regregistrant.h"
#include "regres.h"
#include "regtextchk.h"
#include "regtextutil.h"

namespace {

const CLanguageRules& language() {
  return CLanguageRules::instance();
}

// Language flag columns of the name fields.
bool languageShows(int flag) {
  const CLanguageRules& l = language();
  switch (flag) {
    case 0:
      return l.showFirstName();
    case 1:
      return l.showLastName();
    case 2:
      return l.showPrefix();
    case 3:
      return l.showSuffix();
    default:
      return l.showInitial();
  }
}

}  // namespace

bool regRefuseBadCharacters(CRegControls& controls, int id, RegField field) {
  if (findPipeOrBackslash(controls.text(id)) < 0) return false;
  regReportAndFocus(controls, CRegException(kMsgBadCharacter, field), id);
  return true;
}

int regReportAndFocus(CRegControls& controls, const CRegException& e, int fieldId) {
  int answer = reportRegException(e);
  if (fieldId != 0) controls.focus(fieldId);
  return answer;
}

int regControlOfField(RegField field) {
  switch (field) {
    case kFieldFirstName:
      return kNameFirst;
    case kFieldLastName:
      return kNameLast;
    case kFieldInitial:
      return kNameInitial;
    case kFieldPrefix:
      return kNamePrefix;
    case kFieldSuffix:
      return kNameSuffix;
    case kFieldPoBox:
      return kAddrPoBox;
    case kFieldStreet:
      return kAddrStreet;
    case kFieldCity:
      return kAddrCity;
    case kFieldState:
      return kAddrState;
    case kFieldPostalCode:
      return kAddrPostalCode;
    case kFieldCountry:
      return kAddrCountry;
    case kFieldPhone:
      return kPhoneNumber;
    case kFieldExtension:
      return kPhoneExtension;
    case kFieldNone:
      break;
  }
  return 0;
}

// ---- name group ----

CNameGroup::CNameGroup(CRegControls& controls) : m_controls(controls) {
  CPersonName& name = CRegistrant::instance().name();
  m_first = name.getFirstName();
  m_initial = name.getInitial();
  m_last = name.getLastName();
  m_prefix = name.getPrefixText();
  m_suffix = name.getSuffixText();
}

bool CNameGroup::freeAffixes() {
  return language().index() == kLanguageJapanese;
}

void CNameGroup::load() {
  bool free = freeAffixes();
  struct Field {
    int id;
    const std::string& value;
    int maxChars;
  };
  const Field fields[] = {{kNameFirst, m_first, 30},
                          {kNameInitial, m_initial, 1},
                          {kNameLast, m_last, 30},
                          {kNamePrefix, m_prefix, free ? 50 : 20},
                          {kNameSuffix, m_suffix, free ? 50 : 10}};
  for (const Field& f : fields) {
    m_controls.setText(f.id, f.value);
    m_controls.limitText(f.id, f.maxChars);
  }
  m_controls.showPair(kNameFirstLabel, kNameFirst, languageShows(0));
  m_controls.show(kNameInitial, languageShows(4));
  m_controls.showPair(kNameLastLabel, kNameLast, languageShows(1));
  m_controls.showPair(kNamePrefixLabel, kNamePrefix, languageShows(2));
  m_controls.showPair(kNameSuffixLabel, kNameSuffix, languageShows(3));
}

void CNameGroup::initLists() {
  if (freeAffixes()) return;
  fillList(kNamePrefix, kPrefixStrings, kPrefixCount, m_prefix);
  fillList(kNameSuffix, kSuffixStrings, kSuffixCount, m_suffix);
}

void CNameGroup::fillList(int id, int firstString, int count, const std::string& selected) {
  m_controls.clearItems(id);
  for (int i = 0; i < count; ++i) {
    std::string text = regLoadString(firstString + i);
    // The suffix list's first entry is a blank: the choice of no suffix.
    bool keep =
        !text.empty() && (!regTrimBlanks(text).empty() || firstString + i == kSuffixStrings);
    if (keep) m_controls.insertItem(id, -1, text, i);
  }
  m_controls.selectPrefix(id, selected);
}

std::string CNameGroup::shownText(int id, int languageFlag) const {
  return languageShows(languageFlag) ? m_controls.text(id) : "";
}

DNamePanel CNameGroup::panel() const {
  return DNamePanel{firstName(), lastName(), initial(), prefix(), suffix()};
}

bool CNameGroup::leaveField(int id) {
  RegField field = kFieldNone;
  switch (id) {
    case kNameFirst:
      field = kFieldFirstName;
      break;
    case kNameLast:
      field = kFieldLastName;
      break;
    case kNameInitial:
      field = kFieldInitial;
      break;
    case kNamePrefix:
      field = kFieldPrefix;
      break;
    case kNameSuffix:
      field = kFieldSuffix;
      break;
    default:
      return false;
  }
  if (regRefuseBadCharacters(m_controls, id, field)) return true;
  bool personName = id == kNameFirst || id == kNameLast;
  if (personName && firstDigit(m_controls.text(id)) > 0) {
    regReportAndFocus(m_controls, CRegException(kMsgNotAlphabetic, field), id);
  }
  return true;
}

bool CNameGroup::focusFor(const CRegException& e) {
  int id = 0;
  switch (e.id()) {
    case 201:
      id = kNameFirst;
      break;
    case 202:
      id = kNameLast;
      break;
    case 1519:
      id = kNamePrefix;
      break;
    case 1520:
      id = kNameSuffix;
      break;
    default:
      break;
  }
  // A check names the field it refused (201 also stands for a missing initial).
  int named = regControlOfField(static_cast<RegField>(e.value()));
  if (named == kNameFirst || named == kNameLast || named == kNameInitial || named == kNamePrefix ||
      named == kNameSuffix) {
    id = named;
  }
  if (id == 0) return false;
  m_controls.focus(id);
  return true;
}

void CNameGroup::store(CRegistrant& registrant) const {
  CPersonName& name = registrant.name();
  name.setFirstName(firstName());
  name.setInitial(initial());
  name.setLastName(lastName());
  if (freeAffixes()) {
    name.setPrefix(prefix(), -1);
    name.setSuffix(suffix(), -1);
    return;
  }
  auto number = [&](int id) {
    int at = m_controls.selection(id);
    return at < 0 ? -1 : static_cast<int>(m_controls.itemData(id, at));
  };
  name.setPrefix(prefix(), languageShows(2) ? number(kNamePrefix) : -1);
  name.setSuffix(suffix(), languageShows(3) ? number(kNameSuffix) : -1);
}

// ---- phone group ----

CPhoneGroup::CPhoneGroup(CRegControls& controls) : m_controls(controls) {
  CPhoneNumber& phone = CRegistrant::instance().phone();
  m_phone = phone.getPhone();
  m_extension = phone.getExtension();
}

void CPhoneGroup::load() {
  m_controls.setText(kPhoneNumber, m_phone);
  m_controls.limitText(kPhoneNumber, 20);
  m_controls.setText(kPhoneExtension, m_extension);
  m_controls.limitText(kPhoneExtension, 5);
  bool shown = language().showPhone();
  m_controls.showPair(kPhoneLabel, kPhoneNumber, shown);
  m_controls.showPair(kExtensionLabel, kPhoneExtension, shown);
}

DPhonePanel CPhoneGroup::panel() const {
  DPhonePanel panel;
  panel.phone = m_controls.text(kPhoneNumber);
  panel.extension = m_controls.text(kPhoneExtension);
  panel.phoneAccepted = m_accepted;
  return panel;
}

bool CPhoneGroup::leaveField(int id, const CAddressRules& country) {
  if (id != kPhoneNumber && id != kPhoneExtension) return false;
  RegField field = id == kPhoneNumber ? kFieldPhone : kFieldExtension;
  if (regRefuseBadCharacters(m_controls, id, field)) return true;
  // A number the user changes is asked about again.
  if (id == kPhoneNumber) m_accepted = false;
  try {
    country.validatePhone(panel());
  } catch (const CRegException& e) {
    int named = regControlOfField(static_cast<RegField>(e.value()));
    if (e.id() == kMsgInvalidCharacter || e.id() == kMsgBadCharacter) {
      regReportAndFocus(m_controls, e, named != 0 ? named : id);
    } else if (e.id() == kMsgPhoneTooShort && id == kPhoneNumber) {
      if (reportRegException(e) == kRegIdNo) {
        m_accepted = true;
      } else {
        m_controls.focus(kPhoneNumber);
      }
    }
  }
  return true;
}

bool CPhoneGroup::focusFor(const CRegException& e) {
  if (e.id() != kMsgPhoneRequired && e.id() != kMsgPhoneQuestion && e.id() != kMsgPhoneTooShort &&
      e.id() != kMsgInvalidCharacter && e.id() != kMsgBadCharacter) {
    return false;
  }
  int named = regControlOfField(static_cast<RegField>(e.value()));
  m_controls.focus(named == kPhoneExtension ? kPhoneExtension : kPhoneNumber);
  return true;
}

void CPhoneGroup::store(CRegistrant& registrant) const {
  registrant.phone().setPhone(m_controls.text(kPhoneNumber));
  registrant.phone().setExtension(m_controls.text(kPhoneExtension));
}

// ---- questionnaire fields and the customer type ----

namespace {

long dataOf(const DChoice* choice) {
  return static_cast<long>(reinterpret_cast<std::intptr_t>(choice));
}

}  // namespace

int CControlChoiceList::add(const std::string& text, const DChoice* data, bool sorted) {
  return m_controls.addItem(m_listId, text, dataOf(data), sorted);
}

void CControlChoiceList::insertAt(int index, const std::string& text, const DChoice* data) {
  m_controls.insertItem(m_listId, index, text, dataOf(data));
}

const DChoice* CControlChoiceList::dataAt(int index) const {
  long data = m_controls.itemData(m_listId, index);
  return data == -1 ? nullptr : reinterpret_cast<const DChoice*>(static_cast<std::intptr_t>(data));
}

CCustomerType::CCustomerType(CRegControls& controls, CQuestionnaire& questions)
    : m_controls(controls), m_questions(questions) {
  for (int q = 0; q < 3; ++q) {
    m_lists.push_back(
        std::make_unique<CControlChoiceList>(controls, kQuestionLabels[q], kQuestionLists[q]));
  }
}

void CCustomerType::open() {
  m_kind = CRegistrant::instance().getSecond(kUseKey);
  if (m_kind != "HOME" && m_kind != "BUSI" && m_kind != "HOBU") {
    m_kind = CProductCustomization::instance().useCode();
  }
  m_controls.postClick(m_kind == "HOME"   ? kUseHome
                       : m_kind == "HOBU" ? kUseHomeBusiness
                                          : kUseBusiness);
  showSet();
}

void CCustomerType::showSet() {
  bool home = CQuestionnaire::usesHomeSet(m_kind);
  for (int q = 0; q < 3; ++q) {
    CQuestion& hidden = home ? m_questions.business(q) : m_questions.home(q);
    CQuestion& shown = home ? m_questions.home(q) : m_questions.business(q);
    if (hidden.shown()) hidden.hide();
    shown.bind(m_lists[static_cast<std::size_t>(q)].get());
    hidden.bind(m_lists[static_cast<std::size_t>(q)].get());
    shown.show();
  }
}

bool CCustomerType::choose(int radioId) {
  if (radioId != kUseHome && radioId != kUseBusiness && radioId != kUseHomeBusiness) return false;
  std::string kind = radioId == kUseHome ? "HOME" : radioId == kUseBusiness ? "BUSI" : "HOBU";
  if (kind == m_kind) return true;
  m_kind = kind;
  showSet();
  return true;
}

std::string CCustomerType::queryText() {
  bool home = CQuestionnaire::usesHomeSet(m_kind);
  std::string text = std::string("&") + kUseKey + "=" + m_kind;
  for (int q = 0; q < 3; ++q) {
    text += "&" + m_questions.home(q).requestPair(home);
    text += "&" + m_questions.business(q).requestPair(!home);
  }
  return text;
}

void CCustomerType::store(CRegistrant& registrant) {
  m_questions.store(registrant, m_kind);
}
