// The completion of a database backup (CBackupDb, second half of the consumer): one storage
// transaction on one stripe's session sends the meta-data object, renames every data object
// from its temporary to its final name with merge and inactivates what the previous backup
// leaves over, as far as the session's objects per transaction allow; the rest of that is
// inactivated in further transactions after the commit. A session that fails hands the
// transaction to the next one, and a rename merge error is repaired once. Only a transaction
// that the server committed makes the backup; every other outcome is voted abort. Afterwards SQL
// Server's last device commands are served, or the device set is aborted when the backup failed.
#include <cstdint>
#include <cstring>

#include "agtlog.h"
#include "agtrc.h"
#include "agttrc.h"
#include "bkdb.h"
#include "moxtarutil.h"
#include "objname.h"
#include "pcmend.h"
#include "pelkapi.h"
#include "qrydataobj.h"

namespace {

constexpr int MSG_SURPLUS_LEFT_ACTIVE = 308;
constexpr uint32_t kUniqueTimeSleepMs = 250;
constexpr DWORD kDrainWaitMilliSeconds = 1000;
constexpr DWORD kCompletionNotSupported = 50;
constexpr DWORD kCompletionNoData = 1003;

// The types whose final names are stable, so that a new backup replaces the previous one.
bool replacesPrevious(int32_t backupType) {
  return backupType == BACKUP_TYPE_FULL || backupType == BACKUP_TYPE_DIFFFULL ||
         backupType == BACKUP_TYPE_GROUP || backupType == BACKUP_TYPE_FILE;
}

size_t temporarySuffixLength() {
  return 1 + strlen(HL_BACKUPTIME) + strlen(HL_PID);
}

// The inactivations that fit into the completion transaction besides the meta-data object and
// the renames. A session that names no limit takes them all.
uint32_t inactivationRoom(const HublorSessionInfo& session, uint32_t numStripes) {
  uint32_t limit = session.apiSessInfo.maxObjPerTxn;
  if (limit == 0) return UINT32_MAX;
  return limit > numStripes + 1 ? limit - numStripes - 1 : 0;
}

}  // namespace

int CBackupDb::storageFailure(pelkUint32_t handle, int16_t code, int rc) {
  return bkStorageFailure(&m_ConsumerApiStatus, handle, code, rc, m_ConsumerErrorMsg,
                          sizeof m_ConsumerErrorMsg);
}

// The previous backup of the same database and type: its active meta-data object and, when it
// had more stripes than this one, its data objects.
int CBackupDb::queryActiveBackups(pelkUint32_t handle, MoxtarBackupList* activeListP) {
  if (activeListP->getCount() != 0 || !replacesPrevious(m_BackupType)) return RC_OK;
  char text[MOXTAR_ERROR_TEXT_SIZE] = "";
  agentDateTime none{};
  int rc = qryBackupObjects(&m_ConsumerApiStatus, handle, PELK_ACTIVE, none, m_MetaDataObjName, "",
                            &m_StripesCancelled, activeListP, text);
  if (rc == RC_NO_BACKUP_MATCH) return RC_OK;
  if (rc != RC_OK) {
    snprintf(m_ConsumerErrorMsg, sizeof m_ConsumerErrorMsg, "%s", text);
    return rc;
  }
  if (activeListP->getCount() > 1) {
    TRACE_LINE(TRC_ENGINE, "Too many active backups found.\n  count: %u\n",
               activeListP->getCount());
    return RC_OK;
  }
  objInfo previous;
  if (objInfoFromResp(*activeListP->getFirst(), OBJINFO_META_SIZE, &previous) != RC_OK ||
      previous.numStripes <= m_NumStripes) {
    return RC_OK;
  }
  MoxtarMetaInfo meta;
  static_cast<qryRespBackupData&>(meta) = *activeListP->getFirst();
  rc = qryDataObjects(&m_ConsumerApiStatus, &meta, &m_StripesCancelled, handle, activeListP, text);
  if (rc == RC_CORRUPT_BACKUP) return RC_OK;
  if (rc != RC_OK) snprintf(m_ConsumerErrorMsg, sizeof m_ConsumerErrorMsg, "%s", text);
  return rc;
}

