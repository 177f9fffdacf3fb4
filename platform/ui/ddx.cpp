#include "ddx.h"

#include <wx/checkbox.h>
#include <wx/radiobut.h>
#include <wx/textctrl.h>

#include <cerrno>
#include <climits>
#include <cstdlib>

#include "datetime.h"
#include "dialog.h"
#include "msgbox.h"

namespace zkui {

namespace {

// A whole number in decimal, with blanks around it allowed; false for anything else.
bool parseWhole(const std::string& text, int& out) {
  const char* s = text.c_str();
  char* end = nullptr;
  errno = 0;
  long v = std::strtol(s, &end, 10);
  if (end == s || errno == ERANGE || v < INT_MIN || v > INT_MAX) return false;
  while (*end == ' ' || *end == '\t') ++end;
  if (*end != '\0') return false;
  out = static_cast<int>(v);
  return true;
}

size_t characterCount(const std::string& utf8) {
  return wxString::FromUTF8(utf8).length();
}

}  // namespace

void DataExchange::refuse(int id, const std::string& message) {
  m_failed = true;
  messageBox(m_dialog.window(), message, std::string(), kMbOk | kMbIconExclamation);
  if (wxWindow* c = m_dialog.control(id)) c->SetFocus();
  if (auto* edit = dynamic_cast<wxTextCtrl*>(m_dialog.control(id))) edit->SelectAll();
}

void DataExchange::text(int id, std::string& value) {
  if (!active()) return;
  if (!m_saving) return m_dialog.setItemText(id, value);
  value = m_dialog.itemText(id);
}

void DataExchange::maxChars(int id, const std::string& value, int maxChars) {
  if (!active()) return;
  auto* edit = dynamic_cast<wxTextCtrl*>(m_dialog.control(id));
  if (!m_saving) {
    if (edit) edit->SetMaxLength(maxChars);
    return;
  }
  if (characterCount(value) <= static_cast<size_t>(maxChars)) return;
  refuse(id, "Please enter no more than " + std::to_string(maxChars) + " characters.");
}

void DataExchange::number(int id, int& value) {
  if (!active()) return;
  if (!m_saving) return m_dialog.setItemText(id, std::to_string(value));
  if (!parseWhole(m_dialog.itemText(id), value)) refuse(id, "Please enter a whole number.");
}

void DataExchange::range(int id, int value, int min, int max) {
  if (!active() || !m_saving || (value >= min && value <= max)) return;
  refuse(id, "Please enter a whole number from " + std::to_string(min) + " to " +
                 std::to_string(max) + ".");
}

void DataExchange::check(int id, int& value) {
  if (!active()) return;
  auto* box = dynamic_cast<wxCheckBox*>(m_dialog.control(id));
  if (!box) return;
  if (!m_saving && box->Is3State()) return box->Set3StateValue(static_cast<wxCheckBoxState>(value));
  if (!m_saving) return box->SetValue(value != 0);
  value = box->Is3State() ? static_cast<int>(box->Get3StateValue()) : (box->GetValue() ? 1 : 0);
}

void DataExchange::dateTime(int id, DateTime& value) {
  if (!active()) return;
  auto* picker = dynamic_cast<DateTimePicker*>(m_dialog.control(id));
  if (!picker) return;
  bool date = picker->kind() == DateTimePicker::Kind::Date;
  if (!m_saving) {
    DateTime shown = picker->value();
    if (date) shown.year = value.year, shown.month = value.month, shown.day = value.day;
    if (!date) shown.hour = value.hour, shown.minute = value.minute, shown.second = value.second;
    return picker->setValue(shown);
  }
  if (!picker->readText(value)) refuse(id, date ? "Please enter a date." : "Please enter a time.");
}

void DataExchange::radio(int firstId, int& index) {
  if (!active()) return;
  if (m_saving) index = -1;
  for (int i = 0;; ++i) {
    auto* button = dynamic_cast<wxRadioButton*>(m_dialog.control(firstId + i));
    if (!button || (i > 0 && button->HasFlag(wxRB_GROUP))) return;
    if (!m_saving) {
      button->SetValue(i == index);
    } else if (button->GetValue()) {
      index = i;
    }
  }
}

}  // namespace zkui
