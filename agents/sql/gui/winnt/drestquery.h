// The query of stored backups as the restore controller makes it, shared by its files and the
// inactivate controller: the record filled from the options record, the name lists it points
// to, the wait cursor while it runs; and the query of the stored SQL Servers. User-interface
// thread only.
#pragma once

#include <cstdio>

#include "agtrc.h"
#include "agttrc.h"
#include "dwaitcursor.h"
#include "erifunc.h"
#include "eriqryparms.h"
#include "optinfo.h"
#include "parse.h"

constexpr uint32_t kAnyBackupType = CMD_QUERY_HUBLOR_ALL;  // 63: every type

template <class To, class From>
void copyNames(CLinkedList<From>& from, CLinkedList<To>* toP) {
  for (From* nameP = from.getFirst(); nameP != nullptr; nameP = from.getNext(nameP)) {
    To entry{};
    std::snprintf(entry.szName, sizeof entry.szName, "%s", nameP->szName);
    toP->addTail(&entry);  // without memory the query runs with the names it has
  }
}

// The object type of a command (the index of Diff, FIle, Full, Group, Log, Set), -1 for a
// command of no one type.
inline int objectTypeOf(uint32_t command) {
  const uint32_t kFirsts[] = {CMD_INACTIVATE_DIFF, CMD_QUERY_HUBLOR_DIFF, CMD_RESTORE_DIFF};
  for (uint32_t first : kFirsts) {
    if (command >= first && command <= first + 5) return static_cast<int>(command - first);
  }
  return -1;
}

// One query of stored backups as the restore windows make it, with the name lists it points
// to: the options' patterns, and their group, file, log or set names for a command of that
// object type. The restore record (CRestoreBackupsParms) begins the same way.
template <class Parms>
struct DRestoreQueryOf {
  Parms parms;
  EriObjectNameList patterns;
  EriNameList dbNames;
  EriNameList secondNames;
  EriObjectNameList objectNames;
  char msg[ERI_MESSAGE_SIZE] = "";

  // One database name or pattern; null: the options' database names.
  DRestoreQueryOf(OptionsInfo& o, const char* dbNameP) {
    enum { kFile = 1, kGroup = 3, kLog = 4, kSet = 5 };
    int type = objectTypeOf(o.command);
    copyNames(o.objectNameList, &patterns);
    if (dbNameP == nullptr) copyNames(o.dbNameList, &dbNames);
    EriNameEntry db{};
    std::snprintf(db.szName, sizeof db.szName, "%s", dbNameP != nullptr ? dbNameP : "");
    if (dbNameP != nullptr) dbNames.addTail(&db);
    if (type == kFile) copyNames(o.fileNameList, &secondNames);
    if (type == kGroup) copyNames(o.groupNameList, &secondNames);
    if (type == kLog) copyNames(o.logObjectNameList, &objectNames);
    if (type == kSet) copyNames(o.setObjectNameList, &objectNames);
    parms.objectPatternListP = &patterns;
    parms.bAllFilespaces = o.nReserved;
    parms.bMetaMountWait = o.bQueryMountWait;
    parms.bMountWait = o.bMountWait;
    parms.sqlServerNameP = o.szFromSqlServer;
    parms.groupFileListP = type == kFile || type == kGroup ? &secondNames : nullptr;
    parms.objectNameListP = type == kLog || type == kSet ? &objectNames : nullptr;
    parms.msgBufferLen = ERI_MSG_BUFFER_LEN;
    parms.dbNameListP = &dbNames;
    parms.nBuffers = static_cast<uint32_t>(o.nBuffers);
    parms.nBufferSize = static_cast<uint32_t>(o.nBufferSize);
    parms.nStatusMilliSeconds = static_cast<uint32_t>(o.nStatusInterval);
    parms.qryCommand = kAnyBackupType;
    parms.msgBufferP = msg;
  }

  int run() {
    DWaitCursor wait;
    int rc = eriHublorQuerySqlBackups(&parms);
    if (rc != RC_OK) TRACE_LINE(TRC_GUI, "Query of stored backups, rc = %d: %s\n", rc, msg);
    return rc;
  }
};

typedef DRestoreQueryOf<DSqlQueryBackupParms> DRestoreQuery;

// The stored SQL Servers, into the list emptied first (a query that failed half way leaves no
// server to be listed twice), under the wait cursor: the query's rc.
inline int queryStoredServers(MoxtarFilespaceList& servers) {
  servers.freeAll();
  DSqlQueryFilespaceParms parms{};
  char msg[ERI_MESSAGE_SIZE] = "";
  std::snprintf(parms.sqlServerName, sizeof parms.sqlServerName, "*");
  parms.fsListP = &servers;
  parms.msgBufferP = msg;
  DWaitCursor wait;
  return eriHublorQuerySqlServers(&parms);
}
