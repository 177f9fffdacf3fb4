// Holds a mutex of the portability layer for one scope: locked on construction, unlocked on
// every way out. A null handle (a mutex not created yet, or already destroyed) holds nothing.
#pragma once

#include "psthread.h"

class CPsMutexHold {
 public:
  explicit CPsMutexHold(psMutex mutex, int trace = 1) : m_Mutex(mutex), m_Trace(trace) {
    if (m_Mutex != nullptr) psMutexLock(m_Mutex, m_Trace);
  }
  ~CPsMutexHold() {
    if (m_Mutex != nullptr) psMutexUnlock(m_Mutex, m_Trace);
  }
  CPsMutexHold(const CPsMutexHold&) = delete;
  CPsMutexHold& operator=(const CPsMutexHold&) = delete;

 private:
  psMutex m_Mutex;
  int m_Trace;
};
