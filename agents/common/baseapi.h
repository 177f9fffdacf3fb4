// Interface timing: every call into an outside interface (the storage-manager client library,
// SQL Server's virtual devices, SQL-DMO) is timed on the DPelkApiStatus record of the thread of
// work that makes it, so that the engine can report the time spent in each interface family
// and a transfer's monitor can see a call that hangs.
//
// Threads: only the calling thread starts and ends calls on its record. A transfer's monitor
// reads inApiCall, apiNameP and the timer's start stamp of its producer's and consumer's
// records while they run; it measures on a copy of the timer and never writes the record. So
// that what it reads is consistent, a call is started by starting the timer and then setting
// inApiCall, and ended by clearing inApiCall first.
#pragma once

#include <atomic>
#include <cstdint>

#include "pstime.h"

// The timing record of one user of an interface; no virtual operations.
struct DPelkApiStatus {
  psTimer timer;                    // start and stop stamps of the current or last call
  double totalApiSeconds = 0;       // seconds spent in all calls timed on this record
  const char* apiNameP = nullptr;   // the interface family, set by the owner; not owned
  std::atomic<uint32_t> inApiCall;  // 1 from the start of a call until its end, else 0

  DPelkApiStatus() : inApiCall(0) {}
};
