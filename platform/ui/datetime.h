// Date and time pickers: an edit that shows a date or a time in the picker locale's format,
// with a spin beside it that steps the field the caret is in (day, month, year, hour, minute,
// second) by one, carrying into the next field as a calendar does.
//
// The format is the locale's own (its LC_TIME date or time format, "%m/%d/%y" and "%H:%M:%S"
// for "C") unless the picker is given one of its own (setFormat, a strftime format, as a dialog
// fixes "%m/%d/%Y"); setPickerLocale chooses the locale for every picker made afterwards and for
// the format and parse functions, so a test fixes what the pickers show. Typing changes the value
// when the text reads as a date (time) of the format; each change of the value, typed or
// stepped, sends DateTimeChanged (notify.h). Data exchange: DataExchange::dateTime (ddx.h).
// User-interface thread only.
#pragma once

#include <wx/panel.h>

#include <string>

#include "notify.h"

class wxTextCtrl;

namespace zkui {

class SpinButton;

// A calendar date and a time of day; month 1 to 12, day 1 to 31.
struct DateTime {
  int year = 1970, month = 1, day = 1, hour = 0, minute = 0, second = 0;
  bool operator==(const DateTime&) const = default;
};

// The locale of the pickers by name ("C", "en_US.UTF-8"; empty: the environment's). 0, or
// kResNotFound (resbundle.h) when the system has no such locale; the previous one stays then.
int setPickerLocale(const std::string& name);
std::string formatDate(const DateTime& value);
std::string formatTime(const DateTime& value);
// Reads the date (time) part of `value` from a text of the format; false, `value` untouched,
// when the text is not one or names no real day.
bool parseDate(const std::string& text, DateTime& value);
bool parseTime(const std::string& text, DateTime& value);

class DateTimePicker : public wxPanel, public Notifier {
 public:
  enum class Kind { Date, Time };
  DateTimePicker(wxWindow* parentP, int id, const wxPoint& pos, const wxSize& size, Kind kind);

  Kind kind() const { return m_kind; }
  // The last value the text held; its other part (time of a date picker) as set.
  DateTime value() const { return m_value; }
  void setValue(const DateTime& value);
  // The picker's own strftime format in place of the locale's (empty: the locale's again); the
  // text shows the value in it at once.
  void setFormat(const std::string& format);
  // Whether the text reads as a value of the format.
  bool textValid() const;
  // Reads the date (time) part of `value` from the text; false, `value` untouched, when the text
  // is not one of the format.
  bool readText(DateTime& value) const;
  wxTextCtrl* edit() const { return m_editP; }
  SpinButton* spin() const { return m_spinP; }
  // What the spin's arrows do: +1 or -1 on the field the caret is in.
  void step(int delta);

 private:
  std::string format() const;
  void showValue();
  void textChanged();
  void changed();

  Kind m_kind;
  std::string m_format;  // empty: the locale's
  DateTime m_value;
  wxTextCtrl* m_editP = nullptr;
  SpinButton* m_spinP = nullptr;
};

}  // namespace zkui
