// What the backup, restore and inactivate windows share: DPageTabView, a tab view whose tabs
// name the program's windows and all carry the window's one page, and DTreePageFrame, a window
// split into its check-box tree on the left and that tab view on the right. The tab view never
// shows another page: choosing another tab keeps its own selected and asks the application
// controller to bring that window to the front. The main frame makes each window once and keeps
// it to the end; the user cannot close it.
//
// User-interface thread only.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "dfcidlg.h"
#include "dmainfrm.h"
#include "dtabview.h"

class wxSplitterWindow;
class wxTreeCtrl;
class DTreeView;

class DPageTabView : public DTabFormView, public DControlledView {
 public:
  // `kind`: the window's kind, the tab selected in this view.
  DPageTabView(int kind, wxWindow* parentP);
  ~DPageTabView() override;

  // Makes the page inside the tab control, the tabs of the windows, and selects the own tab.
  void OnInitialUpdate() override;
  // Sizes the tab control and the page to the view as it stands.
  void layoutView();
  // 1: the Inactivate tab as fifth tab (once); anything else takes it away.
  void showInactivateTab(int show);
  DFciDialog* pageDialog() const { return m_pageP.get(); }
  // The view acts on no inform message: it answers the message's id.
  virtual uint16_t ciListenToInforms(DInformMsg msg) { return msg.getMessage(); }
  int ownTab() const { return m_kind; }
  bool initialised() const { return m_initialised; }

 protected:
  // The window's page, made inside the tab control; null when it cannot be made.
  virtual std::unique_ptr<DFciDialog> makePage(wxWindow* tabP) = 0;
  // The tabs made at first: the backup and restore windows' four; the Inactivate tab comes
  // and goes with showInactivateTab.
  virtual int firstTabCount() const { return FRAME_INACTIVATE; }
  // Places the page's controls after its size changed.
  virtual void layoutPageControls() = 0;
  void onSize(int width, int height) override;
  // The tabs all carry the one page: nothing is hidden, and another tab opens its window.
  bool OnSelChangingTab(int oldIndex) override;
  void OnSelChangeTab(int newIndex) override;

 private:
  void placePage();

  int m_kind;
  std::unique_ptr<DFciDialog> m_pageP;
  bool m_initialised = false;
};

class DTreePageFrame : public DChildFrame {
 public:
  bool created() const { return m_tabViewP != nullptr && m_tabViewP->pageDialog() != nullptr; }
  DControlledView* tabView() override { return m_tabViewP.get(); }
  DControlledView* page() override {
    return m_tabViewP != nullptr ? m_tabViewP->pageDialog() : nullptr;
  }
  wxTreeCtrl* treeWindow() const { return m_treeWindowP; }
  wxSplitterWindow* splitter() const { return m_splitterP; }
  // The window acts on no inform message: it answers the message's id.
  virtual uint16_t ciListenToInforms(DInformMsg msg) { return msg.getMessage(); }
  void setShowInactivateTab(bool show) override;
  void layoutPage() override;

 protected:
  DTreePageFrame(wxWindow* parentP, int kind, const std::string& title);
  // Makes the tree's window on the left, runs initTree (the tree's first update), makes the
  // tab view on the right with makeTabView; created() tells whether all went well.
  using DTabViewMaker = std::function<std::unique_ptr<DPageTabView>(wxWindow* parentP)>;
  void build(DTreeView& tree, const std::function<void()>& initTree,
             const DTabViewMaker& makeTabView);
  DPageTabView* pageTabView() const { return m_tabViewP.get(); }
  // The tab view goes before the tree (a derived window's destructor calls this first).
  void dropTabView() { m_tabViewP.reset(); }

 private:
  std::unique_ptr<DPageTabView> m_tabViewP;
  wxSplitterWindow* m_splitterP = nullptr;
  wxTreeCtrl* m_treeWindowP = nullptr;
};

// The window of class Frame (a DTreePageFrame made with parent, kind and title) for the main
// frame's factory; null when it could not be made.
template <class Frame>
DChildFrame* makeTreePageFrame(wxWindow* parentP, int kind, const std::string& title) {
  auto* frameP = new Frame(parentP, kind, title);
  if (frameP->created()) return frameP;
  frameP->Destroy();
  return nullptr;
}
