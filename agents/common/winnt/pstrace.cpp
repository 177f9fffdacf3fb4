#include "pstrace.h"

#include <cstdarg>

void PsTrace::write(int line, const char* formatP, ...) {
  gTrace.header(__FILE__, line);
  va_list args;
  va_start(args, formatP);
  gTrace.vprintf(formatP, args);
  va_end(args);
}
