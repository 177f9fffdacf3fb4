// The storage-manager interface wrapper that the agent programs create: DPelkApi with the
// loading. Setup loads libhublorapi.so at run time, from the interface directory first, then
// through the library search path, and binds all 34 entry points by name, or none; Cleanup
// releases it and unbinds every slot. (The library stays mapped until the process ends: its
// process-wide objects live that long. A later load by the bare name then finds that copy.) Each
// front end creates one object, keeps it in gPelkApiObjP, calls Setup before anything else and
// Cleanup at the end.
//
// Threads: Setup and Cleanup run while no other thread uses the interface.
#pragma once

#include "pelkapi.h"

// The library's file name ("hublorapi.dll" of the original platform).
constexpr char PELK_LIBRARY_NAME[] = "libhublorapi.so";

class DPelkApiDL : public DPelkApi {
 public:
  DPelkApiDL(const char* nodeNameP, const char* passwordP, const char* optFileP,
             pelkPasswordCallback pwCallbackP);
  ~DPelkApiDL() override;

  // 0 (also when already loaded: nothing is bound anew) or 104 (the library or one of its entry
  // points is missing; nothing stays loaded).
  int Setup() override;
  // Releases the library when loaded and unbinds every slot; returns 0.
  int Cleanup() override;

  // The module handle of the library, or null when it cannot be loaded.
  static void* loadMoxtarDll();
  // Looks one entry point up into *slotP: false when the library lacks it.
  static bool getProcAddr(void* moduleP, const char* nameP, void** slotP);

 private:
  // Binds every entry point in table order into *boundP: false at the first one missing.
  static bool bindAll(void* moduleP, PelkEntryPoints* boundP);
};
