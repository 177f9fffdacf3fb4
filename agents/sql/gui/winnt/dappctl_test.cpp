// The inform chain, the window kinds and the wiring of the window controllers, over a main
// frame made of plain objects; and the main window's placement rules.
#include "dappctl.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "agtrc.h"
#include "dbkctl.h"
#include "dinactctl.h"
#include "dplacement.h"
#include "drestctl.h"
#include "msgbox.h"
#include "root.h"

namespace {

struct FakeFrame : DChildFrameView {
  DControlledView tree, tab, pageView;
  DControlledView* treeView() override { return &tree; }
  DControlledView* tabView() override { return &tab; }
  DControlledView* page() override { return &pageView; }
};

struct FakeMainFrame : DMainFrameView {
  std::unique_ptr<FakeFrame> frames[FRAME_KIND_COUNT];
  bool fail = false;
  int creates = 0;
  DApplicationController* controllerP = nullptr;
  int createFrame(int kind) override {
    creates++;
    if (frames[kind]) return DFRAME_EXISTED;
    if (fail) return DFRAME_FAILED;
    frames[kind] = std::make_unique<FakeFrame>();
    return DFRAME_CREATED;
  }
  DChildFrameView* getFrame(int kind) override { return frames[kind].get(); }
  void setController(DApplicationController* c) override { controllerP = c; }
};

struct CountingRunner : DCommandRunner {
  std::vector<uint32_t> commands;
  uint32_t answer = 0;
  uint32_t runCommand(commandInfo* infoP) override {
    commands.push_back(infoP->command);
    return answer;
  }
};

class Controllers : public testing::Test {
 protected:
  void SetUp() override {
    DApplicationController::setMainFrame(&m_frame);
    DApplicationController::setCommandRunner(&m_runner);
    zkui::setMessageBoxHook([this](const zkui::MessageBoxRequest& r) {
      m_boxes.push_back(r.text);
      return zkui::kIdBoxOk;
    });
    m_root.makeFrameController();
  }
  void TearDown() override {
    DApplicationController::deleteControllers();
    DApplicationController::setMainFrame(nullptr);
    DApplicationController::setCommandRunner(nullptr);
    zkui::setMessageBoxHook(nullptr);
  }
  FakeMainFrame m_frame;
  CountingRunner m_runner;
  DRootController m_root;
  std::vector<std::string> m_boxes;
};

TEST_F(Controllers, MessagesClimbFromAWindowControllerToTheRoot) {
  ASSERT_EQ(m_frame.controllerP, DApplicationController::getFrameController());
  ASSERT_EQ(DApplicationController::getFrameController()->getParent(), &m_root);
  ASSERT_EQ(m_root.openView(FRAME_BACKUP), 1);
  DController* pageController = m_frame.frames[FRAME_BACKUP]->pageView.getController();
  ASSERT_EQ(pageController, DApplicationController::getBackupController());

  commandInfo info{3, nullptr};
  m_runner.answer = 0;
  EXPECT_EQ(informController(pageController, INFORM_DO_COMMAND, &info), 0u);
  m_runner.answer = 415;  // the runner's code comes back unchanged
  EXPECT_EQ(informController(pageController, INFORM_DO_COMMAND, &info), 415u);
  EXPECT_EQ(m_runner.commands, (std::vector<uint32_t>{3, 3}));

  // Id 0 stops at the frame controller; any other id is refused by the root with 419.
  EXPECT_EQ(informController(pageController, INFORM_NONE, &info), 0u);
  EXPECT_EQ(informController(pageController, 1001, &info), uint32_t(RC_INTERNAL_ERROR));
  EXPECT_EQ(informController(&m_root, 7, nullptr), uint32_t(RC_INTERNAL_ERROR));
  EXPECT_EQ(m_runner.commands.size(), 2u);

  // A frame controller without parent drops the message; the informer answers 0 to all.
  DFrameController orphan;
  EXPECT_EQ(informController(&orphan, INFORM_DO_COMMAND, &info), 0u);
  DInformer informer;
  EXPECT_EQ(informController(&informer, INFORM_DO_COMMAND, &info), 0u);
  EXPECT_EQ(m_runner.commands.size(), 2u);

  // Without a runner a command cannot run.
  DApplicationController::setCommandRunner(nullptr);
  EXPECT_EQ(informController(pageController, INFORM_DO_COMMAND, &info),
            uint32_t(RC_INTERNAL_ERROR));
}

TEST_F(Controllers, EachKindWiresItsControllerAndOneBackupControllerServesBoth) {
  EXPECT_EQ(m_root.openView(FRAME_BACKUP), 1);
  EXPECT_EQ(m_root.openView(FRAME_BACKUP_GF), 1);
  DBackupController* backupP = DApplicationController::getBackupController();
  ASSERT_NE(backupP, nullptr);
  EXPECT_EQ(backupP->getParent(), DApplicationController::getFrameController());
  for (int kind : {FRAME_BACKUP, FRAME_BACKUP_GF}) {
    FakeFrame& f = *m_frame.frames[kind];
    EXPECT_EQ(f.getController(), backupP);
    EXPECT_EQ(f.tree.getController(), backupP);
    EXPECT_EQ(f.tab.getController(), backupP);
    EXPECT_EQ(backupP->parts(kind).pageP, &f.pageView);
  }
  EXPECT_EQ(m_root.openView(FRAME_RESTORE_GF), 1);
  DRestoreController* restoreP = DApplicationController::getRestoreController();
  ASSERT_NE(restoreP, nullptr);
  EXPECT_EQ(restoreP->getGFTreeView(), &m_frame.frames[FRAME_RESTORE_GF]->tree);
  EXPECT_EQ(restoreP->getTreeView(), nullptr);
  EXPECT_EQ(m_root.openView(FRAME_INACTIVATE), 1);
  EXPECT_EQ(DApplicationController::getInactivateController()->parts().frameP,
            m_frame.frames[FRAME_INACTIVATE].get());
  // A second opening only brings the window up: nothing is made or wired again.
  EXPECT_EQ(m_root.openView(FRAME_BACKUP), 0);
  EXPECT_EQ(DApplicationController::getBackupController(), backupP);
  EXPECT_TRUE(m_boxes.empty());

  // Kind 5 shows "error" and makes nothing.
  int creates = m_frame.creates;
  m_root.openView(5);
  EXPECT_EQ(m_boxes, (std::vector<std::string>{"error"}));
  EXPECT_EQ(m_frame.creates, creates);

  DApplicationController::deleteControllers();
  EXPECT_EQ(DApplicationController::getFrameController(), nullptr);
  EXPECT_EQ(DApplicationController::getBackupController(), nullptr);
  EXPECT_EQ(DApplicationController::getRestoreController(), nullptr);
  EXPECT_EQ(DApplicationController::getInactivateController(), nullptr);
  DApplicationController::deleteControllers();  // twice is harmless
}

TEST_F(Controllers, AWindowThatCannotBeMadeIsNotWired) {
  m_frame.fail = true;
  EXPECT_EQ(m_root.openView(FRAME_RESTORE), DFRAME_FAILED);
  EXPECT_EQ(DApplicationController::getRestoreController(), nullptr);
  m_frame.fail = false;  // a later request tries again
  EXPECT_EQ(m_root.openView(FRAME_RESTORE), 1);
  EXPECT_NE(DApplicationController::getRestoreController(), nullptr);
}

TEST(Placement, DefaultIsCentredOnEightTenthsBySevenTenths) {
  zkui::Rect r = defaultPlacementRect({0, 0, 1024, 768});
  EXPECT_EQ(defaultPlacementRect({50, 20, 1024, 768}), (zkui::Rect{152, 135, 819, 537}));
  EXPECT_EQ(r.x, 102);
  EXPECT_EQ(r.y, 115);
  EXPECT_EQ(r.right(), 921);
  EXPECT_EQ(r.bottom(), 652);
}

TEST(Placement, RectTextIsFourWholeNumbersSeparatedByBlanks) {
  struct Case {
    const char* text;
    bool ok;
    zkui::Rect rect;
  } cases[] = {
      {"0102 0115 0921 0652", true, {102, 115, 819, 537}},
      {"-20 5   12000 900", true, {-20, 5, 12020, 895}},  // widths past four digits
      {"10 10 100", false, {}},
      {"10 10 100 100 7", false, {}},
      {"10 10 5 100", false, {}},  // empty
      {"a b c d", false, {}},
      {"", false, {}},
  };
  for (const Case& c : cases) {
    std::optional<zkui::Rect> r = parsePlacementRect(c.text);
    EXPECT_EQ(r.has_value(), c.ok) << c.text;
    if (r && c.ok) {
      EXPECT_EQ(*r, c.rect) << c.text;
    }
  }
  EXPECT_EQ(formatPlacementRect({102, 115, 819, 537}), "0102 0115 0921 0652");
  EXPECT_EQ(parsePlacementRect(formatPlacementRect({-30, 40, 5000, 20})),
            (zkui::Rect{-30, 40, 5000, 20}));
}

TEST(Placement, StoredAndLoadedThroughTheProfile) {
  zkroot::ScopedRoot root;
  std::string path = (root.path() / "zarnaksql.ini").string();
  {
    zkui::Profile profile(path);
    zkui::WindowPlacement p = loadPlacement(profile, {0, 0, 1024, 768});
    EXPECT_EQ(p.normal, defaultPlacementRect({0, 0, 1024, 768}));
    EXPECT_FALSE(p.maximized);
    p.normal = {10, 20, 300, 200};
    p.maximized = true;
    ASSERT_TRUE(storePlacement(profile, p));
  }
  zkui::Profile again(path);
  EXPECT_EQ(again.getString(DPLACE_SECTION, DPLACE_RECT, ""), "0010 0020 0310 0220");
  zkui::WindowPlacement p = loadPlacement(again, {0, 0, 1024, 768});
  EXPECT_EQ(p.normal, (zkui::Rect{10, 20, 300, 200}));
  EXPECT_TRUE(p.maximized);
  EXPECT_FALSE(p.iconized);
}

}  // namespace
