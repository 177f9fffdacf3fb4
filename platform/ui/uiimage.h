// Images of resource bundles as wxWidgets bitmaps. Magenta (255, 0, 255) is the transparent
// key: with `masked`, those pixels get a mask and drawing the bitmap with its mask leaves what
// was below them showing. User-interface thread (wxBitmap); an invalid bitmap when the bundle
// has no such image or its bytes are not a PNG.
#pragma once

#include <wx/bitmap.h>
#include <wx/image.h>
#include <wx/imaglist.h>

#include <memory>
#include <vector>

#include "resbundle.h"

namespace zkui {

wxImage bundleImage(const ResourceBundle& bundle, int id);
wxBitmap bundleBitmap(const ResourceBundle& bundle, int id, bool masked);
// From the current resource source.
wxBitmap resBitmap(int id, bool masked);

// The pictures of a strip image: `width` pixels wide each, as tall as the strip, left to right,
// magenta transparent; a last piece narrower than `width` is left out. Empty when the bundle
// has no such image or width is not positive.
std::vector<wxBitmap> stripPictures(const ResourceBundle& bundle, int id, int width);
// An image list of those pictures, for trees, list views and tab strips (picture n of the
// strip is index n). Null when there are none. The caller owns it; a control's
// AssignImageList takes it over.
std::unique_ptr<wxImageList> imageListFromStrip(const ResourceBundle& bundle, int id, int width);
// From the current resource source.
std::unique_ptr<wxImageList> resImageList(int id, int width);

}  // namespace zkui
