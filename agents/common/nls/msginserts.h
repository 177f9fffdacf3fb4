// What the callers of each message pass as its inserts. By default this is the agent's own
// table, made by msgcompile from the catalogue the agent is built with; the repository read at
// run time may differ from it (another build, a damaged file), so a message is expanded with
// the caller's inserts only when its text takes exactly these.
#pragma once

#include <cstddef>

#include "msgformat.h"

// The declared types of the message's inserts ("int,uint", "" for none), or null when no
// declaration of the message is known.
const char* nlsCallerInserts(unsigned msgNum);

// Puts a table (sorted by number) in place of the agent's, for a front end or a test whose
// calls follow another catalogue; null restores the agent's table. Called before threads start.
void nlsSetCallerInserts(const NlsInsertDecl* tableP, size_t count);
