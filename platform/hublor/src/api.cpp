// The exported entry points: argument checks, fault injection, then the session's work.
// No exception crosses this boundary: a failing store answers PELK_RC_STORE_ERROR.
#include <chrono>
#include <cstring>
#include <thread>

#include "codes.h"
#include "faults.h"
#include "hublorapi.h"
#include "library.h"
#include "options.h"
#include "records.h"

using hublor::FaultAction;
using hublor::Faults;
using hublor::Library;
using hublor::Session;

namespace {

template <typename Body>
pelkInt16_t guarded(Body body) {
  try {
    return static_cast<pelkInt16_t>(body());
  } catch (...) {
    return PELK_RC_STORE_ERROR;
  }
}

// Holds the call as long as the rules ask, then kills the process when one kills at the call.
void hold(const FaultAction& fault) {
  if (fault.delayMs > 0) std::this_thread::sleep_for(std::chrono::milliseconds(fault.delayMs));
  if (fault.kill == hublor::FaultKill::kAtCall) hublor::killThisProcess();
}

enum class Access { kNormal, kPasswordChange, kOwnFaults };

// Finds the session, serialises the call on it and applies the faults armed for the call.
template <typename Body>
pelkInt16_t sessionCall(const char* call, pelkUint32_t handle, Body body,
                        Access access = Access::kNormal) {
  return guarded([&]() -> int {
    std::shared_ptr<Session> session = Library::instance().find(handle);
    if (!session) return PELK_RC_INVALID_HANDLE;
    std::lock_guard lock(session->m_mutex);
    FaultAction fault = Faults::instance().check(call, session->node());
    hold(fault);
    if (access != Access::kOwnFaults) {
      if (fault.abortReason) return session->serverAbort(*fault.abortReason);
      if (fault.code) return *fault.code;
    }
    if (session->passwordOnly() && access != Access::kPasswordChange) {
      return PELK_RC_PASSWORD_EXPIRED;
    }
    int rc = body(*session, fault);
    if (fault.kill == hublor::FaultKill::kAfterCall) hublor::killThisProcess();
    return rc;
  });
}

// Faults of calls that have no session; a rule that kills kills at the call.
std::optional<int> plainFault(const char* call, const std::string& node) {
  FaultAction fault = Faults::instance().check(call, node);
  hold(fault);
  if (fault.kill != hublor::FaultKill::kNone) hublor::killThisProcess();
  if (fault.code) return *fault.code;
  if (fault.abortReason) return PELK_RC_WILL_ABORT;
  return std::nullopt;
}

}  // namespace

