#include "vdevices.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <mutex>
#include <thread>

#include "backup_restore.h"
#include "bstr.h"

namespace sqlengine {

std::string hresultText(HRESULT hr) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(hr));
  return text;
}

SqlError StatementDevices::fail(SqlError cause) {
  if (set) {
    set->SignalAbort();
    set->Close();
  }
  SqlError terminating = sqlMessage(kMsgBackupTerminating, {statementName});
  cause.text += "\n" + terminating.text;
  return cause;
}

SqlError StatementDevices::deviceFault(std::size_t i, bool write, const std::string& what) {
  return sqlMessage(write ? kMsgWriteFailed : kMsgReadFailed, {names.at(i), what});
}

namespace {

// The names of the set the statement opens: the virtual devices' own, or those of the set the
// engine serves over the DISK devices' files.
SqlError setDeviceNames(Instance& instance, const std::vector<BackupDevice>& devices, bool write,
                        StatementDevices& out, std::vector<std::string>& setNames) {
  auto isDisk = [](const BackupDevice& d) { return d.kind == BackupDevice::kDisk; };
  std::size_t disks = std::count_if(devices.begin(), devices.end(), isDisk);
  for (const BackupDevice& d : devices) out.names.push_back(d.name);
  if (disks == 0) {
    setNames = out.names;
    return {};
  }
  if (disks != devices.size()) {
    return sqlMessage(kMsgEngineFailure,
                      {"The devices of one statement must be all DISK or all VIRTUAL_DEVICE."});
  }
  out.disks = std::make_unique<DiskDevices>();
  return out.disks->open(instance, devices, write, setNames);
}

}  // namespace

SqlError openStatementDevices(Instance& instance, const std::vector<BackupDevice>& devices,
                              const TransferOptions& transfer, const std::string& statementName,
                              bool write, StatementDevices& out) {
  out.statementName = statementName;
  std::vector<std::string> setNames;
  if (SqlError e = setDeviceNames(instance, devices, write, out, setNames); !e.ok())
    return out.fail(e);
  std::vector<std::u16string> names;
  for (const std::string& name : setNames) names.push_back(com::toUtf16(name));
  vdi::ServerOptions options{transfer.blockSize.value_or(kDefaultBlockSize),
                             transfer.maxTransferSize.value_or(kDefaultMaxTransfer)};
  std::u16string instanceName =
      instance.name() == kDefaultInstance ? u"" : com::toUtf16(instance.name());
  HRESULT hr = vdi::ServerSet::Open(instanceName, names, options, &out.set);
  if (FAILED(hr)) {
    out.set.reset();
    return out.fail(
        sqlMessage(kMsgCannotOpenDevice, {out.names.empty() ? "" : out.names[0], hresultText(hr)}));
  }
  out.config = out.set->configuration();
  return {};
}

std::atomic<std::uint64_t> gBufferBytes{0};
std::atomic<std::uint64_t> gBufferPeakBytes{0};

std::uint64_t deviceBufferBytes() {
  return gBufferBytes.load();
}

std::uint64_t deviceBufferPeakBytes() {
  return gBufferPeakBytes.load();
}

void resetDeviceBufferPeak() {
  gBufferPeakBytes.store(gBufferBytes.load());
}

DevicePipe::DevicePipe(StatementDevices& devices, std::size_t device, bool write,
                       std::uint32_t depth)
    : m_devices(devices), m_device(device), m_write(write), m_depth(std::max(depth, 1u)) {}

DevicePipe::~DevicePipe() {
  gBufferBytes -= m_buffers.size() * m_devices.config.maxTransferSize;
}

BYTE* DevicePipe::nextBuffer() {
  if (m_free.empty()) {
    m_free.push_back(m_buffers.size());
    m_buffers.emplace_back(new BYTE[m_devices.config.maxTransferSize],
                           std::default_delete<BYTE[]>());
    std::uint64_t held = gBufferBytes += m_devices.config.maxTransferSize;
    std::uint64_t peak = gBufferPeakBytes.load();
    while (held > peak && !gBufferPeakBytes.compare_exchange_weak(peak, held)) {
    }
  }
  return m_buffers[m_free.back()].get();
}

SqlError DevicePipe::send(DWORD commandCode, DWORD size) {
  bool data = commandCode == VDC_Read || commandCode == VDC_Write;
  std::size_t slot = kNoBuffer;
  if (data) {
    nextBuffer();
    slot = m_free.back();
  }
  HRESULT hr = data ? m_devices.device(m_device).SendCommand(commandCode, m_buffers[slot], size)
                    : m_devices.device(m_device).SendCommand(commandCode);
  if (FAILED(hr)) return m_devices.deviceFault(m_device, m_write, hresultText(hr));
  if (data) m_free.pop_back();
  m_inFlight.push_back(slot);
  return {};
}

SqlError DevicePipe::awaitOldest(vdi::VDServerCompletion& done, const BYTE** dataP) {
  if (SqlError e = awaitCompletion(m_devices, m_device, m_write, &done); !e.ok()) return e;
  std::size_t slot = m_inFlight.front();
  const BYTE* expected = slot == kNoBuffer ? nullptr : m_buffers[slot].get();
  if (done.command.buffer != expected)
    return m_devices.deviceFault(m_device, m_write, "a command came back out of order");
  m_inFlight.pop_front();
  if (slot != kNoBuffer) m_free.push_back(slot);
  if (dataP != nullptr) *dataP = expected;
  return {};
}

SqlError DevicePipe::drain() {
  while (!idle()) {
    vdi::VDServerCompletion done{};
    if (SqlError e = awaitOldest(done); !e.ok()) return e;
  }
  return {};
}

SqlError runPerDevice(StatementDevices& devices, const std::function<SqlError(std::size_t)>& body) {
  std::size_t count = devices.names.size();
  if (count == 1) return body(0);
  std::mutex mutex;
  SqlError first;  // guarded by mutex
  bool failed = false;
  std::vector<std::thread> threads;
  for (std::size_t i = 0; i < count; ++i) {
    threads.emplace_back([&, i] {
      SqlError e = body(i);
      if (e.ok()) return;
      std::lock_guard lock(mutex);
      if (failed) return;
      failed = true;
      first = e;
      devices.set->SignalAbort();
    });
  }
  for (std::thread& t : threads) t.join();
  return first;
}

std::uint32_t buffersPerDevice(const TransferOptions& transfer) {
  std::uint32_t count = transfer.bufferCount.value_or(kDefaultBufferCount);
  return std::clamp(count, 1u, kMaxBuffersPerDevice);
}

}  // namespace sqlengine
