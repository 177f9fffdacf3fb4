// Inactivation and deletion of backup objects in storage transactions of at most the server's
// objects per transaction.
//
// A transaction either commits or the routine fails: when the server announces with 157 that it
// will abort the open transaction, nothing more is sent in it, it is ended with a commit vote so
// that the server's own reason is reported, and the routine ends with 418 and that reason's
// text (the text of 157 when the server gives none). Objects are counted only when their
// transaction committed.
#include <cstring>

#include "agtrc.h"
#include "agttrc.h"
#include "baseeri.h"
#include "moxtarutil.h"
#include "pelkapi.h"

namespace {

// One run of inactivations or deletions over a list.
class TxnRun {
 public:
  TxnRun(DPelkApiStatus* statusP, pelkUint32_t handle, uint32_t* cancelP, char* errorTextP,
         bool byId)
      : m_StatusP(statusP),
        m_Handle(handle),
        m_CancelP(cancelP),
        m_ErrorTextP(errorTextP),
        m_ById(byId) {}

  // Sends the delete of every element from firstP on in the walking direction; returns the
  // first failure, 415 when cancelled, else 0.
  int run(MoxtarBackupList* listP, qryRespBackupData* firstP, bool backwards);
  uint32_t count() const { return m_Count; }

 private:
  bool cancelled() const { return eriIsCancelled(m_CancelP) != 0; }
  // Records a failure of the call: the first failure's text goes to the caller's buffer,
  // later ones only to the trace.
  void fail(int16_t apiRc, const char* callNameP);
  int querySessionLimit();
  void beginTxn();
  void deleteOne(qryRespBackupData* elementP);
  void endTxn();

  DPelkApiStatus* m_StatusP;
  pelkUint32_t m_Handle;
  uint32_t* m_CancelP;
  char* m_ErrorTextP;
  bool m_ById;
  pelkUint16_t m_MaxObjPerTxn = 0;
  bool m_TxnOpen = false;
  bool m_ServerAborting = false;  // the server answered 157 in the open transaction
  uint32_t m_NumTxnObjs = 0;
  uint32_t m_Count = 0;
  int m_Rc = RC_OK;
};

void TxnRun::fail(int16_t apiRc, const char* callNameP) {
  if (m_Rc != RC_OK) {
    char localText[MOXTAR_ERROR_TEXT_SIZE];
    moxtarApiFailure(m_StatusP, localText, m_Handle, apiRc, callNameP);
    return;
  }
  m_Rc = moxtarApiFailure(m_StatusP, m_ErrorTextP, m_Handle, apiRc, callNameP);
}

int TxnRun::querySessionLimit() {
  pelkSessInfo sessInfo;
  std::memset(&sessInfo, 0, sizeof sessInfo);
  sessInfo.stVersion = PELK_SESSINFO_VERSION;
  int16_t apiRc = DPelkApi::dpelkQuerySessInfo(gPelkApiObjP, m_StatusP, m_Handle, &sessInfo);
  if (apiRc != PELK_RC_OK) {
    fail(apiRc, "dpelkQuerySessInfo");
    return m_Rc;
  }
  m_MaxObjPerTxn = sessInfo.maxObjPerTxn;
  TRACE_LINE(TRC_API, "maxObjPerTxn: %u\n", m_MaxObjPerTxn);
  return RC_OK;
}

void TxnRun::beginTxn() {
  m_NumTxnObjs = 0;
  m_ServerAborting = false;
  int16_t apiRc = DPelkApi::dpelkBeginTxn(gPelkApiObjP, m_StatusP, m_Handle);
  if (apiRc != PELK_RC_OK) {
    fail(apiRc, "dpelkBeginTxn");
    return;
  }
  m_TxnOpen = true;
}

void TxnRun::deleteOne(qryRespBackupData* elementP) {
  pelkDelInfo info;
  std::memset(&info, 0, sizeof info);
  pelkUint8_t delType = PELK_BACKUP_ID_DELETE;
  if (m_ById) {
    info.backIDInfo.stVersion = PELK_DELBACKID_VERSION;
    info.backIDInfo.objId = elementP->objId;
  } else if (elementP->objState == PELK_ACTIVE) {
    delType = PELK_BACKUP_DELETE;
    info.backInfo.stVersion = PELK_DELBACK_VERSION;
    info.backInfo.objNameP = &elementP->objName;
    info.backInfo.copyGroup = elementP->copyGroup;
  } else {
    TRACE_LINE(TRC_API, "Skipping inactivation because the backup object is already inactive.\n");
    return;
  }
  TRACE_LINE(TRC_API, "Deleting %s%s%s, id %u.%u\n", elementP->objName.fs, elementP->objName.hl,
             elementP->objName.ll, elementP->objId.hi, elementP->objId.lo);
  int16_t apiRc = DPelkApi::dpelkDeleteObj(gPelkApiObjP, m_StatusP, m_Handle, delType, info);
  if (apiRc == PELK_RC_WILL_ABORT) {
    m_ServerAborting = true;
  } else if (apiRc != PELK_RC_OK) {
    fail(apiRc, "dpelkDeleteObj");
  } else {
    m_NumTxnObjs++;
  }
}

void TxnRun::endTxn() {
  bool commitVote = !cancelled() && m_Rc == RC_OK;
  pelkUint16_t reason = 0;
  int16_t apiRc = DPelkApi::dpelkEndTxn(gPelkApiObjP, m_StatusP, m_Handle,
                                        commitVote ? PELK_VOTE_COMMIT : PELK_VOTE_ABORT, &reason);
  m_TxnOpen = false;
  TRACE_LINE(TRC_API, "dpelkEndTxn: vote %s, rc %d, reason %u\n", commitVote ? "commit" : "abort",
             apiRc, reason);
  // The code whose text tells why the transaction did not commit.
  int16_t whyRc = apiRc == PELK_RC_CHECK_REASON ? static_cast<int16_t>(reason) : apiRc;
  if (apiRc == PELK_RC_OK && whyRc == PELK_RC_OK) whyRc = static_cast<int16_t>(reason);
  if (m_ServerAborting) {
    if (apiRc == PELK_RC_OK && commitVote)
      m_Count += m_NumTxnObjs;  // the ones before the 157 stood
    fail(whyRc != PELK_RC_OK ? whyRc : static_cast<int16_t>(PELK_RC_WILL_ABORT), "dpelkDeleteObj");
    return;
  }
  if (commitVote) {
    if (apiRc == PELK_RC_OK && reason == 0) {
      m_Count += m_NumTxnObjs;
      return;
    }
    fail(whyRc, "dpelkEndTxn");
    return;
  }
  bool aborted = (apiRc == PELK_RC_OK && (reason == 0 || reason == PELK_RS_ABORT_BY_CLIENT)) ||
                 (apiRc == PELK_RC_CHECK_REASON && reason == PELK_RS_ABORT_BY_CLIENT);
  if (!aborted) fail(whyRc, "dpelkEndTxn");
}

int TxnRun::run(MoxtarBackupList* listP, qryRespBackupData* firstP, bool backwards) {
  if (querySessionLimit() != RC_OK) return m_Rc;
  qryRespBackupData* elementP = firstP;
  while (!cancelled() && m_Rc == RC_OK && elementP != nullptr) {
    if (!m_TxnOpen) beginTxn();
    if (m_TxnOpen && !cancelled() && m_Rc == RC_OK) deleteOne(elementP);
    elementP = backwards ? listP->getPrevious(elementP) : listP->getNext(elementP);
    bool full = m_NumTxnObjs >= m_MaxObjPerTxn;
    if (m_TxnOpen &&
        (full || cancelled() || m_Rc != RC_OK || m_ServerAborting || elementP == nullptr)) {
      endTxn();
    }
  }
  if (m_Rc == RC_OK && cancelled()) return RC_CANCELED_BY_USER;
  return m_Rc;
}

// The first active element in the walking direction, or null.
qryRespBackupData* firstActive(MoxtarBackupList* listP, bool backwards) {
  qryRespBackupData* elementP = backwards ? listP->getLast() : listP->getFirst();
  while (elementP != nullptr && elementP->objState != PELK_ACTIVE) {
    elementP = backwards ? listP->getPrevious(elementP) : listP->getNext(elementP);
  }
  return elementP;
}

}  // namespace

