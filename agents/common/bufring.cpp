#include "bufring.h"

#include <algorithm>
#include <cstring>

#include "agtmem.h"
#include "agttrc.h"

namespace {

constexpr uint64_t kBufferAlign = 4096;

// Kilobytes to bytes, rounded up to whole 4096-byte pages.
uint64_t ringBufferBytes(uint32_t bufferSizeKb) {
  return (uint64_t{bufferSizeKb} * 1024 + kBufferAlign - 1) & ~(kBufferAlign - 1);
}

// An Empty buffer without data, as after a reset; the storage stays.
void clearElement(RingElement* elementP) {
  *elementP = RingElement{elementP->bufferP, 0, 0, kBuffEmpty, 0, 0};
}

const char* buffTypeName(uint32_t buffType) {
  return buffType == kBuffFull ? "Full" : "Empty";
}

}  // namespace

CBufferRing::CBufferRing(uint32_t numBuffers, uint32_t bufferSizeKb) {
  TRACE_ENTRY(TRC_BUFFRING, "CBufferRing::CBufferRing()");
  int rc = build(numBuffers, bufferSizeKb);
  m_EmptyCursorP = m_Elements.getFirst();
  m_FullCursorP = m_EmptyCursorP;
  m_RingRc = rc;
  trcFunction_.exit(rc, __LINE__);
}

int CBufferRing::build(uint32_t numBuffers, uint32_t bufferSizeKb) {
  uint64_t bytes = ringBufferBytes(bufferSizeKb);
  if (bytes > UINT32_MAX) {
    TRACE_LINE(TRC_BUFFRING, "A ring buffer of %u KB is too large.\n", bufferSizeKb);
    return RC_NO_MEMORY;
  }
  m_BufferSize = static_cast<uint32_t>(bytes);
  int rc = createSync();
  if (rc != RC_OK) return rc;
  while (m_BufferCount < numBuffers) {
    rc = addNewRingElement(&m_BufferCount, m_BufferSize);
    if (rc != RC_OK) return rc;
  }
  return RC_OK;
}

int CBufferRing::createSync() {
  int rc = psMutexInit(&m_RingMutex, 1);
  if (rc != RC_OK) {
    return rc;
  }
  rc = psEventInit(&m_EmptyAvailable);
  if (rc != RC_OK) {
    return rc;
  }
  return psEventInit(&m_FullAvailable);
}

CBufferRing::~CBufferRing() {
  TRACE_ENTRY(TRC_BUFFRING, "CBufferRing::~CBufferRing()");
  for (RingElement* elementP = m_Elements.getFirst(); elementP != nullptr;
       elementP = m_Elements.getNext(elementP)) {
    freeRingElementData(elementP);
  }
  if (m_FullAvailable != nullptr) {
    psEventDestroy(&m_FullAvailable);
  }
  if (m_EmptyAvailable != nullptr) {
    psEventDestroy(&m_EmptyAvailable);
  }
  if (m_RingMutex != nullptr) {
    psMutexDestroy(&m_RingMutex, 1);
  }
}

int CBufferRing::addNewRingElement(uint32_t* bufferCountP, uint32_t bufferSize) {
  RingElement element{};
  if (bufferSize > 0) {
    element.bufferP = static_cast<uint8_t*>(MALLOC(bufferSize));
    if (element.bufferP == nullptr) {
      TRACE_LINE(TRC_BUFFRING, "Insufficent memory, MALLOC() failed\n");
      return RC_NO_MEMORY;
    }
  }
  if (m_Elements.addTail(&element) != 0) {
    TRACE_LINE(TRC_BUFFRING, "Insufficent memory, NEW() failed.\n");
    freeRingElementData(&element);
    return RC_NO_MEMORY;
  }
  ++*bufferCountP;
  return RC_OK;
}

void CBufferRing::freeRingElementData(RingElement* elementP) {
  if (elementP->bufferP != nullptr) {
    FREE(&elementP->bufferP);
  }
}

RingElement* CBufferRing::nextElement(RingElement* elementP) {
  RingElement* nextP = m_Elements.getNext(elementP);
  return nextP != nullptr ? nextP : m_Elements.getFirst();
}

int CBufferRing::lockEmptyBuffer(RingElement** bufferP) {
  return lockBuffer(bufferP, kBuffEmpty);
}

int CBufferRing::lockFullBuffer(RingElement** bufferP) {
  return lockBuffer(bufferP, kBuffFull);
}

int CBufferRing::unlockFullBuffer(RingElement* bufferP) {
  return unlockBuffer(bufferP, kBuffFull);
}

int CBufferRing::unlockEmptyBuffer(RingElement* bufferP) {
  return unlockBuffer(bufferP, kBuffEmpty);
}

