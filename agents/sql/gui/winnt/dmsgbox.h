// Message boxes of the windowed program: every numbered message of the engine reaches the user
// here (the national-language state gets showInformationBox and showErrorBox as its output
// routines), and the windows and dialogs call the same routines directly.
//
// A box has no owner and is task-modal. Texts longer than DMSG_TEXT_MAX bytes are not shown.
// Any thread: from a worker the box is shown on the user-interface thread and the worker waits.
#pragma once

#include <cstddef>

constexpr size_t DMSG_TEXT_MAX = 3584;  // bytes of a text, without its terminator

// Message kinds.
enum DMsgKind { DMSG_ERROR = 1, DMSG_RETRYCANCEL = 2, DMSG_INFORMATION = 3, DMSG_YESNO = 4 };

// Shows the text in a box of the kind, with the caption (null: the default caption). Returns 1
// for an error or information box, 1 when Retry or Yes was chosen, otherwise 0; 0 without
// showing anything for a text over DMSG_TEXT_MAX bytes or an unknown kind.
int showMessageBox(const char* textP, int kind, const char* captionP);
// Formats message number (its low 16 bits) of the repository and shows it as above.
int showMessageNumber(int messageNumber, int kind, const char* captionP);
// Kind 3 and kind 1 with the default caption; the output routines of the national-language
// state.
void showInformationBox(const char* textP);
void showErrorBox(const char* textP);
// Copies the text (cut to the buffer's size) into the process-wide default caption.
void setDefaultCaption(const char* textP);
