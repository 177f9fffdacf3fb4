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

constexpr uint32_t RC_TYPE_SKIPPED = 1318;

uint32_t backupDbList(uint32_t statusMilliSeconds, StatusFunction statusFunctionP,
                      SqlBackupParameters sqlBackupParameters,
                      CLinkedList<HublorSessionInfo>* hublorSessionInfoList,
                      SqlServerElement* sqlServerElementP, uint32_t dbBupSizeEstPct,
                      CLinkedList<uint32_t>* backupTypeList, CLinkedList<SqlDbInfo>* sqlDbInfoList,
                      uint32_t bMountWait, uint32_t bufferSize, uint32_t numBuffers,
                      uint32_t numStripes, uint32_t* cancelP, int32_t olderThan,
                      double* totalSecondsP, uint64_t* totalBytesP, uint32_t* backupsDoneP,
                      char* msgBufferP);

// The command number of a backup type in the begin and end reports (3 full, 1 difffull,
// 5 log, 4 group, 2 file, 6 set); 0 for any other type.
uint32_t backupTypeCommand(uint32_t backupType);
