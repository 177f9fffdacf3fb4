#include "runtime.h"

#include <atomic>
#include <map>
#include <mutex>

#include "object.h"

namespace {

struct ThreadState {
  int count = 0;  // CoInitializeEx calls not yet ended by CoUninitialize
  DWORD model = COINIT_MULTITHREADED;
};
thread_local ThreadState t_state;

// Threads of the process that hold the multithreaded apartment (implicit membership for others).
std::atomic<int> g_mtaThreads{0};

class ClassTable {
 public:
  DWORD add(REFCLSID clsid, com::Ptr<IUnknown> factory) {
    std::lock_guard lock(m_mutex);
    DWORD cookie = ++m_lastCookie;
    m_entries[cookie] = Entry{clsid, std::move(factory)};
    return cookie;
  }
  bool remove(DWORD cookie) {
    std::lock_guard lock(m_mutex);
    return m_entries.erase(cookie) == 1;
  }
  // The most recent registration of clsid wins, as on the platform.
  com::Ptr<IUnknown> find(REFCLSID clsid) {
    std::lock_guard lock(m_mutex);
    for (auto it = m_entries.rbegin(); it != m_entries.rend(); ++it) {
      if (it->second.clsid == clsid) return it->second.factory;
    }
    return nullptr;
  }

 private:
  struct Entry {
    CLSID clsid;
    com::Ptr<IUnknown> factory;
  };
  std::mutex m_mutex;  // guards m_entries and m_lastCookie
  std::map<DWORD, Entry> m_entries;
  DWORD m_lastCookie = 0;
};

// Built on first use, so that registrations from static objects of other libraries find it;
// never destroyed, so that objects released during exit still find their factory.
ClassTable& classTable() {
  static ClassTable* table = new ClassTable;
  return *table;
}

class Factory final : public com::Object<IClassFactory> {
 public:
  explicit Factory(com::Creator creator) : m_creator(std::move(creator)) {}
  HRESULT CreateInstance(IUnknown* outer, REFIID riid, void** object) override {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (outer != nullptr) return CLASS_E_NOAGGREGATION;
    return m_creator(riid, object);
  }
  HRESULT LockServer(BOOL) override { return S_OK; }

 private:
  void* interfaceFor(REFIID riid) override {
    return riid == IID_IClassFactory ? static_cast<IClassFactory*>(this) : nullptr;
  }
  const com::Creator m_creator;
};

bool threadMayUseCom() {
  return t_state.count > 0 || g_mtaThreads.load() > 0;
}

}  // namespace

HRESULT CoInitializeEx(void* reserved, DWORD flags) {
  if (reserved != nullptr) return E_INVALIDARG;
  DWORD model =
      (flags & COINIT_APARTMENTTHREADED) != 0 ? COINIT_APARTMENTTHREADED : COINIT_MULTITHREADED;
  if (t_state.count > 0 && t_state.model != model) return RPC_E_CHANGED_MODE;
  if (t_state.count++ > 0) return S_FALSE;
  t_state.model = model;
  if (model == COINIT_MULTITHREADED) ++g_mtaThreads;
  return S_OK;
}

void CoUninitialize() {
  if (t_state.count == 0) return;
  if (--t_state.count == 0 && t_state.model == COINIT_MULTITHREADED) --g_mtaThreads;
}

HRESULT CoRegisterClassObject(REFCLSID clsid, IUnknown* factory, DWORD, DWORD, DWORD* cookie) {
  if (factory == nullptr || cookie == nullptr) return E_POINTER;
  *cookie = classTable().add(clsid, com::Ptr<IUnknown>::share(factory));
  return S_OK;
}

HRESULT CoRevokeClassObject(DWORD cookie) {
  return classTable().remove(cookie) ? S_OK : E_INVALIDARG;
}

HRESULT CoGetClassObject(REFCLSID clsid, DWORD, void*, REFIID riid, void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  if (!threadMayUseCom()) return CO_E_NOTINITIALIZED;
  com::Ptr<IUnknown> factory = classTable().find(clsid);
  if (!factory) return REGDB_E_CLASSNOTREG;
  return factory->QueryInterface(riid, object);
}

HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, DWORD context, REFIID riid,
                         void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  com::Ptr<IClassFactory> factory;
  HRESULT hr = CoGetClassObject(clsid, context, nullptr, IID_IClassFactory, factory.putVoid());
  if (FAILED(hr)) return hr;
  return factory->CreateInstance(outer, riid, object);
}

namespace com {

DWORD registerClass(REFCLSID clsid, Creator creator) {
  auto factory = make<Factory>(std::move(creator));
  DWORD cookie = 0;
  CoRegisterClassObject(clsid, factory.get(), CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &cookie);
  return cookie;
}

}  // namespace com
