#include "bufring.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <functional>
#include <numeric>
#include <vector>

#include "psfault.h"
#include "trcfile_testutil.h"

namespace {

// Runs a body on a thread of the portability layer; join() gives its result.
class TestThread {
 public:
  explicit TestThread(std::function<int()> body) : m_Body(std::move(body)) {
    EXPECT_EQ(psThreadCreate(&m_Thread, start, this), 0);
  }
  ~TestThread() {
    if (m_Thread != nullptr) join();
  }
  int join() {
    uint32_t exitCode = 0;
    EXPECT_EQ(psThreadWaitForThreads(&m_Thread, 1), 0);
    EXPECT_EQ(psThreadGetExitCode(m_Thread, &exitCode), 0);
    EXPECT_EQ(psThreadRelease(&m_Thread), 0);
    return static_cast<int>(exitCode);
  }

 private:
  static uint32_t start(void* selfP) {
    return static_cast<uint32_t>(static_cast<TestThread*>(selfP)->m_Body());
  }
  std::function<int()> m_Body;
  psThread m_Thread = nullptr;
};

std::vector<uint8_t> pattern(size_t size) {
  std::vector<uint8_t> bytes(size);
  for (size_t k = 0; k < size; k++) bytes[k] = static_cast<uint8_t>(k * 131 + k / 251);
  return bytes;
}

// Fills one locked buffer with `bytes` bytes of value `fill` and hands it on.
void putBuffer(CBufferRing& ring, uint32_t bytes, uint8_t fill) {
  RingElement* bufferP = nullptr;
  ASSERT_EQ(ring.lockEmptyBuffer(&bufferP), 0);
  std::memset(bufferP->bufferP, fill, bytes);
  bufferP->ulCount = bytes;
  ASSERT_EQ(ring.unlockFullBuffer(bufferP), 0);
}

TEST(BufferRingTest, BufferSizesAreWholePagesOfTheKilobytesAsked) {
  const struct {
    uint32_t kilobytes;
    uint32_t bytes;
  } cases[] = {{0, 0}, {1, 4096}, {4, 4096}, {5, 8192}, {1024, 1048576}, {1025, 1052672}};
  for (const auto& c : cases) {
    CBufferRing ring(2, c.kilobytes);
    EXPECT_EQ(ring.ringRc(), 0);
    EXPECT_EQ(ring.bufferSize(), c.bytes) << c.kilobytes;
    EXPECT_EQ(ring.bufferCount(), 2u);
  }
}

TEST(BufferRingTest, ARingWithoutBuffersRefusesEveryLock) {
  CBufferRing ring(0, 4);
  EXPECT_EQ(ring.ringRc(), 0);
  RingElement* bufferP = reinterpret_cast<RingElement*>(1);
  EXPECT_EQ(ring.lockEmptyBuffer(&bufferP), RC_INTERNAL_ERROR);
  EXPECT_EQ(bufferP, nullptr);
  EXPECT_EQ(ring.lockFullBuffer(&bufferP), RC_INTERNAL_ERROR);
  EXPECT_EQ(ring.completeDataTransfer(), RC_INTERNAL_ERROR);
  uint8_t byte = 0;
  EXPECT_EQ(ring.insertData(&bufferP, &byte, 1), RC_INTERNAL_ERROR);
}

TEST(BufferRingTest, AFailedConstructionAnswersEveryOperationWithItsCode) {
  CBufferRing ring(2, 4 * 1024 * 1024);  // 4 GiB buffers do not fit a 32-bit size
  ASSERT_EQ(ring.ringRc(), RC_NO_MEMORY);
  EXPECT_EQ(ring.bufferCount(), 0u);
  RingElement* bufferP = nullptr;
  EXPECT_EQ(ring.lockEmptyBuffer(&bufferP), RC_NO_MEMORY);
  EXPECT_EQ(ring.lockFullBuffer(&bufferP), RC_NO_MEMORY);
  EXPECT_EQ(ring.cancelDataTransfer(), RC_NO_MEMORY);
  EXPECT_EQ(ring.resetRing(), RC_NO_MEMORY);
  EXPECT_EQ(ring.completeDataTransfer(), RC_NO_MEMORY);
}

TEST(BufferRingTest, ARingWhoseLockOrEventsCannotBeMadeRefusesEveryOperation) {
  const struct {
    psFaultPoint point;
    uint32_t skip;
  } rows[] = {{PS_FAULT_MUTEX_INIT, 0}, {PS_FAULT_EVENT_INIT, 0}, {PS_FAULT_EVENT_INIT, 1}};
  for (const auto& row : rows) {
    psFaultArm(row.point, row.skip, 1, ENOMEM);
    CBufferRing ring(2, 4);
    psFaultDisarmAll();
    EXPECT_EQ(ring.ringRc(), RC_INTERNAL_ERROR);
    RingElement* bufferP = nullptr;
    EXPECT_EQ(ring.lockEmptyBuffer(&bufferP), RC_INTERNAL_ERROR);
    EXPECT_EQ(ring.cancelDataTransfer(), RC_INTERNAL_ERROR);
    EXPECT_EQ(ring.resetRing(), RC_INTERNAL_ERROR);
  }
}

TEST(BufferRingTest, AFailingWaitEndsTheLockWithNothingLocked) {
  CBufferRing ring(1, 4);
  putBuffer(ring, 1, 1);
  psFaultArm(PS_FAULT_EVENT_WAIT, 0, 1, EINVAL);
  RingElement* bufferP = nullptr;
  EXPECT_EQ(ring.lockEmptyBuffer(&bufferP), RC_INTERNAL_ERROR);
  psFaultDisarmAll();
  EXPECT_EQ(bufferP, nullptr);
  ASSERT_EQ(ring.lockFullBuffer(&bufferP), 0);
  EXPECT_EQ(bufferP->ulCount, 1u);
}

TEST(BufferRingTest, BuffersOfZeroBytesTakeNoData) {
  CBufferRing ring(2, 0);
  RingElement* bufferP = nullptr;
  uint8_t byte = 7;
  EXPECT_EQ(ring.insertData(&bufferP, &byte, 1), RC_INTERNAL_ERROR);
  EXPECT_EQ(ring.fullCount(), 0u);
}

TEST(BufferRingTest, DataLeavesInTheOrderItWentIn) {
  CBufferRing ring(3, 4);
  putBuffer(ring, 10, 'a');
  putBuffer(ring, 4096, 'b');
  putBuffer(ring, 1, 'c');
  EXPECT_EQ(ring.fullCount(), 3u);
  for (auto [count, fill] : {std::pair{10u, 'a'}, {4096u, 'b'}, {1u, 'c'}}) {
    RingElement* bufferP = nullptr;
    ASSERT_EQ(ring.lockFullBuffer(&bufferP), 0);
    EXPECT_EQ(bufferP->ulCount, count);
    EXPECT_EQ(bufferP->bufferP[count - 1], fill);
    ASSERT_EQ(ring.unlockEmptyBuffer(bufferP), 0);
  }
  EXPECT_EQ(ring.fullCount(), 0u);
}

TEST(BufferRingTest, TheEndOfDataWithNoDataEndsTheConsumerAtOnce) {
  CBufferRing ring(2, 4);
  ASSERT_EQ(ring.completeDataTransfer(), 0);
  RingElement* bufferP = nullptr;
  EXPECT_EQ(ring.lockFullBuffer(&bufferP), RC_END_OF_DATA);
  EXPECT_EQ(bufferP, nullptr);
  EXPECT_EQ(ring.fullCount(), 0u);
  // A consumer that asks again is told again instead of waiting for ever.
  EXPECT_EQ(ring.lockFullBuffer(&bufferP), RC_END_OF_DATA);
}

TEST(BufferRingTest, TheEndOfDataComesBehindAllData) {
  CBufferRing ring(3, 4);
  putBuffer(ring, 100, 'x');
  ASSERT_EQ(ring.completeDataTransfer(), 0);
  RingElement* bufferP = nullptr;
  ASSERT_EQ(ring.lockFullBuffer(&bufferP), 0);
  EXPECT_EQ(bufferP->ulCount, 100u);
  ASSERT_EQ(ring.unlockEmptyBuffer(bufferP), 0);
  EXPECT_EQ(ring.lockFullBuffer(&bufferP), RC_END_OF_DATA);
}

TEST(BufferRingTest, TheProducerRunsAsManyBuffersAheadAsTheRingHoldsThenWaits) {
  CBufferRing ring(4, 4);
  for (int k = 0; k < 4; k++) putBuffer(ring, 1, static_cast<uint8_t>(k));
  EXPECT_EQ(ring.fullCount(), 4u);
  RingElement* freedP = nullptr;
  RingElement* gotP = nullptr;
  TestThread producer([&] { return ring.lockEmptyBuffer(&gotP); });
  ASSERT_EQ(ring.lockFullBuffer(&freedP), 0);
  ASSERT_EQ(ring.unlockEmptyBuffer(freedP), 0);
  EXPECT_EQ(producer.join(), 0);
  EXPECT_EQ(gotP, freedP);  // only the buffer given back could end the wait
  ASSERT_EQ(ring.unlockFullBuffer(gotP), 0);
}

TEST(BufferRingTest, ACancelWakesAWaitingSideAndHoldsUntilReset) {
  for (bool consumerWaits : {true, false}) {
    SCOPED_TRACE(consumerWaits ? "consumer waits on an empty ring"
                               : "producer waits on a full ring");
    CBufferRing ring(2, 4);
    if (!consumerWaits) {
      putBuffer(ring, 1, 1);
      putBuffer(ring, 1, 2);
    }
    RingElement* bufferP = nullptr;
    TestThread waiter([&] {
      return consumerWaits ? ring.lockFullBuffer(&bufferP) : ring.lockEmptyBuffer(&bufferP);
    });
    ASSERT_EQ(ring.cancelDataTransfer(), 0);
    EXPECT_EQ(waiter.join(), RC_RING_CANCELLED);
    EXPECT_EQ(bufferP, nullptr);
    EXPECT_EQ(ring.lockEmptyBuffer(&bufferP), RC_RING_CANCELLED);
    EXPECT_EQ(ring.lockFullBuffer(&bufferP), RC_RING_CANCELLED);
    ASSERT_EQ(ring.resetRing(), 0);
    putBuffer(ring, 3, 9);
    ASSERT_EQ(ring.lockFullBuffer(&bufferP), 0);
    EXPECT_EQ(bufferP->ulCount, 3u);
    ASSERT_EQ(ring.unlockEmptyBuffer(bufferP), 0);
  }
}

TEST(BufferRingTest, ResettingAnActiveRingWarnsAndStillResets) {
  TraceFileForTest trace({TRC_BUFFRING});
  CBufferRing ring(2, 4);
  putBuffer(ring, 5, 1);
  ASSERT_EQ(ring.resetRing(), 0);
  EXPECT_EQ(ring.fullCount(), 0u);
  EXPECT_NE(trace.text().find("Warning, possible programming error.\nResetting, what appears to "
                              "be, an active data transfer buffer ring.\n"),
            std::string::npos);
  RingElement* bufferP = nullptr;
  ASSERT_EQ(ring.lockEmptyBuffer(&bufferP), 0);
  EXPECT_EQ(bufferP->ulCount, 0u);
  ASSERT_EQ(ring.unlockFullBuffer(bufferP), 0);
  ASSERT_EQ(ring.lockFullBuffer(&bufferP), 0);
}

TEST(BufferRingTest, AResetAfterAThreadEndedHoldingABufferDoesNotHang) {
  CBufferRing ring(1, 4);
  RingElement* bufferP = nullptr;
  TestThread producer([&] { return ring.lockEmptyBuffer(&bufferP); });
  ASSERT_EQ(producer.join(), 0);  // ended with the only buffer locked
  ASSERT_EQ(ring.resetRing(), 0);
  putBuffer(ring, 2, 4);
  ASSERT_EQ(ring.lockFullBuffer(&bufferP), 0);
  EXPECT_EQ(bufferP->ulCount, 2u);
}

TEST(BufferRingTest, ABufferNotLockedCannotBeUnlocked) {
  CBufferRing ring(2, 4);
  RingElement* bufferP = nullptr;
  ASSERT_EQ(ring.lockEmptyBuffer(&bufferP), 0);
  ASSERT_EQ(ring.unlockFullBuffer(bufferP), 0);
  EXPECT_EQ(ring.unlockFullBuffer(bufferP), RC_INTERNAL_ERROR);
  EXPECT_EQ(ring.fullCount(), 1u);
}

TEST(BufferRingTest, CopiesOfZeroBytesLockNothing) {
  CBufferRing ring(2, 4);
  uint8_t byte = 0;
  RingElement* bufferP = nullptr;
  EXPECT_EQ(ring.insertData(&bufferP, &byte, 0), 0);
  EXPECT_EQ(ring.extractData(&bufferP, &byte, 0), 0);
  EXPECT_EQ(bufferP, nullptr);
  ASSERT_EQ(ring.lockEmptyBuffer(&bufferP), 0);
  RingElement* heldP = bufferP;
  EXPECT_EQ(ring.insertData(&bufferP, &byte, 0), 0);
  EXPECT_EQ(bufferP, heldP);
}

TEST(BufferRingTest, InsertingTwoAndAHalfBuffersHandsTwoOnAndKeepsTheThird) {
  CBufferRing ring(4, 4);
  std::vector<uint8_t> source = pattern(4096 * 3);
  RingElement* bufferP = nullptr;
  ASSERT_EQ(ring.insertData(&bufferP, source.data(), 4096 * 2 + 2048), 0);
  EXPECT_EQ(ring.fullCount(), 2u);
  ASSERT_NE(bufferP, nullptr);
  EXPECT_EQ(bufferP->ulCount, 2048u);
  // The next call goes on filling the kept buffer and hands it on once full.
  ASSERT_EQ(ring.insertData(&bufferP, source.data() + 4096 * 2 + 2048, 2048), 0);
  EXPECT_EQ(bufferP, nullptr);
  EXPECT_EQ(ring.fullCount(), 3u);
}

TEST(BufferRingTest, ExtractingLessThanABufferKeepsItForTheNextCall) {
  CBufferRing ring(3, 4);
  std::vector<uint8_t> source = pattern(6000);
  RingElement* inP = nullptr;
  ASSERT_EQ(ring.insertData(&inP, source.data(), 6000), 0);
  ASSERT_EQ(ring.unlockFullBuffer(inP), 0);  // the partly filled last buffer
  std::vector<uint8_t> out(6000);
  RingElement* outP = nullptr;
  ASSERT_EQ(ring.extractData(&outP, out.data(), 1000), 0);
  ASSERT_NE(outP, nullptr);
  EXPECT_EQ(outP->ulProcessed, 1000u);
  // Across the end of the first buffer into the second.
  ASSERT_EQ(ring.extractData(&outP, out.data() + 1000, 4000), 0);
  EXPECT_EQ(outP->ulProcessed, 5000u - 4096u);
  EXPECT_EQ(ring.fullCount(), 1u);
  ASSERT_EQ(ring.extractData(&outP, out.data() + 5000, 1000), 0);
  EXPECT_EQ(outP, nullptr);
  EXPECT_EQ(out, source);
}

TEST(BufferRingTest, AFullBufferWithoutDataIsSkippedByExtract) {
  CBufferRing ring(3, 4);
  putBuffer(ring, 0, 0);
  putBuffer(ring, 3, 'z');
  ASSERT_EQ(ring.completeDataTransfer(), 0);
  uint8_t out[3] = {};
  RingElement* bufferP = nullptr;
  ASSERT_EQ(ring.extractData(&bufferP, out, 3), 0);
  EXPECT_EQ(out[2], 'z');
  EXPECT_EQ(ring.extractData(&bufferP, out, 1), RC_END_OF_DATA);
  EXPECT_EQ(bufferP, nullptr);
}

TEST(BufferRingTest, ExtractPastTheEndCopiesWhatThereWasAndReturnsEndOfData) {
  CBufferRing ring(3, 4);
  const uint8_t source[5] = {1, 2, 3, 4, 5};
  RingElement* inP = nullptr;
  ASSERT_EQ(ring.insertData(&inP, source, 5), 0);
  ASSERT_EQ(ring.unlockFullBuffer(inP), 0);
  ASSERT_EQ(ring.completeDataTransfer(), 0);
  uint8_t out[8] = {};
  RingElement* outP = nullptr;
  uint32_t copied = 99;
  EXPECT_EQ(ring.extractData(&outP, out, 8, &copied), RC_END_OF_DATA);
  EXPECT_EQ(copied, 5u);
  EXPECT_EQ(outP, nullptr);
  EXPECT_EQ(std::memcmp(out, source, 5), 0);
}

// Two threads copy a stream in and out in pieces that fit no buffer boundary; the bytes arrive
// whole and in order, the end of data behind them.
TEST(BufferRingTest, InsertAndExtractCarryAStreamBetweenTwoThreads) {
  const uint32_t kTotal = 4096 * 5 / 2 * 41;  // two and a half buffers, 41 times
  std::vector<uint8_t> source = pattern(kTotal);
  std::vector<uint8_t> out(kTotal + 1);
  for (uint32_t buffers : {1u, 2u, 3u, 8u}) {
    SCOPED_TRACE(buffers);
    CBufferRing ring(buffers, 4);
    TestThread producer([&] {
      RingElement* bufferP = nullptr;
      const uint32_t pieces[] = {1, 10240, 0, 4095, 4097, 777};
      uint32_t done = 0;
      for (int k = 0; done < kTotal; k++) {
        uint32_t n = std::min(pieces[k % 6], kTotal - done);
        int rc = ring.insertData(&bufferP, source.data() + done, n);
        if (rc != RC_OK) return rc;
        done += n;
      }
      int rc = bufferP != nullptr ? ring.unlockFullBuffer(bufferP) : 0;
      return rc != RC_OK ? rc : ring.completeDataTransfer();
    });
    RingElement* bufferP = nullptr;
    const uint32_t pieces[] = {3000, 1, 8192, 4096, 0, 12289};
    uint32_t done = 0;
    int rc = 0;
    for (int k = 0; done < kTotal; k++) {
      uint32_t n = std::min(pieces[k % 6], kTotal - done);
      rc = ring.extractData(&bufferP, out.data() + done, n);
      ASSERT_EQ(rc, 0);
      done += n;
    }
    EXPECT_EQ(ring.extractData(&bufferP, out.data() + kTotal, 1), RC_END_OF_DATA);
    EXPECT_EQ(producer.join(), 0);
    EXPECT_TRUE(std::equal(source.begin(), source.end(), out.begin()));
  }
}

}  // namespace
