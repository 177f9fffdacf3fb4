// The entry functions of the storage-side requests, as both front ends call them: each writes
// its start line to the activity log, empties the caller's message buffer, runs its request on
// the caller's thread as the current request (eriRunRequest) and leaves the request's error text
// in the caller's buffer on failure. eriCancelRequest cancels whatever request is running.
//
// Codes: 0, 415 cancelled by the user, 419 internal error (also for an unknown command), or the
// code of the request. Message buffers hold ERI_MESSAGE_SIZE bytes.
//
// Threads: a request runs on its caller's thread; eriCancelRequest comes from another (a
// console control event, a Stop button).
#pragma once

#include <cstdint>

#include "eriqryparms.h"
#include "pelkapi.h"
#include "pelkqueryeri.h"
#include "sqltypes.h"

// The exit callback of the command-line program: frees the process-wide objects; its argument
// says why (1: a cancel while no request ran).
typedef int (*EriExitCallback)(int reason);

// Logs message 5300; cancels the running request (0). With none running and a callback, calls
// the callback with 1 and ends the process with exit status 415 (its low byte, see
// exitStatusOf); with neither, returns 0.
int eriCancelRequest(EriExitCallback exitP);

// Changes the node's password. A password not given is asked for through the logon record's
// callback (106 the current, 105 the new one); an answer left empty ends the call with 423, two
// differing entries of the new one with 422, a cancelled prompt with 415, nothing done. On
// success the buffer holds message 260.
int eriChangeMoxtarPassword(const pelkApiLogonInfo* logonInfoP, char* msgBufferP);

// The facts of a session opened with the logon record; apiVersionP (may be null) receives the
// library's version.
int eriQueryMoxtarServer(pelkSessInfo* sessInfoP, pelkApiVersion* apiVersionP,
                         const pelkApiLogonInfo* logonInfoP, char* msgBufferP);

// The query of stored backups of the record (DSqlQueryBackupEri).
int eriHublorQuerySqlBackups(DSqlQueryBackupParms* parmsP);

// The inactivation of stored backups of the record (CInactivateBackupsEri); commands 47 to 53.
int eriInactivateBackups(CInactivateBackupsParms* parmsP);

// The backup of the selected databases (DSqlBackupDatabaseEri); commands 1 to 6. The database
// name list serves the start line only; the request writes its text into the record's message
// buffer itself. Another command: 419, with nothing logged or run.
int eriBackupSqlDatabase(DSqlBackupDatabaseParms* parmsP,
                         CLinkedList<SqlDatabaseElement>* querySqlServerDbInfoP,
                         EriNameList* dbNameListP, CLinkedList<SqlGroupElement>* sqlGroupListP,
                         EriNameList* groupListP, CLinkedList<SqlFileElement>* sqlFileListP,
                         EriNameList* fileListP);

// The restore of stored backups of the record (CRestoreBackupsEri); commands 71 to 77. The
// elapsed time goes to the trace only; an error text is cut to ERI_MSG_BUFFER_LEN characters.
int eriRestoreBackups(CRestoreBackupsParms* parmsP);

// The filespaces of the record's SQL Server (DSqlQueryFilespaceEri), for the windowed program;
// the error text goes into the record's message buffer.
int eriHublorQuerySqlServers(DSqlQueryFilespaceParms* parmsP);
