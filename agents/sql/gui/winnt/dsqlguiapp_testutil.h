// The fixture of the tests that run zarnaksql in this process on a simulated machine: the
// storage stand-in with the agent's node, an emulated SQL Server (demoSqlServer), message boxes
// answered OK by the test and recorded, a 1024x768 screen area, and screenshots into the folder
// that ZARNAK_SCREENSHOTS names.
#pragma once

#include <gtest/gtest.h>
#include <wx/toplevel.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "dsqlguiapp.h"
#include "frame.h"
#include "msgbox.h"
#include "pelkapi_testutil.h"
#include "psutil.h"
#include "runprogram.h"
#include "uidriver.h"
#include "uitestutil.h"

namespace guitest {

using zkui::drive::pump;
using zkui::drive::pumpUntil;

inline std::string computerName() {
  char name[64] = "";
  psGetComputerName(name, sizeof name);
  return name;
}

class ZarnaksqlStart : public StorageFixture {
 protected:
  void SetUp() override {
    if (!zkui::uiTestHaveDisplay()) GTEST_SKIP() << "no display";
    StorageFixture::SetUp();
    std::filesystem::copy_file(ZK_MESSAGE_REPOSITORY, agentDir() + "sqlAMENG.txt");
    zkui::setMessageBoxHook([this](const zkui::MessageBoxRequest& r) {
      m_boxes.push_back(r.text);
      return zkui::kIdBoxOk;
    });
    m_app.setEndProcessOnExit(false);
    m_app.setBundlePath(ZK_GUI_BUNDLE);
    zkui::setScreenArea({0, 0, 1024, 768});
    m_app.setShowSplash(false);
  }
  void TearDown() override {
    if (!zkui::uiTestHaveDisplay()) return;
    zkui::setMessageBoxHook(nullptr);
    zkui::setScreenArea({});
    StorageFixture::TearDown();
  }
  void sqlsim(const std::vector<std::string>& args) {
    zkrun::ProgramRun result = zkrun::runProgram(SQLSIM_PATH, args);
    ASSERT_EQ(result.exitCode, 0) << result.err;
  }
  // The demonstration's SQL Server: this machine's own, with the database "sales".
  void demoSqlServer() {
    sqlsim({"machine", "name=" + computerName()});
    sqlsim({"create", "MSSQLSERVER"});
    sqlsim({"database", "MSSQLSERVER", "sales", "--file", "PRIMARY:sales_data:2048", "--log",
            "sales_log:512"});
  }
  bool start(std::vector<std::string> args) {
    m_args = std::move(args);
    m_args.insert(m_args.begin(), "zarnaksql");
    m_argv.clear();
    for (std::string& a : m_args) m_argv.push_back(a.data());
    m_argv.push_back(nullptr);
    return m_app.initInstance(static_cast<int>(m_args.size()), m_argv.data());
  }
  static void shoot(wxWindow* windowP, const std::string& name) {
    const char* dirP = std::getenv("ZARNAK_SCREENSHOTS");
    if (dirP == nullptr || windowP == nullptr) return;
    std::filesystem::create_directories(dirP);
    pump(300);
    EXPECT_EQ(zkui::drive::screenshot(windowP, std::string(dirP) + "/" + name), 0);
  }
  static bool anyTopLevelWindow() { return !wxTopLevelWindows.IsEmpty(); }
  std::string profileText() {
    std::ifstream in(agentDir() + DSQLGUI_PROFILE_NAME);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  DSqlGuiApp m_app;
  std::vector<std::string> m_boxes;
  std::vector<std::string> m_args;
  std::vector<char*> m_argv;
};

}  // namespace guitest
