// The record of a query of stored backups, filled from the options record.
#include "clcqryrec.h"

#include <cstdio>

#include "agtrc.h"
#include "parse.h"

namespace {

// The object type of a command as the query's type (63 every type), with the option lists that
// go with it.
struct ObjectType {
  uint32_t queryType;
  bool groupNames, fileNames, logNames, setNames;
};

ObjectType objectTypeOf(uint32_t command) {
  uint32_t type = CMD_QUERY_HUBLOR_ALL;
  if (command >= CMD_INACTIVATE_DIFF && command <= CMD_INACTIVATE_SET) {
    type = command - CMD_INACTIVATE_DIFF + CMD_QUERY_HUBLOR_DIFF;
  } else if (command >= CMD_QUERY_HUBLOR_DIFF && command <= CMD_QUERY_HUBLOR_SET) {
    type = command;
  } else if (command >= CMD_RESTORE_DIFF && command <= CMD_RESTORE_SET) {
    type = command - CMD_RESTORE_DIFF + CMD_QUERY_HUBLOR_DIFF;
  }
  return ObjectType{type, type == CMD_QUERY_HUBLOR_GROUP, type == CMD_QUERY_HUBLOR_FILE,
                    type == CMD_QUERY_HUBLOR_LOG, type == CMD_QUERY_HUBLOR_SET};
}

int copyLists(OptionsInfo& o, const ObjectType& type, ClcQueryLists* listsP) {
  int rc = clcCopyNames(o.dbNameList, &listsP->dbNames);
  if (rc == RC_OK) rc = clcCopyNames(o.objectNameList, &listsP->patterns);
  if (rc == RC_OK && type.groupNames) rc = clcCopyNames(o.groupNameList, &listsP->secondNames);
  if (rc == RC_OK && type.fileNames) rc = clcCopyNames(o.fileNameList, &listsP->secondNames);
  if (rc == RC_OK && type.logNames) rc = clcCopyNames(o.logObjectNameList, &listsP->objectNames);
  if (rc == RC_OK && type.setNames) rc = clcCopyNames(o.setObjectNameList, &listsP->objectNames);
  return rc;
}

}  // namespace

int clcFillQuery(ClcRun* runP, DSqlQueryBackupParms* parmsP, ClcQueryLists* listsP) {
  OptionsInfo& o = runP->options;
  ObjectType type = objectTypeOf(o.command);
  int rc = copyLists(o, type, listsP);
  if (rc != RC_OK) return rc;
  parmsP->objectPatternListP = &listsP->patterns;
  parmsP->bAllFilespaces = o.nReserved;
  parmsP->bFillDbElems = o.bCompatibilityInfo;
  parmsP->bMetaMountWait = o.bQueryMountWait;
  parmsP->bMountWait = o.bMountWait;
  parmsP->sqlServerNameP = o.szFromSqlServer;
  parmsP->groupFileListP = type.groupNames || type.fileNames ? &listsP->secondNames : nullptr;
  parmsP->objectNameListP = type.logNames || type.setNames ? &listsP->objectNames : nullptr;
  parmsP->bAll = o.bAll;
  parmsP->statusFunctionP = runP->statusP;
  parmsP->msgBufferLen = CLC_MSG_BUFFER_LEN;
  parmsP->dbNameListP = &listsP->dbNames;
  parmsP->bFileInfo = o.bFileInfo;
  parmsP->nBuffers = static_cast<uint32_t>(o.nBuffers);
  parmsP->nBufferSize = static_cast<uint32_t>(o.nBufferSize);
  parmsP->nStatusMilliSeconds = static_cast<uint32_t>(o.nStatusInterval);
  parmsP->qryCommand = type.queryType;
  // Query HUBLOR and Restore receive the database elements; INACTIVate does not.
  bool query = (o.command >= CMD_QUERY_HUBLOR_ALL && o.command <= CMD_QUERY_HUBLOR_TYPES) ||
               (o.command >= CMD_RESTORE_DIFF && o.command <= CMD_RESTORE_SET);
  parmsP->dbElemListP = query ? &listsP->dbElems : nullptr;
  parmsP->dbElemGroupListP = query ? &listsP->groups : nullptr;
  parmsP->dbElemFileListP = query ? &listsP->files : nullptr;
  parmsP->dbSummaryListP = nullptr;
  parmsP->msgBufferP = runP->msgBuffer;
  return RC_OK;
}
