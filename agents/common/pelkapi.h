// The storage-manager interface wrapper: the engine's one door to the storage server. It sets
// the client library up for the process, checks its version, opens sessions (logon with the
// front end's password callback and a password change when the server demands one), ends them,
// and turns interface codes into texts. Every call into the library goes through one of the
// dpelk... forwarders, which time it on the caller's DPelkApiStatus record. DPelkApiDL
// (pelkapid.h) derives from it and loads the library; the process's one object is reached
// through gPelkApiObjP.
//
// Threads: the front end creates the object, sets it up and cleans it up while no other thread
// uses it; the entry-point table and the set-up state are written only then. Logons run on
// request and stripe threads at once; m_FieldsMutex guards the stored logon values.
#pragma once

#include <cstddef>
#include <cstdint>

#include "baseapi.h"
#include "hublorapi.h"
#include "psthread.h"

// The library's entry points, in the order they are bound.
// clang-format off
#define PELK_ENTRY_POINTS(X) \
  X(pelkBeginGetData)        \
  X(pelkBeginQuery)          \
  X(pelkBeginTxn)            \
  X(pelkBindMC)              \
  X(pelkChangePW)            \
  X(pelkCleanUp)             \
  X(pelkDeleteAccess)        \
  X(pelkDeleteFS)            \
  X(pelkDeleteObj)           \
  X(pelkEndGetData)          \
  X(pelkEndGetObj)           \
  X(pelkEndQuery)            \
  X(pelkEndSendObj)          \
  X(pelkEndTxn)              \
  X(pelkGetData)             \
  X(pelkGetNextQObj)         \
  X(pelkGetObj)              \
  X(pelkInit)                \
  X(pelkLogEventEx)          \
  X(pelkQueryAccess)         \
  X(pelkQueryApiVersion)     \
  X(pelkQueryCliOptions)     \
  X(pelkQuerySessInfo)       \
  X(pelkQuerySessOptions)    \
  X(pelkRegisterFS)          \
  X(pelkRenameObj)           \
  X(pelkRCMsg)               \
  X(pelkSetAccess)           \
  X(pelkSendData)            \
  X(pelkSendObj)             \
  X(pelkSetUp)               \
  X(pelkTerminate)           \
  X(pelkUpdateFS)            \
  X(pelkUpdateObj)
// clang-format on

constexpr int PELK_NUM_ENTRY_POINTS = 34;

// One slot per entry point, typed as the library declares it.
struct PelkEntryPoints {
#define PELK_SLOT(name) decltype(&::name) name;
  PELK_ENTRY_POINTS(PELK_SLOT)
#undef PELK_SLOT
};

// Sizes of the wrapper's text fields, terminator included.
constexpr size_t PELK_OPTFILE_SIZE = PELK_PATH_LENGTH;               // 1280
constexpr size_t PELK_NODE_SIZE = PELK_MAX_NODE_LENGTH + 1;          // 65
constexpr size_t PELK_PASSWORD_SIZE = PELK_MAX_PASSWORD_LENGTH + 1;  // 65
constexpr size_t PELK_RCMSG_SIZE = 3584;  // a library text with room to spare

// What a password callback answers when the user cancelled the prompt.
constexpr int PELK_PW_CANCELLED = 101;

// The front end's password callback: reason (137 a password is needed, 52 the password expired
// and a new one is needed), passwordAccess (1: the client keeps the password), the current
// password and the node name (up to 64 characters, empty when unknown), the output field and its
// size (65), the stored password. It fills the output or leaves it empty; 101 means cancelled.
typedef int (*pelkPasswordCallback)(int reason, int passwordAccess, const char* currentPwP,
                                    const char* nodeNameP, char* outputP, int outputSize,
                                    const char* storedPwP);

// Empties the output and returns 0; nothing in the agents hands it to a logon.
int defaultPWCallback(int reason, int passwordAccess, const char* currentPwP, const char* nodeNameP,
                      char* outputP, int outputSize, const char* storedPwP);

// The front end's set-up data, alive for the whole run.
struct PelkSetupData {
  const char* optFileP;  // the client option file given on the command line, or none
  char** argv;
};

