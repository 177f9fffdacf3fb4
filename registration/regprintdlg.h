// CPrintingDlg: the "Press cancel to stop printing." dialog (template 2408) beside the printing
// of a registration. Its Cancel button (2323), Escape and the close box set the program's
// print-cancelled flag, which the printing loop reads between pages, and end the dialog.
// User-interface thread only.
#pragma once

#include "dialog.h"

// The program's print-cancelled flag: 1 once the user cancelled the printing.
int regPrintCancelled();
void regSetPrintCancelled(int cancelled);

class CPrintingDlg : public zkui::Dialog {
 public:
  explicit CPrintingDlg(wxWindow* parentP);

 protected:
  void onInitDialog() override;
  bool onCommand(int id) override;
  void onCancel() override;
};
