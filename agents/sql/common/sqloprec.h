// The records that the backup and restore requests hand down to the operations, and that the
// database backup and restore hand to their stripes: the SQL settings of a backup and of a
// restore (which the operations pass on to the BACKUP and RESTORE statements), one
// storage-server session, and one stripe of a backup or a restore. Plain records; every
// operation that fills or reads a field says so where it does. Lists of them keep copies.
#pragma once

#include <cstdint>

#include "hublorapi.h"
#include "pkint64.h"

struct IClientVirtualDevice;
struct VDC_Command;
class CBackupStripe;
class CRestoreStripe;

constexpr int SQL_DEBUG_PATH_SIZE = 264;
constexpr int SQL_DATE_TIME_SIZE = 41;
constexpr int SQL_MARK_NAME_SIZE = 131;
constexpr int SQL_AFTER_SIZE = 44;

struct SqlBackupParameters {
  uint32_t ulNumSqlBuffers;  // 0: SQL Server chooses
  uint32_t ulSqlBufferSize;  // KB; 0: SQL Server chooses
  int32_t lEstimateAdjustKb;
  int32_t lEstimateAdjustPct;
  uint32_t bTruncate;  // a log backup truncates the log
  uint32_t bRecovery;
  uint32_t bRecoverySpecified;
  uint32_t bStandby;
  char szDebugBackupPath[SQL_DEBUG_PATH_SIZE];  // empty in normal operation
};

struct SqlRestoreParameters {
  uint32_t bRestrictedUserOnly;
  uint32_t bRecoverySpecified;
  uint32_t bPreviousRestoreWasLog;  // the restore before this one into the database was a log
  uint32_t ulNumSqlBuffers;
  uint32_t ulSqlBufferSize;  // KB
  uint32_t bStopBeforeMark;
  uint32_t bStopAtMark;
  char szDateTime[SQL_DATE_TIME_SIZE];  // the point in time, passed to SQL Server unchanged
  char szMarkName[SQL_MARK_NAME_SIZE];
  uint32_t bRecovery;
  uint32_t bRelocate;
  uint32_t bPartial;
  uint32_t bReplace;
  uint32_t bStandby;
  uint32_t bStopAt;
  char szAfter[SQL_AFTER_SIZE];  // the time for AFTER, passed unchanged
  uint32_t bAfter;
  uint32_t bInto;
  uint8_t reserved[264];  // carried unchanged
};

// One storage-server session, opened by a request for one stripe.
struct HublorSessionInfo {
  pelkSessInfo apiSessInfo;  // filled by the logon
  uint32_t connected;        // 1 after a successful logon, 0 after the logoff
  uint32_t pelkHandle;
};

constexpr int VDEV_NAME_SIZE = 26;  // a virtual device name with its terminator

// One stripe of a database backup.
struct StripeData {
  HublorSessionInfo* hublorSessionInfoP;
  CBackupStripe* backupStripeP;  // owned by the record's owner
  uint32_t stripeNumber;         // from 0
  VDC_Command* vdevCommandP;     // the device command being served, or null
  char16_t vdevNameW[VDEV_NAME_SIZE];
  char vdevName[VDEV_NAME_SIZE];  // the same name, for traces
  pelkObjName objName;            // this stripe's data object
  pkInt64 size64;                 // size estimate of the data object
  IClientVirtualDevice* vdevP;    // the opened device, or null
  int32_t rc;                     // the stripe's result; 419 until its thread has run
};

// One stripe of a database restore.
struct RestoreStripeData {
  HublorSessionInfo* hublorSessionInfoP;  // set anew by every run
  CRestoreStripe* restoreStripeP;         // owned by the database restore
  uint32_t stripeNumber;                  // from 0
  char16_t vdevNameW[VDEV_NAME_SIZE];
  char vdevName[VDEV_NAME_SIZE];
  IClientVirtualDevice* vdevP;
};
