// CRestoreStripe: one virtual device of a database restore. It answers the commands SQL Server
// sends to its device and, each time SQL Server asks for data while no object is in transfer,
// takes the next data object of the backup from the list that every stripe of the restore
// shares, fetches it over the stripe's own storage session into its ring and feeds the ring to
// the device. One stripe may so deliver several data objects one after another, which lets a
// backup made with N stripes be restored over fewer devices.
//
// Per run: initializeRun, passRUNParameters, then RUN on a thread of its own (CPcm::runRUN).
// Per data object RUN runs one CPcm::RUN with its producer (the storage object into the ring),
// consumer (the ring to the device) and monitor.
//
// Threads: the list mutex guards the shared last-taken pointer only while a stripe picks its
// next object. The cancel flag handed in is the database restore's own; it reaches the
// transfer of each object through the monitor, and the stripe also looks at it between
// objects. The byte counters and timing records are read by the database restore's monitor
// without a lock (single writers).
//
// Codes of RUN: 0; 415 cancelled; 419 not prepared; 418 a storage failure (logon, begin, end or
// termination of the retrieval) with the interface's text; 428 the device set was aborted;
// 1915 another device failure; a code of the object's transfer.
#pragma once

#include <cstdint>

#include "moxtarutil.h"
#include "objinfo.h"
#include "pcm.h"
#include "psthread.h"
#include "sqloprec.h"

// Capacity of each side's message buffer of a stripe.
constexpr uint16_t RESTORE_STRIPE_MSG_SIZE = 3584;

class CRestoreStripe : public CPcm {
 public:
  CRestoreStripe(uint32_t numBuffers, uint32_t bufferSize);
  ~CRestoreStripe() override;

  // CPcm::initializeRun, and the stripe's own state cleared. Returns the base's code.
  int initializeRun();
  // The run's parameters; the session is the record's. Returns the base's code.
  int passRUNParameters(uint32_t statusMilliSeconds, StatusFunction statusFunctionP,
                        MoxtarDbInfo** lastMoxtarDbInfoRestoredPP, psMutex* moxtarDbInfoListLockP,
                        MoxtarBackupList* moxtarDbInfoListP, RestoreStripeData* stripeDataP,
                        uint32_t* cancelledP, uint32_t mountWait);
  int RUN() override;
  int producer() override;
  int consumer() override;

  // Read by the database restore's monitor and after the run.
  uint64_t bytesConsumed() const { return m_BytesConsumed.load(); }
  uint64_t bytesProduced() const { return m_BytesProduced.load(); }
  uint32_t fullBuffers() const { return m_Ring.fullCount(); }
  const DPelkApiStatus& producerApiStatus() const { return m_ProducerApiStatus; }
  const DPelkApiStatus& consumerApiStatus() const { return m_ConsumerApiStatus; }

 private:
  bool stripeCancelled() const;
  int checkPrepared();
  int serveCommand(bool* endedP);
  int takeNextObject();
  int logonAgain();
  int transferObject();
  int completePending(int rc, bool isRead);
  int producerFailure(int16_t code);

  char m_ProducerText[RESTORE_STRIPE_MSG_SIZE] = "";
  char m_ConsumerText[RESTORE_STRIPE_MSG_SIZE] = "";
  MoxtarDbInfo** m_LastMoxtarDbInfoRestoredPP = nullptr;  // guarded by *m_MoxtarDbInfoListLockP
  psMutex* m_MoxtarDbInfoListLockP = nullptr;
  MoxtarBackupList* m_MoxtarDbInfoListP = nullptr;  // not changed while stripes run
  HublorSessionInfo* m_HublorSessionInfoP = nullptr;
  VDC_Command* m_VdevCommandP = nullptr;    // received and not yet completed
  MoxtarDbInfo* m_MoxtarDbInfoP = nullptr;  // the data object in transfer
  RestoreStripeData* m_StripeDataP = nullptr;
  uint32_t m_MountWait = 0;
};