// A logon's values, filled by requests; absent values are null.
struct pelkApiLogonInfo {
  const char* nodeNameP;
  const char* passwordP;
  const char* newPasswordP;
  const char* optFileP;
  pelkPasswordCallback pwCallbackP;
};

// The version the agent is built for.
constexpr pelkApiVersion apiBuildVersion = {3, 7, 2};

class DPelkApi : public DBaseApi {
 public:
  // Copies the texts (null kept as empty) and keeps the callback. A text longer than its field
  // is not kept: the object then refuses every logon with its stored values
  // (PELK_RC_NAME_TOO_LONG).
  DPelkApi(const char* nodeNameP, const char* passwordP, const char* optFileP,
           pelkPasswordCallback pwCallbackP);
  ~DPelkApi() override;

  // Runs pelkSetUp once per process with the interface directory, the error-log directory and
  // the option file. errorKindP (optional) tells where a failure's text lives: 1 the agent's
  // return-code table, 2 the library (AgtPelkRCMsg).
  int Init(DPelkApiStatus* statusP, int* errorKindP = nullptr) override;
  // Ends the process's set-up (pelkCleanUp); 0 when it was not set up.
  int Term(DPelkApiStatus* statusP) override;
  virtual const char* GetApiName();

  static void SetSetupData(PelkSetupData* setupP);
  // Fills versionP with the library's version: 0, 107 (3.0 to 3.7.1) or 108 (below 3).
  int checkCompatibility(DPelkApiStatus* statusP, pelkApiVersion* versionP);

  // Opens a session: handle and session facts (both optional) are handed out only on 0. Codes:
  // 0, 101 (cancelled in the callback), 137 (no password, or refused), 52 (expired, no new
  // password), PELK_RC_NAME_TOO_LONG (a text longer than its field), or a code of pelkInit,
  // pelkChangePW or pelkQuerySessInfo. A session opened on the way is ended on every failure.
  int16_t Logon(DPelkApiStatus* statusP, pelkSessInfo* sessInfoP, pelkUint32_t* handleP,
                const pelkApiLogonInfo* logonInfoP);
  // Logs on with the stored node name, password, option file and callback.
  int16_t Logon(DPelkApiStatus* statusP, pelkSessInfo* sessInfoP, pelkUint32_t* handleP);
  int16_t Logoff(DPelkApiStatus* statusP, pelkUint32_t handle);

  // The library's text of a code, cut to textSize; *lengthP gets the whole text's length.
  int16_t AgtPelkRCMsg(DPelkApiStatus* statusP, pelkUint32_t handle, int16_t code, char* textP,
                       size_t textSize, size_t* lengthP);
  // The text of a code followed by a newline; a fallback text when the library has none.
  void GetApiError(DPelkApiStatus* statusP, pelkUint32_t handle, int16_t code, char* textP,
                   size_t textSize, size_t* lengthP, const char* callNameP);
  // Writes "error <code> returned from <call>: <text>" to the activity log; nothing for 0.
  void LogApiError(DPelkApiStatus* statusP, pelkUint32_t handle, int16_t code,
                   const char* callNameP);
  // pelkRegisterFS, with "already registered" (2062) answered as 0.
  int16_t registerFilespace(DPelkApiStatus* statusP, pelkUint32_t handle, regFSData* regP);
  // One server event log entry of the given severity and log type with a copy of the text.
  void writeMoxtarServerLog(DPelkApiStatus* statusP, pelkUint32_t handle, uint32_t severity,
                            uint32_t logType, const char* textP);

  const char* getHublorNode();
  const char* getHublorOptFile();

  // Unbinds every entry point: each leads to the "not loaded" routine again.
  static void ClearPointers();

