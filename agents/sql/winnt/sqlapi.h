// CSqlApi: the engine's one door to SQL Server, through the SQL-DMO object model.
//
// The front end creates one object after reading the stored SQL login and reaches it through
// a process-wide pointer; the engine never creates or frees it. Construction sets up COM (the
// multi-threaded apartment) on the calling thread and creates the Application object; the
// information operations log on lazily through LogonServer, and the connection stays open for
// the object's life (or until ChangeSqlServer points it at another server).
//
// Codes: every operation returns an agent return code, 0 for success, 415 when the caller's
// cancel flag was set, else one of the RC_SQL_* codes of sqltypes.h. A failure leaves its
// detail in ErrorText() (the insert of the user's message), the failing call in FailedCall()
// and the code's symbolic name in RcName(); operations that take a message buffer (of
// NLS_MSG_MAX bytes) also write the formatted message of the code there.
//
// Cancel flags are the request's 32-bit words, written by another thread as atomic words
// (std::atomic_ref) and read here before each SQL-DMO call; a null pointer never cancels.
//
// Threads: no lock. One thread at a time uses the object (the request thread for logon and
// information, then one transfer thread for a statement while the request thread waits).
#pragma once

#include <cstddef>
#include <cstdint>

#include "baseapi.h"
#include "linklist.h"
#include "pstime.h"
#include "sqlcmd.h"
#include "sqldmo.h"
#include "sqloprec.h"
#include "sqlqbentry.h"
#include "sqlrestoreplan.h"
#include "sqlstmt.h"
#include "sqltypes.h"

class CSqlApi {
 public:
  class CSqlServerSink;

  // rcP receives 0 when the object is usable; on a failure the message buffer (when given)
  // receives the code's message. The object exists whatever the code.
  CSqlApi(const SqlLogonInfo* logonP, int* rcP, char* msgBufP);
  ~CSqlApi();
  CSqlApi(const CSqlApi&) = delete;
  CSqlApi& operator=(const CSqlApi&) = delete;

  // Connection and logon.
  int LogonSqlServer(void* reservedP, uint32_t*& cancelP, char*& msgBufP);
  // Logs off and takes the new record for the next logon; always 0.
  int ChangeSqlServer(const SqlLogonInfo* logonP);
  // Obtains, connects and checks; 0 at once when logged on already.
  int LogonServer(uint32_t*& cancelP);
  int ObtainServer(uint32_t*& cancelP);
  void ReleaseServer();
  // Unadvises the event sink and disconnects; the server is logged off whatever the result.
  // 0, or the code of the last step that failed.
  int LogoffServer();

  // The connected server's facts into *serverP (may be the object's own record), and the
  // installed instances into **instancesPP when that list pointer is set.
  int GetSqlServerInfo(SqlServerElement* serverP, uint32_t** cancelPP, char** msgBufPP,
                       CLinkedList<SqlInstanceElement>** instancesPP);
  // Completes one database element and appends its groups and files to its lists; a failure
  // goes into the element's message list, not a message buffer.
  int GetSqlDatabaseInfo(SqlDatabaseElement** databasePP, uint32_t** cancelPP);
  // The state text of one database (sqlDatabaseStatusText: empty when it is usable, "Loading"
  // while it is restoring, ...) into textP; 0, or the failure's code.
  int GetSqlDatabaseStatus(const char* nameP, char* textP, size_t textSize, uint32_t* cancelP);
  // Appends one element per database of the server except tempdb.
  int GetSqlDatabaseNames(CLinkedList<SqlDatabaseElement>*& listP, void* reservedP,
                          uint32_t*& cancelP, char*& msgBufP);

  // The BACKUP statement (sqlbackup.cpp): has SQL Server back up the database, filegroup, file
  // or set of dbInfoP onto the virtual devices of the first numStripes stripes (any stripe
  // record with a narrow vdevName) and returns when SQL Server has finished. 0, 415, 1908 (a
  // name too long), 1914 (a SQL-DMO call failed), or 421 when the statement buffer cannot
  // grow; a failure's message goes into the caller's buffer of NLS_MSG_MAX bytes.
  template <class Stripe>
  int BackupSqlDatabase(const SqlBackupParameters& parms, SqlDbInfo* dbInfoP,
                        CLinkedList<Stripe>& stripes, uint32_t& numStripes, uint32_t& backupType,
                        DPelkApiStatus& apiStatus, uint32_t*& cancelP, char*& msgBufP) {
    CLinkedList<SqlStmtItem> devices;
    int rc = sqlCollectDevices(stripes, numStripes, devices);
    if (rc != RC_OK) return rc;
    return BackupToDevices(parms, dbInfoP, devices, backupType, apiStatus, cancelP, msgBufP);
  }
  // Grows the statement buffer to `required` characters (terminator included); 0, or 421 with
  // the buffer unchanged.
  int AdjustCommandSize(uint32_t required);

