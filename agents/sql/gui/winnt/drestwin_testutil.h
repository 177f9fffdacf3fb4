// For tests of the restore windows on a display: the main window with the program's resource
// library and the application's pictures, the restore windows made through the main frame's
// factory and wired by the application controller, message boxes answered by the test. Base is
// a fixture with an agent folder, agentDir() (StoredBackupFixture or one derived from it, or a
// test's own), set up first; the backup windows' test adds its own windows to it.
#pragma once

#include <wx/listctrl.h>
#include <wx/treectrl.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "dguiopts.h"
#include "drestwin.h"
#include "dsqlguiapp.h"
#include "frame.h"
#include "msgbox.h"
#include "resbundle.h"
#include "uidriver.h"
#include "uiimage.h"
#include "uitestutil.h"

template <class Base>
class RestoreWindowsFixture : public Base {
 protected:
  void SetUp() override {
    if (!zkui::uiTestHaveDisplay()) GTEST_SKIP() << "no display";
    Base::SetUp();
    initializeOptions(&guiOptions());
    std::string why;
    ASSERT_EQ(zkui::ResourceBundle::load(ZK_GUI_BUNDLE, m_bundle, &why), 0) << why;
    m_previous = zkui::setCurrentResources(m_bundle);
    zkui::setMessageBoxHook([this](const zkui::MessageBoxRequest& r) {
      m_boxes.push_back(r.text);
      return zkui::kIdBoxOk;
    });
    zkui::setScreenArea({0, 0, 1024, 768});
    // The application's pictures, as its start-up makes them.
    ASSERT_TRUE(m_app.imageList().Create(16, 16, true, DSQLGUI_IMAGE_COUNT));
    for (int id : DSQLGUI_IMAGE_IDS) m_app.imageList().Add(zkui::bundleBitmap(*m_bundle, id, true));
    DApplicationController::setApplication(&m_app);
    m_profile = std::make_unique<zkui::Profile>(this->agentDir() + "zarnaksql.ini");
    m_frameP = new DMainFrame(&guiOptions(), m_profile.get());
    ASSERT_TRUE(m_frameP->create("Zarnak for SQL Server"));
    m_frameP->SetSize(0, 0, 1024, 768);
    m_frameP->Show();
    DApplicationController::setMainFrame(m_frameP);
    DMainFrame::setChildFrameFactory(FRAME_RESTORE, makeRestoreFrame);
    DMainFrame::setChildFrameFactory(FRAME_RESTORE_GF, makeRestoreFrame);
    theRootController().makeFrameController();
    ASSERT_TRUE(zkui::drive::pumpUntil([this] { return m_frameP->IsShownOnScreen(); }));
  }
  void TearDown() override {
    if (!zkui::uiTestHaveDisplay()) return;
    if (m_frameP != nullptr) m_frameP->Destroy();
    zkui::drive::pump(50);
    DApplicationController::deleteControllers();
    DApplicationController::setMainFrame(nullptr);
    DApplicationController::setApplication(nullptr);
    DMainFrame::setChildFrameFactory(FRAME_RESTORE, nullptr);
    DMainFrame::setChildFrameFactory(FRAME_RESTORE_GF, nullptr);
    zkui::setMessageBoxHook(nullptr);
    zkui::setScreenArea({});
    zkui::setCurrentResources(m_previous);
    Base::TearDown();
  }

  // Brings the restore window of the kind to the front, made on first use.
  DRestoreFrame* open(int kind) {
    theRootController().openView(kind);
    zkui::drive::pump(50);
    return dynamic_cast<DRestoreFrame*>(m_frameP->childFrame(kind));
  }
  static wxTreeItemId item(DRestoreFrame* frameP, const std::vector<std::string>& path) {
    return zkui::drive::treeItem(frameP->treeWindow(), path);
  }
  static wxListCtrl* list(DRestoreFrame* frameP, int id) {
    return dynamic_cast<wxListCtrl*>(frameP->restoreTabView()->page()->control(id));
  }
  // The picture a list row shows (its state picture less one).
  static int rowImage(wxListCtrl* listP, int row) {
    wxListItem info;
    info.SetId(row);
    info.SetMask(wxLIST_MASK_IMAGE);
    listP->GetItem(info);
    return info.GetImage();
  }
  // A PNG of the window in $ZARNAK_SCREENSHOTS, when that is set.
  static void shoot(wxWindow* windowP, const std::string& name) {
    const char* dirP = std::getenv("ZARNAK_SCREENSHOTS");
    if (dirP == nullptr) return;
    std::filesystem::create_directories(dirP);
    zkui::drive::pump(300);
    EXPECT_EQ(zkui::drive::screenshot(windowP, std::string(dirP) + "/" + name), 0);
  }

  DSqlGuiApp m_app;
  std::shared_ptr<const zkui::ResourceBundle> m_bundle;
  std::shared_ptr<const zkui::ResourceBundle> m_previous;
  std::unique_ptr<zkui::Profile> m_profile;
  DMainFrame* m_frameP = nullptr;
  std::vector<std::string> m_boxes;
};
