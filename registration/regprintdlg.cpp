#include "regprintdlg.h"

#include "regexcept.h"
#include "regpageids.h"
#include "regres.h"

namespace {

int gPrintCancelled = 0;  // user-interface thread

}  // namespace

int regPrintCancelled() {
  return gPrintCancelled;
}

void regSetPrintCancelled(int cancelled) {
  gPrintCancelled = cancelled;
}

CPrintingDlg::CPrintingDlg(wxWindow* parentP) : Dialog(kPrintingTemplate, parentP) {}

void CPrintingDlg::onInitDialog() {
  Dialog::onInitDialog();
  window()->SetLabel(wxString::FromUTF8(regLoadString(kRegCaptionString)));
}

bool CPrintingDlg::onCommand(int id) {
  if (id != kPrintingCancel) return Dialog::onCommand(id);
  onCancel();
  return true;
}

// Escape and the close box stop the printing as the Cancel button does, so the dialog never
// goes while the pages keep printing.
void CPrintingDlg::onCancel() {
  regSetPrintCancelled(1);
  endDialog(kPrintingCancel);
}
