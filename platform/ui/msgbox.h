// Message boxes, with a hook that tests replace.
//
// messageBox shows `text` with `caption`, the buttons and icon of `style`, and returns the id of
// the button chosen (Escape and the close box choose Cancel where there is one, else the only
// or the last button). With no owner the box is modal to every window of the program. From a
// thread other than the user-interface thread the box is shown there (uicall.h) and the caller
// waits; it returns 0 when the program's windows are gone.
//
// While a hook is set, messageBox calls it instead of showing anything (on the calling thread)
// and returns what it returns; tests record the request and answer for the user.
#pragma once

#include <functional>
#include <string>

class wxWindow;

namespace zkui {

// Buttons (low four bits of the style).
constexpr unsigned kMbOk = 0x0;
constexpr unsigned kMbOkCancel = 0x1;
constexpr unsigned kMbAbortRetryIgnore = 0x2;
constexpr unsigned kMbYesNoCancel = 0x3;
constexpr unsigned kMbYesNo = 0x4;
constexpr unsigned kMbRetryCancel = 0x5;
// Icons.
constexpr unsigned kMbIconStop = 0x10;
constexpr unsigned kMbIconQuestion = 0x20;
constexpr unsigned kMbIconExclamation = 0x30;
constexpr unsigned kMbIconInformation = 0x40;
// Modality: task-modal is what a box without owner is anyway; the bit is kept for the callers.
constexpr unsigned kMbTaskModal = 0x2000;

// Button ids returned.
constexpr int kIdBoxOk = 1;
constexpr int kIdBoxCancel = 2;
constexpr int kIdAbort = 3;
constexpr int kIdRetry = 4;
constexpr int kIdIgnore = 5;
constexpr int kIdYes = 6;
constexpr int kIdNo = 7;

struct MessageBoxRequest {
  wxWindow* ownerP;
  std::string text;
  std::string caption;
  unsigned style;
};
using MessageBoxHook = std::function<int(const MessageBoxRequest&)>;

int messageBox(wxWindow* ownerP, const std::string& text, const std::string& caption,
               unsigned style);

// Sets the hook (null: show real boxes again); returns the previous one. Any thread.
MessageBoxHook setMessageBoxHook(MessageBoxHook hook);

}  // namespace zkui
