// The command traffic of one virtual device: the commands SQL Server queued, the commands the
// client holds, and the completions waiting for SQL Server.
//
// It has no lock of its own: the set's mutex (DeviceSetState::m_mutex) guards every member and
// every call, and the two condition variables are waited on with that mutex.
#pragma once

#include <condition_variable>
#include <deque>
#include <list>
#include <memory>
#include <string>

#include "vdi.h"
#include "vdi_server.h"

namespace vdi {

class DeviceChannel {
 public:
  explicit DeviceChannel(std::u16string name) : m_name(std::move(name)) {}

  const std::u16string& name() const { return m_name; }

  // SQL Server's side.
  void issue(const VDC_Command& command, std::shared_ptr<BYTE> buffer);
  bool hasCompletion() const { return !m_completions.empty(); }
  VDServerCompletion popCompletion();
  // Something is queued, held by the client or completed: a wait for a completion can end.
  bool hasOutstanding() const { return !m_slots.empty() || !m_completions.empty(); }
  void close();  // drops the commands the client has not taken
  bool closed() const { return m_closed; }

  // The client's side.
  bool hasQueued() const { return !m_queued.empty(); }
  VDC_Command* take();  // the oldest queued command; the client holds it from now on
  // Hands back a held command with its result. VD_E_PROTOCOL when cmd is not held here,
  // VD_E_INVALID when more bytes were moved than asked for.
  HRESULT complete(VDC_Command* cmd, DWORD completionCode, DWORD bytes, DWORDLONG position);
  // Forgets a held command without a result (the conversation has ended). False when cmd is not
  // held here.
  bool forget(VDC_Command* cmd);

  bool m_clientOpened = false;  // the client opened this device (once per set)

  std::condition_variable m_commandReady;     // the client waits: a command, a close, an abort
  std::condition_variable m_completionReady;  // SQL Server waits: a completion, a close, an abort

 private:
  struct Slot {
    VDC_Command command;           // the record the client is given; its address stays put
    std::shared_ptr<BYTE> buffer;  // keeps SQL Server's buffer alive while the client may use it
    bool held = false;
  };

  std::list<Slot>::iterator findHeld(VDC_Command* cmd);

  const std::u16string m_name;
  // Queued and held commands. A held command stays here until the client hands it back, even
  // after an abort, so its buffer outlives any copy the client is still making.
  std::list<Slot> m_slots;
  std::deque<Slot*> m_queued;  // queued, not yet taken, oldest first
  std::deque<VDServerCompletion> m_completions;
  bool m_closed = false;  // SQL Server closed the device
};

}  // namespace vdi
