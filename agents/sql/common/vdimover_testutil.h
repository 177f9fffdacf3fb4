// Test helper: a transfer with one virtual device transfer end, the other end a byte sink or
// source given as a function (memory or a file), as a backup or restore stripe would run it.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <vector>

#include "pcm.h"
#include "vdimover.h"

class CVdevTestTransfer : public CPcm {
 public:
  enum Direction { backupFromVdi, restoreToVdi };
  // Backup: takes the bytes the producer put into the ring; returns 0 or a code.
  using Sink = std::function<int(const uint8_t* dataP, uint32_t size)>;
  // Restore: fills up to size bytes, returns the bytes given (0 at the end).
  using Source = std::function<uint32_t(uint8_t* dataP, uint32_t size)>;

  CVdevTestTransfer(Direction direction, IClientVirtualDevice* vdevP, uint32_t numBuffers = 3,
                    uint32_t bufferSizeKb = 4)
      : CPcm(numBuffers, bufferSizeKb), m_Direction(direction), m_VdevP(vdevP) {
    setEnds(direction == backupFromVdi ? "Sql" : "ZARNAK", m_ProducerText,
            direction == backupFromVdi ? "ZARNAK" : "Sql", m_ConsumerText);
  }

  Sink sink = [](const uint8_t*, uint32_t) { return 0; };
  Source source = [](uint8_t*, uint32_t) { return 0u; };
  // The command pointer the caller owns: the pending Flush or Load after a run.
  VDC_Command* command = nullptr;
  int vdiRc = -1;  // the transfer end's own result

  int runOnce() {
    static uint32_t notCancelled = 0;
    vdiRc = -1;
    int rc = initializeRun();
    if (rc == RC_OK) rc = passRUNParameters(60000, nullptr, &notCancelled);
    m_ElapsedTimer.start();
    if (rc == RC_OK) rc = RUN();
    return rc;
  }
  void cancelNow() { cancel(); }
  uint64_t bytesProduced() const { return m_BytesProduced; }
  uint64_t bytesConsumed() const { return m_BytesConsumed; }
  DPelkApiStatus& vdiApiStatus() {
    return m_Direction == backupFromVdi ? m_ProducerApiStatus : m_ConsumerApiStatus;
  }

  int producer() override {
    int rc = 0;
    if (m_Direction == backupFromVdi) {
      rc = vdiRc = produceFromVdi(this, m_VdevP, &command);
    } else {
      rc = fillFromSource();
    }
    if (rc == RC_OK) rc = m_Ring.completeDataTransfer();
    if (rc != RC_OK) cancel();
    return rc;
  }

  int consumer() override {
    int rc = 0;
    if (m_Direction == restoreToVdi) {
      rc = vdiRc = consumeToVdi(this, m_VdevP, &command);
    } else {
      rc = drainToSink();
    }
    // A Load left pending is the stripe's to answer; the transfer itself went well.
    if (rc == RC_CANCELLED_BY_SQL && command != nullptr) rc = 0;
    if (rc != RC_OK) cancel();
    return rc;
  }

 private:
  int fillFromSource() {
    std::vector<uint8_t> piece(m_Ring.bufferSize());
    RingElement* heldP = nullptr;
    int rc = 0;
    while (rc == RC_OK) {
      uint32_t size = source(piece.data(), static_cast<uint32_t>(piece.size()));
      if (size == 0) break;
      rc = m_Ring.insertData(&heldP, piece.data(), size);
      m_BytesProduced += size;
    }
    if (heldP != nullptr) {
      int unlockRc = m_Ring.unlockFullBuffer(heldP);
      if (rc == RC_OK) rc = unlockRc;
    }
    return rc;
  }

  int drainToSink() {
    for (;;) {
      RingElement* bufferP = nullptr;
      int rc = m_Ring.lockFullBuffer(&bufferP);
      if (rc == RC_END_OF_DATA) return 0;
      if (rc != RC_OK) return rc;
      rc = sink(bufferP->bufferP, bufferP->ulCount);
      m_BytesConsumed += bufferP->ulCount;
      int unlockRc = m_Ring.unlockEmptyBuffer(bufferP);
      if (rc != RC_OK) return rc;
      if (unlockRc != RC_OK) return unlockRc;
    }
  }

  Direction m_Direction;
  IClientVirtualDevice* m_VdevP;
  char m_ProducerText[256] = {};
  char m_ConsumerText[256] = {};
};
