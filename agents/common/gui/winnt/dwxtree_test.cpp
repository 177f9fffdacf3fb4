#include "dwxtree.h"

#include <wx/frame.h>
#include <wx/sizer.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "dtreeview.h"
#include "help.h"
#include "uidriver.h"
#include "uitestutil.h"

namespace {

namespace drive = zkui::drive;

constexpr int kStripId = 300;
constexpr int kServer = 6;
constexpr int kHelpId = 77;

// The check pictures, 16 pixels each: 0 unused, 1 clear, 2 checked, 3 partial, 4 cannot be
// selected, 5 disabled, 6 a server.
wxImage checkStrip() {
  wxImage strip(7 * 16, 16);
  strip.SetRGB(wxRect(0, 0, 7 * 16, 16), 255, 0, 255);
  auto box = [&](int n, unsigned char r, unsigned char g, unsigned char b) {
    strip.SetRGB(wxRect(n * 16 + 1, 1, 14, 14), 60, 60, 60);
    strip.SetRGB(wxRect(n * 16 + 2, 2, 12, 12), r, g, b);
  };
  for (int n = 1; n <= 5; ++n) box(n, 255, 255, 255);
  for (int i = 0; i < 4; ++i) {  // a tick
    strip.SetRGB(wxRect(2 * 16 + 4 + i, 7 + i, 2, 2), 0, 140, 0);
    strip.SetRGB(wxRect(2 * 16 + 7 + i, 9 - 2 * i, 2, 2), 0, 140, 0);
  }
  strip.SetRGB(wxRect(3 * 16 + 5, 5, 6, 6), 120, 120, 120);  // partial: a filled square
  box(4, 170, 170, 170);
  box(5, 220, 220, 220);
  strip.SetRGB(wxRect(6 * 16 + 2, 3, 12, 10), 40, 90, 200);
  return strip;
}

// Clicking a check picture as the program's trees do: clear or partial becomes checked,
// checked becomes clear, with the subtree and the ancestors following.
class SampleTree : public DTreeView {
 public:
  int getContextHelpId() override { return kHelpId; }
  std::vector<DTreeHit> m_hits;

 protected:
  void OnLButtonDown(HTREEITEM item, DTreeHit hit) override {
    m_hits.push_back(hit);
    if (!item || hit != DTreeHit::Picture) return;
    int picture = GetTreeCtrl()->getImage(item);
    int next = picture == S_CHECK ? S_CLEAR : S_CHECK;
    if (picture != S_CLEAR && picture != S_CHECK && picture != S_PARTIAL) return;
    if (HTREEITEM child = ciSetImage(item, next, next)) ciPropogateImageDown(child, next);
    ciPropogateImageUp(item);
  }
  bool OnItemexpanding(HTREEITEM item, bool) override {
    return ciOnItemExpandingNoCollapse(item) != 0;
  }
};

class TreeWindowTest : public zkui::UiTest {
 protected:
  void SetUp() override {
    zkui::UiTest::SetUp();
    if (IsSkipped()) return;
    m_bundle = std::make_unique<zkui::TempBundle>(
        "image 300 \"checks.png\"\n", std::map<std::string, wxImage>{{"checks.png", checkStrip()}});
    m_frameP = new wxFrame(nullptr, wxID_ANY, "Backup", wxPoint(40, 40), wxSize(300, 240));
    m_treeP = dtvCreateWindow(m_view, m_frameP, wxDefaultPosition, wxDefaultSize,
                              DTV_HASBUTTONS | DTV_HASLINES | DTV_LINESATROOT);
    auto* sizerP = new wxBoxSizer(wxVERTICAL);
    sizerP->Add(m_treeP, 1, wxEXPAND);
    m_frameP->SetSizer(sizerP);
    ASSERT_EQ(m_view.ciInstallImageLists(kStripId, kStripId), 0);
    m_server = add(nullptr, "SRV1", kServer, 1);
    m_sales = add(m_server, "sales", S_CLEAR, 1);
    m_salesDat = add(m_sales, "sales_dat", S_CLEAR);
    m_salesLog = add(m_sales, "sales_log", S_CLEAR);
    m_hr = add(m_server, "hr", S_CLEAR, 1);
    add(m_hr, "hr_dat", S_CLEAR);
    m_model = add(m_server, "model", S_NOSELECT);
    m_frameP->Show();
    m_frameP->Layout();
    drive::pump(100);
  }
  void TearDown() override {
    if (m_frameP) m_frameP->Destroy();
    drive::pump(20);
  }

  HTREEITEM add(HTREEITEM parent, const std::string& text, int image, int hasChildren = 0) {
    auto* recordP = new DTreeNodeData();
    recordP->m_hParentItem = parent;
    recordP->m_image = image;
    recordP->m_label = text;
    m_view.getTreeItemDataList()->addTail(&recordP);
    return m_view.ciInsertItem(text, recordP, hasChildren, TVI_LAST);
  }
  wxTreeItemId item(const std::vector<std::string>& path) { return drive::treeItem(m_treeP, path); }
  bool clickPicture(HTREEITEM h) {
    return drive::clickItem(m_treeP, DWxTreeCtrl::idOf(h), zkui::HitPart::Picture);
  }
  int picture(HTREEITEM h) { return m_treeP->GetItemImage(DWxTreeCtrl::idOf(h)); }
  void screenshot(const std::string& name) {
    if (const char* dirP = std::getenv("ZARNAK_SCREENSHOTS")) {
      drive::pump(150);  // the tree repaints changed rows when idle
      EXPECT_EQ(drive::screenshot(m_frameP, std::string(dirP) + "/" + name + ".png"), 0);
    }
  }

