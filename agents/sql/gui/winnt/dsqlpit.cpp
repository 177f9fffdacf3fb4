#include "dsqlpit.h"

#include <strings.h>
#include <wx/checkbox.h>
#include <wx/radiobut.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <vector>

#include "agttrc.h"
#include "ddx.h"
#include "dmsgbox.h"
#include "dsqlinforows.h"
#include "help.h"
#include "optinfo.h"

namespace {

enum : int { MSG_HELP_KEY = 5706, MSG_NO_MARK = 5723 };

constexpr char kHelpFile[] = "zarnaksql.hlp";

// The radio buttons in the order of the choices.
constexpr int kRadios[] = {IDC_PIT_NONE, IDC_PIT_STOPAT, IDC_PIT_ATMARK, IDC_PIT_BEFOREMARK};

// The controls of a mark choice.
struct MarkIds {
  int label, name, after, dateLabel, date, timeLabel, time;
};
constexpr MarkIds kAtMark{IDC_PIT_ATMARK_LABEL,      IDC_PIT_ATMARK_NAME, IDC_PIT_ATMARK_AFTER,
                          IDC_PIT_ATMARK_DATE_LABEL, IDC_PIT_ATMARK_DATE, IDC_PIT_ATMARK_TIME_LABEL,
                          IDC_PIT_ATMARK_TIME};
constexpr MarkIds kBeforeMark{IDC_PIT_BEFOREMARK_LABEL, IDC_PIT_BEFOREMARK_NAME,
                              IDC_PIT_BEFOREMARK_AFTER, IDC_PIT_BEFOREMARK_DATE_LABEL,
                              IDC_PIT_BEFOREMARK_DATE,  IDC_PIT_BEFOREMARK_TIME_LABEL,
                              IDC_PIT_BEFOREMARK_TIME};
const MarkIds& markIds(int choice) {
  return choice == PIT_STOP_AT_MARK ? kAtMark : kBeforeMark;
}

// `count` decimal digits at `pos`; false when the text has fewer or another character there.
bool readDigits(const char* textP, size_t pos, size_t count, int* valueP) {
  int value = 0;
  for (size_t i = 0; i < count; i++) {
    unsigned char c = static_cast<unsigned char>(textP[pos + i]);
    if (!std::isdigit(c)) return false;
    value = value * 10 + (c - '0');
  }
  *valueP = value;
  return true;
}

// The pieces of a text between the separators, empty pieces left out.
std::vector<std::string> split(const std::string& text, const char* separatorsP) {
  std::vector<std::string> pieces;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t start = text.find_first_not_of(separatorsP, pos);
    if (start == std::string::npos) break;
    size_t end = text.find_first_of(separatorsP, start);
    if (end == std::string::npos) end = text.size();
    pieces.push_back(text.substr(start, end - start));
    pos = end;
  }
  return pieces;
}

std::string twoDigits(const std::string& piece) {
  return piece.size() == 1 ? "0" + piece : piece;
}

