// What the entry functions share: their activity-log lines and the texts those carry.
#pragma once

#include "agtlog.h"

// Writes the message with its inserts to the activity log, when the process has one. The
// cancel writes through here from another thread, so the log is held while it is written.
template <class... Inserts>
void eriLogLine(int msgNum, Inserts... inserts) {
  CLogUse use;
  if (use.log() != nullptr) use.log()->LogActivityLog(msgNum, inserts...);
}

// The text, or "-" for none or an empty one.
const char* eriOrDash(const char* textP);
// The option file and node of the process's storage-server interface, "-" for what it lacks.
const char* eriApiOptFile();
const char* eriApiNode();
