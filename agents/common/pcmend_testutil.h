// Test support for transfer ends: a transfer whose producer and consumer bodies are given as
// functions, and bodies that feed a byte string into the ring or collect the ring into one.
// The producer completes the ring after a body that returned 0; a failing body cancels the
// transfer, as every transfer of the engine does.
#pragma once

#include <algorithm>
#include <cstring>
#include <functional>
#include <string>

#include "pcmend.h"

class CFnTransfer : public CPcm {
 public:
  using Body = std::function<int(CPcm* pcmP)>;

  CFnTransfer(uint32_t numBuffers, uint32_t bufferSizeKb, Body producerBody, Body consumerBody)
      : CPcm(numBuffers, bufferSizeKb),
        m_ProducerBody(std::move(producerBody)),
        m_ConsumerBody(std::move(consumerBody)) {
    setEnds("HUBLOR", m_ProducerText, "ZARNAK", m_ConsumerText);
  }

  int producer() override {
    m_ProducerRc = m_ProducerBody(this);
    if (m_ProducerRc == RC_OK) m_ProducerRc = m_Ring.completeDataTransfer();
    if (m_ProducerRc != RC_OK) cancel();
    return m_ProducerRc;
  }
  int consumer() override {
    m_ConsumerRc = m_ConsumerBody(this);
    if (m_ConsumerRc != RC_OK) cancel();
    return m_ConsumerRc;
  }
  // One run with the given cancel flag (none: never cancelled).
  int runOnce(uint32_t* cancelP = nullptr) {
    m_ElapsedTimer.start();
    return run(0, nullptr, cancelP != nullptr ? cancelP : &m_NeverCancelled);
  }

  uint64_t produced() const { return m_BytesProduced.load(); }
  uint64_t consumed() const { return m_BytesConsumed.load(); }
  const char* producerText() const { return m_ProducerText; }
  const char* consumerText() const { return m_ConsumerText; }
  int m_ProducerRc = -1;
  int m_ConsumerRc = -1;

 private:
  uint32_t m_NeverCancelled = 0;
  Body m_ProducerBody;
  Body m_ConsumerBody;
  char m_ProducerText[3584] = "";
  char m_ConsumerText[3584] = "";
};

// Producer body: the bytes into buffers filled to the brim (the last one partly, none for an
// empty string).
inline CFnTransfer::Body feedBytes(const std::string& bytes) {
  return [bytes](CPcm* pcmP) {
    CBufferRing& ring = CPcmEnd::ring(pcmP);
    for (size_t at = 0; at < bytes.size();) {
      RingElement* bufferP = nullptr;
      int rc = ring.lockEmptyBuffer(&bufferP);
      if (rc != RC_OK) return rc;
      uint32_t n = static_cast<uint32_t>(std::min<size_t>(ring.bufferSize(), bytes.size() - at));
      std::memcpy(bufferP->bufferP, bytes.data() + at, n);
      bufferP->ulCount = n;
      at += n;
      CPcmEnd::bytesProduced(pcmP) += n;
      rc = ring.unlockFullBuffer(bufferP);
      if (rc != RC_OK) return rc;
    }
    return RC_OK;
  };
}

// Consumer body: every full buffer's data appended to *outP, and each buffer's count to
// *countsP when given; 0 at the end of data.
inline CFnTransfer::Body collectBytes(std::string* outP, std::string* countsP = nullptr) {
  return [outP, countsP](CPcm* pcmP) {
    CBufferRing& ring = CPcmEnd::ring(pcmP);
    for (;;) {
      RingElement* bufferP = nullptr;
      int rc = ring.lockFullBuffer(&bufferP);
      if (rc == RC_END_OF_DATA) return 0;
      if (rc != RC_OK) return rc;
      outP->append(reinterpret_cast<const char*>(bufferP->bufferP), bufferP->ulCount);
      if (countsP != nullptr) *countsP += std::to_string(bufferP->ulCount) + " ";
      CPcmEnd::bytesConsumed(pcmP) += bufferP->ulCount;
      rc = ring.unlockEmptyBuffer(bufferP);
      if (rc != RC_OK) return rc;
    }
  };
}
