#include "pcm.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "baseeri.h"
#include "pcm_testutil.h"
#include "psfault.h"
#include "trcfile_testutil.h"

namespace {

constexpr uint64_t kMiB = 1024 * 1024;

// Status interval of the streaming tests: short, so a run ends soon after its sides.
constexpr uint32_t kQuickStatusMs = 5;

// The reports of the last test, as the callback received them.
std::vector<StatusInfo> gReports;
int recordReport(StatusInfo status) {
  gReports.push_back(status);
  return 0;
}

// The trace texts other than the entry and exit lines.
std::vector<std::string> stepTexts(const TraceFileForTest& trace) {
  std::vector<std::string> result;
  for (const std::string& text : trace.texts()) {
    if (text.rfind("Enter ", 0) != 0 && text.rfind("Exit ", 0) != 0) result.push_back(text);
  }
  return result;
}

void setCancel(uint32_t* flagP) {
  std::atomic_ref<uint32_t>(*flagP).store(1);
}

void expectWhole(CStreamTransfer& transfer, uint64_t total) {
  EXPECT_EQ(transfer.bytesProduced(), total);
  EXPECT_EQ(transfer.bytesConsumed(), total);
  EXPECT_EQ(transfer.checksum(), StreamPattern::checksum(total));
  EXPECT_EQ(transfer.resultMessage(), nullptr);
}

// Streams `total` bytes through a ring of the given shape and checks that they all arrived.
void streamWhole(uint32_t buffers, uint32_t kilobytes, uint64_t total, StreamMode producerMode,
                 StreamMode consumerMode) {
  SCOPED_TRACE(std::to_string(total) + " bytes through " + std::to_string(buffers) + " x " +
               std::to_string(kilobytes) + " KB");
  CStreamTransfer transfer(buffers, kilobytes, total);
  transfer.producerSide.mode = producerMode;
  transfer.consumerSide.mode = consumerMode;
  uint32_t cancelled = 0;
  ASSERT_EQ(transfer.runStream(kQuickStatusMs, nullptr, &cancelled), 0);
  expectWhole(transfer, total);
}

TEST(PcmResultTest, TheProducerThenTheConsumerThenTheMonitorDecide) {
  const struct {
    int producer, consumer, monitor, rc;
    PcmResultSource source;
  } rows[] = {
      {0, 0, 0, 0, pcmResultNone},
      {0, 0, 415, 0, pcmResultNone},  // the sides finished before the cancel took hold
      {418, 200, 0, 418, pcmResultProducer},
      {418, 421, 415, 418, pcmResultProducer},  // the producer's failure wins
      {200, 418, 415, 418, pcmResultConsumer},
      {0, 427, 0, 427, pcmResultConsumer},
      {200, 200, 0, 200, pcmResultMonitor},
      {200, 200, 415, 415, pcmResultMonitor},
      {0, 200, 415, 415, pcmResultMonitor},
      {200, 0, 0, 200, pcmResultMonitor},
  };
  for (const auto& row : rows) {
    PcmResult result = pcmDecideResult(row.producer, row.consumer, row.monitor);
    EXPECT_EQ(result.rc, row.rc) << row.producer << " " << row.consumer << " " << row.monitor;
    EXPECT_EQ(result.source, row.source) << row.producer << " " << row.consumer;
  }
}

// Rings of 1 to 8 buffers of 4 KiB to 4 MiB, each side cut its own way.
class PcmStreamTest : public ::testing::TestWithParam<std::tuple<uint32_t, uint32_t>> {};

TEST_P(PcmStreamTest, TheStreamArrivesWholeAndInOrder) {
  auto [buffers, kilobytes] = GetParam();
  streamWhole(buffers, kilobytes, 24 * kMiB + 12345,
              buffers % 2 == 0 ? streamByPieces : streamByBuffer,
              buffers % 3 == 0 ? streamByPieces : streamByBuffer);
}

INSTANTIATE_TEST_SUITE_P(Rings, PcmStreamTest,
                         ::testing::Combine(::testing::Range(1u, 9u),
                                            ::testing::Values(4u, 64u, 1024u, 4096u)));

// ThreadSanitizer watches every byte copied; a quarter of the stream finds the same races.
#ifdef __SANITIZE_THREAD__
constexpr uint64_t kLongStreamBytes = 256 * kMiB;
#else
constexpr uint64_t kLongStreamBytes = 1024 * kMiB;
#endif

TEST(PcmTest, AGibibyteArrivesWhole) {
  streamWhole(3, 1024, kLongStreamBytes, streamByBuffer, streamByBuffer);
  streamWhole(8, 4, kLongStreamBytes, streamByPieces, streamByPieces);
}

TEST(PcmTest, EmptyAndPartBufferStreamsInBothCuts) {
  for (uint64_t total : {uint64_t{0}, uint64_t{4096 * 5 / 2}}) {
    streamWhole(3, 4, total, streamByBuffer, streamByBuffer);
    streamWhole(3, 4, total, streamByPieces, streamByPieces);
  }
}

TEST(PcmTest, AFailingSideDecidesTheResultWithItsText) {
  const struct {
    uint64_t producerAt;
    int producerRc;
    uint64_t consumerAt;
    int consumerRc, rc;
    const char* textP;
  } rows[] = {
      {3 * kMiB, 418, 0, 0, 418, "stream side failed with 418"},
      {0, 0, kMiB, 427, 427, "stream side failed with 427"},
      {0, 418, 0, 421, 418, "stream side failed with 418"},  // both fail: the producer wins
      {kMiB, 200, 0, 0, 200, ""},  // stopped inside the ring, the request not cancelled
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.rc);
    CStreamTransfer transfer(2, 4, 10 * kMiB);
    transfer.producerSide.failAt = row.producerAt;
    transfer.producerSide.failRc = row.producerRc;
    transfer.consumerSide.failAt = row.consumerAt;
    transfer.consumerSide.failRc = row.consumerRc;
    uint32_t cancelled = 0;
    EXPECT_EQ(transfer.runStream(kQuickStatusMs, nullptr, &cancelled), row.rc);
    ASSERT_NE(transfer.resultMessage(), nullptr);
    EXPECT_STREQ(transfer.resultMessage(), row.textP);
  }
}