extern "C" {

pelkInt16_t pelkSetUp(pelkBool_t, PelkEnvSetUp* envSetUpP) {
  return guarded([&]() -> int {
    if (auto fault = plainFault("pelkSetUp", "")) return *fault;
    if (envSetUpP == nullptr) return PELK_RC_NULL_POINTER;
    return Library::instance().setUp(*envSetUpP);
  });
}

pelkInt16_t pelkCleanUp(pelkBool_t) {
  return guarded([&]() -> int {
    if (auto fault = plainFault("pelkCleanUp", "")) return *fault;
    return Library::instance().cleanUp();
  });
}

void pelkQueryApiVersion(pelkApiVersion* apiVersionP) {
  hold(Faults::instance().check("pelkQueryApiVersion", ""));
  if (apiVersionP != nullptr) *apiVersionP = Library::instance().apiVersion();
}

pelkInt16_t pelkQueryCliOptions(optStruct* optStructP) {
  return guarded([&]() -> int {
    if (auto fault = plainFault("pelkQueryCliOptions", "")) return *fault;
    if (optStructP == nullptr) return PELK_RC_NULL_POINTER;
    return Library::instance().queryCliOptions(*optStructP);
  });
}

pelkInt16_t pelkInit(pelkUint32_t* pelkHandleP, pelkApiVersion* apiVersionP, char* clientNodeNameP,
                     char* clientOwnerNameP, char* clientPasswordP, char* applicationType,
                     char* configfile, char*) {
  return guarded([&]() -> int {
    if (pelkHandleP != nullptr) *pelkHandleP = 0;
    std::string node = clientNodeNameP != nullptr ? clientNodeNameP : "";
    if (auto fault = plainFault("pelkInit", hublor::upperCase(node))) return *fault;
    if (pelkHandleP == nullptr || apiVersionP == nullptr) return PELK_RC_NULL_POINTER;
    if (applicationType != nullptr && !hublor::pointerText(applicationType, 64)) {
      return PELK_RC_NAME_TOO_LONG;
    }
    return Library::instance().init(*pelkHandleP, *apiVersionP, clientNodeNameP, clientOwnerNameP,
                                    clientPasswordP, configfile);
  });
}

pelkInt16_t pelkTerminate(pelkUint32_t pelkHandle) {
  return guarded([&]() -> int {
    std::shared_ptr<Session> session = Library::instance().find(pelkHandle);
    if (session) {
      if (auto fault = plainFault("pelkTerminate", session->node())) return *fault;
    }
    return Library::instance().terminate(pelkHandle);
  });
}

pelkInt16_t pelkChangePW(pelkUint32_t pelkHandle, char* oldPW, char* newPW) {
  return sessionCall(
      "pelkChangePW", pelkHandle,
      [&](Session& s, const FaultAction&) { return s.changePassword(oldPW, newPW); },
      Access::kPasswordChange);
}

pelkInt16_t pelkQuerySessInfo(pelkUint32_t pelkHandle, pelkSessInfo* sessInfoP) {
  return sessionCall("pelkQuerySessInfo", pelkHandle, [&](Session& s, const FaultAction&) {
    if (sessInfoP == nullptr) return PELK_RC_NULL_POINTER;
    return s.querySessInfo(*sessInfoP);
  });
}

pelkInt16_t pelkQuerySessOptions(pelkUint32_t pelkHandle, optStruct* optStructP) {
  return sessionCall("pelkQuerySessOptions", pelkHandle, [&](Session& s, const FaultAction&) {
    if (optStructP == nullptr) return PELK_RC_NULL_POINTER;
    return s.queryCliOptions(*optStructP);
  });
}

pelkInt16_t pelkRCMsg(pelkUint32_t, pelkInt16_t code, char* msg) {
  return guarded([&]() -> int {
    if (auto fault = plainFault("pelkRCMsg", "")) return *fault;
    if (msg == nullptr) return PELK_RC_NULL_POINTER;
    *msg = '\0';
    std::optional<std::string> text = hublor::codeMessage(code);
    if (!text) return PELK_RC_BAD_PARAMETER;
    hublor::copyField(msg, PELK_MAX_RC_MSG_LENGTH + 1, *text);
    return PELK_RC_OK;
  });
}

pelkInt16_t pelkRegisterFS(pelkUint32_t pelkHandle, regFSData* regFilespaceP) {
  return sessionCall("pelkRegisterFS", pelkHandle, [&](Session& s, const FaultAction&) {
    if (regFilespaceP == nullptr) return PELK_RC_NULL_POINTER;
    return s.registerFs(*regFilespaceP);
  });
}

pelkInt16_t pelkUpdateFS(pelkUint32_t pelkHandle, char* fsName, pelkFSUpd* fsUpdP,
                         pelkUint32_t fsUpdAct) {
  return sessionCall("pelkUpdateFS", pelkHandle, [&](Session& s, const FaultAction&) {
    if (fsUpdP == nullptr) return PELK_RC_NULL_POINTER;
    return s.updateFs(fsName, *fsUpdP, fsUpdAct);
  });
}

pelkInt16_t pelkBindMC(pelkUint32_t pelkHandle, pelkObjName* objNameP, pelkUint8_t sendType,
                       mcBindKey* mcBindKeyP) {
  return sessionCall("pelkBindMC", pelkHandle, [&](Session& s, const FaultAction&) {
    if (objNameP == nullptr || mcBindKeyP == nullptr) return PELK_RC_NULL_POINTER;
    return s.bindMC(*objNameP, sendType, *mcBindKeyP);
  });
}

pelkInt16_t pelkBeginTxn(pelkUint32_t pelkHandle) {
  return sessionCall("pelkBeginTxn", pelkHandle,
                     [&](Session& s, const FaultAction&) { return s.beginTxn(); });
}

pelkInt16_t pelkEndTxn(pelkUint32_t pelkHandle, pelkUint8_t vote, pelkUint16_t* reason) {
  return sessionCall(
      "pelkEndTxn", pelkHandle,
      [&](Session& s, const FaultAction& fault) -> int {
        if (reason == nullptr) return PELK_RC_NULL_POINTER;
        *reason = 0;
        if (fault.code) {  // a chosen answer: the transaction is rolled back whatever it says
          s.rollBack();
          *reason = static_cast<pelkUint16_t>(fault.reason);
          return *fault.code;
        }
        if (fault.abortReason) s.serverAbort(*fault.abortReason);
        return s.endTxn(vote, *reason, fault.kill == hublor::FaultKill::kInCommit);
      },
      Access::kOwnFaults);
}

pelkInt16_t pelkSendObj(pelkUint32_t pelkHandle, pelkUint8_t sendType, void*, pelkObjName* objNameP,
                        ObjAttr* objAttrPtr, DataBlk* dataBlkPtr) {
  return sessionCall("pelkSendObj", pelkHandle, [&](Session& s, const FaultAction&) {
    if (objNameP == nullptr || objAttrPtr == nullptr) return PELK_RC_NULL_POINTER;
    return s.sendObj(sendType, *objNameP, *objAttrPtr, dataBlkPtr);
  });
}

pelkInt16_t pelkSendData(pelkUint32_t pelkHandle, DataBlk* dataBlkPtr) {
  return sessionCall("pelkSendData", pelkHandle, [&](Session& s, const FaultAction&) {
    if (dataBlkPtr == nullptr) return PELK_RC_NULL_POINTER;
    return s.sendData(*dataBlkPtr);
  });
}

pelkInt16_t pelkEndSendObj(pelkUint32_t pelkHandle) {
  return sessionCall("pelkEndSendObj", pelkHandle,
                     [&](Session& s, const FaultAction&) { return s.endSendObj(); });
}

pelkInt16_t pelkRenameObj(pelkRenameIn* renameInP, pelkRenameOut* renameOutP) {
  if (renameInP == nullptr || renameOutP == nullptr) return PELK_RC_NULL_POINTER;
  return sessionCall("pelkRenameObj", renameInP->pelkHandle, [&](Session& s, const FaultAction&) {
    renameOutP->stVersion = PELK_RENAMEOUT_VERSION;
    return s.renameObj(*renameInP);
  });
}

pelkInt16_t pelkDeleteObj(pelkUint32_t pelkHandle, pelkUint8_t delType, pelkDelInfo delInfo) {
  return sessionCall("pelkDeleteObj", pelkHandle,
                     [&](Session& s, const FaultAction&) { return s.deleteObj(delType, delInfo); });
}

pelkInt16_t pelkBeginQuery(pelkUint32_t pelkHandle, pelkUint8_t queryType, void* queryBuffer) {
  return sessionCall("pelkBeginQuery", pelkHandle, [&](Session& s, const FaultAction&) {
    return s.beginQuery(queryType, queryBuffer);
  });
}

pelkInt16_t pelkGetNextQObj(pelkUint32_t pelkHandle, DataBlk* dataBlkPtr) {
  return sessionCall("pelkGetNextQObj", pelkHandle, [&](Session& s, const FaultAction&) {
    if (dataBlkPtr == nullptr) return PELK_RC_NULL_POINTER;
    return s.getNextQObj(*dataBlkPtr);
  });
}

pelkInt16_t pelkEndQuery(pelkUint32_t pelkHandle) {
  return sessionCall("pelkEndQuery", pelkHandle,
                     [&](Session& s, const FaultAction&) { return s.endQuery(); });
}

pelkInt16_t pelkBeginGetData(pelkUint32_t pelkHandle, pelkBool_t, pelkUint8_t getType,
                             pelkGetList* getListP) {
  return sessionCall("pelkBeginGetData", pelkHandle, [&](Session& s, const FaultAction&) {
    if (getListP == nullptr) return PELK_RC_NULL_POINTER;
    return s.beginGetData(getType, *getListP);
  });
}

pelkInt16_t pelkGetObj(pelkUint32_t pelkHandle, pelkUint64_t* objIdP, DataBlk* dataBlkPtr) {
  return sessionCall("pelkGetObj", pelkHandle, [&](Session& s, const FaultAction& fault) {
    if (objIdP == nullptr || dataBlkPtr == nullptr) return PELK_RC_NULL_POINTER;
    return s.getObj(hublor::fromPelk64(*objIdP), *dataBlkPtr, fault.lose);
  });
}

pelkInt16_t pelkGetData(pelkUint32_t pelkHandle, DataBlk* dataBlkPtr) {
  return sessionCall("pelkGetData", pelkHandle, [&](Session& s, const FaultAction&) {
    if (dataBlkPtr == nullptr) return PELK_RC_NULL_POINTER;
    return s.getData(*dataBlkPtr);
  });
}

pelkInt16_t pelkEndGetObj(pelkUint32_t pelkHandle) {
  return sessionCall("pelkEndGetObj", pelkHandle,
                     [&](Session& s, const FaultAction&) { return s.endGetObj(); });
}

pelkInt16_t pelkEndGetData(pelkUint32_t pelkHandle) {
  return sessionCall("pelkEndGetData", pelkHandle,
                     [&](Session& s, const FaultAction&) { return s.endGetData(); });
}

pelkInt16_t pelkLogEventEx(pelkUint32_t pelkHandle, pelkLogExIn* logExInP,
                           pelkLogExOut* logExOutP) {
  return sessionCall("pelkLogEventEx", pelkHandle, [&](Session& s, const FaultAction&) {
    if (logExInP == nullptr || logExOutP == nullptr) return PELK_RC_NULL_POINTER;
    logExOutP->stVersion = PELK_LOGEXOUT_VERSION;
    return s.logEvent(*logExInP);
  });
}

// Access rules, filespace deletion and object updates are bound by the agent but never called;
// this server does not offer them.
pelkInt16_t pelkDeleteAccess(pelkUint32_t pelkHandle, pelkUint32_t) {
  return sessionCall("pelkDeleteAccess", pelkHandle,
                     [](Session&, const FaultAction&) { return PELK_RC_NOT_SUPPORTED; });
}

pelkInt16_t pelkDeleteFS(pelkUint32_t pelkHandle, char*, pelkUint8_t) {
  return sessionCall("pelkDeleteFS", pelkHandle,
                     [](Session&, const FaultAction&) { return PELK_RC_NOT_SUPPORTED; });
}

pelkInt16_t pelkQueryAccess(pelkUint32_t pelkHandle, pelkAccessRule**, pelkUint16_t*) {
  return sessionCall("pelkQueryAccess", pelkHandle,
                     [](Session&, const FaultAction&) { return PELK_RC_NOT_SUPPORTED; });
}

pelkInt16_t pelkSetAccess(pelkUint32_t pelkHandle, pelkAccessRule*) {
  return sessionCall("pelkSetAccess", pelkHandle,
                     [](Session&, const FaultAction&) { return PELK_RC_NOT_SUPPORTED; });
}

#ifndef HUBLOR_WITHOUT_UPDATEOBJ
pelkInt16_t pelkUpdateObj(pelkUint32_t pelkHandle, pelkUint8_t, void*, pelkObjName*, ObjAttr*,
                          pelkUint32_t) {
  return sessionCall("pelkUpdateObj", pelkHandle,
                     [](Session&, const FaultAction&) { return PELK_RC_NOT_SUPPORTED; });
}
#endif

}  // extern "C"
