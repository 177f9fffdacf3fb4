// The change password request: one logon that carries the new password, then a logoff.
#include "pelkchangepw.h"

#include <cstring>
#include <new>

#include "agtrc.h"
#include "agttrc.h"
#include "errormsg.h"
#include "msgout.h"

DPelkChangePWEri::DPelkChangePWEri(const pelkApiLogonInfo* pelkApiLogonInfoP)
    : DBaseEri(),
      m_pelkApiStatusObjP(nullptr),
      m_OwnsStatusObj(0),
      m_pelkApiLogonInfoP(pelkApiLogonInfoP) {
  TRACE_ENTRY(TRC_ERI, "DPelkChangePWEri::DPelkChangePWEri(pelkApiLogonInfo *)");
  std::memset(m_ErrorText, 0, sizeof m_ErrorText);
  m_ErrorTextP = m_ErrorText;
  m_pelkApiStatusObjP = new (std::nothrow) DPelkApiStatus();
  if (m_pelkApiStatusObjP == nullptr) {
    TRACE_LINE(TRC_ERI, "Not enough memory for allocation of DPelkApiStatus object\n");
    return;
  }
  m_OwnsStatusObj = 1;
}

DPelkChangePWEri::DPelkChangePWEri(DPelkApiStatus* statusP, uint32_t, char* messageBufferP)
    : DBaseEri(), m_pelkApiStatusObjP(statusP), m_OwnsStatusObj(0), m_pelkApiLogonInfoP(nullptr) {
  TRACE_ENTRY(TRC_ERI, "DPelkChangePWEri::DPelkChangePWEri(DPelkApiStatus *)");
  std::memset(m_ErrorText, 0, sizeof m_ErrorText);
  m_ErrorTextP = messageBufferP != nullptr ? messageBufferP : m_ErrorText;
  m_ErrorTextP[0] = '\0';
}

DPelkChangePWEri::~DPelkChangePWEri() {
  TRACE_ENTRY(TRC_ERI, "DPelkChangePWEri::~DPelkChangePWEri()");
  if (m_OwnsStatusObj == 1) {
    if (gPelkApiObjP != nullptr) gPelkApiObjP->LogApiStatus(m_pelkApiStatusObjP);
    delete m_pelkApiStatusObjP;
  }
}

int DPelkChangePWEri::putRcMessage(int rc) {
  nlsprintf(m_ErrorTextP, ERI_MESSAGE_SIZE, agentRcMessage(rc), "");
  return rc;
}

int DPelkChangePWEri::ProcessRequestDetails() {
  TRACE_ENTRY(TRC_ERI, "DPelkChangePWEri::ProcessRequestDetails()");
  // Never a call without a status record or without the passwords to change.
  if (m_pelkApiStatusObjP == nullptr || m_pelkApiLogonInfoP == nullptr) {
    TRACE_RETURN(putRcMessage(RC_INTERNAL_ERROR));
  }
  pelkUint32_t handle = 0;
  int16_t apiRc = gPelkApiObjP->Logon(m_pelkApiStatusObjP, nullptr, &handle, m_pelkApiLogonInfoP);
  if (apiRc == PELK_PW_CANCELLED) TRACE_RETURN(putRcMessage(RC_CANCELED_BY_USER));
  const char* callNameP = "Logon";
  if (apiRc == PELK_RC_OK) {
    callNameP = "Logoff";
    apiRc = gPelkApiObjP->Logoff(m_pelkApiStatusObjP, handle);
  }
  if (apiRc != PELK_RC_OK) {
    TRACE_RETURN(moxtarApiFailure(m_pelkApiStatusObjP, m_ErrorTextP, 0, apiRc, callNameP));
  }
  TRACE_RETURN(RC_OK);
}
