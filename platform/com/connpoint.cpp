#include "connpoint.h"

namespace com {

HRESULT ConnectionPoint::GetConnectionInterface(IID* iid) {
  if (iid == nullptr) return E_POINTER;
  *iid = m_iid;
  return S_OK;
}

HRESULT ConnectionPoint::GetConnectionPointContainer(IConnectionPointContainer** container) {
  if (container == nullptr) return E_POINTER;
  std::lock_guard lock(m_mutex);
  *container = m_detached ? nullptr : m_container;
  if (*container == nullptr) return E_UNEXPECTED;
  (*container)->AddRef();
  return S_OK;
}

HRESULT ConnectionPoint::Advise(IUnknown* sink, DWORD* cookie) {
  if (cookie == nullptr) return E_POINTER;
  *cookie = 0;
  if (sink == nullptr) return E_POINTER;
  Ptr<IUnknown> typed;
  if (FAILED(sink->QueryInterface(m_iid, typed.putVoid()))) return CONNECT_E_CANNOTCONNECT;
  std::lock_guard lock(m_mutex);
  *cookie = ++m_lastCookie;
  m_sinks[*cookie] = std::move(typed);
  return S_OK;
}

HRESULT ConnectionPoint::Unadvise(DWORD cookie) {
  Ptr<IUnknown> sink;  // released outside the lock: the sink may free itself
  std::lock_guard lock(m_mutex);
  auto it = m_sinks.find(cookie);
  if (it == m_sinks.end()) return CONNECT_E_NOCONNECTION;
  sink = std::move(it->second);
  m_sinks.erase(it);
  return S_OK;
}

HRESULT ConnectionPoint::EnumConnections(IEnumConnections** connections) {
  if (connections != nullptr) *connections = nullptr;
  return E_NOTIMPL;
}

void ConnectionPoint::clear() {
  std::map<DWORD, Ptr<IUnknown>> dropped;
  std::lock_guard lock(m_mutex);
  dropped.swap(m_sinks);
  m_detached = true;
}

std::vector<Ptr<IUnknown>> ConnectionPoint::sinks() {
  std::lock_guard lock(m_mutex);
  std::vector<Ptr<IUnknown>> out;
  for (auto& [cookie, sink] : m_sinks) out.push_back(sink);
  return out;
}

}  // namespace com
