// The library's exports as a table of function pointers, filled either from the linked library
// or, as the agent does it, by dlopen of libhublorapi.so from a folder and dlsym by name.
#pragma once

#include "hublorctl.h"

// clang-format off
#define HUBLOR_ENTRY_POINTS(X) \
  X(pelkBeginGetData)          \
  X(pelkBeginQuery)            \
  X(pelkBeginTxn)              \
  X(pelkBindMC)                \
  X(pelkChangePW)              \
  X(pelkCleanUp)               \
  X(pelkDeleteAccess)          \
  X(pelkDeleteFS)              \
  X(pelkDeleteObj)             \
  X(pelkEndGetData)            \
  X(pelkEndGetObj)             \
  X(pelkEndQuery)              \
  X(pelkEndSendObj)            \
  X(pelkEndTxn)                \
  X(pelkGetData)               \
  X(pelkGetNextQObj)           \
  X(pelkGetObj)                \
  X(pelkInit)                  \
  X(pelkLogEventEx)            \
  X(pelkQueryAccess)           \
  X(pelkQueryApiVersion)       \
  X(pelkQueryCliOptions)       \
  X(pelkQuerySessInfo)         \
  X(pelkQuerySessOptions)      \
  X(pelkRegisterFS)            \
  X(pelkRenameObj)             \
  X(pelkRCMsg)                 \
  X(pelkSetAccess)             \
  X(pelkSendData)              \
  X(pelkSendObj)               \
  X(pelkSetUp)                 \
  X(pelkTerminate)             \
  X(pelkUpdateFS)              \
  X(pelkUpdateObj)
// clang-format on

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
