#include "client_device_set.h"

#include <new>
#include <string_view>
#include <utility>

#include "client_device.h"
#include "device_set_state.h"
#include "set_names.h"
#include "vdi_fault.h"

namespace vdi {
namespace {

constexpr DWORD kMaxDevicesVersion1 = 32;
constexpr DWORD kMaxDevicesVersion2 = 64;
constexpr DWORD kKnownFeatures = VDF_Removable | VDF_Discard;

// SQL Server's rule for instance names: at most 16 characters, none of these.
constexpr std::size_t kMaxInstanceName = 16;
constexpr std::u16string_view kInstanceNameForbidden = u" \\/,:;'\"&@";

bool validInstanceName(std::u16string_view name) {
  if (name.size() > kMaxInstanceName) {
    return false;
  }
  for (char16_t c : name) {
    if (c < u' ' || kInstanceNameForbidden.find(c) != std::u16string_view::npos) {
      return false;
    }
  }
  return true;
}

}  // namespace

ClientDeviceSet::~ClientDeviceSet() {
  closeSet();
}

HRESULT ClientDeviceSet::QueryInterface(REFIID riid, void** ppvObject) {
  if (!ppvObject) {
    return E_POINTER;
  }
  *ppvObject = nullptr;
  // A version-7 client asks for the class identifier itself to get the first interface.
  if (riid == IID_IUnknown || riid == CLSID_MSSQL_ClientVirtualDeviceSet) {
    *ppvObject = static_cast<IClientVirtualDeviceSet*>(this);
  } else if (riid == IID_IClientVirtualDeviceSet2 && m_version2) {
    *ppvObject = static_cast<IClientVirtualDeviceSet2*>(this);
  } else {
    return E_NOINTERFACE;
  }
  AddRef();
  return S_OK;
}

ULONG ClientDeviceSet::AddRef() {
  return ++m_references;
}

ULONG ClientDeviceSet::Release() {
  ULONG left = --m_references;
  if (left == 0) {
    delete this;  // COM lifetime: the last reference owns the object
  }
  return left;
}

std::shared_ptr<DeviceSetState> ClientDeviceSet::current() const {
  std::lock_guard lock(m_mutex);
  return m_state;
}

HRESULT ClientDeviceSet::Create(LPCWSTR lpName, VDConfig* pCfg) {
  if (HRESULT fault = vdiTakeFault(VdiCall::Create); fault != S_OK) {
    return fault;
  }
  return create(std::u16string(), lpName, pCfg);
}

HRESULT ClientDeviceSet::CreateEx(LPCWSTR lpInstanceName, LPCWSTR lpName, VDConfig* pCfg) {
  if (HRESULT fault = vdiTakeFault(VdiCall::Create); fault != S_OK) {
    return fault;
  }
  std::u16string_view instance = lpInstanceName ? lpInstanceName : u"";
  if (!validInstanceName(instance)) {
    return VD_E_INSTANCE_NAME;
  }
  return create(setNamesInstanceKey(instance), lpName, pCfg);
}

HRESULT ClientDeviceSet::create(std::u16string instanceKey, LPCWSTR lpName, const VDConfig* pCfg) {
  if (!lpName || !*lpName || !pCfg) {
    return VD_E_INVALID;
  }
  DWORD maxDevices = m_version2 ? kMaxDevicesVersion2 : kMaxDevicesVersion1;
  if (pCfg->deviceCount == 0 || pCfg->deviceCount > maxDevices) {
    return VD_E_INVALID;
  }
  if ((pCfg->features & ~kKnownFeatures) != 0) {
    return VD_E_NOTSUPPORTED;
  }
  std::lock_guard lock(m_mutex);
  if (m_state) {
    return VD_E_PROTOCOL;
  }
  auto state = std::make_shared<DeviceSetState>(std::move(instanceKey), lpName, *pCfg);
  HRESULT hr = setNamesRegister(state);
  if (hr != S_OK) {
    return hr;
  }
  m_state = std::move(state);
  return S_OK;
}

HRESULT ClientDeviceSet::GetConfiguration(DWORD dwTimeOut, VDConfig* pCfg) {
  if (!pCfg) {
    return VD_E_INVALID;
  }
  if (HRESULT fault = vdiTakeFault(VdiCall::GetConfiguration); fault != S_OK) {
    return fault;
  }
  std::shared_ptr<DeviceSetState> state = current();
  if (!state) {
    return VD_E_NOTOPEN;
  }
  return state->waitConfiguration(dwTimeOut, pCfg);
}

HRESULT ClientDeviceSet::OpenDevice(LPCWSTR lpName, IClientVirtualDevice** ppVirtualDevice) {
  if (!lpName || !ppVirtualDevice) {
    return VD_E_INVALID;
  }
  *ppVirtualDevice = nullptr;
  if (HRESULT fault = vdiTakeFault(VdiCall::OpenDevice); fault != S_OK) {
    return fault;
  }
  std::shared_ptr<DeviceSetState> state = current();
  if (!state) {
    return VD_E_NOTOPEN;
  }
  std::size_t index = 0;
  HRESULT hr = state->openClientDevice(lpName, &index);
  if (hr != S_OK) {
    return hr;
  }
  *ppVirtualDevice = new (std::nothrow) ClientDevice(state, index);
  if (!*ppVirtualDevice) {
    state->releaseClientDevice(index);
    return E_OUTOFMEMORY;
  }
  return S_OK;
}

HRESULT ClientDeviceSet::Close() {
  if (HRESULT fault = vdiTakeFault(VdiCall::Close); fault != S_OK) {
    return fault;
  }
  return closeSet();
}

HRESULT ClientDeviceSet::closeSet() {
  std::shared_ptr<DeviceSetState> state;
  {
    std::lock_guard lock(m_mutex);
    state = std::move(m_state);
  }
  if (!state) {
    return VD_E_NOTOPEN;
  }
  state->closeByClient();
  setNamesUnregister(state.get());
  return S_OK;
}

HRESULT ClientDeviceSet::SignalAbort() {
  if (HRESULT fault = vdiTakeFault(VdiCall::SignalAbort); fault != S_OK) {
    return fault;
  }
  std::shared_ptr<DeviceSetState> state = current();
  if (!state) {
    return VD_E_NOTOPEN;
  }
  state->abort();
  return S_OK;
}

}  // namespace vdi

HRESULT vdiCreateClientVirtualDeviceSet(REFIID riid, void** ppv) {
  if (!ppv) {
    return E_POINTER;
  }
  *ppv = nullptr;
  bool version1 = riid == CLSID_MSSQL_ClientVirtualDeviceSet;
  if (!version1 && !(riid == IID_IClientVirtualDeviceSet2) && !(riid == IID_IUnknown)) {
    return E_NOINTERFACE;
  }
  auto* set = new (std::nothrow) vdi::ClientDeviceSet(!version1);
  if (!set) {
    return E_OUTOFMEMORY;
  }
  HRESULT hr = set->QueryInterface(riid, ppv);
  set->Release();  // the interface pointer now holds the only reference
  return hr;
}
