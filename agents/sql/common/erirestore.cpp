// The restore's entry function: the restore request as the current request.
#include <cstdio>

#include "agtrc.h"
#include "agttrc.h"
#include "restoreeri.h"

uint32_t eriRestoreBackups(CRestoreBackupsParms* parmsP) {
  TRACE_ENTRY(TRC_ERI, "eriRestoreBackups()");
  if (parmsP == nullptr) TRACE_RETURN(RC_INTERNAL_ERROR);
  CRestoreBackupsEri request(parmsP);
  if (parmsP->command < ERI_CMD_RESTORE_ANY || parmsP->command > ERI_CMD_RESTORE_SET) {
    TRACE_LINE(TRC_ERI, "An unknown command was detected, optionsInfo.command:%u\n",
               parmsP->command);
    TRACE_RETURN(RC_INTERNAL_ERROR);
  }
  if (parmsP->msgBufferP != nullptr) parmsP->msgBufferP[0] = '\0';
  uint32_t rc = eriRunRequest(&request, "cRestoreBackupsEriObj.ProcessRequest()", 0);
  const char* textP = request.GetMessageBuffer();
  if (rc != RC_OK && parmsP->msgBufferP != nullptr && textP != nullptr && textP[0] != '\0') {
    std::snprintf(parmsP->msgBufferP, ERI_MSG_BUFFER_LEN + 1, "%s", textP);
  }
  TRACE_RETURN(rc);
}
