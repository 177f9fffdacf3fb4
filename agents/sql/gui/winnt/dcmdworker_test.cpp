// zarnaksql runs a command as a window will send it: a full backup of a database of the
// simulated machine through INFORM_DO_COMMAND, on the command worker beside the progress
// dialog, with the storage server's password asked for from the worker. With ZARNAK_SCREENSHOTS
// set, the dialog is written there as a PNG file.
#include "dcmdworker.h"

#include <wx/listctrl.h>

#include <cstdio>
#include <mutex>
#include <string>

#include "dbkctl.h"
#include "dmainfrm.h"
#include "dpasswd.h"
#include "dsqlaccess.h"
#include "dsqlguiapp_testutil.h"
#include "dstatus.h"
#include "eriparms.h"
#include "sqlqueryeri.h"

namespace {

using guitest::ZarnaksqlStart;
using zkui::drive::pumpUntil;

TEST_F(ZarnaksqlStart, ABackupRunsOnTheWorkerBesideTheProgressDialogAndAsksForThePassword) {
  demoSqlServer();
  ASSERT_TRUE(start({})) << (m_boxes.empty() ? "" : m_boxes[0]);
  // What the backup window will hand over: the database list with "sales" selected.
  EriNameList names;
  EriNameEntry sales{};
  std::snprintf(sales.szName, sizeof sales.szName, "sales");
  ASSERT_EQ(names.addTail(&sales), 0);
  CLinkedList<SqlDatabaseElement> databases;
  CLinkedList<SqlGroupElement> groups;
  CLinkedList<SqlFileElement> files;
  char message[ERI_MSG_BUFFER_LEN + 1] = "";
  {
    std::unique_lock<std::mutex> lock = lockSqlAccess();
    ASSERT_EQ(eriQuerySqlServerDb(&databases, message, &names, 0), 0u) << message;
  }
  backupRequestInfo request;
  request.querySqlServerDbInfoP = &databases;
  request.sqlGroupListP = &groups;
  request.sqlFileListP = &files;
  commandInfo info{3, &request};

  std::string caption, operation, rowName, rowText;
  bool prompted = false;
  zkui::drive::whenModal([&](wxDialog& dialog) {
    // The storage server's logon asks the worker's password callback: the prompt shows.
    zkui::drive::whenModal([&](wxDialog& prompt) {
      prompted = true;
      zkui::drive::type(IDC_PWPROMPT_PASSWORD, "secret", &prompt);
      zkui::drive::click(zkui::kIdOk, &prompt);
    });
    CStatus* statusP = DCommandWorker::statusDialog();
    ASSERT_NE(statusP, nullptr);
    ASSERT_TRUE(pumpUntil([&] { return statusP->okEnabled(); }, 120000));
    caption = dialog.GetTitle().utf8_string();
    operation = zkui::drive::text(zkui::drive::find(IDC_STATUS_OPERATION, &dialog));
    auto* listP = dynamic_cast<wxListCtrl*>(zkui::drive::find(IDC_STATUS_LIST, &dialog));
    if (listP != nullptr && listP->GetItemCount() > 0) {
      rowName = listP->GetItemText(0, 0).utf8_string();
      rowText = listP->GetItemText(0, 1).utf8_string();
    }
    shoot(&dialog, "zarnaksql-backup.png");
    zkui::drive::click(IDC_STATUS_OK, &dialog);
  });
  DController* pageController = DApplicationController::getBackupController();
  ASSERT_NE(pageController, nullptr);
  EXPECT_EQ(informController(pageController, INFORM_DO_COMMAND, &info), 0u);
  EXPECT_TRUE(prompted);
  EXPECT_EQ(caption, "Backing up SQL Server databases");
  EXPECT_EQ(rowName, "sales");
  EXPECT_EQ(rowText.rfind("Backed up ", 0), 0u) << rowText;
  EXPECT_EQ(operation.rfind("Backed up ", 0), 0u) << operation;
  EXPECT_EQ(DCommandWorker::statusDialog(), nullptr);
  databases.freeAll();
  m_app.mainFrame()->Close();
  pumpUntil([] { return !anyTopLevelWindow(); }, 3000);
  EXPECT_EQ(m_app.exitInstance(), 0);
}

}  // namespace
