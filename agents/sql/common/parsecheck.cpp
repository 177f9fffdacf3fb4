// Which options each command accepts (the option matrix, built from rows of allowed options
// per command) and the checks of option combinations after a parse.
#include <cstring>
#include <string>

#include "agtrc.h"
#include "agttrc.h"
#include "parseint.h"

namespace {

// Options that every command accepts.
const char kEveryCommand[] = "STATUSInterval TRACEFIle TRACEFLags";

const char kBackup[] =
    "ADJUSTKBhublorestimate ADJUSTPERcenthublorestimate BUFFers BUFFERSIze CONFIGfile "
    "DEBUGBACKUPPATH LOGFile LOGPrune MOUNTWait OLDerthan Quiet SQLAUTHentication SQLBUFFers "
    "SQLBUFFERSIze SQLPassword SQLSERVer SQLUSer STRIPes HUBLORNODe HUBLOROPTFile HUBLORPassword";
const char kInactivate[] =
    "CONFIGfile FROMSQLSERVer LOGFile LOGPrune OBJect OLDerthan Quiet HUBLORNODe HUBLOROPTFile "
    "HUBLORPassword";
const char kQuery[] =
    "BUFFers BUFFERSIze CONFIGfile LOGFile LOGPrune SQLAUTHentication SQLPassword SQLUSer "
    "HUBLORNODe HUBLOROPTFile HUBLORPassword";
const char kRestore[] =
    "BUFFers BUFFERSIze CONFIGfile DEBUGBACKUPPATH DBOonly FROMSQLSERVer INTO LOGFile LOGPrune "
    "MOUNTWait OBJect Quiet RELocate SQLAUTHentication SQLBUFFers SQLBUFFERSIze SQLPassword "
    "SQLSERVer SQLUSer STRIPes TO HUBLORNODe HUBLOROPTFile HUBLORPassword";

// Commands first..last accept the options of `shared` and of `own`, blank-separated keywords.
struct AllowedRow {
  uint32_t first;
  uint32_t last;
  const char* sharedP;
  const char* ownP;
};

const AllowedRow kAllowed[] = {
    {0, 0, "", "CONFIGfile SQLSERVer HUBLOROPTFile"},
    {1, 1, kBackup, "DIFFESTimate"},
    {2, 2, kBackup, "INCLUDELOGBackup"},
    {3, 3, kBackup, ""},
    {4, 4, kBackup, "INCLUDELOGBackup"},
    {5, 5, kBackup, "LOGESTimate TRUNCate"},
    {6, 6, kBackup, "FIles GRoups INCLUDELOGBackup"},
    {7, 7, "", "CONFIGfile LOGFile LOGPrune HUBLORNODe HUBLOROPTFile"},
    {47, 53, kInactivate, ""},
    {59, 61, kQuery, "COMPATibilityinfo SQLSERVer"},
    {62, 62, kQuery, "COMPATibilityinfo FROMSQLSERVer"},
    {63, 63, kQuery, "COMPATibilityinfo ACtive ALl FROMSQLSERVer OBJect"},
    {64, 64, kQuery, "COMPATibilityinfo ACtive ALl FROMSQLSERVer OBJect FILEInfo"},
    {65, 67, kQuery, "COMPATibilityinfo ACtive ALl FROMSQLSERVer OBJect FILEInfo MOUNTWait"},
    {68, 68, kQuery, "COMPATibilityinfo ACtive ALl FROMSQLSERVer OBJect FILEInfo"},
    {69, 69, kQuery, "COMPATibilityinfo ACtive ALl FROMSQLSERVer OBJect FILEInfo MOUNTWait"},
    {70, 70, kQuery, "ACtive ALl FROMSQLSERVer OBJect"},
    {72, 72, kRestore, "RECOVery REPlace STANDby"},
    {73, 73, kRestore, "REPlace"},
    {74, 74, kRestore, "FIles GRoups PARTial RECOVery REPlace STANDby"},
    {75, 75, kRestore, "FIles REPlace"},
    {76, 76, kRestore, "AFTER RECOVery STANDby STOPAT STOPATMark STOPBEFOREMark"},
    {77, 77, kRestore, "FIles GRoups REPlace"},
    {79, 83, "", "CONFIGfile"},
    {85, 95, "", "CONFIGfile"},
};

// The option id of a keyword written in full, or -1.
int optionId(const char* keywordP, size_t length) {
  for (const ParseOptionRow* rowP = gParseOptions; rowP->keywordP != nullptr; rowP++) {
    if (strlen(rowP->keywordP) == length && strncmp(rowP->keywordP, keywordP, length) == 0) {
      return int(rowP->id);
    }
  }
  return -1;
}

// Allows every option of the keyword list for commands first..last.
int allow(const char* keywordsP, uint32_t first, uint32_t last) {
  while (*keywordsP != '\0') {
    size_t length = strcspn(keywordsP, " ");
    int id = length == 0 ? 0 : optionId(keywordsP, length);
    if (id < 0) return RC_INTERNAL_ERROR;  // the rows name an option the table lacks
    for (uint32_t command = first; length > 0 && command <= last; command++) {
      optionAllowed[command][id] = 1;
    }
    keywordsP += length + (keywordsP[length] == ' ' ? 1 : 0);
  }
  return RC_OK;
}

bool isRestore(uint32_t command) {
  return command >= CMD_RESTORE_DIFF && command <= CMD_RESTORE_SET;
}

// Exactly one name in the list, without a wildcard.
template <class Entry>
bool oneName(CLinkedList<Entry>& listR) {
  return listR.getCount() == 1 && strchr(listR.getFirst()->szName, '*') == nullptr;
}

template <class Entry>
bool hasWildcard(CLinkedList<Entry>& listR) {
  return listR.getCount() == 1 && strchr(listR.getFirst()->szName, '*') != nullptr;
}

int noCombination(OptionsInfo* o, int rc) {
  o->pszErrorArg = nullptr;
  return rc;
}

// 1210 with the option that needs one database name, and the names given, in the conflict
// text: the message then says which option and which names.
int oneDatabaseNeeded(OptionsInfo* o, const char* optionP, CLinkedList<OptLogicalName>& names) {
  parseSetConflict(o, 9, {optionP});
  std::string given;
  for (OptLogicalName* nameP = names.getFirst(); nameP != nullptr; nameP = names.getNext(nameP)) {
    given += (given.empty() ? "" : ",") + std::string(nameP->szName);
  }
  if (!given.empty()) parseAddConflict(o, given.c_str());
  return RC_PARSE_ONE_DATABASE;
}

int checkBackupSet(OptionsInfo* o) {
  if (o->fileNameList.getCount() > 0 || o->groupNameList.getCount() > 0) return RC_OK;
  parseSetConflict(o, 9, {"FIles", "GRoups"});
  return RC_PARSE_REQUIRED;
}

// A set restore without FIles and GRoups restores every file and every group.
int checkRestoreSet(OptionsInfo* o) {
  if (o->fileNameList.getCount() > 0 || o->groupNameList.getCount() > 0) return RC_OK;
  int rc = parseListOfLogicalnames("*", &o->fileNameList);
  if (rc != RC_OK) return rc;
  return parseListOfLogicalnames("*", &o->groupNameList);
}

int checkRestoreLog(OptionsInfo* o) {
  if (o->bStopAt == 1 &&
      (o->bRecovery == 0 || o->szAfter[0] != '\0' || o->szStandbyFile[0] != '\0' ||
       o->bStopAtMark == 1 || o->bStopBeforeMark == 1)) {
    parseSetConflict(o, 8,
                     {"STOPAT", o->bRecovery == 0 ? "RECOVery=No" : nullptr,
                      o->szAfter[0] != '\0' ? "AFTER" : nullptr,
                      o->szStandbyFile[0] != '\0' ? "STANDby" : nullptr,
                      o->bStopAtMark == 1 ? "STOPATMark" : nullptr,
                      o->bStopBeforeMark == 1 ? "STOPBEFOREMark" : nullptr});
    return RC_PARSE_EXCLUSIVE;
  }
  if (o->bStopAtMark == 1 && o->bStopBeforeMark == 1) {
    parseSetConflict(o, 8, {"STOPATMark", "STOPBEFOREMark"});
    return RC_PARSE_EXCLUSIVE;
  }
  if (o->bAfter == 1 && o->bStopAtMark == 0 && o->bStopBeforeMark == 0) {
    parseSetConflict(o, 9, {"STOPATMark", "STOPBEFOREMark"});
    return RC_PARSE_REQUIRED;
  }
  return RC_OK;
}

int checkRestoreFull(OptionsInfo* o) {
  bool files = o->fileNameList.getCount() > 0;
  bool groups = o->groupNameList.getCount() > 0;
  if (o->bStandby == 1) {
    if (!oneName(o->dbNameList)) return oneDatabaseNeeded(o, "STANDby", o->dbNameList);
    if (files || groups || o->bPartial == 1) {
      parseSetConflict(o, 8,
                       {"STANDby", files ? "FIles" : nullptr, groups ? "GRoups" : nullptr,
                        o->bPartial == 1 ? "PARTial" : nullptr});
      return RC_PARSE_EXCLUSIVE;
    }
  }
  if (o->bRecoverySpecified == 1 && (o->bPartial == 1 || files || groups)) {
    parseSetConflict(o, 8,
                     {"RECOVery", files ? "FIles" : nullptr, groups ? "GRoups" : nullptr,
                      o->bPartial == 1 ? "PARTial" : nullptr});
    return RC_PARSE_EXCLUSIVE;
  }
  return RC_OK;
}

int checkStandbyDatabase(OptionsInfo* o) {
  bool standbyType = o->command == CMD_RESTORE_DIFF || o->command == CMD_RESTORE_FULL ||
                     o->command == CMD_RESTORE_LOG;
  if (!standbyType || o->szStandbyFile[0] == '\0' || oneName(o->dbNameList)) return RC_OK;
  return oneDatabaseNeeded(o, "STANDby", o->dbNameList);
}

// Relocated and target names are paired in order; neither may hold a wildcard.
int checkRelocate(OptionsInfo* o) {
  if (!oneName(o->dbNameList)) return oneDatabaseNeeded(o, "RELocate", o->dbNameList);
  if (o->relocateNameList.getCount() != o->toNameList.getCount()) {
    return noCombination(o, RC_PARSE_RELOCATE_COUNT);
  }
  int rc = RC_OK;
  OptPhysicalName* toP = o->toNameList.getFirst();
  for (OptLogicalName* fromP = o->relocateNameList.getFirst(); fromP != nullptr;
       fromP = o->relocateNameList.getNext(fromP), toP = o->toNameList.getNext(toP)) {
    bool fromWild = strchr(fromP->szName, '*') != nullptr;
    bool toWild = strchr(toP->szName, '*') != nullptr;
    if (!fromWild && !toWild) continue;
    if (rc == RC_OK) parseSetConflict(o, 9, {});
    if (fromWild) parseAddConflict(o, "RELocate");
    if (toWild) parseAddConflict(o, "TO");
    rc = RC_PARSE_WILDCARD;
  }
  return rc;
}

int checkInto(OptionsInfo* o) {
  if (o->dbNameList.getCount() != 1) return oneDatabaseNeeded(o, "INTO", o->dbNameList);
  if (o->intoNameList.getCount() != 1) return oneDatabaseNeeded(o, "INTO", o->intoNameList);
  if (!hasWildcard(o->dbNameList) && !hasWildcard(o->intoNameList)) return RC_OK;
  parseSetConflict(o, 9, {"dbname INTO"});
  return RC_PARSE_WILDCARD;
}

// A restore reads the backups of the server it restores to unless told otherwise.
void defaultSourceServer(OptionsInfo* o) {
  if (o->bSqlServer != 1 || o->bFromSqlServer != 0) return;
  strcpy(o->szFromSqlServer, o->szSqlServer);
  parseUpperCase(o->szFromSqlServer);
}

int checkRestore(OptionsInfo* o) {
  int rc = RC_OK;
  if (o->bRelocate == 1) rc = checkRelocate(o);
  if (rc == RC_OK && o->bInto == 1) rc = checkInto(o);
  defaultSourceServer(o);
  return rc;
}

}  // namespace

