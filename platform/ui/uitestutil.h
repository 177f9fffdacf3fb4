// For tests of windows: the test program's main starts the layer when a display is there
// (scripts/test.sh provides one under Xvfb); UiTest skips its tests when there is none. A
// TempBundle writes a bundle (and PNG images made from wxImages) into a fresh folder, loads it
// and makes it the current resource source until it goes.
#pragma once

#include <gtest/gtest.h>
#include <wx/image.h>

#include <filesystem>
#include <map>
#include <memory>
#include <string>

#include "resbundle.h"

namespace zkui {

bool uiTestHaveDisplay();

class UiTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!uiTestHaveDisplay()) GTEST_SKIP() << "no display";
  }
};

class TempBundle {
 public:
  // `images`: file name to picture; the bundle text names them with image lines.
  explicit TempBundle(const std::string& text, const std::map<std::string, wxImage>& images = {});
  ~TempBundle();
  const std::filesystem::path& dir() const { return m_dir; }
  std::shared_ptr<const ResourceBundle> bundle() const { return m_bundle; }

 private:
  std::filesystem::path m_dir;
  std::shared_ptr<const ResourceBundle> m_bundle;
  std::shared_ptr<const ResourceBundle> m_previous;
};

}  // namespace zkui
