// The inactivation of stored backups: every backup that the query of stored backups finds for
// the request (or that the caller hands in) and that is old enough loses its active state,
// data objects first and its meta-data object last. Nothing is renamed and no data moves.
//
// Reports go to the status callback (start, begin and end of each backup, finish), to the
// activity log and to the storage server's event log; with the full-backup command of the
// backup request the request is quiet and reports only the begin and end of each backup.
//
// Threads: runs on its caller's thread; the cancel flag, set from another thread, is tested
// between backups and handed to the storage-server calls.
#pragma once

#include <cstdint>

#include "sqlqrybackup.h"

class CInactivateBackupsEri : public DSqlQueryBackupEri {
 public:
  explicit CInactivateBackupsEri(CInactivateBackupsParms* parmsP);
  ~CInactivateBackupsEri() override;

  // 0; 114 when no backup matched (0 for the backup request); 402 when some backups failed;
  // 415 when cancelled; 419 without parameters or session; or the query's code.
  int ProcessRequestDetails() override;

 protected:
  // The current date and time; tests give a clock of their own.
  typedef void (*NowRtn)(agentDateTime* nowP);
  NowRtn m_NowRtn;

 private:
  struct Run;
  bool isQuiet() const;
  int queryIfEmpty();
  void inactivateOne(Run& run, MoxtarMetaInfo* entryP);
  int inactivateObjects(Run& run, MoxtarMetaInfo* entryP, char* textP);

  CInactivateBackupsParms* m_ParmsP;
};
