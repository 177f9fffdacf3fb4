// The requests that ask the storage server something: the query request base DPelkQueryEri,
// which opens and closes a session of the request's own or works on one a caller lends, and
// the filespace, server and backup queries built on it.
//
// A request built with a lent session (the status-record constructors or SetHublorApiInstance)
// is run with ProcessRequestDetails alone: its owner keeps the session open and logs it off.
// ProcessRequest is for requests that open their own session.
//
// Threads: a request runs on its caller's thread; only its cancel word is written by another.
#pragma once

#include <cstddef>
#include <cstdint>

#include "baseeri.h"
#include "moxtarutil.h"
#include "pelkapi.h"

constexpr size_t ERI_MESSAGE_SIZE = 3585;  // 3584 characters and the terminator

class DPelkQueryEri : public DBaseQueryEri {
 public:
  DPelkQueryEri();
  // The given session information (cleared) or, with none, the embedded one.
  DPelkQueryEri(const pelkApiLogonInfo* pelkApiLogonInfoP, pelkSessInfo* pelkLogonSessInfoP);
  explicit DPelkQueryEri(const pelkApiLogonInfo* pelkApiLogonInfoP);
  // A lent session: the caller's status record, handle, cancel flag, session information (or
  // none) and message buffer (or none: the embedded one).
  DPelkQueryEri(DPelkApiStatus* statusP, pelkUint32_t pelkHandle, uint32_t* cancelP,
                pelkSessInfo* pelkLogonSessInfoP, char* messageBufferP);
  ~DPelkQueryEri() override;

  // Points the message buffer at the caller's buffer (of ERI_MESSAGE_SIZE) and empties it.
  void SetErrorTextBuffer(char* bufferP);
  // Lends a session after construction.
  void SetHublorApiInstance(DPelkApiStatus* statusP, pelkSessInfo* pelkLogonSessInfoP,
                            pelkUint32_t pelkHandle);

  // Logs on (0, 415 when the password prompt was cancelled, 418 with the interface's text).
  int SetupEnvironment() override;
  // Logs off the request's own session (0 or 418); a lent session stays open.
  int CleanupEnvironment() override;

 protected:
  // The session to work on: the request's own, else the lent one, else 0.
  pelkUint32_t sessionHandle() const;
  // The message of an agent return code into the message buffer; returns the code.
  int putRcMessage(int rc);
  // The interface's text of a failed call into the message buffer; returns 418.
  int putApiFailure(int16_t code, const char* callNameP);

  const pelkApiLogonInfo* m_pelkApiLogonInfoP;
  DPelkApiStatus* m_pelkApiStatusObjP;
  DPelkApiStatus m_pelkApiStatusObj;
  pelkSessInfo* m_pelkLogonSessInfoP;
  pelkSessInfo m_pelkLogonSessInfo;
  char m_ErrorText[ERI_MESSAGE_SIZE];
  pelkUint32_t m_pelkHandle;      // the session SetupEnvironment opened, 0 when none
  pelkUint32_t m_pelkHandleParm;  // the session a caller lent, 0 when none
};

// The filespaces of the node that match a pattern (with "*") and a type.
class DPelkQueryFilespaceEri : public DPelkQueryEri {
 public:
  DPelkQueryFilespaceEri(const char* fsnameSpecP, const char* fsTypeP,
                         MoxtarFilespaceList* fsListP);
  DPelkQueryFilespaceEri(const pelkApiLogonInfo* pelkApiLogonInfoP, const char* fsnameSpecP,
                         const char* fsTypeP, MoxtarFilespaceList* fsListP);
  DPelkQueryFilespaceEri(DPelkApiStatus* statusP, pelkUint32_t pelkHandle, const char* fsnameSpecP,
                         const char* fsTypeP, MoxtarFilespaceList* fsListP, uint32_t* cancelP,
                         char* messageBufferP);

  // 0 or 419 with its message when the session, pattern, type or list is missing.
  int PreConditionCheck();
  // 0 (also when no filespace passed the filter: the list then stays as it was), 113 when the
  // server has no matching filespace, 415, 418 or 419.
  int ProcessRequestDetails() override;

 protected:
  const char* m_fsnameSpecP;
  const char* m_fsTypeP;
  MoxtarFilespaceList* m_fsListP;
};

// The facts of the session (server, node, limits) and, on request, the library's version.
class DPelkQueryServerEri : public DPelkQueryEri {
 public:
  DPelkQueryServerEri(const pelkApiLogonInfo* pelkApiLogonInfoP, pelkSessInfo* sessInfoP,
                      pelkApiVersion* apiVersionP);
  DPelkQueryServerEri(DPelkApiStatus* statusP, pelkUint32_t pelkHandle, pelkSessInfo* sessInfoP,
                      pelkApiVersion* apiVersionP, uint32_t* cancelP, char* messageBufferP);

  // 0, 418, or 419 without a session.
  int ProcessRequestDetails() override;

 protected:
  pelkSessInfo* m_sessInfoP;
  pelkApiVersion* m_apiVersionP;
};

// The backup objects of every filespace that matches a pattern and type, for every
// object name of a list; each answer goes through ProcessQueryData into the result list.
class DPelkQueryBackupEri : public DPelkQueryEri {
 public:
  typedef CLinkedList<pelkObjName> ObjNameList;

  DPelkQueryBackupEri(const char* fsnameSpecP, const char* fsTypeP, ObjNameList* objnameListP,
                      uint8_t objState, MoxtarBackupList* backupListP,
                      const pelkDate* pointInTimeP);
  DPelkQueryBackupEri(const pelkApiLogonInfo* pelkApiLogonInfoP, const char* fsnameSpecP,
                      const char* fsTypeP, ObjNameList* objnameListP, uint8_t objState,
                      MoxtarBackupList* backupListP, const pelkDate* pointInTimeP);
  DPelkQueryBackupEri(DPelkApiStatus* statusP, pelkUint32_t pelkHandle, const char* fsnameSpecP,
                      const char* fsTypeP, ObjNameList* objnameListP, uint8_t objState,
                      MoxtarBackupList* backupListP, uint32_t* cancelP,
                      pelkSessInfo* pelkLogonSessInfoP, const pelkDate* pointInTimeP);

  // 0 or 419 with its message when the session, pattern, type, name list, session
  // information or status record is missing.
  int PreConditionCheck();
  // 0 or the first failure. Names without backups on a filespace are no failure: they are
  // listed at the end of the message buffer (a blank, the high- and low-level name), as far
  // as the buffer holds them.
  int ProcessRequestDetails() override;
  // Non-zero keeps the answer; by default every answer when a result list was given.
  virtual uint32_t ProcessQueryData(qryRespBackupData* respP);

 protected:
  const char* m_fsnameSpecP;
  const char* m_fsTypeP;
  ObjNameList* m_objnameListP;
  uint8_t m_objState;
  MoxtarBackupList* m_backupListP;
  const pelkDate* m_pointInTimeP;

 private:
  int queryOneName(pelkObjName* objNameP, qryBackupData* queryP);
  static int takeAnswer(void* respP, void* contextP);
};
