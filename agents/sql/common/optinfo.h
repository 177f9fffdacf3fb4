// OptionsInfo: the one record in which a front end collects what a run is to do — the parsed
// command, every option value, the name lists of the command line and the preferences read
// from the configuration file.
//
// Filled in three layers, later ones winning: initializeOptions gives every field its default,
// the preferences overwrite fields from the configuration file, the command-line parser
// overwrites them from the command line. The request layer and the front ends' dispatch read
// it. Text fields are fixed buffers whose size counts the terminating NUL; a value that does
// not fit is rejected, never cut.
//
// Ownership: the record owns its nine name lists and their entries; pszErrorArg and
// pszSetValue point into the command line and are not owned. Concurrency: none, one thread.
#pragma once

#include <cstddef>
#include <cstdint>

#include "dateutil.h"
#include "linklist.h"

constexpr int OPT_HUBLOR_NAME_SIZE = 65;    // node name and passwords: 64 characters
constexpr int OPT_PATH_SIZE = 1793;         // option, configuration, log and trace files
constexpr int OPT_DATE_TEXT_SIZE = 41;      // AFTER and STOPAT: 40 characters
constexpr int OPT_FILE_PATH_SIZE = 261;     // a physical file name: 260 characters
constexpr int OPT_SERVER_NAME_SIZE = 33;    // a SQL Server name: 32 characters
constexpr int OPT_LANGUAGE_SIZE = 26;       // the language preference
constexpr int OPT_SQL_NAME_SIZE = 129;      // SQL user, password, mark and logical names
constexpr int OPT_CONFLICT_TEXT_SIZE = 81;  // the insert of a combination error
constexpr int OPT_VOLUME_SIZE = 4;          // one drive letter
constexpr int OPT_OBJECT_NAME_SIZE = 24;    // a backup's object name: 23 characters
constexpr int OPT_COMPUTER_NAME_SIZE = 16;  // the computer name: 15 characters
constexpr int OPT_LOG_FILE_SIZE = OPT_PATH_SIZE;

enum optSqlAuth : int32_t { OPT_SQLAUTH_INTEGRATED = 0, OPT_SQLAUTH_SQLUSERID = 1 };

// List entries, one type per name kind; the name is NUL-terminated.
struct OptLogicalName {
  char szName[OPT_SQL_NAME_SIZE];  // a database, file group or logical file name
};
struct OptObjectName {
  char szName[OPT_OBJECT_NAME_SIZE];  // a backup's time-and-process name
};
struct OptPhysicalName {
  char szName[OPT_FILE_PATH_SIZE];  // a physical file name
};

struct OptionsInfo {
  // Constructs the lists empty and every other field zero; initializeOptions gives defaults.
  OptionsInfo() {}
  OptionsInfo(const OptionsInfo&) = delete;
  OptionsInfo& operator=(const OptionsInfo&) = delete;

  char szHublorNode[OPT_HUBLOR_NAME_SIZE] = {};
  char szHublorOptFile[OPT_PATH_SIZE] = {};
  char szHublorPassword[OPT_HUBLOR_NAME_SIZE] = {};
  char szAfter[OPT_DATE_TEXT_SIZE] = {};
  char szConfigFile[OPT_PATH_SIZE] = {};
  char szStopAt[OPT_DATE_TEXT_SIZE] = {};
  char szDebugBackupPath[OPT_FILE_PATH_SIZE] = {};
  char szFromSqlServer[OPT_SERVER_NAME_SIZE] = {};
  char szLanguage[OPT_LANGUAGE_SIZE] = {};
  char szLogFile[OPT_PATH_SIZE] = {};
  char szMarkName[OPT_SQL_NAME_SIZE] = {};  // STOPATMark or STOPBEFOREMark
  char szNewHublorPassword[OPT_HUBLOR_NAME_SIZE] = {};
  char szConflictText[OPT_CONFLICT_TEXT_SIZE] = {};  // option names of the last parse error
  char szSqlPassword[OPT_SQL_NAME_SIZE] = {};
  char szSqlServer[OPT_SERVER_NAME_SIZE] = {};
  char szSqlUser[OPT_SQL_NAME_SIZE] = {};
  char szStandbyFile[OPT_FILE_PATH_SIZE] = {};
  char szTraceFile[OPT_PATH_SIZE] = {};
  char szVerifyHublorPassword[OPT_HUBLOR_NAME_SIZE] = {};
  char szVolume[OPT_VOLUME_SIZE] = {};
  // The date of the last pruning of the activity log, as the configuration file keeps it.
  char szLastPruneDate[DATE_TIME_TEXT_SIZE] = {};

