// tamrel's start: every start removes the re-prompt entries that name it, and
// /cleanRegistry=Retry ends right after that, without a window.
#include <gtest/gtest.h>

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

}  // namespace
