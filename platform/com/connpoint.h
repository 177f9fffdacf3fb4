// Connection points: an object raises events on the sink interfaces its clients advise.
#pragma once

#include <functional>
#include <map>
#include <mutex>
#include <vector>

#include "comtypes.h"
#include "object.h"

class IConnectionPointContainer;
class IEnumConnections;
class IEnumConnectionPoints;

// Slot order: GetConnectionInterface, GetConnectionPointContainer, Advise, Unadvise,
// EnumConnections.
class IConnectionPoint : public IUnknown {
 public:
  virtual HRESULT GetConnectionInterface(IID* iid) = 0;
  virtual HRESULT GetConnectionPointContainer(IConnectionPointContainer** container) = 0;
  virtual HRESULT Advise(IUnknown* sink, DWORD* cookie) = 0;
  virtual HRESULT Unadvise(DWORD cookie) = 0;
  virtual HRESULT EnumConnections(IEnumConnections** connections) = 0;
};

// Slot order: EnumConnectionPoints, FindConnectionPoint.
class IConnectionPointContainer : public IUnknown {
 public:
  virtual HRESULT EnumConnectionPoints(IEnumConnectionPoints** points) = 0;
  virtual HRESULT FindConnectionPoint(REFIID riid, IConnectionPoint** point) = 0;
};

inline constexpr IID IID_IConnectionPoint = com::guid("B196B286-BAB4-101A-B69C-00AA00341D07");
inline constexpr IID IID_IConnectionPointContainer =
    com::guid("B196B284-BAB4-101A-B69C-00AA00341D07");

namespace com {

// A connection point for one sink interface. Advise holds a reference to the sink (queried
// for the sink interface) until Unadvise; enumeration is not offered (E_NOTIMPL).
// The container is held as a plain pointer: the container owns the point and outlives it.
class ConnectionPoint final : public Object<IConnectionPoint> {
 public:
  ConnectionPoint(REFIID sinkIid, IConnectionPointContainer* container)
      : m_iid(sinkIid), m_container(container) {}

  HRESULT GetConnectionInterface(IID* iid) override;
  HRESULT GetConnectionPointContainer(IConnectionPointContainer** container) override;
  HRESULT Advise(IUnknown* sink, DWORD* cookie) override;
  HRESULT Unadvise(DWORD cookie) override;
  HRESULT EnumConnections(IEnumConnections** connections) override;

  // Calls fn for every advised sink (as the sink interface); the sinks are collected first,
  // so a sink may advise or unadvise from inside its event.
  template <class Sink>
  void fire(const std::function<void(Sink*)>& fn) {
    for (auto& sink : sinks()) fn(static_cast<Sink*>(sink.get()));
  }
  // Drops every advice (the container is going away).
  void clear();

 private:
  void* interfaceFor(REFIID riid) override {
    return riid == IID_IConnectionPoint ? static_cast<IConnectionPoint*>(this) : nullptr;
  }
  std::vector<Ptr<IUnknown>> sinks();

  const IID m_iid;
  IConnectionPointContainer* const m_container;
  std::mutex m_mutex;  // guards m_sinks, m_lastCookie and m_container use
  std::map<DWORD, Ptr<IUnknown>> m_sinks;
  DWORD m_lastCookie = 0;
  bool m_detached = false;  // guarded by m_mutex: the container is gone
};

}  // namespace com
