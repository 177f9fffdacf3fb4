// The product variants, the country rules with data of their own, and the product's extra
// check boxes.
#include "regcustom.h"

#include <gtest/gtest.h>

#include <map>

#include "regaddress.h"
#include "reglang.h"

namespace {

TEST(ProductVariants, BrandsShareTheirQuestionnaireAndAnswers) {
  for (const char* variant : {"orbenix", "veltrona"}) {
    SCOPED_TRACE(variant);
    std::unique_ptr<CProductCustomization> p = regMakeCustomization(variant);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->numberOfFields(), 6);
    EXPECT_EQ(p->countOfExtraControls(), 3);
    EXPECT_EQ(p->controlId(0), 2221);
    EXPECT_EQ(p->controlId(2), 2204);
    EXPECT_EQ(p->titleStringId(1), 302);
    EXPECT_EQ(p->addressStringId(2), 305);
    EXPECT_EQ(p->questionTextId(0, 1), 925);
    EXPECT_EQ(p->answerKey(0, 2), "q21");
    EXPECT_EQ(p->fieldCode(1, 0), "7527");
    EXPECT_EQ(p->questionTextId(1, 2), 850);
    EXPECT_EQ(p->answerKey(2, 0), "");  // the extra controls' group stays empty
    EXPECT_EQ(p->answerKeyForFieldCode("7508"), "q8");
    EXPECT_EQ(p->answerKeyForFieldCode("7507"), "");
    EXPECT_EQ(p->requiredMessage(0), 0);
    EXPECT_EQ(p->useCode(), "BUSI");
    EXPECT_EQ(p->kindText(), "Demo");
    EXPECT_TRUE(p->frenchCorrespondenceAllowed());
    EXPECT_TRUE(p->privacyButtonOffered());
    EXPECT_FALSE(p->hasOwnPhoneNumbers());
  }
  EXPECT_EQ(regMakeCustomization("orbenix")->productCode(), "Orbenix");
  EXPECT_EQ(regMakeCustomization("veltrona")->shortName(), "Veltrona");
  EXPECT_EQ(regMakeCustomization("nosuch"), nullptr);
}

TEST(ProductVariants, QuestionsAnswerByTypeFlagAndItem) {
  for (const char* variant : {"orbenix", "veltrona", "fixed", "fixed2"}) {
    SCOPED_TRACE(variant);
    std::unique_ptr<CProductCustomization> p = regMakeCustomization(variant);
    for (int type = -1; type <= 7; ++type) {
      EXPECT_EQ(p->fieldQuestion(type, true), type >= 0 && type <= 2) << type;
      EXPECT_EQ(p->fieldQuestion(type, false), type >= 3 && type <= 5) << type;
    }
    EXPECT_TRUE(p->itemQuestion(4, true));
    EXPECT_FALSE(p->itemQuestion(4, false));
    EXPECT_TRUE(p->itemQuestion(3, false));
    EXPECT_FALSE(p->itemQuestion(p->itemCount(), true));
    EXPECT_TRUE(p->valueQuestion(1));
    EXPECT_FALSE(p->valueQuestion(2));
    EXPECT_FALSE(p->furtherQuestion1());
    EXPECT_TRUE(p->jobTitleHoldsAnswer22());
    EXPECT_TRUE(p->prefixRequired() && p->firstNameRequired() && p->lastNameRequired());
    EXPECT_FALSE(p->initialRequired() || p->suffixRequired() || p->phoneRequired());
    EXPECT_TRUE(p->streetRequired() && p->cityRequired() && p->stateRequired() &&
                p->postalCodeRequired() && p->countryRequired());
  }
  std::unique_ptr<CProductCustomization> fixed = regMakeCustomization("fixed");
  EXPECT_EQ(fixed->extraControl(1).questionId, 1000);
  EXPECT_EQ(fixed->extraControl(2).answerKey, "q25");
  EXPECT_EQ(fixed->extraControl(0).fieldCode, "7523");
  EXPECT_NE(fixed->productCode(), regMakeCustomization("fixed2")->productCode());
}

TEST(ProductVariants, TheSiblingLineHasThreeFieldsAndItsOwnNumbers) {
  std::unique_ptr<CProductCustomization> p = regMakeCustomization("workgroup");
  EXPECT_EQ(p->numberOfFields(), 3);
  for (int type = 0; type < 6; ++type) EXPECT_EQ(p->fieldQuestion(type, type % 2 == 0), type < 3);
  EXPECT_EQ(p->answerKeyForFieldCode("7507"), "q7");
  EXPECT_EQ(p->answerKeyForFieldCode("7527"), "");
  EXPECT_EQ(p->requiredMessage(0), 209);
  EXPECT_EQ(p->requiredMessage(2), 211);
  EXPECT_TRUE(p->hasOwnPhoneNumbers());
  EXPECT_NE(p->phoneNumberFor(56), " ");
  EXPECT_EQ(p->phoneNumberFor(158), " ");
}

