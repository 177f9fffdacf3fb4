// SQL Server's side of the Virtual Device Interface, for the emulated engine: it opens the set a
// client created (by instance and by the name of the statement's first device), sends commands
// to the devices and waits for their completion.
//
// How a statement drives it:
//   BACKUP:  ServerSet::Open with the statement's device names; per device, Write commands
//            (SendCommand with the engine's buffer, then WaitCompletion) carrying one media
//            family; then a Flush on every device, and only then the waits for the flushes;
//            Close. A refused write (completion code other than 0), VD_E_ABORT or VD_E_CLOSE
//            fails the statement (SignalAbort, then Close).
//   RESTORE: Read commands until a read completes with ERROR_HANDLE_EOF (the end of the medium;
//            a short read before it carries the last bytes); Load (sets with VDF_Removable) to
//            ask the client for its next medium on the same device, after which a first read
//            that ends at once with ERROR_HANDLE_EOF means the device has no medium left; Close.
// Several commands may be outstanding on one device; completions come back in the order the
// client completes them.
//
// Buffers: a command carries the engine's own buffer and the client moves the data straight
// into or out of it: the engine leaves a write's buffer as it is and reads a read's buffer only
// once the command has come back. The set keeps a reference to the buffer (a shared_ptr, which
// may alias a part of a larger block) while the client may still touch it, even past an abort,
// so the engine may drop its own reference at any time.
//
// Faults: vdi_fault.h makes chosen calls of either side fail.
//
// Threads: every call may be made from any thread. Destroying a ServerSet that was not closed
// aborts the conversation, so the client never waits for a statement that has gone.
#pragma once

#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "vdi.h"

namespace vdi {

class DeviceSetState;

// What SQL Server fills into the set's configuration when it opens the set.
struct ServerOptions {
  DWORD blockSize = 512;                // a power of two, 512 to 65536
  DWORD maxTransferSize = 1024 * 1024;  // a multiple of blockSize, at most 4 MiB
};

// A command as it came back from the client.
struct VDServerCompletion {
  VDC_Command command;     // as sent
  DWORD completionCode;    // ERROR_SUCCESS, ERROR_HANDLE_EOF, ...
  DWORD bytesTransferred;  // at most command.size
  DWORDLONG position;      // as the client gave it
};

// One device of an open set, SQL Server's side.
class ServerDevice {
 public:
  ServerDevice(std::shared_ptr<DeviceSetState> state, std::size_t index);

  const std::u16string& name() const;

  // Queues a command for the client. Read and Write take buffer and size (at most the set's
  // maxTransferSize); the other commands take neither. S_OK; VD_E_ABORT; VD_E_CLOSE when the
  // client closed the set; VD_E_NOTSUPPORTED for an unknown command or one the set's features
  // exclude (Load without VDF_Removable, Discard without VDF_Discard); VD_E_INVALID for a bad
  // size or buffer; VD_E_PROTOCOL after this device or the set was closed.
  HRESULT SendCommand(DWORD commandCode, std::shared_ptr<BYTE> buffer = {}, DWORD size = 0,
                      DWORDLONG position = 0);

  // Waits up to dwTimeOut ms for the next completed command of this device.
  // S_OK; VD_E_TIMEOUT; VD_E_ABORT; VD_E_CLOSE when the client closed the set; VD_E_PROTOCOL
  // when nothing is outstanding (the wait could never end) or the device was closed.
  HRESULT WaitCompletion(DWORD dwTimeOut, VDServerCompletion* completion);

  // Ends this device: the client's next GetCommand answers VD_E_CLOSE; commands not yet taken
  // are dropped. Closing twice is harmless.
  void Close();

 private:
  std::shared_ptr<DeviceSetState> m_state;
  std::size_t m_index;
};

// An open set, SQL Server's side.
class ServerSet {
 public:
  // Opens the set that a client created under deviceNames[0] for the instance (empty: the
  // default instance); deviceNames are the statement's devices, distinct, as many as the
  // client's deviceCount. The client's GetConfiguration returns from then on.
  // S_OK; VD_E_NOTOPEN when no client created the set; VD_E_BUSY when a statement already
  // opened it; VD_E_ABORT; VD_E_INVALID for bad names, a device count other than the client's
  // or bad options.
  static HRESULT Open(std::u16string_view instanceName, std::span<const std::u16string> deviceNames,
                      const ServerOptions& options, std::unique_ptr<ServerSet>* set);

  ~ServerSet();
  ServerSet(const ServerSet&) = delete;
  ServerSet& operator=(const ServerSet&) = delete;

  VDConfig configuration() const;
  std::size_t deviceCount() const { return m_devices.size(); }
  ServerDevice& device(std::size_t index) { return m_devices.at(index); }

  // Aborts the conversation (a failed statement): every waiter on both sides wakes.
  void SignalAbort();

  // Ends the conversation: closes every device. Closing twice is harmless.
  void Close();

 private:
  ServerSet(std::shared_ptr<DeviceSetState> state, std::size_t deviceCount);

  std::shared_ptr<DeviceSetState> m_state;
  std::vector<ServerDevice> m_devices;
};

}  // namespace vdi
