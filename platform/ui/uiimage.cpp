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
