// The SQL settings of a backup and of a restore, as the requests hand them down to the
// operations and the operations to the BACKUP and RESTORE statements. Plain records; every
// operation that fills or reads a field says so where it does.
#pragma once

#include <cstdint>

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
