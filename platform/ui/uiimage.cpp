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
  if (masked) image.SetMaskColour(255, 0, 255);
  return wxBitmap(image);
}

wxBitmap resBitmap(int id, bool masked) {
  std::shared_ptr<const ResourceBundle> b = currentResources();
  return b ? bundleBitmap(*b, id, masked) : wxBitmap();
}

}  // namespace zkui
