// A test driver for windows: find a control by id, click it, type into it, read its state, wait
// for a modal dialog and act in it, take a screenshot. User-interface thread only; the driver
// acts through the controls' own events, as a user's click or typing would reach the program.
#pragma once

#include <wx/dialog.h>
#include <wx/window.h>

#include <functional>
#include <string>

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
