// Runs a parsed BACKUP or RESTORE statement on an instance, blocking until it ends.
// The data moves through the virtual devices the statement names (backup_restore.h).
#pragma once

#include "instance.h"
#include "sqlerror.h"
#include "statement.h"

namespace sqlengine {

SqlError executeStatement(Instance& instance, const Statement& statement);

}  // namespace sqlengine
