// The restore-into dialog (template 149) of the restore windows' per-database settings: the
// name of the database to restore a backup into. The caller presets m_intoName, runs the dialog
// (doModal) and reads the name after OK; an empty name is the caller's to interpret. The edit
// takes at most 128 characters; OK refuses a longer name with the toolkit's message and keeps
// the dialog open. User-interface thread only.
#pragma once

#include <string>

#include "dfcidlg.h"

constexpr int DINTO_TEMPLATE_ID = 149;
constexpr int DINTO_MAX_CHARS = 128;

enum DIntoControl : int {
  IDC_INTO_NAME = 1221,
  IDC_INTO_HELP = 1224,
};

class DInto : public DFciDialog {
 public:
  explicit DInto(wxWindow* parentP) : DFciDialog(DINTO_TEMPLATE_ID, parentP) {}
  std::string m_intoName;

 protected:
  void onInitDialog() override;
  void doDataExchange(zkui::DataExchange& dx) override;
  bool onCommand(int id) override;
};
