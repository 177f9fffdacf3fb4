// The progress dialog on real windows with reports from several threads, the command worker
// beside it, and the storage-server password dialogs asked for from a worker thread, over the
// agent's message repository and the storage stand-in. With ZARNAK_SCREENSHOTS set, the dialogs
// are written there as PNG files.
#include "dstatus.h"

#include <wx/gauge.h>
#include <wx/listctrl.h>
#include <wx/toplevel.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "agtlog.h"
#include "agtrc.h"
#include "baseeri.h"
#include "dcmdworker.h"
#include "dpasswd.h"
#include "dsqlguiapp.h"
#include "frame.h"
#include "msgfile.h"
#include "msgrepo.h"
#include "nlsglob.h"
#include "pelkapi_testutil.h"
#include "psutil.h"
#include "resbundle.h"
#include "uidriver.h"
#include "uitestutil.h"

namespace {

using zkui::drive::find;
using zkui::drive::pump;
using zkui::drive::pumpUntil;

std::mutex gShownMutex;
std::vector<std::string> gShown;  // the messages the program showed, guarded by gShownMutex

void catchText(const char* textP) {
  std::lock_guard<std::mutex> hold(gShownMutex);
  gShown.push_back(textP);
}

std::string labelOf(int id, wxWindow* withinP) {
  return zkui::drive::text(find(id, withinP));
}

int barOf(int id, wxWindow* withinP) {
  auto* barP = dynamic_cast<wxGauge*>(find(id, withinP));
  return barP != nullptr ? barP->GetValue() : -1;
}

StatusInfo report(uint32_t kind) {
  StatusInfo s{};
  s.kind = kind;
  return s;
}

StatusInfo beginOf(const char* nameP, uint32_t item, uint32_t items) {
  StatusInfo s = report(beginStatus);
  s.begin.nameP = nameP;
  s.begin.item = item;
  s.begin.items = items;
  return s;
}

StatusInfo endOf(const char* nameP, int rc, const char* textP, uint64_t bytes) {
  StatusInfo s = report(endStatus);
  s.end.nameP = nameP;
  s.end.rc = rc;
  s.end.textP = textP;
  s.end.bytes = bytes;
  s.end.elapsedSeconds = 2.0;
  return s;
}

// A request that reports progress until it is cancelled, as a transfer's monitor would.
class ReportingRequest : public DBaseEri {
 public:
  explicit ReportingRequest(CStatus* statusP) : m_statusP(statusP) {}
  int SetupEnvironment() override { return RC_OK; }
  int CleanupEnvironment() override { return RC_OK; }
  int ProcessRequestDetails() override {
    for (uint64_t n = 1; GetCancelStatus() == 0; n++) {
      StatusInfo s = report(progressStatus);
      s.progress.bytesConsumed = n;
      s.progress.objectSize = 1000000;
      m_statusP->doCommandStatus(s);
      m_reports++;
    }
    return RC_CANCELED_BY_USER;
  }
  std::atomic<int> m_reports{0};

