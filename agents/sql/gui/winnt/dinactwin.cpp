#include "dinactwin.h"

#include "agttrc.h"

std::unique_ptr<DFciDialog> DInactivateTabView::makePage(wxWindow* tabP) {
  return std::make_unique<DInactivatePage>(tabP);
}

DInactivateFrame::DInactivateFrame(wxWindow* parentP, int kind, const std::string& title)
    : DTreePageFrame(parentP, kind, title), m_treeP(std::make_unique<DInactivateTreeView>()) {
  TRACE_ENTRY(TRC_GUI, "DInactivateFrame::DInactivateFrame");
  build(
      *m_treeP, [this] { m_treeP->OnInitialUpdate(); },
      [](wxWindow* parentP) { return std::make_unique<DInactivateTabView>(parentP); });
}

DInactivateFrame::~DInactivateFrame() {
  // The views go before their windows, which the panel destroys afterwards.
  dropTabView();
  m_treeP.reset();
}

void DInactivateFrame::refreshView() {
  DInactivateController* controllerP =
      m_treeP != nullptr ? m_treeP->inactivateController() : nullptr;
  if (controllerP == nullptr) return;
  controllerP->cgRefreshView(m_treeP.get(), FRAME_INACTIVATE);
}

DChildFrame* makeInactivateFrame(wxWindow* parentP, int kind, const std::string& title) {
  return makeTreePageFrame<DInactivateFrame>(parentP, kind, title);
}