// Waits until the buffer under the cursor of the wanted type is free to take, or the ring is
// cancelled. The state test and the take happen under the ring mutex; the events are
// auto-reset, so a signal given between the test and the wait is kept for the wait.
int CBufferRing::lockBuffer(RingElement** bufferP, uint32_t buffType) {
  *bufferP = nullptr;
  if (m_RingRc != RC_OK) {
    return m_RingRc;
  }
  if (m_BufferCount == 0) {
    TRACE_LINE(TRC_BUFFRING, "Unable to lock a ring buffer because there are no ring buffers.\n");
    return RC_INTERNAL_ERROR;
  }
  psEvent available = buffType == kBuffFull ? m_FullAvailable : m_EmptyAvailable;
  for (;;) {
    bool done = false;
    int rc = takeBuffer(bufferP, buffType, &done);
    if (rc != RC_OK || done) {
      return rc;
    }
    rc = psEventWait(available);
    if (rc != RC_OK) {
      return rc;
    }
  }
}

// One attempt of lockBuffer. *doneP is set when the attempt decided the outcome: a buffer
// taken, the ring cancelled, or the end of data met.
int CBufferRing::takeBuffer(RingElement** bufferP, uint32_t buffType, bool* doneP) {
  int rc = psMutexLock(m_RingMutex, 1);
  if (rc != RC_OK) {
    return rc;
  }
  rc = takeUnderLock(bufferP, buffType);
  *doneP = rc != RC_OK || *bufferP != nullptr;
  int unlockRc = psMutexUnlock(m_RingMutex, 1);
  if (unlockRc != RC_OK && *bufferP != nullptr) {
    // The buffer stays marked locked until the next reset: the transfer fails with this code.
    TRACE_LINE(TRC_BUFFRING,
               "An internal processing error is being corrected.\nSuccessfully locked a ring "
               "buffer even though errors were detected.\nThe locked ring buffer will be "
               "unlocked.\n  pBuffer: %p\n  rc   : %d\n",
               static_cast<void*>(*bufferP), unlockRc);
    *bufferP = nullptr;
  }
  if (rc == RC_END_OF_DATA) {
    psEventSignal(m_EmptyAvailable);  // the mark's buffer went back Empty
  }
  return rc != RC_OK ? rc : unlockRc;
}

// Caller holds m_RingMutex. Takes the buffer under the cursor when it has the wanted type and
// nobody holds it: 0 with *bufferP set, or 0 with nothing taken; 200 once cancelled; 201 at the
// end-of-data mark, whose buffer the consumer never sees and which goes back Empty at once.
int CBufferRing::takeUnderLock(RingElement** bufferP, uint32_t buffType) {
  RingElement** cursorP = buffType == kBuffFull ? &m_FullCursorP : &m_EmptyCursorP;
  RingElement* elementP = *cursorP;
  if (m_Cancelled != 0) {
    return RC_RING_CANCELLED;
  }
  if (buffType == kBuffFull && m_EndOfData != 0) {
    return RC_END_OF_DATA;
  }
  if (elementP->buffType != buffType || elementP->bLocked != 0) {
    return RC_OK;
  }
  *cursorP = nextElement(elementP);
  if (buffType == kBuffFull && elementP->bLast != 0) {
    clearElement(elementP);
    m_FullCount.fetch_sub(1, std::memory_order_relaxed);
    m_EndOfData = 1;
    return RC_END_OF_DATA;
  }
  elementP->bLocked = 1;
  *bufferP = elementP;
  return RC_OK;
}

int CBufferRing::unlockBuffer(RingElement* bufferP, uint32_t buffType) {
  if (m_RingRc != RC_OK || bufferP == nullptr) {
    return m_RingRc;
  }
  int rc = psMutexLock(m_RingMutex, 1);
  if (rc != RC_OK) {
    return rc;
  }
  if (bufferP->bLocked == 0) {
    psMutexUnlock(m_RingMutex, 1);
    TRACE_LINE(TRC_BUFFRING, "A ring buffer that is not locked cannot be unlocked as %s: %p\n",
               buffTypeName(buffType), static_cast<void*>(bufferP));
    return RC_INTERNAL_ERROR;
  }
  // The full count follows the buffer's change of state; a buffer given back in the state it
  // was locked in leaves it as it is.
  if (bufferP->buffType != buffType) {
    m_FullCount.fetch_add(buffType == kBuffFull ? 1 : -1, std::memory_order_relaxed);
  }
  bufferP->buffType = buffType;
  bufferP->bLocked = 0;
  bufferP->ulProcessed = 0;
  if (buffType == kBuffEmpty) {
    bufferP->ulCount = 0;
  }
  rc = psMutexUnlock(m_RingMutex, 1);
  if (rc != RC_OK) {
    return rc;
  }
  return psEventSignal(buffType == kBuffFull ? m_FullAvailable : m_EmptyAvailable);
}

int CBufferRing::completeDataTransfer() {
  TRACE_ENTRY(TRC_BUFFRING, "CBufferRing::completeDataTransfer()");
  RingElement* markP = nullptr;
  int rc = lockEmptyBuffer(&markP);
  if (rc != RC_OK) {
    TRACE_RETURN(rc);
  }
  markP->bLast = 1;  // the buffer is ours until the unlock hands it on
  TRACE_RETURN(unlockFullBuffer(markP));
}

