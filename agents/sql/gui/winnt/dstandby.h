// The undo-file dialog (template 150) of the restore windows' per-database settings: the undo
// file of a restore that leaves the database in standby. The caller presets m_undoFile, runs
// the dialog (doModal) and reads the file after OK, without its leading blanks; an empty file
// is the caller's to interpret. The edit takes at most 260 characters; OK refuses a longer text
// with the toolkit's message and keeps the dialog open. User-interface thread only.
#pragma once

#include <string>

#include "dfcidlg.h"

constexpr int DSTANDBY_TEMPLATE_ID = 150;
constexpr int DSTANDBY_MAX_CHARS = 260;
enum DStandbyControl : int {
  IDC_STANDBY_FILE = 1226,
  IDC_STANDBY_HELP = 1229,
};

class DStandby : public DFciDialog {
 public:
  explicit DStandby(wxWindow* parentP) : DFciDialog(DSTANDBY_TEMPLATE_ID, parentP) {}
  std::string m_undoFile;

 protected:
  void onInitDialog() override;
  void doDataExchange(zkui::DataExchange& dx) override;
  bool onCommand(int id) override;
  void onOK() override;
};
