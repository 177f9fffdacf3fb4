#include "sqltime.h"

#include <cctype>
#include <chrono>
#include <cstdio>
#include <ctime>

namespace sqlengine {

namespace {

using namespace std::chrono;

std::optional<std::int64_t> compose(int y, int mo, int d, int h, int mi, int s, int ms) {
  year_month_day date{year{y}, month{static_cast<unsigned>(mo)}, day{static_cast<unsigned>(d)}};
  if (!date.ok() || h > 23 || mi > 59 || s > 59 || ms > 999 || h < 0 || mi < 0 || s < 0 || ms < 0)
    return std::nullopt;
  auto t = sys_days(date) + hours(h) + minutes(mi) + seconds(s) + milliseconds(ms);
  return duration_cast<milliseconds>(t.time_since_epoch()).count();
}

// Reads "HH:MM[:SS[.fff]]" from text; all of text must be used.
bool readClock(const char* text, int& h, int& mi, int& s, int& ms) {
  int used = 0;
  s = ms = 0;
  if (std::sscanf(text, "%2d:%2d%n", &h, &mi, &used) != 2) return false;
  text += used;
  if (*text == ':') {
    if (std::sscanf(text, ":%2d%n", &s, &used) != 1) return false;
    text += used;
    if (*text == '.') {
      int digits = 0;
      if (std::sscanf(text, ".%3d%n", &ms, &used) != 1) return false;
      digits = used - 1;
      for (; digits < 3; ++digits) ms *= 10;
      text += used;
    }
  }
  return *text == '\0';
}

// The date without separators, YYYYMMDD, which SQL Server reads whatever its date format.
bool unseparatedDate(const std::string& text, int& y, int& mo, int& d, int& used) {
  constexpr std::size_t kDigits = 8;
  if (text.size() < kDigits) return false;
  for (std::size_t i = 0; i < kDigits; ++i) {
    if (!std::isdigit(static_cast<unsigned char>(text[i]))) return false;
  }
  if (text.size() > kDigits && std::isdigit(static_cast<unsigned char>(text[kDigits])))
    return false;
  y = std::stoi(text.substr(0, 4));
  mo = std::stoi(text.substr(4, 2));
  d = std::stoi(text.substr(6, 2));
  used = static_cast<int>(kDigits);
  return true;
}

}  // namespace

std::optional<std::int64_t> parseSqlTime(std::string_view in) {
  std::string text(in);
  int y, mo, d, h = 0, mi = 0, s = 0, ms = 0, used = 0;
  if (std::sscanf(text.c_str(), "%4d-%2d-%2d%n", &y, &mo, &d, &used) == 3 ||
      std::sscanf(text.c_str(), "%2d/%2d/%4d%n", &mo, &d, &y, &used) == 3 ||
      unseparatedDate(text, y, mo, d, used)) {
    const char* rest = text.c_str() + used;
    if (*rest == '\0') return compose(y, mo, d, 0, 0, 0, 0);
    if ((*rest != ' ' && *rest != 'T') || !readClock(rest + 1, h, mi, s, ms)) return std::nullopt;
    return compose(y, mo, d, h, mi, s, ms);
  }
  return std::nullopt;
}

std::string formatSqlTime(std::int64_t ms) {
  sys_time<milliseconds> t{milliseconds(ms)};
  auto days = floor<std::chrono::days>(t);
  year_month_day date(days);
  hh_mm_ss clock(t - days);
  char out[32];
  std::snprintf(out, sizeof out, "%04d-%02u-%02u %02d:%02d:%02d.%03d", int(date.year()),
                unsigned(date.month()), unsigned(date.day()), int(clock.hours().count()),
                int(clock.minutes().count()), int(clock.seconds().count()),
                int(clock.subseconds().count()));
  return out;
}

std::int64_t sqlTimeNow() {
  auto now = system_clock::now();
  std::time_t t = system_clock::to_time_t(now);
  std::tm local{};
  localtime_r(&t, &local);
  int ms = static_cast<int>(duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000);
  return *compose(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                  local.tm_min, local.tm_sec, ms);
}

}  // namespace sqlengine
