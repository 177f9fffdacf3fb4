// The month names of the user's locale, built once for the process.
#include <cstring>
#include <ctime>
#include <mutex>

#include "dateutil.h"
#include "dslnklst.h"

namespace {

constexpr int kMonths = 12;

// The names live here for the process; the list holds their addresses and destroys nothing.
char s_MonthNames[kMonths][DATE_MONTH_NAME_SIZE];
dsList* s_MonthListP = nullptr;
std::once_flag s_MonthListOnce;

void buildMonthNames() {
  dsList* listP = dsListCreate(nullptr);
  if (listP == nullptr) {
    return;
  }
  time_t now = time(nullptr);
  struct tm tm;
  localtime_r(&now, &tm);
  for (int month = 0; month < kMonths; ++month) {
    tm.tm_mon = month;
    if (strftime(s_MonthNames[month], DATE_MONTH_NAME_SIZE, "%B", &tm) == 0) {
      s_MonthNames[month][0] = '\0';
    }
    if (listP->addTail(listP, s_MonthNames[month]) == nullptr) {
      dsListDestroy(listP);
      return;
    }
  }
  s_MonthListP = listP;
}

}  // namespace

dsList* dateMonthNames() {
  std::call_once(s_MonthListOnce, buildMonthNames);
  return s_MonthListP;
}
