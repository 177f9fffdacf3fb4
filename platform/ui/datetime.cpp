#include "datetime.h"

#include <langinfo.h>
#include <locale.h>
#include <wx/textctrl.h>

#include <cstring>
#include <ctime>
#include <vector>

#include "resbundle.h"
#include "spin.h"

namespace zkui {

namespace {

// The pickers' locale; C until a program or test chooses one.
locale_t gLocale = nullptr;

locale_t pickerLocale() {
  if (!gLocale) gLocale = newlocale(LC_TIME_MASK, "C", nullptr);
  return gLocale;
}

std::string formatOf(DateTimePicker::Kind kind) {
  return nl_langinfo_l(kind == DateTimePicker::Kind::Date ? D_FMT : T_FMT, pickerLocale());
}

std::tm toTm(const DateTime& v) {
  std::tm t{};
  t.tm_year = v.year - 1900;
  t.tm_mon = v.month - 1;
  t.tm_mday = v.day;
  t.tm_hour = v.hour;
  t.tm_min = v.minute;
  t.tm_sec = v.second;
  t.tm_isdst = 0;
  return t;
}

// The tm normalized as a calendar does (the 32nd of January is the 1st of February).
DateTime fromTm(std::tm t) {
  time_t seconds = timegm(&t);
  std::tm n{};
  gmtime_r(&seconds, &n);
  return DateTime{n.tm_year + 1900, n.tm_mon + 1, n.tm_mday, n.tm_hour, n.tm_min, n.tm_sec};
}

std::string format(const std::string& fmt, const DateTime& v) {
  std::tm t = toTm(fromTm(toTm(v)));
  char out[128];
  size_t n = strftime_l(out, sizeof out, fmt.c_str(), &t, pickerLocale());
  return std::string(out, n);
}

bool parse(const std::string& fmt, const std::string& text, DateTime& value, bool date) {
  std::tm t = toTm(value);
  locale_t previous = uselocale(pickerLocale());
  const char* end = strptime(text.c_str(), fmt.c_str(), &t);
  uselocale(previous);
  if (!end) return false;
  while (*end == ' ') ++end;
  if (*end) return false;
  DateTime read = fromTm(t);
  // A day the calendar does not have (the 31st of April) comes back as another one.
  if (date && (read.day != t.tm_mday || read.month != t.tm_mon + 1)) return false;
  if (date) {
    value.year = read.year, value.month = read.month, value.day = read.day;
  } else {
    value.hour = read.hour, value.minute = read.minute, value.second = read.second;
  }
  return true;
}

// One piece of a format: a conversion ("%d") or literal text, with where it lies in the text.
struct Piece {
  char conversion;  // 0 for literal text
  size_t begin, end;
};

// The pieces of the value's text; conversions that expand to others (%D, %T, %r, %R) are
// spelt out first, so that every field is a piece of its own.
std::vector<Piece> pieces(std::string fmt, const DateTime& v) {
  static const char* const kExpand[][2] = {
      {"%D", "%m/%d/%y"}, {"%T", "%H:%M:%S"}, {"%r", "%I:%M:%S %p"}, {"%R", "%H:%M"}};
  for (const auto& e : kExpand) {
    for (size_t at; (at = fmt.find(e[0])) != std::string::npos;) fmt.replace(at, 2, e[1]);
  }
  std::vector<Piece> out;
  size_t pos = 0;
  for (size_t i = 0; i < fmt.size();) {
    std::string part;
    char conversion = 0;
    if (fmt[i] == '%' && i + 1 < fmt.size()) {
      size_t j = i + 1;
      if (fmt[j] == 'E' || fmt[j] == 'O') ++j;  // alternative forms
      conversion = fmt[j];
      part = fmt.substr(i, j + 1 - i);
      i = j + 1;
    } else {
      size_t j = fmt.find('%', i);
      if (j == std::string::npos) j = fmt.size();
      part = fmt.substr(i, j - i);
      i = j;
    }
    size_t width = conversion ? format(part, v).size() : part.size();
    out.push_back(Piece{conversion, pos, pos + width});
    pos += width;
  }
  return out;
}

// Steps the field of `conversion` by delta.
DateTime stepField(DateTime v, char conversion, int delta) {
  std::tm t = toTm(v);
  switch (conversion) {
    case 'Y':
    case 'y':
    case 'C':
    case 'G':
    case 'g':
      t.tm_year += delta;
      break;
    case 'm':
    case 'b':
    case 'B':
    case 'h':
      t.tm_mon += delta;
      break;
    case 'H':
    case 'I':
    case 'k':
    case 'l':
      t.tm_hour += delta;
      break;
    case 'p':
    case 'P':
      t.tm_hour += 12 * delta;
      break;
    case 'M':
      t.tm_min += delta;
      break;
    case 'S':
      t.tm_sec += delta;
      break;
    default:  // days, week days and whatever else: a day
      t.tm_mday += delta;
      break;
  }
  // A month or year step keeps the day within the new month (31 March less a month: 28/29 Feb).
  if (conversion == 'm' || conversion == 'b' || conversion == 'B' || conversion == 'h' ||
      conversion == 'Y' || conversion == 'y') {
    std::tm first = t;
    first.tm_mday = 1;
    DateTime start = fromTm(first);
    std::tm next = toTm(start);
    next.tm_mon += 1;
    next.tm_mday = 0;  // the last day of the month
    int last = fromTm(next).day;
    if (t.tm_mday > last) t.tm_mday = last;
  }
  return fromTm(t);
}

}  // namespace

int setPickerLocale(const std::string& name) {
  locale_t loc = newlocale(LC_TIME_MASK, name.c_str(), nullptr);
  if (!loc) return kResNotFound;
  if (gLocale) freelocale(gLocale);
  gLocale = loc;
  return 0;
}

std::string formatDate(const DateTime& value) {
  return format(formatOf(DateTimePicker::Kind::Date), value);
}

std::string formatTime(const DateTime& value) {
  return format(formatOf(DateTimePicker::Kind::Time), value);
}

bool parseDate(const std::string& text, DateTime& value) {
  return parse(formatOf(DateTimePicker::Kind::Date), text, value, true);
}

bool parseTime(const std::string& text, DateTime& value) {
  return parse(formatOf(DateTimePicker::Kind::Time), text, value, false);
}

DateTimePicker::DateTimePicker(wxWindow* parentP, int id, const wxPoint& pos, const wxSize& size,
                               Kind kind)
    : wxPanel(parentP, id, pos, size, wxTAB_TRAVERSAL | wxBORDER_NONE), m_kind(kind) {
  wxSize client = GetClientSize();
  int spinWidth = std::min(16, std::max(12, client.y / 2));
  m_editP = new wxTextCtrl(this, wxID_ANY, wxString(), wxPoint(0, 0),
                           wxSize(client.x - spinWidth, client.y));
  m_spinP =
      new SpinButton(this, wxID_ANY, wxPoint(client.x - spinWidth, 0), wxSize(spinWidth, client.y));
  m_spinP->setRange(-1000000, 1000000);
  m_spinP->setNotifySink([this](const Notification& n) {
    step(n.step);
    return false;
  });
  m_editP->Bind(wxEVT_TEXT, [this](wxCommandEvent&) { textChanged(); });
  showValue();
}

std::string DateTimePicker::format() const {
  return m_format.empty() ? formatOf(m_kind) : m_format;
}

void DateTimePicker::setFormat(const std::string& format) {
  m_format = format;
  showValue();
}

bool DateTimePicker::readText(DateTime& value) const {
  return parse(format(), m_editP->GetValue().utf8_string(), value, m_kind == Kind::Date);
}

bool DateTimePicker::textValid() const {
  DateTime v = m_value;
  return readText(v);
}

void DateTimePicker::setValue(const DateTime& value) {
  m_value = fromTm(toTm(value));
  showValue();
}

void DateTimePicker::showValue() {
  m_editP->ChangeValue(wxString::FromUTF8(zkui::format(format(), m_value)));
}

void DateTimePicker::textChanged() {
  DateTime v = m_value;
  if (!readText(v) || v == m_value) return;
  m_value = v;
  changed();
}

void DateTimePicker::step(int delta) {
  std::string fmt = format();
  std::vector<Piece> all = pieces(fmt, m_value);
  size_t caret = static_cast<size_t>(std::max(0L, m_editP->GetInsertionPoint()));
  const Piece* field = nullptr;
  for (const Piece& p : all) {
    if (!p.conversion) continue;
    if (!field) field = &p;  // the first field when the caret is before every field
    if (caret >= p.begin && caret <= p.end) {
      field = &p;
      break;
    }
  }
  if (!field) return;
  char conversion = field->conversion;
  size_t fieldIndex = static_cast<size_t>(field - all.data());
  m_value = stepField(m_value, conversion, delta);
  showValue();
  std::vector<Piece> now = pieces(fmt, m_value);
  if (fieldIndex < now.size()) m_editP->SetInsertionPoint(static_cast<long>(now[fieldIndex].begin));
  changed();
}

void DateTimePicker::changed() {
  Notification n;
  n.id = GetId();
  n.kind = NotifyKind::DateTimeChanged;
  n.controlP = this;
  notify(n);
}

}  // namespace zkui
