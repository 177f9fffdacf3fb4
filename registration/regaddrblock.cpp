#include "regaddrblock.h"

#include "regcustom.h"
#include "regexcept.h"
#include "regfields.h"
#include "reglang.h"
#include "regregistrant.h"
#include "regres.h"

namespace {

bool isPostalQuestion(int id) {
  return id == 224 || id == 225 || id == 1516 || id == 1517;
}

bool isBlankName(const std::string& text) {
  return text.empty() || text == " ";
}

}  // namespace

CAddressBlock::CAddressBlock(CRegControls& controls, const CLanguageRules& language,
                             const CProductCustomization& product)
    : m_controls(controls), m_language(language), m_product(product) {
  const CPostalAddress& address = CRegistrant::instance().address();
  m_poBox = address.getPoBox();
  m_street = address.getStreet();
  m_postalCode = address.getPostalCode();
  m_city = address.getCity();
  m_country = address.getCountryText();
  m_state = address.getStateText();
  m_french = address.frenchCorrespondence();
}

void CAddressBlock::load() {
  struct Field {
    int id;
    const std::string& value;
    int maxChars;
    int labelId;
    bool shown;
  };
  const Field fields[] = {
      {kAddrPoBox, m_poBox, 50, kAddrPoBoxLabel, m_language.showPoBox()},
      {kAddrStreet, m_street, 50, kAddrStreetLabel, m_language.showStreet()},
      {kAddrPostalCode, m_postalCode, 10, kAddrPostalCodeLabel, m_language.showPostalCode()},
      {kAddrCity, m_city, 40, kAddrCityLabel, m_language.showCity()},
  };
  for (const Field& f : fields) {
    m_controls.setText(f.id, f.value);
    m_controls.limitText(f.id, f.maxChars);
    m_controls.showPair(f.labelId, f.id, f.shown);
  }
  m_controls.showPair(kAddrCountryLabel, kAddrCountry, m_language.showCountry());
  m_controls.setChecked(kAddrFrench, m_french == 1 ? 1 : 0);
}

bool CAddressBlock::countryHasStates(int number) const {
  return number >= 0 && m_language.showState(regRulesForCountry(number));
}

bool CAddressBlock::frenchOffered(int number) const {
  return number == kCountryCanada && m_language.offerFrenchCorrespondence() &&
         m_product.frenchCorrespondenceAllowed();
}

void CAddressBlock::showFrench(bool shown) {
  m_frenchShown = shown;
  m_controls.show(kAddrFrench, shown);
  m_controls.enable(kAddrFrench, shown);
  if (!shown) m_controls.setChecked(kAddrFrench, 0);
}

void CAddressBlock::initLists() {
  m_controls.clearItems(kAddrCountry);
  for (int number = 0; number < kCountryCount; ++number) {
    std::string name = regLoadString(kCountryNames + number);
    if (isBlankName(name)) continue;
    m_controls.addItem(kAddrCountry, name, number, true);
  }
  int number = -1;
  if (!m_country.empty() && m_controls.selectPrefix(kAddrCountry, m_country)) {
    number = selectedCountry();
  } else {
    int fallback = regCountryOfTheLocale().countryIndex();
    int at = m_controls.findData(kAddrCountry, fallback);
    if (at >= 0) {
      m_controls.select(kAddrCountry, at);
      number = fallback;
    }
  }
  showFrench(frenchOffered(number));
  if (m_frenchShown) m_controls.setChecked(kAddrFrench, m_french == 1 ? 1 : 0);
  fillStates(number);
  if (countryHasStates(number)) {
    m_controls.selectPrefix(kAddrState, m_state);
  } else {
    m_controls.showPair(kAddrStateLabel, kAddrState, false);
  }
}

void CAddressBlock::countryChanged() {
  int number = selectedCountry();
  bool states = countryHasStates(number);
  m_controls.showPair(kAddrStateLabel, kAddrState, states);
  if (states) fillStates(number);
  showFrench(frenchOffered(number));
}

// Every state with a name is offered, one-word names ("Texas") included.
void CAddressBlock::fillStates(int number) {
  if (!countryHasStates(number)) return;
  const CAddressRules& rules = regRulesForCountry(number);
  bool countryOrder = m_language.languageCodeText() == "JPN";
  m_controls.clearItems(kAddrState);
  for (int i = 0; i < rules.stateCount(); ++i) {
    std::string name = rules.stateName(i);
    if (name.empty()) continue;
    m_controls.addItem(kAddrState, name, i, !countryOrder);
  }
}

