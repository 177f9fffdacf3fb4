// The national-language state: set-up and clean-up.
#include "nlsglob.h"

#include <cstring>

#include "agtmem.h"
#include "agttrc.h"
#include "msgout.h"
#include "msgrepo.h"
#include "nlscodepage.h"
#include "nlsnumber.h"
#include "nlstable.h"

namespace {
NlsGlobals gNlsGlobals;
}

NlsGlobals* nlsGlobals() {
  return &gNlsGlobals;
}

NlsGlobals* nlsSetup(const nlsOutputCallback callbacks[NLS_NUM_SEVERITIES]) {
  TRACE_ENTRY(TRC_NLS, "nlsSetup()");
  NlsGlobals* globP = &gNlsGlobals;
  *globP = NlsGlobals{};
  globP->m_FuncTableP = nlsGetFuncTable();
  nlsInitFuncTable(globP->m_FuncTableP);
  nlsBindConversionFlags(&globP->m_FileConvert, &globP->m_ConsoleConvert);
  globP->m_RepositoryP = static_cast<nlsRepository*>(CALLOC(1, sizeof(nlsRepository)));
  psMutexInit(&globP->m_NlsMutex, 1);
  nlsSetNumberFormatSource(nlsGetMsgFormat);  // the number formatters read messages 6 to 16
  for (int i = 0; callbacks != nullptr && i < NLS_NUM_SEVERITIES; ++i) {
    globP->m_OutputCallbackP[i] = callbacks[i];
  }
  return globP;
}

void nlsCleanup() {
  TRACE_ENTRY(TRC_NLS, "nlsCleanup()");
  NlsGlobals* globP = &gNlsGlobals;
  if (globP->m_FuncTableP != nullptr) nlsTermFuncTable(globP->m_FuncTableP);
  globP->m_FuncTableP = nullptr;
  if (globP->m_RepositoryP != nullptr) {
    NLTerm();
    FREE(&globP->m_RepositoryP);
  }
  nlsBindConversionFlags(nullptr, nullptr);
  nlsSetNumberFormatSource(nullptr);
  if (globP->m_NlsMutex != nullptr) psMutexDestroy(&globP->m_NlsMutex, 1);
}
