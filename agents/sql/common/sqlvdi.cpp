#include "sqlvdi.h"

#include "agtrc.h"
#include "agttrc.h"
#include "runtime.h"

namespace {

// One timed call of a method on an interface that may be missing. A missing set or device is
// traced and answers VD_E_NOTOPEN, a missing object's Release answers 0.
template <typename Interface, typename Method>
HRESULT vdiCall(DPelkApiStatus* statusP, Interface* objectP, const char* missingTextP,
                HRESULT missingHr, Method method) {
  DBaseApi::StartApiCall(statusP);
  HRESULT hr = missingHr;
  if (objectP != nullptr) {
    hr = method(objectP);
  } else {
    TRACE_LINE(TRC_API, "%s", missingTextP);
  }
  DBaseApi::EndApiCall(statusP, kVdiApiName);
  return hr;
}

constexpr const char* kNoVds = "The vds does not exist!\n";
constexpr const char* kNoVdev = "The vdev does not exist!\n";

template <typename Set, typename Method>
HRESULT vdsCall(DPelkApiStatus* statusP, Set* vdsP, Method method) {
  return vdiCall(statusP, vdsP, kNoVds, VD_E_NOTOPEN, method);
}

template <typename Set>
HRESULT vdsRelease(DPelkApiStatus* statusP, Set* vdsP) {
  return vdiCall(statusP, vdsP, kNoVds, S_OK,
                 [](Set* p) { return static_cast<HRESULT>(p->Release()); });
}

// COM's creation result as the agent's construction code.
int vdiCreationRc(HRESULT hr) {
  if (SUCCEEDED(hr)) return RC_OK;
  TRACE_LINE(TRC_API, "CoCreateInstance() failed, hResult = %#x\n", static_cast<unsigned>(hr));
  if (hr == REGDB_E_CLASSNOTREG) return RC_VDI_NOT_REGISTERED;
  return RC_VDI_CREATE_FAILED;
}

// The destructor's release of one set interface; a failure is traced and ignored.
template <typename Set>
void vdiReleaseSet(DPelkApiStatus* statusP, Set** vdsPP, const char* nameP) {
  if (*vdsPP == nullptr) return;
  TRACE_LINE(TRC_API, "Calling %s_RELEASE()...\n", nameP);
  HRESULT hr = vdsRelease(statusP, *vdsPP);
  if (FAILED(hr)) {
    TRACE_LINE(TRC_API, "Ignoring %s_RELEASE() failure, hResult = %#x\n", nameP,
               static_cast<unsigned>(hr));
  }
  *vdsPP = nullptr;
}

}  // namespace

CVdi::CVdi(int32_t sqlServerVersion) {
  TRACE_LINE(TRC_API, "Calling CoInitializeEx()...\n");
  HRESULT hr = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
  if (FAILED(hr)) {
    TRACE_LINE(TRC_API, "CoInitializeEx() failed, hResult = %#x\n", static_cast<unsigned>(hr));
    m_ConstructionRc = RC_COM_INIT_FAILED;
    return;
  }
  m_NeedCoUninitialize = 1;
  if (sqlServerVersion != 7) {
    TRACE_LINE(TRC_API, "Calling CoCreateInstance( VDS2 )...\n");
    hr = CoCreateInstance(CLSID_MSSQL_ClientVirtualDeviceSet, nullptr, CLSCTX_INPROC_SERVER,
                          IID_IClientVirtualDeviceSet2, reinterpret_cast<void**>(&m_Vds2P));
  } else {
    TRACE_LINE(TRC_API, "Calling CoCreateInstance( VDS )...\n");
    hr = CoCreateInstance(CLSID_MSSQL_ClientVirtualDeviceSet, nullptr, CLSCTX_INPROC_SERVER,
                          CLSID_MSSQL_ClientVirtualDeviceSet, reinterpret_cast<void**>(&m_VdsP));
  }
  m_ConstructionRc = vdiCreationRc(hr);
}

CVdi::~CVdi() {
  DPelkApiStatus apiStatus;
  vdiReleaseSet(&apiStatus, &m_VdsP, "VDS");
  vdiReleaseSet(&apiStatus, &m_Vds2P, "VDS2");
  if (m_NeedCoUninitialize == 1) {
    TRACE_LINE(TRC_API, "Calling CoUninitialize()...\n");
    CoUninitialize();
    m_NeedCoUninitialize = 0;
  }
}