int CBufferRing::cancelDataTransfer() {
  TRACE_ENTRY(TRC_BUFFRING, "CBufferRing::cancelDataTransfer()");
  if (m_RingRc != RC_OK) {
    TRACE_RETURN(m_RingRc);
  }
  int rc = psMutexLock(m_RingMutex, 1);
  if (rc != RC_OK) {
    TRACE_RETURN(rc);
  }
  m_Cancelled = 1;
  rc = psMutexUnlock(m_RingMutex, 1);
  int emptyRc = psEventSignal(m_EmptyAvailable);
  int fullRc = psEventSignal(m_FullAvailable);
  TRACE_RETURN(rc != RC_OK ? rc : (emptyRc != RC_OK ? emptyRc : fullRc));
}

int CBufferRing::resetRing() {
  TRACE_ENTRY(TRC_BUFFRING, "CBufferRing::resetRing()");
  if (m_RingRc != RC_OK) {
    TRACE_RETURN(m_RingRc);
  }
  int rc = psMutexLock(m_RingMutex, 1);
  if (rc != RC_OK) {
    TRACE_RETURN(rc);
  }
  if (m_Cancelled == 0 && fullCount() != 0) {
    TRACE_LINE(TRC_BUFFRING,
               "Warning, possible programming error.\nResetting, what appears to be, an active "
               "data transfer buffer ring.\n");
  }
  for (RingElement* elementP = m_Elements.getFirst(); elementP != nullptr;
       elementP = m_Elements.getNext(elementP)) {
    clearElement(elementP);
  }
  m_EmptyCursorP = m_Elements.getFirst();
  m_FullCursorP = m_EmptyCursorP;
  m_Cancelled = 0;
  m_EndOfData = 0;
  m_FullCount.store(0, std::memory_order_relaxed);
  int emptyRc = psEventReset(m_EmptyAvailable);
  int fullRc = psEventReset(m_FullAvailable);
  rc = psMutexUnlock(m_RingMutex, 1);
  TRACE_RETURN(emptyRc != RC_OK ? emptyRc : (fullRc != RC_OK ? fullRc : rc));
}

int CBufferRing::insertData(RingElement** bufferP, const void* pSource, uint32_t sourceSize) {
  const uint8_t* sourceP = static_cast<const uint8_t*>(pSource);
  if (sourceSize > 0 && m_RingRc == RC_OK && m_BufferSize == 0) {
    // Buffers without storage would be handed on empty, one after another, for ever.
    TRACE_LINE(TRC_BUFFRING, "Unable to insert data into ring buffers of 0 bytes.\n");
    return RC_INTERNAL_ERROR;
  }
  uint32_t copied = 0;
  while (copied < sourceSize) {
    if (*bufferP == nullptr) {
      int rc = lockEmptyBuffer(bufferP);
      if (rc != RC_OK) {
        return rc;
      }
    }
    RingElement* elementP = *bufferP;
    uint32_t n = std::min(sourceSize - copied, m_BufferSize - elementP->ulCount);
    std::memcpy(elementP->bufferP + elementP->ulCount, sourceP + copied, n);
    copied += n;
    elementP->ulCount += n;
    if (elementP->ulCount == m_BufferSize) {
      *bufferP = nullptr;
      int rc = unlockFullBuffer(elementP);
      if (rc != RC_OK) {
        return rc;
      }
    }
  }
  return RC_OK;
}

int CBufferRing::extractData(RingElement** bufferP, void* pDestination, uint32_t destinationSize,
                             uint32_t* copiedP) {
  uint32_t copied = 0;
  int rc = extractInto(bufferP, static_cast<uint8_t*>(pDestination), destinationSize, &copied);
  if (copiedP != nullptr) *copiedP = copied;
  return rc;
}

int CBufferRing::extractInto(RingElement** bufferP, uint8_t* destinationP, uint32_t destinationSize,
                             uint32_t* copiedP) {
  while (*copiedP < destinationSize) {
    if (*bufferP == nullptr) {
      int rc = lockFullBuffer(bufferP);
      if (rc != RC_OK) {
        return rc;
      }
    }
    RingElement* elementP = *bufferP;
    uint32_t n = std::min(destinationSize - *copiedP, elementP->ulCount - elementP->ulProcessed);
    if (n > 0) {
      std::memcpy(destinationP + *copiedP, elementP->bufferP + elementP->ulProcessed, n);
    }
    *copiedP += n;
    elementP->ulProcessed += n;
    if (elementP->ulProcessed == elementP->ulCount) {
      *bufferP = nullptr;
      int rc = unlockEmptyBuffer(elementP);
      if (rc != RC_OK) {
        return rc;
      }
    }
  }
  return RC_OK;
}
