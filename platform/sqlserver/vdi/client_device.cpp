#include "client_device.h"

#include <utility>

#include "device_set_state.h"
#include "vdi_fault.h"

namespace vdi {

ClientDevice::ClientDevice(std::shared_ptr<DeviceSetState> state, std::size_t index)
    : m_state(std::move(state)), m_index(index) {}

HRESULT ClientDevice::QueryInterface(REFIID riid, void** ppvObject) {
  if (!ppvObject) {
    return E_POINTER;
  }
  *ppvObject = nullptr;
  if (!(riid == IID_IUnknown)) {
    return E_NOINTERFACE;
  }
  AddRef();
  *ppvObject = static_cast<IUnknown*>(this);
  return S_OK;
}

ULONG ClientDevice::AddRef() {
  return ++m_references;
}

ULONG ClientDevice::Release() {
  ULONG left = --m_references;
  if (left == 0) {
    m_state->releaseClientDevice(m_index);
    delete this;  // COM lifetime: the last reference owns the object
  }
  return left;
}

HRESULT ClientDevice::GetCommand(DWORD dwTimeOut, VDC_Command** ppCmd) {
  if (!ppCmd) {
    return VD_E_INVALID;
  }
  *ppCmd = nullptr;
  if (HRESULT fault = vdiTakeFault(VdiCall::GetCommand); fault != S_OK) {
    return fault;
  }
  return m_state->getCommand(m_index, dwTimeOut, ppCmd);
}

HRESULT ClientDevice::CompleteCommand(VDC_Command* pCmd, DWORD dwCompletionCode,
                                      DWORD dwBytesTransferred, DWORDLONG dwlPosition) {
  if (!pCmd) {
    return VD_E_INVALID;
  }
  if (HRESULT fault = vdiTakeFault(VdiCall::CompleteCommand); fault != S_OK) {
    return fault;
  }
  return m_state->completeCommand(m_index, pCmd, dwCompletionCode, dwBytesTransferred, dwlPosition);
}

}  // namespace vdi
