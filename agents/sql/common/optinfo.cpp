// The defaults of the options record and the language table.
#include "optinfo.h"

#include <cstdio>
#include <cstring>

#include "agtrc.h"
#include "agttrc.h"
#include "nlstable.h"
#include "psutil.h"

namespace {

struct LanguageRow {
  uint32_t id;
  const char* codeP;
  const char* nameP;
};

// The end row (id 11) stops the search.
const LanguageRow kLanguages[] = {
    {0, "ameng", "ameng"},    {1, "deu", "german"},       {2, "fra", "french"},
    {3, "esp", "spanish"},    {4, "ita", "italian"},      {5, "sve", "swedish"},
    {6, "japan", "japanese"}, {7, "sch", "schinese"},     {8, "cht", "tchinese"},
    {9, "kor", "korean"},     {10, "ptb", "bportuguese"}, {11, "ameng", "ameng"},
};
constexpr uint32_t kEndLanguageId = 11;

template <size_t N>
void setText(char (&fieldR)[N], const char* textP) {
  snprintf(fieldR, N, "%s", textP);
}

void clearTexts(OptionsInfo* o) {
  char* const emptied[] = {o->szHublorNode,
                           o->szHublorPassword,
                           o->szAfter,
                           o->szConfigFile,
                           o->szStopAt,
                           o->szDebugBackupPath,
                           o->szMarkName,
                           o->szNewHublorPassword,
                           o->szConflictText,
                           o->szSqlPassword,
                           o->szStandbyFile,
                           o->szTraceFile,
                           o->szVerifyHublorPassword,
                           o->szVolume,
                           o->szLastPruneDate};
  for (char* textP : emptied) textP[0] = '\0';
}

void setNumbers(OptionsInfo* o) {
  o->nAdjustKbEstimate = 0;
  o->nAdjustPercentEstimate = 0;
  o->nBuffers = 3;
  o->nBufferSize = 1024;
  o->nDateFormat = 1;
  o->nDiffEstimate = 20;
  o->nLogEstimate = 0;
  o->nLogPrune = 60;
  o->nNumberFormat = 1;
  o->nOlderthan = -1;
  o->nSqlBuffers = 0;
  o->nSqlBufferSize = 1024;
  o->nStripes = 1;
  o->nTimeFormat = 1;
  o->nStatusInterval = 1000;
}

void setFlags(OptionsInfo* o) {
  uint32_t* const cleared[] = {&o->bAll,
                               &o->bAfter,
                               &o->bCompatibilityInfo,
                               &o->bDboOnly,
                               &o->bDebugBackupPath,
                               &o->bFileInfo,
                               &o->bQueryMountWait,
                               &o->bFromSqlServer,
                               &o->bIncludeLogBackup,
                               &o->bInto,
                               &o->bLogPruneSpecified,
                               &o->bPartial,
                               &o->bPick,
                               &o->bQuiet,
                               &o->bRecoverySpecified,
                               &o->bRelocate,
                               &o->bReplace,
                               &o->bSqlAuthentication,
                               &o->bSqlServer,
                               &o->bSqlPassword,
                               &o->bSqlUser,
                               &o->bStandby,
                               &o->bStopAt,
                               &o->bStopAtMark,
                               &o->bStopBeforeMark,
                               &o->bStripes,
                               &o->nReserved};
  for (uint32_t* flagP : cleared) *flagP = 0;
  o->bMountWait = 1;
  o->bRecovery = 1;
  o->bTruncate = 1;
  o->command = 8;  // Help: a command line without words shows the help
  o->enumSqlAuth = OPT_SQLAUTH_INTEGRATED;
}

void lowerCase(char* textP) {
  nlsActiveFuncTable()->m_StrLwr(textP);
}

}  // namespace

int initializeOptions(OptionsInfo* o) {
  TRACE_ENTRY(TRC_PARSE, "initializeOptions()");
  o->szHublorOptFile[0] = '\0';
  psGetMOXTARAPIConfig(o->szHublorOptFile, sizeof o->szHublorOptFile);
  // The computer name is at most 15 characters, so it always fits both server fields.
  char computer[OPT_COMPUTER_NAME_SIZE];
  psGetComputerName(computer, sizeof computer);
  setText(o->szSqlServer, computer);
  setText(o->szFromSqlServer, computer);
  clearTexts(o);
  setText(o->szLanguage, "AMENG");
  setText(o->szLogFile, "zarnaksql.log");
  setText(o->szSqlUser, "sa");
  setNumbers(o);
  setFlags(o);
  o->pszErrorArg = nullptr;
  o->pszSetValue = nullptr;
  TRACE_RETURN(RC_OK);
}

int optLookupLanguage(char* languageP, char* codeP) {
  memset(codeP, 0, OPT_LANGUAGE_SIZE);
  lowerCase(languageP);
  const char* foundP = "ameng";
  for (const LanguageRow* rowP = kLanguages; rowP->id != kEndLanguageId; rowP++) {
    if (strcmp(rowP->nameP, languageP) != 0) continue;
    foundP = rowP->codeP;
    break;
  }
  snprintf(codeP, OPT_LANGUAGE_SIZE, "%s", foundP);
  return RC_OK;
}

int optLanguageId(char* codeP, uint32_t* idP) {
  lowerCase(codeP);
  *idP = 0;
  for (const LanguageRow* rowP = kLanguages; rowP->id != kEndLanguageId; rowP++) {
    if (strcmp(rowP->codeP, codeP) != 0) continue;
    *idP = rowP->id;
    break;
  }
  return RC_OK;
}
