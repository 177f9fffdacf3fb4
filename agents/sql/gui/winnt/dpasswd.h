// The storage-server password in the windowed program: the dialogs that ask for it and the
// password callbacks that open them.
//
//   DPasswordPrompt (template 502)  the password, when the storage-manager client needs one;
//   DPasswordVerify (template 503)  a new password, twice, when the server demands a new one;
//   DPasswordChange (template 504)  the old password and the new one twice; OK runs the change
//                                   request itself (on the user-interface thread).
// Every entry takes at most 64 characters. Empty entries and mismatches never close a dialog:
// the message is shown and the focus goes to the entry to mend. Cancel closes without a message
// and without touching the caller's buffer.
//
// The engine's password requests reach the user through the main window: guiPasswordCallback
// (the interface loader's callback) and passwordChangeCallback (the change request's) may run
// on any thread; they have the user-interface thread show the dialog (callOnUiThread) and wait
// for it. A requester on the user-interface thread gets the dialog at once. The dialogs
// themselves run on the user-interface thread only.
#pragma once

#include <string>

#include "dialog.h"

constexpr int DPASSWORD_PROMPT_TEMPLATE_ID = 502;
constexpr int DPASSWORD_VERIFY_TEMPLATE_ID = 503;
constexpr int DPASSWORD_CHANGE_TEMPLATE_ID = 504;
constexpr int DPASSWORD_MAX_CHARS = 64;
constexpr int DPASSWORD_BUFFER_SIZE = DPASSWORD_MAX_CHARS + 1;

enum DPasswordControl : int {
  IDC_PWPROMPT_HELP = 2000,
  IDC_PWPROMPT_PASSWORD = 2001,
  IDC_PWVERIFY_HELP = 2002,
  IDC_PWVERIFY_PASSWORD = 2004,
  IDC_PWVERIFY_VERIFY = 2006,
  IDC_PWCHANGE_HELP = 2007,
  IDC_PWCHANGE_OLD = 2009,
  IDC_PWCHANGE_NEW = 2011,
  IDC_PWCHANGE_VERIFY = 2013,
};

// What the password callbacks ask of the main window.
enum DPasswordRequest : int {
  DPASSWORD_ASK_NEW = 1,      // a new password, verified (DPasswordVerify)
  DPASSWORD_ASK_CURRENT = 2,  // the password (DPasswordPrompt)
};

class DPasswordPrompt : public zkui::Dialog {
 public:
  explicit DPasswordPrompt(wxWindow* parentP);
  std::string m_password;

 protected:
  void onInitDialog() override;
  void doDataExchange(zkui::DataExchange& dx) override;
  bool onCommand(int id) override;
  void onOK() override;
};

class DPasswordVerify : public zkui::Dialog {
 public:
  explicit DPasswordVerify(wxWindow* parentP);
  std::string m_password;
  std::string m_verify;

 protected:
  void onInitDialog() override;
  void doDataExchange(zkui::DataExchange& dx) override;
  bool onCommand(int id) override;
  void onOK() override;
};

class DPasswordChange : public zkui::Dialog {
 public:
  explicit DPasswordChange(wxWindow* parentP);
  // passwordBufP: the caller's password (DPASSWORD_BUFFER_SIZE bytes), which gets the new one
  // on success; optionFileP: the storage-manager client option file.
  DPasswordChange(char* passwordBufP, const char* optionFileP, wxWindow* parentP);
  std::string m_oldPassword;
  std::string m_newPassword;
  std::string m_verifyPassword;

 protected:
  void onInitDialog() override;
  void doDataExchange(zkui::DataExchange& dx) override;
  bool onCommand(int id) override;
  void onOK() override;

 private:
  // Refuses the entry with the message and puts the focus on it; false.
  bool refuse(int msgNum, int id);
  char* m_passwordBufP = nullptr;
  const char* m_optionFileP = nullptr;
};

// User-interface thread: shows the dialog of the request over the parent and copies its
// password into the buffer (emptied first, at most bufferSize - 1 characters) on OK.
void runPasswordDialog(int request, wxWindow* parentP, char* bufferP, int bufferSize);

// Any thread: has the main window run the request's dialog (runPasswordDialog) and waits.
void askPasswordOnMainWindow(int request, char* bufferP, int bufferSize);

// The change request's callback: code 137 asks for the password, 52 (after message 257) for a
// new one; 109 with flag 0 copies the text into the buffer; 111 with flag 1 shows message 160.
// 0, or 101 when a dialog was asked for and left the buffer empty.
int passwordChangeCallback(int code, int flag, const char* textP, const char* unused4,
                           char* bufferP, int bufferSize, const char* secondP);
