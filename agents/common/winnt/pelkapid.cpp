#include "pelkapid.h"

#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "agtrc.h"
#include "agttrc.h"
#include "psutil.h"

void* DPelkApi::m_ModuleP = nullptr;

namespace {

constexpr size_t LIBRARY_PATH_SIZE = 1024 + sizeof PELK_LIBRARY_NAME;

// The library stays mapped after its handle is closed (RTLD_NODELETE): the client library keeps
// process-wide objects that live until the process ends, and unmapping them would strand them.
// Closing still releases the handle, and every slot is unbound, so nothing is reachable.
void* openLibrary(const char* pathP) {
  void* moduleP = dlopen(pathP, RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
  if (moduleP == nullptr) {
    const char* whyP = dlerror();
    TRACE_LINE(TRC_API, "dlopen( %s ) failed: %s\n", pathP, whyP != nullptr ? whyP : "");
  }
  return moduleP;
}

}  // namespace

DPelkApiDL::DPelkApiDL(const char* nodeNameP, const char* passwordP, const char* optFileP,
                       pelkPasswordCallback pwCallbackP)
    : DPelkApi(nodeNameP, passwordP, optFileP, pwCallbackP) {
  TRACE_LINE(TRC_API, "DPelkApiDL::DPelkApiDL()\n");
}

DPelkApiDL::~DPelkApiDL() {
  TRACE_LINE(TRC_API, "DPelkApiDL::~DPelkApiDL()\n");
}

int DPelkApiDL::Setup() {
  TRACE_ENTRY(TRC_API, "DPelkApiDL::Setup");
  if (m_ModuleP != nullptr) {
    TRACE_LINE(TRC_API, "%s already loaded\n", PELK_LIBRARY_NAME);
    TRACE_RETURN(RC_OK);
  }
  m_ModuleP = loadMoxtarDll();
  if (m_ModuleP == nullptr) {
    TRACE_RETURN(RC_API_LOAD_FAILED);
  }
  PelkEntryPoints bound{};
  if (!bindAll(m_ModuleP, &bound)) {
    Cleanup();
    TRACE_RETURN(RC_API_LOAD_FAILED);
  }
  m_EntryPoints = bound;
  TRACE_RETURN(RC_OK);
}

namespace {

// Binds one entry point by name into *slotP: false when the library lacks it.
template <typename Entry>
bool bindEntry(void* moduleP, const char* nameP, Entry* slotP) {
  void* symbolP = nullptr;
  if (!DPelkApiDL::getProcAddr(moduleP, nameP, &symbolP)) return false;
  *slotP = reinterpret_cast<Entry>(symbolP);
  return true;
}

}  // namespace

bool DPelkApiDL::bindAll(void* moduleP, PelkEntryPoints* boundP) {
  bool bound = true;  // no call to bindEntry after the first name missing
#define PELK_BIND(name) bound = bound && bindEntry(moduleP, #name, &boundP->name);
  PELK_ENTRY_POINTS(PELK_BIND)
#undef PELK_BIND
  return bound;
}

int DPelkApiDL::Cleanup() {
  TRACE_ENTRY(TRC_API, "DPelkApiDL::Cleanup");
  if (m_ModuleP != nullptr) {
    dlclose(m_ModuleP);
    m_ModuleP = nullptr;
  } else {
    TRACE_LINE(TRC_API, "%s is not loaded\n", PELK_LIBRARY_NAME);
  }
  ClearPointers();
  TRACE_RETURN(RC_OK);
}

void* DPelkApiDL::loadMoxtarDll() {
  TRACE_ENTRY(TRC_API, "DPelkApiDL::loadMoxtarDll");
  char path[LIBRARY_PATH_SIZE] = "";
  if (psGetMOXTARAPIDir(path, sizeof path - sizeof PELK_LIBRARY_NAME) != 0) {
    TRACE_LINE(TRC_API, "The interface directory is not known\n");
    path[0] = '\0';
  }
  if (path[0] != '\0') {
    std::strcat(path, PELK_LIBRARY_NAME);
    void* moduleP = openLibrary(path);
    if (moduleP != nullptr) {
      return moduleP;
    }
    TRACE_LINE(TRC_API, "%s is not in the interface directory\n", PELK_LIBRARY_NAME);
  }
  if (gTrace.isOn(TRC_API)) {
    const char* searchP = std::getenv("LD_LIBRARY_PATH");
    TRACE_LINE(TRC_API, "Path is %s\n", searchP != nullptr ? searchP : "");
  }
  return openLibrary(PELK_LIBRARY_NAME);  // the library search path
}

bool DPelkApiDL::getProcAddr(void* moduleP, const char* nameP, void** slotP) {
  dlerror();
  *slotP = dlsym(moduleP, nameP);
  if (*slotP == nullptr) {
    const char* whyP = dlerror();
    TRACE_LINE(TRC_API, "\nFunction '%s' wasn't found.\n", nameP);
    TRACE_LINE(TRC_API, "dlsym: %s\n", whyP != nullptr ? whyP : "");
    return false;
  }
  TRACE_LINE(TRC_API, "\nFunction '%s' Loaded.\n", nameP);
  return true;
}
