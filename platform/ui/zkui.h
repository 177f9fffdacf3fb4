// The windowing layer: what the windowed programs use in place of the system's class library
// and common controls, built on wxWidgets 3.2. One header per part, each stating its contract;
// this one includes them all and gives the rules they share.
//
// Threads: one user-interface thread, the one that called uiStart (uiapp.h). Windows, dialogs,
// controls, timers and the test driver are used on it only. Other threads reach it through
// callOnUiThread (uicall.h) with a window's call target, or messageBox (msgbox.h), which does
// that itself. The parts without windows (resource bundles, calls, profile, help record) are
// safe on any thread and need no display.
//
// Ownership: controls belong to their dialog's window, windows to their parent; a Dialog object
// is separate from its window and outlives it or destroys it (dialog.h). Bundles are shared,
// immutable and kept alive by whoever holds them (resbundle.h).
//
// Return values: functions return codes (0 for success) or null/empty for "none", as each
// header says; nothing throws across the layer.
//
//   resbundle.h  bundles of dialogs, strings, menus, tool bars and images; the current source
//   pnginfo.h    an image's header, colour table and palette records
//   uiapp.h      start, event loop and end of the layer
//   uicall.h     synchronous calls to the user-interface thread
//   dialog.h     dialogs by template id, controls by id, keys, close veto, timers
//   ddx.h        data exchange and checks (text length, whole numbers in a range, check boxes,
//                radio groups)
//   msgbox.h     message boxes with a hook for tests
//   tabstrip.h   tab strip with a vetoable change
//   frame.h      card stack in place of child windows; window placement
//   menus.h      menu bars, pop-up menus and tool bars from bundle templates
//   uiimage.h    bundle images as bitmaps, magenta as the transparent key
//   profile.h    the program's profile file
//   help.h       help requests, recorded
//   print.h      printing with page metrics
//   uidriver.h   test driver: find, click, type, read, wait for a modal dialog, screenshot
#pragma once

#include "ddx.h"
#include "dialog.h"
#include "frame.h"
#include "help.h"
#include "menus.h"
#include "msgbox.h"
#include "pnginfo.h"
#include "print.h"
#include "profile.h"
#include "resbundle.h"
#include "tabstrip.h"
#include "uiapp.h"
#include "uicall.h"
#include "uiimage.h"
