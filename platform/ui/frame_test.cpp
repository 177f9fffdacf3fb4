#include "frame.h"

#include <wx/dcclient.h>
#include <wx/frame.h>
#include <wx/panel.h>

#include <fstream>
#include <sstream>

#include "menus.h"
#include "print.h"
#include "tabstrip.h"
#include "uidriver.h"
#include "uiimage.h"
#include "uitestutil.h"

namespace zkui {
namespace {

class FrameParts : public UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    if (IsSkipped()) return;
    m_frame = new wxFrame(nullptr, wxID_ANY, "main", wxPoint(30, 40), wxSize(400, 300));
    m_frame->Show();
    drive::pumpUntil([this] { return m_frame->IsShownOnScreen(); });
  }
  void TearDown() override {
    if (m_frame) m_frame->Destroy();
    drive::pump(20);
  }
  wxFrame* m_frame = nullptr;
};

TEST_F(FrameParts, CardStackShowsOneCardAtATime) {
  auto* stack = new CardStack(m_frame);
  std::vector<wxWindow*> activated;
  stack->onActivated = [&](wxWindow* c) { activated.push_back(c); };
  wxPanel* cards[3];
  for (auto& c : cards) {
    c = new wxPanel(stack);
    stack->addCard(c);
  }
  EXPECT_EQ(cards[2], stack->active());
  EXPECT_TRUE(stack->activate(cards[0]));
  drive::pump(20);
  EXPECT_TRUE(cards[0]->IsShown());
  EXPECT_FALSE(cards[1]->IsShown());
  EXPECT_FALSE(cards[2]->IsShown());
  EXPECT_TRUE(stack->removeCard(cards[0]));  // the next one comes forward
  EXPECT_EQ(cards[1], stack->active());
  EXPECT_FALSE(stack->activate(cards[0]));  // no longer a card
  EXPECT_EQ(2, stack->count());
  EXPECT_EQ((std::vector<wxWindow*>{cards[0], cards[1], cards[2], cards[0], cards[1]}), activated);
}

TEST_F(FrameParts, PlacementKeepsTheLastNormalRectangle) {
  PlacementTracker tracker(m_frame);
  m_frame->SetSize(50, 60, 420, 310);
  drive::pump(50);
  WindowPlacement p = tracker.placement();
  EXPECT_EQ((Rect{50, 60, 420, 310}), p.normal);
  EXPECT_FALSE(p.iconized);
  EXPECT_FALSE(p.maximized);
  p.normal = Rect{10, 20, 300, 200};
  tracker.apply(p);
  drive::pump(50);
  EXPECT_EQ(wxRect(10, 20, 300, 200), m_frame->GetRect());
  EXPECT_EQ(p.normal, tracker.placement().normal);
}

TEST(Placement, WithinAScreenArea) {
  const Rect screen{0, 0, 1024, 768};
  struct Case {
    Corner where;
    Rect expected;
  };
  const Case cases[] = {
      {Corner::Centre, {362, 254, 300, 260}},      {Corner::TopLeft, {0, 0, 300, 260}},
      {Corner::TopRight, {724, 0, 300, 260}},      {Corner::BottomLeft, {0, 508, 300, 260}},
      {Corner::BottomRight, {724, 508, 300, 260}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.expected, placeIn(screen, 300, 260, c.where)) << static_cast<int>(c.where);
  }
  EXPECT_EQ((Rect{0, 0, 1300, 800}), placeIn(screen, 1300, 800));  // too large: top left
  EXPECT_EQ((Rect{10, 30, 300, 200}), placeIn(Rect{10, 30, 300, 200}, 300, 200));
  // A rectangle kept on a 1280x1024 screen, brought back onto 1024x768.
  EXPECT_EQ((Rect{624, 468, 400, 300}), fitIn(screen, Rect{1040, 860, 400, 300}));
  EXPECT_EQ((Rect{0, 0, 1024, 768}), fitIn(screen, Rect{-50, -20, 1280, 1024}));
  EXPECT_EQ((Rect{5, 6, 100, 100}), fitIn(screen, Rect{5, 6, 100, 100}));
}

