// The agent's date-time record and its operations: now, compare, day arithmetic, and reading and
// printing dates and times in the user's formats (nlstable.h). Records are local time. The record
// is part of every stored backup's identity, so its layout is fixed: the year is stored most
// significant byte first whatever the machine's byte order.
#pragma once

#include <cstdint>
#include <ctime>

struct dsList;

// 7 bytes: year (big-endian), month 1-12, day 1-31, hour 0-23, minute 0-59, second 0-59.
struct agentDateTime {
  uint8_t year[2];
  uint8_t month;
  uint8_t day;
  uint8_t hour;
  uint8_t minute;
  uint8_t second;
};
static_assert(sizeof(agentDateTime) == 7, "the date-time record is stored as 7 bytes");

// The same fields with the year as a native number.
struct agentNativeDateTime {
  uint16_t year;
  uint8_t month;
  uint8_t day;
  uint8_t hour;
  uint8_t minute;
  uint8_t second;
};

// A file time: 100-nanosecond intervals since January 1, 1601 (UTC).
struct psFileTime {
  uint32_t lowDateTime;
  uint32_t highDateTime;
};

enum {
  DATE_RC_BAD_VALUE = 2,     // a known layout with values out of range or incomplete
  DATE_RC_BAD_LAYOUT = 1202, // a text in none of the date or time layouts
  DATE_TEXT_SIZE = 12,       // a date or a time text with its terminator
  DATE_TIME_TEXT_SIZE = 2 * DATE_TEXT_SIZE + 1,  // date, blank, time, terminator
  DATE_MONTH_NAME_SIZE = 48,
};

uint16_t dateYear(const agentDateTime* dateP);
void dateSetYear(agentDateTime* dateP, uint16_t year);

void dateGetNow(agentDateTime* nowP);
void dateFromTm(const struct tm* tmP, agentDateTime* dateP);
// Weekday and day of the year 0; daylight saving left for the C library to find (-1).
void dateToTm(struct tm* tmP, const agentDateTime* dateP);
void dateFromNative(const agentNativeDateTime* nativeP, agentDateTime* dateP);
void dateCopy(const agentDateTime* sourceP, agentDateTime* destP);

// 1 when a is later, -1 when earlier, 0 when equal: year, month, day, hour, minute, second.
int dateCompare(const agentDateTime* aP, const agentDateTime* bP);

// The date `days` later (earlier for a negative count) at the same time of day. A result beyond
// the highest or lowest record gives that record.
void dateAddDays(const agentDateTime* dateP, int32_t days, agentDateTime* resultP);

// Whole calendar days from b to a, the time of day ignored; 0 when b is later than a.
int32_t dateDiffDays(const agentDateTime* aP, const agentDateTime* bP);

void dateSetLowest(agentDateTime* dateP);   // all zero
void dateSetHighest(agentDateTime* dateP);  // year 65535, all else zero

// A date in any of the five layouts (recognised from the text), or "+N": today plus N days at
// the current time. Fills year, month and day (all fields for "+N"); 0, 1202 or 2. Years before
// 1990 are refused.
int dateParse(const char* textP, agentDateTime* dateP);

// A time in any of the four layouts; fills hour, minute and second; 0, 1202 or 2. In the 12-hour
// layout 12 AM is hour 0 and 12 PM hour 12.
int timeParse(const char* textP, agentDateTime* dateP);

// The date and the time in the current formats, each into DATE_TEXT_SIZE bytes; a date shorter
// than 9 characters gets two blanks appended.
void dateFormatParts(const agentDateTime* dateP, char* dateTextP, char* timeTextP);
// Date, one blank, time into DATE_TIME_TEXT_SIZE bytes.
void dateFormat(const agentDateTime* dateP, char* textP);
void dateFormatTime(time_t time, char* textP);
// Leaves the text unchanged when the file time cannot be converted to local time.
void dateFormatFileTime(psFileTime fileTime, char* textP);
// Leaves the record unchanged when the file time cannot be converted to local time.
void dateFromFileTime(psFileTime fileTime, agentDateTime* dateP);
psFileTime psFileTimeFromTime(time_t time);

// The twelve full month names of the current locale ("%B"), in a list built once and kept for the
// process; each element's data is a zero-terminated name. Null when the list cannot be built.
dsList* dateMonthNames();
