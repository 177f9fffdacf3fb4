// Loading the client interface library from the interface directory: every entry point bound or
// none, nothing left loaded after a failure, a harmless second set-up, and calls through unbound
// slots. This binary has no library search path of its own, so a library that is not in the
// interface directory is not found at all (pelkapid_path_test covers the search path).
#include "pelkapid.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "agttrc.h"
#include "pelkapi_testutil.h"
#include "trcfile_testutil.h"

namespace {

int countLines(const std::vector<std::string>& texts, const std::string& wanted) {
  return static_cast<int>(std::count(texts.begin(), texts.end(), wanted));
}

std::string libraryIn(const std::string& dir) {
  return std::filesystem::weakly_canonical(dir + "/" + PELK_LIBRARY_NAME).string();
}

class Loader : public StorageFixture {};

// Every slot leads to the "not loaded" routine: a call returns 1 without reaching a library.
void expectUnbound(DPelkApi& api, DPelkApiStatus& status) {
  EXPECT_EQ(PeekApiDL::module(), nullptr);
  EXPECT_EQ(DPelkApi::dpelkBeginTxn(&api, &status, 1), 1);
  EXPECT_EQ(DPelkApi::dpelkUpdateObj(&api, &status, 1, 0, nullptr, nullptr, nullptr, 0), 1);
  pelkApiVersion version{7, 7, 7};
  DPelkApi::dpelkQueryApiVersion(&api, &status, &version);
  EXPECT_EQ(version.version, 7);  // untouched
  EXPECT_EQ(pelkBoundLibraryPath(), "");
}

TEST_F(Loader, BindsEveryEntryPointFromTheInterfaceDirectoryAndASecondSetupIsHarmless) {
  TraceFileForTest trace({TRC_API});
  PeekApiDL& api = makeApi();
  ASSERT_EQ(api.Setup(), 0);
  void* moduleP = PeekApiDL::module();
  EXPECT_NE(moduleP, nullptr);
  EXPECT_EQ(pelkBoundLibraryPath(), libraryIn(HUBLOR_LIBRARY_DIR));
  EXPECT_EQ(countLines(trace.texts(), "Function 'pelkUpdateObj' Loaded."), 1);
  EXPECT_EQ(countLines(trace.texts(), "Function 'pelkBeginGetData' Loaded."), 1);

  EXPECT_EQ(api.Setup(), 0);
  EXPECT_EQ(PeekApiDL::module(), moduleP);
  EXPECT_EQ(countLines(trace.texts(), "libhublorapi.so already loaded"), 1);
  EXPECT_EQ(countLines(trace.texts(), "Function 'pelkUpdateObj' Loaded."), 1);
}

TEST_F(Loader, MissingLibraryGives104AndAnUnboundCallGives1AndIsTimed) {
  setInterfaceDir((m_Root.path() / "empty").string());
  StepClockForTest clock(0);
  PeekApiDL& api = makeApi();
  DPelkApiStatus status;
  ASSERT_EQ(api.Setup(), 104);
  expectUnbound(api, status);

  TraceFileForTest trace({TRC_API});
  StepClockForTest::setStep(30);
  double before = status.totalApiSeconds;
  EXPECT_EQ(DPelkApi::dpelkBeginTxn(&api, &status, 1), 1);
  EXPECT_NEAR(status.totalApiSeconds - before, 0.03, 1e-9);
  EXPECT_EQ(status.inApiCall, 0u);
  std::vector<std::string> texts = trace.texts();
  EXPECT_EQ(countLines(texts, "Enter dpelkBeginTxn"), 1);
  EXPECT_EQ(countLines(texts, "Moxtar function not loaded"), 1);
  EXPECT_EQ(countLines(texts, "Exit dpelkBeginTxn, rc = 1"), 1);
}

TEST_F(Loader, LibraryLackingItsLastEntryPointGives104AndIsUnloaded) {
  setInterfaceDir(HUBLOR_LACKING_DIR);
  TraceFileForTest trace({TRC_API});
  PeekApiDL& api = makeApi();
  EXPECT_EQ(api.Setup(), 104);
  std::vector<std::string> texts = trace.texts();
  int loaded = 0;
  for (const std::string& text : texts) {
    if (text.rfind("Function '", 0) == 0 && text.find("' Loaded.") != std::string::npos) loaded++;
  }
  EXPECT_EQ(loaded, 33);
  EXPECT_EQ(countLines(texts, "Function 'pelkUpdateObj' wasn't found."), 1);
  DPelkApiStatus status;
  expectUnbound(api, status);
  // The failure left nothing behind: a working library loads afterwards.
  setInterfaceDir(HUBLOR_LIBRARY_DIR);
  EXPECT_EQ(api.Setup(), 0);
}

TEST_F(Loader, CleanupUnloadsAndUnbindsAndIsHarmlessWithoutALibrary) {
  PeekApiDL& api = makeApi();
  DPelkApiStatus status;
  EXPECT_EQ(api.Cleanup(), 0);
  expectUnbound(api, status);
  ASSERT_EQ(api.Setup(), 0);
  EXPECT_EQ(api.Cleanup(), 0);
  expectUnbound(api, status);
  EXPECT_EQ(api.Cleanup(), 0);
}

}  // namespace
