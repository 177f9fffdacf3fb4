// Loading order: the interface directory first, the library search path after it. This binary's
// search path (its run path) holds the stand-in's library.
#include <gtest/gtest.h>

#include <filesystem>

#include "pelkapi_testutil.h"
#include "pelkapid.h"

namespace {

namespace fs = std::filesystem;

std::string libraryIn(const std::string& dir) {
  return fs::weakly_canonical(dir + "/" + PELK_LIBRARY_NAME).string();
}

class LoadingOrder : public StorageFixture {};

TEST_F(LoadingOrder, WithoutTheLibraryInTheInterfaceDirectoryTheSearchPathFindsIt) {
  setInterfaceDir((m_Root.path() / "empty").string());
  PeekApiDL& api = makeApi();
  ASSERT_EQ(api.Setup(), 0);
  EXPECT_EQ(pelkBoundLibraryPath(), libraryIn(HUBLOR_LIBRARY_DIR));
}

TEST_F(LoadingOrder, TheCopyInTheInterfaceDirectoryWinsOverTheSearchPath) {
  fs::path copyDir = m_Root.path() / "api";
  fs::create_directories(copyDir);
  fs::copy_file(libraryIn(HUBLOR_LIBRARY_DIR), copyDir / PELK_LIBRARY_NAME);
  setInterfaceDir(copyDir.string());
  PeekApiDL& api = makeApi();
  ASSERT_EQ(api.Setup(), 0);
  EXPECT_EQ(pelkBoundLibraryPath(), libraryIn(copyDir.string()));
}

TEST_F(LoadingOrder, AnIncompleteLibraryInTheInterfaceDirectoryIsNotReplacedFromTheSearchPath) {
  setInterfaceDir(HUBLOR_LACKING_DIR);
  PeekApiDL& api = makeApi();
  EXPECT_EQ(api.Setup(), 104);
  EXPECT_EQ(PeekApiDL::module(), nullptr);
}

}  // namespace
