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

  Progress progress;
  answerProgress(&progress, "zarnaksql-backup.png");
  DController* pageController = DApplicationController::getBackupController();
  ASSERT_NE(pageController, nullptr);
  EXPECT_EQ(informController(pageController, INFORM_DO_COMMAND, &info), 0u);
  EXPECT_TRUE(progress.prompted);
  EXPECT_EQ(progress.caption, "Backing up SQL Server databases");
  EXPECT_EQ(progress.rowName, "sales");
  EXPECT_EQ(progress.rowText.rfind("Backed up ", 0), 0u) << progress.rowText;
  EXPECT_EQ(progress.operation.rfind("Backed up ", 0), 0u) << progress.operation;
  EXPECT_EQ(DCommandWorker::statusDialog(), nullptr);
  databases.freeAll();
  m_app.mainFrame()->Close();
  pumpUntil([] { return !anyTopLevelWindow(); }, 3000);
  EXPECT_EQ(m_app.exitInstance(), 0);
}

}  // namespace