int CBackupDb::renameObjects(pelkUint32_t handle) {
  for (StripeData* p : stripes()) {
    if (transferCancelled()) return RC_RING_CANCELLED;
    pelkRenameIn in;
    memset(&in, 0, sizeof in);
    in.stVersion = PELK_RENAMEIN_VERSION;
    in.pelkHandle = handle;
    in.repository = PELK_REPOSITORY_BACKUP;
    in.objNameP = &p->objName;
    memcpy(in.newHl, p->objName.hl, sizeof in.newHl);
    size_t length = strlen(p->objName.ll);
    size_t finalLength = length > temporarySuffixLength() ? length - temporarySuffixLength() : 0;
    memcpy(in.newLl, p->objName.ll, finalLength);
    in.merge = 1;
    pelkRenameOut out;
    out.stVersion = PELK_RENAMEOUT_VERSION;
    TRACE_LINE(TRC_ENGINE, "Renaming %s%s%s to %s\n", p->objName.fs, p->objName.hl, p->objName.ll,
               in.newLl);
    int16_t code = DPelkApi::dpelkRenameObj(gPelkApiObjP, &m_ConsumerApiStatus, &in, &out);
    if (code != PELK_RC_OK) return storageFailure(handle, code, RC_OK);
  }
  return RC_OK;
}

bool CBackupDb::isMetaDataName(const pelkObjName& name) const {
  return strcmp(name.fs, m_MetaDataObjName.fs) == 0 && strcmp(name.hl, m_MetaDataObjName.hl) == 0 &&
         strcmp(name.ll, m_MetaDataObjName.ll) == 0;
}

// Inactivates every active entry of the previous backup that this one does not replace by its
// renames: the previous meta-data object and the data objects of stripes beyond this backup's.
// The first `room` of them go into the open transaction, the others into *leftP, except the
// previous meta-data object: after the commit its name is the new backup's, and the new
// meta-data object sent under that name already makes the old one inactive.
int CBackupDb::inactivateSurplus(pelkUint32_t handle, MoxtarBackupList* activeListP, uint32_t room,
                                 MoxtarBackupList* leftP) {
  for (qryRespBackupData* entryP = activeListP->getFirst(); entryP != nullptr;
       entryP = activeListP->getNext(entryP)) {
    // A stripe of the new backup stores into the entry's filespace: the rename replaced it.
    bool replaced = false;
    for (StripeData* p : stripes()) {
      replaced = strcmp(entryP->objName.fs, p->objName.fs) == 0;
      if (replaced) break;
    }
    if (replaced) continue;
    if (entryP->objState != PELK_ACTIVE) {
      TRACE_LINE(TRC_ENGINE, "Skipping the inactive object %s%s%s\n", entryP->objName.fs,
                 entryP->objName.hl, entryP->objName.ll);
      continue;
    }
    if (room == 0 && isMetaDataName(entryP->objName)) {
      TRACE_LINE(TRC_ENGINE,
                 "No room for the previous meta-data object, which the new one replaces.\n");
      continue;
    }
    if (room == 0) {
      int rc = leftP->addTail(entryP);
      if (rc != RC_OK) return rc;
      continue;
    }
    room--;
    pelkDelInfo info;
    memset(&info, 0, sizeof info);
    info.backInfo.stVersion = PELK_DELBACK_VERSION;
    info.backInfo.objNameP = &entryP->objName;
    info.backInfo.copyGroup = entryP->copyGroup;
    TRACE_LINE(TRC_ENGINE, "Inactivating %s%s%s\n", entryP->objName.fs, entryP->objName.hl,
               entryP->objName.ll);
    int16_t code = DPelkApi::dpelkDeleteObj(gPelkApiObjP, &m_ConsumerApiStatus, handle,
                                            PELK_BACKUP_DELETE, info);
    if (code != PELK_RC_OK) return storageFailure(handle, code, RC_OK);
  }
  return RC_OK;
}

