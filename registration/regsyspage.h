// CSystemInfoPage: the logic of the system information page (template 2100), apart from its
// window (CSystemInfoDlg, regpagewin.h): it shows the machine's BIOS facts and operating system
// and keeps the user's choice whether to send them in the system information record, so that
// the choice survives Back and Next. User-interface thread only.
#pragma once

#include <string>

#include "regcontrols.h"
#include "regpageids.h"

class CSystemInfoPage {
 public:
  // The first page of the process reads the BIOS facts (readBiosInfo); later ones reuse them.
  explicit CSystemInfoPage(CRegControls& controls);

  // Presses Yes or No as the record's send flag says; shows each BIOS fact or disables its
  // label; shows the operating system's name and version.
  void load();
  // The title's bold face when the language wants it.
  void init();
  // Yes (true) or No.
  void choose(bool send) { m_send = send; }
  bool send() const { return m_send; }
  // Before Back and Next: the record's send flag becomes the page's; sending, the record's
  // operating system name and version are the system's, else both are empty.
  void save();

  // The facts the process read (empty when none were found).
  static const std::string& manufacturer();
  static const std::string& model();
  static const std::string& serial();
  // Tests: the next page reads the facts again; or takes these as read.
  static void forgetBiosFacts();
  static void presetBiosFacts(const std::string& manufacturer, const std::string& model,
                              const std::string& serial);

 private:
  CRegControls& m_controls;
  bool m_send = true;
};
