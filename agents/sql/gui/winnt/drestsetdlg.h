// The restore controller's settings dialogs on the windowing layer: DInto, DStandby and
// DRelocate, shown modally over the main window. The application installs them at start-up
// (DRestoreController::setSettingsDialogs). User-interface thread only.
#pragma once

#include "drestctl.h"

DRestoreSettingsDialogs& theRestoreSettingsDialogs();
