// CBufferRing: the hand-over point between the producer thread and the consumer thread of one
// transfer. A fixed number of equal buffers form a circle; each is Empty (the producer may fill
// it) or Full (the consumer may drain it). The producer walks the circle with its empty cursor,
// the consumer with its full cursor, so data leaves the ring in the order it went in. The end
// of data travels behind the data as a marked buffer; a cancel wakes both sides.
//
// Threads: one producer thread, one consumer thread; cancelDataTransfer from any thread.
// A buffer that a thread has locked is that thread's until it unlocks it: only the locking
// thread writes its data and counts, and only that thread passes its pointer again.
//
// Codes: 200 the ring was cancelled, 201 end of data (lockFullBuffer, extractData), 419 no
// buffers or a failing mutex or event, 421 a buffer could not be allocated at construction.
// A ring whose construction failed answers every operation with that code.
#pragma once

#include <atomic>
#include <cstdint>

#include "agtrc.h"
#include "linklist.h"
#include "psthread.h"

// Buffer states.
constexpr uint32_t kBuffEmpty = 0;
constexpr uint32_t kBuffFull = 1;

struct RingElement {
  uint8_t* bufferP;      // bufferSize() bytes, or null for a ring of 0-byte buffers
  uint32_t ulCount;      // bytes of data in the buffer
  uint32_t ulProcessed;  // offset of the next byte the consumer takes
  // Guarded by the ring mutex:
  uint32_t buffType;  // kBuffEmpty or kBuffFull
  uint32_t bLast;     // 1 on the buffer that marks the end of data
  uint32_t bLocked;   // 1 while a thread holds the buffer, from lock to unlock
};

class CBufferRing {
 public:
  // numBuffers buffers of bufferSizeKb kilobytes, rounded up to a multiple of 4096 bytes.
  CBufferRing(uint32_t numBuffers, uint32_t bufferSizeKb);
  ~CBufferRing();
  CBufferRing(const CBufferRing&) = delete;
  CBufferRing& operator=(const CBufferRing&) = delete;

  // Producer: waits for and locks the next Empty buffer into *bufferP (null on failure).
  int lockEmptyBuffer(RingElement** bufferP);
  // Producer: hands a filled buffer to the consumer as Full.
  int unlockFullBuffer(RingElement* bufferP);
  // Consumer: waits for and locks the next Full buffer; 201 once the end of data is reached.
  int lockFullBuffer(RingElement** bufferP);
  // Consumer: gives a drained buffer back as Empty.
  int unlockEmptyBuffer(RingElement* bufferP);
  // Producer: sends the end-of-data mark behind all data handed on so far.
  int completeDataTransfer();
  // Any thread: cancels the ring; every wait ends and every later lock returns 200 until reset.
  int cancelDataTransfer();
  // Makes the ring ready for a new transfer; call while neither side is using it.
  int resetRing();

  // Producer: copies sourceSize bytes into the ring, locking Empty buffers and handing each
  // filled one on as Full. A partly filled buffer stays locked in *bufferP for the next call.
  int insertData(RingElement** bufferP, const void* pSource, uint32_t sourceSize);
  // Consumer: copies destinationSize bytes out of the ring, giving drained buffers back. A
  // partly drained buffer stays locked in *bufferP. 201 at the end of data, after copying what
  // there was; *copiedP (when given) holds the bytes copied, also on a failure.
  int extractData(RingElement** bufferP, void* pDestination, uint32_t destinationSize,
                  uint32_t* copiedP = nullptr);

  uint32_t bufferSize() const { return m_BufferSize; }
  uint32_t bufferCount() const { return m_BufferCount; }
  // The number of Full buffers, read without a lock (reports only).
  uint32_t fullCount() const { return m_FullCount.load(std::memory_order_relaxed); }
  // The result of construction: 0, 419 or 421.
  int ringRc() const { return m_RingRc; }

 private:
  int lockBuffer(RingElement** bufferP, uint32_t buffType);
  int extractInto(RingElement** bufferP, uint8_t* destinationP, uint32_t destinationSize,
                  uint32_t* copiedP);
  int takeBuffer(RingElement** bufferP, uint32_t buffType, bool* doneP);
  int takeUnderLock(RingElement** bufferP, uint32_t buffType);
  int unlockBuffer(RingElement* bufferP, uint32_t buffType);
  int addNewRingElement(uint32_t* bufferCountP, uint32_t bufferSize);
  void freeRingElementData(RingElement* elementP);
  RingElement* nextElement(RingElement* elementP);
  // The construction's steps: the buffer size, the synchronisation objects, the buffers.
  int build(uint32_t numBuffers, uint32_t bufferSizeKb);
  int createSync();

  CLinkedList<RingElement> m_Elements;  // the circle closes from the last back to the first
  // Guarded by m_RingMutex:
  uint32_t m_Cancelled = 0;
  uint32_t m_EndOfData = 0;  // 1 once the consumer met the end-of-data mark
  RingElement* m_EmptyCursorP = nullptr;
  RingElement* m_FullCursorP = nullptr;
  // Changed under m_RingMutex, read without it for reports.
  std::atomic<uint32_t> m_FullCount{0};
  // Fixed after construction:
  int m_RingRc = 0;
  uint32_t m_BufferCount = 0;
  uint32_t m_BufferSize = 0;
  psMutex m_RingMutex = nullptr;
  psEvent m_EmptyAvailable =
      nullptr;  // auto-reset: a buffer became Empty, or the ring was cancelled
  psEvent m_FullAvailable = nullptr;  // auto-reset: a buffer became Full, or the ring was cancelled
};
