// The parameter records of the requests on stored backups: the query of stored backups, the
// inactivation and the restore. The inactivation and restore records begin with the query's.
#pragma once

#include <cstdint>
#include <list>

#include "eriparms.h"
#include "objinfo.h"
#include "optinfo.h"
#include "sqlqbentry.h"

// The backups a query found, each as its meta-data object.
typedef CLinkedList<MoxtarMetaInfo> MoxtarMetaList;

// One database of a query's result: its name and its backups, which follow each other in the
// sorted result list.
struct DbSummaryElement {
  char szDbName[ERI_NAME_SIZE];
  MoxtarMetaInfo* firstP;  // its first backup in the result list
  uint32_t count;          // its backups, from firstP on
  uint32_t reserved;
};

// Backup types of a query (qryCommand); any other value asks for every type.
enum : uint32_t {
  ERI_QRY_DIFFFULL = 0x40,
  ERI_QRY_FILE = 0x41,
  ERI_QRY_FULL = 0x42,
  ERI_QRY_GROUP = 0x43,
  ERI_QRY_LOG = 0x44,
  ERI_QRY_SET = 0x45,
};

// A query of stored backups, as eriHublorQuerySqlBackups and the query request read it. The
// inactivation and restore records begin with it. The record's own lists hold backups for a
// caller that has no list of its own: qryBuListP starts at the first.
struct DSqlQueryBackupParms {
  DSqlQueryBackupParms() : qryBuListP(&ownLists[0]) {}
  DSqlQueryBackupParms(const DSqlQueryBackupParms&) = delete;
  DSqlQueryBackupParms& operator=(const DSqlQueryBackupParms&) = delete;

  EriObjectNameList* objectPatternListP = nullptr;  // time-and-process patterns; none: any
  uint32_t bAllFilespaces = 0;  // 1: every filespace of the server, else its meta filespace
  uint32_t bFillDbElems = 0;    // build a database element per backup; 0 with bFileInfo: only
                                // read the file information of the backups in qryBuListP
  uint32_t bMetaMountWait = 0;  // the meta-data reading waits for a mount
  uint32_t bMountWait = 0;      // not read by the query: the restore's data objects wait
  const char* sqlServerNameP = nullptr;
  EriNameList* groupFileListP = nullptr;         // group or file name patterns
  EriObjectNameList* objectNameListP = nullptr;  // log or set time-and-process patterns
  uint32_t bAll = 0;                             // 1: backups in any state, else active ones
  StatusFunction statusFunctionP = nullptr;
  uint32_t msgBufferLen = ERI_MSG_BUFFER_LEN;  // not read by the query
  EriNameList* dbNameListP = nullptr;          // database name patterns; required
  uint32_t bFileInfo = 0;  // 1: read each backup's meta-data object for its file information
  uint32_t nBuffers = 0;   // for the meta-data reading
  uint32_t nBufferSize = 0;
  uint32_t nStatusMilliSeconds = 0;
  uint32_t qryCommand = 0;                                 // ERI_QRY_*
  CLinkedList<SqlHublorDbElement>* dbElemListP = nullptr;  // receives the database elements
  // Given to every database element added.
  CLinkedList<SqlMetaGroupInfo>* dbElemGroupListP = nullptr;
  CLinkedList<SqlMetaFileInfo>* dbElemFileListP = nullptr;
  CLinkedList<DbSummaryElement>* dbSummaryListP = nullptr;  // null: no summary
  MoxtarMetaList* qryBuListP;                               // receives the backups; required
  MoxtarMetaList ownLists[2];
  char* msgBufferP = nullptr;  // the caller's message buffer, emptied and filled by the entry
};

// Inactivation commands.
enum : uint32_t {
  ERI_CMD_INACTIVATE_ALL = 47,
  ERI_CMD_INACTIVATE_DIFF = 48,
  ERI_CMD_INACTIVATE_FILE = 49,
  ERI_CMD_INACTIVATE_FULL = 50,
  ERI_CMD_INACTIVATE_GROUP = 51,
  ERI_CMD_INACTIVATE_LOG = 52,
  ERI_CMD_INACTIVATE_SET = 53,
};

// An inactivation of stored backups by age.
struct CInactivateBackupsParms : DSqlQueryBackupParms {
  uint32_t nInactivated = 0;  // set by the request: the backups inactivated
  int32_t nOlderthan = 0;     // days; 0 or negative: no age limit
  uint32_t command = 0;       // ERI_CMD_INACTIVATE_*, or the backup request's ERI_CMD_BACKUP_*
};

// Restore commands.
enum : uint32_t {
  ERI_CMD_RESTORE_ANY = 71,
  ERI_CMD_RESTORE_DIFF = 72,
  ERI_CMD_RESTORE_FILE = 73,
  ERI_CMD_RESTORE_FULL = 74,
  ERI_CMD_RESTORE_GROUP = 75,
  ERI_CMD_RESTORE_LOG = 76,
  ERI_CMD_RESTORE_SET = 77,
};

// The pick callback of a restore: marks bIsPicked in the backups the user chose; 0 or a code.
typedef int (*EriPickCallback)(MoxtarMetaList* listP, uint32_t reserved1, uint32_t reserved2);

// A new physical file name of a relocation.
struct EriPhysicalNameEntry {
  char szName[SQL_PHYSICAL_NAME_SIZE];
};
typedef CLinkedList<EriPhysicalNameEntry> EriPhysicalNameList;

// The relocations of one database element: the list its RESTORE statement reads
// (pRelocateList). The caller keeps the lists; the restore request adds them.
struct EriRelocation {
  SqlHublorDbElement* dbElemP = nullptr;
  CLinkedList<SqlRelocatePair> pairs;
};
typedef std::list<EriRelocation> EriRelocationList;

// A restore of stored backups.
struct CRestoreBackupsParms : DSqlQueryBackupParms {
  SqlRestoreParameters sqlRestoreParms{};
  EriPickCallback pickCallbackP = nullptr;
  uint32_t bStripes = 0;  // the user gave a stripe count
  int32_t nStripes = 0;
  uint32_t command = 0;  // ERI_CMD_RESTORE_*
  uint32_t bPick = 0;
  EriNameList* groupNameListP = nullptr;           // group name patterns to restore
  EriNameList* fileNameListP = nullptr;            // file name patterns to restore
  EriNameList* relocateFromListP = nullptr;        // logical file name patterns, pairwise with
  EriPhysicalNameList* relocateToListP = nullptr;  // the new physical names
  EriNameList* intoNameListP = nullptr;            // the destination database name
  EriNameList* destinationListP = nullptr;         // receives each backup's destination
  EriRelocationList* relocationListP = nullptr;    // receives the relocations
  uint32_t reserved = 0;
};

// The SQL Server settings of a restore as the options record gives them, as both front ends
// fill them; the undo file of the command line goes into the reserved bytes.
void eriFillRestoreSql(const OptionsInfo& o, SqlRestoreParameters* sqlP);
