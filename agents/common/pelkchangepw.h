// The request that changes the node's storage-server password. The change happens inside the
// interface wrapper's logon when the logon information carries a new password, so the request
// logs on with that information and logs off again at once.
#pragma once

#include <cstdint>

#include "agtrc.h"
#include "baseeri.h"
#include "pelkapi.h"
#include "pelkqueryeri.h"

class DPelkChangePWEri : public DBaseEri {
 public:
  // Logs on with the caller's logon information (old and new password) on a status record of
  // its own.
  explicit DPelkChangePWEri(const pelkApiLogonInfo* pelkApiLogonInfoP);
  // The caller's status record and message buffer (none: the request's own); no logon
  // information, so the details fail with 419 until one is given.
  DPelkChangePWEri(DPelkApiStatus* statusP, uint32_t unused, char* messageBufferP);
  ~DPelkChangePWEri() override;

  int SetupEnvironment() override { return RC_OK; }
  int CleanupEnvironment() override { return RC_OK; }
  // 0, 415 (the password prompt was cancelled), 418 (with the interface's text) or 419 (no
  // status record or logon information).
  int ProcessRequestDetails() override;

 private:
  int putRcMessage(int rc);

  DPelkApiStatus* m_pelkApiStatusObjP;
  uint32_t m_OwnsStatusObj;  // 1 when the request allocated the status record
  char m_ErrorText[ERI_MESSAGE_SIZE];
  const pelkApiLogonInfo* m_pelkApiLogonInfoP;
};
