#include "dstandby.h"

#include "ddx.h"

void DStandby::onInitDialog() {
  fixSize();
  DFciDialog::onInitDialog();
  if (wxWindow* editP = control(IDC_STANDBY_FILE)) editP->SetFocus();
}

void DStandby::doDataExchange(zkui::DataExchange& dx) {
  dx.text(IDC_STANDBY_FILE, m_undoFile);
  dx.maxChars(IDC_STANDBY_FILE, m_undoFile, DSTANDBY_MAX_CHARS);
}
