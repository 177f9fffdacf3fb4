#include "regcustom.h"

#include "regconfig.h"

namespace {

// The answers of the two fixed variants, which the maker's brands share.
class CStandardProduct : public CProductCustomization {
 public:
  CStandardProduct(const char* code, const char* name) {
    m_ProductCode = code;
    m_ProductName = name;
    m_ShortName = name;
    m_NumFields = 6;
    const DExtraControl extra[kExtraControls] = {
        {2221, 2221, 300, 301, 975, "q23", "7523"},
        {2205, 2205, 302, 303, 1000, "q24", "7524"},
        {2204, 2204, 304, 305, 1025, "q25", "7525"},
    };
    for (int i = 0; i < kExtraControls; ++i) m_Extra[i] = extra[i];
  }

  bool fieldQuestion(int type, bool flag) const override {
    if (type < 0 || type >= numberOfFields()) return false;
    return flag ? type <= 2 : type >= 3 && type <= 5;
  }
  bool valueQuestion(int v) const override { return v == 1; }
  bool itemQuestion(int item, bool flag) const override {
    if (item >= itemCount()) return false;
    return flag || item != 4;
  }
  bool prefixRequired() const override { return true; }
  bool firstNameRequired() const override { return true; }
  bool initialRequired() const override { return false; }
  bool lastNameRequired() const override { return true; }
  bool suffixRequired() const override { return false; }
  bool furtherQuestion1() const override { return false; }
  bool furtherQuestion2() const override { return false; }
  bool streetRequired() const override { return true; }
  bool cityRequired() const override { return true; }
  bool stateRequired() const override { return true; }
  bool postalCodeRequired() const override { return true; }
  bool countryRequired() const override { return true; }
  bool phoneRequired() const override { return false; }
  bool furtherQuestion3() const override { return false; }
  bool furtherQuestion4() const override { return false; }
  bool furtherQuestion5() const override { return false; }
  bool jobTitleHoldsAnswer22() const override { return true; }

 protected:
  struct DQuestion {
    int textId;
    const char* key;
    const char* fieldCode;
  };
  void setGroup(int group, const DQuestion (&questions)[kQuestionsPerGroup]) {
    for (int q = 0; q < kQuestionsPerGroup; ++q) {
      m_QuestionIds[group][q] = questions[q].textId;
      m_AnswerKeys[group][q] = questions[q].key;
      m_FieldCodes[group][q] = questions[q].fieldCode;
    }
  }
};

// The maker's brands: the home and business questionnaire; the extra controls' group stays
// empty.
class CBrandProduct : public CStandardProduct {
 public:
  CBrandProduct(const char* code, const char* name) : CStandardProduct(code, name) {
    setGroup(0, {{900, "q19", "7519"}, {925, "q20", "7520"}, {950, "q21", "7521"}});
    setGroup(1, {{750, "q27", "7527"}, {800, "q8", "7508"}, {850, "q9", "7509"}});
  }
};

// Registration telephone numbers of the sibling product line by country index (deployment
// data: the registration centres that serve it).
struct DCountryPhone {
  int countryIndex;
  const char* number;
};
constexpr DCountryPhone kWorkgroupPhones[12] = {
    {7, "0800 29 44 17"},  {14, "0800 7 33 85"},   {41, "80 88 31 20"},   {50, "0800 11 74 39"},
    {51, "0800 90 47 62"}, {56, "0800 181 59 27"}, {72, "1800 55 31 46"}, {74, "800 87 61 04"},
    {112, "800 11 892"},   {137, "900 98 42 63"},  {142, "020 79 41 58"}, {157, "0800 96 81 27"},
};

// The maker's sibling product line: three fields, required business answers, and telephone
// numbers of its own.
class CWorkgroupProduct : public CBrandProduct {
 public:
  CWorkgroupProduct() : CBrandProduct("OrbenixWG", "Orbenix Workgroup") {
    m_ShortName = "Workgroup";
    m_NumFields = 3;
    m_AnswerKeys[1][0] = "q7";
    m_FieldCodes[1][0] = "7507";
    m_RequiredMessages[0] = 209;
    m_RequiredMessages[1] = 210;
    m_RequiredMessages[2] = 211;
  }
  bool fieldQuestion(int type, bool /*flag*/) const override { return type >= 0 && type < 3; }
  bool hasOwnPhoneNumbers() const override { return true; }
  std::string phoneNumberFor(int countryIndex) const override {
    for (const DCountryPhone& row : kWorkgroupPhones) {
      if (row.countryIndex == countryIndex) return row.number;
    }
    return " ";
  }
};

std::unique_ptr<CProductCustomization>& current() {
  static std::unique_ptr<CProductCustomization> object;
  return object;
}

}  // namespace

