#include "dateutil.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "nlstestenv.h"
#include "pstime.h"

namespace {

agentDateTime makeDate(int year, int month, int day, int hour = 0, int minute = 0, int second = 0) {
  agentDateTime date;
  dateSetYear(&date, static_cast<uint16_t>(year));
  date.month = static_cast<uint8_t>(month);
  date.day = static_cast<uint8_t>(day);
  date.hour = static_cast<uint8_t>(hour);
  date.minute = static_cast<uint8_t>(minute);
  date.second = static_cast<uint8_t>(second);
  return date;
}

struct tm makeTm(int year, int month, int day, int hour, int minute, int second) {
  struct tm tm = {};
  tm.tm_year = year - 1900;
  tm.tm_mon = month - 1;
  tm.tm_mday = day;
  tm.tm_hour = hour;
  tm.tm_min = minute;
  tm.tm_sec = second;
  tm.tm_isdst = -1;
  return tm;
}

std::string show(const agentDateTime& d) {
  char text[40];
  snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u", dateYear(&d), d.month, d.day, d.hour,
           d.minute, d.second);
  return text;
}

class DateUtil : public ::testing::Test {
 protected:
  void SetUp() override { tableP = nlsTestTable(); }
  nlsFuncTable* tableP = nullptr;
};

TEST_F(DateUtil, YearIsStoredMostSignificantByteFirst) {
  agentDateTime date = makeDate(2001, 12, 31);
  uint8_t bytes[7];
  memcpy(bytes, &date, sizeof bytes);
  EXPECT_EQ(0x07, bytes[0]);
  EXPECT_EQ(0xD1, bytes[1]);
  EXPECT_EQ(12, bytes[2]);

  agentNativeDateTime native = {2001, 12, 31, 23, 59, 58};
  agentDateTime fromNative;
  dateFromNative(&native, &fromNative);
  EXPECT_EQ(0, memcmp(&fromNative, &date, 4));
  agentDateTime copy;
  dateCopy(&fromNative, &copy);
  EXPECT_EQ("2001-12-31 23:59:58", show(copy));
}

TEST_F(DateUtil, BrokenDownTimeBothWays) {
  struct tm tm = makeTm(2001, 12, 31, 23, 30, 5);
  tm.tm_wday = 3;
  agentDateTime date;
  dateFromTm(&tm, &date);
  EXPECT_EQ("2001-12-31 23:30:05", show(date));
  struct tm back;
  dateToTm(&back, &date);
  EXPECT_EQ(101, back.tm_year);
  EXPECT_EQ(11, back.tm_mon);
  EXPECT_EQ(0, back.tm_wday);
  EXPECT_EQ(0, back.tm_yday);
}

TEST_F(DateUtil, CompareFieldByField) {
  agentDateTime a = makeDate(2001, 5, 6, 7, 8, 9);
  agentDateTime b = makeDate(2001, 5, 6, 7, 8, 10);
  EXPECT_EQ(-1, dateCompare(&a, &b));
  EXPECT_EQ(1, dateCompare(&b, &a));
  EXPECT_EQ(0, dateCompare(&a, &a));
  agentDateTime nextYear = makeDate(2002, 1, 1);
  EXPECT_EQ(1, dateCompare(&nextYear, &b));
  agentDateTime lowest;
  agentDateTime highest;
  dateSetLowest(&lowest);
  dateSetHighest(&highest);
  agentDateTime latest = makeDate(65534, 12, 31, 23, 59, 59);
  EXPECT_EQ(1, dateCompare(&highest, &latest));
  EXPECT_EQ(-1, dateCompare(&lowest, &a));
  EXPECT_EQ(65535, dateYear(&highest));
  EXPECT_EQ(0, highest.month);
}

TEST_F(DateUtil, AddDaysCarriesMonthsYearsAndLeapDays) {
  const struct {
    agentDateTime from;
    int32_t days;
    const char* result;
  } cases[] = {
      {makeDate(2001, 1, 15, 10, 20, 30), 30, "2001-02-14 10:20:30"},
      {makeDate(2001, 12, 31), 1, "2002-01-01 00:00:00"},
      {makeDate(2000, 2, 28), 1, "2000-02-29 00:00:00"},
      {makeDate(1900, 2, 28), 1, "1900-03-01 00:00:00"},
      {makeDate(2001, 3, 1), 365, "2002-03-01 00:00:00"},
      {makeDate(2000, 1, 1), 366 + 365 * 3 + 366, "2005-01-01 00:00:00"},
      {makeDate(2001, 3, 1), -1, "2001-02-28 00:00:00"},
      {makeDate(2001, 3, 1), 0, "2001-03-01 00:00:00"},
      {makeDate(65535, 12, 31), 1, "65535-00-00 00:00:00"},
  };
  for (const auto& c : cases) {
    agentDateTime result;
    dateAddDays(&c.from, c.days, &result);
    EXPECT_EQ(c.result, show(result)) << show(c.from) << " + " << c.days;
  }
  agentDateTime inPlace = makeDate(2001, 1, 31, 1, 2, 3);
  dateAddDays(&inPlace, 1, &inPlace);
  EXPECT_EQ("2001-02-01 01:02:03", show(inPlace));
}

