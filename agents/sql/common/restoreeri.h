// CRestoreBackupsEri: one restore command. It takes the stored backups the front end gives (or
// queries them itself), narrows them to the groups and files asked for and to the backups the
// user picks, adds the file relocations and the destination name, opens one storage-server
// session per stripe and hands the list to restoreDbList. Afterwards it writes the summary to
// the storage server's event log, the activity log and the status callback, and logs every
// session off.
//
// Built by the restore entry function on its stack and run with ProcessRequest on the caller's
// thread; its own query session (opened by SetupEnvironment) becomes the first stripe's session
// and ends with the others.
//
// Codes of ProcessRequestDetails: restoreDbList's (0, 402, 415); 114 when nothing was left to
// restore (message 114 naming the SQL Server); 415 when cancelled before the restore began;
// 418 a storage failure with the interface's text; 419 a required list missing; a code of the
// SQL Server facts or of the query of stored backups.
#pragma once

#include <cstdint>
#include <list>
#include <vector>

#include "eriqryparms.h"
#include "sqlqrybackup.h"
#include "sqltypes.h"

struct RestoreListJob;

class CRestoreBackupsEri : public DSqlQueryBackupEri {
 public:
  explicit CRestoreBackupsEri(CRestoreBackupsParms* parmsP);
  ~CRestoreBackupsEri() override;

  int ProcessRequestDetails() override;

 private:
  bool running(int rc);
  uint32_t capStripes();
  int queryBackups();
  void separateLists();
  void restoreLists();
  void selectGroupsAndFiles();
  bool selectInDatabase(SqlHublorDbElement* dbP);
  int addRelocations();
  void addStandbyFile();
  int addDestinations();
  void pick();
  int openSessions(uint32_t* stripesUsedP);
  int logonSession();
  void writeSummary(uint32_t found, uint32_t toRestore, uint32_t restored, uint32_t skipped,
                    double seconds, uint64_t bytes);
  int logoffSessions(int rc);
  struct CRestoreRun;
  void traceParameters();
  int prepareRestore(uint32_t* foundP);
  int prepareAndRestore(CRestoreRun* runP);
  int restoreBackups(uint32_t stripesUsed, RestoreListJob* jobP);
  int settle(const CRestoreRun& run, int rc);
  void reportFinish(const CRestoreRun& run, int rc);
  void removeEntry(MoxtarMetaInfo* entryP);
  void traceList(const char* descriptionP);

  CRestoreBackupsParms* m_ParmsP;
  SqlServerElement m_Server{};
  CLinkedList<HublorSessionInfo> m_Sessions;
  // One backup's own groups and files, carved out of the lists the query's database elements
  // share; the elements point at them while the request runs.
  struct COwnLists {
    SqlHublorDbElement* dbP;
    CLinkedList<SqlMetaGroupInfo>* sharedGroupsP;
    CLinkedList<SqlMetaFileInfo>* sharedFilesP;
    CLinkedList<SqlMetaGroupInfo> groups;
    CLinkedList<SqlMetaFileInfo> files;
  };
  std::list<COwnLists> m_OwnLists;
};
