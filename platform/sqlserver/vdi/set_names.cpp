#include "set_names.h"

#include <map>
#include <mutex>
#include <utility>

#include "device_set_state.h"
#include "vdi.h"

namespace vdi {
namespace {

using Key = std::pair<std::u16string, std::u16string>;  // instance key, set name

struct SetNames {
  std::mutex mutex;                                   // guards sets
  std::map<Key, std::weak_ptr<DeviceSetState>> sets;  // a destroyed set frees its name
};

SetNames& setNames() {
  static SetNames names;
  return names;
}

}  // namespace

std::u16string setNamesInstanceKey(std::u16string_view instanceName) {
  std::u16string key(instanceName);
  for (char16_t& c : key) {
    if (c >= u'a' && c <= u'z') {
      c = static_cast<char16_t>(c - u'a' + u'A');
    }
  }
  return key;
}

HRESULT setNamesRegister(const std::shared_ptr<DeviceSetState>& state) {
  SetNames& names = setNames();
  std::lock_guard lock(names.mutex);
  std::weak_ptr<DeviceSetState>& entry = names.sets[Key(state->instanceKey(), state->name())];
  if (!entry.expired()) {
    return VD_E_BUSY;
  }
  entry = state;
  return S_OK;
}

void setNamesUnregister(const DeviceSetState* state) {
  SetNames& names = setNames();
  std::lock_guard lock(names.mutex);
  auto entry = names.sets.find(Key(state->instanceKey(), state->name()));
  if (entry != names.sets.end() && entry->second.lock().get() == state) {
    names.sets.erase(entry);
  }
}

std::shared_ptr<DeviceSetState> setNamesFind(const std::u16string& instanceKey,
                                             const std::u16string& name) {
  SetNames& names = setNames();
  std::lock_guard lock(names.mutex);
  auto entry = names.sets.find(Key(instanceKey, name));
  if (entry == names.sets.end()) {
    return nullptr;
  }
  return entry->second.lock();
}

}  // namespace vdi
