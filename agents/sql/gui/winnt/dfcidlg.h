// The dialog base of the windowed program's pages and dialogs: a dialog of the current resource
// source tied to the controller it reports to (dappctl.h). Texts shown in the windows are
// message texts of the repository, looked up by number.
#pragma once

#include <string>

#include "dappctl.h"
#include "dialog.h"

class DFciDialog : public zkui::Dialog, public DControlledView {
 public:
  DFciDialog(int templateId, wxWindow* parentP) : zkui::Dialog(templateId, parentP) {}

  // Hooks of the pages: the first answers an inform message's id; the others do nothing.
  virtual uint16_t ciHandleInform(DInformMsg msg) { return msg.getMessage(); }
  virtual void ciDialogHook1() {}
  virtual void ciDialogHook2() {}
  virtual void ciDialogHook3() {}

 protected:
  // Keeps a dialog box at its template size. Under a display without a window manager the
  // toolkit shows a box that the template does not let the user size at 1 by 1 pixels, so the
  // program's fixed boxes are made "resizable" in the bundle and fixed here.
  void fixSize();
  // Enables or disables the control when it exists.
  void enableItem(int id, bool enable);
};

// Keeps a dialog box at the size it was made with (see DFciDialog::fixSize), for dialogs that
// do not derive from DFciDialog.
void fixDialogSize(zkui::Dialog& dialog);

// The text of a message of the repository (empty when there is none), with one text insert.
std::string messageText(int msgNum);
std::string messageText(int msgNum, const char* insertP);
