// Query ZARNAK: the preferences of the configuration file, with the defaults for what it does
// not name.
#include <cstdio>
#include <cstring>

#include "agtpref.h"
#include "agtrc.h"
#include "clc.h"
#include "errormsg.h"
#include "msgout.h"

namespace {

// The keywords listed, in order (not LANGuage and not LastPruneDate).
const int kListed[] = {PREF_BUFFERS,       PREF_BUFFERSIZE, PREF_DATEFORMAT, PREF_DIFFESTIMATE,
                       PREF_FROMSQLSERVER, PREF_LOGFILE,    PREF_LOGPRUNE,   PREF_MOUNTWAIT,
                       PREF_NUMBERFORMAT,  PREF_SQLAUTH,    PREF_SQLBUFFERS, PREF_SQLBUFFERSIZE,
                       PREF_SQLSERVER,     PREF_STRIPES,    PREF_TIMEFORMAT};

// Reads one keyword into the record, checked as stored. A server name the file does not give
// keeps the record's value, which start-up made this computer's name.
int readKeyword(int id, OptionsInfo* o) {
  char value[PREF_VALUE_SIZE] = {};
  int rc = gPreferencesP->getPreferences(id, value, sizeof value, nullptr, 0);
  if (rc != RC_OK) return rc;
  bool server = id == PREF_SQLSERVER || id == PREF_FROMSQLSERVER;
  if (server && value[0] == '\0') return RC_OK;
  return gPreferencesP->getPreferences(id, value, sizeof value, o, 0);
}

}  // namespace

int clcQueryZarnak(ClcRun* runP) {
  OptionsInfo& o = runP->options;
  for (int id : kListed) {
    int rc = readKeyword(id, &o);
    if (rc == RC_OK) continue;
    nlsprintf(runP->msgBuffer, sizeof runP->msgBuffer, agentRcMessage(rc), prefKeyword(id));
    return rc;
  }
  char logPrune[16];
  snprintf(logPrune, sizeof logPrune, "%d", o.nLogPrune);
  if (o.nLogPrune == -1) snprintf(logPrune, sizeof logPrune, "No");
  if (runP->configMissing) nlprintf(CLC_MSG_CONFIG_MISSING);
  nlprintf(CLC_MSG_PREFERENCES, o.nBuffers, o.nBufferSize, o.nDateFormat, o.nDiffEstimate,
           o.szFromSqlServer, o.szLogFile, logPrune, o.bMountWait ? "Yes" : "No", o.nNumberFormat,
           o.enumSqlAuth == OPT_SQLAUTH_INTEGRATED ? "INTegrated" : "SQLuserid", o.nSqlBuffers,
           o.nSqlBufferSize, o.szSqlServer, o.nStripes, o.nTimeFormat);
  return RC_OK;
}
