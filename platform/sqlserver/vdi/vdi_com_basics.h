// The COM and Windows basics that the virtual device interface is declared with: integer types,
// HRESULT, GUID and IUnknown, as the COM runtime stand-in defines them for the whole system.
#pragma once

#include "comtypes.h"