// After the commit, the surplus that did not fit into the completion transaction, in
// transactions of at most the session's objects. The backup stands whatever happens here: a
// failure leaves those objects active and is logged.
void CBackupDb::inactivateSurplusLeft(pelkUint32_t handle, MoxtarBackupList* leftP) {
  if (leftP->getCount() == 0) return;
  TRACE_LINE(TRC_ENGINE, "Inactivating %u objects of the previous backup after the commit.\n",
             leftP->getCount());
  char text[MOXTAR_ERROR_TEXT_SIZE] = "";
  uint32_t count = 0;
  int rc = inactivateBackupObjects(&m_ConsumerApiStatus, handle, nullptr, leftP, &count, text, 0);
  if (rc == RC_OK) return;
  TRACE_LINE(TRC_ENGINE, "Inactivation after the commit failed, rc = %d, msg = %s\n", rc, text);
  if (gLogP == nullptr) return;
  gLogP->LogActivityLog(MSG_SURPLUS_LEFT_ACTIVE, leftP->getCount() - count, rc);
  if (text[0] != '\0') gLogP->LogActivityLog(text);
}

// Commits an attempt without a code and aborts any other.
int CBackupDb::endCompletionTxn(pelkUint32_t handle, int rc) {
  if (rc == RC_OK) TRACE_LINE(TRC_ENGINE, "Commiting the moxtar transaction.\n");
  int16_t why = bkEndTxn(&m_ConsumerApiStatus, handle, rc);
  if (why == PELK_RC_OK) return rc;
  int endRc = storageFailure(handle, why, rc);
  return rc == RC_OK && endRc == RC_SERVER_WILL_ABORT ? RC_API_CALL_FAILED : endRc;
}

// The point of no return, under the commit lock: a cancel made before it votes abort, so that
// nothing of the backup is kept; a cancel that comes while the commit vote is out waits for the
// answer (abandon takes the same lock) and, once the server committed, leaves the backup whole.
int CBackupDb::commitOrAbort(pelkUint32_t handle, int rc) {
  std::lock_guard<std::mutex> lock(m_CommitMutex);
  if (cancelRequested()) cancel();  // the monitor may not have looked yet
  if (rc == RC_OK && transferCancelled()) rc = RC_RING_CANCELLED;
  rc = endCompletionTxn(handle, rc);
  if (rc == RC_OK) m_Committed = true;
  return rc;
}

int CBackupDb::completionAttempt(StripeData* stripeP, MoxtarBackupList* activeListP) {
  pelkUint32_t handle = stripeP->hublorSessionInfoP->pelkHandle;
  TRACE_LINE(TRC_ENGINE, "Completing the backup on stripe number %u\n", stripeP->stripeNumber);
  int rc = queryActiveBackups(handle, activeListP);
  bool begun = false;
  if (rc == RC_OK) {
    int16_t code = DPelkApi::dpelkBeginTxn(gPelkApiObjP, &m_ConsumerApiStatus, handle);
    if (code != PELK_RC_OK) rc = storageFailure(handle, code, RC_OK);
    begun = code == PELK_RC_OK;
  }
  if (rc == RC_OK) {
    rc = m_BackupMetaDataP->run(m_StatusMilliSeconds, nullptr, &m_SqlMetaDataInfo,
                                pkInt64FromNative(static_cast<int64_t>(m_MetaDataSize64)),
                                pkInt64FromNative(static_cast<int64_t>(m_BytesConsumed.load())),
                                uint32_t(m_BackupType), m_NumStripes, &m_StripesCancelled,
                                m_MountWait, m_SqlDbInfoP, &m_ZarnakObjId, handle,
                                &m_MetaDataObjName);
    m_BytesConsumed += CPcmEnd::bytesConsumed(m_BackupMetaDataP).load();
    m_BytesProduced += CPcmEnd::bytesProduced(m_BackupMetaDataP).load();
    const char* textP = m_BackupMetaDataP->resultMessage();
    if (rc != RC_OK && textP != nullptr) {
      snprintf(m_ConsumerErrorMsg, sizeof m_ConsumerErrorMsg, "%s", textP);
    }
  }
  if (rc == RC_OK) rc = renameObjects(handle);
  MoxtarBackupList left;
  uint32_t room = inactivationRoom(*stripeP->hublorSessionInfoP, m_NumStripes);
  if (rc == RC_OK) rc = inactivateSurplus(handle, activeListP, room, &left);
  if (begun) rc = commitOrAbort(handle, rc);
  if (rc == RC_OK) inactivateSurplusLeft(handle, &left);
  return rc;
}

