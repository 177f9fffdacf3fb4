// The agent's side of SQL Server's Virtual Device Interface. CVdi creates the client virtual
// device set for one database backup or restore and owns the COM initialisation of the thread
// that constructs it; the vds_, vds2_ and vdev_ functions call one interface method each, time
// it as an interface call named "Sql" on the caller's timing record, and return the method's
// result unchanged.
//
// Threads: construct and destroy a CVdi on the same thread (COM is initialised per thread). The
// wrappers hold no lock; the timing record given to one must be the calling side's own.
#pragma once

#include <cstdint>

#include "agtrc.h"
#include "baseapi.h"
#include "vdi.h"

// The name under which virtual device calls are timed.
constexpr const char* kVdiApiName = "Sql";

class CVdi {
 public:
  // The major version of the SQL Server in use: 7 gets the version-1 interface in m_VdsP, any
  // other version the version-2 interface in m_Vds2P.
  explicit CVdi(int32_t sqlServerVersion);
  ~CVdi();
  CVdi(const CVdi&) = delete;
  CVdi& operator=(const CVdi&) = delete;

  // 0, or 2002 (COM initialisation failed), 1902 (class not registered), 1911 (other creation
  // failure); the caller reports it.
  int constructionRc() const { return m_ConstructionRc; }

  int m_ConstructionRc = 0;
  IClientVirtualDeviceSet2* m_Vds2P = nullptr;
  IClientVirtualDeviceSet* m_VdsP = nullptr;
  uint32_t m_NeedCoUninitialize = 0;
};

// Device set, version 1 (SQL Server 7). A null set answers VD_E_NOTOPEN (Release: 0).
HRESULT vds_Create(DPelkApiStatus* statusP, IClientVirtualDeviceSet* vdsP, LPCWSTR nameP,
                   VDConfig* configP);
HRESULT vds_GetConfiguration(DPelkApiStatus* statusP, IClientVirtualDeviceSet* vdsP, DWORD timeOut,
                             VDConfig* configP);
HRESULT vds_OpenDevice(DPelkApiStatus* statusP, IClientVirtualDeviceSet* vdsP, LPCWSTR nameP,
                       IClientVirtualDevice** vdevPP);
HRESULT vds_Close(DPelkApiStatus* statusP, IClientVirtualDeviceSet* vdsP);
HRESULT vds_SignalAbort(DPelkApiStatus* statusP, IClientVirtualDeviceSet* vdsP);
HRESULT vds_Release(DPelkApiStatus* statusP, IClientVirtualDeviceSet* vdsP);

// Device set, version 2 (later versions).
HRESULT vds2_Create(DPelkApiStatus* statusP, IClientVirtualDeviceSet2* vds2P, LPCWSTR nameP,
                    VDConfig* configP);
HRESULT vds2_CreateEx(DPelkApiStatus* statusP, IClientVirtualDeviceSet2* vds2P,
                      LPCWSTR instanceNameP, LPCWSTR nameP, VDConfig* configP);
HRESULT vds2_GetConfiguration(DPelkApiStatus* statusP, IClientVirtualDeviceSet2* vds2P,
                              DWORD timeOut, VDConfig* configP);
HRESULT vds2_OpenDevice(DPelkApiStatus* statusP, IClientVirtualDeviceSet2* vds2P, LPCWSTR nameP,
                        IClientVirtualDevice** vdevPP);
HRESULT vds2_Close(DPelkApiStatus* statusP, IClientVirtualDeviceSet2* vds2P);
HRESULT vds2_SignalAbort(DPelkApiStatus* statusP, IClientVirtualDeviceSet2* vds2P);
HRESULT vds2_Release(DPelkApiStatus* statusP, IClientVirtualDeviceSet2* vds2P);

// One virtual device. A null device answers VD_E_NOTOPEN (Release: 0).
HRESULT vdev_GetCommand(DPelkApiStatus* statusP, IClientVirtualDevice* vdevP, DWORD timeOut,
                        VDC_Command** commandPP);
HRESULT vdev_CompleteCommand(DPelkApiStatus* statusP, IClientVirtualDevice* vdevP,
                             VDC_Command* commandP, DWORD completionCode, DWORD bytesTransferred,
                             DWORDLONG position);
HRESULT vdev_Release(DPelkApiStatus* statusP, IClientVirtualDevice* vdevP);
