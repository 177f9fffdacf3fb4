#include <set>
#include <utility>

#include "device_set_state.h"
#include "set_names.h"
#include "vdi_fault.h"
#include "vdi_server.h"

namespace vdi {
namespace {

constexpr DWORD kMinBlockSize = 512;
constexpr DWORD kMaxBlockSize = 64 * 1024;
constexpr DWORD kMaxTransferSize = 4 * 1024 * 1024;

bool validOptions(const ServerOptions& options) {
  DWORD block = options.blockSize;
  bool powerOfTwo = block != 0 && (block & (block - 1)) == 0;
  if (!powerOfTwo || block < kMinBlockSize || block > kMaxBlockSize) {
    return false;
  }
  DWORD transfer = options.maxTransferSize;
  return transfer >= block && transfer <= kMaxTransferSize && transfer % block == 0;
}

bool validDeviceNames(std::span<const std::u16string> deviceNames) {
  std::set<std::u16string_view> seen;
  for (const std::u16string& name : deviceNames) {
    if (name.empty() || !seen.insert(name).second) {
      return false;
    }
  }
  return !deviceNames.empty();
}

}  // namespace

// ---- ServerDevice ----

ServerDevice::ServerDevice(std::shared_ptr<DeviceSetState> state, std::size_t index)
    : m_state(std::move(state)), m_index(index) {}

const std::u16string& ServerDevice::name() const {
  return m_state->deviceName(m_index);
}

HRESULT ServerDevice::SendCommand(DWORD commandCode, std::shared_ptr<BYTE> buffer, DWORD size,
                                  DWORDLONG position) {
  if (HRESULT fault = vdiTakeFault(VdiCall::SendCommand); fault != S_OK) {
    return fault;
  }
  VDC_Command command{commandCode, size, position, buffer.get()};
  return m_state->sendCommand(m_index, command, std::move(buffer));
}

HRESULT ServerDevice::WaitCompletion(DWORD dwTimeOut, VDServerCompletion* completion) {
  if (!completion) {
    return VD_E_INVALID;
  }
  if (HRESULT fault = vdiTakeFault(VdiCall::WaitCompletion); fault != S_OK) {
    return fault;
  }
  return m_state->waitCompletion(m_index, dwTimeOut, completion);
}

void ServerDevice::Close() {
  m_state->closeServerDevice(m_index);
}

// ---- ServerSet ----

HRESULT ServerSet::Open(std::u16string_view instanceName,
                        std::span<const std::u16string> deviceNames, const ServerOptions& options,
                        std::unique_ptr<ServerSet>* set) {
  if (!set || !validDeviceNames(deviceNames) || !validOptions(options)) {
    return VD_E_INVALID;
  }
  if (HRESULT fault = vdiTakeFault(VdiCall::ServerOpen); fault != S_OK) {
    return fault;
  }
  std::shared_ptr<DeviceSetState> state =
      setNamesFind(setNamesInstanceKey(instanceName), deviceNames.front());
  if (!state) {
    return VD_E_NOTOPEN;
  }
  HRESULT hr = state->serve(deviceNames, options);
  if (hr != S_OK) {
    return hr;
  }
  set->reset(new ServerSet(std::move(state), deviceNames.size()));
  return S_OK;
}

ServerSet::ServerSet(std::shared_ptr<DeviceSetState> state, std::size_t deviceCount)
    : m_state(std::move(state)) {
  m_devices.reserve(deviceCount);
  for (std::size_t i = 0; i < deviceCount; ++i) {
    m_devices.emplace_back(m_state, i);
  }
}

ServerSet::~ServerSet() {
  // A statement that ends without closing its set has failed: the client must not wait on.
  if (!m_state->closedByServer()) {
    m_state->abort();
    m_state->closeByServer();
  }
}

VDConfig ServerSet::configuration() const {
  return m_state->configuration();
}

void ServerSet::SignalAbort() {
  m_state->abort();
}

void ServerSet::Close() {
  m_state->closeByServer();
}

}  // namespace vdi