// ---- Device set, version 1 ----

HRESULT vds_Create(DPelkApiStatus* statusP, IClientVirtualDeviceSet* vdsP, LPCWSTR nameP,
                   VDConfig* configP) {
  return vdsCall(statusP, vdsP, [&](auto* p) { return p->Create(nameP, configP); });
}

HRESULT vds_GetConfiguration(DPelkApiStatus* statusP, IClientVirtualDeviceSet* vdsP, DWORD timeOut,
                             VDConfig* configP) {
  return vdsCall(statusP, vdsP, [&](auto* p) { return p->GetConfiguration(timeOut, configP); });
}

HRESULT vds_OpenDevice(DPelkApiStatus* statusP, IClientVirtualDeviceSet* vdsP, LPCWSTR nameP,
                       IClientVirtualDevice** vdevPP) {
  return vdsCall(statusP, vdsP, [&](auto* p) { return p->OpenDevice(nameP, vdevPP); });
}

HRESULT vds_Close(DPelkApiStatus* statusP, IClientVirtualDeviceSet* vdsP) {
  return vdsCall(statusP, vdsP, [](auto* p) { return p->Close(); });
}

HRESULT vds_SignalAbort(DPelkApiStatus* statusP, IClientVirtualDeviceSet* vdsP) {
  return vdsCall(statusP, vdsP, [](auto* p) { return p->SignalAbort(); });
}

HRESULT vds_Release(DPelkApiStatus* statusP, IClientVirtualDeviceSet* vdsP) {
  return vdsRelease(statusP, vdsP);
}

// ---- Device set, version 2 ----

HRESULT vds2_Create(DPelkApiStatus* statusP, IClientVirtualDeviceSet2* vds2P, LPCWSTR nameP,
                    VDConfig* configP) {
  return vds_Create(statusP, vds2P, nameP, configP);
}

HRESULT vds2_CreateEx(DPelkApiStatus* statusP, IClientVirtualDeviceSet2* vds2P,
                      LPCWSTR instanceNameP, LPCWSTR nameP, VDConfig* configP) {
  return vdsCall(statusP, vds2P,
                 [&](auto* p) { return p->CreateEx(instanceNameP, nameP, configP); });
}

HRESULT vds2_GetConfiguration(DPelkApiStatus* statusP, IClientVirtualDeviceSet2* vds2P,
                              DWORD timeOut, VDConfig* configP) {
  return vds_GetConfiguration(statusP, vds2P, timeOut, configP);
}

HRESULT vds2_OpenDevice(DPelkApiStatus* statusP, IClientVirtualDeviceSet2* vds2P, LPCWSTR nameP,
                        IClientVirtualDevice** vdevPP) {
  return vds_OpenDevice(statusP, vds2P, nameP, vdevPP);
}

HRESULT vds2_Close(DPelkApiStatus* statusP, IClientVirtualDeviceSet2* vds2P) {
  return vds_Close(statusP, vds2P);
}

HRESULT vds2_SignalAbort(DPelkApiStatus* statusP, IClientVirtualDeviceSet2* vds2P) {
  return vds_SignalAbort(statusP, vds2P);
}

HRESULT vds2_Release(DPelkApiStatus* statusP, IClientVirtualDeviceSet2* vds2P) {
  return vdsRelease(statusP, vds2P);
}

// ---- Virtual device ----

HRESULT vdev_GetCommand(DPelkApiStatus* statusP, IClientVirtualDevice* vdevP, DWORD timeOut,
                        VDC_Command** commandPP) {
  return vdiCall(statusP, vdevP, kNoVdev, VD_E_NOTOPEN,
                 [&](auto* p) { return p->GetCommand(timeOut, commandPP); });
}

HRESULT vdev_CompleteCommand(DPelkApiStatus* statusP, IClientVirtualDevice* vdevP,
                             VDC_Command* commandP, DWORD completionCode, DWORD bytesTransferred,
                             DWORDLONG position) {
  return vdiCall(statusP, vdevP, kNoVdev, VD_E_NOTOPEN, [&](auto* p) {
    return p->CompleteCommand(commandP, completionCode, bytesTransferred, position);
  });
}

HRESULT vdev_Release(DPelkApiStatus* statusP, IClientVirtualDevice* vdevP) {
  return vdiCall(statusP, vdevP, kNoVdev, S_OK,
                 [](auto* p) { return static_cast<HRESULT>(p->Release()); });
}
