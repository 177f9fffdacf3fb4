#include "uitestutil.h"

#include <unistd.h>

#include <fstream>

#include "uiapp.h"

namespace zkui {

namespace {
bool gHaveDisplay = false;
}

bool uiTestHaveDisplay() {
  return gHaveDisplay;
}

TempBundle::TempBundle(const std::string& text, const std::map<std::string, wxImage>& images) {
  static int serial = 0;
  m_dir = std::filesystem::temp_directory_path() /
          ("zkui_test_" + std::to_string(::getpid()) + "_" + std::to_string(++serial));
  std::filesystem::create_directories(m_dir);
  for (const auto& [name, image] : images) {
    EXPECT_TRUE(image.SaveFile(wxString::FromUTF8((m_dir / name).string()), wxBITMAP_TYPE_PNG));
  }
  std::ofstream((m_dir / "bundle.zrc").string()) << text;
  std::string why;
  EXPECT_EQ(0, ResourceBundle::load((m_dir / "bundle.zrc").string(), m_bundle, &why)) << why;
  m_previous = setCurrentResources(m_bundle);
}

TempBundle::~TempBundle() {
  setCurrentResources(m_previous);
  std::filesystem::remove_all(m_dir);
}

}  // namespace zkui

// Starts the layer unless the run only lists the tests.
int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  bool listing = ::testing::GTEST_FLAG(list_tests);
  if (!listing) zkui::gHaveDisplay = zkui::uiStart(argc, argv) == zkui::kUiOk;
  // A failed check of the toolkit fails the test that caused it.
  wxSetAssertHandler([](const wxString& file, int line, const wxString&, const wxString& cond,
                        const wxString& msg) {
    ADD_FAILURE_AT(file.utf8_str().data(), line)
        << "toolkit check failed: " << cond.utf8_str().data() << " " << msg.utf8_str().data();
  });
  if (!listing && !zkui::gHaveDisplay) std::fprintf(stderr, "no display: window tests skipped\n");
  int rc = RUN_ALL_TESTS();
  if (zkui::gHaveDisplay) zkui::uiStop();
  return rc;
}
