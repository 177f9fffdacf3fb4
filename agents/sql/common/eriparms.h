// The parameter records through which the front ends hand an operation to the engine's entry
// functions, and the name lists they point to. The front end allocates and fills a record,
// keeps it for the whole call and owns every list it points to; the requests read it and write
// back only the fields their own descriptions name.
#pragma once

#include <cstdint>

#include "linklist.h"
#include "moxtarutil.h"
#include "sqloprec.h"
#include "statusinfo.h"

// The message buffer both front ends give: 3584 characters and the terminator.
constexpr uint32_t ERI_MSG_BUFFER_LEN = 3584;

// One database, group or logical file name, or a pattern of one ("*" any run of characters).
constexpr int ERI_NAME_SIZE = 132;
struct EriNameEntry {
  char szName[ERI_NAME_SIZE];
};
typedef CLinkedList<EriNameEntry> EriNameList;

// One backup's time-and-process name (backup time "\" process id), or a pattern of one.
constexpr int ERI_OBJECT_NAME_SIZE = 24;
struct EriObjectNameEntry {
  char szName[ERI_OBJECT_NAME_SIZE];
};
typedef CLinkedList<EriObjectNameEntry> EriObjectNameList;

// Backup commands.
enum : uint32_t {
  ERI_CMD_BACKUP_DIFF = 1,
  ERI_CMD_BACKUP_FILE = 2,
  ERI_CMD_BACKUP_FULL = 3,
  ERI_CMD_BACKUP_GROUP = 4,
  ERI_CMD_BACKUP_LOG = 5,
  ERI_CMD_BACKUP_SET = 6,
};

// A backup, as eriBackupSqlDatabase and the backup request read it.
struct DSqlBackupDatabaseParms {
  SqlBackupParameters sqlParms;  // handed to SQL Server; zeroed by the front end before filling
  uint32_t nStatusMilliSeconds;  // interval of progress reports
  uint32_t bIncludeLogBackup;    // also back up the log
  StatusFunction statusFunctionP;
  uint32_t msgBufferLen;
  uint32_t nBufferSize;       // KB per transfer buffer
  uint32_t bMountWait;        // wait for a storage-server mount
  char* msgBufferP;           // emptied by the entry function first
  int32_t nCleanupOlderThan;  // days: left-overs of failed backups this old are removed
  int32_t nEstimate;          // size estimate percent, DIFF and LOG backups
  int32_t nBuffers;
  int32_t nStripes;
  uint32_t command;  // ERI_CMD_BACKUP_*
};

// The filespace query of eriHublorQuerySqlServers: the filespaces of one SQL Server, or of every
// server whose name matches a pattern ("*" for all).
constexpr int ERI_SQL_SERVER_NAME_SIZE = 33;
struct DSqlQueryFilespaceParms {
  char sqlServerName[ERI_SQL_SERVER_NAME_SIZE];
  MoxtarFilespaceList* fsListP;  // receives the filespaces found; null: none are kept
  char* msgBufferP;              // the caller's message buffer (ERI_MESSAGE_SIZE bytes)
};

// The names of a list in list order, separated by ",", for activity-log lines: a name (with
// its ",") is taken only while the text stays under ERI_NAME_TEXT_SIZE - 1 characters, names
// that no longer fit are left out; "-" for a null or empty list. Returns textP, which holds
// ERI_NAME_TEXT_SIZE bytes.
constexpr int ERI_NAME_TEXT_SIZE = 1793;
template <class Entry>
char* eriNameListText(CLinkedList<Entry>* listP, char* textP);
