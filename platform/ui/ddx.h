// Data exchange between a dialog's controls and its fields, with checks.
//
// Dialog::updateData makes a DataExchange and passes it to doDataExchange, which calls one
// exchange per field, each followed by its checks:
//   dx.text(1001, m_name);  dx.maxChars(1001, m_name, 64);
//   dx.number(1002, m_count);  dx.range(1002, m_count, 1, 64);
// Loading (saving() false) writes the fields into the controls; maxChars then also limits what
// the user can type. Saving reads the controls into the fields and checks them: the first
// refusal shows its message in a message box (msgbox.h), puts the focus on the control and
// makes every later exchange of the pass do nothing; updateData then returns false.
//
// Refusals: "Please enter a whole number." (number: not a whole number),
// "Please enter a whole number from MIN to MAX." (range), "Please enter no more than N
// characters." (maxChars). Lengths count characters, not bytes.
#pragma once

#include <string>

namespace zkui {

class Dialog;
struct DateTime;

class DataExchange {
 public:
  DataExchange(Dialog& dialog, bool saving) : m_dialog(dialog), m_saving(saving) {}

  bool saving() const { return m_saving; }
  bool failed() const { return m_failed; }

  void text(int id, std::string& value);
  void maxChars(int id, const std::string& value, int maxChars);
  void number(int id, int& value);
  void range(int id, int value, int min, int max);
  // 0 clear, 1 checked (2 undetermined for a three-state box).
  void check(int id, int& value);
  // The index of the chosen button of the radio group that starts with firstId (buttons with
  // consecutive ids), -1 for none.
  void radio(int firstId, int& index);

  // A date or time picker (datetime.h): its part of `value` (the date of a date picker, the
  // time of a time picker); saving refuses a text that is no date ("Please enter a date.") or
  // no time ("Please enter a time.").
  void dateTime(int id, DateTime& value);

  // Shows `message` as a refusal of control `id` and stops the pass.
  void refuse(int id, const std::string& message);

 private:
  bool active() const { return !m_failed; }
  Dialog& m_dialog;
  bool m_saving;
  bool m_failed = false;
};

}  // namespace zkui
