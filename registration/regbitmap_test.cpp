#include "regbitmap.h"

#include <wx/dcbuffer.h>
#include <wx/frame.h>
#include <wx/imagpng.h>
#include <wx/mstream.h>

#include "uidriver.h"
#include "uitestutil.h"

namespace {

TEST(MakePalette, CountFollowsBitsAndColoursUsed) {
  struct Case {
    uint16_t bitCount;
    uint32_t clrUsed;
    int count;  // 0: no palette
  };
  const Case cases[] = {
      {24, 0, 0}, {32, 0, 0}, {8, 0, 256}, {8, 16, 16}, {4, 0, 16},
      {1, 0, 2},  {4, 3, 3},  {24, 5, 5},  // a colours-used field replaces the count even above 8
                                           // bits
  };
  for (const Case& c : cases) {
    zkui::BitmapInfo info;
    info.header.bitCount = c.bitCount;
    info.header.clrUsed = c.clrUsed;
    info.colours.assign(3, zkui::RgbQuad{});
    info.colours[1] = zkui::RgbQuad{10, 20, 30, 99};  // blue, green, red, reserved
    int count = -1;
    std::optional<zkui::LogPalette> palette = makePalette(info, count);
    EXPECT_EQ(c.count, count) << c.bitCount << "/" << c.clrUsed;
    ASSERT_EQ(c.count != 0, palette.has_value());
    if (!palette) continue;
    EXPECT_EQ(0x300, palette->version);
    ASSERT_EQ(static_cast<size_t>(c.count), palette->entries.size());
    EXPECT_EQ((zkui::PaletteEntry{30, 20, 10, 0}), palette->entries[1]);
    if (c.count > 3) {
      EXPECT_EQ(zkui::PaletteEntry{}, palette->entries[3]);  // past the table
    }
  }
}

// Bitmap 7: 40x30, a magenta frame of 10 pixels around blue; bitmap 8: 16 colours, palette PNG.
class RegBitmap : public zkui::UiTest {
 protected:
  static wxImage framed() {
    wxImage image(40, 30);
    image.SetRGB(wxRect(0, 0, 40, 30), 255, 0, 255);
    image.SetRGB(wxRect(10, 10, 20, 10), 0, 0, 200);
    return image;
  }
  static wxImage sixteenColours() {
    wxImage image(16, 4);
    for (int x = 0; x < 16; ++x) image.SetRGB(wxRect(x, 0, 1, 4), x * 16, 255 - x * 16, 7);
    image.SetOption(wxIMAGE_OPTION_PNG_FORMAT, wxPNG_TYPE_PALETTE);
    return image;
  }
  const char* kText = "image 7 \"framed.png\"\nimage 8 \"sixteen.png\"\n";
};

TEST_F(RegBitmap, LoadsWithItsPaletteAndSize) {
  zkui::TempBundle bundle(kText, {{"framed.png", framed()}, {"sixteen.png", sixteenColours()}});
  EXPECT_FALSE(paletteOf(7).has_value());  // 24 bits: no palette
  std::optional<zkui::LogPalette> palette = paletteOf(8);
  ASSERT_TRUE(palette.has_value());
  EXPECT_EQ(16u, palette->entries.size());
  EXPECT_EQ((zkui::PaletteEntry{16, 239, 7, 0}), palette->entries[1]);
  EXPECT_EQ(wxSize(40, 30), bitmapSize(7));
  EXPECT_EQ(wxSize(0, 0), bitmapSize(9));
  std::optional<zkui::LogPalette> none;
  EXPECT_FALSE(loadBitmap(*bundle.bundle(), "7", none).IsOk());  // names start with '#'
  EXPECT_TRUE(loadBitmap(*bundle.bundle(), "#7", none).IsOk());
}

TEST_F(RegBitmap, MagentaKeyedBitmapShowsTheBackgroundThrough) {
  zkui::TempBundle bundle("image 7 \"framed.png\"\n", {{"framed.png", framed()}});
  auto* frame = new wxFrame(nullptr, wxID_ANY, "paint", wxPoint(0, 0), wxSize(200, 100));
  frame->SetBackgroundStyle(wxBG_STYLE_PAINT);
  frame->Bind(wxEVT_PAINT, [frame](wxPaintEvent&) {
    wxAutoBufferedPaintDC dc(frame);
    dc.SetBackground(*wxGREEN_BRUSH);
    dc.Clear();
    drawBitmap(dc, 10, 10, 7, 0, 0);                              // plain, at (10, 10)
    drawTransparent(dc, 50, 5, 7, 10, 5, wxColour(255, 0, 255));  // keyed, at (60, 10)
    drawBitmap(dc, 110, 10, 9, 0, 0);                             // missing: nothing
  });
  frame->Show();
  ASSERT_TRUE(zkui::drive::pumpUntil([&] { return frame->IsShownOnScreen(); }));
  zkui::drive::pump(200);
  std::string path = testing::TempDir() + "regbitmap_keyed.png";
  ASSERT_EQ(0, zkui::drive::screenshot(frame, path));
  frame->Destroy();
  wxImage shot(wxString::FromUTF8(path), wxBITMAP_TYPE_PNG);
  ASSERT_TRUE(shot.IsOk());
  // The frame has no decorations: Xvfb runs without a window manager.
  auto rgb = [&](int x, int y) {
    return std::to_string(shot.GetRed(x, y)) + "," + std::to_string(shot.GetGreen(x, y)) + "," +
           std::to_string(shot.GetBlue(x, y));
  };
  EXPECT_EQ("255,0,255", rgb(12, 12));  // the plain copy keeps its magenta
  EXPECT_EQ("0,0,200", rgb(25, 25));    // and its centre
  EXPECT_EQ("0,255,0", rgb(62, 12));    // keyed: the background shows through
  EXPECT_EQ("0,0,200", rgb(75, 25));    // the rest is drawn
  EXPECT_EQ("0,255,0", rgb(120, 20));   // the missing bitmap drew nothing
}

}  // namespace
