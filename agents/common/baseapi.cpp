#include "baseapi.h"

#include <cstdarg>
#include <cstring>

#include "agtlog.h"
#include "agtrc.h"
#include "agttrc.h"
#include "msgout.h"

namespace {

constexpr int MSG_API_TIME_SPENT = 152;      // "%.3f seconds were spent in %s calls."
constexpr size_t API_STATUS_TEXT_SIZE = 80;  // the report is cut to 79 characters

const char* nameOrNull(const char* nameP) {
  return nameP != nullptr ? nameP : "<NULL>";
}

void copyApiName(char* destP, const char* srcP) {
  std::strncpy(destP, srcP != nullptr ? srcP : "", API_NAME_SIZE - 1);
  destP[API_NAME_SIZE - 1] = '\0';
}

// Stops the call's timer and adds the call to the record; the seconds of this call.
double finishCall(DPelkApiStatus* statusP) {
  statusP->inApiCall = 0;
  statusP->timer.stop();
  double seconds = statusP->timer.elapsedSeconds();
  statusP->totalApiSeconds += seconds;
  return seconds;
}

void traceFinishedCall(const char* traceNameP, double seconds, double total, const char* apiNameP) {
  TRACE_LINE(TRC_API, "Exit %s, elapsed seconds %0.f, total time %.0f for %s Apis \n", traceNameP,
             seconds, total, nameOrNull(apiNameP));
}

// The repository formatter that ignores the quiet switch: the report goes to the activity log.
void formatMessage(char* textP, size_t textSize, int msgNum, ...) {
  va_list args;
  va_start(args, msgNum);
  nlsvprintf(textP, textSize, msgNum, args);
  va_end(args);
}

}  // namespace

DBaseApi::DBaseApi() {
  copyApiName(m_ApiName, "undefined");
  TRACE_LINE(TRC_API, "DBaseApi::DBaseApi( %s )\n", m_ApiName);
}

DBaseApi::DBaseApi(const char* apiNameP) {
  copyApiName(m_ApiName, apiNameP);
  TRACE_LINE(TRC_API, "DBaseApi::DBaseApi( %s )\n", m_ApiName);
}

DBaseApi::~DBaseApi() {
  TRACE_LINE(TRC_API, "DBaseApi::~DBaseApi( %s )\n", m_ApiName);
}

void DBaseApi::StartApiCall(DPelkApiStatus* statusP) {
  // The stamp first: a monitor that sees the flag reads this call's start stamp.
  statusP->timer.start();
  statusP->callStart = statusP->timer.m_StartCount;
  statusP->inApiCall = 1;
}

void DBaseApi::EndApiCall(DPelkApiStatus* statusP) {
  double seconds = finishCall(statusP);
  traceFinishedCall("DBaseApi::EndApiCall", seconds, statusP->totalApiSeconds, GetApiName());
}

void DBaseApi::EndApiCall(DPelkApiStatus* statusP, const char* apiNameP) {
  TRACE_LINE(TRC_API, "Enter %s( %s )\n", "DBaseApi::EndApiCall", nameOrNull(apiNameP));
  double seconds = finishCall(statusP);
  traceFinishedCall("DBaseApi::EndApiCall", seconds, statusP->totalApiSeconds, apiNameP);
}

void DBaseApi::LogApiStatus(const DPelkApiStatus* statusP) {
  if (!gTrace.isOn(TRC_PERFORMANCE)) {
    return;
  }
  const char* nameP = GetApiName()[0] != '\0' ? GetApiName() : "<NULL>";
  char text[API_STATUS_TEXT_SIZE] = "";
  formatMessage(text, sizeof text, MSG_API_TIME_SPENT, statusP->totalApiSeconds, nameP);
  if (text[0] == '\0') {
    return;  // no repository or no such message: nothing to report
  }
  if (gLogP != nullptr) {
    gLogP->LogActivityLog(text);
  }
  TRACE_LINE(TRC_API, "%s\n", text);
}

int DBaseApi::FunctionNotLoaded() {
  TRACE_LINE(TRC_API, "Function not loaded\n");
  return RC_INTERNAL_ERROR;
}
