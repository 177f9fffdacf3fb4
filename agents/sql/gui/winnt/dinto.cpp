#include "dinto.h"

#include "ddx.h"
#include "help.h"

namespace {

enum : int { MSG_HELP_INTO = 5710 };
constexpr char kHelpFile[] = "zarnaksql.hlp";

}  // namespace

void DInto::onInitDialog() {
  fixSize();
  DFciDialog::onInitDialog();
  if (wxWindow* editP = control(IDC_INTO_NAME)) editP->SetFocus();
}

void DInto::doDataExchange(zkui::DataExchange& dx) {
  dx.text(IDC_INTO_NAME, m_intoName);
  dx.maxChars(IDC_INTO_NAME, m_intoName, DINTO_MAX_CHARS);
}

bool DInto::onCommand(int id) {
  if (id != IDC_INTO_HELP) return DFciDialog::onCommand(id);
  zkui::help({kHelpFile, zkui::HelpCommand::Key, 0, messageText(MSG_HELP_INTO)});
  return true;
}
