// The request base: every operation a front end asks of the engine (backup, restore,
// inactivation, a query, a password change) is one request object derived from DBaseEri, built
// on its entry function's stack and run once with ProcessRequest. DBaseQueryEri adds the
// wildcard matching of names that the queries need.
//
// Threads: a request runs on the thread that called its entry function. SetCancel comes from
// another thread (the console control handler, the Stop button); the cancel word is a plain
// 32-bit word that every reader and writer accesses as an atomic word
// (std::atomic_ref<uint32_t>), so transfers handed GetCancelPtr() may poll it. The ignore-case
// mode and the current-request pointer are process-wide words changed only by request threads.
#pragma once

#include <cstdint>

class DBaseEri {
 public:
  DBaseEri();
  // Shares an outside cancel flag (not cleared here); null means the request's own flag.
  explicit DBaseEri(uint32_t* cancelP);
  virtual ~DBaseEri();
  DBaseEri(const DBaseEri&) = delete;
  DBaseEri& operator=(const DBaseEri&) = delete;

  // The steps of a request, in the order ProcessRequest runs them; each returns an agent code.
  virtual int SetupEnvironment() = 0;
  virtual int CleanupEnvironment() = 0;
  virtual int ProcessRequestDetails() = 0;

  // Set-up; when it succeeds, the details and then the clean-up. A failing set-up returns its
  // code and runs nothing else; failing details return their code whatever the clean-up gives;
  // after successful details the clean-up's code is the result.
  int ProcessRequest();

  int SetCancel();    // writes 1 to the flag in use; returns 0
  int ResetCancel();  // writes 0 to the flag in use; returns 0
  uint32_t GetCancelStatus();
  void SetCancelPtr(uint32_t* cancelP);  // a valid flag, never null
  void ResetCancelPtr();                 // back to the request's own flag
  uint32_t* GetCancelPtr();
  char* GetMessageBuffer();

 protected:
  uint32_t m_Cancel;    // the request's own flag: 0 not cancelled, 1 cancelled
  uint32_t* m_CancelP;  // the flag in use: m_Cancel or a flag shared with another request
  char* m_ErrorTextP;   // the buffer for the request's error text; set by derived requests
};

class DBaseQueryEri : public DBaseEri {
 public:
  using DBaseEri::DBaseEri;

  // 1 when the name matches the request's wildcard pattern, else 0. The pattern
  // "*" matches every name; an empty one, one of stars only, or none matches nothing.
  uint32_t isMatch(const char* filespecP);
  // 1 when the string matches the pattern, else 0; an empty pattern, one of stars only, or none
  // matches every string.
  uint32_t isMatch(const char* stringP, const char* patternP);
  // The same with the caller's case mode (1 ignores case, any other value compares exactly)
  // in place of the process-wide one, so that a query's own mode never changes another
  // thread's matching.
  uint32_t isMatch(const char* stringP, const char* patternP, uint32_t ignoreCase);

 protected:
  const char* wildcardSpecP = nullptr;  // filled by the storage-server queries; not owned
};

// A wildcard match with "*" (any run of characters, also none) as the only special character.
// caseSensitive 1 compares characters exactly, any other value after upper-casing each.
// Returns 1 on a match, else 0.
uint32_t patternMatch(const char* patternStrP, const char* testStrP, uint32_t caseSensitive);

// The process-wide ignore-case mode of both isMatch forms: 1 (the initial value) compares
// without regard to case, any other value exactly.
void SetIgnoreCase(uint32_t mode);
uint32_t GetIgnoreCase();

// The running request, read by the cancel path; null when none runs.
void setCurrentRequest(DBaseEri* requestP);
DBaseEri* getCurrentRequest();
// Sets the cancel flag of the running request: 1, or 0 when none runs. Safe from any thread:
// the request cannot be cleared (and destroyed by its entry) while its flag is being set.
uint32_t eriCancelCurrentRequest();

// Threads that look at cancel flags between timed waits (a transfer's monitor) are woken by a
// cancel instead of finding it at their next look: such a thread holds an EriCancelWake while it
// waits, and SetCancel calls every registered wake-up once the flag is set. A wake-up runs on
// the cancelling thread with the registry's lock held: it only notifies (takes no lock a
// cancelling thread could hold). The wake-up is not called after the destructor returns.
class EriCancelWake {
 public:
  explicit EriCancelWake(void (*wakeP)(void* contextP), void* contextP);
  ~EriCancelWake();
  EriCancelWake(const EriCancelWake&) = delete;
  EriCancelWake& operator=(const EriCancelWake&) = delete;

 private:
  friend void eriWakeCancelWaiters();
  void (*m_WakeP)(void*);
  void* m_ContextP;
  EriCancelWake* m_NextP = nullptr;  // guarded by the registry's lock
  EriCancelWake* m_PrevP = nullptr;  // guarded by the registry's lock
};
// Calls every registered wake-up; SetCancel calls it after writing the flag.
void eriWakeCancelWaiters();

// The run of an entry function: sets the request as the current request, runs ProcessRequest,
// clears the current request and returns the request's code; a request that failed once its
// cancel flag was set returns 415 (cancelled by the user). With the PERFormance trace
// category on, the elapsed seconds and the label go out as message 153: into the activity log
// when logElapsed is 1, else into the trace.
int eriRunRequest(DBaseEri* requestP, const char* labelP, uint32_t logElapsed);

// 1 when the cancel word is set; a null pointer is never cancelled.
uint32_t eriIsCancelled(const uint32_t* cancelP);
