// Test support for the backup of one database: the storage stand-in with the agent's node and
// one logged-on session per stripe, the emulated SQL Server with a database of a few megabytes,
// the SQL access object of the process, an activity log, and the objects the backups store.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "agtlog.h"
#include "bkdb.h"
#include "eriparms.h"
#include "instance.h"
#include "moxtar_testutil.h"
#include "sqlapi.h"

class BackupDbFixture : public MoxtarFixture {
 protected:
  void SetUp() override;
  void TearDown() override;

  // One backup of the database "sales" (or the group or file of the info) through `stripes`
  // sessions with a fresh backup object; the object stays for inspection in m_Backup.
  int backup(uint32_t type, uint32_t stripes, uint32_t* cancelP = nullptr);
  // The objects of the node in the filespace of index (0 the meta-data, 1.. data).
  std::vector<qryRespBackupData> stored(uint32_t index, uint8_t state = PELK_ANYMATCH);
  // The storage ids of every active object in the filespaces 0 to 8.
  std::vector<uint64_t> activeObjectIds();
  // Objects whose low-level name is a temporary one, in the data filespaces 1 to 8.
  int temporaryObjects();
  // The data of one stored object.
  std::vector<uint8_t> fetch(const qryRespBackupData& object);
  // Restores the active full backup's data objects into the database `into`; its files
  // compared with those of "sales" must then be byte-identical.
  void expectRestoresIdentical(const std::string& into);
  std::string logText();
  // The record of a full backup request as the tests start from it: `stripes` stripes of three
  // 64 KiB buffers, a 50 % size estimate for differential and log backups, left-overs of failed
  // backups removed at the default age, progress every statusMilliSeconds, messages into msgP.
  static void requestParms(DSqlBackupDatabaseParms* parmsP, char* msgP, int32_t stripes,
                           uint32_t statusMilliSeconds);
  // The server's databases into *listP (emptied first), those named marked selected; the code
  // of the database list, its text in msgP.
  int selectDatabases(CLinkedList<SqlDatabaseElement>* listP, const std::vector<std::string>& names,
                      char* msgP);
  std::string fsName(uint32_t index);

  std::unique_ptr<sqlengine::Instance> m_Instance;
  std::unique_ptr<CSqlApi> m_Sql;
  SqlServerElement m_Server{};
  CLinkedList<SqlDatabaseElement> m_Databases;
  CLinkedList<SqlDbMessage> m_Messages;
  CLinkedList<SqlGroupElement> m_Groups;
  CLinkedList<SqlFileElement> m_Files;
  SqlDbInfo m_DbInfo{};
  SqlBackupParameters m_Parms{};
  CLinkedList<HublorSessionInfo> m_Sessions;
  std::unique_ptr<CBackupDb> m_Backup;
  std::unique_ptr<CLog> m_Log;
  int32_t m_OlderThan = -1;
  uint32_t m_MountWait = 0;
  uint32_t m_EstimatePct = 50;  // the size estimate percentage of differential and log backups
};