// A transfer whose set-up the tests can spoil.
class CSpoiledTransfer : public CStreamTransfer {
 public:
  CSpoiledTransfer() : CStreamTransfer(2, 4, kMiB) {}
  void spoil(int field) {
    switch (field) {
      case 0:
        m_ProducerApiStatus.apiNameP = nullptr;
        break;
      case 1:
        m_ConsumerApiStatus.apiNameP = nullptr;
        break;
      case 2:
        m_ConsumerErrorMsgLen = 0;
        break;
      case 3:
        m_ProducerErrorMsgLen = 0;
        break;
      case 4:
        m_ConsumerErrorMsgP = nullptr;
        break;
      case 5:
        m_ProducerErrorMsgP = nullptr;
        break;
    }
  }
};

TEST(PcmTest, ATransferNotSetUpStartsNoThread) {
  TraceFileForTest trace({TRC_PCM});
  for (int field = 0; field < 6; field++) {
    CSpoiledTransfer transfer;
    transfer.spoil(field);
    uint32_t cancelled = 0;
    EXPECT_EQ(transfer.runStream(kQuickStatusMs, nullptr, &cancelled), RC_INTERNAL_ERROR);
    EXPECT_EQ(transfer.bytesProduced(), 0u);
  }
  CSpoiledTransfer transfer;
  EXPECT_EQ(transfer.runStream(kQuickStatusMs, nullptr, nullptr), RC_INTERNAL_ERROR);
  EXPECT_EQ(transfer.bytesProduced(), 0u);
  std::string text = trace.text();
  EXPECT_NE(text.find("The base pcm object was not properly initialized.\n"), std::string::npos);
  EXPECT_NE(text.find("A required CPcm::RUN() parameter was not passed.\n"), std::string::npos);
}

// The producer, the consumer or the monitor cannot be started: the run returns the failure
// after stopping and joining the threads already running, and the next run works.
TEST(PcmTest, AThreadThatCannotStartEndsTheRunAfterTheOthers) {
  for (uint32_t started : {0u, 1u, 2u}) {
    SCOPED_TRACE(started);
    CStreamTransfer transfer(2, 4, 0);
    transfer.endless = true;
    uint32_t cancelled = 0;
    psFaultArm(PS_FAULT_THREAD_CREATE, started, 1, EAGAIN);
    EXPECT_EQ(transfer.runStream(kQuickStatusMs, nullptr, &cancelled), RC_INTERNAL_ERROR);
    psFaultDisarmAll();
    transfer.endless = false;
    transfer.setTotal(kMiB);
    ASSERT_EQ(transfer.runStream(kQuickStatusMs, nullptr, &cancelled), 0);
    expectWhole(transfer, kMiB);
  }
}

