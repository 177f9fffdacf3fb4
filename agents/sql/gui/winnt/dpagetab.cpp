#include "dpagetab.h"

#include <wx/sizer.h>
#include <wx/splitter.h>

#include <algorithm>

#include "dsqlguiapp.h"
#include "dtreeview.h"
#include "dwxtree.h"

namespace {

constexpr int kTabCount = FRAME_INACTIVATE;  // the tabs before the Inactivate tab
constexpr int kPageX = 10;
constexpr int kPageY = 30;
constexpr int kMargin = 7;
constexpr int kTreeWidth = 200;

}  // namespace

DPageTabView::DPageTabView(int kind, wxWindow* parentP) : DTabFormView(parentP), m_kind(kind) {}

DPageTabView::~DPageTabView() {
  // The page's window is a child of the tab control: it goes first, with its object.
  m_pageP.reset();
}

void DPageTabView::OnInitialUpdate() {
  DTabFormView::OnInitialUpdate();
  if (tabControl() == nullptr) return;
  m_pageP = makePage(tabControl());
  if (m_pageP == nullptr) return;
  if (m_pageP->create() != 0) {
    m_pageP.reset();
    return;
  }
  for (int i = 0; i < firstTabCount(); ++i) {
    tabControl()->insertItem(i, childFrameTitle(i), -1, m_pageP->window());
  }
  m_pageP->window()->Move(kPageX, kPageY);
  m_pageP->window()->Show();
  m_pageP->window()->Enable();
  tabControl()->setSelection(m_kind);
  m_initialised = true;
  placePage();
}

void DPageTabView::layoutView() {
  if (window() == nullptr) return;
  wxSize client = window()->GetClientSize();
  onSize(client.x, client.y);
}

void DPageTabView::onSize(int width, int height) {
  DTabFormView::onSize(width, height);
  if (m_initialised) placePage();
}

// The page keeps its corner and reaches to 7 pixels inside the tab control.
void DPageTabView::placePage() {
  wxWindow* pageP = m_pageP != nullptr ? m_pageP->window() : nullptr;
  if (pageP == nullptr) return;
  wxSize tab = tabControl()->GetClientSize();
  wxPoint at = pageP->GetPosition();
  pageP->SetSize(at.x, at.y, std::max(1, tab.x - kMargin - at.x),
                 std::max(1, tab.y - kMargin - at.y));
  layoutPageControls();
}

bool DPageTabView::OnSelChangingTab(int) {
  return false;
}

void DPageTabView::OnSelChangeTab(int newIndex) {
  if (newIndex == m_kind) return;
  tabControl()->setSelection(m_kind);
  theRootController().openView(newIndex);
}

void DPageTabView::showInactivateTab(int show) {
  if (tabControl() == nullptr) return;
  int count = tabControl()->itemCount();
  if (show == 1 && count != kTabCount + 1) {
    tabControl()->insertItem(kTabCount, childFrameTitle(FRAME_INACTIVATE), -1,
                             m_pageP != nullptr ? m_pageP->window() : nullptr);
  } else if (show != 1 && count != kTabCount) {
    tabControl()->deleteItem(kTabCount);
  }
  tabControl()->Refresh();
}

DTreePageFrame::DTreePageFrame(wxWindow* parentP, int kind, const std::string& title)
    : DChildFrame(parentP, kind, title, false) {}

void DTreePageFrame::build(DTreeView& tree, const std::function<void()>& initTree,
                           const DTabViewMaker& makeTabView) {
  m_splitterP = new wxSplitterWindow(this, wxID_ANY, wxDefaultPosition, GetClientSize(),
                                     wxSP_LIVE_UPDATE | wxSP_3DSASH);
  m_splitterP->SetMinimumPaneSize(50);
  m_treeWindowP =
      dtvCreateWindow(tree, m_splitterP, wxDefaultPosition, wxSize(kTreeWidth, kTreeWidth),
                      DTV_HASBUTTONS | DTV_HASLINES | DTV_LINESATROOT);
  if (wxImageList* imagesP = applicationImages()) m_treeWindowP->SetImageList(imagesP);
  zkui::bindContextHelp(m_treeWindowP, static_cast<unsigned long>(tree.getContextHelpId()));
  initTree();
  std::unique_ptr<DPageTabView> tabViewP = makeTabView(m_splitterP);
  if (tabViewP == nullptr || tabViewP->Create() != 0) return;
  tabViewP->OnInitialUpdate();
  m_tabViewP = std::move(tabViewP);
  m_splitterP->SplitVertically(m_treeWindowP, m_tabViewP->window(), kTreeWidth);
  auto* sizerP = new wxBoxSizer(wxVERTICAL);
  sizerP->Add(m_splitterP, 1, wxEXPAND);
  SetSizer(sizerP);
}

void DTreePageFrame::setShowInactivateTab(bool show) {
  DChildFrame::setShowInactivateTab(show);
  if (m_tabViewP != nullptr) m_tabViewP->showInactivateTab(show ? 1 : 0);
}

void DTreePageFrame::layoutPage() {
  Layout();
  if (m_tabViewP != nullptr) m_tabViewP->layoutView();
}
