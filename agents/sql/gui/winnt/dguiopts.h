// The windowed program's options record: filled at start-up, then read and written by the
// windows, dialogs and controllers before each command. User-interface thread only.
#pragma once

#include "optinfo.h"

OptionsInfo& guiOptions();
