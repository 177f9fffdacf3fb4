// The process-wide national-language state: the string-function table, the message repository,
// the output callbacks of each severity and the switches the front end sets. nlsSetup builds it
// at the start of main, before any thread starts; nlsCleanup takes it down at the end.
//
// Concurrency: the switches and callbacks are set before threads start and only read
// afterwards. The NLS mutex (m_NlsMutex) guards the repository record: its cache, its stream
// and its work buffers. Lock order: the NLS mutex before the activity log's mutex.
#pragma once

#include <cstdint>

#include "psmutexhold.h"
#include "psthread.h"

struct nlsFuncTable;
struct nlsRepository;

// Receives the finished text of a message of one severity; runs with the NLS mutex held, so it
// must not print messages itself.
typedef void (*nlsOutputCallback)(const char* textP);

constexpr int NLS_NUM_SEVERITIES = 9;

struct NlsGlobals {
  int32_t m_Unused[12];         // not read or written by the message services
  int32_t m_Suppress;           // non-zero: the suppressible outputs produce nothing
  int32_t m_NumberFormatFixed;  // non-zero: NLInit leaves the separators alone
  int32_t m_DateFormatFixed;    // non-zero: NLInit does not set the date format
  int32_t m_TimeFormatFixed;    // non-zero: NLInit does not set the time format
  nlsOutputCallback m_OutputCallbackP[NLS_NUM_SEVERITIES];  // null: standard output
  nlsFuncTable* m_FuncTableP;
  int32_t m_FileConvert;       // nlsFputs converts text written to files
  int32_t m_ConvertOemToAnsi;  // message texts are converted when they are read
  int32_t m_ConsoleConvert;    // nlsFputs converts text written to the console
  nlsRepository* m_RepositoryP;
  psMutex m_NlsMutex;  // guards *m_RepositoryP
};

// Clears the state, fills the string-function table, creates the repository record and the
// NLS mutex and copies the nine callbacks (null array: none). Returns the state.
NlsGlobals* nlsSetup(const nlsOutputCallback callbacks[NLS_NUM_SEVERITIES]);

// The one state, also before nlsSetup (then all zero).
NlsGlobals* nlsGlobals();

// Releases the table, flushes the cache, frees the repository record and destroys the mutex.
// May run twice.
void nlsCleanup();

// Holds the NLS mutex for a scope (none exists before nlsSetup or after nlsCleanup). The mutex
// is recursive, so a holder may call the message operations. Whoever also needs the activity
// log's mutex takes this one first.
class CNlsLock : public CPsMutexHold {
 public:
  CNlsLock() : CPsMutexHold(nlsGlobals()->m_NlsMutex) {}
};
