// The main window's placement as the program keeps it in its profile: section "Window size",
// entries "Rect" (left top right bottom, written "%04d %04d %04d %04d"), "iconized" and
// "maximized". Without a stored rectangle the window takes 8/10 of the screen's width and 7/10
// of its height, centred. Any thread (the profile takes its own lock).
#pragma once

#include <optional>
#include <string>

#include "frame.h"
#include "profile.h"

extern const char DPLACE_SECTION[];    // "Window size"
extern const char DPLACE_RECT[];       // "Rect"
extern const char DPLACE_ICONIZED[];   // "iconized"
extern const char DPLACE_MAXIMIZED[];  // "maximized"

// Four whole numbers separated by blanks (left top right bottom); nothing when the text is not
// exactly that or the rectangle is empty.
std::optional<zkui::Rect> parsePlacementRect(const std::string& text);
std::string formatPlacementRect(const zkui::Rect& rect);
// 8/10 of the screen area's width and 7/10 of its height, centred in it.
zkui::Rect defaultPlacementRect(const zkui::Rect& screen);

// The stored placement, or the default for the screen area.
zkui::WindowPlacement loadPlacement(const zkui::Profile& profile, const zkui::Rect& screen);
// Writes the normal rectangle and the two flags; false when the profile cannot be written.
bool storePlacement(zkui::Profile& profile, const zkui::WindowPlacement& placement);
