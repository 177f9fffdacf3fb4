#include "dpasswd.h"

#include <wx/textctrl.h>

#include <cstdio>
#include <cstring>

#include "agtrc.h"
#include "agttrc.h"
#include "ddx.h"
#include "dfcidlg.h"
#include "dmainfrm.h"
#include "dsqlguiapp.h"
#include "erifunc.h"
#include "help.h"
#include "msgout.h"
#include "uiapp.h"

namespace {

enum : int {
  MSG_TEXT = 1,
  MSG_CLIENT_KEEPS_PASSWORD = 160,
  MSG_EMPTY = 161,
  MSG_VERIFY_DIFFERS = 162,
  MSG_EXPIRED = 257,
  MSG_CHANGE_DIFFERS = 259,
  MSG_HELP_PROMPT = 5701,
  MSG_HELP_VERIFY = 5702,
  MSG_HELP_CHANGE = 5703,
};

// The codes of the password callbacks' requests.
enum : int {
  CODE_EXPIRED = 52,
  CODE_TEXT = 109,
  CODE_NONE_ENTERED = 111,
  CODE_NEEDED = 137,
};

constexpr char kHelpFile[] = "zarnaksql.hlp";
constexpr size_t kMessageBufferSize = ERI_MSG_BUFFER_LEN + 1;
constexpr int kPasswordCancelled = 101;

void showHelp(int msgNum) {
  zkui::help({kHelpFile, zkui::HelpCommand::Key, 0, messageText(msgNum)});
}

// Copies at most size - 1 bytes and always ends the text.
void copyBounded(char* bufferP, int bufferSize, const std::string& text) {
  if (bufferP == nullptr || bufferSize <= 0) return;
  std::snprintf(bufferP, static_cast<size_t>(bufferSize), "%s", text.c_str());
}

void focusEntry(zkui::Dialog& dialog, int id) {
  wxWindow* c = dialog.control(id);
  if (c != nullptr) c->SetFocus();
}

void wipe(std::string& text) {
  text.assign(text.size(), '\0');
  text.clear();
}

// Asks for one request and answers as the storage-manager client expects: 0 with a password in
// the buffer, 101 without.
int askAndAnswer(int request, char* bufferP, int bufferSize) {
  askPasswordOnMainWindow(request, bufferP, bufferSize);
  return bufferP != nullptr && bufferSize > 0 && bufferP[0] != '\0' ? 0 : kPasswordCancelled;
}

}  // namespace

DPasswordPrompt::DPasswordPrompt(wxWindow* parentP)
    : zkui::Dialog(DPASSWORD_PROMPT_TEMPLATE_ID, parentP) {}

void DPasswordPrompt::onInitDialog() {
  fixDialogSize(*this);
  zkui::Dialog::onInitDialog();
  focusEntry(*this, IDC_PWPROMPT_PASSWORD);
}

void DPasswordPrompt::doDataExchange(zkui::DataExchange& dx) {
  dx.text(IDC_PWPROMPT_PASSWORD, m_password);
  dx.maxChars(IDC_PWPROMPT_PASSWORD, m_password, DPASSWORD_MAX_CHARS);
}

bool DPasswordPrompt::onCommand(int id) {
  if (id != IDC_PWPROMPT_HELP) return zkui::Dialog::onCommand(id);
  showHelp(MSG_HELP_PROMPT);
  return true;
}

void DPasswordPrompt::onOK() {
  if (!updateData(true)) return;
  if (m_password.empty()) {
    nlprintf(MSG_EMPTY);
    return focusEntry(*this, IDC_PWPROMPT_PASSWORD);
  }
  endDialog(zkui::kIdOk);
}

DPasswordVerify::DPasswordVerify(wxWindow* parentP)
    : zkui::Dialog(DPASSWORD_VERIFY_TEMPLATE_ID, parentP) {}

