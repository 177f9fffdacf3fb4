// Logon and logoff: a session opened with the given or stored values, a password asked from the
// front end's callback when needed, and a password change when the server demands one. Every
// failure after the library handed out a session ends that session, so a caller that gets a
// code other than 0 has nothing to log off.
#include <cstring>

#include "agttrc.h"
#include "pelkapi.h"
#include "pelktext.h"
#include "psmutexhold.h"

namespace {

char kApplicationType[] = "Zarnak MSSQLV2 NT";
char kLogonOptions[] = "-TAPEPROMPT=YES";
constexpr size_t LOGON_TRACE_TEXT_SIZE = 1024;

bool given(const char* textP) {
  return textP != nullptr && textP[0] != '\0';
}

bool fitsField(const char* textP, size_t fieldSize) {
  return textP == nullptr || std::strlen(textP) < fieldSize;
}

bool logonTextsFit(const pelkApiLogonInfo* infoP) {
  return fitsField(infoP->nodeNameP, PELK_NODE_SIZE) &&
         fitsField(infoP->passwordP, PELK_PASSWORD_SIZE) &&
         fitsField(infoP->newPasswordP, PELK_PASSWORD_SIZE) &&
         fitsField(infoP->optFileP, PELK_OPTFILE_SIZE);
}

// Empties what the logon hands back, so that a failure leaves no stale session or facts.
void clearLogonOutputs(pelkSessInfo* sessInfoP, pelkUint32_t* handleP) {
  if (sessInfoP != nullptr) {
    std::memset(sessInfoP, 0, sizeof *sessInfoP);
    sessInfoP->stVersion = PELK_SESSINFO_VERSION;
  }
  if (handleP != nullptr) {
    *handleP = 0;
  }
}

}  // namespace

// The logon's own copies: what the callback sees and fills.
struct DPelkApi::LogonValues {
  char password[PELK_PASSWORD_SIZE];
  char nodeName[PELK_NODE_SIZE];
  char output[PELK_PASSWORD_SIZE];
  char storedPassword[PELK_PASSWORD_SIZE];
  int passwordAccess;
};

int16_t DPelkApi::Logon(DPelkApiStatus* statusP, pelkSessInfo* sessInfoP, pelkUint32_t* handleP,
                        const pelkApiLogonInfo* logonInfoP) {
  TRACE_ENTRY(TRC_API, "DPelkApi::Logon");
  clearLogonOutputs(sessInfoP, handleP);
  if (!logonTextsFit(logonInfoP)) {
    TRACE_LINE(TRC_API, "A node name, password or option file of the logon is too long.\n");
    TRACE_RETURN(PELK_RC_NAME_TOO_LONG);
  }
  LogonValues values;
  loadLogonValues(statusP, logonInfoP, &values);
  pelkUint32_t handle = 0;
  int16_t rc = openSession(statusP, logonInfoP, &values, handleP != nullptr ? &handle : nullptr);
  if (rc != PELK_RC_OK && rc != PELK_RC_PASSWORD_EXPIRED) {
    TRACE_RETURN(rc);
  }
  rc = completeLogon(statusP, sessInfoP, logonInfoP, &values, handle, rc);
  if (rc != PELK_RC_OK) {
    if (handle != 0) {
      dpelkTerminate(this, statusP, handle);
    }
    TRACE_RETURN(rc);
  }
  if (handleP != nullptr) {
    *handleP = handle;
  }
  TRACE_RETURN(PELK_RC_OK);
}

// The logon's copies: the stored password, the client's password access and the given node
// name and password.
void DPelkApi::loadLogonValues(DPelkApiStatus* statusP, const pelkApiLogonInfo* logonInfoP,
                               LogonValues* valuesP) {
  std::memset(valuesP, 0, sizeof *valuesP);
  {
    CPsMutexHold hold(m_FieldsMutex, 0);
    pelkCopyText(valuesP->storedPassword, sizeof valuesP->storedPassword, m_Password);
  }
  optStruct options;
  std::memset(&options, 0, sizeof options);
  dpelkQueryCliOptions(this, statusP, &options);  // a failed query leaves "prompt"
  valuesP->passwordAccess = options.passwordAccess;
  // The node the prompts name: the given one, else the option file's.
  options.nodeName[sizeof options.nodeName - 1] = '\0';
  pelkCopyText(valuesP->nodeName, sizeof valuesP->nodeName,
               given(logonInfoP->nodeNameP) ? logonInfoP->nodeNameP : options.nodeName);
  if (given(logonInfoP->passwordP)) {
    pelkCopyText(valuesP->password, sizeof valuesP->password, logonInfoP->passwordP);
  }
}

