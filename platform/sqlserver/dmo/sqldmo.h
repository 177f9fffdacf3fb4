// The SQL Server object model (SQL-DMO) as COM interfaces: what a client includes to drive the
// emulated SQL Server. Create the Application and the server with CoCreateInstance
// (CLSCTX_INPROC_SERVER, no aggregation); every other object is reached from the server.
//
// Conventions: every method returns an HRESULT, negative on failure with the text in the
// thread's error information (GetErrorInfo). A SQL Server message fails with
// 0x80040000 + its number (SQLDMO_SERVER_MESSAGE). Texts are UTF-16; returned BSTRs are freed
// with SysFreeString, returned objects released by the caller. Ordinals run from 0.
// An object may be used from any thread, one thread at a time.
#pragma once

#include "com.h"

// Classes.
inline constexpr CLSID CLSID_SQLDMOApplication = com::guid("10020100-E260-11CF-AE68-00AA004A34D5");
inline constexpr CLSID CLSID_SQLDMOServer = com::guid("10020200-E260-11CF-AE68-00AA004A34D5");
// Only with an object model of version 8 or later (else REGDB_E_CLASSNOTREG).
inline constexpr CLSID CLSID_SQLDMOServer2 = com::guid("100202C1-E260-11CF-AE68-00AA004A34D5");

// Interfaces.
inline constexpr IID IID_ISQLDMOApplication = com::guid("10020105-E260-11CF-AE68-00AA004A34D5");
inline constexpr IID IID_ISQLDMOServer = com::guid("10020205-E260-11CF-AE68-00AA004A34D5");
inline constexpr IID IID_ISQLDMOServer2 = com::guid("10020215-E260-11CF-AE68-00AA004A34D5");
inline constexpr IID IID_ISQLDMOServerSink = com::guid("10020208-E260-11CF-AE68-00AA004A34D5");
inline constexpr IID IID_ISQLDMODatabase = com::guid("7A5E0301-E260-4C6F-9D1B-5A4B3C2D1E0F");
inline constexpr IID IID_ISQLDMODBOption = com::guid("7A5E0302-E260-4C6F-9D1B-5A4B3C2D1E0F");
inline constexpr IID IID_ISQLDMOFileGroup = com::guid("7A5E0303-E260-4C6F-9D1B-5A4B3C2D1E0F");
inline constexpr IID IID_ISQLDMODBFile = com::guid("7A5E0304-E260-4C6F-9D1B-5A4B3C2D1E0F");
inline constexpr IID IID_ISQLDMOTransactionLog = com::guid("7A5E0305-E260-4C6F-9D1B-5A4B3C2D1E0F");
inline constexpr IID IID_ISQLDMOLogFile = com::guid("7A5E0306-E260-4C6F-9D1B-5A4B3C2D1E0F");
inline constexpr IID IID_ISQLDMOConfiguration = com::guid("7A5E0307-E260-4C6F-9D1B-5A4B3C2D1E0F");
inline constexpr IID IID_ISQLDMOConfigValue = com::guid("7A5E0308-E260-4C6F-9D1B-5A4B3C2D1E0F");
inline constexpr IID IID_ISQLDMONameList = com::guid("7A5E0309-E260-4C6F-9D1B-5A4B3C2D1E0F");

// Constants.
inline constexpr LONG SQLDMO_WINNT = 2;  // IsOS
inline constexpr LONG SQLDMO_WIN95 = 1;
inline constexpr LONG SQLDMOSvc_Running = 1;  // Server.GetStatus
inline constexpr LONG SQLDMOSvc_Stopped = 3;
inline constexpr LONG SQLDMO_PACKAGE_ENTERPRISE = 3;  // Server.IsPackage
inline constexpr LONG SQLDMOExec_Default = 0;         // ExecuteImmediate
// Database.GetStatus values.
inline constexpr LONG SQLDMODBStat_Normal = 0;
inline constexpr LONG SQLDMODBStat_Loading = 32;
inline constexpr LONG SQLDMODBStat_Recovering = 192;
inline constexpr LONG SQLDMODBStat_Suspect = 256;
inline constexpr LONG SQLDMODBStat_Offline = 512;
inline constexpr LONG SQLDMODBStat_Inaccessible = 992;
inline constexpr LONG SQLDMODBStat_Standby = 1024;
inline constexpr LONG SQLDMODBStat_EmergencyMode = 32768;

// Failures of the object model itself (server messages are SQLDMO_SERVER_MESSAGE(number)).
inline constexpr HRESULT SQLDMO_E_ALREADYCONNECTED = comCode(0x80045001u);
inline constexpr HRESULT SQLDMO_E_NOTCONNECTED = comCode(0x80045002u);
inline constexpr HRESULT SQLDMO_E_NAMENOTFOUND = comCode(0x80045003u);
inline constexpr HRESULT SQLDMO_E_ORDINALOUTOFRANGE = comCode(0x80045004u);
constexpr HRESULT SQLDMO_SERVER_MESSAGE(int number) {
  return comCode(0x80040000u + number);
}

