// The panels that the wizard's pages place over groups of their controls: the name group and
// the phone group. Each moves its values between its controls (CRegControls) and the
// registrant record, checks a field when the user leaves it, and puts the focus on the field a
// validation message is about. User-interface thread only.
#pragma once

#include <string>

#include "regaddress.h"
#include "regcontrols.h"
#include "regpageids.h"

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
