#include "dtabview.h"

#include <wx/frame.h>
#include <wx/panel.h>

#include <string>
#include <vector>

#include "dpagechild.h"
#include "uidriver.h"
#include "uitestutil.h"

namespace {

using zkui::drive::pump;
using zkui::drive::pumpUntil;

const char kBundle[] = R"(
dialog 505 0 0 300 200 "" child
  tab 2014 7 7 240 160 ""
end
)";

// A tab view with two pages that stretches its page as the program's tab views do.
class TwoPageView : public DTabFormView {
 public:
  explicit TwoPageView(wxWindow* parentP) : DTabFormView(parentP) {}
  std::vector<std::string> m_events;
  wxPanel* m_pages[2] = {nullptr, nullptr};

  void addPages() {
    for (int i = 0; i < 2; ++i) {
      m_pages[i] = new wxPanel(tabControl(), wxID_ANY, wxPoint(4, 28), wxSize(50, 50));
      tabControl()->insertItem(i, i == 0 ? "Databases" : "Files", -1, m_pages[i]);
      // Each show or hide, with the other page's state at that moment.
      m_pages[i]->Bind(wxEVT_SHOW, [this, i](wxShowEvent& e) {
        wxPanel* other = m_pages[1 - i];
        m_events.push_back(std::string(e.IsShown() ? "show " : "hide ") + std::to_string(i) +
                           (other->IsShown() ? ", other shown" : ", other hidden") +
                           (other->IsEnabled() ? " enabled" : " disabled"));
      });
    }
    m_pages[1]->Hide();
    m_events.clear();
  }

 protected:
  void onSize(int width, int height) override {
    DTabFormView::onSize(width, height);
    if (m_pages[0]) DPageChildWnd().alignWindowTo(m_pages[0], tabControl(), 25, 7, 7);
  }
};

class TabViewTest : public zkui::UiTest {
 protected:
  void SetUp() override {
    zkui::UiTest::SetUp();
    if (IsSkipped()) return;
    m_frame = new wxFrame(nullptr, wxID_ANY, "frame", wxPoint(0, 0), wxSize(600, 500));
    m_frame->Show();
    pumpUntil([this] { return m_frame->IsShownOnScreen(); });
  }
  void TearDown() override {
    if (m_frame) m_frame->Destroy();
    pump(20);
  }
  wxFrame* m_frame = nullptr;
};

TEST_F(TabViewTest, TabStripKeepsItsMarginAndNeverShrinksBelowTheTemplate) {
  zkui::TempBundle bundle(kBundle);
  TwoPageView view(m_frame);
  ASSERT_EQ(0, view.Create());
  view.OnInitialUpdate();
  EXPECT_EQ(240, view.minTabWidth());
  EXPECT_EQ(160, view.minTabHeight());
  EXPECT_EQ(wxRect(7, 7, 286, 186), view.tabControl()->GetRect());  // 300x200 view less 14

  struct Case {
    wxSize view;
    wxSize tab;
  };
  const Case cases[] = {
      {{500, 400}, {486, 386}},  // larger: the view less the margins
      {{100, 80}, {240, 160}},   // smaller: the template's size
      {{250, 400}, {240, 386}},  // each direction on its own
  };
  view.addPages();
  for (const Case& c : cases) {
    view.window()->SetSize(c.view);
    pump(20);
    EXPECT_EQ(c.tab, view.tabControl()->GetSize()) << c.view.x << "x" << c.view.y;
    EXPECT_EQ(wxPoint(7, 7), view.tabControl()->GetPosition());
    // The page keeps its origin and reaches to 7 pixels inside the tab strip.
    wxRect page = view.m_pages[0]->GetRect();
    EXPECT_EQ(wxPoint(4, 28), page.GetPosition());
    EXPECT_EQ(c.tab.x - 7, page.GetRight() + 1);
    EXPECT_EQ(c.tab.y - 7, page.GetBottom() + 1);
  }
}

TEST_F(TabViewTest, ChangingTabsHidesTheOldPageBeforeShowingTheNew) {
  zkui::TempBundle bundle(kBundle);
  TwoPageView view(m_frame);
  ASSERT_EQ(0, view.Create());
  view.OnInitialUpdate();
  view.addPages();
  ASSERT_TRUE(view.tabControl()->clickTab(1));
  EXPECT_EQ(
      (std::vector<std::string>{"hide 0, other hidden enabled", "show 1, other hidden disabled"}),
      view.m_events);
  EXPECT_TRUE(view.m_pages[1]->IsEnabled());
  EXPECT_FALSE(view.m_pages[0]->IsEnabled());
  EXPECT_EQ(1, view.tabControl()->selection());

  // A close sent to the view leaves it open; Escape does not end it either.
  EXPECT_FALSE(view.window()->Close());
  pump(20);
  EXPECT_NE(nullptr, view.window());
}

TEST_F(TabViewTest, AlignToRectMovesIntoTheParentsCoordinates) {
  auto* ref = new wxPanel(m_frame, wxID_ANY, wxPoint(100, 50), wxSize(200, 100));
  auto* box = new wxPanel(m_frame, wxID_ANY, wxPoint(0, 0), wxSize(40, 20));
  pump(20);
  DPageChildWnd helper;
  helper.alignWindowToRect(box, ref, 16 | 8, 5, 3, nullptr);  // into the bottom right corner
  EXPECT_EQ(wxRect(255, 127, 40, 20), box->GetRect());
  helper.alignWindowTo(box, ref, 16, 7, 0);  // only a shift: nothing visible changes
  EXPECT_EQ(wxRect(255, 127, 40, 20), box->GetRect());
  helper.fitWindowTo(ref, box, true, 10, 10);  // 200 - 10 - 155 by 100 - 10 - 77, at (10, 10)
  EXPECT_EQ(wxRect(10, 10, 35, 13), box->GetRect());
}

}  // namespace