void DPasswordVerify::onInitDialog() {
  fixDialogSize(*this);
  zkui::Dialog::onInitDialog();
  focusEntry(*this, IDC_PWVERIFY_PASSWORD);
}

void DPasswordVerify::doDataExchange(zkui::DataExchange& dx) {
  dx.text(IDC_PWVERIFY_PASSWORD, m_password);
  dx.maxChars(IDC_PWVERIFY_PASSWORD, m_password, DPASSWORD_MAX_CHARS);
  dx.text(IDC_PWVERIFY_VERIFY, m_verify);
  dx.maxChars(IDC_PWVERIFY_VERIFY, m_verify, DPASSWORD_MAX_CHARS);
}

bool DPasswordVerify::onCommand(int id) {
  if (id != IDC_PWVERIFY_HELP) return zkui::Dialog::onCommand(id);
  showHelp(MSG_HELP_VERIFY);
  return true;
}

void DPasswordVerify::onOK() {
  if (!updateData(true)) return;
  if (m_password.empty()) {
    nlprintf(MSG_EMPTY);
    return focusEntry(*this, IDC_PWVERIFY_PASSWORD);
  }
  if (m_verify.empty()) {
    nlprintf(MSG_EMPTY);
    return focusEntry(*this, IDC_PWVERIFY_VERIFY);
  }
  if (m_password != m_verify) {
    nlprintf(MSG_VERIFY_DIFFERS);
    return focusEntry(*this, IDC_PWVERIFY_PASSWORD);
  }
  endDialog(zkui::kIdOk);
}

DPasswordChange::DPasswordChange(wxWindow* parentP)
    : zkui::Dialog(DPASSWORD_CHANGE_TEMPLATE_ID, parentP) {}

DPasswordChange::DPasswordChange(char* passwordBufP, const char* optionFileP, wxWindow* parentP)
    : zkui::Dialog(DPASSWORD_CHANGE_TEMPLATE_ID, parentP),
      m_passwordBufP(passwordBufP),
      m_optionFileP(optionFileP) {}

void DPasswordChange::onInitDialog() {
  fixDialogSize(*this);
  zkui::Dialog::onInitDialog();
  focusEntry(*this, IDC_PWCHANGE_OLD);
}

void DPasswordChange::doDataExchange(zkui::DataExchange& dx) {
  const int ids[] = {IDC_PWCHANGE_OLD, IDC_PWCHANGE_NEW, IDC_PWCHANGE_VERIFY};
  std::string* fields[] = {&m_oldPassword, &m_newPassword, &m_verifyPassword};
  for (int i = 0; i < 3; i++) {
    dx.text(ids[i], *fields[i]);
    dx.maxChars(ids[i], *fields[i], DPASSWORD_MAX_CHARS);
  }
}

bool DPasswordChange::onCommand(int id) {
  if (id != IDC_PWCHANGE_HELP) return zkui::Dialog::onCommand(id);
  showHelp(MSG_HELP_CHANGE);
  return true;
}

bool DPasswordChange::refuse(int msgNum, int id) {
  nlprintf(msgNum);
  focusEntry(*this, id);
  return false;
}