// The request cancels at a random instant while one side is slow, so the other side is mostly
// waiting in the ring: the run ends with 415, every thread joined, and the same object then
// streams again through its reset ring.
TEST(PcmTest, ACancelAtARandomInstantEndsTheRunWith415AndTheRingIsReused) {
  std::mt19937 random(20261210);
  for (bool producerWaits : {true, false}) {
    SCOPED_TRACE(producerWaits ? "producer waits" : "consumer waits");
    CStreamTransfer transfer(2, 4, 0);
    transfer.endless = true;
    (producerWaits ? transfer.consumerSide : transfer.producerSide).sleepEvery = 1;
    for (int round = 0; round < 8; round++) {
      uint32_t cancelled = 0;
      uint32_t delayMs = std::uniform_int_distribution<uint32_t>(0, 20)(random);
      psThread canceller = nullptr;
      struct Cancel {
        uint32_t* flagP;
        uint32_t delayMs;
      } cancel = {&cancelled, delayMs};
      ASSERT_EQ(psThreadCreate(
                    &canceller,
                    [](void* argP) -> uint32_t {
                      auto* c = static_cast<Cancel*>(argP);
                      psSleep(c->delayMs);
                      setCancel(c->flagP);
                      return 0;
                    },
                    &cancel),
                0);
      EXPECT_EQ(transfer.runStream(kQuickStatusMs, nullptr, &cancelled), RC_CANCELED_BY_USER)
          << "cancel after " << delayMs << " ms";
      ASSERT_EQ(psThreadWaitForThreads(&canceller, 1), 0);
      ASSERT_EQ(psThreadRelease(&canceller), 0);
    }
    transfer.endless = false;
    transfer.setTotal(3 * kMiB + 1);
    transfer.producerSide.sleepEvery = 0;
    transfer.consumerSide.sleepEvery = 0;
    uint32_t cancelled = 0;
    ASSERT_EQ(transfer.runStream(kQuickStatusMs, nullptr, &cancelled), 0);
    expectWhole(transfer, 3 * kMiB + 1);
  }
}

// A transfer run again without a new set-up (a restore stripe runs once per data object) has a
// monitor of its own in the second run, which sees the request's cancel.
TEST(PcmTest, ASecondRunWithoutANewSetUpStillSeesTheCancel) {
  CStreamTransfer transfer(2, 4, kMiB);
  uint32_t cancelled = 0;
  ASSERT_EQ(transfer.runStream(kQuickStatusMs, nullptr, &cancelled), 0);
  transfer.setTotal(64 * kMiB);  // some seconds at one buffer a millisecond
  transfer.consumerSide.sleepEvery = 1;
  std::thread canceller([&] {
    psSleep(20);
    setCancel(&cancelled);
  });
  EXPECT_EQ(transfer.RUN(), RC_CANCELED_BY_USER);
  canceller.join();
}

// A counter that the monitor's waits move: 1000 counts per millisecond.
struct FakeClock {
  static inline int64_t now = 0;
  static int read(int64_t* countP) {
    *countP = now;
    return 1;
  }
  static int frequency(int64_t* countsPerSecondP) {
    *countsPerSecondP = 1000000;
    return 1;
  }
};
const psClock kFakeClock = {FakeClock::read, FakeClock::frequency};

// A transfer whose monitor runs on the test's thread with a wait that only moves the clock.
class CWatchedTransfer : public CStreamTransfer {
 public:
  CWatchedTransfer() : CStreamTransfer(3, 4, 0) {}

