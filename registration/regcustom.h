// CProductCustomization: what the product being registered asks of the wizard: which fields it
// requires, its extra check boxes and questions, its questionnaire tables and registration
// phone numbers. One object per process, of the variant the deployment chooses
// (RegSetting::Variant): "orbenix" (the maker's own products), "veltrona" (the Veltrona brand),
// "workgroup" (the maker's sibling product line), "fixed" and "fixed2" (two fixed variants
// that tests use).
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

inline constexpr int kExtraControls = 3;
inline constexpr int kQuestionGroups = 3;  // 0 home, 1 business, 2 the extra controls' group
inline constexpr int kQuestionsPerGroup = 3;

struct DExtraControl {
  int controlId = 0;   // the check box
  int itemId = 0;      // the dialog control beside it
  int titleId = 0;     // string id of its title
  int addressId = 0;   // string id of its address
  int questionId = 0;  // string id of its question text
  std::string answerKey;
  std::string fieldCode;
};

class CProductCustomization {
 public:
  virtual ~CProductCustomization() = default;

  // The process-wide object, made on first use from RegSetting::Variant (an unknown name gives
  // the maker's variant).
  static CProductCustomization& instance();
  // Replaces the process-wide object by a new one of the named variant; false for an unknown
  // name, which leaves the object as it was.
  static bool selectVariant(const std::string& variant);
  // Makes object the process-wide one (tests: a product of their own); null: the variant of
  // the deployment again on next use.
  static void install(std::unique_ptr<CProductCustomization> object);

  virtual int extraControlCount() const { return m_ExtraCount; }
  virtual int firstControlId(int i) const { return m_Extra[i].controlId; }
  virtual int secondControlId(int i) const { return m_Extra[i].itemId; }
  virtual const std::string& productText(int i) const { return m_ProductTexts[i]; }
  virtual int numberOfFields() const { return m_NumFields; }
  virtual bool fieldQuestion(int type, bool flag) const = 0;
  virtual bool valueQuestion(int v) const = 0;
  virtual bool frenchCorrespondenceAllowed() const { return true; }
  virtual int itemCount() const { return m_NumFields; }
  virtual int countOfExtraControls() const { return m_ExtraCount; }
  virtual bool itemQuestion(int item, bool flag) const = 0;
  virtual int controlId(int i) const { return m_Extra[i].controlId; }
  virtual int titleStringId(int i) const { return m_Extra[i].titleId; }
  virtual int addressStringId(int i) const { return m_Extra[i].addressId; }
  virtual const std::string& useCode() const { return m_UseCode; }
  virtual bool prefixRequired() const = 0;
  virtual bool firstNameRequired() const = 0;
  virtual bool initialRequired() const = 0;
  virtual bool lastNameRequired() const = 0;
  virtual bool suffixRequired() const = 0;
  virtual bool furtherQuestion1() const = 0;
  virtual bool furtherQuestion2() const = 0;
  virtual bool streetRequired() const = 0;
  virtual bool cityRequired() const = 0;
  virtual bool stateRequired() const = 0;
  virtual bool postalCodeRequired() const = 0;
  virtual bool countryRequired() const = 0;
  virtual bool phoneRequired() const = 0;
  virtual bool furtherQuestion3() const = 0;
  virtual bool furtherQuestion4() const = 0;
  virtual bool furtherQuestion5() const = 0;
  virtual bool privacyButtonOffered() const { return true; }
  virtual bool furtherQuestion6() const { return false; }
  virtual bool jobTitleHoldsAnswer22() const { return false; }
  virtual bool hasOwnPhoneNumbers() const { return false; }
  virtual std::string phoneNumberFor(int /*countryIndex*/) const { return ""; }

  const std::string& productCode() const { return m_ProductCode; }
  const std::string& productName() const { return m_ProductName; }
  const std::string& shortName() const { return m_ShortName; }
  const DExtraControl& extraControl(int i) const { return m_Extra[i]; }
  // The question tables: text id, answer key and field code of question q of group g.
  int questionTextId(int group, int q) const { return m_QuestionIds[group][q]; }
  const std::string& answerKey(int group, int q) const { return m_AnswerKeys[group][q]; }
  const std::string& fieldCode(int group, int q) const { return m_FieldCodes[group][q]; }
  // The answer key of the question with that field code; "" when no question has it.
  std::string answerKeyForFieldCode(const std::string& fieldCode) const;
  // The message id of a missing answer to question q of the business group; 0 when none.
  int requiredMessage(int q) const { return m_RequiredMessages[q]; }
  const std::string& kindText() const { return m_Kind; }

 protected:
  std::string m_ProductCode, m_ProductName, m_ShortName;
  int m_NumFields = 0;
  int m_ExtraCount = kExtraControls;
  DExtraControl m_Extra[kExtraControls];
  std::string m_ProductTexts[kExtraControls];
  std::string m_AnswerKeys[kQuestionGroups][kQuestionsPerGroup];
  std::string m_FieldCodes[kQuestionGroups][kQuestionsPerGroup];
  int m_QuestionIds[kQuestionGroups][kQuestionsPerGroup] = {};
  int m_RequiredMessages[kQuestionsPerGroup] = {};
  std::string m_UseCode = "BUSI";
  std::string m_FurtherText;
  std::string m_Kind = "Demo";
};

// A new object of the named variant; null for an unknown name.
std::unique_ptr<CProductCustomization> regMakeCustomization(const std::string& variant);

// The extra check boxes of one page, bound to the product's extra controls.
class CCustomControls {
 public:
  // What a page shows of one extra control: its check box and the control beside it.
  class DItemView {
   public:
    virtual ~DItemView() = default;
    virtual void setChecked(bool checked) = 0;
    virtual bool checked() const = 0;
    virtual void hide() = 0;
  };
  // Finds the view of a check box and the control beside it on the page, by their ids.
  using ViewFinder = std::function<std::unique_ptr<DItemView>(int controlId, int itemId)>;

  // One item per extra control of the product, each bound to its view, then restored from
  // answers (key to value): a missing or empty answer clears the item.
  void bind(const CProductCustomization& product, const ViewFinder& finder,
            const std::map<std::string, std::string>& answers);
  // Takes each item's value from its check box ("1" or "0"); answers gets key = value of each
  // item, then fieldValues field code = value.
  void store(std::map<std::string, std::string>& answers,
             std::map<std::string, std::string>& fieldValues);
  // "&key=value" for each item, in control order.
  std::string queryText() const;
  void hide();

 private:
  struct DItem {
    std::unique_ptr<DItemView> view;
    std::string key;
    std::string value;  // "1" checked, "0" or "" not
    std::string fieldCode;
  };
  std::vector<DItem> m_Items;
};
