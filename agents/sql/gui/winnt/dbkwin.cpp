#include "dbkwin.h"

#include "agttrc.h"

std::unique_ptr<DFciDialog> DBackupTabView::makePage(wxWindow* tabP) {
  if (ownTab() == FRAME_BACKUP) return std::make_unique<DBackupPage>(tabP);
  return std::make_unique<DBackupGFPage>(tabP);
}

DBackupFrame::DBackupFrame(wxWindow* parentP, int kind, const std::string& title)
    : DTreePageFrame(parentP, kind, title) {
  TRACE_ENTRY(TRC_GUI, "DBackupFrame::DBackupFrame");
  if (kind == FRAME_BACKUP) {
    m_treeP = std::make_unique<DBackupTreeView>();
  } else {
    m_treeP = std::make_unique<DBackupGFTreeView>();
  }
  build(
      *m_treeP, [this] { m_treeP->OnInitialUpdate(); },
      [kind](wxWindow* parentP) { return std::make_unique<DBackupTabView>(kind, parentP); });
}

DBackupFrame::~DBackupFrame() {
  // The views go before their windows, which the panel destroys afterwards.
  dropTabView();
  m_treeP.reset();
}

void DBackupFrame::refreshView() {
  auto* controllerP = dynamic_cast<DBackupController*>(getController());
  if (controllerP == nullptr || m_treeP == nullptr) return;
  controllerP->cgRefreshView(m_treeP.get(), kind());
}

DChildFrame* makeBackupFrame(wxWindow* parentP, int kind, const std::string& title) {
  return makeTreePageFrame<DBackupFrame>(parentP, kind, title);
}