  // The word the parser was working on when it failed; null for a combination error, whose
  // option names are in szConflictText.
  const char* pszErrorArg = nullptr;
  // Set: the validated value text to store in the configuration file.
  const char* pszSetValue = nullptr;

  CLinkedList<OptLogicalName> dbNameList;
  CLinkedList<OptLogicalName> fileNameList;
  CLinkedList<OptLogicalName> groupNameList;
  CLinkedList<OptLogicalName> intoNameList;
  CLinkedList<OptObjectName> objectNameList;
  CLinkedList<OptObjectName> logObjectNameList;
  CLinkedList<OptLogicalName> relocateNameList;
  CLinkedList<OptPhysicalName> toNameList;
  CLinkedList<OptObjectName> setObjectNameList;

  int32_t nAdjustKbEstimate = 0;
  int32_t nAdjustPercentEstimate = 0;
  int32_t nBuffers = 0;
  int32_t nBufferSize = 0;  // kilobytes
  int32_t nDateFormat = 0;
  int32_t nDiffEstimate = 0;  // percent
  int32_t nLogEstimate = 0;   // percent
  int32_t nLogPrune = 0;      // days; -1 while pruning is off
  int32_t nNumberFormat = 0;
  int32_t nOlderthan = 0;  // days; -1 when not given
  int32_t nSqlBuffers = 0;
  int32_t nSqlBufferSize = 0;  // kilobytes
  int32_t nStripes = 0;
  int32_t nTimeFormat = 0;
  int32_t nStatusInterval = 0;  // milliseconds

  uint32_t bAll = 0;
  uint32_t bAfter = 0;
  uint32_t bCompatibilityInfo = 0;
  uint32_t bDboOnly = 0;
  uint32_t bDebugBackupPath = 0;
  uint32_t bFileInfo = 0;
  uint32_t bQueryMountWait = 0;
  uint32_t bFromSqlServer = 0;
  uint32_t bIncludeLogBackup = 0;
  uint32_t bInto = 0;
  uint32_t bLogPruneSpecified = 0;  // 1: the front end does not read the pruning preference
  uint32_t bMountWait = 0;
  uint32_t bPartial = 0;
  uint32_t bPick = 0;
  uint32_t bQuiet = 0;
  uint32_t bRecovery = 0;
  uint32_t bRecoverySpecified = 0;
  uint32_t bRelocate = 0;
  uint32_t bReplace = 0;
  uint32_t bSqlAuthentication = 0;
  uint32_t bSqlServer = 0;
  uint32_t bSqlPassword = 0;
  uint32_t bSqlUser = 0;
  uint32_t bStandby = 0;
  uint32_t bStopAt = 0;
  uint32_t bStopAtMark = 0;
  uint32_t bStopBeforeMark = 0;
  uint32_t bStripes = 0;
  uint32_t bTruncate = 0;
  uint32_t nReserved = 0;
  uint32_t command = 0;     // the command id of the parsed command
  int32_t enumSqlAuth = 0;  // optSqlAuth
};

// Gives every text, pointer, number, flag and code its default; the lists stay as they are.
// Returns 0.
int initializeOptions(OptionsInfo* optionsP);

// The language table: the code of the first row whose name equals the name (lower-cased in
// place), "ameng" when none does. codeP holds at least OPT_LANGUAGE_SIZE bytes. Returns 0.
int optLookupLanguage(char* languageP, char* codeP);
// The id of the first row whose code equals the code (lower-cased in place), 0 when none does.
// Returns 0.
int optLanguageId(char* codeP, uint32_t* idP);