  // The RESTORE statement (sqlrestore.cpp): has SQL Server restore the stored backup `entryP`
  // (its objName.hl and objName.ll, and its database record hublorDbElemP with the restore
  // selection, or null) from the virtual devices of the first numStripes stripes. 0; 1917 when
  // SQL Server refused a log restore to a point in time or mark with message 4306 right after
  // a log restore; 1914 for any other failure, with SQL Server's text in the caller's buffer
  // (cut to msgBufLen; an internal buffer takes its place when there is none); 200 when
  // cancelled; 421 when the statement cannot grow.
  template <class Entry, class Stripe>
  int RestoreSqlDatabase(SqlRestoreParameters parms, CLinkedList<Stripe>& stripes,
                         SqlServerElement* serverP, Entry* entryP, uint32_t numStripes,
                         DPelkApiStatus* apiStatusP, uint32_t* cancelP, char* msgBufP,
                         uint16_t msgBufLen) {
    CSqlRestorePlan plan;
    int rc = sqlCollectDevices(stripes, numStripes, plan.m_Devices);
    if (rc != RC_OK) return rc;
    rc = plan.build(parms, serverP->lSqlVersionMajor, entryP->objName.hl, entryP->objName.ll,
                    static_cast<SqlHublorDbElement*>(entryP->hublorDbElemP));
    if (rc != RC_OK) return rc;
    return RestoreFromPlan(plan, parms, apiStatusP, cancelP, msgBufP, msgBufLen);
  }

  // Text conversion with size limits in bytes of the destination, terminator included:
  // 0, 1908 (does not fit) or 1914 (conversion failed).
  int CopyNToU(const char* srcP, WCHAR* destP, size_t destBytes);
  int CopyUToN(const WCHAR* srcP, char* destP, size_t destBytes);
  int CopyBToN(BSTR srcP, char* destP, size_t destBytes);
  // CopyBToN, then frees the string (whatever the outcome) and clears the pointer.
  int CopyBToNAndFree(BSTR& srcP, char* destP, size_t destBytes);
  // "[name]" as wide text.
  int QuoteNameU(const char* nameP, WCHAR* destP, size_t destBytes);
  bool IsUpperCaseB(BSTR textP);

  // COM and system error texts into ErrorText(); they never fail.
  void SetComErrorText(HRESULT hr);
  // The same into a caller's buffer of 1024 bytes.
  void FormatComErrorText(HRESULT hr, char* bufP);
  void SetSystemErrorText();
  // The thread's COM error description into the caller's buffer ("%s\n"), or the message of
  // 1910 when there is none.
  void getLastOleErrorMsg(char* errorMsgP, uint16_t errorMsgLen);

  // Diagnostics.
  const char* ErrorText() const { return mszErrorText; }
  const char* FailedCall() const { return mszFailedCall; }
  const char* RcName() const { return mszRcName; }
  double TotalApiTime() const { return mdTotalApiTime; }
  bool IsServerObtained() const { return mbServerObtained; }
  bool IsConnected() const { return mbConnected; }
  bool IsLoggedOn() const { return mbLoggedOn; }
  int32_t DmoVersion() const { return mlDmoVersion; }
  const SqlLogonInfo& LogonInfo() const { return meLogon; }

 private:
  friend class CSqlErrorKeep;

  // The server object as created from SQL-DMO 8 on (never for SQL-DMO 7).
  ISQLDMOServer2* Server2() { return static_cast<ISQLDMOServer2*>(mpDmoServer); }
  // The start of every operation: the detail text and the code's name reset.
  void BeginOperation();
  void ResetLogonInfo();
  void ResetServerInfo();
  void TraceLogonInfo(const char* opP, const SqlLogonInfo* logonP);
  void CopyLogonInfo(const SqlLogonInfo* logonP);
  // The construction's steps: the traced start (returns the code for *rcP), which initialises
  // COM and creates the SQL-DMO application object (returns the agent code), and reports a
  // failure of that into the caller's buffer.
  int Start(const SqlLogonInfo* logonP, char* msgBufP);
  int StartApplication();
  void ReportStartFailure(int rc, char* msgBufP);

  // Runs one SQL-DMO or COM call under the API timer, noting its call site.
  template <class Call>
  HRESULT Timed(int line, Call call) {
    mlApiLine = line;
    mApiTimer.start();
    HRESULT hr = call();
    mApiTimer.stop();
    mdTotalApiTime += mApiTimer.elapsedSeconds();
    return hr;
  }
  void ReleaseTimed(IUnknown* objectP);
  template <class I>
  void ReleaseTimed(I*& objectP) {
    ReleaseTimed(static_cast<IUnknown*>(objectP));
    objectP = nullptr;
  }
  void FreeTimed(BSTR& textP);

