#include "dplacement.h"

#include <cstdio>
#include <sstream>

const char DPLACE_SECTION[] = "Window size";
const char DPLACE_RECT[] = "Rect";
const char DPLACE_ICONIZED[] = "iconized";
const char DPLACE_MAXIMIZED[] = "maximized";

std::optional<zkui::Rect> parsePlacementRect(const std::string& text) {
  std::istringstream in(text);
  long left = 0, top = 0, right = 0, bottom = 0;
  if (!(in >> left >> top >> right >> bottom)) return std::nullopt;
  std::string rest;
  if (in >> rest) return std::nullopt;
  constexpr long kLimit = 1000000;
  for (long v : {left, top, right, bottom}) {
    if (v < -kLimit || v > kLimit) return std::nullopt;
  }
  if (right <= left || bottom <= top) return std::nullopt;
  return zkui::Rect{int(left), int(top), int(right - left), int(bottom - top)};
}

std::string formatPlacementRect(const zkui::Rect& rect) {
  char text[64];
  snprintf(text, sizeof text, "%04d %04d %04d %04d", rect.x, rect.y, rect.right(), rect.bottom());
  return text;
}

zkui::Rect defaultPlacementRect(const zkui::Rect& screen) {
  int width = screen.width * 8 / 10;
  int height = screen.height * 7 / 10;
  return {screen.x + (screen.width - width) / 2, screen.y + (screen.height - height) / 2, width,
          height};
}

zkui::WindowPlacement loadPlacement(const zkui::Profile& profile, const zkui::Rect& screen) {
  zkui::WindowPlacement placement;
  std::optional<zkui::Rect> stored =
      parsePlacementRect(profile.getString(DPLACE_SECTION, DPLACE_RECT, ""));
  placement.normal = stored ? *stored : defaultPlacementRect(screen);
  placement.iconized = profile.getInt(DPLACE_SECTION, DPLACE_ICONIZED, 0) != 0;
  placement.maximized = profile.getInt(DPLACE_SECTION, DPLACE_MAXIMIZED, 0) != 0;
  return placement;
}

bool storePlacement(zkui::Profile& profile, const zkui::WindowPlacement& placement) {
  bool ok = profile.writeString(DPLACE_SECTION, DPLACE_RECT, formatPlacementRect(placement.normal));
  ok = profile.writeInt(DPLACE_SECTION, DPLACE_ICONIZED, placement.iconized ? 1 : 0) && ok;
  return profile.writeInt(DPLACE_SECTION, DPLACE_MAXIMIZED, placement.maximized ? 1 : 0) && ok;
}