TEST_F(DateUtil, DiffDaysCountsCalendarDays) {
  const struct {
    agentDateTime a, b;
    int32_t days;
  } cases[] = {
      {makeDate(2001, 1, 1), makeDate(2000, 12, 31, 23, 59, 59), 1},
      {makeDate(2001, 1, 1, 23, 0, 0), makeDate(2001, 1, 1, 1, 0, 0), 0},
      {makeDate(2000, 12, 31), makeDate(2001, 1, 1), 0},
      {makeDate(2001, 3, 1), makeDate(2000, 3, 1), 365},
      {makeDate(2000, 3, 1), makeDate(1999, 3, 1), 366},
      {makeDate(2400, 1, 1), makeDate(2000, 1, 1), 146097},  // beyond any 16-bit count
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.days, dateDiffDays(&c.a, &c.b)) << show(c.a) << " - " << show(c.b);
  }
  agentDateTime lowest;
  dateSetLowest(&lowest);
  agentDateTime now;
  dateGetNow(&now);
  EXPECT_GT(dateDiffDays(&now, &lowest), 700000);  // never pruned: long ago
}

TEST_F(DateUtil, ParseDatesInEveryLayout) {
  const struct {
    const char* text;
    int rc;
    const char* date;
  } cases[] = {
      {"12/31/2001", 0, "2001-12-31"},
      {"31.12.2001", 0, "2001-12-31"},
      {"2001-12-31", 0, "2001-12-31"},
      {"31-12-2001", 0, "2001-12-31"},
      {"2001.12.31", 0, "2001-12-31"},
      {"1/2/2001", 0, "2001-01-02"},
      {"12/31/2001 10:00:00", 0, "2001-12-31"},
      {"2001-12-31 10:00:00", 0, "2001-12-31"},
      {"02/29/2000", 0, "2000-02-29"},
      {"02/29/2001", 2, nullptr},
      {"02/29/1900", 2, nullptr},
      {"12/31/1989", 2, nullptr},
      {"01/01/1990", 0, "1990-01-01"},
      {"2001/12/31", 1202, nullptr},
      {"20011231", 1202, nullptr},
      {"", 1202, nullptr},
      {"13/01/2001", 2, nullptr},
      {"04/31/2001", 2, nullptr},
      {"00/10/2001", 2, nullptr},
      {"12/31/01", 2, nullptr},
      {"12/31", 2, nullptr},
      {"1a/31/2001", 2, nullptr},
      {"12/31/2001x", 2, nullptr},
      {"12/31/70000", 2, nullptr},
      {"NotADate", 1202, nullptr},
  };
  for (const auto& c : cases) {
    agentDateTime date = makeDate(1999, 9, 9, 11, 22, 33);
    EXPECT_EQ(c.rc, dateParse(c.text, &date)) << c.text;
    if (c.rc == 0) {
      EXPECT_EQ(std::string(c.date) + " 11:22:33", show(date)) << c.text;
    } else {
      EXPECT_EQ("1999-09-09 11:22:33", show(date)) << c.text;
    }
  }
  agentDateTime date;
  EXPECT_EQ(1202, dateParse(nullptr, &date));
}

// Dates of "now" come from the wall clock a benchmark may put in; null gives the machine's back.
TEST_F(DateUtil, NowReadsTheInjectedWallClock) {
  static time_t injected = 0;
  struct tm tm = makeTm(2001, 12, 31, 23, 59, 58);
  injected = mktime(&tm);
  psDateSetClock([] { return injected++; });
  agentDateTime first;
  agentDateTime second;
  dateGetNow(&first);
  dateGetNow(&second);
  psDateSetClock(nullptr);
  EXPECT_EQ("2001-12-31 23:59:58", show(first));
  EXPECT_EQ("2001-12-31 23:59:59", show(second));
  agentDateTime now;
  dateGetNow(&now);
  EXPECT_GT(dateYear(&now), 2020);
}

TEST_F(DateUtil, ParsePlusDaysCountsFromToday) {
  agentDateTime before;
  agentDateTime parsed;
  agentDateTime expected;
  for (int attempt = 0; attempt < 3; ++attempt) {  // again if midnight passed in between
    dateGetNow(&before);
    ASSERT_EQ(0, dateParse("+30", &parsed));
    dateAddDays(&before, 30, &expected);
    if (dateDiffDays(&parsed, &expected) == 0 && dateDiffDays(&expected, &parsed) == 0) break;
  }
  EXPECT_EQ(0, memcmp(&parsed, &expected, 4));
  ASSERT_EQ(0, dateParse("+0", &parsed));
  EXPECT_EQ(0, dateDiffDays(&parsed, &before));
  EXPECT_EQ(2, dateParse("+", &parsed));
  EXPECT_EQ(2, dateParse("+-3", &parsed));
  EXPECT_EQ(2, dateParse("+3 days", &parsed));
}

