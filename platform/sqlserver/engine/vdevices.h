// The statement's side of its virtual device set: opening the set the client created under the
// statement's first device name, and the round trips of commands with the messages SQL Server
// gives when a device fails.
#pragma once

#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "disk_devices.h"
#include "instance.h"
#include "sqlerror.h"
#include "statement.h"
#include "vdi_server.h"

namespace sqlengine {

// Block size, largest transfer and buffers per device when the statement names none.
inline constexpr std::uint32_t kDefaultBlockSize = 512;
inline constexpr std::uint32_t kDefaultMaxTransfer = 1024 * 1024;
inline constexpr std::uint32_t kDefaultBufferCount = 2;
// BUFFERCOUNT beyond this many commands in flight per device gains nothing.
inline constexpr std::uint32_t kMaxBuffersPerDevice = 64;

struct StatementDevices {
  std::string statementName;           // "BACKUP DATABASE", "RESTORE LOG", ...
  std::vector<std::string> names;      // as the statement names the devices
  std::unique_ptr<DiskDevices> disks;  // the files of DISK devices, served as the set
  std::unique_ptr<vdi::ServerSet> set;
  VDConfig config{};

  bool removable() const { return (config.features & VDF_Removable) != 0; }
  vdi::ServerDevice& device(std::size_t i) { return set->device(i); }

  // A failed statement: the set is aborted, so that the client stops at once, then closed.
  // Returns the statement's message: the fault's own, then "... is terminating abnormally."
  SqlError fail(SqlError cause);
  // The fault of one device: a refused command or a failed call, as messages 3202 (write) and
  // 3203 (read) say it.
  SqlError deviceFault(std::size_t i, bool write, const std::string& what);
};

// Commands in flight on one device: up to `depth` at once, each Read or Write with a buffer of
// its own of the set's largest transfer, made when first needed and reused as commands come
// back. The client moves the data straight into or out of these buffers. Used by one thread.
class DevicePipe {
 public:
  DevicePipe(StatementDevices& devices, std::size_t device, bool write, std::uint32_t depth);
  ~DevicePipe();
  DevicePipe(const DevicePipe&) = delete;
  DevicePipe& operator=(const DevicePipe&) = delete;

  bool full() const { return m_inFlight.size() >= m_depth; }
  bool idle() const { return m_inFlight.empty(); }
  // The buffer the next Read or Write carries.
  BYTE* nextBuffer();
  // Sends a command; Read and Write carry nextBuffer() with size bytes.
  SqlError send(DWORD commandCode, DWORD size = 0);
  // Waits for the oldest command in flight and checks it (awaitCompletion's rules); a command
  // coming back out of order is the device's fault. A read's data stay in the returned buffer
  // until the next call of nextBuffer.
  SqlError awaitOldest(vdi::VDServerCompletion& done, const BYTE** dataP = nullptr);
  // Waits for every command in flight.
  SqlError drain();

 private:
  static constexpr std::size_t kNoBuffer = static_cast<std::size_t>(-1);

  StatementDevices& m_devices;
  std::size_t m_device;
  bool m_write;
  std::uint32_t m_depth;
  std::vector<std::shared_ptr<BYTE>> m_buffers;
  std::vector<std::size_t> m_free;     // buffers no command holds
  std::deque<std::size_t> m_inFlight;  // the buffer of each command in flight, oldest first
};

// The bytes of device buffers the pipes of this process hold, and the most they held since the
// last reset: the memory the server's side of the virtual devices takes, which a benchmark
// tells apart from its client's.
std::uint64_t deviceBufferBytes();
std::uint64_t deviceBufferPeakBytes();
void resetDeviceBufferPeak();

// Runs body(i) for every device of the set, each on a thread of its own (one device: on the
// calling thread). The first failure aborts the set, so that every other device's wait ends,
// and is the result; failures that follow from that abort are dropped.
SqlError runPerDevice(StatementDevices& devices, const std::function<SqlError(std::size_t)>& body);

// Commands in flight per device for the statement's BUFFERCOUNT.
std::uint32_t buffersPerDevice(const TransferOptions& transfer);

// Opens the set for the statement (write: a backup). The devices are all virtual devices, or
// all DISK devices (a file each, disk_devices.h); a statement that mixes them is refused.
SqlError openStatementDevices(Instance& instance, const std::vector<BackupDevice>& devices,
                              const TransferOptions& transfer, const std::string& statementName,
                              bool write, StatementDevices& out);

// The text of an interface result for a message: "0x80770004".
std::string hresultText(HRESULT hr);

}  // namespace sqlengine