// On the open session (openRc 0, or 52 when the password expired): the password change when
// one is due or asked for, then the logon's values kept and the session's facts queried. 0 or
// the code that ends the logon.
int16_t DPelkApi::completeLogon(DPelkApiStatus* statusP, pelkSessInfo* sessInfoP,
                                const pelkApiLogonInfo* logonInfoP, LogonValues* valuesP,
                                pelkUint32_t handle, int16_t openRc) {
  if (openRc == PELK_RC_PASSWORD_EXPIRED || given(logonInfoP->newPasswordP)) {
    int16_t rc = renewPassword(statusP, logonInfoP, valuesP, handle, openRc);
    if (rc != PELK_RC_OK) {
      return rc;
    }
  }
  keepLogonValues(logonInfoP, valuesP->password);
  if (sessInfoP == nullptr) {
    return PELK_RC_OK;
  }
  int16_t rc = dpelkQuerySessInfo(this, statusP, handle, sessInfoP);
  traceApiError(statusP, handle, rc, "pelkQuerySessInfo");
  return rc;
}

int16_t DPelkApi::Logon(DPelkApiStatus* statusP, pelkSessInfo* sessInfoP, pelkUint32_t* handleP) {
  char nodeName[PELK_NODE_SIZE];
  char password[PELK_PASSWORD_SIZE];
  char optFile[PELK_OPTFILE_SIZE];
  pelkApiLogonInfo info = {nodeName, password, nullptr, optFile, nullptr};
  {
    CPsMutexHold hold(m_FieldsMutex, 0);
    pelkCopyText(nodeName, sizeof nodeName, m_NodeName);
    pelkCopyText(password, sizeof password, m_Password);
    pelkCopyText(optFile, sizeof optFile, m_OptFile);
    info.pwCallbackP = m_PwCallbackP;
  }
  if (m_StoredTextsRc != PELK_RC_OK) {
    if (handleP != nullptr) {
      *handleP = 0;
    }
    return m_StoredTextsRc;
  }
  return Logon(statusP, sessInfoP, handleP, &info);
}

int16_t DPelkApi::Logoff(DPelkApiStatus* statusP, pelkUint32_t handle) {
  return dpelkTerminate(this, statusP, handle);
}

// Asks the callback for the reason's password into values->output. 0 with a non-empty output;
// else 101 when the user cancelled, the reason's code otherwise (also without a callback).
static int16_t askPassword(int reason, const pelkApiLogonInfo* logonInfoP, char* passwordP,
                           char* nodeNameP, char* outputP, const char* storedPasswordP,
                           int passwordAccess) {
  outputP[0] = '\0';
  if (logonInfoP->pwCallbackP == nullptr) {
    TRACE_LINE(TRC_API, "No password callback to ask for a password.\n");
    return static_cast<int16_t>(reason);
  }
  int callbackRc = logonInfoP->pwCallbackP(reason, passwordAccess, passwordP, nodeNameP, outputP,
                                           static_cast<int>(PELK_PASSWORD_SIZE), storedPasswordP);
  outputP[PELK_PASSWORD_SIZE - 1] = '\0';  // a callback that filled the whole field
  if (outputP[0] != '\0') {
    return PELK_RC_OK;
  }
  if (callbackRc == PELK_PW_CANCELLED) {
    TRACE_LINE(TRC_API, "The password callback cancelled by the user.\n");
    return PELK_PW_CANCELLED;
  }
  TRACE_LINE(TRC_API, "The password callback did not return a password.\n");
  return static_cast<int16_t>(reason);
}

