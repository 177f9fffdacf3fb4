// For the tests of the backup windows: a command runner that records the backup it is given,
// and the options record made to log on as a test's SQL Server login.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "dappctl.h"
#include "dcmdworker.h"
#include "dguiopts.h"

// Records the command and what it would back up: "db" for each marked database, with "+g" when
// its groups are marked and "+f" when its files are, "db/group" for a marked group ("+f" when
// only files of it are), "db/group/file" for a marked file.
struct BackupRecorder : public DCommandRunner {
  uint32_t runCommand(commandInfo* infoP) override {
    ++runs;
    command = infoP->command;
    taken.clear();
    auto* requestP = static_cast<backupRequestInfo*>(infoP->parmsP);
    auto& dbs = *requestP->querySqlServerDbInfoP;
    for (auto* dbP = dbs.getFirst(); dbP != nullptr; dbP = dbs.getNext(dbP)) {
      if (dbP->bSqlDbIsSelected == 0) continue;
      std::string name = dbP->szSqlDatabaseName;
      if (dbP->bDbGroupIsSelected != 0) name += "+g";
      if (dbP->bDbFileIsSelected != 0) name += "+f";
      taken.push_back(name);
    }
    auto& groups = *requestP->sqlGroupListP;
    for (auto* gP = groups.getFirst(); gP != nullptr; gP = groups.getNext(gP)) {
      std::string name =
          std::string(gP->peGroupDatabase->szSqlDatabaseName) + "/" + gP->szGroupName;
      if (gP->bGroupIsSelected != 0) taken.push_back(name);
      if (gP->bGroupFileIsSelected != 0) taken.push_back(name + "+f");
    }
    auto& files = *requestP->sqlFileListP;
    for (auto* fP = files.getFirst(); fP != nullptr; fP = files.getNext(fP)) {
      if (fP->bFileIsSelected == 0) continue;
      taken.push_back(std::string(fP->peFileGroup->peGroupDatabase->szSqlDatabaseName) + "/" +
                      fP->peFileGroup->szGroupName + "/" + fP->szFileLogicalName);
    }
    return 0;
  }
  int runs = 0;
  uint32_t command = 0;
  std::vector<std::string> taken;
};

// The program's options log on as `logon` does (a refresh makes its SQL access object from them).
inline void useSqlLogon(const SqlLogonInfo& logon) {
  OptionsInfo& o = guiOptions();
  o.enumSqlAuth = logon.enumSqlAuth;
  std::snprintf(o.szSqlServer, sizeof o.szSqlServer, "%s", logon.szSqlServer);
  std::snprintf(o.szSqlUser, sizeof o.szSqlUser, "%s", logon.szSqlUser);
  std::snprintf(o.szSqlPassword, sizeof o.szSqlPassword, "%s", logon.szSqlPassword);
}
