// The panels that the wizard's pages place over groups of their controls: the name group and
// the phone group. Each moves its values between its controls (CRegControls) and the
// registrant record, checks a field when the user leaves it, and puts the focus on the field a
// validation message is about. User-interface thread only.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "regaddress.h"
#include "regcontrols.h"
#include "regpageids.h"
#include "regquestion.h"

class CRegistrant;
class CRegException;

// When a field holds "|" or "\": reports 217 (focus back on the field) and answers true.
bool regRefuseBadCharacters(CRegControls& controls, int id, RegField field);
// Reports e and puts the focus on fieldId; the user's answer.
int regReportAndFocus(CRegControls& controls, const CRegException& e, int fieldId);

// The name: first name, initial, last name, prefix and suffix. For Japanese the prefix and
// suffix are free edits of 50 characters; for every other language drop-down lists of the
// prefix and suffix strings.
class CNameGroup {
 public:
  // Takes the registrant's stored name.
  explicit CNameGroup(CRegControls& controls);

  // Writes the stored values into the controls with their limits and shows the labels and
  // fields that the language shows.
  void load();
  // Fills the prefix and suffix lists (not for Japanese) and selects the stored texts.
  void initLists();
  // The values as the checks see them: a field the language does not show is "".
  DNamePanel panel() const;
  std::string firstName() const { return shownText(kNameFirst, 0); }
  std::string initial() const { return shownText(kNameInitial, 4); }
  std::string lastName() const { return shownText(kNameLast, 1); }
  std::string prefix() const { return shownText(kNamePrefix, 2); }
  std::string suffix() const { return shownText(kNameSuffix, 3); }

  // The check when the focus leaves control id: "|" or "\" gives 217, a digit in the first or
  // last name 221; the focus goes back. False when id is not one of the group's fields.
  bool leaveField(int id);
  // Puts the focus on the field a message is about (201 first name, 202 last name, 1519
  // prefix, 1520 suffix), or the field the exception names. False when none.
  bool focusFor(const CRegException& e);
  void store(CRegistrant& registrant) const;

  static bool freeAffixes();  // prefix and suffix are edits (Japanese)

 private:
  std::string shownText(int id, int languageFlag) const;
  void fillList(int id, int firstString, int count, const std::string& selected);

  CRegControls& m_controls;
  std::string m_first, m_initial, m_last, m_prefix, m_suffix;
};

// The phone number (at most 20 characters) and extension (5), checked by the country's rules.
class CPhoneGroup {
 public:
  explicit CPhoneGroup(CRegControls& controls);

  void load();
  DPhonePanel panel() const;
  // The user kept a number that question 1515 was about; the checks then skip the number.
  void setAccepted(bool accepted) { m_accepted = accepted; }
  bool accepted() const { return m_accepted; }

  // Leaving the number or the extension: "|" or "\" gives 217; then the country's phone
  // check: a bad character (246) is shown with the focus back on its field; question 1515 is
  // asked, Yes puts the focus back on the number and No keeps it (accepted). A missing number
  // waits for Next. False when id is not one of the group's fields.
  bool leaveField(int id, const CAddressRules& country);
  // 208, 223 and 1515 (or the field the exception names): the focus on that field.
  bool focusFor(const CRegException& e);
  void store(CRegistrant& registrant) const;

 private:
  CRegControls& m_controls;
  std::string m_phone, m_extension;
  bool m_accepted = false;
};

// The control of a field that a check names; 0 for none (name, address and phone fields).
int regControlOfField(RegField field);

class CQuestionnaire;

// A questionnaire question's label and drop-down list on a page, as the question sees them.
class CControlChoiceList : public CChoiceList {
 public:
  CControlChoiceList(CRegControls& controls, int labelId, int listId)
      : m_controls(controls), m_labelId(labelId), m_listId(listId) {}
  void setLabel(const std::string& text) override { m_controls.setText(m_labelId, text); }
  void clear() override { m_controls.clearItems(m_listId); }
  int add(const std::string& text, const DChoice* data, bool sorted) override;
  void insertAt(int index, const std::string& text, const DChoice* data) override;
  int count() const override { return m_controls.itemCount(m_listId); }
  std::string textAt(int index) const override { return m_controls.itemText(m_listId, index); }
  const DChoice* dataAt(int index) const override;
  int selected() const override { return m_controls.selection(m_listId); }
  void select(int index) override { m_controls.select(m_listId, index); }

 private:
  CRegControls& m_controls;
  int m_labelId;
  int m_listId;
};

// Control ids of the customer type and the questions on the Additional Information page.
inline constexpr int kUseHome = 2335;
inline constexpr int kUseBusiness = 2336;
inline constexpr int kUseHomeBusiness = 2337;
inline constexpr int kQuestionLabels[3] = {2302, 2274, 2275};
inline constexpr int kQuestionLists[3] = {2227, 2228, 2229};

// The customer type: "HOME", "BUSI" or "HOBU" (answer q18), and the question set it uses (the
// home set for HOME and HOBU, the business set for BUSI) on the page's three question lists.
class CCustomerType {
 public:
  CCustomerType(CRegControls& controls, CQuestionnaire& questions);

  // The kind from the registrant (answer q18), else the product's; presses its radio button
  // (2335 HOME, 2336 BUSI, 2337 HOBU) and shows its set with the stored answers.
  void open();
  // A radio button of the kind was pressed: the other set's questions are hidden (keeping
  // their choices) and the kind's set shown. False for another id.
  bool choose(int radioId);
  const std::string& kind() const { return m_kind; }
  // "&q18=KIND", then per question "&" the home pair and "&" the business pair, each with its
  // answer when its set is in use, else a blank.
  std::string queryText();
  // q18, its number under field code 7518, and every answer (empty for the set not in use).
  void store(CRegistrant& registrant);

 private:
  void showSet();

  CRegControls& m_controls;
  CQuestionnaire& m_questions;
  std::vector<std::unique_ptr<CControlChoiceList>> m_lists;
  std::string m_kind;
};