std::unique_ptr<CProductCustomization> regMakeCustomization(const std::string& variant) {
  if (variant == "orbenix") return std::make_unique<CBrandProduct>("Orbenix", "Orbenix");
  if (variant == "veltrona") return std::make_unique<CBrandProduct>("Veltrona", "Veltrona");
  if (variant == "workgroup") return std::make_unique<CWorkgroupProduct>();
  if (variant == "fixed") return std::make_unique<CStandardProduct>("FixedOne", "Fixed One");
  if (variant == "fixed2") return std::make_unique<CStandardProduct>("FixedTwo", "Fixed Two");
  return nullptr;
}

CProductCustomization& CProductCustomization::instance() {
  std::unique_ptr<CProductCustomization>& object = current();
  if (object == nullptr) object = regMakeCustomization(regSetting(RegSetting::Variant));
  if (object == nullptr) object = regMakeCustomization("orbenix");
  return *object;
}

bool CProductCustomization::selectVariant(const std::string& variant) {
  std::unique_ptr<CProductCustomization> object = regMakeCustomization(variant);
  if (object == nullptr) return false;
  current() = std::move(object);
  return true;
}

void CProductCustomization::install(std::unique_ptr<CProductCustomization> object) {
  current() = std::move(object);
}

std::string CProductCustomization::answerKeyForFieldCode(const std::string& fieldCode) const {
  for (int g = 0; g < kQuestionGroups; ++g) {
    for (int q = 0; q < kQuestionsPerGroup; ++q) {
      if (!m_FieldCodes[g][q].empty() && m_FieldCodes[g][q] == fieldCode) return m_AnswerKeys[g][q];
    }
  }
  return "";
}

void CCustomControls::bind(const CProductCustomization& product, const ViewFinder& finder,
                           const std::map<std::string, std::string>& answers) {
  m_Items.clear();
  for (int i = 0; i < product.extraControlCount(); ++i) {
    const DExtraControl& extra = product.extraControl(i);
    m_Items.push_back(
        {finder(extra.controlId, extra.itemId), extra.answerKey, "", extra.fieldCode});
  }
  for (DItem& item : m_Items) {
    auto answer = answers.find(item.key);
    item.value = answer == answers.end() ? "" : answer->second;
  }
  for (DItem& item : m_Items) {
    if (item.view != nullptr) item.view->setChecked(item.value == "1");
  }
}

void CCustomControls::store(std::map<std::string, std::string>& answers,
                            std::map<std::string, std::string>& fieldValues) {
  for (DItem& item : m_Items) {
    if (item.view != nullptr) item.value = item.view->checked() ? "1" : "0";
    answers[item.key] = item.value;
  }
  for (const DItem& item : m_Items) fieldValues[item.fieldCode] = item.value;
}

std::string CCustomControls::queryText() const {
  std::string text;
  for (const DItem& item : m_Items) text += "&" + item.key + "=" + item.value;
  return text;
}

void CCustomControls::hide() {
  for (DItem& item : m_Items) {
    if (item.view != nullptr) item.view->hide();
  }
}