 private:
  CStatus* m_statusP;
};

class ProgressDialog : public StorageFixture {
 protected:
  void SetUp() override {
    if (!zkui::uiTestHaveDisplay()) GTEST_SKIP() << "no display";
    StorageFixture::SetUp();
    std::filesystem::copy_file(ZK_MESSAGE_REPOSITORY, agentDir() + "sqlAMENG.txt");
    std::shared_ptr<const zkui::ResourceBundle> bundle;
    ASSERT_EQ(zkui::ResourceBundle::load(ZK_GUI_BUNDLE, bundle, nullptr), zkui::kResOk);
    zkui::setCurrentResources(bundle);
    nlsOutputCallback outputs[NLS_NUM_SEVERITIES];
    for (auto& o : outputs) o = catchText;
    nlsSetup(outputs);
    optSetAgentDirRtn(psGetAgentDir);
    ASSERT_EQ(NLInit("AMENG", 10, 1, 1, 1, 1), 0);
    m_logP = new CLog();
    setActivityLog(m_logP);
    ASSERT_EQ(m_logP->SetLogName((agentDir() + "zarnaksql.log").c_str()), 0);
    zkui::setScreenArea({0, 0, 1024, 768});
    std::lock_guard<std::mutex> hold(gShownMutex);
    gShown.clear();
  }
  void TearDown() override {
    if (!zkui::uiTestHaveDisplay()) return;
    delete setActivityLog(nullptr);
    NLTerm();
    nlsCleanup();
    optSetAgentDirRtn(nullptr);
    zkui::setCurrentResources(nullptr);
    zkui::setScreenArea({});
    StorageFixture::TearDown();
  }
  static void shoot(wxWindow* windowP, const std::string& name) {
    const char* dirP = std::getenv("ZARNAK_SCREENSHOTS");
    if (dirP == nullptr || windowP == nullptr) return;
    std::filesystem::create_directories(dirP);
    pump(300);
    EXPECT_EQ(zkui::drive::screenshot(windowP, std::string(dirP) + "/" + name), 0);
  }
  static std::vector<std::string> shown() {
    std::lock_guard<std::mutex> hold(gShownMutex);
    return gShown;
  }
  std::string logText() {
    std::ifstream in(agentDir() + "zarnaksql.log");
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  CLog* m_logP = nullptr;
};

TEST_F(ProgressDialog, ShowsReportsFromThreeThreadsAndEndsOnlyByOkOnceTheCommandHasEnded) {
  CStatus status;
  status.setStatusCommand(3);
  std::atomic<int> step{0};
  auto after = [&step](int n) {
    while (step.load() < n) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  };
  // The request's thread, a transfer's monitor and a thread of a waiting interface call; the
  // first reports wait until the dialog is ready.
  std::thread request([&] {
    status.doCommandStatus(report(startStatus));
    status.doCommandStatus(beginOf("sales", 1, 3));
    status.doCommandStatus(endOf("sales", 0, nullptr, 2097152));
    status.doCommandStatus(beginOf("master", 2, 3));
    status.doCommandStatus(endOf("master", 418, "The storage server refused\nthe object.", 0));
    status.doCommandStatus(beginOf("orders", 3, 3));
    step = 1;
  });
  std::thread monitor([&] {
    after(1);
    StatusInfo s = report(progressStatus);
    s.progress.bytesConsumed = 400;
    s.progress.objectSize = 1000;
    status.doCommandStatus(s);
    step = 2;
  });
  std::thread waiting([&] {
    after(2);
    StatusInfo s = report(waitStatus);
    s.wait.apiNameP = "HUBLOR";
    status.doCommandStatus(s);
    step = 3;
  });
  std::thread ender;
  zkui::drive::whenModal([&](wxDialog& dialog) {
    ASSERT_TRUE(pumpUntil([&] { return step.load() == 3; }));
    EXPECT_EQ(dialog.GetTitle().utf8_string(), "Backing up SQL Server databases");
    EXPECT_EQ(labelOf(IDC_STATUS_OPERATION, &dialog), "Backing up database orders");
    EXPECT_EQ(labelOf(IDC_STATUS_MESSAGE, &dialog), "Waiting for the HUBLOR interface ");
    EXPECT_EQ(barOf(IDC_STATUS_OVERALL_BAR, &dialog), 66);
    EXPECT_EQ(barOf(IDC_STATUS_OBJECT_BAR, &dialog), 40);
    auto* listP = dynamic_cast<wxListCtrl*>(find(IDC_STATUS_LIST, &dialog));
    ASSERT_NE(listP, nullptr);
    ASSERT_EQ(listP->GetItemCount(), 2);
    EXPECT_EQ(listP->GetItemText(0, 0).utf8_string(), "master");  // the newest on top
    EXPECT_EQ(listP->GetItemText(0, 1).utf8_string(),
              "The backup failed: The storage server refused the object. ");
    EXPECT_EQ(listP->GetItemText(1, 0).utf8_string(), "sales");
    shoot(&dialog, "zarnaksql-progress.png");

    // While the command runs: OK is disabled, and Close and Alt+F4 do nothing.
    EXPECT_FALSE(find(IDC_STATUS_OK, &dialog)->IsEnabled());
    EXPECT_FALSE(zkui::drive::click(IDC_STATUS_OK, &dialog));
    zkui::drive::close(&dialog);
    zkui::drive::key(WXK_F4, zkui::drive::kKeyAlt, &dialog);
    pump(100);
    EXPECT_TRUE(dialog.IsShown());
    EXPECT_FALSE(status.okEnabled());
    // The dialog cannot be made smaller than it started; made larger, the buttons stay at the
    // bottom and the list fills the room above them.
    EXPECT_EQ(dialog.GetMinSize(), dialog.GetSize());
    dialog.SetSize(dialog.GetSize() + wxSize(100, 80));
    pump(100);
    wxSize client = dialog.GetClientSize();
    wxRect ok = find(IDC_STATUS_OK, &dialog)->GetRect();
    wxRect list = find(IDC_STATUS_LIST, &dialog)->GetRect();
    EXPECT_EQ(ok.GetBottom() + 1, client.y - 7);
    EXPECT_EQ(list.GetRight() + 1, client.x - 7);
    EXPECT_EQ(list.GetBottom() + 1, ok.y - 7);

    // The command ends: OK and Close work, Stop does not.
    ender = std::thread([&] { EXPECT_EQ(status.enableOkButton(), 0); });
    ASSERT_TRUE(pumpUntil([&] { return status.okEnabled(); }));
    EXPECT_FALSE(find(IDC_STATUS_STOP, &dialog)->IsEnabled());
    EXPECT_TRUE(zkui::drive::click(IDC_STATUS_OK, &dialog));
  });
  EXPECT_EQ(status.doModal(), zkui::kIdOk);
  status.markClosed();
  request.join();
  monitor.join();
  waiting.join();
  ender.join();
  // The window is gone: a late report has no effect and says so.
  EXPECT_EQ(status.doCommandStatus(report(startStatus)), RC_INTERNAL_ERROR);
}

TEST_F(ProgressDialog, StopAndEscapeCancelTheRunningRequestWhileItsReportsArrive) {
  for (const char* how : {"stop", "escape"}) {
    SCOPED_TRACE(how);
    CStatus status;
    status.setStatusCommand(3);
    ReportingRequest request(&status);
    std::thread worker([&] {
      EXPECT_EQ(eriRunRequest(&request, "test", 0), uint32_t(RC_CANCELED_BY_USER));
      status.enableOkButton();
    });
    zkui::drive::whenModal([&](wxDialog& dialog) {
      ASSERT_TRUE(pumpUntil([&] { return request.m_reports.load() > 20; }));
      if (std::string(how) == "stop") {
        EXPECT_TRUE(zkui::drive::click(IDC_STATUS_STOP, &dialog));
      } else {
        zkui::drive::key(WXK_ESCAPE, 0, &dialog);
      }
      ASSERT_TRUE(pumpUntil([&] { return status.okEnabled(); }));
      EXPECT_TRUE(dialog.IsShown());
      // Once the command has ended, Escape closes the dialog as OK does.
      zkui::drive::key(WXK_ESCAPE, 0, &dialog);
    });
    EXPECT_EQ(status.doModal(), zkui::kIdOk);
    status.markClosed();
    worker.join();
    EXPECT_EQ(request.GetCancelStatus(), 1u);
  }
  std::string log = logText();
  EXPECT_NE(log.find("ZUD5300W"), std::string::npos) << log;
}

TEST_F(ProgressDialog, TheWorkerRunsEachCommandBesideTheDialogAndShowsItsFailure) {
  struct Case {
    uint32_t command;
    bool failureShown;
  };
  // Command 0 ends before the dialog can be up: its end still reaches the dialog. Commands 7
  // and 72 are no commands of the worker; a backup without its record cannot run.
  const Case cases[] = {{0, false}, {7, true}, {72, true}, {3, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.command);
    std::string messageLine;
    zkui::drive::whenModal([&](wxDialog& dialog) {
      CStatus* statusP = DCommandWorker::statusDialog();
      ASSERT_NE(statusP, nullptr);
      ASSERT_TRUE(pumpUntil([&] { return statusP->okEnabled(); }));
      messageLine = labelOf(IDC_STATUS_MESSAGE, &dialog);
      zkui::drive::click(IDC_STATUS_OK, &dialog);
    });
    commandInfo info{c.command, nullptr};
    EXPECT_EQ(theCommandWorker().runCommand(&info), 0u);
    EXPECT_EQ(DCommandWorker::statusDialog(), nullptr);
    EXPECT_EQ(guiOptions().command, c.command);
    EXPECT_EQ(!messageLine.empty(), c.failureShown) << messageLine;
    if (c.failureShown) {
      EXPECT_EQ(messageLine.rfind("ZUD0003E", 0), 0u) << messageLine;  // the message of 419
    }
  }
  // Without a dialog a report is dropped with 419.
  EXPECT_EQ(DCommandWorker::doCommandStatus(report(startStatus)), RC_INTERNAL_ERROR);
}

TEST_F(ProgressDialog, ADialogThatCannotOpenEndsTheCommandWith419AndNothingWaitsForIt) {
  zkui::TempBundle empty("string 1 \"nothing\"\n");
  commandInfo info{3, nullptr};
  EXPECT_EQ(theCommandWorker().runCommand(&info), uint32_t(RC_INTERNAL_ERROR));
  EXPECT_EQ(DCommandWorker::statusDialog(), nullptr);
}

// Runs fn on a thread while the user-interface thread serves its calls; fn's result.
int onWorker(const std::function<int()>& fn) {
  std::atomic<bool> done{false};
  int rc = -1;
  std::thread worker([&] {
    rc = fn();
    done = true;
    zkui::uiNotify();
  });
  zkui::uiWaitFor([&] { return done.load(); });
  worker.join();
  return rc;
}

TEST_F(ProgressDialog, APasswordRequestFromAWorkerShowsTheDialogAndFillsTheBuffer) {
  const std::string longest(64, 'p');
  struct Case {
    int reason;
    std::vector<std::string> entries;  // typed into the dialog's edits, in order
    bool ok;
    int rc;
    std::string password;
  };
  const Case cases[] = {
      {137, {"secret"}, true, 0, "secret"},    {137, {longest}, true, 0, longest},
      {137, {"secret"}, false, 101, ""},  // cancelled
      {52, {"new1", "new1"}, true, 0, "new1"}, {52, {"new1", "new1"}, false, 101, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.reason);
    zkui::drive::whenModal([&](wxDialog& dialog) {
      int ids[] = {IDC_PWPROMPT_PASSWORD};
      int verifyIds[] = {IDC_PWVERIFY_PASSWORD, IDC_PWVERIFY_VERIFY};
      int* idsP = c.reason == 52 ? verifyIds : ids;
      for (size_t i = 0; i < c.entries.size(); i++) {
        EXPECT_TRUE(zkui::drive::type(idsP[i], c.entries[i], &dialog));
      }
      if (c.reason == 52 && c.ok) shoot(&dialog, "zarnaksql-password-verify.png");
      if (c.reason == 137 && c.ok) shoot(&dialog, "zarnaksql-password.png");
      zkui::drive::click(c.ok ? zkui::kIdOk : zkui::kIdCancel, &dialog);
    });
    char buffer[DPASSWORD_BUFFER_SIZE] = "old";
    int rc = onWorker(
        [&] { return guiPasswordCallback(c.reason, 0, "", "NODE1", buffer, sizeof buffer, ""); });
    EXPECT_EQ(rc, c.rc);
    EXPECT_EQ(std::string(buffer), c.password);
  }
  // The expired password's message came before the dialog.
  std::vector<std::string> texts = shown();
  ASSERT_FALSE(texts.empty());
  EXPECT_NE(texts[0].find("0257"), std::string::npos) << texts[0];
}

TEST_F(ProgressDialog, EmptyOrDifferingEntriesKeepTheDialogOpenWithTheirMessage) {
  // The prompt refuses an empty entry and takes no 65th character.
  zkui::drive::whenModal([&](wxDialog& dialog) {
    zkui::drive::click(zkui::kIdOk, &dialog);
    EXPECT_TRUE(dialog.IsShown());
    zkui::drive::type(IDC_PWPROMPT_PASSWORD, std::string(65, 'x'), &dialog);
    zkui::drive::click(zkui::kIdOk, &dialog);
    if (dialog.IsShown()) zkui::drive::click(zkui::kIdCancel, &dialog);
  });
  char buffer[DPASSWORD_BUFFER_SIZE] = "";
  runPasswordDialog(DPASSWORD_ASK_CURRENT, nullptr, buffer, sizeof buffer);
  EXPECT_LE(std::string(buffer).size(), 64u);
  std::vector<std::string> texts = shown();
  ASSERT_FALSE(texts.empty());
  EXPECT_NE(texts[0].find("0161"), std::string::npos) << texts[0];

  // The verify dialog compares exactly: a case-different entry is refused with 162.
  zkui::drive::whenModal([&](wxDialog& dialog) {
    zkui::drive::type(IDC_PWVERIFY_PASSWORD, "Secret", &dialog);
    zkui::drive::type(IDC_PWVERIFY_VERIFY, "secret", &dialog);
    zkui::drive::click(zkui::kIdOk, &dialog);
    EXPECT_TRUE(dialog.IsShown());
    zkui::drive::click(zkui::kIdCancel, &dialog);
  });
  runPasswordDialog(DPASSWORD_ASK_NEW, nullptr, buffer, sizeof buffer);
  EXPECT_STREQ(buffer, "");
  texts = shown();
  EXPECT_NE(texts.back().find("0162"), std::string::npos) << texts.back();
}

TEST_F(ProgressDialog, TheChangeDialogChangesThePasswordOnTheStorageServer) {
  makeApi("NODE1", "secret", nullptr, guiPasswordCallback);
  ASSERT_EQ(m_Api->Setup(), 0);
  ASSERT_EQ(m_Api->Init(&m_Status), 0);
  char password[DPASSWORD_BUFFER_SIZE] = "secret";
  std::string optFile = optionFilePath();
  auto fill = [](wxDialog& dialog, const char* oldP, const char* newP, const char* againP) {
    zkui::drive::type(IDC_PWCHANGE_OLD, oldP, &dialog);
    zkui::drive::type(IDC_PWCHANGE_NEW, newP, &dialog);
    zkui::drive::type(IDC_PWCHANGE_VERIFY, againP, &dialog);
    zkui::drive::click(zkui::kIdOk, &dialog);
  };
  // A repetition that differs in letter case only is refused with 259; a wrong old password
  // with 161; then the change goes through.
  zkui::drive::whenModal([&](wxDialog& dialog) {
    fill(dialog, "secret", "Newer1", "newer1");
    EXPECT_TRUE(dialog.IsShown());
    fill(dialog, "wrong", "newer1", "newer1");
    EXPECT_TRUE(dialog.IsShown());
    shoot(&dialog, "zarnaksql-password-change.png");
    fill(dialog, "secret", "newer1", "newer1");
  });
  DPasswordChange change(password, optFile.c_str(), nullptr);
  EXPECT_EQ(change.doModal(), zkui::kIdOk);
  EXPECT_STREQ(password, "newer1");
  std::vector<std::string> texts = shown();
  ASSERT_EQ(texts.size(), 3u);
  EXPECT_NE(texts[0].find("0259"), std::string::npos) << texts[0];
  EXPECT_NE(texts[1].find("0161"), std::string::npos) << texts[1];
  EXPECT_NE(texts[2].find("0260"), std::string::npos) << texts[2];

  // The new password logs on; Cancel leaves the caller's buffer alone.
  PeekApiDL check("NODE1", "newer1", nullptr, nullptr);
  pelkUint32_t handle = 0;
  EXPECT_EQ(check.Logon(&m_Status, nullptr, &handle), 0);
  check.Logoff(&m_Status, handle);
  zkui::drive::whenModal([&](wxDialog& dialog) {
    zkui::drive::type(IDC_PWCHANGE_OLD, "newer1", &dialog);
    zkui::drive::click(zkui::kIdCancel, &dialog);
  });
  DPasswordChange again(password, optFile.c_str(), nullptr);
  EXPECT_EQ(again.doModal(), zkui::kIdCancel);
  EXPECT_STREQ(password, "newer1");
}

TEST_F(ProgressDialog, TheChangeCallbackCopiesNoMoreThanItsBufferTakes) {
  char buffer[DPASSWORD_BUFFER_SIZE + 8];
  std::memset(buffer, '#', sizeof buffer);
  const std::string text(200, 't');
  EXPECT_EQ(
      passwordChangeCallback(109, 0, text.c_str(), nullptr, buffer, DPASSWORD_BUFFER_SIZE, nullptr),
      0);
  EXPECT_EQ(std::string(buffer), std::string(DPASSWORD_MAX_CHARS, 't'));
  EXPECT_EQ(buffer[DPASSWORD_BUFFER_SIZE], '#');  // nothing written past the buffer
  // The flag 1 of code 111: the client keeps the password; any other code asks nothing.
  EXPECT_EQ(
      passwordChangeCallback(111, 1, nullptr, nullptr, buffer, DPASSWORD_BUFFER_SIZE, nullptr), 0);
  EXPECT_EQ(passwordChangeCallback(7, 0, nullptr, nullptr, buffer, DPASSWORD_BUFFER_SIZE, nullptr),
            0);
  std::vector<std::string> texts = shown();
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_NE(texts[0].find("0160"), std::string::npos) << texts[0];
}

}  // namespace
