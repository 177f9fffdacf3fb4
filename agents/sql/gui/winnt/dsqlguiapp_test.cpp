// zarnaksql's start-up and main window on a simulated machine (the storage stand-in with the
// agent's node, an emulated SQL Server of this machine with a database "sales"), run in this
// process with message boxes answered by the test. With ZARNAK_SCREENSHOTS set, the main
// window and the SQL Server dialogs are written there as PNG files.
#include "dsqlguiapp.h"

#include <unistd.h>
#include <wx/toplevel.h>

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "dbkctl.h"
#include "dmainfrm.h"
#include "dsplash.h"
#include "dsqlguiapp_testutil.h"
#include "dsqllogin.h"
#include "dsqllogstore.h"
#include "frame.h"
#include "help.h"
#include "msgbox.h"
#include "pelkapi_testutil.h"
#include "psutil.h"
#include "registry.h"
#include "runprogram.h"
#include "sqlreg.h"
#include "uidriver.h"
#include "uitestutil.h"

namespace {

using guitest::computerName;
using guitest::ZarnaksqlStart;
using zkui::drive::pump;
using zkui::drive::pumpUntil;

TEST_F(ZarnaksqlStart, ShowsTheMainWindowWithTheBackupWindowInFrontAndKeepsItsPlacement) {
  demoSqlServer();
  ASSERT_TRUE(start({})) << (m_boxes.empty() ? "" : m_boxes[0]);
  EXPECT_TRUE(m_boxes.empty()) << m_boxes[0];
  DMainFrame* frameP = m_app.mainFrame();
  ASSERT_NE(frameP, nullptr);
  ASSERT_TRUE(pumpUntil([&] { return frameP->IsShownOnScreen(); }));
  EXPECT_TRUE(frameP->ready());
  EXPECT_EQ(frameP->currentPage(), FRAME_BACKUP);
  DChildFrame* backupP = frameP->childFrame(FRAME_BACKUP);
  ASSERT_NE(backupP, nullptr);
  EXPECT_TRUE(backupP->IsShownOnScreen());
  EXPECT_EQ(backupP->page()->getController(), DApplicationController::getBackupController());
  EXPECT_EQ(m_app.imageList().GetImageCount(), DSQLGUI_IMAGE_COUNT);
  // No stored placement on a 1024 by 768 screen.
  wxRect r = frameP->GetRect();
  EXPECT_EQ(r.x, 102);
  EXPECT_EQ(r.y, 115);
  EXPECT_EQ(r.GetRight() + 1, 921);
  EXPECT_EQ(r.GetBottom() + 1, 652);
  shoot(frameP, "zarnaksql-main.png");

  // A SQL user id chosen in the login dialog is stored for the server.
  zkui::drive::whenModal([&](wxDialog& dialog) {
    EXPECT_FALSE(zkui::drive::find(IDC_SQLLOGIN_USER, &dialog)->IsEnabled());
    zkui::drive::click(IDC_SQLLOGIN_SQLUSERID, &dialog);
    EXPECT_TRUE(zkui::drive::find(IDC_SQLLOGIN_USER, &dialog)->IsEnabled());
    zkui::drive::type(IDC_SQLLOGIN_USER, "backup", &dialog);
    zkui::drive::type(IDC_SQLLOGIN_PASSWORD, "pw1", &dialog);
    EXPECT_EQ(dialog.GetClientSize(), wxSize(400, 250));
    shoot(&dialog, "zarnaksql-login.png");
    zkui::drive::click(1, &dialog);
  });
  frameP->onSqlLogin();
  char user[SQL_USERID_SIZE] = "";
  char password[SQL_PASSWORD_SIZE] = "";
  EXPECT_EQ(getSqlAccountInfo(guiOptions().szSqlServer, user, password), 0);
  EXPECT_STREQ(user, "backup");
  EXPECT_STREQ(password, "pw1");
  EXPECT_EQ(guiOptions().enumSqlAuth, OPT_SQLAUTH_SQLUSERID);

  // The SQL Server information of the emulated server (version 8).
  std::vector<std::string> infoTexts;
  zkui::drive::whenModal([&](wxDialog& dialog) {
    for (int id : {1230, 1232, 1234, 1236}) {
      infoTexts.push_back(zkui::drive::text(zkui::drive::find(id, &dialog)));
    }
    shoot(&dialog, "zarnaksql-sqlinfo.png");
    zkui::drive::click(1, &dialog);
  });
  frameP->onSqlServerInfo();
  ASSERT_EQ(infoTexts.size(), 4u);
  EXPECT_EQ(infoTexts[0], computerName());
  EXPECT_EQ(infoTexts[1].rfind("8.0.", 0), 0u) << infoTexts[1];
  EXPECT_EQ(infoTexts[3], "N/A");

  // Closing stores the placement. (Maximising needs a window manager, which the test display
  // has not; the flag's storage is tested with the placement rules.)
  frameP->Close();
  pumpUntil([] { return !anyTopLevelWindow(); }, 3000);
  EXPECT_EQ(m_app.exitInstance(), 0);
  std::string profile = profileText();
  EXPECT_NE(profile.find("Rect=0102 0115 0921 0652"), std::string::npos) << profile;
  EXPECT_NE(profile.find("maximized=0"), std::string::npos) << profile;
}

TEST_F(ZarnaksqlStart, TheStoredLoginIsReadFirstAndAnUnreachableSqlServerDoesNotStopIt) {
  std::ofstream(agentDir() + "zarnaksql.cfg") << "SQLSERVer SRV1\nSQLAUTHentication SQLUserid\n";
  char keyPath[512];
  sqlRegKeyPath("SRV1", keyPath, sizeof keyPath);
  HKEY key = nullptr;
  ASSERT_EQ(createOrOpenReg(HKEY_LOCAL_MACHINE, keyPath, &key), 0);
  ASSERT_EQ(saveLoginToRegistry("SRV1", "backup", "pw1"), 0);
  ASSERT_TRUE(start({})) << m_app.exitCode() << (m_boxes.empty() ? "" : m_boxes[0]);
  EXPECT_TRUE(m_boxes.empty());
  EXPECT_STREQ(guiOptions().szSqlServer, "SRV1");
  EXPECT_STREQ(guiOptions().szSqlUser, "backup");
  EXPECT_STREQ(guiOptions().szSqlPassword, "pw1");
  ASSERT_NE(m_app.mainFrame(), nullptr);
  m_app.mainFrame()->Close();
  pumpUntil([] { return !anyTopLevelWindow(); }, 3000);
  EXPECT_EQ(m_app.exitInstance(), 0);
}

TEST_F(ZarnaksqlStart, WithoutItsResourceLibraryItEndsWith700BeforeAnyWindow) {
  m_app.setBundlePath(agentDir() + "missing/zarnaksqlgeng.zrc");
  EXPECT_FALSE(start({}));
  EXPECT_TRUE(m_app.exited());
  EXPECT_EQ(m_app.exitCode(), 700);
  ASSERT_EQ(m_boxes.size(), 1u);
  EXPECT_EQ(m_boxes[0].rfind("Could not load resource DLL ", 0), 0u) << m_boxes[0];
  EXPECT_FALSE(anyTopLevelWindow());
}

TEST_F(ZarnaksqlStart, WithoutTheMessageRepositoryItEndsWith400) {
  std::filesystem::remove(agentDir() + "sqlAMENG.txt");
  EXPECT_FALSE(start({}));
  EXPECT_EQ(m_app.exitCode(), 400);
  EXPECT_FALSE(anyTopLevelWindow());
}

TEST_F(ZarnaksqlStart, AnUnknownOptionShowsTheArgumentsUpToItAndEndsWithTheParsersCode) {
  EXPECT_FALSE(start({"/sqlserver=SRV1", "/buffers=4", "/statusinterval=2"}));
  EXPECT_EQ(m_app.exitCode(), 1200);  // an option of another command
  ASSERT_EQ(m_boxes.size(), 1u);
  const std::string& box = m_boxes[0];
  EXPECT_NE(box.find("0104"), std::string::npos) << box;  // message 104 first
  EXPECT_NE(box.find("/sqlserver=SRV1 /buffers=4"), std::string::npos) << box;
  EXPECT_EQ(box.find("/statusinterval"), std::string::npos) << box;
  EXPECT_FALSE(anyTopLevelWindow());

  m_boxes.clear();
  DSqlGuiApp second;
  second.setEndProcessOnExit(false);
  second.setBundlePath(ZK_GUI_BUNDLE);
  std::vector<std::string> args{"zarnaksql", "backup"};
  std::vector<char*> argv{args[0].data(), args[1].data(), nullptr};
  EXPECT_FALSE(second.initInstance(2, argv.data()));
  EXPECT_EQ(second.exitCode(), 1207);  // a word that is no option
}

}  // namespace
