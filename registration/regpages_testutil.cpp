#include "regpages_testutil.h"

#include "reglang.h"
#include "regpageids.h"
#include "regstrings.h"
#include "regtextutil.h"

namespace regtest {

std::string FakeControls::text(int id) const {
  auto it = m_controls.find(id);
  if (it == m_controls.end()) return "";
  const FakeControl& c = it->second;
  if (!c.combo) return c.text;
  return c.selected < 0 ? "" : c.items[static_cast<std::size_t>(c.selected)].first;
}

void FakeControls::setText(int id, const std::string& text) {
  if (!has(id)) return;
  if (m_controls.at(id).combo) {
    selectPrefix(id, text);
    return;
  }
  std::string kept = text;
  int most = m_controls.at(id).maxChars;
  if (most >= 0 && static_cast<int>(kept.size()) > most)
    kept.resize(static_cast<std::size_t>(most));
  m_controls.at(id).text = kept;
}

bool FakeControls::choose(int id, const std::string& text) {
  FakeControl& c = m_controls.at(id);
  for (std::size_t i = 0; i < c.items.size(); ++i) {
    if (c.items[i].first == text) {
      c.selected = static_cast<int>(i);
      return true;
    }
  }
  return false;
}

void FakeControls::clearItems(int id) {
  with(id, [](FakeControl& c) {
    c.items.clear();
    c.selected = -1;
  });
}

void FakeControls::insertItem(int id, int index, const std::string& text, long data) {
  with(id, [&](FakeControl& c) {
    int count = static_cast<int>(c.items.size());
    int at = index < 0 || index > count ? count : index;
    c.items.insert(c.items.begin() + at, {text, data});
  });
}

int FakeControls::itemCount(int id) const {
  return has(id) ? static_cast<int>(m_controls.at(id).items.size()) : 0;
}

std::string FakeControls::itemText(int id, int index) const {
  if (index < 0 || index >= itemCount(id)) return "";
  return m_controls.at(id).items[static_cast<std::size_t>(index)].first;
}

long FakeControls::itemData(int id, int index) const {
  if (index < 0 || index >= itemCount(id)) return -1;
  return m_controls.at(id).items[static_cast<std::size_t>(index)].second;
}

int FakeControls::right(int id) const {
  return has(id) ? m_controls.at(id).left + m_controls.at(id).width : 0;
}

void FakeControls::setRight(int id, int right) {
  with(id, [&](FakeControl& c) { c.width = right - c.left; });
}

void declareContactControls(FakeControls& controls, bool freeAffixes) {
  for (int id : {kNameInitial,
                 kNameFirst,
                 kNameLast,
                 kPhoneNumber,
                 kPhoneExtension,
                 kAddrPoBox,
                 kAddrStreet,
                 kAddrCity,
                 kAddrPostalCode,
                 kContactJobTitle,
                 kContactCompany,
                 kContactEmail,
                 kContactConsent,
                 kAddrFrench,
                 kContactPrivacy,
                 kContactTitle,
                 kNamePrefixLabel,
                 kNameFirstLabel,
                 kNameLastLabel,
                 kNameSuffixLabel,
                 kPhoneLabel,
                 kExtensionLabel,
                 kAddrPoBoxLabel,
                 kAddrStreetLabel,
                 kAddrCityLabel,
                 kAddrStateLabel,
                 kAddrPostalCodeLabel,
                 kAddrCountryLabel,
                 kContactJobTitleLabel,
                 kContactCompanyLabel}) {
    controls.edit(id);
  }
  for (int id : {kAddrState, kAddrCountry}) controls.combo(id);
  for (int id : {kNamePrefix, kNameSuffix}) {
    if (freeAffixes) {
      controls.edit(id);
    } else {
      controls.combo(id);
    }
  }
  controls.at(kContactJobTitle).left = 10;
  controls.at(kContactJobTitle).width = 150;
  controls.at(kContactCompany).left = 200;
  controls.at(kContactCompany).width = 250;
}

void declareSystemControls(FakeControls& controls) {
  for (int id : {kSystemYes, kSystemNo, kSystemTitle, kSystemManufacturerLabel, kSystemModelLabel,
                 kSystemSerialLabel, kSystemManufacturer, kSystemModel, kSystemSerial, kSystemOs}) {
    controls.edit(id);
  }
}

int ScriptedPresenter::messageBox(const std::string& text, const std::string&, bool) {
  static const int kIds[] = {201, 202, 203, 204, 205, 206,  207,  208,  213,  216,  217, 221,
                             222, 223, 224, 225, 246, 1515, 1516, 1517, 1519, 1520, 215, 218};
  int id = 0;
  for (int candidate : kIds) {
    if (regLoadString(candidate) == text) {
      id = candidate;
      break;
    }
  }
  shown.push_back(id);
  if (answers.empty()) return kRegIdOk;
  int answer = answers.front();
  answers.pop_front();
  return answer;
}

namespace {

// Forwards every answer to the maker's product but the job-title field's.
class CCompanyProduct : public CProductCustomization {
 public:
  CCompanyProduct() : m_base(regMakeCustomization("orbenix")) {
    m_ProductCode = m_base->productCode();
    m_ProductName = m_base->productName();
    m_ShortName = m_base->shortName();
  }
  bool fieldQuestion(int type, bool flag) const override {
    return m_base->fieldQuestion(type, flag);
  }
  bool valueQuestion(int v) const override { return m_base->valueQuestion(v); }
  bool itemQuestion(int item, bool flag) const override { return m_base->itemQuestion(item, flag); }
  bool prefixRequired() const override { return m_base->prefixRequired(); }
  bool firstNameRequired() const override { return m_base->firstNameRequired(); }
  bool initialRequired() const override { return m_base->initialRequired(); }
  bool lastNameRequired() const override { return m_base->lastNameRequired(); }
  bool suffixRequired() const override { return m_base->suffixRequired(); }
  bool furtherQuestion1() const override { return false; }
  bool furtherQuestion2() const override { return false; }
  bool streetRequired() const override { return m_base->streetRequired(); }
  bool cityRequired() const override { return m_base->cityRequired(); }
  bool stateRequired() const override { return m_base->stateRequired(); }
  bool postalCodeRequired() const override { return m_base->postalCodeRequired(); }
  bool countryRequired() const override { return m_base->countryRequired(); }
  bool phoneRequired() const override { return m_base->phoneRequired(); }
  bool furtherQuestion3() const override { return false; }
  bool furtherQuestion4() const override { return false; }
  bool furtherQuestion5() const override { return false; }
  bool jobTitleHoldsAnswer22() const override { return false; }