TEST_F(FrameParts, TheScreenAreaATestSetsIsTheOneWindowsUse) {
  Rect display = screenArea();
  EXPECT_GT(display.width, 0);
  setScreenArea(Rect{0, 0, 1024, 768});
  EXPECT_EQ((Rect{0, 0, 1024, 768}), screenArea());
  PlacementTracker tracker(m_frame);
  WindowPlacement kept;
  kept.normal = Rect{900, 700, 300, 200};  // kept on a larger screen
  tracker.apply(kept);
  EXPECT_EQ((Rect{724, 568, 300, 200}), tracker.placement().normal);
  setScreenArea(Rect{});
  EXPECT_EQ(display, screenArea());
}

TEST_F(FrameParts, VetoedTabChangeCanBecomeACommand) {
  auto* tabs = new TabStrip(m_frame, 2014, wxPoint(0, 0), wxSize(300, 200));
  tabs->insertItem(0, "Backup");
  tabs->insertItem(1, "Restore");
  tabs->insertItem(2, "Inactivate");
  std::vector<std::string> seen;
  tabs->onSelChanging = [&](int from, int to) {
    seen.push_back("changing " + std::to_string(from) + "->" + std::to_string(to));
    return to == 2;  // this tab opens a window of its own instead
  };
  tabs->onSelChanged = [&](int to) { seen.push_back("changed " + std::to_string(to)); };
  EXPECT_FALSE(tabs->clickTab(2));
  EXPECT_EQ(0, tabs->selection());
  EXPECT_TRUE(tabs->clickTab(1));
  EXPECT_FALSE(tabs->clickTab(1));  // already selected: no notification
  EXPECT_EQ((std::vector<std::string>{"changing 0->2", "changing 0->1", "changed 1"}), seen);
  EXPECT_TRUE(tabs->deleteItem(0));
  EXPECT_EQ(0, tabs->selection());  // "Restore" moved down to index 0
  EXPECT_EQ("Restore", tabs->itemText(0));
}

// A row of tabs wider than the strip narrows the space beside the texts, so that every tab
// still shows its text whole; where the row fits, the tabs keep their width.
TEST_F(FrameParts, TabsNarrowToFitTheStrip) {
  auto* tabs = new TabStrip(m_frame, 2014, wxPoint(0, 0), wxSize(900, 200));
  for (const char* text : {"Backup Databases", "Backup Groups/Files", "Restore Databases",
                           "Restore Groups/Files", "Inactivate"}) {
    tabs->insertItem(tabs->itemCount(), text);
  }
  wxClientDC dc(tabs);
  dc.SetFont(tabs->GetFont());
  int texts = 0;
  for (int i = 0; i < tabs->itemCount(); ++i) {
    texts += dc.GetTextExtent(wxString::FromUTF8(tabs->itemText(i))).x;
  }
  const int wide = tabs->itemRect(4).GetRight();
  EXPECT_EQ(wide - tabs->itemRect(0).x + 1, texts + 5 * 16);  // 8 pixels a side
  tabs->SetSize(texts + 5 * 6 + 4, 200);
  EXPECT_LT(tabs->itemRect(4).GetRight(), tabs->GetClientSize().x);
  for (int i = 0; i < tabs->itemCount(); ++i) {
    int text = dc.GetTextExtent(wxString::FromUTF8(tabs->itemText(i))).x;
    EXPECT_GE(tabs->itemRect(i).width, text + 4) << tabs->itemText(i);
  }
  EXPECT_EQ(4, tabs->hitTest(wxPoint(tabs->itemRect(4).x + 2, 10)));
  EXPECT_EQ(wxRect(), tabs->itemRect(5));
}

