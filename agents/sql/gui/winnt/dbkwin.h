// The two backup windows of the main window: "Backup Databases" (kind FRAME_BACKUP) and "Backup
// Groups/Files" (FRAME_BACKUP_GF), both a DBackupFrame: the window's check-box tree on the left
// (dbktree.h) and a tab view (dpagetab.h) whose page is the window's backup page (dbkpage.h).
// The main frame makes each window once (makeBackupFrame) and keeps it to the end; the user
// cannot close it.
//
// User-interface thread only.
#pragma once

#include <memory>

#include "dbkpage.h"
#include "dbktree.h"
#include "dpagetab.h"

class DBackupTabView : public DPageTabView {
 public:
  // `kind`: FRAME_BACKUP or FRAME_BACKUP_GF, the tab selected in this view.
  DBackupTabView(int kind, wxWindow* parentP) : DPageTabView(kind, parentP) {}
  DBackupPageBase* page() const { return static_cast<DBackupPageBase*>(pageDialog()); }

 protected:
  std::unique_ptr<DFciDialog> makePage(wxWindow* tabP) override;
  void layoutPageControls() override { page()->layoutControls(); }
};

class DBackupFrame : public DTreePageFrame {
 public:
  // Makes the splitter with the tree and the tab view; check created() afterwards.
  DBackupFrame(wxWindow* parentP, int kind, const std::string& title);
  ~DBackupFrame() override;

  DControlledView* treeView() override { return m_treeP.get(); }
  DBackupTreeBase* backupTree() const { return m_treeP.get(); }
  DBackupTabView* backupTabView() const { return static_cast<DBackupTabView*>(pageTabView()); }
  void refreshView() override;

 private:
  std::unique_ptr<DBackupTreeBase> m_treeP;
};

// The window of kind FRAME_BACKUP or FRAME_BACKUP_GF for the main frame's factory; null when it
// could not be made.
DChildFrame* makeBackupFrame(wxWindow* parentP, int kind, const std::string& title);
