#include "clock.h"

#include <atomic>
#include <ctime>

namespace hublor {
namespace {
std::atomic<int64_t> gFixedClock{0};
}

int64_t nowSeconds() {
  int64_t fixed = gFixedClock.load();
  return fixed != 0 ? fixed : static_cast<int64_t>(std::time(nullptr));
}

void fixClock(int64_t secondsSinceEpoch) {
  gFixedClock.store(secondsSinceEpoch);
}

pelkDate toDate(int64_t secondsSinceEpoch) {
  pelkDate date{};
  if (secondsSinceEpoch == 0) return date;
  time_t t = static_cast<time_t>(secondsSinceEpoch);
  struct tm local {};
  localtime_r(&t, &local);
  date.year = static_cast<pelkUint16_t>(local.tm_year + 1900);
  date.month = static_cast<pelkUint8_t>(local.tm_mon + 1);
  date.day = static_cast<pelkUint8_t>(local.tm_mday);
  date.hour = static_cast<pelkUint8_t>(local.tm_hour);
  date.minute = static_cast<pelkUint8_t>(local.tm_min);
  date.second = static_cast<pelkUint8_t>(local.tm_sec);
  return date;
}

bool isZeroDate(const pelkDate& date) {
  return date.year == 0 && date.month == 0 && date.day == 0 && date.hour == 0 && date.minute == 0 &&
         date.second == 0;
}

int64_t fromDate(const pelkDate& date) {
  if (isZeroDate(date)) return 0;
  struct tm local {};
  local.tm_year = date.year - 1900;
  local.tm_mon = date.month - 1;
  local.tm_mday = date.day;
  local.tm_hour = date.hour;
  local.tm_min = date.minute;
  local.tm_sec = date.second;
  local.tm_isdst = -1;
  return static_cast<int64_t>(mktime(&local));
}

}  // namespace hublor
