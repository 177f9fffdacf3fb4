// The transfers of a backup's meta-data object. CBackupMetaData writes it: its producer turns
// the description of the database into group and file records, its consumer binds the
// management class and sends them as one object with the meta-data object's 168-byte
// attributes; it runs inside the transaction of the backup's completion and begins and ends
// none of its own. CRestoreMeta reads one back: its producer fetches the object from a
// retrieval that restoreMetaList has begun, its consumer rebuilds the group and file lists of
// the entry's database element. restoreMetaList reads the meta-data objects of a whole list of
// stored backups in restore order, in retrievals of up to 200 objects.
//
// Threads: run is called on the caller's thread and starts the transfer's three threads; the
// cancel flag is the caller's (a request's word, written by another thread).
//
// Codes of run: 0; 200 cancelled; 419 a required parameter missing; 1302 the object is
// excluded (storage code 185 on the bind); 1304 storage code 157; 1320 the management class has
// no backup copy group; 418 another storage failure; 421 no memory; 503 a damaged meta-data
// object; a code of the ring. The text of a storage failure stays in the transfer's message
// buffer of that side (resultMessage).
#pragma once

#include <cstdint>

#include "hublorapi.h"
#include "linklist.h"
#include "objinfo.h"
#include "pcm.h"
#include "pelkapi.h"
#include "sqltypes.h"

constexpr uint32_t META_NUM_BUFFERS = 2;  // the backup's meta-data transfer
constexpr uint32_t META_BUFFER_SIZE_KB = 4096;
constexpr uint32_t META_MAX_GET_LIST = 200;  // objects of one retrieval
constexpr int RC_OBJECT_EXCLUDED = 1302;
constexpr int RC_SERVER_WILL_ABORT = 1304;
constexpr int RC_NO_BACKUP_COPY_GROUP = 1320;
constexpr int RC_NOT_ALL_DONE = 402;

// Binds the object's management class with the send type: 0; 1320 when the class has no
// backup copy group; 418 when the interface failed, with its code in *codeP (0 otherwise).
int metaBindClass(DPelkApiStatus* statusP, pelkUint32_t handle, pelkObjName* objNameP,
                  uint8_t sendType, mcBindKey* bindKeyP, int16_t* codeP);

class CBackupMetaData : public CPcm {
 public:
  CBackupMetaData(const SqlServerElement* serverP, uint32_t numBuffers, uint32_t bufferSizeKb);

  int run(uint32_t statusMilliSeconds, StatusFunction statusFunctionP,
          const sqlMetaDataInfo* sqlMetaDataInfoP, pkInt64 metaDataSize64, pkInt64 backupSize64,
          uint32_t backupType, uint32_t numStripes, uint32_t* cancelledP, uint32_t mountWait,
          const SqlDbInfo* sqlDbInfoP, const zarnakObjId* zarnakObjIdP, pelkUint32_t pelkHandle,
          pelkObjName* objNameP);
  int consumer() override;
  int producer() override;

 private:
  int bind(uint8_t sendType, mcBindKey* bindKeyP);
  int send(uint8_t sendType, mcBindKey* bindKeyP, bool* begunP);
  int storageFailure(int16_t code);
  void buildObjInfo(const pelkApiVersion& version, uint8_t* bytesP) const;

  // The pending code, initializeRun's, or RC_INTERNAL_ERROR for the first missing parameter.
  int prepareRun(const sqlMetaDataInfo* sqlMetaDataInfoP, const zarnakObjId* zarnakObjIdP,
                 const pelkObjName* objNameP, const SqlDbInfo* sqlDbInfoP);

  const SqlServerElement* m_SqlServerElementP;
  const sqlMetaDataInfo* m_SqlMetaDataInfoP = nullptr;
  pkInt64 m_MetaDataSize64 = {0, 0};
  int m_PendingRc;
  pkInt64 m_BackupSize64 = {0, 0};
  uint32_t m_BackupType = 0;
  uint32_t m_NumStripes = 0;
  uint32_t m_MountWait = 0;
  const SqlDbInfo* m_SqlDbInfoP = nullptr;
  const zarnakObjId* m_ZarnakObjIdP = nullptr;
  pelkUint32_t m_PelkHandle = 0;
  pelkObjName* m_ObjNameP = nullptr;
  psTimer m_RunTimer;
  char m_ProducerText[PELK_RCMSG_SIZE] = "";
  char m_ConsumerText[PELK_RCMSG_SIZE] = "";
};

class CRestoreMeta : public CPcm {
 public:
  CRestoreMeta(uint32_t numBuffers, uint32_t bufferSizeKb);

  // On success the entry's database element holds the group and file lists.
  int run(uint32_t statusMilliSeconds, StatusFunction statusFunctionP,
          MoxtarMetaInfo* moxtarMetaInfoP, uint32_t* cancelledP, pelkUint32_t pelkHandle);
  int consumer() override;
  int producer() override;
  // Wait reports for a slow fetch only; no progress reports. Returns the pending code.
  int giveProgressStatus(StatusInfo status) override;

  uint64_t bytesConsumed() const { return m_BytesConsumed.load(); }
  double elapsedSeconds() { return m_RunTimer.elapsedSeconds(); }

 private:
  MoxtarMetaInfo* m_MoxtarMetaInfoP = nullptr;
  psTimer m_RunTimer;
  int m_PendingRc;
  pelkUint32_t m_PelkHandle = 0;
  char m_ProducerText[PELK_RCMSG_SIZE] = "";
  char m_ConsumerText[PELK_RCMSG_SIZE] = "";
};

// Reads the meta-data object of every entry of the list (each must carry its database element
// with both lists) and sorts the list into restore order first. Each entry's own outcome is
// left in its nActionRc; a failure is written to the activity log. A retrieval that was begun
// is always ended, also after a cancel or a failure of the last entry.
// Returns 0 when every entry was read, 415 when cancelled, 418 when ending a retrieval failed
// (the interface's text in msgBufferP, of at least PELK_RCMSG_SIZE bytes), 402 when some entry
// was not read.
int restoreMetaList(uint32_t statusMilliSeconds, StatusFunction statusFunctionP,
                    CLinkedList<MoxtarMetaInfo>* moxtarMetaInfoList, uint32_t* numRestoredP,
                    uint32_t bMountWait, uint32_t bufferSize, uint32_t numBuffers,
                    uint32_t* cancelledP, pelkUint32_t pelkHandle, double* totalSecondsP,
                    uint64_t* totalBytesP, char* msgBufferP);
