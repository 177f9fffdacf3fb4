// Trace lines of the portability layer's operations (private to the layer). Each operation
// traces with the guard of agttrc.h: "Enter %s", its before and outcome lines and
// "Exit %s, rc = %d" while its category is on; with the category off (TRC_OFF for a caller that
// asked for no trace) an operation costs its platform call and a few tests.
#pragma once

#include <cerrno>
#include <cinttypes>
#include <cstdint>

#include "agtrc.h"
#include "agttrc.h"
#include "psfault.h"

// A platform outcome (0 or an error number) as the layer returns it: 0 or 419.
inline int psRcOf(int error) {
  return error == 0 ? RC_OK : RC_INTERNAL_ERROR;
}

// A handle as the trace prints it.
template <typename H>
inline uintptr_t psHandleWord(H handle) {
  return reinterpret_cast<uintptr_t>(handle);
}

// The trace texts of one operation; each format takes the handle, or the error number where the
// failure line names no handle (the destroy lines take the handle and the error number).
struct PsOpTexts {
  psFaultPoint point;  // the fault that can be injected into the operation
  const char* nameP;
  const char* beforeP;  // null: no line before the call
  const char* successP;
  const char* failureP;
};

// Writes the outcome line of an operation on handle (the failure line takes the error number);
// returns 0 or 419.
template <typename H>
int psTraceOutcome(int category, const PsOpTexts& texts, int error, H handle) {
  if (error != 0) {
    TRACE_LINE(category, texts.failureP, error);
  } else {
    TRACE_LINE(category, texts.successP, psHandleWord(handle));
  }
  return psRcOf(error);
}

// In the helpers below, `category` is the operation's trace category (TRC_OFF: no trace) and
// `injectable` says whether an armed fault applies to this call.

// Creates an object with create(&handle) (0 or an error number) into *handleP, which stays 0 on
// failure; returns 0 or 419.
template <typename H>
int psTracedCreate(int category, bool injectable, const PsOpTexts& texts, H* handleP,
                   int (*create)(H*)) {
  TRACE_ENTRY(category, texts.nameP);
  H handle = nullptr;
  int error = injectable ? psFaultCheck(texts.point) : 0;
  if (error == 0) error = create(&handle);
  *handleP = handle;
  TRACE_RETURN(psTraceOutcome(category, texts, error, handle));
}

// Runs call(handle) (0 or an error number) on a non-null handle; returns 0 or 419.
template <typename H>
int psTracedCall(int category, bool injectable, const PsOpTexts& texts, H handle, int (*call)(H)) {
  TRACE_ENTRY(category, texts.nameP);
  if (texts.beforeP != nullptr) TRACE_LINE(category, texts.beforeP, psHandleWord(handle));
  int error = injectable ? psFaultCheck(texts.point) : 0;
  if (error == 0) error = handle != nullptr ? call(handle) : EINVAL;
  TRACE_RETURN(psTraceOutcome(category, texts, error, handle));
}

// Closes *handleP with close(handle) (0 or an error number), then frees the object and clears
// the word; a failure, a null handle included, leaves both as they were. Returns 0 or 419.
template <typename H>
int psTracedClose(int category, bool injectable, const PsOpTexts& texts, H* handleP,
                  int (*close)(H)) {
  TRACE_ENTRY(category, texts.nameP);
  H handle = *handleP;
  int error = injectable ? psFaultCheck(texts.point) : 0;
  if (error == 0) error = handle != nullptr ? close(handle) : EINVAL;
  if (error != 0) {
    TRACE_LINE(category, texts.failureP, psHandleWord(handle), error);
    TRACE_RETURN(psRcOf(error));
  }
  TRACE_LINE(category, texts.successP, psHandleWord(handle));
  delete handle;
  *handleP = nullptr;
  TRACE_RETURN(RC_OK);
}
