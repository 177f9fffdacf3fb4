// The library's exports as a table of function pointers, filled either from the linked library
// or, as the agent does it, by dlopen of libhublorapi.so from a folder and dlsym by name.
#pragma once

#include "hublorctl.h"

#define HUBLOR_CONTROLS(X) \
  X(hublorCtlArmFault)     \
  X(hublorCtlClearFaults) X(hublorCtlSetApiVersion) X(hublorCtlSetClock) X(hublorCtlOpenSessions)

struct Api {
#define HUBLOR_SLOT(name) decltype(&::name) name = nullptr;
  HUBLOR_ENTRY_POINTS(HUBLOR_SLOT)
  HUBLOR_CONTROLS(HUBLOR_SLOT)
#undef HUBLOR_SLOT
};

// The table for this test program (see api_direct.cpp and api_dlopen.cpp).
const Api& api();