  // Arms a run of the monitor alone: the transfer ends during wait number `waits`; the
  // request's cancel flag is set during wait number `cancelAt` (0: never).
  void arm(uint32_t statusMs, StatusFunction statusFunctionP, uint32_t waits, uint32_t cancelAt) {
    initializeRun();
    passRUNParameters(statusMs, statusFunctionP, &m_CancelFlag);
    m_ElapsedTimer.start();
    m_WaitsLeft = waits;
    m_CancelAt = cancelAt;
    waitedMs.clear();
    cancelledBeforeWait.clear();
  }
  DPelkApiStatus& apiStatus(bool producer) {
    return producer ? m_ProducerApiStatus : m_ConsumerApiStatus;
  }
  void setCounters(uint64_t consumed, uint64_t produced, uint64_t objectSize) {
    m_BytesConsumed = consumed;
    m_BytesProduced = produced;
    m_ObjectSize = objectSize;
  }
  // The real wait and the end signal, for the tests of the wait itself.
  bool realWaitForEnd(uint32_t ms) { return CPcm::waitForEnd(ms); }
  void endRun() { signalEnd(); }
  // From now on every wait of the monitor is a real one of an hour, whatever it asks for.
  void waitHours() { m_WaitHours = true; }
  bool cancelledRun() const { return m_Cancelled == 1; }
  uint32_t* cancelFlag() { return &m_CancelFlag; }
  std::atomic<int> waitsStarted{0};

  std::vector<uint32_t> waitedMs;
  std::vector<bool> cancelledBeforeWait;  // whether the monitor had cancelled the run yet

 private:
  // An ending transfer ends the wait early, so the last wait moves the clock by half its time.
  bool waitForEnd(uint32_t ms) override {
    if (m_WaitHours) {
      ++waitsStarted;
      return CPcm::waitForEnd(3600 * 1000);
    }
    waitedMs.push_back(ms);
    cancelledBeforeWait.push_back(m_Cancelled == 1);
    if (waitedMs.size() == m_CancelAt) m_CancelFlag = 1;
    bool ended = --m_WaitsLeft == 0;
    FakeClock::now += int64_t{ended ? ms / 2 : ms} * 1000;
    return ended;
  }
  bool m_WaitHours = false;
  uint32_t m_CancelFlag = 0;
  uint32_t m_WaitsLeft = 0;
  uint32_t m_CancelAt = 0;
};

class PcmMonitorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    FakeClock::now = 1000000;
    psTimerSetClock(&kFakeClock);
    gReports.clear();
  }
  void TearDown() override { psTimerSetClock(nullptr); }
};

// The transfer ends halfway through the last wait; its report follows at once.
TEST_F(PcmMonitorTest, ReportsEveryIntervalInWaitsOfAtMostHalfASecond) {
  const struct {
    uint32_t statusMs;
    uint32_t waits;
    std::vector<uint32_t> waitedMs;
    std::vector<double> reportedSeconds;  // the last one is the report after the run
  } rows[] = {
      {1700, 8, {500, 500, 500, 200, 500, 500, 500, 200}, {1.7, 3.3}},
      {300, 3, {300, 300, 300}, {0.3, 0.6, 0.75}},
      {500, 2, {500, 500}, {0.5, 0.75}},
      {0, 3, {500, 500, 500}, {1.0, 1.25}},  // 0 means the default interval, never a spin
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.statusMs);
    gReports.clear();
    CWatchedTransfer transfer;
    transfer.arm(row.statusMs, recordReport, row.waits, 0);
    EXPECT_EQ(transfer.monitor(), 0);
    EXPECT_EQ(transfer.waitedMs, row.waitedMs);
    ASSERT_EQ(gReports.size(), row.reportedSeconds.size());
    for (size_t k = 0; k < gReports.size(); k++) {
      EXPECT_EQ(gReports[k].kind, progressStatus);
      EXPECT_DOUBLE_EQ(gReports[k].progress.elapsedSeconds, row.reportedSeconds[k]) << k;
    }
  }
}

TEST_F(PcmMonitorTest, ACancelIsActedOnWithinHalfASecondWhateverTheInterval) {
  CWatchedTransfer transfer;
  transfer.arm(10000, recordReport, 5, 3);
  EXPECT_EQ(transfer.monitor(), RC_CANCELED_BY_USER);
  EXPECT_EQ(transfer.waitedMs, (std::vector<uint32_t>{500, 500, 500, 500, 500}));
  // Set during the third wait, acted on before the fourth.
  EXPECT_EQ(transfer.cancelledBeforeWait, (std::vector<bool>{false, false, false, true, true}));
  RingElement* bufferP = nullptr;
  EXPECT_EQ(transfer.ring().lockEmptyBuffer(&bufferP), RC_RING_CANCELLED);
  ASSERT_EQ(gReports.size(), 1u);  // only the report after the run
}

