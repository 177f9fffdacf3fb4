#include "dsqllogin.h"

#include <wx/radiobut.h>
#include <wx/textctrl.h>
#include <wx/toplevel.h>

#include "agttrc.h"
#include "ddx.h"
#include "help.h"
#include "optinfo.h"

namespace {

enum : int {
  MSG_SERVER_LABEL = 5752,
  MSG_TITLE = 5754,
  MSG_DEFAULT_SERVER = 5755,
  MSG_INTEGRATED = 5756,
  MSG_SQLUSERID = 5757,
  MSG_USER = 5758,
  MSG_PASSWORD = 5759,
  MSG_HELP_KEY = 5708,
};

constexpr char kHelpFile[] = "zarnaksql.hlp";

void limitEdit(wxWindow* windowP, int maxChars) {
  if (auto* editP = dynamic_cast<wxTextCtrl*>(windowP)) editP->SetMaxLength(maxChars);
}

}  // namespace

DSqlLogin::DSqlLogin(wxWindow* parentP, OptionsInfo* optionsP)
    : DFciDialog(DSQLLOGIN_TEMPLATE_ID, parentP), m_optionsP(optionsP) {}

void DSqlLogin::onInitDialog() {
  fixSize();
  if (auto* topP = dynamic_cast<wxTopLevelWindow*>(window()))
    topP->SetTitle(messageText(MSG_TITLE));
  setItemText(IDC_SQLLOGIN_SERVER_LABEL, messageText(MSG_SERVER_LABEL));
  const char* serverP = m_optionsP->szSqlServer;
  setItemText(IDC_SQLLOGIN_SERVER, serverP[0] != '\0' ? serverP : messageText(MSG_DEFAULT_SERVER));
  setItemText(IDC_SQLLOGIN_INTEGRATED, messageText(MSG_INTEGRATED));
  setItemText(IDC_SQLLOGIN_SQLUSERID, messageText(MSG_SQLUSERID));
  setItemText(IDC_SQLLOGIN_USER_LABEL, messageText(MSG_USER));
  setItemText(IDC_SQLLOGIN_PASSWORD_LABEL, messageText(MSG_PASSWORD));
  limitEdit(control(IDC_SQLLOGIN_USER), DSQLLOGIN_USER_MAX);
  limitEdit(control(IDC_SQLLOGIN_PASSWORD), DSQLLOGIN_PASSWORD_MAX);
  DSqlLoginStart start = sqlLoginStart(*m_optionsP);
  m_choice = start.choice;
  enableEdits(start.editsEnabled);
  DFciDialog::onInitDialog();  // pushes the values into the controls
}

void DSqlLogin::doDataExchange(zkui::DataExchange& dx) {
  dx.text(IDC_SQLLOGIN_USER, m_choice.user);
  dx.maxChars(IDC_SQLLOGIN_USER, m_choice.user, DSQLLOGIN_USER_MAX);
  dx.text(IDC_SQLLOGIN_PASSWORD, m_choice.password);
  dx.maxChars(IDC_SQLLOGIN_PASSWORD, m_choice.password, DSQLLOGIN_PASSWORD_MAX);
  int choice = m_choice.authentication;
  dx.radio(IDC_SQLLOGIN_INTEGRATED, choice);
  m_choice.authentication = choice;
}

bool DSqlLogin::onCommand(int id) {
  switch (id) {
    case IDC_SQLLOGIN_INTEGRATED:
      enableEdits(false);
      m_choice.authentication = OPT_SQLAUTH_INTEGRATED;
      return true;
    case IDC_SQLLOGIN_SQLUSERID:
      enableEdits(true);
      m_choice.authentication = OPT_SQLAUTH_SQLUSERID;
      return true;
    case IDC_SQLLOGIN_HELP:
      zkui::help({kHelpFile, zkui::HelpCommand::Key, 0, messageText(MSG_HELP_KEY)});
      return true;
    default:
      return DFciDialog::onCommand(id);
  }
}

void DSqlLogin::onOK() {
  if (updateData(true)) storeSqlLogin(m_optionsP, m_choice);
  m_choice.password.assign(m_choice.password.size(), '\0');
  endDialog(zkui::kIdOk);
}

void DSqlLogin::enableEdits(bool enable) {
  enableItem(IDC_SQLLOGIN_USER, enable);
  enableItem(IDC_SQLLOGIN_PASSWORD, enable);
}

int showSqlLoginDialog(OptionsInfo* optionsP) {
  DSqlLogin dialog(nullptr, optionsP);
  return dialog.doModal();
}
