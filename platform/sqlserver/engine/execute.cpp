#include "execute.h"

#include "backup_restore.h"

namespace sqlengine {

SqlError executeStatement(Instance& instance, const Statement& statement) {
  if (const auto* backup = std::get_if<BackupStatement>(&statement))
    return runBackup(instance, *backup);
  return runRestore(instance, std::get<RestoreStatement>(statement));
}

}  // namespace sqlengine
