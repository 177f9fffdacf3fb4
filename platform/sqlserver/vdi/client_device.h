// The COM object of one opened virtual device, the client's side. It keeps its set's
// conversation alive while the client holds a reference.
#pragma once

#include <atomic>
#include <cstddef>
#include <memory>

#include "vdi.h"

namespace vdi {

class DeviceSetState;

class ClientDevice final : public IClientVirtualDevice {
 public:
  ClientDevice(std::shared_ptr<DeviceSetState> state, std::size_t index);

  HRESULT QueryInterface(REFIID riid, void** ppvObject) override;
  ULONG AddRef() override;
  ULONG Release() override;

  HRESULT GetCommand(DWORD dwTimeOut, VDC_Command** ppCmd) override;
  HRESULT CompleteCommand(VDC_Command* pCmd, DWORD dwCompletionCode, DWORD dwBytesTransferred,
                          DWORDLONG dwlPosition) override;

 private:
  ~ClientDevice() = default;  // only Release deletes

  std::atomic<ULONG> m_references{1};
  const std::shared_ptr<DeviceSetState> m_state;
  const std::size_t m_index;
};

}  // namespace vdi
