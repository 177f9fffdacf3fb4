#include "drestwin.h"

#include <wx/sizer.h>
#include <wx/splitter.h>

#include "agttrc.h"
#include "dsqlguiapp.h"
#include "dwxtree.h"

namespace {

constexpr int kTabCount = 4;  // the backup and restore windows
constexpr int kPageX = 10;
constexpr int kPageY = 30;
constexpr int kMargin = 7;
constexpr int kTreeWidth = 200;
const char kInactivateTab[] = "Inactivate";

}  // namespace

DRestoreTabView::DRestoreTabView(int kind, wxWindow* parentP)
    : DTabFormView(parentP), m_kind(kind) {}

DRestoreTabView::~DRestoreTabView() {
  // The page's window is a child of the tab control: it goes first, with its object.
  m_pageP.reset();
}

void DRestoreTabView::OnInitialUpdate() {
  DTabFormView::OnInitialUpdate();
  if (tabControl() == nullptr) return;
  if (m_kind == FRAME_RESTORE) {
    m_pageP = std::make_unique<DRestorePage>(tabControl());
  } else {
    m_pageP = std::make_unique<DRestoreGFPage>(tabControl());
  }
  if (m_pageP->create() != 0) {
    m_pageP.reset();
    return;
  }
  for (int i = 0; i < kTabCount; ++i) {
    tabControl()->insertItem(i, childFrameTitle(i), -1, m_pageP->window());
  }
  m_pageP->window()->Move(kPageX, kPageY);
  m_pageP->window()->Show();
  m_pageP->window()->Enable();
  tabControl()->setSelection(m_kind);
  m_initialised = true;
  placePage();
}

void DRestoreTabView::layoutView() {
  if (window() == nullptr) return;
  wxSize client = window()->GetClientSize();
  onSize(client.x, client.y);
}

void DRestoreTabView::onSize(int width, int height) {
  DTabFormView::onSize(width, height);
  if (m_initialised) placePage();
}

// The page keeps its corner and reaches to 7 pixels inside the tab control.
void DRestoreTabView::placePage() {
  wxWindow* pageP = m_pageP != nullptr ? m_pageP->window() : nullptr;
  if (pageP == nullptr) return;
  wxSize tab = tabControl()->GetClientSize();
  wxPoint at = pageP->GetPosition();
  pageP->SetSize(at.x, at.y, std::max(1, tab.x - kMargin - at.x),
                 std::max(1, tab.y - kMargin - at.y));
  m_pageP->layoutControls();
}

bool DRestoreTabView::OnSelChangingTab(int) {
  return false;
}

void DRestoreTabView::OnSelChangeTab(int newIndex) {
  if (newIndex == m_kind) return;
  tabControl()->setSelection(m_kind);
  theRootController().openView(newIndex);
}

void DRestoreTabView::OnShowInactivateTab(int show) {
  if (tabControl() == nullptr) return;
  int count = tabControl()->itemCount();
  if (show == 1 && count != kTabCount + 1) {
    tabControl()->insertItem(kTabCount, kInactivateTab, -1,
                             m_pageP != nullptr ? m_pageP->window() : nullptr);
  } else if (show != 1 && count != kTabCount) {
    tabControl()->deleteItem(kTabCount);
  }
  tabControl()->Refresh();
}

DRestoreFrame::DRestoreFrame(wxWindow* parentP, int kind, const std::string& title)
    : DChildFrame(parentP, kind, title, false) {
  TRACE_ENTRY(TRC_GUI, "DRestoreFrame::DRestoreFrame");
  m_splitterP = new wxSplitterWindow(this, wxID_ANY, wxDefaultPosition, GetClientSize(),
                                     wxSP_LIVE_UPDATE | wxSP_3DSASH);
  m_splitterP->SetMinimumPaneSize(50);
  if (kind == FRAME_RESTORE) {
    m_treeP = std::make_unique<DRestoreTreeView>();
  } else {
    m_treeP = std::make_unique<DRestoreGFTreeView>();
  }
  m_treeWindowP =
      dtvCreateWindow(*m_treeP, m_splitterP, wxDefaultPosition, wxSize(kTreeWidth, kTreeWidth),
                      DTV_HASBUTTONS | DTV_HASLINES | DTV_LINESATROOT);
  if (auto* appP = dynamic_cast<DSqlGuiApp*>(DApplicationController::getApplication())) {
    m_treeWindowP->SetImageList(&appP->imageList());
  }
  zkui::bindContextHelp(m_treeWindowP, static_cast<unsigned long>(m_treeP->getContextHelpId()));
  m_treeP->OnInitialUpdate();
  auto tabViewP = std::make_unique<DRestoreTabView>(kind, m_splitterP);
  if (tabViewP->Create() != 0) return;
  tabViewP->OnInitialUpdate();
  m_tabViewP = std::move(tabViewP);
  m_splitterP->SplitVertically(m_treeWindowP, m_tabViewP->window(), kTreeWidth);
  auto* sizerP = new wxBoxSizer(wxVERTICAL);
  sizerP->Add(m_splitterP, 1, wxEXPAND);
  SetSizer(sizerP);
}

DRestoreFrame::~DRestoreFrame() {
  // The views go before their windows, which the panel destroys afterwards.
  m_tabViewP.reset();
  m_treeP.reset();
}

DControlledView* DRestoreFrame::page() {
  return m_tabViewP != nullptr ? m_tabViewP->page() : nullptr;
}

void DRestoreFrame::setShowInactivateTab(bool show) {
  DChildFrame::setShowInactivateTab(show);
  if (m_tabViewP != nullptr) m_tabViewP->OnShowInactivateTab(show ? 1 : 0);
}

void DRestoreFrame::layoutPage() {
  Layout();
  if (m_tabViewP != nullptr) m_tabViewP->layoutView();
}

void DRestoreFrame::refreshView() {
  auto* controllerP = dynamic_cast<DRestoreController*>(getController());
  if (controllerP == nullptr || m_treeP == nullptr) return;
  controllerP->cgRefreshView(m_treeP.get(), kind());
}

DChildFrame* makeRestoreFrame(wxWindow* parentP, int kind, const std::string& title) {
  auto* frameP = new DRestoreFrame(parentP, kind, title);
  if (frameP->created()) return frameP;
  frameP->Destroy();
  return nullptr;
}