TEST(CountryRules, TheTableAndTheBase) {
  const DCountryRow* us = regCountryRow(158);
  ASSERT_NE(us, nullptr);
  EXPECT_STREQ(us->code, "US");
  EXPECT_EQ(us->minPhoneDigits, 10);
  EXPECT_STREQ(regCountryRow(0)->code, "AL");
  EXPECT_STREQ(regCountryRow(168)->code, "ZW");
  EXPECT_EQ(regCountryRow(33)->postalRule, -6);
  EXPECT_EQ(regCountryRow(7)->faxFlag, 1);
  EXPECT_EQ(regCountryRow(8)->postalRule, 1);
  EXPECT_EQ(regCountryRow(169), nullptr);

  EXPECT_EQ(regCountryRules(158)->phoneNumber1(), us->phone1);
  std::unique_ptr<CAddressRules> base = regCountryRules(8);
  EXPECT_EQ(base->stateCount(), 0);
  EXPECT_EQ(base->stateName(3), "");
  EXPECT_EQ(base->stateCode(3), "XX");
}

TEST(CountryRules, JapanListsItsPrefectures) {
  std::unique_ptr<CAddressRules> japan = regCountryRules(kCountryJapan);
  ASSERT_EQ(japan->stateCount(), 47);
  EXPECT_EQ(japan->stateName(0), "Hokkaido");
  EXPECT_EQ(japan->stateCode(0), "01");
  EXPECT_EQ(japan->stateName(46), "Okinawa");
  EXPECT_EQ(japan->stateCode(46), "47");
  EXPECT_EQ(japan->stateCode(47), "XX");
}

// A library for every language, so that each choice keeps its language.
std::unique_ptr<CRegResourceModule> anyLibrary(const std::string&) {
  class CEmpty : public CRegResourceModule {
    bool loadString(int, std::string&) const override { return false; }
  };
  return std::make_unique<CEmpty>();
}

TEST(CountryRules, SwitzerlandsNumberDependsOnLanguageAndKind) {
  regSetLibraryLoader(anyLibrary);
  std::unique_ptr<CAddressRules> swiss = regCountryRules(kCountrySwitzerland);
  struct Case {
    const char* variant;
    const char* language;
    std::string number;
  };
  const Case cases[] = {
      {"orbenix", "german", CSwissAddressRules::numberFor(kLanguageGerman, 1)},
      {"workgroup", "german", CSwissAddressRules::numberFor(kLanguageGerman, 2)},
      {"orbenix", "italian", CSwissAddressRules::numberFor(kLanguageItalian, 1)},
      {"orbenix", "english", " "},
  };
  for (const Case& c : cases) {
    CProductCustomization::selectVariant(c.variant);
    CLanguageRules::load(c.language);
    EXPECT_EQ(swiss->phoneNumber1(), c.number) << c.variant << " " << c.language;
  }
  EXPECT_NE(cases[0].number, cases[1].number);
  EXPECT_NE(cases[0].number, " ");
  regSetLibraryLoader(nullptr);
  regSetResourceModule(nullptr);
  CProductCustomization::selectVariant("orbenix");
}

class CFakeCheckBox : public CCustomControls::DItemView {
 public:
  explicit CFakeCheckBox(std::map<int, CFakeCheckBox*>& boxes, int id) { boxes[id] = this; }
  void setChecked(bool checked) override { m_Checked = checked; }
  bool checked() const override { return m_Checked; }
  void hide() override { m_Hidden = true; }
  bool m_Checked = true;
  bool m_Hidden = false;
};

TEST(CustomControls, RestoreStoreAndQueryInControlOrder) {
  std::unique_ptr<CProductCustomization> product = regMakeCustomization("fixed");
  std::map<int, CFakeCheckBox*> boxes;
  auto finder = [&](int controlId, int) {
    return std::make_unique<CFakeCheckBox>(boxes, controlId);
  };

  CCustomControls fresh;
  fresh.bind(*product, finder, {});
  for (const auto& [id, box] : boxes) EXPECT_FALSE(box->m_Checked) << id;

  CCustomControls controls;
  controls.bind(*product, finder, {{"q24", "1"}, {"q25", ""}});
  EXPECT_FALSE(boxes[2221]->m_Checked);
  EXPECT_TRUE(boxes[2205]->m_Checked);
  EXPECT_FALSE(boxes[2204]->m_Checked);
  EXPECT_EQ(controls.queryText(), "&q23=&q24=1&q25=");

  boxes[2204]->m_Checked = true;
  std::map<std::string, std::string> answers, fields;
  controls.store(answers, fields);
  EXPECT_EQ(answers,
            (std::map<std::string, std::string>{{"q23", "0"}, {"q24", "1"}, {"q25", "1"}}));
  EXPECT_EQ(fields,
            (std::map<std::string, std::string>{{"7523", "0"}, {"7524", "1"}, {"7525", "1"}}));
  EXPECT_EQ(controls.queryText(), "&q23=0&q24=1&q25=1");
  controls.hide();
  EXPECT_TRUE(boxes[2221]->m_Hidden && boxes[2205]->m_Hidden && boxes[2204]->m_Hidden);
}

}  // namespace
