// The text of the BACKUP and RESTORE statements that name the virtual devices of a transfer.
//
// What a statement lists (its FILEGROUP and FILE items, its devices, its MOVE pairs) and which
// options it carries is decided by the caller (see sqlrestoreplan.h for a restore) and handed
// over in a SqlBackupStatement or SqlRestoreStatement; the functions here only write the text,
// clause by clause, into a CSqlCommand, with every name and text quoted (sqlcmd.h).
//
// The cancel flag (1 = cancelled, written by another thread) is read before every clause and
// every listed item; a set flag ends the build with 415 and leaves the statement unfinished,
// so the caller must not send it. Other results: 0, 1908 for a name over its limit (detail text
// in the caller's buffer), 421 when the buffer cannot grow, 2000 for text that is not UTF-8.
#pragma once

#include <cstddef>
#include <cstdint>

#include "linklist.h"
#include "objname.h"
#include "sqlcmd.h"

enum SqlStmtItemKind : uint32_t { SQL_ITEM_FILEGROUP = 0, SQL_ITEM_FILE = 1 };

// One FILEGROUP= or FILE= item of a statement, or (kind unused) one device name.
struct SqlStmtItem {
  uint32_t kind;
  const char* nameP;  // not owned
};

// One MOVE N'logical' TO N'physical' pair.
struct SqlStmtMove {
  const char* logicalNameP;   // not owned
  const char* physicalNameP;  // not owned
};

struct SqlBackupStatement {
  uint32_t backupType;  // BACKUP_TYPE_FULL ... BACKUP_TYPE_SET
  const char* databaseNameP;
  CLinkedList<SqlStmtItem>* itemListP;    // FILEGROUP and FILE items in order, or null
  CLinkedList<SqlStmtItem>* deviceListP;  // the virtual device names, one per stripe
  uint32_t ulNumSqlBuffers;               // 0: left to SQL Server
  uint32_t ulSqlBufferSize;               // KB; 0: left to SQL Server
  uint32_t bTruncate;                     // a log backup truncates the log
  const char* debugPathP;                 // non-empty: write each stripe to a disk file here
};

enum SqlRecoveryState : uint32_t { SQL_RECOVERY = 0, SQL_NORECOVERY = 1, SQL_STANDBY = 2 };
enum SqlStopKind : uint32_t {
  SQL_STOP_NONE = 0,
  SQL_STOP_AT = 1,          // STOPAT=N'time'
  SQL_STOP_AT_MARK = 2,     // STOPATMARK=N'mark'
  SQL_STOP_BEFORE_MARK = 3  // STOPBEFOREMARK=N'mark'
};

struct SqlRestoreStatement {
  uint32_t bLog;  // RESTORE LOG, else RESTORE DATABASE
  const char* databaseNameP;
  CLinkedList<SqlStmtItem>* itemListP;    // FILEGROUP and FILE items in order, or null
  CLinkedList<SqlStmtItem>* deviceListP;  // the virtual device names, one per stripe
  uint32_t ulNumSqlBuffers;
  uint32_t ulSqlBufferSize;             // KB
  uint32_t bDboOnly;                    // ", DBO_ONLY"
  uint32_t bRestrictedUser;             // ", RESTRICTED_USER"
  uint32_t bPartial;                    // ", PARTIAL"
  CLinkedList<SqlStmtMove>* moveListP;  // or null
  uint32_t recovery;                    // SqlRecoveryState
  const char* standbyFileP;             // with SQL_STANDBY
  uint32_t bReplace;
  uint32_t stop;          // SqlStopKind
  const char* stopTextP;  // the time (STOPAT) or the mark
  const char* afterP;     // " AFTER N'...'" behind a mark, or null
};

// The backup type's low-level name, "invalid" for a value out of range.
const char* sqlBackupTypeName(uint32_t backupType);

// MAXTRANSFERSIZE in bytes for a buffer size in KB: rounded up to a multiple of 64 KB.
uint32_t sqlMaxTransferSize(uint32_t bufferSizeKb);

// Appends the BACKUP statement to `command`. errorTextP receives the detail of a 1908.
int sqlBuildBackupStatement(CSqlCommand& command, const SqlBackupStatement& statement,
                            uint32_t* cancelledP, char* errorTextP, size_t errorTextSize);
// Appends the RESTORE statement to `command`.
int sqlBuildRestoreStatement(CSqlCommand& command, const SqlRestoreStatement& statement,
                             uint32_t* cancelledP, char* errorTextP, size_t errorTextSize);

// Appends the virtual device names of the first `numStripes` stripes (fewer when the list is
// shorter) to `devices`. Stripe is any stripe record with a narrow `vdevName`. 0 or 421.
template <class Stripe>
int sqlCollectDevices(CLinkedList<Stripe>& stripes, uint32_t numStripes,
                      CLinkedList<SqlStmtItem>& devices) {
  uint32_t n = 0;
  for (Stripe* stripeP = stripes.getFirst(); stripeP != nullptr && n < numStripes;
       stripeP = stripes.getNext(stripeP), n++) {
    SqlStmtItem device = {0, stripeP->vdevName};
    int rc = devices.addTail(&device);
    if (rc != RC_OK) return rc;
  }
  return RC_OK;
}
