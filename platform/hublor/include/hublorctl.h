/*
 * hublorctl.h: controls of the Hublor stand-in for tests and tools, exported by libhublorapi.so
 * beside the pelk entry points (the agent never binds them).
 *
 * Fault rules use one syntax everywhere (this API, the option file's FAULT lines, hublorsim, and
 * the environment variable HUBLOR_FAULTS, read once per process, rules separated by ';'):
 *   CALL [nth=N] [node=NAME] [code=C] [reason=R] [abort[=R]] [delay=MS] [lose] [kill[=W]]
 * CALL is the name of an exported pelk entry point such as pelkSendData (another name is
 * refused), or "*" for every call. nth=N fires on the
 * N-th matching call counted in this process since the rule was armed; without nth (or nth=0)
 * the rule fires on every matching call. code=C answers C without doing the call (C a number or
 * a code name such as PELK_RC_WILL_ABORT; on pelkEndTxn the transaction is rolled back and
 * reason=R is handed out). abort makes the server abort the open transaction: the call answers
 * PELK_RC_WILL_ABORT and pelkEndTxn answers PELK_RC_CHECK_REASON with R (default
 * PELK_RS_ABORT_SYSTEM_ERROR). delay=MS holds the call for MS milliseconds (at most 3600000) before
 * it runs; the delays of every rule that fires add up. lose (on pelkGetObj) removes the requested
 * version's data from the store first. kill ends the process with SIGKILL, as a crash would: at
 * the call before it does anything (kill), after a call of a session did its work and before it
 * answers (kill=after; for pelkEndTxn the server has committed), or, on pelkEndTxn only, inside
 * the server's commit after every operation was applied and before any is committed
 * (kill=commit). Calls without a session die at the call whatever W says.
 */
#ifndef HUBLORCTL_H
#define HUBLORCTL_H

#include "hublorapi.h"

/* Every pelk entry point the library exports, for tables of them: X(name) once for each. */
/* clang-format off */
#define HUBLOR_ENTRY_POINTS(X) \
  X(pelkBeginGetData)          \
  X(pelkBeginQuery)            \
  X(pelkBeginTxn)              \
  X(pelkBindMC)                \
  X(pelkChangePW)              \
  X(pelkCleanUp)               \
  X(pelkDeleteAccess)          \
  X(pelkDeleteFS)              \
  X(pelkDeleteObj)             \
  X(pelkEndGetData)            \
  X(pelkEndGetObj)             \
  X(pelkEndQuery)              \
  X(pelkEndSendObj)            \
  X(pelkEndTxn)                \
  X(pelkGetData)               \
  X(pelkGetNextQObj)           \
  X(pelkGetObj)                \
  X(pelkInit)                  \
  X(pelkLogEventEx)            \
  X(pelkQueryAccess)           \
  X(pelkQueryApiVersion)       \
  X(pelkQueryCliOptions)       \
  X(pelkQuerySessInfo)         \
  X(pelkQuerySessOptions)      \
  X(pelkRegisterFS)            \
  X(pelkRenameObj)             \
  X(pelkRCMsg)                 \
  X(pelkSetAccess)             \
  X(pelkSendData)              \
  X(pelkSendObj)               \
  X(pelkSetUp)                 \
  X(pelkTerminate)             \
  X(pelkUpdateFS)              \
  X(pelkUpdateObj)
/* clang-format on */

#ifdef __cplusplus
extern "C" {
#endif

/* Arms one rule for this process. Returns 0 or PELK_RC_BAD_PARAMETER for a bad rule. */
PELK_EXPORT pelkInt16_t hublorCtlArmFault(const char* rule);
/* Removes every rule armed through hublorCtlArmFault. */
PELK_EXPORT void hublorCtlClearFaults(void);
/* The version pelkQueryApiVersion reports (and pelkInit checks against); 0.0.0 restores the
   default. The environment variable HUBLOR_API_VERSION=V.R.L does the same for a process. */
PELK_EXPORT void hublorCtlSetApiVersion(pelkUint16_t version, pelkUint16_t release,
                                        pelkUint16_t level);
/* The sessions of this process that are logged on (pelkInit without pelkTerminate yet). */
PELK_EXPORT pelkUint32_t hublorCtlOpenSessions(void);
/* Fixes the server's clock at the given seconds since 1970 (UTC); 0 returns to the real clock. */
PELK_EXPORT void hublorCtlSetClock(int64_t secondsSinceEpoch);

#ifdef __cplusplus
}
#endif

#endif /* HUBLORCTL_H */