// The monitor's wait ends when the transfer does, whether the end comes during the wait or
// before it; a lost wake-up would hold the test for an hour.
TEST(PcmTest, TheMonitorsWaitEndsWhenTheTransferEnds) {
  constexpr uint32_t kHourMs = 3600 * 1000;
  CWatchedTransfer transfer;
  transfer.arm(1000, nullptr, 1, 0);
  EXPECT_FALSE(transfer.realWaitForEnd(1));
  struct Waiter {
    CWatchedTransfer* transferP;
    std::atomic<bool> ended{false};
  } waiter{&transfer};
  psThread thread = nullptr;
  ASSERT_EQ(psThreadCreate(
                &thread,
                [](void* argP) -> uint32_t {
                  auto* w = static_cast<Waiter*>(argP);
                  w->ended = w->transferP->realWaitForEnd(kHourMs);
                  return 0;
                },
                &waiter),
            0);
  transfer.endRun();
  ASSERT_EQ(psThreadWaitForThreads(&thread, 1), 0);
  ASSERT_EQ(psThreadRelease(&thread), 0);
  EXPECT_TRUE(waiter.ended);
  EXPECT_TRUE(transfer.realWaitForEnd(kHourMs));
  transfer.arm(1000, nullptr, 1, 0);  // a new run has not ended
  EXPECT_FALSE(transfer.realWaitForEnd(1));
}

// A cancel made through the request wakes the monitor in its wait: with waits of an hour, the
// monitor still cancels the transfer, and ends with 415 when the run ends; a lost wake-up would
// hold the test for an hour.
TEST(PcmTest, ACancelThroughTheRequestWakesTheMonitorAtOnce) {
  struct Request final : DBaseEri {
    using DBaseEri::DBaseEri;
    int SetupEnvironment() override { return RC_OK; }
    int CleanupEnvironment() override { return RC_OK; }
    int ProcessRequestDetails() override { return RC_OK; }
  };
  CWatchedTransfer transfer;
  transfer.arm(1000, nullptr, 1, 0);
  transfer.waitHours();
  Request request(transfer.cancelFlag());
  std::atomic<int> monitorRc{-1};
  std::thread monitor([&] { monitorRc = transfer.monitor(); });
  while (transfer.waitsStarted.load() == 0) psSleep(1);
  request.SetCancel();
  while (!transfer.cancelledRun()) psSleep(1);
  transfer.endRun();
  monitor.join();
  EXPECT_EQ(monitorRc.load(), RC_CANCELED_BY_USER);
  EXPECT_GE(transfer.waitsStarted.load(), 2);  // the wait it was woken from, and the next
}

// The monitor looks at the interface calls of the producer and the consumer while their
// threads start and end them; ThreadSanitizer checks that nothing it reads is being written.
TEST(PcmTest, TheMonitorWatchesCallsWhileTheirThreadsStartAndEndThem) {
  CWatchedTransfer transfer;
  transfer.arm(1000, nullptr, 1, 0);
  std::atomic<int> running{2};
  auto caller = [&](bool producer) {
    DPelkApiStatus& api = transfer.apiStatus(producer);
    for (int call = 0; call < 20000; ++call) {
      DBaseApi::StartApiCall(&api);
      DBaseApi::EndApiCall(&api, api.apiNameP);
    }
    --running;
  };
  std::thread producer(caller, true);
  std::thread consumer(caller, false);
  int reports = 0;
  while (running > 0 || reports == 0) {
    transfer.giveProgressStatus(StatusInfo{});
    ++reports;
  }
  producer.join();
  consumer.join();
  EXPECT_EQ(transfer.apiStatus(true).inApiCall, 0u);
}