  // The timed forwarders: the wrapper object, the caller's record, then the entry point's own
  // arguments; each returns the entry point's code unchanged.
  static int16_t dpelkBeginGetData(DPelkApi* apiP, DPelkApiStatus* statusP, pelkUint32_t handle,
                                   pelkBool_t mountWait, pelkUint8_t getType,
                                   pelkGetList* getListP);
  static int16_t dpelkBeginQuery(DPelkApi* apiP, DPelkApiStatus* statusP, pelkUint32_t handle,
                                 pelkUint8_t queryType, void* queryBufferP);
  static int16_t dpelkBeginTxn(DPelkApi* apiP, DPelkApiStatus* statusP, pelkUint32_t handle);
  static int16_t dpelkBindMC(DPelkApi* apiP, DPelkApiStatus* statusP, pelkUint32_t handle,
                             pelkObjName* objNameP, pelkUint8_t sendType, mcBindKey* bindKeyP);
  static int16_t dpelkChangePW(DPelkApi* apiP, DPelkApiStatus* statusP, pelkUint32_t handle,
                               char* oldPwP, char* newPwP);
  static int16_t dpelkCleanUp(DPelkApi* apiP, DPelkApiStatus* statusP, pelkBool_t mtFlag);
  static int16_t dpelkDeleteAccess(DPelkApi* apiP, DPelkApiStatus* statusP, pelkUint32_t handle,
                                   pelkUint32_t ruleNumber);
  static int16_t dpelkDeleteFS(DPelkApi* apiP, DPelkApiStatus* statusP, pelkUint32_t handle,
                               char* fsNameP, pelkUint8_t repository);
  static int16_t dpelkDeleteObj(DPelkApi* apiP, DPelkApiStatus* statusP, pelkUint32_t handle,
                                pelkUint8_t delType, pelkDelInfo delInfo);
  static int16_t dpelkEndGetData(DPelkApi* apiP, DPelkApiStatus* statusP, pelkUint32_t handle);
  static int16_t dpelkEndGetObj(DPelkApi* apiP, DPelkApiStatus* statusP, pelkUint32_t handle);
  static int16_t dpelkEndQuery(DPelkApi* apiP, DPelkApiStatus* statusP, pelkUint32_t handle);
  static int16_t dpelkEndSendObj(DPelkApi* apiP, DPelkApiStatus* statusP, pelkUint32_t handle);
  static int16_t dpelkEndTxn(DPelkApi* apiP, DPelkApiStatus* statusP, pelkUint32_t handle,
                             pelkUint8_t vote, pelkUint16_t* reasonP);
  static int16_t dpelkGetData(DPelkApi* apiP, DPelkApiStatus* statusP, pelkUint32_t handle,
                              DataBlk* dataBlkP);
  static int16_t dpelkGetNextQObj(DPelkApi* apiP, DPelkApiStatus* statusP, pelkUint32_t handle,
                                  DataBlk* dataBlkP);
  static int16_t dpelkGetObj(DPelkApi* apiP, DPelkApiStatus* statusP, pelkUint32_t handle,
                             pelkUint64_t* objIdP, DataBlk* dataBlkP);
  // An empty password is handed to the library as none.
  static int16_t dpelkInit(DPelkApi* apiP, DPelkApiStatus* statusP, pelkUint32_t* handleP,
                           pelkApiVersion* versionP, char* nodeNameP, char* ownerNameP,
                           char* passwordP, char* applicationTypeP, char* configFileP,
                           char* optionsP);
  static int16_t dpelkLogEventEx(DPelkApi* apiP, DPelkApiStatus* statusP, pelkUint32_t handle,
                                 pelkLogExIn* logExInP, pelkLogExOut* logExOutP);
  static int16_t dpelkQueryAccess(DPelkApi* apiP, DPelkApiStatus* statusP, pelkUint32_t handle,
                                  pelkAccessRule** accessListP, pelkUint16_t* numberOfRulesP);
  static void dpelkQueryApiVersion(DPelkApi* apiP, DPelkApiStatus* statusP,
                                   pelkApiVersion* versionP);
  static int16_t dpelkQueryCliOptions(DPelkApi* apiP, DPelkApiStatus* statusP, optStruct* optionsP);
  static int16_t dpelkQuerySessInfo(DPelkApi* apiP, DPelkApiStatus* statusP, pelkUint32_t handle,
                                    pelkSessInfo* sessInfoP);
  static int16_t dpelkQuerySessOptions(DPelkApi* apiP, DPelkApiStatus* statusP, pelkUint32_t handle,
                                       optStruct* optionsP);
  static int16_t dpelkRCMsg(DPelkApi* apiP, DPelkApiStatus* statusP, pelkUint32_t handle,
                            int16_t code, char* textP);
  static int16_t dpelkRegisterFS(DPelkApi* apiP, DPelkApiStatus* statusP, pelkUint32_t handle,
                                 regFSData* regP);
  static int16_t dpelkRenameObj(DPelkApi* apiP, DPelkApiStatus* statusP, pelkRenameIn* renameInP,
                                pelkRenameOut* renameOutP);
  static int16_t dpelkSendData(DPelkApi* apiP, DPelkApiStatus* statusP, pelkUint32_t handle,
                               DataBlk* dataBlkP);
  static int16_t dpelkSendObj(DPelkApi* apiP, DPelkApiStatus* statusP, pelkUint32_t handle,
                              pelkUint8_t sendType, void* sendBuffP, pelkObjName* objNameP,
                              ObjAttr* objAttrP, DataBlk* dataBlkP);
  static int16_t dpelkSetAccess(DPelkApi* apiP, DPelkApiStatus* statusP, pelkUint32_t handle,
                                pelkAccessRule* accessRuleP);
  static int16_t dpelkSetUp(DPelkApi* apiP, DPelkApiStatus* statusP, pelkBool_t mtFlag,
                            PelkEnvSetUp* envSetUpP);
  static int16_t dpelkTerminate(DPelkApi* apiP, DPelkApiStatus* statusP, pelkUint32_t handle);
  static int16_t dpelkUpdateFS(DPelkApi* apiP, DPelkApiStatus* statusP, pelkUint32_t handle,
                               char* fsNameP, pelkFSUpd* fsUpdP, pelkUint32_t fsUpdAct);
  static int16_t dpelkUpdateObj(DPelkApi* apiP, DPelkApiStatus* statusP, pelkUint32_t handle,
                                pelkUint8_t sendType, void* sendBuffP, pelkObjName* objNameP,
                                ObjAttr* objAttrP, pelkUint32_t objUpdAct);

