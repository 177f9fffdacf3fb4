// CBackupStripe: one stripe of a database backup. It moves the bytes that SQL Server writes to
// one virtual device into one data object on the storage server, in a storage transaction of
// its own on the stripe's own session: its producer answers the device's commands into the ring
// (produceFromVdi), its consumer begins the transaction, binds the management class, sends the
// object with the agent's 72-byte attributes and streams the ring into it (consumeToMoxtar).
//
// The stripe commits only a whole object: the storage server's 157 (it will abort the
// transaction) on any step fails the stripe with 1304, and the transaction counts as committed
// only when the end answers 0 with reason 0 after a commit vote. A consumer that stops before
// the end of data always cancels the transfer, so the producer never waits on a full ring.
//
// Threads: RUN runs on the thread the database backup starts for the stripe and starts the
// transfer's three threads; the cancel flag is the database backup's word for its stripes.
//
// Codes of RUN (also left in the record's rc): 0; 200 cancelled during the transfer; 415
// cancelled before; 419 not set up; 1302 the object is excluded (185 on the bind); 1304 the
// server aborted the transaction (157); 1320 no backup copy group; 418 another storage failure;
// a code of the virtual device end (427, 428, 1915, 419) or of the ring.
#pragma once

#include <cstdint>

#include "metaxfer.h"
#include "objinfo.h"
#include "pcm.h"
#include "sqloprec.h"
#include "sqltypes.h"

constexpr uint32_t STRIPE_MSG_SIZE = 3584;  // each side's message buffer

constexpr int RC_RENAME_MERGE_ERROR = 1301;

// A failed storage call: the interface's text of the code is traced and, when rc is still 0,
// written to the caller's text; returns rc when it is not 0, else 1301 for the server's merge
// error (45), 1304 for 157, 418 for any other code.
int bkStorageFailure(DPelkApiStatus* statusP, pelkUint32_t handle, int16_t code, int rc,
                     char* textP, size_t textSize);
// Ends the session's open transaction: a commit vote when rc is 0, else an abort vote. Returns
// 0 when the commit was answered 0 with reason 0, or the abort was confirmed; otherwise the
// code whose text tells why (the server's reason when it answered 2302). A commit answered
// otherwise stored nothing of the transaction.
int16_t bkEndTxn(DPelkApiStatus* statusP, pelkUint32_t handle, int rc);

class CBackupStripe : public CPcm {
 public:
  CBackupStripe(const SqlServerElement* serverP, uint32_t numBuffers, uint32_t bufferSizeKb);

  // Clears the run's parameters and messages; the ring's construction code when it failed.
  int initializeRun();
  // The run's parameters: the record (its session, object name, size estimate, device and
  // command), the cancel flag, the send type and the backup's identity.
  int passRUNParameters(uint32_t statusMilliSeconds, StatusFunction statusFunctionP,
                        StripeData& stripeData, uint32_t* cancelledP, uint32_t mountWait,
                        const zarnakObjId* zarnakObjIdP);
  int RUN() override;
  int consumer() override;
  int producer() override;

  // What the database backup reads while and after the stripe runs.
  uint64_t bytesConsumed() const { return m_BytesConsumed.load(); }
  uint64_t bytesProduced() const { return m_BytesProduced.load(); }
  uint32_t fullCount() { return m_Ring.fullCount(); }
  const DPelkApiStatus& producerApiStatus() const { return m_ProducerApiStatus; }
  const DPelkApiStatus& consumerApiStatus() const { return m_ConsumerApiStatus; }

 private:
  int checkRunSetup();
  bool stopped() const { return m_Cancelled.load() != 0 || cancelRequested(); }
  int beginTxn(pelkUint32_t handle, bool* begunP);
  int bind(pelkUint32_t handle, mcBindKey* bindKeyP);
  int send(pelkUint32_t handle, uint8_t sendType, mcBindKey* bindKeyP, bool* sentP);
  int endSend(pelkUint32_t handle, int rc);
  int endTxn(pelkUint32_t handle, int rc);
  int storageFailure(pelkUint32_t handle, int16_t code, int rc);

  const SqlServerElement* m_SqlServerElementP;
  HublorSessionInfo* m_HublorSessionInfoP = nullptr;
  int m_PendingRc;
  StripeData* m_StripeDataP = nullptr;
  uint32_t m_MountWait = 0;
  const zarnakObjId* m_ZarnakObjIdP = nullptr;
  psTimer m_RunTimer;
  char m_ProducerText[STRIPE_MSG_SIZE] = "";
  char m_ConsumerText[STRIPE_MSG_SIZE] = "";
};