 private:
  std::unique_ptr<CProductCustomization> m_base;
};

// Groups 0 and 1 of the maker's product, and a customised group 2.
class CCustomisedProduct : public CCompanyProduct {
 public:
  CCustomisedProduct() {
    std::unique_ptr<CProductCustomization> base = regMakeCustomization("orbenix");
    for (int g = 0; g < 2; ++g) {
      for (int q = 0; q < kQuestionsPerGroup; ++q) {
        m_QuestionIds[g][q] = base->questionTextId(g, q);
        m_AnswerKeys[g][q] = base->answerKey(g, q);
        m_FieldCodes[g][q] = base->fieldCode(g, q);
      }
    }
    const int ids[] = {975, 1000, 1025};
    for (int q = 0; q < kQuestionsPerGroup; ++q) {
      m_QuestionIds[2][q] = ids[q];
      m_AnswerKeys[2][q] = "q" + std::to_string(23 + q);
      m_FieldCodes[2][q] = std::to_string(7523 + q);
    }
  }
};

}  // namespace

std::unique_ptr<CProductCustomization> companyProduct() {
  return std::make_unique<CCompanyProduct>();
}

std::unique_ptr<CProductCustomization> customisedProduct() {
  return std::make_unique<CCustomisedProduct>();
}

bool OwnStringsLibrary::loadString(int id, std::string& text) const {
  return regOwnResources().loadString(id, text);
}

ScopedLanguage::ScopedLanguage(const std::string& name) {
  regSetLibraryLoader([](const std::string&) -> std::unique_ptr<CRegResourceModule> {
    return std::make_unique<OwnStringsLibrary>();
  });
  CLanguageRules::load(name);
}

ScopedLanguage::~ScopedLanguage() {
  regSetLibraryLoader(nullptr);
  CLanguageRules::load("english");
}

}  // namespace regtest
