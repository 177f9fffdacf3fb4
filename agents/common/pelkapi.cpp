// The interface wrapper: construction, the process's set-up and its end, the version check.
#include "pelkapi.h"

#include <cstring>

#include "agtrc.h"
#include "agttrc.h"
#include "pelktext.h"
#include "psmutexhold.h"
#include "psutil.h"

DPelkApi* gPelkApiObjP = nullptr;
int DPelkApi::m_SetUpDone = 0;
PelkSetupData* DPelkApi::m_SetupDataP = nullptr;

namespace {

constexpr int ERROR_KIND_AGENT = 1;    // the text is the agent's return-code table's
constexpr int ERROR_KIND_LIBRARY = 2;  // the text is the library's (AgtPelkRCMsg)

void setErrorKind(int* errorKindP, int kind) {
  if (errorKindP != nullptr) {
    *errorKindP = kind;
  }
}

// The interface takes its directories without the closing separator.
void dropTrailingSeparator(char* pathP) {
  size_t length = std::strlen(pathP);
  if (length > 0 && (pathP[length - 1] == '/' || pathP[length - 1] == '\\')) {
    pathP[length - 1] = '\0';
  }
}

bool older(const pelkApiVersion& found, int version, int release, int level) {
  if (found.version != version) {
    return found.version < version;
  }
  if (found.release != release) {
    return found.release < release;
  }
  return found.level < level;
}

// The interface library's directory and its log directory, as the agent finds them.
int readApiDirs(PelkEnvSetUp* envP) {
  int rc = psGetMOXTARAPIDir(envP->pelkiDir, sizeof envP->pelkiDir);
  if (rc != RC_OK) return rc;
  return psGetMOXTARAPILog(envP->pelkiLog, sizeof envP->pelkiLog);
}

}  // namespace

int defaultPWCallback(int, int, const char*, const char*, char* outputP, int outputSize,
                      const char*) {
  if (outputP != nullptr && outputSize > 0) {
    outputP[0] = '\0';
  }
  return 0;
}

DPelkApi::DPelkApi(const char* nodeNameP, const char* passwordP, const char* optFileP,
                   pelkPasswordCallback pwCallbackP)
    : DBaseApi("HUBLOR"), m_PwCallbackP(pwCallbackP), m_StoredTextsRc(0), m_FieldsMutex(nullptr) {
  bool fits = pelkCopyText(m_NodeName, sizeof m_NodeName, nodeNameP);
  fits = pelkCopyText(m_Password, sizeof m_Password, passwordP) && fits;
  fits = pelkCopyText(m_OptFile, sizeof m_OptFile, optFileP) && fits;
  if (!fits) {
    TRACE_LINE(TRC_API, "DPelkApi: a node name, password or option file is too long\n");
    m_StoredTextsRc = PELK_RC_NAME_TOO_LONG;
  }
  psMutexInit(&m_FieldsMutex, 0);
}

DPelkApi::~DPelkApi() {
  psMutexDestroy(&m_FieldsMutex, 0);
}

const char* DPelkApi::GetApiName() {
  TRACE_LINE(TRC_API, "Exit %s, returning api name %s\n", "DPelkApi::GetApiName", m_ApiName);
  return m_ApiName;
}

void DPelkApi::SetSetupData(PelkSetupData* setupP) {
  m_SetupDataP = setupP;
}

int DPelkApi::Init(DPelkApiStatus* statusP, int* errorKindP) {
  TRACE_ENTRY(TRC_API, "DPelkApi::Init");
  if (m_SetUpDone == 1) {
    TRACE_LINE(TRC_API, "pelkSetUp already done\n");
    TRACE_RETURN(RC_OK);
  }
  PelkEnvSetUp env;
  std::memset(&env, 0, sizeof env);
  env.stVersion = PELK_ENVSETUP_VERSION;
  int rc = readApiDirs(&env);
  if (rc != RC_OK) {
    setErrorKind(errorKindP, ERROR_KIND_AGENT);
    TRACE_RETURN(rc);
  }
  const char* givenP = m_SetupDataP != nullptr ? m_SetupDataP->optFileP : nullptr;
  if (givenP != nullptr && givenP[0] != '\0') {
    if (!pelkCopyText(env.pelkiConfig, sizeof env.pelkiConfig, givenP)) {
      setErrorKind(errorKindP, ERROR_KIND_LIBRARY);
      TRACE_RETURN(PELK_RC_NAME_TOO_LONG);
    }
  } else {
    // The path is used whatever the registry said: a bare name then.
    psGetMOXTARAPIConfig(env.pelkiConfig, sizeof env.pelkiConfig);
  }
  dropTrailingSeparator(env.pelkiDir);
  dropTrailingSeparator(env.pelkiLog);
  env.argv = m_SetupDataP != nullptr ? m_SetupDataP->argv : nullptr;
  TRACE_LINE(TRC_API, "pelkiDir = %s, pelkiLog = %s, pelkiConfig = %s, argv = %p\n", env.pelkiDir,
             env.pelkiLog, env.pelkiConfig, static_cast<void*>(env.argv));
  rc = dpelkSetUp(this, statusP, 1, &env);
  if (rc != RC_OK) {
    setErrorKind(errorKindP, ERROR_KIND_LIBRARY);
    TRACE_RETURN(rc);
  }
  m_SetUpDone = 1;
  TRACE_RETURN(RC_OK);
}

int DPelkApi::Term(DPelkApiStatus* statusP) {
  TRACE_ENTRY(TRC_API, "DPelkApi::Term");
  if (m_SetUpDone != 1) {
    TRACE_LINE(TRC_API, "pelkSetUp was not done\n");
    TRACE_RETURN(RC_OK);
  }
  int rc = dpelkCleanUp(this, statusP, 1);
  m_SetUpDone = 0;
  TRACE_RETURN(rc);
}

int DPelkApi::checkCompatibility(DPelkApiStatus* statusP, pelkApiVersion* versionP) {
  TRACE_ENTRY(TRC_API, "DPelkApi::checkCompatibility");
  std::memset(versionP, 0, sizeof *versionP);
  dpelkQueryApiVersion(this, statusP, versionP);
  TRACE_LINE(TRC_API, "Interface version %u.%u.%u, built for %u.%u.%u\n", versionP->version,
             versionP->release, versionP->level, apiBuildVersion.version, apiBuildVersion.release,
             apiBuildVersion.level);
  if (versionP->version < 3) {
    TRACE_RETURN(RC_API_LEVEL_TOO_OLD);
  }
  if (older(*versionP, apiBuildVersion.version, apiBuildVersion.release, apiBuildVersion.level)) {
    TRACE_RETURN(RC_API_VERSION_TOO_OLD);
  }
  TRACE_RETURN(RC_OK);
}

const char* DPelkApi::getHublorNode() {
  TRACE_LINE(TRC_API, "Exit %s, returning node %s\n", "DPelkApi::getHublorNode", m_NodeName);
  return m_NodeName;
}

const char* DPelkApi::getHublorOptFile() {
  TRACE_LINE(TRC_API, "Exit %s, returning opt file %s\n", "DPelkApi::getHublorOptFile", m_OptFile);
  return m_OptFile;
}