class ISQLDMODatabase;
class ISQLDMODBOption;
class ISQLDMOFileGroup;
class ISQLDMODBFile;
class ISQLDMOTransactionLog;
class ISQLDMOLogFile;
class ISQLDMOConfiguration;
class ISQLDMOConfigValue;
class ISQLDMONameList;

class ISQLDMOApplication : public IUnknown {
 public:
  virtual HRESULT GetName(BSTR* name) = 0;
  virtual HRESULT GetVersionMajor(LONG* version) = 0;
  virtual HRESULT GetVersionMinor(LONG* version) = 0;
  virtual HRESULT GetBlockingTimeout(LONG* seconds) = 0;
  virtual HRESULT SetBlockingTimeout(LONG seconds) = 0;
};

// A connection to one instance. Properties set before Connect say where and how to log on.
class ISQLDMOServer : public IUnknown {
 public:
  virtual HRESULT GetApplicationName(BSTR* name) = 0;
  virtual HRESULT SetApplicationName(LPCOLESTR name) = 0;
  virtual HRESULT GetBlockingTimeout(LONG* seconds) = 0;
  virtual HRESULT SetBlockingTimeout(LONG seconds) = 0;
  virtual HRESULT GetNetPacketSize(LONG* bytes) = 0;
  virtual HRESULT SetNetPacketSize(LONG bytes) = 0;
  // The server name: "machine", "machine\instance", "(local)" or ".".
  virtual HRESULT GetName(BSTR* name) = 0;
  virtual HRESULT SetName(LPCOLESTR name) = 0;
  virtual HRESULT GetLoginTimeout(LONG* seconds) = 0;
  virtual HRESULT SetLoginTimeout(LONG seconds) = 0;
  virtual HRESULT GetAutoReConnect(BOOL* on) = 0;
  virtual HRESULT SetAutoReConnect(BOOL on) = 0;
  virtual HRESULT GetQueryTimeout(LONG* seconds) = 0;
  virtual HRESULT SetQueryTimeout(LONG seconds) = 0;
  // TRUE: integrated (the process's user); FALSE: the login and password properties.
  virtual HRESULT GetLoginSecure(BOOL* on) = 0;
  virtual HRESULT SetLoginSecure(BOOL on) = 0;
  virtual HRESULT GetLogin(BSTR* login) = 0;
  virtual HRESULT SetLogin(LPCOLESTR login) = 0;
  virtual HRESULT GetPassword(BSTR* password) = 0;
  virtual HRESULT SetPassword(LPCOLESTR password) = 0;
  // Null or empty arguments leave the properties as set.
  virtual HRESULT Connect(LPCOLESTR serverName = nullptr, LPCOLESTR login = nullptr,
                          LPCOLESTR password = nullptr) = 0;
  virtual HRESULT DisConnect() = 0;
  virtual HRESULT GetStatus(LONG* status) = 0;
  virtual HRESULT GetIssysadmin(BOOL* sysadmin) = 0;
  virtual HRESULT GetVersionMajor(LONG* version) = 0;
  virtual HRESULT GetVersionMinor(LONG* version) = 0;
  virtual HRESULT GetVersionString(BSTR* version) = 0;
  virtual HRESULT IsOS(LONG osType, BOOL* is) = 0;
  virtual HRESULT IsPackage(LONG* package) = 0;
  virtual HRESULT GetTrueName(BSTR* name) = 0;
  virtual HRESULT GetHostName(BSTR* name) = 0;
  virtual HRESULT GetNetName(BSTR* name) = 0;
  virtual HRESULT GetCodePage(LONG* codePage) = 0;
  virtual HRESULT GetConfiguration(ISQLDMOConfiguration** configuration) = 0;
  virtual HRESULT GetDatabaseCount(LONG* count) = 0;
  virtual HRESULT GetDatabaseByOrd(LONG ordinal, ISQLDMODatabase** database) = 0;
  virtual HRESULT GetDatabaseByName(LPCOLESTR name, ISQLDMODatabase** database) = 0;
  // Runs a T-SQL batch and returns when it has ended. length in characters, 0: up to the end.
  virtual HRESULT ExecuteImmediate(LPCOLESTR command, LONG execType = SQLDMOExec_Default,
                                   LONG length = 0) = 0;
};

class ISQLDMOServer2 : public ISQLDMOServer {
 public:
  // Empty for the default instance.
  virtual HRESULT GetInstanceName(BSTR* name) = 0;
  virtual HRESULT GetIsClustered(BOOL* clustered) = 0;
  // The server names of the instances installed on the machine (serverName null: this one).
  virtual HRESULT ListInstalledInstances(ISQLDMONameList** names,
                                         LPCOLESTR serverName = nullptr) = 0;
};

