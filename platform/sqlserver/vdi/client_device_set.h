// The COM object of a client virtual device set. One object serves one set at a time and may
// create again after Close. The version-1 object (SQL Server 7) offers only
// IClientVirtualDeviceSet and up to 32 devices; the version-2 object adds CreateEx (named
// instances) and up to 64 devices.
#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <string>

#include "vdi.h"

namespace vdi {

class DeviceSetState;

class ClientDeviceSet final : public IClientVirtualDeviceSet2 {
 public:
  explicit ClientDeviceSet(bool version2) : m_version2(version2) {}

  HRESULT QueryInterface(REFIID riid, void** ppvObject) override;
  ULONG AddRef() override;
  ULONG Release() override;

  HRESULT Create(LPCWSTR lpName, VDConfig* pCfg) override;
  HRESULT GetConfiguration(DWORD dwTimeOut, VDConfig* pCfg) override;
  HRESULT OpenDevice(LPCWSTR lpName, IClientVirtualDevice** ppVirtualDevice) override;
  HRESULT Close() override;
  HRESULT SignalAbort() override;
  HRESULT CreateEx(LPCWSTR lpInstanceName, LPCWSTR lpName, VDConfig* pCfg) override;

 private:
  ~ClientDeviceSet();  // only Release deletes; closes a set still open

  HRESULT create(std::u16string instanceKey, LPCWSTR lpName, const VDConfig* pCfg);
  HRESULT closeSet();
  std::shared_ptr<DeviceSetState> current() const;

  const bool m_version2;
  std::atomic<ULONG> m_references{1};
  // Guards m_state: Create and Close may run on one thread while others wait on the set.
  mutable std::mutex m_mutex;
  std::shared_ptr<DeviceSetState> m_state;  // null while no set is open
};

}  // namespace vdi
