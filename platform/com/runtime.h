// The COM runtime: per-thread initialisation and creation of objects through the class
// factories registered in this process.
//
// In-process servers register their classes when their library is loaded (com::ClassRegistrar
// as a static object; link such a library whole, see platform/sqlserver/dmo). A thread creates
// objects after CoInitializeEx; as on the platform, a thread that did not initialise COM may
// still create objects while another thread of the process holds the multithreaded apartment.
#pragma once

#include <functional>

#include "comtypes.h"

// Slot order: CreateInstance, LockServer.
class IClassFactory : public IUnknown {
 public:
  virtual HRESULT CreateInstance(IUnknown* outer, REFIID riid, void** object) = 0;
  virtual HRESULT LockServer(BOOL lock) = 0;
};

inline constexpr IID IID_IClassFactory = com::guid("00000001-0000-0000-C000-000000000046");

// S_OK on the thread's first call, S_FALSE on later ones (each needs its CoUninitialize),
// RPC_E_CHANGED_MODE when the thread is already in the other threading model.
HRESULT CoInitializeEx(void* reserved, DWORD flags);
// Ends one CoInitializeEx of the calling thread; nothing when none is in force.
void CoUninitialize();

HRESULT CoRegisterClassObject(REFCLSID clsid, IUnknown* factory, DWORD context, DWORD flags,
                              DWORD* cookie);
HRESULT CoRevokeClassObject(DWORD cookie);
HRESULT CoGetClassObject(REFCLSID clsid, DWORD context, void* serverInfo, REFIID riid,
                         void** object);
// REGDB_E_CLASSNOTREG for a class no factory serves, CO_E_NOTINITIALIZED when the thread (and
// the process) has not initialised COM, else what the class factory answers.
HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, DWORD context, REFIID riid,
                         void** object);

namespace com {

// Makes an object of a class for the interface riid; the factory behind CreateInstance.
using Creator = std::function<HRESULT(REFIID riid, void** object)>;

// Registers a class factory built on creator for the life of the process (no aggregation).
DWORD registerClass(REFCLSID clsid, Creator creator);

// Registers a class when the library that holds the object is loaded.
struct ClassRegistrar {
  ClassRegistrar(REFCLSID clsid, Creator creator) { registerClass(clsid, std::move(creator)); }
};

}  // namespace com