// Events a server raises to sinks advised on its IConnectionPointContainer.
class ISQLDMOServerSink : public IUnknown {
 public:
  virtual HRESULT QueryTimeout(BSTR message, BOOL* keepWaiting) = 0;
  virtual HRESULT ServerMessage(LONG severity, LONG messageNumber, LONG messageState,
                                BSTR message) = 0;
  virtual HRESULT ConnectionBroken(BSTR message, BOOL* retry) = 0;
  virtual HRESULT RemoteLoginFailed(LONG severity, LONG messageNumber, LONG messageState,
                                    BSTR message) = 0;
  virtual HRESULT CommandSent(BSTR sql) = 0;
};

// A database as it stood when it was fetched from the server. Offline, suspect, recovering
// or inaccessible databases (and those being restored) answer only GetName, GetStatus and
// GetSystemObject; everything else fails with the server's message.
class ISQLDMODatabase : public IUnknown {
 public:
  virtual HRESULT GetName(BSTR* name) = 0;
  virtual HRESULT GetStatus(LONG* status) = 0;
  virtual HRESULT GetSystemObject(BOOL* system) = 0;
  virtual HRESULT GetCompatibilityLevel(LONG* level) = 0;
  virtual HRESULT GetVersion(LONG* version) = 0;
  virtual HRESULT GetDBOption(ISQLDMODBOption** options) = 0;
  virtual HRESULT GetFileGroupCount(LONG* count) = 0;
  virtual HRESULT GetFileGroupByOrd(LONG ordinal, ISQLDMOFileGroup** group) = 0;
  virtual HRESULT GetFileGroupByName(LPCOLESTR name, ISQLDMOFileGroup** group) = 0;
  virtual HRESULT GetTransactionLog(ISQLDMOTransactionLog** log) = 0;
};

class ISQLDMODBOption : public IUnknown {
 public:
  virtual HRESULT GetReadOnly(BOOL* on) = 0;
  virtual HRESULT GetDBOUseOnly(BOOL* on) = 0;
  virtual HRESULT GetSelectIntoBulkCopy(BOOL* on) = 0;
  virtual HRESULT GetSingleUser(BOOL* on) = 0;
  virtual HRESULT GetTruncateLogOnCheckpoint(BOOL* on) = 0;
  virtual HRESULT GetAutoClose(BOOL* on) = 0;
  virtual HRESULT GetAutoShrink(BOOL* on) = 0;
  virtual HRESULT GetTornPageDetection(BOOL* on) = 0;
  virtual HRESULT GetOffline(BOOL* on) = 0;
};

class ISQLDMOFileGroup : public IUnknown {
 public:
  virtual HRESULT GetName(BSTR* name) = 0;
  virtual HRESULT GetPrimary(BOOL* primary) = 0;
  virtual HRESULT GetDBFileCount(LONG* count) = 0;
  virtual HRESULT GetDBFileByOrd(LONG ordinal, ISQLDMODBFile** file) = 0;
};

class ISQLDMODBFile : public IUnknown {
 public:
  virtual HRESULT GetName(BSTR* logicalName) = 0;
  virtual HRESULT GetPhysicalName(BSTR* path) = 0;
  virtual HRESULT GetPrimaryFile(BOOL* primary) = 0;
  virtual HRESULT GetSizeInKB(float* kilobytes) = 0;
  virtual HRESULT GetSpaceAvailableInMB(LONG* megabytes) = 0;
};

class ISQLDMOTransactionLog : public IUnknown {
 public:
  virtual HRESULT GetLogFileCount(LONG* count) = 0;
  virtual HRESULT GetLogFileByOrd(LONG ordinal, ISQLDMOLogFile** file) = 0;
  // Free space of the whole log, in KB.
  virtual HRESULT GetSpaceAvailable(LONG* kilobytes) = 0;
  virtual HRESULT GetSpaceAvailableInMB(LONG* megabytes) = 0;
};

class ISQLDMOLogFile : public IUnknown {
 public:
  virtual HRESULT GetName(BSTR* logicalName) = 0;
  virtual HRESULT GetPhysicalName(BSTR* path) = 0;
  virtual HRESULT GetSizeInKB(float* kilobytes) = 0;
};

// The server's configuration values. Advanced ones ("default sortorder id", "Unicode locale
// id", "Unicode comparison style", "network packet size") are found only while
// ShowAdvancedOptions is TRUE, which is a setting of the server.
class ISQLDMOConfiguration : public IUnknown {
 public:
  virtual HRESULT GetShowAdvancedOptions(BOOL* show) = 0;
  virtual HRESULT SetShowAdvancedOptions(BOOL show) = 0;
  virtual HRESULT GetConfigValueByName(LPCOLESTR name, ISQLDMOConfigValue** value) = 0;
};

class ISQLDMOConfigValue : public IUnknown {
 public:
  virtual HRESULT GetName(BSTR* name) = 0;
  virtual HRESULT GetCurrentValue(LONG* value) = 0;
  virtual HRESULT GetRunningValue(LONG* value) = 0;
};

class ISQLDMONameList : public IUnknown {
 public:
  virtual HRESULT GetCount(LONG* count) = 0;
  virtual HRESULT GetItemByOrd(LONG ordinal, BSTR* name) = 0;
};
