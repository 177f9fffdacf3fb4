// The wizard's pictures: bitmap resources of the language library (the current resource
// source), loaded with their own colour palette and drawn plainly or with one colour left
// transparent. A resource is named "#" and its id in decimal. User-interface thread only.
#pragma once

#include <wx/bitmap.h>
#include <wx/colour.h>
#include <wx/dc.h>

#include <optional>
#include <string>

#include "pnginfo.h"
#include "resbundle.h"

// The palette of a bitmap with that header and colour table: the colour count is 2 to the
// power of the bits per pixel when that is 8 or less, else 0, and a non-zero colours-used field
// replaces it; a count of 0 gives no palette. Colours past the end of the table are black.
std::optional<zkui::LogPalette> makePalette(const zkui::BitmapInfo& info, int& colourCount);

// The bitmap resource `name` of the bundle with its palette; an invalid bitmap (and no palette)
// when the bundle has no such bitmap or it cannot be read.
wxBitmap loadBitmap(const zkui::ResourceBundle& bundle, const std::string& name,
                    std::optional<zkui::LogPalette>& palette);

std::optional<zkui::LogPalette> paletteOf(int resourceId);
// Width and height in pixels; 0 by 0 for a missing bitmap.
wxSize bitmapSize(int resourceId);
// Copies the bitmap to (x + dx, y + dy); a missing bitmap draws nothing.
void drawBitmap(wxDC& dc, int x, int y, int resourceId, int dx, int dy);
// As drawBitmap, leaving every pixel of the transparent colour showing what is already there.
void drawTransparent(wxDC& dc, int x, int y, int resourceId, int dx, int dy,
                     const wxColour& transparent);
