// tamrel's start: every start removes the re-prompt entries that name it, and
// /cleanRegistry=Retry ends right after that, without a window; any other start shows the
// splash and then the first page, which need a display.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

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

// After its splash the wizard shows its contact page, which stays until the user leaves it; an
// ordinary start writes nothing on standard error.
TEST(TamrelStart, AfterTheSplashTheContactPageWaitsForTheUser) {
  if (std::getenv("DISPLAY") == nullptr) GTEST_SKIP() << "no display";
  zkroot::ScopedRoot root;
  std::string program = TAMREL_PATH;
  std::string delay = "/splashdelay=1";
  char* argv[] = {program.data(), delay.data(), nullptr};
  std::string errPath = (root.path() / "stderr.txt").string();
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0600);
  pid_t pid = 0;
  int spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, environ);
  posix_spawn_file_actions_destroy(&actions);
  ASSERT_EQ(spawned, 0);
  // The splash ends after a second; the page then holds the program.
  int status = 0;
  pid_t ended = 0;
  for (int i = 0; i < 30 && ended == 0; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    ended = waitpid(pid, &status, WNOHANG);
  }
  EXPECT_EQ(ended, 0) << "tamrel ended with status " << status;
  if (ended == 0) {
    kill(pid, SIGTERM);
    waitpid(pid, &status, 0);
  }
  std::ifstream err(errPath);
  std::stringstream text;
  text << err.rdbuf();
  EXPECT_EQ(text.str(), "");
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
