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
//   dialog.h     dialogs by template id, controls by id, keys, close veto, timers,
//                notifications (onNotify), F1 and right-click help by help table
//   notify.h     control notifications, hit tests of trees and list views, a view's context help
//   ddx.h        data exchange and checks (text length, whole numbers in a range, check boxes,
//                radio groups, dates and times)
//   spin.h       spin control with range and buddy edit
//   datetime.h   date and time pickers and their locale
//   propsheet.h  property sheet of child-template pages with Apply
//   msgbox.h     message boxes with a hook for tests
//   filechooser.h  open and save file chooser with a hook for tests
//   tabstrip.h   tab strip with a vetoable change
//   frame.h      card stack in place of child windows; window placement in a screen area
//   menus.h      menu bars, pop-up menus and tool bars from bundle templates
//   uiimage.h    bundle images as bitmaps and image lists cut from strips, magenta transparent
//   profile.h    the program's profile file
//   help.h       help requests, recorded; the program's help file
//   print.h      printing with page metrics
//   uidriver.h   test driver: find, click, type, keys, tree items by path, list rows, menus,
//                combo entries, spins, wait for a modal dialog, screenshot
//
// Trees and list views are the toolkit's wxTreeCtrl and wxListCtrl (report view) as the
// templates make them; a window issue fills them with the toolkit's own calls (AddRoot,
// AppendItem, SetItemImage, InsertColumn, InsertItem, SetItem) and gives them pictures with
// AssignImageList(resImageList(strip, width).release()). A tree's check picture is its item
// image; a list row's state picture is its image in the first column.
//
// A dialog must be ended from its own event loop: a script that closes nested dialogs one after
// the other ends the inner one, then the outer one from a later event (wxTheApp->CallAfter)
// that runs once the inner dialog's loop has returned.
#pragma once

#include "datetime.h"
#include "ddx.h"
#include "dialog.h"
#include "filechooser.h"
#include "frame.h"
#include "help.h"
#include "menus.h"
#include "msgbox.h"
#include "notify.h"
#include "pnginfo.h"
#include "print.h"
#include "profile.h"
#include "propsheet.h"
#include "resbundle.h"
#include "spin.h"
#include "tabstrip.h"
#include "uiapp.h"
#include "uicall.h"
#include "uiimage.h"
