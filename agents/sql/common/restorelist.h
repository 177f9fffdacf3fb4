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

constexpr int RC_STOP_NOT_REACHED = 1918;
constexpr int RESTORE_ITEM_TEXT_SIZE = 3584;

// One restore request's list, handed whole to restoreDbList: the fields it reads, then those
// it writes. The caller owns every list and buffer it points to.
struct RestoreListJob {
  uint32_t statusMilliSeconds = 0;           // how often a running restore reports its progress
  StatusFunction statusFunctionP = nullptr;  // the front end's reports; none when null
  SqlRestoreParameters parameters{};         // copied; every run reads the copy
  SqlServerElement* serverP = nullptr;
  CLinkedList<HublorSessionInfo>* sessionsP = nullptr;  // at least one, logged on
  CLinkedList<MoxtarMetaInfo>* backupsP = nullptr;      // in restore order; nActionRc written
  uint32_t mountWait = 0;
  uint32_t bufferSize = 0;
  uint32_t numBuffers = 0;
  uint32_t numStripes = 0;
  uint32_t* cancelP = nullptr;  // the request's cancel flag
  char* msgBufferP = nullptr;   // RESTORE_ITEM_TEXT_SIZE bytes, emptied first
  // Written by restoreDbList.
  uint32_t restored = 0;
  uint32_t skipped = 0;
  double totalSeconds = 0;
  uint64_t totalBytes = 0;
};

int restoreDbList(RestoreListJob* jobP);