zkui::DateTime now() {
  std::time_t t = std::time(nullptr);
  std::tm tm{};
  localtime_r(&t, &tm);
  return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

// The stored text as a local date and time, brought into range as the calendar does (a 31st
// of a 30-day month is the 1st of the next); now when the text holds no date.
zkui::DateTime fromStoredText(const char* textP) {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
  convertOptionsDatetoDP(textP, &year, &month, &day, &hour, &minute, &second);
  if (year == 0) return now();
  std::tm tm{};
  tm.tm_year = year - 1900;
  tm.tm_mon = month - 1;
  tm.tm_mday = day;
  tm.tm_hour = hour;
  tm.tm_min = minute;
  tm.tm_sec = second;
  tm.tm_isdst = -1;
  if (std::mktime(&tm) == static_cast<std::time_t>(-1)) return now();
  return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

// The pickers show month/day/year and a 24-hour time, whatever the locale; these are their
// texts of a value, for convertPickerDateToOptions and the page's summary.
constexpr char kDateFormat[] = "%m/%d/%Y";
constexpr char kTimeFormat[] = "%H:%M:%S";
std::string monthFirstDate(const zkui::DateTime& v) {
  char text[32];
  std::snprintf(text, sizeof text, "%02d/%02d/%04d", v.month, v.day, v.year);
  return text;
}
std::string clockTime(const zkui::DateTime& v) {
  char text[32];
  std::snprintf(text, sizeof text, "%02d:%02d:%02d", v.hour, v.minute, v.second);
  return text;
}

void setText(char* fieldP, size_t size, const std::string& text) {
  std::snprintf(fieldP, size, "%s", text.c_str());
}

}  // namespace

void convertOptionsDatetoDP(const char* szDateTime, int* yearP, int* monthP, int* dayP, int* hourP,
                            int* minuteP, int* secondP) {
  if (szDateTime == nullptr) {
    TRACE_LINE(TRC_GUI, "szDateTime is NULL\n");
    return;
  }
  int year = 0, month = 0, day = 0;
  if (readDigits(szDateTime, 0, 4, &year) && readDigits(szDateTime, 4, 2, &month) &&
      readDigits(szDateTime, 6, 2, &day)) {
    *yearP = year;
    *monthP = month;
    *dayP = day;
  }
  // The time is the stored fixed form, whatever time format the user has chosen.
  std::vector<std::string> pieces = split(szDateTime, " ");
  if (pieces.size() < 2) return;
  const std::string& time = pieces[1];
  int hour = 0, minute = 0, second = 0;
  bool fixed = time.size() == 8 && time[2] == ':' && time[5] == ':' &&
               readDigits(time.c_str(), 0, 2, &hour) && readDigits(time.c_str(), 3, 2, &minute) &&
               readDigits(time.c_str(), 6, 2, &second) && hour < 24 && minute < 60 && second < 60;
  if (!fixed) return;
  *hourP = hour;
  *minuteP = minute;
  *secondP = second;
}

void convertPickerDateToOptions(const std::string& dateText, const std::string& timeText,
                                char* resultP, size_t resultSize) {
  std::string date;
  std::vector<std::string> d = split(dateText, "/");
  if (d.size() < 3) {
    TRACE_LINE(TRC_GUI, "tempDate (szDate) is NULL.\n");
  } else {
    std::string year = d[2].size() == 2 ? "20" + d[2] : d[2];
    date = year + twoDigits(d[0]) + twoDigits(d[1]);
  }
  std::vector<std::string> hm = split(timeText, ":");
  std::vector<std::string> rest = hm.size() >= 3 ? split(hm[2], " ") : std::vector<std::string>{};
  if (hm.size() < 3 || rest.empty()) {
    TRACE_LINE(TRC_GUI, "tempTime (csStopTime) is NULL.\n");
    return;
  }
  std::string hour = twoDigits(hm[0]);
  if (rest.size() > 1) {
    int h = std::atoi(hm[0].c_str());
    if (strcasecmp(rest[1].c_str(), "PM") == 0 && h != 12) h += 12;
    if (strcasecmp(rest[1].c_str(), "AM") == 0 && h == 12) h = 0;
    char text[16];
    std::snprintf(text, sizeof text, "%02d", h);
    hour = text;
  }
  std::string time = hour + ":" + twoDigits(hm[1]) + ":" + twoDigits(rest[0]);
  setText(resultP, resultSize, date + " " + time);
}

DSqlPitDlg::DSqlPitDlg(wxWindow* parentP, OptionsInfo* optionsP)
    : DFciDialog(DSQLPIT_TEMPLATE_ID, parentP), m_optionsP(optionsP) {}

std::string DSqlPitDlg::stopAtDateText() const {
  return monthFirstDate(m_stopAt);
}
std::string DSqlPitDlg::stopAtTimeText() const {
  return clockTime(m_stopAt);
}
std::string DSqlPitDlg::afterDateText() const {
  return monthFirstDate(m_choice == PIT_STOP_BEFORE_MARK ? m_beforeMarkAfter : m_atMarkAfter);
}
std::string DSqlPitDlg::afterTimeText() const {
  return clockTime(m_choice == PIT_STOP_BEFORE_MARK ? m_beforeMarkAfter : m_atMarkAfter);
}

int DSqlPitDlg::markAfter(int choice) const {
  return choice == PIT_STOP_AT_MARK ? m_bAtMarkAfter : m_bBeforeMarkAfter;
}

// The starting state: the first of stop at, stop at a mark, stop before a mark that the record
// holds; the mark choices only where the server knows marks.
void DSqlPitDlg::fromOptions() {
  const OptionsInfo& o = *m_optionsP;
  m_stopAt = m_atMarkAfter = m_beforeMarkAfter = now();
  m_choice = PIT_NONE;
  if (o.bStopAt == 1) {
    m_stopAt = fromStoredText(o.szStopAt);
    m_choice = PIT_STOP_AT;
    return;
  }
  bool atMark = o.bStopAtMark == 1;
  if ((!atMark && o.bStopBeforeMark != 1) || m_bSqlServer7) return;
  m_choice = atMark ? PIT_STOP_AT_MARK : PIT_STOP_BEFORE_MARK;
  std::string& name = atMark ? m_atMarkName : m_beforeMarkName;
  name = o.szMarkName;
  int after = o.bAfter == 1 ? 1 : 0;
  (atMark ? m_bAtMarkAfter : m_bBeforeMarkAfter) = after;
  if (after != 0) (atMark ? m_atMarkAfter : m_beforeMarkAfter) = fromStoredText(o.szAfter);
}

void DSqlPitDlg::onInitDialog() {
  fixSize();
  for (int id : {IDC_PIT_STOPAT_DATE, IDC_PIT_ATMARK_DATE, IDC_PIT_BEFOREMARK_DATE,
                 IDC_PIT_STOPAT_TIME, IDC_PIT_ATMARK_TIME, IDC_PIT_BEFOREMARK_TIME}) {
    auto* pickerP = dynamic_cast<zkui::DateTimePicker*>(control(id));
    if (pickerP != nullptr)
      pickerP->setFormat(pickerP->kind() == zkui::DateTimePicker::Kind::Date ? kDateFormat
                                                                             : kTimeFormat);
  }
  m_bSqlServer7 = querySqlInfo().lSqlVersionMajor == 7;
  fromOptions();
  DFciDialog::onInitDialog();  // shows the values
  enableStopAt(m_choice == PIT_STOP_AT);
  for (int choice : {PIT_STOP_AT_MARK, PIT_STOP_BEFORE_MARK}) {
    enableItem(kRadios[choice], !m_bSqlServer7);
    enableMark(choice, m_choice == choice, markAfter(choice) != 0);
  }
  focusOn(kRadios[m_choice]);
}

void DSqlPitDlg::doDataExchange(zkui::DataExchange& dx) {
  // The choice follows the radio buttons' clicks; loading shows it.
  if (!dx.saving()) {
    for (int i = 0; i < 4; i++) {
      if (auto* buttonP = dynamic_cast<wxRadioButton*>(control(kRadios[i])))
        buttonP->SetValue(i == m_choice);
    }
  }
  dx.dateTime(IDC_PIT_STOPAT_DATE, m_stopAt);
  dx.dateTime(IDC_PIT_STOPAT_TIME, m_stopAt);
  struct Mark {
    const MarkIds& ids;
    std::string& name;
    int& after;
    zkui::DateTime& afterValue;
  };
  for (Mark m : {Mark{kAtMark, m_atMarkName, m_bAtMarkAfter, m_atMarkAfter},
                 Mark{kBeforeMark, m_beforeMarkName, m_bBeforeMarkAfter, m_beforeMarkAfter}}) {
    dx.text(m.ids.name, m.name);
    dx.maxChars(m.ids.name, m.name, DSQLPIT_MARK_MAX);
    // The options record holds 128 bytes: a name of wider characters must fit that too.
    if (dx.saving() && !dx.failed() && m.name.size() > static_cast<size_t>(DSQLPIT_MARK_MAX))
      dx.refuse(m.ids.name,
                "Please enter no more than " + std::to_string(DSQLPIT_MARK_MAX) + " characters.");
    dx.check(m.ids.after, m.after);
    dx.dateTime(m.ids.date, m.afterValue);
    dx.dateTime(m.ids.time, m.afterValue);
  }
}

bool DSqlPitDlg::onCommand(int id) {
  switch (id) {
    case IDC_PIT_NONE:
      OnRadioNone();
      return true;
    case IDC_PIT_STOPAT:
      OnRadioStopAt();
      return true;
    case IDC_PIT_ATMARK:
      OnRadioStopAtMark();
      return true;
    case IDC_PIT_BEFOREMARK:
      OnRadioStopBeforeMark();
      return true;
    case IDC_PIT_ATMARK_AFTER:
      OnCheckAtMarkAfter();
      return true;
    case IDC_PIT_BEFOREMARK_AFTER:
      OnCheckBeforeMarkAfter();
      return true;
    case IDC_PIT_NOW:
      OnButtonNow();
      return true;
    case IDC_PIT_HELP:
      OnButtonHelp();
      return true;
    default:
      return DFciDialog::onCommand(id);
  }
}

void DSqlPitDlg::OnRadioNone() {
  focusOn(IDC_PIT_NONE);
  enableStopAt(false);
  enableMark(PIT_STOP_AT_MARK, false, false);
  enableMark(PIT_STOP_BEFORE_MARK, false, false);
  m_choice = PIT_NONE;
}

void DSqlPitDlg::OnRadioStopAt() {
  focusOn(IDC_PIT_STOPAT);
  enableStopAt(true);
  enableMark(PIT_STOP_AT_MARK, false, false);
  enableMark(PIT_STOP_BEFORE_MARK, false, false);
  m_choice = PIT_STOP_AT;
}

void DSqlPitDlg::OnRadioStopAtMark() {
  chooseMark(PIT_STOP_AT_MARK);
}

void DSqlPitDlg::OnRadioStopBeforeMark() {
  chooseMark(PIT_STOP_BEFORE_MARK);
}

void DSqlPitDlg::OnCheckAtMarkAfter() {
  readAfter(PIT_STOP_AT_MARK);
}

void DSqlPitDlg::OnCheckBeforeMarkAfter() {
  readAfter(PIT_STOP_BEFORE_MARK);
}

// A mark choice: its controls on (the after pickers as its box says), all others off.
void DSqlPitDlg::chooseMark(int choice) {
  focusOn(kRadios[choice]);
  enableMark(choice, true, markAfter(choice) != 0);
  enableStopAt(false);
  enableMark(choice == PIT_STOP_AT_MARK ? PIT_STOP_BEFORE_MARK : PIT_STOP_AT_MARK, false, false);
  m_choice = choice;
}

// The after box of a mark choice: its flag and its pickers follow it.
void DSqlPitDlg::readAfter(int choice) {
  auto* boxP = dynamic_cast<wxCheckBox*>(control(markIds(choice).after));
  int after = boxP != nullptr && boxP->GetValue() ? 1 : 0;
  (choice == PIT_STOP_AT_MARK ? m_bAtMarkAfter : m_bBeforeMarkAfter) = after;
  enableMark(choice, true, after != 0);
}

void DSqlPitDlg::OnButtonNow() {
  zkui::DateTime value = now();
  for (int id : {IDC_PIT_STOPAT_DATE, IDC_PIT_STOPAT_TIME, IDC_PIT_ATMARK_DATE, IDC_PIT_ATMARK_TIME,
                 IDC_PIT_BEFOREMARK_DATE, IDC_PIT_BEFOREMARK_TIME}) {
    if (auto* pickerP = dynamic_cast<zkui::DateTimePicker*>(control(id))) pickerP->setValue(value);
  }
}

void DSqlPitDlg::OnButtonHelp() {
  zkui::help({kHelpFile, zkui::HelpCommand::Key, 0, messageText(MSG_HELP_KEY)});
}

void DSqlPitDlg::onOK() {
  if (!updateData(true)) return;
  OptionsInfo& o = *m_optionsP;
  switch (m_choice) {
    case PIT_NONE:
      o.bStopAt = o.bStopAtMark = o.bStopBeforeMark = o.bAfter = 0;
      o.szMarkName[0] = o.szStopAt[0] = o.szAfter[0] = '\0';
      break;
    case PIT_STOP_AT:
      o.bStopAt = 1;
      convertPickerDateToOptions(monthFirstDate(m_stopAt), clockTime(m_stopAt), o.szStopAt,
                                 sizeof o.szStopAt);
      o.bStopAtMark = o.bStopBeforeMark = o.bAfter = 0;
      o.szMarkName[0] = o.szAfter[0] = '\0';
      break;
    case PIT_STOP_AT_MARK:
    case PIT_STOP_BEFORE_MARK: {
      bool atMark = m_choice == PIT_STOP_AT_MARK;
      const std::string& name = atMark ? m_atMarkName : m_beforeMarkName;
      if (name.empty()) {
        showMessageNumber(MSG_NO_MARK, DMSG_ERROR, nullptr);
        focusOn(markIds(m_choice).name);
        return;
      }
      o.bStopAtMark = atMark ? 1 : 0;
      o.bStopBeforeMark = atMark ? 0 : 1;
      setText(o.szMarkName, sizeof o.szMarkName, name);
      if (markAfter(m_choice) != 0) {
        const zkui::DateTime& after = atMark ? m_atMarkAfter : m_beforeMarkAfter;
        o.bAfter = 1;
        convertPickerDateToOptions(monthFirstDate(after), clockTime(after), o.szAfter,
                                   sizeof o.szAfter);
      } else {
        o.bAfter = 0;
        o.szAfter[0] = '\0';
      }
      o.bStopAt = 0;
      o.szStopAt[0] = '\0';
      break;
    }
    default:
      break;
  }
  endDialog(zkui::kIdOk);
}

void DSqlPitDlg::enableStopAt(bool enable) {
  for (int id : {IDC_PIT_STOPAT_DATE_LABEL, IDC_PIT_STOPAT_DATE, IDC_PIT_STOPAT_TIME_LABEL,
                 IDC_PIT_STOPAT_TIME}) {
    enableItem(id, enable);
  }
}

void DSqlPitDlg::enableMark(int choice, bool enable, bool after) {
  const MarkIds& ids = markIds(choice);
  for (int id : {ids.label, ids.name, ids.after}) enableItem(id, enable);
  for (int id : {ids.dateLabel, ids.date, ids.timeLabel, ids.time}) enableItem(id, enable && after);
}

void DSqlPitDlg::focusOn(int id) {
  if (wxWindow* controlP = control(id)) controlP->SetFocus();
}
