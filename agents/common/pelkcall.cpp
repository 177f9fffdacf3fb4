// The timed forwarders: the only place where the library's entry points are called, so every
// call is counted on the record the caller hands in and a transfer's monitor can see a call in
// progress. They keep no state, take no lock and leave every code to the caller.
#include <type_traits>

#include "agttrc.h"
#include "pelkapi.h"

namespace {

// What every unbound slot leads to: nothing reaches the library.
int MoxtarFunctionNotLoaded() {
  TRACE_LINE(TRC_API, "Moxtar function not loaded\n");
  return 1;
}

// The "not loaded" routine in the shape of one slot: it ignores its arguments.
template <typename Slot>
struct NotLoaded;
template <typename Result, typename... Args>
struct NotLoaded<Result (*)(Args...)> {
  static Result call(Args...) {
    int rc = MoxtarFunctionNotLoaded();
    if constexpr (!std::is_void_v<Result>) {
      return static_cast<Result>(rc);
    }
  }
};

constexpr PelkEntryPoints kUnboundEntryPoints = {
#define PELK_UNBOUND(name) NotLoaded<decltype(&::name)>::call,
    PELK_ENTRY_POINTS(PELK_UNBOUND)
#undef PELK_UNBOUND
};

// One timed call through a slot: Enter line, start, the call, end (adds to the record's total),
// Exit line with the code.
template <typename Slot, typename... Args>
int16_t timedCall(DPelkApi* apiP, DPelkApiStatus* statusP, const char* traceNameP, Slot slot,
                  Args... args) {
  TRACE_ENTRY(TRC_API, traceNameP);
  DBaseApi::StartApiCall(statusP);
  int16_t rc = slot(args...);
  apiP->EndApiCall(statusP);
  TRACE_RETURN(rc);
}

}  // namespace

PelkEntryPoints DPelkApi::m_EntryPoints = kUnboundEntryPoints;

void DPelkApi::ClearPointers() {
  m_EntryPoints = kUnboundEntryPoints;
}

int16_t DPelkApi::dpelkBeginGetData(DPelkApi* apiP, DPelkApiStatus* statusP, pelkUint32_t handle,
                                    pelkBool_t mountWait, pelkUint8_t getType,
                                    pelkGetList* getListP) {
  return timedCall(apiP, statusP, "dpelkBeginGetData", m_EntryPoints.pelkBeginGetData, handle,
                   mountWait, getType, getListP);
}

int16_t DPelkApi::dpelkBeginQuery(DPelkApi* apiP, DPelkApiStatus* statusP, pelkUint32_t handle,
                                  pelkUint8_t queryType, void* queryBufferP) {
  return timedCall(apiP, statusP, "dpelkBeginQuery", m_EntryPoints.pelkBeginQuery, handle,
                   queryType, queryBufferP);
}

int16_t DPelkApi::dpelkBeginTxn(DPelkApi* apiP, DPelkApiStatus* statusP, pelkUint32_t handle) {
  return timedCall(apiP, statusP, "dpelkBeginTxn", m_EntryPoints.pelkBeginTxn, handle);
}

int16_t DPelkApi::dpelkBindMC(DPelkApi* apiP, DPelkApiStatus* statusP, pelkUint32_t handle,
                              pelkObjName* objNameP, pelkUint8_t sendType, mcBindKey* bindKeyP) {
  return timedCall(apiP, statusP, "dpelkBindMC", m_EntryPoints.pelkBindMC, handle, objNameP,
                   sendType, bindKeyP);
}

int16_t DPelkApi::dpelkChangePW(DPelkApi* apiP, DPelkApiStatus* statusP, pelkUint32_t handle,
                                char* oldPwP, char* newPwP) {
  return timedCall(apiP, statusP, "dpelkChangePW", m_EntryPoints.pelkChangePW, handle, oldPwP,
                   newPwP);
}

int16_t DPelkApi::dpelkCleanUp(DPelkApi* apiP, DPelkApiStatus* statusP, pelkBool_t mtFlag) {
  return timedCall(apiP, statusP, "dpelkCleanUp", m_EntryPoints.pelkCleanUp, mtFlag);
}

int16_t DPelkApi::dpelkDeleteAccess(DPelkApi* apiP, DPelkApiStatus* statusP, pelkUint32_t handle,
                                    pelkUint32_t ruleNumber) {
  return timedCall(apiP, statusP, "dpelkDeleteAccess", m_EntryPoints.pelkDeleteAccess, handle,
                   ruleNumber);
}

int16_t DPelkApi::dpelkDeleteFS(DPelkApi* apiP, DPelkApiStatus* statusP, pelkUint32_t handle,
                                char* fsNameP, pelkUint8_t repository) {
  return timedCall(apiP, statusP, "dpelkDeleteFS", m_EntryPoints.pelkDeleteFS, handle, fsNameP,
                   repository);
}

