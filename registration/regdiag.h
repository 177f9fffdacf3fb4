// The wizard's diagnostic stream: unknown switches, the request text when it does not connect,
// the locale it chose, the BIOS trace. Nothing reads it back. It goes to standard error unless
// a test sends it elsewhere.
#pragma once

#include <ostream>

std::ostream& regDiag();

// Sends the stream to out (nullptr: standard error again).
void regSetDiag(std::ostream* out);