TEST_F(PcmMonitorTest, AProgressReportCarriesTheCountersAndKeepsTheCommand) {
  CWatchedTransfer transfer;
  transfer.arm(1000, recordReport, 1, 0);
  transfer.setCounters((uint64_t{5} << 32) + 1, (uint64_t{6} << 32) + 2, uint64_t{7} << 32);
  RingElement* bufferP = nullptr;
  ASSERT_EQ(transfer.ring().lockEmptyBuffer(&bufferP), 0);
  ASSERT_EQ(transfer.ring().unlockFullBuffer(bufferP), 0);
  FakeClock::now += 2500 * 1000;
  StatusInfo given{};
  given.command = 3;
  transfer.giveProgressStatus(given);
  ASSERT_EQ(gReports.size(), 1u);
  const StatusInfo& report = gReports[0];
  EXPECT_EQ(report.kind, progressStatus);
  EXPECT_EQ(report.command, 3u);
  EXPECT_EQ(report.progress.bytesConsumed, (uint64_t{5} << 32) + 1);
  EXPECT_EQ(report.progress.bytesProduced, (uint64_t{6} << 32) + 2);
  EXPECT_EQ(report.progress.fullBuffers, 1u);
  EXPECT_EQ(report.progress.objectSize, uint64_t{7} << 32);
  EXPECT_DOUBLE_EQ(report.progress.elapsedSeconds, 2.5);
}

// A call that has run exactly 7.0 seconds is not yet a delay; 7.01 seconds is. While a call
// is delayed only wait reports go out, naming the producer's interface first.
TEST_F(PcmMonitorTest, ACallOfMoreThanSevenSecondsTurnsProgressIntoWaitReports) {
  const struct {
    bool producerInCall, consumerInCall;
    int64_t callMs;
    uint32_t kind;
    const char* apiNameP;
  } rows[] = {
      {true, false, 7000, progressStatus, nullptr},   {true, false, 7010, waitStatus, "Sql"},
      {false, true, 7010, waitStatus, "HUBLOR"},      {true, true, 7010, waitStatus, "Sql"},
      {false, false, 60000, progressStatus, nullptr},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(std::to_string(row.callMs) + (row.producerInCall ? " producer" : "") +
                 (row.consumerInCall ? " consumer" : ""));
    gReports.clear();
    CWatchedTransfer transfer;
    transfer.arm(1000, recordReport, 1, 0);
    for (bool producer : {true, false}) {
      if (producer ? row.producerInCall : row.consumerInCall)
        DBaseApi::StartApiCall(&transfer.apiStatus(producer));
    }
    FakeClock::now += row.callMs * 1000;
    transfer.giveProgressStatus(StatusInfo{});
    ASSERT_EQ(gReports.size(), 1u);
    EXPECT_EQ(gReports[0].kind, row.kind);
    if (row.apiNameP != nullptr) {
      EXPECT_STREQ(gReports[0].wait.apiNameP, row.apiNameP);
    }
  }
}

TEST_F(PcmMonitorTest, WithoutACallbackOnlyTheTraceShowsProgressAndDelays) {
  TraceFileForTest trace({TRC_PCM});
  CWatchedTransfer transfer;
  transfer.arm(1000, nullptr, 1, 0);
  transfer.setCounters(2048, 4096, 0);
  for (bool producer : {true, false}) DBaseApi::StartApiCall(&transfer.apiStatus(producer));
  FakeClock::now += 8000 * 1000;
  transfer.giveProgressStatus(StatusInfo{});
  EXPECT_TRUE(gReports.empty());
  std::vector<std::string> texts = stepTexts(trace);
  std::vector<std::string> expected = {
      " Sql API delay detected, total delay = 8 seconds",
      " HUBLOR API delay detected, total delay = 8 seconds",
      "Full:   0  Read:         4096  Written:         2048  Rate:    0.25 Kb/Sec",
  };
  EXPECT_EQ(texts, expected);
}

TEST_F(PcmMonitorTest, ARateIsZeroWhileNoTimeHasPassed) {
  TraceFileForTest trace({TRC_PCM});
  CWatchedTransfer transfer;
  transfer.arm(1000, recordReport, 1, 0);
  transfer.setCounters(2048, 2048, 0);
  transfer.giveProgressStatus(StatusInfo{});
  ASSERT_EQ(gReports.size(), 1u);
  EXPECT_EQ(gReports[0].progress.elapsedSeconds, 0.0);
  EXPECT_EQ(stepTexts(trace),
            std::vector<std::string>{
                "Full:   0  Read:         2048  Written:         2048  Rate:    0.00 Kb/Sec"});
}

}  // namespace
