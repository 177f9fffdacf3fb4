#include "dcmdworker.h"

#include <atomic>
#include <cinttypes>
#include <cstdio>
#include <cstring>

#include "agtrc.h"
#include "agttrc.h"
#include "dsqlaccess.h"
#include "dsqlguiapp.h"
#include "dstatus.h"
#include "erifunc.h"
#include "errormsg.h"
#include "ffrc.h"
#include "msgout.h"
#include "psthread.h"
#include "uicall.h"

namespace {

constexpr uint32_t kIdOk = 1;
constexpr size_t kMessageBufferSize = ERI_MSG_BUFFER_LEN + 1;

// Written by the user-interface thread only; read by every reporting thread.
std::atomic<CStatus*> g_statusDialogP{nullptr};

struct WorkerArgs {
  DCommandWorker* workerP;
  commandInfo* infoP;
};

bool isBackup(uint32_t command) {
  return command >= ERI_CMD_BACKUP_DIFF && command <= ERI_CMD_BACKUP_SET;
}

bool isInactivate(uint32_t command) {
  return command >= ERI_CMD_INACTIVATE_DIFF && command <= ERI_CMD_INACTIVATE_SET;
}

const char* backupTraceName(uint32_t command) {
  static const char* const kNames[] = {"backupdiff",  "backupfile", "backupfull",
                                       "backupgroup", "backuplog",  "backupset"};
  return kNames[command - ERI_CMD_BACKUP_DIFF];
}

void traceSelection(const backupRequestInfo& request) {
  if (!gTrace.isOn(TRC_GUI)) return;
  CLinkedList<SqlDatabaseElement>* dbsP = request.querySqlServerDbInfoP;
  for (SqlDatabaseElement* dbP = dbsP != nullptr ? dbsP->getFirst() : nullptr; dbP != nullptr;
       dbP = dbsP->getNext(dbP)) {
    if (dbP->bSqlDbIsSelected != 0)
      TRACE_LINE(TRC_GUI, "DB <%s> is selected.\n", dbP->szSqlDatabaseName);
  }
  CLinkedList<SqlGroupElement>* groupsP = request.sqlGroupListP;
  for (SqlGroupElement* gP = groupsP != nullptr ? groupsP->getFirst() : nullptr; gP != nullptr;
       gP = groupsP->getNext(gP)) {
    TRACE_LINE(
        TRC_GUI,
        gP->bGroupIsSelected != 0 ? "  GROUP <%s> is selected\n" : "  GROUP <%s> is NOT selected\n",
        gP->szGroupName);
  }
  CLinkedList<SqlFileElement>* filesP = request.sqlFileListP;
  for (SqlFileElement* fP = filesP != nullptr ? filesP->getFirst() : nullptr; fP != nullptr;
       fP = filesP->getNext(fP)) {
    TRACE_LINE(TRC_GUI,
               fP->bFileIsSelected != 0 ? "    FILE <%s> is selected\n"
                                        : "    FILE <%s> is NOT selected\n",
               fP->szFileLogicalName);
  }
}

// The backup record of the engine from the program's options.
void fillBackupParms(uint32_t command, char* msgBufferP, DSqlBackupDatabaseParms* p) {
  const OptionsInfo& o = guiOptions();
  *p = DSqlBackupDatabaseParms{};
  p->sqlParms.ulNumSqlBuffers = static_cast<uint32_t>(o.nSqlBuffers);
  p->sqlParms.ulSqlBufferSize = static_cast<uint32_t>(o.nSqlBufferSize);
  p->sqlParms.lEstimateAdjustKb = o.nAdjustKbEstimate;
  p->sqlParms.lEstimateAdjustPct = o.nAdjustPercentEstimate;
  p->sqlParms.bTruncate = o.bTruncate;
  p->sqlParms.bRecovery = o.bRecovery;
  p->sqlParms.bRecoverySpecified = o.bRecoverySpecified;
  p->sqlParms.bStandby = o.bStandby;
  std::snprintf(p->sqlParms.szDebugBackupPath, sizeof p->sqlParms.szDebugBackupPath, "%s",
                o.szDebugBackupPath);
  p->nStatusMilliSeconds = static_cast<uint32_t>(o.nStatusInterval);
  p->bIncludeLogBackup = o.bIncludeLogBackup;
  p->statusFunctionP = DCommandWorker::doCommandStatus;
  p->msgBufferLen = ERI_MSG_BUFFER_LEN;
  p->nBufferSize = static_cast<uint32_t>(o.nBufferSize);
  p->bMountWait = o.bMountWait;
  p->msgBufferP = msgBufferP;
  p->nCleanupOlderThan = o.nOlderthan;
  p->nEstimate = command == ERI_CMD_BACKUP_DIFF  ? o.nDiffEstimate
                 : command == ERI_CMD_BACKUP_LOG ? o.nLogEstimate
                                                 : 0;
  p->nBuffers = o.nBuffers;
  p->nStripes = o.nStripes;
  p->command = command;
}

int runBackup(uint32_t command, const backupRequestInfo* requestP, char* msgBufferP) {
  if (requestP == nullptr) return RC_INTERNAL_ERROR;
  TRACE_LINE(TRC_GUI, " Calling eri for command %s\n", backupTraceName(command));
  traceSelection(*requestP);
  DSqlBackupDatabaseParms parms;
  fillBackupParms(command, msgBufferP, &parms);
  return eriBackupSqlDatabase(&parms, requestP->querySqlServerDbInfoP, nullptr,
                              requestP->sqlGroupListP, nullptr, requestP->sqlFileListP, nullptr);
}

// The sender's record runs with the worker's status callback and gets its own back afterwards:
// the sender waits in its send meanwhile, and its lists stay its own.
template <class Parms>
int runWithStatus(Parms* parmsP, int (*entryP)(Parms*)) {
  if (parmsP == nullptr) return RC_INTERNAL_ERROR;
  StatusFunction sendersP = parmsP->statusFunctionP;
  parmsP->statusFunctionP = DCommandWorker::doCommandStatus;
  int rc = entryP(parmsP);
  parmsP->statusFunctionP = sendersP;
  return rc;
}

int runRequest(const commandInfo& info, char* msgBufferP) {
  uint32_t command = info.command;
  if (command == 0) return RC_OK;
  if (isBackup(command)) {
    return runBackup(command, static_cast<const backupRequestInfo*>(info.parmsP), msgBufferP);
  }
  if (isInactivate(command)) {
    return runWithStatus(static_cast<CInactivateBackupsParms*>(info.parmsP), eriInactivateBackups);
  }
  if (command == ERI_CMD_RESTORE_ANY) {
    return runWithStatus(static_cast<CRestoreBackupsParms*>(info.parmsP), eriRestoreBackups);
  }
  TRACE_LINE(TRC_GUI,
             "An internal processing error has been detected.\nAn unknown command has been "
             "detected, command = %d\n",
             static_cast<int>(command));
  return RC_INTERNAL_ERROR;
}

// The request's text, else the message of its code, as the dialog's last report.
void reportFailure(int rc, char* msgBufferP) {
  textOrRcMessage(msgBufferP, rc, msgBufferP, kMessageBufferSize);
  StatusInfo status{};
  status.kind = msgoutStatus;
  status.msgout.textP = msgBufferP;
  DCommandWorker::doCommandStatus(status);
}

}  // namespace

