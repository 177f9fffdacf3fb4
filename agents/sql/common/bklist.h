// backupDbList: every backup one backup request asks for. For each object of the list (a
// database, a filegroup, a file or a set of them) and, within it, each backup type of the type
// list, one backup by the database backup object (CBackupDb), which serves the whole list.
// Before the first backup it caps the stripes (by the SQL Server's version, the sessions and
// the server's objects per transaction), warns when the node may not delete backup objects and
// registers the SQL Server's meta-data and data filespaces, stamping their backup start dates;
// around every backup it sends begin and end reports, writes the outcome to the activity log
// and to the storage server's event log; at the end it stamps the backup completion dates.
//
// Runs on the request's thread; the cancel flag is the request's, read before every step.
//
// Codes: 0; 402 when not every backup ended with 0 (or nothing could run); 415 cancelled;
// 502 an invalid backup type; 421 no memory; 418 a filespace registration failed (the
// interface's text in the message buffer); a code of the filespace naming. Each object's own
// result is left in its nActionRc: 0 when all its types succeeded, 1318 when a type was
// skipped after a failure, else the failing code.
#pragma once

#include <cstdint>

#include "linklist.h"
#include "sqloprec.h"
#include "sqltypes.h"
#include "statusinfo.h"

// One backup request's list, handed whole to backupDbList: the fields it reads, then those it
// writes. The caller owns every list and buffer it points to.
struct BackupListJob {
  uint32_t statusMilliSeconds = 0;           // how often a running backup reports its progress
  StatusFunction statusFunctionP = nullptr;  // the front end's reports; none when null
  SqlBackupParameters parameters{};          // copied; every backup reads the copy
  CLinkedList<HublorSessionInfo>* sessionsP = nullptr;  // one a stripe, logged on
  SqlServerElement* serverP = nullptr;
  uint32_t estimatePct = 0;                      // the size estimate's share, in percent
  CLinkedList<uint32_t>* typesP = nullptr;       // the backup types, run in turn on each object
  CLinkedList<SqlDbInfo>* databasesP = nullptr;  // the objects; nActionRc written
  uint32_t mountWait = 0;
  uint32_t bufferSize = 0;
  uint32_t numBuffers = 0;
  uint32_t numStripes = 0;
  uint32_t* cancelP = nullptr;  // the request's cancel flag
  int32_t olderThan = 0;        // the age in days of failed backups' left-overs to remove
  char* msgBufferP = nullptr;   // NLS_MSG_MAX bytes, emptied first
  // Written by backupDbList.
  double totalSeconds = 0;
  uint64_t totalBytes = 0;
  uint32_t backupsDone = 0;
};

int backupDbList(BackupListJob* jobP);

// The command number of a backup type in the begin and end reports (3 full, 1 difffull,
// 5 log, 4 group, 2 file, 6 set); 0 for any other type.
uint32_t backupTypeCommand(uint32_t backupType);
