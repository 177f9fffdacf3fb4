// SQL Server's Virtual Device Interface, client side: the interface a backup application uses to
// exchange a database's stream with SQL Server while SQL Server runs a BACKUP or RESTORE
// statement that names the application's virtual devices.
//
// The application creates a virtual device set under a name (the name of the statement's first
// device), waits for SQL Server to open the set (GetConfiguration), opens each device by name and
// then serves the commands SQL Server sends to each device: it gets a command, moves the data
// (straight from or into SQL Server's own buffer, which the command points to) and completes
// the command with a completion code. Both sides can abort the conversation; either side's close
// ends it. The engine's side is declared in vdi_server.h.
//
// Threads: every call may be made from any thread; each device is meant to be served by one
// thread at a time. Waits are given in milliseconds (INFINITE: no limit); aborting or closing
// wakes every waiter at once.
#pragma once

#include "vdi_com_basics.h"

// ---- Identifiers ----

// The class of the client virtual device set. A client for SQL Server 7 asks for the class
// identifier itself as its interface and gets IClientVirtualDeviceSet; later clients ask for
// IClientVirtualDeviceSet2.
inline constexpr CLSID CLSID_MSSQL_ClientVirtualDeviceSet = {
    0x40700425, 0x0080, 0x11D2, {0x85, 0x1F, 0x00, 0xC0, 0x4F, 0xC2, 0x17, 0x59}};
inline constexpr IID IID_IClientVirtualDeviceSet2 = {
    0xD0E6EB07, 0x7A62, 0x11D2, {0x85, 0x73, 0x00, 0xC0, 0x4F, 0xC2, 0x17, 0x59}};

// ---- Records ----

// The configuration of a device set. The client fills deviceCount and features (and may set the
// other client fields); SQL Server fills blockSize and maxTransferSize when it opens the set,
// and GetConfiguration returns the whole record.
struct VDConfig {
  DWORD deviceCount;            // client: devices in the set, 1..32 (SQL Server 7) or 1..64
  DWORD features;               // client: VDF_... flags
  DWORD prefixZoneSize;         // client
  DWORD alignment;              // client
  DWORD softFileMarkBlockSize;  // client
  DWORD EOMWarningSize;         // client
  DWORD serverTimeOut;          // client: advice to SQL Server for its own waits
  DWORD blockSize;              // server: every transfer is a multiple of it
  DWORD maxIOsOutstanding;      // server
  DWORD maxTransferSize;        // server: largest read or write
  DWORD bufferAreaSize;         // server
};

// A command from SQL Server to one device. The record and the buffer it points to belong to SQL
// Server; the client may use them from GetCommand until it completes the command.
struct VDC_Command {
  DWORD commandCode;  // VDC_...
  DWORD size;         // bytes to move (read and write)
  DWORDLONG position;
  BYTE* buffer;  // SQL Server's data: the source of a write, the destination of a read
};

// ---- Constants ----

// Features of a set (VDConfig::features).
inline constexpr DWORD VDF_Removable = 0x1;  // the device takes other media: VDC_Load
inline constexpr DWORD VDF_Discard = 0x80;   // SQL Server may discard a backup: VDC_Discard

// Command codes (VDC_Command::commandCode).
inline constexpr DWORD VDC_Read = 1;        // fill the buffer with up to size bytes
inline constexpr DWORD VDC_Write = 2;       // take size bytes from the buffer
inline constexpr DWORD VDC_ClearError = 3;  // forget an earlier failure
inline constexpr DWORD VDC_Load = 8;        // mount the next medium (needs VDF_Removable)
inline constexpr DWORD VDC_Discard = 11;    // the backup is void (needs VDF_Discard)
inline constexpr DWORD VDC_Flush = 12;      // make everything written durable

// Completion codes of a command: Windows error codes.
#ifndef ERROR_SUCCESS
#define ERROR_SUCCESS 0L
#endif
#ifndef ERROR_HANDLE_EOF
#define ERROR_HANDLE_EOF 38L  // a read met the end of the medium
#endif
#ifndef ERROR_NOT_SUPPORTED
#define ERROR_NOT_SUPPORTED 50L
#endif
#ifndef ERROR_CAN_NOT_COMPLETE
#define ERROR_CAN_NOT_COMPLETE 1003L
#endif

