#include "regbitmap.h"

#include "uiimage.h"

namespace {

std::string resourceName(int id) {
  return "#" + std::to_string(id);
}

// The id of a name "#<decimal>"; -1 for any other name.
int resourceId(const std::string& name) {
  if (name.size() < 2 || name[0] != '#') return -1;
  int id = 0;
  for (size_t i = 1; i < name.size(); ++i) {
    if (name[i] < '0' || name[i] > '9' || id > 100000000) return -1;
    id = id * 10 + (name[i] - '0');
  }
  return id;
}

// The current source's bitmap `id`, with its palette.
wxBitmap currentBitmap(int id, std::optional<zkui::LogPalette>& palette) {
  std::shared_ptr<const zkui::ResourceBundle> bundle = zkui::currentResources();
  if (!bundle) return wxBitmap();
  return loadBitmap(*bundle, resourceName(id), palette);
}

}  // namespace

std::optional<zkui::LogPalette> makePalette(const zkui::BitmapInfo& info, int& colourCount) {
  const zkui::BitmapInfoHeader& h = info.header;
  colourCount = h.bitCount <= 8 ? 1 << h.bitCount : 0;
  if (h.clrUsed != 0) colourCount = static_cast<int>(h.clrUsed);
  if (colourCount == 0) return std::nullopt;
  zkui::LogPalette palette;
  palette.entries.resize(colourCount);
  for (size_t i = 0; i < palette.entries.size() && i < info.colours.size(); ++i) {
    const zkui::RgbQuad& c = info.colours[i];
    palette.entries[i] = zkui::PaletteEntry{c.red, c.green, c.blue, 0};
  }
  return palette;
}

wxBitmap loadBitmap(const zkui::ResourceBundle& bundle, const std::string& name,
                    std::optional<zkui::LogPalette>& palette) {
  palette.reset();
  int id = resourceId(name);
  const zkui::ImageResource* res = id < 0 ? nullptr : bundle.image(id);
  zkui::BitmapInfo info;
  if (!res || zkui::readPngInfo(res->bytes, info) != 0) return wxBitmap();
  wxBitmap bitmap = zkui::bundleBitmap(bundle, id, false);
  if (!bitmap.IsOk()) return bitmap;
  // The display has more than 256 colours: the palette needs no realising, only keeping.
  int count = 0;
  palette = makePalette(info, count);
  return bitmap;
}

std::optional<zkui::LogPalette> paletteOf(int resourceId) {
  std::optional<zkui::LogPalette> palette;
  currentBitmap(resourceId, palette);
  return palette;
}

wxSize bitmapSize(int resourceId) {
  std::optional<zkui::LogPalette> palette;
  wxBitmap bitmap = currentBitmap(resourceId, palette);
  return bitmap.IsOk() ? bitmap.GetSize() : wxSize(0, 0);
}

void drawBitmap(wxDC& dc, int x, int y, int resourceId, int dx, int dy) {
  std::optional<zkui::LogPalette> palette;
  wxBitmap bitmap = currentBitmap(resourceId, palette);
  if (bitmap.IsOk()) dc.DrawBitmap(bitmap, x + dx, y + dy, false);
}

void drawTransparent(wxDC& dc, int x, int y, int resourceId, int dx, int dy,
                     const wxColour& transparent) {
  std::shared_ptr<const zkui::ResourceBundle> bundle = zkui::currentResources();
  wxImage image = bundle ? zkui::bundleImage(*bundle, resourceId) : wxImage();
  if (!image.IsOk()) return;
  // The pixels of the transparent colour become fully transparent; the toolkit composes the
  // rest over what the target holds, which is what the mask and raster operations achieve.
  image.SetMaskColour(transparent.Red(), transparent.Green(), transparent.Blue());
  image.InitAlpha();
  dc.DrawBitmap(wxBitmap(image), x + dx, y + dy, true);
}
