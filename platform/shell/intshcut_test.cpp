// The Internet shortcut class through the COM runtime: created by its class id, given an
// address, saved as a shortcut file; names the platform refuses and unwritable folders fail.
#include "intshcut.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "object.h"
#include "runtime.h"

namespace {

namespace fs = std::filesystem;

std::u16string utf16(const std::string& ascii) {
  return std::u16string(ascii.begin(), ascii.end());
}

class Shortcut : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_GE(CoInitializeEx(nullptr, 0), 0);
    m_dir = fs::path(testing::TempDir()) / "intshcut";
    fs::remove_all(m_dir);
    fs::create_directories(m_dir);
  }
  void TearDown() override { CoUninitialize(); }

  // Saves a shortcut to url at path; the HRESULT of the save.
  static HRESULT save(const std::string& url, const std::string& path) {
    INewShortcutHookA* hook = nullptr;
    HRESULT hr = CoCreateInstance(CLSID_InternetShortcut, nullptr, 1, IID_INewShortcutHookA,
                                  reinterpret_cast<void**>(&hook));
    if (hr < 0) return hr;
    hook->SetFolder("Title");
    hook->SetReferent(url.c_str(), nullptr);
    IPersistFile* file = nullptr;
    hr = hook->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file));
    if (hr >= 0) {
      hr = file->Save(utf16(path).c_str(), 0);
      file->Release();
    }
    hook->Release();
    return hr;
  }
  fs::path m_dir;
};

TEST_F(Shortcut, SavesTheAddressAsAShortcutFile) {
  fs::path path = m_dir / "Orbenix Home.url";
  ASSERT_EQ(save("http://www.orbenix.example/", path.string()), S_OK);
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  EXPECT_EQ(text.str(), "[InternetShortcut]\r\nURL=http://www.orbenix.example/\r\n");
}

TEST_F(Shortcut, RefusesBadNamesAndMissingFolders) {
  EXPECT_EQ(save("http://a.example/", (m_dir / "What? Now.url").string()), STG_E_INVALIDNAME);
  EXPECT_EQ(save("http://a.example/", (m_dir / "a|b.url").string()), STG_E_INVALIDNAME);
  EXPECT_EQ(save("http://a.example/", (m_dir / "none" / "x.url").string()), STG_E_PATHNOTFOUND);
  EXPECT_TRUE(fs::is_empty(m_dir));
}

}  // namespace
