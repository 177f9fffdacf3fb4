// Menu bars, pop-up menus and tool bars made from a bundle's templates. Command ids are the
// template's ids; a menu or tool choice reaches the frame as a wxEVT_MENU / wxEVT_TOOL event
// with the item id of that command (menuItemId). User-interface thread only; the caller owns
// what it gets until it hands it to a frame (SetMenuBar, SetToolBar), which then owns it.
//
// Command ids are 16-bit words, as the programs' templates give them (up to 0xDFFF). The
// toolkit takes item ids below 0x7FFF, and negative ones within its range of automatic ids: a
// command id from 0x7FFF up is made an item with its value as a signed 16-bit word (40070 is
// item -25466), which covers commands 33536 to 63536. Below 0x7FFF both ids are the same.
#pragma once

#include <wx/frame.h>
#include <wx/menu.h>
#include <wx/toolbar.h>

#include <functional>

#include "resbundle.h"

namespace zkui {

// The template's top-level popups become the bar's menus (a top-level item becomes a menu
// without entries, named by its text). Null when there is no such template.
wxMenuBar* makeMenuBar(const ResourceBundle& bundle, int menuId);
// The item id of a command id, and the command id of an item id.
int menuItemId(int commandId);
int menuCommandId(int itemId);
// The items of the template (its first popup when it has only popups), for a context menu.
wxMenu* makePopupMenu(const ResourceBundle& bundle, int menuId);
// The frame's tool bar: one button per command id, its picture cut from the strip image
// (buttonWidth pixels each, magenta transparent) in order of the non-separator buttons.
wxToolBar* makeToolBar(wxFrame* frameP, const ResourceBundle& bundle, int toolbarId);

// Shows a pop-up menu for the owner at a screen point and waits for the user: the command chosen
// reaches the owner as a wxEVT_MENU event (with its item id) and is returned as a command id; 0
// when the user chose nothing. While a hook is set, it answers for the user instead (a command
// id; one that is no enabled item of the menu counts as nothing chosen).
int trackPopupMenu(wxWindow* ownerP, wxMenu& menu, const wxPoint& screenPt);
using PopupMenuHook = std::function<int(const wxMenu& menu)>;
// Returns the previous hook; null for none. User-interface thread.
PopupMenuHook setPopupMenuHook(PopupMenuHook hook);

}  // namespace zkui