// Results of the interface's calls. A backup application tells apart VD_E_TIMEOUT (ask again),
// VD_E_ABORT, VD_E_CLOSE (SQL Server ended the conversation) and VD_E_NOTOPEN (nothing to
// call); the others name faults of the caller.
inline constexpr HRESULT VD_E_NOTSUPPORTED = static_cast<HRESULT>(0x80770001u);   // feature
inline constexpr HRESULT VD_E_NOTOPEN = static_cast<HRESULT>(0x80770002u);        // missing
inline constexpr HRESULT VD_E_TIMEOUT = static_cast<HRESULT>(0x80770003u);        // time-out
inline constexpr HRESULT VD_E_ABORT = static_cast<HRESULT>(0x80770004u);          // aborted
inline constexpr HRESULT VD_E_INVALID = static_cast<HRESULT>(0x80770006u);        // argument
inline constexpr HRESULT VD_E_INSTANCE_NAME = static_cast<HRESULT>(0x80770007u);  // instance
inline constexpr HRESULT VD_E_PROTOCOL = static_cast<HRESULT>(0x8077000Cu);       // order
inline constexpr HRESULT VD_E_OPEN = static_cast<HRESULT>(0x8077000Du);           // open twice
inline constexpr HRESULT VD_E_CLOSE = static_cast<HRESULT>(0x8077000Eu);          // closed
inline constexpr HRESULT VD_E_BUSY = static_cast<HRESULT>(0x8077000Fu);           // in use

// ---- Interfaces ----

// One virtual device of a set, as the client sees it.
struct IClientVirtualDevice : public IUnknown {
  // Waits up to dwTimeOut ms for SQL Server's next command on this device.
  // S_OK with *ppCmd set; VD_E_TIMEOUT; VD_E_ABORT; VD_E_CLOSE once SQL Server has closed the
  // device (or the client has closed the set).
  virtual HRESULT GetCommand(DWORD dwTimeOut, VDC_Command** ppCmd) = 0;

  // Hands a command back to SQL Server with a completion code (ERROR_...), the bytes moved (at
  // most the command's size) and a position. After it the client no longer uses the command.
  // S_OK; VD_E_ABORT; VD_E_CLOSE (SQL Server no longer listens); VD_E_PROTOCOL for a command
  // that is not this device's or was completed already; VD_E_INVALID for a bad byte count.
  virtual HRESULT CompleteCommand(VDC_Command* pCmd, DWORD dwCompletionCode,
                                  DWORD dwBytesTransferred, DWORDLONG dwlPosition) = 0;

 protected:
  ~IClientVirtualDevice() = default;
};

// A virtual device set, version 1 (SQL Server 7): the default instance only, up to 32 devices.
struct IClientVirtualDeviceSet : public IUnknown {
  // Creates the set under lpName for the default instance. The object can create again after
  // Close. VD_E_BUSY when the name is in use in this process; VD_E_INVALID for a missing name or
  // a device count out of range; VD_E_NOTSUPPORTED for unknown features; VD_E_PROTOCOL when
  // this object's set is still open.
  virtual HRESULT Create(LPCWSTR lpName, VDConfig* pCfg) = 0;

  // Waits up to dwTimeOut ms until SQL Server has opened the set and copies its configuration.
  // S_OK; VD_E_TIMEOUT; VD_E_ABORT; VD_E_CLOSE when SQL Server has already closed it again;
  // VD_E_NOTOPEN when no set was created.
  virtual HRESULT GetConfiguration(DWORD dwTimeOut, VDConfig* pCfg) = 0;

  // Opens one of the devices SQL Server named, once. VD_E_PROTOCOL before SQL Server opened
  // the set; VD_E_INVALID for an unknown name; VD_E_OPEN when opened already.
  virtual HRESULT OpenDevice(LPCWSTR lpName, IClientVirtualDevice** ppVirtualDevice) = 0;

  // Ends the set and frees its name. While SQL Server is still in the conversation this aborts
  // it, so that SQL Server never waits for a client that has gone.
  virtual HRESULT Close() = 0;

  // Aborts the conversation: every waiter on both sides wakes, and every later call on the set
  // and its devices answers VD_E_ABORT until the set is closed.
  virtual HRESULT SignalAbort() = 0;

 protected:
  ~IClientVirtualDeviceSet() = default;
};

// A virtual device set, version 2 (SQL Server 2000 and later): named instances, up to 64
// devices.
struct IClientVirtualDeviceSet2 : public IClientVirtualDeviceSet {
  // Create for the instance lpInstanceName (null or empty: the default instance). Instance names
  // are compared without regard to case. VD_E_INSTANCE_NAME for a name SQL Server cannot have.
  virtual HRESULT CreateEx(LPCWSTR lpInstanceName, LPCWSTR lpName, VDConfig* pCfg) = 0;

 protected:
  ~IClientVirtualDeviceSet2() = default;
};

// Creates a client virtual device set object: the class factory of
// CLSID_MSSQL_ClientVirtualDeviceSet. riid: IID_IClientVirtualDeviceSet2 or IID_IUnknown (the
// version-2 object) or the class identifier itself (the version-1 object). E_NOINTERFACE for
// another riid, E_POINTER for a null ppv.
HRESULT vdiCreateClientVirtualDeviceSet(REFIID riid, void** ppv);
