#include "uiimage.h"

#include <wx/mstream.h>

namespace zkui {

wxImage bundleImage(const ResourceBundle& bundle, int id) {
  const ImageResource* res = bundle.image(id);
  if (!res || res->bytes.empty()) return wxImage();
  wxMemoryInputStream in(res->bytes.data(), res->bytes.size());
  wxImage image;
  if (!image.LoadFile(in, wxBITMAP_TYPE_PNG)) return wxImage();
  return image;
}

wxBitmap bundleBitmap(const ResourceBundle& bundle, int id, bool masked) {
  wxImage image = bundleImage(bundle, id);
  if (!image.IsOk()) return wxBitmap();
  if (!masked) return wxBitmap(image);
  // As an alpha channel rather than a one-bit mask: the toolkit may filter a bitmap as it draws
  // it, and a filtered mask would let a rim of magenta through.
  image.SetMaskColour(255, 0, 255);
  image.InitAlpha();
  return wxBitmap(image);
}

wxBitmap resBitmap(int id, bool masked) {
  std::shared_ptr<const ResourceBundle> b = currentResources();
  return b ? bundleBitmap(*b, id, masked) : wxBitmap();
}

}  // namespace zkui

namespace zkui {

std::vector<wxBitmap> stripPictures(const ResourceBundle& bundle, int id, int width) {
  std::vector<wxBitmap> out;
  wxBitmap strip = bundleBitmap(bundle, id, true);
  if (!strip.IsOk() || width <= 0) return out;
  for (int x = 0; x + width <= strip.GetWidth(); x += width) {
    out.push_back(strip.GetSubBitmap(wxRect(x, 0, width, strip.GetHeight())));
  }
  return out;
}

std::unique_ptr<wxImageList> imageListFromStrip(const ResourceBundle& bundle, int id, int width) {
  std::vector<wxBitmap> pictures = stripPictures(bundle, id, width);
  if (pictures.empty()) return nullptr;
  auto list = std::make_unique<wxImageList>(width, pictures[0].GetHeight(), false,
                                            static_cast<int>(pictures.size()));
  for (const wxBitmap& picture : pictures) list->Add(picture);
  return list;
}

std::unique_ptr<wxImageList> resImageList(int id, int width) {
  std::shared_ptr<const ResourceBundle> b = currentResources();
  return b ? imageListFromStrip(*b, id, width) : nullptr;
}

}  // namespace zkui
