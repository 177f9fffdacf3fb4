#include "device_set_state.h"

#include <chrono>
#include <utility>

namespace vdi {
namespace {

// Waits until state() stops answering VD_E_TIMEOUT ("nothing yet") or the time is up, and
// returns its last answer.
template <typename State>
HRESULT waitFor(std::condition_variable& cv, std::unique_lock<std::mutex>& lock, DWORD timeoutMs,
                State state) {
  HRESULT hr = VD_E_TIMEOUT;
  auto settled = [&] {
    hr = state();
    return hr != VD_E_TIMEOUT;
  };
  if (timeoutMs == INFINITE) {
    cv.wait(lock, settled);
  } else {
    cv.wait_for(lock, std::chrono::milliseconds(timeoutMs), settled);
  }
  return hr;
}

bool isDataCommand(DWORD code) {
  return code == VDC_Read || code == VDC_Write;
}

// The feature a command needs, 0 when none; false for a command this interface does not know.
bool featureNeeded(DWORD code, DWORD* feature) {
  struct Row {
    DWORD code;
    DWORD feature;
  };
  static constexpr Row kCommands[] = {
      {VDC_Read, 0},
      {VDC_Write, 0},
      {VDC_ClearError, 0},
      {VDC_Flush, 0},
      {VDC_Load, VDF_Removable},
      {VDC_Discard, VDF_Discard},
  };
  for (const Row& row : kCommands) {
    if (row.code == code) {
      *feature = row.feature;
      return true;
    }
  }
  return false;
}

}  // namespace

DeviceSetState::DeviceSetState(std::u16string instanceKey, std::u16string name,
                               const VDConfig& config)
    : m_instanceKey(std::move(instanceKey)), m_name(std::move(name)), m_config(config) {}

// ---- Phase ----

void DeviceSetState::wakeAll() {
  m_phaseChanged.notify_all();
  for (auto& device : m_devices) {
    device->m_commandReady.notify_all();
    device->m_completionReady.notify_all();
  }
}

void DeviceSetState::abortLocked() {
  m_aborted = true;
  wakeAll();
}

void DeviceSetState::abort() {
  std::lock_guard lock(m_mutex);
  abortLocked();
}

void DeviceSetState::closeByClient() {
  std::lock_guard lock(m_mutex);
  // SQL Server may be waiting for this client: a close in mid-conversation is an abort.
  if (m_served && !m_closedByServer) {
    m_aborted = true;
  }
  m_closedByClient = true;
  wakeAll();
}

void DeviceSetState::closeByServer() {
  std::lock_guard lock(m_mutex);
  m_closedByServer = true;
  for (auto& device : m_devices) {
    device->close();
  }
  wakeAll();
}

bool DeviceSetState::closedByServer() const {
  std::lock_guard lock(m_mutex);
  return m_closedByServer;
}

VDConfig DeviceSetState::configuration() const {
  std::lock_guard lock(m_mutex);
  return m_config;
}

// ---- The client's side ----

HRESULT DeviceSetState::configurationState() const {
  if (m_aborted) {
    return VD_E_ABORT;
  }
  if (m_closedByClient || m_closedByServer) {
    return VD_E_CLOSE;
  }
  return m_served ? S_OK : VD_E_TIMEOUT;
}

HRESULT DeviceSetState::waitConfiguration(DWORD timeoutMs, VDConfig* config) {
  std::unique_lock lock(m_mutex);
  HRESULT hr = waitFor(m_phaseChanged, lock, timeoutMs, [this] { return configurationState(); });
  if (hr == S_OK) {
    *config = m_config;
  }
  return hr;
}

HRESULT DeviceSetState::openClientDevice(std::u16string_view name, std::size_t* index) {
  std::lock_guard lock(m_mutex);
  HRESULT hr = configurationState();
  if (hr != S_OK) {
    return hr == VD_E_TIMEOUT ? VD_E_PROTOCOL : hr;  // SQL Server has not opened the set yet
  }
  for (std::size_t i = 0; i < m_devices.size(); ++i) {
    if (m_devices[i]->name() != name) {
      continue;
    }
    if (m_devices[i]->m_clientOpened) {
      return VD_E_OPEN;
    }
    m_devices[i]->m_clientOpened = true;
    *index = i;
    return S_OK;
  }
  return VD_E_INVALID;
}

void DeviceSetState::releaseClientDevice(std::size_t index) {
  std::lock_guard lock(m_mutex);
  // A client that lets go of a device SQL Server still serves would leave the statement waiting
  // for ever: that ends the conversation.
  bool serverStillUsesIt = !m_devices[index]->closed() && !m_closedByServer;
  if (serverStillUsesIt && !m_closedByClient && !m_aborted) {
    abortLocked();
  }
}

HRESULT DeviceSetState::commandState(const DeviceChannel& device) const {
  if (m_aborted) {
    return VD_E_ABORT;
  }
  if (m_closedByClient) {
    return VD_E_CLOSE;
  }
  if (device.hasQueued()) {
    return S_OK;
  }
  return device.closed() ? VD_E_CLOSE : VD_E_TIMEOUT;
}

HRESULT DeviceSetState::getCommand(std::size_t index, DWORD timeoutMs, VDC_Command** command) {
  std::unique_lock lock(m_mutex);
  DeviceChannel& device = *m_devices[index];
  HRESULT hr = waitFor(device.m_commandReady, lock, timeoutMs,
                       [this, &device] { return commandState(device); });
  *command = hr == S_OK ? device.take() : nullptr;
  return hr;
}

HRESULT DeviceSetState::completeCommand(std::size_t index, VDC_Command* command,
                                        DWORD completionCode, DWORD bytes, DWORDLONG position) {
  std::lock_guard lock(m_mutex);
  DeviceChannel& device = *m_devices[index];
  bool ended = m_aborted || m_closedByClient || device.closed();
  if (ended) {
    // Nobody waits for the result any more; the client is done with the buffer.
    if (!device.forget(command)) {
      return VD_E_PROTOCOL;
    }
    return m_aborted ? VD_E_ABORT : VD_E_CLOSE;
  }
  HRESULT hr = device.complete(command, completionCode, bytes, position);
  if (hr == S_OK) {
    device.m_completionReady.notify_all();
  }
  return hr;
}

// ---- SQL Server's side ----

HRESULT DeviceSetState::serve(std::span<const std::u16string> deviceNames,
                              const ServerOptions& options) {
  std::lock_guard lock(m_mutex);
  if (m_closedByClient) {
    return VD_E_NOTOPEN;
  }
  if (m_aborted) {
    return VD_E_ABORT;
  }
  if (m_served) {
    return VD_E_BUSY;
  }
  if (deviceNames.size() != m_config.deviceCount) {
    return VD_E_INVALID;
  }
  for (const std::u16string& name : deviceNames) {
    m_devices.push_back(std::make_unique<DeviceChannel>(name));
  }
  m_config.blockSize = options.blockSize;
  m_config.maxTransferSize = options.maxTransferSize;
  m_served = true;
  m_phaseChanged.notify_all();
  return S_OK;
}

HRESULT DeviceSetState::commandAllowed(const VDC_Command& command) const {
  DWORD feature = 0;
  if (!featureNeeded(command.commandCode, &feature) || (m_config.features & feature) != feature) {
    return VD_E_NOTSUPPORTED;
  }
  if (!isDataCommand(command.commandCode)) {
    return command.size == 0 ? S_OK : VD_E_INVALID;
  }
  if (command.size > m_config.maxTransferSize || (command.size > 0 && !command.buffer)) {
    return VD_E_INVALID;
  }
  return S_OK;
}

HRESULT DeviceSetState::sendCommand(std::size_t index, const VDC_Command& command,
                                    std::shared_ptr<BYTE> buffer) {
  std::lock_guard lock(m_mutex);
  DeviceChannel& device = *m_devices[index];
  if (m_aborted) {
    return VD_E_ABORT;
  }
  if (m_closedByClient) {
    return VD_E_CLOSE;
  }
  if (device.closed()) {
    return VD_E_PROTOCOL;
  }
  HRESULT hr = commandAllowed(command);
  if (hr != S_OK) {
    return hr;
  }
  device.issue(command, std::move(buffer));
  device.m_commandReady.notify_all();
  return S_OK;
}

HRESULT DeviceSetState::completionState(const DeviceChannel& device) const {
  if (m_aborted) {
    return VD_E_ABORT;
  }
  if (device.hasCompletion()) {
    return S_OK;
  }
  if (m_closedByClient) {
    return VD_E_CLOSE;
  }
  if (device.closed() || !device.hasOutstanding()) {
    return VD_E_PROTOCOL;
  }
  return VD_E_TIMEOUT;
}

HRESULT DeviceSetState::waitCompletion(std::size_t index, DWORD timeoutMs,
                                       VDServerCompletion* completion) {
  std::unique_lock lock(m_mutex);
  DeviceChannel& device = *m_devices[index];
  HRESULT hr = waitFor(device.m_completionReady, lock, timeoutMs,
                       [this, &device] { return completionState(device); });
  if (hr == S_OK) {
    *completion = device.popCompletion();
  }
  return hr;
}

void DeviceSetState::closeServerDevice(std::size_t index) {
  std::lock_guard lock(m_mutex);
  DeviceChannel& device = *m_devices[index];
  device.close();
  device.m_commandReady.notify_all();
  device.m_completionReady.notify_all();
}

}  // namespace vdi
