// The fixture of the tests that run zarnaksql in this process on a simulated machine: the
// storage stand-in with the agent's node, an emulated SQL Server (demoSqlServer), message boxes
// answered OK by the test and recorded, a 1024x768 screen area, and screenshots into the folder
// that ZARNAK_SCREENSHOTS names.
#pragma once

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/listctrl.h>
#include <wx/toplevel.h>
#include <wx/weakref.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "dcmdworker.h"
#include "dpasswd.h"
#include "dsqlguiapp.h"
#include "dstatus.h"
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

  // What the progress dialog of a command showed: whether the storage server's password was
  // asked for (and answered "secret"), its caption, operation line and first row.
  struct Progress {
    bool prompted = false;
    std::string caption, operation, rowName, rowText;
  };
  // Answers the next progress dialog: the password prompt when it comes, then waits for OK,
  // notes what the dialog shows, takes the screenshot `shot` and closes it.
  static void answerProgress(Progress* outP, const std::string& shot) {
    auto answer = [outP](wxDialog& prompt) {
      outP->prompted = true;
      zkui::drive::type(IDC_PWPROMPT_PASSWORD, "secret", &prompt);
      zkui::drive::click(zkui::kIdOk, &prompt);
    };
    zkui::drive::whenModal([outP, shot, answer](wxDialog& first) {
      // On a loaded machine the worker's prompt can be on screen before the watch saw the
      // progress dialog: then the prompt is answered, and the rest waits for its loop to end.
      if (zkui::drive::find(IDC_PWPROMPT_PASSWORD, &first) == nullptr) {
        zkui::drive::whenModal(answer);
        return finishProgress(outP, shot);
      }
      answer(first);
      afterPrompt(wxWeakRef<wxDialog>(&first), outP, shot);
    });
  }
  // Once the prompt's window is gone (its loop has ended), in the progress dialog's own loop:
  // finishProgress.
  static void afterPrompt(wxWeakRef<wxDialog> promptP, Progress* outP, const std::string& shot) {
    wxTheApp->CallAfter([promptP, outP, shot] {
      if (promptP) return afterPrompt(promptP, outP, shot);
      finishProgress(outP, shot);
    });
  }
  static void finishProgress(Progress* outP, const std::string& shot) {
    CStatus* statusP = DCommandWorker::statusDialog();
    ASSERT_NE(statusP, nullptr);
    ASSERT_TRUE(pumpUntil([&] { return statusP->okEnabled(); }, 120000));
    auto* dialogP = dynamic_cast<wxDialog*>(statusP->window());
    ASSERT_NE(dialogP, nullptr);
    outP->caption = dialogP->GetTitle().utf8_string();
    outP->operation = zkui::drive::text(zkui::drive::find(IDC_STATUS_OPERATION, dialogP));
    auto* listP = dynamic_cast<wxListCtrl*>(zkui::drive::find(IDC_STATUS_LIST, dialogP));
    if (listP != nullptr && listP->GetItemCount() > 0) {
      outP->rowName = listP->GetItemText(0, 0).utf8_string();
      outP->rowText = listP->GetItemText(0, 1).utf8_string();
    }
    shoot(dialogP, shot);
    zkui::drive::click(IDC_STATUS_OK, dialogP);
  }

  DSqlGuiApp m_app;
  std::vector<std::string> m_boxes;
  std::vector<std::string> m_args;
  std::vector<char*> m_argv;
};

}  // namespace guitest
