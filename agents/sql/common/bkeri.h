// DSqlBackupDatabaseEri: the request of one backup command (full, differential, log, file,
// group or set) for the databases the front end selected. It reads the SQL Server's facts,
// reads the selected databases' groups and files, builds the list of objects to back up,
// opens one storage-server session per stripe, registers the meta-data filespace, binds each
// object's management class (an object the server's policy excludes is skipped), runs
// backupDbList, inactivates the backups that a new full backup made obsolete, writes the
// summary to the storage server's event log, the activity log and the status callback, and
// logs every session off.
//
// A database name that holds the high-level name's delimiter "\" or a wildcard ("*", "?") would
// be read back as another database: such a database is refused with its own message and not
// backed up.
//
// Threads: runs on the caller's thread; a cancel from another thread sets the request's flag,
// which the database-information query, the SQL access layer and every transfer share.
//
// Codes: 0; 415 cancelled; 418 a logon, logoff or storage failure (the interface's text in the
// message buffer); 402 not every object was backed up, or an inactivation failed; 1909 nothing
// was selected; 502, 421, or a code of the SQL access layer.
#pragma once

#include <cstdint>

#include "baseeri.h"
#include "eriparms.h"
#include "sqltypes.h"

struct BackupListJob;
struct CInactivateBackupsParms;

constexpr int RC_NOTHING_SELECTED = 1909;
constexpr int RC_NAME_NOT_STORABLE = 1317;

class DSqlBackupDatabaseEri : public DBaseQueryEri {
 public:
  DSqlBackupDatabaseEri(DSqlBackupDatabaseParms* parmsP,
                        CLinkedList<SqlDatabaseElement>* querySqlServerDbInfoP,
                        CLinkedList<SqlGroupElement>* sqlGroupListP, EriNameList* groupListP,
                        CLinkedList<SqlFileElement>* sqlFileListP, EriNameList* fileListP);
  ~DSqlBackupDatabaseEri() override;

  int SetupEnvironment() override;
  int CleanupEnvironment() override;
  int ProcessRequestDetails() override;

  // Sends the text as a message-out status record when the request has a status callback.
  void sendMsgoutStatus(const char* textP);

 private:
  struct Run;
  struct Totals;
  int readServer(Run& run);
  void capStripes(Run& run);
  int readDatabases(Run& run);
  int buildObjectList(Run& run);
  int addObjects(Run& run, SqlDatabaseElement* dbP);
  void reportSqlFailure(SqlDatabaseElement* dbP);
  int logon(Run& run);
  int registerMetaFilespace(Run& run);
  void bindObjects(Run& run);
  void inactivateOld(Run& run);
  void fillInactivation(Run& run, EriNameList* dbNamesP, char* workP,
                        CInactivateBackupsParms* parmsP);
  int inactivateOldBackups(Run& run, uint32_t* countP, HublorSessionInfo* sessionP,
                           SqlDbInfo* infoP);
  void fillJob(Run& run, BackupListJob* jobP);
  int backUpObjects(Run& run);
  int runSteps(Run& run);
  void formatTotals(Run& run, Totals* totalsP);
  void writeServerSummary(Run& run);
  void writeSummary(Run& run, int rc);
  int logoff(Run& run, int rc);
  int settle(Run& run, int rc);
  bool going(int rc) { return rc == RC_OK && GetCancelStatus() == 0; }

  CLinkedList<SqlDatabaseElement>* querySqlServerDbInfoP;
  CLinkedList<SqlGroupElement>* sqlGroupListP;
  CLinkedList<SqlFileElement>* sqlFileListP;
  EriNameList* groupListP;
  EriNameList* fileListP;
  DSqlBackupDatabaseParms* m_ParmsP;
};
