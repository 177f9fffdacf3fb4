#include "execute.h"

namespace sqlengine {

namespace {

SqlError notYet(const char* what) {
  return SqlError{
      kMsgEngineFailure, 16, 1,
      std::string(what) + " through virtual devices is not supported by this server yet."};
}

SqlError run(Instance& instance, const BackupStatement& backup) {
  Database db;
  if (SqlError e = instance.database(backup.database, db); !e.ok()) return e;
  return notYet(backup.log ? "BACKUP LOG" : "BACKUP DATABASE");
}

SqlError run(Instance&, const RestoreStatement& restore) {
  return notYet(restore.log ? "RESTORE LOG" : "RESTORE DATABASE");
}

}  // namespace

SqlError executeStatement(Instance& instance, const Statement& statement) {
  return std::visit([&](const auto& s) { return run(instance, s); }, statement);
}

}  // namespace sqlengine
