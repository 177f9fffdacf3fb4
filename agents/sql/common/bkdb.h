// CBackupDb: one backup of one SQL Server database, filegroup, file or set as N data objects
// (one per stripe, each fed by its own virtual device and sent on its own storage session) plus
// one meta-data object. The backup of a list builds one object for the list and calls run once
// per database and backup type; stripe objects, the device set interface and the meta-data
// transfer live as long as the object and serve every run.
//
// The object is a transfer with an empty ring. Its producer has SQL Server run the BACKUP
// statement onto the devices; its consumer waits for the device set, names the objects, removes
// old left-overs of failed backups, opens the devices and runs one CBackupStripe per stripe on
// a thread of its own, then makes the backup visible in one storage transaction (the meta-data
// object, the renames from temporary to final names, the inactivation of what the previous
// backup leaves over), on the next session when a session fails, with one repair of a rename
// merge error; at last it serves SQL Server's last device commands, or aborts the device set
// when the backup failed, so that SQL Server never records a backup the storage server lacks.
// Its monitor reports progress summed over the stripes.
//
// Every storage object is sent under a temporary low-level name ("\TYPE.YYYYMMDDHHMMSSPPPPPPPP")
// and renamed to its final name ("\TYPE") in the completion transaction; a backup that fails
// removes the temporary objects of its own stripes, and each backup removes the temporary
// objects of earlier failed backups of the same database and type once they are old enough.
//
// Threads: run on the caller's thread; the transfer's producer, consumer and monitor; one
// thread per stripe with its own three; the meta-data transfer's three. The stripes' cancel
// word is the object's own: the consumer sets it (and cancels every stripe) as soon as it sees
// the request's cancel while the stripes run, and the monitor sets it whenever the transfer is
// cancelled. The commit of the completion is the point of no return: a cancel before it
// leaves nothing of the backup, one after it leaves the whole backup, SQL Server's side
// included (see commitOrAbort).
//
// Codes of run: 0 (also when a cancel came only once the completion committed); 415 cancelled; 200
// cancelled inside the transfer; the first failure of a stripe, of the completion on the last
// session, or of SQL Server's statement; 419, 421, 2000, 1906, 1912, 1916 and the construction
// codes of the device set interface.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>

#include "bkstripe.h"
#include "linklist.h"
#include "metaxfer.h"
#include "moxtarutil.h"
#include "msgformat.h"
#include "sqlvdi.h"
#include "stripewalk.h"

constexpr char VDEV_NAME_PREFIX[] = "ZARNAKSQL";
constexpr uint32_t BACKUP_CONSUMER_MSG_SIZE = 1024;
constexpr int RC_MERGE_UNCORRECTABLE = 1303;
constexpr int RC_VDS_CONFIG_FAILED = 1906;
constexpr int RC_VDS_CREATE_FAILED = 1912;
constexpr int RC_VDEV_OPEN_FAILED = 1916;
// Activity-log messages of a backup.
constexpr int MSG_STRIPE_FAILED = 302;
constexpr int MSG_TEMP_OBJECT_NOT_DELETED = 5452;
// Default age in days of the left-overs of failed backups that a backup removes.
constexpr int32_t BACKUP_DEFAULT_OLDER_THAN = 7;

// The device name of a stripe: "ZARNAKSQL-<process id, 8 hex>-<stripe, 4 hex>", narrow and wide.
int backupDeviceName(uint32_t processId, uint32_t stripeNumber, char* nameP, char16_t* nameWP);

class CBackupDb : public CPcm {
 public:
  // The construction result (constructionRc) is 0, a code of the device set interface, 2000
  // (the instance name cannot be converted) or 421; every later run returns it.
  CBackupDb(const SqlBackupParameters* sqlBackupParametersP,
            const SqlServerElement* sqlServerElementP, int32_t olderThan, uint32_t numBuffers,
            uint32_t bufferSizeKb);
  ~CBackupDb() override;

  int constructionRc() const { return m_CtorRc; }

  // One backup of sqlDbInfoP's database (group, file or set) of the backup type through
  // numStripes stripes, on the first numStripes sessions of the list. The cancel flag is the
  // request's.
  int run(uint32_t statusMilliSeconds, StatusFunction statusFunctionP,
          CLinkedList<HublorSessionInfo>* hublorSessionInfoList, uint32_t dbBupSizeEstPct,
          uint32_t backupType, SqlDbInfo* sqlDbInfoP, uint32_t* cancelledP, uint32_t mountWait,
          uint32_t numStripes);

  // The transfer with the backup's result rule: a failure of the stripes or of the completion
  // decides over the statement's failure that followed it, unless the devices only reported
  // that SQL Server ended or aborted the conversation.
  int RUN() override;
  int producer() override;
  int consumer() override;
  int giveProgressStatus(StatusInfo status) override;

  // Removes temporary data objects: with objState 0xFF those of earlier failed backups of the
  // database and type at least olderThan days old (a negative age: 7), with objState 1 the
  // current run's own. Failures are logged (message 5452), never returned.
  void cleanUp(int32_t olderThan, uint8_t objState);
  // Repairs a rename merge error (see bkdbmerge.cpp): 0 when the completion may be repeated.
  int mergeErrorFixup(StripeData** stripeDataPP);

