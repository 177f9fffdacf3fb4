// The inactivate window of the main window (kind FRAME_INACTIVATE): the check-box tree of the
// storage server's SQL servers, their databases and active backups on the left (dinacttree.h)
// and a tab view (dpagetab.h) on the right whose fifth tab, "Inactivate", holds the inactivate
// page (dinactpage.h); the other four tabs bring the backup and restore windows to the front.
// The main frame makes the window once (makeInactivateFrame) and keeps it to the end; the user
// cannot close it.
//
// User-interface thread only.
#pragma once

#include <memory>
#include <string>

#include "dinactpage.h"
#include "dinacttree.h"
#include "dpagetab.h"

class DInactivateTabView : public DPageTabView {
 public:
  explicit DInactivateTabView(wxWindow* parentP) : DPageTabView(FRAME_INACTIVATE, parentP) {}
  DInactivatePage* page() const { return static_cast<DInactivatePage*>(pageDialog()); }

 protected:
  std::unique_ptr<DFciDialog> makePage(wxWindow* tabP) override;
  void layoutPageControls() override { page()->layoutControls(); }
  // Every window's tab, its own the fifth.
  int firstTabCount() const override { return FRAME_KIND_COUNT; }
};

class DInactivateFrame : public DTreePageFrame {
 public:
  // Makes the splitter with the tree and the tab view; check created() afterwards.
  DInactivateFrame(wxWindow* parentP, int kind, const std::string& title);
  ~DInactivateFrame() override;

  DControlledView* treeView() override { return m_treeP.get(); }
  DInactivateTreeView* inactivateTree() const { return m_treeP.get(); }
  DInactivateTabView* inactivateTabView() const {
    return static_cast<DInactivateTabView*>(pageTabView());
  }
  // The window always shows every tab.
  void setShowInactivateTab(bool) override {}
  void refreshView() override;

 private:
  std::unique_ptr<DInactivateTreeView> m_treeP;
};

// The window of kind FRAME_INACTIVATE for the main frame's factory; null when it could not be
// made.
DChildFrame* makeInactivateFrame(wxWindow* parentP, int kind, const std::string& title);
