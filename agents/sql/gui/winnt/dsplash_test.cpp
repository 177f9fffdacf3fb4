#include "dsplash.h"

#include <wx/button.h>
#include <wx/uiaction.h>

#include "frame.h"
#include "uidriver.h"
#include "uitestutil.h"

namespace {

using zkui::drive::pumpUntil;

class DSplashTest : public zkui::UiTest {
 protected:
  void TearDown() override {
    if (DSplash::c_pSplashWnd) DSplash::c_pSplashWnd->hideSplashScreen();
    EnableSplashScreen(false);
    zkui::drive::pump(50);
  }
  static wxImage picture() {
    wxImage image(300, 260);
    image.SetRGB(wxRect(0, 0, 300, 260), 30, 90, 160);
    return image;
  }
};

TEST_F(DSplashTest, ShownOnlyWhenEnabledAndItsBitmapLoads) {
  zkui::TempBundle bundle("image 136 \"splash.png\"\n", {{"splash.png", picture()}});
  ShowSplashScreen(nullptr);
  EXPECT_EQ(nullptr, DSplash::c_pSplashWnd);  // not enabled
  EnableSplashScreen(true);
  {
    zkui::TempBundle empty("string 1 \"no bitmap\"\n");
    ShowSplashScreen(nullptr);
    EXPECT_EQ(nullptr, DSplash::c_pSplashWnd);
  }
  ShowSplashScreen(nullptr);
  ASSERT_NE(nullptr, DSplash::c_pSplashWnd);
  ASSERT_TRUE(pumpUntil([] { return DSplash::c_pSplashWnd->IsShownOnScreen(); }, 900));
  EXPECT_EQ(wxSize(300, 260), DSplash::c_pSplashWnd->GetSize());
  // The one-second timer ends it.
  EXPECT_TRUE(pumpUntil([] { return DSplash::c_pSplashWnd == nullptr; }, 5000));
}

TEST_F(DSplashTest, AClickClosesItAndDoesNotReachTheWindowBelow) {
  zkui::TempBundle bundle("image 136 \"splash.png\"\n", {{"splash.png", picture()}});
  // In the bottom right corner of the screen, where no other test's window lies: the tests run
  // side by side on one display and the simulated click goes to whatever window is there.
  zkui::Rect corner = zkui::placeIn(zkui::screenArea(), 200, 120, zkui::Corner::BottomRight);
  auto* frame = new wxFrame(nullptr, wxID_ANY, "main", wxPoint(corner.x, corner.y),
                            wxSize(corner.width, corner.height));
  auto* button = new wxButton(frame, 7, "Press", wxPoint(10, 10), wxSize(120, 40));
  int pressed = 0;
  button->Bind(wxEVT_BUTTON, [&](wxCommandEvent&) { ++pressed; });
  frame->Show();
  ASSERT_TRUE(pumpUntil([&] { return button->IsShownOnScreen(); }));
  zkui::drive::pump(100);
  EnableSplashScreen(true);
  ShowSplashScreen(frame);
  ASSERT_NE(nullptr, DSplash::c_pSplashWnd);
  zkui::drive::pump(100);

  wxUIActionSimulator user;
  wxPoint centre = button->GetScreenRect().GetPosition() + wxSize(60, 20);
  user.MouseMove(centre);
  user.MouseClick();
  EXPECT_TRUE(pumpUntil([] { return DSplash::c_pSplashWnd == nullptr; }, 900));  // before the timer
  zkui::drive::pump(100);
  EXPECT_EQ(0, pressed);
  user.MouseClick();  // with the splash gone the button gets it
  EXPECT_TRUE(pumpUntil([&] { return pressed == 1; }));

  // A key closes it too.
  ShowSplashScreen(frame);
  ASSERT_NE(nullptr, DSplash::c_pSplashWnd);
  wxKeyEvent key(wxEVT_KEY_DOWN);
  key.SetEventObject(button);
  EXPECT_TRUE(button->GetEventHandler()->ProcessEvent(key));
  EXPECT_EQ(nullptr, DSplash::c_pSplashWnd);
  frame->Destroy();
}

}  // namespace
