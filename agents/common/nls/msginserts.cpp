#include "msginserts.h"

#include <algorithm>

// Made by msgcompile from messages.txt.
extern const NlsInsertDecl nlsAgentInserts[];
extern const size_t nlsAgentInsertCount;

namespace {

const NlsInsertDecl* gTableP = nullptr;  // null: the agent's table
size_t gCount = 0;

}  // namespace

const char* nlsCallerInserts(unsigned msgNum) {
  const NlsInsertDecl* beginP = gTableP != nullptr ? gTableP : nlsAgentInserts;
  const NlsInsertDecl* endP = beginP + (gTableP != nullptr ? gCount : nlsAgentInsertCount);
  const NlsInsertDecl* foundP = std::lower_bound(
      beginP, endP, msgNum, [](const NlsInsertDecl& d, unsigned n) { return d.number < n; });
  return foundP != endP && foundP->number == msgNum ? foundP->types : nullptr;
}

void nlsSetCallerInserts(const NlsInsertDecl* tableP, size_t count) {
  gTableP = tableP;
  gCount = tableP != nullptr ? count : 0;
}