int initializeParse() {
  TRACE_ENTRY(TRC_PARSE, "initializeParse()");
  memset(optionAllowed, 0, sizeof optionAllowed);
  int rc = allow(kEveryCommand, 0, PARSE_NUM_COMMANDS - 1);
  if (rc != RC_OK) TRACE_RETURN(rc);
  for (const AllowedRow& row : kAllowed) {
    rc = allow(row.sharedP, row.first, row.last);
    if (rc != RC_OK) TRACE_RETURN(rc);
    rc = allow(row.ownP, row.first, row.last);
    if (rc != RC_OK) TRACE_RETURN(rc);
  }
  TRACE_RETURN(RC_OK);
}

int parseCheckOptions(OptionsInfo* o) {
  TRACE_ENTRY(TRC_PARSE, "parseCheckOptions()");
  int rc = RC_OK;
  if (o->command == CMD_BACKUP_SET) rc = checkBackupSet(o);
  if (o->command == CMD_RESTORE_SET) rc = checkRestoreSet(o);
  if (o->command == CMD_RESTORE_LOG) rc = checkRestoreLog(o);
  if (o->command == CMD_RESTORE_FULL) rc = checkRestoreFull(o);
  if (rc != RC_OK) TRACE_RETURN(rc);
  rc = checkStandbyDatabase(o);
  if (rc != RC_OK || !isRestore(o->command)) TRACE_RETURN(rc);
  TRACE_RETURN(checkRestore(o));
}
