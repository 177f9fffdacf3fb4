// CPcm: the base of every transfer. One transfer moves one stream of bytes from a producer to a
// consumer through its own buffer ring. RUN starts three threads (producer, consumer, monitor),
// joins them and turns their exit codes into one return code; the monitor reports progress and
// hanging interface calls to the front end's status callback and turns the request's cancel
// flag into a cancel of the ring.
//
// A subclass supplies the producer and consumer bodies. In its constructor it names both
// interfaces and hands over both message buffers with setEnds;
// per run it calls `run` (or initializeRun, passRUNParameters and RUN) with a cancel flag,
// starts m_ElapsedTimer, sets m_ObjectSize when known and hands the bodies what they need.
// A body that fails calls cancel(), so the other side stops waiting and ends with 200.
//
// Threads: RUN's caller starts and joins the three threads. The producer body alone adds to
// m_BytesProduced and times calls on m_ProducerApiStatus, the consumer body likewise with
// m_BytesConsumed and m_ConsumerApiStatus; the monitor reads them without a lock. cancel() may
// run on any thread, any number of times. The request's cancel flag is written by another
// thread; it is read here as an atomic word, and a writer sets it as one
// (std::atomic_ref<uint32_t>(flag).store(1)).
//
// Codes of RUN: 0; the producer's failure; else the consumer's; else, when a side ended with
// 200, the monitor's (415 when the request was cancelled) or 200; 419 when the object was not
// set up for a run.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>

#include "agtrc.h"
#include "baseapi.h"
#include "baseeri.h"
#include "bufring.h"
#include "psthread.h"
#include "pstime.h"
#include "statusinfo.h"

// Progress interval of a transfer unless the request asks for another.
constexpr uint32_t kPcmDefaultStatusMilliSeconds = 1000;
// The monitor looks at the request's cancel flag at least this often.
constexpr uint32_t kPcmCancelCheckMilliSeconds = 500;
// A transfer that waits for stripe threads looks at the cancel this often meanwhile.
constexpr uint32_t kPcmStripeWaitMilliSeconds = 50;
// An interface call counts as delayed once it has run longer than this.
constexpr double kPcmApiDelaySeconds = 7.0;
// Capacity of the transfer's own message buffer.
constexpr uint16_t kPcmMsgBufferSize = 1024;

// Which of the three threads decided a transfer's result.
enum PcmResultSource { pcmResultNone, pcmResultProducer, pcmResultConsumer, pcmResultMonitor };

struct PcmResult {
  int rc;
  PcmResultSource source;
};

// The result rule of a transfer from the exit codes of its three threads.
PcmResult pcmDecideResult(int producerRc, int consumerRc, int monitorRc);

struct IClientVirtualDevice;
struct VDC_Command;

class CPcm {
 public:
  // The ring gets numBuffers buffers of bufferSizeKb kilobytes.
  CPcm(uint32_t numBuffers, uint32_t bufferSizeKb);
  virtual ~CPcm();
  CPcm(const CPcm&) = delete;
  CPcm& operator=(const CPcm&) = delete;

  virtual int consumer() = 0;
  virtual int producer() = 0;
  virtual int RUN();
  // Called by the monitor with a cleared record (its command word as the caller set it);
  // sends a wait or a progress report. Returns 0.
  virtual int giveProgressStatus(StatusInfo status);

  // Prepares a new run: counters, flags, parameters and message texts cleared. Returns 0.
  int initializeRun();
  // Stores the run's parameters: the progress interval (0 means the default, 1000 ms), the
  // status callback or null, and the request's cancel flag. Returns 0.
  int passRUNParameters(uint32_t statusMilliSeconds, StatusFunction statusFunctionP,
                        uint32_t* cancelledP);
  // initializeRun, passRUNParameters and RUN, each only while the code is 0.
  int run(uint32_t statusMilliSeconds, StatusFunction statusFunctionP, uint32_t* cancelledP);
  // Cancels the run: both sides leave their ring waits with 200. Returns 0.
  int cancel();
  // The monitor thread's body: 415 when the request was cancelled, else 0.
  int monitor();

  // After RUN: the text that explains the result (the failing side's or the transfer's own),
  // null on success.
  const char* resultMessage() const { return m_ResultMsgP; }

  // Thread start routines; each is given the transfer object.
  static uint32_t runProducer(void* pcmP);
  static uint32_t runConsumer(void* pcmP);
  static uint32_t runMonitor(void* pcmP);
  static uint32_t runRUN(void* pcmP);

 protected:
  // The virtual device transfer ends run as one side of any transfer (vdimover.h).
  friend int produceFromVdi(CPcm* pcmP, IClientVirtualDevice* vdevP, VDC_Command** vdevCommandPP);
  friend int consumeToVdi(CPcm* pcmP, IClientVirtualDevice* vdevP, VDC_Command** vdevCommandPP);
  // Every other transfer end reaches the transfer through CPcmEnd (pcmend.h).
  friend class CPcmEnd;

