// The wizard's diagnostic stream: unknown switches, the request text when it does not connect,
// the locale it chose, the BIOS trace. Nothing reads it back. It is appended to the file that
// TAMREL_DEBUG_LOG names, and dropped without it, unless a test sends it elsewhere.
#pragma once

#include <ostream>

std::ostream& regDiag();

// Sends the stream to out (nullptr: the debug log again).
void regSetDiag(std::ostream* out);
