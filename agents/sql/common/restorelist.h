// restoreDbList: every restore of one restore request, one stored backup after another in list
// order, each as one run of the database restore (CRestoreDb). Around every backup it decides
// the recovery setting (RECOVERY only on the last of consecutive backups into one destination),
// finds the backup's data objects, reports begin and end to the front end and writes the
// outcome to the activity log and the storage server's event log. A failure skips the later
// backups into the same destination (1318) and lets the others go on.
//
// Each entry's nActionRc keeps its own outcome afterwards: 0 restored; 1917 restored, SQL
// Server having refused a stop point an earlier log restore passed (reported as 0; later
// entries into that destination are skipped); 1318 skipped; else the failure's code.
//
// Runs on the restore request's thread; the cancel flag is written by another thread.
//
// A log restore to a stop point (a time or a mark) that the last log restored into a database
// does not reach leaves that database restoring; its state is read back after that log, and
// the call then ends with 1918 and a warning naming the database in msgBufferP, the entries
// still counted as restored.
//
// Codes: 0; 419 no storage-server session; 415 cancelled; 402 not every entry was restored or
// skipped; 1918 a stop point was not reached.
#pragma once

#include <cstdint>

#include "linklist.h"
#include "objinfo.h"
#include "sqloprec.h"
#include "sqltypes.h"
#include "statusinfo.h"

constexpr int RC_SKIPPED_AFTER_FAILURE = 1318;
constexpr int RC_STOP_NOT_REACHED = 1918;
constexpr int RESTORE_ITEM_TEXT_SIZE = 3584;

int restoreDbList(uint32_t statusMilliSeconds, StatusFunction statusFunctionP,
                  SqlRestoreParameters sqlRestoreParameters, SqlServerElement* sqlServerElement,
                  CLinkedList<HublorSessionInfo>* hublorSessionInfoList,
                  CLinkedList<MoxtarMetaInfo>* moxtarMetaInfoList, uint32_t* numRestoredP,
                  uint32_t* numSkippedP, uint32_t bMountWait, uint32_t bufferSize,
                  uint32_t numBuffers, uint32_t numStripes, uint32_t* cancelledP,
                  double* totalSecondsP, uint64_t* totalBytesP, char* msgBufferP);