TEST_F(DateUtil, ParseTimesInEveryLayout) {
  const struct {
    const char* text;
    int rc;
    const char* time;
  } cases[] = {
      {"23:30:00", 0, "23:30:00"},   {"23.30.05", 0, "23:30:05"},    {"23,30,05", 0, "23:30:05"},
      {"11:30:00PM", 0, "23:30:00"}, {"11:30:00AM", 0, "11:30:00"},  {"12:15:00AM", 0, "00:15:00"},
      {"12:15:00PM", 0, "12:15:00"}, {"01:00:00 pm", 0, "13:00:00"}, {"24:00:00", 2, nullptr},
      {"23:60:00", 2, nullptr},      {"23:59:60", 2, nullptr},       {"13:00:00PM", 2, nullptr},
      {"00:10:00AM", 2, nullptr},    {"11:30:00XM", 2, nullptr},     {"11:30:0", 2, nullptr},
      {"11:30", 2, nullptr},         {"1:30:00", 1202, nullptr},     {"11-30-00", 1202, nullptr},
      {"11.30", 2, nullptr},         {"11.30.00.00", 2, nullptr},    {"1a:30:00", 2, nullptr},
  };
  for (const auto& c : cases) {
    agentDateTime date = makeDate(2001, 2, 3, 4, 5, 6);
    EXPECT_EQ(c.rc, timeParse(c.text, &date)) << c.text;
    if (c.rc == 0) {
      EXPECT_EQ(std::string("2001-02-03 ") + c.time, show(date)) << c.text;
    } else {
      EXPECT_EQ("2001-02-03 04:05:06", show(date)) << c.text;
    }
  }
}

TEST_F(DateUtil, PrintInEveryFormatAndReadBack) {
  const struct {
    int dateFormat;
    int timeFormat;
    const char* text;
  } cases[] = {
      {1, 1, "12/31/2001 00:15:09"},   {2, 2, "31-12-2001 00,15,09"}, {3, 3, "2001-12-31 00.15.09"},
      {4, 4, "31.12.2001 12:15:09AM"}, {5, 1, "2001.12.31 00:15:09"},
  };
  agentDateTime date = makeDate(2001, 12, 31, 0, 15, 9);
  for (const auto& c : cases) {
    nlsSetDateFormat(tableP, c.dateFormat);
    nlsSetTimeFormat(tableP, c.timeFormat);
    char text[DATE_TIME_TEXT_SIZE];
    dateFormat(&date, text);
    EXPECT_STREQ(c.text, text);
    char dateText[DATE_TEXT_SIZE];
    char timeText[DATE_TEXT_SIZE];
    dateFormatParts(&date, dateText, timeText);
    agentDateTime back = makeDate(1990, 1, 1);
    EXPECT_EQ(0, dateParse(dateText, &back)) << dateText;
    EXPECT_EQ(0, timeParse(timeText, &back)) << timeText;
    EXPECT_EQ(show(date), show(back)) << text;
  }
}

TEST_F(DateUtil, ShortDatesArePaddedToLineUp) {
  nlsSetDateFormat(tableP, 1);
  agentDateTime lowest;
  dateSetLowest(&lowest);
  lowest.month = 1;
  lowest.day = 1;
  char dateText[DATE_TEXT_SIZE];
  char timeText[DATE_TEXT_SIZE];
  dateFormatParts(&lowest, dateText, timeText);  // year 0 prints as "0"
  EXPECT_STREQ("01/01/0  ", dateText);
}

TEST_F(DateUtil, TimeValuesAndFileTimes) {
  struct tm tm = makeTm(2001, 7, 4, 13, 14, 15);
  time_t when = mktime(&tm);
  char text[DATE_TIME_TEXT_SIZE];
  dateFormatTime(when, text);
  EXPECT_STREQ("07/04/2001 13:14:15", text);

  psFileTime fileTime = psFileTimeFromTime(when);
  agentDateTime date = makeDate(1999, 1, 1);
  dateFromFileTime(fileTime, &date);
  EXPECT_EQ("2001-07-04 13:14:15", show(date));
  char fileText[DATE_TIME_TEXT_SIZE] = "";
  dateFormatFileTime(fileTime, fileText);
  EXPECT_STREQ("07/04/2001 13:14:15", fileText);

  // A file time with its highest bit set is not a time: nothing is converted.
  psFileTime far = {0xFFFFFFFFu, 0xFFFFFFFFu};
  char untouched[DATE_TIME_TEXT_SIZE] = "keep";
  dateFormatFileTime(far, untouched);
  EXPECT_STREQ("keep", untouched);
  dateFromFileTime(far, &date);
  EXPECT_EQ("2001-07-04 13:14:15", show(date));
}

}  // namespace