void DPasswordChange::onOK() {
  if (!updateData(true)) return;
  if (m_oldPassword.empty()) return (void)refuse(MSG_EMPTY, IDC_PWCHANGE_OLD);
  if (m_newPassword.empty()) return (void)refuse(MSG_EMPTY, IDC_PWCHANGE_NEW);
  if (m_verifyPassword.empty()) return (void)refuse(MSG_EMPTY, IDC_PWCHANGE_VERIFY);
  if (m_newPassword != m_verifyPassword)
    return (void)refuse(MSG_CHANGE_DIFFERS, IDC_PWCHANGE_VERIFY);
  char oldPassword[DPASSWORD_BUFFER_SIZE] = "";
  char newPassword[DPASSWORD_BUFFER_SIZE] = "";
  copyBounded(oldPassword, sizeof oldPassword, m_oldPassword);
  copyBounded(newPassword, sizeof newPassword, m_newPassword);
  char* passwordP = m_passwordBufP != nullptr ? m_passwordBufP : oldPassword;
  copyBounded(passwordP, DPASSWORD_BUFFER_SIZE, m_oldPassword);
  pelkApiLogonInfo logon = {"", passwordP, newPassword, m_optionFileP, passwordChangeCallback};
  char message[kMessageBufferSize] = "";
  int rc = eriChangeMoxtarPassword(&logon, message);
  std::memset(oldPassword, 0, sizeof oldPassword);
  if (rc != RC_OK) {
    TRACE_LINE(TRC_GUI, "The password change failed, rc = %u: %s\n", rc, message);
    std::memset(newPassword, 0, sizeof newPassword);
    nlprintf(MSG_EMPTY);
    return;
  }
  nlprintf(MSG_TEXT, message);
  copyBounded(passwordP, DPASSWORD_BUFFER_SIZE, newPassword);
  std::memset(newPassword, 0, sizeof newPassword);
  wipe(m_oldPassword);
  wipe(m_newPassword);
  wipe(m_verifyPassword);
  endDialog(zkui::kIdOk);
}

void runPasswordDialog(int request, wxWindow* parentP, char* bufferP, int bufferSize) {
  copyBounded(bufferP, bufferSize, "");
  if (request == DPASSWORD_ASK_NEW) {
    DPasswordVerify verify(parentP);
    if (verify.doModal() == zkui::kIdOk) copyBounded(bufferP, bufferSize, verify.m_password);
    wipe(verify.m_password);
    wipe(verify.m_verify);
    return;
  }
  DPasswordPrompt prompt(parentP);
  if (prompt.doModal() == zkui::kIdOk) copyBounded(bufferP, bufferSize, prompt.m_password);
  wipe(prompt.m_password);
}

void askPasswordOnMainWindow(int request, char* bufferP, int bufferSize) {
  copyBounded(bufferP, bufferSize, "");
  zkui::callOnUiThread(zkui::appCallTarget(), [&] {
    auto* frameP = dynamic_cast<DMainFrame*>(DApplicationController::getMainFrame());
    if (frameP != nullptr) return frameP->onPasswordRequest(request, bufferP, bufferSize);
    runPasswordDialog(request, nullptr, bufferP, bufferSize);
  });
}

int passwordChangeCallback(int code, int flag, const char* textP, const char*, char* bufferP,
                           int bufferSize, const char*) {
  TRACE_LINE(TRC_GUI, "passwordChangeCallback(%d, %d)\n", code, flag);
  switch (code) {
    case CODE_TEXT:
      // The stored password is the client's own and read-only here: only the buffer gets it.
      if (flag == 0 && textP != nullptr) copyBounded(bufferP, bufferSize, textP);
      return 0;
    case CODE_EXPIRED:
      copyBounded(bufferP, bufferSize, "");
      nlprintf(MSG_EXPIRED);
      return askAndAnswer(DPASSWORD_ASK_NEW, bufferP, bufferSize);
    case CODE_NEEDED:
      return askAndAnswer(DPASSWORD_ASK_CURRENT, bufferP, bufferSize);
    case CODE_NONE_ENTERED:
      if (flag == 1) nlprintf(MSG_CLIENT_KEEPS_PASSWORD);
      return 0;
    default:
      return 0;
  }
}

int guiPasswordCallback(int reason, int, const char*, const char*, char* outputP, int outputSize,
                        const char*) {
  TRACE_LINE(TRC_GUI, "guiPasswordCallback(%d)\n", reason);
  if (reason == CODE_EXPIRED) {
    nlprintf(MSG_EXPIRED);
    return askAndAnswer(DPASSWORD_ASK_NEW, outputP, outputSize);
  }
  return askAndAnswer(DPASSWORD_ASK_CURRENT, outputP, outputSize);
}
