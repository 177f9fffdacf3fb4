// A restore from zarnaksql's restore window, end to end: zarnaksqlc backs up the emulated SQL
// Server's database "sales" (full, differential, two logs), the database is changed, and the
// user checks the chain in the page's list, sets replace, owner-only access, recovery and a
// stripe count on the page, optionally a point in time between the two logs through the page's
// point-in-time dialog, and presses the page's Restore. The progress dialog runs the restore on
// the command worker; SQL Server receives one RESTORE statement per backup, and the data files
// come back as they were backed up.
#include <wx/listctrl.h>

#include <string>
#include <vector>

#include "dappctl.h"
#include "dcmdworker.h"
#include "dfcidlg.h"
#include "dmsgbox.h"
#include "drestctl.h"
#include "drestpage.h"
#include "drestsetdlg.h"
#include "drestwin_testutil.h"
#include "dsqlaccess.h"
#include "dsqlpit.h"
#include "dstatus.h"
#include "msgout.h"
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

// Each restore is driven on the page: the four rows checked by their pictures, the options
// set, the point in time chosen in its dialog, then Restore.
TEST_F(RestoreRunE2E, ThePageRestoresTheCheckedChainThroughTheProgressDialog) {
  ASSERT_EQ(run({"backup", "sales", "full"}).exitCode, 0);
  change("sales", 2);
  ASSERT_EQ(run({"backup", "sales", "diff"}).exitCode, 0);
  for (const char* time : {"2026-12-01 10:00:00", "2026-12-01 11:00:00"}) {
    sqlsim({"log", "MSSQLSERVER", "sales", "--count", "2", "--time", time});
    zkrun::ProgramRun log = run({"backup", "sales", "log"});
    ASSERT_EQ(log.exitCode, 0) << log.out;
  }
  const std::vector<std::string> backedUp = sums("sales");

  // The trace is on before the window asks SQL Server for its version: the connection made then
  // serves the restores, and only a connection made with the trace on reports what it sends.
  TraceFileForTest trace({TRC_SQLAPI});
  ASSERT_EQ(trace.openRc(), 0);
  const std::string server = computerName();
  DRestoreFrame* frameP = open(FRAME_RESTORE);
  ASSERT_NE(frameP, nullptr);
  wxTreeCtrl* treeP = frameP->treeWindow();
  ASSERT_TRUE(zkui::drive::expand(treeP, item(frameP, {kServers})));
  ASSERT_TRUE(zkui::drive::expand(treeP, item(frameP, {kServers, server})));
  wxTreeItemId sales = item(frameP, {kServers, server, "sales"});
  ASSERT_TRUE(zkui::drive::expand(treeP, sales));
  wxWindow* summaryP = zkui::drive::find(IDC_RESTORE_PIT_SUMMARY, frameP);
  ASSERT_NE(summaryP, nullptr);
  OptionsInfo& o = guiOptions();

  struct Case {
    bool pointInTime;
    const char* logRecords;  // what SQL Server says of the restored log
  };
  const Case cases[] = {{false, "log-records=4\t"}, {true, "log-records=2\t"}};
  size_t seen = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.pointInTime ? "point in time" : "whole log");
    change("sales", c.pointInTime ? 9 : 8);
    ASSERT_NE(sums("sales"), backedUp);
    ASSERT_TRUE(zkui::drive::clickItem(treeP, sales));
    pump(50);
    wxListCtrl* listP = list(frameP, IDC_RESTORE_LIST);
    ASSERT_EQ(listP->GetItemCount(), 4);
    for (long row = 0; row < 4; ++row) {
      ASSERT_TRUE(zkui::drive::clickRow(listP, row, zkui::HitPart::Picture));
    }
    pump(50);
    wxTreeItemIdValue cookie;
    for (wxTreeItemId b = treeP->GetFirstChild(sales, cookie); b.IsOk();
         b = treeP->GetNextChild(sales, cookie)) {
      EXPECT_EQ(treeP->GetItemImage(b), S_CHECK) << treeP->GetItemText(b);
    }
    for (int id : {IDC_RESTORE_REPLACE, IDC_RESTORE_DBO_ONLY, IDC_RESTORE_RECOVERY}) {
      wxWindow* boxP = zkui::drive::find(id, frameP);
      if (zkui::drive::checked(boxP) == 0) {
        ASSERT_TRUE(zkui::drive::click(boxP));
      }
    }
    ASSERT_TRUE(zkui::drive::type(IDC_RESTORE_STRIPES, "2", frameP));

    if (c.pointInTime) {
      zkui::drive::whenModal([](wxDialog& d) {
        zkui::drive::click(IDC_PIT_STOPAT, &d);
        for (int id : {IDC_PIT_STOPAT_DATE, IDC_PIT_STOPAT_TIME}) {
          auto* pickerP = dynamic_cast<zkui::DateTimePicker*>(zkui::drive::find(id, &d));
          ASSERT_NE(pickerP, nullptr);
          pickerP->setValue({2026, 12, 1, 10, 30, 0});
        }
        zkui::drive::click(zkui::kIdOk, &d);
      });
      ASSERT_TRUE(zkui::drive::click(IDC_RESTORE_POINT_IN_TIME, frameP));
      pump(50);
      EXPECT_STREQ(o.szStopAt, "20261201 10:30:00");
      char summary[DMSG_TEXT_MAX + 1];
      nlsprintf(summary, sizeof summary, 5724, "12/01/2026", "10:30:00");
      EXPECT_EQ(zkui::drive::text(summaryP), summary);
      EXPECT_TRUE(summaryP->IsEnabled());
      shoot(m_frameP, "zarnaksql-restore-run-page.png");
    }

    zkui::drive::whenModal([&](wxDialog& dialog) {
      CStatus* statusP = DCommandWorker::statusDialog();
      ASSERT_NE(statusP, nullptr);
      ASSERT_TRUE(pumpUntil([&] { return statusP->okEnabled(); }, 120000));
      shoot(&dialog, "zarnaksql-restore-run.png");
      zkui::drive::click(IDC_STATUS_OK, &dialog);
    });
    ASSERT_TRUE(zkui::drive::click(IDC_RESTORE_RESTORE, frameP));
    pump(50);
    EXPECT_TRUE(m_boxes.empty()) << m_boxes[0];
    EXPECT_EQ(o.nStripes, 2);

    std::vector<std::string> statements = restoreStatements(trace);
    ASSERT_EQ(statements.size(), seen + 4) << trace.text();
    // The full and the differential leave the database restoring. Without a point in time so
    // does the first log; with one, each log stops there with recovery, which SQL Server
    // applies only in the log that reaches that point.
    for (size_t i = 0; i < 4; ++i) {
      const std::string& s = statements[seen + i];
      bool log = i >= 2;
      bool recovery = i == 3 || (log && c.pointInTime);
      EXPECT_TRUE(has(s, log ? "RESTORE LOG [sales]" : "RESTORE DATABASE [sales]")) << s;
      EXPECT_EQ(has(s, "NORECOVERY"), !recovery) << s;
      EXPECT_EQ(has(s, "STOPAT=N'20261201 10:30:00'"), log && c.pointInTime) << s;
      EXPECT_TRUE(has(s, "REPLACE")) << s;
      EXPECT_TRUE(has(s, "RESTRICTED_USER")) << s;
    }
    seen = statements.size();
    EXPECT_EQ(sums("sales"), backedUp);
    zkrun::ProgramRun show = zkrun::runProgram(SQLSIM_PATH, {"show", "MSSQLSERVER", "sales"});
    EXPECT_TRUE(has(show.out, "status=online")) << show.out;
    EXPECT_TRUE(has(show.out, c.logRecords)) << show.out;

    // The tree and the list start clean for the next restore; the point in time is gone.
    for (wxTreeItemId b = treeP->GetFirstChild(sales, cookie); b.IsOk();
         b = treeP->GetNextChild(sales, cookie)) {
      EXPECT_EQ(treeP->GetItemImage(b), S_CLEAR) << treeP->GetItemText(b);
    }
    EXPECT_EQ(o.bStopAt, 0u);
    EXPECT_STREQ(o.szStopAt, "");
    EXPECT_EQ(zkui::drive::text(summaryP), messageText(5729));
    EXPECT_FALSE(summaryP->IsEnabled());
  }
}

}  // namespace
