#include "dateutil.h"

#include <cstdlib>
#include <cstring>
#include <iterator>

#include "nlstable.h"
#include "pstime.h"

namespace {

constexpr int kLowestParsedYear = 1990;
constexpr int kHighestYear = 65535;
constexpr size_t kMaxParsedText = 64;
constexpr int kMaxFieldDigits = 5;
constexpr int kMaxDayCountDigits = 9;

// Days before each month, for common and leap years.
constexpr int kDaysBefore[2][13] = {
    {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334, 365},
    {0, 31, 60, 91, 121, 152, 182, 213, 244, 274, 305, 335, 366},
};

bool isLeapYear(int64_t year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int daysInMonth(int year, int month) {
  const int* rowP = kDaysBefore[isLeapYear(year) ? 1 : 0];
  return rowP[month] - rowP[month - 1];
}

// Days since 1970-01-01 of a proleptic Gregorian date; the month is taken within 1 to 12 so that
// the lowest and highest records (month 0) still have a place on the line.
int64_t dayNumber(int64_t year, int month, int day) {
  int m = month < 1 ? 1 : (month > 12 ? 12 : month);
  int64_t y = year - (m <= 2 ? 1 : 0);
  int64_t era = (y >= 0 ? y : y - 399) / 400;
  int64_t yearOfEra = y - era * 400;
  int64_t dayOfYear = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + day - 1;
  int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468;
}

void dateFromDayNumber(int64_t days, int64_t* yearP, int* monthP, int* dayP) {
  int64_t z = days + 719468;
  int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  int64_t dayOfEra = z - era * 146097;
  int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  int64_t mp = (5 * dayOfYear + 2) / 153;
  *dayP = static_cast<int>(dayOfYear - (153 * mp + 2) / 5 + 1);
  *monthP = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  *yearP = yearOfEra + era * 400 + (*monthP <= 2 ? 1 : 0);
}

int64_t dayNumberOf(const agentDateTime* dateP) {
  return dayNumber(dateYear(dateP), dateP->month, dateP->day);
}

// A field of 1 to kMaxFieldDigits decimal digits and nothing else; -1 otherwise.
int readField(const char* textP, int maxDigits) {
  size_t length = strlen(textP);
  if (length == 0 || length > static_cast<size_t>(maxDigits) ||
      strspn(textP, "0123456789") != length) {
    return -1;
  }
  return atoi(textP);
}

// Splits a copy of the text at the separator into at most `count` fields; returns how many.
int splitFields(char* textP, char separator, char** fieldsP, int count) {
  int found = 0;
  fieldsP[found++] = textP;
  for (char* p = textP; *p != '\0' && found < count; ++p) {
    if (*p == separator) {
      *p = '\0';
      fieldsP[found++] = p + 1;
    }
  }
  return found;
}

struct DateLayout {
  char separator;
  int yearField;
  int monthField;
  int dayField;
};
constexpr DateLayout kMonthDayYear = {'/', 2, 0, 1};
constexpr DateLayout kDayMonthYearDash = {'-', 2, 1, 0};
constexpr DateLayout kDayMonthYearDot = {'.', 2, 1, 0};
constexpr DateLayout kYearMonthDayDash = {'-', 0, 1, 2};
constexpr DateLayout kYearMonthDayDot = {'.', 0, 1, 2};

const DateLayout* dayFirstLayout(char ch) {
  switch (ch) {
    case '/':
      return &kMonthDayYear;
    case '-':
      return &kDayMonthYearDash;
    case '.':
      return &kDayMonthYearDot;
    default:
      return nullptr;
  }
}

// The layout is told by the separator at position 1 or 2, else at position 4 (year first).
const DateLayout* recogniseDate(const char* textP) {
  size_t length = strlen(textP);
  for (size_t position : {1, 2}) {
    if (length > position && dayFirstLayout(textP[position]) != nullptr) {
      return dayFirstLayout(textP[position]);
    }
  }
  if (length > 4 && textP[4] == '-') {
    return &kYearMonthDayDash;
  }
  if (length > 4 && textP[4] == '.') {
    return &kYearMonthDayDot;
  }
  return nullptr;
}

int parseDaysFromToday(const char* countP, agentDateTime* dateP) {
  int days = readField(countP, kMaxDayCountDigits);
  if (days < 0) {
    return DATE_RC_BAD_VALUE;
  }
  agentDateTime now;
  dateGetNow(&now);
  dateAddDays(&now, days, dateP);
  return 0;
}

// The locale's marker for the morning (hour 1) or the afternoon (hour 13), as strftime prints it.
void localeMarker(int hour, char* markerP, size_t size) {
  struct tm tm = {};
  tm.tm_hour = hour;
  if (strftime(markerP, size, "%p", &tm) == 0) {
    markerP[0] = '\0';
  }
}

// Applies the 12-hour marker; false when it is neither the locale's AM nor its PM.
bool applyMarker(const char* markerP, int* hourP) {
  char am[16];
  char pm[16];
  localeMarker(1, am, sizeof am);
  localeMarker(13, pm, sizeof pm);
  const nlsFuncTable* tableP = nlsActiveFuncTable();
  if (am[0] != '\0' && tableP->m_StrICmp(markerP, am) == 0) {
    *hourP = *hourP == 12 ? 0 : *hourP;
    return true;
  }
  if (pm[0] != '\0' && tableP->m_StrICmp(markerP, pm) == 0) {
    *hourP = *hourP < 12 ? *hourP + 12 : *hourP;
    return true;
  }
  return false;
}

// In the 12-hour layout the seconds run straight into the marker (blanks allowed between):
// copies the marker out and leaves the digits alone in the seconds field.
bool splitMarker(char* secondsP, char* markerP, size_t markerSize) {
  size_t digits = strspn(secondsP, "0123456789");
  const char* startP = secondsP + digits + strspn(secondsP + digits, " ");
  if (*startP == '\0' || strlen(startP) >= markerSize) {
    return false;
  }
  strcpy(markerP, startP);
  secondsP[digits] = '\0';
  return true;
}

}  // namespace

uint16_t dateYear(const agentDateTime* dateP) { return psGetU16BE(dateP->year); }

void dateSetYear(agentDateTime* dateP, uint16_t year) { psPutU16BE(dateP->year, year); }

void dateFromTm(const struct tm* tmP, agentDateTime* dateP) {
  dateSetYear(dateP, static_cast<uint16_t>(tmP->tm_year + 1900));
  dateP->month = static_cast<uint8_t>(tmP->tm_mon + 1);
  dateP->day = static_cast<uint8_t>(tmP->tm_mday);
  dateP->hour = static_cast<uint8_t>(tmP->tm_hour);
  dateP->minute = static_cast<uint8_t>(tmP->tm_min);
  dateP->second = static_cast<uint8_t>(tmP->tm_sec);
}

void dateToTm(struct tm* tmP, const agentDateTime* dateP) {
  *tmP = tm{};
  tmP->tm_year = dateYear(dateP) - 1900;
  tmP->tm_mon = dateP->month - 1;
  tmP->tm_mday = dateP->day;
  tmP->tm_hour = dateP->hour;
  tmP->tm_min = dateP->minute;
  tmP->tm_sec = dateP->second;
  tmP->tm_isdst = -1;
}

void dateFromNative(const agentNativeDateTime* nativeP, agentDateTime* dateP) {
  dateSetYear(dateP, nativeP->year);
  dateP->month = nativeP->month;
  dateP->day = nativeP->day;
  dateP->hour = nativeP->hour;
  dateP->minute = nativeP->minute;
  dateP->second = nativeP->second;
}

void dateCopy(const agentDateTime* sourceP, agentDateTime* destP) {
  dateSetYear(destP, dateYear(sourceP));
  destP->month = sourceP->month;
  destP->day = sourceP->day;
  destP->hour = sourceP->hour;
  destP->minute = sourceP->minute;
  destP->second = sourceP->second;
}

int dateCompare(const agentDateTime* aP, const agentDateTime* bP) {
  const int a[] = {dateYear(aP), aP->month, aP->day, aP->hour, aP->minute, aP->second};
  const int b[] = {dateYear(bP), bP->month, bP->day, bP->hour, bP->minute, bP->second};
  for (size_t i = 0; i < std::size(a); ++i) {
    if (a[i] != b[i]) {
      return a[i] > b[i] ? 1 : -1;
    }
  }
  return 0;
}

void dateAddDays(const agentDateTime* dateP, int32_t days, agentDateTime* resultP) {
  int64_t year;
  int month;
  int day;
  dateFromDayNumber(dayNumberOf(dateP) + days, &year, &month, &day);
  if (year > kHighestYear) {
    dateSetHighest(resultP);
    return;
  }
  if (year < 0) {
    dateSetLowest(resultP);
    return;
  }
  uint8_t hour = dateP->hour;
  uint8_t minute = dateP->minute;
  uint8_t second = dateP->second;
  dateSetYear(resultP, static_cast<uint16_t>(year));
  resultP->month = static_cast<uint8_t>(month);
  resultP->day = static_cast<uint8_t>(day);
  resultP->hour = hour;
  resultP->minute = minute;
  resultP->second = second;
}

int32_t dateDiffDays(const agentDateTime* aP, const agentDateTime* bP) {
  int64_t days = dayNumberOf(aP) - dayNumberOf(bP);
  return days > 0 ? static_cast<int32_t>(days) : 0;
}

void dateSetLowest(agentDateTime* dateP) { memset(dateP, 0, sizeof *dateP); }

void dateSetHighest(agentDateTime* dateP) {
  memset(dateP, 0, sizeof *dateP);
  dateSetYear(dateP, kHighestYear);
}

int dateParse(const char* textP, agentDateTime* dateP) {
  if (textP == nullptr) {
    return DATE_RC_BAD_LAYOUT;
  }
  if (textP[0] == '+') {
    return parseDaysFromToday(textP + 1, dateP);
  }
  const DateLayout* layoutP = recogniseDate(textP);
  if (layoutP == nullptr) {
    return DATE_RC_BAD_LAYOUT;
  }
  char copy[kMaxParsedText];
  if (strlen(textP) >= sizeof copy) {
    return DATE_RC_BAD_VALUE;
  }
  strcpy(copy, textP);
  char* fields[3];
  if (splitFields(copy, layoutP->separator, fields, 3) != 3) {
    return DATE_RC_BAD_VALUE;
  }
  fields[2][strcspn(fields[2], " ")] = '\0';  // a time may follow the last field
  if (strlen(fields[layoutP->yearField]) < 4) {
    return DATE_RC_BAD_VALUE;
  }
  int year = readField(fields[layoutP->yearField], kMaxFieldDigits);
  int month = readField(fields[layoutP->monthField], kMaxFieldDigits);
  int day = readField(fields[layoutP->dayField], kMaxFieldDigits);
  if (year < kLowestParsedYear || year > kHighestYear || month < 1 || month > 12 || day < 1 ||
      day > daysInMonth(year, month)) {
    return DATE_RC_BAD_VALUE;
  }
  dateSetYear(dateP, static_cast<uint16_t>(year));
  dateP->month = static_cast<uint8_t>(month);
  dateP->day = static_cast<uint8_t>(day);
  return 0;
}

int timeParse(const char* textP, agentDateTime* dateP) {
  if (textP == nullptr || strlen(textP) < 3 || strchr(".,:", textP[2]) == nullptr) {
    return DATE_RC_BAD_LAYOUT;
  }
  char separator = textP[2];
  bool twelveHour = separator == ':' && strlen(textP) != 8;
  char copy[kMaxParsedText];
  if (strlen(textP) >= sizeof copy) {
    return DATE_RC_BAD_VALUE;
  }
  strcpy(copy, textP);
  char* fields[3];
  char marker[kMaxParsedText];
  if (splitFields(copy, separator, fields, 3) != 3 ||
      (twelveHour && !splitMarker(fields[2], marker, sizeof marker))) {
    return DATE_RC_BAD_VALUE;
  }
  int hour = readField(fields[0], 2);
  int minute = readField(fields[1], 2);
  int second = readField(fields[2], 2);
  int lowestHour = twelveHour ? 1 : 0;
  int highestHour = twelveHour ? 12 : 23;
  if (hour < lowestHour || hour > highestHour || minute < 0 || minute > 59 || second < 0 ||
      second > 59) {
    return DATE_RC_BAD_VALUE;
  }
  if (twelveHour && !applyMarker(marker, &hour)) {
    return DATE_RC_BAD_VALUE;
  }
  dateP->hour = static_cast<uint8_t>(hour);
  dateP->minute = static_cast<uint8_t>(minute);
  dateP->second = static_cast<uint8_t>(second);
  return 0;
}

void dateFormatParts(const agentDateTime* dateP, char* dateTextP, char* timeTextP) {
  const nlsFuncTable* tableP = nlsActiveFuncTable();
  struct tm tm;
  dateToTm(&tm, dateP);
  if (strftime(dateTextP, DATE_TEXT_SIZE, tableP->m_DateFormat, &tm) == 0) {
    dateTextP[0] = '\0';
  }
  if (strlen(dateTextP) < 9) {
    strcat(dateTextP, "  ");  // dates line up in columns
  }
  if (strftime(timeTextP, DATE_TEXT_SIZE, tableP->m_TimeFormat, &tm) == 0) {
    timeTextP[0] = '\0';
  }
}

void dateFormat(const agentDateTime* dateP, char* textP) {
  char date[DATE_TEXT_SIZE];
  char time[DATE_TEXT_SIZE];
  dateFormatParts(dateP, date, time);
  strcpy(textP, date);
  strcat(textP, " ");
  strcat(textP, time);
}

void dateFormatTime(time_t time, char* textP) {
  struct tm tm;
  if (localtime_r(&time, &tm) == nullptr) {
    return;
  }
  agentDateTime date;
  dateFromTm(&tm, &date);
  dateFormat(&date, textP);
}
