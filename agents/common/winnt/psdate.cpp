// The dates that come from the system clock and from file times.
#include <atomic>
#include <cstdint>
#include <ctime>

#include "dateutil.h"
#include "pstime.h"

namespace {

std::atomic<psWallClock> gWallClockP{nullptr};

constexpr int64_t kTicksPerSecond = 10000000;
constexpr int64_t kSecondsFrom1601To1970 = 11644473600;
constexpr int kHighestYear = 65535;

// The local broken-down time of a file time; false when it has none or it does not fit a
// record. As on the original platform, a file time with its highest bit set is not valid.
bool localTimeOf(psFileTime fileTime, struct tm* tmP) {
  uint64_t ticks = (static_cast<uint64_t>(fileTime.highDateTime) << 32) | fileTime.lowDateTime;
  if (ticks > static_cast<uint64_t>(INT64_MAX)) {
    return false;
  }
  time_t seconds =
      static_cast<time_t>(static_cast<int64_t>(ticks / kTicksPerSecond) - kSecondsFrom1601To1970);
  return localtime_r(&seconds, tmP) != nullptr && tmP->tm_year + 1900 <= kHighestYear;
}

}  // namespace

void psDateSetClock(psWallClock clockP) {
  gWallClockP.store(clockP, std::memory_order_release);
}

void dateGetNow(agentDateTime* nowP) {
  psWallClock clockP = gWallClockP.load(std::memory_order_acquire);
  time_t now = clockP != nullptr ? clockP() : time(nullptr);
  struct tm tm;
  localtime_r(&now, &tm);
  dateFromTm(&tm, nowP);
}

psFileTime psFileTimeFromTime(time_t time) {
  int64_t seconds = static_cast<int64_t>(time) + kSecondsFrom1601To1970;
  uint64_t ticks = seconds < 0 ? 0 : static_cast<uint64_t>(seconds) * kTicksPerSecond;
  return psFileTime{static_cast<uint32_t>(ticks), static_cast<uint32_t>(ticks >> 32)};
}

void dateFromFileTime(psFileTime fileTime, agentDateTime* dateP) {
  struct tm tm;
  if (localTimeOf(fileTime, &tm)) {
    dateFromTm(&tm, dateP);
  }
}

void dateFormatFileTime(psFileTime fileTime, char* textP) {
  struct tm tm;
  if (!localTimeOf(fileTime, &tm)) {
    return;
  }
  agentDateTime date;
  dateFromTm(&tm, &date);
  dateFormat(&date, textP);
}
