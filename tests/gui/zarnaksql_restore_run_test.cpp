// A restore from zarnaksql's restore window, end to end: zarnaksqlc backs up the emulated SQL
// Server's database "sales" (full, differential, two logs), the database is changed, and the
// user checks the chain in the tree and presses Restore with replace, owner-only access,
// recovery, a stripe count and a point in time between the two logs. The progress dialog runs
// the restore on the command worker; SQL Server receives one RESTORE statement per backup, the
// logs' with the point in time, and the data files come back as they were backed up.
#include <wx/listctrl.h>

#include <string>
#include <vector>

#include "dappctl.h"
#include "dcmdworker.h"
#include "drestctl.h"
#include "drestsetdlg.h"
#include "drestwin_testutil.h"
#include "dsqlaccess.h"
#include "dstatus.h"
#include "sqlmachine.h"
#include "trcfile_testutil.h"

namespace {

using zkui::drive::pump;
using zkui::drive::pumpUntil;

class RestoreRunE2E : public RestoreWindowsFixture<SqlMachine> {
 protected:
  void SetUp() override {
    RestoreWindowsFixture<SqlMachine>::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    OptionsInfo& o = guiOptions();
    std::snprintf(o.szHublorPassword, sizeof o.szHublorPassword, "%s", "secret");
    ASSERT_EQ(createSqlAccess(o), 0);
    DApplicationController::setCommandRunner(&theCommandWorker());
    DRestoreController::setSettingsDialogs(&theRestoreSettingsDialogs());
  }
  void TearDown() override {
    if (!zkui::uiTestHaveDisplay()) return;
    DApplicationController::setCommandRunner(nullptr);
    DRestoreController::setSettingsDialogs(nullptr);
    freeSqlAccess();
    RestoreWindowsFixture<SqlMachine>::TearDown();
  }
  // The RESTORE statements the trace saw, in order.
  static std::vector<std::string> restoreStatements(const TraceFileForTest& trace) {
    std::vector<std::string> statements;
    for (const std::string& line : trace.lines()) {
      size_t at = line.find("RESTORE ");
      // Each statement is traced as it is built and again as SQL Server receives it.
      if (at != std::string::npos && line.find("CommandSent") != std::string::npos) {
        statements.push_back(line.substr(at));
      }
    }
    return statements;
  }
  static bool has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
  }
};

const std::string kServers = "SQL Servers";

