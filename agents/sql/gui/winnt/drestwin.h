// The two restore windows of the main window: "Restore Databases" (DRestoreFrame) and
// "Restore Groups/Files" (DRestoreGFFrame). Each is split into the window's check-box tree on
// the left (drestree.h) and a tab view on the right (DRestoreTabView) whose tabs name the
// program's windows and whose page is the window's restore page (drestpage.h). The tab view
// never shows another page: choosing another tab keeps its own selected and asks the
// application controller to bring that window to the front. The main frame makes each window
// once (makeRestoreFrame) and keeps it to the end; the user cannot close it.
//
// User-interface thread only.
#pragma once

#include <memory>

#include "dmainfrm.h"
#include "drestpage.h"
#include "drestree.h"
#include "dtabview.h"

class wxSplitterWindow;
class wxTreeCtrl;

class DRestoreTabView : public DTabFormView, public DControlledView {
 public:
  // `kind`: FRAME_RESTORE or FRAME_RESTORE_GF, the tab selected in this view.
  DRestoreTabView(int kind, wxWindow* parentP);
  ~DRestoreTabView() override;

  // Makes the page inside the tab control, the tabs of the windows (and the Inactivate tab
  // when it is shown), and selects the own tab.
  void OnInitialUpdate() override;
  // Sizes the tab control and the page to the view as it stands.
  void layoutView();
  // 1: the Inactivate tab as fifth tab (once); anything else takes it away.
  void OnShowInactivateTab(int show);
  DRestorePageBase* page() const { return m_pageP.get(); }
  // The view acts on no inform message: it answers the message's id.
  virtual uint16_t ciListenToInforms(DInformMsg msg) { return msg.getMessage(); }
  int ownTab() const { return m_kind; }
  bool initialised() const { return m_initialised; }

 protected:
  void onSize(int width, int height) override;
  // The tabs all carry the one page: nothing is hidden, and another tab opens its window.
  bool OnSelChangingTab(int oldIndex) override;
  void OnSelChangeTab(int newIndex) override;

 private:
  void placePage();

  int m_kind;
  std::unique_ptr<DRestorePageBase> m_pageP;
  bool m_initialised = false;
};

class DRestoreFrame : public DChildFrame {
 public:
  // Makes the splitter with the tree and the tab view; check created() afterwards.
  DRestoreFrame(wxWindow* parentP, int kind, const std::string& title);
  ~DRestoreFrame() override;
  bool created() const { return m_tabViewP != nullptr && m_tabViewP->page() != nullptr; }

  DControlledView* treeView() override { return m_treeP.get(); }
  DControlledView* tabView() override { return m_tabViewP.get(); }
  DControlledView* page() override;
  DRestoreTreeBase* restoreTree() const { return m_treeP.get(); }
  DRestoreTabView* restoreTabView() const { return m_tabViewP.get(); }
  wxTreeCtrl* treeWindow() const { return m_treeWindowP; }
  wxSplitterWindow* splitter() const { return m_splitterP; }

  // The window acts on no inform message: it answers the message's id.
  virtual uint16_t ciListenToInforms(DInformMsg msg) { return msg.getMessage(); }
  void setShowInactivateTab(bool show) override;
  void layoutPage() override;
  void refreshView() override;

 private:
  std::unique_ptr<DRestoreTreeBase> m_treeP;
  std::unique_ptr<DRestoreTabView> m_tabViewP;
  wxSplitterWindow* m_splitterP = nullptr;
  wxTreeCtrl* m_treeWindowP = nullptr;
};

// The window of kind FRAME_RESTORE or FRAME_RESTORE_GF for the main frame's factory; null when
// it could not be made.
DChildFrame* makeRestoreFrame(wxWindow* parentP, int kind, const std::string& title);
