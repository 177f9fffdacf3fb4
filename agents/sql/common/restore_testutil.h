// Test support for the restore operations: the storage stand-in with backups stored as the agent
// stores them (StoredBackupFixture) and an emulated SQL Server in the same root, reached through
// the process's SQL access object (gSqlApiP). Backups are taken by the emulated server's BACKUP
// through virtual devices, one media family per device, and each device's bytes are stored as
// one stripe's data object.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "instance.h"
#include "qrydataobj.h"
#include "sqlapi.h"
#include "storedbackup_testutil.h"

class RestoreFixture : public StoredBackupFixture {
 protected:
  void SetUp() override;
  void TearDown() override;

  // (Re)creates the default instance for a server of this major version, with database "sales"
  // (groups PRIMARY and G2, one log file) filled with pages, and reads the server's facts.
  void createServer(int versionMajor);
  // BACKUP of database db through `stripes` virtual devices; each device's bytes.
  std::vector<std::string> takeBackup(const std::string& db, uint32_t type, uint32_t stripes);
  // Takes the backup and stores it as the agent does; the stored backup's description.
  // A pid of 0 takes the next of m_Pid; missingStripe (from 1) is not stored.
  StoredBackup storeTaken(const std::string& db, uint32_t type, uint32_t stripes, uint32_t pid = 0,
                          uint32_t missingStripe = 0);
  // The query entry of a stored backup's meta-data object.
  MoxtarMetaInfo metaEntry(const StoredBackup& backup);
  // Appends the meta-data entries of the backups to the list, in order.
  void appendEntries(CLinkedList<MoxtarMetaInfo>& list, const std::vector<StoredBackup>& backups);
  // Work in the log of database db: one record per time, ms after kLogBase.
  void work(const std::string& db, const std::vector<int64_t>& times);
  // The times of the database's log records from kLogBase on, less kLogBase.
  std::vector<int64_t> logTimes(const std::string& db);
  static constexpr int64_t kLogBase = 1700000000000;
  // Logs on sessions until the list holds `count`; the fixture logs them off.
  void openSessions(uint32_t count);
  // Writes pages of a data file with the seed (the database changes).
  void changeData(const std::string& db, const std::string& file, uint64_t seed);
  // The checksum of every file of the database, in the server's order.
  std::vector<uint64_t> checksums(const std::string& db);
  // The database's status (sqlengine::kStatus...).
  int status(const std::string& db);

  std::unique_ptr<sqlengine::Instance> m_Instance;
  std::unique_ptr<CSqlApi> m_SqlApi;
  SqlServerElement m_Server{};
  CLinkedList<HublorSessionInfo> m_Sessions;
  uint32_t m_Pid = 0x100;  // the next backup's process id, so that every backup is distinct
};

// A restore request of database "sales" on the fixture's server as the request's tests and its
// entry function's tests start it: two buffers of 64, with recovery and REPLACE; the backups
// found or given are freed at the end.
class RestoreRequestFixture : public RestoreFixture {
 protected:
  void SetUp() override;
  void TearDown() override;

  CRestoreBackupsParms m_Parms;
  EriNameList m_DbNames;
  char m_Msg[ERI_MSG_BUFFER_LEN + 1] = "";
};
