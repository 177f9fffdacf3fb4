// restoreMetaList: the meta-data objects of a list of stored backups, read in restore order
// through one CRestoreMeta, in retrievals of up to META_MAX_GET_LIST objects.
#include <atomic>
#include <cstring>

#include "agtlog.h"
#include "agttrc.h"
#include "errormsg.h"
#include "metaxfer.h"
#include "moxtarutil.h"

namespace {

int compareEntries(MoxtarMetaInfo* aP, MoxtarMetaInfo* bP) {
  return compareRestoreOrder(aP, bP);
}

const char* entryKey(MoxtarMetaInfo* entryP) {
  return entryP->objName.hl;
}

bool isCancelled(const uint32_t* cancelledP) {
  return cancelledP != nullptr &&
         std::atomic_ref<uint32_t>(*const_cast<uint32_t*>(cancelledP)).load() != 0;
}

class CMetaListReader {
 public:
  CMetaListReader(CLinkedList<MoxtarMetaInfo>* listP, uint32_t bufferSize, uint32_t numBuffers,
                  uint32_t* cancelledP, pelkUint32_t pelkHandle, uint32_t mountWait)
      : m_ListP(listP),
        m_Transfer(numBuffers, bufferSize),
        m_CancelledP(cancelledP),
        m_Handle(pelkHandle),
        m_MountWait(mountWait) {}

  // Reads one entry; returns the code that ends the walk (an end of retrieval that failed).
  int read(MoxtarMetaInfo* entryP, uint32_t statusMilliSeconds, StatusFunction statusFunctionP) {
    entryP->nActionRc = RC_OK;
    m_EntryText[0] = '\0';
    if (!m_Open) begin(entryP);
    if (entryP->nActionRc == RC_OK) runEntry(entryP, statusMilliSeconds, statusFunctionP);
    if (entryP->nActionRc != RC_OK) logFailure(entryP->nActionRc);
    if (m_Open) m_Remaining--;
    if (m_Open && m_Remaining == 0 && !isCancelled(m_CancelledP)) return end();
    return RC_OK;
  }

  // Ends a retrieval that is still open, so that the session stays usable.
  int finish() { return m_Open ? end() : RC_OK; }

  uint32_t m_Restored = 0;
  double m_Seconds = 0;
  uint64_t m_Bytes = 0;
  char m_MsgText[PELK_RCMSG_SIZE] = "";

 private:
  void begin(MoxtarMetaInfo* firstP) {
    uint32_t count = 0;
    for (MoxtarMetaInfo* p = firstP; p != nullptr && count < META_MAX_GET_LIST;
         p = m_ListP->getNext(p)) {
      m_Ids[count++] = p->objId;
    }
    pelkGetList getList = {PELK_GETLIST_VERSION, count, m_Ids, nullptr};
    int16_t code = DPelkApi::dpelkBeginGetData(gPelkApiObjP, &m_Status, m_Handle,
                                               static_cast<pelkBool_t>(m_MountWait),
                                               PELK_GET_BACKUP, &getList);
    if (code != PELK_RC_OK) {
      size_t length = 0;
      gPelkApiObjP->AgtPelkRCMsg(&m_Status, m_Handle, code, m_EntryText, sizeof m_EntryText,
                                 &length);
      firstP->nActionRc = RC_API_CALL_FAILED;
      return;
    }
    m_Open = true;
    m_Remaining = count;
  }

  void runEntry(MoxtarMetaInfo* entryP, uint32_t statusMilliSeconds,
                StatusFunction statusFunctionP) {
    int rc = m_Transfer.run(statusMilliSeconds, statusFunctionP, entryP, m_CancelledP, m_Handle);
    entryP->nActionRc = rc;
    m_Bytes += m_Transfer.bytesConsumed();
    m_Seconds += m_Transfer.elapsedSeconds();
    if (rc == RC_OK) {
      m_Restored++;
      return;
    }
    const char* textP = m_Transfer.resultMessage();
    snprintf(m_EntryText, sizeof m_EntryText, "%s", textP != nullptr ? textP : "");
  }

  void logFailure(int rc) { logTextOrRcMessage(m_EntryText, rc); }

  int end() {
    m_Open = false;
    int16_t code = DPelkApi::dpelkEndGetData(gPelkApiObjP, &m_Status, m_Handle);
    if (code == PELK_RC_OK) return RC_OK;
    size_t length = 0;
    gPelkApiObjP->AgtPelkRCMsg(&m_Status, m_Handle, code, m_MsgText, sizeof m_MsgText, &length);
    return RC_API_CALL_FAILED;
  }

  CLinkedList<MoxtarMetaInfo>* m_ListP;
  CRestoreMeta m_Transfer;
  DPelkApiStatus m_Status;  // the begin and end of retrievals; no interface name
  uint32_t* m_CancelledP;
  pelkUint32_t m_Handle;
  uint32_t m_MountWait;
  bool m_Open = false;
  uint32_t m_Remaining = 0;  // objects of the open retrieval not yet read
  pelkUint64_t m_Ids[META_MAX_GET_LIST];
  char m_EntryText[PELK_RCMSG_SIZE] = "";
};

}  // namespace

int restoreMetaList(uint32_t statusMilliSeconds, StatusFunction statusFunctionP,
                    CLinkedList<MoxtarMetaInfo>* moxtarMetaInfoList, uint32_t* numRestoredP,
                    uint32_t bMountWait, uint32_t bufferSize, uint32_t numBuffers,
                    uint32_t* cancelledP, pelkUint32_t pelkHandle, double* totalSecondsP,
                    uint64_t* totalBytesP, char* msgBufferP) {
  TRACE_ENTRY(TRC_ENGINE, "restoreMetaList()");
  *numRestoredP = 0;
  *totalSecondsP = 0;
  *totalBytesP = 0;
  msgBufferP[0] = '\0';
  if (!isCancelled(cancelledP) && moxtarMetaInfoList->getCount() > 1) {
    moxtarMetaInfoList->sortbmrg(compareEntries, entryKey);
  }
  CMetaListReader reader(moxtarMetaInfoList, bufferSize, numBuffers, cancelledP, pelkHandle,
                         bMountWait);
  int rc = RC_OK;
  for (MoxtarMetaInfo* entryP = moxtarMetaInfoList->getFirst();
       entryP != nullptr && rc == RC_OK && !isCancelled(cancelledP);
       entryP = moxtarMetaInfoList->getNext(entryP)) {
    rc = reader.read(entryP, statusMilliSeconds, statusFunctionP);
  }
  int endRc = reader.finish();
  if (rc == RC_OK && !isCancelled(cancelledP)) rc = endRc;
  if (rc != RC_OK) snprintf(msgBufferP, PELK_RCMSG_SIZE, "%s", reader.m_MsgText);
  *numRestoredP = reader.m_Restored;
  *totalSecondsP = reader.m_Seconds;
  *totalBytesP = reader.m_Bytes;
  if (rc == RC_OK && isCancelled(cancelledP)) rc = RC_CANCELED_BY_USER;
  if (rc == RC_OK && reader.m_Restored != moxtarMetaInfoList->getCount()) rc = RC_NOT_ALL_DONE;
  TRACE_RETURN(rc);
}