int16_t DPelkApi::dpelkDeleteObj(DPelkApi* apiP, DPelkApiStatus* statusP, pelkUint32_t handle,
                                 pelkUint8_t delType, pelkDelInfo delInfo) {
  return timedCall(apiP, statusP, "dpelkDeleteObj", m_EntryPoints.pelkDeleteObj, handle, delType,
                   delInfo);
}

int16_t DPelkApi::dpelkEndGetData(DPelkApi* apiP, DPelkApiStatus* statusP, pelkUint32_t handle) {
  return timedCall(apiP, statusP, "dpelkEndGetData", m_EntryPoints.pelkEndGetData, handle);
}

int16_t DPelkApi::dpelkEndGetObj(DPelkApi* apiP, DPelkApiStatus* statusP, pelkUint32_t handle) {
  return timedCall(apiP, statusP, "dpelkEndGetObj", m_EntryPoints.pelkEndGetObj, handle);
}

int16_t DPelkApi::dpelkEndQuery(DPelkApi* apiP, DPelkApiStatus* statusP, pelkUint32_t handle) {
  return timedCall(apiP, statusP, "dpelkEndQuery", m_EntryPoints.pelkEndQuery, handle);
}

int16_t DPelkApi::dpelkEndSendObj(DPelkApi* apiP, DPelkApiStatus* statusP, pelkUint32_t handle) {
  return timedCall(apiP, statusP, "dpelkEndSendObj", m_EntryPoints.pelkEndSendObj, handle);
}

int16_t DPelkApi::dpelkEndTxn(DPelkApi* apiP, DPelkApiStatus* statusP, pelkUint32_t handle,
                              pelkUint8_t vote, pelkUint16_t* reasonP) {
  return timedCall(apiP, statusP, "dpelkEndTxn", m_EntryPoints.pelkEndTxn, handle, vote, reasonP);
}

int16_t DPelkApi::dpelkGetData(DPelkApi* apiP, DPelkApiStatus* statusP, pelkUint32_t handle,
                               DataBlk* dataBlkP) {
  return timedCall(apiP, statusP, "dpelkGetData", m_EntryPoints.pelkGetData, handle, dataBlkP);
}

int16_t DPelkApi::dpelkGetNextQObj(DPelkApi* apiP, DPelkApiStatus* statusP, pelkUint32_t handle,
                                   DataBlk* dataBlkP) {
  return timedCall(apiP, statusP, "dpelkGetNextQObj", m_EntryPoints.pelkGetNextQObj, handle,
                   dataBlkP);
}

int16_t DPelkApi::dpelkGetObj(DPelkApi* apiP, DPelkApiStatus* statusP, pelkUint32_t handle,
                              pelkUint64_t* objIdP, DataBlk* dataBlkP) {
  return timedCall(apiP, statusP, "dpelkGetObj", m_EntryPoints.pelkGetObj, handle, objIdP,
                   dataBlkP);
}

int16_t DPelkApi::dpelkInit(DPelkApi* apiP, DPelkApiStatus* statusP, pelkUint32_t* handleP,
                            pelkApiVersion* versionP, char* nodeNameP, char* ownerNameP,
                            char* passwordP, char* applicationTypeP, char* configFileP,
                            char* optionsP) {
  // The library tells "no password" (prompt or the client-kept one) from an empty text.
  char* givenPasswordP = passwordP != nullptr && passwordP[0] != '\0' ? passwordP : nullptr;
  return timedCall(apiP, statusP, "dpelkInit", m_EntryPoints.pelkInit, handleP, versionP, nodeNameP,
                   ownerNameP, givenPasswordP, applicationTypeP, configFileP, optionsP);
}

int16_t DPelkApi::dpelkLogEventEx(DPelkApi* apiP, DPelkApiStatus* statusP, pelkUint32_t handle,
                                  pelkLogExIn* logExInP, pelkLogExOut* logExOutP) {
  return timedCall(apiP, statusP, "dpelkLogEventEx", m_EntryPoints.pelkLogEventEx, handle, logExInP,
                   logExOutP);
}

int16_t DPelkApi::dpelkQueryAccess(DPelkApi* apiP, DPelkApiStatus* statusP, pelkUint32_t handle,
                                   pelkAccessRule** accessListP, pelkUint16_t* numberOfRulesP) {
  return timedCall(apiP, statusP, "dpelkQueryAccess", m_EntryPoints.pelkQueryAccess, handle,
                   accessListP, numberOfRulesP);
}

void DPelkApi::dpelkQueryApiVersion(DPelkApi* apiP, DPelkApiStatus* statusP,
                                    pelkApiVersion* versionP) {
  TRACE_ENTRY(TRC_API, "dpelkQueryApiVersion");
  DBaseApi::StartApiCall(statusP);
  m_EntryPoints.pelkQueryApiVersion(versionP);
  apiP->EndApiCall(statusP);
}

