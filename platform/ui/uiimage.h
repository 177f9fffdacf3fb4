// Images of resource bundles as wxWidgets bitmaps. Magenta (255, 0, 255) is the transparent
// key: with `masked`, those pixels get a mask and drawing the bitmap with its mask leaves what
// was below them showing. User-interface thread (wxBitmap); an invalid bitmap when the bundle
// has no such image or its bytes are not a PNG.
#pragma once

#include <wx/bitmap.h>
#include <wx/image.h>

#include "resbundle.h"

namespace zkui {

wxImage bundleImage(const ResourceBundle& bundle, int id);
wxBitmap bundleBitmap(const ResourceBundle& bundle, int id, bool masked);
// From the current resource source.
wxBitmap resBitmap(int id, bool masked);

}  // namespace zkui
