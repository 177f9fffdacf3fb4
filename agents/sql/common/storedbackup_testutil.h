// Test support for the requests on stored backups: backups stored on the storage stand-in as the
// agent stores them (a meta-data object in the server's meta filespace and one data object per
// stripe, all carrying the backup's identity), and the parameter lists the front ends fill.
#pragma once

#include <string>
#include <vector>

#include "eriqryparms.h"
#include "moxtar_testutil.h"

struct StoredBackup {
  std::string server = "SRV1";
  std::string db = "Sales";
  uint32_t type = BACKUP_TYPE_FULL;
  std::string second;  // group or logical file name of group and file backups
  std::string llWord;  // stored as the type word of the low-level name instead of the type's
  agentNativeDateTime time{2001, 4, 5, 11, 41, 2};
  uint32_t pid = 0x4D2;
  uint32_t stripes = 1;
  uint32_t missingStripe = 0;     // a stripe (from 1) whose data object is not stored
  std::vector<std::string> data;  // each stripe's data, in stripe order; "data" when not given
  uint64_t backupSize = 0;        // the backup size the meta-data object carries
  uint32_t sqlVersionMajor = 8;
  // The file information the meta-data object carries: its group records, then its file
  // records (the log files' pseudo-group among the groups). None: the text "data".
  std::vector<SqlMetaGroupInfo> groups;
  std::vector<SqlMetaFileInfo> files;
};

class StoredBackupFixture : public MoxtarFixture {
 protected:
  // Registers the filespaces and stores the backup's objects (new versions when they exist).
  void storeBackup(const StoredBackup& backup);
  // The identity of a stored backup.
  static zarnakObjId idOf(const StoredBackup& backup);
  // The high-level name the backup is stored under.
  static std::string hlOf(const StoredBackup& backup);

  static EriNameList* names(EriNameList& list, const std::vector<std::string>& values);
  static EriObjectNameList* objectNames(EriObjectNameList& list,
                                        const std::vector<std::string>& values);
};

// "db hl-second-part ll" of every entry of the list, in list order.
std::vector<std::string> entryNames(MoxtarMetaList& list);