  std::unique_ptr<zkui::TempBundle> m_bundle;
  SampleTree m_view;
  wxFrame* m_frameP = nullptr;
  wxTreeCtrl* m_treeP = nullptr;
  HTREEITEM m_server{}, m_sales{}, m_salesDat{}, m_salesLog{}, m_hr{}, m_model{};
};

TEST_F(TreeWindowTest, ClickedCheckPicturesCarryTheCheckDownAndUp) {
  ASSERT_TRUE(drive::expand(m_treeP, item({"SRV1"})));
  ASSERT_TRUE(drive::expand(m_treeP, item({"SRV1", "sales"})));
  EXPECT_EQ(DWxTreeCtrl::itemOf(item({"SRV1", "sales", "sales_log"})), m_salesLog);

  ASSERT_TRUE(clickPicture(m_salesDat));
  EXPECT_EQ(picture(m_salesDat), S_CHECK);
  EXPECT_EQ(picture(m_sales), S_PARTIAL);
  EXPECT_EQ(picture(m_server), kServer);  // a plain picture takes no part
  screenshot("tree-partial");

  ASSERT_TRUE(clickPicture(m_salesLog));
  EXPECT_EQ(picture(m_sales), S_CHECK);
  screenshot("tree-checked");

  ASSERT_TRUE(clickPicture(m_sales));  // checked: cleared with its children
  EXPECT_EQ(picture(m_sales), S_CLEAR);
  EXPECT_EQ(picture(m_salesDat), S_CLEAR);
  EXPECT_EQ(picture(m_salesLog), S_CLEAR);
  ASSERT_TRUE(clickPicture(m_hr));  // checks hr_dat, not yet shown
  EXPECT_EQ(m_view.ciIsTiStateOfChildren(m_hr, S_CHECK), 1);

  ASSERT_TRUE(clickPicture(m_model));  // cannot be selected: nothing changes
  EXPECT_EQ(picture(m_model), S_NOSELECT);

  ASSERT_TRUE(drive::clickItem(m_treeP, DWxTreeCtrl::idOf(m_salesDat), zkui::HitPart::Label));
  EXPECT_EQ(picture(m_salesDat), S_CLEAR);
  EXPECT_EQ(m_view.ciGetQualifiedSelectedItemText('/', ""), "SRV1/sales/sales_dat/");
  EXPECT_EQ(m_view.m_hits.back(), DTreeHit::Label);
  screenshot("tree-selected");
}

TEST_F(TreeWindowTest, AnItemOpenedOnceStaysOpen) {
  EXPECT_EQ(m_view.ciItemExpandedOnce(m_sales), 0);
  ASSERT_TRUE(drive::expand(m_treeP, item({"SRV1"})));
  ASSERT_TRUE(drive::expand(m_treeP, item({"SRV1", "sales"})));
  EXPECT_EQ(m_view.ciItemExpandedOnce(m_sales), 1);
  // A click on the open item's button asks to collapse it, and is refused.
  ASSERT_TRUE(drive::clickItem(m_treeP, DWxTreeCtrl::idOf(m_sales), zkui::HitPart::Button));
  EXPECT_TRUE(m_treeP->IsExpanded(DWxTreeCtrl::idOf(m_sales)));
  EXPECT_EQ(m_view.m_hits.back(), DTreeHit::Button);
  // The program itself may close it.
  EXPECT_EQ(m_view.ciExpand(m_sales, TVE_COLLAPSE), 1);
  EXPECT_FALSE(m_treeP->IsExpanded(DWxTreeCtrl::idOf(m_sales)));
}

TEST_F(TreeWindowTest, F1AndRightClickAskForTheTreesHelpTopic) {
  zkui::setHelpFile("doc/zarnaksql.chm");
  zkui::clearHelpCalls();
  const zkui::HelpCall topic{"doc/zarnaksql.chm", zkui::HelpCommand::Context, kHelpId, {}};
  ASSERT_TRUE(drive::focus(m_treeP));
  EXPECT_TRUE(drive::key(WXK_F1, 0, m_treeP));
  EXPECT_EQ(zkui::helpCalls(), std::vector<zkui::HelpCall>{topic});
  ASSERT_TRUE(drive::clickItem(m_treeP, DWxTreeCtrl::idOf(m_server), zkui::HitPart::Label,
                               drive::Mouse::Right));
  EXPECT_EQ(zkui::helpCalls(), (std::vector<zkui::HelpCall>{topic, topic}));
  zkui::setHelpFile("");
}

TEST_F(TreeWindowTest, ViewLeftWithoutItsWindowTouchesNothing) {
  m_frameP->Destroy();
  m_frameP = nullptr;
  drive::pump(50);
  EXPECT_FALSE(m_view.GetTreeCtrl()->exists());
  EXPECT_EQ(m_view.ciGetChild(nullptr), nullptr);
  EXPECT_EQ(m_view.ciSetImage(m_sales, S_CHECK, S_CHECK), nullptr);
  EXPECT_EQ(m_view.ciPropogateImageUp(m_salesDat), 0);
  EXPECT_EQ(m_view.getTreeItemDataList()->getCount(), 7u);  // the records stay with the view
}

}  // namespace
