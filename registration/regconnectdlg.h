// CConnectingDlg: the modal "Making connection...please wait" dialog (template 2409) beside a
// registration request's transmission; its Cancel button (2330) ends it with 2330, and the
// transmission's worker ends it with 2331 from its own thread. User-interface thread, except
// endModal.
#pragma once

#include <memory>

#include "dialog.h"
#include "regconnection.h"

inline constexpr int kConnectingTemplate = 2409;
inline constexpr int kConnectingCancelButton = 2330;

class CConnectingDlg : public zkui::Dialog, public CRegConnectingView {
 public:
  explicit CConnectingDlg(wxWindow* parentP);

  int runModal(const CRegConnection& connection) override;
  // Any thread: runs the end on the user-interface thread; nothing once the window is gone.
  void endModal(int code) override;

 protected:
  // Takes string 313 as its title; ends itself at once when the transmission has finished.
  void onInitDialog() override;
  bool onCommand(int id) override;
  void onCancel() override;

 private:
  const std::shared_ptr<zkui::CallTarget> m_target;  // set once, before any worker runs
  const CRegConnection* m_connectionP = nullptr;
};
