// What the entry functions share: their activity-log lines and the texts those carry.
#pragma once

#include "agtlog.h"

// Writes the message with its inserts to the activity log, when the process has one.
template <class... Inserts>
void eriLogLine(int msgNum, Inserts... inserts) {
  if (gLogP != nullptr) gLogP->LogActivityLog(msgNum, inserts...);
}

// The text, or "-" for none or an empty one.
const char* eriOrDash(const char* textP);
// The option file and node of the process's storage-server interface, "-" for what it lacks.
const char* eriApiOptFile();
const char* eriApiNode();
