// The filespace and server query requests.
#include <cstring>

#include "agtrc.h"
#include "agttrc.h"
#include "nlstable.h"
#include "pelkqueryeri.h"

namespace {

struct FilespaceTake {
  DPelkQueryFilespaceEri* requestP;
  const char* fsTypeP;
  MoxtarFilespaceList* listP;
};

}  // namespace

DPelkQueryFilespaceEri::DPelkQueryFilespaceEri(const char* fsnameSpecP, const char* fsTypeP,
                                               MoxtarFilespaceList* fsListP)
    : DPelkQueryEri(), m_fsnameSpecP(fsnameSpecP), m_fsTypeP(fsTypeP), m_fsListP(fsListP) {}

DPelkQueryFilespaceEri::DPelkQueryFilespaceEri(const pelkApiLogonInfo* pelkApiLogonInfoP,
                                               const char* fsnameSpecP, const char* fsTypeP,
                                               MoxtarFilespaceList* fsListP)
    : DPelkQueryEri(pelkApiLogonInfoP),
      m_fsnameSpecP(fsnameSpecP),
      m_fsTypeP(fsTypeP),
      m_fsListP(fsListP) {}

DPelkQueryFilespaceEri::DPelkQueryFilespaceEri(DPelkApiStatus* statusP, pelkUint32_t pelkHandle,
                                               const char* fsnameSpecP, const char* fsTypeP,
                                               MoxtarFilespaceList* fsListP, uint32_t* cancelP,
                                               char* messageBufferP)
    : DPelkQueryEri(statusP, pelkHandle, cancelP, nullptr, messageBufferP),
      m_fsnameSpecP(fsnameSpecP),
      m_fsTypeP(fsTypeP),
      m_fsListP(fsListP) {}

int DPelkQueryFilespaceEri::PreConditionCheck() {
  TRACE_ENTRY(TRC_ERI, "DPelkQueryFilespaceEri::PreConditionCheck()");
  bool complete = sessionHandle() != 0 && m_fsnameSpecP != nullptr && m_fsTypeP != nullptr &&
                  m_fsListP != nullptr;
  if (!complete) {
    TRACE_LINE(TRC_ERI, "A required parameter is missing.\n");
    TRACE_RETURN(putRcMessage(RC_INTERNAL_ERROR));
  }
  TRACE_RETURN(RC_OK);
}

int DPelkQueryFilespaceEri::ProcessRequestDetails() {
  TRACE_ENTRY(TRC_ERI, "DPelkQueryFilespaceEri::ProcessRequestDetails()");
  int rc = PreConditionCheck();
  if (rc != RC_OK) TRACE_RETURN(rc);
  // With a wildcard the server lists every filespace and the request matches the names itself.
  bool wildcard = std::strchr(m_fsnameSpecP, '*') != nullptr;
  wildcardSpecP = wildcard ? m_fsnameSpecP : "*";
  qryFSData query;
  std::memset(&query, 0, sizeof query);
  query.stVersion = PELK_QRYFS_VERSION;
  query.fsName = const_cast<char*>(wildcard ? "*" : m_fsnameSpecP);

  qryRespFSData response;
  FilespaceTake take{this, m_fsTypeP, m_fsListP};
  auto takeFilespace = [](void* respP, void* contextP) -> int {
    FilespaceTake* takeP = static_cast<FilespaceTake*>(contextP);
    const qryRespFSData* fsP = static_cast<const qryRespFSData*>(respP);
    if (nlsActiveFuncTable()->m_StrCmp(fsP->fsType, takeP->fsTypeP) != 0 ||
        takeP->requestP->isMatch(fsP->fsName) == 0) {
      TRACE_LINE(TRC_ERI, "Ignoring non-matching filespace %s.\n", fsP->fsName);
      return RC_OK;
    }
    return takeP->listP->addTail(fsP);
  };
  MoxtarQuery run{PELK_QRY_FILESPACE,     &query,        &response, sizeof response,
                  PELK_QRYRESPFS_VERSION, takeFilespace, &take,     GetCancelPtr()};
  MoxtarQueryCodes codes;
  moxtarRunQuery(m_pelkApiStatusObjP, sessionHandle(), run, &codes);
  if (codes.beginRc != PELK_RC_OK) TRACE_RETURN(putApiFailure(codes.beginRc, "dpelkBeginQuery"));
  if (codes.takeRc != RC_OK) {
    rc = putRcMessage(codes.takeRc);
  } else if (codes.answersRc == PELK_RC_NO_MATCH) {
    rc = putRcMessage(RC_NO_FILESPACE_MATCH);
  } else if (codes.answersRc != PELK_RC_FINISHED && codes.answersRc != PELK_RC_OK) {
    rc = putApiFailure(codes.answersRc, "dpelkGetNextQObj");
  }
  if (rc == RC_OK && codes.endRc != PELK_RC_OK) rc = putApiFailure(codes.endRc, "dpelkEndQuery");
  if (rc == RC_OK && GetCancelStatus() != 0) rc = putRcMessage(RC_CANCELED_BY_USER);
  TRACE_RETURN(rc);
}

DPelkQueryServerEri::DPelkQueryServerEri(const pelkApiLogonInfo* pelkApiLogonInfoP,
                                         pelkSessInfo* sessInfoP, pelkApiVersion* apiVersionP)
    : DPelkQueryEri(pelkApiLogonInfoP), m_sessInfoP(sessInfoP), m_apiVersionP(apiVersionP) {}

DPelkQueryServerEri::DPelkQueryServerEri(DPelkApiStatus* statusP, pelkUint32_t pelkHandle,
                                         pelkSessInfo* sessInfoP, pelkApiVersion* apiVersionP,
                                         uint32_t* cancelP, char* messageBufferP)
    : DPelkQueryEri(statusP, pelkHandle, cancelP, nullptr, messageBufferP),
      m_sessInfoP(sessInfoP),
      m_apiVersionP(apiVersionP) {}

int DPelkQueryServerEri::ProcessRequestDetails() {
  TRACE_ENTRY(TRC_ERI, "DPelkQueryServerEri::ProcessRequestDetails()");
  if (sessionHandle() == 0 || m_sessInfoP == nullptr) {
    TRACE_LINE(TRC_ERI, "No session or no session information record was given.\n");
    TRACE_RETURN(putRcMessage(RC_INTERNAL_ERROR));
  }
  std::memset(m_sessInfoP, 0, sizeof *m_sessInfoP);
  m_sessInfoP->stVersion = PELK_SESSINFO_VERSION;
  int16_t apiRc =
      DPelkApi::dpelkQuerySessInfo(gPelkApiObjP, m_pelkApiStatusObjP, sessionHandle(), m_sessInfoP);
  if (apiRc != PELK_RC_OK) TRACE_RETURN(putApiFailure(apiRc, "dpelkQuerySessInfo"));
  if (m_apiVersionP != nullptr) {
    int versionRc = gPelkApiObjP->checkCompatibility(m_pelkApiStatusObjP, m_apiVersionP);
    TRACE_LINE(TRC_ERI, "Interface version %u.%u.%u, check rc = %d\n", m_apiVersionP->version,
               m_apiVersionP->release, m_apiVersionP->level, versionRc);
  }
  TRACE_RETURN(RC_OK);
}