DCommandWorker& theCommandWorker() {
  static DCommandWorker worker;
  return worker;
}

CStatus* DCommandWorker::statusDialog() {
  return g_statusDialogP.load(std::memory_order_acquire);
}

uint32_t DCommandWorker::runCommand(commandInfo* infoP) {
  TRACE_ENTRY(TRC_GUI, "DApplicationController::doCommand()");
  commandInfo nothing;
  if (infoP == nullptr) infoP = &nothing;
  std::unique_lock<std::mutex> sqlLock = lockSqlAccess();
  Ffrc rc;
  CStatus status;
  // The dialog knows its command and is reachable before the worker can report anything.
  status.setStatusCommand(infoP->command);
  g_statusDialogP.store(&status, std::memory_order_release);
  WorkerArgs args{this, infoP};
  psThread thread = nullptr;
  int threadRc = psThreadCreate(&thread, runExecuteCmd, &args);
  if (threadRc != RC_OK) {
    TRACE_LINE(TRC_GUI, "threadCreate( runStatus ) failed, rc = %d\n", threadRc);
    rc = threadRc;
    thread = nullptr;
  }
  if (rc == RC_OK) {
    int end = status.doModal();
    if (end != static_cast<int>(kIdOk)) {
      TRACE_LINE(TRC_GUI, "status.DoModal() failed, rc = %d\n", end);
      rc = RC_INTERNAL_ERROR;
    }
  }
  status.markClosed();
  if (rc != RC_OK) eriCancelRequest(nullptr);
  if (thread != nullptr) {
    zkui::uiWaitFor([&thread] {
      uint32_t exitCode = 0;
      return psThreadGetExitCode(thread, &exitCode) != RC_OK || exitCode != PS_STILL_ACTIVE;
    });
    int waitRc = psThreadWaitForThreads(&thread, 1);
    if (waitRc != RC_OK) {
      TRACE_LINE(TRC_GUI, "waitForThreads() failed, rc = %d\n", waitRc);
      rc = waitRc;
    }
    uintptr_t handle = reinterpret_cast<uintptr_t>(thread);
    int releaseRc = psThreadRelease(&thread);
    if (releaseRc != RC_OK) {
      TRACE_LINE(TRC_GUI, "threadRelease() failed, thread[ %d ] = %#" PRIxPTR ", rc = %d\n", 0,
                 handle, releaseRc);
    }
  }
  g_statusDialogP.store(nullptr, std::memory_order_release);
  TRACE_RETURN(rc);
}

uint32_t DCommandWorker::runExecuteCmd(void* argP) {
  auto* argsP = static_cast<WorkerArgs*>(argP);
  int rc = executeCmd(argsP->infoP);
  zkui::uiNotify();  // the user-interface thread's wait tests for our end at once
  return rc;
}

int DCommandWorker::executeCmd(commandInfo* infoP) {
  static const char* const kName = "DApplicationController::executeCmd()";
  TRACE_LINE(TRC_GUI, "Enter %s\n", kName);
  char msgBuffer[kMessageBufferSize] = "";
  guiOptions().command = infoP->command;
  CStatus* dialogP = statusDialog();
  int rc = RC_OK;
  // A request starts only beside a dialog that shows: one that could not open cannot stop it.
  if (dialogP != nullptr && !dialogP->waitUntilReady()) {
    rc = RC_INTERNAL_ERROR;
  } else {
    rc = runRequest(*infoP, msgBuffer);
  }
  if (rc != RC_OK) reportFailure(rc, msgBuffer);
  if (dialogP != nullptr) {
    int okRc = dialogP->enableOkButton();
    if (rc == RC_OK) rc = okRc;
  }
  TRACE_LINE(TRC_GUI, "Exit %s, rc = %d\n", kName, rc);
  return rc;
}

int DCommandWorker::doCommandStatus(StatusInfo status) {
  CStatus* dialogP = statusDialog();
  if (dialogP == nullptr) {
    TRACE_LINE(TRC_GUI,
               "The global status object is undefined, unable to display status information.\n");
    return RC_INTERNAL_ERROR;
  }
  dialogP->doCommandStatus(status);
  return RC_OK;
}
