// Portability layer, untraced part: the millisecond timer, byte order and time stamps.
#pragma once

#include <cstddef>
#include <cstdint>
#include <ctime>

// The counter the timers read. Tests inject their own to make elapsed times exact; the default
// is the machine's monotonic clock. Each routine returns 1 on success and 0 when the counter
// cannot be read (a machine without a counter).
struct psClock {
  int (*readCounter)(int64_t* countP);
  int (*readFrequency)(int64_t* countsPerSecondP);
};

// Makes every timer read `clockP` from now on; null restores the machine's clock. Timers read
// the frequency once, at construction. Not for use while other threads run timers.
void psTimerSetClock(const psClock* clockP);

// The wall clock the dates read (dateGetNow), in seconds since 1970 as time() gives them. A
// benchmark or a test injects its own; null restores the machine's clock.
using psWallClock = time_t (*)();
void psDateSetClock(psWallClock clockP);

// A millisecond timer over the counter; a plain member of its owner, used by one thread at a
// time. On a machine without a counter it measures 0 and start/stop return 0.
class psTimer {
 public:
  psTimer();
  int start();
  int stop();
  // m_StopCount - m_StartCount in whole milliseconds (stored in m_ElapsedCount as counts).
  int64_t elapsedMilliseconds();
  // The low 32 bits of elapsedMilliseconds, unsigned, times 0.001.
  double elapsedSeconds();

  int64_t m_StartCount;
  int64_t m_StopCount;
  int64_t m_ElapsedCount;
  int64_t m_CountsPerMs;
};

// Byte order of stored records: most significant byte first whatever the machine's order.
void psPutU16BE(uint8_t* destP, uint16_t value);
uint16_t psGetU16BE(const uint8_t* srcP);
uint8_t* psPutU32BE(uint8_t* destP, uint32_t value);
uint32_t psGetU32BE(const uint8_t* srcP);

// Longest time stamp with its terminator.
constexpr size_t PS_TIMESTAMP_SIZE = 20;
// Writes the local time in layout `selector` (0 "yyyyhhmmss", 1 "MMddyyyyhhmmss",
// 2 "MM/dd/yyyy hh:mm:ss", 3 "hh:mm:ss") into textP, cut to textSize; any other selector
// writes nothing. Returns 0.
int psGetTimeStamp(int selector, char* textP, size_t textSize);