  // Names the producer's and the consumer's interface (apiNameP of both timing records) and
  // hands over the subclass's message buffer of each side with its capacity.
  void setEnds(const char* producerApiP, char* producerMsgP, uint16_t producerMsgLen,
               const char* consumerApiP, char* consumerMsgP, uint16_t consumerMsgLen);
  template <size_t ProducerSize, size_t ConsumerSize>
  void setEnds(const char* producerApiP, char (&producerMsg)[ProducerSize],
               const char* consumerApiP, char (&consumerMsg)[ConsumerSize]) {
    static_assert(ProducerSize <= UINT16_MAX && ConsumerSize <= UINT16_MAX);
    setEnds(producerApiP, producerMsg, ProducerSize, consumerApiP, consumerMsg, ConsumerSize);
  }
  // The frame of a producer body: RC_RING_CANCELLED when stopped() holds before or after
  // produce(), else produce()'s failure, else the code of marking the end of data. Cancels the
  // transfer on any failure.
  template <typename Stopped, typename Produce>
  int produceToEnd(Stopped stopped, Produce produce) {
    int rc = stopped() ? RC_RING_CANCELLED : produce();
    if (rc == RC_OK && stopped()) rc = RC_RING_CANCELLED;
    if (rc == RC_OK) rc = m_Ring.completeDataTransfer();
    if (rc != RC_OK) cancel();
    return rc;
  }
  // Waits until one of `count` threads (1 to 64) has ended and stores its position, as
  // psThreadWaitForAnyThread does, but looks at the request's cancel flag and at this
  // transfer's cancel between short waits: the first time either is set (and *cancelSentP is
  // still false) it cancels this transfer, calls cancelStripes and sets *cancelSentP. So a
  // cancel reaches the stripe threads as soon as it is made, not a monitor's look later.
  template <typename CancelStripes>
  int waitForAnyStripe(const psThread* threadsP, uint32_t* indexP, uint32_t count,
                       bool* cancelSentP, CancelStripes cancelStripes) {
    for (;;) {
      if (!*cancelSentP && (cancelRequested() || m_Cancelled.load() != 0)) {
        *cancelSentP = true;
        cancel();
        cancelStripes();
      }
      int rc = psThreadWaitForAnyThreadFor(threadsP, indexP, count, kPcmStripeWaitMilliSeconds);
      if (rc != RC_OK || *indexP < count) return rc;
    }
  }
  // When a call timed on apiStatus has run longer than kPcmApiDelaySeconds: traces it and, when
  // mayReport and a callback is set, sends *statusP as a wait report naming the interface.
  // True when a report was sent.
  bool reportDelay(const DPelkApiStatus& apiStatus, StatusInfo* statusP, bool mayReport);
  // The monitor's pause between its looks: returns true as soon as the run's producer and
  // consumer have ended, false once `milliseconds` have passed before that. Tests replace it.
  virtual bool waitForEnd(uint32_t milliseconds);
  // Marks the run's producer and consumer as ended and wakes the monitor.
  void signalEnd();
  // True once after a cancel woke the monitor's wait (EriCancelWake), and clears that.
  bool takeCancelWake();
  bool cancelRequested() const;

  std::atomic<uint64_t> m_BytesConsumed{0};  // delivered by the consumer body ("Written")
  std::atomic<uint64_t> m_BytesProduced{0};  // taken in by the producer body ("Read")
  uint16_t m_ConsumerErrorMsgLen = 0;
  uint16_t m_ProducerErrorMsgLen = 0;
  DPelkApiStatus m_ConsumerApiStatus;
  char* m_ConsumerErrorMsgP = nullptr;      // the subclass's buffer for the consumer's failure
  uint32_t* m_ProcessCancelledP = nullptr;  // the request's cancel flag, 1 = cancel
  DPelkApiStatus m_ProducerApiStatus;
  char* m_ProducerErrorMsgP = nullptr;       // the subclass's buffer for the producer's failure
  char m_MsgBuffer[kPcmMsgBufferSize] = {};  // the transfer's own text
  // Size of the object in transfer, 0 when unknown: set by the body that learns it (a
  // consumer or producer thread), read by the monitor.
  std::atomic<uint64_t> m_ObjectSize{0};
  CBufferRing m_Ring;
  std::atomic<uint32_t> m_Cancelled{0};  // 1 once cancel ran in this run
  const char* m_ResultMsgP = nullptr;
  psTimer m_ElapsedTimer;                 // started by the subclass before RUN; read by the monitor
  std::mutex m_DoneMutex;                 // guards m_Done
  std::condition_variable m_DoneChanged;  // notified when m_Done is set
  bool m_Done = false;                    // set by RUN when producer and consumer have ended
  bool m_CancelWoken = false;             // guarded by m_DoneMutex: a cancel woke the monitor
  uint32_t m_StatusMilliSeconds = kPcmDefaultStatusMilliSeconds;
  StatusFunction m_StatusFunctionP = nullptr;

 private:
  int checkSetup();
  int startThreads(psThread threads[], uint32_t* countP);
  int joinThreads(psThread threads[], uint32_t count);
  int decide(psThread threads[]);
  void traceProgress(const StatusProgress& progress);
  uint32_t statusInterval() const;
};
