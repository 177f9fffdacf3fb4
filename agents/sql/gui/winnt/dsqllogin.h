// The SQL Server login dialog (template 142): integrated authentication or a SQL user id with
// its password, for the SQL Server of the options record. OK stores the choice (dsqllogstore.h)
// and always closes the dialog with 1. User-interface thread.
#pragma once

#include "dfcidlg.h"
#include "dsqllogstore.h"

struct OptionsInfo;

constexpr int DSQLLOGIN_TEMPLATE_ID = 142;

enum DSqlLoginControl : int {
  IDC_SQLLOGIN_SERVER_LABEL = 1173,
  IDC_SQLLOGIN_SERVER = 1174,
  IDC_SQLLOGIN_INTEGRATED = 1175,
  IDC_SQLLOGIN_SQLUSERID = 1176,
  IDC_SQLLOGIN_USER_LABEL = 1177,
  IDC_SQLLOGIN_USER = 1178,
  IDC_SQLLOGIN_PASSWORD_LABEL = 1179,
  IDC_SQLLOGIN_PASSWORD = 1180,
  IDC_SQLLOGIN_HELP = 1183,
};

class DSqlLogin : public DFciDialog {
 public:
  // The dialog works on the options record, which must outlive it.
  DSqlLogin(wxWindow* parentP, OptionsInfo* optionsP);
  const DSqlLoginChoice& choice() const { return m_choice; }

 protected:
  void onInitDialog() override;
  void doDataExchange(zkui::DataExchange& dx) override;
  bool onCommand(int id) override;
  void onOK() override;

 private:
  void enableEdits(bool enable);
  OptionsInfo* m_optionsP;
  DSqlLoginChoice m_choice;
};

// Shows the dialog modally without parent for the program's options record; its end code.
int showSqlLoginDialog(OptionsInfo* optionsP);
