// The query backup request: the backups of every matching filespace for every object name.
#include <cstring>

#include "agtrc.h"
#include "agttrc.h"
#include "pelkqueryeri.h"

namespace {

struct BackupTake {
  DPelkQueryBackupEri* requestP;
  MoxtarBackupList* listP;
};

}  // namespace

DPelkQueryBackupEri::DPelkQueryBackupEri(const char* fsnameSpecP, const char* fsTypeP,
                                         ObjNameList* objnameListP, uint8_t objState,
                                         MoxtarBackupList* backupListP,
                                         const pelkDate* pointInTimeP)
    : DPelkQueryEri(),
      m_fsnameSpecP(fsnameSpecP),
      m_fsTypeP(fsTypeP),
      m_objnameListP(objnameListP),
      m_objState(objState),
      m_backupListP(backupListP),
      m_pointInTimeP(pointInTimeP) {}

DPelkQueryBackupEri::DPelkQueryBackupEri(const pelkApiLogonInfo* pelkApiLogonInfoP,
                                         const char* fsnameSpecP, const char* fsTypeP,
                                         ObjNameList* objnameListP, uint8_t objState,
                                         MoxtarBackupList* backupListP,
                                         const pelkDate* pointInTimeP)
    : DPelkQueryBackupEri(fsnameSpecP, fsTypeP, objnameListP, objState, backupListP, pointInTimeP) {
  m_pelkApiLogonInfoP = pelkApiLogonInfoP;
}

DPelkQueryBackupEri::DPelkQueryBackupEri(DPelkApiStatus* statusP, pelkUint32_t pelkHandle,
                                         const char* fsnameSpecP, const char* fsTypeP,
                                         ObjNameList* objnameListP, uint8_t objState,
                                         MoxtarBackupList* backupListP, uint32_t* cancelP,
                                         pelkSessInfo* pelkLogonSessInfoP,
                                         const pelkDate* pointInTimeP)
    : DPelkQueryEri(statusP, pelkHandle, cancelP, pelkLogonSessInfoP, nullptr),
      m_fsnameSpecP(fsnameSpecP),
      m_fsTypeP(fsTypeP),
      m_objnameListP(objnameListP),
      m_objState(objState),
      m_backupListP(backupListP),
      m_pointInTimeP(pointInTimeP) {}

int DPelkQueryBackupEri::PreConditionCheck() {
  TRACE_ENTRY(TRC_ERI, "DPelkQueryBackupEri::PreConditionCheck()");
  bool complete = sessionHandle() != 0 && m_fsnameSpecP != nullptr && m_fsTypeP != nullptr &&
                  m_objnameListP != nullptr && m_pelkLogonSessInfoP != nullptr &&
                  m_pelkApiStatusObjP != nullptr;
  if (!complete) {
    TRACE_LINE(TRC_ERI, "A required parameter is missing.\n");
    TRACE_RETURN(putRcMessage(RC_INTERNAL_ERROR));
  }
  TRACE_RETURN(RC_OK);
}

uint32_t DPelkQueryBackupEri::ProcessQueryData(qryRespBackupData*) {
  return m_backupListP != nullptr ? 1 : 0;
}

int DPelkQueryBackupEri::takeAnswer(void* respP, void* contextP) {
  BackupTake* takeP = static_cast<BackupTake*>(contextP);
  qryRespBackupData* answerP = static_cast<qryRespBackupData*>(respP);
  if (takeP->listP == nullptr || takeP->requestP->ProcessQueryData(answerP) == 0) return RC_OK;
  return takeP->listP->addTail(answerP);
}

int DPelkQueryBackupEri::queryOneName(pelkObjName* objNameP, qryBackupData* queryP) {
  queryP->objName = objNameP;
  qryRespBackupData response;
  BackupTake take{this, m_backupListP};
  MoxtarQuery run{
      PELK_QRY_BACKUP, queryP, &response,     sizeof response, PELK_QRYRESPBACKUP_VERSION,
      takeAnswer,      &take,  GetCancelPtr()};
  MoxtarQueryCodes codes;
  moxtarRunQuery(m_pelkApiStatusObjP, sessionHandle(), run, &codes);
  if (codes.beginRc != PELK_RC_OK) return putApiFailure(codes.beginRc, "dpelkBeginQuery");
  int rc = RC_OK;
  if (codes.takeRc != RC_OK) {
    rc = putRcMessage(codes.takeRc);
  } else if (codes.answersRc == PELK_RC_NO_MATCH) {
    // No backup of this name here: listed behind the buffer's text while there is room.
    size_t used = std::strlen(m_ErrorTextP);
    size_t needed = std::strlen(objNameP->hl) + std::strlen(objNameP->ll) + 1;
    if (used + needed < ERI_MESSAGE_SIZE - 1) {
      std::strcat(m_ErrorTextP, " ");
      std::strcat(m_ErrorTextP, objNameP->hl);
      std::strcat(m_ErrorTextP, objNameP->ll);
    }
  } else if (codes.answersRc != PELK_RC_FINISHED && codes.answersRc != PELK_RC_OK) {
    rc = putApiFailure(codes.answersRc, "dpelkGetNextQObj");
  }
  if (rc == RC_OK && codes.endRc != PELK_RC_OK) rc = putApiFailure(codes.endRc, "dpelkEndQuery");
  return rc;
}

int DPelkQueryBackupEri::ProcessRequestDetails() {
  TRACE_ENTRY(TRC_ERI, "DPelkQueryBackupEri::ProcessReqestDetails()");
  int rc = PreConditionCheck();
  if (rc != RC_OK) TRACE_RETURN(rc);
  MoxtarFilespaceList fsList;
  DPelkQueryFilespaceEri fsQuery(m_pelkApiStatusObjP, sessionHandle(), m_fsnameSpecP, m_fsTypeP,
                                 &fsList, GetCancelPtr(), m_ErrorTextP);
  rc = fsQuery.ProcessRequestDetails();
  if (rc != RC_OK) {
    TRACE_LINE(TRC_ERI, "DPelkQueryFilespaceEri::ProcessRequestDetails returned code %u\n", rc);
    TRACE_RETURN(rc);
  }
  if (fsList.getCount() == 0) TRACE_RETURN(putApiFailure(PELK_RC_NO_MATCH, "filespace query"));

  qryBackupData query;
  std::memset(&query, 0, sizeof query);
  query.stVersion = PELK_QRYBACKUP_VERSION;
  query.owner = m_pelkLogonSessInfoP->owner;
  query.objState = m_objState;
  if (m_pointInTimeP != nullptr) {
    query.objState = PELK_ANYMATCH;
    std::memcpy(&query.pitDate, m_pointInTimeP, sizeof query.pitDate);
  }
  for (qryRespFSData* fsP = fsList.getFirst(); rc == RC_OK && fsP != nullptr;
       fsP = fsList.getNext(fsP)) {
    for (pelkObjName* nameP = m_objnameListP->getFirst(); rc == RC_OK && nameP != nullptr;
         nameP = m_objnameListP->getNext(nameP)) {
      if (GetCancelStatus() != 0) {
        rc = putRcMessage(RC_CANCELED_BY_USER);
        break;
      }
      std::memcpy(nameP->fs, fsP->fsName, sizeof nameP->fs);
      rc = queryOneName(nameP, &query);
    }
  }
  if (m_backupListP == nullptr) {
    TRACE_LINE(TRC_ERI, "No return backup list requested\n");
  } else {
    TRACE_LINE(TRC_ERI, "%u backup object(s) in the list\n", m_backupListP->getCount());
  }
  TRACE_RETURN(rc);
}
