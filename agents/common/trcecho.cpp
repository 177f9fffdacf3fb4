// The command-line program's echo hook: each piece of a trace line goes to standard output as
// it is (a header and its text arrive as two pieces and join on one output line).
#include <cstdio>

#include "agttrc.h"

void traceEcho(const char* textP) {
  fputs(textP, stdout);
}
