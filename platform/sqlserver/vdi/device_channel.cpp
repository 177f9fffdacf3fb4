#include "device_channel.h"

#include <algorithm>

namespace vdi {

void DeviceChannel::issue(const VDC_Command& command, std::shared_ptr<BYTE> buffer) {
  Slot& slot = m_slots.emplace_back(Slot{command, std::move(buffer), false});
  m_queued.push_back(&slot);
}

VDServerCompletion DeviceChannel::popCompletion() {
  VDServerCompletion completion = m_completions.front();
  m_completions.pop_front();
  return completion;
}

void DeviceChannel::close() {
  m_closed = true;
  m_queued.clear();
  m_slots.remove_if([](const Slot& slot) { return !slot.held; });
}

VDC_Command* DeviceChannel::take() {
  Slot* slot = m_queued.front();
  m_queued.pop_front();
  slot->held = true;
  return &slot->command;
}

std::list<DeviceChannel::Slot>::iterator DeviceChannel::findHeld(VDC_Command* cmd) {
  return std::find_if(m_slots.begin(), m_slots.end(),
                      [cmd](const Slot& slot) { return slot.held && &slot.command == cmd; });
}

HRESULT DeviceChannel::complete(VDC_Command* cmd, DWORD completionCode, DWORD bytes,
                                DWORDLONG position) {
  auto slot = findHeld(cmd);
  if (slot == m_slots.end()) {
    return VD_E_PROTOCOL;
  }
  if (bytes > slot->command.size) {
    return VD_E_INVALID;
  }
  m_completions.push_back(VDServerCompletion{slot->command, completionCode, bytes, position});
  m_slots.erase(slot);
  return S_OK;
}

bool DeviceChannel::forget(VDC_Command* cmd) {
  auto slot = findHeld(cmd);
  if (slot == m_slots.end()) {
    return false;
  }
  m_slots.erase(slot);
  return true;
}

}  // namespace vdi