// After a failed attempt: the merge repair once, else the next session, else the end with this
// backup's temporary objects removed. Returns the consumer's result (0 while attempts go on).
int CBackupDb::completionFailed(int rc, StripeData** stripePP, bool* repairTriedP,
                                MoxtarBackupList* activeListP) {
  StripeData* stripeP = *stripePP;
  if (transferCancelled()) return rc;
  logStripeFailure(stripeP->stripeNumber, rc, m_ConsumerErrorMsg);
  if (rc == RC_RENAME_MERGE_ERROR && !*repairTriedP &&
      stripeP->hublorSessionInfoP->apiSessInfo.backDel != PELK_DELETE_NOT_ALLOWED) {
    TRACE_LINE(TRC_ENGINE, "Rename merge error detected! Attempting to correct...\n");
    *repairTriedP = true;
    int fixRc = mergeErrorFixup(stripePP);
    // The repair changed what is active: the previous backup is looked up again.
    activeListP->freeAll();
    if (fixRc != RC_OK) {
      TRACE_LINE(TRC_ENGINE,
                 "Unable to to correct rename merge error!\nmergeErrorFixup() failed, rc = %d, "
                 "msg = %s\n",
                 fixRc, m_ConsumerErrorMsg);
    }
    m_ConsumerErrorMsg[0] = '\0';
    return RC_OK;
  }
  StripeData* nextP = m_StripeDataList.getNext(stripeP);
  if (nextP != nullptr && nextP->stripeNumber < m_NumStripes) {
    *stripePP = nextP;
    TRACE_LINE(TRC_ENGINE,
               "Re-trying meta data, rename and inactivate processing on (next) stripe number %u\n",
               nextP->stripeNumber);
    m_ConsumerErrorMsg[0] = '\0';
    return RC_OK;
  }
  TRACE_LINE(TRC_ENGINE,
             "Meta data and/or rename and/or inactivate processing failed on all available "
             "stripes!\n");
  return rc;
}

void CBackupDb::waitForUniqueTime() {
  agentDateTime now;
  dateGetNow(&now);
  while (dateCompare(&now, &m_ZarnakObjId.backupTime) == 0) {
    TRACE_LINE(TRC_ENGINE, "Waiting for a unique backup timestamp.\n");
    psSleep(kUniqueTimeSleepMs);
    dateGetNow(&now);
  }
}

