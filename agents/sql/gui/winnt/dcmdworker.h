// How the windowed program runs a command that changes data: a backup, an inactivation or a
// restore, on a worker thread beside the modal progress dialog (dstatus.h).
//
// The entry point for windows and controllers: fill a commandInfo (dcontrol.h) and send it up
// the controller chain,
//     commandInfo info{command, &record};
//     int rc = informController(controllerP, INFORM_DO_COMMAND, &info);
// which reaches the root and DCommandWorker::runCommand (the application installs the worker as
// the command runner at start-up). It returns when the command has ended and the user has closed
// the progress dialog: 0, or the first failure of running it (the thread, the dialog: 419). The
// request's own failure is not returned: the user has read it in the dialog. The record is the
// sender's, on its stack, and stays the sender's (lists included):
//     command 0       nothing runs; the dialog's OK is enabled at once
//     commands 1-6    backupRequestInfo (below): eriBackupSqlDatabase, with every other value
//                     from the program's options record (guiOptions())
//     commands 48-53  CInactivateBackupsParms (eriqryparms.h): eriInactivateBackups
//     command 71      CRestoreBackupsParms (eriqryparms.h): eriRestoreBackups
//     anything else   419, shown in the dialog
// The worker gives the inactivation and restore records its own status callback for the run
// and puts the sender's back afterwards.
//
// Threads: runCommand on the user-interface thread; it holds the SQL access lock
// (dsqlaccess.h) for the whole command, publishes the dialog before the worker starts, and while
// it waits for the worker at the end it keeps serving the worker's calls to the user-interface
// thread (zkui::uiWaitFor), so a late report or a password prompt never deadlocks. The worker
// runs executeCmd; status reports come from any engine thread through doCommandStatus.
#pragma once

#include <cstdint>

#include "dappctl.h"
#include "linklist.h"
#include "sqltypes.h"
#include "statusinfo.h"

class CStatus;

// The record of commands 1-6: the backup window's lists of SQL Server elements, whose selection
// flags say what to back up. The worker reads nothing else of it.
struct backupRequestInfo {
  CLinkedList<SqlDatabaseElement>* querySqlServerDbInfoP = nullptr;
  CLinkedList<SqlGroupElement>* sqlGroupListP = nullptr;
  CLinkedList<SqlFileElement>* sqlFileListP = nullptr;
};

class DCommandWorker : public DCommandRunner {
 public:
  // Runs the command as described above (the application controller's doCommand).
  uint32_t runCommand(commandInfo* infoP) override;

  // The worker thread's start routine: argP points to the runner's {worker, commandInfo} pair;
  // executeCmd's result.
  static uint32_t runExecuteCmd(void* argP);
  // Worker thread: runs the request of the command, sends its failure to the dialog as a last
  // message report and enables the dialog's OK; the request's code, or 419.
  static int executeCmd(commandInfo* infoP);
  // The status callback handed to the requests: forwards the report to the current progress
  // dialog and returns 0; 419 (traced) when there is none.
  static int doCommandStatus(StatusInfo status);
  // The dialog of the running command, or null.
  static CStatus* statusDialog();
};

// The program's one command worker.
DCommandWorker& theCommandWorker();