// pelkInit until a session is open: asks first when there is no password to give and the client
// keeps none, and once more after a refused client-kept password. 0, 52 (open for a password
// change only) or the code that ended the logon.
int16_t DPelkApi::openSession(DPelkApiStatus* statusP, const pelkApiLogonInfo* logonInfoP,
                              LogonValues* valuesP, pelkUint32_t* handleP) {
  bool retried = false;
  for (;;) {
    bool mustAsk = retried || (valuesP->passwordAccess == 0 && valuesP->password[0] == '\0');
    if (mustAsk) {
      int16_t rc =
          askPassword(PELK_RC_BAD_PASSWORD, logonInfoP, valuesP->password, valuesP->nodeName,
                      valuesP->output, valuesP->storedPassword, valuesP->passwordAccess);
      if (rc != PELK_RC_OK) {
        return rc;
      }
      pelkCopyText(valuesP->password, sizeof valuesP->password, valuesP->output);
    }
    pelkApiVersion version = apiBuildVersion;
    int16_t rc =
        dpelkInit(this, statusP, handleP, &version, const_cast<char*>(logonInfoP->nodeNameP),
                  nullptr, valuesP->password, kApplicationType,
                  const_cast<char*>(logonInfoP->optFileP), kLogonOptions);
    bool retry = rc == PELK_RC_BAD_PASSWORD && !given(logonInfoP->newPasswordP) &&
                 valuesP->passwordAccess == PELK_PASSWD_GENERATE && !retried;
    if (!retry) {
      traceApiError(statusP, 0, rc, "pelkInit");
      return rc;
    }
    retried = true;
  }
}

// Changes the password on the open session: to the given new password, or, when the server
// said it expired (initRc 52) and none was given, to one the callback supplies.
int16_t DPelkApi::renewPassword(DPelkApiStatus* statusP, const pelkApiLogonInfo* logonInfoP,
                                LogonValues* valuesP, pelkUint32_t handle, int16_t initRc) {
  char newPassword[PELK_PASSWORD_SIZE];
  if (given(logonInfoP->newPasswordP)) {
    pelkCopyText(newPassword, sizeof newPassword, logonInfoP->newPasswordP);
  } else {
    int16_t rc = askPassword(initRc, logonInfoP, valuesP->password, valuesP->nodeName,
                             valuesP->output, valuesP->storedPassword, valuesP->passwordAccess);
    if (rc != PELK_RC_OK) {
      return rc;
    }
    pelkCopyText(newPassword, sizeof newPassword, valuesP->output);
  }
  int16_t rc = dpelkChangePW(this, statusP, handle, valuesP->password, newPassword);
  traceApiError(statusP, handle, rc, "pelkChangePW");
  if (rc != PELK_RC_OK) {
    return rc;
  }
  pelkCopyText(valuesP->password, sizeof valuesP->password, newPassword);
  return PELK_RC_OK;
}

// A successful logon's values become the stored ones.
void DPelkApi::keepLogonValues(const pelkApiLogonInfo* logonInfoP, const char* passwordP) {
  CPsMutexHold hold(m_FieldsMutex, 0);
  pelkCopyText(m_OptFile, sizeof m_OptFile, logonInfoP->optFileP);
  pelkCopyText(m_NodeName, sizeof m_NodeName, logonInfoP->nodeNameP);
  pelkCopyText(m_Password, sizeof m_Password, passwordP);
  m_PwCallbackP = logonInfoP->pwCallbackP;
}

// The library's text of a failed call, for the trace only.
void DPelkApi::traceApiError(DPelkApiStatus* statusP, pelkUint32_t handle, int16_t code,
                             const char* callNameP) {
  if (code == 0 || !gTrace.isOn(TRC_API)) {
    return;
  }
  char text[LOGON_TRACE_TEXT_SIZE];
  AgtPelkRCMsg(statusP, handle, code, text, sizeof text, nullptr);
  TRACE_LINE(TRC_API, "%s failed, rc = %d: %s\n", callNameP, code, text);
}