TEST_F(RestoreRunE2E, TheCheckedChainRestoresToAPointInTimeThroughTheProgressDialog) {
  ASSERT_EQ(run({"backup", "sales", "full"}).exitCode, 0);
  change("sales", 2);
  ASSERT_EQ(run({"backup", "sales", "diff"}).exitCode, 0);
  for (const char* time : {"2026-12-01 10:00:00", "2026-12-01 11:00:00"}) {
    sqlsim({"log", "MSSQLSERVER", "sales", "--count", "2", "--time", time});
    zkrun::ProgramRun log = run({"backup", "sales", "log"});
    ASSERT_EQ(log.exitCode, 0) << log.out;
  }
  const std::vector<std::string> backedUp = sums("sales");
  change("sales", 9);
  ASSERT_NE(sums("sales"), backedUp);

  // The trace is on before the window asks SQL Server for its version: the connection made then
  // serves the restore, and only a connection made with the trace on reports what it sends.
  TraceFileForTest trace({TRC_SQLAPI});
  ASSERT_EQ(trace.openRc(), 0);
  const std::string server = computerName();
  DRestoreFrame* frameP = open(FRAME_RESTORE);
  ASSERT_NE(frameP, nullptr);
  wxTreeCtrl* treeP = frameP->treeWindow();
  ASSERT_TRUE(zkui::drive::expand(treeP, item(frameP, {kServers})));
  ASSERT_TRUE(zkui::drive::expand(treeP, item(frameP, {kServers, server})));
  ASSERT_TRUE(zkui::drive::expand(treeP, item(frameP, {kServers, server, "sales"})));
  wxTreeItemId sales = item(frameP, {kServers, server, "sales"});
  wxTreeItemIdValue cookie;
  wxTreeItemId lastLog = treeP->GetLastChild(sales);
  ASSERT_TRUE(lastLog.IsOk());
  // The last log checks its chain: the full, the differential and both logs.
  ASSERT_TRUE(zkui::drive::clickItem(treeP, lastLog, zkui::HitPart::Picture));
  pump(50);
  for (wxTreeItemId c = treeP->GetFirstChild(sales, cookie); c.IsOk();
       c = treeP->GetNextChild(sales, cookie)) {
    EXPECT_EQ(treeP->GetItemImage(c), S_CHECK) << treeP->GetItemText(c);
  }

  OptionsInfo& o = guiOptions();
  o.bReplace = 1;
  o.bDboOnly = 1;
  o.bRecovery = 1;
  o.bStripes = 1;
  o.nStripes = 2;
  o.bStopAt = 1;
  std::snprintf(o.szStopAt, sizeof o.szStopAt, "%s", "20261201 10:30:00");

  std::string lastRow;
  zkui::drive::whenModal([&](wxDialog& dialog) {
    CStatus* statusP = DCommandWorker::statusDialog();
    ASSERT_NE(statusP, nullptr);
    ASSERT_TRUE(pumpUntil([&] { return statusP->okEnabled(); }, 120000));
    auto* listP = dynamic_cast<wxListCtrl*>(zkui::drive::find(IDC_STATUS_LIST, &dialog));
    if (listP != nullptr && listP->GetItemCount() > 0) {
      lastRow = listP->GetItemText(0, 1).utf8_string();
    }
    shoot(&dialog, "zarnaksql-restore-run.png");
    zkui::drive::click(IDC_STATUS_OK, &dialog);
  });
  DRestoreController* controllerP = DApplicationController::getRestoreController();
  ASSERT_NE(controllerP, nullptr);
  EXPECT_EQ(controllerP->cgProcessRestore(frameP->restoreTree()), 0);
  EXPECT_TRUE(m_boxes.empty()) << m_boxes[0];

  std::vector<std::string> statements = restoreStatements(trace);
  ASSERT_EQ(statements.size(), 4u) << trace.text();
  // The full and the differential leave the database restoring; each log stops at the point
  // in time with recovery, which SQL Server applies only in the log that reaches that point.
  for (size_t i = 0; i < statements.size(); ++i) {
    const std::string& s = statements[i];
    bool log = i >= 2;
    EXPECT_TRUE(has(s, log ? "RESTORE LOG [sales]" : "RESTORE DATABASE [sales]")) << s;
    EXPECT_EQ(has(s, "NORECOVERY"), !log) << s;
    EXPECT_EQ(has(s, "STOPAT=N'20261201 10:30:00'"), log) << s;
    EXPECT_TRUE(has(s, "REPLACE")) << s;
    EXPECT_TRUE(has(s, "RESTRICTED_USER")) << s;
  }
  EXPECT_EQ(sums("sales"), backedUp);
  zkrun::ProgramRun show = zkrun::runProgram(SQLSIM_PATH, {"show", "MSSQLSERVER", "sales"});
  EXPECT_TRUE(has(show.out, "status=online")) << show.out;
  EXPECT_TRUE(has(show.out, "log-records=2\t")) << show.out;

  // The tree starts clean for the next restore, and the point in time is gone.
  for (wxTreeItemId c = treeP->GetFirstChild(sales, cookie); c.IsOk();
       c = treeP->GetNextChild(sales, cookie)) {
    EXPECT_EQ(treeP->GetItemImage(c), S_CLEAR) << treeP->GetItemText(c);
  }
  EXPECT_EQ(o.bStopAt, 0u);
  EXPECT_STREQ(o.szStopAt, "");
}

}  // namespace
