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

#include "dpagetab.h"
#include "drestpage.h"
#include "drestree.h"

class DRestoreTabView : public DPageTabView {
 public:
  // `kind`: FRAME_RESTORE or FRAME_RESTORE_GF, the tab selected in this view.
  DRestoreTabView(int kind, wxWindow* parentP) : DPageTabView(kind, parentP) {}
  DRestorePageBase* page() const { return static_cast<DRestorePageBase*>(pageDialog()); }
  // 1: the Inactivate tab as fifth tab (once); anything else takes it away.
  void OnShowInactivateTab(int show) { showInactivateTab(show); }

 protected:
  std::unique_ptr<DFciDialog> makePage(wxWindow* tabP) override;
  void layoutPageControls() override { page()->layoutControls(); }
};

class DRestoreFrame : public DTreePageFrame {
 public:
  // Makes the splitter with the tree and the tab view; check created() afterwards.
  DRestoreFrame(wxWindow* parentP, int kind, const std::string& title);
  ~DRestoreFrame() override;

  DControlledView* treeView() override { return m_treeP.get(); }
  DRestoreTreeBase* restoreTree() const { return m_treeP.get(); }
  DRestoreTabView* restoreTabView() const { return static_cast<DRestoreTabView*>(pageTabView()); }
  void refreshView() override;

 private:
  std::unique_ptr<DRestoreTreeBase> m_treeP;
};

// The window of kind FRAME_RESTORE or FRAME_RESTORE_GF for the main frame's factory; null when
// it could not be made.
DChildFrame* makeRestoreFrame(wxWindow* parentP, int kind, const std::string& title);