DAddressPanel CAddressBlock::panel() {
  DAddressPanel panel;
  panel.poBox = poBox();
  panel.street = street();
  panel.city = city();
  panel.stateText = stateText();
  panel.postalCode = postalCode();
  panel.countryIndex = selectedCountry();
  panel.postalCodeAccepted = m_postalCodeAnswered;
  return panel;
}

const CAddressRules& CAddressBlock::countryRules() const {
  static const CAddressRules noCountry(-1);
  int number = selectedCountry();
  return number >= 0 ? regRulesForCountry(number) : noCountry;
}

void CAddressBlock::store(CRegistrant& registrant) {
  CPostalAddress& address = registrant.address();
  address.setPoBox(poBox());
  address.setStreet(street());
  address.setCity(city());
  address.setPostalCode(postalCode());
  int number = selectedCountry();
  address.setCountry(countryText(), number);
  address.setFrenchCorrespondence(m_controls.checked(kAddrFrench) == 1 ? 1 : 0);
  registrant.setLanguageCode(m_language.languageCodeText());
  int at = m_controls.selection(kAddrState);
  int state = at < 0 ? -1 : static_cast<int>(m_controls.itemData(kAddrState, at));
  std::string code = number >= 0 ? regRulesForCountry(number).stateCode(state) : "";
  address.setState(stateText(), code);
}

bool CAddressBlock::leaveField(int id) {
  RegField field = kFieldNone;
  switch (id) {
    case kAddrCity:
      field = kFieldCity;
      break;
    case kAddrPoBox:
      field = kFieldPoBox;
      break;
    case kAddrStreet:
      field = kFieldStreet;
      break;
    case kAddrPostalCode:
      field = kFieldPostalCode;
      break;
    default:
      return false;
  }
  if (regRefuseBadCharacters(m_controls, id, field)) return true;
  if (id != kAddrPostalCode) return true;
  int number = selectedCountry();
  if (number >= 0) {
    try {
      regRulesForCountry(number).validatePostalCode(postalCode());
    } catch (const CRegException& e) {
      if (e.id() == kMsgBadCharacter || e.id() == kMsgInvalidCharacter) {
        regReportAndFocus(m_controls, e, kAddrPostalCode);
      }
    }
  }
  m_postalCodeAnswered = false;
  return true;
}

int CAddressBlock::focusFor(int messageId, int context) {
  int id = 0;
  switch (messageId) {
    case 203:
    case 222:
      id = kAddrStreet;
      break;
    case 204:
      id = kAddrCity;
      break;
    case 205:
      id = kAddrState;
      break;
    case 206:
      id = kAddrPostalCode;
      break;
    case 207:
      id = kAddrCountry;
      break;
    case 247:
      id = kAddrPoBox;
      break;
    default:
      if (!isPostalQuestion(messageId)) return 0;
      if (context == kFinalValidation) {
        m_postalCodeAnswered = true;
        return 1;
      }
      id = kAddrPostalCode;
      break;
  }
  if (m_controls.shown(id)) m_controls.focus(id);
  return 0;
}

int CAddressBlock::selectedCountry() const {
  int at = m_controls.selection(kAddrCountry);
  return at < 0 ? -1 : static_cast<int>(m_controls.itemData(kAddrCountry, at));
}

void CAddressBlock::setCountry(const std::string& text, int number) {
  m_country = text;
  int at = m_controls.findData(kAddrCountry, number);
  if (at >= 0) m_controls.select(kAddrCountry, at);
}

void CAddressBlock::setCountryText(const std::string& text) {
  m_country = text;
  m_controls.setText(kAddrCountry, text);
}

std::string CAddressBlock::countryText() {
  m_country = m_controls.text(kAddrCountry);
  return m_country;
}

#define REG_ADDRESS_FIELD(Getter, Setter, member, id)   \
  void CAddressBlock::Setter(const std::string& text) { \
    member = text;                                      \
    m_controls.setText(id, text);                       \
  }                                                     \
  std::string CAddressBlock::Getter() {                 \
    member = m_controls.text(id);                       \
    return member;                                      \
  }

REG_ADDRESS_FIELD(stateText, setStateText, m_state, kAddrState)
REG_ADDRESS_FIELD(city, setCity, m_city, kAddrCity)
REG_ADDRESS_FIELD(street, setStreet, m_street, kAddrStreet)
REG_ADDRESS_FIELD(poBox, setPoBox, m_poBox, kAddrPoBox)
REG_ADDRESS_FIELD(postalCode, setPostalCode, m_postalCode, kAddrPostalCode)
#undef REG_ADDRESS_FIELD