int16_t DPelkApi::dpelkQueryCliOptions(DPelkApi* apiP, DPelkApiStatus* statusP,
                                       optStruct* optionsP) {
  return timedCall(apiP, statusP, "dpelkQueryCliOptions", m_EntryPoints.pelkQueryCliOptions,
                   optionsP);
}

int16_t DPelkApi::dpelkQuerySessInfo(DPelkApi* apiP, DPelkApiStatus* statusP, pelkUint32_t handle,
                                     pelkSessInfo* sessInfoP) {
  return timedCall(apiP, statusP, "dpelkQuerySessInfo", m_EntryPoints.pelkQuerySessInfo, handle,
                   sessInfoP);
}

int16_t DPelkApi::dpelkQuerySessOptions(DPelkApi* apiP, DPelkApiStatus* statusP,
                                        pelkUint32_t handle, optStruct* optionsP) {
  return timedCall(apiP, statusP, "dpelkQuerySessOptions", m_EntryPoints.pelkQuerySessOptions,
                   handle, optionsP);
}

int16_t DPelkApi::dpelkRCMsg(DPelkApi* apiP, DPelkApiStatus* statusP, pelkUint32_t handle,
                             int16_t code, char* textP) {
  return timedCall(apiP, statusP, "dpelkRCMsg", m_EntryPoints.pelkRCMsg, handle, code, textP);
}

int16_t DPelkApi::dpelkRegisterFS(DPelkApi* apiP, DPelkApiStatus* statusP, pelkUint32_t handle,
                                  regFSData* regP) {
  return timedCall(apiP, statusP, "dpelkRegisterFS", m_EntryPoints.pelkRegisterFS, handle, regP);
}

int16_t DPelkApi::dpelkRenameObj(DPelkApi* apiP, DPelkApiStatus* statusP, pelkRenameIn* renameInP,
                                 pelkRenameOut* renameOutP) {
  return timedCall(apiP, statusP, "dpelkRenameObj", m_EntryPoints.pelkRenameObj, renameInP,
                   renameOutP);
}

int16_t DPelkApi::dpelkSendData(DPelkApi* apiP, DPelkApiStatus* statusP, pelkUint32_t handle,
                                DataBlk* dataBlkP) {
  return timedCall(apiP, statusP, "dpelkSendData", m_EntryPoints.pelkSendData, handle, dataBlkP);
}

int16_t DPelkApi::dpelkSendObj(DPelkApi* apiP, DPelkApiStatus* statusP, pelkUint32_t handle,
                               pelkUint8_t sendType, void* sendBuffP, pelkObjName* objNameP,
                               ObjAttr* objAttrP, DataBlk* dataBlkP) {
  return timedCall(apiP, statusP, "dpelkSendObj", m_EntryPoints.pelkSendObj, handle, sendType,
                   sendBuffP, objNameP, objAttrP, dataBlkP);
}

int16_t DPelkApi::dpelkSetAccess(DPelkApi* apiP, DPelkApiStatus* statusP, pelkUint32_t handle,
                                 pelkAccessRule* accessRuleP) {
  return timedCall(apiP, statusP, "dpelkSetAccess", m_EntryPoints.pelkSetAccess, handle,
                   accessRuleP);
}

int16_t DPelkApi::dpelkSetUp(DPelkApi* apiP, DPelkApiStatus* statusP, pelkBool_t mtFlag,
                             PelkEnvSetUp* envSetUpP) {
  return timedCall(apiP, statusP, "dpelkSetUp", m_EntryPoints.pelkSetUp, mtFlag, envSetUpP);
}

int16_t DPelkApi::dpelkTerminate(DPelkApi* apiP, DPelkApiStatus* statusP, pelkUint32_t handle) {
  return timedCall(apiP, statusP, "dpelkTerminate", m_EntryPoints.pelkTerminate, handle);
}

int16_t DPelkApi::dpelkUpdateFS(DPelkApi* apiP, DPelkApiStatus* statusP, pelkUint32_t handle,
                                char* fsNameP, pelkFSUpd* fsUpdP, pelkUint32_t fsUpdAct) {
  return timedCall(apiP, statusP, "dpelkUpdateFS", m_EntryPoints.pelkUpdateFS, handle, fsNameP,
                   fsUpdP, fsUpdAct);
}

int16_t DPelkApi::dpelkUpdateObj(DPelkApi* apiP, DPelkApiStatus* statusP, pelkUint32_t handle,
                                 pelkUint8_t sendType, void* sendBuffP, pelkObjName* objNameP,
                                 ObjAttr* objAttrP, pelkUint32_t objUpdAct) {
  return timedCall(apiP, statusP, "dpelkUpdateObj", m_EntryPoints.pelkUpdateObj, handle, sendType,
                   sendBuffP, objNameP, objAttrP, objUpdAct);
}