 protected:
  // Process-wide: the bound entry points and the library's module handle (pelkapid.cpp).
  static PelkEntryPoints m_EntryPoints;
  static void* m_ModuleP;

 private:
  struct LogonValues;
  int16_t openSession(DPelkApiStatus* statusP, const pelkApiLogonInfo* logonInfoP,
                      LogonValues* valuesP, pelkUint32_t* handleP);
  int16_t renewPassword(DPelkApiStatus* statusP, const pelkApiLogonInfo* logonInfoP,
                        LogonValues* valuesP, pelkUint32_t handle, int16_t initRc);
  int16_t completeLogon(DPelkApiStatus* statusP, pelkSessInfo* sessInfoP,
                        const pelkApiLogonInfo* logonInfoP, LogonValues* valuesP,
                        pelkUint32_t handle, int16_t openRc);
  void loadLogonValues(DPelkApiStatus* statusP, const pelkApiLogonInfo* logonInfoP,
                       LogonValues* valuesP);
  void keepLogonValues(const pelkApiLogonInfo* logonInfoP, const char* passwordP);
  void traceApiError(DPelkApiStatus* statusP, pelkUint32_t handle, int16_t code,
                     const char* callNameP);

  char m_OptFile[PELK_OPTFILE_SIZE];    // guarded by m_FieldsMutex
  char m_NodeName[PELK_NODE_SIZE];      // guarded by m_FieldsMutex
  char m_Password[PELK_PASSWORD_SIZE];  // guarded by m_FieldsMutex
  pelkPasswordCallback m_PwCallbackP;   // guarded by m_FieldsMutex
  int16_t m_StoredTextsRc;              // PELK_RC_NAME_TOO_LONG when a text was refused
  psMutex m_FieldsMutex;

  static int m_SetUpDone;              // 1 once pelkSetUp has succeeded
  static PelkSetupData* m_SetupDataP;  // the front end's set-up data
};

extern DPelkApi* gPelkApiObjP;
