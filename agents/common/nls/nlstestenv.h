// Test helper: fills the string table under a known locale, so that results never depend on the
// environment of the machine that runs the tests.
#pragma once

#include <cstdlib>

#include "nlstable.h"

inline nlsFuncTable* nlsTestTable(int dateFormat = 1, int timeFormat = 1, int numberFormat = 1) {
  setenv("LC_ALL", "C.UTF-8", 1);
  nlsFuncTable* tableP = nlsGetFuncTable();
  nlsInitFuncTable(tableP);
  nlsSetDateFormat(tableP, dateFormat);
  nlsSetTimeFormat(tableP, timeFormat);
  nlsSetNumberFormat(tableP, numberFormat);
  return tableP;
}
