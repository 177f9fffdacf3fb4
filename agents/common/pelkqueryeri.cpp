// The query request base: the request's own storage-server session or one a caller lends.
#include "pelkqueryeri.h"

#include <cstring>

#include "agtrc.h"
#include "agttrc.h"
#include "errormsg.h"
#include "msgout.h"

DPelkQueryEri::DPelkQueryEri()
    : m_pelkApiLogonInfoP(nullptr),
      m_pelkApiStatusObjP(&m_pelkApiStatusObj),
      m_pelkLogonSessInfoP(&m_pelkLogonSessInfo),
      m_pelkHandle(0),
      m_pelkHandleParm(0) {
  TRACE_ENTRY(TRC_ERI, "DPelkQueryEri::DPelkQueryEri()");
  std::memset(&m_pelkLogonSessInfo, 0, sizeof m_pelkLogonSessInfo);
  std::memset(m_ErrorText, 0, sizeof m_ErrorText);
  m_ErrorTextP = m_ErrorText;
}

DPelkQueryEri::DPelkQueryEri(const pelkApiLogonInfo* pelkApiLogonInfoP,
                             pelkSessInfo* pelkLogonSessInfoP)
    : DPelkQueryEri() {
  m_pelkApiLogonInfoP = pelkApiLogonInfoP;
  if (pelkLogonSessInfoP != nullptr) {
    std::memset(pelkLogonSessInfoP, 0, sizeof *pelkLogonSessInfoP);
    m_pelkLogonSessInfoP = pelkLogonSessInfoP;
  }
}

DPelkQueryEri::DPelkQueryEri(const pelkApiLogonInfo* pelkApiLogonInfoP)
    : DPelkQueryEri(pelkApiLogonInfoP, nullptr) {}

DPelkQueryEri::DPelkQueryEri(DPelkApiStatus* statusP, pelkUint32_t pelkHandle, uint32_t* cancelP,
                             pelkSessInfo* pelkLogonSessInfoP, char* messageBufferP)
    : DPelkQueryEri() {
  SetCancelPtr(cancelP != nullptr ? cancelP : &m_Cancel);
  m_pelkApiStatusObjP = statusP;
  m_pelkLogonSessInfoP = pelkLogonSessInfoP;
  m_pelkHandleParm = pelkHandle;
  if (messageBufferP != nullptr) SetErrorTextBuffer(messageBufferP);
}

DPelkQueryEri::~DPelkQueryEri() {
  TRACE_ENTRY(TRC_ERI, "DPelkQueryEri::~DPelkQueryEri()");
  if (m_pelkApiStatusObjP == &m_pelkApiStatusObj && gPelkApiObjP != nullptr) {
    gPelkApiObjP->LogApiStatus(&m_pelkApiStatusObj);
  }
}

void DPelkQueryEri::SetErrorTextBuffer(char* bufferP) {
  m_ErrorTextP = bufferP;
  m_ErrorTextP[0] = '\0';
}

void DPelkQueryEri::SetHublorApiInstance(DPelkApiStatus* statusP, pelkSessInfo* pelkLogonSessInfoP,
                                         pelkUint32_t pelkHandle) {
  m_pelkApiLogonInfoP = nullptr;
  m_pelkHandle = 0;
  m_pelkApiStatusObjP = statusP;
  m_pelkLogonSessInfoP = pelkLogonSessInfoP;
  m_pelkHandleParm = pelkHandle;
}

int DPelkQueryEri::SetupEnvironment() {
  TRACE_ENTRY(TRC_ERI, "DPelkQueryEri::SetupEnvironment()");
  int16_t apiRc =
      m_pelkApiLogonInfoP != nullptr
          ? gPelkApiObjP->Logon(m_pelkApiStatusObjP, m_pelkLogonSessInfoP, &m_pelkHandle,
                                m_pelkApiLogonInfoP)
          : gPelkApiObjP->Logon(m_pelkApiStatusObjP, m_pelkLogonSessInfoP, &m_pelkHandle);
  if (apiRc == PELK_PW_CANCELLED) TRACE_RETURN(putRcMessage(RC_CANCELED_BY_USER));
  if (apiRc != PELK_RC_OK) {
    m_pelkHandle = 0;
    TRACE_RETURN(putApiFailure(apiRc, "Logon"));
  }
  TRACE_RETURN(RC_OK);
}

int DPelkQueryEri::CleanupEnvironment() {
  TRACE_ENTRY(TRC_ERI, "DPelkQueryEri::CleanupEnvironment()");
  if (m_pelkHandle == 0) TRACE_RETURN(RC_OK);  // none, or the lent one stays open
  int16_t apiRc = gPelkApiObjP->Logoff(m_pelkApiStatusObjP, m_pelkHandle);
  m_pelkHandle = 0;
  if (apiRc != PELK_RC_OK) TRACE_RETURN(putApiFailure(apiRc, "Logoff"));
  TRACE_RETURN(RC_OK);
}

pelkUint32_t DPelkQueryEri::sessionHandle() const {
  return m_pelkHandle != 0 ? m_pelkHandle : m_pelkHandleParm;
}

int DPelkQueryEri::putRcMessage(int rc) {
  nlsprintf(m_ErrorTextP, ERI_MESSAGE_SIZE, agentRcMessage(rc), "");
  return rc;
}

int DPelkQueryEri::putApiFailure(int16_t code, const char* callNameP) {
  return moxtarApiFailure(m_pelkApiStatusObjP, m_ErrorTextP, sessionHandle(), code, callNameP);
}