int inactivateBackupObjects(DPelkApiStatus* statusP, pelkUint32_t pelkHandle, uint32_t* cancelP,
                            MoxtarBackupList* listP, uint32_t* countP, char* errorTextP,
                            uint32_t backwards) {
  TRACE_ENTRY(TRC_API, "inactivateBackupObjects()");
  TRACE_LINE(TRC_API, "  pelkHandle: %u\n  count     : %u\n  cancel    : %s\n  backwards : %u\n",
             pelkHandle, listP->getCount(), eriIsCancelled(cancelP) ? "True" : "False", backwards);
  errorTextP[0] = '\0';
  *countP = 0;
  if (eriIsCancelled(cancelP)) TRACE_RETURN(RC_CANCELED_BY_USER);
  if (firstActive(listP, backwards == 1) == nullptr) {
    TRACE_LINE(TRC_API,
               "Skipping all inactivation(s) because there are no active backup object(s).\n");
    TRACE_RETURN(RC_OK);
  }
  TxnRun txnRun(statusP, pelkHandle, cancelP, errorTextP, false);
  qryRespBackupData* startP = backwards == 1 ? listP->getLast() : listP->getFirst();
  int rc = txnRun.run(listP, startP, backwards == 1);
  *countP = txnRun.count();
  TRACE_LINE(TRC_API, "%u backup object(s) inactivated.\n", *countP);
  TRACE_RETURN(rc);
}

int deleteBackupObjects(DPelkApiStatus* statusP, pelkUint32_t pelkHandle, uint32_t* cancelP,
                        MoxtarBackupList* listP, uint32_t* countP, char* errorTextP) {
  TRACE_ENTRY(TRC_API, "deleteBackupObjects()");
  TRACE_LINE(TRC_API, "  pelkHandle: %u\n  count     : %u\n  cancel    : %s\n", pelkHandle,
             listP->getCount(), eriIsCancelled(cancelP) ? "True" : "False");
  errorTextP[0] = '\0';
  *countP = 0;
  if (eriIsCancelled(cancelP)) TRACE_RETURN(RC_CANCELED_BY_USER);
  if (listP->getCount() == 0) TRACE_RETURN(RC_OK);
  TxnRun txnRun(statusP, pelkHandle, cancelP, errorTextP, true);
  int rc = txnRun.run(listP, listP->getFirst(), false);
  *countP = txnRun.count();
  TRACE_LINE(TRC_API, "%u backup object(s) deleted.\n", *countP);
  TRACE_RETURN(rc);
}
