#include "dstandby.h"

#include "ddx.h"
#include "help.h"

namespace {

enum : int { MSG_HELP_STANDBY = 5711 };
constexpr char kHelpFile[] = "zarnaksql.hlp";

}  // namespace

void DStandby::onInitDialog() {
  fixSize();
  DFciDialog::onInitDialog();
  if (wxWindow* editP = control(IDC_STANDBY_FILE)) editP->SetFocus();
}

void DStandby::doDataExchange(zkui::DataExchange& dx) {
  dx.text(IDC_STANDBY_FILE, m_undoFile);
  dx.maxChars(IDC_STANDBY_FILE, m_undoFile, DSTANDBY_MAX_CHARS);
}

bool DStandby::onCommand(int id) {
  if (id != IDC_STANDBY_HELP) return DFciDialog::onCommand(id);
  zkui::help({kHelpFile, zkui::HelpCommand::Key, 0, messageText(MSG_HELP_STANDBY)});
  return true;
}

// A name of blanks alone is no file: it takes the standby away as an empty one does.
void DStandby::onOK() {
  if (!updateData(true)) return;
  m_undoFile.erase(0, m_undoFile.find_first_not_of(' '));
  endDialog(zkui::kIdOk);
}
