#include "dfcidlg.h"

#include <wx/toplevel.h>

#include "dmsgbox.h"
#include "msgout.h"

void fixDialogSize(zkui::Dialog& dialog) {
  if (dynamic_cast<wxTopLevelWindow*>(dialog.window()) == nullptr) return;
  wxSize size = dialog.window()->GetSize();
  dialog.window()->SetSizeHints(size, size);
}

void DFciDialog::fixSize() {
  fixDialogSize(*this);
}

void DFciDialog::enableItem(int id, bool enable) {
  if (wxWindow* controlP = control(id)) controlP->Enable(enable);
}

std::string messageText(int msgNum) {
  char text[DMSG_TEXT_MAX + 1] = "";
  nlsprintf(text, sizeof text, msgNum);
  return text;
}

std::string messageText(int msgNum, const char* insertP) {
  char text[DMSG_TEXT_MAX + 1] = "";
  nlsprintf(text, sizeof text, msgNum, insertP);
  return text;
}
