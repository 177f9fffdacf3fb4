// The conversation of one virtual device set, shared by the client's objects (the set and its
// devices) and SQL Server's (ServerSet, ServerDevice): the set's phase, its configuration and
// the command traffic of every device. Every call of either side ends up here.
//
// Phases: created by the client -> served (SQL Server opened it; the devices exist) ->
// closed by SQL Server and/or by the client. An abort can come at any phase and stays.
// One mutex guards everything; abort and close wake every waiter.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "device_channel.h"
#include "vdi.h"
#include "vdi_server.h"

namespace vdi {

class DeviceSetState {
 public:
  DeviceSetState(std::u16string instanceKey, std::u16string name, const VDConfig& config);

  const std::u16string& instanceKey() const { return m_instanceKey; }
  const std::u16string& name() const { return m_name; }

  // The client's side (IClientVirtualDeviceSet, IClientVirtualDevice).
  HRESULT waitConfiguration(DWORD timeoutMs, VDConfig* config);
  HRESULT openClientDevice(std::u16string_view name, std::size_t* index);
  void releaseClientDevice(std::size_t index);
  HRESULT getCommand(std::size_t index, DWORD timeoutMs, VDC_Command** command);
  HRESULT completeCommand(std::size_t index, VDC_Command* command, DWORD completionCode,
                          DWORD bytes, DWORDLONG position);
  void closeByClient();

  // Either side.
  void abort();

  // SQL Server's side (ServerSet, ServerDevice).
  HRESULT serve(std::span<const std::u16string> deviceNames, const ServerOptions& options);
  VDConfig configuration() const;
  // Fixed once the set is served.
  const std::u16string& deviceName(std::size_t index) const { return m_devices[index]->name(); }
  HRESULT sendCommand(std::size_t index, const VDC_Command& command, std::shared_ptr<BYTE> buffer);
  HRESULT waitCompletion(std::size_t index, DWORD timeoutMs, VDServerCompletion* completion);
  void closeServerDevice(std::size_t index);
  void closeByServer();
  bool closedByServer() const;

 private:
  HRESULT configurationState() const;
  HRESULT commandState(const DeviceChannel& device) const;
  HRESULT completionState(const DeviceChannel& device) const;
  HRESULT commandAllowed(const VDC_Command& command) const;
  void abortLocked();
  void wakeAll();

  const std::u16string m_instanceKey;
  const std::u16string m_name;

  mutable std::mutex m_mutex;
  std::condition_variable m_phaseChanged;  // GetConfiguration waits here
  // Guarded by m_mutex:
  VDConfig m_config;
  bool m_served = false;
  bool m_closedByServer = false;
  bool m_closedByClient = false;
  bool m_aborted = false;
  // Filled once by serve(); a channel holds condition variables, hence the pointers.
  std::vector<std::unique_ptr<DeviceChannel>> m_devices;
};

}  // namespace vdi
