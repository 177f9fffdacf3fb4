// The option table and the value parser of every option. Most options share a few shapes
// (a flag, a number in a range, a text, a yes/no, a name list), written once as templates over
// the record's fields; the table names each option's shape and limits on its own line.
#include <climits>
#include <cstring>
#include <vector>

#include "agtrc.h"
#include "agttrc.h"
#include "parseint.h"
#include "psutil.h"

namespace {

constexpr int32_t kNeedsValue = INT32_MIN;      // without a value: 1203
constexpr int32_t kKeepsValue = INT32_MIN + 1;  // without a value: nothing changes
constexpr char kEmpty[] = "";
constexpr char kLogFile[] = "zarnaksql.log";
constexpr char kTraceFile[] = "zarnaksql.trc";
constexpr char kApiOptionFile[] = "pelk.opt";
constexpr char kSqlUser[] = "sa";

// A flag: no value accepted; the field takes Value.
template <auto Field, uint32_t Value>
int flagValue(const char* valueP, OptionsInfo* o) {
  if (valueP != nullptr) return RC_PARSE_BAD_VALUE;
  o->*Field = Value;
  return RC_OK;
}

// A decimal number in Minimum..Maximum; UpToComma: only the text before the first ",".
template <auto Field, int32_t Minimum, int32_t Maximum, int32_t NoValue, bool UpToComma = false>
int numberValue(const char* valueP, OptionsInfo* o) {
  if (valueP != nullptr) return parseNumber(valueP, Minimum, Maximum, UpToComma, &(o->*Field));
  if (NoValue == kNeedsValue) return RC_PARSE_NO_VALUE;
  if (NoValue != kKeepsValue) o->*Field = NoValue;
  return RC_OK;
}

// A text that fits the field; Given, when named, is set once the text is stored.
template <auto Field, const char* Default, auto Given = nullptr>
int textValue(const char* valueP, OptionsInfo* o) {
  auto& fieldR = o->*Field;
  int rc = parseStringArgument(valueP, fieldR, sizeof fieldR, Default);
  if (rc != RC_OK) return rc;
  if constexpr (Given != nullptr) o->*Given = 1;
  return RC_OK;
}

// "Yes" or "No"; without a value the default, or 1203 when Default is negative.
template <auto Field, int Default>
int yesNoValue(const char* valueP, OptionsInfo* o) {
  const uint32_t fallback = Default < 0 ? 0 : uint32_t(Default);
  return parseYesNoArgument(valueP, &(o->*Field), Default < 0 ? nullptr : &fallback);
}

// Logical names appended to the list; Given as in textValue.
template <auto List, auto Given = nullptr>
int namesValue(const char* valueP, OptionsInfo* o) {
  int rc = parseListOfLogicalnames(valueP, &(o->*List));
  if (rc != RC_OK) return rc;
  if constexpr (Given != nullptr) o->*Given = 1;
  return RC_OK;
}

bool isRestore(uint32_t command) {
  return command >= CMD_RESTORE_DIFF && command <= CMD_RESTORE_SET;
}

int parseFromSqlServerArguments(const char* valueP, OptionsInfo* o) {
  char computer[OPT_COMPUTER_NAME_SIZE];
  psGetComputerName(computer, sizeof computer);
  int rc = parseStringArgument(valueP, o->szFromSqlServer, sizeof o->szFromSqlServer, computer);
  if (rc != RC_OK) return rc;
  parseUpperCase(o->szFromSqlServer);
  o->bFromSqlServer = 1;
  return RC_OK;
}

int parseLogpruneArguments(const char* valueP, OptionsInfo* o) {
  o->bLogPruneSpecified = 1;
  if (valueP == nullptr) return RC_OK;
  if (isAbbreviation(valueP, "No") == 1) {
    o->nLogPrune = -1;
    return RC_OK;
  }
  return parseNumber(valueP, 0, 9999, false, &o->nLogPrune);
}

// A query of stored backups that may need a mount has a flag of its own.
int parseMountwaitArguments(const char* valueP, OptionsInfo* o) {
  static const uint32_t kYes = 1;
  bool query = o->command == CMD_QUERY_HUBLOR_FILE || o->command == CMD_QUERY_HUBLOR_FULL ||
               o->command == CMD_QUERY_HUBLOR_GROUP || o->command == CMD_QUERY_HUBLOR_SET;
  return parseYesNoArgument(valueP, query ? &o->bQueryMountWait : &o->bMountWait, &kYes);
}

int parseObjectArguments(const char* valueP, OptionsInfo* o) {
  int rc = parseUpperObjectNames(valueP, &o->objectNameList);
  if (rc != RC_OK) return rc;
  if (isRestore(o->command)) o->bAll = 1;  // a named backup is restored even when inactive
  return RC_OK;
}

int recoveryStandbyConflict(OptionsInfo* o) {
  parseSetConflict(o, 8, {"RECOVery", "STANDby"});
  return RC_PARSE_EXCLUSIVE;
}

int parseRecoveryArguments(const char* valueP, OptionsInfo* o) {
  static const uint32_t kYes = 1;
  int rc = parseYesNoArgument(valueP, &o->bRecovery, &kYes);
  if (rc != RC_OK) return rc;
  o->bRecoverySpecified = 1;
  if (o->szStandbyFile[0] != '\0') return recoveryStandbyConflict(o);
  return RC_OK;
}

int parseStandbyArguments(const char* valueP, OptionsInfo* o) {
  int rc = parseStringArgument(valueP, o->szStandbyFile, sizeof o->szStandbyFile, nullptr);
  if (rc != RC_OK) return rc;
  o->bStandby = 1;
  if (o->bRecoverySpecified == 1) return recoveryStandbyConflict(o);
  return RC_OK;
}

int parseSqlAuthenticationArguments(const char* valueP, OptionsInfo* o) {
  static const char* const kAuthKeywords[] = {"INTegrated", "SQLuserid", nullptr};
  int position = OPT_SQLAUTH_INTEGRATED;
  if (valueP != nullptr && isAbbreviation(valueP, kAuthKeywords, &position) == 0) {
    return RC_PARSE_BAD_VALUE;
  }
  o->enumSqlAuth = position;
  o->bSqlAuthentication = 1;
  return RC_OK;
}

// "." and "(LOCAL)" name this computer; an instance name after "\" is kept. The joined name
// must still fit the field: it is refused, never cut.
int parseSqlServerArguments(const char* valueP, OptionsInfo* o) {
  int rc = parseStringArgument(valueP, o->szSqlServer, sizeof o->szSqlServer, ".");
  if (rc != RC_OK) return rc;
  o->bSqlServer = 1;
  char upper[OPT_SERVER_NAME_SIZE];
  strcpy(upper, o->szSqlServer);
  parseUpperCase(upper);
  if (upper[0] != '.' && strncmp(upper, "(LOCAL)", 7) != 0) return RC_OK;
  char computer[OPT_COMPUTER_NAME_SIZE];
  psGetComputerName(computer, sizeof computer);
  const char* instanceP = strchr(o->szSqlServer, '\\');
  if (instanceP == nullptr) instanceP = "";
  if (strlen(computer) + strlen(instanceP) >= sizeof o->szSqlServer) return RC_PARSE_BAD_VALUE;
  char joined[OPT_SERVER_NAME_SIZE];
  snprintf(joined, sizeof joined, "%s%s", computer, instanceP);
  strcpy(o->szSqlServer, joined);
  return RC_OK;
}

// An explicit number of stripes is given as much as a bare /STRIPes: the restore reads the
// flag to decide whether the number applies.
int parseStripesArguments(const char* valueP, OptionsInfo* o) {
  int rc = numberValue<&OptionsInfo::nStripes, 1, 64, 1>(valueP, o);
  if (rc != RC_OK) return rc;
  o->bStripes = 1;
  return RC_OK;
}

// One TRACEFLags item: a keyword of the trace-flag table, switched off when led by "-".
int setTraceItem(const char* itemP) {
  bool on = itemP[0] != '-';
  if (!on) itemP++;
  for (int i = 0; i < gTraceKeywordCount; i++) {
    if (isAbbreviation(itemP, gTraceKeywords[i].keywordP) == 0) continue;
    return gTrace.setFlag(gTraceKeywords[i].category, on ? 1 : 0);
  }
  return RC_PARSE_BAD_VALUE;
}

int parseTraceflagArguments(const char* valueP, OptionsInfo*) {
  if (valueP == nullptr) return RC_PARSE_NO_VALUE;
  std::vector<char> text(valueP, valueP + strlen(valueP) + 1);
  std::vector<char*> itemsP(text.size());
  int count = tokenize(text.data(), ",", int(itemsP.size()), itemsP.data());
  for (int i = 0; i < count; i++) {
    int rc = setTraceItem(itemsP[i]);
    if (rc != RC_OK) return rc;
  }
  return RC_OK;
}

int parseToArguments(const char* valueP, OptionsInfo* o) {
  return parseListOfPhysicalNames(valueP, &o->toNameList);
}

int parseVolumeArguments(const char* valueP, OptionsInfo* o) {
  if (valueP == nullptr) return RC_PARSE_MISSING_WORD;
  bool letter = (valueP[0] >= 'a' && valueP[0] <= 'z') || (valueP[0] >= 'A' && valueP[0] <= 'Z');
  if (!letter || valueP[1] != '\0') return RC_PARSE_BAD_VALUE;
  return parseStringArgument(valueP, o->szVolume, sizeof o->szVolume, nullptr);
}

using O = OptionsInfo;

}  // namespace

