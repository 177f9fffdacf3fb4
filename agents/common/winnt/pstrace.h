// Trace lines of the portability layer's operations (private to the layer). Each operation
// writes "Enter %s", its before and outcome lines and "Exit %s, rc = %d" while its category is
// on; with the category off an operation costs its platform call and a few tests.
#pragma once

#include <cerrno>
#include <cinttypes>
#include <cstdint>

#include "agtrc.h"
#include "agttrc.h"
#include "psfault.h"

class PsTrace {
 public:
  PsTrace(bool on, const char* nameP) : m_On(on), m_NameP(nameP) {
    if (on) write(__LINE__, "Enter %s\n", nameP);
  }
  bool on() const { return m_On; }
  void write(int line, const char* formatP, ...) __attribute__((format(printf, 3, 4)));
  // Turns a platform outcome (0 or an error number) into 0 or 419 and writes the exit line.
  int exit(int error) {
    int rc = error == 0 ? RC_OK : RC_INTERNAL_ERROR;
    if (m_On) write(__LINE__, "Exit %s, rc = %d\n", m_NameP, rc);
    return rc;
  }

 private:
  bool m_On;
  const char* m_NameP;
};

// A handle as the trace prints it.
template <typename H>
inline uintptr_t psHandleWord(H handle) {
  return reinterpret_cast<uintptr_t>(handle);
}

#define PS_TRACE(t, ...)                            \
  do {                                              \
    if ((t).on()) (t).write(__LINE__, __VA_ARGS__); \
  } while (0)

// The trace texts of one operation; each format takes the handle, or the error number where the
// failure line names no handle (the destroy lines take the handle and the error number).
struct PsOpTexts {
  psFaultPoint point;  // the fault that can be injected into the operation
  const char* nameP;
  const char* beforeP;  // null: no line before the call
  const char* successP;
  const char* failureP;
};

// Writes the outcome line of an operation on handle (the failure line takes the error number)
// and its exit line; returns 0 or 419.
template <typename H>
int psTraceOutcome(PsTrace& t, const PsOpTexts& texts, int error, H handle) {
  if (error != 0) {
    PS_TRACE(t, texts.failureP, error);
  } else {
    PS_TRACE(t, texts.successP, psHandleWord(handle));
  }
  return t.exit(error);
}

// In the helpers below, `injectable` says whether an armed fault applies to this call.

// Creates an object with create(&handle) (0 or an error number) into *handleP, which stays 0 on
// failure; returns 0 or 419.
template <typename H>
int psTracedCreate(bool on, bool injectable, const PsOpTexts& texts, H* handleP,
                   int (*create)(H*)) {
  PsTrace t(on, texts.nameP);
  H handle = nullptr;
  int error = injectable ? psFaultCheck(texts.point) : 0;
  if (error == 0) error = create(&handle);
  *handleP = handle;
  return psTraceOutcome(t, texts, error, handle);
}

// Runs call(handle) (0 or an error number) on a non-null handle; returns 0 or 419.
template <typename H>
int psTracedCall(bool on, bool injectable, const PsOpTexts& texts, H handle, int (*call)(H)) {
  PsTrace t(on, texts.nameP);
  if (texts.beforeP != nullptr) PS_TRACE(t, texts.beforeP, psHandleWord(handle));
  int error = injectable ? psFaultCheck(texts.point) : 0;
  if (error == 0) error = handle != nullptr ? call(handle) : EINVAL;
  return psTraceOutcome(t, texts, error, handle);
}

// Closes *handleP with close(handle) (0 or an error number), then frees the object and clears
// the word; a failure, a null handle included, leaves both as they were. Returns 0 or 419.
template <typename H>
int psTracedClose(bool on, bool injectable, const PsOpTexts& texts, H* handleP, int (*close)(H)) {
  PsTrace t(on, texts.nameP);
  H handle = *handleP;
  int error = injectable ? psFaultCheck(texts.point) : 0;
  if (error == 0) error = handle != nullptr ? close(handle) : EINVAL;
  if (error != 0) {
    PS_TRACE(t, texts.failureP, psHandleWord(handle), error);
    return t.exit(error);
  }
  PS_TRACE(t, texts.successP, psHandleWord(handle));
  delete handle;
  *handleP = nullptr;
  return t.exit(error);
}
