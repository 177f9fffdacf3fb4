#include "drestwin.h"

#include "agttrc.h"

std::unique_ptr<DFciDialog> DRestoreTabView::makePage(wxWindow* tabP) {
  if (ownTab() == FRAME_RESTORE) return std::make_unique<DRestorePage>(tabP);
  return std::make_unique<DRestoreGFPage>(tabP);
}

DRestoreFrame::DRestoreFrame(wxWindow* parentP, int kind, const std::string& title)
    : DTreePageFrame(parentP, kind, title) {
  TRACE_ENTRY(TRC_GUI, "DRestoreFrame::DRestoreFrame");
  if (kind == FRAME_RESTORE) {
    m_treeP = std::make_unique<DRestoreTreeView>();
  } else {
    m_treeP = std::make_unique<DRestoreGFTreeView>();
  }
  build(
      *m_treeP, [this] { m_treeP->OnInitialUpdate(); },
      [kind](wxWindow* parentP) { return std::make_unique<DRestoreTabView>(kind, parentP); });
}

DRestoreFrame::~DRestoreFrame() {
  // The views go before their windows, which the panel destroys afterwards.
  dropTabView();
  m_treeP.reset();
}

void DRestoreFrame::refreshView() {
  auto* controllerP = dynamic_cast<DRestoreController*>(getController());
  if (controllerP == nullptr || m_treeP == nullptr) return;
  controllerP->cgRefreshView(m_treeP.get(), kind());
}

DChildFrame* makeRestoreFrame(wxWindow* parentP, int kind, const std::string& title) {
  return makeTreePageFrame<DRestoreFrame>(parentP, kind, title);
}