// The first row whose keyword a name abbreviates decides, so the order matters: FILEInfo before
// FIles, DEBUGBACKUPPATH before DBOonly, STRIPes before STATUSInterval.
const ParseOptionRow gParseOptions[] = {
    {"ACtive", 0, flagValue<&O::bAll, 0>},
    {"ADJUSTKBhublorestimate", 1,
     numberValue<&O::nAdjustKbEstimate, INT32_MIN, INT32_MAX, kKeepsValue, true>},
    {"ADJUSTPERcenthublorestimate", 2,
     numberValue<&O::nAdjustPercentEstimate, INT32_MIN, INT32_MAX, kKeepsValue, true>},
    {"AFTER", 3, textValue<&O::szAfter, nullptr, &O::bAfter>},
    {"ALl", 4, flagValue<&O::bAll, 1>},
    {"BUFFers", 5, numberValue<&O::nBuffers, 1, 8, 3>},
    {"BUFFERSIze", 6, numberValue<&O::nBufferSize, 64, 8192, 1024>},
    {"COMPATibilityinfo", 7, flagValue<&O::bCompatibilityInfo, 1>},
    {"CONFIGfile", 8, textValue<&O::szConfigFile, kEmpty>},
    {"DEBUGBACKUPPATH", 9, textValue<&O::szDebugBackupPath, kEmpty, &O::bDebugBackupPath>},
    {"DBOonly", 10, flagValue<&O::bDboOnly, 1>},
    {"DIFFESTimate", 11, numberValue<&O::nDiffEstimate, 1, 99, 20>},
    {"FILEInfo", 13, flagValue<&O::bFileInfo, 1>},
    {"FIles", 12, namesValue<&O::fileNameList>},
    {"FROMSQLSERVer", 14, parseFromSqlServerArguments},
    {"GRoups", 15, namesValue<&O::groupNameList>},
    {"INCLUDELOGBackup", 16, yesNoValue<&O::bIncludeLogBackup, -1>},
    {"INTO", 17, namesValue<&O::intoNameList, &O::bInto>},
    {"LOGESTimate", 19, numberValue<&O::nLogEstimate, 0, 99, 0>},
    {"LOGFile", 20, textValue<&O::szLogFile, kLogFile>},
    {"LOGPrune", 21, parseLogpruneArguments},
    {"MOUNTWait", 22, parseMountwaitArguments},
    {"OBJect", 23, parseObjectArguments},
    {"OLDerthan", 24, numberValue<&O::nOlderthan, 0, 9999, kNeedsValue, true>},
    {"PARTial", 25, flagValue<&O::bPartial, 1>},
    {"PICk", 26, flagValue<&O::bPick, 1>},
    {"Quiet", 27, flagValue<&O::bQuiet, 1>},
    {"RECOVery", 28, parseRecoveryArguments},
    {"RELocate", 29, namesValue<&O::relocateNameList, &O::bRelocate>},
    {"REPlace", 30, flagValue<&O::bReplace, 1>},
    {"SQLAUTHentication", 31, parseSqlAuthenticationArguments},
    {"SQLBUFFers", 32, numberValue<&O::nSqlBuffers, 0, 999, 0>},
    {"SQLBUFFERSIze", 33, numberValue<&O::nSqlBufferSize, 64, 4096, 1024>},
    {"SQLPassword", 34, textValue<&O::szSqlPassword, kEmpty, &O::bSqlPassword>},
    {"SQLSERVer", 35, parseSqlServerArguments},
    {"SQLUSer", 36, textValue<&O::szSqlUser, kSqlUser, &O::bSqlUser>},
    {"STANDby", 37, parseStandbyArguments},
    {"STOPAT", 38, textValue<&O::szStopAt, nullptr, &O::bStopAt>},
    {"STOPATMark", 39, textValue<&O::szMarkName, nullptr, &O::bStopAtMark>},
    {"STOPBEFOREMark", 40, textValue<&O::szMarkName, nullptr, &O::bStopBeforeMark>},
    {"STRIPes", 41, parseStripesArguments},
    {"STATUSInterval", 42, numberValue<&O::nStatusInterval, 1, 10000, kNeedsValue>},
    {"TO", 43, parseToArguments},
    {"TRACEFIle", 44, textValue<&O::szTraceFile, kTraceFile>},
    {"TRACEFLags", 45, parseTraceflagArguments},
    {"TRUNCate", 46, yesNoValue<&O::bTruncate, 1>},
    {"HUBLORNODe", 47, textValue<&O::szHublorNode, kEmpty>},
    {"HUBLOROPTFile", 48, textValue<&O::szHublorOptFile, kApiOptionFile>},
    {"HUBLORPassword", 49, textValue<&O::szHublorPassword, kEmpty>},
    {"VOLume", 50, parseVolumeArguments},
    {nullptr, 18, nullptr},
};