  // A failed call: code, name, HRESULT, and the call's text (after "op:line:rc ") in
  // mszFailedCall. Returns rc.
  int CallFailed(int rc, const char* rcNameP, HRESULT hr, const char* opP, const char* formatP, ...)
      __attribute__((format(printf, 6, 7)));
  // A failed check of our own: the text goes into mszErrorText. Returns rc.
  int CheckFailed(int rc, const char* rcNameP, const char* opP, int line, const char* formatP, ...)
      __attribute__((format(printf, 6, 7)));
  // 415 with its name and trace line.
  int Canceled(const char* opP);
  // Fetches the COM error text of the last failed HRESULT, once.
  void FetchComErrorText();
  // Takes and drops the thread's error object of a failure that is not reported.
  void DropComErrorInfo();
  void FormatRcMessage(char* msgBufP, int rc);
  // The end of an information operation: 415 when the flag is set (no insert), else the
  // failure's COM error text is fetched. Returns the final code.
  int EndOperation(const char* opP, int rc, uint32_t* cancelP);
  // EndOperation, then the code's message into the caller's buffer.
  int EndWithMessage(const char* opP, int rc, uint32_t* cancelP, char* msgBufP);

  // The statement steps of BackupSqlDatabase and RestoreSqlDatabase.
  int BackupToDevices(const SqlBackupParameters& parms, SqlDbInfo* dbInfoP,
                      CLinkedList<SqlStmtItem>& devices, uint32_t backupType,
                      DPelkApiStatus& apiStatus, uint32_t*& cancelP, char*& msgBufP);
  int BuildAndRunBackup(const SqlBackupParameters& parms, SqlDbInfo* dbInfoP,
                        CLinkedList<SqlStmtItem>& devices, uint32_t backupType,
                        DPelkApiStatus& apiStatus, uint32_t*& cancelP);
  int ReadMaxCommandSize(DPelkApiStatus& apiStatus);
  int ExecuteBackup(DPelkApiStatus& apiStatus);
  int RestoreFromPlan(CSqlRestorePlan& plan, const SqlRestoreParameters& parms,
                      DPelkApiStatus* apiStatusP, uint32_t* cancelP, char* msgBufP,
                      uint16_t msgBufLen);
  int PrepareRestore(CSqlCommand& command, CSqlRestorePlan& plan, uint32_t*& cancelP, char* msgBufP,
                     uint16_t msgBufLen);
  int ExecuteRestore(CSqlCommand& command, CSqlRestorePlan& plan, const SqlRestoreParameters& parms,
                     DPelkApiStatus* apiStatusP, char* msgBufP, uint16_t msgBufLen);

  // getLastOleErrorMsg before its last trace line: the traced function, returning the code its
  // caller never sees.
  int FillLastOleErrorMsg(char* errorMsgP, uint16_t errorMsgLen);
  // The thread's error object traced and its description read (getLastOleErrorMsg's step).
  // 0, or RC_SQL_NO_ERROR_INFO.
  int ReadLastOleError(char* errorMsgP, uint16_t errorMsgLen, bool toCaller);
  // CopyUToN and CopyBToN after their own checks.
  int CopyWideToNarrow(const char* opP, const char* tooLongFormatP, const WCHAR* srcP, char* destP,
                       size_t destBytes);

  // Steps of ObtainServer and LogonServer (sqllogon.cpp).
  int CreateAndAdvise(uint32_t* cancelP);
  int UnadviseSink();
  int Disconnect();
  int CreateServer(uint32_t* cancelP);
  int AdviseSink(uint32_t* cancelP);
  void FreeUnadvisedSink();
  int LogonSteps(uint32_t*& cancelP);
  int SetConnectProperties(uint32_t* cancelP);
  int AttemptLogon(uint32_t* cancelP);
  int CheckSysadmin(uint32_t* cancelP);
  int CallLogonCallback(int rc);
  int CheckServer(uint32_t* cancelP);
  int CheckMachine(uint32_t* cancelP, BSTR& hostName, BSTR& netName);
  int ReadMachineNames(uint32_t* cancelP, BSTR& hostName, BSTR& netName);
  int TraceServerFacts(uint32_t* cancelP);
  int CheckSameMachine(BSTR hostName, BSTR netName);
  int DecideClustered(uint32_t* cancelP);