  // What tests and the backup of a list read after a run.
  const zarnakObjId& backupId() const { return m_ZarnakObjId; }
  const pelkObjName& metaDataObjName() const { return m_MetaDataObjName; }
  uint64_t sizeEstimate() const { return m_BackupDataSizeEst64; }
  // The bytes sent to the storage server by the last run, and its elapsed seconds.
  uint64_t bytesConsumed() const { return m_BytesConsumed.load(); }
  double elapsedSeconds() { return m_ElapsedTimer.elapsedSeconds(); }
  CLinkedList<StripeData>& stripeDataList() { return m_StripeDataList; }
  const char* consumerText() const { return m_ConsumerErrorMsg; }
  const char* producerText() const { return m_ProducerErrorMsg; }

 protected:
  // Also passes the transfer's cancel on to the stripes' cancel word, until the completion
  // commits.
  bool waitForEnd(uint32_t milliseconds) override;

 private:
  // run's steps, ended by the first failure or a cancel between two; a CRunEnd ends the run.
  class CRunEnd;
  int runSteps(uint32_t statusMilliSeconds, StatusFunction statusFunctionP,
               CLinkedList<HublorSessionInfo>* sessionListP, uint32_t dbBupSizeEstPct,
               uint32_t backupType, SqlDbInfo* sqlDbInfoP, uint32_t* cancelledP, uint32_t mountWait,
               uint32_t numStripes);
  int prepareRun(uint32_t backupType, SqlDbInfo* sqlDbInfoP, uint32_t mountWait);
  int estimate(uint32_t dbBupSizeEstPct);
  void adjustEstimate();
  int addStripes(uint32_t numStripes);
  int assignSessions(CLinkedList<HublorSessionInfo>* sessionListP, uint32_t numStripes);
  int createDeviceSet();
  int initializeStripes();
  void releaseDevices();
  // The consumer's steps.
  int sendStripes();
  int waitForDeviceSet();
  int nameObjects();
  int nameMetaDataObject();
  int openDevices();
  int passStripeParameters();
  int runStripes();
  void noteStripeEnd(StripeData* stripeP, uint32_t exitCode, int* rcP);
  void cancelStripes();
  // Sets the stripes' cancel word unless the completion has committed.
  void abandon();
  // The transfer is cancelled and its completion had not committed: the backup is given up.
  bool givenUp() const;
  void addStripeCounters();
  // One clean-up and its steps (bkdbclean.cpp): what may go, what stays, the deletion.
  class CCleanup;
  // The completion (bkdbdone.cpp).
  int complete(int rc);
  int completionAttempt(StripeData* stripeP, MoxtarBackupList* activeListP);
  int queryActiveBackups(pelkUint32_t handle, MoxtarBackupList* activeListP);
  int renameObjects(pelkUint32_t handle);
  int inactivateSurplus(pelkUint32_t handle, MoxtarBackupList* activeListP, uint32_t room,
                        MoxtarBackupList* leftP);
  void inactivateSurplusLeft(pelkUint32_t handle, MoxtarBackupList* leftP);
  bool isMetaDataName(const pelkObjName& name) const;
  int endCompletionTxn(pelkUint32_t handle, int rc);
  int commitOrAbort(pelkUint32_t handle, int rc);
  int completionFailed(int rc, StripeData** stripePP, bool* repairTriedP,
                       MoxtarBackupList* activeListP);
  void waitForUniqueTime();
  int drainDevices();
  int drainDevice(StripeData* stripeP);
  void signalAbort();
  int storageFailure(pelkUint32_t handle, int16_t code, int rc);
  void logStripeFailure(uint32_t stripeNumber, int rc, const char* textP);
  bool transferCancelled() const { return m_Cancelled.load() != 0; }
  // This run's stripe records, in order (see stripewalk.h).
  CStripeRange<StripeData> stripes() { return stripeRange(m_StripeDataList, m_NumStripes); }

  CVdi m_Vdi;
  char m_ConsumerErrorMsg[BACKUP_CONSUMER_MSG_SIZE + 1] = "";
  // SQL access writes a message of up to NLS_MSG_MAX bytes.
  char m_ProducerErrorMsg[NLS_MSG_MAX] = "";
  char16_t m_SqlInstanceNameW[17] = {};
  const SqlBackupParameters* m_SqlBackupParametersP;
  uint64_t m_BackupDataSizeEst64 = 0;
  const SqlServerElement* m_SqlServerElementP;
  pelkObjName m_MetaDataObjName;
  CBackupMetaData* m_BackupMetaDataP = nullptr;
  sqlMetaDataInfo m_SqlMetaDataInfo;
  uint64_t m_MetaDataSize64 = 0;
  CLinkedList<StripeData> m_StripeDataList;
  int32_t m_CtorRc = 0;
  int32_t m_BackupType = 0;
  uint32_t m_BufferSize;
  uint32_t m_NumBuffers;
  uint32_t m_NumStripes = 0;
  SqlDbInfo* m_SqlDbInfoP = nullptr;
  uint32_t m_MountWait = 0;
  int32_t m_OlderThan;
  zarnakObjId m_ZarnakObjId;
  bool m_SetCreated = false;
  int m_ProducerRc = RC_OK;  // the bodies' own results, read by RUN after the join
  int m_ConsumerRc = RC_OK;
  // The stripes' cancel flag: 1 once this transfer is cancelled; written as an atomic word
  // under m_CommitMutex.
  uint32_t m_StripesCancelled = 0;
  // Held while the completion's vote is out and while the stripes' cancel word is set.
  std::mutex m_CommitMutex;
  // Set by the consumer once the completion transaction committed.
  std::atomic<bool> m_Committed{false};
};
