// Helpers for writing COM objects in the stand-ins: a reference-counted base and a smart
// pointer. The count is atomic, so an object may be handed between threads; what else an object
// guards is its own business.
#pragma once

#include <atomic>
#include <utility>

#include "comtypes.h"

namespace com {

// Implements AddRef and Release for one interface (which derives from IUnknown); the object is
// freed when the count reaches 0. The count starts at 1: the creator holds the first reference.
// A class answers QueryInterface through interfaceFor, which returns the matching pointer or null.
template <class Interface>
class Object : public Interface {
 public:
  HRESULT QueryInterface(REFIID riid, void** object) override {
    if (object == nullptr) return E_POINTER;
    *object = riid == IID_IUnknown ? static_cast<IUnknown*>(this) : interfaceFor(riid);
    if (*object == nullptr) return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  ULONG AddRef() override { return m_refs.fetch_add(1, std::memory_order_relaxed) + 1; }
  ULONG Release() override {
    ULONG left = m_refs.fetch_sub(1, std::memory_order_acq_rel) - 1;
    if (left == 0) delete this;
    return left;
  }

 protected:
  Object() = default;
  virtual ~Object() = default;
  // The interface pointer for riid (other than IUnknown), or null.
  virtual void* interfaceFor(REFIID riid) = 0;

 private:
  std::atomic<ULONG> m_refs{1};
};

// Holds one reference to an interface, like the platform's smart pointers.
template <class T>
class Ptr {
 public:
  Ptr() = default;
  Ptr(std::nullptr_t) {}
  // Adopts a reference the caller already owns.
  static Ptr adopt(T* p) {
    Ptr r;
    r.m_p = p;
    return r;
  }
  // Takes a reference of its own.
  static Ptr share(T* p) {
    if (p != nullptr) p->AddRef();
    return adopt(p);
  }
  Ptr(const Ptr& o) : m_p(o.m_p) {
    if (m_p != nullptr) m_p->AddRef();
  }
  Ptr(Ptr&& o) noexcept : m_p(std::exchange(o.m_p, nullptr)) {}
  Ptr& operator=(Ptr o) noexcept {
    std::swap(m_p, o.m_p);
    return *this;
  }
  ~Ptr() { reset(); }

  void reset() {
    if (T* p = std::exchange(m_p, nullptr)) p->Release();
  }
  // For out parameters: releases what is held and returns the slot to fill.
  T** put() {
    reset();
    return &m_p;
  }
  void** putVoid() { return reinterpret_cast<void**>(put()); }
  // Hands the reference to the caller.
  T* detach() { return std::exchange(m_p, nullptr); }
  T* get() const { return m_p; }
  T* operator->() const { return m_p; }
  explicit operator bool() const { return m_p != nullptr; }

 private:
  T* m_p = nullptr;
};

// Creates an object of class C with its first reference held by the result.
template <class C, class... Args>
Ptr<C> make(Args&&... args) {
  return Ptr<C>::adopt(new C(std::forward<Args>(args)...));
}

}  // namespace com
