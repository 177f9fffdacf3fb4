// tamrel's start: every start removes the re-prompt entries that name it, and
// /cleanRegistry=Retry ends right after that, without a window; any other start shows the
// splash, which needs a display.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <string>

#include "root.h"
#include "runprogram.h"
#include "winreg.h"

namespace {

constexpr char kRunKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";

void setRunValue(const std::string& name, const std::string& text) {
  HKEY run = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, kRunKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                            &run, nullptr),
            ERROR_SUCCESS);
  ASSERT_EQ(
      RegSetValueExA(run, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                     static_cast<DWORD>(text.size() + 1)),
      ERROR_SUCCESS);
  RegCloseKey(run);
}

bool hasRunValue(const std::string& name) {
  HKEY run = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kRunKey, 0, KEY_QUERY_VALUE, &run) != ERROR_SUCCESS) {
    return false;
  }
  LONG rc = RegQueryValueExA(run, name.c_str(), nullptr, nullptr, nullptr, nullptr);
  RegCloseKey(run);
  return rc == ERROR_SUCCESS;
}

TEST(TamrelStart, CleanRegistryRetryRemovesTheRunEntriesAndEnds) {
  zkroot::ScopedRoot root;
  const std::string program = TAMREL_PATH;
  setRunValue("tamrel0", "/opt/tamrelStart 10 00 3 01 2030 \"" + program + "\" /lang=german");
  setRunValue("tamrel1", "/opt/tamrelStart 10 00 3 15 2030 \"" + program + "\"");
  setRunValue("Other", "/usr/bin/other --daemon");

  zkrun::ProgramRun run = zkrun::runProgram(program, {"/cleanRegistry=Retry"});
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.out, "");
  EXPECT_FALSE(hasRunValue("tamrel0"));
  EXPECT_FALSE(hasRunValue("tamrel1"));
  EXPECT_TRUE(hasRunValue("Other"));
}

TEST(TamrelStart, HelpDescribesTheSwitches) {
  zkrun::ProgramRun help = zkrun::runProgram(TAMREL_PATH, {"--help"});
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_NE(help.out.find("cleanRegistry=retry"), std::string::npos);
}

// Without pages to follow, the wizard is its splash: shown, then over.
TEST(TamrelStart, TheSplashRunsAndTheWizardEnds) {
  if (std::getenv("DISPLAY") == nullptr) GTEST_SKIP() << "no display";
  zkroot::ScopedRoot root;
  auto start = std::chrono::steady_clock::now();
  zkrun::ProgramRun run = zkrun::runProgram(TAMREL_PATH, {"/splashdelay=1"});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(900));
}

TEST(TamrelStart, WithoutADisplayItSaysSo) {
  zkroot::ScopedRoot root;
  const char* display = std::getenv("DISPLAY");
  std::string saved = display != nullptr ? display : "";
  setenv("DISPLAY", ":999", 1);
  zkrun::ProgramRun run = zkrun::runProgram(TAMREL_PATH, {"/splashdelay=0"});
  if (display != nullptr) setenv("DISPLAY", saved.c_str(), 1);
  if (display == nullptr) unsetenv("DISPLAY");
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE(run.err.find("tamrel: no display"), std::string::npos) << run.err;
}

}  // namespace
