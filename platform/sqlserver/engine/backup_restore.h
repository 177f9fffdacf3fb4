// BACKUP and RESTORE through virtual devices, as the executor runs them; media.h holds the
// format, vdevices.h the devices.
#pragma once

#include <string>

#include "instance.h"
#include "sqlerror.h"
#include "statement.h"
#include "vdevices.h"

namespace sqlengine {

// The database's backup history, kept as its properties.
inline constexpr const char* kPropFullLsn = "backup.full-lsn";           // the last full backup
inline constexpr const char* kPropLogChainLsn = "backup.log-chain-lsn";  // next log backup's start
// A restore sequence in progress.
inline constexpr const char* kPropRestoreLsn = "restore.lsn";            // restored up to here
inline constexpr const char* kPropRestoreFullLsn = "restore.full-lsn";   // the full it began with
inline constexpr const char* kPropStopReached = "restore.stop-reached";  // "1": a stop point hit

SqlError runBackup(Instance& instance, const BackupStatement& statement);
SqlError runRestore(Instance& instance, const RestoreStatement& statement);

// Waits for device i's next completion; a failed call or a refused command is the device's
// fault (a read may end with ERROR_HANDLE_EOF).
SqlError awaitCompletion(StatementDevices& devices, std::size_t i, bool write,
                         vdi::VDServerCompletion* completion = nullptr);

// Names compare without regard to case, as the server's catalogue does.
bool sameName(const std::string& a, const std::string& b);

}  // namespace sqlengine
