// The return-code-to-message table: the message (of the message repository) that tells the
// user about an agent return code.
#pragma once

#include <cstddef>

// Message number for every code without a message of its own, 0 included.
constexpr int AGT_MSG_UNKNOWN_RC = 4;

// One row of the table.
struct AgentRcMessage {
  int rc;
  int msgNum;
};
extern const AgentRcMessage gAgentRcMessages[];
extern const int gAgentRcMessageCount;

// The message number of `agentRc`; AGT_MSG_UNKNOWN_RC when the table has no row for it.
int agentRcMessage(int agentRc);

// Why something failed, as the user reads it: the interface's text when there is one (textP
// neither null nor empty), else the message of rc formatted into bufferP (bufferSize bytes).
// Returns the one chosen; bufferP may be textP itself, filled only when it is empty.
const char* textOrRcMessage(const char* textP, int rc, char* bufferP, size_t bufferSize);

// The same into the activity log, also while output is suppressed. Does nothing without an
// activity log.
void logTextOrRcMessage(const char* textP, int rc);
