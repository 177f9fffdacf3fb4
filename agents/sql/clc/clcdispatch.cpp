// The dispatch of the parsed command to its handler, by command id.
#include "agtrc.h"
#include "clc.h"
#include "parse.h"

namespace {

typedef int (*ClcHandler)(ClcRun* runP);

struct DispatchRow {
  uint32_t first;
  uint32_t last;
  ClcHandler handlerP;
};

const DispatchRow kDispatch[] = {
    {CMD_BACKUP_DIFF, CMD_BACKUP_SET, clcBackup},
    {CMD_CHANGE_PASSWORD, CMD_CHANGE_PASSWORD, clcChangePassword},
    {CMD_HELP, CMD_HELP_LAST, clcHelp},
    {CMD_INACTIVATE_ALL, CMD_INACTIVATE_SET, clcInactivate},
    {CMD_QUERY_SQL, CMD_QUERY_SQL_DATABASES, clcQuerySql},
    {CMD_QUERY_ZARNAK, CMD_QUERY_ZARNAK, clcQueryZarnak},
    {CMD_QUERY_HUBLOR, CMD_QUERY_HUBLOR, clcQueryHublor},
    {CMD_QUERY_HUBLOR_ALL, CMD_QUERY_HUBLOR_TYPES, clcQueryBackups},
    {CMD_RESTORE_DIFF, CMD_RESTORE_SET, clcRestore},
    {CMD_SET_SQLAUTH, CMD_SET_DIFFESTIMATE, clcSet},
    {CMD_SET_FROMSQLSERVER, CMD_SET_TIMEFORMAT, clcSet},
};

}  // namespace

void clcDispatch(ClcRun* runP) {
  uint32_t command = runP->options.command;
  for (const DispatchRow& row : kDispatch) {
    if (command < row.first || command > row.last) continue;
    runP->runRc = row.handlerP(runP);
    return;
  }
  runP->runRc = RC_INTERNAL_ERROR;  // a command id without a branch
}
