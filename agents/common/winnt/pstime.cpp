#include "pstime.h"

#include <atomic>
#include <cstdio>
#include <ctime>

namespace {

int readMonotonicCounter(int64_t* countP) {
  timespec now;
  if (clock_gettime(CLOCK_MONOTONIC, &now) != 0) return 0;
  *countP = static_cast<int64_t>(now.tv_sec) * 1000000000 + now.tv_nsec;
  return 1;
}

int readMonotonicFrequency(int64_t* countsPerSecondP) {
  *countsPerSecondP = 1000000000;
  return 1;
}

const psClock kMachineClock = {readMonotonicCounter, readMonotonicFrequency};
std::atomic<const psClock*> gClockP{&kMachineClock};

int readCounter(int64_t* countP) {
  return gClockP.load(std::memory_order_acquire)->readCounter(countP);
}

}  // namespace

void psTimerSetClock(const psClock* clockP) {
  gClockP.store(clockP ? clockP : &kMachineClock, std::memory_order_release);
}

psTimer::psTimer() : m_StartCount(0), m_StopCount(0), m_ElapsedCount(0), m_CountsPerMs(0) {
  int64_t countsPerSecond = 0;
  if (gClockP.load(std::memory_order_acquire)->readFrequency(&countsPerSecond)) {
    m_CountsPerMs = countsPerSecond / 1000;
  }
}

int psTimer::start() {
  return readCounter(&m_StartCount);
}

int psTimer::stop() {
  return readCounter(&m_StopCount);
}

int64_t psTimer::elapsedMilliseconds() {
  m_ElapsedCount = m_StopCount - m_StartCount;
  if (m_CountsPerMs <= 0) return 0;
  return static_cast<int64_t>(static_cast<double>(m_ElapsedCount) /
                              static_cast<double>(m_CountsPerMs));
}

double psTimer::elapsedSeconds() {
  return static_cast<uint32_t>(elapsedMilliseconds()) * 0.001;
}

void psPutU16BE(uint8_t* destP, uint16_t value) {
  destP[0] = static_cast<uint8_t>(value >> 8);
  destP[1] = static_cast<uint8_t>(value);
}

uint16_t psGetU16BE(const uint8_t* srcP) {
  return static_cast<uint16_t>((srcP[0] << 8) | srcP[1]);
}

uint8_t* psPutU32BE(uint8_t* destP, uint32_t value) {
  destP[0] = static_cast<uint8_t>(value >> 24);
  destP[1] = static_cast<uint8_t>(value >> 16);
  destP[2] = static_cast<uint8_t>(value >> 8);
  destP[3] = static_cast<uint8_t>(value);
  return destP;
}

uint32_t psGetU32BE(const uint8_t* srcP) {
  return (static_cast<uint32_t>(srcP[0]) << 24) | (static_cast<uint32_t>(srcP[1]) << 16) |
         (static_cast<uint32_t>(srcP[2]) << 8) | srcP[3];
}

int psGetTimeStamp(int selector, char* textP, size_t textSize) {
  time_t now = time(nullptr);
  tm local;
  localtime_r(&now, &local);
  unsigned year = local.tm_year + 1900, month = local.tm_mon + 1, day = local.tm_mday;
  unsigned hour = local.tm_hour, minute = local.tm_min, second = local.tm_sec;
  switch (selector) {
    case 0:
      snprintf(textP, textSize, "%04u%02u%02u%02u", year, hour, minute, second);
      break;
    case 1:
      snprintf(textP, textSize, "%02u%02u%04u%02u%02u%02u", month, day, year, hour, minute, second);
      break;
    case 2:
      snprintf(textP, textSize, "%02u/%02u/%04u %02u:%02u:%02u", month, day, year, hour, minute,
               second);
      break;
    case 3:
      snprintf(textP, textSize, "%02u:%02u:%02u", hour, minute, second);
      break;
    default:
      break;
  }
  return 0;
}
