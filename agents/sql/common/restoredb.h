// CRestoreDb: the restore of one stored backup (a meta-data object with N data objects) into
// SQL Server per call of run. The restore of a backup list constructs one object for the whole
// list and calls run once per backup; the stripe objects, their records and the virtual device
// set interface live as long as the object and serve every run.
//
// A transfer with an empty ring: its consumer has SQL Server run the RESTORE statement against
// the virtual devices; its producer waits for SQL Server to open the device set, opens every
// device and runs one CRestoreStripe per device on a thread of its own. The stripes share the
// backup's list of data objects and take them one at a time, so a backup may be restored over
// fewer devices than it was made with. The monitor's reports add up the stripes.
//
// Threads: run on the caller's thread (which must also construct and destroy the object, for
// the virtual device interface); RUN adds producer, consumer and monitor; the producer one
// thread per stripe. One cancel flag reaches every stripe: the object's own, which the monitor
// sets from the request's.
//
// Codes of run: 0; 415 cancelled before the transfer ran; 419 no list, entry or stripe; 421 no
// memory; 1912 the device set cannot be created; 1906 its configuration cannot be read; 1916 a
// device cannot be opened; 2000 a name cannot be converted; a stripe's code (with its text); a
// code of the RESTORE statement (1917 when SQL Server refused a stop point that an earlier log
// restore passed); the construction code.
#pragma once

#include <cstdint>

#include "linklist.h"
#include "moxtarutil.h"
#include "objinfo.h"
#include "pcm.h"
#include "sqloprec.h"
#include "sqltypes.h"
#include "sqlvdi.h"
#include "stripewalk.h"

constexpr uint16_t RESTORE_DB_PRODUCER_MSG_SIZE = 1024;
constexpr uint16_t RESTORE_DB_CONSUMER_MSG_SIZE = 3072;
constexpr size_t RESTORE_INSTANCE_NAME_SIZE = 17;
constexpr int RC_CONFIG_WAIT_FAILED = 1906;
constexpr int RC_VDS_CREATE_FAILED = 1912;
constexpr int RC_VDEV_OPEN_FAILED = 1916;
constexpr int RC_SQL_RESTORE_4306 = 1917;

class CRestoreDb : public CPcm {
 public:
  // The restore settings are read anew by every run (the caller changes them between runs).
  CRestoreDb(SqlRestoreParameters* sqlRestoreParametersP, SqlServerElement* sqlServerElementP,
             uint32_t numBuffers, uint32_t bufferSize);
  ~CRestoreDb() override;

  // Restores one backup: hublorSessionInfoList holds at least numStripes sessions, the data
  // objects are the backup's, cancelledP is the request's flag.
  int run(uint32_t statusMilliSeconds, StatusFunction statusFunctionP,
          CLinkedList<HublorSessionInfo>* hublorSessionInfoList, MoxtarBackupList* moxtarDbInfoList,
          MoxtarMetaInfo* moxtarMetaInfoP, uint64_t backupSize64, uint32_t numStripes,
          uint32_t* cancelledP, uint32_t mountWait);
  int consumer() override;
  int producer() override;
  // Wait reports for the configuration wait and the stripes' calls, else progress summed over
  // the stripes. Returns the construction code.
  int giveProgressStatus(StatusInfo status) override;

  uint64_t bytesConsumed() const { return m_BytesConsumed.load(); }
  double elapsedSeconds() { return m_ElapsedTimer.elapsedSeconds(); }
  uint32_t stripeRecords() { return m_StripeDataList.getCount(); }

 private:
  struct CStripeShare;
  // run's steps, ended by the first failure; a CRunEnd ends the run.
  class CRunEnd;
  int runSteps(uint32_t statusMilliSeconds, StatusFunction statusFunctionP,
               CLinkedList<HublorSessionInfo>* sessionListP, MoxtarBackupList* dataObjectListP,
               MoxtarMetaInfo* metaInfoP, uint64_t backupSize64, uint32_t numStripes,
               uint32_t* cancelledP, uint32_t mountWait);
  uint32_t* ownCancelFlag();
  bool isVersion7() const;
  int addStripes();
  int buildDeviceName(RestoreStripeData* recordP);
  void assignSessions(CLinkedList<HublorSessionInfo>* sessionsP);
  int createDeviceSet();
  void closeDeviceSet();
  int feedStripes(CStripeShare* shareP);
  int waitForConfiguration();
  int openDevices();
  int passStripeParameters(CStripeShare* shareP);
  int runStripes();
  int startStripes(psThread* threadsP, uint32_t* startedP);
  int waitForStripes(psThread* threadsP, uint32_t started);
  int stripeEnded(uint32_t index, int rc);
  void cancelStripes();
  void addStripeCounters();
  int endProducer(int rc, CStripeShare* shareP);
  RestoreStripeData* record(uint32_t index);
  // This run's stripe records, in order (see stripewalk.h).
  CStripeRange<RestoreStripeData> stripes() { return stripeRange(m_StripeDataList, m_NumStripes); }

  CVdi m_Vdi;
  char m_ProducerText[RESTORE_DB_PRODUCER_MSG_SIZE] = "";
  char m_ConsumerText[RESTORE_DB_CONSUMER_MSG_SIZE] = "";
  char16_t m_SqlInstanceNameW[RESTORE_INSTANCE_NAME_SIZE] = {};
  SqlRestoreParameters* m_SqlRestoreParametersP;
  SqlServerElement* m_SqlServerElementP;
  MoxtarBackupList* m_MoxtarDbInfoListP = nullptr;
  CLinkedList<RestoreStripeData> m_StripeDataList;  // grows over the runs, never shrinks
  MoxtarMetaInfo* m_MoxtarMetaInfoP = nullptr;
  int m_CtorRc = RC_OK;
  int m_ConsumerRc = RC_OK;  // the RESTORE statement's code of the run (consumer thread)
  uint64_t m_BackupSize = 0;
  uint32_t m_BufferSize;
  uint32_t m_NumBuffers;
  uint32_t m_NumStripes = 0;
  uint32_t m_MountWait = 0;
  bool m_SetCreated = false;
};
