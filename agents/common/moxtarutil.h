// Single pieces of storage-server work on a session that is already logged on: registering the
// agent's filespace and stamping its backup dates, writing numbered messages to the server's
// event log, querying backup objects and filespaces into lists, and taking objects out of
// service in transactions of at most the server's objects per transaction.
//
// Every function returns an agent return code and takes the DPelkApiStatus record of the
// calling request or transfer, which times each interface call (through gPelkApiObjP), and a
// caller's error buffer of at least MOXTAR_ERROR_TEXT_SIZE bytes. A failing interface call
// leaves the interface's text of its code in that buffer and gives 418; the first failure's
// text is kept, later failures add nothing. Cancel flags are the request's word (baseeri.h); a
// null pointer is never cancelled.
//
// Threads: the functions run on the caller's thread and use only the caller's session.
#pragma once

#include <cstddef>
#include <cstdint>

#include "baseapi.h"
#include "dateutil.h"
#include "hublorapi.h"
#include "linklist.h"

constexpr size_t MOXTAR_ERROR_TEXT_SIZE = 1024;
constexpr size_t SERVER_LOG_MSG_SIZE = 1028;

// Agent return codes of the storage-side work.
constexpr int RC_NO_BACKUP_MATCH = 112;
constexpr int RC_NO_FILESPACE_MATCH = 113;

// Filespace update actions of updateFsBackupDate.
constexpr uint32_t FS_UPDATE_BACKUP_START = PELK_FSUPD_BACKSTARTDATE;        // 8
constexpr uint32_t FS_UPDATE_BACKUP_COMPLETE = PELK_FSUPD_BACKCOMPLETEDATE;  // 16

// One message for the server's event log, kept in a list until it is written.
struct ServerLogMessage {
  char szMsgText[SERVER_LOG_MSG_SIZE];  // the formatted message with its prefix
  uint32_t msgNum;
};

typedef CLinkedList<qryRespBackupData> MoxtarBackupList;
typedef CLinkedList<qryRespFSData> MoxtarFilespaceList;
typedef CLinkedList<ServerLogMessage> ServerLogMessageList;

// Registers the filespace (an existing registration is success). 0 or 418.
int registerFs(DPelkApiStatus* statusP, char* errorTextP, pelkUint32_t pelkHandle,
               const char* fsNameP, const char* fsTypeP, pelkFSAttr fsAttr);
// Stamps the backup start (8) or completion (16) date of the filespace. 0, 418, or 419 for any
// other action, before any call.
int updateFsBackupDate(DPelkApiStatus* statusP, char* errorTextP, pelkUint32_t pelkHandle,
                       const char* fsNameP, pelkFSAttr fsAttr, uint32_t action);

// Writes one message to the server's event log: the given text, or with none the message of
// the repository formatted with its inserts. Its prefix ("ZUDnnnnX") is split off and sets the
// severity (S severe, E error, W warning, else information); the application message id is
// "ZUD" and the number. 0 or 418.
int writeMoxtarServerLog(DPelkApiStatus* statusP, char* errorTextP, pelkUint32_t pelkHandle,
                         const char* textP, uint32_t msgNum, ...);
// Formats the message with its inserts and appends it to the list. Returns 0.
int addServerLogMessage(ServerLogMessageList* listP, uint32_t msgNum, ...);
// Writes the list's messages from the first on, removing each one written; stops at the first
// failing write, which stays in the list with the ones after it. 0 or that write's code.
int writeServerLogMessages(DPelkApiStatus* statusP, char* errorTextP, pelkUint32_t pelkHandle,
                           ServerLogMessageList* listP);

// Orders of query answers: -1, 0 or 1 by the restore order (five unsigned words, the first the
// most significant) and by the object id (one unsigned 64-bit number).
int compareRestoreOrder(const qryRespBackupData* aP, const qryRespBackupData* bP);
int compareRestoreOrderP(const qryRespBackupData* const* aPP, const qryRespBackupData* const* bPP);
int compareObjId(const qryRespBackupData* aP, const qryRespBackupData* bP);

// The queries append every answer to the caller's list (which may already hold elements) and
// give 112 (113 for filespaces) when the list did not grow; 415 when cancelled.
int qryActiveBackupObjects(DPelkApiStatus* statusP, pelkUint32_t pelkHandle, pelkObjName objName,
                           uint32_t* cancelP, MoxtarBackupList* listP, char* errorTextP);
// objState PELK_ACTIVE, PELK_INACTIVE or PELK_ANYMATCH; a point in time of all zeros is none.
int qryBackupObjects(DPelkApiStatus* statusP, pelkUint32_t pelkHandle, uint8_t objState,
                     agentDateTime pointInTime, pelkObjName objName, const char* ownerP,
                     uint32_t* cancelP, MoxtarBackupList* listP, char* errorTextP);
// A pattern with "*" asks the server for every filespace and keeps those it matches
// (patternMatch with caseSensitive); without "*" the server is asked for the name. Only
// filespaces of the given type are kept.
int qryFilespaces(DPelkApiStatus* statusP, pelkUint32_t pelkHandle, uint8_t objState,
                  const char* fsPatternP, const char* fsTypeP, uint32_t* cancelP,
                  MoxtarFilespaceList* listP, char* errorTextP, uint32_t caseSensitive);

// Inactivates the active objects of the list (from the last one back when backwards is 1) in
// transactions of at most the server's objects per transaction. *countP gets the objects whose
// transaction committed. A cancel aborts the open transaction and gives 415. A transaction that
// did not commit is a failure (418), also when the server cut it short (157).
int inactivateBackupObjects(DPelkApiStatus* statusP, pelkUint32_t pelkHandle, uint32_t* cancelP,
                            MoxtarBackupList* listP, uint32_t* countP, char* errorTextP,
                            uint32_t backwards);
// Removes every object of the list by its object id, in the same transactions.
int deleteBackupObjects(DPelkApiStatus* statusP, pelkUint32_t pelkHandle, uint32_t* cancelP,
                        MoxtarBackupList* listP, uint32_t* countP, char* errorTextP);

// One query on the server, as the query routines and the query requests run it: begins it,
// asks for answers while they come (each into respP, whose first field, the record version, is
// set to respVersion before every call) and hands each answer to takeP, which returns 0 to go
// on or a code that ends the answers; stops before the next call when cancelled; ends a begun
// query whatever happened. The codes come back for the caller to judge.
struct MoxtarQuery {
  pelkUint8_t queryType;
  void* queryP;  // the interface's query record
  void* respP;   // one response record
  pelkUint32_t respSize;
  pelkUint16_t respVersion;
  int (*takeP)(void* respP, void* contextP);
  void* contextP;
  uint32_t* cancelP;
};
struct MoxtarQueryCodes {
  int16_t beginRc;    // the begin's code; nothing else ran unless it is 0
  int16_t answersRc;  // the code that ended the answers: 121 when all came, 0 when stopped
  int takeRc;         // takeP's code that ended the answers, or 0
  int16_t endRc;      // the end's code (0 when no query was begun)
};
void moxtarRunQuery(DPelkApiStatus* statusP, pelkUint32_t pelkHandle, const MoxtarQuery& query,
                    MoxtarQueryCodes* codesP);

// The failure of an interface call: the interface's text of the code into the error buffer
// (at most MOXTAR_ERROR_TEXT_SIZE bytes), a trace line with the call's name, and 418.
int moxtarApiFailure(DPelkApiStatus* statusP, char* errorTextP, pelkUint32_t pelkHandle,
                     int16_t code, const char* callNameP);