TEST_F(FrameParts, MenusAndToolBarComeFromTheBundleAndSendTheirIds) {
  wxImage strip(32, 16);
  strip.SetRGB(wxRect(0, 0, 32, 16), 255, 0, 255);
  TempBundle bundle(R"(image 130 "tools.png"
menu 128
  popup "&File"
    item 101 "&Open"
    separator
    item 102 "E&xit" disabled
  end
  popup "&View"
    item 103 "&Status bar" checked
    item 104 "&Tool bar" checkable
  end
end
toolbar 129 130 16
  button 101
  separator
  button 103
end
)",
                    {{"tools.png", strip}});
  wxMenuBar* bar = makeMenuBar(*bundle.bundle(), 128);
  ASSERT_NE(nullptr, bar);
  m_frame->SetMenuBar(bar);
  EXPECT_EQ(2u, bar->GetMenuCount());
  EXPECT_EQ("&View", bar->GetMenuLabel(1).utf8_string());
  EXPECT_FALSE(bar->IsEnabled(102));
  EXPECT_TRUE(bar->IsChecked(103));
  EXPECT_FALSE(bar->IsChecked(104));
  wxToolBar* tools = makeToolBar(m_frame, *bundle.bundle(), 129);
  ASSERT_NE(nullptr, tools);
  EXPECT_EQ(3, tools->GetToolsCount());
  std::unique_ptr<wxMenu> popup(makePopupMenu(*bundle.bundle(), 128));
  EXPECT_EQ(3u, popup->GetMenuItemCount());  // the first popup's items
  EXPECT_EQ(nullptr, makeMenuBar(*bundle.bundle(), 999));

  std::vector<int> commands;
  m_frame->Bind(wxEVT_MENU, [&](wxCommandEvent& e) { commands.push_back(e.GetId()); });
  EXPECT_TRUE(drive::menu(m_frame, 101));
  EXPECT_FALSE(drive::menu(m_frame, 102));  // disabled
  EXPECT_FALSE(drive::menu(m_frame, 999));  // no such item
  EXPECT_TRUE(drive::menu(m_frame, 103));   // a checked item is unchecked by the choice
  EXPECT_FALSE(bar->IsChecked(103));
  EXPECT_TRUE(drive::menu(m_frame, 104));  // a checkable item is checked by the choice
  EXPECT_TRUE(bar->IsChecked(104));
  EXPECT_EQ((std::vector<int>{101, 103, 104}), commands);

  // A pop-up menu answered by the hook: its choice reaches the owner; a disabled item is none.
  commands.clear();
  std::vector<int> answers = {101, 102, 0};
  PopupMenuHook previous = setPopupMenuHook([&](const wxMenu& menu) {
    EXPECT_EQ(3u, menu.GetMenuItemCount());
    int id = answers.front();
    answers.erase(answers.begin());
    return id;
  });
  EXPECT_EQ(101, trackPopupMenu(m_frame, *popup, wxPoint(40, 50)));
  EXPECT_EQ(0, trackPopupMenu(m_frame, *popup, wxPoint(40, 50)));
  EXPECT_EQ(0, trackPopupMenu(m_frame, *popup, wxPoint(40, 50)));
  EXPECT_EQ(std::vector<int>{101}, commands);
  setPopupMenuHook(previous);
}

TEST_F(FrameParts, CommandIdsAboveTheToolkitsItemIdsAreSigned16BitItems) {
  TempBundle bundle(R"(menu 146
  popup "Backup"
    item 40070 "&Into"
    item 40071 "&Relocate" disabled
    item 57343 "&Last"
  end
end
)");
  struct Case {
    int command, item;
  };
  for (Case c : {Case{101, 101}, Case{0x7FFE, 0x7FFE}, Case{40070, -25466}, Case{57343, -8193}}) {
    EXPECT_EQ(c.item, menuItemId(c.command));
    EXPECT_EQ(c.command, menuCommandId(c.item));
  }
  std::unique_ptr<wxMenu> popup(makePopupMenu(*bundle.bundle(), 146));
  ASSERT_NE(nullptr, popup);
  EXPECT_NE(nullptr, popup->FindItem(menuItemId(40070)));
  std::vector<int> events;
  m_frame->Bind(wxEVT_MENU, [&](wxCommandEvent& e) { events.push_back(e.GetId()); });
  std::vector<int> answers = {40070, 40071, 57343};
  PopupMenuHook previous = setPopupMenuHook([&](const wxMenu&) {
    int id = answers.front();
    answers.erase(answers.begin());
    return id;
  });
  EXPECT_EQ(40070, trackPopupMenu(m_frame, *popup, wxPoint(40, 50)));
  EXPECT_EQ(0, trackPopupMenu(m_frame, *popup, wxPoint(40, 50)));  // disabled
  EXPECT_EQ(57343, trackPopupMenu(m_frame, *popup, wxPoint(40, 50)));
  EXPECT_EQ((std::vector<int>{-25466, -8193}), events);
  setPopupMenuHook(previous);
}