  // Steps of the information operations.
  int ReadServerInfo(uint32_t*& cancelP, CLinkedList<SqlInstanceElement>* instancesP);
  int ReadServerFacts(uint32_t* cancelP);
  int ReadVersionBuild(uint32_t* cancelP);
  int ReadCollation(uint32_t* cancelP);
  int ReadAdvancedConfig(ISQLDMOConfiguration* configP, uint32_t* cancelP);
  int ReadConfigValues(ISQLDMOConfiguration* configP, uint32_t* cancelP);
  int RestoreAdvancedOptions(ISQLDMOConfiguration* configP, BOOL remembered, int rc);
  int ReadInstanceFacts(uint32_t* cancelP, CLinkedList<SqlInstanceElement>* instancesP);
  int ListInstances(uint32_t* cancelP, CLinkedList<SqlInstanceElement>* instancesP);
  int AppendInstances(ISQLDMONameList* namesP, uint32_t* cancelP,
                      CLinkedList<SqlInstanceElement>* instancesP);
  int ReadDatabaseInfo(SqlDatabaseElement* dbP, uint32_t* cancelP);
  int ReadDatabaseStatus(const char* nameP, char* textP, size_t textSize, uint32_t* cancelP);
  int ReadDatabaseOptions(SqlDatabaseElement* dbP, uint32_t* cancelP);
  int ReadDataGroups(SqlDatabaseElement* dbP, uint32_t* cancelP);
  int ReadDataGroup(SqlDatabaseElement* dbP, ISQLDMOFileGroup* groupP, SqlGroupElement* groupElP,
                    uint32_t* cancelP);
  int ReadDataFile(ISQLDMODBFile* fileP, SqlGroupElement* groupElP, SqlFileElement* fileElP,
                   uint32_t* cancelP);
  template <class File>
  int ReadFileNames(File* fileP, const char* kindP, SqlFileElement* fileElP, uint32_t* cancelP);
  template <class File>
  int ReadFileSize(File* fileP, const char* kindP, SqlFileElement* fileElP, uint32_t* cancelP);
  int ReadLogGroup(SqlDatabaseElement* dbP, SqlGroupElement* logGroupP, uint32_t* cancelP);
  int ReadLogFiles(SqlDatabaseElement* dbP, ISQLDMOTransactionLog* logP, SqlGroupElement* groupElP,
                   uint32_t* cancelP);
  // The names and the size of one log file.
  int ReadLogFile(ISQLDMOLogFile* fileP, SqlFileElement* fileElP, uint32_t* cancelP);
  int LinkDatabase(SqlDatabaseElement* dbP, SqlGroupElement* logGroupP);
  int AppendGroup(SqlDatabaseElement* dbP, SqlGroupElement* groupElP);
  int AppendFile(SqlDatabaseElement* dbP, SqlGroupElement* groupElP, SqlFileElement* fileElP);
  void KeepDatabaseFailure(SqlDatabaseElement* dbP, int rc);
  int ListDatabaseNames(CLinkedList<SqlDatabaseElement>* listP, uint32_t*& cancelP);
  void ReadDatabaseEntry(LONG ordinal, SqlDatabaseElement* dbP, uint32_t* cancelP);
  void ReadDatabaseState(SqlDatabaseElement* dbP, uint32_t* cancelP);

 public:
  int32_t mlBlockingTimeout;
  int32_t mlNetPacketSize;

 private:
  bool mbServerObtained;
  bool mbConnected;
  bool mbLoggedOn;
  ISQLDMOApplication* mpDmoApplication;
  ISQLDMOServer* mpDmoServer;
  ISQLDMODatabase* mpDmoDatabase;
  int32_t mlDmoVersion;
  int32_t mlSqlVersionMajor;
  SqlLogonInfo meLogon;
  SqlServerElement meServer;
  CSqlServerSink* mpServerSink;
  IConnectionPoint* mpServerCP;
  bool mbSinkAdvised;
  DWORD mdwSinkCookie;
  psTimer mApiTimer;
  double mdTotalApiTime;
  char mszFailedCall[1024];
  char mszErrorText[1025];
  char mszRcName[66];
  int32_t mlApiLine;
  HRESULT mhrLast;  // the last failed HRESULT whose error text is not fetched yet, else S_OK

 public:
  // The statement buffer of the BACKUP statement, kept and reused for the object's life.
  CSqlCommand mCommand;
  // 128 network packets: traced with each backup, no limit on the statement.
  uint32_t muiMaxCommandSize;
};

// The program's one SQL Server access object: set by the front end before any request runs
// and cleared when it frees the object; the requests only use it.
extern CSqlApi* gSqlApiP;

// Size of mszErrorText and of the texts that become its copy.
constexpr size_t SQLAPI_ERROR_TEXT_SIZE = 1025;
