#include "handles.h"

#include <iterator>
#include <mutex>
#include <unordered_map>

namespace zkreg {

namespace {

// The roots' handles, in the order of Root.
const HKEY kRootHandles[] = {HKEY_CLASSES_ROOT, HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE};

struct HandleTable {
  std::mutex mutex;
  std::unordered_map<std::uintptr_t, OpenKey> keys;  // guarded by mutex
  std::uintptr_t next = 0x1000;                      // guarded by mutex
};

HandleTable& table() {
  static HandleTable instance;
  return instance;
}

bool rootOfHandle(HKEY handle, Root& root) {
  for (std::size_t i = 0; i < std::size(kRootHandles); ++i) {
    if (kRootHandles[i] == handle) {
      root = static_cast<Root>(i);
      return true;
    }
  }
  return false;
}

}  // namespace

HKEY openHandle(OpenKey key) {
  HandleTable& t = table();
  std::lock_guard lock(t.mutex);
  std::uintptr_t value = t.next;
  t.next += 4;  // small, aligned and never reused, so a stale handle stays invalid
  t.keys.emplace(value, std::move(key));
  return reinterpret_cast<HKEY>(value);
}

bool lookupHandle(HKEY handle, OpenKey& key) {
  Root root;
  if (rootOfHandle(handle, root)) {
    key = OpenKey{root, {}, KEY_ALL_ACCESS};
    return true;
  }
  HandleTable& t = table();
  std::lock_guard lock(t.mutex);
  auto it = t.keys.find(reinterpret_cast<std::uintptr_t>(handle));
  if (it == t.keys.end()) return false;
  key = it->second;
  return true;
}

bool closeHandle(HKEY handle) {
  Root root;
  if (rootOfHandle(handle, root)) return true;
  HandleTable& t = table();
  std::lock_guard lock(t.mutex);
  return t.keys.erase(reinterpret_cast<std::uintptr_t>(handle)) > 0;
}

}  // namespace zkreg
