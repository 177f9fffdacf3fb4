// The COM stand-in: everything a caller of COM interfaces needs, in one include.
#pragma once

#include "bstr.h"
#include "comtypes.h"
#include "connpoint.h"
#include "errorinfo.h"
#include "object.h"
#include "runtime.h"