// Answers one command SQL Server sent after the data: the Flush succeeds, every other command
// is refused.
int CBackupDb::drainDevice(StripeData* stripeP) {
  while (!givenUp()) {
    VDC_Command* commandP = stripeP->vdevCommandP;
    if (commandP == nullptr) {
      HRESULT hr =
          vdev_GetCommand(&m_ConsumerApiStatus, stripeP->vdevP, kDrainWaitMilliSeconds, &commandP);
      if (hr == VD_E_TIMEOUT) continue;
      if (hr == VD_E_CLOSE) return RC_OK;
      if (hr == VD_E_ABORT) return RC_VDI_ABORTED;
      if (FAILED(hr)) return RC_VDI_FAILED;
    }
    DWORD completion = kCompletionNotSupported;
    if (commandP->commandCode == VDC_Flush) completion = ERROR_SUCCESS;
    if (commandP->commandCode == VDC_Write || commandP->commandCode == VDC_ClearError ||
        commandP->commandCode == VDC_Discard) {
      completion = kCompletionNoData;
    }
    HRESULT hr =
        vdev_CompleteCommand(&m_ConsumerApiStatus, stripeP->vdevP, commandP, completion, 0, 0);
    stripeP->vdevCommandP = nullptr;
    if (FAILED(hr)) return hr == VD_E_ABORT ? RC_VDI_ABORTED : RC_VDI_FAILED;
    // SQL Server ends the statement only when every device's Flush is answered: the pending
    // Flushes are answered first, then each device is served until it closes.
    if (completion == ERROR_SUCCESS) return RC_OK;
  }
  return RC_OK;
}

int CBackupDb::drainDevices() {
  int rc = RC_OK;
  for (int pass = 0; pass < 2 && rc == RC_OK; pass++) {
    for (StripeData* p : stripes()) {
      if (givenUp()) break;
      if (p->vdevP == nullptr) continue;
      if (pass == 0 && p->vdevCommandP == nullptr) continue;
      rc = drainDevice(p);
      if (pass == 1 && rc == RC_OK) rc = drainDevice(p);
      if (rc != RC_OK) break;
    }
  }
  return rc;
}

void CBackupDb::signalAbort() {
  bool v7 = m_SqlServerElementP->lSqlVersionMajor == 7;
  HRESULT hr = v7 ? vds_SignalAbort(&m_ConsumerApiStatus, m_Vdi.m_VdsP)
                  : vds2_SignalAbort(&m_ConsumerApiStatus, m_Vdi.m_Vds2P);
  if (FAILED(hr)) {
    TRACE_LINE(TRC_ENGINE,
               v7 ? "VDS_SIGNALABORT() failed, hResult = %#x\n"
                  : "VDS2_SIGNALABORT() failed, hResult = %#x\n",
               unsigned(hr));
  }
}

int CBackupDb::complete(int rc) {
  m_ConsumerApiStatus.apiNameP = "HUBLOR";
  MoxtarBackupList activeList;
  StripeData* stripeP = m_StripeDataList.getFirst();
  bool repairTried = false;
  int attemptRc = RC_INTERNAL_ERROR;
  bool stripesStored = rc == RC_OK;
  while (!transferCancelled() && attemptRc != RC_OK && rc == RC_OK && stripeP != nullptr) {
    m_ConsumerErrorMsg[0] = '\0';
    attemptRc = completionAttempt(stripeP, &activeList);
    if (attemptRc != RC_OK) rc = completionFailed(attemptRc, &stripeP, &repairTried, &activeList);
  }
  if (rc == RC_OK && attemptRc != RC_OK) rc = transferCancelled() ? RC_RING_CANCELLED : attemptRc;
  // Data objects that no committed completion renamed are this backup's left-overs.
  if (stripesStored && attemptRc != RC_OK) cleanUp(0, PELK_ACTIVE);
  m_ConsumerApiStatus.apiNameP = "Sql";
  if (rc != RC_OK && rc != RC_CANCELLED_BY_SQL) cancel();
  if (rc == RC_OK) waitForUniqueTime();
  if (rc == RC_OK || rc == RC_CANCELLED_BY_SQL) {
    int drainRc = drainDevices();
    if (drainRc != RC_OK) {
      if (rc == RC_OK) rc = drainRc;
      cancel();
    }
  }
  if (givenUp()) {
    if (rc == RC_OK) rc = RC_RING_CANCELLED;
    signalAbort();
  }
  if (rc != RC_OK && rc != RC_CANCELLED_BY_SQL) cancel();
  return rc;
}
