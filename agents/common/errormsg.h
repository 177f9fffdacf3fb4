// The return-code-to-message table: the message (of the message repository) that tells the
// user about an agent return code.
#pragma once

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

// Tells the activity log why something failed: the interface's text when there is one (textP
// neither null nor empty), else the message of rc. Does nothing without an activity log.
void logTextOrRcMessage(const char* textP, int rc);
