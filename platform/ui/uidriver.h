// A test driver for windows: find a control by id, click it, type into it, press keys, play
// the mouse on trees and list views, choose menu commands and combo entries, step spins, read
// state, wait for a modal dialog and act in it, take a screenshot. User-interface thread only;
// the driver acts through the controls' own events (mouse and key events at the points a user
// would click), so the program sees what a user's gesture gives it, notifications included.
#pragma once

#include <wx/dialog.h>
#include <wx/treebase.h>
#include <wx/window.h>

#include <functional>
#include <string>
#include <vector>

#include "notify.h"

namespace zkui::drive {

// The first window with `id` under `withinP` (depth first); within every shown top-level window
// (the newest first) when withinP is null. Null when none.
wxWindow* find(int id, wxWindow* withinP = nullptr);

// Button: its command; check box: toggles it and sends its event; radio button: chooses it and
// sends its event. False when the control is missing, disabled or of another kind.
bool click(wxWindow* controlP);
bool click(int id, wxWindow* withinP = nullptr);
// Replaces an edit's text as typing would, with its change event; false when not an edit.
bool type(wxWindow* controlP, const std::string& text);
bool type(int id, const std::string& text, wxWindow* withinP = nullptr);
// Text of an edit, or label of any other control; empty for null.
std::string text(wxWindow* controlP);
// A check box's or radio button's state: 0 clear, 1 checked, 2 undetermined; -1 other kinds.
int checked(wxWindow* controlP);

// Keys: a wx key code (WXK_F1, WXK_ESCAPE, WXK_RETURN, WXK_TAB, WXK_UP, ... or a character)
// with modifiers, to `targetP` or the window with the focus. The key goes first to the
// dialog's key hook (where Escape, Enter and F1 act), then to the control; Tab and Shift+Tab
// move the focus to the next or previous control and wait until it has moved; Alt+F4 is the
// close box of the target's top-level window. False when there is no target.
enum : int { kKeyAlt = 1, kKeyCtrl = 2, kKeyShift = 4 };
bool key(int keyCode, int modifiers = 0, wxWindow* targetP = nullptr);
// Gives the control the focus and waits until it has it (at most a second); false if it did not.
bool focus(wxWindow* controlP);
// The close box of the top-level window of `windowP` (its owner may veto); false for null.
bool close(wxWindow* windowP);
// Chooses command `id` of the frame's menu bar (false when it has no such item or the item is
// disabled), or of a window without a bar (a pop-up menu's owner): a wxEVT_MENU event with the
// command's item id (menus.h).
bool menu(wxWindow* windowP, int id);
// Chooses the combo box entry with the text (or index), as the drop-down list would; false when
// there is none.
bool choose(wxWindow* comboP, const std::string& entry);
bool choose(wxWindow* comboP, int index);
// Clicks a spin's upper arrow (delta > 0) or lower arrow |delta| times; on a date or time
// picker, its spin's (the field of the caret steps). type() and text() on a picker use its edit.
bool spin(wxWindow* spinP, int delta);

// Mouse gestures on trees and list views. The point is found on the item's row where the
// control's hit test answers `part` (the picture, the label, the expand button).
enum class Mouse { Left, Right, Double };
// The item under the root (or under a hidden root) whose texts follow `path`; an invalid id
// when none.
wxTreeItemId treeItem(wxWindow* treeP, const std::vector<std::string>& path);
// The texts of the item's children, in order; none when the control is not a tree.
std::vector<std::string> childTexts(wxWindow* treeP, const wxTreeItemId& item);
// Scrolls the item into view and plays the gesture on its part; false when the part is not
// shown (an item without picture, a leaf's button) or the control is not a tree.
bool clickItem(wxWindow* treeP, const wxTreeItemId& item, HitPart part = HitPart::Label,
               Mouse how = Mouse::Left);
// A click on the item's expand button; true at once when it is expanded already.
bool expand(wxWindow* treeP, const wxTreeItemId& item);
// The same on a list view's row. On a list box: a click selects the row (its selection event
// when it moved), a double click also sends its double-click event; `part` does not matter.
bool clickRow(wxWindow* listP, long row, HitPart part = HitPart::Label, Mouse how = Mouse::Left);
// Plays the gesture at a point of the window (client coordinates of the window that gets the
// mouse events: a list view's row window for a list view).
void mouseAt(wxWindow* windowP, const wxPoint& pt, Mouse how);

// Runs the event loop for `ms` milliseconds.
void pump(int ms);
// Runs the event loop until done() or `timeoutMs`; returns done().
bool pumpUntil(const std::function<bool()>& done, int timeoutMs = 5000);

// The innermost modal dialog shown, or null.
wxDialog* activeModal();
// Runs `script` on the next modal dialog that opens after this call (from the event loop of
// that dialog), once it is shown. The script usually ends the dialog by a click.
void whenModal(const std::function<void(wxDialog&)>& script);

// Writes a PNG of what the screen shows inside the window's outer rectangle (the whole screen
// for null). 0, or 1 when the picture cannot be taken or written.
int screenshot(wxWindow* windowP, const std::string& pngPath);

}  // namespace zkui::drive
