// Set: one preference stored in the configuration file, checked by the preferences once more.
#include <cstring>

#include "agtpref.h"
#include "agtrc.h"
#include "clc.h"
#include "errormsg.h"
#include "msgout.h"
#include "nlstable.h"
#include "parse.h"

namespace {

struct SetKeyword {
  uint32_t command;
  int prefId;
};

const SetKeyword kSetKeywords[] = {
    {CMD_SET_SQLAUTH, PREF_SQLAUTH},
    {CMD_SET_BUFFERS, PREF_BUFFERS},
    {CMD_SET_BUFFERSIZE, PREF_BUFFERSIZE},
    {CMD_SET_DATEFORMAT, PREF_DATEFORMAT},
    {CMD_SET_DIFFESTIMATE, PREF_DIFFESTIMATE},
    {CMD_SET_FROMSQLSERVER, PREF_FROMSQLSERVER},
    {CMD_SET_LANGUAGE, PREF_LANGUAGE},
    {CMD_SET_LOGFILE, PREF_LOGFILE},
    {CMD_SET_LOGPRUNE, PREF_LOGPRUNE},
    {CMD_SET_MOUNTWAIT, PREF_MOUNTWAIT},
    {CMD_SET_NUMBERFORMAT, PREF_NUMBERFORMAT},
    {CMD_SET_SQLBUFFERS, PREF_SQLBUFFERS},
    {CMD_SET_SQLBUFFERSIZE, PREF_SQLBUFFERSIZE},
    {CMD_SET_SQLSERVER, PREF_SQLSERVER},
    {CMD_SET_STRIPES, PREF_STRIPES},
    {CMD_SET_TIMEFORMAT, PREF_TIMEFORMAT},
};

int prefIdOf(uint32_t command) {
  for (const SetKeyword& keyword : kSetKeywords) {
    if (keyword.command == command) return keyword.prefId;
  }
  return -1;
}

// A new log file starts without a pruning date: the next run prunes it.
int resetPruneDate(ClcRun* runP, const char* valueP) {
  if (valueP == nullptr || strcmp(valueP, runP->configuredLogFile) == 0) return RC_OK;
  return gPreferencesP->setPreferences(PREF_LASTPRUNEDATE, "00/00/0000 00:00:00", nullptr);
}

}  // namespace

int clcSet(ClcRun* runP) {
  const OptionsInfo& o = runP->options;
  int id = prefIdOf(o.command);
  if (id < 0) return RC_INTERNAL_ERROR;
  int rc = gPreferencesP->setPreferences(id, o.pszSetValue, nullptr);
  if (rc == RC_OK && id == PREF_LOGFILE) rc = resetPruneDate(runP, o.pszSetValue);
  if (rc != RC_OK) {
    char keyword[32];
    snprintf(keyword, sizeof keyword, "%s", prefKeyword(id));
    nlsActiveFuncTable()->m_StrLwr(keyword);
    nlsprintf(runP->msgBuffer, sizeof runP->msgBuffer, agentRcMessage(rc), keyword);
    return rc;
  }
  nlprintf(CLC_MSG_PREF_STORED);
  if (runP->configMissing) nlprintf(CLC_MSG_CONFIG_CREATED);
  return RC_OK;
}