TEST_F(FrameParts, ImageListsAreCutFromStripsWithMagentaTransparent) {
  wxImage strip(48, 16);
  strip.SetRGB(wxRect(0, 0, 48, 16), 0, 0, 160);
  strip.SetRGB(wxRect(16, 0, 16, 16), 255, 0, 255);  // the second picture: all transparent
  TempBundle bundle("image 140 \"checks.png\"\n", {{"checks.png", strip}});
  struct Case {
    int id;
    int width;
    int count;  // -1: no list
  };
  const Case cases[] = {{140, 16, 3},  {140, 20, 2}, {140, 48, 1},
                        {140, 49, -1}, {140, 0, -1}, {141, 16, -1}};
  for (const Case& c : cases) {
    std::unique_ptr<wxImageList> list = resImageList(c.id, c.width);
    if (c.count < 0) {
      EXPECT_EQ(nullptr, list) << c.id << " " << c.width;
      continue;
    }
    ASSERT_NE(nullptr, list);
    EXPECT_EQ(c.count, list->GetImageCount()) << c.width;
    int width = 0, height = 0;
    list->GetSize(0, width, height);
    EXPECT_EQ(wxSize(c.width, 16), wxSize(width, height));
  }
  std::unique_ptr<wxImageList> list = resImageList(140, 16);
  wxImage first = list->GetBitmap(0).ConvertToImage();
  wxImage second = list->GetBitmap(1).ConvertToImage();
  EXPECT_EQ(160, first.GetBlue(5, 5));
  EXPECT_TRUE(first.HasAlpha() && first.GetAlpha(5, 5) == 255);
  EXPECT_TRUE(second.HasAlpha() && second.GetAlpha(5, 5) == 0);
}

TEST_F(FrameParts, PrintsPagesIntoAPostScriptFileWithLetterMetrics) {
  std::string path = testing::TempDir() + "zkui_print.ps";
  std::remove(path.c_str());
  {
    std::unique_ptr<PrintAdapter> printer = makePostScriptPrinter(path);
    PrintMetrics m = printer->metrics();
    ASSERT_GT(m.dpiX, 0);
    EXPECT_NEAR(8.5 * m.dpiX, m.pageWidth, m.dpiX);  // letter paper
    EXPECT_NEAR(11 * m.dpiY, m.pageHeight, m.dpiY);
    EXPECT_GT(m.lineHeight, 0);
    EXPECT_GT(printer->textWidth("Registration"), printer->textWidth("Reg"));
    ASSERT_TRUE(printer->startDoc("Registration"));
    for (int page = 0; page < 2; ++page) {
      ASSERT_TRUE(printer->startPage());
      printer->text(600, 600, "Name: Jane Roe");
      printer->line(600, 700, 3000, 700);
      ASSERT_TRUE(printer->endPage());
    }
    ASSERT_TRUE(printer->endDoc());
  }
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  EXPECT_EQ(0u, text.str().rfind("%!PS", 0));
  EXPECT_NE(std::string::npos, text.str().find("%%Page: 2"));
  EXPECT_EQ(std::string::npos, text.str().find("%%Page: 3"));
  EXPECT_NE(std::string::npos, text.str().find("Jane Roe"));

  // An abandoned document leaves no file.
  std::unique_ptr<PrintAdapter> printer = makePostScriptPrinter(path);
  ASSERT_TRUE(printer->startDoc("Registration"));
  ASSERT_TRUE(printer->startPage());
  printer->text(600, 600, "Name: Jane Roe");
  printer->abortDoc();
  EXPECT_FALSE(std::ifstream(path).good());
}

}  // namespace
}  // namespace zkui
