// Interface timing: every call into an outside interface (the storage-manager client library,
// SQL Server's virtual devices, SQL-DMO) is timed on the DPelkApiStatus record of the thread of
// work that makes it, so that the engine can report the time spent in each interface family
// and a transfer's monitor can see a call that hangs. DBaseApi is the base of the
// storage-manager interface wrapper; its StartApiCall and EndApiCall bracket each call and
// nothing else counts as part of it.
//
// Threads: only the calling thread starts and ends calls on its record and touches its timer.
// A transfer's monitor reads inApiCall, callStart and apiNameP of its producer's and consumer's
// records while they run, and never the timer, which the calling thread writes at any moment.
// A call is started by starting the timer, publishing its start stamp in callStart and then
// setting inApiCall, and ended by clearing inApiCall first; so a monitor that sees inApiCall
// set reads the start stamp of that call or of a later one.
#pragma once

#include <atomic>
#include <cstdint>

#include "pstime.h"

// The timing record of one user of an interface; no virtual operations.
struct DPelkApiStatus {
  psTimer timer;                    // start and stop stamps of the current or last call
  double totalApiSeconds = 0;       // seconds spent in all calls timed on this record; only grows
  const char* apiNameP = nullptr;   // the interface family, set by the owner; not owned
  std::atomic<uint32_t> inApiCall;  // 1 from the start of a call until its end, else 0
  std::atomic<int64_t> callStart;   // the timer's start stamp of the current or last call

  DPelkApiStatus() : inApiCall(0), callStart(0) {}
};

constexpr int API_NAME_SIZE = 24;  // a family name of at most 23 characters

class DBaseApi {
 public:
  DBaseApi();                               // family name "undefined"
  explicit DBaseApi(const char* apiNameP);  // cut to 23 characters
  virtual ~DBaseApi();
  DBaseApi(const DBaseApi&) = delete;
  DBaseApi& operator=(const DBaseApi&) = delete;

  // Meaning given by the derived wrapper: loading, unloading, set-up of the interface for the
  // process and its end. Each returns an agent return code or an interface code.
  virtual int Setup() = 0;
  virtual int Cleanup() = 0;
  virtual int Init(DPelkApiStatus* statusP, int* errorKindP = nullptr) = 0;
  virtual int Term(DPelkApiStatus* statusP) = 0;

  // Marks the record in a call and starts its timer; immediately before the call.
  static void StartApiCall(DPelkApiStatus* statusP);
  // Ends the call: stops the timer, adds the elapsed seconds to the total and traces them
  // (category API) with this object's family name.
  void EndApiCall(DPelkApiStatus* statusP);
  // The same for callers without a wrapper object (virtual devices "Sql", SQL-DMO "SQL-DMO").
  static void EndApiCall(DPelkApiStatus* statusP, const char* apiNameP);
  // With the PERFormance trace on: message 152 with the record's total and this object's family
  // name, to the activity log and (API on) to the trace. Leaves the record unchanged.
  void LogApiStatus(const DPelkApiStatus* statusP);
  const char* GetApiName() const { return m_ApiName; }

  // Stand-in for an operation that is not bound: traces and returns 419.
  static int FunctionNotLoaded();

 protected:
  char m_ApiName[API_NAME_SIZE];
};
